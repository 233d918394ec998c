// Tests of platform/files/vxFileHandle.h: open files with the runtime's open
// modes, and the one way to replace a file's content.
#include "platform/files/vxFileHandle.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "support/vxChildProcess.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

using namespace vxFileSystem;

namespace {

TEST(FileHandle, OpensExistingFilesWithTheirAccess) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("a.txt"), "hello");
  {
    const TFileHandle file = TFileHandle::Open(dir.WideFile("a.txt"), fmOpenRead | fmShareDenyWrite);
    ASSERT_TRUE(file.Valid());
    EXPECT_EQ(file.Size(), 5);
    char buffer[16];
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0);
    EXPECT_FALSE(file.WriteAll("x", 1));  // opened for reading only
  }
  {
    const TFileHandle file = TFileHandle::Open(dir.WideFile("a.txt"), fmOpenReadWrite);
    ASSERT_TRUE(file.Valid());
    EXPECT_EQ(file.Seek(0, SEEK_END), 5);
    EXPECT_TRUE(file.WriteAll(" world", 6));
  }
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("a.txt")), "hello world");

  EXPECT_FALSE(TFileHandle::Open(dir.WideFile("missing"), fmOpenRead).Valid());
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(TFileHandle::Open(dir.WideFile(""), fmOpenRead).Valid());
  EXPECT_EQ(errno, EISDIR);
  EXPECT_FALSE(TFileHandle::Open(dir.WideFile("a.txt"), 0x0003).Valid());
  EXPECT_EQ(errno, EINVAL);
  EXPECT_FALSE(TFileHandle::Open(dir.WideFile("a.txt"), 0xFF00).Valid());  // creating goes through the atomic writer
}

TEST(FileHandle, CreateNewNeverTakesAnExistingFile) {
  TTestTempDir dir;
  {
    const TFileHandle file = TFileHandle::CreateNew(dir.WideFile("new.txt"));
    ASSERT_TRUE(file.Valid());
    EXPECT_TRUE(file.WriteAll("abc", 3));
  }
  EXPECT_FALSE(TFileHandle::CreateNew(dir.WideFile("new.txt")).Valid());
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("new.txt")), "abc");
}

TEST(FileHandle, ShareModesAsLocks) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("a.txt"), "x");
  const ustring path = dir.WideFile("a.txt");
  struct Case {
    uint16_t first, second;
    bool secondOpens;
  };
  const Case cases[] = {
      {fmOpenRead | fmShareDenyWrite, fmOpenRead | fmShareDenyWrite, true},       // two readers
      {fmOpenRead | fmShareDenyWrite, fmOpenWrite | fmShareExclusive, false},     // a reader keeps writers out
      {fmOpenWrite | fmShareExclusive, fmOpenRead | fmShareDenyWrite, false},     // an exclusive open keeps all out
      {fmOpenReadWrite | fmShareDenyWrite, fmOpenRead | fmShareDenyWrite, false}, // a writer denying writes
      {fmOpenRead | fmShareDenyRead, fmOpenRead | fmShareDenyWrite, false},
      {fmOpenWrite | fmShareExclusive, fmOpenRead | fmShareDenyNone, true},       // no lock asked, none checked
      {fmOpenRead, fmOpenWrite | fmShareExclusive, true},                         // default sharing takes no lock
  };
  for (const Case& c : cases) {
    const TFileHandle first = TFileHandle::Open(path, c.first);
    ASSERT_TRUE(first.Valid());
    const TFileHandle second = TFileHandle::Open(path, c.second);
    EXPECT_EQ(second.Valid(), c.secondOpens) << std::hex << c.first << " then " << c.second;
    if (!c.secondOpens) {
      EXPECT_EQ(errno, EWOULDBLOCK);
    }
  }
}

TEST(FileHandle, ExclusiveOpenKeepsOutAnotherProcess) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("locked.txt"), "x");
  const ustring path = dir.WideFile("locked.txt");
  {
    TFileHandle held;
    vxTest::TChildHolding child([&] {
      held = TFileHandle::Open(path, fmOpenWrite | fmShareExclusive);
      return held.Valid();
    });
    ASSERT_TRUE(child.Taken());
    EXPECT_FALSE(TFileHandle::Open(path, fmOpenRead | fmShareDenyWrite).Valid());
    EXPECT_EQ(errno, EWOULDBLOCK);
    EXPECT_FALSE(TFileHandle::Open(path, fmOpenReadWrite | fmShareExclusive).Valid());
    child.Release();
    EXPECT_TRUE(TFileHandle::Open(path, fmOpenReadWrite | fmShareExclusive).Valid());
  }
  {
    // A released descriptor keeps its lock until it is closed.
    TFileHandle opened = TFileHandle::Open(path, fmOpenWrite | fmShareExclusive);
    const int fd = opened.Release();
    EXPECT_FALSE(opened.Valid());
    EXPECT_FALSE(TFileHandle::Open(path, fmOpenRead | fmShareDenyWrite).Valid());
    close(fd);
    EXPECT_TRUE(TFileHandle::Open(path, fmOpenRead | fmShareDenyWrite).Valid());
  }
}

TEST(AtomicReplace, NewAndReplacedContent) {
  TTestTempDir dir;
  ASSERT_TRUE(ReplaceFileContent(dir.WideFile("a.txt"), "first"));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("a.txt")), "first");
  chmod(dir.File("a.txt").c_str(), 0640);
  ASSERT_TRUE(ReplaceFileContent(dir.WideFile("a.txt"), std::string("sec\0nd", 6)));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("a.txt")), std::string("sec\0nd", 6));
  struct stat st {};
  ASSERT_EQ(stat(dir.File("a.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);  // the replaced file keeps its mode
  ASSERT_TRUE(ReplaceFileContent(dir.WideFile("a.txt"), ""));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("a.txt")), "");
  EXPECT_EQ(dir.Listing(), "a.txt;");
}

TEST(AtomicReplace, SymbolicLinkStaysALink) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("real.txt"), "old");
  symlink("real.txt", dir.File("link.txt").c_str());
  ASSERT_TRUE(ReplaceFileContent(dir.WideFile("link.txt"), "new"));
  struct stat st {};
  ASSERT_EQ(lstat(dir.File("link.txt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("real.txt")), "new");
}

TEST(AtomicReplace, RefusalsLeaveTheOldFile) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("ro.txt"), "old");
  chmod(dir.File("ro.txt").c_str(), 0444);
  EXPECT_FALSE(ReplaceFileContent(dir.WideFile("ro.txt"), "new"));
  EXPECT_EQ(errno, EACCES);
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("ro.txt")), "old");

  mkdir(dir.File("sub").c_str(), 0755);
  EXPECT_FALSE(ReplaceFileContent(dir.WideFile("sub"), "new"));
  EXPECT_FALSE(ReplaceFileContent(dir.WideFile("missing/a.txt"), "new"));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(ReplaceFileContent(ustring(u"a\0b", 3), "new"));
  EXPECT_EQ(errno, EINVAL);

  TTestTempDir::WriteBytes(dir.File("keep.txt"), "old");
  {
    TAtomicFileWriter writer(dir.WideFile("keep.txt"));
    ASSERT_TRUE(writer.Write("new"));
    EXPECT_FALSE(writer.Commit(false));
    EXPECT_EQ(errno, EEXIST);
  }
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("keep.txt")), "old");
  {
    TAtomicFileWriter writer(dir.WideFile("keep.txt"));
    ASSERT_TRUE(writer.Write("never committed"));
  }
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("keep.txt")), "old");
  EXPECT_EQ(dir.Listing(), "keep.txt;ro.txt;sub;");
}

// Limits the size of files this process may write until the end of the
// scope: a real write failure (EFBIG) in the middle of the content.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t limit) {
    getrlimit(RLIMIT_FSIZE, &FOld);
    FOldSignal = signal(SIGXFSZ, SIG_IGN);
    struct rlimit lower = FOld;
    lower.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &lower);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FOld);
    signal(SIGXFSZ, FOldSignal);
  }

 private:
  struct rlimit FOld {};
  sighandler_t FOldSignal;
};

TEST(AtomicReplace, FailingWriteLeavesOldContentAndNoTemporary) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("a.txt"), "old content");
  bool replaced;
  int error;
  {
    TFileSizeLimit limit(4096);
    replaced = ReplaceFileContent(dir.WideFile("a.txt"), std::string(64 * 1024, 'n'));
    error = errno;
  }
  EXPECT_FALSE(replaced);
  EXPECT_EQ(error, EFBIG);
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("a.txt")), "old content");
  EXPECT_EQ(dir.Listing(), "a.txt;");

  // A later write through the same writer after a failure does not go on.
  {
    TAtomicFileWriter writer(dir.WideFile("a.txt"));
    {
      TFileSizeLimit limit(16);
      EXPECT_FALSE(writer.Write(std::string(64, 'n')));
    }
    EXPECT_FALSE(writer.Write("tail"));
    EXPECT_FALSE(writer.Commit());
    EXPECT_EQ(errno, EFBIG);
  }
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("a.txt")), "old content");
  EXPECT_EQ(dir.Listing(), "a.txt;");
}

TEST(FileDescriptor, ClosesWhatItOwnsOnce) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("a.txt"), "x");
  const int fd = ::open(dir.File("a.txt").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  {
    TFileDescriptor first(fd);
    TFileDescriptor second(std::move(first));
    EXPECT_FALSE(first.Valid());
    EXPECT_EQ(second.Get(), fd);
    errno = ENOENT;
  }
  EXPECT_EQ(fcntl(fd, F_GETFD), -1);  // closed by the second owner
  EXPECT_EQ(errno, EBADF);
  const int kept = ::open(dir.File("a.txt").c_str(), O_RDONLY | O_CLOEXEC);
  {
    TFileDescriptor owner(kept);
    EXPECT_EQ(owner.Release(), kept);
  }
  EXPECT_NE(fcntl(kept, F_GETFD), -1);  // released, so still open
  ::close(kept);
}

TEST(FileHandle, TruncateAndFlush) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("a.txt"), "0123456789");
  const TFileHandle file = TFileHandle::Open(dir.WideFile("a.txt"), fmOpenReadWrite);
  ASSERT_TRUE(file.Valid());
  EXPECT_TRUE(file.Truncate(4));
  EXPECT_TRUE(file.Flush());
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("a.txt")), "0123");
  const TFileHandle reader = TFileHandle::Open(dir.WideFile("a.txt"), fmOpenRead);
  EXPECT_FALSE(reader.Truncate(0));  // not open for writing
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("a.txt")), "0123");
}

// The writer with a fixed temporary name, for callers holding their own lock.
TEST(AtomicReplace, FixedTemporaryNameRemovesAStaleOneAndKeepsTheMode) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("a.reg"), "old");
  ASSERT_EQ(chmod(dir.File("a.reg").c_str(), 0640), 0);
  TTestTempDir::WriteBytes(dir.File("a.reg.tmp"), "torn by a writer that died");
  {
    TAtomicFileWriter writer(dir.WideFile("a.reg"), dir.WideFile("a.reg.tmp"), 0644);
    ASSERT_TRUE(writer.Valid());
    EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("a.reg.tmp")), "");
    ASSERT_TRUE(writer.Write("new"));
    struct stat committed {};
    ASSERT_TRUE(writer.Commit(true, committed));
    struct stat st {};
    ASSERT_EQ(stat(dir.File("a.reg").c_str(), &st), 0);
    EXPECT_EQ(committed.st_ino, st.st_ino);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
  }
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("a.reg")), "new");
  EXPECT_EQ(dir.Listing(), "a.reg;");
  {
    // Not committed: the temporary file goes, the target stays.
    TAtomicFileWriter writer(dir.WideFile("a.reg"), dir.WideFile("a.reg.tmp"), 0644);
    ASSERT_TRUE(writer.Write("lost"));
  }
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("a.reg")), "new");
  EXPECT_EQ(dir.Listing(), "a.reg;");
  // A symbolic link in the temporary name's place is not followed.
  ASSERT_EQ(symlink(dir.File("victim").c_str(), dir.File("b.tmp").c_str()), 0);
  TAtomicFileWriter linked(dir.WideFile("b"), dir.WideFile("b.tmp"), 0644);
  ASSERT_TRUE(linked.Valid());  // the stale link was removed, not written through
  ASSERT_TRUE(linked.Write("b") && linked.Commit());
  EXPECT_FALSE(std::filesystem::exists(dir.File("victim")));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("b")), "b");
}

}  // namespace
