// Tests of platform/base/vxRuntime.h: the runtime library's text basics that
// every text routine stands on: trimming.
#include "platform/base/vxRuntime.h"

#include <gtest/gtest.h>

using namespace vxRuntime;

TEST(Runtime, TrimRemovesCodesUpTo32) {
  EXPECT_EQ(Trim(ustring(u"\t\r\n a b\x01 ")), u"a b");
  EXPECT_EQ(Trim(std::string("\x1F" "x\x20")), "x");
  EXPECT_EQ(Trim(ustring(u"\u00A0x\u00A0")), u"\u00A0x\u00A0");  // only codes 0 .. 32
  EXPECT_EQ(Trim(std::string("\xA0x")), "\xA0x");                 // bytes above 127 are not blanks
  EXPECT_EQ(TrimLeft(ustring(u"  a ")), u"a ");
  EXPECT_EQ(TrimRight(ustring(u"  a ")), u"  a");
  EXPECT_EQ(Trim(ustring(u"   ")), u"");
}

TEST(Runtime, CopyRules) {
  const ustring s = u"abcdef";
  EXPECT_EQ(Copy(s, 2, 3), u"bcd");
  EXPECT_EQ(Copy(s, 0, 3), u"abc");   // index below 1 starts at the first character
  EXPECT_EQ(Copy(s, -5, 2), u"ab");
  EXPECT_EQ(Copy(s, 5, 99), u"ef");   // cut at the end
  EXPECT_EQ(Copy(s, 7, 1), u"");      // beyond the end
  EXPECT_EQ(Copy(s, 1, -1), u"");     // negative count
}

TEST(Runtime, PosRules) {
  const ustring s = u"abcabc";
  EXPECT_EQ(Pos(ustring(u"c"), s), 3);
  EXPECT_EQ(Pos(ustring(u"c"), s, 4), 6);
  EXPECT_EQ(Pos(ustring(u""), s), 0);
  EXPECT_EQ(Pos(ustring(u"a"), ustring()), 0);
  EXPECT_EQ(Pos(ustring(u"a"), s, 0), 0);     // from below 1
  EXPECT_EQ(Pos(ustring(u"bc"), s, 6), 0);    // does not fit
  EXPECT_EQ(Pos(std::string("bc"), std::string("abcabc"), 3), 5);
}

TEST(Runtime, HexWritingAndReading) {
  std::string text;
  AppendHex(text, 0x2A, 8);
  EXPECT_EQ(text, "0000002A");
  text.clear();
  AppendHex(text, 0xABCDEF0123456789ull, 1, false);
  EXPECT_EQ(text, "abcdef0123456789");
  ustring wide;
  AppendHex(wide, 0, 1);
  AppendHex(wide, 0xD800, 4);
  EXPECT_EQ(wide, u"0D800");
  EXPECT_EQ(HexPairValue('3', 'D'), 0x3D);
  EXPECT_EQ(HexPairValue(u'f', u'F'), 0xFF);
  EXPECT_EQ(HexPairValue('0', 'g'), -1);
  EXPECT_EQ(HexPairValue(' ', '1'), -1);
  // A UTF-16 unit whose low byte is a digit is no digit.
  EXPECT_EQ(HexPairValue(u'\u0131', u'1'), -1);
  EXPECT_EQ(HexPairValue(static_cast<char>(0xB1), '1'), -1);
}
