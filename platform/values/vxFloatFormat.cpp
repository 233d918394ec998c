// The runtime's general number format of doubles and currency amounts.
#include "platform/values/vxFloatFormat.h"

#include <cmath>
#include <string>

#include "platform/text/vxNumberText.h"

namespace {

ustring Widen(const std::string& ascii) { return ustring(ascii.begin(), ascii.end()); }

}  // namespace

ustring FloatToStrGeneral(double value, int precision, char16_t decimalSeparator) {
  if (std::isnan(value)) return u"NAN";
  if (std::isinf(value)) return value < 0 ? u"-INF" : u"INF";
  if (value == 0) return u"0";
  if (precision < 1) precision = 1;
  if (precision > 17) precision = 17;

  std::string digits;
  int exponent = 0;
  vxNumberText::DecimalDigits(std::fabs(value), precision, digits, exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  ustring result = value < 0 ? u"-" : u"";
  if (exponent >= -4 && exponent < precision) {
    if (exponent >= 0) {
      const size_t intCount = static_cast<size_t>(exponent) + 1;
      if (digits.size() <= intCount) {
        result += Widen(digits) + ustring(intCount - digits.size(), u'0');
      } else {
        result += Widen(digits.substr(0, intCount));
        result += decimalSeparator;
        result += Widen(digits.substr(intCount));
      }
    } else {
      result += u'0';
      result += decimalSeparator;
      result += ustring(static_cast<size_t>(-exponent - 1), u'0');
      result += Widen(digits);
    }
    return result;
  }
  result += static_cast<char16_t>(digits[0]);
  if (digits.size() > 1) {
    result += decimalSeparator;
    result += Widen(digits.substr(1));
  }
  result += u'E';
  if (exponent < 0) result += u'-';
  result += Widen(std::to_string(std::abs(exponent)));
  return result;
}

ustring CurrToStrGeneral(Currency value, char16_t decimalSeparator) {
  // The magnitude in unsigned arithmetic, so that the smallest amount works.
  const bool negative = value.Scaled < 0;
  const uint64_t magnitude =
      negative ? 0 - static_cast<uint64_t>(value.Scaled) : static_cast<uint64_t>(value.Scaled);
  const uint64_t scale = static_cast<uint64_t>(Currency::Scale);
  ustring result = negative ? u"-" : u"";
  result += Widen(std::to_string(magnitude / scale));
  std::string fraction = std::to_string(magnitude % scale);
  fraction.insert(0, 4 - fraction.size(), '0');
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) {
    result += decimalSeparator;
    result += Widen(fraction);
  }
  return result;
}
