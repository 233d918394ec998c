// Fuzzes the XML configuration string reader: any input parses or fails with
// the object's failure (never another exception, a crash or unbounded
// memory), and a list that parsed builds again into a string that parses,
// also with the change-protection hash, whose writer and reader must agree.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/vxConfigTools.h"
#include "platform/base/vxExceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string input(reinterpret_cast<const char*>(Data), Size);
  TvxConfigTools reader;
  ustring root;
  try {
    if (!reader.ParseConfigString(input, root, true)) __builtin_trap();  // raises instead
  } catch (const Exception&) {
    if (reader.Message.empty()) __builtin_trap();
    return 0;
  }
  for (bool compress : {false, true}) {
    TvxConfigTools writer;
    writer.ChangeProtection = true;
    std::string built;
    try {
      built = writer.BuiltConfigString(reader.ConfigList, root.empty() ? u"r" : root, compress, true, false);
    } catch (const Exception&) {
      continue;  // names that are no XML names as they stand
    }
    TvxConfigTools again;
    again.ChangeProtection = true;
    if (!again.ParseConfigString(built) && again.Message.find(u"nested deeper") == ustring::npos) __builtin_trap();
  }
  return 0;
}
