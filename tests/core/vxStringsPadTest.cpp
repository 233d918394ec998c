// Tests of core/vxStringsPad.h: TvxStrings: small text-shaping routines: plural
// endings, filling with zeros or blanks.
#include "core/vxStringsPad.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/base/vxCodePage.h"

using namespace TvxStrings;

namespace {

// Quoted for failure messages; appended piece by piece, as a literal in
// front of a temporary string trips a false -Wrestrict warning of GCC 12.
std::string Show(const std::string& text) {
  std::string shown(1, '\'');
  shown += text;
  shown += '\'';
  return shown;
}
std::string Show(const ustring& text) { return Show(WideToUtf8(text)); }

// The same ASCII text as UTF-16, so one table can drive both forms.
ustring Wide(const std::string& ascii) { return ustring(ascii.begin(), ascii.end()); }

}  // namespace

TEST(StringsPad, PluralEndings) {
  struct Case {
    int32_t count;
    std::string ending;
  };
  const Case cases[] = {{1, ""}, {0, "s"}, {2, "s"}, {-1, "s"}, {INT32_MIN, "s"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    EXPECT_EQ(ShowPluralS(c.count), c.ending);
    EXPECT_EQ(Sps(c.count), c.ending);
    EXPECT_EQ(ShowPluralSW(c.count), Wide(c.ending));
    EXPECT_EQ(SpsW(c.count), Wide(c.ending));
    const std::string word = c.ending.empty() ? "" : "en";
    EXPECT_EQ(ShowPluralStr(c.count, "en"), word);
    EXPECT_EQ(ShowPluralStrW(c.count, u"en"), Wide(word));
  }
}

TEST(StringsPad, FillIntNull) {
  const std::string zeros61(61, '0');
  struct Case {
    int64_t nr;
    int32_t max;
    std::string expected;
  };
  const Case cases[] = {
      {42, 5, "00042"},
      {123456, 3, "123456"},  // never cut
      {7, 100, zeros61 + "7"},
      {7, 62, zeros61 + "7"},
      {0, 3, "000"},
      {0, 0, "0"},
      {42, -4, "42"},
      {-5, 4, "-005"},  // the zeros go behind the sign, which still counts
      {-5, 2, "-5"},
      {-5, 1, "-5"},
      {-5, 100, "-" + zeros61 + "5"},
      {INT64_MIN, 25, "-00000" "9223372036854775808"},
      {INT64_MAX, 21, "00" "9223372036854775807"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.nr) + " to " + std::to_string(c.max));
    EXPECT_EQ(FillIntNull(c.nr, c.max), c.expected);
    EXPECT_EQ(FillIntNullW(c.nr, c.max), Wide(c.expected));
  }
}

TEST(StringsPad, FillStrNull) {
  const std::string zeros61(61, '0');
  struct Case {
    std::string str;
    int32_t max;
    std::string expected;
  };
  const Case cases[] = {
      {"ab", 4, "00ab"},
      {"", 3, "000"},
      {"", 0, ""},
      {" ab", 5, "00 ab"},  // blanks count as characters
      {"abcd", 2, "abcd"},
      {"abcd", 4, "abcd"},
      {"x", 100, zeros61 + "x"},
      {"x", -3, "x"},
      {"-5", 4, "00-5"},  // a text is not a number: no sign handling
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.str) + " to " + std::to_string(c.max));
    EXPECT_EQ(FillStrNull(c.str, c.max), c.expected);
    EXPECT_EQ(FillStrNullW(Wide(c.str), c.max), Wide(c.expected));
  }
  EXPECT_EQ(FillStrNullW(u"\U00010428", 4), u"00\U00010428");  // UTF-16 units count
}

TEST(StringsPad, FillBlank) {
  struct Case {
    std::string str;
    int32_t l;
    std::string front, back;
  };
  const Case cases[] = {
      {"ab", 4, "  ab", "ab  "},
      {"ab", 1, "ab", "ab"},
      {"ab", 2, "ab", "ab"},
      {"ab", -1, "ab", "ab"},
      {"", 2, "  ", "  "},
      {"", 0, "", ""},
      {" a", 3, "  a", " a "},
      {"x", 100, std::string(99, ' ').append("x"), std::string("x").append(99, ' ')},  // no limit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.str) + " to " + std::to_string(c.l));
    EXPECT_EQ(FillBlankFront(c.str, c.l), c.front);
    EXPECT_EQ(FillBlankBack(c.str, c.l), c.back);
    EXPECT_EQ(FillBlankFront(Wide(c.str), c.l), Wide(c.front));
    EXPECT_EQ(FillBlankBack(Wide(c.str), c.l), Wide(c.back));
  }
}

TEST(StringsPad, RightPos) {
  struct Case {
    std::string z, text;
    int32_t fromStart, fromEnd;
  };
  const Case cases[] = {
      {"a", "banana", 6, 1},
      {"n", "banana", 5, 2},
      {"b", "banana", 1, 6},
      {"an", "banana", -1, -1},  // only a single character can match
      {"", "banana", -1, -1},
      {"a", "", -1, -1},
      {"", "", -1, -1},
      {"A", "banana", -1, -1},  // case counts
      {"x", "banana", -1, -1},
      {" ", " a ", 3, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.z) + " in " + Show(c.text));
    EXPECT_EQ(RightPosL(c.z, c.text), c.fromStart);
    EXPECT_EQ(RightPos(c.z, c.text), c.fromEnd);
    EXPECT_EQ(RightPosWL(Wide(c.z), Wide(c.text)), c.fromStart);
    EXPECT_EQ(RightPosW(Wide(c.z), Wide(c.text)), c.fromEnd);
  }
  // Characters outside the code page are themselves, not "?".
  EXPECT_EQ(RightPosWL(u"?", u"a?\u0416"), 2);
  EXPECT_EQ(RightPosW(u"\u0416", u"\u0416ab"), 3);
}

TEST(StringsPad, LastPos) {
  struct Case {
    std::string sub, s;
    int32_t expected;
  };
  const Case cases[] = {
      {"bc", "abcabc", 5}, {"aa", "aaa", 2}, {"", "abc", 0},     {"x", "abc", 0},
      {"a", "", 0},        {"abc", "abc", 1}, {"abcd", "abc", 0}, {"B", "abc", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.sub) + " in " + Show(c.s));
    EXPECT_EQ(LastPos(c.sub, c.s), c.expected);
  }
}

TEST(StringsPad, OptPos) {
  struct Case {
    std::vector<std::string> items;
    std::string s;
    int32_t expected;
  };
  const Case cases[] = {
      {{"x", "y"}, "ay", 2},
      {{}, "ay", -1},
      {{"x", "z"}, "ay", 0},
      {{"b", "a"}, "ab", 1},            // b at 2 has a at 1 behind it: go on
      {{"a", "b"}, "ab", 1},
      {{"a", "b", "c"}, "cxxxa", 5},    // 5, absent, 1: only the successor counts
      {{"a", "b", "c"}, "ab", 1},
      {{"", "a"}, "ba", 2},
      {{"a"}, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.s) + " with " + std::to_string(c.items.size()) + " items");
    EXPECT_EQ(OptPos(c.items, c.s), c.expected);
  }
}

TEST(StringsPad, PartPos) {
  struct Case {
    ustring source, check, delimiter;
    int32_t expected;
  };
  const Case cases[] = {
      {u"ab;cd;ef", u"xxcd;", u";", 3},
      {u"ab;cd", u"cd", u";", -1},  // the piece after the last delimiter is not tested
      {u"ab;cd;", u"zzcd;", u";", 3},
      {u"ab;cd", u"ab;", u";", 1},
      {u";x", u"a;", u";", 2},  // an empty first piece is the delimiter alone
      {u"", u"x;", u";", -1},
      {u"ab;cd", u"ab;", u"", -1},
      {u"ab", u"ab", u";", -1},
      // A longer delimiter is skipped whole, so the next piece is 'cd'.
      {u"ab;;cd;;ef", u"x cd;;", u";;", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.source) + " in " + Show(c.check) + " at " + Show(c.delimiter));
    EXPECT_EQ(PartPos(c.source, c.check, c.delimiter), c.expected);
  }
}

TEST(StringsPad, GetBetween) {
  struct Case {
    std::string str, f, l, expected;
  };
  const Case cases[] = {
      {"x[a]y", "[", "]", "a"},
      {"]a[ b ]", "[", "]", "b"},  // an L in front of F is passed over
      {"]]][x]", "[", "]", "x"},
      {"a]b[c]d]", "[", "]", "c"},
      {"a[b", "[", "]", ""},
      {"a[ b ", "[", "", "b"},  // an empty L takes the rest
      {"(a(b)c)", "(", ")", "a(b"},
      {"[]", "[", "]", ""},
      {"[  ]", "[", "]", ""},
      {"", "[", "]", ""},
      {"a]b", "[", "]", ""},
      {"  abc ", "x", "", "abc"},  // neither marker: the whole text, trimmed
      {"  abc ", "", "", "abc"},
      {"abc", "", "c", ""},
      {"<<a<", "<<", "<", ""},  // the first L at F's start lies inside F
      {"  [ a b ]  ", "[", "]", "a b"},
      {"key=<value>;", "key=<", ">", "value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.str) + " " + Show(c.f) + " " + Show(c.l));
    EXPECT_EQ(GetBetween(c.str, c.f, c.l), c.expected);
  }
}

TEST(StringsPad, GetBetweenWTakesTheLastL) {
  struct Case {
    ustring str, f, l, expected;
  };
  const Case cases[] = {
      {u"(a(b)c)", u"(", u")", u"a(b)c"},
      {u"(a)b)", u"(", u")", u"a)b"},
      {u")a(b", u"(", u")", u""},  // the last L stands in front of F
      {u"a(b", u"(", u")", u""},
      {u"x( a ", u"(", u"", u"a"},
      {u" ab ", u"", u"", u"ab"},
      {u"(a]]", u"(", u"]]", u""},  // L is a single character
      {u"", u"(", u")", u""},
      {u"(\u0416 \U00010428)", u"(", u")", u"\u0416 \U00010428"},
      // Searched in UTF-16: the character outside the code page is no "?".
      {u"(a?b\u0416", u"(", u"?", u"a"},
      {u"[\U00010428]x", u"[", u"]", u"\U00010428"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.str) + " " + Show(c.f) + " " + Show(c.l));
    EXPECT_EQ(GetBetweenW(c.str, c.f, c.l), c.expected);
  }
}

TEST(StringsPad, CheckStringSuffix) {
  struct Case {
    std::string str, suffix, expected;
  };
  const Case cases[] = {
      {"a,b", ",", "a,b,"}, {"a,b,", ",", "a,b,"}, {"", ",", ""},        {"ab", "", "ab"},
      {"x", "xyz", "xxyz"}, {"xyz", "xyz", "xyz"},  {" ", ",", " ,"},    {"a, ", ",", "a, ,"},
      {"aB", "b", "aBb"},   {"yz", "xyz", "yzxyz"}, {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.str) + " " + Show(c.suffix));
    EXPECT_EQ(CheckStringSuffix(c.str, c.suffix), c.expected);
    EXPECT_EQ(CheckStringSuffixW(Wide(c.str), Wide(c.suffix)), Wide(c.expected));
  }
}

TEST(StringsPad, DeleteFlagWhenBeginOrEnd) {
  struct Case {
    std::string content, flag;
    TSEARCH_TYPE posId;
    std::string expected;
  };
  const Case cases[] = {
      {",a,b,", ",", EACH_POS, "a,b"},
      {",,a", ",", FIRST_POS, ",a"},  // one flag at most
      {"a,,", ",", LAST_POS, "a,"},
      {",a,", ",", FIRST_POS, "a,"},
      {",a,", ",", LAST_POS, ",a"},
      {"a", ",", EACH_POS, "a"},
      {"", ",", EACH_POS, ""},
      {",", ",", EACH_POS, ""},
      {"abc", "", EACH_POS, "abc"},
      {"xyab", "xy", FIRST_POS, "ab"},
      {"abxy", "xy", LAST_POS, "ab"},
      {"a\r\n", "\r\n", LAST_POS, "a"},
      {"\r\na", "\r\n", FIRST_POS, "\r\na"},  // a flag of blanks only trims to nothing
      {"a,  ", ",", LAST_POS, "a,  "},        // the end is compared untrimmed
      // The start is compared trimmed and cut where the flag stands: the
      // blanks in front stay and the character behind the flag is kept.
      {"  ,a", ",", FIRST_POS, "  a"},
      {" ,a, ", ",", EACH_POS, " a, "},
      {",a", " , ", FIRST_POS, "a"},
      {"\t-12", "-", FIRST_POS, "\t12"},
      // A flag with blanks that stands literally at the start goes whole.
      {", a", ", ", FIRST_POS, "a"},
      {"a b", "a ", FIRST_POS, "b"},
      {"a ", "a ", EACH_POS, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.flag) + " " + std::to_string(c.posId));
    EXPECT_EQ(DeleteFlagWhenBeginOrEndA(c.content, c.flag, c.posId), c.expected);
    EXPECT_EQ(DeleteFlagWhenBeginOrEnd(Wide(c.content), Wide(c.flag), c.posId), Wide(c.expected));
  }
}

TEST(StringsPad, ClearLeadingZeros) {
  struct Case {
    std::string str, expected;
  };
  const Case cases[] = {
      {"0012", "12"}, {"000", "000"}, {"0a0", "a0"}, {"", ""}, {"12", "12"}, {" 012", " 012"}, {"0 1", " 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.str));
    EXPECT_EQ(ClearLeadingZeros(c.str), c.expected);
    EXPECT_EQ(ClearLeadingZerosW(Wide(c.str)), Wide(c.expected));
  }
}

TEST(StringsPad, BeginOrEndWithOneOfElements) {
  TStringList items;
  EXPECT_FALSE(BeginWithOneOfElements(u"abc", items, true, true));  // empty list
  EXPECT_FALSE(EndsWithOneOfElements(u"abc", items, true, true));
  items.Add(u"");
  items.Add(u"  ");
  EXPECT_FALSE(BeginWithOneOfElements(u"abc", items, false, false));  // empty items never match
  EXPECT_FALSE(EndsWithOneOfElements(u"abc", items, false, true));

  struct Case {
    ustring content;
    ustring item;
    bool ignoreCase, trimBefore, begins, ends;
  };
  const Case cases[] = {
      {u" Abc", u"ab", true, true, true, false},
      {u" Abc", u"ab", false, true, false, false},
      {u" abc", u"ab", false, false, false, false},
      {u"abc", u"ab", false, false, true, false},
      {u"abc ", u"c", false, true, false, true},
      {u"abc ", u"c", false, false, false, false},
      {u"abC", u" c ", true, true, false, true},
      {u"abC", u" c ", true, false, false, false},
      {u"äbÖ", u"Ö", false, false, false, true},
      {u"äbö", u"ÄB", true, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.item));
    TStringList list;
    list.Add(u"zz");
    list.Add(c.item);
    EXPECT_EQ(BeginWithOneOfElements(c.content, list, c.ignoreCase, c.trimBefore), c.begins);
    EXPECT_EQ(EndsWithOneOfElements(c.content, list, c.ignoreCase, c.trimBefore), c.ends);
  }
}

TEST(StringsPad, Add) {
  struct Case {
    ustring content, add;
    int32_t pos;
    ustring expected;
  };
  const Case cases[] = {
      {u"abcd", u"X", 2, u"abXcd"},    {u"abcd", u"X", 0, u"Xabcd"},  {u"abcd", u"X", 9, u"abcdX"},
      {u"abcd", u"X", -3, u"Xabcd"},   {u"abcd", u"X", 4, u"abcdX"},  {u"", u"X", 3, u"X"},
      {u"abcd", u"", 2, u"abcd"},      {u"ab", u"XY", 1, u"aXYb"},    {u"ab", u"X", INT32_MAX, u"abX"},
      {u"ab", u"X", INT32_MIN, u"Xab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " at " + std::to_string(c.pos));
    EXPECT_EQ(TvxStrings::Add(c.content, c.add, c.pos), c.expected);
  }
}

TEST(StringsPad, FillEachPosition) {
  struct Case {
    ustring content, element;
    int32_t letterCount, times;
    bool fromBehind;
    ustring expected;
  };
  const Case cases[] = {
      {u"abcdefg", u"-", 2, 2, false, u"ab-cd-efg"},
      {u"abcd", u"-", 1, 2, false, u"a-b-cd"},
      {u"abcd", u"-", 2, 9, false, u"ab-cd-"},  // a complete last group gets one too
      {u"123456", u".", 3, 9, true, u".123.456"},
      {u"1234567", u".", 3, 9, true, u"1.234.567"},
      {u"1234567", u".", 3, 1, true, u"1234.567"},
      {u"1234567", u"<>", 3, 1, true, u"1234<>567"},  // the element keeps its order
      {u"abc", u"-", 0, 5, false, u"abc"},
      {u"abc", u"-", -1, 5, true, u"abc"},
      {u"abc", u"-", 1, 0, false, u"abc"},
      {u"abc", u"-", 1, -2, false, u"abc"},
      {u"", u"-", 1, 5, false, u""},
      {u"abc", u"", 1, 5, false, u"abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " every " + std::to_string(c.letterCount) + (c.fromBehind ? " from behind" : ""));
    EXPECT_EQ(FillEachPosition(c.content, c.element, c.letterCount, c.times, c.fromBehind), c.expected);
  }
}

TEST(StringsPad, RemoveMoreThenOn) {
  struct Case {
    ustring content, element, expected;
  };
  const Case cases[] = {
      {u"a,,,b,,c", u",", u"a,b,c"},
      {u",,,,,,,,,", u",", u","},
      {u"abc", u"", u"abc"},
      {u"", u",", u""},
      {u"xyxyxyz", u"xy", u"xyz"},
      {u"a  b\t\tc", u" ", u"a b\t\tc"},
      {u"aaaaa", u"aa", u"aaa"},  // 'aaaa' becomes 'aa', then no 'aaaa' is left
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.element));
    EXPECT_EQ(RemoveMoreThenOn(c.content, c.element), c.expected);
  }
}

TEST(StringsPad, RemoveMoreThenOnFromStartPos) {
  struct Case {
    ustring content, element;
    int32_t startPos;
    ustring expected;
  };
  const Case cases[] = {
      {u"aa  bb  dd", u" ", 5, u"aa  bb dd"},
      {u"aa  bb  dd", u" ", 1, u"aa bb dd"},
      {u"aa  bb  dd", u" ", 0, u"aa bb dd"},
      {u"aa  bb  dd", u" ", -7, u"aa bb dd"},
      {u"aa  bb  dd", u" ", 99, u"aa  bb  dd"},
      {u"//srv//a//b", u"/", 2, u"//srv/a/b"},
      // Leading blanks: both halves come from the same text, nothing is
      // doubled or lost at the seam.
      {u"  a  b  c", u" ", 4, u"  a b c"},
      {u"   ab", u",", 3, u"   ab"},
      {u"", u" ", 3, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " from " + std::to_string(c.startPos));
    EXPECT_EQ(RemoveMoreThenOn(c.content, c.element, c.startPos), c.expected);
  }
}
