// Tests of TvxStringLists: lookups, replacement and deletion over lines,
// joining and blank-line removal, with deletions while walking.
#include "core/vxStringsLists.h"

#include <gtest/gtest.h>

#include <vector>

using namespace TvxStringLists;

namespace {

using Lines = std::vector<ustring>;

void Fill(TStrings& L, const Lines& lines) {
  L.Clear();
  for (const auto& s : lines) L.Add(s);
}

Lines Items(const TStrings& L) {
  Lines r;
  for (int32_t i = 0; i < L.Count(); ++i) r.push_back(L[i]);
  return r;
}

}  // namespace

TEST(TvxStringLists, FindValueInStringList) {
  TStringList list;
  Fill(list, {u"k1=a", u"k2=b", u"k3=b", u"plain"});
  struct Case {
    const char16_t* search;
    bool trim, ignoreCase, inverse;
    int32_t expected;
  };
  const Case cases[] = {
      {u"b", false, false, false, 1}, {u"b", false, false, true, 2}, {u"B", false, true, false, 1},
      {u"B", false, false, false, -1}, {u" b ", true, false, false, 1}, {u"x", false, false, false, -1},
      {u"", false, false, false, 3},  {u"  ", true, false, false, 3},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindValueInStringList(c.search, list, c.trim, c.ignoreCase, c.inverse), c.expected) << &c - cases;
}

TEST(TvxStringLists, GetObjectByNameComparesWholeLines) {
  TStringList list;
  TObject a;
  list.AddObject(u"key=1", nullptr);
  EXPECT_EQ(GetObjectByNameFromStringList(u"KEY", list), nullptr);
  list.AddObject(u"key", &a);
  EXPECT_EQ(GetObjectByNameFromStringList(u"KEY", list), &a);
}

TEST(TvxStringLists, Replace) {
  struct Case {
    bool wide;
    Lines in;
    const char16_t *search, *replace;
    bool ignoreCase, wholeWord;
    const char16_t* element;
    Lines out;
  };
  const Case cases[] = {
      {true, {u"1 . 5", u"a=b"}, u" . ", u".", false, false, u"NAMES_AND_VALUES", {u"1.5", u"a=b"}},
      {false, {u"abc=a"}, u"a", u"x", false, false, u"NAMES", {u"xbc=a"}},
      {false, {u"abc=a"}, u"a", u"x", false, false, u"VALUE", {u"abc=x"}},
      {true, {u"abc=a"}, u"a", u"x", false, false, u"VALUE", {u"abc=x"}},
      // Lines without "=" stay as they are under NAMES and VALUE.
      {false, {u"plain a", u"n=a"}, u"a", u"x", false, false, u"VALUE", {u"plain a", u"n=x"}},
      {true, {u"plain a", u"n=a"}, u"a", u"x", false, false, u"NAMES", {u"plain a", u"n=a"}},
      // WholeWord replaces a part that differs only in case.
      {false, {u"abc", u"xabc"}, u"abc", u"ABC", false, true, u"NAMES_AND_VALUES", {u"ABC", u"xabc"}},
      {false, {u"abc"}, u"abc", u"ABC", false, false, u"NAMES_AND_VALUES", {u"abc"}},
      // Values emptied while walking: each line once, the next not skipped.
      {false, {u"a=x", u"b=x", u"c=y", u"d=x"}, u"x", u"", false, false, u"VALUE", {u"c=y"}},
      {true, {u"a=x", u"b=x", u"c=y", u"d=x"}, u"x", u"", false, false, u"VALUE", {u"c=y"}},
      {false, {u"a=x", u"b=x"}, u"x", u"", false, true, u"VALUE", {}},
  };
  for (const auto& c : cases) {
    TStringList list;
    Fill(list, c.in);
    TStrings& r = c.wide ? ReplaceInWideStringList(list, c.search, c.replace, c.ignoreCase, c.wholeWord, c.element)
                         : ReplaceInStringList(list, c.search, c.replace, c.ignoreCase, c.wholeWord, c.element);
    EXPECT_EQ(&r, &list);
    EXPECT_EQ(Items(list), c.out) << &c - cases;
  }
}

TEST(TvxStringLists, DeleteWhenEquals) {
  struct Case {
    bool wide;
    Lines in;
    const char16_t* search;
    bool ignoreCase, wholeWord;
    const char16_t* element;
    Lines out;
  };
  const Case cases[] = {
      {false, {u"a.tmp", u"b.txt", u"tmp"}, u"tmp", false, false, u"NAMES_AND_VALUES", {u"b.txt"}},
      {true, {u"a.tmp", u"b.txt", u"tmp"}, u"tmp", false, false, u"NAMES_AND_VALUES", {u"b.txt"}},
      {false, {u"x1=a", u"y=x"}, u"x", false, false, u"NAMES", {u"y=x"}},
      {false, {u"a", u"", u"b"}, u"", false, true, u"NAMES_AND_VALUES", {u"a", u"b"}},
      {false, {u"a", u"", u"b"}, u"", false, false, u"NAMES_AND_VALUES", {u"a", u"", u"b"}},
      // Lines equal ignoring case: only the matching one goes.
      {false, {u"TMP", u"x", u"tmp"}, u"tmp", false, false, u"NAMES_AND_VALUES", {u"TMP", u"x"}},
      {false, {u"TMP", u"x", u"tmp"}, u"tmp", true, false, u"NAMES_AND_VALUES", {u"x"}},
  };
  for (const auto& c : cases) {
    TStringList list;
    Fill(list, c.in);
    if (c.wide)
      DeleteWhenEqualsInWideStringList(list, c.search, c.ignoreCase, c.wholeWord, c.element);
    else
      DeleteWhenEqualsInStringList(list, c.search, c.ignoreCase, c.wholeWord, c.element);
    EXPECT_EQ(Items(list), c.out) << &c - cases;
  }
}

TEST(TvxStringLists, DeleteWhenNotEquals) {
  TStringList list;
  Fill(list, {u"apple", u"berry", u"cherry", u"banana"});
  DeleteWhenNotEqualsInStringList(list, u"a,b", false, false, u"NAMES_AND_VALUES");
  EXPECT_EQ(Items(list), (Lines{u"apple", u"berry", u"banana"}));
  DeleteWhenNotEqualsInStringList(list, u"", false, false, u"NAMES_AND_VALUES");
  EXPECT_TRUE(Items(list).empty());
  Fill(list, {u"n=a", u"m=z"});
  DeleteWhenNotEqualsInStringList(list, u"\"a\"", false, false, u"VALUE");
  EXPECT_EQ(Items(list), (Lines{u"n=a"}));
}

TEST(TvxStringLists, JoinAndBlankLines) {
  TStringList list;
  Fill(list, {u"a", u"b", u"c"});
  EXPECT_EQ(AddValues(list, 1, 2, true), u"b\r\nc");
  EXPECT_EQ(AddValues(list, 1, 2, false), u"bc");
  EXPECT_EQ(AddValues(list, 5, 9, true), u"");
  EXPECT_EQ(AddValues(list, 0, -1, true), u"");
  EXPECT_EQ(AddValues(list, 0, 1000, false), u"abc");
  Fill(list, {u"a", u"b"});
  EXPECT_EQ(GetCompleteContentWithoutCRLFAtEnd(list), u"ab");
  Fill(list, {u"a", u"  ", u"", u"b", u"\t"});
  RemoveEmptyLines(list);
  EXPECT_EQ(Items(list), (Lines{u"a", u"b"}));
}
