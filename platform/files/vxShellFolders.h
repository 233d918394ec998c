// The temporary folder and the special folders of the original platform,
// chosen by their CSIDL numbers and mapped onto the XDG base and user
// folders and the Filesystem Hierarchy Standard's places.
#pragma once

#include <string>
#include <string_view>

#include <cstdint>

#include "platform/base/vxBase.h"

namespace vxFileSystem {

// The CSIDL numbers the system asks for.
inline constexpr int32_t CSIDL_DESKTOP = 0x0000;
inline constexpr int32_t CSIDL_PERSONAL = 0x0005;
inline constexpr int32_t CSIDL_DESKTOPDIRECTORY = 0x0010;
inline constexpr int32_t CSIDL_APPDATA = 0x001A;
inline constexpr int32_t CSIDL_LOCAL_APPDATA = 0x001C;
inline constexpr int32_t CSIDL_COMMON_APPDATA = 0x0023;
inline constexpr int32_t CSIDL_SYSTEM = 0x0025;
inline constexpr int32_t CSIDL_PROGRAM_FILES = 0x0026;
inline constexpr int32_t CSIDL_PROFILE = 0x0028;
inline constexpr int32_t CSIDL_PROGRAM_FILES_COMMON = 0x002B;

// The system's temporary folder with a trailing "/": $TMPDIR when set and
// not empty, else "/tmp/". The folder is not created.
ustring SystemTempFolder();

// The folder of a CSIDL for the current user, without a trailing "/"
// (except the root); empty for a CSIDL this table does not know or when the
// folder cannot be determined (no home folder). The folder is not created.
//   CSIDL_DESKTOP, CSIDL_DESKTOPDIRECTORY  XDG_DESKTOP_DIR, else ~/Desktop
//   CSIDL_PERSONAL                         XDG_DOCUMENTS_DIR, else ~/Documents
//   CSIDL_APPDATA                          $XDG_CONFIG_HOME, else ~/.config
//   CSIDL_LOCAL_APPDATA                    $XDG_DATA_HOME, else ~/.local/share
//   CSIDL_COMMON_APPDATA                   first of $XDG_DATA_DIRS, else /usr/local/share
//   CSIDL_SYSTEM                           /usr/bin
//   CSIDL_PROGRAM_FILES                    /opt
//   CSIDL_PROGRAM_FILES_COMMON             /usr/lib
//   CSIDL_PROFILE                          the home folder
// The XDG user folders come from the environment variable of that name, else
// from user-dirs.dirs in $XDG_CONFIG_HOME. As the XDG rules say, a relative
// path in any of these variables is ignored. The home folder is $HOME when
// it is absolute, else the account's home from the password database.
ustring ShellFolder(int32_t Csidl);

// The folder Key names in the text of a user-dirs.dirs file: its first line
// Key=VALUE (blanks before the key allowed, "#" lines skipped); a value in
// double quotes with backslash escapes, as xdg-user-dirs writes it, else
// the rest of the line; "$HOME" at its start stands for Home. Empty when
// Key is missing, or the value is neither below home nor absolute. The
// reader of ShellFolder, apart so that any text can be given to it.
std::string UserDirsValue(std::string_view FileText, std::string_view Key, const std::string& Home);

}  // namespace vxFileSystem
