// MD5 digests through OpenSSL's EVP interface.
#include "platform/base/vxMD5Digest.h"

#include <openssl/evp.h>

#include "platform/base/vxExceptions.h"
#include "platform/base/vxRuntime.h"

namespace {

// The algorithm, looked up once for the process instead of at every digest.
const EVP_MD* Algorithm() {
  static const EVP_MD* const md5 = EVP_MD_fetch(nullptr, "MD5", nullptr);
  return md5;
}

struct TContextFree {
  void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};

}  // namespace

// The library wipes its context when it is freed.
struct TMD5Digest::TContext {
  std::unique_ptr<EVP_MD_CTX, TContextFree> Context{EVP_MD_CTX_new()};
};

TMD5Digest::TMD5Digest() : FContext(std::make_unique<TContext>()) {
  if (!FContext->Context || !Algorithm() || EVP_DigestInit_ex(FContext->Context.get(), Algorithm(), nullptr) != 1)
    throw Exception("MD5 digest not available");
}

TMD5Digest::~TMD5Digest() = default;

void TMD5Digest::Update(const void* Data, size_t Size) {
  if (Size > 0 && EVP_DigestUpdate(FContext->Context.get(), Data, Size) != 1) throw Exception("MD5 digest failed");
}

std::string TMD5Digest::HexText() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_DigestFinal_ex(FContext->Context.get(), digest, &size) != 1) throw Exception("MD5 digest failed");
  std::string text;
  text.reserve(2 * size);
  for (unsigned int i = 0; i < size; ++i) vxRuntime::AppendHexByte(text, digest[i]);
  return text;
}
