// Tests of core/vxStringsReplace.h: TvxStrings: counting every occurrence of a
// text.
#include "core/vxStringsReplace.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/base/vxCodePage.h"

using namespace TvxStrings;

namespace {

std::string Show(const ustring& text) {
  std::string shown(1, '\'');
  shown += WideToUtf8(text);
  shown += '\'';
  return shown;
}

}  // namespace

TEST(StringsReplace, Counts) {
  struct Case {
    ustring text, find;
    int32_t expected;
  };
  const Case cases[] = {
      {u"aaaa", u"aa", 3},  // overlapping occurrences count
      {u"a,b,c", u",", 2},
      {u"abc", u"", 0},
      {u"", u"a", 0},
      {u"abcabc", u"bc", 2},
      {u"a", u"aa", 0},
      {u"ääää", u"ää", 3},
      {u"abAB", u"ab", 1},  // case counts
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.text) + " " + Show(c.find));
    EXPECT_EQ(GetStrCountW(c.text, c.find), c.expected);
    EXPECT_EQ(GetStrCountExW(c.text, c.find, false), c.expected);
    EXPECT_EQ(GetStrCount(WideToAnsi(c.text), WideToAnsi(c.find)), c.expected);
  }
}

TEST(StringsReplace, CountIgnoringCaseLeavesTheTextAlone) {
  const ustring text = u"AbAB";
  EXPECT_EQ(GetStrCountExW(text, u"ab", true), 2);
  EXPECT_EQ(text, u"AbAB");
  EXPECT_EQ(GetStrCountExW(text, u"ab", false), 0);
  EXPECT_EQ(GetStrCountExW(u"ÄÄä", u"ää", true), 2);
}

TEST(StringsReplace, ReplaceW) {
  struct Case {
    ustring content, search, replace, expected;
  };
  const Case cases[] = {
      {u"a-b-c", u"-", u"+", u"a+b+c"},
      {u"aaa", u"aa", u"b", u"ba"},            // occurrences do not overlap
      {u"abc", u"", u"x", u"abc"},
      {u"", u"a", u"x", u""},
      {u"xabcx", u"abc", u"ABC", u"xabcx"},    // equal ignoring case: nothing replaced
      {u"abc", u"b", u"b", u"abc"},
      {u"äÄ", u"ä", u"Ä", u"äÄ"},
      {u"abc", u"b", u"", u"ac"},
      {u"aXbxc", u"x", u"y", u"aXbyc"},        // case counts
      {u"aaa", u"a", u"aa", u"aaaaaa"},        // inserted text is not searched again
      {u"abab", u"ab", u"ba", u"baba"},
      {u"one\ntwo\n", u"\n", u"\r\n", u"one\r\ntwo\r\n"},
      {u"straße", u"ß", u"SS", u"straSSe"},    // ß has no one-unit upper case
      {u"abc", u"abcd", u"x", u"abc"},
      {u"abc", u"abc", u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.search) + " " + Show(c.replace));
    EXPECT_EQ(ReplaceW(c.content, c.search, c.replace), c.expected);
    EXPECT_EQ(ReplaceW(c.content, c.search, c.replace, false), c.expected);
  }
}

TEST(StringsReplace, ReplaceWIgnoringCase) {
  struct Case {
    ustring content, search, replace, expected;
  };
  const Case cases[] = {
      {u"aXbxc", u"x", u"y", u"aybyc"},
      {u"xabcx", u"abc", u"ABC", u"xABCx"},  // no equality shortcut here
      {u"aa", u"a", u"aa", u"aaaa"},         // searching goes on behind the inserted text
      {u"AAA", u"aa", u"b", u"bA"},
      {u"ÄäA", u"ä", u"x", u"xxA"},
      {u"abc", u"", u"x", u"abc"},
      {u"", u"a", u"x", u""},
      {u"abc", u"B", u"", u"ac"},
      {u"Ab", u"ab", u"ab", u"ab"},          // the found text is replaced as written
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " " + Show(c.search) + " " + Show(c.replace));
    EXPECT_EQ(ReplaceW(c.content, c.search, c.replace, true), c.expected);
  }
}

// Long texts, where the search skips ahead: units that share a byte with
// the searched one ('†' is 20 20, '€' 20 AC, ' ' 00 20), matches far apart,
// at both ends, and close together; each result is checked against a plain
// find-and-append loop.
TEST(StringsReplace, ReplaceWOnLongTexts) {
  const auto plain = [](const ustring& text, const ustring& from, const ustring& to) {
    ustring out;
    size_t start = 0;
    for (size_t p = text.find(from); p != ustring::npos; p = text.find(from, start)) {
      out.append(text, start, p - start);
      out.append(to);
      start = p + from.size();
    }
    return out.append(text, start);
  };
  const auto repeat = [](const ustring& piece, size_t times) {
    ustring text;
    for (size_t i = 0; i < times; ++i) text += piece;
    return text;
  };
  struct Case {
    ustring content, search, replace;
  };
  const Case cases[] = {
      {repeat(u"†", 500) + u" " + repeat(u"†", 500) + u" ", u" ", u"_"},
      {repeat(u"†", 500) + u" " + repeat(u"†", 500) + u" ", u" ", u"<>"},
      {repeat(u"€", 300) + u" x " + repeat(u"€ ", 40), u" x", u""},
      {u" " + repeat(u"abcdefghijklmnopqrstuvwxyz", 100) + u" ", u" ", u"\r\n"},
      {repeat(u"ab", 1000) + u"a", u"ab", u"b"},
      {repeat(u"x", 999) + u"ÄÖÜ", u"ÄÖÜ", u"AOU"},
      {repeat(u"ÄÖ", 999), u"ÖÄ", u"-"},
      {repeat(u"\u0120\u2001", 700) + u"\u2001\u0120", u"\u2001\u0120", u"!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.search) + " " + Show(c.replace) + " in " + std::to_string(c.content.size()) + " units");
    EXPECT_EQ(ReplaceW(c.content, c.search, c.replace), plain(c.content, c.search, c.replace));
    EXPECT_EQ(ReplaceW(c.content, c.search, c.replace, true), plain(c.content, c.search, c.replace));
  }
  // Ignoring case, one unit for another over a long text.
  EXPECT_EQ(ReplaceW(repeat(u"xXyY", 300), u"x", u"z", true), repeat(u"zzyY", 300));
}

TEST(StringsReplace, ReplaceA) {
  struct Case {
    std::string content, search, replace;
    bool ignoreCase;
    std::string expected;
  };
  const Case cases[] = {
      {"a   b", "  ", " ", false, "a b"},                    // passes repeated
      {"\xC4\xE4" "Aa", "a", "x", true, "\xC4\xE4xx"},       // 'ÄäAa': only ASCII letters fold
      {"xabcx", "abc", "ABC", false, "xABCx"},               // a pair differing in case is replaced
      {"aXbxc", "x", "y", true, "aybyc"},
      {"aXbxc", "x", "y", false, "aXbyc"},
      {"aa", "a", "aa", true, "aaaa"},
      {"", "a", "x", true, ""},
      {"abc", "", "x", true, "abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content + " " + c.search + " " + c.replace);
    EXPECT_EQ(ReplaceA(c.content, c.search, c.replace, c.ignoreCase), c.expected);
  }
}

TEST(StringsReplace, FastReplaceA) {
  struct Case {
    std::string source, from, to, expected;
  };
  const Case cases[] = {
      {"a    b", "  ", " ", "a b"},         // runs collapse completely
      {"xax", "a", "A", "xAx"},
      {"aa", "a", "aa", "aaaa"},            // ToStr holds FromStr: one pass
      {"abc", "b", "b", "abc"},
      {"abc", "", "x", "abc"},
      {"", "a", "x", ""},
      {"aab", "ab", "b", "b"},              // a pass may keep the count while the text shrinks
      {"x=\r\ny", "=\r\n", "", "xy"},
      {"ab", "ab", "bbaa", "bbaa"},         // a growing pair that ends by itself
      // Pairs of equal length always come to an end, even where a pass
      // keeps the number of occurrences.
      {"aab", "ab", "ba", "baa"},
      {"aaabab", "ab", "ba", "bbaaaa"},
      {"abbb", "ab", "aa", "aaaa"},
      // A growing pair that would make new occurrences for ever: every
      // occurrence of the source is replaced once, then the passes stop.
      {"aabb", "ab", "bbaa", "abbaab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source + " " + c.from + " " + c.to);
    EXPECT_EQ(FastReplaceA(c.source, c.from, c.to), c.expected);
  }
}

TEST(StringsReplace, FastReplaceACollapsesLongRuns) {
  const std::string run = "a" + std::string(100000, ' ') + "b" + std::string(3, ' ');
  EXPECT_EQ(FastReplaceA(run, "  ", " "), "a b ");
}

TEST(StringsReplace, RemoveMoreThenOneBlanks) {
  struct Case {
    ustring content, expected;
  };
  const Case cases[] = {
      {u"a     b  c", u"a b c"},
      {u"a\t\tb", u"a\t\tb"},  // only character 32
      {u"a \t b", u"a \t b"},
      {u"", u""},
      {u"   ", u" "},
      {u" a ", u" a "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content));
    EXPECT_EQ(RemoveMoreThenOneBlanks(c.content), c.expected);
  }
}

namespace {

template <class List>
std::vector<typename List::string_type> Items(const List& list) {
  std::vector<typename List::string_type> items;
  for (int32_t i = 0; i < list.Count(); ++i) items.push_back(list[i]);
  return items;
}

}  // namespace

TEST(StringsReplace, SplitStringW) {
  struct Case {
    ustring source, splitAt;
    std::vector<ustring> pieces;
  };
  const Case cases[] = {
      {u"a;b;c", u";", {u"a", u"b", u"c"}},
      {u"a;;b", u";", {u"a", u"", u"b"}},  // empty pieces stay
      {u"a;", u";", {u"a", u""}},
      {u";", u";", {u"", u""}},
      {u"abc", u";", {u"abc"}},
      {u"", u";", {}},
      {u"abc", u"", {}},
      {u"x--y", u"--", {u"x", u"y"}},
      {u"a---b", u"--", {u"a", u"-b"}},
      // A partial separator at the end belongs to the last piece.
      {u"x-", u"--", {u"x-"}},
      {u"1.2.3.4", u".", {u"1", u"2", u"3", u"4"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.source) + " " + Show(c.splitAt));
    TStringList list;
    EXPECT_TRUE(SplitStringW(c.source, c.splitAt, list));
    EXPECT_EQ(Items(list), c.pieces);

    // The same pieces from 8-bit text, into both kinds of list.
    TStringList wide;
    EXPECT_TRUE(SplitString(WideToAnsi(c.source), WideToAnsi(c.splitAt), wide));
    EXPECT_EQ(Items(wide), c.pieces);
    TAnsiStringList ansi;
    EXPECT_TRUE(SplitString(WideToAnsi(c.source), WideToAnsi(c.splitAt), ansi));
    std::vector<std::string> ansiPieces;
    for (const ustring& piece : c.pieces) ansiPieces.push_back(WideToAnsi(piece));
    EXPECT_EQ(Items(ansi), ansiPieces);
  }
}

TEST(StringsReplace, SplitStringAppendsAndConverts) {
  TStringList list;
  list.Add(u"kept");
  EXPECT_TRUE(SplitString("\xC4;\x80", ";", list));  // 'Ä' and the euro sign
  EXPECT_EQ(Items(list), (std::vector<ustring>{u"kept", u"Ä", u"€"}));

  TAnsiStringList ansi;
  ansi.Add("kept");
  EXPECT_TRUE(SplitString("x--y", "--", ansi));
  EXPECT_EQ(Items(ansi), (std::vector<std::string>{"kept", "x", "y"}));
}

TEST(StringsReplace, SplitStringStopsWhereTheListRefuses) {
  TAnsiStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupError);
  EXPECT_FALSE(SplitString("b;a;B;c", ";", list));
  EXPECT_EQ(Items(list), (std::vector<std::string>{"a", "b"}));  // what came before stays

  TStringList wide;
  wide.SetSorted(true);
  wide.SetDuplicates(dupError);
  EXPECT_FALSE(SplitStringW(u"x;x", u";", wide));
  EXPECT_EQ(Items(wide), (std::vector<ustring>{u"x"}));
}
