// The one wildcard matcher: a template cut at its stars into pieces, each a
// run of signs matched by a bit-parallel automaton, placed over the text
// piece after piece at the first place each fits (no backtracking). The
// core library's EqualsExW and the file masks both stand on it.
//
// Work: a piece scans only the text between the end of the piece before it
// and its own first fit, at one machine word per 64 signs of the piece, so
// a whole match takes time linear in text plus template while no piece is
// longer than 63 signs (longer plain pieces use a linear string search).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vxWildcard {

// A piece of a template: UTF-16 units to match exactly, and the signs below
// (all above every UTF-16 unit).
using TPiece = std::u32string;
// Any one unit.
inline constexpr char32_t AnyOne = 0x110000;
// Any one unit but a dot; at a dot or at the end of the text it matches
// nothing ("a??.txt" takes "a.txt").
inline constexpr char32_t AnyButDot = 0x110001;
// A dot, or nothing at the end of the text.
inline constexpr char32_t DotOrEnd = 0x110002;
// Only first in a piece after the first: the star before this piece does not
// run past the text's last dot.
inline constexpr char32_t StarStopsAtLastDot = 0x110003;

// A template read once and matched against many texts.
class TMatcher {
 public:
  // Pieces: at least one. A single piece is the whole text; with more, the
  // first stands at the start, the last at the end, and each star between
  // two pieces stands for any run of units.
  explicit TMatcher(const std::vector<TPiece>& Pieces);
  ~TMatcher();
  TMatcher(TMatcher&&) noexcept;
  TMatcher& operator=(TMatcher&&) noexcept;

  bool Fits(std::u16string_view Text) const;

 private:
  struct TCompiled;
  std::vector<TCompiled> FPieces;
  std::vector<bool> FStopsAtLastDot;  // per piece: the star before it
  bool FAnyStopsAtLastDot = false;
};

// Whether text matches the pieces (see TMatcher).
bool Fits(std::u16string_view text, const std::vector<TPiece>& pieces);

}  // namespace vxWildcard
