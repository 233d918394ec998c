// Reads numbers written with either decimal separator, with or without
// thousands separators, as recognised documents and foreign locales write
// them: the positions of the non-digit characters decide which is the
// decimal and which the thousands separator, and the digit groups between
// them must be groups of three. Optionally repairs characters that OCR
// commonly reads in place of digits ("O" for "0", "S" for "5", ...).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/values/vxCurrency.h"

// A non-digit character of the text and the count of characters after it.
struct TvxSeparationEntry {
  char16_t Char;
  int32_t Distance;
};
// From the rightmost separator to the leftmost.
using TvxSeparationArray = std::vector<TvxSeparationEntry>;

namespace TvxStrToFloatConverter {

// The value of FloatStr. When the text is no such number, or its value
// lies beyond the double range, the result is Default; with RaiseException
// an EConvertError tells why instead.
double StrToFloat(const ustring& FloatStr, double Default, bool RaiseException, bool ReplaceImprecisions);
// The same for currency amounts, read exactly (beyond the fourth decimal
// rounded half away from zero).
Currency StrToCurrency(const ustring& CurrencyStr, Currency Default, bool RaiseException, bool ReplaceImprecisions);
// Whether the separators of FloatStr make a number; never raises.
bool CheckFloatString(const ustring& FloatStr, bool ReplaceImprecisions);

}  // namespace TvxStrToFloatConverter
