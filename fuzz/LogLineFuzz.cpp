// Fuzz harness for reading log lines back: any bytes as an 8-bit line and
// as UTF-16 text; a conversion error is the one failure allowed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/vxConsoleTools.h"
#include "platform/base/vxExceptions.h"

namespace {

TvxConsoleTools& Console() {
  static TvxConsoleTools console(false);
  console.AsService = true;
  console.LogToFile = false;
  return console;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string bytes(reinterpret_cast<const char*>(Data), Size);
  try {
    Console().ParseLogLine(bytes);
  } catch (const EConvertError&) {
  }
  ustring wide(Size / 2, u'\0');
  for (size_t i = 0; i + 1 < Size; i += 2) wide[i / 2] = static_cast<char16_t>(Data[i] | (Data[i + 1] << 8));
  try {
    Console().ParseLogLineW(wide);
  } catch (const EConvertError&) {
  }
  return 0;
}
