// TvxTools: the shell folders of the current user, chosen by their CSIDL
// numbers (the table is the file-system layer's, platform/vxShellFolders.h).
#pragma once

#include <cstdint>

#include "platform/base/vxBase.h"

namespace TvxTools {

// The folder of CSIDL, trimmed of characters up to U+0020 and with a
// trailing "/"; the empty text for a CSIDL the table does not know or a
// folder that cannot be determined. The text stays UTF-16 from end to end,
// so every character of the folder's name survives.
ustring GetSpecialFolderPath(int32_t CSIDL);

}  // namespace TvxTools
