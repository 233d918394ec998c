#include "platform/vxStream.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/vxCodePage.h"

namespace {

std::string SystemText(int errorCode) {
  char buffer[256];
  return strerror_r(errorCode, buffer, sizeof buffer);  // the GNU form returns the text
}

ustring FileError(const char* what, const std::string& path, int errorCode) {
  return Utf8ToWide(std::string(what) + " \"" + path + "\" (" + SystemText(errorCode) + ")");
}

// The largest piece handed to one read or write call.
constexpr int64_t kMaxPiece = 1 << 30;

}  // namespace

// --- TStream ---------------------------------------------------------------

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
  auto* p = static_cast<char*>(Buffer);
  while (Count > 0) {
    const int64_t n = Read(p, Count);
    if (n <= 0) throw EReadError("stream read error: fewer bytes than expected");
    p += n;
    Count -= n;
  }
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
  const auto* p = static_cast<const char*>(Buffer);
  while (Count > 0) {
    const int64_t n = Write(p, Count);
    if (n <= 0) throw EWriteError("stream write error: fewer bytes written than given");
    p += n;
    Count -= n;
  }
}

std::string TStream::ReadToEnd() {
  std::string bytes;
  const int64_t expected = Size() - Position();
  if (expected > 0) bytes.reserve(static_cast<size_t>(expected));
  // Read until the end rather than trusting the size: a file may change.
  char piece[65536];
  for (;;) {
    const int64_t n = Read(piece, sizeof piece);
    if (n <= 0) break;
    bytes.append(piece, static_cast<size_t>(n));
  }
  return bytes;
}

// --- TMemoryStream ---------------------------------------------------------

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
  const int64_t available = std::max<int64_t>(0, Size() - FPosition);
  const int64_t n = std::clamp<int64_t>(Count, 0, available);
  if (n > 0) std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  const size_t end = static_cast<size_t>(FPosition + Count);
  if (end > FData.size()) FData.resize(end, '\0');  // a position past the end leaves zero bytes between
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition += Count;
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  const int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? FPosition : Size();
  const int64_t target = base + Offset;
  if (target < 0) throw EStreamError("stream seek before the start");
  FPosition = target;
  return FPosition;
}

// --- THandleStream ---------------------------------------------------------

THandleStream::~THandleStream() {
  if (FHandle >= 0) ::close(FHandle);
}

int64_t THandleStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  for (;;) {
    const ssize_t n = ::read(FHandle, Buffer, static_cast<size_t>(std::min(Count, kMaxPiece)));
    if (n >= 0) return n;
    if (errno != EINTR) throw EReadError(Utf8ToWide("stream read error (" + SystemText(errno) + ")"));
  }
}

int64_t THandleStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  for (;;) {
    const ssize_t n = ::write(FHandle, Buffer, static_cast<size_t>(std::min(Count, kMaxPiece)));
    if (n >= 0) return n;
    if (errno != EINTR) throw EWriteError(Utf8ToWide("stream write error (" + SystemText(errno) + ")"));
  }
}

int64_t THandleStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  const int whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
  const off_t r = ::lseek(FHandle, Offset, whence);
  if (r < 0) throw EStreamError(Utf8ToWide("stream seek error (" + SystemText(errno) + ")"));
  return r;
}

int64_t THandleStream::Size() {
  struct stat st {};
  if (::fstat(FHandle, &st) != 0) throw EStreamError(Utf8ToWide("stream size error (" + SystemText(errno) + ")"));
  return st.st_size;
}

// --- TFileStream -----------------------------------------------------------

namespace {

int OpenFile(const std::string& path, uint16_t mode) {
  int flags = O_CLOEXEC;
  if (mode == fmCreate) {
    flags |= O_RDWR | O_CREAT | O_TRUNC;
  } else {
    switch (mode & 0x000F) {
      case fmOpenWrite: flags |= O_WRONLY; break;
      case fmOpenReadWrite: flags |= O_RDWR; break;
      default: flags |= O_RDONLY; break;
    }
  }
  int fd;
  do fd = ::open(path.c_str(), flags, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    const int error = errno;
    throw EFOpenError(FileError(mode == fmCreate ? "cannot create file" : "cannot open file", path, error), error);
  }
  return fd;
}

}  // namespace

TFileStream::TFileStream(const ustring& FileName, uint16_t Mode) : THandleStream(OpenFile(WideToUtf8(FileName), Mode)) {}

// --- TAtomicFileStream -----------------------------------------------------

namespace {

std::string ResolveTarget(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_symlink(path, ec)) {
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
    if (!ec) return resolved.string();
  }
  return path;
}

// Creates a new file beside target with a random name, with the permissions
// that a new file gets from the process (or those of the file it replaces).
int CreateSibling(const std::string& target, std::string& temporary) {
  const std::filesystem::path t(target);
  struct stat old {};
  const bool replaces = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  for (int attempt = 0; attempt < 100; ++attempt) {
    uint64_t random = 0;
    if (::getrandom(&random, sizeof random, 0) != sizeof random) random ^= static_cast<uint64_t>(attempt) * 7919u;
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%016llx", static_cast<unsigned long long>(random));
    std::string leaf(1, '.');
    leaf += t.filename().string();
    leaf += suffix;
    temporary = (t.parent_path() / leaf).string();
    const int fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      if (replaces) ::fchmod(fd, old.st_mode & 07777);
      return fd;
    }
    if (errno != EEXIST && errno != EINTR) {
      const int error = errno;
      throw EFOpenError(FileError("cannot create file", target, error), error);
    }
  }
  throw EFOpenError(FileError("cannot create file", target, EEXIST), EEXIST);
}

}  // namespace

TAtomicFileStream::TAtomicFileStream(const ustring& FileName) : FTarget(ResolveTarget(WideToUtf8(FileName))) {
  SetHandle(CreateSibling(FTarget, FTemporary));
}

TAtomicFileStream::~TAtomicFileStream() {
  if (!FCommitted && !FTemporary.empty()) ::unlink(FTemporary.c_str());
}

void TAtomicFileStream::Commit() {
  if (FCommitted) return;
  if (::fsync(Handle()) != 0) throw EWriteError(FileError("cannot write file", FTarget, errno));
  if (::rename(FTemporary.c_str(), FTarget.c_str()) != 0) throw EWriteError(FileError("cannot replace file", FTarget, errno));
  FCommitted = true;
}
