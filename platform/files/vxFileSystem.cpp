// The file-system layer: what the file operations of the system expect of the
// platform, on Linux.
#include "platform/files/vxFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/time/vxDateUtils.h"
#include "platform/files/vxFileHandle.h"
#include "platform/files/vxFileSystemDetail.h"
#include "platform/base/vxRuntime.h"

namespace vxFileSystem {

// ---- Path texts ----

namespace {

size_t LastDelimiter(const ustring& s) { return s.rfind(PathDelim); }

// Position of the extension's dot, or npos when the name has none.
size_t ExtensionStart(const ustring& s) {
  const size_t dot = s.rfind(ExtensionDelim);
  if (dot == ustring::npos) return dot;
  const size_t delim = LastDelimiter(s);
  return (delim == ustring::npos || dot > delim) ? dot : ustring::npos;
}

}  // namespace

ustring IncludeTrailingPathDelimiter(const ustring& Path) {
  if (Path.empty() || Path.back() == PathDelim) return Path;
  return Path + PathDelim;
}

ustring ExcludeTrailingPathDelimiter(const ustring& Path) {
  if (!Path.empty() && Path.back() == PathDelim) return Path.substr(0, Path.size() - 1);
  return Path;
}

ustring ExtractFilePath(const ustring& FileName) {
  const size_t p = LastDelimiter(FileName);
  return p == ustring::npos ? ustring() : FileName.substr(0, p + 1);
}

ustring ExtractFileName(const ustring& FileName) {
  const size_t p = LastDelimiter(FileName);
  return p == ustring::npos ? FileName : FileName.substr(p + 1);
}

ustring ExtractFileExt(const ustring& FileName) {
  const size_t p = ExtensionStart(FileName);
  return p == ustring::npos ? ustring() : FileName.substr(p);
}

ustring ChangeFileExt(const ustring& FileName, const ustring& Extension) {
  const size_t p = ExtensionStart(FileName);
  return (p == ustring::npos ? FileName : FileName.substr(0, p)) + Extension;
}

std::string NativePath(const ustring& Path) { return WideToUtf8(Path); }

ustring FromNativePath(const std::string& Path) { return Utf8ToWide(Path); }

// ---- Shared helpers ----

namespace detail {

bool ToNative(const ustring& Path, std::string& Native) {
  if (Path.find(u'\0') != ustring::npos) {
    errno = EINVAL;
    return false;
  }
  Native = WideToUtf8(Path);
  return true;
}

bool IsReadOnlyMode(unsigned Mode) { return (Mode & S_IWUSR) == 0; }

namespace {

TFileTime ToFileTime(const struct statx_timestamp& t) {
  return {t.tv_sec, static_cast<int32_t>(t.tv_nsec)};
}

int32_t AttributesOf(const ustring& Name, unsigned Mode) {
  int32_t attr = 0;
  if (S_ISDIR(Mode))
    attr |= faDirectory;
  else if (S_ISREG(Mode))
    attr |= faArchive;
  else
    attr |= faSysFile;
  if (IsReadOnlyMode(Mode)) attr |= faReadOnly;
  if (!Name.empty() && Name[0] == u'.' && Name != u"." && Name != u"..") attr |= faHidden;
  return attr;
}

}  // namespace

bool StatAt(int DirFd, const char* Path, const ustring& Name, TSearchRec& Status) {
  const unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
  struct statx sx {};
  if (statx(DirFd, Path, AT_SYMLINK_NOFOLLOW, mask, &sx) != 0) return false;
  const bool isLink = S_ISLNK(sx.stx_mode);
  bool dangling = false;
  if (isLink) {
    struct statx target {};
    if (statx(DirFd, Path, 0, mask, &target) == 0)
      sx = target;
    else
      dangling = true;
  }
  Status.Name = Name;
  Status.Attr = AttributesOf(Name, sx.stx_mode);
  if (dangling) Status.Attr = (Status.Attr & ~faArchive) | faSysFile;
  if (isLink) Status.Attr |= faSymLink;
  Status.Size = S_ISDIR(sx.stx_mode) ? 0 : static_cast<int64_t>(sx.stx_size);
  Status.LastWriteTime = ToFileTime(sx.stx_mtime);
  Status.LastAccessTime = ToFileTime(sx.stx_atime);
  Status.CreationTime = (sx.stx_mask & STATX_BTIME) ? ToFileTime(sx.stx_btime)
                                                    : std::min(Status.LastWriteTime, ToFileTime(sx.stx_ctime));
  return true;
}

bool RenameNoReplace(const char* From, const char* To) {
  if (renameat2(AT_FDCWD, From, AT_FDCWD, To, RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the no-replace flag: a hard link cannot replace
  // anything either; folders (which cannot be linked) get a test first.
  struct stat st {};
  if (lstat(From, &st) != 0) return false;
  if (!S_ISDIR(st.st_mode)) {
    if (link(From, To) != 0) return false;
    if (unlink(From) == 0) return true;
    TErrnoKeeper keep;
    unlink(To);
    return false;
  }
  if (lstat(To, &st) == 0) {
    errno = EEXIST;
    return false;
  }
  return rename(From, To) == 0;
}

bool SyncNativeFolder(const std::string& Folder) {
  const TFileDescriptor folder(open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return folder.Valid() && fsync(folder.Get()) == 0;
}

void SyncParentFolder(const std::string& Path) {
  const size_t slash = Path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : Path.substr(0, slash));
  SyncNativeFolder(folder);  // best effort: some file systems cannot flush a folder
}

}  // namespace detail

using detail::ToNative;

// ---- Attributes and status ----

int32_t FileGetAttr(const ustring& Path) {
  TSearchRec status;
  return GetFileStatus(Path, status) ? status.Attr : faInvalid;
}

bool FileSetAttr(const ustring& Path, int32_t Attr) {
  std::string native;
  if (!ToNative(Path, native)) return false;
  struct stat st {};
  if (stat(native.c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  if (Attr & faReadOnly)
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  else
    mode |= S_IWUSR;
  if (mode == (st.st_mode & 07777)) return true;
  return chmod(native.c_str(), mode) == 0;
}

bool GetFileStatus(const ustring& Path, TSearchRec& Status) {
  std::string native;
  if (!ToNative(Path, native)) return false;
  return detail::StatAt(AT_FDCWD, native.c_str(), ExtractFileName(ExcludeTrailingPathDelimiter(Path)), Status);
}

namespace {

constexpr int32_t NsPerSecond = 1'000'000'000;

struct timespec ToTimespec(const std::optional<TFileTime>& t) {
  struct timespec ts {};
  if (!t) {
    ts.tv_nsec = UTIME_OMIT;
    return ts;
  }
  ts.tv_sec = static_cast<time_t>(t->Seconds + vxRuntime::FloorDiv(t->Nanoseconds, NsPerSecond));
  ts.tv_nsec = static_cast<long>(vxRuntime::FloorMod(t->Nanoseconds, NsPerSecond));
  return ts;
}

// Whether the file system kept Asked as Kept, allowing for a precision of
// Tolerance seconds.
bool KeptAsAsked(const struct timespec& kept, const struct timespec& asked, uint64_t tolerance) {
  if (asked.tv_nsec == UTIME_OMIT) return true;
  // The distance of two 64-bit values fits in 64 unsigned bits.
  const auto a = static_cast<uint64_t>(kept.tv_sec), b = static_cast<uint64_t>(asked.tv_sec);
  return (kept.tv_sec >= asked.tv_sec ? a - b : b - a) <= tolerance;
}

}  // namespace

bool SetFileTimes(const ustring& Path, std::optional<TFileTime> LastAccess, std::optional<TFileTime> LastWrite) {
  std::string native;
  if (!ToNative(Path, native)) return false;
  struct stat before {};
  if (stat(native.c_str(), &before) != 0) return false;
  const struct timespec times[2] = {ToTimespec(LastAccess), ToTimespec(LastWrite)};
  if (utimensat(AT_FDCWD, native.c_str(), times, 0) != 0) return false;
  // The system takes any time and clamps it, silently, to what the file
  // system holds: what was kept tells.
  struct stat after {};
  if (stat(native.c_str(), &after) != 0) return false;
  if (KeptAsAsked(after.st_atim, times[0], 86'400) && KeptAsAsked(after.st_mtim, times[1], 2)) return true;
  const struct timespec former[2] = {before.st_atim, before.st_mtim};
  utimensat(AT_FDCWD, native.c_str(), former, 0);
  errno = EOVERFLOW;
  return false;
}

// ---- Local date-times ----

namespace {

constexpr int64_t NsPerMs = 1'000'000;
// Milliseconds from the runtime's day 1 (0001-01-01) to 1970-01-01.
constexpr int64_t UnixEpochMSecs = int64_t{vxRuntime::DateDelta + vxRuntime::UnixDateDelta} * vxRuntime::MSecsPerDay;

}  // namespace

TDateTime FileTimeToLocalDateTime(TFileTime Time) {
  // Far beyond the calendar either way, and small enough for milliseconds.
  constexpr int64_t Limit = 100'000'000'000'000;
  if (Time.Seconds > Limit || Time.Seconds < -Limit)
    throw EConvertError("file time outside the calendar");
  const int64_t utcMs = Time.Seconds * 1000 + vxRuntime::FloorDiv(int64_t{Time.Nanoseconds} + NsPerMs / 2, NsPerMs);
  const time_t seconds = static_cast<time_t>(vxRuntime::FloorDiv(utcMs, 1000));
  struct tm local {};
  localtime_r(&seconds, &local);
  const int64_t localMs = utcMs + static_cast<int64_t>(local.tm_gmtoff) * 1000;
  return vxRuntime::TimeStampToDateTime(vxRuntime::MSecsToTimeStamp(localMs + UnixEpochMSecs));
}

TFileTime LocalDateTimeToFileTime(TDateTime Local) {
  const int64_t localMs = vxRuntime::TimeStampToMSecs(vxRuntime::DateTimeToTimeStamp(Local)) - UnixEpochMSecs;
  const int64_t utcMs = localMs - int64_t{vxRuntime::UtcOffsetSecondsAt(Local)} * 1000;
  return {vxRuntime::FloorDiv(utcMs, 1000), static_cast<int32_t>(vxRuntime::FloorMod(utcMs, 1000) * NsPerMs)};
}

// ---- Existence ----

bool FileExists(const ustring& Path) {
  std::string native;
  struct stat st {};
  return ToNative(Path, native) && stat(native.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const ustring& Path) {
  std::string native;
  struct stat st {};
  return ToNative(Path, native) && stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// ---- Changes ----

bool DeleteFile(const ustring& Path) {
  std::string native;
  if (!ToNative(Path, native)) return false;
  struct stat st {};
  if (lstat(native.c_str(), &st) != 0) return false;
  if (S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    return false;
  }
  if (!S_ISLNK(st.st_mode) && detail::IsReadOnlyMode(st.st_mode)) {
    errno = EACCES;
    return false;
  }
  return unlink(native.c_str()) == 0;
}

bool CreateDir(const ustring& Path) {
  std::string native;
  return ToNative(Path, native) && mkdir(native.c_str(), 0777) == 0;
}

namespace {

bool ForceNativeDirectories(std::string path, mode_t mode) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty()) {
    errno = ENOENT;
    return false;
  }
  if (mkdir(path.c_str(), mode) == 0) return true;
  if (errno == EEXIST) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    errno = ENOTDIR;
    return false;
  }
  if (errno != ENOENT) return false;
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return false;
  if (!ForceNativeDirectories(path.substr(0, slash), mode)) return false;
  // Another process may have made it in the meantime.
  return mkdir(path.c_str(), mode) == 0 || errno == EEXIST;
}

}  // namespace

bool ForceDirectories(const ustring& Path) { return ForceDirectories(Path, 0777); }

bool ForceDirectories(const ustring& Path, mode_t Mode) {
  std::string native;
  return ToNative(Path, native) && ForceNativeDirectories(native, Mode);
}

int64_t FreeDiskSpace(const ustring& Path) {
  std::string native;
  struct statvfs fs {};
  if (!ToNative(Path, native) || statvfs(native.c_str(), &fs) != 0) return -1;
  return static_cast<int64_t>(fs.f_bavail) * static_cast<int64_t>(fs.f_frsize);
}

bool SyncFolder(const ustring& Path) {
  std::string native;
  return ToNative(Path, native) && detail::SyncNativeFolder(native);
}

bool RemoveDir(const ustring& Path) {
  std::string native;
  return ToNative(Path, native) && rmdir(native.c_str()) == 0;
}

bool MoveFile(const ustring& Source, const ustring& Destination) {
  std::string from, to;
  if (!ToNative(Source, from) || !ToNative(Destination, to)) return false;
  if (detail::RenameNoReplace(from.c_str(), to.c_str())) return true;
  if (errno != EXDEV) return false;
  struct stat st {};
  if (lstat(from.c_str(), &st) != 0) return false;
  if (!S_ISREG(st.st_mode)) {
    errno = EXDEV;
    return false;
  }
  if (!CopyFile(Source, Destination, true)) return false;
  if (unlink(from.c_str()) == 0) return true;
  detail::TErrnoKeeper keep;
  unlink(to.c_str());
  return false;
}

bool CopyFile(const ustring& Source, const ustring& Destination, bool FailIfExists) {
  std::string to;
  if (!ToNative(Destination, to)) return false;
  TFileHandle source = TFileHandle::Open(Source, fmOpenRead | fmShareDenyWrite);
  if (!source.Valid()) return false;
  struct stat st {};
  if (fstat(source.Fd(), &st) != 0) return false;
  struct stat existing {};
  if (FailIfExists && lstat(to.c_str(), &existing) == 0) {
    errno = EEXIST;
    return false;
  }
  TAtomicFileWriter target(Destination);
  if (!target.Valid()) return false;
  std::string buffer(256 * 1024, '\0');
  for (;;) {
    const ssize_t n = source.Read(buffer.data(), buffer.size());
    if (n < 0) return false;
    if (n == 0) break;
    if (!target.Write(buffer.data(), static_cast<size_t>(n))) return false;
  }
  const TFileTime lastWrite{st.st_mtim.tv_sec, static_cast<int32_t>(st.st_mtim.tv_nsec)};
  // Set-id bits are not carried over: a copy must not gain privileges.
  if (!target.SetMode(st.st_mode & 0777) || !target.SetLastWriteTime(lastWrite)) return false;
  return target.Commit(!FailIfExists);
}

}  // namespace vxFileSystem
