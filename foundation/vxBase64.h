// TvxBase64: Base64 of 8-bit strings for the request/answer strings, the
// XML configuration string and the cipher tools (one implementation for all).
#pragma once

#include <string>

namespace TvxBase64 {

// Standard Base64 of the bytes of InText; with Format a CR LF follows every
// 76 output characters except at the very end. Empty input gives empty text.
std::string StrToBase64(const std::string& InText, bool Format);

// The decoded bytes; every byte outside the alphabet ("=", line breaks,
// blanks) is skipped. Never fails.
std::string Base64ToStr(const std::string& InText);

}  // namespace TvxBase64
