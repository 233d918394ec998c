// Tests of core/vxAnsiStringList.h: the 8-bit string list: items are bytes in
// the system code page (Windows-1252).
#include "core/vxAnsiStringList.h"

#include <gtest/gtest.h>

#include "platform/files/vxStream.h"
#include "support/vxTestTempDir.h"

TEST(AnsiStringList, toTStringsAppendsTheItemsAsUtf16) {
  TAnsiStringList source;
  TObject object;
  source.AddObject("\xE4", &object);
  source.Add("\x80");
  source.Add("x");
  TStringList destination;
  destination.Add(u"keep");
  int notices = 0;
  destination.SetOnChange([&](TStringList&) { ++notices; });
  EXPECT_EQ(source.toTStrings(destination), 4);
  ASSERT_EQ(destination.Count(), 4);
  EXPECT_EQ(destination[0], u"keep");
  EXPECT_EQ(destination[1], u"\u00E4");
  EXPECT_EQ(destination[2], u"\u20AC");
  EXPECT_EQ(destination[3], u"x");
  EXPECT_EQ(destination.Objects(1), nullptr);  // objects are not copied
  EXPECT_EQ(notices, 1);
  TAnsiStringList empty;
  EXPECT_EQ(empty.toTStrings(destination), 4);
}

TEST(AnsiStringList, FilesHoldTheBytesOfTheTextUnchanged) {
  TTestTempDir dir;
  TAnsiStringList list;
  list.Add("\xEF\xBB\xBFstarts like a mark");
  list.Add("\xE4\x80\xFF");
  list.SaveToFile(dir.WideFile("a.txt"));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("a.txt")), "\xEF\xBB\xBFstarts like a mark\r\n\xE4\x80\xFF\r\n");
  TAnsiStringList back;
  back.LoadFromFile(dir.WideFile("a.txt"));
  EXPECT_TRUE(back.Equals(list));
}

TEST(AnsiStringList, SortsWindows1252TextLinguistically) {
  TAnsiStringList list;
  list.SetSorted(true);
  for (const char* s : {"Zebra", "\xC4pfel", "apfel", "Birne", "\xE4pfel"}) list.Add(s);
  // Ignoring case, "\xC4pfel" and "\xE4pfel" are one item; both sort beside "apfel", not after "Z".
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list[0], "apfel");
  EXPECT_EQ(list[1], "\xC4pfel");
  EXPECT_EQ(list[2], "Birne");
  EXPECT_EQ(list[3], "Zebra");
}
