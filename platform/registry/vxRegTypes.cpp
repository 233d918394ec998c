// The raw data of registry text values (UTF-16LE with a final 0 unit).
#include "platform/registry/vxRegTypes.h"

#include <bit>
#include <cstring>

#include "platform/base/vxCodePage.h"

namespace vxRegFile {

std::string EncodeText(std::u16string_view text) {
  std::string data = WideToUtf16LE(text);
  data.append(2, '\0');
  return data;
}

// An odd last byte belongs to no unit and is left out.
ustring DecodeUnits(std::string_view data) {
  const size_t count = data.size() / 2;
  if constexpr (std::endian::native == std::endian::little) {
    // The units are stored as this machine holds them: one copy.
    ustring text(count, u'\0');
    std::memcpy(text.data(), data.data(), count * 2);
    return text;
  } else {
    return Utf16LEToWide(data.substr(0, count * 2));
  }
}

}  // namespace vxRegFile
