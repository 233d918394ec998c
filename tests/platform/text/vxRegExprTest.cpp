// Tests of platform/text/vxRegExpr.h: regular expressions over UTF-16 text, on
// PCRE2's 16-bit library.
#include "platform/text/vxRegExpr.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct Found {
  int32_t Pos;
  int32_t Len;
  bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Found& f) { return os << "(" << f.Pos << "," << f.Len << ")"; }

// Every match of the expression in the text, first search and then each next.
std::vector<Found> AllMatches(TvxRegExpr& r, const ustring& text) {
  std::vector<Found> found;
  for (bool ok = r.Exec(text); ok; ok = r.ExecNext()) {
    found.push_back({r.MatchPos(), r.MatchLen()});
    EXPECT_EQ(r.Match(), text.substr(r.MatchPos() - 1, r.MatchLen()));
    if (found.size() > text.size() + 2) break;  // no expression has more matches than that
  }
  return found;
}

struct MatchCase {
  const char* Name;
  ustring Expression;
  ustring Text;
  bool IgnoreCase;
  std::vector<Found> Expected;
};

void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.Name; }

class RegExprMatches : public testing::TestWithParam<MatchCase> {};

TEST_P(RegExprMatches, FirstAndEveryNextMatch) {
  const MatchCase& c = GetParam();
  TvxRegExpr r(c.Expression, c.IgnoreCase);
  EXPECT_EQ(AllMatches(r, c.Text), c.Expected);
}

const ustring kEmoji = u"\U0001F600";  // one character, two code units

INSTANTIATE_TEST_SUITE_P(
    Table, RegExprMatches,
    testing::Values(
        // Expressions that can only match empty: one match per position, then the end.
        MatchCase{"StarOfAbsentLetter", u"x*", u"aaa", false, {{1, 0}, {2, 0}, {3, 0}, {4, 0}}},
        MatchCase{"StartAnchor", u"^", u"aaa", false, {{1, 0}}},
        MatchCase{"WordBoundary", u"\\b", u"ab cd", false, {{1, 0}, {3, 0}, {4, 0}, {6, 0}}},
        MatchCase{"EndAnchorBeforeFinalLineBreak", u"$", u"ab\n", false, {{3, 0}, {4, 0}}},
        MatchCase{"EmptyOnEmptyText", u"[0-9]*", u"", false, {{1, 0}}},
        MatchCase{"NothingOnEmptyText", u"[0-9]+", u"", false, {}},
        MatchCase{"EmptyThenNonEmpty", u"a*", u"baaa", false, {{1, 0}, {2, 3}, {5, 0}}},
        // Plain searches.
        MatchCase{"Digits", u"[0-9]+", u"a1b22c333", false, {{2, 1}, {4, 2}, {7, 3}}},
        MatchCase{"NoMatch", u"[0-9]+", u"abc", false, {}},
        MatchCase{"AlternativesFromTheLeft", u"a|ab", u"abab", false, {{1, 1}, {3, 1}}},
        MatchCase{"FirstAlternativeWins", u"EUR|EURO|\u20AC", u"EURO \u20AC", false, {{1, 3}, {6, 1}}},
        MatchCase{"EscapedDollar", u"USD|\\$|US\\$", u"5 US$ 3$", false, {{3, 3}, {8, 1}}},
        MatchCase{"GreedyRepeat", u"a+", u"aaa", false, {{1, 3}}},
        MatchCase{"LazyRepeat", u"a+?", u"aaa", false, {{1, 1}, {2, 1}, {3, 1}}},
        MatchCase{"BoundedRepeats", u"[0-9]{1,1}[0-9.,]{0,3}", u"12,345", false, {{1, 4}, {5, 2}}},
        // "." takes line breaks; "^" and "$" stand for the ends of the whole text.
        MatchCase{"DotMatchesLineBreaks", u".", u"a\nb\r", false, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
        MatchCase{"DotAcrossLines", u"^a.c$", u"a\nc", false, {{1, 3}}},
        MatchCase{"NoMultiLineStart", u"^b", u"a\nb", false, {}},
        MatchCase{"NoMultiLineEnd", u"a$", u"a\nb", false, {}},
        // Letter case.
        MatchCase{"CaseCounts", u"a", u"aA", false, {{1, 1}}},
        MatchCase{"CaseIgnored", u"a", u"aA", true, {{1, 1}, {2, 1}}},
        MatchCase{"CaseIgnoredBeyondAscii", u"m\u00E4rz", u"M\u00C4RZ", true, {{1, 4}}},
        MatchCase{"UmlautInRunningText", u"[0-9]{1,2}[./\\- ]{0,2}(m\u00E4rz)[./\\- ]{0,2}(1|2)[0-9]{3,3}",
                  u"am 15. m\u00E4rz 2020", false, {{4, 13}}},
        // Surrogate pairs are one character and are never split.
        MatchCase{"DotTakesWholePair", u".", u"a" + kEmoji + u"b", false, {{1, 1}, {2, 2}, {4, 1}}},
        MatchCase{"EmptyMatchesStepOverPair", u"x*", kEmoji + u"a", false, {{1, 0}, {3, 0}, {4, 0}}},
        MatchCase{"PairInClass", u"[\\x{1F600}]+", u"a" + kEmoji + kEmoji, false, {{2, 4}}},
        // Unpaired surrogates are characters of their own and stop nothing.
        MatchCase{"LoneHighSurrogate", u".", ustring(u"a") + char16_t(0xD800) + u"b", false,
                  {{1, 1}, {2, 1}, {3, 1}}},
        MatchCase{"LoneLowSurrogateAtEnd", u"x*", ustring(u"a") + char16_t(0xDC00), false,
                  {{1, 0}, {2, 0}, {3, 0}}},
        MatchCase{"ReversedPair", u"[a-z]", ustring(1, char16_t(0xDE00)) + char16_t(0xD83D) + u"z", false,
                  {{3, 1}}},
        // Word classes follow Unicode.
        MatchCase{"WordCharacterBeyondAscii", u"\\w+", u"M\u00E4rz 20", false, {{1, 4}, {6, 2}}}),
    [](const testing::TestParamInfo<MatchCase>& info) { return std::string(info.param.Name); });

TEST(RegExpr, MatchTextOfLoneSurrogateIsTheInput) {
  const ustring text = ustring(u"a") + char16_t(0xD800) + u"b";
  TvxRegExpr r(u"a.b");
  ASSERT_TRUE(r.Exec(text));
  EXPECT_EQ(r.Match(), text);  // not the replacement character
}

struct GroupCase {
  const char* Name;
  ustring Expression;
  ustring Text;
  int32_t GroupCount;
  // Per group 0 .. GroupCount + 1 (one beyond the last): position, length, text.
  std::vector<std::tuple<int32_t, int32_t, ustring>> Groups;
};

void PrintTo(const GroupCase& c, std::ostream* os) { *os << c.Name; }

class RegExprGroups : public testing::TestWithParam<GroupCase> {};

TEST_P(RegExprGroups, PositionsLengthsAndTexts) {
  const GroupCase& c = GetParam();
  TvxRegExpr r(c.Expression);
  EXPECT_EQ(r.SubExprMatchCount(), c.GroupCount);
  ASSERT_TRUE(r.Exec(c.Text));
  for (size_t i = 0; i < c.Groups.size(); ++i) {
    const auto& [pos, len, text] = c.Groups[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(r.MatchPos(static_cast<int32_t>(i)), pos);
    EXPECT_EQ(r.MatchLen(static_cast<int32_t>(i)), len);
    EXPECT_EQ(r.Match(static_cast<int32_t>(i)), text);
  }
  EXPECT_EQ(r.MatchPos(-1), 0);
  EXPECT_EQ(r.Match(-1), u"");
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegExprGroups,
    testing::Values(
        GroupCase{"ThreeGroups", u"(RE)(-)([0-9]+)", u"x RE-123 y", 3,
                  {{3, 6, u"RE-123"}, {3, 2, u"RE"}, {5, 1, u"-"}, {6, 3, u"123"}, {0, 0, u""}}},
        GroupCase{"GroupNotTakingPart", u"(a)|(b)", u"b", 2, {{1, 1, u"b"}, {0, 0, u""}, {1, 1, u"b"}, {0, 0, u""}}},
        GroupCase{"EmptyGroup", u"x()y", u"xy", 1, {{1, 2, u"xy"}, {2, 0, u""}, {0, 0, u""}}},
        GroupCase{"NoGroups", u"[0-9]", u"a7", 0, {{2, 1, u"7"}, {0, 0, u""}}}),
    [](const testing::TestParamInfo<GroupCase>& info) { return std::string(info.param.Name); });

TEST(RegExpr, GroupsFollowEachNextMatch) {
  TvxRegExpr r(u"([a-z])([0-9])");
  ASSERT_TRUE(r.Exec(u"a1 b2"));
  EXPECT_EQ(r.Match(2), u"1");
  ASSERT_TRUE(r.ExecNext());
  EXPECT_EQ(r.Match(1), u"b");
  EXPECT_EQ(r.MatchPos(2), 5);
  EXPECT_FALSE(r.ExecNext());
  EXPECT_EQ(r.MatchPos(), 0);  // no current match any more
  EXPECT_EQ(r.Match(1), u"");
  EXPECT_FALSE(r.ExecNext());
}

TEST(RegExpr, ExecNextWithoutMatchFindsNothing) {
  TvxRegExpr r(u"a");
  EXPECT_FALSE(r.ExecNext());
  EXPECT_FALSE(r.Exec(u"bbb"));
  EXPECT_FALSE(r.ExecNext());
}

TEST(RegExpr, OneExpressionSearchesSeveralTexts) {
  TvxRegExpr r(u"[0-9]+");
  EXPECT_EQ(AllMatches(r, u"1 22"), (std::vector<Found>{{1, 1}, {3, 2}}));
  EXPECT_EQ(AllMatches(r, u"x333"), (std::vector<Found>{{2, 3}}));
  EXPECT_EQ(r.InputString(), u"x333");
}

TEST(RegExpr, KeepsItsOwnCopyOfTheText) {
  TvxRegExpr r(u"b+");
  {
    ustring text = u"abbc";
    ASSERT_TRUE(r.Exec(text));
  }
  EXPECT_EQ(r.Match(), u"bb");
  EXPECT_FALSE(r.ExecNext());
}

TEST(RegExpr, MovedObjectKeepsItsState) {
  TvxRegExpr first(u"[0-9]");
  ASSERT_TRUE(first.Exec(u"1 2"));
  TvxRegExpr second(std::move(first));
  EXPECT_EQ(second.Expression(), u"[0-9]");
  EXPECT_EQ(second.Match(), u"1");
  ASSERT_TRUE(second.ExecNext());
  EXPECT_EQ(second.MatchPos(), 3);
  first = TvxRegExpr(u"x");
  EXPECT_TRUE(first.Exec(u"ax"));
}

struct BadCase {
  const char* Name;
  ustring Expression;
  std::string MessagePart;
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.Name; }

class RegExprErrors : public testing::TestWithParam<BadCase> {};

TEST_P(RegExprErrors, RaisesOwnErrorWithEngineText) {
  const BadCase& c = GetParam();
  try {
    TvxRegExpr r(c.Expression);
    FAIL() << "compiled";
  } catch (const ERegExprError& e) {
    EXPECT_STREQ(e.ClassName(), "ERegExprError");
    EXPECT_NE(std::string(e.what()).find(c.MessagePart), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegExprErrors,
    testing::Values(BadCase{"OpenGroup", u"(a", "missing closing parenthesis at position 3"},
                    BadCase{"OpenClass", u"[a-", "missing terminating ] for character class at position 4"},
                    BadCase{"BoundsReversed", u"a{2,1}", "numbers out of order in {} quantifier at position 6"},
                    BadCase{"NothingToRepeat", u"*a", "quantifier does not follow a repeatable item at position 1"},
                    BadCase{"SingleCodeUnit", u"a\\C", "using \\C is disabled"},
                    BadCase{"LoneSurrogateInExpression", ustring(u"a") + char16_t(0xD800), "UTF-16 error"},
                    BadCase{"Empty", u"", "empty regular expression"}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.Name); });

TEST(RegExpr, ErrorMessageNamesTheExpression) {
  try {
    TvxRegExpr r(u"m\u00E4rz(");
    FAIL() << "compiled";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"invalid regular expression \"m\u00E4rz(\": missing closing parenthesis at position 6");
  }
}

TEST(RegExpr, RunawayBacktrackingIsAnErrorNotANoMatch) {
  TvxRegExpr r(u"(a+)+$");
  EXPECT_THROW(r.Exec(ustring(40, u'a') + u"b"), ERegExprError);
}

}  // namespace
