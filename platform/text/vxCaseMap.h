// One-to-one case mapping of UTF-16 units: each unit becomes its simple
// upper- or lower-case partner (ICU u_toupper / u_tolower), the length never
// changes, surrogate halves and units without a partner stay. The core
// library's UpperStrW/LowerStrW and the registry's name comparison both
// stand on it.
#pragma once

#include <string_view>

#include "platform/base/vxBase.h"

namespace vxCaseMap {

ustring Upper(std::u16string_view text);
ustring Lower(std::u16string_view text);

}  // namespace vxCaseMap
