// The temporary folder and the special folders of the original platform.
#include "platform/files/vxShellFolders.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/vxFileSystem.h"
#include "platform/base/vxSystemInfo.h"

namespace vxFileSystem {

ustring SystemTempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  return IncludeTrailingPathDelimiter(FromNativePath(tmp && *tmp ? tmp : "/tmp"));
}

namespace {

// Where a special folder comes from.
enum class TSource {
  BaseFolder,  // an XDG base folder variable, else a folder below home
  FolderList,  // the first entry of an XDG list variable, else a fixed folder
  UserFolder,  // an XDG user folder, else a folder below home
  Home,        // the home folder itself
  Fixed,       // a fixed folder of the file-system hierarchy
};

struct TFolderRow {
  int32_t Csidl;
  TSource Source;
  const char* Variable;  // the environment variable (and user-dirs key)
  const char* Default;   // below home, or absolute for the fixed kinds
};

constexpr TFolderRow FolderTable[] = {
    {CSIDL_DESKTOP, TSource::UserFolder, "XDG_DESKTOP_DIR", "Desktop"},
    {CSIDL_PERSONAL, TSource::UserFolder, "XDG_DOCUMENTS_DIR", "Documents"},
    {CSIDL_DESKTOPDIRECTORY, TSource::UserFolder, "XDG_DESKTOP_DIR", "Desktop"},
    {CSIDL_APPDATA, TSource::BaseFolder, "XDG_CONFIG_HOME", ".config"},
    {CSIDL_LOCAL_APPDATA, TSource::BaseFolder, "XDG_DATA_HOME", ".local/share"},
    {CSIDL_COMMON_APPDATA, TSource::FolderList, "XDG_DATA_DIRS", "/usr/local/share"},
    {CSIDL_SYSTEM, TSource::Fixed, nullptr, "/usr/bin"},
    {CSIDL_PROGRAM_FILES, TSource::Fixed, nullptr, "/opt"},
    {CSIDL_PROFILE, TSource::Home, nullptr, nullptr},
    {CSIDL_PROGRAM_FILES_COMMON, TSource::Fixed, nullptr, "/usr/lib"},
};

bool IsAbsolute(const std::string& path) { return !path.empty() && path[0] == '/'; }

// An environment variable's value when it is an absolute path.
std::string AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value && IsAbsolute(value) ? std::string(value) : std::string();
}

std::string BelowHome(const char* relative) {
  const std::string home = vxSystemInfo::HomeFolder();
  return home.empty() ? std::string() : home + "/" + relative;
}

std::string BaseFolder(const char* variable, const char* belowHome) {
  const std::string value = AbsoluteFromEnvironment(variable);
  return value.empty() ? BelowHome(belowHome) : value;
}

std::string FromUserDirsFile(const std::string& key) {
  const std::string configHome = BaseFolder("XDG_CONFIG_HOME", ".config");
  if (configHome.empty()) return {};
  std::ifstream file(configHome + "/user-dirs.dirs");
  if (!file) return {};
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return UserDirsValue(text, key, vxSystemInfo::HomeFolder());
}

}  // namespace

std::string UserDirsValue(std::string_view FileText, std::string_view Key, const std::string& Home) {
  for (size_t start = 0; start < FileText.size();) {
    size_t end = FileText.find('\n', start);
    if (end == std::string_view::npos) end = FileText.size();
    std::string_view line = FileText.substr(start, end - start);
    start = end + 1;
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    line.remove_prefix(first);
    if (!line.starts_with(Key) || line.size() == Key.size() || line[Key.size()] != '=') continue;
    std::string_view raw = line.substr(Key.size() + 1);
    const bool quoted = raw.starts_with('"');
    if (quoted) raw.remove_prefix(1);
    // "$HOME" is told on the text as written: an escaped "\$HOME" is a name.
    std::string value;
    const bool belowHome = raw.starts_with("$HOME") && (raw.size() == 5 || raw[5] == '/' || (quoted && raw[5] == '"'));
    if (belowHome) {
      if (Home.empty()) return {};
      value = Home;
      raw.remove_prefix(5);
    }
    if (!quoted) {
      value.append(raw);
    } else {
      // Shell quoting as the file's writers use it: a backslash takes the
      // next character as it is, the first other '"' ends the value.
      for (size_t i = 0; i < raw.size() && raw[i] != '"'; ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
        value += raw[i];
      }
    }
    return IsAbsolute(value) ? value : std::string();
  }
  return {};
}

namespace {

std::string UserFolder(const char* variable, const char* belowHome) {
  std::string value = AbsoluteFromEnvironment(variable);
  if (value.empty()) value = FromUserDirsFile(variable);
  return value.empty() ? BelowHome(belowHome) : value;
}

std::string FirstOfList(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  std::string list = value ? value : "";
  size_t start = 0;
  while (start <= list.size()) {
    const size_t end = std::min(list.find(':', start), list.size());
    const std::string entry = list.substr(start, end - start);
    if (IsAbsolute(entry)) return entry;
    start = end + 1;
  }
  return fallback;
}

std::string Resolve(const TFolderRow& row) {
  switch (row.Source) {
    case TSource::BaseFolder: return BaseFolder(row.Variable, row.Default);
    case TSource::FolderList: return FirstOfList(row.Variable, row.Default);
    case TSource::UserFolder: return UserFolder(row.Variable, row.Default);
    case TSource::Home: return vxSystemInfo::HomeFolder();
    case TSource::Fixed: return row.Default;
  }
  return {};
}

}  // namespace

ustring ShellFolder(int32_t Csidl) {
  for (const TFolderRow& row : FolderTable) {
    if (row.Csidl != Csidl) continue;
    std::string folder = Resolve(row);
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return FromNativePath(folder);
  }
  return {};
}

}  // namespace vxFileSystem
