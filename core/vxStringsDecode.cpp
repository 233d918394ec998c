// Quoted-printable decoding and HTML to text.
#include "core/vxStringsDecode.h"

#include <cstdint>
#include <string_view>

#include "core/vxStringsReplace.h"
#include "platform/html/vxHtmlText.h"

namespace {

// The codes that the table-driven decoder knows, in ascending order: each
// range either removed or turned into the byte of its value. =DD, =ED and
// =FD are not among them.
struct QuotedRange {
  uint8_t First;
  uint8_t Last;
  bool Removed;
};
constexpr QuotedRange kSimpleCodes[] = {
    {0x00, 0x1F, true},   // control codes
    {0x20, 0x20, false},  // blank
    {0x2C, 0x2C, false},  // comma
    {0x2E, 0x2E, false},  // point
    {0x3D, 0x3D, false},  // equals sign
    {0x7E, 0x7E, false},  // tilde
    {0x7F, 0x7F, false},  // DEL
    {0x80, 0xDC, false},  // Windows-1252 characters
    {0xDE, 0xEC, false},
    {0xEE, 0xFC, false},
    {0xFE, 0xFF, false},
};

std::string CodeText(uint8_t code) {
  constexpr char kDigits[] = "0123456789abcdef";
  return {'=', kDigits[code >> 4], kDigits[code & 15]};
}

// Pattern removed over and over until it no longer occurs, as FastReplaceA
// with an empty replacement does, in one pass: for a pattern that cannot
// overlap itself the order of removals does not change the end result, so
// removing each occurrence as soon as the text read so far ends with it
// gives the same text without a pass per nesting level ('==\r\n\r\n'
// needs two passes but one scan here).
std::string RemoveNested(std::string_view text, std::string_view pattern) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    out.push_back(c);
    if (c == pattern.back() && out.size() >= pattern.size() &&
        std::string_view(out).substr(out.size() - pattern.size()) == pattern)
      out.resize(out.size() - pattern.size());
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The value of one or two hexadecimal digits, or -1.
int HexValue(std::string_view digits) {
  if (digits.empty()) return -1;
  int value = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return -1;
    value = value * 16 + d;
  }
  return value;
}

}  // namespace

namespace TvxStrings {

std::string ReplaceQuotedPrintableSimple(const std::string& Content) {
  std::string text = Content;
  for (const QuotedRange& range : kSimpleCodes)
    for (int code = range.First; code <= range.Last; ++code) {
      const std::string replacement = range.Removed ? std::string() : std::string(1, static_cast<char>(code));
      text = ReplaceA(text, CodeText(static_cast<uint8_t>(code)), replacement, true);
    }
  return RemoveNested(text, "=\r\n");
}

std::string ReplaceQuotedPrintable(const std::string& Content) {
  std::string text = RemoveNested(Content, "=\r\n");
  text = RemoveNested(text, "=\n");
  text = RemoveNested(text, "=\r");
  std::string result;
  result.reserve(text.size());
  size_t done = 0;
  for (size_t equals = text.find('=', done); equals != std::string::npos; equals = text.find('=', done)) {
    result.append(text, done, equals - done);
    const std::string_view digits = std::string_view(text).substr(equals + 1, 2);
    const int value = HexValue(digits);
    if (value >= 0) result.push_back(static_cast<char>(value));
    done = equals + 1 + digits.size();
  }
  result.append(text, done, std::string::npos);
  return result;
}

ustring HtmlToText(const ustring& _html) { return vxHtmlText::InnerText(_html, u"\r\n"); }

}  // namespace TvxStrings
