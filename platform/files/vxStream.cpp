// Streams over memory, file descriptors, files and atomically replaced files.
#include "platform/files/vxStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"

namespace {

ustring FileError(const char* what, const std::string& path, int errorCode) {
  return Utf8ToWide(std::string(what) + " \"" + path + "\" (" + vxExceptions::ErrnoText(errorCode) + ")");
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

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) throw EStreamError("stream size below zero");
  FData.resize(static_cast<size_t>(NewSize), '\0');
  FPosition = std::min(FPosition, NewSize);
}

// --- THandleStream ---------------------------------------------------------

THandleStream::~THandleStream() = default;

int64_t THandleStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  for (;;) {
    const ssize_t n = ::read(Handle(), Buffer, static_cast<size_t>(std::min(Count, kMaxPiece)));
    if (n >= 0) return n;
    if (errno != EINTR) throw EReadError(Utf8ToWide("stream read error (" + vxExceptions::ErrnoText(errno) + ")"));
  }
}

int64_t THandleStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  for (;;) {
    const ssize_t n = ::write(Handle(), Buffer, static_cast<size_t>(std::min(Count, kMaxPiece)));
    if (n >= 0) return n;
    if (errno != EINTR) throw EWriteError(Utf8ToWide("stream write error (" + vxExceptions::ErrnoText(errno) + ")"));
  }
}

int64_t THandleStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  const int whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
  const off_t r = ::lseek(Handle(), Offset, whence);
  if (r < 0) throw EStreamError(Utf8ToWide("stream seek error (" + vxExceptions::ErrnoText(errno) + ")"));
  return r;
}

int64_t THandleStream::Size() {
  struct stat st {};
  if (::fstat(Handle(), &st) != 0) throw EStreamError(Utf8ToWide("stream size error (" + vxExceptions::ErrnoText(errno) + ")"));
  return st.st_size;
}

// --- TFileStream -----------------------------------------------------------

namespace {

int OpenFile(const ustring& FileName, uint16_t mode) {
  // Every open goes through the file-system layer, which checks the name
  // and takes the share mode's lock.
  const bool create = (mode & fmCreate) == fmCreate;
  vxFileSystem::TFileHandle file =
      create ? vxFileSystem::TFileHandle::Create(FileName, mode) : vxFileSystem::TFileHandle::Open(FileName, mode);
  if (file.Valid()) return file.Release();
  const int error = errno;
  throw EFOpenError(FileError(create ? "cannot create file" : "cannot open file", WideToUtf8(FileName), error), error);
}

}  // namespace

TFileStream::TFileStream(const ustring& FileName, uint16_t Mode) : THandleStream(OpenFile(FileName, Mode)) {}

// --- TAtomicFileStream -----------------------------------------------------

// The file-system layer's atomic writer does the work; the stream writes
// through its descriptor.
TAtomicFileStream::TAtomicFileStream(const ustring& FileName) : FTarget(WideToUtf8(FileName)), FWriter(FileName) {
  if (!FWriter.Valid()) {
    const int error = errno;
    throw EFOpenError(FileError("cannot create file", FTarget, error), error);
  }
}

TAtomicFileStream::~TAtomicFileStream() = default;

void TAtomicFileStream::Commit() {
  if (FCommitted) return;
  // The writer closes its descriptor, whatever the outcome.
  if (!FWriter.Commit(true)) throw EWriteError(FileError("cannot replace file", FTarget, errno));
  FCommitted = true;
}
