// The mount table of this process (/proc/self/mountinfo): which file
// system holds a path.
#pragma once

#include <string>

#include "platform/base/vxBase.h"

namespace vxFileSystem {

// The type of the file system that holds Path ("ext4", "tmpfs", "nfs4",
// ...): the mount whose mount point is the longest leading part of Path's
// real path, a later mount on the same point hiding an earlier one. Empty
// when Path does not exist. Raises EOSError when the table cannot be read.
std::string MountFileSystemType(const ustring& Path);

}  // namespace vxFileSystem
