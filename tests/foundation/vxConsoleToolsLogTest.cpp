// Tests of the logging console: lines, levels, counters, the log thread's
// files, syslog over a loopback UDP socket, SNMP traps received by
// snmptrapd, the console echo and reading log lines back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <map>
#include <regex>
#include <thread>

#include "foundation/vxConsoleTools.h"
#include "platform/base/vxCodePage.h"
#include "platform/time/vxDateUtils.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

extern char** environ;

// net-snmp registers its transports once per process and never frees them:
// allocations for the process's lifetime, not leaks of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libnetsnmp.so\n"; }

namespace {

using vxRuntime::EncodeDateTime;

// Texts joined by appending (no temporary on the right of a +).
std::string Cat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view p : parts) out.append(p);
  return out;
}

// A console whose installation, registry and log folder lie in a fresh
// folder, with a clock the test sets.
class ConsoleTest : public ::testing::Test {
 protected:
  ConsoleTest()
      : FRegistry("VARLO_REGISTRY", Dir.File("registry")), FSys("VARLOSYS", Dir.File("sys")) {}

  std::unique_ptr<TvxConsoleTools> MakeConsole(bool Gmt = false) {
    auto console = std::make_unique<TvxConsoleTools>(Gmt, [this] { return Clock.load(); });
    console->AsService = true;
    console->LogFile = Dir.WideFile("svc");
    return console;
  }

  std::string FileOfDay(const std::string& day, int number = 0) const {
    return Dir.File(Cat({"svc-", day, number > 0 ? Cat({"-", std::to_string(number)}) : "", ".txt"}));
  }

  static std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
      const size_t end = bytes.find("\r\n", start);
      if (end == std::string::npos) break;
      lines.push_back(bytes.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

  // Waits (bounded) until the log thread has handled Count entries.
  static void WaitHandled(TvxConsoleTools& console, uint64_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (console.LogThread->LogCount() < count && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

  TTestTempDir Dir;
  vxTest::TScopedEnv FRegistry;
  vxTest::TScopedEnv FSys;
  std::atomic<TDateTime> Clock{EncodeDateTime(2026, 12, 9, 14, 5, 7, 42)};
};

TEST(ConsoleLine, LayoutOfTheExample) {
  const TDateTime t = EncodeDateTime(2026, 12, 9, 14, 5, 7, 42);
  EXPECT_EQ(TvxConsoleTools::CreateLogTextW(u"error", u"Disk full", t, u"10.0.0.5", false),
            u"09.12.26 14:05:07-042 10.0.0.5        error.....: Disk full");
  EXPECT_EQ(TvxConsoleTools::CreateLogTextW(vxLog_Warning, u"x", t, u"", true),
            u"09.12.26 14:05:07-042                 warning...: x");
  // Kinds cut to ten, line breaks: CR LF and LF become blanks, and so does a
  // lone CR, where a reader of the file would end the line.
  EXPECT_EQ(TvxConsoleTools::CreateLogTextW(u"averylongkind", u"a\r\nb\nc\rd", t, u"h", false),
            u"09.12.26 14:05:07-042 h               averylongk: a b c d");
  const ustring ipv6 = u"2001:0db8:85a3:0000:0000:8a2e:0370:7334";
  ASSERT_EQ(ipv6.size(), 39u);
  EXPECT_EQ(TvxConsoleTools::CreateLogTextW(u"info", u"m", t, ipv6, true),
            u"09.12.26 14:05:07-042 2001:0db8:85... info......: m");
  EXPECT_EQ(TvxConsoleTools::CreateLogTextW(u"info", u"m", t, ipv6, false),
            u"09.12.26 14:05:07-042 " + ipv6 + u" info......: m");
}

TEST(ConsoleLine, EightBitLineIsRealUtf8) {
  const TDateTime t = EncodeDateTime(2026, 12, 9, 14, 5, 7, 42);
  // U+1F600 is one four-byte sequence, not two three-byte ones; the
  // address is in the system code page.
  const std::string line = TvxConsoleTools::CreateLogText(u"info", u"smile \U0001F600 \u00FC", t, u"h\u00E4", false);
  EXPECT_EQ(line, "09.12.26 14:05:07-042 h\xE4              info......: smile \xF0\x9F\x98\x80 \xC3\xBC");
}

TEST(ConsoleLine, KindTables) {
  EXPECT_EQ(TvxConsoleTools::MinimumLevel(vxLog_Error), 1);
  EXPECT_EQ(TvxConsoleTools::MinimumLevel(vxLog_Note), 2);
  EXPECT_EQ(TvxConsoleTools::MinimumLevel(vxLog_Trace), 5);
  EXPECT_EQ(TvxConsoleTools::MinimumLevel(vxLog_Unknown), 4);
  EXPECT_EQ(TvxConsoleTools::SyslogSeverity(vxLog_Critical), slCritical);
  EXPECT_EQ(TvxConsoleTools::SyslogSeverity(vxLog_Note), slNotice);
  EXPECT_EQ(TvxConsoleTools::ConsoleColour(vxLog_Error), 12);
  EXPECT_EQ(TvxConsoleTools::ConsoleColour(vxLog_Success), 10);
}

TEST_F(ConsoleTest, LevelsFiltersAndCounters) {
  auto console = MakeConsole();
  console->LogToFile = false;
  struct Case {
    int32_t Level;
    const char16_t* Kind;
    bool Passes;
  };
  const Case cases[] = {
      {2, u"debug", false}, {2, u"note", true},  {2, u"error", true},   {5, u"trace", true},
      {5, u"blob", true},   {4, u"trace", false}, {0, u"error", false}, {0, u"critical", false},
      {3, u"status", false}, {4, u"status", true},
  };
  for (const Case& c : cases) {
    console->LogLevel = c.Level;
    console->ClearIntLog();
    const ustring line = console->Log(c.Kind, u"m", u"h");
    EXPECT_EQ(!line.empty(), c.Passes) << WideToUtf8(c.Kind) << " at " << c.Level;
    std::lock_guard<std::mutex> lock(console->LogLock);
    EXPECT_EQ(console->IntLog.Count(), c.Passes ? 1 : 0);
  }
  // Filtered errors are counted too.
  EXPECT_EQ(console->SysErrors(), 2u);
  EXPECT_EQ(console->SysErrorsToday(), 2u);
  EXPECT_EQ(console->SysCriticals(), 1u);
  EXPECT_EQ(console->LogCount.load(), std::size(cases));
  // The status kind: unknown, written with its own text.
  console->LogLevel = 5;
  EXPECT_NE(console->Log(u"Status", u"x", u"h").find(u"status....: x"), ustring::npos);
}

TEST_F(ConsoleTest, AccessViolationBecomesCritical) {
  auto console = MakeConsole();
  console->LogToFile = false;
  const ustring line = console->Log(u"Error", u"Exception: Access violation at address 00401000", u"h");
  EXPECT_NE(line.find(u"critical..: Exception"), ustring::npos);
  EXPECT_EQ(console->SysCriticals(), 1u);
  EXPECT_EQ(console->SysErrors(), 0u);
  console->Log(u"error", u"zugriffsverletzung", u"h");
  console->Log(u"error", u"disk full", u"h");
  EXPECT_EQ(console->SysCriticalsToday(), 2u);
  std::lock_guard<std::mutex> lock(console->LogLock);
  EXPECT_EQ(console->IntErrorLog.Count(), 3);
}

TEST_F(ConsoleTest, IntLogKeepsTheLatestLines) {
  auto console = MakeConsole();
  console->LogToFile = false;
  console->MaxIntLog = 3;
  for (int i = 0; i < 5; ++i) console->Log(u"info", Utf8ToWide(std::to_string(i)), u"h");
  std::lock_guard<std::mutex> lock(console->LogLock);
  ASSERT_EQ(console->IntLog.Count(), 3);
  EXPECT_NE(console->IntLog[0].find(u": 2"), ustring::npos);
}

TEST_F(ConsoleTest, TodayCountersResetOnANewDay) {
  auto console = MakeConsole();
  console->LogToFile = false;
  console->Log(u"warning", u"w", u"h");
  EXPECT_FALSE(console->CheckErrWarnReset());
  Clock = EncodeDateTime(2026, 12, 10, 0, 0, 1, 0);
  EXPECT_EQ(console->SysWarningsToday(), 0u);
  EXPECT_EQ(console->SysWarnings(), 1u);
}

TEST_F(ConsoleTest, UpTimeIsAtLeastOne) {
  auto console = MakeConsole();
  EXPECT_EQ(console->GetServiceUpTime(), 1u);
  Clock = Clock.load() + 90.0 / 86400;
  EXPECT_EQ(console->GetServiceUpTime(), 90u);
}

TEST_F(ConsoleTest, EntriesReachTheDailyFileWithShortAddresses) {
  const ustring ipv6 = u"2001:0db8:85a3:0000:0000:8a2e:0370:7334";
  {
    auto console = MakeConsole();
    EXPECT_EQ(console->Log(u"info", u"one", ipv6).find(ipv6) != ustring::npos, true);
    console->Log(u"error", u"two\r\nlines", u"10.0.0.5");
    console->Log(u"debug", u"filtered", u"h");  // level 4 passes debug
    console->LogLevel = 3;
    console->Log(u"debug", u"not queued", u"h");
  }
  const auto lines = Lines(TTestTempDir::ReadBytes(FileOfDay("20261209")));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "09.12.26 14:05:07-042 2001:0db8:85... info......: one");
  EXPECT_EQ(lines[1], "09.12.26 14:05:07-042 10.0.0.5        error.....: two lines");
  EXPECT_NE(lines[2].find("filtered"), std::string::npos);
}

TEST_F(ConsoleTest, NumberedFilesPastTheSizeLimit) {
  const std::string day = "20261209";
  TTestTempDir::WriteBytes(FileOfDay(day), "base\r\n");
  TTestTempDir::WriteBytes(FileOfDay(day, 1), "one\r\n");
  TTestTempDir::WriteBytes(FileOfDay(day, 2), "");
  // A sparse file of exactly the limit: no real data.
  ASSERT_EQ(truncate(FileOfDay(day, 2).c_str(), TvxConsoleTools::MaxLogFileSize), 0);
  {
    auto console = MakeConsole();
    EXPECT_EQ(console->FindLogFileNumber(), 2);
    console->Log(u"info", u"goes to three", u"h");
  }
  EXPECT_NE(TTestTempDir::ReadBytes(FileOfDay(day, 3)).find("goes to three"), std::string::npos);
  EXPECT_EQ(std::filesystem::file_size(FileOfDay(day, 2)), static_cast<uintmax_t>(TvxConsoleTools::MaxLogFileSize));
}

TEST_F(ConsoleTest, BelowTheLimitTheLastNumberedFileIsContinued) {
  const std::string day = "20261209";
  TTestTempDir::WriteBytes(FileOfDay(day), "base\r\n");
  TTestTempDir::WriteBytes(FileOfDay(day, 1), "one\r\n");
  TTestTempDir::WriteBytes(FileOfDay(day, 2), "two\r\n");
  { MakeConsole()->Log(u"info", u"appended", u"h"); }
  const auto lines = Lines(TTestTempDir::ReadBytes(FileOfDay(day, 2)));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "two");
}

TEST_F(ConsoleTest, SizeCheckedWhenABatchPassesAMultipleOfThousand) {
  const std::string day = "20261209";
  auto console = MakeConsole();
  console->Log(u"info", u"first", u"h");
  WaitHandled(*console, 1);
  // The current file reaches the limit; the next 1,500 entries pass the
  // count 1,000 inside one batch or several: the check still happens.
  ASSERT_EQ(truncate(FileOfDay(day).c_str(), TvxConsoleTools::MaxLogFileSize), 0);
  for (int i = 0; i < 1500; ++i) console->Log(u"info", u"more", u"h");
  console.reset();
  EXPECT_TRUE(std::filesystem::exists(FileOfDay(day, 1)));
}

TEST_F(ConsoleTest, ADayChangeStartsTheNewDaysFile) {
  auto console = MakeConsole();
  console->Log(u"info", u"before midnight", u"h");
  WaitHandled(*console, 1);
  Clock = EncodeDateTime(2026, 12, 10, 0, 0, 1, 0);
  console->Log(u"info", u"after midnight", u"h");
  console.reset();
  EXPECT_NE(TTestTempDir::ReadBytes(FileOfDay("20261209")).find("before midnight"), std::string::npos);
  EXPECT_NE(TTestTempDir::ReadBytes(FileOfDay("20261210")).find("after midnight"), std::string::npos);
}

TEST_F(ConsoleTest, AFileThatWillNotOpenGivesOneLinePerPass) {
  TTestTempDir::WriteBytes(Dir.File("plain"), "a file, not a folder");
  const std::string out = Dir.File("stdout");
  const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  {
    auto console = MakeConsole();
    console->StdOutputHandle = fd;
    console->LogFile = Dir.WideFile("plain/svc");
    for (int i = 0; i < 200; ++i) console->Log(u"info", u"lost for the file", u"h");
  }
  close(fd);
  const auto lines = Lines(TTestTempDir::ReadBytes(out));
  ASSERT_FALSE(lines.empty());
  EXPECT_LT(lines.size(), 200u);
  EXPECT_EQ(lines[0].rfind("rewrite file exception (", 0), 0u) << lines[0];
}

TEST_F(ConsoleTest, ConsoleEchoCutsLongLines) {
  const std::string out = Dir.File("echo");
  const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  {
    auto console = MakeConsole();
    console->LogToFile = false;
    console->AsService = false;
    console->StdOutputHandle = fd;
    // The prefix is 21 + 1 + 15 + 1 + 10 + 2 = 50 characters.
    console->Log(u"info", ustring(100, u'x'), u"h");  // 150
    console->Log(u"info", ustring(99, u'y'), u"h");   // 149
  }
  close(fd);
  const auto lines = Lines(TTestTempDir::ReadBytes(out));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 149u);
  EXPECT_EQ(lines[0].substr(143), "xxx...");
  EXPECT_EQ(lines[1].size(), 149u);
  EXPECT_EQ(lines[1].substr(146), "yyy");
  // Not a terminal: no colour sequences.
  EXPECT_EQ(lines[0].find('\x1b'), std::string::npos);
}

TEST_F(ConsoleTest, EightThreadsEveryEntryExactlyOnce) {
  constexpr int Threads = 8, PerThread = 10000;
  {
    auto console = MakeConsole();
    console->LogLevel = 5;
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t)
      threads.emplace_back([&console, t] {
        for (int i = 0; i < PerThread; ++i)
          console->Log(u"info", Utf8ToWide(Cat({"t", std::to_string(t), "-", std::to_string(i)})), u"h");
      });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(console->LogCount.load(), static_cast<uint64_t>(Threads * PerThread));
  }
  std::map<std::string, int> seen;
  for (const std::string& line : Lines(TTestTempDir::ReadBytes(FileOfDay("20261209"))))
    ++seen[line.substr(line.rfind(": ") + 2)];
  ASSERT_EQ(seen.size(), static_cast<size_t>(Threads * PerThread));
  for (const auto& [text, count] : seen) ASSERT_EQ(count, 1) << text;
}

TEST_F(ConsoleTest, GmtNamesTheFileByTheUtcDate) {
  // 00:30 local on the 10th is the 9th in UTC anywhere east of Greenwich;
  // the test computes what it expects from the same clock.
  Clock = EncodeDateTime(2026, 12, 10, 0, 30, 0, 0);
  auto console = MakeConsole(true);
  int y = 0, m = 0, d = 0;
  vxRuntime::DecodeDate(console->LogNow(), y, m, d);
  char day[16];
  std::snprintf(day, sizeof day, "%04d%02d%02d", y, m, d);
  EXPECT_EQ(WideToUtf8(console->GetLogFileName()), FileOfDay(day));
}

// ---- syslog -----------------------------------------------------------------

class UdpReceiver {
 public:
  UdpReceiver() {
    FFd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(FFd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(FFd, reinterpret_cast<sockaddr*>(&address), &length);
    FPort = ntohs(address.sin_port);
  }
  ~UdpReceiver() { close(FFd); }
  uint16_t Port() const { return FPort; }
  // The next datagram, or empty after 10 s.
  std::string Receive(int timeoutMs = 10000) {
    pollfd p{FFd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return {};
    char buffer[65536];
    const ssize_t n = recv(FFd, buffer, sizeof buffer, 0);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
  }

 private:
  int FFd = -1;
  uint16_t FPort = 0;
};

TEST_F(ConsoleTest, SyslogReceivesRfc3164Lines) {
  UdpReceiver receiver;
  {
    auto console = MakeConsole();
    console->LogToFile = false;
    console->LogLevel = 5;
    console->SysLogActive = true;
    console->SysLogServer = u"127.0.0.1";
    console->SysLogPort = receiver.Port();
    console->SysLogLevel = 5;
    console->ServerTechName = u"vxtest";
    console->Log(u"trace", u"never sent", u"h");
    console->Log(u"Error", u"Exception: Access violation at address 00401000", u"h");
    console->Log(u"note", u"noticed \u00FC", u"h");
  }
  const std::string first = receiver.Receive();
  const std::string second = receiver.Receive();
  // local0 (16) * 8 + critical (2) = 130; + notice (5) = 133.
  const std::regex form(R"(<(\d+)>(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [ 1-3]\d \d\d:\d\d:\d\d \S+ VXTEST: (.*))");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(first, match, form)) << first;
  EXPECT_EQ(match[1], "130");
  EXPECT_EQ(match[3], "Exception: Access violation at address 00401000");
  ASSERT_TRUE(std::regex_match(second, match, form)) << second;
  EXPECT_EQ(match[1], "133");
  EXPECT_EQ(match[3], "noticed \xC3\xBC");
  EXPECT_EQ(receiver.Receive(200), "");  // the trace entry stayed away
}

TEST_F(ConsoleTest, SyslogLevelFilters) {
  UdpReceiver receiver;
  {
    auto console = MakeConsole();
    console->LogToFile = false;
    console->SysLogActive = true;
    console->SysLogServer = u"127.0.0.1";
    console->SysLogPort = receiver.Port();
    console->Log(u"info", u"level 3 stays away at syslog level 2", u"h");
    console->Log(u"warning", u"sent", u"h");
  }
  EXPECT_NE(receiver.Receive().find("sent"), std::string::npos);
  EXPECT_EQ(receiver.Receive(200), "");
}

// ---- SNMP -------------------------------------------------------------------

// snmptrapd on a free UDP port of 127.0.0.1, logging into a file.
class TrapDaemon {
 public:
  explicit TrapDaemon(const TTestTempDir& dir) : FLog(dir.File("traps.log")) {
    TTestTempDir::WriteBytes(dir.File("snmptrapd.conf"), "disableAuthorization yes\n");
    {
      UdpReceiver probe;  // a port that is free now
      FPort = probe.Port();
    }
    const std::string listen = Cat({"udp:127.0.0.1:", std::to_string(FPort)});
    std::vector<std::string> args = {"/usr/sbin/snmptrapd", "-f", "-Lf", FLog, "-C", "-c", dir.File("snmptrapd.conf"),
                                     "-n", "-On", listen};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = {"MIBS=", Cat({"MIBDIRS=", dir.File("nomibs")}), Cat({"SNMP_PERSISTENT_DIR=", dir.File("persist")}),
                                    "PATH=/usr/bin:/bin"};
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&FPid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) FPid = -1;
    posix_spawn_file_actions_destroy(&actions);
    Ready = WaitFor("NET-SNMP version");
  }
  ~TrapDaemon() {
    if (FPid > 0) {
      kill(FPid, SIGTERM);
      waitpid(FPid, nullptr, 0);
    }
  }
  uint16_t Port() const { return FPort; }
  std::string Log() const { return TTestTempDir::ReadBytes(FLog); }
  // Waits (bounded) until the log holds Text.
  bool WaitFor(const std::string& text) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      if (Log().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  bool Ready = false;

 private:
  std::string FLog;
  uint16_t FPort = 0;
  pid_t FPid = -1;
};

TEST(ConsoleSnmp, EnterpriseNumberIsPinned) {
  EXPECT_STREQ(TvxConsoleTools::SnmpEnterprise, "1.3.6.1.4.1.32473");
}

TEST_F(ConsoleTest, ErrorsBecomeTrapsReceivedBySnmptrapd) {
  if (access("/usr/sbin/snmptrapd", X_OK) != 0) GTEST_SKIP() << "snmptrapd is not installed";
  TrapDaemon daemon(Dir);
  ASSERT_TRUE(daemon.Ready) << daemon.Log();
  {
    auto console = MakeConsole();
    console->LogToFile = false;
    console->SNMPActive = true;
    console->SNMPServer = u"127.0.0.1";
    console->SNMPPort = daemon.Port();
    console->ServerName = u"Test Server";
    console->ServerTechName = u"vxtest";
    console->Log(u"info", u"no trap for info", u"h");
    console->Log(u"error", u"disk full", u"h");
  }
  ASSERT_TRUE(daemon.WaitFor("disk full")) << daemon.Log();
  const std::string log = daemon.Log();
  EXPECT_EQ(log.find("no trap for info"), std::string::npos);
  EXPECT_NE(log.find(".1.3.6.1.4.1.32473"), std::string::npos) << log;
  EXPECT_NE(log.find(".1.3.6.1.4.1.32473.0 = STRING: \"Test Server\""), std::string::npos) << log;
  EXPECT_NE(log.find(".1.3.6.1.4.1.32473.1 = STRING: \"vxtest\""), std::string::npos) << log;
  EXPECT_NE(log.find(".1.3.6.1.4.1.32473.2 = STRING: \"2026-12-09 14:05:07\""), std::string::npos) << log;
  EXPECT_NE(log.find(".1.3.6.1.4.1.32473.4 = STRING: \"error\""), std::string::npos) << log;
  EXPECT_NE(log.find(".1.3.6.1.4.1.32473.5 = STRING: \"disk full\""), std::string::npos) << log;
}

TEST_F(ConsoleTest, AFailedSyslogSendGivesTheErrorLine) {
  UdpReceiver receiver;
  const std::string out = Dir.File("stdout");
  const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  {
    auto console = MakeConsole();
    console->LogToFile = false;
    console->StdOutputHandle = fd;
    console->SysLogActive = true;
    console->SysLogServer = u"127.0.0.1";
    console->SysLogPort = receiver.Port();
    console->Log(u"error", ustring(70000, u'x'), u"h");  // larger than any datagram
    console->Log(u"error", u"small", u"h");
  }
  close(fd);
  EXPECT_EQ(TTestTempDir::ReadBytes(out).rfind("EXCEPTION: could not contact syslog server (", 0), 0u);
  EXPECT_NE(receiver.Receive().find("small"), std::string::npos);  // the thread went on
}

// ---- reading log lines back ---------------------------------------------------

TEST_F(ConsoleTest, ParseBothLineForms) {
  auto console = MakeConsole();
  const TDateTime t = EncodeDateTime(2026, 12, 9, 14, 5, 7, 42);
  const TvxLogRecord current =
      console->ParseLogLineW(TvxConsoleTools::CreateLogTextW(u"warning", u" Disk almost full ", t, u"10.0.0.5", true));
  EXPECT_NEAR(current.TimeStamp, t, 0.5 / 86400000);
  EXPECT_EQ(current.Address, u"10.0.0.5");
  EXPECT_EQ(current.LogType, u"warning");
  EXPECT_EQ(current.LogInfoType, vxLog_Warning);
  EXPECT_EQ(current.Text, u"Disk almost full");

  const TvxLogRecord older = console->ParseLogLineW(u"09.12.2026 14:05:07.042 <10.0.0.1> error.....: broken: twice");
  EXPECT_NEAR(older.TimeStamp, t, 0.5 / 86400000);
  EXPECT_EQ(older.Address, u"10.0.0.1");
  EXPECT_EQ(older.LogInfoType, vxLog_Error);
  EXPECT_EQ(older.Text, u"broken: twice");

  EXPECT_THROW(console->ParseLogLineW(u"09.12.26 xx:05:07-042 h error.....: m"), EConvertError);
  EXPECT_THROW(console->ParseLogLineW(u"09.12.26 25:05:07-042 h error.....: m"), EConvertError);
}

TEST_F(ConsoleTest, ParseEightBitLinesDecodesUtf8OrTheCodePage) {
  auto console = MakeConsole();
  const TDateTime t = EncodeDateTime(2026, 12, 9, 14, 5, 7, 42);
  const std::string utf8 = TvxConsoleTools::CreateLogText(u"info", u"gr\u00FC\u00DF \U0001F600", t, u"h", false);
  EXPECT_EQ(console->ParseLogLine(utf8).Text, u"gr\u00FC\u00DF \U0001F600");
  EXPECT_EQ(console->ParseLogLine("09.12.26 14:05:07-042 h               info......: gr\xFC\xDF").Text,
            u"gr\u00FC\u00DF");
  // The bytes 0x80 to 0x9F are Windows-1252 characters, as the log thread
  // writes them, not C1 controls.
  EXPECT_EQ(console->ParseLogLine("09.12.26 14:05:07-042 h               info......: 5 \x80 \x93q\x94").Text,
            u"5 \u20AC \u201Cq\u201D");
}

// What the log thread writes reads back: a message with a lone CR stays one
// entry (the reader ends a line at any CR), and characters of the code page
// beyond Latin-1 come back.
TEST_F(ConsoleTest, LogFileEntriesReadBackAsWritten) {
  const std::string file = Dir.File("round.txt");
  const TDateTime t = EncodeDateTime(2026, 12, 9, 14, 5, 7, 42);
  const std::vector<ustring> messages = {u"a\rb", u"line\r\nbreak\nand\r", u"5 \u20AC \u201Cquoted\u201D"};
  std::string content;
  for (const ustring& message : messages)
    content += WideToAnsi(TvxConsoleTools::CreateLogTextW(u"info", message, t, u"h", true)) + "\r\n";
  TTestTempDir::WriteBytes(file, content);
  auto console = MakeConsole();
  TStringList read;
  ASSERT_TRUE(console->ParseLogFile(Utf8ToWide(file), read, 0, 5));
  ASSERT_EQ(read.Count(), 3);
  EXPECT_EQ(read[0], u"a b");
  EXPECT_EQ(read[1], u"line break and");
  EXPECT_EQ(read[2], u"5 \u20AC \u201Cquoted\u201D");
  EXPECT_EQ(TvxConsoleTools::CreateLogText(u"info", u"x\ry", t, u"h", true).find('\r'), std::string::npos);
}

TEST_F(ConsoleTest, ParseLogFileByLevelAndCount) {
  const std::string file = Dir.File("read.txt");
  const TDateTime t = EncodeDateTime(2026, 12, 9, 14, 5, 7, 42);
  std::string content;
  for (const auto& [kind, text] : std::vector<std::pair<ustring, ustring>>{
           {u"error", u"e1"}, {u"debug", u"d1"}, {u"info", u"i1"}, {u"critical", u"c1"}, {u"warning", u"w1"}})
    content += WideToAnsi(TvxConsoleTools::CreateLogTextW(kind, text, t, u"h", true)) + "\r\n";
  TTestTempDir::WriteBytes(file, content);
  auto console = MakeConsole();
  TStringList all, two, errors;
  EXPECT_TRUE(console->ParseLogFile(Utf8ToWide(file), all, 0, 5));
  EXPECT_EQ(all.Count(), 5);
  EXPECT_TRUE(console->ParseLogFile(Utf8ToWide(file), two, 2, 5));
  EXPECT_EQ(two.Count(), 2);
  EXPECT_TRUE(console->ParseLogFile(Utf8ToWide(file), errors, 0, 1));
  ASSERT_EQ(errors.Count(), 2);
  EXPECT_EQ(errors[1], u"c1");
  EXPECT_FALSE(console->ParseLogFile(Dir.WideFile("missing.txt"), all, 0, 5));
}

}  // namespace
