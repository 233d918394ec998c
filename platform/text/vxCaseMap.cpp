// One-to-one case mapping of UTF-16 units: each unit becomes its simple upper-
// or lower-case partner (ICU u_toupper / u_tolower).
#include "platform/text/vxCaseMap.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <array>

#include "platform/base/vxExceptions.h"

namespace {

// u_toupper/u_tolower for every BMP unit, computed once. Surrogate halves
// map to themselves, so applying the table unit by unit is exactly the
// one-to-one mapping the system needs, without a call into ICU per unit.
struct CaseTables {
  std::array<char16_t, 65536> upper;
  std::array<char16_t, 65536> lower;

  CaseTables() {
    for (uint32_t unit = 0; unit < 65536; ++unit) {
      const UChar32 up = u_toupper(static_cast<UChar32>(unit));
      const UChar32 low = u_tolower(static_cast<UChar32>(unit));
      // A partner outside the BMP cannot stand in one unit: keep the unit.
      upper[unit] = static_cast<char16_t>(up <= 0xFFFF ? up : static_cast<UChar32>(unit));
      lower[unit] = static_cast<char16_t>(low <= 0xFFFF ? low : static_cast<UChar32>(unit));
    }
  }
};

const CaseTables& Tables() {
  static const CaseTables tables;
  return tables;
}

ustring MapUnits(std::u16string_view text, const std::array<char16_t, 65536>& table) {
  ustring result(text.size(), u'\0');
  for (size_t i = 0; i < text.size(); ++i) result[i] = table[text[i]];
  return result;
}

}  // namespace

namespace vxCaseMap {

ustring Upper(std::u16string_view text) { return MapUnits(text, Tables().upper); }
ustring Lower(std::u16string_view text) { return MapUnits(text, Tables().lower); }

ustring UpperFull(std::u16string_view text) {
  if (text.empty()) return {};
  // Upper-casing lengthens a text at most threefold; one retry covers a
  // longer result all the same.
  ustring result(text.size() + 16, u'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = u_strToUpper(result.data(), static_cast<int32_t>(result.size()), text.data(),
                                        static_cast<int32_t>(text.size()), "", &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      result.assign(static_cast<size_t>(length), u'\0');
      continue;
    }
    if (U_FAILURE(status)) throw Exception(std::string("case mapping failed: ") + u_errorName(status));
    result.resize(static_cast<size_t>(length));
    return result;
  }
  throw Exception("case mapping failed: the result did not fit");
}

}  // namespace vxCaseMap
