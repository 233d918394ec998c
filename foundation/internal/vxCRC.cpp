// CRC-32 over zlib's table-driven routine.
#include "foundation/internal/vxCRC.h"

#include "platform/files/vxZlib.h"

namespace vxInternal {

uint32_t Crc32Update(uint32_t Crc, const void* Buffer, int32_t Length) {
  if (!Buffer) return 0;
  if (Length <= 0) return Crc;
  return vxZlib::Crc32(Crc, Buffer, static_cast<size_t>(Length));
}

}  // namespace vxInternal
