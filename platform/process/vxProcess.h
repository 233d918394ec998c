// Processes: starting programs (posix_spawn; descriptors above 2 are closed
// in the child, its signals start at their defaults), waiting for them in
// short steps, the list of running processes from /proc, termination with
// SIGKILL, and the runner of the system commands the library issues
// (opening files and URLs, power and session commands), which tests replace.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/vxBase.h"

namespace vxProcess {

struct TStartInfo {
  // The program first, then its arguments. A program name without "/" is
  // looked up on PATH.
  std::vector<ustring> Arguments;
  // The child's current folder; empty: the caller's.
  ustring WorkDirectory;
  // The child's nice value; none: the caller's. A value the process may not
  // take (raising the priority without the right) leaves the caller's.
  std::optional<int> NiceValue;
  // The child leads a session of its own (no controlling terminal).
  bool NewSession = false;
  // A descriptor the child's standard output goes to; -1: the caller's.
  int StandardOutput = -1;
};

// The exit code of a wait status: the exit status, or 128 plus the signal
// that ended the process.
uint32_t ExitCodeFromStatus(int Status);

// A started child of this process, which the owner waits for.
class TChildProcess {
 public:
  enum TWaitResult { wrEnded, wrTimeout, wrFailed };

  TChildProcess() = default;
  TChildProcess(TChildProcess&& Other) noexcept;
  TChildProcess& operator=(TChildProcess&& Other) noexcept;
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;
  ~TChildProcess();

  // Starts the program; an invalid object when it cannot be started, Error
  // then holding the errno value (ENOENT for a missing program).
  static TChildProcess Start(const TStartInfo& Info, int& Error);

  bool Valid() const { return FPid > 0; }
  pid_t Pid() const { return FPid; }

  // Waits up to TimeoutMs (0: only looks) for the end of the process.
  // wrEnded with ExitCode set once it has ended (and been reaped);
  // wrFailed when it cannot be waited for (someone else reaped it).
  TWaitResult Wait(int TimeoutMs, uint32_t& ExitCode);
  // Sends SIGKILL; the process still has to be waited for.
  bool Kill();

 private:
  pid_t FPid = -1;
  int FPidFd = -1;  // for waiting with poll; -1 where the system has none
  bool FReaped = false;
};

// Starts the program as a process of its own, not a child of this one, so
// nothing is left to wait for: its id, or 0 when it cannot be started
// (Error holding the errno value).
pid_t StartDetached(const TStartInfo& Info, int& Error);

// The full path of a program: Name itself when it holds "/", else the
// first executable file of that name on PATH; empty when there is none.
ustring FindProgram(const ustring& Name);

// A running process (ended ones waiting to be reaped are left out): its id
// and its executable's file name (of /proc/PID/exe, else of its first
// argument, else the kernel's short name).
struct TProcessEntry {
  pid_t Pid;
  ustring ExeName;
};
std::vector<TProcessEntry> ProcessList();
// The entry of process Pid from its /proc folder (its stat, exe, cmdline
// and comm); False when the process has ended or the folder tells nothing.
// The reader of ProcessList, apart so that any folder can be given to it.
bool ReadProcessEntry(const std::string& ProcFolder, pid_t Pid, TProcessEntry& Entry);
// True when a process with that id runs (and has not ended).
bool ProcessRunning(pid_t Pid);
// SIGKILL to the process; False for ids below 1 and when the signal is
// refused.
bool TerminateProcess(pid_t Pid);

// Runs a system command (the program first), not waiting for its end; True
// when it was started.
using TCommandRunner = std::function<bool(const std::vector<ustring>& Arguments)>;
// Sets the runner for every thread; returns the previous one. An empty
// runner restores the default, which starts the command detached.
TCommandRunner SetCommandRunner(TCommandRunner Runner);
bool RunCommand(const std::vector<ustring>& Arguments);

}  // namespace vxProcess
