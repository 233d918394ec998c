// Tests of core/vxFilesContent.h: TvxFiles: a file as one block of bytes.
#include "core/vxFilesContent.h"
#include "core/internal/vxFilesWipe.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <string>

#include "core/vxFilesPaths.h"
#include "core/vxMD5.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileHandle.h"
#include "platform/files/vxStream.h"
#include "support/vxChildProcess.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

// The message of the Exception that Call raises; empty when none.
template <class F>
ustring RaisedMessage(F&& call) {
  try {
    call();
  } catch (const Exception& e) {
    return e.Message();
  }
  return {};
}

// Every byte value, twice, and a few more: no code page may touch them.
std::string AllBytes() {
  std::string bytes;
  for (int round = 0; round < 2; ++round)
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes + std::string("\r\n\0end", 6);
}

bool IsReadOnly(const std::string& file) {
  struct stat st {};
  return stat(file.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

// Another process holds the file with an exclusive lock until Release.
class THeldElsewhere {
 public:
  explicit THeldElsewhere(const ustring& file)
      : FChild([this, file] {
          FHandle = vxFileSystem::TFileHandle::Open(file, fmOpenReadWrite | fmShareExclusive);
          return FHandle.Valid();
        }) {}
  bool Taken() { return FChild.Taken(); }
  void Release() { FChild.Release(); }

 private:
  vxFileSystem::TFileHandle FHandle;
  vxTest::TChildHolding FChild;
};

// ---- Load ----

TEST(FilesLoad, WholeFilesByteForByte) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("all.bin"), AllBytes());
  TTestTempDir::WriteBytes(dir.File("empty.bin"), "");
  std::string data = "old";
  EXPECT_TRUE(TvxFiles::LoadFileToString(dir.WideFile("all.bin"), data));
  EXPECT_EQ(data, AllBytes());
  EXPECT_TRUE(TvxFiles::LoadFileToString(dir.WideFile("empty.bin"), data));
  EXPECT_EQ(data, "");
  EXPECT_TRUE(TvxFiles::LoadFileToString(dir.WideFile("all.bin"), data, uint16_t{fmOpenRead | fmShareDenyNone}));
  EXPECT_EQ(data, AllBytes());
}

TEST(FilesLoad, MaxSizeReadsTheStart) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("ten.txt"), "0123456789");
  const ustring file = dir.WideFile("ten.txt");
  struct Case {
    int64_t maxSize;
    const char* expected;
  };
  const Case cases[] = {{4, "0123"}, {100, "0123456789"}, {10, "0123456789"}, {0, ""}};
  for (const Case& c : cases) {
    std::string data = "old";
    EXPECT_TRUE(TvxFiles::LoadFileToString(file, data, c.maxSize)) << c.maxSize;
    EXPECT_EQ(data, c.expected) << c.maxSize;
  }
  std::string data = "old";
  EXPECT_FALSE(TvxFiles::LoadFileToString(file, data, int64_t{-1}));
  EXPECT_EQ(data, "old");
}

TEST(FilesLoad, FailuresLeaveDataAsItWas) {
  TTestTempDir dir;
  std::filesystem::create_directories(dir.File("folder"));
  TTestTempDir::WriteBytes(dir.File("held.txt"), "content");
  std::string data = "old";
  EXPECT_FALSE(TvxFiles::LoadFileToString(dir.WideFile("missing.txt"), data));
  EXPECT_FALSE(TvxFiles::LoadFileToString(dir.WideFile("folder"), data));
  THeldElsewhere held(dir.WideFile("held.txt"));
  ASSERT_TRUE(held.Taken());
  EXPECT_FALSE(TvxFiles::LoadFileToString(dir.WideFile("held.txt"), data));
  EXPECT_EQ(data, "old");
  held.Release();
  EXPECT_TRUE(TvxFiles::LoadFileToString(dir.WideFile("held.txt"), data));
  EXPECT_EQ(data, "content");
}

// ---- Save ----

TEST(FilesSave, CreateReplaceAndAppend) {
  TTestTempDir dir;
  const ustring file = dir.WideFile("out.bin");
  EXPECT_TRUE(TvxFiles::SaveStringToFile(file, AllBytes(), false, false, ""));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("out.bin")), AllBytes());
  EXPECT_TRUE(TvxFiles::SaveStringToFile(file, "new", false, false, ""));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("out.bin")), "new");
  EXPECT_TRUE(TvxFiles::SaveStringToFile(file, " more", true, false, ""));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("out.bin")), "new more");
  EXPECT_TRUE(TvxFiles::SaveStringToFile(file, "", false, false, ""));
  EXPECT_TRUE(std::filesystem::exists(dir.File("out.bin")));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("out.bin")), "");
  // Appending to nothing creates the file.
  EXPECT_TRUE(TvxFiles::SaveStringToFile(dir.WideFile("log.txt"), "first", true, false, ""));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("log.txt")), "first");
  EXPECT_EQ(dir.Listing(), "log.txt;out.bin;");
}

TEST(FilesSave, AppendingToAHiddenFileKeepsItsContent) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File(".history"), "one\n");
  EXPECT_TRUE(TvxFiles::SaveStringToFile(dir.WideFile(".history"), "two\n", true, false, ""));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File(".history")), "one\ntwo\n");
}

TEST(FilesSave, ReplacedPermissionsStay) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("private.txt"), "old");
  chmod(dir.File("private.txt").c_str(), 0600);
  EXPECT_TRUE(TvxFiles::SaveStringToFile(dir.WideFile("private.txt"), "new", false, false, ""));
  struct stat st {};
  ASSERT_EQ(stat(dir.File("private.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(FilesSave, Md5CheckWantsTheUpperCaseDigest) {
  TTestTempDir dir;
  const ustring file = dir.WideFile("checked.txt");
  const std::string digest = TvxMD5::GetMD5FromString("abc");
  EXPECT_EQ(digest, "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_TRUE(TvxFiles::SaveStringToFile(file, "abc", false, true, digest));
  std::string lower = digest;
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  EXPECT_FALSE(TvxFiles::SaveStringToFile(file, "abc", false, true, lower));
  // The file stays as written.
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("checked.txt")), "abc");
  // Appending checks the whole file.
  EXPECT_FALSE(TvxFiles::SaveStringToFile(file, "def", true, true, TvxMD5::GetMD5FromString("def")));
  EXPECT_TRUE(TvxFiles::SaveStringToFile(file, "ghi", true, true, TvxMD5::GetMD5FromString("abcdefghi")));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("checked.txt")), "abcdefghi");
}

TEST(FilesSave, FailedSavesKeepTheOldContent) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("ro.txt"), "read-only");
  chmod(dir.File("ro.txt").c_str(), 0444);
  TTestTempDir::WriteBytes(dir.File("held.txt"), "held");
  std::filesystem::create_directories(dir.File("folder"));
  for (bool append : {false, true}) {
    EXPECT_FALSE(TvxFiles::SaveStringToFile(dir.WideFile("ro.txt"), "new", append, false, "")) << append;
    EXPECT_FALSE(TvxFiles::SaveStringToFile(dir.WideFile("folder"), "new", append, false, "")) << append;
    EXPECT_FALSE(TvxFiles::SaveStringToFile(dir.WideFile("no/such/folder.txt"), "new", append, false, "")) << append;
  }
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("ro.txt")), "read-only");
  {
    THeldElsewhere held(dir.WideFile("held.txt"));
    ASSERT_TRUE(held.Taken());
    EXPECT_FALSE(TvxFiles::SaveStringToFile(dir.WideFile("held.txt"), "new", false, false, ""));
  }
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("held.txt")), "held");
  // No temporary file is left behind.
  EXPECT_EQ(dir.Listing(), "folder;held.txt;ro.txt;");
}

// ---- Merge and blank files ----

TEST(FilesMerge, AppendsTheFirstToTheSecond) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("a"), AllBytes());
  TTestTempDir::WriteBytes(dir.File("b"), "b-start;");
  EXPECT_TRUE(TvxFiles::MergeFiles(dir.WideFile("a"), dir.WideFile("b")));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("a")), AllBytes());
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("b")), "b-start;" + AllBytes());
  // A file merged into itself doubles once.
  EXPECT_TRUE(TvxFiles::MergeFiles(dir.WideFile("a"), dir.WideFile("a")));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("a")), AllBytes() + AllBytes());
}

TEST(FilesMerge, MissingFilesChangeNothing) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("b"), "b");
  TTestTempDir::WriteBytes(dir.File(".hidden"), "h");
  EXPECT_FALSE(TvxFiles::MergeFiles(dir.WideFile("missing"), dir.WideFile("b")));
  EXPECT_FALSE(TvxFiles::MergeFiles(dir.WideFile("b"), dir.WideFile("missing")));
  EXPECT_FALSE(TvxFiles::MergeFiles(dir.WideFile("b"), dir.WideFile(".hidden")));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("b")), "b");
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File(".hidden")), "h");
  EXPECT_EQ(dir.Listing(), ".hidden;b;");
}

TEST(FilesMerge, OpenFailuresRaise) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("a"), "a");
  TTestTempDir::WriteBytes(dir.File("ro"), "ro");
  chmod(dir.File("ro").c_str(), 0444);
  EXPECT_THROW(TvxFiles::MergeFiles(dir.WideFile("a"), dir.WideFile("ro")), EFOpenError);
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("ro")), "ro");
}

TEST(FilesBlank, CreatesOnlyWhenNothingIsThere) {
  TTestTempDir dir;
  EXPECT_TRUE(TvxFiles::CreateBlankFile(dir.WideFile("new.txt")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("new.txt")));
  EXPECT_EQ(std::filesystem::file_size(dir.File("new.txt")), 0u);
  TTestTempDir::WriteBytes(dir.File("full.txt"), "keep");
  TTestTempDir::WriteBytes(dir.File(".hidden"), "keep too");
  EXPECT_FALSE(TvxFiles::CreateBlankFile(dir.WideFile("full.txt")));
  EXPECT_FALSE(TvxFiles::CreateBlankFile(dir.WideFile(".hidden")));
  EXPECT_FALSE(TvxFiles::CreateBlankFile(dir.WideFile("no/such/folder.txt")));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("full.txt")), "keep");
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File(".hidden")), "keep too");
}

// ---- Compare ----

TEST(FilesCompare, ByDigest) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("one"), "same");
  TTestTempDir::WriteBytes(dir.File("two"), "same");
  TTestTempDir::WriteBytes(dir.File("three"), "other");
  EXPECT_TRUE(TvxFiles::CompareFile(dir.WideFile("one"), dir.WideFile("two")));
  EXPECT_FALSE(TvxFiles::CompareFile(dir.WideFile("one"), dir.WideFile("three")));
  const ustring missing = dir.WideFile("missing");
  EXPECT_EQ(RaisedMessage([&] { TvxFiles::CompareFile(dir.WideFile("one"), missing); }),
            u"file " + missing + u" not found");
}

TEST(FilesCompare, UnreadableFilesAreNeverEqual) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("one"), "");
  TTestTempDir::WriteBytes(dir.File("held"), "");
  THeldElsewhere held(dir.WideFile("held"));
  ASSERT_TRUE(held.Taken());
  EXPECT_EQ(RaisedMessage([&] { TvxFiles::CompareFile(dir.WideFile("one"), dir.WideFile("held")); }),
            u"file " + dir.WideFile("held") + u" cannot be read (in use by another process)");
}

TEST(FilesCompare, FiveArguments) {
  TTestTempDir dir;
  std::filesystem::create_directories(dir.File("x"));
  std::filesystem::create_directories(dir.File("y"));
  for (const char* name : {"x/A.TXT", "y/a.txt", "y/b.txt"}) TTestTempDir::WriteBytes(dir.File(name), "content");
  TTestTempDir::WriteBytes(dir.File("y/c.txt"), "different");
  const ustring x = dir.WideFile("x/"), y = dir.WideFile("y/");
  struct Case {
    ustring one, two;
    bool compareName;
    bool equal;
  };
  const Case cases[] = {
      {x + u"A.TXT", y + u"a.txt", true, true},
      {y + u"a.txt", y + u"b.txt", true, false},
      {y + u"a.txt", y + u"b.txt", false, true},
      {y + u"a.txt", y + u"c.txt", false, false},
      // Different names give False without reading the files.
      {y + u"a.txt", y + u"missing.txt", true, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TvxFiles::CompareFile(c.one, c.two, false, false, c.compareName), c.equal)
        << WideToUtf8(c.one) << " " << WideToUtf8(c.two) << " " << c.compareName;
  const ustring missing = y + u"missing.txt";
  EXPECT_EQ(RaisedMessage([&] { TvxFiles::CompareFile(missing, y + u"a.txt", true, true, true); }),
            u"File 1 not exists");
  EXPECT_EQ(RaisedMessage([&] { TvxFiles::CompareFile(y + u"a.txt", missing, true, true, false); }),
            u"File 2 not exists");
  EXPECT_EQ(RaisedMessage([&] { TvxFiles::CompareFile(y + u"a.txt", missing, true, false, false); }),
            u"file " + missing + u" not found");
}

// ---- Delete ----

TEST(FilesDelete, ForceDeleteFile) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("ro.txt"), "x");
  chmod(dir.File("ro.txt").c_str(), 0444);
  ASSERT_TRUE(IsReadOnly(dir.File("ro.txt")));
  TTestTempDir::WriteBytes(dir.File(".hidden"), "x");
  std::filesystem::create_symlink(dir.File("gone"), dir.File("dangling"));
  EXPECT_TRUE(TvxFiles::ForceDeleteFile(dir.WideFile("ro.txt")));
  EXPECT_TRUE(TvxFiles::ForceDeleteFile(dir.WideFile(".hidden")));
  EXPECT_TRUE(TvxFiles::ForceDeleteFile(dir.WideFile("dangling")));
  EXPECT_TRUE(TvxFiles::ForceDeleteFile(dir.WideFile("missing")));
  EXPECT_EQ(dir.Listing(), "");
  // A link goes; the read-only file it names stays read-only.
  TTestTempDir other;
  TTestTempDir::WriteBytes(other.File("target.txt"), "x");
  chmod(other.File("target.txt").c_str(), 0444);
  std::filesystem::create_symlink(other.File("target.txt"), dir.File("link.txt"));
  EXPECT_TRUE(TvxFiles::ForceDeleteFile(dir.WideFile("link.txt")));
  EXPECT_EQ(dir.Listing(), "");
  EXPECT_TRUE(IsReadOnly(other.File("target.txt")));
}

TEST(FilesDelete, AFolderIsNoDeletedFile) {
  TTestTempDir dir;
  std::filesystem::create_directories(dir.File("folder"));
  EXPECT_FALSE(TvxFiles::ForceDeleteFile(dir.WideFile("folder")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder")));
}

TEST(FilesDelete, MoveFileToRecycleBin) {
  TTestTempDir dir;
  vxTest::TScopedEnv data("XDG_DATA_HOME", dir.File("data"));
  TTestTempDir::WriteBytes(dir.File("bin.txt"), "trash me");
  EXPECT_TRUE(TvxFiles::MoveFileToRecycleBin(dir.WideFile("bin.txt")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("bin.txt")));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("data/Trash/files/bin.txt")), "trash me");
  EXPECT_TRUE(std::filesystem::exists(dir.File("data/Trash/info/bin.txt.trashinfo")));
  EXPECT_FALSE(TvxFiles::MoveFileToRecycleBin(dir.WideFile("missing.txt")));
}

// ---- Wipe ----

TEST(FilesWipe, PassPatterns) {
  TTestTempDir dir;
  const std::string file = dir.File("secret.bin");
  struct Case {
    int32_t passes;
    int last;  // the byte the last pass leaves; -1 for a letter
  };
  const Case cases[] = {{1, 0x00}, {2, 0xFF}, {3, 0x00}, {4, 0xFF}, {5, 0x00},  {6, 0xFF},
                        {7, 0xF6}, {0, 0xF6}, {-3, 0xF6}, {8, -1},  {11, -1}};
  // Two blocks of 64 KiB and a short third one.
  const size_t size = 2 * 65536 + 100;
  for (const Case& c : cases) {
    TTestTempDir::WriteBytes(file, std::string(size, 'S'));
    bool opened = false;
    EXPECT_TRUE(vxFilesContent::OverwriteBlocks(Utf8ToWide(file), c.passes, opened)) << c.passes;
    EXPECT_TRUE(opened);
    const std::string content = TTestTempDir::ReadBytes(file);
    ASSERT_EQ(content.size(), size) << c.passes;
    for (size_t start = 0; start < size; start += 65536) {
      const std::string block = content.substr(start, 65536);
      const unsigned char first = static_cast<unsigned char>(block[0]);
      if (c.last >= 0)
        EXPECT_EQ(first, c.last) << c.passes;
      else
        EXPECT_TRUE(first >= 'A' && first <= 'Z') << c.passes << " " << int(first);
      // One value for the whole block.
      EXPECT_EQ(block.find_first_not_of(static_cast<char>(first)), std::string::npos) << c.passes;
    }
  }
  TTestTempDir::WriteBytes(file, "");
  bool opened = false;
  EXPECT_TRUE(vxFilesContent::OverwriteBlocks(Utf8ToWide(file), 0, opened));
  EXPECT_EQ(TTestTempDir::ReadBytes(file), "");
  EXPECT_FALSE(vxFilesContent::OverwriteBlocks(dir.WideFile("missing"), 0, opened));
  EXPECT_FALSE(opened);
}

// Makes the current folder one that no longer exists, so that a name
// without a folder can be created nowhere; the old one comes back after.
class TCurrentFolderGone {
 public:
  TCurrentFolderGone() {
    FOld = std::filesystem::current_path();
    std::filesystem::create_directories(FDir.File("cwd"));
    std::filesystem::current_path(FDir.File("cwd"));
    std::filesystem::remove(FDir.File("cwd"));
  }
  ~TCurrentFolderGone() { std::filesystem::current_path(FOld); }

 private:
  TTestTempDir FDir;
  std::filesystem::path FOld;
};

TEST(FilesWipe, WipeFileRenamesInItsOwnFolderAndDeletes) {
  TTestTempDir dir;
  TCurrentFolderGone elsewhere;
  for (int32_t renames : {0, 1, 3}) {
    TTestTempDir::WriteBytes(dir.File("secret.txt"), "a small secret");
    EXPECT_TRUE(TvxFiles::WipeFile(dir.WideFile("secret.txt"), 0, renames)) << renames;
    EXPECT_EQ(dir.Listing(), "") << renames;
  }
  TTestTempDir::WriteBytes(dir.File("secret.txt"), "letters");
  EXPECT_TRUE(TvxFiles::WipeFile(dir.WideFile("secret.txt"), 8, 1));
  EXPECT_EQ(dir.Listing(), "");
}

TEST(FilesWipe, WhatCannotBeOpenedStays) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("ro.txt"), "read-only");
  chmod(dir.File("ro.txt").c_str(), 0444);
  std::filesystem::create_directories(dir.File("folder"));
  EXPECT_FALSE(TvxFiles::WipeFile(dir.WideFile("missing.txt"), 0, 0));
  EXPECT_FALSE(TvxFiles::WipeFile(dir.WideFile("ro.txt"), 0, 0));
  EXPECT_FALSE(TvxFiles::WipeFile(dir.WideFile("folder"), 0, 0));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("ro.txt")), "read-only");
  EXPECT_EQ(dir.Listing(), "folder;ro.txt;");
}

TEST(FilesWipe, SecureDeleteFilesStaysInsideTheTree) {
  TTestTempDir dir, outside;
  TTestTempDir::WriteBytes(outside.File("keep.txt"), "outside");
  std::filesystem::create_directories(outside.File("folder"));
  TTestTempDir::WriteBytes(outside.File("folder/deep.txt"), "outside too");
  std::filesystem::create_directories(dir.File("sub/.hidden"));
  for (const char* name : {"a.txt", "b.TXT", "sub/c.txt", "sub/.hidden/d.txt", "sub/.e.txt"})
    TTestTempDir::WriteBytes(dir.File(name), "wipe me");
  TTestTempDir::WriteBytes(dir.File("keep.doc"), "stays");
  TTestTempDir::WriteBytes(dir.File("sub/keep.doc"), "stays");
  std::filesystem::create_symlink(outside.File("keep.txt"), dir.File("link.txt"));
  std::filesystem::create_directory_symlink(outside.File("folder"), dir.File("sub/linked"));

  TvxFiles::SecureDeleteFiles(Utf8ToWide(dir.Path().string()), u"*.txt", false, 0, 1);
  EXPECT_EQ(dir.Listing(), "keep.doc;link.txt;sub;");
  EXPECT_TRUE(std::filesystem::exists(dir.File("sub/c.txt")));

  TvxFiles::SecureDeleteFiles(Utf8ToWide(dir.Path().string()) + u"/", u"*.txt", true, 0, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.File("sub/c.txt")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("sub/.e.txt")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("sub/.hidden/d.txt")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("sub/.hidden")));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("sub/keep.doc")), "stays");
  EXPECT_EQ(TTestTempDir::ReadBytes(outside.File("keep.txt")), "outside");
  EXPECT_EQ(TTestTempDir::ReadBytes(outside.File("folder/deep.txt")), "outside too");

  // Nothing to do without a folder or a mask.
  TTestTempDir::WriteBytes(dir.File("z.txt"), "z");
  TvxFiles::SecureDeleteFiles(u"", u"*.txt", true, 0, 0);
  TvxFiles::SecureDeleteFiles(Utf8ToWide(dir.Path().string()), u"", true, 0, 0);
  EXPECT_TRUE(std::filesystem::exists(dir.File("z.txt")));
}

// ---- Locks ----

TEST(FilesLocks, LockKeepsOthersOut) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("locked.txt"), "locked");
  const ustring file = dir.WideFile("locked.txt");
  EXPECT_FALSE(TvxFiles::FileIsInUse(file));
  const uintptr_t lock = TvxFiles::CreateFileLock(file);
  ASSERT_NE(lock, TvxFiles::InvalidFileLock);
  EXPECT_TRUE(TvxFiles::FileIsInUse(file));
  EXPECT_FALSE(TvxFiles::SaveStringToFile(file, "new", false, false, ""));
  std::string data;
  EXPECT_FALSE(TvxFiles::LoadFileToString(file, data));
  {
    vxTest::TChildHolding child([&] { return TvxFiles::CreateFileLock(file) != TvxFiles::InvalidFileLock; });
    EXPECT_FALSE(child.Taken());
  }
  EXPECT_TRUE(TvxFiles::ReleaseFileLock(lock));
  EXPECT_FALSE(TvxFiles::FileIsInUse(file));
  EXPECT_TRUE(TvxFiles::LoadFileToString(file, data));
  EXPECT_EQ(data, "locked");
  EXPECT_FALSE(TvxFiles::ReleaseFileLock(TvxFiles::InvalidFileLock));
}

TEST(FilesLocks, WhatCannotBeLocked) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("ro.txt"), "ro");
  chmod(dir.File("ro.txt").c_str(), 0444);
  EXPECT_EQ(TvxFiles::CreateFileLock(dir.WideFile("missing.txt")), TvxFiles::InvalidFileLock);
  EXPECT_EQ(TvxFiles::CreateFileLock(dir.WideFile("ro.txt")), TvxFiles::InvalidFileLock);
  EXPECT_FALSE(TvxFiles::FileIsInUse(dir.WideFile("missing.txt")));
  // A file the caller may not write counts as in use.
  EXPECT_TRUE(TvxFiles::FileIsInUse(dir.WideFile("ro.txt")));
}

// ---- Sizes ----

TEST(FilesSizes, OfEntries) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("five.txt"), "12345");
  TTestTempDir::WriteBytes(dir.File(".hidden"), "123");
  std::filesystem::create_directories(dir.File("folder"));
  struct Case {
    const char* name;
    int64_t sizeOfFile, fileSize, fileSizeEx;
  };
  const Case cases[] = {
      {"five.txt", 5, 5, 5}, {"f*.txt", 5, 5, 5}, {".hidden", 3, 0, 3},
      {"folder", 0, 0, 0},   {"missing", 0, 0, -1},
  };
  for (const Case& c : cases) {
    const ustring path = dir.WideFile(c.name);
    EXPECT_EQ(TvxFiles::GetSizeOfFile(path), c.sizeOfFile) << c.name;
    EXPECT_EQ(TvxFiles::GetFileSize(path), c.fileSize) << c.name;
    EXPECT_EQ(TvxFiles::GetFileSizeEx(path), c.fileSizeEx) << c.name;
  }
  EXPECT_EQ(TvxFiles::GetSizeOfFile(u""), 0);
}

TEST(FilesSizes, BeyondFourGiB) {
  TTestTempDir dir;
  const std::string file = dir.File("sparse.bin");
  TTestTempDir::WriteBytes(file, "");
  const int64_t size = 5LL << 30;
  std::filesystem::resize_file(file, static_cast<uintmax_t>(size));
  EXPECT_EQ(TvxFiles::GetFileSize(Utf8ToWide(file)), size);
  EXPECT_EQ(TvxFiles::GetFileSizeEx(Utf8ToWide(file)), size);
  EXPECT_EQ(TvxFiles::GetSizeOfFile(Utf8ToWide(file)), size);
}

TEST(FilesSizes, UnitTexts) {
  struct Case {
    int64_t bytes;
    const char* kb;
    const char* mb;
    const char* gb;
    const char16_t* text;
  };
  const Case cases[] = {
      {0, "0.00", "0.00", "0.00", u"0 Bytes"},
      {1536, "1.50", "0.00", "0.00", u"1 KB 512 Bytes"},
      {1023, "1.00", "0.00", "0.00", u"1023 Bytes"},
      {-1, "0.00", "0.00", "0.00", u"-1 Bytes"},
      {-5000, "-4.88", "0.00", "0.00", u"-5000 Bytes"},
      {-1073741824, "-1048576.00", "-1024.00", "-1.00", u"-1073741824 Bytes"},
      {1048576 + 5, "1024.00", "1.00", "0.00", u"1 MB 0 KB 5 Bytes"},
      {1073741824, "1048576.00", "1024.00", "1.00", u"1 GB 0 MB 0 KB 0 Bytes"},
      {(3LL << 30) + (2LL << 20) + (1LL << 10) + 7, "3147777.01", "3074.00", "3.00", u"3 GB 2 MB 1 KB 7 Bytes"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TvxFiles::ByteToKb(c.bytes), c.kb) << c.bytes;
    EXPECT_EQ(TvxFiles::ByteToMb(c.bytes), c.mb) << c.bytes;
    EXPECT_EQ(TvxFiles::ByteToGb(c.bytes), c.gb) << c.bytes;
    EXPECT_EQ(TvxFiles::ByteToStr(c.bytes), c.text) << c.bytes;
  }
}

TEST(FilesSizes, FreeDiskSpace) {
  TTestTempDir dir;
  const ustring folder = Utf8ToWide(dir.Path().string());
  EXPECT_GT(TvxFiles::GetFreeDiskSpace(folder, false), 0);
  EXPECT_GE(TvxFiles::GetFreeDiskSpace(u"  " + folder + u"/not/there/yet.txt ", true), 0);
  for (const char16_t* path : {u"", u"   ", u"relative/path", u"c:\\"})
    EXPECT_EQ(TvxFiles::GetFreeDiskSpace(path, true), -1) << WideToUtf8(path);
}

}  // namespace

namespace {

// Four processes append 100-byte records at once: every append either
// lands whole at the end or reports False; none is lost or torn.
TEST(FilesLocks, ConcurrentAppendsLoseNothing) {
  TTestTempDir dir;
  const ustring file = dir.WideFile("log.txt");
  TTestTempDir::WriteBytes(dir.File("log.txt"), "");
  constexpr int kWriters = 4, kAppends = 200, kRecord = 100;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      const std::string record(kRecord - 1, static_cast<char>('a' + w));
      int ok = 0;
      for (int i = 0; i < kAppends; ++i) ok += TvxFiles::SaveStringToFile(file, record + "\n", true, false, "");
      _exit(ok > 255 ? 255 : ok);  // the count of successes (at most 200)
    }
    children.push_back(pid);
  }
  int succeeded = 0;
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    succeeded += WEXITSTATUS(status);
  }
  const std::string content = TTestTempDir::ReadBytes(dir.File("log.txt"));
  EXPECT_GT(succeeded, 0);
  ASSERT_EQ(content.size(), static_cast<size_t>(succeeded) * kRecord);
  for (size_t at = 0; at < content.size(); at += kRecord)
    EXPECT_EQ(content.substr(at, kRecord), std::string(kRecord - 1, content[at]) + "\n") << at;
}

// While another process holds the file's lock, the writers fail and the file
// stays as it is.
TEST(FilesLocks, WritersKeepOutOfALockedFile) {
  TTestTempDir dir;
  const ustring file = dir.WideFile("held.txt");
  TTestTempDir::WriteBytes(dir.File("held.txt"), "held");
  TTestTempDir::WriteBytes(dir.File("other.txt"), "other");
  uintptr_t lock = TvxFiles::InvalidFileLock;
  vxTest::TChildHolding holder([&] { return (lock = TvxFiles::CreateFileLock(file)) != TvxFiles::InvalidFileLock; });
  ASSERT_TRUE(holder.Taken());
  EXPECT_FALSE(TvxFiles::SaveStringToFile(file, "more", true, false, ""));
  EXPECT_FALSE(TvxFiles::SaveStringToFile(file, "new", false, false, ""));
  EXPECT_THROW(TvxFiles::MergeFiles(dir.WideFile("other.txt"), file), EFOpenError);
  EXPECT_FALSE(TvxFiles::WipeFile(file, 1, 0));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("held.txt")), "held");
  holder.Release();
  EXPECT_TRUE(TvxFiles::SaveStringToFile(file, "more", true, false, ""));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("held.txt")), "heldmore");
}

}  // namespace
