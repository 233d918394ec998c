// Base64 encoder and decoder shared by every user of Base64 in the system.
#include "platform/text/vxBase64Codec.h"

#include <cstdint>

namespace vxBase64Codec {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Value(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string Encode(std::string_view data) {
  std::string out;
  out.reserve((data.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= data.size(); i += 3) {
    const uint32_t v = (static_cast<unsigned char>(data[i]) << 16) | (static_cast<unsigned char>(data[i + 1]) << 8) |
                       static_cast<unsigned char>(data[i + 2]);
    out.push_back(kAlphabet[(v >> 18) & 63]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(kAlphabet[(v >> 6) & 63]);
    out.push_back(kAlphabet[v & 63]);
  }
  const size_t rest = data.size() - i;
  if (rest > 0) {
    uint32_t v = static_cast<unsigned char>(data[i]) << 16;
    if (rest == 2) v |= static_cast<unsigned char>(data[i + 1]) << 8;
    out.push_back(kAlphabet[(v >> 18) & 63]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(rest == 2 ? kAlphabet[(v >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

std::string EncodeLines(std::string_view data, size_t LineLength, bool TrailingBreak) {
  const std::string flat = Encode(data);
  if (LineLength == 0) return flat;
  std::string out;
  out.reserve(flat.size() + (flat.size() / LineLength + 1) * 2);
  for (size_t i = 0; i < flat.size(); i += LineLength) {
    out.append(flat, i, LineLength);
    if (TrailingBreak || i + LineLength < flat.size()) out += "\r\n";
  }
  return out;
}

std::string Decode(std::string_view text, bool StopAtPadding) {
  std::string out;
  out.reserve(text.size() / 4 * 3);
  uint32_t buffer = 0;
  int bits = 0;
  for (const char ch : text) {
    if (ch == '=' && StopAtPadding) break;
    const int v = Value(static_cast<unsigned char>(ch));
    if (v < 0) continue;
    buffer = (buffer << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<char>((buffer >> bits) & 0xFF));
    }
  }
  return out;
}

}  // namespace vxBase64Codec
