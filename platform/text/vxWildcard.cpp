// The one wildcard matcher (see vxWildcard.h).
#include "platform/text/vxWildcard.h"

namespace vxWildcard {

namespace {

bool FitsAt(std::u16string_view text, size_t at, const TPiece& piece) {
  for (size_t k = 0; k < piece.size(); ++k)
    if (piece[k] != AnyOne && piece[k] != text[at + k]) return false;
  return true;
}

// The first place at or after from where piece fits and ends by end; npos
// when there is none. The candidates are the places of the piece's first
// exact character, which the string search finds fast.
size_t FirstFit(std::u16string_view text, size_t from, size_t end, const TPiece& piece) {
  constexpr size_t none = std::u16string_view::npos;
  if (end < piece.size() || from > end - piece.size()) return none;
  const size_t lastStart = end - piece.size();
  const size_t anchor = piece.find_first_not_of(AnyOne);
  for (size_t at = from; at <= lastStart; ++at) {
    if (anchor != TPiece::npos) {
      const size_t hit = text.find(static_cast<char16_t>(piece[anchor]), at + anchor);
      if (hit == none || hit - anchor > lastStart) return none;
      at = hit - anchor;
    }
    if (FitsAt(text, at, piece)) return at;
  }
  return none;
}

// Every piece stands for a run of exactly its length, the stars between them
// for any runs. The first piece is held at the start and the last at the
// end; each piece between them is placed at its first fit after the one
// before it, which leaves the most room for the rest, so no placement ever
// has to be undone. Work is bounded by the text's length times the
// template's.
}  // namespace

bool Fits(std::u16string_view text, const std::vector<TPiece>& pieces) {
  const TPiece& first = pieces.front();
  if (pieces.size() == 1) return text.size() == first.size() && FitsAt(text, 0, first);
  const TPiece& last = pieces.back();
  if (first.size() + last.size() > text.size()) return false;
  const size_t end = text.size() - last.size();
  if (!FitsAt(text, 0, first) || !FitsAt(text, end, last)) return false;
  size_t matched = first.size();
  for (size_t i = 1; i + 1 < pieces.size(); ++i) {
    const size_t at = FirstFit(text, matched, end, pieces[i]);
    if (at == std::u16string_view::npos) return false;
    matched = at + pieces[i].size();
  }
  return true;
}

}  // namespace vxWildcard
