// File-type registrations (in a registry folder of the test's own) and
// desktop launchers.
#include "core/vxToolsShell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/base/vxCodePage.h"
#include "platform/registry/vxRegistry.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"
#include "tests/platform/registry/vxRegistryFolder.h"

namespace {

using FileTypeTest = RegistryTest;

ustring ReadDefault(TRegistry& registry, const ustring& key, const ustring& name = ustring()) {
  if (!registry.OpenKeyReadOnly(key)) return u"(no key)";
  const ustring value = registry.ReadString(name);
  registry.CloseKey();
  return value;
}

TEST_F(FileTypeTest, RegistrationUnderTheClassesRoot) {
  ASSERT_TRUE(TvxTools::RegisterFileType(u"/opt/app/bin/viewer", u"Viewer document", u"vxd", u"/opt/app/vxd.png", 0,
                                         true));
  TRegistry registry(KEY_READ);
  registry.SetRootKey(HKEY_CLASSES_ROOT);
  EXPECT_EQ(ReadDefault(registry, u"\\.vxd"), u"vxd_file");
  EXPECT_EQ(ReadDefault(registry, u"\\.vxd\\shellnew", u"FileName"), u"unnamed.vxd");
  EXPECT_EQ(ReadDefault(registry, u"\\.vxd\\shellnew", u"NullFile"), u"");
  EXPECT_EQ(ReadDefault(registry, u"\\vxd_file"), u"Viewer document");
  EXPECT_EQ(ReadDefault(registry, u"\\vxd_file\\DefaultIcon"), u"/opt/app/vxd.png,0");
  EXPECT_EQ(ReadDefault(registry, u"\\vxd_file\\shell\\open\\command"), u"\"/opt/app/bin/viewer\" \"%1\"");
  // Written in the order of the table: the extension's key first.
  EXPECT_EQ(registry.GetKeyNames(), (std::vector<ustring>{u".vxd", u"vxd_file"}));
  ASSERT_TRUE(registry.OpenKeyReadOnly(u"\\vxd_file"));
  EXPECT_EQ(registry.GetKeyNames(), (std::vector<ustring>{u"DefaultIcon", u"shell"}));
}

TEST_F(FileTypeTest, IconIdAndNewFileEntry) {
  ASSERT_TRUE(TvxTools::RegisterFileType(u"/bin/app", u"T", u"abc", u"/icons/abc.png", -1, false));
  ASSERT_TRUE(TvxTools::RegisterFileType(u"/bin/app", u"T", u"def", u"/icons/app.ico", 7, false));
  TRegistry registry(KEY_READ);
  registry.SetRootKey(HKEY_CLASSES_ROOT);
  EXPECT_EQ(ReadDefault(registry, u"\\abc_file\\DefaultIcon"), u"/icons/abc.png");
  EXPECT_EQ(ReadDefault(registry, u"\\def_file\\DefaultIcon"), u"/icons/app.ico,7");
  EXPECT_FALSE(registry.KeyExists(u"\\.abc\\shellnew"));
}

TEST_F(FileTypeTest, FailureWhenTheRegistryCannotBeWritten) {
  const std::string notAFolder = Folder + "/file";
  WriteFile(notAFolder, "x");
  vxTest::TScopedEnv registryFolder("VARLO_REGISTRY", notAFolder);
  EXPECT_FALSE(TvxTools::RegisterFileType(u"/bin/app", u"T", u"abc", u"", -1, true));
}

class LinkFileTest : public ::testing::Test {
 protected:
  TTestTempDir Dir{"vxlink"};
};

TEST_F(LinkFileTest, LauncherText) {
  EXPECT_EQ(WideToUtf8(TvxTools::LinkFileText(u"/opt/my app/run", u"-v \"two words\" 100% a\\b $HOME", u"Runs it",
                                              u"/home/u/Desktop/My App.desktop", u"/opt/my app/icon.png")),
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=My App\n"
            "Comment=Runs it\n"
            "Exec=\"/opt/my app/run\" \"-v\" \"two words\" \"100%%\" \"a\\\\\\\\b\" \"\\\\$HOME\"\n"
            "Path=/opt/my app/\n"
            "Icon=/opt/my app/icon.png\n");
  // Line breaks cannot start keys of their own; empty parts are left out.
  EXPECT_EQ(WideToUtf8(TvxTools::LinkFileText(u"run", u"", u" two\nlines\r\n[x]", u"l", u"")),
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=l\n"
            "Comment=\\stwo\\nlines\\r\\n[x]\n"
            "Exec=\"run\"\n");
}

TEST_F(LinkFileTest, WritesAndReplacesTheLauncher) {
  const std::string link = Dir.File("tool.desktop");
  ASSERT_TRUE(TvxTools::CreateLinkFile(u"/usr/bin/tool", u"--fast", u"Tool", Dir.WideFile("tool.desktop"), u"", 3));
  EXPECT_EQ(TTestTempDir::ReadBytes(link),
            "[Desktop Entry]\nType=Application\nName=tool\nComment=Tool\nExec=\"/usr/bin/tool\" \"--fast\"\n"
            "Path=/usr/bin/\n");
  ASSERT_TRUE(TvxTools::CreateLinkFile(u"/usr/bin/other", u"", u"", Dir.WideFile("tool.desktop"), u"", 0));
  EXPECT_EQ(TTestTempDir::ReadBytes(link),
            "[Desktop Entry]\nType=Application\nName=tool\nExec=\"/usr/bin/other\"\nPath=/usr/bin/\n");
  EXPECT_EQ(Dir.Listing(), "tool.desktop;");
}

TEST_F(LinkFileTest, ASymbolicLinkIsReplacedNotFollowed) {
  const std::string target = Dir.File("target.txt");
  TTestTempDir::WriteBytes(target, "keep me");
  const std::string link = Dir.File("link.desktop");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  ASSERT_TRUE(TvxTools::CreateLinkFile(u"/bin/true", u"", u"", Dir.WideFile("link.desktop"), u"", 0));
  EXPECT_EQ(TTestTempDir::ReadBytes(target), "keep me");
  struct stat status;
  ASSERT_EQ(lstat(link.c_str(), &status), 0);
  EXPECT_TRUE(S_ISREG(status.st_mode));
}

TEST_F(LinkFileTest, WildcardsInTheNameDeleteNothing) {
  TTestTempDir::WriteBytes(Dir.File("a.desktop"), "other launcher");
  ASSERT_TRUE(TvxTools::CreateLinkFile(u"/bin/true", u"", u"", Dir.WideFile("*.desktop"), u"", 0));
  EXPECT_EQ(TTestTempDir::ReadBytes(Dir.File("a.desktop")), "other launcher");
  EXPECT_EQ(Dir.Listing(), "*.desktop;a.desktop;");
}

TEST_F(LinkFileTest, FalseWhenItCannotBeWritten) {
  EXPECT_FALSE(TvxTools::CreateLinkFile(u"/bin/true", u"", u"", Dir.WideFile("missing/x.desktop"), u"", 0));
  EXPECT_EQ(Dir.Listing(), "");
}

}  // namespace
