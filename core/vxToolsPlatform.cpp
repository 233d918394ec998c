// Facts about the platform: uname, executable headers, the mount table,
// the process locale and the registry.
#include "core/vxToolsPlatform.h"

#include <unistd.h>

#include <climits>
#include <cstring>

#include "core/vxConstantsLocale.h"
#include "core/vxFilesPaths.h"
#include "core/vxRegistry.h"
#include "core/vxToolsEvo2.h"
#include "core/vxToolsFolders.h"
#include "core/vxToolsParams.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxRuntime.h"
#include "platform/base/vxSystemInfo.h"
#include "platform/files/vxMountTable.h"
#include "platform/files/vxStream.h"
#include "platform/registry/vxRegistry.h"
#include "platform/text/vxLocale.h"

namespace TvxTools {
namespace {

uint32_t LittleEndian(const unsigned char* bytes, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

ustring HexDigits4(uint32_t value) {
  const char16_t* digits = u"0123456789ABCDEF";
  ustring text(4, u'0');
  for (int i = 3; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = digits[value & 15];
  return text;
}

}  // namespace

// ---- Versions and bitness ----

TvxWindowsVersion GetWindowsVersion() { return vxWV_Unknown; }

TvxWindowsVersion WindowsVersionFromNumbers(uint32_t ProductType, uint32_t Major, uint32_t Minor, bool ServerR2) {
  const uint32_t version = Major * 100 + (Minor < 100 ? Minor : 99);
  if (ProductType == 1) {
    switch (version) {
      case 500: return vxWV_Win2000;
      case 501: return vxWV_WinXP;
      case 600: return vxWV_WinVista;
      case 601: return vxWV_Win7;
      case 602: return vxWV_Win8;
      case 603: return vxWV_Win8_1;
      case 1000: return vxWV_Win10;
      default: return vxWV_Unknown;
    }
  }
  switch (version) {
    case 502: return ServerR2 ? vxWV_WinServer2003R2 : vxWV_WinServer2003;
    case 600: return vxWV_WinServer2008;
    case 601: return vxWV_WinServer2008R2;
    case 602: return vxWV_WinServer2012;
    case 603: return vxWV_WinServer2012R2;
    case 1000: return vxWV_WinServer2016;
    default: return vxWV_Unknown;
  }
}

TvxOSPlatform OSPlatformFromBuildLab(const ustring& BuildLab) {
  const ustring text = LowerStrW(BuildLab);
  if (text.find(u".amd64") != ustring::npos) return vxOSP_Win64;
  if (text.find(u".x86") != ustring::npos) return vxOSP_Win32;
  if (text.find(u"amd64") != ustring::npos) return vxOSP_Win64;
  if (text.find(u"x86") != ustring::npos) return vxOSP_Win32;
  return vxOSP_Unknown;
}

TvxOSPlatform OSPlatformFromMachine(const std::string& Machine) {
  if (Machine.empty()) return vxOSP_Unknown;
  if (Machine.find("64") != std::string::npos || Machine == "s390x") return vxOSP_Win64;
  return vxOSP_Win32;
}

TvxOSPlatform GetOSPlatform() { return OSPlatformFromMachine(vxSystemInfo::MachineName()); }

bool IsExecutablex64(const ustring& ModuleFileName) {
  TFileStream file(ModuleFileName, fmOpenRead | fmShareDenyNone);
  unsigned char header[64];
  file.ReadBuffer(header, sizeof header);
  if (std::memcmp(header, "\x7F" "ELF", 4) == 0) {
    // EI_CLASS: 1 for 32-bit, 2 for 64-bit objects.
    if (header[4] == 2) return true;
    if (header[4] == 1) return false;
    throw Exception("Invalid executable");
  }
  const uint32_t offset = LittleEndian(header + 60, 4);
  if (header[0] != 'M' || header[1] != 'Z' || offset == 0) throw Exception("Invalid executable");
  file.Seek(offset, soBeginning);
  unsigned char nt[264];
  file.ReadBuffer(nt, sizeof nt);
  if (std::memcmp(nt, "PE\0\0", 4) != 0) throw Exception("Invalid executable");
  return LittleEndian(nt + 4, 2) != 0x014C;
}

TvxCPUPlatform GetExecutableCPUPlatform(const ustring& ModuleFileName) {
  try {
    return IsExecutablex64(ModuleFileName) ? vxCPU_x64 : vxCPU_x86;
  } catch (...) {
    return vxCPU_Unknown;
  }
}

TvxOSPlatform GetOSPlatformFromApplicationEnvironment() {
  const TvxOSPlatform system = GetOSPlatform();
  if (system != vxOSP_Win32 && system != vxOSP_Win64) return vxOSP_Unknown;
  const TvxCPUPlatform host = GetExecutableCPUPlatform(vxSystemInfo::ExecutablePath());
  if (host == vxCPU_x86) return vxOSP_Win32;
  if (host == vxCPU_x64 && system == vxOSP_Win64) return vxOSP_Win64;
  return vxOSP_Unknown;
}

// ---- Folders and drives ----

ustring GetNativeWindowsSystem32Folder() { return GetSpecialFolderPath(0x25); }

ustring GetProgramFilesPath() {
  const Variant value = TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                              u"ProgramFilesDir", Variant(ustring()), false);
  return TvxFiles::CheckPathExt(value.AsString());
}

ustring GetAppDataPath() { return GetSpecialFolderPath(28); }

ustring GetVolumeLabel(char16_t /*DriveChar*/) { return {}; }

std::string GetDriveTypeStr(const std::string& Drive) {
  try {
    const std::string type = vxFileSystem::MountFileSystemType(AnsiToWide(Drive));
    if (type.empty()) return "Unknown";
    if (type == "nfs" || type == "nfs4" || type == "cifs" || type == "smb3" || type == "smbfs") return "Network";
    if (type == "tmpfs" || type == "ramfs") return "RAM Disk";
    if (type == "iso9660" || type == "udf") return "CD-ROM";
    return "Fixed";
  } catch (...) {
    return "Error";
  }
}

// ---- Language and theme ----

ustring GetWindowsLanguage(uint32_t LocaleType) {
  const uint32_t lcid = UserDefaultLCID();
  if (LocaleType == 1) return HexDigits4(lcid & 0xFFFF);
  if (LocaleType == 3) {
    for (const TLocaleTableRow& row : LocaleTable)
      if (!row.LCID.empty() && row.LCID == HexDigits4(lcid & 0xFFFF)) return ustring(row.Abbreviation);
    return {};
  }
  return vxRuntime::Trim(ProcessLocaleName(LocaleType));
}

ustring GetShortWindowsLanguage(const ustring& Default) {
  const ustring abbreviation = GetWindowsLanguage(3);
  const ustring id = GetWindowsLanguage(1);
  auto same = [](std::u16string_view column, const ustring& value) { return !column.empty() && column == value; };
  for (const TLocaleTableRow& row : LocaleTable) {
    if (same(row.ISO639_2B, abbreviation) || same(row.ISO639_2T, abbreviation) ||
        same(row.Abbreviation, abbreviation) || same(row.LCID, id))
      return UpperStrW(ustring(row.ISO639_1));
  }
  return UpperStrW(Default);
}

bool IsWindowsThemeActive() {
  try {
    TRegistry registry(KEY_READ);
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (!registry.OpenKeyReadOnly(u"\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager")) return false;
    if (!registry.ValueExists(u"ThemeActive")) return false;
    return StrIsTrue(WideToAnsi(registry.ReadString(u"ThemeActive")));
  } catch (...) {
    return false;
  }
}

}  // namespace TvxTools
