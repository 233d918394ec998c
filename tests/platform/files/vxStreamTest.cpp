// Tests of platform/files/vxStream.h: byte streams: the abstract stream, an in-
// memory stream.
#include "platform/files/vxStream.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "support/vxTestTempDir.h"

TEST(MemoryStream, ReadWriteSeek) {
  TMemoryStream s;
  s.WriteBuffer(std::string("hello"));
  EXPECT_EQ(s.Position(), 5);
  EXPECT_EQ(s.Size(), 5);
  s.SetPosition(1);
  char buffer[3];
  s.ReadBuffer(buffer, 3);
  EXPECT_EQ(std::string(buffer, 3), "ell");
  EXPECT_EQ(s.ReadToEnd(), "o");
  EXPECT_EQ(s.Read(buffer, 3), 0);
  EXPECT_THROW(s.ReadBuffer(buffer, 1), EReadError);
  // Writing past the end leaves zero bytes in between.
  s.Seek(2, soEnd);
  s.WriteBuffer(std::string("!"));
  EXPECT_EQ(s.DataString(), std::string("hello\0\0!", 8));
  EXPECT_THROW(s.Seek(-1, soBeginning), EStreamError);
}

TEST(MemoryStream, SetSizeCutsOrFillsAndKeepsThePositionInside) {
  TMemoryStream s(std::string("hello"));
  s.Seek(0, soEnd);
  s.SetSize(2);
  EXPECT_EQ(s.DataString(), "he");
  EXPECT_EQ(s.Position(), 2);
  s.SetSize(4);
  EXPECT_EQ(s.DataString(), std::string("he\0\0", 4));
  EXPECT_EQ(s.Position(), 2);
  s.SetSize(0);
  EXPECT_EQ(s.Size(), 0);
  EXPECT_EQ(s.Position(), 0);
  EXPECT_THROW(s.SetSize(-1), EStreamError);
}

TEST(FileStream, WritesAndReadsARealFile) {
  TTestTempDir dir;
  {
    TFileStream out(dir.WideFile("a.bin"), fmCreate);
    out.WriteBuffer(std::string("abc\0def", 7));
  }
  {
    TFileStream in(dir.WideFile("a.bin"), fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(in.Size(), 7);
    in.Seek(1, soBeginning);
    EXPECT_EQ(in.ReadToEnd(), std::string("bc\0def", 6));
  }
  // fmCreate empties an existing file (once no reader holds it).
  { TFileStream again(dir.WideFile("a.bin"), fmCreate); }
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("a.bin")), "");
}

// fmCreate goes through the file layer like every other open: the name is
// checked and the share lock taken before anything is emptied.
TEST(FileStream, CreateChecksTheNameAndTakesTheShareLock) {
  TTestTempDir dir;
  EXPECT_THROW(TFileStream(dir.WideFile("a") + ustring(1, u'\0') + u"b", fmCreate), EFOpenError);
  EXPECT_FALSE(std::filesystem::exists(dir.File("a")));

  {
    TFileStream out(dir.WideFile("kept.txt"), fmCreate);
    out.WriteBuffer(std::string("content"));
  }
  {
    TFileStream reader(dir.WideFile("kept.txt"), fmOpenRead | fmShareDenyWrite);
    for (uint16_t mode : {fmCreate, static_cast<uint16_t>(fmCreate | fmShareExclusive),
                          static_cast<uint16_t>(fmCreate | fmShareDenyWrite)}) {
      try {
        TFileStream creator(dir.WideFile("kept.txt"), mode);
        ADD_FAILURE() << "created over a locked file, mode " << mode;
      } catch (const EFOpenError& e) {
        EXPECT_EQ(e.ErrorCode, EWOULDBLOCK);
      }
    }
    EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("kept.txt")), "content");
    // A creator that shares with everyone takes no lock.
    TFileStream shared(dir.WideFile("kept.txt"), fmCreate | fmShareDenyNone);
    EXPECT_EQ(shared.Size(), 0);
  }
  // While the creator holds the file, a reader that wants a share lock is kept out.
  TFileStream creator(dir.WideFile("kept.txt"), fmCreate);
  EXPECT_THROW(TFileStream(dir.WideFile("kept.txt"), fmOpenRead | fmShareDenyWrite), EFOpenError);
}

TEST(FileStream, OpenFailuresCarryTheNameAndTheReason) {
  TTestTempDir dir;
  struct Case {
    std::string name;
    uint16_t mode;
    int errorCode;
    std::string text;
  } cases[] = {
      {dir.File("missing.txt"), fmOpenRead, ENOENT, "cannot open file \"" + dir.File("missing.txt") + "\" (No such file or directory)"},
      {dir.File("no/such/folder.txt"), fmCreate, ENOENT,
       "cannot create file \"" + dir.File("no/such/folder.txt") + "\" (No such file or directory)"},
  };
  for (const Case& c : cases) {
    try {
      TFileStream s(Utf8ToWide(c.name), c.mode);
      ADD_FAILURE() << "no error for " << c.name;
    } catch (const EFOpenError& e) {
      EXPECT_EQ(e.ErrorCode, c.errorCode);
      EXPECT_EQ(std::string(e.what()), c.text);
      EXPECT_STREQ(e.ClassName(), "EFOpenError");
    }
  }
}

TEST(FileStream, AShortWriteRaisesTheWriteError) {
  TFileStream full(u"/dev/full", fmOpenWrite);
  try {
    full.WriteBuffer(std::string("x"));
    ADD_FAILURE() << "writing to /dev/full succeeded";
  } catch (const EWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "stream write error (No space left on device)");
  }
}

TEST(AtomicFileStream, ReplacesOnlyOnCommit) {
  TTestTempDir dir;
  const std::string target = dir.File("t.txt");
  TTestTempDir::WriteBytes(target, "old");
  ::chmod(target.c_str(), 0640);
  {
    TAtomicFileStream s(Utf8ToWide(target));
    s.WriteBuffer(std::string("new but abandoned"));
  }
  EXPECT_EQ(TTestTempDir::ReadBytes(target), "old");
  EXPECT_EQ(dir.Listing(), "t.txt;");  // no temporary left behind
  {
    TAtomicFileStream s(Utf8ToWide(target));
    s.WriteBuffer(std::string("new"));
    s.Commit();
  }
  EXPECT_EQ(TTestTempDir::ReadBytes(target), "new");
  EXPECT_EQ(dir.Listing(), "t.txt;");
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);  // the replaced file's permissions stay
}

TEST(AtomicFileStream, ASymbolicLinkKeepsPointingAtTheReplacedFile) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("real.txt"), "old");
  std::filesystem::create_symlink("real.txt", dir.Path() / "link.txt");
  {
    TAtomicFileStream s(dir.WideFile("link.txt"));
    s.WriteBuffer(std::string("new"));
    s.Commit();
  }
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "link.txt"));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("real.txt")), "new");
}

TEST(AtomicFileStream, CreatesANewFileAndFailsInAMissingFolder) {
  TTestTempDir dir;
  {
    TAtomicFileStream s(dir.WideFile("fresh.txt"));
    s.WriteBuffer(std::string("x"));
    s.Commit();
  }
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("fresh.txt")), "x");
  EXPECT_THROW(TAtomicFileStream(dir.WideFile("missing/x.txt")), EFOpenError);
}

TEST(FileStream, ShareModesAreLocks) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("a.txt"), "x");
  TFileStream reader(dir.WideFile("a.txt"), fmOpenRead | fmShareDenyWrite);
  TFileStream secondReader(dir.WideFile("a.txt"), fmOpenRead | fmShareDenyWrite);
  try {
    TFileStream writer(dir.WideFile("a.txt"), fmOpenWrite | fmShareExclusive);
    ADD_FAILURE() << "an exclusive open while others read";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.ErrorCode, EWOULDBLOCK);
  }
}

TEST(AtomicFileStream, ReadOnlyFileIsNotReplaced) {
  TTestTempDir dir;
  const std::string target = dir.File("ro.txt");
  TTestTempDir::WriteBytes(target, "old");
  ::chmod(target.c_str(), 0444);
  TAtomicFileStream s(Utf8ToWide(target));
  s.WriteBuffer(std::string("new"));
  EXPECT_THROW(s.Commit(), EWriteError);
  EXPECT_EQ(TTestTempDir::ReadBytes(target), "old");
  EXPECT_EQ(dir.Listing(), "ro.txt;");
}
