// Shared by the libFuzzer harnesses: cuts one input into the fields a
// harness needs (fields are separated by a zero byte, so seeds stay text),
// and turns bytes into wide text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/base/vxCodePage.h"

namespace vxFuzz {

inline std::vector<std::string> Fields(const uint8_t* data, size_t size, size_t count) {
  std::vector<std::string> fields(count);
  size_t field = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0 && field + 1 < count) {
      ++field;
      continue;
    }
    fields[field].push_back(static_cast<char>(data[i]));
  }
  return fields;
}

// UTF-8 text as wide text (bad sequences as the codec reads them).
inline ustring Wide(std::string_view bytes) { return Utf8ToWide(bytes); }

// Every pair of bytes as one UTF-16 unit, lone surrogates included.
inline ustring Units(std::string_view bytes) {
  ustring text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  return text;
}

// A property that does not hold: libFuzzer keeps the input as a finding.
[[noreturn]] inline void Fail() { __builtin_trap(); }
inline void Check(bool holds) {
  if (!holds) Fail();
}

}  // namespace vxFuzz
