#include "core/vxToolsFolders.h"

#include "platform/vxFileSystem.h"
#include "platform/vxRuntime.h"
#include "platform/vxShellFolders.h"

namespace TvxTools {

ustring GetSpecialFolderPath(int32_t CSIDL) {
  return vxFileSystem::IncludeTrailingPathDelimiter(vxRuntime::Trim(vxFileSystem::ShellFolder(CSIDL)));
}

}  // namespace TvxTools
