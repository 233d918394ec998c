// Starting, waiting for, listing and ending real processes.
#include "platform/process/vxProcess.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/base/vxCodePage.h"
#include "support/vxTestTempDir.h"

namespace {

using vxProcess::TChildProcess;

vxProcess::TStartInfo Shell(const std::string& script) {
  vxProcess::TStartInfo info;
  info.Arguments = {u"/bin/sh", u"-c", Utf8ToWide(script)};
  return info;
}

vxProcess::TStartInfo Program(std::vector<ustring> arguments) {
  vxProcess::TStartInfo info;
  info.Arguments = std::move(arguments);
  return info;
}

// Waits for the child's end (each step is bounded; the test's own time-out
// ends a hang).
uint32_t ExitCodeOf(TChildProcess& child) {
  uint32_t code = 0;
  TChildProcess::TWaitResult state;
  while ((state = child.Wait(1000, code)) == TChildProcess::wrTimeout) {
  }
  EXPECT_EQ(state, TChildProcess::wrEnded);
  return code;
}

// Field 19 of /proc/PID/stat: the nice value.
int NiceOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), {});
  std::string rest = stat.substr(stat.rfind(')') + 2);
  for (int field = 3; field < 19; ++field) rest = rest.substr(rest.find(' ') + 1);
  return std::stoi(rest.substr(0, rest.find(' ')));
}

TEST(Process, ExitCodesAndSignals) {
  int error = -1;
  TChildProcess child = TChildProcess::Start(Shell("exit 3"), error);
  ASSERT_TRUE(child.Valid());
  EXPECT_EQ(error, 0);
  EXPECT_EQ(ExitCodeOf(child), 3u);
  uint32_t code = 0;
  EXPECT_EQ(child.Wait(0, code), TChildProcess::wrFailed);  // reaped already

  TChildProcess sleeper = TChildProcess::Start(Program({u"sleep", u"30"}), error);  // found on PATH
  ASSERT_TRUE(sleeper.Valid());
  EXPECT_EQ(sleeper.Wait(0, code), TChildProcess::wrTimeout);
  EXPECT_EQ(sleeper.Wait(50, code), TChildProcess::wrTimeout);
  EXPECT_TRUE(vxProcess::ProcessRunning(sleeper.Pid()));
  EXPECT_TRUE(sleeper.Kill());
  EXPECT_EQ(ExitCodeOf(sleeper), 128u + 9u);
  EXPECT_FALSE(vxProcess::ProcessRunning(sleeper.Pid()));
}

TEST(Process, MissingProgramsAndFolders) {
  int error = 0;
  EXPECT_FALSE(TChildProcess::Start(Program({u"/no/such/program"}), error).Valid());
  EXPECT_EQ(error, ENOENT);
  EXPECT_FALSE(TChildProcess::Start(Program({u"no-such-program-anywhere"}), error).Valid());
  EXPECT_EQ(error, ENOENT);
  EXPECT_FALSE(TChildProcess::Start(Program({}), error).Valid());
  vxProcess::TStartInfo info = Shell("exit 0");
  info.WorkDirectory = u"/no/such/folder";
  EXPECT_FALSE(TChildProcess::Start(info, error).Valid());
}

TEST(Process, TheChildGetsAFreshStart) {
  TTestTempDir dir;
  const std::string real = std::filesystem::canonical(dir.Path()).string();
  // An inheritable descriptor of ours must not reach the child.
  const int fd = open("/dev/null", O_RDONLY);
  ASSERT_GE(fd, 3);
  vxProcess::TStartInfo info =
      Shell("test -e /proc/self/fd/" + std::to_string(fd) + " && exit 1; [ \"$(pwd -P)\" = '" + real + "' ] || exit 2");
  info.WorkDirectory = Utf8ToWide(real);
  int error = 0;
  TChildProcess child = TChildProcess::Start(info, error);
  ASSERT_TRUE(child.Valid());
  EXPECT_EQ(ExitCodeOf(child), 0u);
  close(fd);

  vxProcess::TStartInfo sleeper = Program({u"sleep", u"30"});
  sleeper.NewSession = true;
  sleeper.NiceValue = 19;
  TChildProcess led = TChildProcess::Start(sleeper, error);
  ASSERT_TRUE(led.Valid());
  EXPECT_EQ(getsid(led.Pid()), led.Pid());
  EXPECT_EQ(NiceOf(led.Pid()), 19);
  led.Kill();
  ExitCodeOf(led);
}

TEST(Process, DetachedProgramsAreNotOurChildren) {
  TTestTempDir dir;
  const std::string fifo = dir.File("report");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  int error = 0;
  const pid_t pid = vxProcess::StartDetached(Shell("echo $PPID > '" + fifo + "'"), error);
  ASSERT_GT(pid, 0);
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  std::string text;
  pollfd entry{reader, POLLIN, 0};
  while (text.find('\n') == std::string::npos && poll(&entry, 1, 10000) > 0) {
    char buffer[64];
    const ssize_t n = read(reader, buffer, sizeof buffer);
    if (n > 0) text.append(buffer, static_cast<size_t>(n));
    if (n == 0 && !text.empty()) break;
  }
  close(reader);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(std::stoi(text), getpid());

  EXPECT_EQ(vxProcess::StartDetached(Program({u"/no/such/program"}), error), 0);
  EXPECT_EQ(error, ENOENT);

  // Ending a detached program: the system reaps it.
  const pid_t sleeper = vxProcess::StartDetached(Program({u"sleep", u"30"}), error);
  ASSERT_GT(sleeper, 0);
  const int handle = static_cast<int>(syscall(SYS_pidfd_open, sleeper, 0));
  ASSERT_GE(handle, 0);
  EXPECT_TRUE(vxProcess::ProcessRunning(sleeper));
  EXPECT_TRUE(vxProcess::TerminateProcess(sleeper));
  pollfd ended{handle, POLLIN, 0};
  EXPECT_EQ(poll(&ended, 1, 10000), 1);
  close(handle);
  EXPECT_FALSE(vxProcess::ProcessRunning(sleeper));
  EXPECT_FALSE(vxProcess::TerminateProcess(0));
  EXPECT_FALSE(vxProcess::TerminateProcess(-1));
}

TEST(Process, TheListNamesProcessesByTheirExecutable) {
  bool found = false;
  for (const auto& entry : vxProcess::ProcessList())
    if (entry.Pid == getpid()) {
      found = true;
      EXPECT_EQ(entry.ExeName, u"test_platform");
    }
  EXPECT_TRUE(found);
  EXPECT_TRUE(vxProcess::ProcessRunning(getpid()));
  EXPECT_FALSE(vxProcess::ProcessRunning(0));
}

TEST(Process, ProgramsOnThePath) {
  const ustring sh = vxProcess::FindProgram(u"sh");
  EXPECT_TRUE(sh.ends_with(u"/sh")) << WideToUtf8(sh);
  EXPECT_EQ(vxProcess::FindProgram(u"/bin/sh"), u"/bin/sh");
  EXPECT_EQ(vxProcess::FindProgram(u"/etc/passwd"), u"");  // not executable
  EXPECT_EQ(vxProcess::FindProgram(u"/etc"), u"");
  EXPECT_EQ(vxProcess::FindProgram(u"no-such-program-anywhere"), u"");
  EXPECT_EQ(vxProcess::FindProgram(u""), u"");
}

TEST(Process, TheCommandRunnerCanBeReplaced) {
  std::vector<ustring> seen;
  auto previous = vxProcess::SetCommandRunner([&](const std::vector<ustring>& arguments) {
    seen = arguments;
    return false;
  });
  EXPECT_FALSE(vxProcess::RunCommand({u"xdg-open", u"https://example.invalid/"}));
  EXPECT_EQ(seen, (std::vector<ustring>{u"xdg-open", u"https://example.invalid/"}));
  vxProcess::SetCommandRunner(std::move(previous));
}

}  // namespace
