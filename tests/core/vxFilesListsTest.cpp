// Tests of the folder and file lists of TvxFiles on real folder trees.
#include "core/vxFilesLists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/vxFilesDates.h"
#include "platform/base/vxCodePage.h"
#include "platform/files/vxFileSystem.h"
#include "platform/time/vxDateUtils.h"
#include "support/vxTestTempDir.h"

namespace {

namespace stdfs = std::filesystem;

std::vector<ustring> Items(const TStrings& L) {
  std::vector<ustring> v;
  for (int32_t i = 0; i < L.Count(); ++i) v.push_back(L[i]);
  return v;
}

// r/ with a/b/ and c/ (and a hidden folder that lists leave out).
void MakeTree(const TTestTempDir& d) {
  stdfs::create_directories(d.Path() / "r/a/b");
  stdfs::create_directories(d.Path() / "r/c");
  stdfs::create_directories(d.Path() / "r/.h");
}

void SetAge(const ustring& File, double Minutes) {
  ASSERT_TRUE(vxFileSystem::SetFileTimes(
      File, std::nullopt, vxFileSystem::LocalDateTimeToFileTime(vxRuntime::Now() - Minutes / 1440.0)));
}

}  // namespace

TEST(FilesLists, PathListIsDepthFirstAndSubDirsSiblingFirst) {
  TTestTempDir d;
  MakeTree(d);
  const ustring r = d.WideFile("r/");
  TStringList list;
  EXPECT_TRUE(TvxFiles::GetPathList(d.WideFile("r/x.txt"), list, true, true));
  auto items = Items(list);
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0], r);
  // Each folder is followed at once by the folders below it.
  const auto a = std::find(items.begin(), items.end(), r + u"a/");
  ASSERT_NE(a, items.end());
  EXPECT_EQ(*(a + 1), r + u"a/b/");
  EXPECT_NE(std::find(items.begin(), items.end(), r + u"c/"), items.end());
  EXPECT_TRUE(TvxFiles::GetPathList(d.WideFile("r/x.txt"), list, false, true));
  EXPECT_EQ(list.Count(), 4);

  TStringList sub;
  EXPECT_TRUE(TvxFiles::GetSubDirs(r, sub, nullptr, true, false));
  ASSERT_EQ(sub.Count(), 3);
  EXPECT_EQ(sub[2], r + u"a/b/");  // both direct sub-folders come first
  TStringList ignore, some;
  ignore.Add(u"A/B");
  EXPECT_TRUE(TvxFiles::GetSubDirs(r, some, &ignore, true, true));
  EXPECT_EQ(some.Count(), 3);
  TStringList none;
  ignore.Add(u"/R/");
  EXPECT_FALSE(TvxFiles::GetSubDirs(r, none, &ignore, true, true));
  EXPECT_EQ(none.Count(), 0);

  TStringList flat;
  EXPECT_TRUE(TvxFiles::GetFlatPathList(d.WideFile("r"), flat));
  flat.Sort();
  EXPECT_EQ(Items(flat), (std::vector<ustring>{u"a", u"c"}));
  TStringList missing;
  EXPECT_TRUE(TvxFiles::GetPathList(d.WideFile("none/"), missing, false, true));
  EXPECT_EQ(missing.Count(), 0);
}

// A second call with the same list adds nothing, the root included; and
// folders whose names differ only in case are two folders, both listed,
// though the list's own lookup ignores case.
TEST(FilesLists, PathListAddsEachFolderOnce) {
  TTestTempDir d;
  MakeTree(d);
  stdfs::create_directories(d.Path() / "r/A/x");
  const ustring r = d.WideFile("r/");
  TStringList list;
  ASSERT_FALSE(list.CaseSensitive());
  EXPECT_TRUE(TvxFiles::GetPathList(d.WideFile("r/*.pdf"), list, true, true));
  auto items = Items(list);
  std::sort(items.begin(), items.end());
  EXPECT_EQ(items, (std::vector<ustring>{r, r + u"A/", r + u"A/x/", r + u"a/", r + u"a/b/", r + u"c/"}));
  EXPECT_TRUE(TvxFiles::GetPathList(d.WideFile("r/*.pdf"), list, true, true));
  EXPECT_EQ(list.Count(), 6);
  // A folder already listed is not entered: what lies below it stays out.
  TStringList partial;
  partial.Add(r + u"a/");
  TvxFiles::GetPathList(r, partial, false, true);
  items = Items(partial);
  EXPECT_EQ(std::count(items.begin(), items.end(), r + u"a/b/"), 0);
  EXPECT_EQ(partial.Count(), 4);
}

TEST(FilesLists, SymbolicLinkLoopEndsTheWalk) {
  TTestTempDir d;
  MakeTree(d);
  stdfs::create_directory_symlink(d.Path() / "r", d.Path() / "r/a/b/loop");
  TStringList list;
  TvxFiles::GetPathList(d.WideFile("r/"), list, false, true);
  EXPECT_EQ(list.Count(), 3);
  TStringList sub;
  TvxFiles::GetSubDirs(d.WideFile("r/"), sub, nullptr, true, false);
  EXPECT_EQ(sub.Count(), 3);
  EXPECT_TRUE(TvxFiles::DeletePath(d.WideFile("r/a/b/"), false) == false);
}

TEST(FilesLists, DeletePathRemovesOnlyEmptyFolders) {
  TTestTempDir d;
  MakeTree(d);
  stdfs::remove(d.Path() / "r/.h");
  TTestTempDir::WriteBytes(d.File("r/a/b/f.txt"), "f");
  EXPECT_FALSE(TvxFiles::DeletePath(d.WideFile("r/"), true));
  EXPECT_FALSE(stdfs::exists(d.Path() / "r/c"));
  EXPECT_TRUE(stdfs::exists(d.Path() / "r/a/b/f.txt"));
  stdfs::remove(d.Path() / "r/a/b/f.txt");
  EXPECT_TRUE(TvxFiles::DeletePath(d.WideFile("r/"), true));
  EXPECT_FALSE(stdfs::exists(d.Path() / "r"));
}

TEST(FilesLists, DirectoryIsEmptyCountsHiddenFiles) {
  TTestTempDir d;
  stdfs::create_directories(d.Path() / "e");
  EXPECT_TRUE(TvxFiles::DirectoryIsEmpty(d.WideFile("e")));
  EXPECT_TRUE(TvxFiles::DirectoryIsEmpty(d.WideFile("e/")));
  TTestTempDir::WriteBytes(d.File("e/.hidden"), "");
  EXPECT_FALSE(TvxFiles::DirectoryIsEmpty(d.WideFile("e")));
  EXPECT_FALSE(TvxFiles::DeleteDirectoryIsEmpty(d.WideFile("e")));
  EXPECT_FALSE(TvxFiles::DirectoryIsEmpty(d.WideFile("missing")));
  stdfs::remove(d.Path() / "e/.hidden");
  EXPECT_TRUE(TvxFiles::DeleteDirectoryIsEmpty(d.WideFile("e")));
  EXPECT_FALSE(stdfs::exists(d.Path() / "e"));
}

TEST(FilesLists, DeleteFile32ByAgeKeepsExecutables) {
  TTestTempDir d;
  stdfs::create_directories(d.Path() / "log/sub");
  for (const char* n : {"log/old.txt", "log/old.DLL", "log/new.txt", "log/sub/old.txt"}) {
    TTestTempDir::WriteBytes(d.File(n), "x");
    SetAge(d.WideFile(n), std::string(n).find("new") != std::string::npos ? 10 : 2000);
  }
  EXPECT_EQ(TvxFiles::DeleteFile32(d.WideFile("log/*.*"), 1440, false, true), 1);
  EXPECT_TRUE(stdfs::exists(d.Path() / "log/old.DLL"));
  EXPECT_TRUE(stdfs::exists(d.Path() / "log/new.txt"));
  EXPECT_EQ(TvxFiles::DeleteFile32(d.WideFile("log/*.*"), 1440, true, false), 2);
  EXPECT_EQ(TvxFiles::DeleteFile32(d.WideFile("log/*.*"), 0, true, false), 1);
  EXPECT_TRUE(stdfs::exists(d.Path() / "log/sub"));
}

TEST(FilesLists, FileListsByAge) {
  TTestTempDir d;
  stdfs::create_directories(d.Path() / "f");
  const double ages[] = {5, 30, 90, 600, 3000};
  for (int i = 0; i < 5; ++i) {
    const std::string n = "f/" + std::to_string(i) + ".txt";
    TTestTempDir::WriteBytes(d.File(n), "x");
    SetAge(d.WideFile(n), ages[i]);
  }
  const ustring mask = d.WideFile("f/*.txt");
  TStringList l;
  EXPECT_EQ(TvxFiles::GetFileListByFileAgeInMinutes(mask, 0, l, faYounger, 0, 0), 0u);
  EXPECT_TRUE(l.Sorted());
  EXPECT_EQ(TvxFiles::GetFileListByFileAgeInMinutes(mask, 60, l, faYounger, vxFileSystem::faArchive, 0), 2u);
  TStringList older;
  EXPECT_EQ(TvxFiles::GetFileListByFileAgeInMinutes(mask, 60, older, faOlder, vxFileSystem::faArchive, 0), 3u);
  // MaxFiles counts the entries already there: a full list stops at once.
  TStringList full;
  for (const char16_t* z : {u"z0", u"z1", u"z2", u"z3", u"z4"}) full.Add(z);
  EXPECT_EQ(TvxFiles::GetFileListByFileAgeInMinutes(mask, 0, full, faOlder, vxFileSystem::faArchive, 5), 1u);
  TStringList two;
  EXPECT_EQ(TvxFiles::GetFileListByFileAgeInMinutes(mask, 0, two, faOlder, vxFileSystem::faArchive, 2), 2u);
  // A second run counts the files again though the list ignores them.
  EXPECT_EQ(TvxFiles::GetFileListByFileAgeInMinutes(mask, 60, l, faYounger, vxFileSystem::faArchive, 0), 2u);
  EXPECT_EQ(l.Count(), 2);

  TStringList between;
  EXPECT_EQ(TvxFiles::GetFileListByFileAgeBetweenInMinutes(mask, 60, 0, between), 3u);
  TStringList window;
  EXPECT_EQ(TvxFiles::GetFileListByFileAgeBetweenInMinutes(mask, 20, 700, window), 3u);
  TStringList days;
  EXPECT_EQ(TvxFiles::GetFileListBetweenFileAgeInDays(mask, 0, 0, days), 5u);
  TStringList byDate;
  const TDateTime now = vxRuntime::Now();
  EXPECT_EQ(TvxFiles::GetFileListByFileAgeBetweenDate(mask, now - 100.0 / 1440, now, byDate), 3u);
  TStringList inDays;
  EXPECT_EQ(TvxFiles::GetFileListByFileAgeInDays(mask, 0, inDays, faOlder, vxFileSystem::faArchive, 0), 5u);
}

TEST(FilesLists, DaysBecomeMinutesToMidnight) {
  const TDateTime at = vxRuntime::EncodeDateTime(2024, 3, 5, 10, 30, 0, 0);
  EXPECT_EQ(vxFilesLists::DaysToMinutes(0, at), 0u);
  EXPECT_EQ(vxFilesLists::DaysToMinutes(1, at), 630u);
  EXPECT_EQ(vxFilesLists::DaysToMinutes(2, at), 2070u);
}

TEST(FilesLists, FileTypesAgainstAllowedLists) {
  TStringList allowed;
  allowed.Add(u"pdf");
  allowed.Add(u"tif");
  TStringList out;
  EXPECT_TRUE(TvxFiles::GetFilePathesWithTypesInList(u"/in/scan.*", allowed, out, false));
  EXPECT_EQ(Items(out), (std::vector<ustring>{u"/in/scan.pdf", u"/in/scan.tif"}));
  TStringList one, pdfOnly, none;
  pdfOnly.Add(u"pdf");
  EXPECT_TRUE(TvxFiles::GetFilePathesWithTypesInList(u"/in/scan.PDF", pdfOnly, one, false));
  EXPECT_EQ(Items(one), (std::vector<ustring>{u"/in/scan.pdf"}));
  TStringList tif;
  tif.Add(u"tif");
  EXPECT_FALSE(TvxFiles::GetFilePathesWithTypesInList(u"/in/scan.PDF", tif, none, false));

  TStringList dotted, got;
  dotted.Add(u".pdf");
  dotted.Add(u".TIF");
  EXPECT_TRUE(TvxFiles::GetValidFileTypesInList(u"a.tif", dotted, got, false));
  EXPECT_EQ(Items(got), (std::vector<ustring>{u".TIF"}));
  TStringList all;
  EXPECT_TRUE(TvxFiles::GetValidFileTypesInList(u"*", dotted, all, true));
  EXPECT_EQ(all.Count(), 2);
  TStringList nothing;
  EXPECT_FALSE(TvxFiles::GetValidFileTypesInList(u"a.doc", dotted, nothing, true));

  TStringList paths, types;
  paths.Add(u"/a/x.pdf");
  paths.Add(u"/a/y.pdf");
  paths.Add(u"/a/noext");
  types.SetSorted(true);
  EXPECT_EQ(TvxFiles::GetFileTypesFromPathList(paths, types), 2);
}

TEST(FilesLists, FileTypeExists) {
  TTestTempDir d;
  stdfs::create_directories(d.Path() / "in");
  TTestTempDir::WriteBytes(d.File("in/x.tif"), "");
  TStringList patterns;
  EXPECT_FALSE(TvxFiles::FileTypeExists(patterns));
  patterns.Add(d.WideFile("in/*.pdf"));
  EXPECT_FALSE(TvxFiles::FileTypeExists(patterns));
  patterns.Add(d.WideFile("in/*.tif"));
  EXPECT_TRUE(TvxFiles::FileTypeExists(patterns));
  TStringList names;
  names.Add(u"*.pdf");
  EXPECT_FALSE(TvxFiles::FileTypeExists(d.WideFile("in/"), names));
  names.Add(u"*.TIF");
  EXPECT_TRUE(TvxFiles::FileTypeExists(d.WideFile("in/"), names));
}
