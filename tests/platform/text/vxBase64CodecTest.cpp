// The one Base64 codec: line breaks with and without a final one, and the
// decoder stopping at the padding or skipping it.
#include "platform/text/vxBase64Codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

using namespace vxBase64Codec;

TEST(Base64Codec, LinesWithAndWithoutAFinalBreak) {
  const std::string data(60, 'a');  // 80 characters of Base64
  const std::string flat = Encode(data);
  ASSERT_EQ(flat.size(), 80u);
  EXPECT_EQ(EncodeLines(data, 76, true), flat.substr(0, 76) + "\r\n" + flat.substr(76) + "\r\n");
  EXPECT_EQ(EncodeLines(data, 76, false), flat.substr(0, 76) + "\r\n" + flat.substr(76));
  EXPECT_EQ(EncodeLines(std::string(57, 'a'), 76, false).size(), 76u);
  EXPECT_EQ(EncodeLines("", 76, true), "");
  EXPECT_EQ(EncodeLines(data, 0, true), flat);
}

TEST(Base64Codec, PaddingEndsOrIsSkipped) {
  EXPECT_EQ(Decode("Zg==Zm9v", true), "f");
  EXPECT_EQ(Decode("Zg==Zm9v", false), std::string("f\x06" "f\xf6"));
  EXPECT_EQ(Decode("Zm9v\r\nYmFy", false), "foobar");
}

namespace {

// Base64 six bits at a time, the plain way, to check the encoder against.
std::string Reference(const std::string& data, size_t lineLength, bool trailingBreak) {
  const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string flat;
  for (size_t i = 0; i < data.size(); i += 3) {
    uint32_t v = 0;
    for (size_t k = 0; k < 3; ++k) v = v << 8 | (i + k < data.size() ? static_cast<unsigned char>(data[i + k]) : 0u);
    const size_t chars = std::min<size_t>(4, (data.size() - i) * 4 / 3 + 1);
    for (size_t k = 0; k < 4; ++k) flat += k < chars ? alphabet[(v >> (18 - 6 * k)) & 63] : '=';
  }
  if (lineLength == 0) return flat;
  std::string out;
  for (size_t i = 0; i < flat.size(); i += lineLength) {
    out += flat.substr(i, lineLength);
    if (trailingBreak || i + lineLength < flat.size()) out += "\r\n";
  }
  return out;
}

std::string Bytes(size_t size, unsigned seed) {
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 2654435761u + seed) >> 7);
  return data;
}

}  // namespace

// Every length around the sizes of one and two lines, lines of every kind
// (none, ending inside a group, of whole groups), with and without the final
// break; the length is known beforehand, and a long input encoded in pieces
// of whole lines gives the text of the whole.
TEST(Base64Codec, EncoderAgainstAPlainOne) {
  for (size_t size = 0; size <= 240; ++size) {
    const std::string data = Bytes(size, static_cast<unsigned>(size));
    EXPECT_EQ(Encode(data), Reference(data, 0, false)) << size;
    for (size_t line : {size_t{0}, size_t{1}, size_t{4}, size_t{6}, size_t{64}, size_t{75}, size_t{76}})
      for (bool trailing : {false, true}) {
        const std::string expected = Reference(data, line, trailing);
        ASSERT_EQ(EncodeLines(data, line, trailing), expected) << size << " " << line << " " << trailing;
        ASSERT_EQ(EncodedLinesLength(size, line, trailing), expected.size()) << size << " " << line;
      }
  }
  const std::string data = Bytes(100'000, 3);
  const std::string whole = EncodeLines(data, 76, true);
  for (size_t piece : {LineBytes(76), size_t{57 * 1000}, size_t{57 * 1149}}) {
    std::string pieces(whole.size(), '\0');
    char* out = pieces.data();
    for (size_t at = 0; at < data.size(); at += piece)
      out = EncodeLinesTo(out, std::string_view(data).substr(at, piece), 76, true);
    EXPECT_EQ(static_cast<size_t>(out - pieces.data()), whole.size());
    EXPECT_EQ(pieces, whole) << piece;
  }
}
