// Fuzzes the registry file parser: any input parses or raises
// ERegistryException, and what parses is written as a text that parses to the
// same text again.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/registry/vxRegText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view input(reinterpret_cast<const char*>(Data), Size);
  std::unique_ptr<vxRegFile::TRegKeyNode> root;
  try {
    root = vxRegFile::ParseRegText(input, u"HKEY_CURRENT_USER", "fuzz.reg");
  } catch (const ERegistryException&) {
    return 0;
  }
  const std::string text = vxRegFile::FormatRegText(*root);
  const auto again = vxRegFile::ParseRegText(text, u"HKEY_CURRENT_USER", "fuzz.reg");
  if (vxRegFile::FormatRegText(*again) != text) __builtin_trap();
  return 0;
}
