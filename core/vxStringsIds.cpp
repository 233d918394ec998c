#include "core/vxStringsIds.h"

#include <cstdint>

namespace TvxStrings {
namespace {

constexpr int kBestCompression = 9;
constexpr size_t kLengthBytes = 4;
constexpr uint32_t kMaxTextLength = 0x7FFFFFFF;  // the length field stays below 2^31

}  // namespace

std::string CompressString(const std::string& S) {
  if (S.size() > kMaxTextLength) throw EZCompressionError("compression error: the text is 2 GiB or longer");
  const auto n = static_cast<uint32_t>(S.size());
  const char length[kLengthBytes] = {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                                     static_cast<char>((n >> 16) & 0xFF), static_cast<char>((n >> 24) & 0xFF)};
  return vxZlib::Deflate({std::string_view(length, kLengthBytes), S}, kBestCompression, vxZlib::kZlibWindow);
}

std::string DecompressString(const std::string& S) {
  vxZlib::TInflater inflater(S);
  std::string field;
  if (inflater.Read(field, kLengthBytes) != kLengthBytes)
    throw EZDecompressionError("decompression error: the stream holds no length");
  const auto* b = reinterpret_cast<const unsigned char*>(field.data());
  const uint32_t n = uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
  // The text grows with what the stream delivers; the length field alone
  // never decides an allocation.
  std::string text;
  std::string rest;
  if (inflater.Read(text, n) != n || inflater.Read(rest, 1) != 0 || !inflater.AtEnd())
    throw EZDecompressionError("decompression error: the length field does not match the stream");
  return text;
}

}  // namespace TvxStrings
