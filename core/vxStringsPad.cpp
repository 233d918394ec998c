// TvxStrings: small text-shaping routines: plural endings, filling with zeros
// or blanks, positions counted from either end, the text between two markers.
#include "core/vxStringsPad.h"

#include <algorithm>
#include <string_view>

#include "core/vxConversion.h"
#include "core/vxStringsReplace.h"
#include "platform/base/vxRuntime.h"

using vxRuntime::Copy;
using vxRuntime::Trim;

namespace {

// Zero filling never adds more than this many zeros.
constexpr long long kMaxZeros = 61;

template <class Ch>
std::basic_string<Ch> PluralEnding(int32_t count, std::basic_string_view<Ch> ending) {
  return count == 1 ? std::basic_string<Ch>() : std::basic_string<Ch>(ending);
}

// How many fill characters bring a text of `length` to `target`: none when
// it is already as long.
long long FillCount(size_t length, int32_t target) {
  return std::max(static_cast<long long>(target) - static_cast<long long>(length), 0LL);
}

template <class Ch>
std::basic_string<Ch> ZerosInFront(const std::basic_string<Ch>& str, int32_t max) {
  const long long zeros = std::min(FillCount(str.size(), max), kMaxZeros);
  return std::basic_string<Ch>(static_cast<size_t>(zeros), Ch('0')) + str;
}

template <class Ch>
std::basic_string<Ch> IntWithZeros(int64_t nr, int32_t max) {
  const std::string decimal = TvxConversion::IntToStr(nr);
  const std::basic_string<Ch> text(decimal.begin(), decimal.end());  // digits and '-' only
  if (nr >= 0) return ZerosInFront(text, max);
  // The sign stays in front of the zeros; it still counts in the length.
  const long long zeros = std::min(FillCount(text.size(), max), kMaxZeros);
  std::basic_string<Ch> result(1, Ch('-'));
  result.append(static_cast<size_t>(zeros), Ch('0'));
  result.append(text, 1);
  return result;
}

template <class Ch>
std::basic_string<Ch> BlanksInFront(const std::basic_string<Ch>& str, int32_t l) {
  const long long blanks = FillCount(str.size(), l);
  return std::basic_string<Ch>(static_cast<size_t>(blanks), Ch(' ')) + str;
}

template <class Ch>
std::basic_string<Ch> BlanksBehind(const std::basic_string<Ch>& str, int32_t l) {
  const long long blanks = FillCount(str.size(), l);
  return str + std::basic_string<Ch>(static_cast<size_t>(blanks), Ch(' '));
}

// 0-based index of the last character of text equal to z, which matches
// only when it is a single character; npos otherwise.
template <class Ch>
size_t LastCharIndex(std::basic_string_view<Ch> z, std::basic_string_view<Ch> text) {
  if (z.size() != 1) return std::basic_string_view<Ch>::npos;
  return text.rfind(z[0]);
}

template <class Ch>
int32_t PositionFromStart(std::basic_string_view<Ch> z, std::basic_string_view<Ch> text) {
  const size_t i = LastCharIndex(z, text);
  return i == text.npos ? -1 : static_cast<int32_t>(i + 1);
}

template <class Ch>
int32_t PositionFromEnd(std::basic_string_view<Ch> z, std::basic_string_view<Ch> text) {
  const size_t i = LastCharIndex(z, text);
  return i == text.npos ? -1 : static_cast<int32_t>(text.size() - i);
}

// The part of GetBetween and GetBetweenW after the markers are found: p is
// the position of F (0 when absent), q that of the chosen L (0 or below
// when absent).
template <class Ch>
std::basic_string<Ch> TextBetween(const std::basic_string<Ch>& str, size_t fLength, bool lEmpty, long long p,
                                  long long q) {
  const long long textStart = p + static_cast<long long>(fLength);
  if (p > 0 && q > 0) return Trim(Copy(str, textStart, q - textStart));
  if (!lEmpty) return {};
  if (p == 0) return Trim(str);  // no F: nothing to cut in front
  return Trim(Copy(str, textStart, static_cast<long long>(str.size())));
}

template <class Ch>
std::basic_string<Ch> SuffixChecked(const std::basic_string<Ch>& str, const std::basic_string<Ch>& suffix) {
  if (str.empty() || suffix.empty() || str.ends_with(suffix)) return str;
  return str + suffix;
}

// One Flag removed at the chosen end or ends. At the start the flag is
// compared trimmed; where it stands literally at the start its whole length
// goes, blanks included. Otherwise (blanks in front of it) the trimmed flag
// is cut where it really stands, so the blanks stay and nothing else is lost.
template <class Ch, class BeginFn, class EndFn>
std::basic_string<Ch> FlagRemoved(std::basic_string<Ch> content, const std::basic_string<Ch>& flag,
                                  TSEARCH_TYPE posId, BeginFn beginWith, EndFn endsWith) {
  if (flag.empty()) return content;
  if ((posId == FIRST_POS || posId == EACH_POS) && beginWith(content, flag, false, true)) {
    if (content.starts_with(flag)) {
      content.erase(0, flag.size());
    } else {
      const std::basic_string<Ch> trimmedFlag = Trim(flag);
      size_t lead = 0;
      while (lead < content.size() && vxRuntime::IsTrimChar(content[lead])) ++lead;
      content.erase(lead, trimmedFlag.size());
    }
  }
  if ((posId == LAST_POS || posId == EACH_POS) && endsWith(content, flag, false))
    content.resize(content.size() - flag.size());
  return content;
}

template <class Ch>
std::basic_string<Ch> WithoutLeadingZeros(const std::basic_string<Ch>& str) {
  const size_t first = str.find_first_not_of(Ch('0'));
  return first == str.npos ? str : str.substr(first);
}

}  // namespace

namespace TvxStrings {

std::string ShowPluralS(int32_t Count) { return PluralEnding<char>(Count, "s"); }
ustring ShowPluralSW(int32_t Count) { return PluralEnding<char16_t>(Count, u"s"); }
std::string Sps(int32_t Count) { return ShowPluralS(Count); }
ustring SpsW(int32_t Count) { return ShowPluralSW(Count); }
std::string ShowPluralStr(int32_t Count, const std::string& Str) { return PluralEnding<char>(Count, Str); }
ustring ShowPluralStrW(int32_t Count, const ustring& Str) { return PluralEnding<char16_t>(Count, Str); }

std::string FillIntNull(int64_t Nr, int32_t Max) { return IntWithZeros<char>(Nr, Max); }
ustring FillIntNullW(int64_t Nr, int32_t Max) { return IntWithZeros<char16_t>(Nr, Max); }
std::string FillStrNull(const std::string& Str, int32_t Max) { return ZerosInFront(Str, Max); }
ustring FillStrNullW(const ustring& Str, int32_t Max) { return ZerosInFront(Str, Max); }
std::string FillBlankFront(const std::string& Str, int32_t L) { return BlanksInFront(Str, L); }
ustring FillBlankFront(const ustring& Str, int32_t L) { return BlanksInFront(Str, L); }
std::string FillBlankBack(const std::string& Str, int32_t L) { return BlanksBehind(Str, L); }
ustring FillBlankBack(const ustring& Str, int32_t L) { return BlanksBehind(Str, L); }

int32_t RightPosL(const std::string& Z, const std::string& Text) { return PositionFromStart<char>(Z, Text); }
int32_t RightPosWL(const ustring& Z, const ustring& Text) { return PositionFromStart<char16_t>(Z, Text); }
int32_t RightPos(const std::string& Z, const std::string& Text) { return PositionFromEnd<char>(Z, Text); }
int32_t RightPosW(const ustring& Z, const ustring& Text) { return PositionFromEnd<char16_t>(Z, Text); }

int32_t LastPos(const std::string& SubStr, const std::string& S) {
  if (SubStr.empty()) return 0;
  const size_t p = S.rfind(SubStr);
  return p == S.npos ? 0 : static_cast<int32_t>(p + 1);
}

int32_t OptPos(const std::vector<std::string>& SubStr, const std::string& S) {
  if (SubStr.empty()) return -1;
  int32_t r = 0;
  int32_t next = vxRuntime::Pos(SubStr[0], S);
  for (size_t i = 0; i < SubStr.size(); ++i) {
    r = next;
    next = i + 1 < SubStr.size() ? vxRuntime::Pos(SubStr[i + 1], S) : r;
    if (r > 0 && (next <= 0 || next >= r)) return r;
  }
  return r;
}

int32_t PartPos(const ustring& Source, const ustring& CheckStr, const ustring& Delimiter) {
  if (Delimiter.empty()) return -1;
  const std::u16string_view source(Source);
  for (size_t start = 0, a = source.find(Delimiter); a != source.npos;
       start = a + Delimiter.size(), a = source.find(Delimiter, start)) {
    ustring piece(source.substr(start, a - start));
    piece += Delimiter;
    const int32_t found = vxRuntime::Pos(piece, CheckStr);
    if (found > 0) return found;
  }
  return -1;
}

std::string GetBetween(const std::string& Str, const std::string& F, const std::string& L) {
  const long long p = vxRuntime::Pos(F, Str);
  long long q = vxRuntime::Pos(L, Str);
  // Every L in front of F is passed over: the L taken is the first one that
  // starts at or behind F.
  if (p > 0)
    while (q > 0 && q < p) q = vxRuntime::Pos(L, Str, q + 1);
  return TextBetween(Str, F.size(), L.empty(), p, q);
}

ustring GetBetweenW(const ustring& Str, const ustring& F, const ustring& L) {
  const long long p = vxRuntime::Pos(F, Str);
  // Searched in the UTF-16 text itself: an 8-bit copy would let every
  // character outside the code page match as "?".
  const long long q = RightPosWL(L, Str);
  if (p > 0 && q > 0 && q < p) return {};
  return TextBetween(Str, F.size(), L.empty(), p, q);
}

std::string CheckStringSuffix(const std::string& Str, const std::string& Suffix) { return SuffixChecked(Str, Suffix); }
ustring CheckStringSuffixW(const ustring& Str, const ustring& Suffix) { return SuffixChecked(Str, Suffix); }

ustring DeleteFlagWhenBeginOrEnd(const ustring& Content, const ustring& Flag, TSEARCH_TYPE Pos_id) {
  using EndsWithText = bool (*)(const ustring&, const ustring&, bool);
  return FlagRemoved(Content, Flag, Pos_id, BeginWith, static_cast<EndsWithText>(EndsWith));
}

std::string DeleteFlagWhenBeginOrEndA(const std::string& Content, const std::string& Flag, TSEARCH_TYPE Pos_id) {
  return FlagRemoved(Content, Flag, Pos_id, BeginWithA, EndsWithA);
}

std::string ClearLeadingZeros(const std::string& Str) { return WithoutLeadingZeros(Str); }
ustring ClearLeadingZerosW(const ustring& Str) { return WithoutLeadingZeros(Str); }

bool BeginWithOneOfElements(const ustring& Content, const TStrings& BeginStrings, bool IgnoreCase, bool TrimBefore) {
  for (int32_t i = 0; i < BeginStrings.Count(); ++i)
    if (BeginWith(Content, BeginStrings[i], IgnoreCase, TrimBefore)) return true;
  return false;
}

bool EndsWithOneOfElements(const ustring& Content, const TStrings& EndStrings, bool IgnoreCase, bool TrimBefore) {
  const ustring content = TrimBefore ? Trim(Content) : Content;
  for (int32_t i = 0; i < EndStrings.Count(); ++i)
    if (EndsWith(content, TrimBefore ? Trim(EndStrings[i]) : EndStrings[i], IgnoreCase)) return true;
  return false;
}

ustring Add(const ustring& Content, const ustring& AddString, int32_t Pos) {
  const size_t p = static_cast<size_t>(std::clamp(static_cast<long long>(Pos), 0LL,
                                                  static_cast<long long>(Content.size())));
  ustring result;
  result.reserve(Content.size() + AddString.size());
  result.append(Content, 0, p).append(AddString).append(Content, p);
  return result;
}

ustring FillEachPosition(const ustring& Content, const ustring& Element, int32_t LetterCount, int32_t Times,
                         bool FromBehind) {
  // From behind, the result is built back to front with the element
  // reversed and turned round at the end, so each step still appends.
  ustring element = Element;
  if (FromBehind) std::reverse(element.begin(), element.end());
  ustring result;
  int32_t letters = 0, inserted = 0;
  for (size_t i = 0; i < Content.size(); ++i) {
    result += FromBehind ? Content[Content.size() - 1 - i] : Content[i];
    if (++letters == LetterCount && inserted < Times) {
      result += element;
      letters = 0;
      ++inserted;
    }
  }
  if (FromBehind) std::reverse(result.begin(), result.end());
  return result;
}

ustring RemoveMoreThenOn(const ustring& Content, const ustring& Element) {
  if (Element.empty()) return Content;
  const ustring twice = Element + Element;
  ustring result = Content;
  // Each pass halves every run, so a run of n elements takes log2(n) passes.
  while (vxRuntime::Pos(twice, result) > 0) result = ReplaceW(result, twice, Element);
  return result;
}

ustring RemoveMoreThenOn(const ustring& Content, const ustring& Element, int32_t StartPos) {
  // Both halves come from the same untrimmed text, so nothing at the seam is
  // lost or doubled.
  const long long start = StartPos;
  ustring result = Copy(Content, 1, start - 1);
  result += RemoveMoreThenOn(Copy(Content, start, static_cast<long long>(Content.size())), Element);
  return result;
}

}  // namespace TvxStrings
