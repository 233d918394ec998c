// TvxFiles: a file as one block of bytes. Load, save, append and compare
// whole files; delete them stubbornly, into the trash or after overwriting
// them; lock them; measure files and free space.
//
// Content travels in 8-bit strings byte for byte, never through a code page.
// Every save that replaces a file's content writes a new file beside it and
// renames it into place, so the file holds the old content or the new one,
// never a half-written mix; a failed append is cut back to the old end.
// Locks are the file-system layer's flock share locks (platform/vxFileHandle.h).
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/vxBase.h"

namespace TvxFiles {

// ---- Load and save ----

// Reads the whole file into Data, opened for reading while others may not
// write (share mode 32). False when the file cannot be opened or read to the
// size it had when opened; Data is then unchanged. There is no size limit
// but memory.
bool LoadFileToString(const ustring& FileName, std::string& Data);
// The same with the caller's open mode.
bool LoadFileToString(const ustring& FileName, std::string& Data, uint16_t AccessMode);
// At most MaxSize bytes from the start of the file, with share mode 32; a
// negative MaxSize gives False.
bool LoadFileToString(const ustring& FileName, std::string& Data, int64_t MaxSize);
// An open mode and a size are both numbers: a plain int (which "fmOpenRead |
// fmShareDenyNone" is) must say which it is, uint16_t or int64_t.
bool LoadFileToString(const ustring& FileName, std::string& Data, int) = delete;

// Writes Data to the file. Without Append the file is created or its
// content replaced whole (not while another opener holds its lock, and not
// when it is read-only). With Append the bytes go to the end of the file
// there, which is created when nothing is there. With MD5Check the file's
// digest afterwards (TvxMD5::GetMD5FromFile, 32 upper-case hexadecimal
// digits, the earlier content included when appending) must equal MD5 byte
// for byte: "MD5 check failed" otherwise, and the file stays as written.
// False on any failure.
bool SaveStringToFile(const ustring& FileName, const std::string& Data, bool Append, bool MD5Check,
                      const std::string& MD5);

// Appends the whole content of the first file to the end of the second.
// False, nothing changed, when either does not exist. Failures to open or
// copy raise EFOpenError, EReadError or EWriteError; the second file is then
// cut back to its old end.
bool MergeFiles(const ustring& FirstFileName, const ustring& SecondFileName);

// Creates an empty file when none is there; True only when it created one.
bool CreateBlankFile(const ustring& Filename);

// ---- Compare ----

// The MD5 digests of both files are equal. A missing file raises
// "file " + name + " not found", an unreadable one "file " + name +
// " cannot be read (...)".
bool CompareFile(const ustring& FileOne, const ustring& FileTwo);
// With CheckFileExistsOne / CheckFileExistsTwo a missing file raises
// "File 1 not exists" / "File 2 not exists" first. With CompareFileName the
// name parts must also be equal ignoring case (different names give False
// without reading the files); without it only the content counts.
bool CompareFile(const ustring& FileOne, const ustring& FileTwo, bool CheckFileExistsOne, bool CheckFileExistsTwo,
                 bool CompareFileName);

// ---- Delete ----

// Up to 10 rounds of: make the file writable, delete it, wait 100 ms when
// that failed; stops as soon as nothing is left under the name. True when
// nothing is (a folder or an undeletable hidden file is no success).
bool ForceDeleteFile(const ustring& Filename);
// Moves the file into the trash without asking; True on success.
bool MoveFileToRecycleBin(const ustring& SFileName);
// Overwrites the file in blocks of 64 KiB, each RewrittenTimes times (0x00,
// 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xF6, then a random letter "A" to "Z" per
// block and pass; fewer than 1 means 7), flushes it to disk, renames it
// RenameTimes times to a fresh braced GUID in its own folder, empties and
// deletes it. False when it cannot be opened for reading and writing (then
// nothing happens) or when any later step failed.
bool WipeFile(const ustring& SzFilename, int32_t RewrittenTimes, int32_t RenameTimes);
// WipeFile for every match of AFindMask in APath and, with AWithSub, in all
// its sub-folders. Folders are never removed, and symbolic links are neither
// wiped through nor followed: they may lead out of APath or round in a
// circle. Nothing happens when APath or AFindMask is empty.
void SecureDeleteFiles(const ustring& APath, const ustring& AFindMask, bool AWithSub, int32_t RewrittenTimes,
                       int32_t RenameTimes);

// ---- Locks ----

// The invalid handle of CreateFileLock.
inline constexpr uintptr_t InvalidFileLock = UINTPTR_MAX;
// Opens the existing file for writing with no sharing, so that no other
// cooperating opener can open it while the handle lives; InvalidFileLock
// when it cannot.
uintptr_t CreateFileLock(const ustring& FileName);
// Closes a handle of CreateFileLock; True on success.
bool ReleaseFileLock(uintptr_t Handle);
// False when the file does not exist; otherwise True exactly when it cannot
// be opened for reading and writing without sharing (a read-only file
// counts as in use).
bool FileIsInUse(const ustring& FileName);

// ---- Sizes ----

// The size of the first entry matching Name (wildcards; hidden, system
// files and folders included, a folder giving 0); 0 for an empty Name or no
// match.
int64_t GetSizeOfFile(const ustring& Name);
// 0 when FileExists(SzFile) is False; otherwise the size of the first entry
// matching SzFile.
int64_t GetFileSize(const ustring& SzFile);
// The size of the first entry matching SzFile (any attributes); -1 when
// nothing matches.
int64_t GetFileSizeEx(const ustring& SzFile);

// B divided by 1024, 1,048,576 or 1,073,741,824 with exactly two decimals
// and "." ('1.50'), as 8-bit text.
std::string ByteToKb(int64_t B);
std::string ByteToMb(int64_t B);
std::string ByteToGb(int64_t B);
// B split into GiB, MiB, KiB and bytes from the largest unit that is not 0:
// '1 KB 512 Bytes', '1 GB 0 MB 0 KB 0 Bytes'.
ustring ByteToStr(int64_t B);

// The bytes available to the caller on the file system holding the absolute
// Path (its nearest existing folder when Path itself is not there yet),
// divided by 1,048,576 with InMB; -1 for an empty or relative Path or when
// the file system cannot be asked.
int64_t GetFreeDiskSpace(const ustring& Path, bool InMB);

}  // namespace TvxFiles

