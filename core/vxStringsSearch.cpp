// TvxStrings: the elementary tests and searches nearly every other text routine
// stands on.
#include "core/vxStringsSearch.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "core/vxStringsFold.h"
#include "core/vxToolsEvo2.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"

using vxRuntime::Copy;
using vxRuntime::Trim;
using vxStringsFold::AsciiUpper;
using vxStringsFold::UpperThroughWide;

namespace {

// Copies of both texts prepared as the switches ask; the tests below then
// compare code units only.
template <class Str, class UpperFn>
void Prepare(Str& a, Str& b, bool trim, bool upper, UpperFn toUpper) {
  if (trim) {
    a = Trim(a);
    b = Trim(b);
  }
  if (upper) {
    a = toUpper(a);
    b = toUpper(b);
  }
}

bool StartsWithNonEmpty(std::u16string_view content, std::u16string_view begin) {
  return !begin.empty() && content.starts_with(begin);
}
bool StartsWithNonEmpty(std::string_view content, std::string_view begin) {
  return !begin.empty() && content.starts_with(begin);
}

bool EndsWithNonEmpty(std::u16string_view content, std::u16string_view end) {
  return !end.empty() && content.ends_with(end);
}
bool EndsWithNonEmpty(std::string_view content, std::string_view end) {
  return !end.empty() && content.ends_with(end);
}

// Both 8-bit and UTF-16 slices share the copy rule; positions are widened so
// that no int32 arithmetic can overflow.
template <class Str>
Str SubStringFrom(Str content, int32_t from, bool trimBefore, bool trimAfter) {
  if (trimBefore) content = Trim(content);
  const long long count = static_cast<long long>(content.size()) - from + 1;
  Str result = Copy(content, from, count);
  return trimAfter ? Trim(result) : result;
}

template <class Str>
Str SubStringRange(Str content, int32_t fromPos, int32_t toPos, bool trimBefore, bool trimAfter) {
  if (trimBefore) content = Trim(content);
  Str result = Copy(content, fromPos, static_cast<long long>(toPos) - fromPos);
  return trimAfter ? Trim(result) : result;
}

constexpr bool IsWordBreak(char16_t c) { return c <= 32; }

// Splits a text into words as the 8-bit string list reads delimited text
// with a blank as delimiter and '"' as quote character: white space (codes
// up to 32) separates words, a word opening with a quote runs to the closing
// quote and may hold blanks, a doubled quote inside stands for one. An
// unterminated quoted word runs to the end.
std::vector<ustring> SplitWords(const ustring& content) {
  constexpr char16_t quote = u'"';
  std::vector<ustring> words;
  size_t i = 0;
  const size_t n = content.size();
  while (i < n && IsWordBreak(content[i])) ++i;
  while (i < n) {
    ustring word;
    if (content[i] == quote) {
      ++i;
      while (i < n) {
        if (content[i] == quote) {
          if (i + 1 < n && content[i + 1] == quote) {
            word += quote;
            i += 2;
            continue;
          }
          ++i;  // the closing quote
          break;
        }
        word += content[i++];
      }
    } else {
      const size_t start = i;
      while (i < n && !IsWordBreak(content[i])) ++i;
      word.assign(content, start, i - start);
    }
    words.push_back(std::move(word));
    while (i < n && IsWordBreak(content[i])) ++i;
  }
  return words;
}

}  // namespace

namespace vxStringsFold {

std::string UpperThroughWide(const std::string& text) {
  // The code page maps every byte to one UTF-16 unit and back, so the texts
  // line up byte for unit. A letter whose upper case the code page lacks
  // (the micro sign) stays as it is rather than turning into "?".
  const ustring upper = UpperStrW(AnsiToWide(text));
  std::string result = WideToAnsi(upper);
  for (size_t i = 0; i < result.size(); ++i)
    if (result[i] == '?' && upper[i] != u'?') result[i] = text[i];
  return result;
}

}  // namespace vxStringsFold

namespace TvxStrings {

int32_t PosW(const ustring& Content, const ustring& SearchString, int32_t FromPos, bool IgnoreCase) {
  if (FromPos < 1) FromPos = 1;
  if (Content.empty()) return 0;
  if (IgnoreCase) return vxRuntime::Pos(UpperStrW(SearchString), UpperStrW(Content), FromPos);
  return vxRuntime::Pos(SearchString, Content, FromPos);
}

int32_t PosA(const std::string& Content, const std::string& SearchString, int32_t FromPos, bool IgnoreCase) {
  if (FromPos < 1) FromPos = 1;
  if (Content.empty()) return 0;
  if (IgnoreCase) return vxRuntime::Pos(AsciiUpper(SearchString), AsciiUpper(Content), FromPos);
  return vxRuntime::Pos(SearchString, Content, FromPos);
}

int32_t GetLastPosW(const ustring& Content, const ustring& SearchString, bool IgnoreCase) {
  if (Content.empty() || SearchString.empty()) return 0;
  // The last start of an occurrence, overlapping ones included, is exactly
  // what a search from the end finds.
  const size_t p = IgnoreCase ? UpperStrW(Content).rfind(UpperStrW(SearchString)) : Content.rfind(SearchString);
  return p == ustring::npos ? 0 : static_cast<int32_t>(p + 1);
}

bool BeginWith(const ustring& Content, const ustring& BeginString, bool IgnoreCase, bool TrimBefore) {
  if (!TrimBefore && !IgnoreCase) return StartsWithNonEmpty(Content, BeginString);
  ustring content = Content, begin = BeginString;
  Prepare(content, begin, TrimBefore, IgnoreCase, UpperStrW);
  return StartsWithNonEmpty(content, begin);
}

bool BeginWithA(const std::string& Content, const std::string& BeginString, bool IgnoreCase, bool TrimBefore) {
  std::string content = Content, begin = BeginString;
  Prepare(content, begin, TrimBefore, IgnoreCase, UpperThroughWide);
  return StartsWithNonEmpty(content, begin);
}

bool EndsWith(const ustring& Content, const ustring& EndString, bool IgnoreCase) {
  if (Content.size() < EndString.size()) return false;
  if (!IgnoreCase) return EndsWithNonEmpty(Content, EndString);
  return EndsWithNonEmpty(UpperStrW(Content), UpperStrW(EndString));
}

bool EndsWith(const ustring& Content, const TStrings& EndString, bool IgnoreCase) {
  // Content is folded once for all items.
  const ustring content = IgnoreCase ? UpperStrW(Content) : Content;
  for (int32_t i = 0; i < EndString.Count(); ++i) {
    const ustring& item = EndString[i];
    if (content.size() >= item.size() && EndsWithNonEmpty(content, IgnoreCase ? UpperStrW(item) : item)) return true;
  }
  return false;
}

bool EndsWithA(const std::string& Content, const std::string& EndString, bool IgnoreCase) {
  if (Content.size() < EndString.size()) return false;
  if (!IgnoreCase) return EndsWithNonEmpty(Content, EndString);
  return EndsWithNonEmpty(UpperThroughWide(Content), UpperThroughWide(EndString));
}

bool Contains(const ustring& Content, const ustring& SearchString, bool IgnoreCase) {
  if (IgnoreCase) return vxRuntime::Pos(UpperStrW(SearchString), UpperStrW(Content), 1) > 0;
  return vxRuntime::Pos(SearchString, Content, 1) > 0;
}

bool ContainsBetween(const ustring& Content, const ustring& SearchString, int32_t FromPos, int32_t ToPos,
                     bool IgnoreCase) {
  return Contains(SubStringW(Content, FromPos, ToPos, false, false), SearchString, IgnoreCase);
}

bool EqualsW(const ustring& String1, const ustring& String2, bool TrimBefore, bool IgnoreCase) {
  ustring a = String1, b = String2;
  Prepare(a, b, TrimBefore, IgnoreCase, UpperStrW);
  return a == b;
}

bool EqualsAnsi(const std::string& String1, const std::string& String2, bool TrimBefore, bool IgnoreCase) {
  std::string a = String1, b = String2;
  Prepare(a, b, TrimBefore, IgnoreCase, UpperThroughWide);
  return a == b;
}

int32_t StrCompW(const ustring& Value1, const ustring& Value2, bool UseTrim, bool UseUpper, bool UseDESC) {
  ustring a = Value1, b = Value2;
  Prepare(a, b, UseTrim, UseUpper, UpperStrW);
  const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  int32_t result;
  if (ia != a.end() && ib != b.end())
    result = static_cast<int32_t>(static_cast<uint16_t>(*ia)) - static_cast<int32_t>(static_cast<uint16_t>(*ib));
  else
    result = static_cast<int32_t>(a.size()) - static_cast<int32_t>(b.size());
  return UseDESC ? -result : result;
}

ustring GetCharsBeforeString(const ustring& Content, const ustring& SearchString, int32_t FromPos,
                             int32_t CountChars, bool IgnoreCase) {
  const int32_t p = PosW(Content, SearchString, FromPos, IgnoreCase);
  if (p == 0) return {};
  return Copy(Content, static_cast<long long>(p) - CountChars, CountChars);
}

TBetweenSearchResult GetBetweenW(const ustring& Content, const ustring& StartLetter, const ustring& StopLetter,
                                 int32_t PosBeginSearchStartLetter, int32_t PosBeginSearchEndLetter) {
  TBetweenSearchResult result;
  const long long length = static_cast<long long>(Content.size());
  long long endSearch = PosBeginSearchEndLetter;
  if (PosBeginSearchStartLetter > endSearch || PosBeginSearchStartLetter > length || endSearch > length)
    return result;
  result.BeginPos = vxRuntime::Pos(StartLetter, Content, PosBeginSearchStartLetter);
  const long long startLength = static_cast<long long>(StartLetter.size());
  // The stop marker is looked for behind the start marker at the earliest,
  // so that equal markers ('"a"' between '"' and '"') do not meet themselves.
  if (endSearch < result.BeginPos || (result.BeginPos > 0 && endSearch < result.BeginPos + startLength))
    endSearch = result.BeginPos + startLength;
  if (endSearch > length) return result;
  result.EndPos = vxRuntime::Pos(StopLetter, Content, endSearch);
  const long long textStart = result.BeginPos + startLength;
  if (result.BeginPos > 0 && result.EndPos > 0)
    result.ResultString = Trim(Copy(Content, textStart, result.EndPos - textStart));
  else if (StopLetter.empty())
    result.ResultString = Trim(Copy(Content, textStart, length));
  return result;
}

ustring GetLastWords(const ustring& Content, int32_t Count) {
  const std::vector<ustring> words = SplitWords(Content);
  // Collect from the last word backwards, then join in reading order.
  std::vector<const ustring*> taken;
  for (auto it = words.rbegin(); it != words.rend(); ++it) {
    if (Trim(*it).empty()) continue;
    taken.push_back(&*it);
    if (static_cast<int64_t>(taken.size()) == Count) break;
  }
  ustring result;
  for (auto it = taken.rbegin(); it != taken.rend(); ++it) {
    result += **it;
    result += u' ';
  }
  return Trim(result);
}

ustring GetLastElement(const ustring& Content, const ustring& Separator, bool IgnoreWhenItsLastPosition) {
  ustring content = Content;
  int32_t a = GetLastPosW(content, Separator, false);
  // A separator that ends the text leaves an empty last element: step back
  // to the element in front of it. One character after the separator is an
  // element of its own and is kept.
  if (IgnoreWhenItsLastPosition && a > 0 &&
      static_cast<long long>(a) + static_cast<long long>(Separator.size()) > static_cast<long long>(content.size())) {
    content = SubStringW(content, 0, a - 1, false, false);
    a = GetLastPosW(content, Separator, false);
  }
  if (a > 0) return SubStringW(content, a + static_cast<int32_t>(Separator.size()), false, true);
  return Trim(content);
}

ustring SubStringW(const ustring& Content, int32_t From, bool TrimBefore, bool TrimAfter) {
  return SubStringFrom(Content, From, TrimBefore, TrimAfter);
}

std::string SubStringA(const std::string& Content, int32_t From, bool TrimBefore, bool TrimAfter) {
  return SubStringFrom(Content, From, TrimBefore, TrimAfter);
}

ustring SubStringW(const ustring& Content, int32_t FromPos, int32_t ToPos, bool TrimBefore, bool TrimAfter) {
  return SubStringRange(Content, FromPos, ToPos, TrimBefore, TrimAfter);
}

std::string SubStringA(const std::string& Content, int32_t FromPos, int32_t ToPos, bool TrimBefore, bool TrimAfter) {
  return SubStringRange(Content, FromPos, ToPos, TrimBefore, TrimAfter);
}

bool IsEmptyW(const ustring& Content, bool UseTrim) { return UseTrim ? Trim(Content).empty() : Content.empty(); }
bool IsEmptyA(const std::string& Content, bool UseTrim) { return UseTrim ? Trim(Content).empty() : Content.empty(); }
bool IsNotEmptyW(const ustring& Content, bool UseTrim) { return !IsEmptyW(Content, UseTrim); }
bool IsNotEmptyA(const std::string& Content, bool UseTrim) { return !IsEmptyA(Content, UseTrim); }

bool IsLengthBiggerAsW(const ustring& Content, int32_t Count, bool TrimBefore) {
  const size_t length = TrimBefore ? Trim(Content).size() : Content.size();
  return static_cast<long long>(length) > Count;
}

bool IsLenghtSmallerAsW(const ustring& Content, int32_t Count, bool TrimBefore) {
  const size_t length = TrimBefore ? Trim(Content).size() : Content.size();
  return static_cast<long long>(length) < Count;
}

}  // namespace TvxStrings
