// TvxWin32: the operating system's own folder.
//
// This platform has no Windows folder. Its nearest counterpart is the root
// of the file-system hierarchy, under which the system keeps its programs
// (/usr/bin), libraries and settings (/etc): so the folder is "/", and the
// files that live below the Windows folder elsewhere are found below it
// here.
#pragma once

#include "platform/base/vxBase.h"

namespace TvxWin32 {

// The system's shared folder, ending with exactly one "/".
ustring GetWindowsDirectory();

}  // namespace TvxWin32
