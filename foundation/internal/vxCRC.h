// CRC-32 (the polynomial of zlib and ISO-HDLC) that the DES stream
// operations keep over the plain data.
#pragma once

#include <cstdint>

namespace vxInternal {

// Continues Crc over Length bytes of Buffer; pieces passed one after the
// other, each with the previous result and starting from 0, give the CRC of
// their concatenation. A null Buffer gives 0; a Length of 0 or below gives
// Crc unchanged.
uint32_t Crc32Update(uint32_t Crc, const void* Buffer, int32_t Length);

}  // namespace vxInternal
