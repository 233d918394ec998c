// The raw data of registry text values (UTF-16LE with a final 0 unit).
#include "platform/registry/vxRegTypes.h"

#include "platform/base/vxCodePage.h"

namespace vxRegFile {

std::string EncodeText(std::u16string_view text) {
  std::string data = WideToUtf16LE(text);
  data.append(2, '\0');
  return data;
}

// An odd last byte belongs to no unit and is left out.
ustring DecodeUnits(std::string_view data) { return Utf16LEToWide(data.substr(0, data.size() & ~size_t{1})); }

}  // namespace vxRegFile
