// The file-system layer: what the file operations of the system expect of
// the platform, on Linux. Paths are UTF-16 texts (UTF-8 on disk) with "/" as
// the one path delimiter. The attribute word maps the Unix file modes onto
// the attribute bits the system works with:
//   faReadOnly   the owner may not write (owner's write bit clear)
//   faHidden     the name starts with a dot ("." and ".." excepted)
//   faSysFile    neither a regular file nor a folder (device, pipe, socket,
//                a symbolic link whose target is missing)
//   faDirectory  a folder (a symbolic link to one included)
//   faArchive    a regular file
//   faSymLink    the entry is a symbolic link (its target gives the rest)
// Read-only files are protected as the attribute promises: DeleteFile, a
// replacing CopyFile and the atomic content replacement refuse them (EACCES).
//
// Functions report failure by their result and leave the reason in errno;
// EOSError::RaiseLastOSError() turns it into the error with the system's text.
// A path holding a NUL character names no file (EINVAL).
//
// The other parts of the layer: vxFileSearch.h (masks and directory search),
// vxFileHandle.h (opens with share locks, atomic replacement),
// vxShellFolders.h (temporary and special folders), vxTrash.h (the trash).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/base/vxBase.h"

namespace vxFileSystem {

// The path delimiter of this platform, the only one.
inline constexpr char16_t PathDelim = u'/';
inline constexpr char16_t ExtensionDelim = u'.';

// ---- Path texts (no disk access) ----

// Path with one delimiter appended when it does not end with one. An empty
// path stays empty: it names no folder, and "/" would name the root.
ustring IncludeTrailingPathDelimiter(const ustring& Path);
// Path with one final delimiter removed when it ends with one.
ustring ExcludeTrailingPathDelimiter(const ustring& Path);
// The text up to and including the last delimiter; empty when there is none.
ustring ExtractFilePath(const ustring& FileName);
// The text after the last delimiter; all of FileName when there is none.
ustring ExtractFileName(const ustring& FileName);
// The text from the last dot to the end, dot included, when that dot stands
// after the last delimiter; empty otherwise ('.profile' gives '.profile').
ustring ExtractFileExt(const ustring& FileName);
// FileName with its extension (as ExtractFileExt finds it) replaced by
// Extension, which carries its own dot; appended when there is none.
ustring ChangeFileExt(const ustring& FileName, const ustring& Extension);

// The name as the kernel sees it (UTF-8) and back. A name on disk that is not
// valid UTF-8 comes back with U+FFFD in place of the bad bytes.
std::string NativePath(const ustring& Path);
ustring FromNativePath(const std::string& Path);

// ---- Attributes ----

inline constexpr int32_t faReadOnly = 0x00000001;
inline constexpr int32_t faHidden = 0x00000002;
inline constexpr int32_t faSysFile = 0x00000004;
inline constexpr int32_t faVolumeID = 0x00000008;
inline constexpr int32_t faDirectory = 0x00000010;
inline constexpr int32_t faArchive = 0x00000020;
inline constexpr int32_t faNormal = 0x00000080;
inline constexpr int32_t faSymLink = 0x00000400;
inline constexpr int32_t faAnyFile = 0x000001FF;
// FileGetAttr's answer for a path that names nothing.
inline constexpr int32_t faInvalid = -1;

// A point in time as the file system keeps it: seconds since 1970-01-01
// 00:00 UTC and the nanoseconds of that second (0 to 999,999,999). Every
// date of the calendar fits, where a count of nanoseconds alone would end
// in 1677 and 2262.
struct TFileTime {
  int64_t Seconds = 0;
  int32_t Nanoseconds = 0;
  friend constexpr bool operator==(const TFileTime&, const TFileTime&) = default;
  friend constexpr auto operator<=>(const TFileTime&, const TFileTime&) = default;
};

// One directory entry: what the directory search and GetFileStatus give.
struct TSearchRec {
  ustring Name;     // the name part only
  int64_t Size = 0;  // content size in bytes; 0 for folders
  int32_t Attr = 0;
  TFileTime LastWriteTime;
  TFileTime LastAccessTime;
  // The birth time where the file system records one; otherwise the earlier
  // of the last write and the last status change, the nearest fact there is.
  TFileTime CreationTime;
};

// The attribute word of Path (a symbolic link is followed); faInvalid when
// Path names nothing.
int32_t FileGetAttr(const ustring& Path);
// Sets what the attribute word can set here: faReadOnly clears every write
// bit, its absence gives the owner the write bit back. The other bits
// follow from the name and the kind of file and are left as they are.
bool FileSetAttr(const ustring& Path, int32_t Attr);

// Size, attributes and times of the entry Path names (a symbolic link is
// followed, faSymLink marks it). False when Path names nothing.
bool GetFileStatus(const ustring& Path, TSearchRec& Status);

// Sets the last-access and last-write times of Path; an absent value stays
// as it is. A creation time cannot be set on this platform. A time the file
// system cannot hold (it keeps the nearest end of its range instead, as
// ext4 does before 1901) gives False with errno EOVERFLOW, the file's times
// as they were; kept to the file system's own precision (two seconds, and
// for the last access a day, on FAT) counts as set.
bool SetFileTimes(const ustring& Path, std::optional<TFileTime> LastAccess, std::optional<TFileTime> LastWrite);

// File times as local date-times (days since 1899-12-30, millisecond
// precision) and back, through the process's time zone with its offsets to
// the second (old local mean times have seconds). A date-time outside the
// calendar raises EConvertError.
TDateTime FileTimeToLocalDateTime(TFileTime Time);
TFileTime LocalDateTimeToFileTime(TDateTime Local);

// ---- Existence ----

// Path names something that is not a folder (a symbolic link is followed).
bool FileExists(const ustring& Path);
// Path names a folder (a symbolic link is followed).
bool DirectoryExists(const ustring& Path);

// ---- Changes ----

// Removes a file or a symbolic link; not a folder, not a read-only file.
bool DeleteFile(const ustring& Path);
// Creates one folder; its parent must exist.
bool CreateDir(const ustring& Path);
// Creates a folder and every missing folder above it; True when the folder
// exists afterwards.
bool ForceDirectories(const ustring& Path);
// The same, each folder it creates with the permission bits Mode (less the
// umask), for folders that must stay private (0700).
bool ForceDirectories(const ustring& Path, mode_t Mode);
// Flushes the folder Path to disk, so that names just created, renamed or
// removed in it survive a crash; False (errno) when that fails.
bool SyncFolder(const ustring& Path);
// The bytes an unprivileged user may still write on the file system holding
// Path (which must exist); -1 (errno) when it cannot be asked.
int64_t FreeDiskSpace(const ustring& Path);
// Removes an empty folder.
bool RemoveDir(const ustring& Path);

// Moves or renames a file or folder. An existing Destination is never
// replaced (EEXIST). A file may change file systems (copied with its times,
// then removed); a folder may not (EXDEV).
bool MoveFile(const ustring& Source, const ustring& Destination);

// Copies a regular file with its permission bits and its last-write time.
// With FailIfExists an existing Destination makes the copy fail (EEXIST);
// otherwise it is replaced in one step, unless it is read-only (EACCES). The content is written beside Destination first, so a
// failed copy leaves Destination as it was and nothing else behind.
bool CopyFile(const ustring& Source, const ustring& Destination, bool FailIfExists);

}  // namespace vxFileSystem
