// Fresh GUIDs from libuuid's random generator.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct TGUID {
  uint32_t D1;
  uint16_t D2;
  uint16_t D3;
  std::array<uint8_t, 8> D4;
};

TGUID NewGuid();

// The braced registry form: "{" 8-4-4-4-12 upper-case hexadecimal digits "}"
// (the first three groups are the numeric fields, the last two the bytes in
// storage order).
std::string GuidToString(const TGUID& guid);
