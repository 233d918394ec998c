// The one wildcard matcher (see vxWildcard.h).
//
// A piece of L signs is an automaton of L + 1 states, state j meaning "the
// first j signs are matched"; the set of live states is a row of bits,
// moved over one text unit by a shift and a mask (the classic shift-and
// search). The signs that may match nothing do so only at a dot or at the
// end of the text; there a live state skips the whole run of such signs at
// once, by one addition that carries it to the end of its run.
//
// Between pieces only the earliest end of a piece matters: every sign takes
// at most one unit and a later start never ends earlier, so the star after
// it can reach whatever a later fit would give. The one exception is a star
// that may not run past the last dot, when the dot after it stands for the
// end of the text: then what counts is whether the piece before can end
// past the last dot at all, which is asked only where the rest of the
// template could still match nothing.
#include "platform/text/vxWildcard.h"

#include <algorithm>
#include <unordered_map>

namespace vxWildcard {

namespace {

using TBits = std::vector<uint64_t>;
constexpr size_t none = std::u16string_view::npos;

bool IsSign(char32_t c) { return c >= AnyOne; }
bool MayMatchNothing(char32_t c) { return c == AnyButDot || c == DotOrEnd; }

void SetBit(TBits& bits, size_t j) { bits[j / 64] |= uint64_t{1} << (j % 64); }
bool TestBit(const TBits& bits, size_t j) { return (bits[j / 64] >> (j % 64)) & 1U; }
bool AnyBit(const TBits& bits) {
  return std::any_of(bits.begin(), bits.end(), [](uint64_t w) { return w != 0; });
}

}  // namespace

struct TMatcher::TCompiled {
  size_t Length = 0;
  size_t Words = 0;
  bool Exact = true;          // units only: a plain string search does
  bool NothingOnly = true;    // may match the empty run (every sign may)
  std::u16string Units;       // the piece, when Exact and long
  std::vector<uint32_t> Border;  // Units' longest proper border of each prefix (Knuth-Morris-Pratt)
  TBits Any, ButDot, DotEnd;  // bit j: sign j is of that kind
  TBits AtDot, AtEnd;         // the signs that match nothing at a dot, at the end
  // The states j whose sign j is that unit: a bit row for units frequent in
  // the piece, a list of places for the others (so memory stays linear).
  std::unordered_map<char16_t, std::vector<uint32_t>> Places;
  std::unordered_map<char16_t, TBits> Rows;

  explicit TCompiled(const TPiece& piece) : Length(piece.size()), Words(piece.size() / 64 + 1) {
    Any.assign(Words, 0);
    ButDot.assign(Words, 0);
    DotEnd.assign(Words, 0);
    for (size_t j = 0; j < Length; ++j) {
      const char32_t c = piece[j];
      if (IsSign(c)) Exact = false;
      if (!MayMatchNothing(c)) NothingOnly = false;
      if (c == AnyOne)
        SetBit(Any, j);
      else if (c == AnyButDot)
        SetBit(ButDot, j);
      else if (c == DotOrEnd)
        SetBit(DotEnd, j);
      else
        Places[static_cast<char16_t>(c)].push_back(static_cast<uint32_t>(j));
    }
    AtDot = ButDot;
    AtEnd = ButDot;
    for (size_t w = 0; w < Words; ++w) AtEnd[w] |= DotEnd[w];
    for (auto it = Places.begin(); it != Places.end();) {
      if (it->second.size() < Words) {
        ++it;
        continue;
      }
      TBits& row = Rows[it->first];
      row.assign(Words, 0);
      for (uint32_t j : it->second) SetBit(row, j);
      it = Places.erase(it);
    }
    if (Exact && Words > 1) {
      Units.assign(piece.begin(), piece.end());
      Border.assign(Length, 0);
      for (size_t j = 1, k = 0; j < Length; ++j) {
        while (k > 0 && Units[j] != Units[k]) k = Border[k - 1];
        if (Units[j] == Units[k]) ++k;
        Border[j] = static_cast<uint32_t>(k);
      }
    }
  }

  // Live states that stand on a run of the given signs move to the run's
  // end: adding a state bit to the run's bits carries it to the first state
  // after the run, clearing the bits on the way.
  static void SkipRuns(TBits& live, const TBits& run) {
    uint64_t carry = 0;
    for (size_t w = 0; w < live.size(); ++w) {
      const uint64_t from = live[w] & run[w];
      const uint64_t sum = run[w] + from;
      const uint64_t out = (sum < run[w]) || (carry && sum == ~uint64_t{0}) ? 1 : 0;
      const uint64_t total = sum + carry;
      live[w] |= (run[w] & ~total) | (total & ~run[w]);
      carry = out;
    }
  }

  // One text unit taken: the states whose sign takes it move one on.
  void Step(TBits& live, TBits& next, char16_t unit) const {
    const TBits& kind = unit == u'.' ? DotEnd : ButDot;
    for (size_t w = 0; w < Words; ++w) next[w] = live[w] & (Any[w] | kind[w]);
    if (auto row = Rows.find(unit); row != Rows.end()) {
      for (size_t w = 0; w < Words; ++w) next[w] |= live[w] & row->second[w];
    } else if (auto places = Places.find(unit); places != Places.end()) {
      for (uint32_t j : places->second)
        if (TestBit(live, j)) SetBit(next, j);
    }
    uint64_t carry = 0;
    for (size_t w = 0; w < Words; ++w) {
      const uint64_t out = next[w] >> 63;
      live[w] = (next[w] << 1) | carry;
      carry = out;
    }
  }

  // The first place p >= MinEnd at which the piece can end, started at any
  // place in [From, Until], and at the text's end when AtTextEnd; none when
  // there is none. With EndOnly, only an end at the text's end counts.
  size_t FirstEnd(std::u16string_view text, size_t From, size_t Until, bool AtTextEnd, size_t MinEnd,
                  bool EndOnly) const {
    const size_t n = text.size();
    if (!Units.empty()) return FirstExactEnd(text, From, Until, AtTextEnd, EndOnly ? n : MinEnd, EndOnly);
    TBits live(Words, 0), next(Words, 0);
    for (size_t p = From; p <= n; ++p) {
      if (p > Until && !AnyBit(live)) {
        if (!AtTextEnd || p == n + 1) return none;
        p = n;  // nothing is under way: only a start at the end is left
      }
      if (p <= Until || (p == n && AtTextEnd)) live[0] |= 1;
      if (p == n)
        SkipRuns(live, AtEnd);
      else if (text[p] == u'.')
        SkipRuns(live, AtDot);
      if (TestBit(live, Length) && p >= MinEnd && (!EndOnly || p == n)) return p;
      if (p == n) break;
      Step(live, next, text[p]);
    }
    return none;
  }

  size_t FirstExactEnd(std::u16string_view text, size_t From, size_t Until, bool AtTextEnd, size_t MinEnd,
                       bool EndOnly) const {
    const size_t n = text.size();
    if (n < Length) return none;
    const size_t lastStart = std::min(Until, n - Length);  // Length > 0 here
    (void)AtTextEnd;                                       // a start at the end fits no unit
    size_t start = std::max(From, MinEnd > Length ? MinEnd - Length : 0);
    if (EndOnly) start = std::max(start, n - Length);
    if (start > lastStart) return none;
    // The first place the piece ends, in time linear in text and piece.
    for (size_t p = start, k = 0; p < lastStart + Length; ++p) {
      while (k > 0 && text[p] != Units[k]) k = Border[k - 1];
      if (text[p] == Units[k]) ++k;
      if (k == Length) return EndOnly && p + 1 != n ? none : p + 1;
    }
    return none;
  }
};

TMatcher::TMatcher(const std::vector<TPiece>& Pieces) {
  FPieces.reserve(Pieces.size());
  FStopsAtLastDot.assign(Pieces.size(), false);
  for (size_t i = 0; i < Pieces.size(); ++i) {
    TPiece piece = Pieces[i];
    if (i > 0 && !piece.empty() && piece.front() == StarStopsAtLastDot) {
      piece.erase(0, 1);
      FStopsAtLastDot[i] = true;
    }
    FPieces.emplace_back(piece);
  }
  // Such a star differs from a plain one only where the dot after it may
  // stand for the end of the text, which needs every sign after it to
  // match nothing there; elsewhere that dot is a dot of the text, which the
  // star cannot have passed.
  bool restMatchesNothing = true;
  for (size_t i = FPieces.size(); i-- > 1;) {
    restMatchesNothing = restMatchesNothing && FPieces[i].NothingOnly;
    if (!restMatchesNothing) FStopsAtLastDot[i] = false;
    FAnyStopsAtLastDot = FAnyStopsAtLastDot || FStopsAtLastDot[i];
  }
}

TMatcher::~TMatcher() = default;
TMatcher::TMatcher(TMatcher&&) noexcept = default;
TMatcher& TMatcher::operator=(TMatcher&&) noexcept = default;

bool TMatcher::Fits(std::u16string_view Text) const {
  const size_t n = Text.size();
  const size_t lastDot = FAnyStopsAtLastDot ? Text.rfind(u'.') : none;
  auto stops = [&](size_t i) { return i < FPieces.size() && FStopsAtLastDot[i] && lastDot != none; };
  if (FPieces.size() == 1) return FPieces[0].FirstEnd(Text, 0, 0, false, n, true) == n;

  // Where the piece under way may start: [from, until], and the text's end
  // when atEnd.
  size_t from = 0, until = 0;
  bool atEnd = false;
  for (size_t i = 0;; ++i) {
    const TCompiled& piece = FPieces[i];
    if (i + 1 == FPieces.size()) return piece.FirstEnd(Text, from, until, atEnd, n, true) == n;
    const size_t end = piece.FirstEnd(Text, from, until, atEnd, 0, false);
    if (end == none) return false;
    bool past = false;  // the piece can end past the last dot
    if (stops(i + 1)) {
      if (end > lastDot || (piece.NothingOnly && (atEnd || until >= n))) {
        past = true;
      } else {
        // A start more than the piece's length before the dot ends before it.
        const size_t near = lastDot + 1 > piece.Length ? lastDot + 1 - piece.Length : 0;
        past = piece.FirstEnd(Text, std::max(from, near), until, atEnd, lastDot + 1, false) != none;
      }
    }
    from = end;
    if (stops(i + 1)) {
      // Up to the last dot; past it only the end counts (no dot is left for
      // the dot after the star), reached when the piece can end past it.
      until = lastDot;
      atEnd = past;
    } else {
      until = n;
      atEnd = true;
    }
  }
}

bool Fits(std::u16string_view text, const std::vector<TPiece>& pieces) { return TMatcher(pieces).Fits(text); }

}  // namespace vxWildcard
