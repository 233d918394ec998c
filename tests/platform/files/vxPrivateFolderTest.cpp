// Tests of platform/files/vxPrivateFolder.h: fresh folders for one piece of
// work and lasting folders closed to other users.
#include "platform/files/vxPrivateFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <utility>

#include "platform/base/vxCodePage.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

using namespace vxFileSystem;

namespace {

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

TEST(PrivateFolder, FreshFoldersAreOwnAndGoWithWhatTheyHold) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("outside.txt"), "stays");
  std::string kept;
  {
    const vxTest::TScopedUmask open(0);
    TPrivateFolder first(dir.WideFile(""), u"work.");
    TPrivateFolder second(dir.WideFile(""), u"work.");
    ASSERT_TRUE(first.Valid());
    ASSERT_TRUE(second.Valid());
    EXPECT_NE(first.Path(), second.Path());
    const std::string path = WideToUtf8(first.Path());
    EXPECT_EQ(path.back(), '/');
    EXPECT_EQ(path.rfind(dir.File("work."), 0), 0u) << path;
    EXPECT_EQ(ModeOf(path), 0700u);  // whatever the umask
    // Content, a subfolder and a link to a file outside: the link goes, its
    // target stays.
    std::filesystem::create_directory(path + "sub");
    TTestTempDir::WriteBytes(path + "sub/file.zip", "PK");
    std::filesystem::create_symlink(dir.File("outside.txt"), path + "link");
    // Moved: one owner, one removal.
    TPrivateFolder moved(std::move(first));
    EXPECT_FALSE(first.Valid());
    EXPECT_EQ(WideToUtf8(moved.Path()), path);
    kept = path;
  }
  EXPECT_FALSE(std::filesystem::exists(kept));
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("outside.txt")), "stays");
  EXPECT_EQ(dir.Listing(), "outside.txt;");
  // A parent that does not exist: no folder, and errno says why.
  const TPrivateFolder none(dir.WideFile("missing"), u"work.");
  EXPECT_FALSE(none.Valid());
  EXPECT_EQ(errno, ENOENT);
}

TEST(PrivateFolder, LastingFoldersAreMadeAndClosedToOthers) {
  TTestTempDir dir;
  const vxTest::TScopedUmask open(0);
  // Made with the folders above it.
  ASSERT_TRUE(ForcePrivateDirectory(dir.WideFile("a/b/mails/")));
  EXPECT_EQ(ModeOf(dir.File("a/b/mails")), 0700u);
  // One that exists with wider permission bits is narrowed.
  std::filesystem::create_directory(dir.File("wide"));
  chmod(dir.File("wide").c_str(), 0777);
  ASSERT_TRUE(ForcePrivateDirectory(dir.WideFile("wide")));
  EXPECT_EQ(ModeOf(dir.File("wide")), 0700u);
  // A link to a folder is not taken, nor is a file; the link's target keeps
  // its bits.
  std::filesystem::create_directory(dir.File("target"));
  chmod(dir.File("target").c_str(), 0755);
  std::filesystem::create_directory_symlink(dir.File("target"), dir.File("link"));
  EXPECT_FALSE(ForcePrivateDirectory(dir.WideFile("link")));
  EXPECT_EQ(ModeOf(dir.File("target")), 0755u);
  TTestTempDir::WriteBytes(dir.File("file"), "x");
  EXPECT_FALSE(ForcePrivateDirectory(dir.WideFile("file")));
}

}  // namespace
