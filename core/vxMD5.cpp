#include "core/vxMD5.h"

#include <openssl/evp.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "core/vxFilesPaths.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileHandle.h"
#include "platform/base/vxRuntime.h"

namespace {

const char EmptyInputDigest[] = "D41D8CD98F00B204E9800998ECF8427E";

// The algorithm, looked up once instead of at every digest, and released
// again when the library that holds it is unloaded (or the process ends).
const EVP_MD* Algorithm() {
  struct TFree {
    void operator()(EVP_MD* m) const { EVP_MD_free(m); }
  };
  static const std::unique_ptr<EVP_MD, TFree> md5(EVP_MD_fetch(nullptr, "MD5", nullptr));
  return md5.get();
}

// One digest computation; the library wipes its context when it is freed.
class TDigest {
 public:
  TDigest() : FContext(EVP_MD_CTX_new()) {
    if (!FContext || !Algorithm() || EVP_DigestInit_ex(FContext.get(), Algorithm(), nullptr) != 1)
      throw Exception("MD5 digest not available");
  }

  void Update(const void* Data, size_t Size) {
    if (Size > 0 && EVP_DigestUpdate(FContext.get(), Data, Size) != 1) throw Exception("MD5 digest failed");
  }

  // The digest as 32 upper-case hexadecimal digits.
  std::string Text() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(FContext.get(), digest, &size) != 1) throw Exception("MD5 digest failed");
    std::string text;
    text.reserve(2 * size);
    for (unsigned int i = 0; i < size; ++i) vxRuntime::AppendHexByte(text, digest[i]);
    return text;
  }

 private:
  struct TFree {
    void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
  };
  std::unique_ptr<EVP_MD_CTX, TFree> FContext;
};

void RequireSelfTest() {
  if (!TvxMD5::MD5SelfTest()) throw Exception("MD5 self test failed");
}

ustring ReasonText(int error) {
  // A share lock held by another opener is the usual case; say so plainly.
  if (error == EWOULDBLOCK) return u"in use by another process";
  char buffer[256];
  return Utf8ToWide(strerror_r(error, buffer, sizeof buffer));
}

[[noreturn]] void RaiseUnreadable(const ustring& FileName, int error) {
  throw Exception(u"file " + FileName + u" cannot be read (" + ReasonText(error) + u")");
}

}  // namespace

namespace TvxMD5 {

std::string GetMD5(const void* Buffer, int32_t BufSize) {
  if (BufSize < 0 || (BufSize > 0 && Buffer == nullptr)) throw Exception("invalid buffer for an MD5 digest");
  TDigest digest;
  digest.Update(Buffer, static_cast<size_t>(BufSize));
  return digest.Text();
}

std::string GetMD5FromString(const std::string& Text) {
  RequireSelfTest();
  TDigest digest;
  digest.Update(Text.data(), Text.size());
  return digest.Text();
}

std::string GetMD5FromFile(const ustring& FileName, uint16_t AccessMode) {
  RequireSelfTest();
  if (!TvxFiles::FileExists(FileName)) throw Exception(u"file " + FileName + u" not found");
  const vxFileSystem::TFileHandle file = vxFileSystem::TFileHandle::Open(FileName, AccessMode);
  if (!file.Valid()) RaiseUnreadable(FileName, errno);
  TDigest digest;
  std::string buffer(256 * 1024, '\0');
  for (;;) {
    const ssize_t n = file.Read(buffer.data(), buffer.size());
    if (n < 0) RaiseUnreadable(FileName, errno);
    if (n == 0) break;
    digest.Update(buffer.data(), static_cast<size_t>(n));
  }
  return digest.Text();
}

bool MD5SelfTest() { return GetMD5(nullptr, 0) == EmptyInputDigest; }

}  // namespace TvxMD5

namespace vxMD5 {

void Initialize() {
  if (!TvxMD5::MD5SelfTest()) throw Exception("MD5 self test failed!");
}

}  // namespace vxMD5
