// TvxTools: the platform the library runs on: operating-system and
// executable bitness, system folders, drive types, the user's language and
// the theme flag.
//
// On this platform: there is no Windows version (GetWindowsVersion gives
// vxWV_Unknown; its table is WindowsVersionFromNumbers); the system's
// bitness comes from the kernel's machine name (uname), 64-bit answering
// vxOSP_Win64 and 32-bit vxOSP_Win32; executables are ELF files (ELFCLASS64
// is 64-bit) or the original platform's PE files (any machine but i386 is
// 64-bit); drive types come from this process's mount table; the language
// comes from the process locale's locale id and the language table.
#pragma once

#include <cstdint>
#include <string>

#include "core/vxTypes.h"
#include "platform/base/vxBase.h"

namespace TvxTools {

TvxWindowsVersion GetWindowsVersion();
// The version table of the original platform: product type 1 is a
// workstation, any other a server; ServerR2 tells the 2003 R2 server.
TvxWindowsVersion WindowsVersionFromNumbers(uint32_t ProductType, uint32_t Major, uint32_t Minor, bool ServerR2);

TvxOSPlatform GetOSPlatform();
// The platform named by a build text (lower-cased): ".amd64", ".x86",
// "amd64", "x86" tested in that order; vxOSP_Unknown for none.
TvxOSPlatform OSPlatformFromBuildLab(const ustring& BuildLab);
// The platform of a kernel machine name: vxOSP_Win64 for a 64-bit machine
// ("x86_64", "aarch64", ... and "s390x"), vxOSP_Win32 for another one,
// vxOSP_Unknown for the empty name.
TvxOSPlatform OSPlatformFromMachine(const std::string& Machine);

// True for a 64-bit executable. Raises Exception "Invalid executable" for a
// file that is neither ELF nor PE, EFOpenError for a file that cannot be
// opened and EReadError for one too short for its headers.
bool IsExecutablex64(const ustring& ModuleFileName);
TvxCPUPlatform GetExecutableCPUPlatform(const ustring& ModuleFileName);
// How the process's own executable runs on this system.
TvxOSPlatform GetOSPlatformFromApplicationEnvironment();
// The folder of the system's native programs (the system folder, there is
// no second one here).
ustring GetNativeWindowsSystem32Folder();
// The registry value "ProgramFilesDir" of HKEY_LOCAL_MACHINE
// "SOFTWARE\Microsoft\Windows\CurrentVersion" with a trailing "/"; empty
// when it is not set (nothing here sets it: the folder of added programs
// is CSIDL 0x26).
ustring GetProgramFilesPath();
// The user's local application-data folder (CSIDL 28).
ustring GetAppDataPath();
// Volumes have no drive letters here: the empty text.
ustring GetVolumeLabel(char16_t DriveChar);
// "Network" (nfs, cifs, smb), "RAM Disk" (tmpfs, ramfs), "CD-ROM" (iso9660,
// udf) or "Fixed" by the file system that holds Drive; "Unknown" when Drive
// does not exist, "Error" when the mount table cannot be read.
std::string GetDriveTypeStr(const std::string& Drive);
// Locale information of the process locale: 1 the locale id's language as
// four hexadecimal digits ('0407'), 3 the three-letter abbreviation of the
// language table ('DEU'), and the names of vxLocale's ProcessLocaleName;
// trimmed; empty for anything else.
ustring GetWindowsLanguage(uint32_t LocaleType);
// The ISO 639-1 code of the first row of the language table that matches
// the abbreviation or the language id, upper-cased; Default upper-cased
// when none does.
ustring GetShortWindowsLanguage(const ustring& Default);
// StrIsTrue of the string value "ThemeActive" of HKEY_CURRENT_USER
// "\Software\Microsoft\Windows\CurrentVersion\ThemeManager"; False when it
// is missing, is no string, or anything fails.
bool IsWindowsThemeActive();

}  // namespace TvxTools
