// Currency: a fixed-point amount, a 64-bit integer scaled by 10^4.
#include "platform/values/vxCurrency.h"

#include <limits>

#include "platform/text/vxNumberText.h"

bool TextToCurrency(std::u16string_view text, char16_t decimalSeparator, Currency& value) {
  TDecimalNumber number;
  if (!ScanDecimalNumber(text, decimalSeparator, number)) return false;

  // The amount in units of 10^-4 is Digits * 10^shift.
  const int64_t shift = number.Exponent + 4;
  const int64_t digitCount = static_cast<int64_t>(number.Digits.size());
  // How many of the digits stand left of the ten-thousandths' point.
  const int64_t kept = digitCount + shift;
  if (kept > 19) return false;  // more than 19 integer digits never fit

  uint64_t magnitude = 0;
  const uint64_t limit = number.Negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  auto append = [&](int digit) {
    if (magnitude > (limit - static_cast<uint64_t>(digit)) / 10) return false;
    magnitude = magnitude * 10 + static_cast<uint64_t>(digit);
    return true;
  };
  for (int64_t i = 0; i < kept; ++i) {
    const int digit = i < digitCount ? number.Digits[static_cast<size_t>(i)] - '0' : 0;
    if (!append(digit)) return false;
  }
  if (kept >= 0 && kept < digitCount && number.Digits[static_cast<size_t>(kept)] >= '5') {
    if (magnitude == limit) return false;
    ++magnitude;
  }

  if (!number.Negative) {
    value.Scaled = static_cast<int64_t>(magnitude);
  } else if (magnitude == uint64_t{1} << 63) {
    value.Scaled = std::numeric_limits<int64_t>::min();
  } else {
    value.Scaled = -static_cast<int64_t>(magnitude);
  }
  return true;
}
