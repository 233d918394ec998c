// Tests of core/vxStringsWildcard.h: TvxStrings: equality beyond the exact one.
#include "core/vxStringsWildcard.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/base/vxCodePage.h"

using namespace TvxStrings;

namespace {

std::string Show(const ustring& text) {
  std::string shown(1, '\'');
  shown += WideToUtf8(text);
  shown += '\'';
  return shown;
}

// Whether a call with these two sign (or switch) arguments compiles at all.
template <class A, class B>
concept SignCallCompiles = requires(const ustring& s, A a, B b) { EqualsExW(s, s, true, true, a, b); };
template <class A, class B>
concept PercentCallCompiles = requires(const ustring& s, A a, B b, int32_t& percent) {
  EqualsExW(s, s, true, true, a, b, percent);
};

}  // namespace

// Masks as the file routines hand them in: trimmed, case ignored, '*' and '?'.
TEST(StringsWildcard, FileMasks) {
  struct Case {
    ustring name, mask;
    bool expected;
  };
  const Case cases[] = {
      {u"Report.TXT", u"*.txt", true},
      {u"file.txt", u"*.t?t", true},
      {u"file.txt", u"*.?xt", true},
      {u"file.tx", u"*.t?t", false},
      {u"abc.txt", u"a?c*.txt", true},
      {u"abd.txt", u"a?c*.txt", false},
      // A star takes whatever run lets the rest fit, not the shortest one.
      {u"a.txt.txt", u"*.txt", true},
      {u"a.txt.txt", u"*.txt.txt", true},
      {u"a.txt", u"*.txt.txt", false},
      {u"a.txt.doc", u"*.txt", false},
      {u"abcabc", u"*bc", true},
      {u"abab", u"*ab", true},
      {u"xbc", u"*bc", true},
      {u"abc", u"a*", true},
      {u"xab", u"ab*", false},
      {u"xab", u"*ab", true},
      // Star runs may be empty, so neighbouring stars act as one.
      {u"ac", u"a**c", true},
      {u"abc", u"a**c", true},
      {u"abd", u"a**c", false},
      {u"", u"**", true},
      {u"", u"*", true},
      {u"abc", u"*", true},
      {u"", u"", true},
      {u"a", u"", false},
      {u"", u"a", false},
      // A one-character sign takes exactly one character.
      {u"a", u"?", true},
      {u"", u"?", false},
      {u"ab", u"?", false},
      {u"", u"?*", false},
      {u"a", u"*?", true},
      {u".txt", u"*?.txt", false},
      {u"a.txt", u"*?.txt", true},
      {u"a.txtx", u"*?.txt", false},
      {u"ab.txt", u"*?.txt", true},
      {u"xaybzc", u"*a*b*c*", true},
      {u"cba", u"*a*b*c*", false},
      {u"abc", u"a*b*c", true},
      {u"abcb", u"a*b*c", false},
      {u"aXbXc.log", u"a*b*?.log", true},
      {u"ab.log", u"a*b*?.log", false},
      // Trimmed first, on both sides; then case is ignored for every script.
      {u"  file.txt ", u" *.TXT\t", true},
      {u"\u00C4rger.txt", u"\u00E4*", true},
      // A character is one UTF-16 unit: a surrogate pair takes two signs.
      {u"\U0001F600", u"?", false},
      {u"\U0001F600", u"??", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.name) + " against " + Show(c.mask));
    EXPECT_EQ(EqualsExW(c.name, c.mask, true, true, u"*", u"?"), c.expected);
  }
}

// Many stars and ones against long texts that almost fit: the answers that a
// matcher trying combinations of star runs would take ages to reach.
TEST(StringsWildcard, ManyStarsAgainstNearMisses) {
  ustring text(4000, u'a');
  ustring mask;
  for (int i = 0; i < 200; ++i) mask += u"*a?";
  EXPECT_TRUE(EqualsExW(text, mask + u"*", false, false, u"*", u"?"));
  EXPECT_FALSE(EqualsExW(text, mask + u"*b", false, false, u"*", u"?"));
  text.back() = u'b';
  EXPECT_TRUE(EqualsExW(text, mask + u"*b", false, false, u"*", u"?"));
  EXPECT_FALSE(EqualsExW(text, u"*" + ustring(3000, u'a') + u"c*", false, false, u"*", u"?"));
}

TEST(StringsWildcard, SwitchForms) {
  struct Case {
    ustring text, pattern;
    bool trimBefore, ignoreCase, useStar, useUnderline;
    bool expected;
  };
  const Case cases[] = {
      {u"abc", u"a_c", false, false, false, true, true},
      {u"a_c", u"a_c", false, false, false, true, true},
      {u"abc", u"abc_", false, false, false, true, false},
      {u"abc", u"a_c", false, false, false, false, false},  // '_' stands for itself
      {u"a_c", u"a_c", false, false, false, false, true},
      {u"abc", u"a*", false, false, true, false, true},
      {u"abc", u"a*", false, false, false, false, false},   // '*' stands for itself
      {u"a*", u"a*", false, false, false, false, true},
      {u"abc", u"a?c", false, false, true, true, false},    // '?' is no sign here
      {u"a?c", u"a?c", false, false, true, true, true},
      {u"abcd.x", u"a_c*._", false, false, true, true, true},
      {u"ABC", u"a*", false, false, true, false, false},
      {u"ABC", u"a*", false, true, true, false, true},
      {u" abc", u"a*", false, false, true, false, false},
      {u" abc", u"a*", true, false, true, false, true},
      {u" abc", u"*abc", false, false, true, false, true},  // the star takes the blank
      {u"", u"", false, false, false, false, true},
      {u"a", u"", false, false, true, true, false},
      {u"  ", u"", true, false, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.text) + " against " + Show(c.pattern) + " star " + std::to_string(c.useStar) +
                 " underline " + std::to_string(c.useUnderline));
    EXPECT_EQ(EqualsExW(c.text, c.pattern, c.trimBefore, c.ignoreCase, c.useStar, c.useUnderline), c.expected);
    int32_t percent = -1;
    EXPECT_EQ(EqualsExW(c.text, c.pattern, c.trimBefore, c.ignoreCase, c.useStar, c.useUnderline, percent),
              c.expected);
    EXPECT_EQ(percent, c.expected ? 100 : 0);
  }
}

TEST(StringsWildcard, PercentOfTheFirstForm) {
  int32_t percent = -1;
  EXPECT_TRUE(EqualsExW(u"abc", u"a*", false, false, true, false, percent));
  EXPECT_EQ(percent, 100);
  EXPECT_FALSE(EqualsExW(u"abc", u"x*", false, false, true, false, percent));
  EXPECT_EQ(percent, 0);
}

TEST(StringsWildcard, SignsOfTheCallersChoice) {
  struct Case {
    ustring text, pattern, star, one;
    bool ignoreCase;
    bool expected;
  };
  const Case cases[] = {
      // Equal signs: only the star is in use.
      {u"abc", u"a*", u"*", u"*", false, true},
      {u"abbbc", u"a*c", u"*", u"*", false, true},
      // No one-character sign: '?' is an ordinary character.
      {u"ab?x", u"ab?*", u"*", u"", false, true},
      {u"abcx", u"ab?*", u"*", u"", false, false},
      // No star: '*' is an ordinary character.
      {u"abc", u"a?c", u"", u"?", false, true},
      {u"abc", u"a*", u"", u"?", false, false},
      {u"a*", u"a*", u"", u"?", false, true},
      // Neither: plain equality.
      {u"ABC", u"abc", u"", u"", true, true},
      {u"ABC", u"abc", u"", u"", false, false},
      // Signs of several characters stand for their whole text.
      {u"file.txt", u"%%.t##t", u"%%", u"##", false, true},
      {u"file.tx", u"%%.t##t", u"%%", u"##", false, false},
      {u"a%b", u"a%b", u"%%", u"##", false, true},
      // Where both signs begin at one place the star is taken.
      {u"abc", u"a**", u"**", u"*", false, true},
      {u"ab", u"a*", u"**", u"*", false, true},
      {u"abc", u"a*", u"**", u"*", false, false},
      // Signs are found exactly, even when case is ignored.
      {u"xc", u"Xc", u"x", u"", true, true},
      {u"abc", u"Xc", u"x", u"", true, false},
      {u"abc", u"xc", u"x", u"", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.text) + " against " + Show(c.pattern) + " signs " + Show(c.star) + " " + Show(c.one));
    EXPECT_EQ(EqualsExW(c.text, c.pattern, false, c.ignoreCase, c.star, c.one), c.expected);
  }
}

// A string literal turns into bool before it turns into a string, so the
// literal signs need a form of their own and other pointers are refused.
static_assert(SignCallCompiles<ustring, ustring>);
static_assert(SignCallCompiles<bool, bool>);
static_assert(SignCallCompiles<const char16_t*, const char16_t*>);
static_assert(SignCallCompiles<char16_t*, char16_t*>);
static_assert(SignCallCompiles<const char16_t (&)[2], const char16_t (&)[2]>);
static_assert(SignCallCompiles<const char16_t*, ustring>);
static_assert(SignCallCompiles<std::nullptr_t, std::nullptr_t>);
static_assert(!SignCallCompiles<const char*, const char*>);
static_assert(!SignCallCompiles<const char (&)[2], const char (&)[2]>);
static_assert(!SignCallCompiles<const wchar_t*, const wchar_t*>);
static_assert(!SignCallCompiles<const char16_t*, bool>);
static_assert(!SignCallCompiles<bool, const char16_t*>);
static_assert(PercentCallCompiles<bool, bool>);
static_assert(!PercentCallCompiles<const char16_t*, const char16_t*>);
static_assert(!PercentCallCompiles<const char*, const char*>);

TEST(StringsWildcard, LiteralSignsPickTheSignForm) {
  // With the switch form ('*' and '_') the '?' would stand for itself and
  // the name would not match.
  EXPECT_TRUE(EqualsExW(u"file.txt", u"*.t?t", true, true, u"*", u"?"));
  EXPECT_FALSE(EqualsExW(u"file.txt", u"*.t?t", true, true, true, true));
  const ustring one = u"?";
  EXPECT_TRUE(EqualsExW(u"file.txt", u"*.t?t", true, true, u"*", one));
  // A null pointer is an empty sign: no star in use, '?' still is.
  EXPECT_TRUE(EqualsExW(u"abc", u"a?c", false, false, nullptr, u"?"));
  EXPECT_FALSE(EqualsExW(u"abc", u"a*", false, false, nullptr, u"?"));
  EXPECT_TRUE(EqualsExW(u"a*", u"a*", false, false, nullptr, nullptr));
}

TEST(StringsWildcard, EqualsWithDistanceW) {
  struct Case {
    ustring s1, s2;
    bool trimBefore, ignoreCase;
    double maxDistance;
    bool expected;
    double percent;
  };
  const Case cases[] = {
      {u"Meier", u"meyer", false, true, 80, true, 80},  // 'MEIER' against 'MEYER'
      {u"Meier", u"meyer", false, true, 81, false, 80},
      {u"Meier", u"meyer", false, false, 60, true, 60},
      {u" abc ", u"abc", true, false, 100, true, 100},
      {u" abc ", u"abc", false, false, 100, false, 100 - 2.0 / 3 * 100},  // two deletions over three
      {u"", u"", false, false, 100, true, 100},
      {u"abc", u"", false, false, 0, true, 0},
      {u"abc", u"xyz", false, false, 1, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.s1) + " " + Show(c.s2) + " at least " + std::to_string(c.maxDistance));
    double percent = -1;
    EXPECT_EQ(EqualsWithDistanceW(c.s1, c.s2, c.trimBefore, c.ignoreCase, c.maxDistance, percent), c.expected);
    EXPECT_DOUBLE_EQ(percent, c.percent);
  }
}

TEST(StringsWildcard, IsNotValidAndClearIfNotValid) {
  TStringList list;
  list.Add(u"A");
  list.Add(u"b");
  TStringList empty;
  struct Case {
    ustring content;
    const TStrings* list;
    bool trimBefore, ignoreCase;
    bool found;
  };
  const Case cases[] = {
      {u" a ", &list, true, true, true},
      {u" a ", &list, false, true, false},
      {u"a", &list, false, false, false},
      {u"b", &list, false, false, true},
      {u"B", &list, false, false, false},
      {u"c", &list, true, true, false},
      {u"a", &empty, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " trim " + std::to_string(c.trimBefore) + " case " + std::to_string(c.ignoreCase));
    EXPECT_EQ(IsNotValid(c.content, *c.list, c.trimBefore, c.ignoreCase), c.found);
    EXPECT_EQ(ClearIfNotValid(c.content, *c.list, c.trimBefore, c.ignoreCase), c.found ? u"" : c.content);
  }
}

TEST(StringsWildcard, ClearIfNotValidFromSeparatedText) {
  struct Case {
    ustring content, items, separator;
    bool trimBefore, ignoreCase;
    ustring expected;
  };
  const Case cases[] = {
      {u"x", u"a;x;b", u";", false, false, u""},
      {u"y", u"a;x;b", u";", false, false, u"y"},
      {u" X ", u"a;x;b", u";", true, true, u""},
      {u" X ", u"a;x;b", u";", false, true, u" X "},  // untrimmed when kept
      {u"x", u"a, x ,b", u",", true, false, u""},
      {u"x", u"a::x::b", u"::", false, false, u""},
      {u" ", u"a;;b", u";", true, false, u""},  // the empty piece names the empty text
      {u" ", u"a;;b", u";", false, false, u" "},
      {u"x", u"", u";", false, false, u"x"},
      {u"x", u"x", u"", false, false, u"x"},       // no separator, no item
      {u"", u"", u";", false, false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.content) + " in " + Show(c.items) + " at " + Show(c.separator));
    EXPECT_EQ(ClearIfNotValid(c.content, c.items, c.separator, c.trimBefore, c.ignoreCase), c.expected);
  }
}
