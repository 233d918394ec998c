// The private folder of one call: mkdtemp below its parent, removed whole.
#include "platform/files/vxPrivateFolder.h"

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileSystem.h"

namespace vxFileSystem {

TPrivateFolder::TPrivateFolder(const ustring& Parent, const ustring& Prefix) {
  const ustring parent = IncludeTrailingPathDelimiter(Parent);
  if (!DirectoryExists(parent) && !ForceDirectories(parent))
    throw EOSError("cannot create the folder " + NativePath(parent) + " (" + vxExceptions::ErrnoText(errno) + ")",
                   errno);
  std::string pattern = NativePath(parent + Prefix) + "XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  // mkdtemp makes the folder with mode 0700.
  if (mkdtemp(buffer.data()) == nullptr)
    throw EOSError("cannot create a folder in " + NativePath(parent) + " (" + vxExceptions::ErrnoText(errno) + ")",
                   errno);
  FPath = IncludeTrailingPathDelimiter(FromNativePath(buffer.data()));
}

TPrivateFolder::~TPrivateFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(NativePath(FPath)), ignored);
}

}  // namespace vxFileSystem
