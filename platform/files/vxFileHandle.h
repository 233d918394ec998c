// Open files with the runtime's open modes, and the one way to replace a
// file's content.
//
// Sharing: the share bits of an open mode become flock locks, taken without
// waiting, so that a conflicting open fails at once as it does on the
// original platform:
//   fmShareExclusive, fmShareDenyRead   exclusive lock
//   fmShareDenyWrite                    shared lock when only reading,
//                                       exclusive lock when writing
//   fmShareDenyNone, fmShareCompat      no lock
// flock locks are advisory: they keep out only processes that take them too.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <string_view>

#include "platform/base/vxFileDescriptor.h"
#include "platform/files/vxFileSystem.h"

// The runtime's open modes. Access, in the low bits:
inline constexpr uint16_t fmOpenRead = 0x0000;
inline constexpr uint16_t fmOpenWrite = 0x0001;
inline constexpr uint16_t fmOpenReadWrite = 0x0002;
// Sharing, in bits 4 to 7:
inline constexpr uint16_t fmShareCompat = 0x0000;
inline constexpr uint16_t fmShareExclusive = 0x0010;
inline constexpr uint16_t fmShareDenyWrite = 0x0020;
inline constexpr uint16_t fmShareDenyRead = 0x0030;
inline constexpr uint16_t fmShareDenyNone = 0x0040;

namespace vxFileSystem {

// An open file, closed (and so unlocked) by the destructor; the descriptor
// is owned by a TFileDescriptor.
class TFileHandle {
 public:
  TFileHandle() = default;
  explicit TFileHandle(int Fd) : FFd(Fd) {}
  TFileHandle(TFileHandle&& Other) noexcept = default;
  TFileHandle& operator=(TFileHandle&& Other) noexcept = default;
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  ~TFileHandle() = default;

  // Opens an existing file (not a folder: EISDIR) with Mode's access and
  // its share lock; an invalid handle on failure, errno telling why
  // (EWOULDBLOCK when the share lock is held elsewhere; EACCES when a
  // read-only file is opened for writing, also for root).
  static TFileHandle Open(const ustring& Path, uint16_t Mode);
  // Creates a new empty file for reading and writing; fails when Path
  // exists (EEXIST).
  static TFileHandle CreateNew(const ustring& Path);
  // Creates Path, or empties it when it exists, for reading and writing,
  // under the share lock of Mode's share bits (exclusive when there are
  // none: a file being created is shared with nobody). The file is emptied
  // only once the lock is held, so a file locked elsewhere stays as it is
  // (EWOULDBLOCK).
  static TFileHandle Create(const ustring& Path, uint16_t Mode);

  bool Valid() const { return FFd.Valid(); }
  int Fd() const { return FFd.Get(); }
  // The file's size; -1 on failure.
  int64_t Size() const;
  // The new position; -1 on failure.
  int64_t Seek(int64_t Offset, int Whence) const;
  // Reads up to Count bytes, fewer only at the end of the file; -1 on a
  // read error.
  ssize_t Read(void* Buffer, size_t Count) const;
  // Writes all Count bytes; False on a short or failed write.
  bool WriteAll(const void* Data, size_t Count) const;
  // Cuts or extends the file to Size bytes; False (errno) on failure.
  bool Truncate(int64_t Size) const;
  // Flushes the file's content to disk; False (errno) on failure.
  bool Flush() const;

  // Gives up ownership: the descriptor (with its lock) stays open.
  int Release() { return FFd.Release(); }
  void Close() { FFd.Reset(); }

 private:
  TFileDescriptor FFd;
};

// Writes a file's new content under a temporary name beside it and puts it
// in place in one step, so that readers and crashes see the old content or
// the new one, never a mix. The temporary file is hidden (its name starts
// with a dot) and is removed when the writer is not committed.
class TAtomicFileWriter {
 public:
  // Prepares the temporary file beside Target (a symbolic link is followed
  // to the file it names). Valid() tells whether that worked.
  explicit TAtomicFileWriter(const ustring& Target);
  // For a caller that keeps other writers of Target out with a lock of its
  // own: the temporary file has the fixed name Temporary (beside Target),
  // so that one left behind by a writer that died is found and removed
  // first; it is created with the permission bits CreateMode (less the
  // umask). Target is replaced as it stands (a symbolic link is replaced,
  // not followed).
  TAtomicFileWriter(const ustring& Target, const ustring& Temporary, mode_t CreateMode);
  TAtomicFileWriter(const TAtomicFileWriter&) = delete;
  TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;
  ~TAtomicFileWriter();

  bool Valid() const { return FFile.Valid(); }
  // The temporary file's descriptor, for writers of their own (a stream);
  // it stays owned by this writer.
  int Fd() const { return FFile.Fd(); }
  bool Write(const void* Data, size_t Count);
  bool Write(std::string_view Data) { return Write(Data.data(), Data.size()); }
  // The permission bits of the new file; without this call a replaced
  // target keeps its own and a new one gets the default (0666 less umask).
  bool SetMode(mode_t Mode);
  // The last-write time of the new file (set after the last Write).
  bool SetLastWriteTime(TFileTime LastWrite);

  // Flushes the content to disk and puts it in place. With ReplaceExisting
  // an existing target is replaced (a read-only one is not: EACCES);
  // without it an existing target makes Commit fail (EEXIST). On failure
  // the target is as it was and the temporary file is gone.
  bool Commit(bool ReplaceExisting = true);
  // Commit that also gives the status of the new file in place, taken
  // through its descriptor after the rename (so its identity is that of the
  // file this writer wrote).
  bool Commit(bool ReplaceExisting, struct stat& Committed);

 private:
  void Discard();

  std::string FTarget;     // native path of the target
  std::string FTemporary;  // native path of the temporary file
  TFileHandle FFile;
  bool FFailed = false;    // a write failed: Commit must not go on
  int FError = 0;          // why the writer is not valid or a write failed
  bool FModeSet = false;   // SetMode was called
};

// Replaces (or creates) the file Path with Content as TAtomicFileWriter does.
bool ReplaceFileContent(const ustring& Path, std::string_view Content);

}  // namespace vxFileSystem
