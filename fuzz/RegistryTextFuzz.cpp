// Fuzzes the registry's text format: any text either parses or raises our
// Exception; a parsed tree written out reads back to a tree that writes the
// same text.
#include "fuzz/FuzzInput.h"
#include "platform/base/vxExceptions.h"
#include "platform/registry/vxRegFile.h"

using namespace vxRegFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view text(reinterpret_cast<const char*>(Data), Size);
  std::unique_ptr<TRegKeyNode> tree;
  try {
    tree = ParseRegText(text, u"HKEY_CURRENT_USER", "fuzz.reg");
  } catch (const Exception&) {
    return 0;
  }
  const std::string written = FormatRegText(*tree);
  const std::unique_ptr<TRegKeyNode> again = ParseRegText(written, u"HKEY_CURRENT_USER", "fuzz.reg");
  vxFuzz::Check(FormatRegText(*again) == written);
  return 0;
}
