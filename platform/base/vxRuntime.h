// The runtime library's text basics that every text routine stands on:
// trimming, 1-based copy and the basic search. Written once for 8-bit and
// UTF-16 text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/base/vxBase.h"

namespace vxRuntime {

// A character counts as white space for trimming when its code is 0 .. 32.
template <class Ch>
constexpr bool IsTrimChar(Ch c) {
  return static_cast<std::make_unsigned_t<Ch>>(c) <= 32;
}

template <class Ch>
std::basic_string<Ch> TrimLeft(std::basic_string_view<Ch> s) {
  size_t b = 0;
  while (b < s.size() && IsTrimChar(s[b])) ++b;
  return std::basic_string<Ch>(s.substr(b));
}

template <class Ch>
std::basic_string<Ch> TrimRight(std::basic_string_view<Ch> s) {
  size_t e = s.size();
  while (e > 0 && IsTrimChar(s[e - 1])) --e;
  return std::basic_string<Ch>(s.substr(0, e));
}

template <class Ch>
std::basic_string<Ch> Trim(std::basic_string_view<Ch> s) {
  size_t b = 0, e = s.size();
  while (b < e && IsTrimChar(s[b])) ++b;
  while (e > b && IsTrimChar(s[e - 1])) --e;
  return std::basic_string<Ch>(s.substr(b, e - b));
}

inline ustring Trim(const ustring& s) { return Trim<char16_t>(s); }
inline std::string Trim(const std::string& s) { return Trim<char>(s); }
inline ustring TrimLeft(const ustring& s) { return TrimLeft<char16_t>(s); }
inline std::string TrimLeft(const std::string& s) { return TrimLeft<char>(s); }
inline ustring TrimRight(const ustring& s) { return TrimRight<char16_t>(s); }
inline std::string TrimRight(const std::string& s) { return TrimRight<char>(s); }

// Count characters of s from the 1-based Index, cut at the end of s. An
// Index below 1 starts at the first character with the same Count; an Index
// beyond the end or a negative Count gives the empty text.
template <class Ch>
std::basic_string<Ch> Copy(std::basic_string_view<Ch> s, long long index, long long count) {
  if (index < 1) index = 1;
  if (count <= 0 || index > static_cast<long long>(s.size())) return {};
  return std::basic_string<Ch>(s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count)));
}
inline ustring Copy(const ustring& s, long long index, long long count) { return Copy<char16_t>(s, index, count); }
inline std::string Copy(const std::string& s, long long index, long long count) { return Copy<char>(s, index, count); }

// The smallest 1-based position p >= from at which sub occurs in s, code
// unit by code unit; 0 when sub or s is empty, from is below 1, or sub does
// not fit at or after from.
template <class Ch>
int Pos(std::basic_string_view<Ch> sub, std::basic_string_view<Ch> s, long long from = 1) {
  if (sub.empty() || s.empty() || from < 1) return 0;
  if (from - 1 + static_cast<long long>(sub.size()) > static_cast<long long>(s.size())) return 0;
  const size_t p = s.find(sub, static_cast<size_t>(from - 1));
  return p == std::basic_string_view<Ch>::npos ? 0 : static_cast<int>(p + 1);
}
inline int Pos(const ustring& sub, const ustring& s, long long from = 1) { return Pos<char16_t>(sub, s, from); }
inline int Pos(const std::string& sub, const std::string& s, long long from = 1) { return Pos<char>(sub, s, from); }

// Integer division rounding towards minus infinity, and its remainder
// (never negative for a positive b), for day and millisecond arithmetic
// before 1970 or 1899.
inline int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
inline int64_t FloorMod(int64_t a, int64_t b) { return a - FloorDiv(a, b) * b; }

// Hexadecimal text, written and read in this one place.
// Appends a byte as two hexadecimal digits.
inline void AppendHexByte(std::string& out, unsigned char byte, bool upperCase = true) {
  const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  out.push_back(digits[byte >> 4]);
  out.push_back(digits[byte & 15]);
}

// ASCII-only classification of a byte or unit, whatever the C locale says
// (under an 8-bit locale <cctype> calls letters above 127 alphanumeric).
constexpr bool IsAsciiDigit(char32_t c) { return c >= '0' && c <= '9'; }
constexpr bool IsAsciiLetter(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr bool IsAsciiAlnum(char32_t c) { return IsAsciiDigit(c) || IsAsciiLetter(c); }
// Appends Number in hexadecimal, at least MinDigits digits (leading zeros
// fill up), to 8-bit or UTF-16 text.
template <class Ch>
void AppendHex(std::basic_string<Ch>& Out, uint64_t Number, int MinDigits, bool UpperCase = true) {
  const char* digits = UpperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  Ch buffer[16];
  int n = 0;
  do {
    buffer[n++] = static_cast<Ch>(digits[Number & 0xF]);
    Number >>= 4;
  } while (Number != 0 || n < MinDigits);
  while (n > 0) Out.push_back(buffer[--n]);
}

// The value of one hexadecimal digit (either case), -1 for any other character.
constexpr int HexDigitValue(char32_t C) {
  if (C >= U'0' && C <= U'9') return static_cast<int>(C - U'0');
  if (C >= U'a' && C <= U'f') return static_cast<int>(C - U'a') + 10;
  if (C >= U'A' && C <= U'F') return static_cast<int>(C - U'A') + 10;
  return -1;
}

// The byte two hexadecimal digits stand for ("3D" = 61), -1 when either is none.
template <class Ch>
constexpr int HexPairValue(Ch High, Ch Low) {
  using U = std::make_unsigned_t<Ch>;
  const int hi = HexDigitValue(static_cast<U>(High));
  const int lo = HexDigitValue(static_cast<U>(Low));
  return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

// ASCII-only case folding of 8-bit text: a-z and A-Z change, every other
// byte stays, whatever the process's C locale says. Protocol keywords and
// the 8-bit routines that fold only ASCII letters use it.
inline std::string AsciiUpper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}
inline ustring AsciiUpper(ustring text) {
  for (char16_t& c : text)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return text;
}
inline std::string AsciiLower(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return result;
}
inline bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace vxRuntime
