// TvxTools: random passwords of digits and letters, and with high security
// also of seven special characters.
#pragma once

#include <cstdint>
#include <string>

namespace TvxTools {

// PWLen characters, each of a class drawn uniformly first (digit, upper-case
// letter, lower-case letter, and with HighSec the special characters
// "!%#$+?*"), then uniformly within its class. Drawn from the kernel's
// random source, so two calls never share a seed. PWLen 0 or less gives the
// empty text.
std::string GeneratePassword(int32_t PWLen, bool HighSec);

}  // namespace TvxTools
