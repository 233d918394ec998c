// Programs and processes on POSIX and /proc, through the process layer.
#include "core/vxToolsProcess.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <vector>

#include "core/vxToolsEvo2.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/base/vxSystemInfo.h"
#include "platform/files/vxFileSystem.h"
#include "platform/process/vxApplication.h"
#include "platform/process/vxCommandLine.h"
#include "platform/process/vxProcess.h"
#include "platform/time/vxDateUtils.h"

namespace TvxTools {
namespace {

constexpr int kWaitStepMs = 50;

std::vector<ustring> Arguments(const ustring& Filename, const ustring& Params) {
  std::vector<ustring> arguments = vxCommandLine::SplitCommandLine(Params, false);
  arguments.insert(arguments.begin(), Filename);
  return arguments;
}

std::optional<int> NiceValueOf(uint32_t Priority) {
  if (Priority & REALTIME_PRIORITY_CLASS) return -20;
  if (Priority & HIGH_PRIORITY_CLASS) return -10;
  if (Priority & ABOVE_NORMAL_PRIORITY_CLASS) return -5;
  if (Priority & IDLE_PRIORITY_CLASS) return 19;
  if (Priority & BELOW_NORMAL_PRIORITY_CLASS) return 10;
  if (Priority & NORMAL_PRIORITY_CLASS) return 0;
  return std::nullopt;
}

// The executable-name rule: the file-name parts are equal, or the entry's
// whole name equals the wanted one (both already upper-cased).
bool NameMatches(const ustring& entryName, const ustring& wanted) {
  return vxFileSystem::ExtractFileName(entryName) == vxFileSystem::ExtractFileName(wanted) || entryName == wanted;
}

bool ValidPid(uint32_t value) { return value > 0 && value <= static_cast<uint32_t>(INT_MAX); }

bool StartDetached(std::vector<ustring> arguments, const ustring& workDirectory, std::optional<int> nice,
                   pid_t* pid = nullptr) {
  vxProcess::TStartInfo info;
  info.Arguments = std::move(arguments);
  info.WorkDirectory = workDirectory;
  info.NiceValue = nice;
  info.NewSession = true;
  int error = 0;
  const pid_t started = vxProcess::StartDetached(info, error);
  if (pid) *pid = started;
  return started > 0;
}

}  // namespace

// ---- Starting programs ----

bool ExecAndWait(const ustring& Filename, const ustring& Params, uint16_t /*WindowState*/, uint32_t& ExitCode,
                 const ustring& WorkDirectory, uint32_t Timeout) {
  ExitCode = 0;
  vxProcess::TStartInfo info;
  info.Arguments = Arguments(Filename, Params);
  info.WorkDirectory = WorkDirectory;
  info.NewSession = true;
  int error = 0;
  vxProcess::TChildProcess child = vxProcess::TChildProcess::Start(info, error);
  if (!child.Valid()) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(Timeout);
  for (;;) {
    vxApplication::ProcessMessages();
    uint32_t code = 0;
    const auto state = child.Wait(kWaitStepMs, code);
    if (state == vxProcess::TChildProcess::wrEnded) {
      ExitCode = code;
      break;
    }
    if (state == vxProcess::TChildProcess::wrFailed) break;  // the wait itself failed
    if (Timeout != INFINITE && std::chrono::steady_clock::now() >= deadline) {
      child.Kill();
      // SIGKILL cannot be refused: the end comes at once.
      while (child.Wait(kWaitStepMs, code) == vxProcess::TChildProcess::wrTimeout) {
      }
      ExitCode = code;
      break;
    }
  }
  return true;
}

bool ExecAndWait(const ustring& Filename, const ustring& Params, uint16_t WindowState, const ustring& WorkDirectory,
                 uint32_t Timeout) {
  uint32_t exitCode = 0;
  return ExecAndWait(Filename, Params, WindowState, exitCode, WorkDirectory, Timeout);
}

bool ExecProcess(const ustring& Filename, const ustring& Params, uint16_t /*WindowState*/,
                 const ustring& WorkDirectory) {
  return StartDetached(Arguments(Filename, Params), WorkDirectory, std::nullopt);
}

bool ExecProcess(const ustring& Filename, const ustring& Params, uint32_t Priority, uint16_t /*WindowState*/,
                 uintptr_t& ProcessHandle, const ustring& WorkDirectory) {
  pid_t pid = 0;
  const bool started = StartDetached(Arguments(Filename, Params), WorkDirectory, NiceValueOf(Priority), &pid);
  ProcessHandle = started ? static_cast<uintptr_t>(pid) : 0;
  return started;
}

bool ExecProcess(const ustring& CmdLine, uint16_t /*WindowState*/) {
  return StartDetached(vxCommandLine::SplitCommandLine(CmdLine, true), ustring(), std::nullopt);
}

// ---- The desktop ----

bool ShellExecute(const ustring& ShellCommand, uint16_t /*ShowCmd*/, bool IsUrl, bool Check) {
  const ustring command = vxRuntime::Trim(ShellCommand);
  if (command.empty()) return false;
  ustring file = command, params;
  if (Check) {
    if (const size_t blank = command.find(u' '); blank != ustring::npos) {
      file = command.substr(0, blank);
      params = command.substr(blank + 1);
    }
  }
  if (IsUrl) {
    params.clear();
    const ustring lower = LowerStrW(file);
    if (lower.find(u"http://") == ustring::npos && lower.find(u"https://") == ustring::npos)
      throw Exception("invalid url");
    return vxProcess::RunCommand({u"xdg-open", file});
  }
  const ustring program = vxProcess::FindProgram(file);
  if (!program.empty()) return StartDetached(Arguments(program, params), ustring(), std::nullopt);
  const bool isUrl = file.find(u"://") != ustring::npos || LowerStrW(file).starts_with(u"mailto:");
  if (isUrl || vxFileSystem::FileExists(file) || vxFileSystem::DirectoryExists(file))
    return vxProcess::RunCommand({u"xdg-open", file});
  return false;
}

bool ShowFileInExplorer(const ustring& FileName) {
  ustring folder = vxFileSystem::ExtractFilePath(FileName);
  if (folder.empty()) folder = u".";
  return vxProcess::RunCommand({u"xdg-open", folder});
}

bool InstallINF(const ustring& /*PathName*/, uintptr_t /*hParent*/) { return false; }

// ---- Processes ----

bool KillProcess(const ustring& ExeFileName) {
  try {
    const ustring wanted = vxRuntime::AsciiUpper(vxFileSystem::ExtractFileName(ExeFileName));
    bool result = false;
    for (const auto& entry : vxProcess::ProcessList())
      if (NameMatches(vxRuntime::AsciiUpper(entry.ExeName), wanted)) result = vxProcess::TerminateProcess(entry.Pid);
    return result;
  } catch (...) {
    return false;
  }
}

bool KillProcess(uint32_t ProcessHandle) {
  return ValidPid(ProcessHandle) && vxProcess::TerminateProcess(static_cast<pid_t>(ProcessHandle));
}

bool ProcessExists(const ustring& ExeFileName) {
  try {
    const ustring wanted = UpperStrW(ExeFileName);
    for (const auto& entry : vxProcess::ProcessList())
      if (NameMatches(UpperStrW(entry.ExeName), wanted)) return true;
    return false;
  } catch (...) {
    return false;
  }
}

bool ProcessExists(uint32_t PID) { return ValidPid(PID) && vxProcess::ProcessRunning(static_cast<pid_t>(PID)); }

bool ProcessExists(uint32_t PID, const ustring& ExeFileName) {
  if (!ValidPid(PID)) return false;
  const ustring wanted = UpperStrW(ExeFileName);
  for (const auto& entry : vxProcess::ProcessList())
    if (entry.Pid == static_cast<pid_t>(PID)) return NameMatches(UpperStrW(entry.ExeName), wanted);
  return false;
}

bool RemoteCloseApplication(const ustring& /*WindowCaption*/) { return false; }

// ---- Shutting down ----

uint32_t ShutDownFlags(bool QuickShutDown, bool Reboot, bool PowerOff, bool LogOff) {
  uint32_t flags = 0;
  if (QuickShutDown) flags |= EWX_FORCE;
  flags |= Reboot ? EWX_REBOOT : EWX_SHUTDOWN;
  if (PowerOff && !Reboot) flags |= EWX_POWEROFF;
  if (LogOff) flags &= ~(EWX_SHUTDOWN | EWX_REBOOT | EWX_POWEROFF);
  return flags;
}

bool SystemShutDown(bool QuickShutDown, bool Reboot, bool PowerOff, bool LogOff) {
  try {
    const uint32_t flags = ShutDownFlags(QuickShutDown, Reboot, PowerOff, LogOff);
    std::vector<ustring> command;
    if ((flags & (EWX_SHUTDOWN | EWX_REBOOT | EWX_POWEROFF)) == 0) {
      const char* session = std::getenv("XDG_SESSION_ID");
      if (session && *session)
        command = {u"loginctl", u"terminate-session", Utf8ToWide(session)};
      else
        command = {u"loginctl", u"terminate-user", Utf8ToWide(std::to_string(getuid()))};
    } else {
      command = {u"systemctl"};
      if (flags & EWX_FORCE) command.push_back(u"--check-inhibitors=no");
      command.push_back((flags & EWX_REBOOT) ? u"reboot" : (flags & EWX_POWEROFF) ? u"poweroff" : u"halt");
    }
    return vxProcess::RunCommand(command);
  } catch (...) {
    return false;
  }
}

// ---- Quick debug log ----

bool qdl(const Variant& Data, const ustring& OtherLogFile) {
  try {
    ustring file = OtherLogFile;
    if (file.empty()) {
      const ustring program = vxSystemInfo::ExecutablePath();
      if (program.empty()) return false;
      file = vxFileSystem::ExtractFilePath(program) + u"qdl.log";
    }
    const std::string line = WideToAnsi(u"[" + vxRuntime::FormatDateTime(u"dd.mm.yyyy hh:nn:ss-zzz", vxRuntime::Now()) + u"] " +
                                        Data.AsString() + u"\r\n");
    const int fd = open(vxFileSystem::NativePath(file).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    // One write: lines of two processes never interleave.
    ssize_t written;
    do {
      written = write(fd, line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    const bool closed = close(fd) == 0;
    return closed && written == static_cast<ssize_t>(line.size());
  } catch (...) {
    return false;
  }
}

}  // namespace TvxTools
