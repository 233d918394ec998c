// Tests of platform/files/vxFileSystem.h: the file-system layer: what the file
// operations of the system expect of the platform, on Linux.
#include "platform/files/vxFileSystem.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/vxExceptions.h"
#include "platform/time/vxDateUtils.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"
#include "support/vxTimeZoneGuard.h"

using namespace vxFileSystem;

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
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("plain.txt"), "x");
  TTestTempDir::WriteBytes(dir.File("locked.txt"), "x");
  chmod(dir.File("locked.txt").c_str(), 0444);
  TTestTempDir::WriteBytes(dir.File(".hidden"), "x");
  mkdir(dir.File("sub").c_str(), 0755);
  mkdir(dir.File(".config").c_str(), 0755);
  mkfifo(dir.File("pipe").c_str(), 0644);
  symlink("plain.txt", dir.File("link").c_str());
  symlink("missing.txt", dir.File("dangling").c_str());

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
  for (const Case& c : cases) EXPECT_EQ(FileGetAttr(dir.WideFile(c.name)), c.attr) << c.name;
  EXPECT_EQ(FileGetAttr(dir.WideFile("missing")), faInvalid);
  EXPECT_EQ(FileGetAttr(dir.WideFile("sub/../plain.txt")), faArchive);
  EXPECT_EQ(FileGetAttr(ustring(u"a\0b", 3)), faInvalid);  // a NUL names no file
}

TEST(FileAttributes, ReadOnlyIsTheWriteBits) {
  TTestTempDir dir;
  const std::string file = dir.File("a.txt");
  TTestTempDir::WriteBytes(file, "x");
  chmod(file.c_str(), 0664);
  ASSERT_TRUE(FileSetAttr(dir.WideFile("a.txt"), faReadOnly | faArchive));
  EXPECT_EQ(ModeOf(file), 0444u);
  EXPECT_EQ(FileGetAttr(dir.WideFile("a.txt")), faReadOnly | faArchive);
  ASSERT_TRUE(FileSetAttr(dir.WideFile("a.txt"), faArchive));
  EXPECT_EQ(ModeOf(file), 0644u);
  EXPECT_EQ(FileGetAttr(dir.WideFile("a.txt")), faArchive);
  EXPECT_FALSE(FileSetAttr(dir.WideFile("missing"), faArchive));
  EXPECT_EQ(errno, ENOENT);
}

TEST(FileStatus, SizeKindAndTimes) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("five.bin"), "12345");
  mkdir(dir.File("sub").c_str(), 0755);
  TSearchRec status;
  ASSERT_TRUE(GetFileStatus(dir.WideFile("five.bin"), status));
  EXPECT_EQ(status.Name, u"five.bin");
  EXPECT_EQ(status.Size, 5);
  EXPECT_EQ(status.Attr, faArchive);
  EXPECT_LE(status.CreationTime, status.LastWriteTime);
  ASSERT_TRUE(GetFileStatus(dir.WideFile("sub/"), status));
  EXPECT_EQ(status.Name, u"sub");
  EXPECT_EQ(status.Size, 0);
  EXPECT_EQ(status.Attr, faDirectory);
  EXPECT_FALSE(GetFileStatus(dir.WideFile("missing"), status));

  const TFileTime access{1'000'000'000, 123'456'789};
  const TFileTime write{981'173'106, 789'000'000};
  const TFileTime later{981'173'107, 789'000'000};
  ASSERT_TRUE(SetFileTimes(dir.WideFile("five.bin"), access, write));
  ASSERT_TRUE(GetFileStatus(dir.WideFile("five.bin"), status));
  EXPECT_EQ(status.LastAccessTime, access);
  EXPECT_EQ(status.LastWriteTime, write);
  ASSERT_TRUE(SetFileTimes(dir.WideFile("five.bin"), std::nullopt, later));
  ASSERT_TRUE(GetFileStatus(dir.WideFile("five.bin"), status));
  EXPECT_EQ(status.LastAccessTime, access);
  EXPECT_EQ(status.LastWriteTime, later);
  EXPECT_FALSE(SetFileTimes(dir.WideFile("missing"), access, write));
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
  const TFileTime winter{981'169'506, 789'000'000};
  const TDateTime winterLocal = 36925 + (4 * 3600 + 5 * 60 + 6.789) / 86400;
  EXPECT_NEAR(FileTimeToLocalDateTime(winter), winterLocal, 1e-9);
  EXPECT_EQ(LocalDateTimeToFileTime(winterLocal), winter);
  // 2001-07-01 12:00 local is 10:00 UTC.
  const TFileTime summer{993'981'600, 0};
  EXPECT_NEAR(FileTimeToLocalDateTime(summer), 37073.5, 1e-9);
  EXPECT_EQ(LocalDateTimeToFileTime(37073.5), summer);
  // Rounded to the millisecond, never to 24:00.
  EXPECT_EQ(LocalDateTimeToFileTime(36925.99999999999), LocalDateTimeToFileTime(36926.0));
}

// Dates far from 1970 convert through seconds and nanoseconds: no count of
// nanoseconds overflows before 1677 or after 2262.
TEST(FileStatus, LocalDateTimesFarFrom1970) {
  TTimeZoneGuard zone("UTC");
  struct Case {
    int Year, Month, Day;
    int64_t Seconds;
  } cases[] = {
      {1601, 1, 2, -11'644'387'200}, {1677, 9, 21, -9'223'372'800}, {2262, 4, 12, 9'223'372'800},
      {2300, 1, 1, 10'413'792'000},  {1, 1, 1, -62'135'596'800},     {9999, 12, 31, 253'402'214'400},
  };
  for (const Case& c : cases) {
    const TDateTime local = vxRuntime::EncodeDateTime(c.Year, c.Month, c.Day, 0, 0, 0, 250);
    const TFileTime time = LocalDateTimeToFileTime(local);
    EXPECT_EQ(time, (TFileTime{c.Seconds, 250'000'000})) << c.Year;
    EXPECT_NEAR(FileTimeToLocalDateTime(time), local, 1e-9) << c.Year;
  }
  EXPECT_THROW(FileTimeToLocalDateTime(TFileTime{INT64_MAX, 0}), EConvertError);
}

// Old local mean times have seconds in their offset: both directions use
// them, so a date-time comes back as it went in.
TEST(FileStatus, OffsetsWithSeconds) {
  struct Case {
    const char* Zone;
    int Year;
    int32_t Offset;  // seconds east of UTC
  } cases[] = {{"Europe/Berlin", 1880, 3208}, {"America/St_Johns", 1930, -12652}, {"Europe/Berlin", 2001, 3600}};
  for (const Case& c : cases) {
    TTimeZoneGuard zone(c.Zone);
    const TDateTime local = vxRuntime::EncodeDateTime(c.Year, 1, 15, 7, 8, 9, 123);
    EXPECT_EQ(vxRuntime::UtcOffsetSecondsAt(local), c.Offset) << c.Zone << " " << c.Year;
    const TFileTime time = LocalDateTimeToFileTime(local);
    const TFileTime utc = [&] {
      TTimeZoneGuard inUtc("UTC");
      return LocalDateTimeToFileTime(local);
    }();
    EXPECT_EQ(time.Seconds, utc.Seconds - c.Offset) << c.Zone << " " << c.Year;
    EXPECT_NEAR(FileTimeToLocalDateTime(time), local, 1e-9) << c.Zone << " " << c.Year;
  }
}

// Whether the file system under Path keeps Seconds as the last-write time,
// asked of the system directly; the file's time is put back.
bool HoldsWriteTime(const std::string& path, int64_t seconds) {
  struct stat before {};
  if (stat(path.c_str(), &before) != 0) return false;
  const struct timespec asked[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
  struct stat after {};
  const bool held = utimensat(AT_FDCWD, path.c_str(), asked, 0) == 0 && stat(path.c_str(), &after) == 0 &&
                    after.st_mtim.tv_sec == seconds;
  const struct timespec former[2] = {before.st_atim, before.st_mtim};
  utimensat(AT_FDCWD, path.c_str(), former, 0);
  return held;
}

// A time the file system holds is set and read back whole; one it cannot
// hold (it would keep the end of its range instead) is refused, the file's
// times as they were. On this folder's file system and on /dev/shm (tmpfs,
// which holds any time) alike.
TEST(FileStatus, TimesTheFileSystemCannotHoldAreRefused) {
  TTestTempDir dir;
  std::vector<std::string> folders{dir.Path().string()};
  const std::string shm = "/dev/shm/vxtest-times-" + std::to_string(getpid());
  if (mkdir(shm.c_str(), 0700) == 0) folders.push_back(shm);
  for (const std::string& folder : folders) {
    const std::string file = folder + "/t.txt";
    TTestTempDir::WriteBytes(file, "x");
    const TFileTime start{981'173'106, 0};
    ASSERT_TRUE(SetFileTimes(FromNativePath(file), start, start));
    for (int64_t seconds : {int64_t{-11'644'387'200}, int64_t{10'413'792'000}, int64_t{-2'208'988'800},
                            int64_t{40'000'000'000}}) {
      const TFileTime asked{seconds, 500'000'000};
      const bool holds = HoldsWriteTime(file, seconds);
      errno = 0;
      EXPECT_EQ(SetFileTimes(FromNativePath(file), std::nullopt, asked), holds) << folder << " " << seconds;
      TSearchRec status;
      ASSERT_TRUE(GetFileStatus(FromNativePath(file), status));
      if (holds) {
        EXPECT_EQ(status.LastWriteTime, asked) << folder << " " << seconds;
        ASSERT_TRUE(SetFileTimes(FromNativePath(file), std::nullopt, start));
      } else {
        EXPECT_EQ(errno, EOVERFLOW);
        EXPECT_EQ(status.LastWriteTime, start) << folder << " " << seconds;
        EXPECT_EQ(status.LastAccessTime, start) << folder << " " << seconds;
      }
    }
    unlink(file.c_str());
  }
  rmdir(shm.c_str());
}

TEST(FileExistence, FilesAndFolders) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("a.txt"), "x");
  TTestTempDir::WriteBytes(dir.File(".hidden"), "x");
  mkdir(dir.File("sub").c_str(), 0755);
  symlink("sub", dir.File("sublink").c_str());
  EXPECT_TRUE(FileExists(dir.WideFile("a.txt")));
  EXPECT_TRUE(FileExists(dir.WideFile(".hidden")));
  EXPECT_FALSE(FileExists(dir.WideFile("A.TXT")));  // names are exact
  EXPECT_FALSE(FileExists(dir.WideFile("sub")));
  EXPECT_FALSE(FileExists(dir.WideFile("missing")));
  EXPECT_TRUE(DirectoryExists(dir.WideFile("sub")));
  EXPECT_TRUE(DirectoryExists(dir.WideFile("sublink")));
  EXPECT_TRUE(DirectoryExists(dir.WideFile("")));
  EXPECT_FALSE(DirectoryExists(dir.WideFile("a.txt")));
}

TEST(FileChanges, DeleteKeepsReadOnlyFilesAndFolders) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("a.txt"), "x");
  TTestTempDir::WriteBytes(dir.File("ro.txt"), "x");
  chmod(dir.File("ro.txt").c_str(), 0444);
  mkdir(dir.File("sub").c_str(), 0755);
  symlink("ro.txt", dir.File("link").c_str());

  EXPECT_TRUE(DeleteFile(dir.WideFile("a.txt")));
  EXPECT_FALSE(FileExists(dir.WideFile("a.txt")));
  EXPECT_FALSE(DeleteFile(dir.WideFile("ro.txt")));
  EXPECT_EQ(errno, EACCES);
  EXPECT_TRUE(FileExists(dir.WideFile("ro.txt")));
  EXPECT_TRUE(DeleteFile(dir.WideFile("link")));  // the link goes, its target stays
  EXPECT_TRUE(FileExists(dir.WideFile("ro.txt")));
  EXPECT_FALSE(DeleteFile(dir.WideFile("sub")));
  EXPECT_EQ(errno, EISDIR);
  EXPECT_FALSE(DeleteFile(dir.WideFile("missing")));
  EXPECT_EQ(errno, ENOENT);
  ASSERT_TRUE(FileSetAttr(dir.WideFile("ro.txt"), faArchive));
  EXPECT_TRUE(DeleteFile(dir.WideFile("ro.txt")));
}

TEST(FileChanges, FoldersCreatedAndRemoved) {
  TTestTempDir dir;
  EXPECT_FALSE(CreateDir(dir.WideFile("x/y")));
  EXPECT_TRUE(CreateDir(dir.WideFile("x")));
  EXPECT_FALSE(CreateDir(dir.WideFile("x")));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_TRUE(ForceDirectories(dir.WideFile("p/q/r/")));
  EXPECT_TRUE(DirectoryExists(dir.WideFile("p/q/r")));
  EXPECT_TRUE(ForceDirectories(dir.WideFile("p/q")));  // already there
  TTestTempDir::WriteBytes(dir.File("file"), "x");
  EXPECT_FALSE(ForceDirectories(dir.WideFile("file/sub")));
  EXPECT_FALSE(ForceDirectories(u""));
  EXPECT_FALSE(RemoveDir(dir.WideFile("p")));  // not empty
  EXPECT_TRUE(RemoveDir(dir.WideFile("p/q/r")));
  EXPECT_FALSE(DirectoryExists(dir.WideFile("p/q/r")));
}

TEST(FileChanges, MoveNeverReplaces) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("a.txt"), "first");
  TTestTempDir::WriteBytes(dir.File("b.txt"), "second");
  EXPECT_FALSE(MoveFile(dir.WideFile("a.txt"), dir.WideFile("b.txt")));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("a.txt")), "first");
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("b.txt")), "second");

  mkdir(dir.File("sub").c_str(), 0755);
  EXPECT_TRUE(MoveFile(dir.WideFile("a.txt"), dir.WideFile("sub/c.txt")));
  EXPECT_FALSE(FileExists(dir.WideFile("a.txt")));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("sub/c.txt")), "first");
  EXPECT_TRUE(MoveFile(dir.WideFile("sub"), dir.WideFile("moved")));  // folders move too
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("moved/c.txt")), "first");
  EXPECT_FALSE(MoveFile(dir.WideFile("missing"), dir.WideFile("x")));
  EXPECT_EQ(errno, ENOENT);
}

TEST(FileChanges, MoveAcrossFileSystemsCopiesAndKeepsTime) {
  // /dev/shm is a separate file system on every Linux.
  struct stat tmp {}, shm {};
  TTestTempDir dir;
  if (stat("/dev/shm", &shm) != 0 || stat(dir.Path().c_str(), &tmp) != 0 || tmp.st_dev == shm.st_dev)
    GTEST_SKIP() << "no second file system at hand";
  const std::string target = "/dev/shm/vxtest-move-" + std::to_string(getpid());
  TTestTempDir::WriteBytes(dir.File("a.txt"), "content");
  const TFileTime written{981'173'106, 0};
  ASSERT_TRUE(SetFileTimes(dir.WideFile("a.txt"), std::nullopt, written));
  ASSERT_TRUE(MoveFile(dir.WideFile("a.txt"), FromNativePath(target)));
  EXPECT_FALSE(FileExists(dir.WideFile("a.txt")));
  EXPECT_EQ(TTestTempDir::ReadBytes(target), "content");
  TSearchRec status;
  ASSERT_TRUE(GetFileStatus(FromNativePath(target), status));
  EXPECT_EQ(status.LastWriteTime, written);
  TTestTempDir::WriteBytes(dir.File("b.txt"), "other");
  EXPECT_FALSE(MoveFile(dir.WideFile("b.txt"), FromNativePath(target)));  // never replaces here either
  EXPECT_EQ(TTestTempDir::ReadBytes(target), "content");
  EXPECT_TRUE(FileExists(dir.WideFile("b.txt")));
  unlink(target.c_str());
}

TEST(FileChanges, CopyKeepsLastWriteTimeAndMode) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("src.txt"), "content");
  chmod(dir.File("src.txt").c_str(), 0640);
  const TFileTime written{981'173'106, 789'000'000};
  ASSERT_TRUE(SetFileTimes(dir.WideFile("src.txt"), std::nullopt, written));

  ASSERT_TRUE(CopyFile(dir.WideFile("src.txt"), dir.WideFile("dst.txt"), true));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("dst.txt")), "content");
  EXPECT_EQ(ModeOf(dir.File("dst.txt")), 0640u);
  TSearchRec status;
  ASSERT_TRUE(GetFileStatus(dir.WideFile("dst.txt"), status));
  EXPECT_EQ(status.LastWriteTime, written);
  EXPECT_EQ(dir.Listing(), "dst.txt;src.txt;");
}

TEST(FileChanges, CopyOntoExistingFile) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("src.txt"), "new");
  TTestTempDir::WriteBytes(dir.File("dst.txt"), "old");
  chmod(dir.File("dst.txt").c_str(), 0600);

  EXPECT_FALSE(CopyFile(dir.WideFile("src.txt"), dir.WideFile("dst.txt"), true));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("dst.txt")), "old");
  EXPECT_EQ(dir.Listing(), "dst.txt;src.txt;");

  ASSERT_TRUE(CopyFile(dir.WideFile("src.txt"), dir.WideFile("dst.txt"), false));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("dst.txt")), "new");

  chmod(dir.File("dst.txt").c_str(), 0444);
  TTestTempDir::WriteBytes(dir.File("src.txt"), "newer");
  EXPECT_FALSE(CopyFile(dir.WideFile("src.txt"), dir.WideFile("dst.txt"), false));
  EXPECT_EQ(errno, EACCES);
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("dst.txt")), "new");
  EXPECT_EQ(dir.Listing(), "dst.txt;src.txt;");
}

TEST(FileChanges, FailedCopyLeavesNothing) {
  TTestTempDir dir;
  mkdir(dir.File("folder").c_str(), 0755);
  TTestTempDir::WriteBytes(dir.File("dst.txt"), "old");
  EXPECT_FALSE(CopyFile(dir.WideFile("folder"), dir.WideFile("dst.txt"), false));  // a folder has no content to copy
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("dst.txt")), "old");
  EXPECT_FALSE(CopyFile(dir.WideFile("missing"), dir.WideFile("new.txt"), false));
  EXPECT_FALSE(CopyFile(dir.WideFile("dst.txt"), dir.WideFile("nofolder/new.txt"), false));
  EXPECT_EQ(dir.Listing(), "dst.txt;folder;");
}

TEST(FileSystem, PrivateFoldersFlushAndFreeSpace) {
  TTestTempDir dir;
  {
    const vxTest::TScopedUmask mask(022);
    ASSERT_TRUE(ForceDirectories(dir.WideFile("p/q"), 0700));
  }
  struct stat st {};
  ASSERT_EQ(stat(dir.File("p").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(stat(dir.File("p/q").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(SyncFolder(dir.WideFile("p/q")));
  EXPECT_FALSE(SyncFolder(dir.WideFile("missing")));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_GT(FreeDiskSpace(dir.WideFile("p")), 0);
  EXPECT_EQ(FreeDiskSpace(dir.WideFile("missing")), -1);
}

}  // namespace
