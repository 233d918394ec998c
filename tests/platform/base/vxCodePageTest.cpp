// Tests of platform/base/vxCodePage.h: conversions between UTF-16 and 8-bit
// text.
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

TEST(CodePage, LoneSurrogatesAreFoundPairsAreNot) {
  const ustring text = u"a\U0001F600b\xD800" u"c\xDC00\xDBFF";
  // positions: a 0, pair 1-2, b 3, lone high 4, c 5, lone low 6, lone high at the end 7
  EXPECT_EQ(FindLoneSurrogate(text), 4u);
  EXPECT_EQ(FindLoneSurrogate(text, 5), 6u);
  EXPECT_EQ(FindLoneSurrogate(text, 7), 7u);
  EXPECT_EQ(FindLoneSurrogate(text, 8), ustring::npos);
  EXPECT_EQ(FindLoneSurrogate(u"\U0001F600"), ustring::npos);
  EXPECT_EQ(FindLoneSurrogate(u""), ustring::npos);
}

TEST(CodePage, Utf16BytesBothWays) {
  const ustring text = u"A\u00E4\U0001F600";
  const std::string bytes = WideToUtf16LE(text);
  EXPECT_EQ(bytes, std::string("A\0\xE4\0\x3D\xD8\x00\xDE", 8));
  EXPECT_EQ(Utf16LEToWide(bytes), text);
  EXPECT_EQ(Utf16BEToWide(std::string("\0A\0\xE4", 4)), u"A\u00E4");
  EXPECT_EQ(Utf16LEToWide(std::string("A\0B", 3)), u"A\uFFFD");  // a stray last byte
}
