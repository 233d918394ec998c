// TvxFiles: copy and move single files and folder trees, copies by an
// existence mode, copies that rebuild the source's folders below another
// root, a one-way folder synchronisation and the transfer of file dates.
//
// Moves never replace an existing file; across file systems a file is
// copied and its source removed only once the copy is complete. Copies are
// written beside their target first and renamed into place with the
// source's mode and last-write time, so a failed copy leaves the target as
// it was. Tree operations never enter a folder that is a symbolic link, and
// the tree copy and sync leave symbolic links to files alone.
#pragma once

#include <cstdint>

#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"

// What a copy or move does when its destination exists (by ordinal).
enum TvxEXISTS_MODE : uint8_t { IF_SAME_DO_NOTHING, OVERWRITE, UNIQE_FILENAME, IF_NOT_SAME_USE_UNIQUE_FILE_NAME };

namespace TvxFiles {

// The flag of CopyFile32 that keeps an existing destination.
inline constexpr uint32_t COPY_FILE_FAIL_IF_EXISTS = 0x00000001;

// Plain move: an existing Destination is not replaced.
bool MoveFile32(const ustring& Source, const ustring& Destination);
// Moves every file of the tree Source (folder and mask) below the folder
// part of Destination; the number moved. With IgnoreFileAttributes hidden
// and read-only files go too; with DeleteSourcePaths the emptied source
// folders are removed.
int32_t MoveFile32(const ustring& Source, const ustring& Destination, bool SubFolders, bool IgnoreFileAttributes,
                   bool DeleteSourcePaths);
// Moves Source to a free name for Destination, clearing its read-only bit.
bool ForceMoveFile32(const ustring& Source, const ustring& Destination);
// Moves by ExistMode, carrying the creation and last-write times; the path
// the file went to, Destination when an identical one made the move
// needless, or empty when nothing moved or the move failed. Raises
// "FileTime Convert Error" when Source does not exist.
ustring ForceMoveFile32(const ustring& Source, const ustring& Destination, TvxEXISTS_MODE ExistMode);

// Copy that keeps an existing Destination.
bool CopyFile32(const ustring& Source, const ustring& Destination);
// Copy with flags: 0 replaces an existing Destination.
bool CopyFile32(const ustring& Source, const ustring& Destination, uint32_t CopyFlags);
// Copy by ExistMode. IF_SAME_DO_NOTHING copies when the destination is
// missing or differs.
bool CopyFile32(const ustring& Source, const ustring& Destination, TvxEXISTS_MODE ExistMode);
// Copies every file of the tree Source (folder and mask) below the folder
// part of Destination, replacing; the number copied.
int32_t CopyFile32(const ustring& Source, const ustring& Destination, bool SubFolders);
// A plain int would match both the flags and the switch: say which.
bool CopyFile32(const ustring&, const ustring&, int) = delete;

// Copies the content by ExistMode through streams (times not kept); False
// when Source does not exist; a failing copy raises.
bool StreamCopyFile(const ustring& Source, const ustring& Destination, TvxEXISTS_MODE ExistMode);
// StreamCopyFile / CopyFile32 to DestinationStartPath followed by Source's
// path from its first "/" on; a target of 255 characters or more raises
// "destination path to long" with ErrorWhenPathToLong.
bool StreamCopyFileKeepingPath(const ustring& Source, const ustring& DestinationStartPath, bool ErrorWhenPathToLong,
                               TvxEXISTS_MODE ExistMode);
bool CopyFileKeepingPath32(const ustring& Source, const ustring& DestinationStartPath, bool ErrorWhenPathToLong,
                           TvxEXISTS_MODE ExistMode);

// One-way synchronisation of the tree Source (folder and mask) into the
// folder Destination: a file is copied when OverWrite, or missing there, or
// its size or last-write time (DOS form) differs; then files and folders
// gone from the source are removed from the destination. The number copied.
// ExclusionPaths (upper-cased in place) names source folders to leave out.
int32_t SyncCopyFile32(const ustring& Source, const ustring& Destination, bool SubFolders, bool OverWrite,
                       bool RaiseExceptions, TStrings* ExclusionPaths);

bool CopyFileWithUniqueFileName(const ustring& SourceFilepath, ustring DestinationPath);
bool MoveFileWithUniqueFileName(const ustring& SourceFilepath, ustring DestinationPath);
// The path moved to, or empty when the move failed.
ustring MoveAndGetFileWithUniqueFileName(const ustring& SourceFilepath, ustring DestinationPath);

// Destination's last-write time := Source's creation time (DOS form).
bool CopyFileDateAttribute(const ustring& SourceFilePath, const ustring& DestinationFilePath);
// Destination's creation and last-write times := Source's.
bool CopyFileAllDateAttribute(const ustring& SourceFilePath, const ustring& DestinationFilePath);

}  // namespace TvxFiles
