// zlib streams in memory: deflate and inflate with the window (zlib or gzip
// framing) the caller chooses; and zlib's CRC-32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "platform/base/vxExceptions.h"

VX_DECLARE_EXCEPTION(EZCompressionError, Exception);
VX_DECLARE_EXCEPTION(EZDecompressionError, Exception);

namespace vxZlib {

// CRC-32 of the reflected polynomial 0xEDB88320 (zlib, ISO-HDLC), continued
// from Crc over Length bytes: a null Buffer gives 0, a Length of 0 gives Crc.
uint32_t Crc32(uint32_t Crc, const void* Buffer, size_t Length);

constexpr int kZlibWindow = 15;  // RFC 1950 framing
constexpr int kGzipWindow = 31;  // RFC 1952 framing

// One complete stream holding the concatenation of the parts.
std::string Deflate(std::initializer_list<std::string_view> parts, int level, int windowBits = kZlibWindow);

// Reads the inflated content of one stream piece by piece, so that callers
// allocate only what the stream really delivers. Raises EZDecompressionError
// when the data is no such stream or is damaged.
class TInflater {
 public:
  // The inflater reads the caller's bytes in place: they must outlive it.
  explicit TInflater(std::string_view stream, int windowBits = kZlibWindow);
  TInflater(std::string&&, int = kZlibWindow) = delete;
  ~TInflater();
  TInflater(const TInflater&) = delete;
  TInflater& operator=(const TInflater&) = delete;

  // Appends up to count bytes to out and returns how many came; fewer than
  // count only at the end of the stream. Raises when the input runs out
  // before the stream's end.
  size_t Read(std::string& out, size_t count);
  // True once the whole stream, checksum included, has been read.
  bool AtEnd() const { return FEnded; }

 private:
  struct Stream;
  std::unique_ptr<Stream> FStream;
  std::string_view FInput;
  bool FEnded = false;
};

}  // namespace vxZlib
