// Tests of identifier, number and expression extraction, expression groups,
// spaced words, the two counts and the decimal-sign vote.
#include "core/vxStringsExtract.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "platform/text/vxRegExpr.h"
#include "support/vxRaisedMessage.h"

using namespace TvxStrings;

namespace {

using Lines = std::vector<ustring>;

void Fill(TStrings& L, const Lines& lines) {
  for (const auto& s : lines) L.Add(s);
}

Lines Items(const TStrings& L) {
  Lines r;
  for (int32_t i = 0; i < L.Count(); ++i) r.push_back(L[i]);
  return r;
}

}  // namespace

TEST(TvxStringsExtract, GetAllIDs) {
  struct Case {
    const char16_t *content, *begin, *end, *ignore;
    int32_t minLength, maxLength;
    Lines ids;
  };
  const Case cases[] = {
      // The beginning counts towards the length.
      {u"Nr RE12-345 x", u"RE", u"", u"-", 5, 10, {u"RE12345"}},
      {u"Nr RE12-345 x", u"RE", u"", u"-", 5, 6, {}},
      {u"RE1 RE1234", u"RE", u"", u"", 5, 10, {u"RE1234"}},
      {u"RE12345678 RE123456789", u"RE", u"", u"", 5, 10, {u"RE12345678"}},
      {u"ID:12;ID:345;", u"ID:", u";", u"", 1, 10, {u"ID:12;", u"ID:345;"}},
      {u"A1-2/3 A4", u"A", u"", u"-,/", 2, 10, {u"A123", u"A4"}},
      // Expression text: an alternation as the beginning.
      {u"RE1 GS22", u"RE|GS", u"", u"", 1, 10, {u"RE1", u"GS22"}},
      // The ignore characters are taken as themselves, also where they
      // would form a range ('.-/') or close the class (']').
      {u"X1-2 X3.4", u"X", u"", u".,-,/", 2, 10, {u"X12", u"X34"}},
      {u"X1]2", u"X", u"", u"]", 2, 10, {u"X12"}},
      {u"x12", u"RE", u"", u"", 1, 10, {}},
      {u"RE12", u"RE", u"", u"", 1, -1, {}},  // no identifier is shorter than 0
  };
  for (const auto& c : cases) {
    TStringList ids;
    EXPECT_EQ(Items(GetAllIDs(c.content, c.begin, c.end, c.ignore, c.minLength, c.maxLength, ids)), c.ids)
        << &c - cases;
  }
}

TEST(TvxStringsExtract, GetAllIDsLimits) {
  TStringList ids;
  ids.Add(u"kept");
  // The widest repeat the engine takes stands in for a huge maximum.
  GetAllIDs(u"RE42", u"RE", u"", u"", 1, std::numeric_limits<int32_t>::max(), ids);
  EXPECT_EQ(Items(ids), (Lines{u"kept", u"RE42"}));
  EXPECT_THROW(GetAllIDs(u"RE42", u"(", u"", u"", 1, 10, ids), ERegExprError);
  EXPECT_EQ(ids.Count(), 2);
}

TEST(TvxStringsExtract, GetAllNumbers) {
  struct Case {
    const char16_t* content;
    bool withPoint, withComma;
    Lines numbers;
  };
  const Case cases[] = {
      {u"je 12,5 und 7.", true, true, {u"12,5", u"7"}},
      {u"1, 2", true, true, {u"1", u"2"}},
      {u"je 12,5", true, false, {u"12", u"5"}},
      {u"3.14 und 2,5", false, false, {u"3", u"14", u"2", u"5"}},
      {u"3.14.", true, false, {u"3.14"}},
      {u"keine", true, true, {}},
  };
  for (const auto& c : cases) {
    TStringList numbers;
    EXPECT_EQ(Items(GetAllNumbers(c.content, c.withPoint, c.withComma, numbers)), c.numbers) << &c - cases;
  }
}

TEST(TvxStringsExtract, LongRunOfDigitsSplitsEvery201Characters) {
  const ustring digits(450, u'7');
  TStringList numbers;
  GetAllNumbers(digits, true, true, numbers);
  EXPECT_EQ(Items(numbers), (Lines{ustring(201, u'7'), ustring(201, u'7'), ustring(48, u'7')}));
}

TEST(TvxStringsExtract, RegExResults) {
  EXPECT_TRUE(CheckRegularExpressionOnStr(u"[0-9]*", u"abc1"));  // a later match counts
  EXPECT_FALSE(CheckRegularExpressionOnStr(u"[a-z]+", u"123"));
  EXPECT_FALSE(CheckRegularExpressionOnStr(u" +", u"a  b"));  // blank matches do not
  EXPECT_FALSE(CheckRegularExpressionOnStr(u"x", u""));
  EXPECT_THROW(CheckRegularExpressionOnStr(u"", u"abc"), ERegExprError);

  TStringList results;
  results.Add(u"kept");
  GetAllRegExResults(u"a1 b22\t c", u"[0-9]+|\\s+", results);
  EXPECT_EQ(Items(results), (Lines{u"kept", u"1", u"22"}));
  GetAllRegExResults(u" x ", u" x ", results);  // appended untrimmed
  EXPECT_EQ(results[3], u" x ");
  EXPECT_THROW(GetAllRegExResults(u"abc", u"(", results), ERegExprError);

  // 8-bit: the euro sign is byte 0x80 of the system code page.
  TAnsiStringList ansi;
  GetAllRegExResults(std::string("5\x80 und 7\x80"), std::string("[0-9]\x80"), ansi);
  ASSERT_EQ(ansi.Count(), 2);
  EXPECT_EQ(ansi[0], "5\x80");
  EXPECT_EQ(ansi[1], "7\x80");
}

TEST(TvxStringsExtract, GetFirstRegExResultAndIndexFromList) {
  TStringList phases;
  Fill(phases, {u"", u"[0-9]{5}", u"[A-Z]+"});
  struct Case {
    const char16_t* content;
    int32_t startIndex;
    const char16_t* result;
    int32_t foundIndex;
  };
  const Case cases[] = {
      {u"abc 12345", 0, u"12345", 1}, {u"abc 12345", -3, u"12345", 1}, {u"abc 12345", 2, u"", -1},
      {u"ABC 12345", 2, u"ABC", 2},   {u"abc", 0, u"", -1},             {u"", 0, u"", -1},
      {u"abc 12345", 9, u"", -1},
  };
  for (const auto& c : cases) {
    int32_t found = 99;
    EXPECT_EQ(GetFirstRegExResultAndIndexFromList(c.content, phases, c.startIndex, found), c.result) << &c - cases;
    EXPECT_EQ(found, c.foundIndex) << &c - cases;
  }
  int32_t found = 99;
  EXPECT_EQ(GetFirstRegExResultAndIndexFromList(u"abc 12345", phases, found), u"12345");
  EXPECT_EQ(found, 1);
}

TEST(TvxStringsExtract, GetFromRegularExpressionExGroups) {
  struct Case {
    const char16_t *fragment, *content;
    int32_t elementNo;
    Lines results;
  };
  const Case cases[] = {
      {u"(RE)(-)([0-9]+)", u"RE-123", 3, {u"123"}},
      {u"(RE)(-)([0-9]+)", u"RE-123", 1, {u"RE"}},
      {u"(RE)(-)([0-9]+)", u"RE-123", 2, {u"-"}},
      {u"(RE)(-)([0-9]+)", u"x RE-1 und RE-22", 3, {u"1", u"22"}},
      {u"(RE)(-)([0-9]+)", u"nichts", 3, {}},
      {u"(Nr\\. )([0-9]+)", u"Nr. 42", 2, {u"42"}},
  };
  for (const auto& c : cases) {
    TStringList results;
    EXPECT_EQ(Items(GetFromRegularExpressionEx(c.fragment, c.content, c.elementNo, 0, 0, results)), c.results)
        << &c - cases;
  }
}

TEST(TvxStringsExtract, GetFromRegularExpressionExCutsEarlierEntriesToo) {
  TStringList results;
  Fill(results, {u"RE-999", u"anders"});
  GetFromRegularExpressionEx(u"(RE)(-)([0-9]+)", u"RE-7", 3, 5, 1, results);
  EXPECT_EQ(Items(results), (Lines{u"999", u"anders", u"7"}));
}

TEST(TvxStringsExtract, GetFromRegularExpressionExElementOutsideTheGroups) {
  for (int32_t elementNo : {4, 0, -1}) {
    TStringList results;
    results.Add(u"RE-1");
    EXPECT_EQ(vxTest::RaisedMessage(
                  [&] { GetFromRegularExpressionEx(u"(RE)(-)([0-9]+)", u"RE-123", elementNo, 0, 0, results); }),
              "elementNo not found...")
        << elementNo;
    EXPECT_EQ(Items(results), (Lines{u"RE-1"})) << elementNo;
  }
  TStringList results;
  EXPECT_THROW(GetFromRegularExpressionEx(u"[0-9]+", u"123", 1, 0, 0, results), Exception);  // no groups
}

TEST(TvxStringsExtract, GetFromRegularExpressionExAnsi) {
  TStringList results;
  // "Größe" in the system code page; the group text comes back as UTF-16.
  GetFromRegularExpressionEx(std::string("(Gr\xF6\xDF""e )([0-9]+)"), std::string("Gr\xF6\xDF""e 42"), 1, 0, 0,
                             results);
  EXPECT_EQ(Items(results), (Lines{u"Größe "}));
}

TEST(TvxStringsExtract, FindSpacedWritingWordsWithoutSearchWords) {
  struct Case {
    const char16_t* content;
    Lines found;
  };
  const Case cases[] = {
      {u"Bitte R e c h n u n g senden", {u"Rechnung"}},
      {u"Bitte R e c h n u n g", {u"Rechnung"}},
      {u"a b", {}},
      {u"a b c", {u"abc"}},
      {u"A B C  x y z und D  E  F", {u"ABCxyz", u"DEF"}},
      {u"", {}},
  };
  for (const auto& c : cases) {
    TStringList found;
    EXPECT_EQ(Items(FindSpacedWritingWords(c.content, nullptr, found)), c.found) << &c - cases;
    TStringList emptyWords, foundWithEmptyList;
    EXPECT_EQ(Items(FindSpacedWritingWords(c.content, &emptyWords, foundWithEmptyList)), c.found) << &c - cases;
  }
}

TEST(TvxStringsExtract, FindSpacedWritingWordsThreshold) {
  struct Case {
    const char16_t* content;
    Lines words, found;
  };
  const Case cases[] = {
      {u"R e c h n u g", {u"Rechnung", u"Lieferschein"}, {u"Rechnung"}},
      {u"L i e f e r s c h e i n", {u"Rechnung", u"Lieferschein"}, {u"Lieferschein"}},
      // 'Rechnung' has the threshold 100 - 300 / 8 = 62.5: three changes
      // of eight characters reach it exactly, four do not.
      {u"R x c h x u x g", {u"Rechnung"}, {u"Rechnung"}},
      {u"R x c x x u x g", {u"Rechnung"}, {}},
      // Three characters or fewer: a threshold of 0 or below, met by every
      // run that no earlier word took.
      {u"x y z", {u"Lieferschein", u"abc"}, {u"abc"}},
      // An empty search word is no candidate.
      {u"R e c h n u n g", {u"", u"Rechnung"}, {u"Rechnung"}},
      {u"R e c h n u n g", {u""}, {}},
  };
  for (const auto& c : cases) {
    TStringList words, found;
    Fill(words, c.words);
    EXPECT_EQ(Items(FindSpacedWritingWords(c.content, &words, found)), c.found) << &c - cases;
  }
}

TEST(TvxStringsExtract, Counts) {
  EXPECT_EQ(GetLengthIgnoreLetters(u" a-b c ", u"-", true), 4);
  EXPECT_EQ(GetLengthIgnoreLetters(u"a-b c", u"a,b", false), 3);
  EXPECT_EQ(GetLengthIgnoreLetters(u"xaxbx", u"x", false), 2);
  EXPECT_EQ(GetLengthIgnoreLetters(u" a ", u"", false), 3);
  EXPECT_EQ(GetLengthIgnoreLetters(u"aAa", u"a", false), 1);  // case counts
  EXPECT_EQ(GetLengthIgnoreLetters(u"", u"a", true), 0);

  TStringList elements;
  Fill(elements, {u"order", u"invoice", u"x", u""});
  EXPECT_EQ(GetIncludedElementCountW(u"Invoice and ORDER", elements), 2);
  EXPECT_EQ(GetIncludedElementCountW(u"order order", elements), 1);  // entries, not occurrences
  EXPECT_EQ(GetIncludedElementCountW(u"", elements), 0);
}

TEST(TvxStringsExtract, GetDezimalSign) {
  struct Case {
    const char16_t* content;
    bool replaceO, replaceL;
    const char16_t* sign;
  };
  const Case cases[] = {
      {u"1.234,56 and 7,89", false, false, u","},
      {u"12.50 and 3.75", false, false, u"."},
      {u"1,234.56", false, false, u"."},
      {u"kein Betrag", false, false, u","},
      {u"1.5 und 2,5", false, false, u","},  // a tie
      {u"1.2.3", false, false, u","},         // two points: no vote
      {u"12 , 50", false, false, u","},
      // O and l stand for 0 and 1: '2.5O' votes as '2.50', 'l.5l' as '1.51'.
      {u"2.5O;3,5", true, false, u"."},
      {u"l.5l;3,5", false, true, u"."},
      {u"2.5O;l.5l;3,5;4,5", true, true, u"."},
      {u"O;3,50", true, false, u","},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GetDezimalSign(c.content, c.replaceO, c.replaceL, false), c.sign) << &c - cases;
  EXPECT_EQ(GetDezimalSign(u"12.50", false, false, true), u".");
}
