// Starting programs, the desktop opener, finding and ending processes,
// shutting down (through a stand-in runner) and the quick debug log.
#include "core/vxToolsProcess.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <regex>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/process/vxApplication.h"
#include "platform/process/vxProcess.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

// Replaces the system-command runner for one test and records the calls.
class TFakeRunner {
 public:
  TFakeRunner() {
    FPrevious = vxProcess::SetCommandRunner([this](const std::vector<ustring>& arguments) {
      Calls.push_back(arguments);
      return Answer;
    });
  }
  ~TFakeRunner() { vxProcess::SetCommandRunner(std::move(FPrevious)); }

  std::vector<std::vector<ustring>> Calls;
  bool Answer = true;

 private:
  vxProcess::TCommandRunner FPrevious;
};

// Reads one line that a started program writes into the FIFO (bounded).
std::string ReadReport(const std::string& fifo) {
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  if (reader < 0) return "no fifo";
  std::string text;
  pollfd entry{reader, POLLIN, 0};
  while (text.find('\n') == std::string::npos && poll(&entry, 1, 10000) > 0) {
    char buffer[256];
    const ssize_t n = read(reader, buffer, sizeof buffer);
    if (n > 0) text.append(buffer, static_cast<size_t>(n));
    if (n == 0 && !text.empty()) break;
  }
  close(reader);
  return text;
}

// Waits (bounded) until a process that is not our child has ended.
bool AwaitEnd(pid_t pid) {
  const int handle = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (handle < 0) return !vxProcess::ProcessRunning(pid);
  pollfd entry{handle, POLLIN, 0};
  const bool ended = poll(&entry, 1, 10000) == 1;
  close(handle);
  return ended;
}

TEST(ToolsProcess, ExecAndWaitGivesTheExitCode) {
  uint32_t code = 99;
  EXPECT_FALSE(TvxTools::ExecAndWait(u"/no/such/program", u"", 1, code, u""));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(TvxTools::ExecAndWait(u"/bin/sh", u"-c \"exit 3\"", 1, code, u""));
  EXPECT_EQ(code, 3u);
  EXPECT_TRUE(TvxTools::ExecAndWait(u"sh", u"-c \"exit 0\"", 0, u""));  // found on PATH
}

TEST(ToolsProcess, ProgramPathsWithBlanksAndQuotedParameters) {
  TTestTempDir dir;
  std::filesystem::create_directory(dir.Path() / "my tools");
  const std::string program = dir.File("my tools/my tool.sh");
  TTestTempDir::WriteBytes(program,
                           "#!/bin/sh\n"
                           "[ \"$#\" = 3 ] || exit 1\n"
                           "[ \"$1\" = 'a b' ] || exit 2\n"
                           "[ \"$2\" = 'say \"hi\"' ] || exit 3\n"
                           "[ \"$3\" = 'C:\\dir\\' ] || exit 4\n"
                           "[ \"$(pwd -P)\" = \"$(cd '" + dir.File("my tools") + "' && pwd -P)\" ] || exit 5\n"
                           "exit 7\n");
  chmod(program.c_str(), 0755);
  uint32_t code = 0;
  EXPECT_TRUE(TvxTools::ExecAndWait(Utf8ToWide(program), u"\"a b\" \"say \\\"hi\\\"\" C:\\dir\\", 1, code,
                                    dir.WideFile("my tools")));
  EXPECT_EQ(code, 7u);
  EXPECT_FALSE(TvxTools::ExecAndWait(Utf8ToWide(program), u"", 1, code, dir.WideFile("no such folder")));
}

TEST(ToolsProcess, TheMessageHookRunsWhileWaiting) {
  int calls = 0;
  auto previous = vxApplication::SetMessageHook([&] { ++calls; });
  uint32_t code = 0;
  EXPECT_TRUE(TvxTools::ExecAndWait(u"/bin/sh", u"-c \"exit 0\"", 1, code, u""));
  EXPECT_GE(calls, 1);
  vxApplication::SetMessageHook(std::move(previous));
}

TEST(ToolsProcess, AWaitWithATimeOutEnds) {
  uint32_t code = 0;
  EXPECT_TRUE(TvxTools::ExecAndWait(u"sleep", u"30", 0, code, u"", 100));
  EXPECT_EQ(code, 128u + 9u);
}

TEST(ToolsProcess, ExecProcessReturnsAtOnce) {
  TTestTempDir dir;
  const std::string fifo = dir.File("report");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_TRUE(TvxTools::ExecProcess(u"/bin/sh -c \"echo started > '" + Utf8ToWide(fifo) + u"'\"", 1));
  EXPECT_EQ(ReadReport(fifo), "started\n");
  EXPECT_TRUE(TvxTools::ExecProcess(u"/bin/sh", u"-c \"pwd -P > report\"", 1, dir.WideFile("")));
  EXPECT_EQ(ReadReport(fifo), std::filesystem::canonical(dir.Path()).string() + "\n");
  EXPECT_FALSE(TvxTools::ExecProcess(u"/no/such/program", u"", 1, u""));
  EXPECT_FALSE(TvxTools::ExecProcess(u"\"/no/such/program\" x", 1));

  uintptr_t handle = 5;
  EXPECT_FALSE(TvxTools::ExecProcess(u"/no/such/program", u"", TvxTools::IDLE_PRIORITY_CLASS, 1, handle, u""));
  EXPECT_EQ(handle, 0u);
  ASSERT_TRUE(TvxTools::ExecProcess(u"sleep", u"30", TvxTools::IDLE_PRIORITY_CLASS, 1, handle, u""));
  const uint32_t pid = static_cast<uint32_t>(handle);
  EXPECT_TRUE(TvxTools::ProcessExists(pid));
  EXPECT_EQ(getpriority(PRIO_PROCESS, pid), 19);
  EXPECT_TRUE(TvxTools::KillProcess(pid));
  EXPECT_TRUE(AwaitEnd(static_cast<pid_t>(pid)));
  EXPECT_FALSE(TvxTools::ProcessExists(pid));
}

TEST(ToolsProcess, ProcessesByName) {
  TTestTempDir dir;
  const std::string name = "vxsleep-" + std::to_string(getpid());
  std::filesystem::copy_file("/bin/sleep", dir.Path() / name);
  vxProcess::TStartInfo info;
  info.Arguments = {dir.WideFile(name), u"30"};
  int error = 0;
  vxProcess::TChildProcess child = vxProcess::TChildProcess::Start(info, error);
  ASSERT_TRUE(child.Valid());
  const ustring wide = Utf8ToWide(name);
  const uint32_t pid = static_cast<uint32_t>(child.Pid());

  EXPECT_TRUE(TvxTools::ProcessExists(wide));
  EXPECT_TRUE(TvxTools::ProcessExists(u"/elsewhere/" + Utf8ToWide(std::string("VXSLEEP-") + std::to_string(getpid()))));
  EXPECT_TRUE(TvxTools::ProcessExists(pid, wide));
  EXPECT_FALSE(TvxTools::ProcessExists(pid, u"other"));
  EXPECT_FALSE(TvxTools::ProcessExists(0u, wide));
  EXPECT_FALSE(TvxTools::ProcessExists(0u));
  EXPECT_FALSE(TvxTools::KillProcess(0u));
  EXPECT_FALSE(TvxTools::KillProcess(u"no-such-process-" + wide));

  EXPECT_TRUE(TvxTools::KillProcess(u"/any/folder/" + wide));
  uint32_t code = 0;
  while (child.Wait(1000, code) == vxProcess::TChildProcess::wrTimeout) {
  }
  EXPECT_EQ(code, 128u + 9u);
  EXPECT_FALSE(TvxTools::ProcessExists(wide));
  EXPECT_FALSE(TvxTools::ProcessExists(pid));
}

TEST(ToolsProcess, ShellExecuteChecksAndOpens) {
  TTestTempDir dir;
  TFakeRunner runner;
  EXPECT_FALSE(TvxTools::ShellExecute(u"  \t ", 5, false, true));
  EXPECT_FALSE(TvxTools::ShellExecute(u"", 5, true, true));
  EXPECT_TRUE(runner.Calls.empty());

  try {
    TvxTools::ShellExecute(u"ftp://example.invalid/", 5, true, false);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"invalid url");
  }
  EXPECT_THROW(TvxTools::ShellExecute(u"www.example.invalid", 5, true, false), Exception);
  EXPECT_TRUE(TvxTools::ShellExecute(u" HTTPS://example.invalid/a ", 5, true, false));
  EXPECT_TRUE(TvxTools::ShellExecute(u"http://example.invalid/b dropped", 5, true, true));
  runner.Answer = false;
  EXPECT_FALSE(TvxTools::ShellExecute(u"https://example.invalid/c", 5, true, false));
  runner.Answer = true;

  // Documents and folders go to the opener, unknown names nowhere.
  TTestTempDir::WriteBytes(dir.File("readme.txt"), "text");
  EXPECT_TRUE(TvxTools::ShellExecute(dir.WideFile("readme.txt"), 1, false, false));
  EXPECT_TRUE(TvxTools::ShowFileInExplorer(dir.WideFile("readme.txt")));
  EXPECT_FALSE(TvxTools::ShellExecute(u"no-such-program readme.txt", 1, false, true));
  EXPECT_FALSE(TvxTools::ShellExecute(u"sh -c exit", 1, false, false));  // the whole text as the file
  const std::vector<std::vector<ustring>> expected = {
      {u"xdg-open", u"HTTPS://example.invalid/a"},
      {u"xdg-open", u"http://example.invalid/b"},
      {u"xdg-open", u"https://example.invalid/c"},
      {u"xdg-open", dir.WideFile("readme.txt")},
      {u"xdg-open", dir.WideFile("")},
  };
  EXPECT_EQ(runner.Calls, expected);

  // A program runs itself, with its parameters.
  const std::string fifo = dir.File("report");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_TRUE(TvxTools::ShellExecute(u"sh -c \"echo opened > '" + Utf8ToWide(fifo) + u"'\"", 1, false, true));
  EXPECT_EQ(ReadReport(fifo), "opened\n");
  EXPECT_EQ(runner.Calls.size(), expected.size());
}

TEST(ToolsProcess, WhatThisPlatformLacks) {
  EXPECT_FALSE(TvxTools::InstallINF(u"/tmp/setup.inf", 0));
  EXPECT_FALSE(TvxTools::RemoteCloseApplication(u"Untitled - Editor"));
}

TEST(ToolsProcess, ShutDownFlagsAndCommands) {
  struct Case {
    bool Quick, Reboot, PowerOff, LogOff;
    uint32_t Flags;
    std::vector<ustring> Command;  // empty: a log-off
  } cases[] = {
      {false, false, false, false, 1, {u"systemctl", u"halt"}},
      {false, false, true, false, 9, {u"systemctl", u"poweroff"}},
      {false, true, false, false, 2, {u"systemctl", u"reboot"}},
      {false, true, true, false, 2, {u"systemctl", u"reboot"}},
      {true, false, false, false, 5, {u"systemctl", u"--check-inhibitors=no", u"halt"}},
      {true, false, true, false, 13, {u"systemctl", u"--check-inhibitors=no", u"poweroff"}},
      {true, true, false, false, 6, {u"systemctl", u"--check-inhibitors=no", u"reboot"}},
      {true, true, true, false, 6, {u"systemctl", u"--check-inhibitors=no", u"reboot"}},
      {false, false, false, true, 0, {}},
      {false, true, true, true, 0, {}},
      {true, false, false, true, 4, {}},
      {true, true, true, true, 4, {}},
  };
  vxTest::TScopedEnv session("XDG_SESSION_ID", "c7");
  for (const Case& c : cases) {
    EXPECT_EQ(TvxTools::ShutDownFlags(c.Quick, c.Reboot, c.PowerOff, c.LogOff), c.Flags) << c.Flags;
    TFakeRunner runner;
    EXPECT_TRUE(TvxTools::SystemShutDown(c.Quick, c.Reboot, c.PowerOff, c.LogOff));
    ASSERT_EQ(runner.Calls.size(), 1u);
    const std::vector<ustring> command =
        c.Command.empty() ? std::vector<ustring>{u"loginctl", u"terminate-session", u"c7"} : c.Command;
    EXPECT_EQ(runner.Calls[0], command) << c.Flags;
  }
  vxTest::TScopedEnv noSession("XDG_SESSION_ID", std::nullopt);
  TFakeRunner runner;
  runner.Answer = false;
  EXPECT_FALSE(TvxTools::SystemShutDown(false, false, false, true));
  ASSERT_EQ(runner.Calls.size(), 1u);
  EXPECT_EQ(runner.Calls[0],
            (std::vector<ustring>{u"loginctl", u"terminate-user", Utf8ToWide(std::to_string(getuid()))}));
}

TEST(ToolsProcess, QuickDebugLog) {
  TTestTempDir dir;
  const ustring file = dir.WideFile("debug.log");
  EXPECT_TRUE(TvxTools::qdl(Variant(u"first \u00E4"), file));
  EXPECT_TRUE(TvxTools::qdl(Variant(int32_t{42}), file));
  const std::string text = TTestTempDir::ReadBytes(dir.File("debug.log"));
  const std::regex lines(
      "\\[\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d-\\d{3}\\] first \xE4\r\n"
      "\\[\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d-\\d{3}\\] 42\r\n");
  EXPECT_TRUE(std::regex_match(text, lines)) << text;
  EXPECT_FALSE(TvxTools::qdl(Variant(u"x"), dir.WideFile("missing/debug.log")));

  // Without a file: qdl.log beside the program.
  char target[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", target, sizeof target - 1);
  ASSERT_GT(n, 0);
  const std::filesystem::path beside = std::filesystem::path(std::string(target, static_cast<size_t>(n))).parent_path() / "qdl.log";
  std::filesystem::remove(beside);
  EXPECT_TRUE(TvxTools::qdl(Variant(u"beside"), u""));
  EXPECT_TRUE(TTestTempDir::ReadBytes(beside.string()).ends_with("] beside\r\n"));
  std::filesystem::remove(beside);
}

}  // namespace
