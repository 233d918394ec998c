// TvxWin32: the operating system's own folder.
#include "core/vxWin32.h"

#include "platform/files/vxFileSystem.h"

namespace TvxWin32 {

ustring GetWindowsDirectory() { return ustring(1, vxFileSystem::PathDelim); }

}  // namespace TvxWin32
