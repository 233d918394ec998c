// The mount table of this process (/proc/self/mountinfo): which file
// system holds a path.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/vxBase.h"

namespace vxFileSystem {

// The type of the file system that holds Path ("ext4", "tmpfs", "nfs4",
// ...): the mount whose mount point is the longest leading part of Path's
// real path, a later mount on the same point hiding an earlier one. Empty
// when Path does not exist. Raises EOSError when the table cannot be read.
std::string MountFileSystemType(const ustring& Path);
// The same for a real path in the text of a mount table of the
// /proc/self/mountinfo form: the reader of MountFileSystemType, apart so
// that any table can be given to it.
std::string MountTypeInTable(std::string_view Table, std::string_view RealPath);

}  // namespace vxFileSystem
