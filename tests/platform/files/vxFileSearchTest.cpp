// Tests of platform/files/vxFileSearch.h: directory search with file masks, as
// the system's file operations expect it.
#include "platform/files/vxFileSearch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <random>

#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

using namespace vxFileSystem;

namespace {

TEST(FileMask, PlatformRules) {
  struct Case {
    const char16_t* name;
    const char16_t* mask;
    bool matches;
  };
  const Case cases[] = {
      // case does not matter
      {u"a.txt", u"*.TXT", true},
      {u"A.TXT", u"*.txt", true},
      {u"\u00e4rger.txt", u"\u00c4RGER.*", true},
      // "*" and "*.*" take every name, dotless and dot names included
      {u"readme", u"*", true},
      {u"readme", u"*.*", true},
      {u"a.b.c", u"*.*", true},
      {u".profile", u"*.*", true},
      {u"..", u"*.*", true},
      // "*.ext" wants that last extension
      {u"a.txt", u"*.txt", true},
      {u"a.b.txt", u"*.txt", true},
      {u"a.txt.bak", u"*.txt", false},
      {u"txt", u"*.txt", false},
      {u"a.txt", u"a*", true},
      {u"report-2.txt", u"report*.txt", true},
      {u"xreport.txt", u"report*.txt", false},
      // "?" is one character, or nothing at a dot or at the end
      {u"a.txt", u"?.txt", true},
      {u"ab.txt", u"?.txt", false},
      {u"a.txt", u"a??.txt", true},
      {u"abc.txt", u"a??.txt", true},
      {u"abcd.txt", u"a??.txt", false},
      {u"ab", u"a???", true},
      {u"a.b", u"a?b", false},
      {u"axb", u"a?b", true},
      // a dot before a wildcard or at the end may meet the end of the name
      {u"readme", u"readme.*", true},
      {u"readme.md", u"readme.*", true},
      {u"readme", u"*.", true},
      {u"a.txt", u"*.", false},
      // literal characters
      {u"a.txt", u"a.txt", true},
      {u"a.txt", u"b.txt", false},
      {u"a", u"", false},
      // a star before a dot that must be a dot
      {u"a.txt.txt", u"*.txt", true},
      {u"a.b.c", u"*.b*", true},
      {u"A.B.C", u"*.c", true},
      {u"abc", u"*.c", false},
      {u"aXbXc", u"a**b*c", true},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << WideToUtf8(c.name) << " ~ " << WideToUtf8(c.mask);
}

std::vector<ustring> Names(const std::vector<TSearchRec>& entries) {
  std::vector<ustring> names;
  for (const TSearchRec& e : entries) names.push_back(e.Name);
  return names;
}

std::vector<ustring> SortedNames(const ustring& pattern, int32_t attr) {
  std::vector<ustring> names = Names(FindEntries(pattern, attr));
  std::sort(names.begin(), names.end());
  return names;
}

class FileSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TTestTempDir::WriteBytes(dir.File("a.txt"), "12345");
    TTestTempDir::WriteBytes(dir.File("B.TXT"), "1");
    TTestTempDir::WriteBytes(dir.File("notes"), "");
    TTestTempDir::WriteBytes(dir.File(".hidden.txt"), "");
    TTestTempDir::WriteBytes(dir.File("ro.txt"), "");
    chmod(dir.File("ro.txt").c_str(), 0444);
    mkdir(dir.File("sub.txt").c_str(), 0755);
    mkfifo(dir.File("pipe.txt").c_str(), 0644);
  }
  TTestTempDir dir;
};

TEST_F(FileSearchTest, MaskIgnoresCase) {
  EXPECT_EQ(SortedNames(dir.WideFile("*.TXT"), faArchive), (std::vector<ustring>{u"B.TXT", u"a.txt", u"ro.txt"}));
  EXPECT_EQ(SortedNames(dir.WideFile("?.txt"), faArchive), (std::vector<ustring>{u"B.TXT", u"a.txt"}));
}

TEST_F(FileSearchTest, AttributesChooseHiddenSystemAndFolders) {
  EXPECT_EQ(SortedNames(dir.WideFile("*.*"), 0), (std::vector<ustring>{u"B.TXT", u"a.txt", u"notes", u"ro.txt"}));
  EXPECT_EQ(SortedNames(dir.WideFile("*.txt"), faHidden),
            (std::vector<ustring>{u".hidden.txt", u"B.TXT", u"a.txt", u"ro.txt"}));
  EXPECT_EQ(SortedNames(dir.WideFile("*.txt"), faSysFile), (std::vector<ustring>{u"B.TXT", u"a.txt", u"pipe.txt", u"ro.txt"}));
  EXPECT_EQ(SortedNames(dir.WideFile("*.txt"), faDirectory), (std::vector<ustring>{u"B.TXT", u"a.txt", u"ro.txt", u"sub.txt"}));
  EXPECT_EQ(SortedNames(dir.WideFile("*"), faAnyFile),
            (std::vector<ustring>{u".", u"..", u".hidden.txt", u"B.TXT", u"a.txt", u"notes", u"pipe.txt", u"ro.txt",
                                  u"sub.txt"}));
}

TEST_F(FileSearchTest, DotEntriesComeFirst) {
  const std::vector<ustring> names = Names(FindEntries(dir.WideFile("*"), faDirectory));
  ASSERT_GE(names.size(), 3u);
  EXPECT_EQ(names[0], u".");
  EXPECT_EQ(names[1], u"..");
  EXPECT_EQ(Names(FindEntries(dir.WideFile("*"), 0)).size(), 4u);  // without folders, none of them
}

TEST_F(FileSearchTest, EntriesCarrySizeAttributesAndTimes) {
  TSearchRec entry;
  ASSERT_TRUE(FindFirstEntry(dir.WideFile("A.*"), faArchive, entry));
  EXPECT_EQ(entry.Name, u"a.txt");
  EXPECT_EQ(entry.Size, 5);
  EXPECT_EQ(entry.Attr, faArchive);
  EXPECT_GT(entry.LastWriteTime.Seconds, 0);
  ASSERT_TRUE(FindFirstEntry(dir.WideFile("r?.txt"), 0, entry));
  EXPECT_EQ(entry.Attr, faArchive | faReadOnly);
  ASSERT_TRUE(FindFirstEntry(dir.WideFile("sub.*"), faDirectory, entry));
  EXPECT_EQ(entry.Attr, faDirectory);
  EXPECT_EQ(entry.Size, 0);
}

TEST_F(FileSearchTest, NameWithoutWildcardIsExact) {
  TSearchRec entry;
  EXPECT_TRUE(FindFirstEntry(dir.WideFile("a.txt"), 0, entry));
  EXPECT_EQ(entry.Name, u"a.txt");
  EXPECT_FALSE(FindFirstEntry(dir.WideFile("A.TXT"), 0, entry));  // as opening it would find it
  EXPECT_FALSE(FindFirstEntry(dir.WideFile(".hidden.txt"), 0, entry));
  EXPECT_TRUE(FindFirstEntry(dir.WideFile(".hidden.txt"), faHidden, entry));
  EXPECT_FALSE(FindFirstEntry(dir.WideFile("sub.txt"), 0, entry));
  EXPECT_TRUE(FindFirstEntry(dir.WideFile("sub.txt"), faDirectory, entry));
}

TEST_F(FileSearchTest, NothingFound) {
  TSearchRec entry;
  EXPECT_FALSE(FindFirstEntry(dir.WideFile("*.pdf"), faAnyFile, entry));
  EXPECT_FALSE(FindFirstEntry(dir.WideFile("missing/*"), faAnyFile, entry));
  EXPECT_FALSE(FindFirstEntry(dir.WideFile(""), faAnyFile, entry));  // a folder without a mask
  EXPECT_TRUE(FindEntries(dir.WideFile("nothing"), faAnyFile).empty());
}

TEST_F(FileSearchTest, RelativePatternSearchesTheCurrentFolder) {
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir.Path().c_str()), 0);
  const std::vector<ustring> names = SortedNames(u"*.txt", 0);
  const std::vector<ustring> literal = Names(FindEntries(u"notes", 0));
  ASSERT_EQ(chdir(old), 0);
  EXPECT_EQ(names, (std::vector<ustring>{u"B.TXT", u"a.txt", u"ro.txt"}));
  EXPECT_EQ(literal, (std::vector<ustring>{u"notes"}));
}

}  // namespace

// Masks of many stars are matched without backtracking; the answers of such
// masks (those the one wildcard matcher takes) are the rules' answers.
TEST(FileMask, ManyStars) {
  ustring mask;
  for (int i = 0; i < 499; ++i) mask += u"*a";
  mask += u"*b";
  ustring name(1000, u'a');
  EXPECT_FALSE(MatchesMask(name, mask));
  name.back() = u'B';
  EXPECT_TRUE(MatchesMask(name, mask));
  // 499 "a" are needed before the "b".
  EXPECT_TRUE(MatchesMask(ustring(499, u'a') + u"b", mask));
  EXPECT_FALSE(MatchesMask(ustring(498, u'a') + u"b", mask));
}

namespace {

// The rules above walked literally: the set of name positions reachable
// after each mask sign. Slow (name length times mask length) but plainly
// right, so it judges the matcher on every small mask and name.
bool ReferenceMatch(const ustring& name, const ustring& mask) {
  auto up = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
  const size_t n = name.size();
  const size_t lastDot = name.rfind(u'.');
  std::vector<char> reach(n + 1, 0), next(n + 1, 0);
  reach[0] = 1;
  for (size_t i = 0; i < mask.size(); ++i) {
    const char16_t c = mask[i];
    const char16_t after = i + 1 < mask.size() ? mask[i + 1] : u'\0';
    const bool dotOrEnd = c == u'.' && (after == u'\0' || after == u'*' || after == u'?');
    std::fill(next.begin(), next.end(), 0);
    bool any = false;
    for (size_t j = 0; j <= n; ++j) {
      if (c == u'*') {
        if (after == u'.' && lastDot != ustring::npos && j == lastDot + 1) any = false;
        any = any || reach[j];
        next[j] = any;
      } else if (!reach[j]) {
      } else if (c == u'?') {
        if (j < n && name[j] != u'.') next[j + 1] = 1;
        if (j == n || name[j] == u'.') next[j] = 1;
      } else if (dotOrEnd) {
        if (j < n && name[j] == u'.') next[j + 1] = 1;
        if (j == n) next[j] = 1;
      } else if (j < n && up(name[j]) == up(c)) {
        next[j + 1] = 1;
      }
    }
    reach.swap(next);
  }
  return reach[n] != 0;
}

// Every text over the given letters up to the given length.
std::vector<ustring> AllTexts(std::u16string_view letters, size_t maxLength) {
  std::vector<ustring> texts{u""};
  for (size_t from = 0, length = 1; length <= maxLength; ++length) {
    const size_t to = texts.size();
    for (size_t k = from; k < to; ++k)
      for (char16_t c : letters) texts.push_back(texts[k] + c);
    from = to;
  }
  return texts;
}

}  // namespace

// Every mask of up to five signs (letters, dots, "*", "?") against every
// name of up to five letters and dots gives the rules' answer.
TEST(FileMask, AgreesWithTheRulesOnEverySmallMask) {
  const std::vector<ustring> names = AllTexts(u"ab.", 5);
  for (const ustring& mask : AllTexts(u"ab.*?", 5)) {
    const TFileMask compiled(mask);
    for (const ustring& name : names)
      ASSERT_EQ(compiled.Matches(name), ReferenceMatch(name, mask)) << WideToUtf8(name) << " ~ " << WideToUtf8(mask);
  }
}

// Long masks with "?" and dots that may stand for the end: the answers.
TEST(FileMask, LongMasksWithAllSigns) {
  ustring mask;
  for (int i = 0; i < 8000; ++i) mask += u"*a";
  mask += u"*b";
  ustring name(16000, u'a');
  EXPECT_FALSE(MatchesMask(name, mask));
  name.back() = u'b';
  EXPECT_TRUE(MatchesMask(name, mask));
  EXPECT_FALSE(MatchesMask(ustring(7999, u'a') + u"b", mask));

  struct Case {
    ustring name, mask;
    bool matches;
  };
  const ustring dots(16000, u'.');
  const ustring as(16000, u'a');
  ustring questions, starDots, starQuestion;
  for (int i = 0; i < 4000; ++i) {
    questions += u"?";
    starDots += u"*.";
    starQuestion += u"*a?";
  }
  const Case cases[] = {
      {as, u"*" + questions + u"b", false},
      {as + u"b", u"*" + questions + u"b", true},
      {as, u"*" + questions, true},
      {as, starDots, true},
      {as + u".b", starDots, true},
      {u"a.b" + as, starDots, true},
      {dots, starDots, true},
      {as, starQuestion + u"*b", false},
      {as + u"b", starQuestion + u"*b", true},
      {as + u".b", starQuestion + u".?", true},
      {as + u"." + as, u"*.*" + questions + u"." + questions, true},
      {as + u"." + as, u"*." + questions, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << WideToUtf8(c.mask.substr(0, 12));
    // The same shapes cut short, where the walk above is quick enough.
    const ustring name = c.name.size() > 800 ? c.name.substr(0, 400) + c.name.substr(c.name.size() - 400) : c.name;
    const ustring mask = c.mask.size() > 800 ? c.mask.substr(0, 400) + c.mask.substr(c.mask.size() - 400) : c.mask;
    EXPECT_EQ(MatchesMask(name, mask), ReferenceMatch(name, mask)) << WideToUtf8(mask.substr(0, 12));
  }
  EXPECT_FALSE(MatchesMask(as + u".b", u"*."));
  // Found by the wildcard fuzzer: a long mask of letters only took time
  // growing with the square of its length before the search began.
  ustring plainMask, plainName;
  while (plainMask.size() < 30000) plainMask += u"..txt";
  while (plainName.size() < 30000) plainName += u"file.name.txt";
  EXPECT_FALSE(MatchesMask(plainName, plainMask));
  EXPECT_TRUE(MatchesMask(u"x" + plainMask, u"*" + plainMask));
  EXPECT_FALSE(MatchesMask(plainMask + u"x", u"*" + plainMask));
  EXPECT_TRUE(MatchesMask(plainMask + u"x" + plainMask, u"*" + plainMask + u"*"));
}

// Pieces longer than one machine word of signs, on names made to fit them
// (a mask's own text with its signs filled in), against the walk.
TEST(FileMask, LongPiecesAgreeWithTheRules) {
  std::mt19937 random(14);
  auto pick = [&](std::u16string_view from) { return from[random() % from.size()]; };
  for (int round = 0; round < 3000; ++round) {
    ustring mask, name;
    const size_t length = 1 + random() % 200;
    for (size_t i = 0; i < length; ++i) {
      const char16_t c = random() % 40 == 0 ? u'*' : pick(u"ab.?");
      mask += c;
      if (c == u'?')
        name += pick(u"ab");
      else if (c == u'*')
        name += ustring(random() % 3, pick(u"ab."));
      else
        name += c;
    }
    // Every other name gets one unit changed, added or taken away, which
    // mostly makes it not fit.
    if (round % 2 && !name.empty()) {
      const size_t at = random() % name.size();
      switch (random() % 3) {
        case 0: name[at] = pick(u"ab."); break;
        case 1: name.insert(at, 1, pick(u"ab.")); break;
        default: name.erase(at, 1);
      }
    }
    ASSERT_EQ(MatchesMask(name, mask), ReferenceMatch(name, mask)) << WideToUtf8(name) << " ~ " << WideToUtf8(mask);
  }
}
