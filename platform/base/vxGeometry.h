// The platform's rectangle and point (the layout of a screen rectangle:
// four 32-bit signed edges).
#pragma once

#include <cstdint>

struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};
