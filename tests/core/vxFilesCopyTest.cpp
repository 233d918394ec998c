// Tests of copy, move and synchronise of TvxFiles on real folder trees.
#include "core/vxFilesCopy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/vxFilesDates.h"
#include "core/vxToolsEvo2.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileSystem.h"
#include "platform/time/vxDateUtils.h"
#include "support/vxTestTempDir.h"

namespace {

namespace stdfs = std::filesystem;

// A source file and a destination in a fresh folder: identical, different
// or absent.
enum class TTarget { Identical, Different, Absent };

struct TFixture {
  TTestTempDir Dir;
  ustring Src, Dst;
  explicit TFixture(TTarget Target) {
    stdfs::create_directories(Dir.Path() / "in");
    stdfs::create_directories(Dir.Path() / "out");
    TTestTempDir::WriteBytes(Dir.File("in/a.txt"), "source");
    if (Target == TTarget::Identical) TTestTempDir::WriteBytes(Dir.File("out/a.txt"), "source");
    if (Target == TTarget::Different) TTestTempDir::WriteBytes(Dir.File("out/a.txt"), "other");
    Src = Dir.WideFile("in/a.txt");
    Dst = Dir.WideFile("out/a.txt");
  }
  std::string Out(const std::string& Name) const { return TTestTempDir::ReadBytes(Dir.File("out/" + Name)); }
  bool Has(const std::string& Name) const { return stdfs::exists(Dir.Path() / Name); }
};

const char* Name(TTarget t) { return t == TTarget::Identical ? "identical" : t == TTarget::Different ? "different" : "absent"; }

}  // namespace

TEST(FilesCopy, PlainCopyKeepsExistingAndFlagsZeroReplaces) {
  TFixture f(TTarget::Different);
  EXPECT_FALSE(TvxFiles::CopyFile32(f.Src, f.Dst));
  EXPECT_EQ(f.Out("a.txt"), "other");
  EXPECT_FALSE(TvxFiles::CopyFile32(f.Src, f.Dst, TvxFiles::COPY_FILE_FAIL_IF_EXISTS));
  EXPECT_TRUE(TvxFiles::CopyFile32(f.Src, f.Dst, 0u));
  EXPECT_EQ(f.Out("a.txt"), "source");
}

// Every mode of CopyFile32 against each kind of target: the result, the
// destination's content, and whether "a-2.txt" was made.
TEST(FilesCopy, CopyFile32ByExistMode) {
  struct Case {
    TvxEXISTS_MODE Mode;
    TTarget Target;
    std::string Content;
    bool Second;
  } cases[] = {
      {IF_SAME_DO_NOTHING, TTarget::Identical, "source", false},
      // Mended: a differing or missing target is copied, not skipped.
      {IF_SAME_DO_NOTHING, TTarget::Different, "source", false},
      {IF_SAME_DO_NOTHING, TTarget::Absent, "source", false},
      {OVERWRITE, TTarget::Identical, "source", false},
      {OVERWRITE, TTarget::Different, "source", false},
      {OVERWRITE, TTarget::Absent, "source", false},
      {UNIQE_FILENAME, TTarget::Identical, "source", true},
      {UNIQE_FILENAME, TTarget::Different, "other", true},
      {UNIQE_FILENAME, TTarget::Absent, "source", false},
      {IF_NOT_SAME_USE_UNIQUE_FILE_NAME, TTarget::Identical, "source", false},
      {IF_NOT_SAME_USE_UNIQUE_FILE_NAME, TTarget::Different, "other", true},
      {IF_NOT_SAME_USE_UNIQUE_FILE_NAME, TTarget::Absent, "source", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Mode) + " " + Name(c.Target));
    TFixture f(c.Target);
    EXPECT_TRUE(TvxFiles::CopyFile32(f.Src, f.Dst, c.Mode));
    EXPECT_EQ(f.Out("a.txt"), c.Content);
    EXPECT_EQ(f.Has("out/a-2.txt"), c.Second);
    if (c.Second) {
      EXPECT_EQ(f.Out("a-2.txt"), "source");
    }
    EXPECT_EQ(TTestTempDir::ReadBytes(f.Dir.File("in/a.txt")), "source");
  }
}

TEST(FilesCopy, StreamCopyFileByExistMode) {
  struct Case {
    TvxEXISTS_MODE Mode;
    TTarget Target;
    std::string Content;
    bool Second;
  } cases[] = {
      {IF_SAME_DO_NOTHING, TTarget::Identical, "source", false},
      {IF_SAME_DO_NOTHING, TTarget::Different, "source", false},
      {IF_SAME_DO_NOTHING, TTarget::Absent, "source", false},
      {OVERWRITE, TTarget::Identical, "source", false},
      {OVERWRITE, TTarget::Different, "source", false},
      {OVERWRITE, TTarget::Absent, "source", false},
      {UNIQE_FILENAME, TTarget::Identical, "source", true},
      {UNIQE_FILENAME, TTarget::Different, "source", false},
      {UNIQE_FILENAME, TTarget::Absent, "source", false},
      // Same name parts: always to a free name.
      {IF_NOT_SAME_USE_UNIQUE_FILE_NAME, TTarget::Identical, "source", true},
      {IF_NOT_SAME_USE_UNIQUE_FILE_NAME, TTarget::Different, "other", true},
      {IF_NOT_SAME_USE_UNIQUE_FILE_NAME, TTarget::Absent, "source", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Mode) + " " + Name(c.Target));
    TFixture f(c.Target);
    EXPECT_TRUE(TvxFiles::StreamCopyFile(f.Src, f.Dst, c.Mode));
    EXPECT_EQ(f.Out("a.txt"), c.Content);
    EXPECT_EQ(f.Has("out/a-2.txt"), c.Second);
  }
  TFixture f(TTarget::Absent);
  EXPECT_FALSE(TvxFiles::StreamCopyFile(f.Dir.WideFile("in/none.txt"), f.Dst, OVERWRITE));
  EXPECT_FALSE(f.Has("out/a.txt"));
}

TEST(FilesCopy, ForceMoveFile32ByExistMode) {
  struct Case {
    TvxEXISTS_MODE Mode;
    TTarget Target;
    const char* Result;  // relative to out/, "" for empty
    std::string Content;  // of out/a.txt afterwards, "-" when absent
    bool SourceStays;
  } cases[] = {
      {IF_SAME_DO_NOTHING, TTarget::Identical, "", "source", true},
      {IF_SAME_DO_NOTHING, TTarget::Different, "a-2.txt", "other", false},
      {IF_SAME_DO_NOTHING, TTarget::Absent, "a.txt", "source", false},
      // Mended: an existing target is replaced.
      {OVERWRITE, TTarget::Identical, "a.txt", "source", false},
      {OVERWRITE, TTarget::Different, "a.txt", "source", false},
      {OVERWRITE, TTarget::Absent, "a.txt", "source", false},
      {UNIQE_FILENAME, TTarget::Identical, "a-2.txt", "source", false},
      {UNIQE_FILENAME, TTarget::Different, "a-2.txt", "other", false},
      {UNIQE_FILENAME, TTarget::Absent, "a.txt", "source", false},
      {IF_NOT_SAME_USE_UNIQUE_FILE_NAME, TTarget::Identical, "a.txt", "source", false},
      {IF_NOT_SAME_USE_UNIQUE_FILE_NAME, TTarget::Different, "a-2.txt", "other", false},
      {IF_NOT_SAME_USE_UNIQUE_FILE_NAME, TTarget::Absent, "a.txt", "source", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Mode) + " " + Name(c.Target));
    TFixture f(c.Target);
    const TDateTime written = vxRuntime::EncodeDateTime(2010, 3, 4, 5, 6, 7, 0);
    ASSERT_TRUE(TvxFiles::SetFileLastWriteDate(f.Src, written));
    const ustring result = TvxFiles::ForceMoveFile32(f.Src, f.Dst, c.Mode);
    EXPECT_EQ(result, *c.Result ? f.Dir.WideFile(std::string("out/") + c.Result) : ustring());
    EXPECT_EQ(f.Out("a.txt"), c.Content);
    EXPECT_EQ(f.Has("in/a.txt"), c.SourceStays);
    if (!result.empty() && c.Target != TTarget::Identical) {
      EXPECT_EQ(TTestTempDir::ReadBytes(WideToUtf8(result)), "source");
      EXPECT_NEAR(TvxFiles::GetFileChangeDate(result), written, 1e-8);
    }
  }
}

TEST(FilesCopy, ForceMoveFailuresReportNothing) {
  TFixture f(TTarget::Absent);
  try {
    TvxFiles::ForceMoveFile32(f.Dir.WideFile("in/none.txt"), f.Dst, OVERWRITE);
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"FileTime Convert Error");
  }
  // Mended: a move that fails (no such destination folder) gives an empty
  // result, not the path it meant.
  EXPECT_EQ(TvxFiles::ForceMoveFile32(f.Src, f.Dir.WideFile("nofolder/a.txt"), UNIQE_FILENAME), u"");
  EXPECT_TRUE(f.Has("in/a.txt"));
  EXPECT_EQ(TvxFiles::MoveAndGetFileWithUniqueFileName(f.Dir.WideFile("in/none"), f.Dst), u"");
}

TEST(FilesCopy, UniqueNamesAndForceMove) {
  TFixture f(TTarget::Different);
  EXPECT_EQ(TvxFiles::MoveAndGetFileWithUniqueFileName(f.Src, f.Dst), f.Dir.WideFile("out/a-2.txt"));
  TTestTempDir::WriteBytes(f.Dir.File("in/b.txt"), "b");
  ASSERT_EQ(chmod(f.Dir.File("in/b.txt").c_str(), 0444), 0);
  EXPECT_TRUE(TvxFiles::ForceMoveFile32(f.Dir.WideFile("in/b.txt"), f.Dst));
  EXPECT_EQ(f.Out("a-3.txt"), "b");
  EXPECT_EQ(vxFileSystem::FileGetAttr(f.Dir.WideFile("out/a-3.txt")) & vxFileSystem::faReadOnly, 0);
  TTestTempDir::WriteBytes(f.Dir.File("in/c.txt"), "c");
  EXPECT_TRUE(TvxFiles::CopyFileWithUniqueFileName(f.Dir.WideFile("in/c.txt"), f.Dst));
  EXPECT_EQ(f.Out("a-4.txt"), "c");
  EXPECT_FALSE(TvxFiles::MoveFile32(f.Dir.WideFile("in/c.txt"), f.Dst));
  EXPECT_EQ(f.Out("a.txt"), "other");
}

TEST(FilesCopy, KeepingPathRebuildsTheFolders) {
  TFixture f(TTarget::Absent);
  const ustring bk = f.Dir.WideFile("bk") + u"//";
  EXPECT_TRUE(TvxFiles::CopyFileKeepingPath32(f.Src, bk, false, OVERWRITE));
  const std::string kept = f.Dir.File("bk") + f.Dir.File("in/a.txt");
  EXPECT_EQ(TTestTempDir::ReadBytes(kept), "source");
  EXPECT_TRUE(TvxFiles::StreamCopyFileKeepingPath(f.Src, f.Dir.WideFile("bk2/"), false, OVERWRITE));
  EXPECT_EQ(TTestTempDir::ReadBytes(f.Dir.File("bk2") + f.Dir.File("in/a.txt")), "source");
  const ustring deep = f.Dir.WideFile(std::string(260, 'x') + "/");
  try {
    TvxFiles::CopyFileKeepingPath32(f.Src, deep, true, OVERWRITE);
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"destination path to long");
  }
  EXPECT_THROW(TvxFiles::StreamCopyFileKeepingPath(f.Src, deep, true, OVERWRITE), Exception);
  // Without the error, the long target is tried; a name part over the
  // file system's limit fails quietly.
  EXPECT_FALSE(TvxFiles::CopyFileKeepingPath32(f.Src, deep, false, OVERWRITE));
}

TEST(FilesCopy, TreeMoveRemovesEmptiedSourceFolders) {
  TTestTempDir d;
  stdfs::create_directories(d.Path() / "in/a/b");
  stdfs::create_directories(d.Path() / "in/c");
  TTestTempDir::WriteBytes(d.File("in/1.txt"), "1");
  TTestTempDir::WriteBytes(d.File("in/a/b/2.txt"), "2");
  TTestTempDir::WriteBytes(d.File("in/c/.hidden"), "h");
  EXPECT_EQ(TvxFiles::MoveFile32(d.WideFile("in/*.*"), d.WideFile("out/"), true, false, true), 2);
  EXPECT_EQ(TTestTempDir::ReadBytes(d.File("out/a/b/2.txt")), "2");
  // The hidden file was left, so its folder and the root stay.
  EXPECT_TRUE(stdfs::exists(d.Path() / "in/c/.hidden"));
  EXPECT_FALSE(stdfs::exists(d.Path() / "in/a"));
  EXPECT_EQ(TvxFiles::MoveFile32(d.WideFile("in/*.*"), d.WideFile("out/"), true, true, true), 1);
  EXPECT_FALSE(stdfs::exists(d.Path() / "in"));
  EXPECT_EQ(TTestTempDir::ReadBytes(d.File("out/c/.hidden")), "h");
}

TEST(FilesCopy, TreeCopyReplacesAndKeepsTimes) {
  TTestTempDir d;
  stdfs::create_directories(d.Path() / "in/a");
  stdfs::create_directories(d.Path() / "out");
  TTestTempDir::WriteBytes(d.File("in/a/x.txt"), "new");
  TTestTempDir::WriteBytes(d.File("in/y.pdf"), "pdf");
  stdfs::create_directories(d.Path() / "out/a");
  TTestTempDir::WriteBytes(d.File("out/a/x.txt"), "old");
  ASSERT_TRUE(TvxFiles::SetFileDate(d.WideFile("in/a/x.txt"), vxRuntime::EncodeDate(2011, 1, 1)));
  EXPECT_EQ(TvxFiles::CopyFile32(d.WideFile("in/*.txt"), d.WideFile("out/"), true), 1);
  EXPECT_EQ(TTestTempDir::ReadBytes(d.File("out/a/x.txt")), "new");
  EXPECT_FALSE(stdfs::exists(d.Path() / "out/y.pdf"));
  EXPECT_DOUBLE_EQ(TvxFiles::GetFileDateTime(d.WideFile("out/a/x.txt")), vxRuntime::EncodeDate(2011, 1, 1));
  EXPECT_EQ(TvxFiles::CopyFile32(d.WideFile("in/*.*"), d.WideFile("out/"), false), 1);
  EXPECT_TRUE(stdfs::exists(d.Path() / "out/y.pdf"));
}

TEST(FilesCopy, SyncIsIdempotentAndFollowsDeletions) {
  TTestTempDir d;
  stdfs::create_directories(d.Path() / "src/sub/deep");
  stdfs::create_directories(d.Path() / "src/skip");
  TTestTempDir::WriteBytes(d.File("src/1.txt"), "1");
  TTestTempDir::WriteBytes(d.File("src/sub/2.txt"), "2");
  TTestTempDir::WriteBytes(d.File("src/sub/deep/3.txt"), "3");
  TTestTempDir::WriteBytes(d.File("src/skip/4.txt"), "4");
  const ustring src = d.WideFile("src/*.*"), dst = d.WideFile("dst");
  TStringList exclude;
  exclude.Add(d.WideFile("src/skip/"));
  EXPECT_EQ(TvxFiles::SyncCopyFile32(src, dst, true, false, true, &exclude), 3);
  EXPECT_EQ(exclude[0], UpperStrW(d.WideFile("src/skip/")));
  EXPECT_FALSE(stdfs::exists(d.Path() / "dst/skip/4.txt"));
  EXPECT_EQ(TTestTempDir::ReadBytes(d.File("dst/sub/deep/3.txt")), "3");
  EXPECT_EQ(TvxFiles::SyncCopyFile32(src, dst, true, false, true, nullptr), 1);  // the excluded one now
  EXPECT_EQ(TvxFiles::SyncCopyFile32(src, dst, true, false, true, nullptr), 0);
  // A changed size is copied again, OverWrite copies all.
  TTestTempDir::WriteBytes(d.File("src/1.txt"), "one");
  EXPECT_EQ(TvxFiles::SyncCopyFile32(src, dst, true, false, true, nullptr), 1);
  EXPECT_EQ(TvxFiles::SyncCopyFile32(src, dst, true, true, true, nullptr), 4);
  // Deletions in the source reach the destination, folders included.
  stdfs::remove_all(d.Path() / "src/sub/deep");
  stdfs::remove(d.Path() / "src/1.txt");
  EXPECT_EQ(TvxFiles::SyncCopyFile32(src, dst, true, false, true, nullptr), 0);
  EXPECT_FALSE(stdfs::exists(d.Path() / "dst/1.txt"));
  EXPECT_FALSE(stdfs::exists(d.Path() / "dst/sub/deep"));
  EXPECT_TRUE(stdfs::exists(d.Path() / "dst/sub/2.txt"));
}

TEST(FilesCopy, SyncRaisesWhenAsked) {
  TTestTempDir d;
  stdfs::create_directories(d.Path() / "src");
  stdfs::create_directories(d.Path() / "dst");
  TTestTempDir::WriteBytes(d.File("src/a.txt"), "new");
  TTestTempDir::WriteBytes(d.File("dst/a.txt"), "old content");
  ASSERT_EQ(chmod(d.File("dst/a.txt").c_str(), 0444), 0);
  EXPECT_EQ(TvxFiles::SyncCopyFile32(d.WideFile("src/*.*"), d.WideFile("dst"), false, false, false, nullptr), 0);
  try {
    TvxFiles::SyncCopyFile32(d.WideFile("src/*.*"), d.WideFile("dst"), false, false, true, nullptr);
    ADD_FAILURE();
  } catch (const Exception& e) {
    const ustring start = u"copy file " + d.WideFile("src/a.txt") + u" to " + d.WideFile("dst/a.txt") + u" failed (";
    EXPECT_EQ(e.Message().substr(0, start.size()), start);
  }
  EXPECT_EQ(TTestTempDir::ReadBytes(d.File("dst/a.txt")), "old content");
}

TEST(FilesCopy, SymbolicLinkLoopsAndLinksOutOfTheTreeAreNotFollowed) {
  TTestTempDir d;
  stdfs::create_directories(d.Path() / "in/a");
  stdfs::create_directories(d.Path() / "outside");
  TTestTempDir::WriteBytes(d.File("in/a/x.txt"), "x");
  TTestTempDir::WriteBytes(d.File("outside/secret.txt"), "s");
  stdfs::create_directory_symlink(d.Path() / "in", d.Path() / "in/a/loop");
  stdfs::create_directory_symlink(d.Path() / "outside", d.Path() / "in/out");
  stdfs::create_symlink(d.Path() / "outside/secret.txt", d.Path() / "in/link.txt");
  EXPECT_EQ(TvxFiles::CopyFile32(d.WideFile("in/*.*"), d.WideFile("copy/"), true), 1);
  EXPECT_FALSE(stdfs::exists(d.Path() / "copy/out"));
  EXPECT_FALSE(stdfs::exists(d.Path() / "copy/link.txt"));
  EXPECT_EQ(TvxFiles::SyncCopyFile32(d.WideFile("in/*.*"), d.WideFile("sync"), true, false, true, nullptr), 1);
  EXPECT_TRUE(stdfs::exists(d.Path() / "outside/secret.txt"));
}

TEST(FilesCopy, DateTransfers) {
  TFixture f(TTarget::Different);
  const TDateTime t = vxRuntime::EncodeDateTime(2005, 6, 7, 8, 9, 10, 0);
  ASSERT_TRUE(TvxFiles::SetFileLastWriteDate(f.Src, t));
  EXPECT_TRUE(TvxFiles::CopyFileAllDateAttribute(f.Src, f.Dst));
  EXPECT_NEAR(TvxFiles::GetFileChangeDate(f.Dst), t, 1e-8);
  EXPECT_TRUE(TvxFiles::CopyFileDateAttribute(f.Src, f.Dst));
  EXPECT_NEAR(TvxFiles::GetFileDateTime(f.Dst), TvxFiles::GetCreationTimeOfFile(f.Src), 2.0 / 86400);
  EXPECT_TRUE(TvxFiles::CopyFileDateAttribute(f.Dir.WideFile("none"), f.Dst));
  EXPECT_FALSE(TvxFiles::CopyFileAllDateAttribute(f.Dir.WideFile("none"), f.Dst));
}
