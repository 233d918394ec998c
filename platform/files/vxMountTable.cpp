// Finding the mount of a path in /proc/self/mountinfo.
#include "platform/files/vxMountTable.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"

namespace vxFileSystem {
namespace {

// Mount points in the table write blank, tab, line feed and backslash as
// three octal digits after a backslash.
std::string Unescape(const std::string& field) {
  std::string text;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      text.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
      i += 3;
    } else {
      text.push_back(field[i]);
    }
  }
  return text;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (start <= line.size()) {
    const size_t end = line.find(' ', start);
    fields.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return fields;
}

// Mount point holds path: equal, or a leading part ending at a "/".
bool Holds(const std::string& mountPoint, const std::string& path) {
  if (mountPoint == "/") return true;
  return path.starts_with(mountPoint) && (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

}  // namespace

std::string MountTypeInTable(std::string_view Table, std::string_view RealPath) {
  const std::string path(RealPath);
  std::string type;
  size_t best = 0;
  for (size_t start = 0; start < Table.size();) {
    size_t end = Table.find('\n', start);
    if (end == std::string_view::npos) end = Table.size();
    const std::string line(Table.substr(start, end - start));
    start = end + 1;
    // id parent major:minor root mount-point options [optional...] - type source super-options
    const std::vector<std::string> fields = Fields(line);
    if (fields.size() < 7) continue;
    size_t dash = 6;
    while (dash < fields.size() && fields[dash] != "-") ++dash;
    if (dash + 1 >= fields.size()) continue;
    const std::string mountPoint = Unescape(fields[4]);
    if (!Holds(mountPoint, path) || mountPoint.size() < best) continue;
    best = mountPoint.size();
    type = fields[dash + 1];
  }
  return type;
}

std::string MountFileSystemType(const ustring& Path) {
  char resolved[PATH_MAX];
  if (Path.empty() || !realpath(WideToUtf8(Path).c_str(), resolved)) return {};
  std::ifstream table("/proc/self/mountinfo");
  if (!table) EOSError::RaiseLastOSError();
  const std::string text((std::istreambuf_iterator<char>(table)), std::istreambuf_iterator<char>());
  if (table.bad()) EOSError::RaiseLastOSError();
  return MountTypeInTable(text, resolved);
}

}  // namespace vxFileSystem
