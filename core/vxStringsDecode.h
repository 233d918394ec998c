// TvxStrings: mail texts made plain: the two decoders of quoted-printable
// 8-bit text and the text of an HTML document as a browser shows it.
#pragma once

#include <string>

#include "platform/base/vxBase.h"

namespace TvxStrings {

// Decodes the codes of a fixed table, code by code in ascending order and
// each over the whole text, the hexadecimal letters in either case: =00 ..
// =1F are removed; =20, =2C, =2E, =3D, =7E, =7F and =80 .. =FF become the
// byte of their value, except =DD, =ED and =FD, which stay, as does every
// other code. A decoded "=" may thus form a later code with the two
// characters after it ('=3D80' gives the byte 80, '=3D41' gives '=41').
// Then every "=" CR LF is removed, until none is left.
std::string ReplaceQuotedPrintableSimple(const std::string& Content);

// Removes the soft line breaks ("=" CR LF, then "=" LF, then "=" CR, each
// until none is left), then decodes each "=" with the one or two
// hexadecimal digits after it into the byte of their value, left to right,
// never decoding a decoded "=" again. An "=" whose two characters are not
// hexadecimal digits is dropped together with them; one at the very end is
// dropped alone.
std::string ReplaceQuotedPrintable(const std::string& Content);

// The text of the HTML as a browser renders its body (innerText), its lines
// separated by CR LF; empty when the document cannot be read.
ustring HtmlToText(const ustring& _html);

}  // namespace TvxStrings
