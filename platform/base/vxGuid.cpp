// Fresh GUIDs from libuuid's random generator.
#include "platform/base/vxGuid.h"

#include <uuid/uuid.h>

#include "platform/base/vxRuntime.h"

TGUID NewGuid() {
  uuid_t bytes;
  uuid_generate_random(bytes);
  // The fields are read big-endian, so the text form shows the bytes in
  // generation order, as RFC 4122 writes a UUID.
  TGUID guid;
  guid.D1 = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
  guid.D2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
  guid.D3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) guid.D4[i] = bytes[8 + i];
  return guid;
}

std::string GuidToString(const TGUID& guid) {
  std::string text;
  text.reserve(38);
  auto put = [&](uint64_t value, int digits) { vxRuntime::AppendHex(text, value, digits); };
  text.push_back('{');
  put(guid.D1, 8);
  text.push_back('-');
  put(guid.D2, 4);
  text.push_back('-');
  put(guid.D3, 4);
  text.push_back('-');
  for (int i = 0; i < 8; ++i) {
    if (i == 2) text.push_back('-');
    put(guid.D4[i], 2);
  }
  text.push_back('}');
  return text;
}
