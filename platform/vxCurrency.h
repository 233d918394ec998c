// Currency: a fixed-point amount, a 64-bit integer scaled by 10^4. It is
// written and read from its integer, never through a double.
#pragma once

#include <cstdint>

struct Currency {
  int64_t Scaled = 0;  // the amount times 10,000

  static constexpr int64_t Scale = 10000;
  static constexpr Currency FromScaled(int64_t scaled) { return Currency{scaled}; }
  friend constexpr bool operator==(Currency, Currency) = default;
  friend constexpr auto operator<=>(Currency, Currency) = default;
};
