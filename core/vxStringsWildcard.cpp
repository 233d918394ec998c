// TvxStrings: equality beyond the exact one.
#include "core/vxStringsWildcard.h"

#include <string>
#include <string_view>
#include <vector>

#include "core/vxMath.h"
#include "core/vxStringsReplace.h"
#include "core/vxStringsSearch.h"
#include "core/vxToolsEvo2.h"
#include "platform/base/vxRuntime.h"

namespace {

// A template piece between two star signs: UTF-16 units to match exactly,
// and AnyOne where the one-character sign stood.
using Piece = std::u32string;
constexpr char32_t AnyOne = 0x110000;  // above every UTF-16 unit

// The signs in use; an empty view is a sign not in use.
struct Signs {
  std::u16string_view Star;
  std::u16string_view One;
};

bool SignAt(std::u16string_view pattern, size_t at, std::u16string_view sign) {
  return !sign.empty() && pattern.substr(at).starts_with(sign);
}

// The template cut at its star signs. Signs are looked for in pattern as
// given; the characters of the pieces are taken from literals, the same
// template after the optional upper-casing (same length, unit for unit).
std::vector<Piece> CutAtStars(std::u16string_view pattern, std::u16string_view literals, Signs signs) {
  std::vector<Piece> pieces(1);
  for (size_t i = 0; i < pattern.size();) {
    if (SignAt(pattern, i, signs.Star)) {
      pieces.emplace_back();
      i += signs.Star.size();
    } else if (SignAt(pattern, i, signs.One)) {
      pieces.back().push_back(AnyOne);
      i += signs.One.size();
    } else {
      pieces.back().push_back(literals[i]);
      ++i;
    }
  }
  return pieces;
}

bool FitsAt(std::u16string_view text, size_t at, const Piece& piece) {
  for (size_t k = 0; k < piece.size(); ++k)
    if (piece[k] != AnyOne && piece[k] != text[at + k]) return false;
  return true;
}

// The first place at or after from where piece fits and ends by end; npos
// when there is none. The candidates are the places of the piece's first
// exact character, which the string search finds fast.
size_t FirstFit(std::u16string_view text, size_t from, size_t end, const Piece& piece) {
  constexpr size_t none = std::u16string_view::npos;
  if (end < piece.size() || from > end - piece.size()) return none;
  const size_t lastStart = end - piece.size();
  const size_t anchor = piece.find_first_not_of(AnyOne);
  for (size_t at = from; at <= lastStart; ++at) {
    if (anchor != Piece::npos) {
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
bool Fits(std::u16string_view text, const std::vector<Piece>& pieces) {
  const Piece& first = pieces.front();
  if (pieces.size() == 1) return text.size() == first.size() && FitsAt(text, 0, first);
  const Piece& last = pieces.back();
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

bool MatchesTemplate(ustring text, ustring pattern, bool trimBefore, bool ignoreCase, Signs signs) {
  if (trimBefore) {
    text = vxRuntime::Trim(text);
    pattern = vxRuntime::Trim(pattern);
  }
  const ustring literals = ignoreCase ? UpperStrW(pattern) : pattern;
  if (ignoreCase) text = UpperStrW(text);
  return Fits(text, CutAtStars(pattern, literals, signs));
}

Signs SwitchedSigns(bool useStar, bool useUnderline) {
  return {useStar ? u"*" : u"", useUnderline ? u"_" : u""};
}

}  // namespace

namespace TvxStrings {

bool EqualsExW(const ustring& String1, const ustring& StringWithReplacer, bool TrimBefore, bool IgnoreCase,
               bool UseStar, bool UseUnderline, int32_t& Percent) {
  const bool equal = EqualsExW(String1, StringWithReplacer, TrimBefore, IgnoreCase, UseStar, UseUnderline);
  Percent = equal ? 100 : 0;
  return equal;
}

bool EqualsExW(const ustring& String1, const ustring& StringWithReplacer, bool TrimBefore, bool IgnoreCase,
               bool UseStar, bool UseUnderline) {
  return MatchesTemplate(String1, StringWithReplacer, TrimBefore, IgnoreCase, SwitchedSigns(UseStar, UseUnderline));
}

bool EqualsExW(const ustring& String1, const ustring& StringWithReplacer, bool TrimBefore, bool IgnoreCase,
               const ustring& MoreVariableCharSign, const ustring& OneVariableCharSign) {
  Signs signs{MoreVariableCharSign, OneVariableCharSign};
  if (signs.One == signs.Star) signs.One = {};
  return MatchesTemplate(String1, StringWithReplacer, TrimBefore, IgnoreCase, signs);
}

bool EqualsExW(const ustring& String1, const ustring& StringWithReplacer, bool TrimBefore, bool IgnoreCase,
               const char16_t* MoreVariableCharSign, const char16_t* OneVariableCharSign) {
  const auto sign = [](const char16_t* s) { return s ? ustring(s) : ustring(); };
  return EqualsExW(String1, StringWithReplacer, TrimBefore, IgnoreCase, sign(MoreVariableCharSign),
                   sign(OneVariableCharSign));
}

bool EqualsWithDistanceW(const ustring& String1, const ustring& String2, bool TrimBefore, bool IgnoreCase,
                         double MaxDistance, double& Percent) {
  ustring s1 = TrimBefore ? vxRuntime::Trim(String1) : String1;
  ustring s2 = TrimBefore ? vxRuntime::Trim(String2) : String2;
  if (IgnoreCase) {
    s1 = UpperStrW(s1);
    s2 = UpperStrW(s2);
  }
  Percent = TvxMath::GetDamerauLevenshteinAccuracy(s1, s2);
  return Percent >= MaxDistance;
}

bool IsNotValid(const ustring& Content, const TStrings& NotAllowedStrings, bool TrimBefore, bool IgnoreCase) {
  for (int32_t i = 0; i < NotAllowedStrings.Count(); ++i)
    if (EqualsW(Content, NotAllowedStrings[i], TrimBefore, IgnoreCase)) return true;
  return false;
}

ustring ClearIfNotValid(const ustring& Content, const TStrings& AllowedStrings, bool TrimBefore, bool IgnoreCase) {
  return IsNotValid(Content, AllowedStrings, TrimBefore, IgnoreCase) ? ustring() : Content;
}

ustring ClearIfNotValid(const ustring& Content, const ustring& AllowedStringsAsCSVString, const ustring& Seperator,
                        bool TrimBefore, bool IgnoreCase) {
  TStringList items;  // a fresh unsorted list takes every item
  SplitStringW(AllowedStringsAsCSVString, Seperator, items);
  return ClearIfNotValid(Content, items, TrimBefore, IgnoreCase);
}

}  // namespace TvxStrings
