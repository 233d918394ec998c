// The recycle bin: the freedesktop.org trash of the current user, in
// $XDG_DATA_HOME/Trash (~/.local/share/Trash).
#include "platform/files/vxTrash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>
#include <filesystem>
#include <string>

#include "platform/files/vxFileHandle.h"
#include "platform/files/vxFileSystem.h"
#include "platform/files/vxFileSystemDetail.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxShellFolders.h"

namespace vxFileSystem {

namespace {

// The path as the trash records it: absolute, and URL-escaped byte by byte
// with "/" kept.
std::string EscapedPath(const std::string& absolute) {
  std::string escaped;
  for (unsigned char c : absolute) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' ||
                       c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      escaped += static_cast<char>(c);
    } else {
      escaped += '%';
      vxRuntime::AppendHexByte(escaped, c);
    }
  }
  return escaped;
}

std::string LocalNow() {
  const time_t now = time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  char text[32];
  strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

// Creates a trash folder for the user alone, as the trash's rules ask.
bool MakePrivateFolder(const std::string& path) { return ForceDirectories(FromNativePath(path), 0700); }

bool WriteAllTo(int fd, const std::string& text) {
  TFileHandle file(fd);
  const bool written = file.WriteAll(text.data(), text.size());
  return written && close(file.Release()) == 0;
}

// Moves Source to Target, which is known to be free; a regular file crosses
// file systems by copy and removal.
bool MoveInto(const std::string& source, const std::string& target) {
  if (detail::RenameNoReplace(source.c_str(), target.c_str())) return true;
  if (errno != EXDEV) return false;
  return MoveFile(FromNativePath(source), FromNativePath(target));
}

}  // namespace

bool MoveToTrash(const ustring& Path) {
  std::string native;
  if (!detail::ToNative(Path, native)) return false;
  struct stat st {};
  if (lstat(native.c_str(), &st) != 0) return false;

  std::error_code error;
  std::string absolute = std::filesystem::absolute(native, error).lexically_normal().string();
  if (error) {
    errno = error.value();
    return false;
  }
  while (absolute.size() > 1 && absolute.back() == '/') absolute.pop_back();
  const std::string name = absolute.substr(absolute.rfind('/') + 1);
  if (name.empty() || name == "." || name == "..") {
    errno = EINVAL;
    return false;
  }

  const std::string dataHome = NativePath(ShellFolder(CSIDL_LOCAL_APPDATA));
  if (dataHome.empty()) {
    errno = ENOENT;
    return false;
  }
  const std::string trash = dataHome + "/Trash";
  if (!ForceDirectories(FromNativePath(dataHome)) || !MakePrivateFolder(trash) ||
      !MakePrivateFolder(trash + "/files") || !MakePrivateFolder(trash + "/info"))
    return false;

  // The info file is made first and exclusively: it reserves the name.
  for (int n = 1; n < INT_MAX; ++n) {
    const std::string entry = n == 1 ? name : name + "." + std::to_string(n);
    const std::string info = trash + "/info/" + entry + ".trashinfo";
    const std::string target = trash + "/files/" + entry;
    const int fd = open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    struct stat taken {};
    if (lstat(target.c_str(), &taken) == 0) {
      close(fd);
      unlink(info.c_str());
      continue;
    }
    const std::string content =
        "[Trash Info]\nPath=" + EscapedPath(absolute) + "\nDeletionDate=" + LocalNow() + "\n";
    if (WriteAllTo(fd, content) && MoveInto(native, target)) return true;
    detail::TErrnoKeeper keep;
    unlink(info.c_str());
    return false;
  }
  errno = EEXIST;
  return false;
}

}  // namespace vxFileSystem
