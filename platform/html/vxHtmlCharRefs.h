// Character references of HTML read as a browser reads them in text, the
// rules of the HTML standard:
// - "&#" decimal digits or "&#x" hexadecimal digits, the ";" optional; 0, a
//   surrogate and a number beyond U+10FFFF give U+FFFD; 128 to 159 are the
//   Windows-1252 characters of those bytes ("&#128;" is the euro sign, as old
//   mail written on Windows means it);
// - a name of the standard's table with its ";"; the legacy names ("amp",
//   "nbsp", "copy", ... ) also without it, the longest one that fits
//   ("&notit;" is "¬it;");
// - anything else is no reference: the "&" stands for itself.
//
// libxml2's HTML parser reads only the names of HTML 4 and only with their
// ";", and gives C1 controls for 128 to 159: the text walker hands it a
// document in which every reference of the text content is already written
// as the number of the character the standard gives it.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/vxBase.h"

namespace vxHtmlCharRefs {

// The reference that starts at Text[At] (an "&"): the characters it stands
// for go to Out, and the result is the number of code units it takes; 0 when
// no reference starts there (Out is left as it is).
size_t ReadReference(std::u16string_view Text, size_t At, std::u32string& Out);

// Html with every reference in its text content (outside tags, comments,
// declarations and the raw text of script and style) written as "&#x" +
// the hexadecimal number of each character it stands for + ";", and every
// other "&" there as "&#x26;"; the rest unchanged. Markup never arises:
// "&lt;b>" stays text.
ustring NumericReferences(std::u16string_view Html);

}  // namespace vxHtmlCharRefs
