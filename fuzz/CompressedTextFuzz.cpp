// Fuzzes the compressed text reader: any input either inflates to exactly the
// length its header gives or raises, and what it gives compresses back to a text
// that reads the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/vxStringsIds.h"
#include "platform/base/vxExceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string input(reinterpret_cast<const char*>(Data), Size);
  std::string text;
  try {
    text = TvxStrings::DecompressString(input);
  } catch (const Exception&) {
    return 0;
  }
  if (TvxStrings::DecompressString(TvxStrings::CompressString(text)) != text) __builtin_trap();
  return 0;
}
