// TvxStrings: routines that rewrite the characters of a text: folding into a
// technical name, control characters and line breaks turned into blanks.
#include "core/vxStringsClean.h"

#include <algorithm>
#include <bitset>
#include <iterator>
#include <string_view>
#include <type_traits>

#include "core/vxStringsPad.h"
#include "core/vxStringsReplace.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"

using vxRuntime::Trim;

namespace {

// The characters that recognised text keeps (Windows-1252; the last one is
// a blank).
constexpr std::string_view kOCRCharset =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\xE4\xF6\xFC\xC4\xD6\xDC\xDF ";

template <class Ch>
constexpr unsigned Code(Ch c) {
  return static_cast<std::make_unsigned_t<Ch>>(c);
}

// Membership of every code unit of a character set, looked up in constant
// time so that filtering stays linear in the text.
template <class Ch>
class CharacterSet {
 public:
  explicit CharacterSet(std::basic_string_view<Ch> chars) {
    for (Ch c : chars) members_.set(Code(c));
  }
  bool Has(Ch c) const { return members_.test(Code(c)); }

 private:
  std::bitset<size_t{1} << (8 * sizeof(Ch))> members_;
};

// The two letters a German letter folds to; the Windows-1252 byte and the
// UTF-16 code point of each are the same number.
const char* UmlautLetters(unsigned code) {
  switch (code) {
    case 0xF6: return "oe";
    case 0xFC: return "ue";
    case 0xE4: return "ae";
    case 0xD6: return "OE";
    case 0xDC: return "UE";
    case 0xC4: return "AE";
    case 0xDF: return "ss";
    default: return nullptr;
  }
}

template <class Ch>
constexpr bool IsTechnicalChar(Ch c) {
  const unsigned code = Code(c);
  return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z') || code == '_';
}

template <class Ch>
std::basic_string<Ch> Flattened(std::basic_string_view<Ch> str, Ch delimiter, bool convertUmlauts) {
  std::basic_string<Ch> result;
  result.reserve(str.size());
  for (Ch c : str) {
    // A blank is the delimiter first, and as such folds like any character.
    if (c == Ch(' ')) c = delimiter;
    if (const char* letters = convertUmlauts ? UmlautLetters(Code(c)) : nullptr) {
      result += Ch(letters[0]);
      result += Ch(letters[1]);
    } else {
      result += IsTechnicalChar(c) ? c : delimiter;
    }
  }
  return result;
}

template <class Ch>
std::basic_string<Ch> ControlCharsBlanked(std::basic_string<Ch> str) {
  for (Ch& c : str)
    if (Code(c) < 32) c = Ch(' ');
  return str;
}

template <class Ch>
std::basic_string<Ch> BreaksBlanked(std::basic_string_view<Ch> text) {
  std::basic_string<Ch> result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == Ch('\r') && i + 1 < text.size() && text[i + 1] == Ch('\n')) {
      result += Ch(' ');
      ++i;
    } else {
      result += text[i] == Ch('\n') ? Ch(' ') : text[i];
    }
  }
  return result;
}

ustring Underscored(ustring text, std::u16string_view chars) {
  for (char16_t& c : text)
    if (chars.find(c) != chars.npos) c = u'_';
  return text;
}

template <class Ch>
bool Wiped(std::basic_string<Ch>& text, int32_t len) {
  const long long size = static_cast<long long>(text.size());
  const long long n = std::min(len == 0 ? size : static_cast<long long>(len), size);
  if (n > 0) std::fill_n(text.begin(), n, Ch(0));
  return true;
}

}  // namespace

namespace TvxStrings {

std::string FlatString(const std::string& Str, char Delimiter, bool ConvertUmlauts) {
  return Flattened<char>(Str, Delimiter, ConvertUmlauts);
}

ustring FlatStringW(const ustring& Str, char16_t Delimiter, bool ConvertUmlauts) {
  return Flattened<char16_t>(Str, Delimiter, ConvertUmlauts);
}

std::string DeleteControlChars(const std::string& Str) { return ControlCharsBlanked(Str); }
ustring DeleteControlChars(const ustring& Str) { return ControlCharsBlanked(Str); }
ustring DeleteControlCharsW(const ustring& Str) { return ControlCharsBlanked(Str); }

std::string Breaks2Blanks(const std::string& Text) { return BreaksBlanked<char>(Text); }
ustring Breaks2BlanksW(const ustring& Text) { return BreaksBlanked<char16_t>(Text); }

ustring BlanksToUnderScore(const ustring& Str) { return Underscored(Str, u" "); }
ustring FormatTechnicalName(const ustring& Name) { return Underscored(Name, u" ,/"); }

std::string PrepareOCRText(const std::string& Str) {
  std::string filtered = DeleteControlChars(Str);
  const CharacterSet<char> ocr(kOCRCharset);
  std::bitset<256> present;
  for (char& c : filtered) {
    if (!ocr.Has(c)) c = ' ';
    present.set(Code(c));
  }
  // Every character left is one of the code page's Latin-1 part, so its
  // UTF-16 code is its byte and the way back is exact. The passes below run
  // in ascending code order; a code that does not occur has nothing to
  // replace, and no pass brings in a character that was not there.
  ustring text = AnsiToWide(filtered);
  for (char16_t c = 32; c <= 255; ++c)
    if (present.test(c)) text = ReplaceW(text, ustring(4, c), ustring(1, c));
  text = u" " + text + u" ";
  present.set(' ');
  for (char16_t c = 32; c <= 255; ++c)
    if (present.test(c)) text = ReplaceW(text, ustring{u' ', c, u' '}, u" ");
  return WideToAnsi(Trim(RemoveMoreThenOneBlanks(text)));
}

bool VerifyCharset(const ustring& Charset, const ustring& Str) {
  const CharacterSet<char16_t> allowed(Charset);
  return std::all_of(Str.begin(), Str.end(), [&](char16_t c) { return allowed.Has(c); });
}

ustring ApplyCharset(const ustring& Charset, const ustring& Str) {
  if (Charset.empty()) return Str;
  const CharacterSet<char16_t> allowed(Charset);
  ustring result;
  std::copy_if(Str.begin(), Str.end(), std::back_inserter(result), [&](char16_t c) { return allowed.Has(c); });
  return result;
}

std::string ApplyCharsetA(const std::string& Str, const std::string& Charset, bool RemoveControlChars,
                          bool RemoveBlanks) {
  std::string text = RemoveControlChars ? DeleteControlChars(Str) : Str;
  const CharacterSet<char> allowed(Charset);
  for (char& c : text)
    if (!allowed.Has(c)) c = ' ';
  if (RemoveBlanks)
    std::erase(text, ' ');
  else
    text = FastReplaceA(text, "  ", " ");
  return Trim(text);
}

bool ClearString(std::string& MyString, int32_t Len) { return Wiped(MyString, Len); }
bool ClearStringW(ustring& MyString, int32_t Len) { return Wiped(MyString, Len); }

bool StandardizeMinusInNumeric(ustring& Content, TSEARCH_TYPE Position) {
  Content = Trim(Content);
  const ustring stripped = DeleteFlagWhenBeginOrEnd(Content, u"-", EACH_POS);
  if (Contains(stripped, u"-", false)) return false;
  if (stripped.size() < Content.size()) {
    if (Position == FIRST_POS) Content = u"-" + stripped;
    if (Position == LAST_POS) Content = stripped + u"-";
  }
  return true;
}

ustring GetReplacerStringForReplaceEachElement(const ustring& Content, const ustring& ReplaceSign) {
  const int32_t elements = GetStrCountW(Content, u",") + 1;
  ustring result;
  result.reserve(static_cast<size_t>(elements) * (ReplaceSign.size() + 1));
  for (int32_t i = 0; i < elements; ++i) {
    result += u',';
    result += ReplaceSign;
  }
  return DeleteFlagWhenBeginOrEnd(result, u",", FIRST_POS);
}

}  // namespace TvxStrings
