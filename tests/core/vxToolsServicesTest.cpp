// The services and hosts files (on files the tests write) and the system's
// services through a stand-in service manager that answers as systemctl
// does, so no test touches the machine's services.
#include "core/vxToolsServices.h"

#include <grp.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "platform/files/vxStream.h"
#include "platform/process/vxCommandLine.h"
#include "support/vxChildProcess.h"
#include "support/vxRaisedMessage.h"
#include "support/vxTestTempDir.h"

namespace {

using TvxTools::GetHostSettings;
using TvxTools::GetServicesPort;
using TvxTools::SetHostSettings;
using TvxTools::SetServiceSettings;

// The services and hosts files of a fresh folder for one test.
class NetFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FOldServices = TvxTools::SetServicesFileName(Dir.WideFile("services"));
    FOldHosts = TvxTools::SetHostsFileName(Dir.WideFile("hosts"));
  }
  void TearDown() override {
    TvxTools::SetServicesFileName(FOldServices);
    TvxTools::SetHostsFileName(FOldHosts);
  }

  std::string Services() const { return Dir.File("services"); }
  std::string Hosts() const { return Dir.File("hosts"); }
  static std::string Read(const std::string& file) { return TTestTempDir::ReadBytes(file); }
  static void Write(const std::string& file, const std::string& bytes) { TTestTempDir::WriteBytes(file, bytes); }

  TTestTempDir Dir{"vxservices"};

 private:
  ustring FOldServices, FOldHosts;
};

// A services file in the netbase layout (tabs between the fields).
const std::string kServices =
    "# Network services, Internet style\n"
    "\n"
    "tcpmux\t\t1/tcp\t\t\t\t# TCP port service multiplexer\n"
    "echo\t\t7/tcp\n"
    "http\t\t80/tcp\t\twww\t\t# WorldWideWeb HTTP\n"
    "  https 443/tcp # indented, blanks only\n"
    "emptyport /tcp\n"
    "percent 9%9/tcp\n"
    "notnumber 8o/tcp\n"
    "noslash 4711\n"
    "hexport $1F/udp\n"
    "caf\xE9 1234/tcp\n"
    "http 8080/tcp # a second entry is never read\n";

TEST_F(NetFilesTest, ServicesPortOfTheFirstMatchingEntry) {
  Write(Services(), kServices);
  const struct {
    std::u16string_view Typ;
    int32_t Port;
  } cases[] = {
      {u"http", 80},       {u"HTTP", 80},       {u"hTtP", 80},       {u"tcpmux", 1},        {u"echo", 7},
      {u"https", 443},     {u"emptyport", 0},   {u"percent", 99},    {u"notnumber", -1},    {u"noslash", 4711},
      {u"hexport", 31},    {u"caf\u00e9", 1234}, {u"CAF\u00c9", -1}, {u"www", -1},          {u"nosuch", -1},
      {u"", -1},           {u"#", -1},          {u"htt", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(GetServicesPort(ustring(c.Typ)), c.Port) << WideToUtf8(c.Typ);
}

TEST_F(NetFilesTest, ServicesPortWithOtherLineEnds) {
  Write(Services(), "echo 7/tcp\r\nhttp 80/tcp\r\n");
  EXPECT_EQ(GetServicesPort(u"http"), 80);
  Write(Services(), "echo 7/tcp\rhttp 81/tcp");
  EXPECT_EQ(GetServicesPort(u"http"), 81);
}

TEST_F(NetFilesTest, ServicesPortOfTheSystemFile) {
  TvxTools::SetServicesFileName(ustring());
  if (!std::filesystem::exists("/etc/services")) GTEST_SKIP() << "/etc/services is missing (package netbase)";
  EXPECT_EQ(GetServicesPort(u"http"), 80);
  EXPECT_EQ(GetServicesPort(u"HTTP"), 80);
  EXPECT_EQ(GetServicesPort(u"no-such-service-name"), -1);
}

TEST_F(NetFilesTest, ReadersRaiseAnInputOutputErrorForAMissingFile) {
  EXPECT_EQ(vxTest::RaisedMessage([] { GetServicesPort(u"http"); }), "File not found");
  EXPECT_THROW(GetServicesPort(u"http"), EInOutError);
  ustring address = u"kept";
  EXPECT_EQ(vxTest::RaisedMessage([&] { GetHostSettings(u"localhost", address); }), "File not found");
  EXPECT_EQ(address, u"kept");
  std::filesystem::create_directory(Services());  // a folder cannot be read as a file
  EXPECT_THROW(GetServicesPort(u"http"), EInOutError);
}

TEST_F(NetFilesTest, ServiceLineLayout) {
  EXPECT_EQ(TvxTools::ServiceLine(u"mysvc", u"4711", u"tcp", u"My service"),
            u"mysvc" + ustring(13, u' ') + u"4711/tcp" + ustring(24, u' ') + u"#My service");
  // Longer texts are not cut.
  const ustring name(20, u'n');
  const ustring type(30, u't');
  EXPECT_EQ(TvxTools::ServiceLine(name, u"1", type, u""), name + u"1/" + type + u"#");
}

TEST_F(NetFilesTest, ServiceSettingsAppendThenReplaceInPlace) {
  Write(Services(), "echo\t\t7/tcp\nftp 21/tcp\n");
  ASSERT_TRUE(SetServiceSettings(u"mysvc", u"4711", u"tcp", u"My service"));
  EXPECT_EQ(Read(Services()), "echo\t\t7/tcp\nftp 21/tcp\n" + WideToUtf8(TvxTools::ServiceLine(u"mysvc", u"4711", u"tcp",
                                                                                                 u"My service")) +
                                  "\n");
  EXPECT_EQ(GetServicesPort(u"mysvc"), 4711);
  Write(Services(), Read(Services()) + "last 9/tcp\n");  // mysvc in the middle
  ASSERT_TRUE(SetServiceSettings(u"MYSVC", u"4712", u"udp", u"Second"));
  EXPECT_EQ(Read(Services()), "echo\t\t7/tcp\nftp 21/tcp\n" +
                                  WideToUtf8(TvxTools::ServiceLine(u"MYSVC", u"4712", u"udp", u"Second")) +
                                  "\nlast 9/tcp\n");
  EXPECT_EQ(GetServicesPort(u"mysvc"), 4712);
}

TEST_F(NetFilesTest, ServiceSettingsReplaceATabSeparatedEntry) {
  Write(Services(), kServices);
  ASSERT_TRUE(SetServiceSettings(u"http", u"8000", u"tcp", u"moved"));
  EXPECT_EQ(GetServicesPort(u"http"), 8000);
  const std::string text = Read(Services());
  EXPECT_EQ(text.find("http\t\t80/tcp"), std::string::npos);
  EXPECT_EQ(text.size(), kServices.size() - std::string("http\t\t80/tcp\t\twww\t\t# WorldWideWeb HTTP").size() +
                             TvxTools::ServiceLine(u"http", u"8000", u"tcp", u"moved").size());
}

TEST_F(NetFilesTest, ServiceSettingsKeepTheFilesOtherBytesAndLineEnds) {
  // CR LF lines, a Windows-1252 byte, UTF-8 bytes, no line end at the end.
  const std::string before = "# caf\xE9 \xC3\xA9t\xC3\xA9\r\nftp 21/tcp\r\nlast 9/tcp";
  Write(Services(), before);
  ASSERT_TRUE(SetServiceSettings(u"ftp", u"2121", u"tcp", u"x"));
  const std::string line = WideToAnsi(TvxTools::ServiceLine(u"ftp", u"2121", u"tcp", u"x"));
  EXPECT_EQ(Read(Services()), "# caf\xE9 \xC3\xA9t\xC3\xA9\r\n" + line + "\r\nlast 9/tcp");
  ASSERT_TRUE(SetServiceSettings(u"new", u"1", u"tcp", u"caf\u00e9"));
  EXPECT_EQ(Read(Services()), "# caf\xE9 \xC3\xA9t\xC3\xA9\r\n" + line + "\r\nlast 9/tcp\r\n" +
                                  WideToAnsi(TvxTools::ServiceLine(u"new", u"1", u"tcp", u"caf\u00e9")) + "\r\n");
}

TEST_F(NetFilesTest, ServiceSettingsKeepAUtf8FileWithItsMark) {
  Write(Services(), "\xEF\xBB\xBFold 1/tcp # \xC5\x82\n");
  ASSERT_TRUE(SetServiceSettings(u"new", u"2", u"tcp", u"\u0142"));
  EXPECT_EQ(Read(Services()),
            "\xEF\xBB\xBFold 1/tcp # \xC5\x82\n" + WideToUtf8(TvxTools::ServiceLine(u"new", u"2", u"tcp", u"\u0142")) +
                "\n");
}

TEST_F(NetFilesTest, ServiceSettingsRefuseWhatTheFileCannotHold) {
  const std::string before = "ftp 21/tcp\n";
  Write(Services(), before);
  EXPECT_FALSE(SetServiceSettings(u"new", u"2", u"tcp", u"\u0142"));  // not in Windows-1252
  EXPECT_FALSE(SetServiceSettings(u"new", u"2", u"tcp", u"one\ntwo 3/tcp"));
  EXPECT_FALSE(SetServiceSettings(u"new\r", u"2", u"tcp", u""));
  EXPECT_EQ(Read(Services()), before);
  EXPECT_EQ(Dir.Listing(), "services;");
}

TEST_F(NetFilesTest, ServiceSettingsWithoutAFileOrRightsChangeNothing) {
  EXPECT_FALSE(SetServiceSettings(u"mysvc", u"4711", u"tcp", u""));
  EXPECT_EQ(Dir.Listing(), "");

  const std::string before = "ftp 21/tcp\n";
  Write(Services(), before);
  chmod(Services().c_str(), 0644);
  chmod(Dir.Path().c_str(), 0555);  // the file can be read, nothing can be made beside it
  const vxTest::TChildOutput output = vxTest::RunInChildForText([&] {
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
      return std::string("cannot give up root rights");
    return std::string(SetServiceSettings(u"mysvc", u"4711", u"tcp", u"") ? "written" : "refused");
  });
  chmod(Dir.Path().c_str(), 0700);
  EXPECT_EQ(output.Text, "refused");
  EXPECT_EQ(Read(Services()), before);
  EXPECT_EQ(Dir.Listing(), "services;");
}

TEST_F(NetFilesTest, ServiceSettingsKeepTheFilesMode) {
  Write(Services(), "ftp 21/tcp\n");
  chmod(Services().c_str(), 0640);
  ASSERT_TRUE(SetServiceSettings(u"ftp", u"2121", u"tcp", u""));
  struct stat status;
  ASSERT_EQ(stat(Services().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
}

const std::string kHosts =
    "# 10.9.9.9 commented\n"
    "\n"
    "127.0.0.1\tlocalhost\n"
    "10.0.0.5 myhost.example  myhost\n"
    "  10.0.0.6 indented\n"
    "10.0.0.7\n";

TEST_F(NetFilesTest, HostAddressOfTheFirstLineMentioningTheHost) {
  Write(Hosts(), kHosts);
  const struct {
    std::u16string_view Host;
    bool Found;
    std::u16string_view Address;
  } cases[] = {
      {u"localhost", true, u"127.0.0.1"},
      {u"host", true, u"127.0.0.1"},  // found inside 'localhost'
      {u"MYHOST", true, u"10.0.0.5"},
      {u"example", true, u"10.0.0.5"},
      {u"indented", true, u"10.0.0.6"},
      {u"10.0.0.7", true, u"10.0.0.7"},
      {u"commented", false, u"kept"},
      {u"", false, u"kept"},
      {u"nosuch", false, u"kept"},
  };
  for (const auto& c : cases) {
    ustring address = u"kept";
    EXPECT_EQ(GetHostSettings(ustring(c.Host), address), c.Found) << WideToUtf8(c.Host);
    EXPECT_EQ(address, c.Address) << WideToUtf8(c.Host);
  }
  Write(Hosts(), "127.0.0.1 localhost\n");
  ustring address;
  EXPECT_TRUE(GetHostSettings(u"host", address));
  EXPECT_EQ(address, u"127.0.0.1");
}

TEST_F(NetFilesTest, HostSettingsAppendALine) {
  Write(Hosts(), kHosts);
  ASSERT_TRUE(SetHostSettings(u"192.168.1.2", u"printer"));
  EXPECT_EQ(Read(Hosts()), kHosts + "192.168.1.2  printer\n");
  ustring address;
  EXPECT_TRUE(GetHostSettings(u"printer", address));
  EXPECT_EQ(address, u"192.168.1.2");

  // A last line without its end gets one first; CR LF files stay CR LF.
  Write(Hosts(), "127.0.0.1 localhost\r\n10.0.0.1 a");
  ASSERT_TRUE(SetHostSettings(u"10.0.0.2", u"b"));
  EXPECT_EQ(Read(Hosts()), "127.0.0.1 localhost\r\n10.0.0.1 a\r\n10.0.0.2  b\r\n");
  Write(Hosts(), "");
  ASSERT_TRUE(SetHostSettings(u"10.0.0.3", u"caf\u00e9"));
  EXPECT_EQ(Read(Hosts()), "10.0.0.3  caf\xE9\n");
}

TEST_F(NetFilesTest, HostSettingsRefuseBadInputAndMissingFiles) {
  EXPECT_FALSE(SetHostSettings(u"10.0.0.2", u"b"));
  EXPECT_EQ(Dir.Listing(), "");
  Write(Hosts(), kHosts);
  EXPECT_FALSE(SetHostSettings(u"10.0.0.2", u"b\n10.6.6.6 evil"));
  EXPECT_FALSE(SetHostSettings(u"10.0.0.2\r", u"b"));
  EXPECT_FALSE(SetHostSettings(u"10.0.0.2", u"\u0142odz"));
  EXPECT_EQ(Read(Hosts()), kHosts);
}

// ---- Services ----

// Stands in for systemctl: units with a load state and the active states
// that the next state reads give (the last one stays); a start or stop sets
// the states that follow it. Records every command and every pause.
class TFakeServiceManager {
 public:
  struct TUnit {
    std::string LoadState = "loaded";
    std::deque<std::string> States;
    std::deque<std::string> AfterStart, AfterStop;
    bool VanishesOnStart = false;  // the manager no longer knows it after a start
  };

  TFakeServiceManager() {
    FOldRunner = TvxTools::SetServiceCommandRunner(
        [this](const ustring& program, const ustring& params, uint32_t& exitCode, std::string* output) {
          return Run(program, params, exitCode, output);
        });
    FOldWait = TvxTools::SetServicePollWait([this](uint32_t ms) { Pauses.push_back(ms); });
  }
  ~TFakeServiceManager() {
    TvxTools::SetServiceCommandRunner(std::move(FOldRunner));
    TvxTools::SetServicePollWait(std::move(FOldWait));
  }

  std::map<std::string, TUnit> Units;
  std::vector<std::string> Commands;  // program and parameters
  std::vector<uint32_t> Pauses;
  bool Runs = true;           // the program can be started
  uint32_t QueryExitCode = 0;  // systemctl's exit code of a query
  int Queries = 0;

 private:
  bool Run(const ustring& program, const ustring& params, uint32_t& exitCode, std::string* output) {
    Commands.push_back(WideToUtf8(program + u" " + params));
    if (!Runs) return false;
    const std::vector<ustring> args = vxCommandLine::SplitCommandLine(params, false);
    const std::string verb = WideToUtf8(args.front());
    const std::string name = WideToUtf8(args.back());
    exitCode = 0;
    auto unit = Units.find(name);
    if (verb == "show") {
      ++Queries;
      exitCode = QueryExitCode;
      if (unit == Units.end()) {
        *output = "LoadState=not-found\nActiveState=inactive\n";
        return true;
      }
      std::deque<std::string>& states = unit->second.States;
      *output = "LoadState=" + unit->second.LoadState + "\nActiveState=" + states.front() + "\n";
      if (states.size() > 1) states.pop_front();
      return true;
    }
    if (unit == Units.end()) {
      exitCode = 5;
      return true;
    }
    unit->second.States = verb == "start" ? unit->second.AfterStart : unit->second.AfterStop;
    if (verb == "start" && unit->second.VanishesOnStart) unit->second.LoadState = "not-found";
    return true;
  }

  TvxTools::TServiceCommandRunner FOldRunner;
  TvxTools::TServicePollWait FOldWait;
};

TEST(ServiceStatus, StatesOfTheServiceManager) {
  TFakeServiceManager manager;
  const struct {
    const char* Load;
    const char* Active;
    uint32_t State;
  } cases[] = {
      {"loaded", "active", 4},       {"loaded", "reloading", 4},    {"loaded", "activating", 2},
      {"loaded", "deactivating", 3}, {"loaded", "inactive", 1},     {"loaded", "failed", 1},
      {"masked", "inactive", 1},     {"not-found", "inactive", 0},  {"loaded", "unheard-of", 0},
  };
  for (const auto& c : cases) {
    manager.Units["unit.service"] = {c.Load, {c.Active}, {}, {}};
    EXPECT_EQ(TvxTools::GetServiceStatus(u"", u"unit.service"), c.State) << c.Load << " " << c.Active;
  }
  EXPECT_EQ(manager.Commands.back(), "systemctl show --property=LoadState --property=ActiveState -- unit.service");
  EXPECT_EQ(TvxTools::GetServiceStatus(u"", u"nosuch"), 0u);
  manager.QueryExitCode = 1;  // the manager cannot be reached
  EXPECT_EQ(TvxTools::GetServiceStatus(u"", u"unit.service"), 0u);
  manager.QueryExitCode = 0;
  manager.Runs = false;  // no service manager here
  EXPECT_EQ(TvxTools::GetServiceStatus(u"", u"unit.service"), 0u);
}

TEST(ServiceStatus, TheSystemsServiceManagerDoesNotKnowAMadeUpUnit) {
  // Only asks (through the real runner): 0 whether or not systemd runs here.
  EXPECT_EQ(TvxTools::GetServiceStatus(u"", u"vx-made-up-unit-for-a-test.service"), 0u);
}

TEST(ServiceStatus, NoCommandForAnotherMachineOrABadName) {
  TFakeServiceManager manager;
  manager.Units["unit"] = {"loaded", {"active"}, {}, {}};
  EXPECT_EQ(TvxTools::GetServiceStatus(u"otherhost", u"unit"), 0u);
  for (const std::u16string_view name :
       std::initializer_list<std::u16string_view>{u"", u"two words", u"a\"b", u"semi;colon", u"\u00e9t\u00e9", std::u16string_view(u"a\0b", 3)})
    EXPECT_EQ(TvxTools::GetServiceStatus(u"", ustring(name)), 0u);
  EXPECT_TRUE(manager.Commands.empty());
  EXPECT_FALSE(TvxTools::StartService(u"two words"));
  EXPECT_TRUE(manager.Commands.empty());
  // "--" keeps a valid name that starts with "-" from being an option.
  manager.Units["-x"] = {"loaded", {"active"}, {}, {}};
  EXPECT_EQ(TvxTools::GetServiceStatus(u"", u"-x"), 4u);
  EXPECT_EQ(manager.Commands.back(), "systemctl show --property=LoadState --property=ActiveState -- -x");
}

TEST(ServiceControl, StopOfAnUnknownServiceRunsNothing) {
  TFakeServiceManager manager;
  EXPECT_FALSE(TvxTools::StopService(u"nosuch"));
  EXPECT_FALSE(TvxTools::StartService(u"nosuch"));
  EXPECT_EQ(manager.Queries, 2);
  EXPECT_EQ(manager.Commands.size(), 2u);
  EXPECT_TRUE(manager.Pauses.empty());
}

TEST(ServiceControl, StartWaitsUntilRunning) {
  TFakeServiceManager manager;
  manager.Units["web"] = {"loaded", {"inactive"}, {"inactive", "activating", "activating", "active"}, {}};
  EXPECT_TRUE(TvxTools::StartService(u"web"));
  EXPECT_EQ(manager.Commands[1], "systemctl start --no-ask-password -- web");
  EXPECT_EQ(manager.Queries, 1 + 4);
  // A pause after every read, the stopped ones included.
  EXPECT_EQ(manager.Pauses, std::vector<uint32_t>(4, 500));
}

TEST(ServiceControl, StartOfAServiceThatStaysStoppedPausesEveryRound) {
  TFakeServiceManager manager;
  manager.Units["broken"] = {"loaded", {"failed"}, {"failed"}, {}};
  EXPECT_FALSE(TvxTools::StartService(u"broken"));
  EXPECT_EQ(manager.Queries, 1 + 120);
  EXPECT_EQ(manager.Pauses, std::vector<uint32_t>(120, 500));
}

TEST(ServiceControl, StopWaitsWhileTheStopIsPending) {
  TFakeServiceManager manager;
  manager.Units["web"] = {"loaded", {"active"}, {}, {"deactivating", "deactivating", "inactive"}};
  EXPECT_TRUE(TvxTools::StopService(u"web"));
  EXPECT_EQ(manager.Commands[1], "systemctl stop --no-ask-password -- web");
  EXPECT_EQ(manager.Queries, 1 + 3);
  EXPECT_EQ(manager.Pauses, std::vector<uint32_t>(2, 500));  // none after the stopped state

  manager.Units["stuck"] = {"loaded", {"active"}, {}, {"deactivating"}};
  manager.Pauses.clear();
  EXPECT_FALSE(TvxTools::StopService(u"stuck"));
  EXPECT_EQ(manager.Pauses.size(), 120u);
}

TEST(ServiceControl, AServiceThatVanishesEndsTheRounds) {
  TFakeServiceManager manager;
  manager.Units["gone"] = {"loaded", {"inactive"}, {"activating"}, {}};
  manager.Units["gone"].VanishesOnStart = true;
  EXPECT_FALSE(TvxTools::StartService(u"gone"));
  EXPECT_EQ(manager.Queries, 1 + 1);
  EXPECT_EQ(manager.Pauses.size(), 1u);
}

}  // namespace
