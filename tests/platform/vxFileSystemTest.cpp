#include "platform/vxFileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "support/vxTestFiles.h"

using namespace vxFileSystem;
using vxTest::ReadFile;
using vxTest::TTempFolder;
using vxTest::WriteFile;

namespace {

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

TEST(FilePaths, PathTexts) {
  struct Case {
    ustring path, filePath, fileName, fileExt;
  };
  const Case cases[] = {
      {u"/data/scan.2024.pdf", u"/data/", u"scan.2024.pdf", u".pdf"},
      {u"/a.b/file", u"/a.b/", u"file", u""},
      {u"/home/.profile", u"/home/", u".profile", u".profile"},
      {u"name", u"", u"name", u""},
      {u"/data/", u"/data/", u"", u""},
      {u"C:\\data\\x.txt", u"", u"C:\\data\\x.txt", u".txt"},  // "\" and ":" are plain characters here
      {u"", u"", u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.path), c.filePath);
    EXPECT_EQ(ExtractFileName(c.path), c.fileName);
    EXPECT_EQ(ExtractFileExt(c.path), c.fileExt);
  }
}

TEST(FilePaths, DelimitersAndExtensionChange) {
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"/a"), u"/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"/a/"), u"/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u""), u"");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"/a//"), u"/a/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"/a"), u"/a");
  EXPECT_EQ(ChangeFileExt(u"/d/report.txt", u".pdf"), u"/d/report.pdf");
  EXPECT_EQ(ChangeFileExt(u"/d.x/report", u".pdf"), u"/d.x/report.pdf");
  EXPECT_EQ(ChangeFileExt(u"/d/a.tar.gz", u""), u"/d/a.tar");
  EXPECT_EQ(NativePath(u"/tmp/\u00c4rger \u20ac"), "/tmp/\xc3\x84rger \xe2\x82\xac");
  EXPECT_EQ(FromNativePath("/tmp/\xc3\x84rger"), u"/tmp/\u00c4rger");
}

TEST(FileAttributes, FromModesNamesAndKinds) {
  TTempFolder dir;
  WriteFile(dir.Native("plain.txt"), "x");
  WriteFile(dir.Native("locked.txt"), "x");
  chmod(dir.Native("locked.txt").c_str(), 0444);
  WriteFile(dir.Native(".hidden"), "x");
  mkdir(dir.Native("sub").c_str(), 0755);
  mkdir(dir.Native(".config").c_str(), 0755);
  mkfifo(dir.Native("pipe").c_str(), 0644);
  symlink("plain.txt", dir.Native("link").c_str());
  symlink("missing.txt", dir.Native("dangling").c_str());

  struct Case {
    const char* name;
    int32_t attr;
  };
  const Case cases[] = {
      {"plain.txt", faArchive},
      {"locked.txt", faArchive | faReadOnly},
      {".hidden", faArchive | faHidden},
      {"sub", faDirectory},
      {".config", faDirectory | faHidden},
      {"pipe", faSysFile},
      {"link", faArchive | faSymLink},
      {"dangling", faSysFile | faSymLink},
  };
  for (const Case& c : cases) EXPECT_EQ(FileGetAttr(dir.Path(c.name)), c.attr) << c.name;
  EXPECT_EQ(FileGetAttr(dir.Path("missing")), faInvalid);
  EXPECT_EQ(FileGetAttr(dir.Path("sub/../plain.txt")), faArchive);
  EXPECT_EQ(FileGetAttr(ustring(u"a\0b", 3)), faInvalid);  // a NUL names no file
}

TEST(FileAttributes, ReadOnlyIsTheWriteBits) {
  TTempFolder dir;
  const std::string file = dir.Native("a.txt");
  WriteFile(file, "x");
  chmod(file.c_str(), 0664);
  ASSERT_TRUE(FileSetAttr(dir.Path("a.txt"), faReadOnly | faArchive));
  EXPECT_EQ(ModeOf(file), 0444u);
  EXPECT_EQ(FileGetAttr(dir.Path("a.txt")), faReadOnly | faArchive);
  ASSERT_TRUE(FileSetAttr(dir.Path("a.txt"), faArchive));
  EXPECT_EQ(ModeOf(file), 0644u);
  EXPECT_EQ(FileGetAttr(dir.Path("a.txt")), faArchive);
  EXPECT_FALSE(FileSetAttr(dir.Path("missing"), faArchive));
  EXPECT_EQ(errno, ENOENT);
}

TEST(FileStatus, SizeKindAndTimes) {
  TTempFolder dir;
  WriteFile(dir.Native("five.bin"), "12345");
  mkdir(dir.Native("sub").c_str(), 0755);
  TSearchRec status;
  ASSERT_TRUE(GetFileStatus(dir.Path("five.bin"), status));
  EXPECT_EQ(status.Name, u"five.bin");
  EXPECT_EQ(status.Size, 5);
  EXPECT_EQ(status.Attr, faArchive);
  EXPECT_LE(status.CreationTime, status.LastWriteTime);
  ASSERT_TRUE(GetFileStatus(dir.Path("sub/"), status));
  EXPECT_EQ(status.Name, u"sub");
  EXPECT_EQ(status.Size, 0);
  EXPECT_EQ(status.Attr, faDirectory);
  EXPECT_FALSE(GetFileStatus(dir.Path("missing"), status));

  const TFileTime access = 1'000'000'000LL * 1'000'000'000 + 123'456'789;
  const TFileTime write = 981'173'106LL * 1'000'000'000 + 789'000'000;
  ASSERT_TRUE(SetFileTimes(dir.Path("five.bin"), access, write));
  ASSERT_TRUE(GetFileStatus(dir.Path("five.bin"), status));
  EXPECT_EQ(status.LastAccessTime, access);
  EXPECT_EQ(status.LastWriteTime, write);
  ASSERT_TRUE(SetFileTimes(dir.Path("five.bin"), std::nullopt, write + 1'000'000'000));
  ASSERT_TRUE(GetFileStatus(dir.Path("five.bin"), status));
  EXPECT_EQ(status.LastAccessTime, access);
  EXPECT_EQ(status.LastWriteTime, write + 1'000'000'000);
  EXPECT_FALSE(SetFileTimes(dir.Path("missing"), access, write));
}

// Central European time without the zone database (UTC+1, summer UTC+2)
// for one test.
class TCentralEuropeanTime {
 public:
  TCentralEuropeanTime() { tzset(); }
  ~TCentralEuropeanTime() {
    FZone.reset();
    tzset();
  }

 private:
  std::optional<vxTest::TScopedEnv> FZone{std::in_place, "TZ", "CET-1CEST,M3.5.0,M10.5.0/3"};
};

TEST(FileStatus, LocalDateTimes) {
  TCentralEuropeanTime zone;
  // 2001-02-03 04:05:06.789 local is 03:05:06.789 UTC.
  const TFileTime winter = 981'169'506'789'000'000LL;
  const TDateTime winterLocal = 36925 + (4 * 3600 + 5 * 60 + 6.789) / 86400;
  EXPECT_NEAR(FileTimeToLocalDateTime(winter), winterLocal, 1e-9);
  EXPECT_EQ(LocalDateTimeToFileTime(winterLocal), winter);
  // 2001-07-01 12:00 local is 10:00 UTC.
  const TFileTime summer = 993'981'600LL * 1'000'000'000;
  EXPECT_NEAR(FileTimeToLocalDateTime(summer), 37073.5, 1e-9);
  EXPECT_EQ(LocalDateTimeToFileTime(37073.5), summer);
  // Rounded to the millisecond, never to 24:00.
  EXPECT_EQ(LocalDateTimeToFileTime(36925.99999999999), LocalDateTimeToFileTime(36926.0));
}

TEST(FileExistence, FilesAndFolders) {
  TTempFolder dir;
  WriteFile(dir.Native("a.txt"), "x");
  WriteFile(dir.Native(".hidden"), "x");
  mkdir(dir.Native("sub").c_str(), 0755);
  symlink("sub", dir.Native("sublink").c_str());
  EXPECT_TRUE(FileExists(dir.Path("a.txt")));
  EXPECT_TRUE(FileExists(dir.Path(".hidden")));
  EXPECT_FALSE(FileExists(dir.Path("A.TXT")));  // names are exact
  EXPECT_FALSE(FileExists(dir.Path("sub")));
  EXPECT_FALSE(FileExists(dir.Path("missing")));
  EXPECT_TRUE(DirectoryExists(dir.Path("sub")));
  EXPECT_TRUE(DirectoryExists(dir.Path("sublink")));
  EXPECT_TRUE(DirectoryExists(dir.Path()));
  EXPECT_FALSE(DirectoryExists(dir.Path("a.txt")));
}

TEST(FileChanges, DeleteKeepsReadOnlyFilesAndFolders) {
  TTempFolder dir;
  WriteFile(dir.Native("a.txt"), "x");
  WriteFile(dir.Native("ro.txt"), "x");
  chmod(dir.Native("ro.txt").c_str(), 0444);
  mkdir(dir.Native("sub").c_str(), 0755);
  symlink("ro.txt", dir.Native("link").c_str());

  EXPECT_TRUE(DeleteFile(dir.Path("a.txt")));
  EXPECT_FALSE(FileExists(dir.Path("a.txt")));
  EXPECT_FALSE(DeleteFile(dir.Path("ro.txt")));
  EXPECT_EQ(errno, EACCES);
  EXPECT_TRUE(FileExists(dir.Path("ro.txt")));
  EXPECT_TRUE(DeleteFile(dir.Path("link")));  // the link goes, its target stays
  EXPECT_TRUE(FileExists(dir.Path("ro.txt")));
  EXPECT_FALSE(DeleteFile(dir.Path("sub")));
  EXPECT_EQ(errno, EISDIR);
  EXPECT_FALSE(DeleteFile(dir.Path("missing")));
  EXPECT_EQ(errno, ENOENT);
  ASSERT_TRUE(FileSetAttr(dir.Path("ro.txt"), faArchive));
  EXPECT_TRUE(DeleteFile(dir.Path("ro.txt")));
}

TEST(FileChanges, FoldersCreatedAndRemoved) {
  TTempFolder dir;
  EXPECT_FALSE(CreateDir(dir.Path("x/y")));
  EXPECT_TRUE(CreateDir(dir.Path("x")));
  EXPECT_FALSE(CreateDir(dir.Path("x")));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_TRUE(ForceDirectories(dir.Path("p/q/r/")));
  EXPECT_TRUE(DirectoryExists(dir.Path("p/q/r")));
  EXPECT_TRUE(ForceDirectories(dir.Path("p/q")));  // already there
  WriteFile(dir.Native("file"), "x");
  EXPECT_FALSE(ForceDirectories(dir.Path("file/sub")));
  EXPECT_FALSE(ForceDirectories(u""));
  EXPECT_FALSE(RemoveDir(dir.Path("p")));  // not empty
  EXPECT_TRUE(RemoveDir(dir.Path("p/q/r")));
  EXPECT_FALSE(DirectoryExists(dir.Path("p/q/r")));
}

TEST(FileChanges, MoveNeverReplaces) {
  TTempFolder dir;
  WriteFile(dir.Native("a.txt"), "first");
  WriteFile(dir.Native("b.txt"), "second");
  EXPECT_FALSE(MoveFile(dir.Path("a.txt"), dir.Path("b.txt")));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(ReadFile(dir.Native("a.txt")), "first");
  EXPECT_EQ(ReadFile(dir.Native("b.txt")), "second");

  mkdir(dir.Native("sub").c_str(), 0755);
  EXPECT_TRUE(MoveFile(dir.Path("a.txt"), dir.Path("sub/c.txt")));
  EXPECT_FALSE(FileExists(dir.Path("a.txt")));
  EXPECT_EQ(ReadFile(dir.Native("sub/c.txt")), "first");
  EXPECT_TRUE(MoveFile(dir.Path("sub"), dir.Path("moved")));  // folders move too
  EXPECT_EQ(ReadFile(dir.Native("moved/c.txt")), "first");
  EXPECT_FALSE(MoveFile(dir.Path("missing"), dir.Path("x")));
  EXPECT_EQ(errno, ENOENT);
}

TEST(FileChanges, MoveAcrossFileSystemsCopiesAndKeepsTime) {
  // /dev/shm is a separate file system on every Linux.
  struct stat tmp {}, shm {};
  TTempFolder dir;
  if (stat("/dev/shm", &shm) != 0 || stat(dir.Native().c_str(), &tmp) != 0 || tmp.st_dev == shm.st_dev)
    GTEST_SKIP() << "no second file system at hand";
  const std::string target = "/dev/shm/vxtest-move-" + std::to_string(getpid());
  WriteFile(dir.Native("a.txt"), "content");
  const TFileTime written = 981'173'106LL * 1'000'000'000;
  ASSERT_TRUE(SetFileTimes(dir.Path("a.txt"), std::nullopt, written));
  ASSERT_TRUE(MoveFile(dir.Path("a.txt"), FromNativePath(target)));
  EXPECT_FALSE(FileExists(dir.Path("a.txt")));
  EXPECT_EQ(ReadFile(target), "content");
  TSearchRec status;
  ASSERT_TRUE(GetFileStatus(FromNativePath(target), status));
  EXPECT_EQ(status.LastWriteTime, written);
  WriteFile(dir.Native("b.txt"), "other");
  EXPECT_FALSE(MoveFile(dir.Path("b.txt"), FromNativePath(target)));  // never replaces here either
  EXPECT_EQ(ReadFile(target), "content");
  EXPECT_TRUE(FileExists(dir.Path("b.txt")));
  unlink(target.c_str());
}

TEST(FileChanges, CopyKeepsLastWriteTimeAndMode) {
  TTempFolder dir;
  WriteFile(dir.Native("src.txt"), "content");
  chmod(dir.Native("src.txt").c_str(), 0640);
  const TFileTime written = 981'173'106LL * 1'000'000'000 + 789'000'000;
  ASSERT_TRUE(SetFileTimes(dir.Path("src.txt"), std::nullopt, written));

  ASSERT_TRUE(CopyFile(dir.Path("src.txt"), dir.Path("dst.txt"), true));
  EXPECT_EQ(ReadFile(dir.Native("dst.txt")), "content");
  EXPECT_EQ(ModeOf(dir.Native("dst.txt")), 0640u);
  TSearchRec status;
  ASSERT_TRUE(GetFileStatus(dir.Path("dst.txt"), status));
  EXPECT_EQ(status.LastWriteTime, written);
  EXPECT_EQ(vxTest::Listing(dir.Native()), (std::vector<std::string>{"dst.txt", "src.txt"}));
}

TEST(FileChanges, CopyOntoExistingFile) {
  TTempFolder dir;
  WriteFile(dir.Native("src.txt"), "new");
  WriteFile(dir.Native("dst.txt"), "old");
  chmod(dir.Native("dst.txt").c_str(), 0600);

  EXPECT_FALSE(CopyFile(dir.Path("src.txt"), dir.Path("dst.txt"), true));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(ReadFile(dir.Native("dst.txt")), "old");
  EXPECT_EQ(vxTest::Listing(dir.Native()), (std::vector<std::string>{"dst.txt", "src.txt"}));

  ASSERT_TRUE(CopyFile(dir.Path("src.txt"), dir.Path("dst.txt"), false));
  EXPECT_EQ(ReadFile(dir.Native("dst.txt")), "new");

  chmod(dir.Native("dst.txt").c_str(), 0444);
  WriteFile(dir.Native("src.txt"), "newer");
  EXPECT_FALSE(CopyFile(dir.Path("src.txt"), dir.Path("dst.txt"), false));
  EXPECT_EQ(errno, EACCES);
  EXPECT_EQ(ReadFile(dir.Native("dst.txt")), "new");
  EXPECT_EQ(vxTest::Listing(dir.Native()), (std::vector<std::string>{"dst.txt", "src.txt"}));
}

TEST(FileChanges, FailedCopyLeavesNothing) {
  TTempFolder dir;
  mkdir(dir.Native("folder").c_str(), 0755);
  WriteFile(dir.Native("dst.txt"), "old");
  EXPECT_FALSE(CopyFile(dir.Path("folder"), dir.Path("dst.txt"), false));  // a folder has no content to copy
  EXPECT_EQ(ReadFile(dir.Native("dst.txt")), "old");
  EXPECT_FALSE(CopyFile(dir.Path("missing"), dir.Path("new.txt"), false));
  EXPECT_FALSE(CopyFile(dir.Path("dst.txt"), dir.Path("nofolder/new.txt"), false));
  EXPECT_EQ(vxTest::Listing(dir.Native()), (std::vector<std::string>{"dst.txt", "folder"}));
}

}  // namespace
