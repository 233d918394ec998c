// The one wildcard matcher: a template cut at its stars into pieces, each a
// run of units matched exactly or by "any one", placed over a text in time
// linear in the text for each piece (no backtracking). The core library's
// EqualsExW and the file masks both stand on it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vxWildcard {

// A piece of a template: UTF-16 units to match exactly, and AnyOne where the
// template's one-character sign stood.
using TPiece = std::u32string;
inline constexpr char32_t AnyOne = 0x110000;  // above every UTF-16 unit

// Whether text matches the pieces: a single piece is the whole text; with
// more, the first stands at the start, the last at the end, and each star
// between two pieces stands for any run of units.
bool Fits(std::u16string_view text, const std::vector<TPiece>& pieces);

}  // namespace vxWildcard
