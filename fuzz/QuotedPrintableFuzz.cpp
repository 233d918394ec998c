// Fuzzes the two quoted-printable decoders: any 8-bit text decodes without
// failing into a text no longer than itself, and the soft line breaks go
// exactly as the repeated replacement (FastReplaceA) takes them away.
#include <string>
#include <string_view>

#include "core/vxStringsDecode.h"
#include "core/vxStringsReplace.h"
#include "fuzz/FuzzInput.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The general decoder written plainly, on the repeated replacement.
std::string Reference(const std::string& content) {
  std::string text = TvxStrings::FastReplaceA(content, "=\r\n", "");
  text = TvxStrings::FastReplaceA(text, "=\n", "");
  text = TvxStrings::FastReplaceA(text, "=\r", "");
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '=') {
      out += text[i];
      continue;
    }
    const std::string digits = text.substr(i + 1, 2);
    int value = digits.empty() ? -1 : 0;
    for (char c : digits) value = (value < 0 || HexDigit(c) < 0) ? -1 : value * 16 + HexDigit(c);
    if (value >= 0) out += static_cast<char>(value);
    i += digits.size();
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string content(reinterpret_cast<const char*>(Data), Size);
  const std::string simple = TvxStrings::ReplaceQuotedPrintableSimple(content);
  const std::string general = TvxStrings::ReplaceQuotedPrintable(content);
  vxFuzz::Check(simple.size() <= content.size());
  vxFuzz::Check(general.size() <= content.size());
  // The repeated replacement takes a pass per nesting level: small inputs only.
  if (Size <= 512) {
    vxFuzz::Check(general == Reference(content));
    // Without codes of the table the simple decoder only removes soft breaks.
    if (content.find('=') == std::string::npos || content.find_first_of("0123456789abcdefABCDEF") == std::string::npos)
      vxFuzz::Check(simple == TvxStrings::FastReplaceA(content, "=\r\n", ""));
  }
  return 0;
}
