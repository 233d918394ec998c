// TvxStrings: tests on the characters of a text (digits, a simple format mask,
// tall and descending letters, a regular expression), word counts.
#include "core/vxStringsCheck.h"

#include <algorithm>
#include <string_view>
#include <type_traits>

#include "core/vxStringsPad.h"
#include "core/vxStringsReplace.h"
#include "core/vxStringsSearch.h"
#include "platform/text/vxRegExpr.h"
#include "platform/base/vxRuntime.h"

namespace {

constexpr std::u16string_view Digits = u"0123456789";

template <class Ch>
constexpr bool IsDigit(Ch c) {
  return c >= '0' && c <= '9';
}

template <class Ch>
bool AllOf(std::basic_string_view<Ch> text, auto allowed) {
  return std::all_of(text.begin(), text.end(), allowed);
}

template <class Ch>
bool FitsSimpleFormat(std::basic_string_view<Ch> format, std::basic_string_view<Ch> str) {
  if (format.size() != str.size()) return false;
  for (size_t i = 0; i < format.size(); ++i) {
    const Ch f = format[i], c = str[i];
    if (f == c || f == '$' || (f == '#' && IsDigit(c))) continue;
    return false;
  }
  return true;
}

// The kinds of a character by its code (a Windows-1252 byte or a UTF-16
// unit; both agree below 0x100).
constexpr int32_t Tall = 1;
constexpr int32_t Descending = 2;

int32_t HeightOf(uint32_t code) {
  constexpr std::u16string_view tall = u"!%&()?bdfhijklty\"\u00A7\u00C4\u00D6\u00DC\u00E4\u00F6\u00FC";
  constexpr std::u16string_view descending = u",;gjpq";
  if (code > 0xFF) return 0;
  const auto c = static_cast<char16_t>(code);
  int32_t kinds = 0;
  if (IsDigit(c) || (c >= u'A' && c <= u'Z') || tall.find(c) != tall.npos) kinds |= Tall;
  if (descending.find(c) != descending.npos) kinds |= Descending;
  return kinds;
}

template <class Ch>
int32_t HighAndLow(std::basic_string_view<Ch> content) {
  int32_t seen = 0;
  for (const Ch c : content) {
    seen |= HeightOf(static_cast<std::make_unsigned_t<Ch>>(c));
    if (seen == (Tall | Descending)) break;
  }
  return seen;
}

template <class Str>
bool SplitAtFirst(const Str& source, const Str& splitAt, int32_t p, Str& left, Str& right) {
  if (p == 0) {
    left = source;
    right.clear();
    return false;
  }
  // Copies first: Left or Right may be the very object Source refers to.
  Str before = vxRuntime::Copy(source, 1, p - 1);
  Str behind = vxRuntime::Copy(source, static_cast<long long>(p) + splitAt.size(), source.size());
  left = std::move(before);
  right = std::move(behind);
  return true;
}

std::u16string_view NumberChars(bool allowTypeSeparators, int32_t typeId) {
  if (!allowTypeSeparators) return Digits;
  switch (typeId) {
    case 5:
      return u"0123456789.,";
    case 2:
      return u"0123456789.-/";
    default:
      return Digits;
  }
}

}  // namespace

namespace TvxStrings {

bool IsNumeric(const std::string& Txt, bool AllowBlanks) {
  return AllOf<char>(Txt, [&](char c) { return IsDigit(c) || (AllowBlanks && c == ' '); });
}

bool IsNumeric(const ustring& Txt, bool AllowBlanks, bool AllowNumRelChars) {
  constexpr std::u16string_view numberSigns = u"+,-.";
  const bool withSigns = AllowBlanks && AllowNumRelChars;
  return AllOf<char16_t>(Txt, [&](char16_t c) {
    return IsDigit(c) || (AllowBlanks && c == u' ') || (withSigns && numberSigns.find(c) != numberSigns.npos);
  });
}

bool ContainsNumbers(const ustring& Txt) { return std::none_of(Txt.begin(), Txt.end(), IsDigit<char16_t>); }

bool VerifySimpleFormat(const std::string& Format, const std::string& Str) {
  return FitsSimpleFormat<char>(Format, Str);
}

bool VerifySimpleFormat(const ustring& Format, const ustring& Str) { return FitsSimpleFormat<char16_t>(Format, Str); }

int32_t ContainHighAndLowChars(const std::string& Content) { return HighAndLow<char>(Content); }

int32_t ContainHighAndLowChars(const ustring& Content) { return HighAndLow<char16_t>(Content); }

bool EqualsRegExW(const ustring& String1, const ustring& StringWithPattern, int32_t& Percent) {
  Percent = 0;
  TvxRegExpr expression(StringWithPattern);
  // Only the first match counts: when it is empty the answer is false, even
  // if a longer match follows further on.
  if (!expression.Exec(String1) || expression.MatchLen() == 0) return false;
  Percent = 100;
  return true;
}

int32_t GetWordCount(const ustring& Content) {
  const ustring words = RemoveMoreThenOneBlanks(vxRuntime::Trim(Content));
  if (words.empty()) return 0;
  return static_cast<int32_t>(std::count(words.begin(), words.end(), u' ')) + 1;
}

int32_t GetWordCountAfter(const ustring& Content, const ustring& SearchElement, int32_t DefaultValue) {
  const int32_t at = PosW(Content, SearchElement, 1, true);
  if (at == 0) return DefaultValue;
  return GetWordCount(SubStringW(Content, at + static_cast<int32_t>(SearchElement.size()), false, true));
}

bool SplitFirstString(const std::string& Source, const std::string& SplitAt, std::string& Left, std::string& Right) {
  return SplitAtFirst(Source, SplitAt, PosA(Source, SplitAt, 1, false), Left, Right);
}

bool SplitFirstStringW(const ustring& Source, const ustring& SplitAt, ustring& Left, ustring& Right) {
  return SplitAtFirst(Source, SplitAt, PosW(Source, SplitAt, 1, false), Left, Right);
}

bool SplitBeforeFirstNumber(const ustring& Content, ustring& StringBefore, ustring& StringBehind) {
  const size_t p = Content.find_first_of(Digits);
  if (p == ustring::npos) return false;
  ustring before = Content.substr(0, p);
  ustring behind = Content.substr(p);
  StringBefore = std::move(before);
  StringBehind = std::move(behind);
  return true;
}

bool SplitAfterLastNumber(const ustring& Content, ustring& StringBefore, ustring& StringBehind,
                          bool AllowTypicleTypeSeparators, int32_t TypeId) {
  // The nearest to the end of the number characters' last places, counted
  // from the end (the last character is 1).
  int32_t fromEnd = -1;
  for (const char16_t c : NumberChars(AllowTypicleTypeSeparators, TypeId)) {
    const int32_t at = RightPosW(ustring(1, c), Content);
    if (at > 0 && (fromEnd < 0 || at < fromEnd)) fromEnd = at;
  }
  if (fromEnd < 0) return false;
  const size_t split = Content.size() - static_cast<size_t>(fromEnd) + 1;
  ustring before = Content.substr(0, split);
  ustring behind = Content.substr(split);
  StringBefore = std::move(before);
  StringBehind = std::move(behind);
  return true;
}

}  // namespace TvxStrings
