// Starting, waiting for, listing and terminating processes on POSIX and
// /proc.
#include "platform/process/vxProcess.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/base/vxCodePage.h"

extern char** environ;

namespace vxProcess {
namespace {

// Everything posix_spawn needs, made before any process is started (the
// detached start uses it after fork, where nothing should be allocated).
class TSpawnPlan {
 public:
  explicit TSpawnPlan(const TStartInfo& info) {
    for (const ustring& argument : info.Arguments) FStrings.push_back(WideToUtf8(argument));
    for (std::string& s : FStrings) FArgv.push_back(s.data());
    FArgv.push_back(nullptr);
    FSearchPath = !FStrings.empty() && FStrings[0].find('/') == std::string::npos;
    posix_spawn_file_actions_init(&FActions);
    posix_spawnattr_init(&FAttr);
    FReady = !FStrings.empty() && !FStrings[0].empty();
    if (!info.WorkDirectory.empty()) {
      FWorkDirectory = WideToUtf8(info.WorkDirectory);
      FReady = FReady && posix_spawn_file_actions_addchdir_np(&FActions, FWorkDirectory.c_str()) == 0;
    }
    if (info.StandardOutput >= 0)
      FReady = FReady && posix_spawn_file_actions_adddup2(&FActions, info.StandardOutput, 1) == 0;
    FReady = FReady && posix_spawn_file_actions_addclosefrom_np(&FActions, 3) == 0;
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (info.NewSession) flags |= POSIX_SPAWN_SETSID;
    FReady = FReady && posix_spawnattr_setsigmask(&FAttr, &none) == 0 &&
             posix_spawnattr_setsigdefault(&FAttr, &all) == 0 && posix_spawnattr_setflags(&FAttr, flags) == 0;
  }
  ~TSpawnPlan() {
    posix_spawn_file_actions_destroy(&FActions);
    posix_spawnattr_destroy(&FAttr);
  }
  TSpawnPlan(const TSpawnPlan&) = delete;
  TSpawnPlan& operator=(const TSpawnPlan&) = delete;

  // The new process's id, or 0 with Error set.
  pid_t Spawn(int& error) const {
    if (!FReady) {
      error = FStrings.empty() || FStrings[0].empty() ? ENOENT : EINVAL;
      return 0;
    }
    pid_t pid = 0;
    const int result = FSearchPath ? posix_spawnp(&pid, FArgv[0], &FActions, &FAttr, FArgv.data(), environ)
                                   : posix_spawn(&pid, FArgv[0], &FActions, &FAttr, FArgv.data(), environ);
    error = result;
    return result == 0 ? pid : 0;
  }

 private:
  std::vector<std::string> FStrings;
  std::vector<char*> FArgv;
  std::string FWorkDirectory;
  bool FSearchPath = false;
  bool FReady = false;
  posix_spawn_file_actions_t FActions;
  posix_spawnattr_t FAttr;
};

// The bytes of a small /proc file; empty when it cannot be read.
std::string ReadSmallFile(const std::string& folder, const char* name) {
  std::string path = folder;
  path.append("/").append(name);
  std::string bytes;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return bytes;
  char piece[4096];
  for (;;) {
    const ssize_t n = read(fd, piece, sizeof piece);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes.append(piece, static_cast<size_t>(n));
    if (bytes.size() > (1u << 20)) break;  // enough for a name
  }
  close(fd);
  return bytes;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The state letter of /proc/PID/stat (after the name in parentheses); 0
// when the process is gone.
char ProcessState(const std::string& procFolder) {
  const std::string stat = ReadSmallFile(procFolder, "stat");
  const size_t close = stat.rfind(')');
  if (close == std::string::npos || close + 2 >= stat.size()) return 0;
  return stat[close + 2];
}

bool Ended(char state) { return state == 0 || state == 'Z' || state == 'X'; }

std::string ExecutableName(const std::string& procFolder) {
  char target[4096];
  std::string link = procFolder;
  link.append("/exe");
  const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
  if (n > 0) {
    std::string path(target, static_cast<size_t>(n));
    constexpr std::string_view deleted = " (deleted)";
    if (path.ends_with(deleted)) path.resize(path.size() - deleted.size());
    return BaseName(path);
  }
  const std::string cmdline = ReadSmallFile(procFolder, "cmdline");
  const std::string first = cmdline.substr(0, cmdline.find('\0'));
  if (!first.empty()) return BaseName(first);
  std::string comm = ReadSmallFile(procFolder, "comm");
  while (!comm.empty() && (comm.back() == '\n' || comm.back() == '\0')) comm.pop_back();
  return comm;
}

bool ParsePid(const char* name, pid_t& pid) {
  const std::string_view text(name);
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pid);
  return error == std::errc() && end == text.data() + text.size() && pid > 0;
}

bool IsExecutableFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::mutex& RunnerLock() {
  static std::mutex lock;
  return lock;
}

TCommandRunner& Runner() {
  static TCommandRunner runner;
  return runner;
}

bool DefaultRunner(const std::vector<ustring>& arguments) {
  TStartInfo info;
  info.Arguments = arguments;
  info.NewSession = true;
  int error = 0;
  return StartDetached(info, error) > 0;
}

}  // namespace

uint32_t ExitCodeFromStatus(int Status) {
  if (WIFEXITED(Status)) return static_cast<uint32_t>(WEXITSTATUS(Status));
  if (WIFSIGNALED(Status)) return 128u + static_cast<uint32_t>(WTERMSIG(Status));
  return 0;
}

// === TChildProcess ===========================================================

TChildProcess::TChildProcess(TChildProcess&& Other) noexcept
    : FPid(Other.FPid), FPidFd(Other.FPidFd), FReaped(Other.FReaped) {
  Other.FPid = -1;
  Other.FPidFd = -1;
}

TChildProcess& TChildProcess::operator=(TChildProcess&& Other) noexcept {
  if (this != &Other) {
    if (FPidFd >= 0) close(FPidFd);
    FPid = Other.FPid;
    FPidFd = Other.FPidFd;
    FReaped = Other.FReaped;
    Other.FPid = -1;
    Other.FPidFd = -1;
  }
  return *this;
}

TChildProcess::~TChildProcess() {
  if (FPidFd >= 0) close(FPidFd);
}

TChildProcess TChildProcess::Start(const TStartInfo& Info, int& Error) {
  TChildProcess child;
  const TSpawnPlan plan(Info);
  const pid_t pid = plan.Spawn(Error);
  if (pid <= 0) return child;
  child.FPid = pid;
  child.FPidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (child.FPidFd >= 0) fcntl(child.FPidFd, F_SETFD, FD_CLOEXEC);
  if (Info.NiceValue) setpriority(PRIO_PROCESS, static_cast<id_t>(pid), *Info.NiceValue);
  Error = 0;
  return child;
}

TChildProcess::TWaitResult TChildProcess::Wait(int TimeoutMs, uint32_t& ExitCode) {
  if (FPid <= 0 || FReaped) return wrFailed;
  auto look = [&]() -> int {
    int status = 0;
    pid_t result;
    do {
      result = waitpid(FPid, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == FPid) {
      FReaped = true;
      ExitCode = ExitCodeFromStatus(status);
      return wrEnded;
    }
    return result == 0 ? wrTimeout : wrFailed;
  };
  int state = look();
  if (state != wrTimeout || TimeoutMs <= 0) return static_cast<TWaitResult>(state);
  if (FPidFd >= 0) {
    pollfd entry{FPidFd, POLLIN, 0};
    poll(&entry, 1, TimeoutMs);  // an interruption only shortens the step
  } else {
    poll(nullptr, 0, TimeoutMs);
  }
  return static_cast<TWaitResult>(look());
}

bool TChildProcess::Kill() { return FPid > 0 && !FReaped && kill(FPid, SIGKILL) == 0; }

// === Detached start, lookup, list ===========================================

pid_t StartDetached(const TStartInfo& Info, int& Error) {
  const TSpawnPlan plan(Info);
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    Error = errno;
    return 0;
  }
  const pid_t middle = fork();
  if (middle < 0) {
    Error = errno;
    close(report[0]);
    close(report[1]);
    return 0;
  }
  if (middle == 0) {
    // The go-between: starts the program, tells its id and ends, so the
    // program is handed to the system's reaper.
    if (Info.NiceValue) setpriority(PRIO_PROCESS, 0, *Info.NiceValue);
    int error = 0;
    const pid_t pid = plan.Spawn(error);
    const int message[2] = {static_cast<int>(pid), error};
    ssize_t written;
    do {
      written = write(report[1], message, sizeof message);
    } while (written < 0 && errno == EINTR);
    _exit(0);
  }
  close(report[1]);
  int message[2] = {0, EIO};
  size_t got = 0;
  while (got < sizeof message) {
    const ssize_t n = read(report[0], reinterpret_cast<char*>(message) + got, sizeof message - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  close(report[0]);
  int status = 0;
  while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  if (got < sizeof message || message[0] <= 0) {
    Error = got < sizeof message ? EIO : message[1];
    return 0;
  }
  Error = 0;
  return static_cast<pid_t>(message[0]);
}

ustring FindProgram(const ustring& Name) {
  const std::string name = WideToUtf8(Name);
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? Name : ustring();
  const char* path = std::getenv("PATH");
  const std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  for (;;) {
    const size_t end = folders.find(':', start);
    const std::string_view folder =
        std::string_view(folders).substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::string candidate(folder.empty() ? std::string_view(".") : folder);
    candidate.push_back('/');
    candidate += name;
    if (IsExecutableFile(candidate)) return Utf8ToWide(candidate);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return {};
}

bool ReadProcessEntry(const std::string& ProcFolder, pid_t Pid, TProcessEntry& Entry) {
  if (Ended(ProcessState(ProcFolder))) return false;
  Entry = {Pid, Utf8ToWide(ExecutableName(ProcFolder))};
  return true;
}

std::vector<TProcessEntry> ProcessList() {
  std::vector<TProcessEntry> entries;
  DIR* proc = opendir("/proc");
  if (!proc) return entries;
  while (const dirent* entry = readdir(proc)) {
    pid_t pid = 0;
    if (!ParsePid(entry->d_name, pid)) continue;
    std::string folder = "/proc/";
    folder.append(entry->d_name);
    TProcessEntry found;
    if (ReadProcessEntry(folder, pid, found)) entries.push_back(std::move(found));
  }
  closedir(proc);
  return entries;
}

bool ProcessRunning(pid_t Pid) {
  if (Pid <= 0) return false;
  std::string folder = "/proc/";
  folder.append(std::to_string(Pid));
  return !Ended(ProcessState(folder));
}

bool TerminateProcess(pid_t Pid) { return Pid > 0 && kill(Pid, SIGKILL) == 0; }

TCommandRunner SetCommandRunner(TCommandRunner NewRunner) {
  std::lock_guard guard(RunnerLock());
  TCommandRunner previous = std::move(Runner());
  Runner() = std::move(NewRunner);
  return previous;
}

bool RunCommand(const std::vector<ustring>& Arguments) {
  TCommandRunner runner;
  {
    std::lock_guard guard(RunnerLock());
    runner = Runner();
  }
  return runner ? runner(Arguments) : DefaultRunner(Arguments);
}

}  // namespace vxProcess
