// The one Base64 codec: line breaks with and without a final one, and the
// decoder stopping at the padding or skipping it.
#include "platform/text/vxBase64Codec.h"

#include <gtest/gtest.h>

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
