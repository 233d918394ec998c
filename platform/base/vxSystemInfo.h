// Facts about the running process, its user and the machine, from POSIX
// and /proc.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

#include "platform/base/vxBase.h"

namespace vxSystemInfo {

// The effective user's entry in the password database.
struct TUserEntry {
  std::string Name;
  std::string Home;
  std::string FullName;  // the first field of the comment, may be empty
};
std::optional<TUserEntry> CurrentUserEntry();

// The login name of the process's effective user (password database, then
// $USER/$LOGNAME, then the numeric user id).
ustring GetLoginName();

// The user's home folder: $HOME when it is an absolute path, else the
// password database's; empty when neither gives one.
std::string HomeFolder();

// Milliseconds since the system started, wrapping after about 49.7 days.
uint32_t GetTickCount();
// The same kind of count from the clock the kernel keeps at its own tick
// (a few milliseconds apart, without time spent suspended), read without
// asking the hardware: for callers that look at the time very often.
uint32_t GetCoarseTickCount();

// Processors online.
int GetProcessorCount();

// The id of the running process.
pid_t GetCurrentProcessId();

// The resident set size of a process in bytes; 0 when it cannot be read.
uint64_t GetResidentSetSize(pid_t pid);
// The resident pages of a /proc/PID/statm text ("total resident ..."); 0
// when it is no such text. The reader of GetResidentSetSize, apart so that
// any text can be given to it.
uint64_t ResidentPagesOfStatm(std::string_view Statm);

// The machine's hardware name as the kernel reports it (uname: "x86_64",
// "aarch64", "i686", ...).
std::string MachineName();

// The system's message for an errno value; empty when it has none.
ustring GetErrorMessage(int errorCode);

// The full path of the running program's executable (/proc/self/exe); empty
// when it cannot be read.
ustring ExecutablePath();

}  // namespace vxSystemInfo
