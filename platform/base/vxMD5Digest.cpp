// MD5 digests through OpenSSL's EVP interface.
#include "platform/base/vxMD5Digest.h"

#include <openssl/evp.h>

#include <memory>

#include "platform/base/vxExceptions.h"
#include "platform/base/vxRuntime.h"

namespace {

// The algorithm, looked up once instead of at every digest, and released
// again when the library that holds it is unloaded (or the process ends).
const EVP_MD* Algorithm() {
  struct TFree {
    void operator()(EVP_MD* m) const { EVP_MD_free(m); }
  };
  static const std::unique_ptr<EVP_MD, TFree> md5(EVP_MD_fetch(nullptr, "MD5", nullptr));
  return md5.get();
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
