// Private folders: mkdtemp for the fresh ones, lstat and chmod for the
// lasting ones, a recursive removal that never follows a link.
#include "platform/files/vxPrivateFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "platform/base/vxFileDescriptor.h"
#include "platform/files/vxFileSystem.h"
#include "platform/files/vxFileSystemDetail.h"

namespace vxFileSystem {

TPrivateFolder::TPrivateFolder(const ustring& Parent, const ustring& Prefix) {
  std::string pattern;
  if (!detail::ToNative(IncludeTrailingPathDelimiter(Parent) + Prefix + u"XXXXXX", pattern)) return;
  // mkdtemp makes the folder with mode 0700, whatever the umask.
  if (mkdtemp(pattern.data()) == nullptr) return;
  FPath = IncludeTrailingPathDelimiter(FromNativePath(pattern));
}

TPrivateFolder::TPrivateFolder(TPrivateFolder&& Other) noexcept : FPath(std::exchange(Other.FPath, ustring())) {}

TPrivateFolder& TPrivateFolder::operator=(TPrivateFolder&& Other) noexcept {
  if (this != &Other) {
    Remove();
    FPath = std::exchange(Other.FPath, ustring());
  }
  return *this;
}

TPrivateFolder::~TPrivateFolder() { Remove(); }

bool TPrivateFolder::Remove() noexcept {
  if (FPath.empty()) return true;
  const detail::TErrnoKeeper keeper;
  try {
    std::error_code error;
    std::filesystem::remove_all(NativePath(FPath), error);
    if (error) return false;
  } catch (...) {
    return false;
  }
  FPath.clear();
  return true;
}

bool ForcePrivateDirectory(const ustring& Path) {
  std::string native;
  if (!detail::ToNative(ExcludeTrailingPathDelimiter(Path), native)) return false;
  if (!ForceDirectories(Path, 0700)) return false;
  // Looked at and narrowed through one descriptor opened without following
  // a link, so the folder checked is the folder changed.
  const TFileDescriptor folder(open(native.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!folder.Valid()) return false;
  struct stat info;
  if (fstat(folder.Get(), &info) != 0) return false;
  if (info.st_uid != geteuid()) {
    errno = EPERM;
    return false;
  }
  return (info.st_mode & 07777) == 0700 || fchmod(folder.Get(), 0700) == 0;
}

}  // namespace vxFileSystem
