// Fuzzes the number readers: integers, hexadecimal, reals and the locale
// reader. None raises unless asked to; a number read writes as text that
// reads back to the same number.
#include <cmath>

#include "core/vxConversion.h"
#include "fuzz/FuzzInput.h"
#include "platform/base/vxExceptions.h"

using namespace TvxConversion;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view bytes(reinterpret_cast<const char*>(Data), Size);
  const ustring text = vxFuzz::Wide(bytes);
  const int64_t i = StrToInt(text, -7);
  if (i != -7) vxFuzz::Check(StrToInt(vxFuzz::Wide(IntToStr(i)), -7) == i);
  (void)HexToInt(text, -1);
  (void)StrToBool(text);
  (void)LocaleStrToFloat(text, false, 0, true);
  const double r = StrToReal(text, false, 0);
  (void)StrToFloat(text, false, 0);
  try {
    (void)StrToFloat(text, true, 0);
  } catch (const Exception&) {
  }
  if (std::isfinite(r) && std::fabs(r) < 1e15) {
    const double back = StrToReal(vxFuzz::Wide(RealToStr(r, 6)), false, 0);
    vxFuzz::Check(std::fabs(back - r) <= 1e-6 * std::max(1.0, std::fabs(r)));
  }
  return 0;
}
