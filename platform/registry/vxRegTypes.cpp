// The raw data of registry text values (UTF-16LE with a final 0 unit).
#include "platform/registry/vxRegTypes.h"

#include "platform/base/vxCodePage.h"

namespace vxRegFile {

std::string EncodeText(std::u16string_view text) {
  std::string data = vxCodePage::WideToUtf16LeBytes(text);
  data.append(2, '\0');
  return data;
}

ustring DecodeUnits(std::string_view data) { return vxCodePage::Utf16BytesToWide(data); }

}  // namespace vxRegFile
