// Fuzzes the request/answer string parser: any input parses, is refused or
// (with item decoding) raises only the decompression error; the items of a
// parse build back, plain and compressed, into a string that parses to the
// same values; Base64 of decoded bytes decodes to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/vxBase64.h"
#include "foundation/vxComTools.h"
#include "platform/files/vxZlib.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// Builds the values as items "k=" + value and checks that they parse back.
void CheckRoundTrip(const TComResExt& parsed, bool compress) {
  TComRes items;
  for (const TComPart& part : parsed) TvxComTools::AddComParam("k", part.Value, items);
  const std::string built = TvxComTools::BuiltComString("Fz", compress, compress, items);
  std::string type;
  TComResExt again;
  Check(TvxComTools::ParseComAnswer(built, type, again, true));
  Check(type == "FZ" && again.size() == parsed.size());
  for (size_t i = 0; i < parsed.size(); ++i) Check(again[i].Param == "K" && again[i].Value == parsed[i].Value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string input(reinterpret_cast<const char*>(Data), Size);

  std::string type;
  TComResExt raw;
  if (TvxComTools::ParseComAnswer(input, type, raw, false)) {
    for (size_t i = 0; i < raw.size(); ++i) Check(raw[i].Value.find('>') == std::string::npos);
    CheckRoundTrip(raw, false);
    CheckRoundTrip(raw, true);
  }
  TComResExt decoded;
  try {
    if (TvxComTools::ParseComAnswer(input, type, decoded, true)) {
      Check(decoded.size() <= raw.size());
      for (const TComPart& part : decoded) Check(TvxComTools::GetComParamId(decoded, part.OrgParam) >= 0);
    }
  } catch (const EZDecompressionError&) {
  }
  (void)TvxComTools::GetComType(input);

  const std::string bytes = TvxBase64::Base64ToStr(input);
  Check(TvxBase64::Base64ToStr(TvxBase64::StrToBase64(bytes, false)) == bytes);
  Check(TvxBase64::Base64ToStr(TvxBase64::StrToBase64(bytes, true)) == bytes);
  return 0;
}
