// TvxStrings: counting every occurrence of a text, splitting a text at a
// separator and replacing every occurrence.
#include "core/vxStringsReplace.h"

#include <exception>
#include <string_view>

#include "core/vxStringsFold.h"
#include "core/vxToolsEvo2.h"
#include "platform/base/vxCodePage.h"

namespace {

// Occurrences of find in text, each search resuming one unit after the
// previous match's start.
template <class Ch>
size_t CountOverlapping(std::basic_string_view<Ch> text, std::basic_string_view<Ch> find) {
  if (find.empty()) return 0;
  size_t count = 0;
  for (size_t p = text.find(find); p != text.npos; p = text.find(find, p + 1)) ++count;
  return count;
}

// Occurrences of search in text, left to right, each search resuming behind
// the previous match: the ones a replacement pass replaces.
template <class Ch>
size_t CountReplaceable(std::basic_string_view<Ch> text, std::basic_string_view<Ch> search) {
  if (search.empty()) return 0;
  size_t count = 0;
  for (size_t p = text.find(search); p != text.npos; p = text.find(search, p + search.size())) ++count;
  return count;
}

// One replacement pass: the occurrences of search are found in haystack (the
// text itself, or a case-folded copy of the same length), and the result is
// content with each of them replaced. count is CountReplaceable(haystack,
// search), so the result is allocated once at its final length.
template <class Ch>
std::basic_string<Ch> ReplacePass(std::basic_string_view<Ch> content, std::basic_string_view<Ch> haystack,
                                  std::basic_string_view<Ch> search, std::basic_string_view<Ch> replace,
                                  size_t count) {
  std::basic_string<Ch> result;
  result.reserve(content.size() - count * search.size() + count * replace.size());
  size_t done = 0;
  for (size_t p = haystack.find(search); p != haystack.npos; p = haystack.find(search, done)) {
    result.append(content.substr(done, p - done));
    result.append(replace);
    done = p + search.size();
  }
  result.append(content.substr(done));
  return result;
}

// Replaces every occurrence found in haystack, or returns content itself
// when there is none.
template <class Ch>
std::basic_string<Ch> ReplaceFound(const std::basic_string<Ch>& content, std::basic_string_view<Ch> haystack,
                                   std::basic_string_view<Ch> search, std::basic_string_view<Ch> replace) {
  const size_t count = CountReplaceable(haystack, search);
  if (count == 0) return content;
  return ReplacePass<Ch>(content, haystack, search, replace, count);
}

// Hands every piece of source between occurrences of splitAt, and the piece
// behind the last one, to add. A list that refuses an item ends the split
// with false.
template <class Ch, class AddPiece>
bool SplitPieces(std::basic_string_view<Ch> source, std::basic_string_view<Ch> splitAt, AddPiece add) {
  if (source.empty() || splitAt.empty()) return true;
  // A separator of one unit (the usual case) is searched for as that unit.
  const auto next = [&](size_t from) {
    return splitAt.size() == 1 ? source.find(splitAt.front(), from) : source.find(splitAt, from);
  };
  try {
    size_t start = 0;
    for (size_t p = next(0); p != source.npos; p = next(start)) {
      add(source.substr(start, p - start));
      start = p + splitAt.size();
    }
    add(source.substr(start));
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

}  // namespace

namespace TvxStrings {

int32_t GetStrCount(const std::string& Text, const std::string& Find) {
  return static_cast<int32_t>(CountOverlapping<char>(Text, Find));
}

int32_t GetStrCountW(const ustring& Text, const ustring& Find) {
  return static_cast<int32_t>(CountOverlapping<char16_t>(Text, Find));
}

int32_t GetStrCountExW(const ustring& Text, const ustring& Find, bool IgnoreCase) {
  if (!IgnoreCase) return GetStrCountW(Text, Find);
  return GetStrCountW(LowerStrW(Text), LowerStrW(Find));
}

bool SplitString(const std::string& Source, const std::string& SplitAt, TStrings& List) {
  return SplitPieces<char>(Source, SplitAt, [&List](std::string_view piece) { List.Add(AnsiToWide(piece)); });
}

bool SplitString(const std::string& Source, const std::string& SplitAt, TAnsiStrings& List) {
  return SplitPieces<char>(Source, SplitAt, [&List](std::string_view piece) { List.Add(std::string(piece)); });
}

bool SplitStringW(const ustring& Source, const ustring& SplitAt, TStrings& List) {
  return SplitPieces<char16_t>(Source, SplitAt, [&List](std::u16string_view piece) { List.Add(ustring(piece)); });
}

ustring ReplaceW(const ustring& Content, const ustring& SearchText, const ustring& ReplaceText) {
  // Upper-casing keeps the length, so texts of different lengths can never
  // be equal ignoring case.
  if (SearchText.size() == ReplaceText.size() && UpperStrW(SearchText) == UpperStrW(ReplaceText)) return Content;
  return ReplaceExactW(Content, SearchText, ReplaceText);
}

ustring ReplaceExactW(const ustring& Content, const ustring& SearchText, const ustring& ReplaceText) {
  if (SearchText.empty() || Content.empty()) return Content;
  return ReplaceFound<char16_t>(Content, Content, SearchText, ReplaceText);
}

// Searching a folded copy from the end of the previous match finds what
// searching the rebuilt text from the end of the inserted text would find:
// the text behind that point is still the original one, and folding keeps
// every position.
ustring ReplaceW(const ustring& Content, const ustring& SearchText, const ustring& ReplaceText, bool IgnoreCase) {
  if (!IgnoreCase) return ReplaceW(Content, SearchText, ReplaceText);
  if (SearchText.empty() || Content.empty()) return Content;
  return ReplaceFound<char16_t>(Content, UpperStrW(Content), UpperStrW(SearchText), ReplaceText);
}

std::string ReplaceA(const std::string& Content, const std::string& SearchText, const std::string& ReplaceText,
                     bool IgnoreCase) {
  if (!IgnoreCase) return FastReplaceA(Content, SearchText, ReplaceText);
  if (SearchText.empty() || Content.empty()) return Content;
  using vxStringsFold::AsciiUpper;
  return ReplaceFound<char>(Content, AsciiUpper(Content), AsciiUpper(SearchText), ReplaceText);
}

std::string FastReplaceA(const std::string& SourceStr, const std::string& FromStr, const std::string& ToStr) {
  if (FromStr == ToStr || FromStr.empty()) return SourceStr;
  // Text that ToStr brings in would be found again by every later pass.
  if (ToStr.find(FromStr) != std::string::npos) return ReplaceFound<char>(SourceStr, SourceStr, FromStr, ToStr);

  std::string text = SourceStr;
  size_t count = CountReplaceable<char>(text, FromStr);
  while (count > 0) {
    std::string next = ReplacePass<char>(text, text, FromStr, ToStr, count);
    const size_t nextCount = CountReplaceable<char>(next, FromStr);
    // A shrinking text must reach its end. A pair of equal length does too:
    // each pass changes the text first at the first differing character of
    // the pair, always in the same direction, so no text comes back. A
    // growing pair has to lower the number of occurrences, or it would only
    // ever grow the text.
    const bool progressed = next.size() <= text.size() || nextCount < count;
    text = std::move(next);
    count = nextCount;
    if (!progressed) break;
  }
  return text;
}

ustring RemoveMoreThenOneBlanks(const ustring& Content) {
  ustring result;
  result.reserve(Content.size());
  for (size_t i = 0; i < Content.size(); ++i)
    if (Content[i] != u' ' || i == 0 || Content[i - 1] != u' ') result += Content[i];
  return result;
}

}  // namespace TvxStrings
