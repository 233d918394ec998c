// TvxStrings: equality beyond the exact one. A template compares a text with
// a star sign standing for any run of characters (the empty run included)
// and a one-character sign standing for exactly one character, as the file
// routines match names against masks such as '*.txt' or '*.t?t'; a tolerant
// comparison accepts texts whose edit-distance accuracy reaches a threshold;
// and two tests hold a text against a list of texts.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"

namespace vxStringsWildcard {

template <class T>
inline constexpr bool IsWidePointer = std::is_pointer_v<T> && std::is_convertible_v<T, const char16_t*>;

// A pointer handed where a switch belongs converts to bool, and so would
// pick a switch form of EqualsExW without a word.
template <class A, class B>
concept PointerTurnsIntoSwitch = (std::is_pointer_v<A> || std::is_pointer_v<B>) &&
                                 std::is_convertible_v<A, bool> && std::is_convertible_v<B, bool>;

// Two UTF-16 pointers in the place of the signs have a form of their own.
template <class A, class B>
concept PointerTurnsIntoSwitchNotSign = PointerTurnsIntoSwitch<A, B> && !(IsWidePointer<A> && IsWidePointer<B>);

}  // namespace vxStringsWildcard

namespace TvxStrings {

// Template comparison: true when the star sign '*' (with UseStar) and the
// one-character sign '_' (with UseUnderline) of StringWithReplacer can stand
// for characters of String1 so that the two are equal; every other
// character stands for itself. With TrimBefore both texts are trimmed
// first, with IgnoreCase both are compared after UpperStrW. A star may take
// any run, so '*.txt' matches 'a.txt.txt' and 'a**c' matches 'ac'. An empty
// template equals only the empty text. Percent receives 100, or 0 when the
// result is false.
bool EqualsExW(const ustring& String1, const ustring& StringWithReplacer, bool TrimBefore, bool IgnoreCase,
               bool UseStar, bool UseUnderline, int32_t& Percent);
bool EqualsExW(const ustring& String1, const ustring& StringWithReplacer, bool TrimBefore, bool IgnoreCase,
               bool UseStar, bool UseUnderline);

// The same comparison with signs of the caller's choice: the star sign
// MoreVariableCharSign is in use when it is not empty, the one-character
// sign OneVariableCharSign when it is not empty and differs from the star
// sign. Signs are found in the template exactly (never case-folded); a sign
// of several characters stands for its whole text, and where both signs
// begin at the same place the star sign is taken.
bool EqualsExW(const ustring& String1, const ustring& StringWithReplacer, bool TrimBefore, bool IgnoreCase,
               const ustring& MoreVariableCharSign, const ustring& OneVariableCharSign);
// Signs given as string literals (u"*", u"?"); a null pointer is an empty
// sign.
bool EqualsExW(const ustring& String1, const ustring& StringWithReplacer, bool TrimBefore, bool IgnoreCase,
               const char16_t* MoreVariableCharSign, const char16_t* OneVariableCharSign);

// Calls that would turn a pointer into one of the switches do not compile
// ("*" instead of u"*", a literal next to a bool, or literal signs with
// Percent, which only the switch form has).
template <class Sign1, class Sign2>
  requires vxStringsWildcard::PointerTurnsIntoSwitchNotSign<Sign1, Sign2>
bool EqualsExW(const ustring&, const ustring&, bool, bool, Sign1, Sign2) = delete;
template <class Sign1, class Sign2>
  requires vxStringsWildcard::PointerTurnsIntoSwitch<Sign1, Sign2>
bool EqualsExW(const ustring&, const ustring&, bool, bool, Sign1, Sign2, int32_t&) = delete;

// With TrimBefore both texts are trimmed, with IgnoreCase both upper-cased;
// Percent receives TvxMath::GetDamerauLevenshteinAccuracy of the two (0 to
// 100). True when Percent reaches MaxDistance, the lowest accepted accuracy.
bool EqualsWithDistanceW(const ustring& String1, const ustring& String2, bool TrimBefore, bool IgnoreCase,
                         double MaxDistance, double& Percent);

// True when EqualsW(Content, item, TrimBefore, IgnoreCase) holds for an item
// of the list; false for an empty list.
bool IsNotValid(const ustring& Content, const TStrings& NotAllowedStrings, bool TrimBefore, bool IgnoreCase);

// The empty text when IsNotValid(Content, AllowedStrings, ...) holds, else
// Content unchanged (untrimmed): the list names the texts to clear.
ustring ClearIfNotValid(const ustring& Content, const TStrings& AllowedStrings, bool TrimBefore, bool IgnoreCase);
// The same with the list given as text split at Seperator (SplitStringW); an
// empty text or Seperator gives no item, so Content comes back unchanged.
ustring ClearIfNotValid(const ustring& Content, const ustring& AllowedStringsAsCSVString, const ustring& Seperator,
                        bool TrimBefore, bool IgnoreCase);

}  // namespace TvxStrings
