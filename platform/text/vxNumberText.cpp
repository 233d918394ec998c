// Reading decimal and integer number texts exactly, and writing doubles as digits.
#include "platform/text/vxNumberText.h"

#include "platform/base/vxExceptions.h"
#include "platform/base/vxRuntime.h"

#include <array>
#include <charconv>
#include <limits>
#include <system_error>

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

using vxRuntime::HexDigitValue;

// Far beyond every range a caller can hold; keeps the exponent arithmetic
// free of overflow whatever the text says.
constexpr int64_t kExponentCap = 1'000'000'000;

}  // namespace

bool ScanDecimalNumber(std::u16string_view text, char16_t decimalSeparator, TDecimalNumber& number) {
  number = TDecimalNumber();
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == u' ') ++i;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) number.Negative = text[i++] == u'-';

  bool anyDigit = false;
  int64_t fractionDigits = 0;
  for (; i < n && IsDigit(text[i]); ++i) {
    anyDigit = true;
    if (!number.Digits.empty() || text[i] != u'0') number.Digits += static_cast<char>(text[i]);
  }
  if (i < n && text[i] == decimalSeparator) {
    for (++i; i < n && IsDigit(text[i]); ++i) {
      anyDigit = true;
      ++fractionDigits;
      if (!number.Digits.empty() || text[i] != u'0') number.Digits += static_cast<char>(text[i]);
    }
  }
  if (!anyDigit) return false;

  int64_t exponent = 0;
  if (i < n && (text[i] == u'E' || text[i] == u'e')) {
    ++i;
    bool negativeExponent = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) negativeExponent = text[i++] == u'-';
    if (i == n || !IsDigit(text[i])) return false;
    for (; i < n && IsDigit(text[i]); ++i) {
      if (exponent < kExponentCap) exponent = exponent * 10 + (text[i] - u'0');
    }
    if (negativeExponent) exponent = -exponent;
  }
  if (i != n) return false;

  if (number.Digits.empty()) {
    number.Exponent = 0;
  } else {
    // Leading zeros were skipped, which changes nothing: every fraction
    // digit, collected or not, shifts the value one place.
    number.Exponent = exponent - fractionDigits;
    // Trailing zeros carry no value; dropping them keeps Digits short.
    while (number.Digits.back() == '0') {
      number.Digits.pop_back();
      ++number.Exponent;
    }
  }
  return true;
}

bool TextToFloat(std::u16string_view text, char16_t decimalSeparator, double& value) {
  TDecimalNumber number;
  if (!ScanDecimalNumber(text, decimalSeparator, number)) return false;
  if (number.Digits.empty()) {
    value = number.Negative ? -0.0 : 0.0;
    return true;
  }
  // The decimal exponent of the leading digit, as in 1.23E+magnitude.
  const int64_t magnitude = number.Exponent + static_cast<int64_t>(number.Digits.size()) - 1;
  double parsed = 0;
  if (magnitude < -400) {
    parsed = 0;  // far below the smallest double
  } else if (magnitude > 400) {
    return false;
  } else {
    const std::string ascii = number.Digits + "e" + std::to_string(number.Exponent);
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), parsed);
    if (ec == std::errc::result_out_of_range) {
      if (magnitude > 0) return false;  // beyond the double range
      parsed = 0;                       // too small: reads as zero
    } else if (ec != std::errc() || end != ascii.data() + ascii.size()) {
      return false;
    }
  }
  value = number.Negative ? -parsed : parsed;
  return true;
}

std::optional<int64_t> ReadInteger(std::u16string_view s) {
  size_t i = 0;
  const size_t n = s.size();
  while (i < n && s[i] == u' ') ++i;
  bool negative = false;
  if (i < n && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  bool hex = false;
  if (i < n && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i == n) return std::nullopt;

  uint64_t magnitude = 0;
  if (hex) {
    int significant = 0;
    for (; i < n; ++i) {
      const int digit = HexDigitValue(s[i]);
      if (digit < 0) return std::nullopt;
      if (significant == 0 && digit == 0) continue;
      if (++significant > 16) return std::nullopt;
      magnitude = magnitude << 4 | static_cast<uint64_t>(digit);
    }
    // The pattern read as a signed value; "-" negates it (modulo 2^64).
    return static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
  }

  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  for (; i < n; ++i) {
    if (s[i] < u'0' || s[i] > u'9') return std::nullopt;
    const uint64_t digit = static_cast<uint64_t>(s[i] - u'0');
    if (magnitude > (limit - digit) / 10) return std::nullopt;
    magnitude = magnitude * 10 + digit;
  }
  return static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
}

namespace vxRuntime {

bool TryStrToInt(const ustring& S, int32_t& Value) {
  const std::optional<int64_t> value = ReadInteger(S);
  if (!value || *value < std::numeric_limits<int32_t>::min() || *value > std::numeric_limits<int32_t>::max())
    return false;
  Value = static_cast<int32_t>(*value);
  return true;
}

int32_t StrToInt(const ustring& S) {
  int32_t value;
  if (!TryStrToInt(S, value)) throw EConvertError(u"'" + S + u"' ist kein gültiger Integerwert");
  return value;
}

}  // namespace vxRuntime

void vxNumberText::DecimalDigits(double Magnitude, int SignificantDigits, std::string& Digits, int& Exponent) {
  std::array<char, 64> buffer;
  const auto result =
      SignificantDigits > 0
          ? std::to_chars(buffer.data(), buffer.data() + buffer.size(), Magnitude, std::chars_format::scientific,
                          SignificantDigits - 1)
          : std::to_chars(buffer.data(), buffer.data() + buffer.size(), Magnitude, std::chars_format::scientific);
  // "d.ddde+XX" or "de+XX"
  const std::string_view text(buffer.data(), static_cast<size_t>(result.ptr - buffer.data()));
  const size_t e = text.find('e');
  Digits.assign(1, text[0]);
  if (e > 2) Digits.append(text.substr(2, e - 2));
  std::string_view exponentText = text.substr(e + 1);
  const bool negative = exponentText.front() == '-';
  exponentText.remove_prefix(1);  // to_chars always writes the sign
  Exponent = 0;
  std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), Exponent);
  if (negative) Exponent = -Exponent;
}

std::string vxNumberText::GeneralText(double Value, int Precision) {
  std::array<char, 64> buffer;
  const auto result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), Value, std::chars_format::general, Precision);
  return std::string(buffer.data(), static_cast<size_t>(result.ptr - buffer.data()));
}

namespace {

// Digits already without sign, padded with zeros to the width left for them.
std::string Padded(bool negative, std::string_view digits, int width) {
  std::string text(negative ? "-" : "");
  const size_t room = width > 0 ? static_cast<size_t>(width) : 0;
  if (room > text.size() + digits.size()) text.append(room - text.size() - digits.size(), '0');
  text += digits;
  return text;
}

}  // namespace

std::string vxNumberText::IntText(int64_t Value, int Width) {
  char digits[24];
  // The magnitude as unsigned, so that the lowest value has one too.
  const uint64_t magnitude = Value < 0 ? 0 - static_cast<uint64_t>(Value) : static_cast<uint64_t>(Value);
  const auto end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
  return Padded(Value < 0, std::string_view(digits, static_cast<size_t>(end - digits)), Width);
}

std::string vxNumberText::HexText(uint64_t Value, int Width, bool UpperCase) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, Value, 16).ptr;
  if (UpperCase)
    for (char* c = digits; c != end; ++c)
      if (*c >= 'a' && *c <= 'f') *c = static_cast<char>(*c - 32);
  return Padded(false, std::string_view(digits, static_cast<size_t>(end - digits)), Width);
}
