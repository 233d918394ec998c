// Tests of core/vxStringsSearch.h: TvxStrings: the elementary tests and
// searches nearly every other text routine stands on.
#include "core/vxStringsSearch.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/base/vxCodePage.h"

using namespace TvxStrings;

namespace {

// Readable failure messages for UTF-16 texts.
std::string Show(const ustring& text) {
  std::string shown(1, '\'');
  shown += WideToUtf8(text);
  shown += '\'';
  return shown;
}

}  // namespace

TEST(StringsSearch, PosW) {
  struct Case {
    ustring content, search;
    int32_t from;
    bool ignoreCase;
    int32_t expected;
  };
  const Case cases[] = {
      {u"", u"a", 1, false, 0},
      {u"abc", u"", 1, false, 0},
      {u"abcabc", u"c", 0, false, 3},       // FromPos 0 counts as 1
      {u"abcabc", u"c", -5, false, 3},
      {u"abcabc", u"C", 4, true, 6},
      {u"abcabc", u"C", 4, false, 0},
      {u"abcabc", u"bc", 5, false, 5},
      {u"abcabc", u"bc", 6, false, 0},      // does not fit any more
      {u"abc", u"c", 99, false, 0},
      {u"abc", u"abcd", 1, false, 0},
      {u"xäÖ", u"Äö", 1, true, 2},          // every script folds
      {u"a\U00010428b", u"\U00010428", 1, false, 2},  // positions count UTF-16 units
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.search) + " from " + std::to_string(c.from));
    EXPECT_EQ(PosW(c.content, c.search, c.from, c.ignoreCase), c.expected);
  }
}

TEST(StringsSearch, PosAFoldsOnlyAsciiLetters) {
  struct Case {
    std::string content, search;
    int32_t from;
    bool ignoreCase;
    int32_t expected;
  };
  const Case cases[] = {
      {"\xC4" "BC", "\xE4" "bc", 1, true, 0},  // 'ÄBC' and 'äbc': only a-z fold
      {"\xC4" "BC", "\xC4" "bc", 1, true, 1},
      {"xABC", "abc", 1, true, 2},
      {"xABC", "abc", 1, false, 0},
      {"aXa", "a", 0, false, 1},
      {"aXa", "a", 2, false, 3},
      {"", "a", 1, false, 0},
      {"abc", "", 1, true, 0},
      {"[]{}", "{", 1, true, 3},               // neighbours of the letters stay
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content + " " + c.search);
    EXPECT_EQ(PosA(c.content, c.search, c.from, c.ignoreCase), c.expected);
  }
}

TEST(StringsSearch, GetLastPosW) {
  struct Case {
    ustring content, search;
    bool ignoreCase;
    int32_t expected;
  };
  const Case cases[] = {
      {u"a;b;c", u";", false, 4},
      {u"aaa", u"aa", false, 2},  // overlapping occurrences count
      {u"abc", u"", false, 0},
      {u"", u"a", false, 0},
      {u"abc", u"abcd", false, 0},
      {u"xAbab", u"AB", true, 4},
      {u"xAbab", u"AB", false, 0},
      {u"abc", u"abc", false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.search));
    EXPECT_EQ(GetLastPosW(c.content, c.search, c.ignoreCase), c.expected);
  }
}

TEST(StringsSearch, BeginWith) {
  struct Case {
    ustring content, begin;
    bool ignoreCase, trimBefore, expected;
  };
  const Case cases[] = {
      {u"  abc", u"ab", false, true, true},  // both trimmed
      {u"  abc", u"ab", false, false, false},
      {u"abc", u" ab", false, true, true},
      {u"abc", u"", false, false, false},
      {u"abc", u"  ", false, true, false},  // empty once trimmed
      {u"abc", u"AB", true, false, true},
      {u"abc", u"AB", false, false, false},
      {u"ab", u"abc", false, false, false},
      {u"xab", u"ab", false, false, false},
      {u"äbc", u"ÄB", true, false, true},
      {u"abc", u"abc", false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.begin));
    EXPECT_EQ(BeginWith(c.content, c.begin, c.ignoreCase, c.trimBefore), c.expected);
  }
}

TEST(StringsSearch, EndsWith) {
  struct Case {
    ustring content, end;
    bool ignoreCase, expected;
  };
  const Case cases[] = {
      {u"abc", u"abc", false, true},
      {u"bc", u"abc", false, false},
      {u"abc", u"", false, false},
      {u"", u"", false, false},
      {u"abc", u"BC", true, true},
      {u"abc", u"BC", false, false},
      {u"abc ", u"bc", false, false},  // no trimming
      {u"xÄ", u"ä", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.end));
    EXPECT_EQ(EndsWith(c.content, c.end, c.ignoreCase), c.expected);
  }
}

TEST(StringsSearch, EndsWithAnyItem) {
  TStringList ends;
  EXPECT_FALSE(EndsWith(u"abc", ends, false));  // empty list
  ends.Add(u"");
  ends.Add(u"xyz");
  EXPECT_FALSE(EndsWith(u"abc", ends, false));
  ends.Add(u"BC");
  EXPECT_FALSE(EndsWith(u"abc", ends, false));
  EXPECT_TRUE(EndsWith(u"abc", ends, true));
  ends.Add(u"abcd");
  EXPECT_TRUE(EndsWith(u"xabc", ends, true));
  EXPECT_FALSE(EndsWith(u"c", ends, true));
}

// The 8-bit tests fold through the UTF-16 form, so the code page's letters
// fold as well, unlike PosA.
TEST(StringsSearch, AnsiBeginEndEquals) {
  EXPECT_TRUE(BeginWithA("ABC", "ab", true, false));
  EXPECT_FALSE(BeginWithA("ABC", "ab", false, false));
  EXPECT_TRUE(BeginWithA("\xE4x", "\xC4", true, false));  // 'äx' begins with 'Ä'
  EXPECT_TRUE(BeginWithA("  abc", "abc ", false, true));
  EXPECT_FALSE(BeginWithA("abc", "", false, false));

  EXPECT_TRUE(EndsWithA("abc", "abc", false));
  EXPECT_FALSE(EndsWithA("bc", "abc", false));
  EXPECT_FALSE(EndsWithA("abc", "", false));
  EXPECT_TRUE(EndsWithA("x\xE4", "\xC4", true));
  EXPECT_FALSE(EndsWithA("x\xE4", "\xC4", false));

  EXPECT_TRUE(EqualsAnsi("\xC4" "BC", "\xE4" "bc", false, true));  // 'ÄBC' and 'äbc'
  EXPECT_FALSE(EqualsAnsi("\xC4" "BC", "\xE4" "bc", false, false));
  EXPECT_TRUE(EqualsAnsi(" a\t", "a", true, false));
  EXPECT_FALSE(EqualsAnsi(" a", "a", false, false));
  EXPECT_TRUE(EqualsAnsi("", "", false, false));
  // The micro sign has no upper case in the code page: it stays itself and
  // does not turn into the '?' of a missing character.
  EXPECT_FALSE(EqualsAnsi("\xB5", "?", false, true));
  EXPECT_TRUE(EqualsAnsi("\xB5x", "\xB5X", false, true));
  EXPECT_FALSE(BeginWithA("\xB5x", "?", true, false));
  EXPECT_FALSE(EndsWithA("x\xB5", "?", true));
  EXPECT_TRUE(EqualsAnsi("\xFF", "\x9F", false, true));  // 'ÿ' and 'Ÿ'
}

TEST(StringsSearch, ContainsAndContainsBetween) {
  EXPECT_FALSE(Contains(u"abc", u"", false));
  EXPECT_FALSE(Contains(u"", u"a", false));
  EXPECT_TRUE(Contains(u"abc", u"B", true));
  EXPECT_FALSE(Contains(u"abc", u"B", false));
  EXPECT_TRUE(Contains(u"abc", u"abc", false));

  struct Case {
    ustring content, search;
    int32_t from, to;
    bool expected;
  };
  const Case cases[] = {
      {u"abcdef", u"cd", 3, 5, true},
      {u"abcdef", u"cd", 3, 4, false},  // ToPos is exclusive
      {u"abcdef", u"cd", 0, 4, true},   // copy rule: from the start, 4 characters
      {u"abcdef", u"ab", 2, 7, false},
      {u"abcdef", u"ef", 5, 99, true},
      {u"abcdef", u"a", 4, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.search) + " " + std::to_string(c.from) + ".." + std::to_string(c.to));
    EXPECT_EQ(ContainsBetween(c.content, c.search, c.from, c.to, false), c.expected);
  }
}

TEST(StringsSearch, EqualsW) {
  struct Case {
    ustring a, b;
    bool trimBefore, ignoreCase, expected;
  };
  const Case cases[] = {
      {u" a ", u"A", true, true, true},
      {u"", u"", false, false, true},
      {u" a", u"a", false, false, false},
      {u"a", u"A", false, false, false},
      {u"\ta\r\n", u"a", true, false, true},
      {u"straße", u"STRASSE", false, true, false},  // no expansion of ß
      {u"Ωμ", u"ωΜ", false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.a) + " " + Show(c.b));
    EXPECT_EQ(EqualsW(c.a, c.b, c.trimBefore, c.ignoreCase), c.expected);
  }
}

TEST(StringsSearch, StrCompW) {
  struct Case {
    ustring a, b;
    bool trim, upper, desc;
    int sign;
  };
  const Case cases[] = {
      {u"a", u"b", false, false, false, -1},
      {u"a", u"b", false, false, true, 1},
      {u"ab", u"a", false, false, false, 1},
      {u"a", u"ab", false, false, false, -1},
      {u"a", u"a", false, false, false, 0},
      {u"", u"", false, false, true, 0},
      {u"a", u"B", false, false, false, 1},  // ordinal: 'a' is above 'B'
      {u"a", u"B", false, true, false, -1},
      {u" a", u"a ", true, false, false, 0},
      {u"\uFF01", u"a", false, false, false, 1},  // units compare unsigned
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.a) + " " + Show(c.b));
    const int32_t r = StrCompW(c.a, c.b, c.trim, c.upper, c.desc);
    EXPECT_EQ((r > 0) - (r < 0), c.sign);
  }
  EXPECT_EQ(StrCompW(u"ab", u"a", false, false, false), 1);  // the length difference
}

TEST(StringsSearch, GetCharsBeforeString) {
  struct Case {
    ustring content, search;
    int32_t from, count;
    bool ignoreCase;
    ustring expected;
  };
  const Case cases[] = {
      {u"abXYZ", u"X", 1, 2, false, u"ab"},
      {u"abXYZ", u"X", 1, 5, false, u"abXYZ"},  // starts at the first character, still takes five
      {u"abXYZ", u"Q", 1, 2, false, u""},
      {u"abXaX", u"X", 4, 1, false, u"a"},
      {u"abxYZ", u"X", 1, 2, true, u"ab"},
      {u"abxYZ", u"X", 1, 2, false, u""},
      {u"abXYZ", u"X", 1, 0, false, u""},
      {u"abXYZ", u"X", 1, INT_MAX, false, u"abXYZ"},
      {u"abXYZ", u"X", 1, INT_MIN, false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " count " + std::to_string(c.count));
    EXPECT_EQ(GetCharsBeforeString(c.content, c.search, c.from, c.count, c.ignoreCase), c.expected);
  }
}

TEST(StringsSearch, GetBetweenW) {
  struct Case {
    ustring content, start, stop;
    int32_t s, e;
    ustring text;
    int32_t beginPos, endPos;
  };
  const Case cases[] = {
      {u"key=[ value ];", u"[", u"]", 1, 1, u"value", 5, 13},
      {u"key=[ value ];", u"[", u"", 1, 1, u"value ];", 5, 0},  // empty stop: the rest
      {u"[a][b]", u"[", u"]", 2, 2, u"b", 4, 6},
      {u"a[b]c]", u"[", u"]", 1, 5, u"b]c", 2, 6},           // stop searched from E
      {u"a]b", u"[", u"]", 1, 1, u"", 0, 2},                  // no start
      {u"a[b", u"[", u"]", 1, 1, u"", 2, 0},                  // no stop
      {u"]a[b", u"[", u"]", 1, 1, u"", 3, 0},                 // stop only in front
      {u"ab[", u"[", u"]", 1, 1, u"", 3, 0},                  // nothing behind the start
      {u"x[a]", u"[", u"]", 3, 2, u"", 0, 0},                 // S above E
      {u"ab", u"[", u"]", 5, 5, u"", 0, 0},                   // beyond the end
      {u"ab", u"a", u"b", 1, 3, u"", 0, 0},                   // E beyond the end
      {u"  abc ", u"", u"", 1, 1, u"abc", 0, 0},              // no markers: all, trimmed
      {u"<<a>>", u"<<", u">>", 1, 1, u"a", 1, 4},
      {u"[]", u"[", u"]", 1, 1, u"", 1, 2},
      {u"\"a\"", u"\"", u"\"", 1, 1, u"a", 1, 3},  // equal markers: the stop is behind the start
      {u"(a)", u"(", u")", 1, 2, u"a", 1, 3},
      // Positions below 1 find no start marker; the stop marker is then
      // looked for behind where the start marker would end.
      {u"a]b", u"[", u"]", -1, -1, u"", 0, 2},
      {u"a]b", u"[[[[", u"]", -1, -1, u"", 0, 0},
      // An absent start marker with an empty stop marker copies from
      // position Length(StartLetter); callers use an empty stop marker only
      // with a start marker that is present.
      {u"abc", u"xy", u"", 1, 1, u"bc", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.start) + " " + Show(c.stop));
    const TBetweenSearchResult r = GetBetweenW(c.content, c.start, c.stop, c.s, c.e);
    EXPECT_EQ(r.ResultString, c.text);
    EXPECT_EQ(r.BeginPos, c.beginPos);
    EXPECT_EQ(r.EndPos, c.endPos);
  }
}

TEST(StringsSearch, GetLastWords) {
  struct Case {
    ustring content;
    int32_t count;
    ustring expected;
  };
  const Case cases[] = {
      {u"one two  three", 2, u"two three"},
      {u"one two", 5, u"one two"},  // no trailing blank
      {u"", 3, u""},
      {u"a b c", 0, u"a b c"},      // 0 or below: every word
      {u"a b c", -1, u"a b c"},
      {u"  x  ", 1, u"x"},
      {u"a\tb\r\nc", 2, u"b c"},    // every code up to 32 separates
      {u"say \"hello world\"", 1, u"hello world"},
      {u"a \"x \"\"y\"\" z\" b", 2, u"x \"y\" z b"},  // doubled quote stands for one
      {u"a \"\" b", 2, u"a b"},     // empty words are skipped
      {u"a \" \" b", 2, u"a b"},
      {u"a \"open b", 1, u"open b"},  // unterminated quote runs to the end
      {u"\"ab\"cd", 2, u"ab cd"},   // a word may start right after a closing quote
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + std::to_string(c.count));
    EXPECT_EQ(GetLastWords(c.content, c.count), c.expected);
  }
}

TEST(StringsSearch, GetLastElement) {
  struct Case {
    ustring content, separator;
    bool ignoreLast;
    ustring expected;
  };
  const Case cases[] = {
      {u"a/b/c", u"/", false, u"c"},
      {u"a/b/", u"/", true, u"b"},
      {u"a/b/", u"/", false, u""},
      {u"a/b/c", u"/", true, u"c"},  // a one-character last element is kept
      {u"a/b/cd", u"/", true, u"cd"},
      {u"a::b", u"::", false, u"b"},
      {u"x::", u"::", true, u"x"},
      {u"abc", u"/", false, u"abc"},
      {u"a", u"/", true, u"a"},      // no separator: nothing to step back from
      {u"a", u"//", true, u"a"},
      {u"/", u"/", true, u""},
      {u"a/b//", u"/", true, u""},   // steps back once only
      {u" a / b ", u"/", false, u"b"},
      {u"", u"/", true, u""},
      {u"a/b", u"", false, u"a/b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.separator) + (c.ignoreLast ? " ignore last" : ""));
    EXPECT_EQ(GetLastElement(c.content, c.separator, c.ignoreLast), c.expected);
  }
}

TEST(StringsSearch, SubString) {
  struct FromCase {
    ustring content;
    int32_t from;
    bool trimBefore, trimAfter;
    ustring expected;
  };
  const FromCase fromCases[] = {
      {u"  abc  ", 2, true, false, u"bc"},  // the length is taken after trimming
      {u"abcdef", 2, false, false, u"bcdef"},
      {u"abcdef", 0, false, false, u"abcdef"},
      {u"abcdef", INT_MIN, false, false, u"abcdef"},
      {u"abc", 4, false, false, u""},
      {u" ab ", 1, false, true, u"ab"},
  };
  for (const FromCase& c : fromCases) {
    SCOPED_TRACE(Show(c.content) + " from " + std::to_string(c.from));
    EXPECT_EQ(SubStringW(c.content, c.from, c.trimBefore, c.trimAfter), c.expected);
    EXPECT_EQ(AnsiToWide(SubStringA(WideToAnsi(c.content), c.from, c.trimBefore, c.trimAfter)), c.expected);
  }

  struct RangeCase {
    ustring content;
    int32_t fromPos, toPos;
    bool trimBefore, trimAfter;
    ustring expected;
  };
  const RangeCase rangeCases[] = {
      {u"abcdef", 2, 4, false, false, u"bc"},
      {u"abcdef", 0, 3, false, false, u"abc"},   // below 1: the first characters
      {u"abcdef", -2, 1, false, false, u"abc"},  // still ToPos - FromPos characters
      {u"abc", 5, 9, false, false, u""},
      {u"abcdef", 3, 3, false, false, u""},
      {u"abcdef", 4, 2, false, false, u""},
      {u"abcdef", 4, INT_MAX, false, false, u"def"},
      {u"abcdef", INT_MIN, INT_MAX, false, false, u"abcdef"},
      {u"  abc ", 1, 3, true, false, u"ab"},
      {u" a b ", 1, 4, false, true, u"a"},
  };
  for (const RangeCase& c : rangeCases) {
    SCOPED_TRACE(Show(c.content) + " " + std::to_string(c.fromPos) + ".." + std::to_string(c.toPos));
    EXPECT_EQ(SubStringW(c.content, c.fromPos, c.toPos, c.trimBefore, c.trimAfter), c.expected);
    EXPECT_EQ(AnsiToWide(SubStringA(WideToAnsi(c.content), c.fromPos, c.toPos, c.trimBefore, c.trimAfter)),
              c.expected);
  }
}

TEST(StringsSearch, EmptinessAndLength) {
  EXPECT_TRUE(IsEmptyW(u"  ", true));
  EXPECT_FALSE(IsEmptyW(u"  ", false));
  EXPECT_TRUE(IsEmptyW(u"", false));
  EXPECT_TRUE(IsEmptyW(u"\t\r\n", true));
  EXPECT_FALSE(IsNotEmptyW(u" ", true));
  EXPECT_TRUE(IsNotEmptyW(u" ", false));
  EXPECT_TRUE(IsEmptyA(" \x01", true));
  EXPECT_FALSE(IsEmptyA(" ", false));
  EXPECT_TRUE(IsNotEmptyA(" x ", true));
  EXPECT_FALSE(IsNotEmptyA("", false));

  EXPECT_FALSE(IsLengthBiggerAsW(u"abc", 3, false));
  EXPECT_TRUE(IsLengthBiggerAsW(u"abc", 2, false));
  EXPECT_FALSE(IsLengthBiggerAsW(u" abc ", 3, true));
  EXPECT_TRUE(IsLengthBiggerAsW(u" abc ", 3, false));
  EXPECT_TRUE(IsLengthBiggerAsW(u"", -1, false));
  EXPECT_TRUE(IsLenghtSmallerAsW(u" ab ", 3, true));
  EXPECT_FALSE(IsLenghtSmallerAsW(u" ab ", 3, false));
  EXPECT_FALSE(IsLenghtSmallerAsW(u"", 0, false));
}

TEST(StringsSearch, SearchTypeOrdinals) {
  EXPECT_EQ(static_cast<int32_t>(FIRST_POS), 0);
  EXPECT_EQ(static_cast<int32_t>(LAST_POS), 1);
  EXPECT_EQ(static_cast<int32_t>(EACH_POS), 2);
}
