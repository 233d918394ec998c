#include "platform/base/vxCodePage.h"

#include <gtest/gtest.h>

TEST(CodePage, AnsiRoundTripsEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(WideToAnsi(AnsiToWide(all)), all);
}

TEST(CodePage, AnsiMapsWindows1252) {
  EXPECT_EQ(AnsiToWide("\x80\xC4\xDF\x9F"), u"\u20AC\u00C4\u00DF\u0178");
  // Unassigned bytes of Windows-1252 map to their C1 controls and back.
  EXPECT_EQ(AnsiToWide("\x81\x8D\x8F\x90\x9D"), u"\u0081\u008D\u008F\u0090\u009D");
  EXPECT_EQ(WideToAnsi(u"\u20AC\u00E4"), "\x80\xE4");
}

TEST(CodePage, MissingCharactersBecomeQuestionMarks) {
  EXPECT_EQ(WideToAnsi(u"a\u0416b"), "a?b");     // Cyrillic Zhe
  EXPECT_EQ(WideToAnsi(u"x\U0001F600y"), "x?y");  // one "?" for a surrogate pair
  EXPECT_EQ(WideToAnsi(u"\xD800"), "?");           // lone surrogate
  EXPECT_EQ(WideToAnsi(std::u16string(1, u'\0')), std::string(1, '\0'));
}

TEST(CodePage, OemIs850) {
  EXPECT_EQ(OemToWide("\x8E\x99\x9A\xE1"), u"\u00C4\u00D6\u00DC\u00DF");
  EXPECT_EQ(WideToOem(u"\u00E4"), "\x84");
  EXPECT_EQ(WideToOem(u"\u20AC"), "?");
}

TEST(CodePage, Utf8) {
  EXPECT_EQ(Utf8ToWide("stra\xC3\x9F" "e \xF0\x9F\x98\x80"), u"straße \U0001F600");
  EXPECT_EQ(WideToUtf8(u"straße \U0001F600"), "stra\xC3\x9F" "e \xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToWide("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(WideToUtf8(u"a\xDC00"), "a\xEF\xBF\xBD");
  EXPECT_EQ(Utf8ToWide(""), u"");
}
