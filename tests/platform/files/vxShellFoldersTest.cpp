// Tests of platform/files/vxShellFolders.h: the temporary folder and the
// special folders of the original platform.
#include "platform/files/vxShellFolders.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

using namespace vxFileSystem;
using vxTest::TScopedEnv;

namespace {

TEST(ShellFolders, TemporaryFolder) {
  {
    TScopedEnv tmp("TMPDIR", "/var/tmp/mine");
    EXPECT_EQ(SystemTempFolder(), u"/var/tmp/mine/");
  }
  {
    TScopedEnv tmp("TMPDIR", "/var/tmp/mine/");
    EXPECT_EQ(SystemTempFolder(), u"/var/tmp/mine/");
  }
  {
    TScopedEnv tmp("TMPDIR", "");
    EXPECT_EQ(SystemTempFolder(), u"/tmp/");
  }
  {
    TScopedEnv tmp("TMPDIR", std::nullopt);
    EXPECT_EQ(SystemTempFolder(), u"/tmp/");
  }
}

TEST(ShellFolders, TableFromTheXdgVariables) {
  TTestTempDir dir;
  TScopedEnv home("HOME", "/home/tester");
  TScopedEnv data("XDG_DATA_HOME", "/x/data/");
  TScopedEnv config("XDG_CONFIG_HOME", dir.File("config"));
  TScopedEnv dataDirs("XDG_DATA_DIRS", "relative/share:/srv/share:/usr/share");
  TScopedEnv desktop("XDG_DESKTOP_DIR", "/x/desk");
  TScopedEnv documents("XDG_DOCUMENTS_DIR", "/x/docs");
  struct Case {
    int32_t csidl;
    const char16_t* folder;
  };
  const Case cases[] = {
      {CSIDL_DESKTOP, u"/x/desk"},
      {CSIDL_DESKTOPDIRECTORY, u"/x/desk"},
      {CSIDL_PERSONAL, u"/x/docs"},
      {CSIDL_LOCAL_APPDATA, u"/x/data"},
      {CSIDL_COMMON_APPDATA, u"/srv/share"},  // relative entries do not count
      {CSIDL_SYSTEM, u"/usr/bin"},
      {CSIDL_PROGRAM_FILES, u"/opt"},
      {CSIDL_PROGRAM_FILES_COMMON, u"/usr/lib"},
      {CSIDL_PROFILE, u"/home/tester"},
      {0x0024, u""},  // not in the table
      {-1, u""},
  };
  for (const Case& c : cases) EXPECT_EQ(ShellFolder(c.csidl), c.folder) << c.csidl;
  EXPECT_EQ(ShellFolder(CSIDL_APPDATA), dir.WideFile("config"));
}

TEST(ShellFolders, DefaultsBelowHome) {
  TTestTempDir dir;
  const std::string home = dir.File("home");
  TScopedEnv homeVar("HOME", home);
  TScopedEnv data("XDG_DATA_HOME", "relative/data");  // ignored: not absolute
  TScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
  TScopedEnv dataDirs("XDG_DATA_DIRS", std::nullopt);
  TScopedEnv desktop("XDG_DESKTOP_DIR", std::nullopt);
  TScopedEnv documents("XDG_DOCUMENTS_DIR", std::nullopt);
  EXPECT_EQ(ShellFolder(CSIDL_LOCAL_APPDATA), Utf8ToWide(home + "/.local/share"));
  EXPECT_EQ(ShellFolder(CSIDL_APPDATA), Utf8ToWide(home + "/.config"));
  EXPECT_EQ(ShellFolder(CSIDL_COMMON_APPDATA), u"/usr/local/share");
  EXPECT_EQ(ShellFolder(CSIDL_DESKTOP), Utf8ToWide(home + "/Desktop"));
  EXPECT_EQ(ShellFolder(CSIDL_PERSONAL), Utf8ToWide(home + "/Documents"));
}

TEST(ShellFolders, UserFoldersFromUserDirsFile) {
  TTestTempDir dir;
  TScopedEnv home("HOME", "/home/tester");
  TScopedEnv config("XDG_CONFIG_HOME", dir.File("config"));
  TScopedEnv desktop("XDG_DESKTOP_DIR", std::nullopt);
  TScopedEnv documents("XDG_DOCUMENTS_DIR", std::nullopt);
  std::filesystem::create_directories(dir.File("config"));
  TTestTempDir::WriteBytes(dir.File("config/user-dirs.dirs"),
                    "# written by xdg-user-dirs-update\n"
                    "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                    "XDG_DOCUMENTS_DIR=\"/data/Dokumente\"\n");
  EXPECT_EQ(ShellFolder(CSIDL_DESKTOP), u"/home/tester/Schreibtisch");
  EXPECT_EQ(ShellFolder(CSIDL_PERSONAL), u"/data/Dokumente");
}

// Values as xdg-user-dirs writes them: in double quotes, "$", "`", '"' and
// "\" escaped with a backslash; "$HOME" only at the start and unescaped.
TEST(ShellFolders, UserDirsValuesAreUnquoted) {
  struct Case {
    const char* Line;
    const char* Folder;
  } cases[] = {
      {"XDG_DESKTOP_DIR=\"$HOME/Desk\"", "/home/t/Desk"},
      {"XDG_DESKTOP_DIR=\"$HOME\"", "/home/t"},
      {"XDG_DESKTOP_DIR=\"/data/My \\\"Desk\\\" \\$x \\`y\\` a\\\\b\"", "/data/My \"Desk\" $x `y` a\\b"},
      {"XDG_DESKTOP_DIR=\"\\$HOME/x\"", ""},  // a folder named "$HOME" is no absolute path
      {"XDG_DESKTOP_DIR=\"/a\" # comment", "/a"},
      {"  XDG_DESKTOP_DIR=/plain/value", "/plain/value"},
      {"XDG_DESKTOP_DIR=\"Desktop\"", ""},
      {"XDG_DESKTOP_DIRX=\"/no\"", ""},
      {"# XDG_DESKTOP_DIR=\"/no\"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(UserDirsValue(std::string(c.Line) + "\n", "XDG_DESKTOP_DIR", "/home/t"), c.Folder) << c.Line;
}

TEST(ShellFolders, HomeFromThePasswordDatabase) {
  TScopedEnv home("HOME", std::nullopt);
  TScopedEnv data("XDG_DATA_HOME", std::nullopt);
  const struct passwd* entry = getpwuid(geteuid());
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(ShellFolder(CSIDL_PROFILE), Utf8ToWide(entry->pw_dir));
  EXPECT_EQ(ShellFolder(CSIDL_LOCAL_APPDATA), Utf8ToWide(std::string(entry->pw_dir) + "/.local/share"));
}

}  // namespace
