// Fuzzes the four percent codings. Every decoder takes any bytes. Each
// coding's partner gives the text back (DecodeUrlPart: unless the text holds
// "%" and two upper-case digits of a code below 0x25, which read like a
// doubly escaped byte), and DecodeUrlPart's one pass is the replacement per
// code from 255 down to 0.
#include <cstddef>
#include <cstdint>
#include <string>

#include "configstore/vxNet.h"
#include "fuzz/FuzzInput.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"

namespace {

std::string DecodeByPasses(std::string text) {
  for (int code = 255; code >= 0; --code) {
    std::string escape = "%";
    vxRuntime::AppendHexByte(escape, static_cast<unsigned char>(code));
    std::string out;
    size_t from = 0;
    for (size_t at = text.find(escape); at != std::string::npos; at = text.find(escape, from)) {
      out.append(text, from, at - from);
      out.push_back(static_cast<char>(code));
      from = at + 3;
    }
    out.append(text, from, std::string::npos);
    text = out;
  }
  return text;
}

int UpperHex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool HoldsLowEscape(const std::string& bytes) {
  for (size_t i = 0; i + 2 < bytes.size(); ++i)
    if (bytes[i] == '%' && UpperHex(bytes[i + 1]) >= 0 && UpperHex(bytes[i + 2]) >= 0 &&
        UpperHex(bytes[i + 1]) * 16 + UpperHex(bytes[i + 2]) < 0x25)
      return true;
  return false;
}

// The bytes EncodeUrlPartW writes for each UTF-16 unit by itself.
std::string UnitBytes(const ustring& text) {
  std::string bytes;
  for (const char16_t unit : text) {
    if (unit < 0x80) {
      bytes.push_back(static_cast<char>(unit));
    } else if (unit < 0x800) {
      bytes.push_back(static_cast<char>(0xC0 | (unit >> 6)));
      bytes.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    } else {
      bytes.push_back(static_cast<char>(0xE0 | (unit >> 12)));
      bytes.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    }
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string bytes(reinterpret_cast<const char*>(Data), Size);
  const std::string decoded = TvxNet::DecodeUrlPart(bytes);
  vxFuzz::Check(decoded.size() <= bytes.size());
  if (Size <= 512) vxFuzz::Check(decoded == DecodeByPasses(bytes));
  TvxNet::PercentDecode(bytes);

  if (!HoldsLowEscape(bytes)) vxFuzz::Check(TvxNet::DecodeUrlPart(TvxNet::EncodeUrlPart(bytes)) == bytes);
  const ustring units = vxFuzz::Units(bytes);
  const std::string unitBytes = UnitBytes(units);
  if (!HoldsLowEscape(unitBytes)) vxFuzz::Check(TvxNet::DecodeUrlPart(TvxNet::EncodeUrlPartW(units)) == unitBytes);
  // PercentEncode writes UTF-8, so text without lone surrogates comes back.
  if (FindLoneSurrogate(units) == std::u16string_view::npos)
    vxFuzz::Check(TvxNet::PercentDecode(TvxNet::PercentEncode(units)) == units);
  return 0;
}
