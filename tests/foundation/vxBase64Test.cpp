// TvxBase64: line breaks after every 76 characters but never at the end,
// and a decoder that skips every byte outside the alphabet.
#include "foundation/vxBase64.h"

#include <gtest/gtest.h>

#include <string>

using namespace TvxBase64;

TEST(Base64, LineBreaksAfterEvery76CharactersNeverAtTheEnd) {
  EXPECT_EQ(StrToBase64("", true), "");
  const std::string s57(57, 'x'), s58(58, 'x'), s114(114, 'x');
  EXPECT_EQ(StrToBase64(s57, true).size(), 76u);
  EXPECT_EQ(StrToBase64(s57, true).find('\r'), std::string::npos);
  const std::string e58 = StrToBase64(s58, true);
  EXPECT_EQ(e58.size(), 76u + 2 + 4);
  EXPECT_EQ(e58.substr(76, 2), "\r\n");
  EXPECT_EQ(StrToBase64(s114, true), StrToBase64(s57, false) + "\r\n" + StrToBase64(s57, false));
  EXPECT_EQ(StrToBase64(s58, false).find('\r'), std::string::npos);
}

TEST(Base64, DecoderSkipsBytesOutsideTheAlphabet) {
  const std::pair<std::string, std::string> cases[] = {
      {"Zm9vYmFy", "foobar"},
      {"Zm9v\r\nYmFy", "foobar"},
      {" Z m9v*", "foo"},
      {"Zg==", "f"},
      {"Zm8=", "fo"},
      {"Zm9", "fo"},  // 3 characters give 2 bytes
      {"Zm", "f"},    // 2 give 1
      {"Z", ""},      // 1 gives nothing
      {"Zg==Zm9v", "f\x06" "f\xf6"},  // "=" is skipped, not an end
      {"\x80\xff\0", ""},
  };
  for (const auto& [text, bytes] : cases) EXPECT_EQ(Base64ToStr(text), bytes) << text;
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  EXPECT_EQ(Base64ToStr(StrToBase64(all, true)), all);
}
