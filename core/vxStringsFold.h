// The two ways the 8-bit text routines fold letter case, shared by the
// search and the replacement routines.
#pragma once

#include <string>

#include "platform/base/vxRuntime.h"

namespace vxStringsFold {

// Only a-z become A-Z; every other byte stays.
using vxRuntime::AsciiUpper;

// Through the UTF-16 form: system code page to UTF-16, UpperStrW, and back,
// so the letters of the code page fold too; a letter whose upper case the
// code page lacks (the micro sign) stays as it is.
std::string UpperThroughWide(const std::string& text);

}  // namespace vxStringsFold
