// Tests of the console's start parameters (injected argument lists and the
// INI fallback), its console settings and title, and its named mutexes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/vxTypes.h"
#include "foundation/vxConsoleTools.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxSystemInfo.h"
#include "platform/registry/vxRegistry.h"
#include "support/vxChildProcess.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

// A console in a fresh installation, registry and runtime folder, and the
// arguments the test gives.
class StartParamTest : public ::testing::Test {
 protected:
  StartParamTest()
      : FRegistry("VARLO_REGISTRY", Dir.File("registry")),
        FSys("VARLOSYS", Dir.File("sys")),
        FRuntime("XDG_RUNTIME_DIR", Dir.File("run")) {
    std::filesystem::create_directory(Dir.File("registry"));
    std::filesystem::create_directory(Dir.File("run"));
  }
  ~StartParamTest() override { TvxConsoleTools::SetArgumentSource({}); }

  void Arguments(std::vector<ustring> arguments) {
    TvxConsoleTools::SetArgumentSource([arguments] { return arguments; });
  }
  std::unique_ptr<TvxConsoleTools> MakeConsole() {
    auto console = std::make_unique<TvxConsoleTools>(false);
    console->AsService = true;
    console->LogToFile = false;
    return console;
  }

  TTestTempDir Dir;
  vxTest::TScopedEnv FRegistry, FSys, FRuntime;
};

const std::vector<ustring> Table = {u"prog",           u"--InstanceId=7", u"--instanceid=9",
                                    u"--name=a=b",     u"--name",         u"-name=x",
                                    u"--path=/Program Files/x", u"--svcmode=true", u"--count=abc"};

TEST_F(StartParamTest, LookupsOnTheArguments) {
  Arguments(Table);
  EXPECT_EQ(TvxTypes::VarToStr(TvxConsoleTools::GetStartParam(u"instanceid", 0, "--")), u"7");
  EXPECT_EQ(TvxConsoleTools::GetStartParam(u"instanceid", 0, "--").VarType(), varUString);
  std::unique_ptr<TStringList> values;
  EXPECT_TRUE(TvxConsoleTools::GetStartParams(u"instanceid", values, "--"));
  ASSERT_TRUE(values);
  EXPECT_EQ(values->CommaText(), u"7,9");
  EXPECT_EQ(TvxTypes::VarToStr(TvxConsoleTools::GetStartParam(u"name", u"none", "--")), u"a=b");
  EXPECT_EQ(TvxTypes::VarToStr(TvxConsoleTools::GetStartParam(u"name", u"none", "-")), u"x");
  EXPECT_EQ(TvxTypes::VarToStr(TvxConsoleTools::GetStartParam(u"path", u"", "--")), u"/Program Files/x");
  EXPECT_EQ(TvxTypes::VarToStr(TvxConsoleTools::GetStartParam(u"missing", u"dflt", "--")), u"dflt");
  const Variant typed = TvxConsoleTools::GetStartParamEx(u"instanceid", int32_t{0}, "--", varNull);
  EXPECT_EQ(TvxTypes::VarToStr(typed), u"7");

  auto console = MakeConsole();
  const Variant mode = console->GetStartParameter(u"svcmode", false, "--", "=");
  EXPECT_EQ(mode.VarType(), varBoolean);
  EXPECT_EQ(TvxTypes::VarToStrExt(mode), u"True");
  EXPECT_EQ(TvxTypes::VarToStr(console->GetStartParameter(u"count", int32_t{0}, "--", "=")), u"-1");
  // Another separator.
  Arguments({u"prog", u"/port:8080"});
  EXPECT_EQ(TvxTypes::VarToStr(console->GetStartParameter(u"port", int32_t{0}, "/", ":")), u"8080");
}

// Numbers come back in the kind of the default (or of ResultType), from
// the command line and from the INI file alike; one that does not fit that
// kind keeps the kind it was read in.
TEST_F(StartParamTest, NumbersKeepTheCallersKind) {
  Arguments({u"prog", u"--n=42", u"--big=300", u"--f=1.5"});
  TTestTempDir::WriteBytes(Dir.File("start.ini"), "[Parameters]\r\nini=5\r\n");
  auto console = MakeConsole();
  console->DefaultStartParamIni = Dir.WideFile("start.ini");
  struct Case {
    const char16_t* Name;
    Variant Default;
    TVarType Expected;
    const char16_t* Text;
  };
  const Case cases[] = {
      {u"n", Variant(int32_t{0}), varInteger, u"42"},
      {u"n", Variant::FromSmallint(0), varSmallint, u"42"},
      {u"n", Variant::FromByte(0), varByte, u"42"},
      {u"n", Variant::FromLongWord(0), varLongWord, u"42"},
      {u"n", Variant(int64_t{0}), varInt64, u"42"},
      {u"big", Variant::FromByte(0), varInt64, u"300"},  // no Byte holds 300
      {u"f", Variant::FromSingle(0), varSingle, u"1.5"},
      {u"f", Variant(Currency{}), varCurrency, u"1.5"},
      {u"ini", Variant::FromSmallint(0), varSmallint, u"5"},
      {u"ini", Variant(int64_t{0}), varInt64, u"5"},
  };
  for (const Case& c : cases) {
    const Variant value = console->GetStartParameter(c.Name, c.Default, "--", "=");
    EXPECT_EQ(value.VarType(), c.Expected) << WideToUtf8(c.Name) << " " << c.Default.VarType();
    EXPECT_EQ(TvxTypes::VarToStr(value), c.Text) << WideToUtf8(c.Name);
    if (ustring(c.Name) == u"ini") continue;  // the INI file is only read by GetStartParameter
    const Variant typed = TvxConsoleTools::GetStartParamEx(c.Name, c.Default, "--", varNull);
    EXPECT_EQ(typed.VarType(), c.Expected) << WideToUtf8(c.Name) << " " << c.Default.VarType();
    EXPECT_EQ(TvxTypes::VarToStr(typed), c.Text) << WideToUtf8(c.Name);
  }
  // An explicit ResultType rules over the default's kind.
  EXPECT_EQ(TvxConsoleTools::GetStartParamEx(u"n", u"", "--", varWord).VarType(), varWord);
  EXPECT_TRUE(console->Message.Get().empty());
}

TEST_F(StartParamTest, IniFallback) {
  Arguments({u"prog"});
  TTestTempDir::WriteBytes(Dir.File("start.ini"), "[Parameters]\r\ninstanceid=4\r\nname=server\r\n");
  auto console = MakeConsole();
  console->DefaultStartParamIni = Dir.WideFile("start.ini");
  const Variant id = console->GetStartParameter(u"instanceid", int32_t{0}, "--", "=");
  EXPECT_EQ(id.VarType(), varInteger);
  EXPECT_EQ(TvxTypes::VarToStr(id), u"4");
  EXPECT_EQ(TvxTypes::VarToStr(console->GetStartParameter(u"name", u"x", "--", "=")), u"server");
  EXPECT_EQ(TvxTypes::VarToStr(console->GetStartParameter(u"other", int32_t{12}, "--", "=")), u"12");
  console->DefaultStartParamIni = Dir.WideFile("missing.ini");
  EXPECT_EQ(TvxTypes::VarToStr(console->GetStartParameter(u"instanceid", int32_t{0}, "--", "=")), u"0");
  EXPECT_TRUE(console->Message.Get().empty());
}

TEST_F(StartParamTest, HelpProgramAndCommandLine) {
  struct Case {
    std::vector<ustring> Args;
    bool Help;
  };
  for (const Case& c : {Case{{u"prog", u"/?"}, true}, Case{{u"prog", u"--?"}, true}, Case{{u"prog", u"/?", u"x"}, false},
                        Case{{u"prog", u"/h"}, false}, Case{{u"prog"}, false}}) {
    Arguments(c.Args);
    EXPECT_EQ(TvxConsoleTools::GetHelpStartParamState(), c.Help) << WideToUtf8(c.Args.back());
  }
  Arguments({u"prog", u"--a=1", u"b c"});
  EXPECT_EQ(TvxConsoleTools::ParamStrW(0), vxSystemInfo::ExecutablePath());
  EXPECT_EQ(TvxConsoleTools::ParamStrW(-1), u"prog");
  EXPECT_EQ(TvxConsoleTools::ParamStrW(-2), u"");
  EXPECT_EQ(TvxConsoleTools::ParamStrW(2), u"b c");
  EXPECT_EQ(TvxConsoleTools::ParamStrW(3), u"");
  EXPECT_EQ(TvxConsoleTools::ParamCount(), 2);
  EXPECT_EQ(TvxConsoleTools::GetOwnCommandLine(), vxSystemInfo::ExecutablePath() + u" --a=1 b c");
  EXPECT_EQ(TvxConsoleTools::BuildParamString({u"a", u"b"}, "--"), u"\"--a\" \"--b\"");
  EXPECT_EQ(TvxConsoleTools::BuildParamString({}, "--"), u"");
}

TEST_F(StartParamTest, DefaultArgumentsComeFromTheProcess) {
  // /proc/self/cmdline as it is, never split again.
  const std::string cmdline = TTestTempDir::ReadBytes("/proc/self/cmdline");
  EXPECT_EQ(WideToUtf8(TvxConsoleTools::ParamStrW(-1)), cmdline.substr(0, cmdline.find('\0')));
}

TEST_F(StartParamTest, ConsoleSettingsInTheRegistry) {
  auto console = MakeConsole();
  ASSERT_TRUE(console->RegisterConsoleSettings());
  const ustring key = TvxConsoleTools::ConsoleSettingsKey();
  EXPECT_EQ(key.find(u'/'), ustring::npos);
  EXPECT_EQ(key.rfind(u"Console\\_", 0), 0u);
  TRegistry registry;
  registry.SetRootKey(HKEY_CURRENT_USER);
  ASSERT_TRUE(registry.OpenKeyReadOnly(key));
  EXPECT_EQ(registry.ReadString(u"FaceName"), u"Consolas");
  EXPECT_EQ(registry.ReadInteger(u"CodePage"), 65001);
  EXPECT_EQ(registry.ReadInteger(u"FontSize"), 917510);
  EXPECT_EQ(registry.ReadInteger(u"HistoryNoDup"), 1);
  EXPECT_EQ(registry.ReadInteger(u"ScreenBufferSize"), 65536150);
  EXPECT_EQ(registry.ReadInteger(u"ScreenColors"), 15);
  EXPECT_EQ(registry.ReadInteger(u"WindowSize"), 2162838);
}

TEST_F(StartParamTest, TitleAndConsoleWithoutTerminal) {
  auto console = MakeConsole();
  console->ServerName = u"Mail Service";
  EXPECT_EQ(console->ConsoleTitle(), u"Mail Service");
  console->InstanceId = 3;
  EXPECT_EQ(console->ConsoleTitle(), u"Mail Service (instance id 3)");
  const std::string file = Dir.File("out");
  TTestTempDir::WriteBytes(file, "");
  const int fd = open(file.c_str(), O_WRONLY | O_CLOEXEC);
  console->StdOutputHandle = fd;
  EXPECT_FALSE(console->SetConsoleTitle());  // no terminal
  close(fd);
  if (!isatty(0)) {
    EXPECT_FALSE(TvxConsoleTools::KeyPressed());
    EXPECT_TRUE(TvxConsoleTools::WaitForKeypressed(0));  // returns: no key can come
  }
}

TEST_F(StartParamTest, MutexOperations) {
  auto console = MakeConsole();
  EXPECT_TRUE(console->WaitForMutex(u"nobody", 10000));  // at once
  EXPECT_FALSE(console->CloseMutex(u"nobody"));
  EXPECT_FALSE(console->IsMutexActive(u"svc"));
  EXPECT_TRUE(console->RegisterMutex(u"svc"));
  EXPECT_FALSE(console->RegisterMutex(u"svc"));
  EXPECT_TRUE(console->IsMutexActive(u"svc"));
  EXPECT_TRUE(console->CloseMutex(u"svc"));
  EXPECT_TRUE(console->IsMutexActive(u"svc"));  // released, not destroyed
  EXPECT_TRUE(console->WaitForMutex(u"svc", 100));
}

TEST_F(StartParamTest, MutexOfAChildProcessGoesWithIt) {
  auto console = MakeConsole();
  {
    vxTest::TChildHolding child([&] { return console->RegisterMutex(u"child"); });
    ASSERT_TRUE(child.Taken());
    EXPECT_TRUE(console->IsMutexActive(u"child"));
    EXPECT_FALSE(console->RegisterMutex(u"child"));
    EXPECT_TRUE(console->WaitForMutex(u"child", 50));  // a time-out also gives True
  }
  EXPECT_FALSE(console->IsMutexActive(u"child"));
  EXPECT_TRUE(console->RegisterMutex(u"child"));
}

}  // namespace
