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
#include "platform/text/vxWildcard.h"

namespace {

using vxWildcard::AnyOne;
using Piece = vxWildcard::TPiece;

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

bool MatchesTemplate(ustring text, ustring pattern, bool trimBefore, bool ignoreCase, Signs signs) {
  if (trimBefore) {
    text = vxRuntime::Trim(text);
    pattern = vxRuntime::Trim(pattern);
  }
  const ustring literals = ignoreCase ? UpperStrW(pattern) : pattern;
  if (ignoreCase) text = UpperStrW(text);
  return vxWildcard::Fits(text, CutAtStars(pattern, literals, signs));
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
