// Tests of platform/files/vxTrash.h: the recycle bin: the freedesktop.org trash
// of the current user, in $XDG_DATA_HOME/Trash.
#include "platform/files/vxTrash.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "platform/files/vxFileSystem.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

using namespace vxFileSystem;
using vxTest::TScopedEnv;

namespace {

std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class TrashTest : public ::testing::Test {
 protected:
  TTestTempDir home;
  TTestTempDir work;
  TScopedEnv dataHome{"XDG_DATA_HOME", home.File("data")};
  std::string Trash(const std::string& rest) const { return home.File("data/Trash/") + rest; }
};

TEST_F(TrashTest, FileGoesToFilesWithItsInfo) {
  std::filesystem::create_directories(work.File("in dir"));
  TTestTempDir::WriteBytes(work.File("in dir/Bericht \xc3\x84.txt"), "content");
  ASSERT_TRUE(MoveToTrash(work.WideFile("in dir/Bericht \xc3\x84.txt")));

  EXPECT_FALSE(FileExists(work.WideFile("in dir/Bericht \xc3\x84.txt")));
  EXPECT_EQ(TTestTempDir::ReadBytes(Trash("files/Bericht \xc3\x84.txt")), "content");
  const std::string info = TTestTempDir::ReadBytes(Trash("info/Bericht \xc3\x84.txt.trashinfo"));
  const std::string path = work.File("in%20dir/Bericht%20%C3%84.txt");
  const std::string start = "[Trash Info]\nPath=" + path + "\nDeletionDate=";
  ASSERT_EQ(info.substr(0, start.size()), start);
  EXPECT_TRUE(std::regex_match(info.substr(start.size()), std::regex("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n")))
      << info;
  struct stat st {};
  ASSERT_EQ(stat(Trash("").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(TrashTest, SameNameTwiceAndFolders) {
  TTestTempDir::WriteBytes(work.File("a.txt"), "one");
  ASSERT_TRUE(MoveToTrash(work.WideFile("a.txt")));
  TTestTempDir::WriteBytes(work.File("a.txt"), "two");
  ASSERT_TRUE(MoveToTrash(work.WideFile("a.txt")));
  std::filesystem::create_directories(work.File("folder/inner"));
  TTestTempDir::WriteBytes(work.File("folder/inner/x"), "x");
  ASSERT_TRUE(MoveToTrash(work.WideFile("folder/")));

  EXPECT_EQ(TTestTempDir::ReadBytes(Trash("files/a.txt")), "one");
  EXPECT_EQ(TTestTempDir::ReadBytes(Trash("files/a.txt.2")), "two");
  EXPECT_EQ(TTestTempDir::ReadBytes(Trash("files/folder/inner/x")), "x");
  EXPECT_EQ(Listing(Trash("info")),
            (std::vector<std::string>{"a.txt.2.trashinfo", "a.txt.trashinfo", "folder.trashinfo"}));
  EXPECT_TRUE(work.Listing().empty());
}

TEST_F(TrashTest, MissingFileChangesNothing) {
  EXPECT_FALSE(MoveToTrash(work.WideFile("missing.txt")));
  EXPECT_FALSE(MoveToTrash(u""));
  if (std::filesystem::exists(Trash("info"))) {
    EXPECT_TRUE(Listing(Trash("info")).empty());
  }
}

TEST_F(TrashTest, RelativePathRecordedAbsolute) {
  TTestTempDir::WriteBytes(work.File("rel.txt"), "r");
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(work.Path().c_str()), 0);
  const bool moved = MoveToTrash(u"./rel.txt");
  ASSERT_EQ(chdir(old), 0);
  ASSERT_TRUE(moved);
  const std::string info = TTestTempDir::ReadBytes(Trash("info/rel.txt.trashinfo"));
  EXPECT_NE(info.find("\nPath=" + work.File("rel.txt") + "\n"), std::string::npos) << info;
}

}  // namespace
