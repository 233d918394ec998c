// The Base64 that the cipher and script units call: standard Base64 (RFC
// 4648 alphabet, "=" padding) over the one Base64 codec of the system.
#pragma once

#include <string>

namespace vxInternal::TvxBase64 {

// With Format a CR LF stands after every 76 characters except at the very
// end; without it one line. Empty input gives empty text.
std::string StrToBase64(const std::string& InText, bool Format);
// Every byte outside the 64-character alphabet (line breaks, blanks, "=")
// is skipped; a trailing group of 3 characters gives 2 bytes, of 2 one byte,
// of 1 nothing. Never fails.
std::string Base64ToStr(const std::string& InText);

}  // namespace vxInternal::TvxBase64
