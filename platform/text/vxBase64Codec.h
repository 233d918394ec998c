// Base64 (RFC 4648 alphabet, "=" padding): the one encoder and decoder that
// the mail codec, the request/answer strings and the cipher tools share.
// Linear in the input; never throws on malformed input.
//
// The encoder makes its text in one pass, line breaks included: 24 bytes at
// a time on whole vectors where the processor has AVX2, else six bytes at a
// time through a table of character pairs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vxBase64Codec {

// Base64 of the bytes on one line.
std::string Encode(std::string_view data);

// Base64 cut into lines of LineLength characters joined by CR LF; with
// TrailingBreak the last line is ended by CR LF as well. Empty data gives
// empty text either way; LineLength 0 gives one line without a break.
std::string EncodeLines(std::string_view data, size_t LineLength, bool TrailingBreak);

// The length of EncodeLines' text for DataSize bytes.
size_t EncodedLinesLength(size_t DataSize, size_t LineLength, bool TrailingBreak);

// EncodeLines' text written to Out, which has room for EncodedLinesLength
// characters; returns the end of what was written. A long input can be
// encoded piece by piece: with TrailingBreak and a LineLength that is a
// multiple of 4, pieces whose sizes are multiples of LineBytes(LineLength)
// (all but the last) give one after the other the text of the whole.
char* EncodeLinesTo(char* Out, std::string_view data, size_t LineLength, bool TrailingBreak);

// The bytes one line of LineLength characters holds when LineLength is a
// multiple of 4 (57 for 76).
constexpr size_t LineBytes(size_t LineLength) { return LineLength / 4 * 3; }

// The decoded bytes. Every byte outside the 64-character alphabet (line
// breaks, blanks, junk) is skipped; with StopAtPadding the first "=" ends
// the data, without it "=" is skipped too. Leftover bits of an incomplete
// last group are dropped (3 characters give 2 bytes, 2 give 1, 1 gives none).
std::string Decode(std::string_view text, bool StopAtPadding);

}  // namespace vxBase64Codec
