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

// Full Unicode upper-casing of the whole text (ICU u_strToUpper, root
// locale): one character may become several ("ß" gives "SS") and surrogate
// pairs are mapped as one character. The root locale keeps the mapping the
// same whatever the process's locale is (a Turkish locale would otherwise
// turn "i" into a dotted capital). Raises Exception with ICU's error name
// when the mapping fails.
ustring UpperFull(std::u16string_view text);

}  // namespace vxCaseMap
