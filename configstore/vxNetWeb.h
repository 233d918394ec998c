// TvxNet, the web content helpers: the parts of a "multipart/form-data"
// body, the minifiers of style sheets and scripts, named placeholders in
// them, and the screen that refuses texts looking like cross-site scripting
// and escapes the rest for HTML. Stateless; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "configstore/vxGenerics.h"
#include "core/vxTypes.h"
#include "platform/base/vxBase.h"
#include "platform/values/vxVariant.h"

// One part of a multipart body.
struct TMultiPart {
  std::string Name;   // the form field's name (bytes as sent)
  std::string SORTL;  // Name with a to z upper-cased: the key of the look-ups
  std::string CType;  // the part's content type
  std::string Data;   // the content bytes
  ustring FileName;   // an uploaded file's name; empty for a plain field
  // Every header line: Key the name upper-cased (UpperStrW), Value the text
  // after the ":", trimmed.
  TvxKeyValueList Header;
};
using TMultiParts = std::vector<TMultiPart>;

namespace TvxNet {

// ---- Multipart bodies ----

// Splits a body into its parts. The delimiter is the body's first line,
// trimmed ("--xyz"); each part is its header lines up to the first empty
// line, then its content up to the CR LF before the next delimiter. The
// "name" and "filename" parameters of Content-Disposition, in either order
// and quoted or not, give Name and FileName; Content-Type gives CType (a to
// z lower-cased with LowerCaseContentType). Header texts are read as UTF-8
// when they are well-formed UTF-8, else in the system code page.
// False for an empty body (MultiParts untouched), a body without a
// delimiter line, a part without its empty line or without a delimiter
// after its content, and a body that goes on after its last delimiter
// with anything but the closing "--" or line ends; MultiParts then holds
// the parts read until then.
bool ParseMultiPartData(const std::string& Data, TMultiParts& MultiParts, bool LowerCaseContentType);
// The index of the first part whose SORTL is Param with a to z
// upper-cased; -1 when none.
int32_t GetMultiPartId(const TMultiParts& MultiParts, const std::string& Param);
std::string GetMultiPartData(const TMultiParts& MultiParts, const std::string& Param, const std::string& Default);
// The Value of the part's first header whose Key is UpperStrW(HeaderKey).
ustring GetMultiPartHeaderValue(const TMultiPart& MultiPart, const ustring& HeaderKey, const ustring& Default);

// ---- Style sheets and scripts ----

// Comments removed ("/*!" comments kept on lines of their own), each line
// trimmed and followed by one blank, the lines joined.
ustring CompressCSS(const ustring& CSS);
// Comments removed ("/*!" comments kept on lines of their own) and the
// lines joined by blanks, keeping strings and regular-expression literals.
ustring CompressJavaScript(const ustring& JavaScript);

// Replaces each placeholder "[@" name "(" default ")]" by the value of
// StyleDefinition under the name with a to z upper-cased (the default when
// there is none). A placeholder inside an inserted value (but at its first
// character) is replaced too, with two limits so that the text cannot grow
// for ever: one whose name is already being expanded around it (a value
// that holds its own placeholder) stays as it stands, and at most 1024
// placeholders inside inserted values are replaced in one call; the rest
// stay as they stand.
std::string ApplyStyle(const TvxDictionary<ustring, Variant>& StyleDefinition, const std::string& CSSorJavaScript);

// ---- Cross-site scripting ----

// Raises Exception "found possible XSS attack!" when TestString, with its
// numeric character references decoded, its case and blanks ignored, holds
// an entry of the attack list: AttackFlags when not empty (a comma text),
// else the full list with FullTest, else the short list. Otherwise the
// result is TestString, or with QuoteString TestString escaped for HTML
// (";", "#", "&", quotes, apostrophe, parentheses, "/", "<" and ">"), the
// characters of AllowedChars excepted; with ErrorWhenQuote a text that
// escaping changes raises as well.
ustring XSSProtection(const ustring& TestString, bool QuoteString, bool ErrorWhenQuote, const ustring& AllowedChars,
                      bool FullTest, const ustring& AttackFlags);

}  // namespace TvxNet
