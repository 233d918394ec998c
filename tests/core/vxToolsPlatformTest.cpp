// Facts about the platform: executable headers built here, the machine's
// own mount table, the language through the process locale, the version
// and platform tables fed with values, and the theme flag in the registry.
#include "core/vxToolsPlatform.h"

#include <gtest/gtest.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <map>
#include <sstream>

#include "core/vxRegistry.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxStream.h"
#include "platform/registry/vxRegistry.h"
#include "support/vxLocaleGuard.h"
#include "support/vxTestTempDir.h"
#include "tests/platform/registry/vxRegistryFolder.h"

namespace {

// A DOS header pointing at NT headers with the given machine, padded to the
// size the reader takes.
std::string PeFile(uint16_t machine, uint32_t offset = 0x80) {
  std::string bytes(offset + 264, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  for (int i = 0; i < 4; ++i) bytes[60 + i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
  bytes.replace(offset, 4, std::string("PE\0\0", 4));
  bytes[offset + 4] = static_cast<char>(machine & 0xFF);
  bytes[offset + 5] = static_cast<char>(machine >> 8);
  return bytes;
}

std::string ElfFile(char elfClass) {
  std::string bytes(64, '\0');
  bytes.replace(0, 4, "\x7F" "ELF");
  bytes[4] = elfClass;
  return bytes;
}

TEST(ToolsPlatform, ExecutableHeaders) {
  TTestTempDir dir;
  struct Case {
    const char* Name;
    std::string Bytes;
    TvxCPUPlatform Expected;
  } cases[] = {
      {"pe32.exe", PeFile(0x014C), vxCPU_x86},
      {"pe32plus.exe", PeFile(0x8664), vxCPU_x64},
      {"arm64.exe", PeFile(0xAA64), vxCPU_x64},  // any machine but i386
      {"elf64", ElfFile(2), vxCPU_x64},
      {"elf32", ElfFile(1), vxCPU_x86},
      {"elfnone", ElfFile(0), vxCPU_Unknown},
      {"text.txt", std::string(400, 'a'), vxCPU_Unknown},
      {"nooffset.exe", PeFile(0x014C).replace(60, 4, std::string(4, '\0')), vxCPU_Unknown},
      {"nope.exe", PeFile(0x014C).replace(0x80, 2, "NE"), vxCPU_Unknown},
      {"short.exe", PeFile(0x014C).substr(0, 200), vxCPU_Unknown},
      {"tiny", "MZ", vxCPU_Unknown},
  };
  for (const Case& c : cases) {
    TTestTempDir::WriteBytes(dir.File(c.Name), c.Bytes);
    EXPECT_EQ(TvxTools::GetExecutableCPUPlatform(dir.WideFile(c.Name)), c.Expected) << c.Name;
  }
  EXPECT_TRUE(TvxTools::IsExecutablex64(dir.WideFile("pe32plus.exe")));
  EXPECT_FALSE(TvxTools::IsExecutablex64(dir.WideFile("pe32.exe")));
  for (const char* name : {"text.txt", "nooffset.exe", "nope.exe"}) {
    try {
      TvxTools::IsExecutablex64(dir.WideFile(name));
      ADD_FAILURE() << name;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"Invalid executable") << name;
    }
  }
  EXPECT_THROW(TvxTools::IsExecutablex64(dir.WideFile("short.exe")), EReadError);
  EXPECT_THROW(TvxTools::IsExecutablex64(dir.WideFile("missing.exe")), EFOpenError);
  EXPECT_EQ(TvxTools::GetExecutableCPUPlatform(dir.WideFile("missing.exe")), vxCPU_Unknown);
}

TEST(ToolsPlatform, ThisSystemAndThisProgram) {
  utsname names;
  ASSERT_EQ(uname(&names), 0);
  const bool is64 = std::string(names.machine).find("64") != std::string::npos;
  EXPECT_EQ(TvxTools::GetOSPlatform(), is64 ? vxOSP_Win64 : vxOSP_Win32);
  // This test program is built for the machine it runs on.
  const TvxOSPlatform own = sizeof(void*) == 8 ? vxOSP_Win64 : vxOSP_Win32;
  if (is64 || sizeof(void*) == 4) {
    EXPECT_EQ(TvxTools::GetOSPlatformFromApplicationEnvironment(), own);
  }
  EXPECT_EQ(TvxTools::GetWindowsVersion(), vxWV_Unknown);
  EXPECT_EQ(TvxTools::OSPlatformFromMachine("x86_64"), vxOSP_Win64);
  EXPECT_EQ(TvxTools::OSPlatformFromMachine("aarch64"), vxOSP_Win64);
  EXPECT_EQ(TvxTools::OSPlatformFromMachine("i686"), vxOSP_Win32);
  EXPECT_EQ(TvxTools::OSPlatformFromMachine(""), vxOSP_Unknown);
}

TEST(ToolsPlatform, TheTablesFedWithValues) {
  EXPECT_EQ(TvxTools::OSPlatformFromBuildLab(u"19041.1.amd64fre.vb_release.191206-1406"), vxOSP_Win64);
  EXPECT_EQ(TvxTools::OSPlatformFromBuildLab(u"7601.17514.X86FRE.win7sp1_rtm"), vxOSP_Win32);
  EXPECT_EQ(TvxTools::OSPlatformFromBuildLab(u"amd64 and .x86"), vxOSP_Win32);  // ".x86" is tested first
  EXPECT_EQ(TvxTools::OSPlatformFromBuildLab(u"arm64fre"), vxOSP_Unknown);
  EXPECT_EQ(TvxTools::OSPlatformFromBuildLab(u""), vxOSP_Unknown);
  struct Case {
    uint32_t Type, Major, Minor;
    bool R2;
    TvxWindowsVersion Expected;
  } cases[] = {
      {1, 5, 0, false, vxWV_Win2000},  {1, 5, 1, false, vxWV_WinXP},   {1, 6, 0, false, vxWV_WinVista},
      {1, 6, 1, false, vxWV_Win7},     {1, 6, 2, false, vxWV_Win8},    {1, 6, 3, false, vxWV_Win8_1},
      {1, 10, 0, false, vxWV_Win10},   {1, 5, 2, false, vxWV_Unknown}, {3, 5, 2, false, vxWV_WinServer2003},
      {2, 5, 2, true, vxWV_WinServer2003R2}, {3, 6, 0, false, vxWV_WinServer2008},
      {3, 6, 1, false, vxWV_WinServer2008R2}, {3, 6, 2, false, vxWV_WinServer2012},
      {3, 6, 3, false, vxWV_WinServer2012R2}, {3, 10, 0, false, vxWV_WinServer2016},
      {3, 5, 0, false, vxWV_Unknown},  {1, 4, 0, false, vxWV_Unknown}, {1, 6, 101, false, vxWV_Unknown},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TvxTools::WindowsVersionFromNumbers(c.Type, c.Major, c.Minor, c.R2), c.Expected)
        << c.Type << " " << c.Major << "." << c.Minor;
}

// The file-system type of each mount point, the last mount on a point
// counting, read here on its own.
std::map<std::string, std::string> MountTypes() {
  std::map<std::string, std::string> types;
  std::ifstream table("/proc/self/mountinfo");
  std::string line;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string id, parent, device, root, point, field;
    fields >> id >> parent >> device >> root >> point;
    while (fields >> field && field != "-") {
    }
    std::string type;
    fields >> type;
    if (point.find('\\') == std::string::npos) types[point] = type;
  }
  return types;
}

std::string Expected(const std::string& type) {
  if (type == "nfs" || type == "nfs4" || type == "cifs" || type == "smb3" || type == "smbfs") return "Network";
  if (type == "tmpfs" || type == "ramfs") return "RAM Disk";
  if (type == "iso9660" || type == "udf") return "CD-ROM";
  return "Fixed";
}

TEST(ToolsPlatform, DriveTypesFromTheMountTable) {
  const auto types = MountTypes();
  ASSERT_FALSE(types.empty());
  int checked = 0;
  for (const auto& [point, type] : types) {
    char resolved[PATH_MAX];
    // A point reached through a link is another path's mount.
    if (!realpath(point.c_str(), resolved) || point != resolved) continue;
    EXPECT_EQ(TvxTools::GetDriveTypeStr(point), Expected(type)) << point << " " << type;
    ++checked;
  }
  EXPECT_GT(checked, 0);
  EXPECT_EQ(TvxTools::GetDriveTypeStr("/"), Expected(types.at("/")));
  EXPECT_EQ(TvxTools::GetDriveTypeStr("/no/such/path"), "Unknown");
  EXPECT_EQ(TvxTools::GetDriveTypeStr(""), "Unknown");
  if (types.count("/proc")) {
    EXPECT_EQ(TvxTools::GetDriveTypeStr("/proc/self"), "Fixed");
  }
}

TEST(ToolsPlatform, LanguageOfTheProcessLocale) {
  {
    TLocaleGuard german("de_DE");
    EXPECT_EQ(TvxTools::GetWindowsLanguage(1), u"0407");
    EXPECT_EQ(TvxTools::GetWindowsLanguage(3), u"DEU");
    EXPECT_EQ(TvxTools::GetWindowsLanguage(0x59), u"de");
    EXPECT_EQ(TvxTools::GetWindowsLanguage(0x5A), u"DE");
    EXPECT_EQ(TvxTools::GetWindowsLanguage(0x1001), u"German");
    EXPECT_EQ(TvxTools::GetWindowsLanguage(0x1002), u"Germany");
    EXPECT_EQ(TvxTools::GetWindowsLanguage(2), u"Deutsch (Deutschland)");
    EXPECT_EQ(TvxTools::GetWindowsLanguage(0x7777), u"");
    EXPECT_EQ(TvxTools::GetShortWindowsLanguage(u"en"), u"DE");
  }
  {
    TLocaleGuard french("fr_CA");
    EXPECT_EQ(TvxTools::GetShortWindowsLanguage(u"en"), u"FR");
  }
  {
    TLocaleGuard none("xx_YY");
    EXPECT_EQ(TvxTools::GetShortWindowsLanguage(u"en"), u"EN");
    EXPECT_EQ(TvxTools::GetWindowsLanguage(3), u"");
  }
}

class ToolsPlatformRegistry : public RegistryTest {};

TEST_F(ToolsPlatformRegistry, ThemeFlag) {
  const ustring key = u"\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";
  EXPECT_FALSE(TvxTools::IsWindowsThemeActive());  // no key
  TRegistry registry;
  registry.SetRootKey(HKEY_CURRENT_USER);
  ASSERT_TRUE(registry.OpenKey(key, true));
  EXPECT_FALSE(TvxTools::IsWindowsThemeActive());  // no value
  registry.WriteString(u"ThemeActive", u"1");
  EXPECT_TRUE(TvxTools::IsWindowsThemeActive());
  registry.WriteString(u"ThemeActive", u"0");
  EXPECT_FALSE(TvxTools::IsWindowsThemeActive());
  registry.WriteInteger(u"ThemeActive", 1);
  EXPECT_FALSE(TvxTools::IsWindowsThemeActive());  // not a string
}

TEST_F(ToolsPlatformRegistry, Folders) {
  EXPECT_EQ(TvxTools::GetProgramFilesPath(), u"");  // no value: no folder
  ASSERT_TRUE(TvxRegistry::SetValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                    u"ProgramFilesDir", Variant(u" /srv/programs "), false));
  EXPECT_EQ(TvxTools::GetProgramFilesPath(), u"/srv/programs/");
  EXPECT_EQ(TvxTools::GetNativeWindowsSystem32Folder(), u"/usr/bin/");
  EXPECT_TRUE(TvxTools::GetAppDataPath().ends_with(u"/"));
  EXPECT_EQ(TvxTools::GetVolumeLabel(u'C'), u"");
}

}  // namespace
