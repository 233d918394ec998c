// TvxBase64 over the platform's one Base64 codec.
#include "foundation/vxBase64.h"

#include "platform/text/vxBase64Codec.h"

namespace TvxBase64 {

namespace {
constexpr size_t kLineLength = 76;
}

std::string StrToBase64(const std::string& InText, bool Format) {
  if (!Format) return vxBase64Codec::Encode(InText);
  return vxBase64Codec::EncodeLines(InText, kLineLength, /*TrailingBreak=*/false);
}

std::string Base64ToStr(const std::string& InText) { return vxBase64Codec::Decode(InText, /*StopAtPadding=*/false); }

}  // namespace TvxBase64
