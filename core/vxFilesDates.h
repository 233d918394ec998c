// TvxFiles: the three time stamps of a file (creation, last write, last
// access), a file's age in minutes, touching a file, and its owner.
//
// Every date-time here is local time (days since 1899-12-30). Two
// precisions occur: the millisecond one of the full file time, and the
// packed DOS form (seconds halved, years 1980 to 2107 only) that
// GetFileDateTime, GetFileAgeInMinutes, SetFileDate and TouchFile use.
//
// This platform cannot set a file's birth time: a creation time set here is
// kept in the extended attribute "user.vx.btime" (where the file system
// takes user attributes; False otherwise) and read back from there before
// the birth time the file system reports.
#pragma once

#include <cstdint>

#include "core/vxTypes.h"
#include "platform/base/vxBase.h"

namespace TvxFiles {

// The creation time of the first entry matching Fname (wildcards, any
// attributes), to the millisecond; raises "FileTime Convert Error" when
// nothing matches.
TDateTime GetFileCreationDate(const ustring& Fname);
// The same for the last-write time.
TDateTime GetFileChangeDate(const ustring& Fname);
// The creation time of the first entry matching AFileName, to the
// millisecond; 0 when nothing matches or the time cannot be converted.
TDateTime GetCreationTimeOfFile(const ustring& AFileName);
// The last-write time of the first entry matching FileName in the DOS form;
// 0 when nothing matches.
TDateTime GetFileDateTime(const ustring& FileName);
// Whole minutes from the file's last-write time (DOS form) to now, rounded
// to the nearest, an exact half to the even neighbour; negative for a time
// in the future; 0 for a folder or a missing file.
int64_t GetFileAgeInMinutes(const ustring& FileName);

// Sets one time stamp of a file or folder to the local DateTime; False when
// it names nothing, is a read-only file, or the time cannot be set.
bool SetFileTimesHelper(const ustring& FileName, TDateTime DateTime, TFileTimes Times);
bool SetFileLastWriteDate(const ustring& FileName, TDateTime DateTime);
bool SetFileLastAccessDate(const ustring& FileName, TDateTime DateTime);
bool SetFileCreationDate(const ustring& FileName, TDateTime DateTime);
// Sets the last-write time of a file to NewDate in the DOS form (seconds
// halved); False for a date outside 1980 to 2107 or a file that cannot be
// opened for writing, and nothing changes.
bool SetFileDate(const ustring& FileName, TDateTime NewDate);
// Sets the last-write time of a file or folder to now in the DOS form.
bool TouchFile(const ustring& FileName);

// The owner's account name and, as its domain, the computer name; False,
// both left as they were, when FileName names nothing or its owner has no
// account entry.
bool GetFileOwner(const ustring& FileName, ustring& Domain, ustring& Username);

}  // namespace TvxFiles

namespace vxFilesDates {

// A local date-time packed into the DOS form: date in the high 16 bits
// (years since 1980, month, day), time in the low ones (hour, minute,
// seconds halved); 0 outside the years 1980 to 2107.
uint32_t DateTimeToDosDateTime(TDateTime Value);
// The DOS form back to a date-time; 0 for a value that is no date.
TDateTime DosDateTimeToDateTime(uint32_t Value);
// GetFileAgeInMinutes with the caller's now, so that ages can be tested
// exactly.
int64_t FileAgeInMinutesAt(const ustring& FileName, TDateTime Now);

}  // namespace vxFilesDates
