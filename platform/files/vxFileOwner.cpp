// Creation times in an extended attribute, and file owners by account name.
#include "platform/files/vxFileOwner.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <charconv>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "platform/files/vxFileSystemDetail.h"

namespace vxFileSystem {

bool SetCreationTime(const ustring& Path, TFileTime Time) {
  std::string native;
  if (!detail::ToNative(Path, native)) return false;
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text, Time);
  return setxattr(native.c_str(), CreationTimeAttribute, text, static_cast<size_t>(r.ptr - text), 0) == 0;
}

bool GetCreationTime(const ustring& Path, TFileTime& Time) {
  std::string native;
  if (!detail::ToNative(Path, native)) return false;
  char text[32];
  const ssize_t n = getxattr(native.c_str(), CreationTimeAttribute, text, sizeof text);
  if (n > 0) {
    TFileTime value = 0;
    const auto r = std::from_chars(text, text + n, value);
    if (r.ec == std::errc() && r.ptr == text + n) {
      Time = value;
      return true;
    }
  }
  TSearchRec status;
  if (!GetFileStatus(Path, status)) return false;
  Time = status.CreationTime;
  return true;
}

bool GetFileOwnerName(const ustring& Path, ustring& UserName) {
  std::string native;
  if (!detail::ToNative(Path, native)) return false;
  struct stat st {};
  if (stat(native.c_str(), &st) != 0) return false;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  while (getpwuid_r(st.st_uid, &entry, buffer.data(), buffer.size(), &found) == ERANGE && buffer.size() < (1u << 20))
    buffer.resize(buffer.size() * 2);
  // An owner without an account entry has no name to give.
  if (!found) return false;
  UserName = Utf8ToWide(found->pw_name);
  return true;
}

}  // namespace vxFileSystem
