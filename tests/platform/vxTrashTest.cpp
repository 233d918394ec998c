#include "platform/vxTrash.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <regex>

#include "platform/vxFileSystem.h"
#include "support/vxTestFiles.h"

using namespace vxFileSystem;
using vxTest::Listing;
using vxTest::ReadFile;
using vxTest::TScopedEnv;
using vxTest::TTempFolder;
using vxTest::WriteFile;

namespace {

class TrashTest : public ::testing::Test {
 protected:
  TTempFolder home;
  TTempFolder work;
  TScopedEnv dataHome{"XDG_DATA_HOME", home.Native() + "data"};
  std::string Trash(const std::string& rest) const { return home.Native() + "data/Trash/" + rest; }
};

TEST_F(TrashTest, FileGoesToFilesWithItsInfo) {
  std::filesystem::create_directories(work.Native("in dir"));
  WriteFile(work.Native("in dir/Bericht \xc3\x84.txt"), "content");
  ASSERT_TRUE(MoveToTrash(work.Path("in dir/Bericht \xc3\x84.txt")));

  EXPECT_FALSE(FileExists(work.Path("in dir/Bericht \xc3\x84.txt")));
  EXPECT_EQ(ReadFile(Trash("files/Bericht \xc3\x84.txt")), "content");
  const std::string info = ReadFile(Trash("info/Bericht \xc3\x84.txt.trashinfo"));
  const std::string path = work.Native() + "in%20dir/Bericht%20%C3%84.txt";
  const std::string start = "[Trash Info]\nPath=" + path + "\nDeletionDate=";
  ASSERT_EQ(info.substr(0, start.size()), start);
  EXPECT_TRUE(std::regex_match(info.substr(start.size()), std::regex("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n")))
      << info;
  struct stat st {};
  ASSERT_EQ(stat(Trash("").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(TrashTest, SameNameTwiceAndFolders) {
  WriteFile(work.Native("a.txt"), "one");
  ASSERT_TRUE(MoveToTrash(work.Path("a.txt")));
  WriteFile(work.Native("a.txt"), "two");
  ASSERT_TRUE(MoveToTrash(work.Path("a.txt")));
  std::filesystem::create_directories(work.Native("folder/inner"));
  WriteFile(work.Native("folder/inner/x"), "x");
  ASSERT_TRUE(MoveToTrash(work.Path("folder/")));

  EXPECT_EQ(ReadFile(Trash("files/a.txt")), "one");
  EXPECT_EQ(ReadFile(Trash("files/a.txt.2")), "two");
  EXPECT_EQ(ReadFile(Trash("files/folder/inner/x")), "x");
  EXPECT_EQ(Listing(Trash("info")),
            (std::vector<std::string>{"a.txt.2.trashinfo", "a.txt.trashinfo", "folder.trashinfo"}));
  EXPECT_TRUE(Listing(work.Native()).empty());
}

TEST_F(TrashTest, MissingFileChangesNothing) {
  EXPECT_FALSE(MoveToTrash(work.Path("missing.txt")));
  EXPECT_FALSE(MoveToTrash(u""));
  if (std::filesystem::exists(Trash("info"))) {
    EXPECT_TRUE(Listing(Trash("info")).empty());
  }
}

TEST_F(TrashTest, RelativePathRecordedAbsolute) {
  WriteFile(work.Native("rel.txt"), "r");
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(work.Native().c_str()), 0);
  const bool moved = MoveToTrash(u"./rel.txt");
  ASSERT_EQ(chdir(old), 0);
  ASSERT_TRUE(moved);
  const std::string info = ReadFile(Trash("info/rel.txt.trashinfo"));
  EXPECT_NE(info.find("\nPath=" + work.Native() + "rel.txt\n"), std::string::npos) << info;
}

}  // namespace
