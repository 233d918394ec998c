#include "core/vxToolsFolders.h"

#include "platform/files/vxFileSystem.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxShellFolders.h"

namespace TvxTools {

ustring GetSpecialFolderPath(int32_t CSIDL) {
  return vxFileSystem::IncludeTrailingPathDelimiter(vxRuntime::Trim(vxFileSystem::ShellFolder(CSIDL)));
}

}  // namespace TvxTools
