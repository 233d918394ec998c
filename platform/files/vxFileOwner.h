// What the file-system layer knows beyond sizes and the two settable times:
// a creation time kept by ourselves (Linux cannot set the birth time) and
// the account that owns a file.
//
// The creation time is kept in the extended attribute "user.vx.btime" as the
// decimal count of nanoseconds since 1970-01-01 UTC (of any size: dates
// before 1677 and after 2262 too); reading prefers it to
// the birth time that statx reports, and that to the nearest fact there is
// (see TSearchRec::CreationTime).
#pragma once

#include <string>
#include <string_view>

#include "platform/files/vxFileSystem.h"

namespace vxFileSystem {

// The name of the extended attribute holding a creation time set by us.
inline constexpr const char* CreationTimeAttribute = "user.vx.btime";

// The decimal count of nanoseconds Time stands for, and back: digits with
// an optional "-" (False for anything else, or seconds beyond 64 bits).
std::string FileTimeToNanosecondText(TFileTime Time);
bool NanosecondTextToFileTime(std::string_view Text, TFileTime& Time);

// Records Time as the creation time of Path (a symbolic link is followed).
// False when Path names nothing or its file system takes no user attributes
// (errno ENOTSUP), or the caller may not change the file.
bool SetCreationTime(const ustring& Path, TFileTime Time);
// The creation time of Path: the recorded one, else the statx birth time,
// else the nearest fact. False when Path names nothing.
bool GetCreationTime(const ustring& Path, TFileTime& Time);

// The account name of Path's owner (getpwuid_r). False when Path names
// nothing or its owner has no account entry (a numeric id is no account).
bool GetFileOwnerName(const ustring& Path, ustring& UserName);

}  // namespace vxFileSystem
