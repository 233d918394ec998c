// Opening files with share locks, and the atomic file writer.
#include "platform/files/vxFileHandle.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/files/vxFileSystemDetail.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxRandom.h"
#include "platform/base/vxRuntime.h"

namespace vxFileSystem {

using detail::ToNative;

// ---- TFileHandle ----

namespace {

// The flock operation that stands for Mode's sharing; 0 for none, -1 for a
// share value that does not exist.
int LockFor(uint16_t Mode) {
  const bool writes = (Mode & 0x0003) != fmOpenRead;
  switch (Mode & 0x00F0) {
    case fmShareCompat:
    case fmShareDenyNone:
      return 0;
    case fmShareExclusive:
    case fmShareDenyRead:
      return LOCK_EX;
    case fmShareDenyWrite:
      return writes ? LOCK_EX : LOCK_SH;
    default:
      return -1;
  }
}

}  // namespace

TFileHandle TFileHandle::Open(const ustring& Path, uint16_t Mode) {
  std::string native;
  if (!ToNative(Path, native)) return {};
  int flags;
  switch (Mode & 0x0003) {
    case fmOpenRead: flags = O_RDONLY; break;
    case fmOpenWrite: flags = O_WRONLY; break;
    case fmOpenReadWrite: flags = O_RDWR; break;
    default: errno = EINVAL; return {};
  }
  const int lock = LockFor(Mode);
  if (lock < 0 || (Mode & 0xFF00) != 0) {
    errno = EINVAL;
    return {};
  }
  // Not blocking on the open itself, which would hang on a pipe without a
  // writer; the descriptor is made blocking again afterwards.
  TFileHandle file(open(native.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!file.Valid()) return {};
  struct stat st {};
  if (fstat(file.Fd(), &st) != 0) return {};
  if (S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    return {};
  }
  // The read-only attribute holds for every caller, root included.
  if (flags != O_RDONLY && (st.st_mode & S_IWUSR) == 0) {
    errno = EACCES;
    return {};
  }
  const int fileFlags = fcntl(file.Fd(), F_GETFL);
  if (fileFlags < 0 || fcntl(file.Fd(), F_SETFL, fileFlags & ~O_NONBLOCK) != 0) return {};
  if (lock != 0 && flock(file.Fd(), lock | LOCK_NB) != 0) return {};
  return file;
}

TFileHandle TFileHandle::CreateNew(const ustring& Path) {
  std::string native;
  if (!ToNative(Path, native)) return {};
  return TFileHandle(open(native.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
}

TFileHandle TFileHandle::Create(const ustring& Path, uint16_t Mode) {
  std::string native;
  if (!ToNative(Path, native)) return {};
  const int lock = (Mode & 0x00F0) == fmShareCompat ? LOCK_EX : LockFor(static_cast<uint16_t>((Mode & 0x00F0) | fmOpenReadWrite));
  if (lock < 0) {
    errno = EINVAL;
    return {};
  }
  TFileHandle file(open(native.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666));
  if (!file.Valid()) return {};
  struct stat st {};
  if (fstat(file.Fd(), &st) != 0) return {};
  if (S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    return {};
  }
  // The read-only attribute holds for every caller, root included.
  if ((st.st_mode & S_IWUSR) == 0) {
    errno = EACCES;
    return {};
  }
  const int fileFlags = fcntl(file.Fd(), F_GETFL);
  if (fileFlags < 0 || fcntl(file.Fd(), F_SETFL, fileFlags & ~O_NONBLOCK) != 0) return {};
  if (lock != 0 && flock(file.Fd(), lock | LOCK_NB) != 0) return {};
  if (S_ISREG(st.st_mode) && ftruncate(file.Fd(), 0) != 0) return {};
  return file;
}

int64_t TFileHandle::Size() const {
  struct stat st {};
  return fstat(FFd.Get(), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

int64_t TFileHandle::Seek(int64_t Offset, int Whence) const {
  return static_cast<int64_t>(lseek(FFd.Get(), static_cast<off_t>(Offset), Whence));
}

ssize_t TFileHandle::Read(void* Buffer, size_t Count) const {
  size_t done = 0;
  while (done < Count) {
    const ssize_t n = read(FFd.Get(), static_cast<char*>(Buffer) + done, Count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

bool TFileHandle::WriteAll(const void* Data, size_t Count) const {
  size_t done = 0;
  while (done < Count) {
    const ssize_t n = write(FFd.Get(), static_cast<const char*>(Data) + done, Count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool TFileHandle::Truncate(int64_t Size) const { return ftruncate(FFd.Get(), static_cast<off_t>(Size)) == 0; }

bool TFileHandle::Flush() const { return fsync(FFd.Get()) == 0; }

// ---- TAtomicFileWriter ----

namespace {

// A hidden, unguessable name in Target's folder.
std::string TemporaryNameBeside(const std::string& Target) {
  unsigned char random[8] = {};
  try {
    vxRandom::Fill(random, sizeof random);
  } catch (const EOSError&) {
    // The kernel's source cannot fail for 8 bytes once booted; the address
    // and the clock still make a name that O_EXCL checks anyway.
    const uint64_t fallback = reinterpret_cast<uintptr_t>(&random) ^ static_cast<uint64_t>(clock());
    for (size_t i = 0; i < sizeof random; ++i) random[i] = static_cast<unsigned char>(fallback >> (8 * i));
  }
  std::string name = ".vx-";
  for (unsigned char b : random) vxRuntime::AppendHexByte(name, b, false);
  name += ".tmp";
  const size_t slash = Target.rfind('/');
  return slash == std::string::npos ? name : Target.substr(0, slash + 1) + name;
}

// The file a symbolic link names, so that replacing content keeps the link.
std::string ResolveLink(const std::string& Path) {
  struct stat st {};
  if (lstat(Path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return Path;
  char resolved[PATH_MAX];
  return realpath(Path.c_str(), resolved) ? std::string(resolved) : Path;
}

}  // namespace

TAtomicFileWriter::TAtomicFileWriter(const ustring& Target) {
  FError = EEXIST;
  if (!ToNative(Target, FTarget)) {
    FError = errno;
    return;
  }
  FTarget = ResolveLink(FTarget);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryNameBeside(FTarget);
    FFile = TFileHandle(open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
    if (FFile.Valid()) {
      FTemporary = name;
      FError = 0;
      return;
    }
    FError = errno;
    if (errno != EEXIST) return;
  }
}

TAtomicFileWriter::TAtomicFileWriter(const ustring& Target, const ustring& Temporary, mode_t CreateMode) {
  std::string temporary;
  if (!ToNative(Target, FTarget) || !ToNative(Temporary, temporary)) {
    FError = errno;
    return;
  }
  // Left by a writer that died: stale, since the caller's lock is held.
  if (unlink(temporary.c_str()) != 0 && errno != ENOENT) {
    FError = errno;
    return;
  }
  FFile = TFileHandle(open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, CreateMode));
  if (!FFile.Valid()) {
    FError = errno;
    return;
  }
  FTemporary = temporary;
}

TAtomicFileWriter::~TAtomicFileWriter() { Discard(); }

void TAtomicFileWriter::Discard() {
  detail::TErrnoKeeper keep;
  FFile.Close();
  if (!FTemporary.empty()) unlink(FTemporary.c_str());
  FTemporary.clear();
}

bool TAtomicFileWriter::Write(const void* Data, size_t Count) {
  if (!Valid() || FFailed) {
    errno = FError;
    return false;
  }
  if (FFile.WriteAll(Data, Count)) return true;
  FFailed = true;
  FError = errno;
  return false;
}

bool TAtomicFileWriter::SetMode(mode_t Mode) {
  if (!Valid() || fchmod(FFile.Fd(), Mode) != 0) return false;
  FModeSet = true;
  return true;
}

bool TAtomicFileWriter::SetLastWriteTime(TFileTime LastWrite) {
  if (!Valid()) return false;
  struct timespec times[2] {};
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(LastWrite.Seconds + vxRuntime::FloorDiv(LastWrite.Nanoseconds, 1'000'000'000));
  times[1].tv_nsec = static_cast<long>(vxRuntime::FloorMod(LastWrite.Nanoseconds, 1'000'000'000));
  return futimens(FFile.Fd(), times) == 0;
}

bool TAtomicFileWriter::Commit(bool ReplaceExisting) {
  struct stat committed {};
  return Commit(ReplaceExisting, committed);
}

bool TAtomicFileWriter::Commit(bool ReplaceExisting, struct stat& Committed) {
  auto fail = [this](int error) {
    Discard();
    FError = errno = error;
    return false;
  };
  if (!Valid() || FFailed) return fail(FError);
  struct stat existing {};
  if (stat(FTarget.c_str(), &existing) == 0) {
    if (!ReplaceExisting) return fail(EEXIST);
    if (S_ISDIR(existing.st_mode)) return fail(EISDIR);
    if (detail::IsReadOnlyMode(existing.st_mode)) return fail(EACCES);
    if (!FModeSet && fchmod(FFile.Fd(), existing.st_mode & 07777) != 0) return fail(errno);
    // The replaced file keeps its owner where we may give it (as root).
    struct stat mine {};
    if (fstat(FFile.Fd(), &mine) == 0 && (mine.st_uid != existing.st_uid || mine.st_gid != existing.st_gid)) {
      if (fchown(FFile.Fd(), existing.st_uid, existing.st_gid) != 0) {
        // Not allowed for others' files: the new content is ours.
      }
    }
  }
  if (fsync(FFile.Fd()) != 0) return fail(errno);
  const bool moved = ReplaceExisting ? rename(FTemporary.c_str(), FTarget.c_str()) == 0
                                     : detail::RenameNoReplace(FTemporary.c_str(), FTarget.c_str());
  if (!moved) return fail(errno);
  FTemporary.clear();
  if (fstat(FFile.Fd(), &Committed) != 0) Committed = {};
  FFile.Close();
  FError = EBADF;  // committed: nothing more to write
  detail::SyncParentFolder(FTarget);
  return true;
}

bool ReplaceFileContent(const ustring& Path, std::string_view Content) {
  TAtomicFileWriter writer(Path);
  return writer.Write(Content) && writer.Commit(true);
}

}  // namespace vxFileSystem
