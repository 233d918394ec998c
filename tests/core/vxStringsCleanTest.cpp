// Tests of core/vxStringsClean.h: TvxStrings: routines that rewrite the
// characters of a text: folding into a technical name.
#include "core/vxStringsClean.h"

#include <gtest/gtest.h>

#include "platform/base/vxCodePage.h"

using namespace TvxStrings;

// 8-bit texts below are Windows-1252 bytes: \xE4 ä, \xF6 ö, \xFC ü, \xC4 Ä,
// \xD6 Ö, \xDC Ü, \xDF ß, \xE9 é, \xA7 §, \x80 €. Where a table drives both
// forms, the UTF-16 case is the same text through the code page.

namespace {

std::string Show(const std::string& bytes) {
  std::string shown(1, '\'');
  shown += WideToUtf8(AnsiToWide(bytes));
  shown += '\'';
  return shown;
}

}  // namespace

TEST(StringsClean, FlatString) {
  struct Case {
    std::string str;
    char delimiter;
    bool convertUmlauts;
    std::string expected;
  };
  const Case cases[] = {
      {"Gr\xF6\xDF" "e 1/2", '_', true, "Groesse_1_2"},
      {"Gr\xF6\xDF" "e 1/2", '_', false, "Gr__e_1_2"},
      {"a-b c", '.', false, "a.b.c"},
      {"\xE4\xF6\xFC\xC4\xD6\xDC\xDF", '-', true, "aeoeueAEOEUEss"},
      {"\xE4\xF6\xFC\xC4\xD6\xDC\xDF", '-', false, "-------"},
      {"caf\xE9 \x80", '_', true, "caf___"},  // other letters become the delimiter either way
      {"A_z 09", '-', false, "A_z-09"},
      {"a\tb~", '_', false, "a_b_"},
      {"a-b c", ' ', false, "a b c"},
      {"", '_', true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.str) + (c.convertUmlauts ? " converting" : ""));
    EXPECT_EQ(FlatString(c.str, c.delimiter, c.convertUmlauts), c.expected);
    const char16_t delimiter = AnsiToWide(std::string(1, c.delimiter))[0];
    EXPECT_EQ(FlatStringW(AnsiToWide(c.str), delimiter, c.convertUmlauts), AnsiToWide(c.expected));
  }
  EXPECT_EQ(FlatStringW(u"a\u0416b", u'_', true), u"a_b");
}

TEST(StringsClean, DeleteControlChars) {
  struct Case {
    std::string str, expected;
  };
  const Case cases[] = {
      {"a\tb", "a b"},
      {std::string("\0a\x1F \x7F", 5), " a  \x7F"},
      {"\r\n", "  "},
      {"\xE4\x81\xA0", "\xE4\x81\xA0"},  // bytes above 127 are no control characters
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.str));
    EXPECT_EQ(DeleteControlChars(c.str), c.expected);
    EXPECT_EQ(DeleteControlChars(AnsiToWide(c.str)), AnsiToWide(c.expected));
    EXPECT_EQ(DeleteControlCharsW(AnsiToWide(c.str)), AnsiToWide(c.expected));
  }
  EXPECT_EQ(DeleteControlCharsW(u"\u0085\u2028x"), u"\u0085\u2028x");  // only codes below 32
}

TEST(StringsClean, Breaks2Blanks) {
  struct Case {
    std::string text, expected;
  };
  const Case cases[] = {
      {"a\r\nb\nc\rd", "a b c\rd"},
      {"\n\r\n\r", "  \r"},
      {"\r\r\n", "\r "},
      {"\n\n", "  "},
      {"\n\r", " \r"},
      {"", ""},
      {"no break", "no break"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.text));
    EXPECT_EQ(Breaks2Blanks(c.text), c.expected);
    EXPECT_EQ(Breaks2BlanksW(AnsiToWide(c.text)), AnsiToWide(c.expected));
  }
}

TEST(StringsClean, BlanksToUnderScoreAndFormatTechnicalName) {
  struct Case {
    ustring str, underscored, technical;
  };
  const Case cases[] = {
      {u"Sales, North/West", u"Sales,_North/West", u"Sales__North_West"},
      {u"a\tb\\c", u"a\tb\\c", u"a\tb\\c"},
      {u"  ", u"__", u"__"},
      {u"", u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.str));
    EXPECT_EQ(BlanksToUnderScore(c.str), c.underscored);
    EXPECT_EQ(FormatTechnicalName(c.str), c.technical);
  }
}

TEST(StringsClean, PrepareOCRText) {
  struct Case {
    std::string str, expected;
  };
  const Case cases[] = {
      {"x  Hallo \xA7\xA7 Welt", "Hallo Welt"},
      {"aaaaa", "aa"},  // four become one, the fifth stays
      {"x a a y", "a"},  // of two equal single letters in a row one survives
      {"aaaaaaaa", "aa"},
      {"aaaaaaa", "aaaa"},
      {"aaaa", ""},  // one letter left, alone between blanks
      {"a b c", ""},
      {"Gr\xF6\xDF" "e  \xC4pfel", "Gr\xF6\xDF" "e \xC4pfel"},
      {"\xE4\xE4\xE4\xE4\xE4", "\xE4\xE4"},
      {"ab\tcd\r\nef", "ab cd ef"},
      {"caf\xE9 ok", "caf ok"},
      {"Preis: 12,50 \x80", "Preis 12 50"},
      {"Nr.     4711", "Nr 4711"},
      {"", ""},
      {"x", ""},
      {"   ", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.str));
    EXPECT_EQ(PrepareOCRText(c.str), c.expected);
  }
  // Every character of the set survives the clean-up.
  const std::string kept =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\xE4\xF6\xFC\xC4\xD6\xDC\xDF";
  EXPECT_EQ(PrepareOCRText(kept), kept);
}

TEST(StringsClean, VerifyAndApplyCharset) {
  struct Case {
    ustring charset, str;
    bool verified;
    ustring applied;
  };
  const Case cases[] = {
      {u"0123456789", u"2024", true, u"2024"},
      {u"0123456789", u"20-24", false, u"2024"},
      {u"", u"x", false, u"x"},  // an empty set accepts nothing but filters nothing
      {u"", u"", true, u""},
      {u"abc", u"", true, u""},
      {u"äö", u"öä", true, u"öä"},
      {u"\u0416", u"a\u0416", false, u"\u0416"},
      {u"ab", u"AB", false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.charset) + " / " + WideToUtf8(c.str));
    EXPECT_EQ(VerifyCharset(c.charset, c.str), c.verified);
    EXPECT_EQ(ApplyCharset(c.charset, c.str), c.applied);
  }
}

TEST(StringsClean, ApplyCharsetA) {
  struct Case {
    std::string str, charset;
    bool removeControlChars, removeBlanks;
    std::string expected;
  };
  const Case cases[] = {
      {"a1 b2", "ab ", false, false, "a b"},
      {"a1 b2", "ab ", false, true, "ab"},
      {"x", "ab", false, false, ""},
      {"a\tb", "ab\t", false, false, "a\tb"},
      {"a\tb", "ab\t", true, false, "a b"},
      {"a  \t b", "ab", true, false, "a b"},
      {"abc", "", false, false, ""},
      {"\xE4x\xE4", "\xE4", false, false, "\xE4 \xE4"},
      {" a ", "a ", false, true, "a"},
      {"", "ab", false, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.str) + " in " + Show(c.charset));
    EXPECT_EQ(ApplyCharsetA(c.str, c.charset, c.removeControlChars, c.removeBlanks), c.expected);
  }
}

TEST(StringsClean, ClearString) {
  struct Case {
    std::string str;
    int32_t len;
    std::string expected;
  };
  const Case cases[] = {
      {"abcdef", 3, std::string(3, '\0') + "def"},
      {"abcdef", 0, std::string(6, '\0')},
      {"abcdef", 99, std::string(6, '\0')},
      {"abcdef", -1, "abcdef"},
      {"", 0, ""},
      {"", 5, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.str + " " + std::to_string(c.len));
    std::string text = c.str;
    EXPECT_TRUE(ClearString(text, c.len));
    EXPECT_EQ(text, c.expected);
    ustring wide = AnsiToWide(c.str);
    EXPECT_TRUE(ClearStringW(wide, c.len));
    EXPECT_EQ(wide, ustring(c.expected.begin(), c.expected.end()));
  }
}

TEST(StringsClean, StandardizeMinusInNumeric) {
  struct Case {
    ustring content;
    TSEARCH_TYPE position;
    bool result;
    ustring after;
  };
  const Case cases[] = {
      {u" 12- ", FIRST_POS, true, u"-12"},
      {u" -12", LAST_POS, true, u"12-"},
      {u"1-2", FIRST_POS, false, u"1-2"},
      {u" 1-2 ", LAST_POS, false, u"1-2"},  // trimmed even when refused
      {u"--12", FIRST_POS, false, u"--12"},
      {u"-12-", FIRST_POS, true, u"-12"},
      {u" -12 ", EACH_POS, true, u"-12"},
      {u"12-", EACH_POS, true, u"12-"},
      {u" 12 ", FIRST_POS, true, u"12"},
      {u"-", LAST_POS, true, u"-"},
      {u"", LAST_POS, true, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.content) + " " + std::to_string(c.position));
    ustring content = c.content;
    EXPECT_EQ(StandardizeMinusInNumeric(content, c.position), c.result);
    EXPECT_EQ(content, c.after);
  }
}

TEST(StringsClean, GetReplacerStringForReplaceEachElement) {
  struct Case {
    ustring content, sign, expected;
  };
  const Case cases[] = {
      {u"x", u"%s", u"%s"},
      {u"a,,b", u"*", u"*,*,*"},
      {u"a,b,c", u"?", u"?,?,?"},
      {u"", u"?", u"?"},
      {u",", u" ?", u" ?, ?"},
      {u"a,b", u"", u","},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.content) + " " + WideToUtf8(c.sign));
    EXPECT_EQ(GetReplacerStringForReplaceEachElement(c.content, c.sign), c.expected);
  }
}
