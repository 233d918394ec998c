// Base64 for the cipher and script units, over the MIME codec's Base64.
#include "foundation/internal/vxBase64.h"

#include "platform/mail/vxMimeCodec.h"

namespace vxInternal::TvxBase64 {

std::string StrToBase64(const std::string& InText, bool Format) {
  const std::string line = vxMimeCodec::Base64Encode(InText);
  if (!Format) return line;
  std::string out;
  out.reserve(line.size() + line.size() / 38);
  for (size_t i = 0; i < line.size(); i += 76) {
    if (i > 0) out += "\r\n";
    out.append(line, i, 76);
  }
  return out;
}

std::string Base64ToStr(const std::string& InText) {
  // The codec stops at "=", this decoder skips it like any other byte
  // outside the alphabet.
  std::string text;
  text.reserve(InText.size());
  for (const char c : InText)
    if (c != '=') text += c;
  return vxMimeCodec::Base64Decode(text);
}

}  // namespace vxInternal::TvxBase64
