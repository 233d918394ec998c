// The small encodings of Internet mail: Base64 and quoted-printable bodies
// (RFC 2045), encoded words in header text (RFC 2047), header parameters with
// charsets and continuations (RFC 2231), and text in a named charset.
// All routines are linear in their input and never throw on malformed input:
// decoders keep what they cannot read.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "platform/base/vxBase.h"
#include "platform/base/vxCodePage.h"

namespace vxMimeCodec {

// Base64 on one line, without line breaks (SASL responses, headers).
std::string Base64Encode(std::string_view data);
// Base64 in lines of 76 characters, each ended by CR LF (MIME bodies).
std::string Base64EncodeLines(std::string_view data);
// The same lines made in pieces: their length for Size bytes, and the lines
// of data written to Out (room for Base64LinesLength(data.size())), which
// returns the end. Pieces of Base64LinePieceBytes(n) bytes, all but the
// last, give one after the other the lines of the whole.
size_t Base64LinesLength(uint64_t Size);
char* Base64EncodeLinesTo(char* Out, std::string_view data);
constexpr size_t Base64LinePieceBytes(size_t Lines) { return Lines * 57; }
// Decodes Base64, skipping line breaks and any character outside the
// alphabet; stops at the padding.
std::string Base64Decode(std::string_view text);

// Turns every CR LF, lone CR and lone LF into CR LF.
std::string NormaliseLineBreaks(std::string_view data);

// Quoted-printable in lines of at most 76 characters. CR LF in data is a
// line break of the text; a lone CR or LF is encoded as a byte.
std::string QuotedPrintableEncode(std::string_view data);
// Decodes quoted-printable: soft line breaks are removed, "=XX" becomes the
// byte, a malformed "=" stays as it is.
std::string QuotedPrintableDecode(std::string_view text);

// IsUtf8 and UnknownBytesToWide (8-bit text of unknown charset) are the
// code-page layer's, platform/base/vxCodePage.h.
// Text in the named charset (any name ICU knows; "utf-8", "us-ascii" and
// "iso-8859-1" are read as UTF-8 and Windows-1252 supersets). An unknown
// charset is read as UnknownBytesToWide.
ustring CharsetToWide(std::string_view charset, std::string_view bytes);

// Header text for the wire: printable ASCII stays as it is; other text
// becomes UTF-8 encoded words ("=?UTF-8?Q?...?="), at most 75 characters
// each, separated by blanks so that the header can be folded between them.
// The encoded words are safe inside a display name as well. FirstLineUsed,
// when given, is how many characters the field's first line holds before
// the text ("Subject:" holds 8): the first word is then made short enough
// to stay on that line within 76 columns.
std::string EncodeHeaderText(std::u16string_view text, size_t FirstLineUsed = 0);
// Decodes the encoded words of a header text (line folds removed first);
// blanks between two encoded words are dropped, other bytes are read as
// UnknownBytesToWide. A word longer than a line (998 characters) is read
// as plain text.
ustring DecodeHeaderText(std::string_view raw);

// One header parameter, as 'name=value', 'name="a, b.zip"' or, for
// non-ASCII or long values, 'name*=UTF-8''...' and 'name*0*=...; name*1*=...'
// (sections end between characters).
std::string FormatParameter(std::string_view name, std::u16string_view value);

// A structured header value such as a content type: the leading value and
// its parameters, names lower-cased, values decoded (quoted strings, RFC 2231
// charsets and continuations, and encoded words inside quoted values).
struct THeaderParameters {
  std::string Value;
  std::map<std::string, ustring> Parameters;

  ustring Get(const std::string& lowerCaseName) const;
};
THeaderParameters ParseHeaderParameters(std::string_view raw);

// Removes the line breaks of folded header lines (the blank after each stays).
std::string Unfold(std::string_view raw);

}  // namespace vxMimeCodec
