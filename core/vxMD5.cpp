// MD5 digests of memory, strings and files, with the self test.
#include "core/vxMD5.h"

#include <cerrno>
#include <cstring>

#include "core/vxFilesPaths.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxMD5Digest.h"
#include "platform/files/vxFileHandle.h"
#include "platform/base/vxRuntime.h"

namespace {

const char EmptyInputDigest[] = "D41D8CD98F00B204E9800998ECF8427E";

void RequireSelfTest() {
  if (!TvxMD5::MD5SelfTest()) throw Exception("MD5 self test failed");
}

ustring ReasonText(int error) {
  // A share lock held by another opener is the usual case; say so plainly.
  if (error == EWOULDBLOCK) return u"in use by another process";
  return Utf8ToWide(vxExceptions::ErrnoText(error));
}

[[noreturn]] void RaiseUnreadable(const ustring& FileName, int error) {
  throw Exception(u"file " + FileName + u" cannot be read (" + ReasonText(error) + u")");
}

}  // namespace

namespace TvxMD5 {

std::string GetMD5(const void* Buffer, int32_t BufSize) {
  if (BufSize < 0 || (BufSize > 0 && Buffer == nullptr)) throw Exception("invalid buffer for an MD5 digest");
  TMD5Digest digest;
  digest.Update(Buffer, static_cast<size_t>(BufSize));
  return digest.HexText();
}

std::string GetMD5FromString(const std::string& Text) {
  RequireSelfTest();
  TMD5Digest digest;
  digest.Update(Text.data(), Text.size());
  return digest.HexText();
}

std::string GetMD5FromFile(const ustring& FileName, uint16_t AccessMode) {
  RequireSelfTest();
  if (!TvxFiles::FileExists(FileName)) throw Exception(u"file " + FileName + u" not found");
  const vxFileSystem::TFileHandle file = vxFileSystem::TFileHandle::Open(FileName, AccessMode);
  if (!file.Valid()) RaiseUnreadable(FileName, errno);
  TMD5Digest digest;
  std::string buffer(256 * 1024, '\0');
  for (;;) {
    const ssize_t n = file.Read(buffer.data(), buffer.size());
    if (n < 0) RaiseUnreadable(FileName, errno);
    if (n == 0) break;
    digest.Update(buffer.data(), static_cast<size_t>(n));
  }
  return digest.HexText();
}

bool MD5SelfTest() { return GetMD5(nullptr, 0) == EmptyInputDigest; }

}  // namespace TvxMD5

namespace vxMD5 {

void Initialize() {
  if (!TvxMD5::MD5SelfTest()) throw Exception("MD5 self test failed!");
}

}  // namespace vxMD5
