// The runtime's reading of decimal number texts, exact and independent of
// the process locale: blanks (U+0020) at the start, an optional sign,
// digits with an optional decimal separator and fraction digits (at least
// one digit in all), an optional exponent ("E" or "e", an optional sign,
// digits); nothing may follow. Also the one way a double becomes decimal
// digits (std::to_chars, never the C locale).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/vxBase.h"

// A scanned number: (-1 if Negative) * Digits * 10^Exponent, where Digits
// holds the significant decimal digits (ASCII, no leading zeros; empty for
// zero).
struct TDecimalNumber {
  bool Negative = false;
  std::string Digits;
  int64_t Exponent = 0;
};

// Scans text by the rules above; false when it is no such number.
bool ScanDecimalNumber(std::u16string_view text, char16_t decimalSeparator, TDecimalNumber& number);

// The double nearest to the text's value. False when the text is no number
// or its value lies beyond the double range; a value too small for a
// double reads as zero.
bool TextToFloat(std::u16string_view text, char16_t decimalSeparator, double& value);

// Whether a double's integer part fits a 64-bit signed integer (false for
// NaN and the infinities), so that a cast to int64_t is defined.
inline bool FitsInt64(double value) { return value >= -9223372036854775808.0 && value < 9223372036854775808.0; }

// The runtime's integer reading: blanks (U+0020) at the start, an optional
// sign, then decimal digits, or hexadecimal ones after "$", "x", "X", "0x"
// or "0X", up to the end of the text. Decimal values must fit 64 bits;
// hexadecimal ones are a 64-bit pattern of at most 16 significant digits,
// read as signed, which "-" negates. Nothing when the text is no such
// number.
std::optional<int64_t> ReadInteger(std::u16string_view text);

namespace vxNumberText {

// The decimal digits of a positive finite Magnitude, rounded to nearest to
// SignificantDigits digits (1 or more), or the shortest digits that read back
// as the same double when SignificantDigits is 0; Exponent is the decimal
// exponent of the first digit (1.5E3 gives "15" and 3). Trailing zeros stay.
void DecimalDigits(double Magnitude, int SignificantDigits, std::string& Digits, int& Exponent);

// The C "%.*g" form of Value with Precision significant digits ("1e+20",
// "0.10000000000000001" at 17), with "." whatever the locale says.
std::string GeneralText(double Value, int Precision);
// The C "%0*d" form of Value: its decimal digits, with zeros after the sign
// up to Width characters in all ("-005" for -5 at 4).
std::string IntText(int64_t Value, int Width = 0);
// The C "%0*llx" form (or "%0*llX" with UpperCase) of Value.
std::string HexText(uint64_t Value, int Width = 0, bool UpperCase = false);

}  // namespace vxNumberText

namespace vxRuntime {

// The strict integer conversion: ReadInteger with a value that fits 32
// bits; anything else (the empty text included) raises EConvertError
// "'%s' ist kein gültiger Integerwert".
int32_t StrToInt(const ustring& S);
bool TryStrToInt(const ustring& S, int32_t& Value);

}  // namespace vxRuntime
