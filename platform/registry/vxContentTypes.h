// Content types of file extensions, for the MIME-type lookup: the registry's
// own entry first (value "Content Type" of the key ".ext" under
// HKEY_CLASSES_ROOT), then the system's media-type list /etc/mime.types
// (package media-types), read once per process.
#pragma once

#include "platform/base/vxBase.h"

namespace vxContentTypes {

inline constexpr char kSystemList[] = "/etc/mime.types";

// Extension with or without its leading dot, in any letter case. Empty when
// neither the registry nor the system list knows it. Errors of the registry
// (a store file that does not parse) pass to the caller.
ustring OfExtension(const ustring& Extension);

// The system list alone.
ustring FromSystemList(const ustring& Extension);

}  // namespace vxContentTypes
