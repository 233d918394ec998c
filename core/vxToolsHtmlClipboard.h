// TvxTools: the clipboard block "HTML Format" that carries an HTML fragment
// with its byte offsets: five header lines, then the HTML in UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/vxBase.h"

namespace TvxTools {

// The block for HtmlStr, lines ended by CR LF:
//   "Version:0.9", "StartHTML:-1", "EndHTML:-1",
//   "StartFragment:" + the header's byte length (81 while the numbers fit
//   six digits), "EndFragment:" + the byte length of the whole block,
//   then the HTML in UTF-8 and CR LF.
// Both numbers are written with at least six digits and are those of the
// finished block, also when a number needs more digits. No terminating NUL.
std::string HtmlClipboardBlock(std::u16string_view HtmlStr);

// The same for HTML already in UTF-8.
std::string HtmlClipboardBlockUtf8(std::string_view HtmlUtf8);

}  // namespace TvxTools
