// Fuzz harness of the version reader: the input is taken as a whole file
// (PE, ELF or anything) and its version block, when one is found, is
// queried along every path the system uses.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/version/vxVersionBlock.h"
#include "platform/version/vxVersionFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string bytes(reinterpret_cast<const char*>(Data), Size);
  vxVersionFile::FindElfSection(bytes, ".text");
  const auto place = vxVersionFile::FindVersionBlock(bytes);
  // The input read as a block by itself, and the block found in it.
  std::string blocks[2] = {bytes, {}};
  if (place) blocks[1] = bytes.substr(place->Offset, place->Size);
  for (const std::string& block : blocks) {
    vxVersionBlock::TValuePlace value;
    if (vxVersionBlock::QueryValue(block, u"\\", value) && value.Offset + value.Length > block.size()) __builtin_trap();
    for (const auto& [language, codePage] : vxVersionBlock::Translations(block)) {
      for (const char16_t* key : {u"CompanyName", u"ProductVersion", u"Comment"}) {
        if (vxVersionBlock::QueryValue(block, vxVersionBlock::StringPath(language, codePage, key), value) &&
            value.Offset + (value.IsText ? 2 : 1) * size_t{value.Length} > block.size())
          __builtin_trap();
      }
    }
  }
  return 0;
}
