// Fuzzes the command-line splitter: any text splits without a crash, and
// the arguments it gives, quoted again, split back to the same arguments.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/process/vxCommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::u16string line(reinterpret_cast<const char16_t*>(Data), Size / 2);
  for (bool withProgram : {false, true}) {
    const std::vector<std::u16string> arguments = vxCommandLine::SplitCommandLine(line, withProgram);
    std::u16string rebuilt;
    for (size_t i = 0; i < arguments.size(); ++i) {
      if (i > 0) rebuilt.push_back(u' ');
      // The program name has no escapes: only plain names and names in quotes survive.
      if (withProgram && i == 0) {
        if (arguments[0].find(u'"') != std::u16string::npos) return 0;
        rebuilt += u"\"" + arguments[0] + u"\"";
      } else {
        rebuilt += vxCommandLine::QuoteArgument(arguments[i]);
      }
    }
    if (vxCommandLine::SplitCommandLine(rebuilt, withProgram) != arguments) __builtin_trap();
  }
  return 0;
}
