// Tests of core/vxStringsCheck.h: TvxStrings: tests on the characters of a
// text, word counts and splitting.
#include "core/vxStringsCheck.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/base/vxCodePage.h"
#include "platform/text/vxRegExpr.h"

using namespace TvxStrings;

namespace {

std::string Show(const std::string& text) {
  std::string shown(1, '\'');
  shown += text;
  shown += '\'';
  return shown;
}
std::string Show(const ustring& text) { return Show(WideToUtf8(text)); }

// The same Windows-1252 text as UTF-16, so one table drives both forms.
ustring Wide(const std::string& text) { return AnsiToWide(text); }

}  // namespace

TEST(StringsCheck, IsNumericEightBit) {
  struct Case {
    std::string text;
    bool allowBlanks;
    bool expected;
  };
  const Case cases[] = {
      {"123", false, true},   {"1 2", false, false}, {"1 2", true, true}, {"", false, true},
      {" ", true, true},      {"-1", true, false},   {"12a", true, false}, {"1\t2", true, false},
      {"\xB2", false, false},  // superscript two is no digit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.text) + " blanks " + std::to_string(c.allowBlanks));
    EXPECT_EQ(IsNumeric(c.text, c.allowBlanks), c.expected);
  }
}

TEST(StringsCheck, IsNumericWide) {
  struct Case {
    ustring text;
    bool allowBlanks, allowNumRelChars;
    bool expected;
  };
  const Case cases[] = {
      {u"-1.5", true, true, true},
      {u"-1.5", false, true, false},  // the number signs need the blanks switch too
      {u"-1.5", true, false, false},
      {u"+1,5 ", true, true, true},
      {u"1 2", true, false, true},
      {u"1 2", false, false, false},
      {u"123", false, false, true},
      {u"", false, false, true},
      {u"1e5", true, true, false},
      {u"1\t2", true, true, false},
      {u"\u0663", false, false, false},  // an Arabic-Indic digit is no digit here
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.text) + " blanks " + std::to_string(c.allowBlanks) + " signs " +
                 std::to_string(c.allowNumRelChars));
    EXPECT_EQ(IsNumeric(c.text, c.allowBlanks, c.allowNumRelChars), c.expected);
  }
}

TEST(StringsCheck, ContainsNumbersMeansNoDigit) {
  struct Case {
    ustring text;
    bool expected;
  };
  const Case cases[] = {{u"abc", true}, {u"a1", false}, {u"", true}, {u"9", false}, {u"\u0663", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.text));
    EXPECT_EQ(ContainsNumbers(c.text), c.expected);
  }
}

TEST(StringsCheck, VerifySimpleFormat) {
  struct Case {
    std::string format, text;
    bool expected;
  };
  const Case cases[] = {
      {"##.##", "12.34", true}, {"##.##", "12,34", false}, {"$#", "x5", true}, {"##", "123", false},
      {"", "", true},           {"#", "#", true},          {"#", "a", false},  {"a$", "A1", false},
      {"$", "", false},         {"$$", "\xE4 ", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.format) + " " + Show(c.text));
    EXPECT_EQ(VerifySimpleFormat(c.format, c.text), c.expected);
    EXPECT_EQ(VerifySimpleFormat(Wide(c.format), Wide(c.text)), c.expected);
  }
  EXPECT_FALSE(VerifySimpleFormat(u"#", u"\u0663"));
  EXPECT_TRUE(VerifySimpleFormat(u"$", u"\u20AC"));
}

TEST(StringsCheck, ContainHighAndLowChars) {
  struct Case {
    std::string text;
    int32_t expected;
  };
  const Case cases[] = {
      {"ace", 0},   {"AB", 1},     {"gp", 2},      {"Ag", 3},    {"j", 3},    {"", 0},
      {"\"", 1},    {"\xA7", 1},   {"\xC4", 1},    {"\xFC", 1},  {",;", 2},   {"m n", 0},
      {"\xE9", 0},  {"0", 1},      {"!%&()?", 1},  {"acegm", 2}, {"bq", 3},   {"xyz", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.text));
    EXPECT_EQ(ContainHighAndLowChars(c.text), c.expected);
    EXPECT_EQ(ContainHighAndLowChars(Wide(c.text)), c.expected);
  }
  // Above U+00FF nothing counts, whatever its low byte.
  EXPECT_EQ(ContainHighAndLowChars(u"\u0141\u0167\u20AC"), 0);
}

TEST(StringsCheck, EqualsRegExW) {
  struct Case {
    ustring text, pattern;
    bool expected;
  };
  const Case cases[] = {
      {u"abc123", u"[0-9]+", true},
      {u"abc", u"[0-9]*", false},
      {u"abc1", u"[0-9]*", false},  // only the first match counts, and it is empty
      {u"1abc", u"[0-9]*", true},
      {u"abc", u"^", false},       // patterns that can only match empty
      {u"abc", u"$", false},
      {u"abc", u"(?=b)", false},
      {u"abc", u"\\b", false},
      {u"", u".*", false},
      {u"", u"a", false},
      {u"a\nb", u"a.b", true},    // "." takes a line break
      {u"ABC", u"abc", false},    // case counts
      {u"x\u00E4y", u"\u00E4", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.text) + " against " + Show(c.pattern));
    int32_t percent = -1;
    EXPECT_EQ(EqualsRegExW(c.text, c.pattern, percent), c.expected);
    EXPECT_EQ(percent, c.expected ? 100 : 0);
  }
}

TEST(StringsCheck, EqualsRegExWRefusesBadPatterns) {
  for (const ustring& pattern : {ustring(u"("), ustring(u"a{2,1}"), ustring()}) {
    SCOPED_TRACE(Show(pattern));
    int32_t percent = 100;
    EXPECT_THROW(EqualsRegExW(u"abc", pattern, percent), ERegExprError);
    EXPECT_EQ(percent, 0);
  }
}

TEST(StringsCheck, GetWordCount) {
  struct Case {
    ustring text;
    int32_t expected;
  };
  const Case cases[] = {
      {u"  one  two three ", 3}, {u"   ", 0},      {u"", 0},           {u"one", 1},
      {u"a\tb", 1},              {u"a\tb c", 2},   {u"a\r\nb", 1},     {u" \t a b \t", 2},
      {u"a     b", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.text));
    EXPECT_EQ(GetWordCount(c.text), c.expected);
  }
}

TEST(StringsCheck, GetWordCountAfter) {
  struct Case {
    ustring text, search;
    int32_t defaultValue;
    int32_t expected;
  };
  const Case cases[] = {
      {u"Total: 4 items left", u"TOTAL:", -1, 3},
      {u"Total: 4 items left", u"sum", -1, -1},
      {u"a b", u"", 7, 7},
      {u"", u"x", 7, 7},
      {u"Total:", u"total:", -1, 0},
      {u"x total: a total: b c", u"TOTAL:", -1, 4},  // behind the first one
      {u"\u00C4rger: a b", u"\u00E4RGER:", -1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.text) + " after " + Show(c.search));
    EXPECT_EQ(GetWordCountAfter(c.text, c.search, c.defaultValue), c.expected);
  }
}

TEST(StringsCheck, SplitFirstString) {
  struct Case {
    std::string source, splitAt;
    bool found;
    std::string left, right;
  };
  const Case cases[] = {
      {"key=value=2", "=", true, "key", "value=2"},
      {"abc", "=", false, "abc", ""},
      {"", "=", false, "", ""},
      {"abc", "", false, "abc", ""},
      {"=x", "=", true, "", "x"},
      {"x=", "=", true, "x", ""},
      {"a::b::c", "::", true, "a", "b::c"},
      {"aB", "b", false, "aB", ""},  // case counts
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.source) + " at " + Show(c.splitAt));
    std::string left = "old", right = "old";
    EXPECT_EQ(SplitFirstString(c.source, c.splitAt, left, right), c.found);
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(right, c.right);
    ustring wideLeft = u"old", wideRight = u"old";
    EXPECT_EQ(SplitFirstStringW(Wide(c.source), Wide(c.splitAt), wideLeft, wideRight), c.found);
    EXPECT_EQ(wideLeft, Wide(c.left));
    EXPECT_EQ(wideRight, Wide(c.right));
  }
}

TEST(StringsCheck, SplitsMayWriteIntoTheirSource) {
  std::string text = "key=value";
  std::string right;
  EXPECT_TRUE(SplitFirstString(text, "=", text, right));
  EXPECT_EQ(text, "key");
  EXPECT_EQ(right, "value");

  ustring wide = u"key=value";
  ustring wideLeft;
  EXPECT_TRUE(SplitFirstStringW(wide, u"=", wideLeft, wide));
  EXPECT_EQ(wideLeft, u"key");
  EXPECT_EQ(wide, u"value");

  ustring content = u"Invoice 4711 A";
  ustring behind;
  EXPECT_TRUE(SplitBeforeFirstNumber(content, content, behind));
  EXPECT_EQ(content, u"Invoice ");
  EXPECT_EQ(behind, u"4711 A");

  content = u"Invoice 4711 A";
  ustring before;
  EXPECT_TRUE(SplitAfterLastNumber(content, before, content, false, 0));
  EXPECT_EQ(before, u"Invoice 4711");
  EXPECT_EQ(content, u" A");
}

TEST(StringsCheck, SplitBeforeFirstNumber) {
  struct Case {
    ustring content;
    bool found;
    ustring before, behind;
  };
  const Case cases[] = {
      {u"Invoice 4711 A", true, u"Invoice ", u"4711 A"},
      {u"42", true, u"", u"42"},
      {u"a-1", true, u"a-", u"1"},
      {u"abc", false, u"kept", u"kept too"},
      {u"", false, u"kept", u"kept too"},
      {u"\u0663", false, u"kept", u"kept too"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content));
    ustring before = u"kept", behind = u"kept too";
    EXPECT_EQ(SplitBeforeFirstNumber(c.content, before, behind), c.found);
    EXPECT_EQ(before, c.before);
    EXPECT_EQ(behind, c.behind);
  }
}

TEST(StringsCheck, SplitAfterLastNumber) {
  struct Case {
    ustring content;
    bool allowSeparators;
    int32_t typeId;
    bool found;
    ustring before, behind;
  };
  const Case cases[] = {
      {u"Invoice 4711 A", false, 0, true, u"Invoice 4711", u" A"},
      {u"3.5 kg", true, 5, true, u"3.5", u" kg"},
      {u"3.5. kg", true, 5, true, u"3.5.", u" kg"},
      {u"3.5. kg", false, 5, true, u"3.5", u". kg"},
      {u"3.5, kg", true, 5, true, u"3.5,", u" kg"},
      {u"3.5, kg", true, 2, true, u"3.5", u", kg"},
      {u"1-2/ x", true, 2, true, u"1-2/", u" x"},
      {u"1-2/ x", true, 5, true, u"1-2", u"/ x"},
      {u"1-", true, 0, true, u"1", u"-"},  // other type ids: digits only
      {u"x.", true, 5, true, u"x.", u""},
      {u"42", false, 0, true, u"42", u""},
      {u"abc-", false, 2, false, u"kept", u"kept too"},
      {u"abc", true, 5, false, u"kept", u"kept too"},
      {u"", false, 0, false, u"kept", u"kept too"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " separators " + std::to_string(c.allowSeparators) + " type " +
                 std::to_string(c.typeId));
    ustring before = u"kept", behind = u"kept too";
    EXPECT_EQ(SplitAfterLastNumber(c.content, before, behind, c.allowSeparators, c.typeId), c.found);
    EXPECT_EQ(before, c.before);
    EXPECT_EQ(behind, c.behind);
  }
}
