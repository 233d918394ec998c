#include "core/vxStringsIds.h"

#include <gtest/gtest.h>

namespace {

std::string LengthPrefixed(const std::string& text, uint32_t n) {
  std::string content;
  for (int i = 0; i < 4; ++i) content.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
  return content + text;
}

TEST(CompressString, RoundTripsEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  for (const std::string& s : {std::string(), all, std::string(1 << 20, 'x') + all}) {
    const std::string packed = TvxStrings::CompressString(s);
    EXPECT_EQ(TvxStrings::DecompressString(packed), s);
  }
}

TEST(CompressString, Format) {
  const std::string packed = TvxStrings::CompressString("");
  ASSERT_GE(packed.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x78);
  EXPECT_EQ(static_cast<unsigned char>(packed[1]), 0xDA);
  // The content of the empty text is four zero bytes.
  vxZlib::TInflater inflater(packed);
  std::string content;
  inflater.Read(content, 100);
  EXPECT_EQ(content, std::string(4, '\0'));
  // The content of a text is its little-endian length and its bytes.
  const std::string abc = TvxStrings::CompressString("abc");
  vxZlib::TInflater second(abc);
  content.clear();
  second.Read(content, 100);
  EXPECT_EQ(content, LengthPrefixed("abc", 3));
}

TEST(DecompressString, RejectsWhatCompressStringDidNotMake) {
  struct Case {
    const char* what;
    std::string input;
  };
  const std::string good = TvxStrings::CompressString("hello world");
  std::string damaged = good;
  damaged[damaged.size() - 1] ^= 0x55;  // checksum
  const Case cases[] = {
      {"no zlib stream", "abc"},
      {"empty input", ""},
      {"cut stream", good.substr(0, good.size() - 5)},
      {"damaged checksum", damaged},
      {"fewer than four bytes", vxZlib::Deflate({"ab"}, 9)},
      {"length larger than the text", vxZlib::Deflate({LengthPrefixed("abc", 0x7FFFFFF0)}, 9)},
      {"length smaller than the text", vxZlib::Deflate({LengthPrefixed("abcdef", 3)}, 9)},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(TvxStrings::DecompressString(c.input), EZDecompressionError) << c.what;
  }
}

TEST(DecompressString, ErrorClassName) {
  try {
    TvxStrings::DecompressString("abc");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.ClassName(), "EZDecompressionError");
  }
}

}  // namespace
