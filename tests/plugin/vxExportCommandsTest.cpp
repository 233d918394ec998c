// The command protocol of the export library, driven through vxWideExport
// as a host drives it: codes outside the table, the order of the commands,
// the guard, the configuration string and a failed start-up.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <regex>

#include "core/vxRegistry.h"
#include "plugin/vxExportCommands.h"
#include "support/vxChildProcess.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"
#include "support/vxXvfb.h"
#include "tests/plugin/vxExportLibrary.h"

namespace {

TEST(ExportLibrary, ExportsOnlyVxWideExport) {
  TExportLibrary library;
  // Names of our static libraries stay inside: the host's symbol space gets one.
  EXPECT_EQ(dlsym(library.Handle(), "_ZN16vxExportCommands7ExecuteEiPDsiS0_"), nullptr);
  EXPECT_EQ(dlsym(library.Handle(), "vxExportCommandsAnchor"), nullptr);
  EXPECT_NE(dlsym(library.Handle(), "vxWideExport"), nullptr);
}

TEST(ExportLibrary, CodesOutsideTheTableDoNothing) {
  TExportLibrary library;
  ASSERT_EQ(library.Call(cmdInit).Result, 0);
  for (int32_t code : std::initializer_list<int32_t>{0, -1, 1, 99, 101, 700, 999, 1000, INT32_MIN, INT32_MAX}) {
    const auto answer = library.Call(code, u"some text");
    EXPECT_EQ(answer.Result, 0) << code;
    EXPECT_EQ(answer.Text, u"some text") << code;
    EXPECT_EQ(answer.Buffer, u"") << code;
  }
  EXPECT_EQ(library.Call(cmdGetConfig).Text, u"");
}

TEST(ExportLibrary, DocumentCommandsNeedInit) {
  TExportLibrary library;
  const auto expectRefused = [&](const char* when) {
    for (int32_t code : std::initializer_list<int32_t>{cmdNewDocument, cmdAddField, cmdAddFile, cmdExport}) {
      const auto answer = library.Call(code, u"x=1");
      EXPECT_EQ(answer.Result, -1) << when << " " << code;
      EXPECT_EQ(answer.BufferUtf8(),
                "unexpected process exception (no document lists: command 100 (init) must come first, and again "
                "after command 900 (done))")
          << when << " " << code;
    }
  };
  expectRefused("before 100");
  ASSERT_EQ(library.Call(cmdInit).Result, 0);
  EXPECT_EQ(library.Call(cmdNewDocument).Result, 0);
  EXPECT_EQ(library.Call(cmdAddField, u"A=1").Result, 0);
  EXPECT_EQ(library.Call(cmdAddFile, u"/nowhere/file.pdf").Result, 0);
  EXPECT_EQ(library.Call(cmdDone).Result, 0);
  expectRefused("after 900");
  // 300 keeps a text that nothing reads, lists or not.
  EXPECT_EQ(library.Call(cmdSetText, u"text").Result, 0);
  ASSERT_EQ(library.Call(cmdInit).Result, 0);
  EXPECT_EQ(library.Call(cmdNewDocument).Result, 0);
}

// Without a display the toolkit would end the process: command 800 fails
// with a text instead, hands the configuration string back, and the host
// goes on. In a child process, with the display variables removed or
// naming a display nobody serves (a number held free for the test).
TEST(ExportLibrary, ConfigureWithoutDisplayFailsAndTheHostLivesOn) {
  const vxTest::TUnservedDisplay unserved;
  struct TCase {
    std::optional<std::string> Display;
    std::string Expected;
  };
  const TCase cases[] = {
      {std::nullopt,
       "unexpected process exception (the configuration dialog cannot be shown: no display: none of DISPLAY, "
       "WAYLAND_DISPLAY or QT_QPA_PLATFORM is set)"},
      {unserved.Display(),
       "unexpected process exception (the configuration dialog cannot be shown: no display: the X display \"" +
           unserved.Display() + "\" cannot be reached)"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Display.value_or("none"));
    const vxTest::TChildOutput output = vxTest::RunInChildForText([&] {
      unsetenv("WAYLAND_DISPLAY");
      unsetenv("QT_QPA_PLATFORM");
      if (c.Display)
        setenv("DISPLAY", c.Display->c_str(), 1);
      else
        unsetenv("DISPLAY");
      TExportLibrary library;
      library.Call(cmdInit);
      library.Call(cmdSetConfig, u"<CONFIG><SMTPSERVER=relay1></CONFIG>");
      const auto answer = library.Call(cmdConfigure, u"");
      // The library still answers afterwards.
      const auto config = library.Call(cmdGetConfig);
      return std::to_string(answer.Result) + "|" + answer.BufferUtf8() + "|" + answer.TextUtf8() + "|" +
             std::to_string(config.Result) + "|" + config.TextUtf8();
    });
    EXPECT_EQ(output.ExitCode, 0);
    EXPECT_EQ(output.Text, "-1|" + c.Expected +
                               "|<CONFIG><SMTPSERVER=relay1></CONFIG>|0|<CONFIG><SMTPSERVER=relay1></CONFIG>");
  }
}

TEST(ExportLibrary, NullPointersReadAsEmptyText) {
  TExportLibrary library;
  EXPECT_EQ(library.Raw(cmdInit, nullptr, 0, nullptr), 0);
  EXPECT_EQ(library.Raw(cmdSetRecipient, nullptr, 0, nullptr), 0);
  EXPECT_EQ(library.Raw(cmdGetConfig, nullptr, 0, nullptr), 0);
  EXPECT_EQ(library.Raw(cmdAddField, nullptr, 0, nullptr), 0);
  // A failure with no buffer to write to still answers -1.
  EXPECT_EQ(library.Raw(cmdDone, nullptr, 0, nullptr), 0);
  EXPECT_EQ(library.Raw(cmdNewDocument, nullptr, 0, nullptr), -1);
}

TEST(ExportLibrary, FailedStartupFailsEveryCommand) {
  TExportLibrary library(VX_EXPORT_LIBRARY_STARTFAIL);
  for (int32_t code :
       std::initializer_list<int32_t>{cmdInit, cmdGetVersion, cmdSetConfig, cmdGetConfig, cmdNewDocument, cmdExport,
                                      cmdDone, 700}) {
    const auto answer = library.Call(code, u"<CONFIG></CONFIG>");
    EXPECT_EQ(answer.Result, -1) << code;
    EXPECT_EQ(answer.BufferUtf8(), "unexpected process exception (injected start-up failure)") << code;
  }
}

TEST(ExportLibrary, UnloadForgetsTheState) {
  {
    TExportLibrary library;
    ASSERT_EQ(library.Call(cmdInit).Result, 0);
    library.Call(cmdSetConfig, u"<CONFIG><SMTPSERVER=x></CONFIG>");
    ASSERT_EQ(library.Call(cmdGetConfig).Text, u"<CONFIG><SMTPSERVER=x></CONFIG>");
  }
  TExportLibrary again;
  // Before 100 nothing is open, and the configuration string is empty.
  EXPECT_EQ(again.Call(cmdNewDocument).Result, -1);
  EXPECT_EQ(again.Call(cmdGetConfig).Text, u"");
}

}  // namespace

namespace {

// 105 and 120 answer from the host environment of the library.
TEST(ExportLibrary, VersionTextAndTemporaryFolder) {
  TTestTempDir dir;
  vxTest::TScopedEnv registry("VARLO_REGISTRY", dir.File("registry"));
  vxTest::TScopedEnv system("VARLOSYS", std::nullopt);
  const std::string temp = dir.File("temp/inner") + "/";
  vxTest::TScopedEnv tmpdir("TMPDIR", temp);
  TExportLibrary library;
  const auto version = library.Call(cmdGetVersion);
  EXPECT_EQ(version.Result, 0);
  // Our own block: the project's four-part version, the processor, the release.
  EXPECT_TRUE(std::regex_match(version.TextUtf8(), std::regex(R"(\d+\.\d+\.\d+\.\d+ \((x64|x86|Unknown)\) release .+)")))
      << version.TextUtf8();
  const auto folder = library.Call(cmdGetTempPath);
  EXPECT_EQ(folder.Result, 0);
  EXPECT_EQ(folder.TextUtf8(), temp);
  EXPECT_TRUE(std::filesystem::is_directory(temp));  // created
}

}  // namespace

namespace {

// The class factory is made at load from the registry; a value of the wrong
// form there stops the start-up, and every command reports why.
TEST(ExportLibrary, MalformedHttpRegistryValueStopsTheStartUp) {
  TTestTempDir dir;
  vxTest::TScopedEnv registry("VARLO_REGISTRY", dir.File("registry"));
  ASSERT_TRUE(TvxRegistry::SetValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\varlo\\System\\HTTP", u"ReadTimeout",
                                    Variant(u"five minutes"), false));
  {
    TExportLibrary library;
    for (int32_t code : std::initializer_list<int32_t>{cmdInit, cmdGetVersion, cmdSetConfig, cmdExport, cmdDone}) {
      const auto answer = library.Call(code, u"<CONFIG></CONFIG>");
      EXPECT_EQ(answer.Result, -1) << code;
      EXPECT_EQ(answer.BufferUtf8(),
                "unexpected process exception (Could not convert variant of type (UnicodeString) into type "
                "(Integer) (registry value HKEY_LOCAL_MACHINE\\SOFTWARE\\varlo\\System\\HTTP\\ReadTimeout))")
          << code;
    }
  }
  // Mended, the next load starts.
  ASSERT_TRUE(TvxRegistry::SetValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\varlo\\System\\HTTP", u"ReadTimeout",
                                    Variant(int32_t{60000}), false));
  TExportLibrary library;
  EXPECT_EQ(library.Call(cmdInit).Result, 0);
}

}  // namespace
