// TvxTools: the running system, its user and fresh identifiers.
//
// Name formats keep the numbering callers pass: computer-name formats 0 to 8
// (0 the plain name, 1 the DNS host name, 2 the DNS domain, 3 the fully
// qualified DNS name, 4 to 7 the same four again, 8 the end mark, which
// names nothing) and extended user-name formats (3 the display name, 8 the
// user principal name, ...). Without a directory service a user-name format
// falls back to the logon name or to COMPUTER\user, as its table says.
#pragma once

#include <cstdint>
#include <string>

#include "core/vxTypes.h"
#include "platform/base/vxBase.h"
#include "platform/values/vxVariant.h"

namespace TvxTools {

// A new GUID in the braced form: "{" 8-4-4-4-12 upper-case hexadecimal
// digits "}", 38 characters.
std::string CreateGuidStr();
// A new GUID as 32 upper-case hexadecimal digits.
TIdType CreateId();
// The identifier form of a braced GUID text: its digits without the braces
// and dashes.
TIdType GuidStrToId(const std::string& GuidStr);

// The computer's plain name (the host name up to its first dot).
ustring GetComputerName();
// The computer's name in a computer-name format; raises "unknown format
// descriptor" for a format outside 0 to 8.
ustring GetComputerNameEx(uint32_t Format);

// The logon name of the process's user, trimmed.
ustring GetUserName();
// The user's name in an extended name format, with the fallbacks: 0, 3, 7
// and 9 the logon name; 1, 2, 8, 10 and 11 the upper-cased computer name,
// "\" and the logon name; 6 the empty text; any other format raises
// "invalid format type".
ustring GetUserNameEx(uint32_t Format);

// The value of an environment variable; empty when it is not set.
ustring GetEnvironmentString(const ustring& EnvironmentStr);
// The variable's value read as a variant of ResultType (varNull: of
// Default's type) by TvxTypes::StrToVarExt; a copy of Default when the
// variable is unset or empty.
Variant GetEnvironmentStringEx(const ustring& EnvironmentStr, const Variant& Default, TVarType ResultType);

// The system's message for the calling thread's last error (errno),
// trimmed; empty when the system has none.
ustring GetLastErrorMessage();

// True when the process runs in a remote session (here: a secure-shell
// login).
bool IsRemoteSession();
bool IsRDPSession();

// Milliseconds since the system started, wrapping after about 49.7 days.
uint32_t GetTickCount();
int32_t GetNumberOfProcessors();
// The resident size in bytes of this process, its low 32 bits; 0 when it
// cannot be read.
int32_t GetMemoryUsage();
// The same for the process with the given id.
uint32_t GetProcessMemoryUsage(uint32_t ProcessId);

}  // namespace TvxTools
