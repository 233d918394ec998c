// Data-link files: the file format, round trips, reading what others wrote,
// and the editing step through a configured editor.
#include "core/vxToolsUdl.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxStream.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

std::string Utf16File(const std::u16string& text) { return "\xFF\xFE" + WideToUtf16LE(text); }

TEST(ToolsUdl, TheFileFormat) {
  TTestTempDir dir;
  const ustring file = dir.WideFile("vxsyscfg.udl");
  EXPECT_TRUE(TvxTools::CreateUDLFile(file, u"Provider=SQLOLEDB.1;Integrated Security=SSPI"));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("vxsyscfg.udl")),
            Utf16File(u"[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n"
                      u"Provider=SQLOLEDB.1;Integrated Security=SSPI\r\n"));
}

TEST(ToolsUdl, RoundTrips) {
  TTestTempDir dir;
  const ustring file = dir.WideFile("a.udl");
  struct Case {
    const char16_t* Written;
    const char16_t* Read;
  } cases[] = {
      {u"Provider=SQLite;Data Source=/var/lib/varlo/sys.db", u"Provider=SQLite;Data Source=/var/lib/varlo/sys.db"},
      {u"Provider=PostgreSQL;Password=p\u00E4ss\u20AC \U0001F600;Host=x",
       u"Provider=PostgreSQL;Password=p\u00E4ss\u20AC \U0001F600;Host=x"},
      {u"Data Source=x;Provider=y", u"Provider="},  // not beginning with 'Provider='
      {u"", u"Provider="},
  };
  for (const Case& c : cases) {
    TvxTools::CreateUDLFile(file, c.Written);  // replaces the file each time
    EXPECT_EQ(TvxTools::GetConnectionstringFromUdlFile(file), c.Read) << WideToUtf8(c.Written);
  }
  EXPECT_EQ(dir.Listing(), "a.udl;");
}

TEST(ToolsUdl, ReadsFilesWrittenElsewhere) {
  TTestTempDir dir;
  struct Case {
    std::string Bytes;
    const char16_t* Expected;
  } cases[] = {
      {Utf16File(u"[oledb]\r\n; comment\r\nprovider = MSDASQL.1;DSN=x \r\n"), u"Provider=MSDASQL.1;DSN=x"},
      {"[OLEDB]\nProvider=SQLite;Data Source=/tmp/\xC3\xA4.db\n", u"Provider=SQLite;Data Source=/tmp/\u00E4.db"},
      {"\xEF\xBB\xBF[oledb]\r\nProvider=X\r\n", u"Provider=X"},
      {"[other]\r\nProvider=X\r\n", u"Provider="},
  };
  for (const Case& c : cases) {
    TTestTempDir::WriteBytes(dir.File("b.udl"), c.Bytes);
    EXPECT_EQ(TvxTools::GetConnectionstringFromUdlFile(dir.WideFile("b.udl")), c.Expected);
  }
  // Failures give the empty text.
  EXPECT_EQ(TvxTools::GetConnectionstringFromUdlFile(dir.WideFile("")), u"Provider=");  // a folder holds no keys
  chmod(dir.File("b.udl").c_str(), 0);
  if (geteuid() != 0) {
    EXPECT_EQ(TvxTools::GetConnectionstringFromUdlFile(dir.WideFile("b.udl")), u"");
  }
}

TEST(ToolsUdl, AFileThatCannotBeWrittenRaises) {
  TTestTempDir dir;
  EXPECT_THROW(TvxTools::CreateUDLFile(dir.WideFile("missing/x.udl"), u"Provider=X"), EFOpenError);
}

TEST(ToolsUdl, EditingRunsTheConfiguredEditor) {
  TTestTempDir dir;
  // The "editor" copies a prepared file over the one it is given.
  TvxTools::CreateUDLFile(dir.WideFile("edited.udl"), u"Provider=Edited;Data Source=x");
  const std::string script = dir.File("editor.sh");
  TTestTempDir::WriteBytes(script, "#!/bin/sh\n[ \"$1\" = \"--flag\" ] || exit 1\ncp '" + dir.File("edited.udl") +
                                       "' \"$2\"\n");
  chmod(script.c_str(), 0755);

  {
    vxTest::TScopedEnv editor("VARLO_UDL_EDITOR", script + " --flag");
    const ustring file = dir.WideFile("my file.udl");
    EXPECT_EQ(TvxTools::EditUDLFile(file, false), u"Provider=Edited;Data Source=x");
    EXPECT_EQ(TvxTools::GetConnectionstringFromUdlFile(file), u"Provider=Edited;Data Source=x");

    // Through a temporary file that is gone afterwards.
    EXPECT_EQ(TvxTools::EditConnectionString(u"Provider=Old"), u"Provider=Edited;Data Source=x");
  }
  {
    // Without an editor the file stays as it is.
    vxTest::TScopedEnv editor("VARLO_UDL_EDITOR", std::nullopt);
    EXPECT_EQ(TvxTools::EditConnectionString(u"Provider=Old;x=1"), u"Provider=Old;x=1");
    const ustring fresh = dir.WideFile("fresh.udl");
    EXPECT_EQ(TvxTools::EditUDLFile(fresh, true), u"Provider=");  // created empty, then removed
    EXPECT_EQ(dir.Listing(), "edited.udl;editor.sh;my file.udl;");
  }
}

}  // namespace
