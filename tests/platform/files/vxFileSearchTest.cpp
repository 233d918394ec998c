// Tests of platform/files/vxFileSearch.h: directory search with file masks, as
// the system's file operations expect it.
#include "platform/files/vxFileSearch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

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
  EXPECT_GT(entry.LastWriteTime, 0);
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
