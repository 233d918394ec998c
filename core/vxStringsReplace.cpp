// TvxStrings: counting every occurrence of a text, splitting a text at a
// separator and replacing every occurrence.
#include "core/vxStringsReplace.h"

#include <algorithm>
#include <bit>
#include <cstring>
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

// The first occurrence of search in text at or after from (npos when none);
// search is not empty. The 8-bit text is searched as the library does.
size_t FindFrom(std::string_view text, std::string_view search, size_t from) { return text.find(search, from); }

// UTF-16 text: after a look at the next few units, the first code unit of
// search is looked for with memchr on its low byte, which scans whole
// vectors where a loop over code units cannot; a byte found at an odd
// offset, or in a unit that differs, is a false hit, after which a short
// plain scan follows, so text full of false hits is still read at the speed
// of that scan.
size_t FindFrom(std::u16string_view text, std::u16string_view search, size_t from) {
  const char16_t first = search.front();
  const size_t last = text.size() < search.size() ? 0 : text.size() - search.size() + 1;  // past the last start
  const bool single = search.size() == 1;
  const auto matchesAt = [&](size_t i) {
    return text[i] == first && (single || std::char_traits<char16_t>::compare(text.data() + i + 1, search.data() + 1,
                                                                              search.size() - 1) == 0);
  };
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char key =
      static_cast<unsigned char>(std::endian::native == std::endian::little ? first & 0xFF : first >> 8);
  const size_t keyOffset = std::endian::native == std::endian::little ? 0 : 1;
  size_t i = from;
  // Matches close together are found by looking at the next units first;
  // memchr pays off over longer stretches.
  for (const size_t stop = std::min(last, i + 16); i < stop; ++i)
    if (matchesAt(i)) return i;
  while (i < last) {
    const void* hit = std::memchr(bytes + 2 * i + keyOffset, key, 2 * (last - i) - 1);
    if (!hit) return std::u16string_view::npos;
    const size_t offset = static_cast<size_t>(static_cast<const unsigned char*>(hit) - bytes) - keyOffset;
    if (offset % 2 == 0 && matchesAt(offset / 2)) return offset / 2;
    // A false hit: the next units are looked at one by one.
    i = offset / 2 + 1;
    for (const size_t stop = std::min(last, i + 32); i < stop; ++i)
      if (matchesAt(i)) return i;
  }
  return std::u16string_view::npos;
}

// One replacement pass: the occurrences of search are found in haystack
// (the text itself, or a case-folded copy of the same length), and the
// result is content with each of them replaced; content itself when there
// is none. One scan: the result grows as it is written.
template <class Ch>
std::basic_string<Ch> ReplaceFound(const std::basic_string<Ch>& content, std::basic_string_view<Ch> haystack,
                                   std::basic_string_view<Ch> search, std::basic_string_view<Ch> replace) {
  size_t p = FindFrom(haystack, search, 0);
  if (p == haystack.npos) return content;
  if (search.size() == 1 && replace.size() == 1) {
    // One unit for another: a select per unit, which runs on whole vectors.
    std::basic_string<Ch> result = content;
    const Ch from = search.front(), to = replace.front();
    Ch* const out = result.data();
    const Ch* const in = haystack.data();
    for (size_t i = p; i < result.size(); ++i) out[i] = in[i] == from ? to : out[i];
    return result;
  }
  const Ch* const text = content.data();
  // Written through a pointer into room made beforehand (no check per
  // piece); a longer replacement makes more room when it runs out.
  std::basic_string<Ch> result;
  result.resize(replace.size() > search.size() ? content.size() + content.size() / 8 + replace.size() : content.size());
  Ch* out = result.data();
  size_t done = 0;
  do {
    const size_t piece = p - done;
    size_t room = result.size() - static_cast<size_t>(out - result.data());
    if (piece + replace.size() > room) {
      const size_t written = static_cast<size_t>(out - result.data());
      result.resize(std::max(result.size() * 2, written + piece + replace.size() + (content.size() - p)));
      out = result.data() + written;
    }
    std::char_traits<Ch>::copy(out, text + done, piece);
    out += piece;
    for (const Ch c : replace) *out++ = c;
    done = p + search.size();
    p = FindFrom(haystack, search, done);
  } while (p != haystack.npos);
  const size_t rest = content.size() - done;
  const size_t written = static_cast<size_t>(out - result.data());
  if (written + rest > result.size()) result.resize(written + rest);
  std::char_traits<Ch>::copy(result.data() + written, text + done, rest);
  result.resize(written + rest);
  return result;
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
    std::string next = ReplaceFound<char>(text, text, FromStr, ToStr);
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
