// TvxTools: the shell folders of the current user, chosen by their CSIDL
// numbers (the table is the file-system layer's, platform/vxShellFolders.h).
#include "core/vxToolsFolders.h"

#include "platform/files/vxFileSystem.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxShellFolders.h"

namespace TvxTools {

ustring GetSpecialFolderPath(int32_t CSIDL) {
  return vxFileSystem::IncludeTrailingPathDelimiter(vxRuntime::Trim(vxFileSystem::ShellFolder(CSIDL)));
}

}  // namespace TvxTools
