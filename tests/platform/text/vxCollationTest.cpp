// Tests of platform/text/vxCollation.h: the linguistic comparison of list
// items: ICU's collator of the process locale.
#include "platform/text/vxCollation.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using vxCollation::CompareStrings;

namespace {

struct WideCase {
  std::u16string a, b;
  bool caseSensitive;
  int expected;
};

const WideCase kWideCases[] = {
    {u"A", u"a", false, 0},
    {u"A", u"a", true, 1},  // lower case sorts first
    {u"a", u"A", true, -1},
    {u"a", u"b", false, -1},
    {u"B", u"a", false, 1},
    {u"B", u"a", true, 1},
    {u"", u"", false, 0},
    {u"", u"a", false, -1},
    {u"abc", u"ab", false, 1},
    {u"\u00C4pfel", u"Birne", false, -1},  // linguistic, not by code
    {u"\u00E4", u"\u00C4", false, 0},
    {u"e", u"\u00E9", false, -1},  // accents count when ignoring case
    {u"\uFB01le", u"FILE", false, 0},    // a ligature is its letters but for case
    {u"\uFB01le", u"file", true, 1},
    {u"ke\u00ADy", u"key", false, 0},    // a soft hyphen is ignorable
    {u"ke\u00ADy", u"key", true, 0},
    {u"stra\u00DFe", u"strasse", false, 1},
    // Explicit lengths: what follows an embedded NUL counts.
    {std::u16string(u"a\0b", 3), std::u16string(u"a\0c", 3), false, -1},
    {std::u16string(u"a\0c", 3), std::u16string(u"a\0b", 3), true, 1},
};

}  // namespace

TEST(Collation, WideTable) {
  for (const WideCase& c : kWideCases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - kWideCases));
    EXPECT_EQ(CompareStrings(c.a, c.b, c.caseSensitive), c.expected);
  }
}

TEST(Collation, AnsiTextComparesAsItsWideForm) {
  struct Case {
    std::string a, b;
    bool caseSensitive;
    int expected;
  } cases[] = {
      {"A", "a", false, 0},
      {"A", "a", true, 1},
      {"\xC4pfel", "Birne", false, -1},  // Windows-1252 A umlaut
      {"\xE4", "\xC4", false, 0},
      {"\x80", "\x80", true, 0},
      {std::string("x\0y", 3), std::string("x\0z", 3), true, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a + " / " + c.b);
    EXPECT_EQ(CompareStrings(c.a, c.b, c.caseSensitive), c.expected);
  }
}

TEST(Collation, ThePosixLocaleFallsBackToTheRootCollation) {
  // The collator never follows a POSIX collation, which would order by code.
  EXPECT_EQ(std::string(vxCollation::CollationLocale()).find("POSIX"), std::string::npos);
}

TEST(Collation, SeveralThreadsCompareAtOnce) {
  std::vector<int> failures(8, 0);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < failures.size(); ++t) {
    threads.emplace_back([&failures, t] {
      for (int i = 0; i < 2000; ++i) {
        const bool sensitive = (i + t) % 2 == 0;
        if (CompareStrings(u"ke\u00ADy", u"KEY", sensitive) != (sensitive ? -1 : 0)) ++failures[t];
        if (CompareStrings(std::string("\xC4"), std::string("b"), sensitive) != -1) ++failures[t];
      }
    });
  }
  for (auto& th : threads) th.join();
  for (size_t t = 0; t < failures.size(); ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}
