// Currency: a fixed-point amount, a 64-bit integer scaled by 10^4. It is
// written and read from its integer, never through a double.
#pragma once

#include <cstdint>
#include <string_view>

struct Currency {
  int64_t Scaled = 0;  // the amount times 10,000

  static constexpr int64_t Scale = 10000;
  static constexpr Currency FromScaled(int64_t scaled) { return Currency{scaled}; }
  friend constexpr bool operator==(Currency, Currency) = default;
  friend constexpr auto operator<=>(Currency, Currency) = default;
};

// Reads a decimal number text (the rules of TextToFloat in
// platform/vxNumberText.h) exactly into a currency amount; digits beyond
// the fourth decimal round half away from zero. False when the text is no
// number or its amount lies beyond the currency range.
bool TextToCurrency(std::u16string_view text, char16_t decimalSeparator, Currency& value);
