// Base64 (RFC 4648 alphabet, "=" padding): the one encoder and decoder that
// the mail codec, the request/answer strings and the cipher tools share.
// Linear in the input; never throws on malformed input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vxBase64Codec {

// Base64 of the bytes on one line.
std::string Encode(std::string_view data);

// Base64 cut into lines of LineLength characters joined by CR LF; with
// TrailingBreak the last line is ended by CR LF as well. Empty data gives
// empty text either way.
std::string EncodeLines(std::string_view data, size_t LineLength, bool TrailingBreak);

// The decoded bytes. Every byte outside the 64-character alphabet (line
// breaks, blanks, junk) is skipped; with StopAtPadding the first "=" ends
// the data, without it "=" is skipped too. Leftover bits of an incomplete
// last group are dropped (3 characters give 2 bytes, 2 give 1, 1 gives none).
std::string Decode(std::string_view text, bool StopAtPadding);

}  // namespace vxBase64Codec
