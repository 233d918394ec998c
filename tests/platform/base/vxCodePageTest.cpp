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

TEST(CodePage, Utf16BytesInBothOrders) {
  const ustring text = u"A\u00C4\u20AC\U0001F600";
  const std::string le = vxCodePage::WideToUtf16LeBytes(text);
  EXPECT_EQ(le, std::string("A\0\xC4\0\xAC\x20\x3D\xD8\x00\xDE", 10));
  EXPECT_EQ(vxCodePage::Utf16BytesToWide(le), text);
  EXPECT_EQ(vxCodePage::Utf16BytesToWide(std::string("\0A\x20\xAC", 4), true), u"A\u20AC");
  // An odd last byte is no unit; the caller decides what it stands for.
  EXPECT_EQ(vxCodePage::Utf16BytesToWide(std::string("A\0B", 3)), u"A");
  EXPECT_EQ(vxCodePage::Utf16BytesToWide(""), u"");
}

TEST(CodePage, FindLoneSurrogate) {
  struct Case {
    ustring Text;
    size_t From;
    size_t Expected;
  };
  const size_t none = std::u16string_view::npos;
  const Case cases[] = {
      {u"", 0, none},
      {u"plain", 0, none},
      {u"a\U0001F600b", 0, none},                    // a pair is no lone surrogate
      {ustring(u"a\xD83D" u"b"), 0, 1},              // a lead without its trail
      {ustring(u"\xDE00" u"a"), 0, 0},               // a trail without its lead
      {ustring(u"\xD83D"), 0, 0},                    // a lead at the end
      {ustring(u"\xD83D\xD83D\xDE00"), 0, 0},        // a lead before a pair
      {ustring(u"x\xDE00y\xDE01"), 2, 3},            // from a later position
  };
  for (const Case& c : cases) EXPECT_EQ(vxCodePage::FindLoneSurrogate(c.Text, c.From), c.Expected);
}
