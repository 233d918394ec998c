// An MD5 digest (RFC 1321) computed piece by piece, through OpenSSL; the
// one place that reaches the digest library.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

class TMD5Digest {
 public:
  // Raises Exception("MD5 digest not available") when the library has no MD5.
  TMD5Digest();
  ~TMD5Digest();
  TMD5Digest(const TMD5Digest&) = delete;
  TMD5Digest& operator=(const TMD5Digest&) = delete;

  // Adds Size bytes at Data; raises Exception("MD5 digest failed").
  void Update(const void* Data, size_t Size);
  // The digest of everything added, as 32 upper-case hexadecimal digits;
  // ends the computation.
  std::string HexText();

 private:
  struct TContext;
  std::unique_ptr<TContext> FContext;
};
