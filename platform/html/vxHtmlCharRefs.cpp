// HTML character references as the HTML standard reads them in text, and a
// document with those of its text content written as numbers.
#include "platform/html/vxHtmlCharRefs.h"

#include <algorithm>
#include <string>

#include "platform/base/vxCodePage.h"
#include "platform/html/vxHtmlEntityTable.h"

namespace vxHtmlCharRefs {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kLastCodePoint = 0x10FFFF;
// The longest name that stands without its ";" ("frac34", "middot").
constexpr size_t kLongestLegacyName = 6;

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsAsciiAlnum(char16_t c) { return IsAsciiLetter(c) || IsAsciiDigit(c); }

int DigitValue(char16_t c, bool hex) {
  if (IsAsciiDigit(c)) return c - u'0';
  if (!hex) return -1;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// What the number of a numeric reference stands for.
char32_t NumberCharacter(char32_t value) {
  if (value == 0 || value > kLastCodePoint || (value >= 0xD800 && value <= 0xDFFF)) return kReplacement;
  // 128 to 159 are read as the bytes of Windows-1252; its five unused bytes
  // stay themselves, as the code page converter keeps them.
  if (value >= 0x80 && value <= 0x9F) return AnsiToWide(std::string(1, static_cast<char>(value))).front();
  return value;
}

const vxHtmlEntities::TNamedReference* FindName(std::string_view name) {
  const auto table = vxHtmlEntities::NamedReferences();
  const auto found = std::lower_bound(table.begin(), table.end(), name,
                                      [](const vxHtmlEntities::TNamedReference& r, std::string_view n) { return r.Name < n; });
  return found != table.end() && found->Name == name ? &*found : nullptr;
}

void AppendNamed(const vxHtmlEntities::TNamedReference& reference, std::u32string& out) {
  out += reference.First;
  if (reference.Second != 0) out += reference.Second;
}

size_t ReadNumber(std::u16string_view text, size_t at, std::u32string& out) {
  size_t i = at + 2;  // after "&#"
  const bool hex = i < text.size() && (text[i] == u'x' || text[i] == u'X');
  if (hex) ++i;
  const size_t digits = i;
  char32_t value = 0;
  for (int d; i < text.size() && (d = DigitValue(text[i], hex)) >= 0; ++i)
    value = std::min<char32_t>(value * (hex ? 16 : 10) + static_cast<char32_t>(d), kLastCodePoint + 1);
  if (i == digits) return 0;  // "&#" or "&#x" without digits
  if (i < text.size() && text[i] == u';') ++i;
  out += NumberCharacter(value);
  return i - at;
}

size_t ReadName(std::u16string_view text, size_t at, std::u32string& out) {
  size_t end = at + 1;
  while (end < text.size() && IsAsciiAlnum(text[end])) ++end;
  if (end == at + 1) return 0;
  std::string name;
  // No name of the table is longer; a longer run is looked at only for its
  // legacy prefix.
  for (size_t i = at + 1; i < end && name.size() <= 32; ++i) name.push_back(static_cast<char>(text[i]));
  if (end < text.size() && text[end] == u';' && name.size() == end - at - 1) {
    if (const auto* reference = FindName(name)) {
      AppendNamed(*reference, out);
      return end + 1 - at;
    }
  }
  for (size_t length = std::min(name.size(), kLongestLegacyName); length > 0; --length) {
    const auto* reference = FindName(std::string_view(name).substr(0, length));
    if (reference != nullptr && reference->WithoutSemicolon) {
      AppendNamed(*reference, out);
      return length + 1;
    }
  }
  return 0;
}

void AppendNumeric(ustring& out, char32_t c) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  out += u"&#x";
  int shift = 20;
  while (shift > 0 && ((c >> shift) & 0xF) == 0) shift -= 4;
  for (; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
  out += u';';
}

bool StartsWithIgnoringCase(std::u16string_view text, size_t at, std::string_view prefix) {
  if (text.size() - at < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char16_t c = text[at + i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != static_cast<char16_t>(prefix[i])) return false;
  }
  return true;
}

// Whether the tag name at At is Name (any case), not merely starts so.
bool IsTagName(std::u16string_view text, size_t at, std::string_view name) {
  if (!StartsWithIgnoringCase(text, at, name)) return false;
  const size_t after = at + name.size();
  return after == text.size() || !(IsAsciiAlnum(text[after]) || text[after] == u'-' || text[after] == u':');
}

// The end of the markup that starts with "<" at At (the index after it), or
// At itself when this "<" is text. RawEnd is set to the end tag that closes
// the raw text of a script or style element starting there.
size_t MarkupEnd(std::u16string_view text, size_t at, std::string_view& rawEnd) {
  const size_t n = text.size();
  const auto upTo = [&](std::u16string_view end, size_t from) {
    const size_t found = text.find(end, from);
    return found == std::u16string_view::npos ? n : found + end.size();
  };
  if (text.substr(at, 4) == u"<!--") return upTo(u"-->", at + 4);
  if (at + 1 >= n) return at;
  const char16_t next = text[at + 1];
  if (next == u'!' || next == u'?') return upTo(u">", at + 2);
  if (next == u'/') return at + 2 < n && IsAsciiLetter(text[at + 2]) ? upTo(u">", at + 2) : at;
  if (!IsAsciiLetter(next)) return at;
  rawEnd = IsTagName(text, at + 1, "script") ? "</script" : IsTagName(text, at + 1, "style") ? "</style" : "";
  // Attribute values in quotes may hold ">".
  for (size_t i = at + 1; i < n; ++i) {
    const char16_t c = text[i];
    if (c == u'>') return i + 1;
    if (c == u'"' || c == u'\'') {
      const size_t close = text.find(c, i + 1);
      if (close == std::u16string_view::npos) return n;
      i = close;
    }
  }
  return n;
}

}  // namespace

size_t ReadReference(std::u16string_view Text, size_t At, std::u32string& Out) {
  if (At >= Text.size() || Text[At] != u'&') return 0;
  if (At + 1 < Text.size() && Text[At + 1] == u'#') return ReadNumber(Text, At, Out);
  return ReadName(Text, At, Out);
}

ustring NumericReferences(std::u16string_view Html) {
  ustring out;
  out.reserve(Html.size());
  std::u32string characters;
  for (size_t i = 0; i < Html.size();) {
    const char16_t c = Html[i];
    if (c == u'&') {
      characters.clear();
      const size_t length = ReadReference(Html, i, characters);
      if (length == 0) {
        // The "&" itself, as a number too: libxml2 would take "&#;" for a
        // broken reference and drop it.
        AppendNumeric(out, U'&');
        ++i;
        continue;
      }
      for (char32_t ch : characters) AppendNumeric(out, ch);
      i += length;
      continue;
    }
    if (c == u'<') {
      std::string_view rawEnd;
      size_t end = MarkupEnd(Html, i, rawEnd);
      if (end == i) {
        out += c;
        ++i;
        continue;
      }
      // The raw text of script and style runs to its end tag, references
      // and all.
      if (!rawEnd.empty()) {
        size_t close = end;
        while (close < Html.size() && !StartsWithIgnoringCase(Html, close, rawEnd)) ++close;
        end = close;
      }
      out.append(Html.substr(i, end - i));
      i = end;
      continue;
    }
    out += c;
    ++i;
  }
  return out;
}

}  // namespace vxHtmlCharRefs
