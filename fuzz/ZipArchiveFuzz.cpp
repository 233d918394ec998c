// Fuzzes the zip reader: any bytes either open as an archive or raise; every
// entry's name is read and its content either read whole (checksum verified)
// or refused with an exception, never a crash. Contents are capped so that a
// crafted compression bomb does not exhaust memory.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/base/vxExceptions.h"
#include "platform/zip/vxZip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  try {
    const vxZip::TZipReader reader =
        vxZip::TZipReader::OpenBytes(std::string(reinterpret_cast<const char*>(Data), Size));
    const int64_t count = reader.Count();
    for (int64_t i = 0; i < count && i < 64; ++i) {
      try {
        const std::string name = reader.Name(i);
        (void)vxZip::IsSafeEntryName(name);
        size_t total = 0;
        reader.ReadTo(i, [&total](std::string_view piece) {
          total += piece.size();
          return total <= (size_t{16} << 20);
        });
      } catch (const Exception&) {
      }
    }
  } catch (const Exception&) {
  }
  return 0;
}
