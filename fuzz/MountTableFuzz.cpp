// Fuzzes the mount table reader (the /proc/self/mountinfo form) on any table
// and path: the type it gives is empty or the type field of a line whose
// mount point holds the path; and a table written line by line from mount
// points (escaped as the kernel escapes blanks, tabs, line feeds and
// backslashes) gives the type of the longest mount point holding the path,
// the later of two equal ones.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "platform/files/vxMountTable.h"

namespace {

std::string Escaped(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
      out += '\\';
      out += static_cast<char>('0' + ((static_cast<unsigned char>(c) >> 6) & 7));
      out += static_cast<char>('0' + ((static_cast<unsigned char>(c) >> 3) & 7));
      out += static_cast<char>('0' + (static_cast<unsigned char>(c) & 7));
    } else {
      out += c;
    }
  }
  return out;
}

bool Holds(const std::string& mountPoint, const std::string& path) {
  if (mountPoint == "/") return true;
  return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
         (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> f = vxFuzz::Fields(Data, Size, 3);
  const std::string type = vxFileSystem::MountTypeInTable(f[0], f[1]);
  if (!type.empty()) {
    const std::string field = " " + type;
    bool found = false;
    for (size_t at = f[0].find(field); at != std::string::npos && !found; at = f[0].find(field, at + 1)) {
      const size_t after = at + field.size();
      found = after == f[0].size() || f[0][after] == ' ' || f[0][after] == '\n';
    }
    vxFuzz::Check(found);
  }

  // Mount points from the third field, one a line, each a path of its own.
  std::vector<std::string> points;
  for (size_t start = 0; start <= f[2].size() && points.size() < 64;) {
    size_t end = f[2].find('\x01', start);
    if (end == std::string::npos) end = f[2].size();
    std::string point = f[2].substr(start, end - start);
    start = end + 1;
    if (point.empty() || point[0] != '/') point.insert(0, "/");
    while (point.size() > 1 && point.back() == '/') point.pop_back();
    points.push_back(point);
  }
  std::string table, expected;
  size_t best = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    const std::string name = "t" + std::to_string(i);
    table += std::to_string(20 + i) + " 1 8:1 / " + Escaped(points[i]) + " rw,relatime shared:1 - " + name +
             " /dev/x rw\n";
    if (Holds(points[i], f[1]) && points[i].size() >= best) {
      best = points[i].size();
      expected = name;
    }
  }
  vxFuzz::Check(vxFileSystem::MountTypeInTable(table, f[1]) == expected);
  return 0;
}
