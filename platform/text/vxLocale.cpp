// Locale identifiers (the 32-bit LCIDs of stored settings and language tables)
// and the format settings of locales other than the process's, through ICU.
#include "platform/text/vxLocale.h"

#include <unicode/uloc.h>

#include "platform/base/vxCodePage.h"

namespace {

// The ICU name of a BCP 47 tag or an ICU name; empty when it does not parse
// as a whole.
std::string IcuName(const ustring& localeName) {
  const std::string tag = WideToUtf8(localeName);
  if (tag.empty()) return {};
  char buffer[ULOC_FULLNAME_CAPACITY];
  int32_t parsed = 0;
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = uloc_forLanguageTag(tag.c_str(), buffer, sizeof buffer, &parsed, &status);
  if (U_SUCCESS(status) && n > 0 && parsed == static_cast<int32_t>(tag.size())) return std::string(buffer, n);
  // Not a tag: perhaps already an ICU name ("de_DE").
  status = U_ZERO_ERROR;
  const int32_t m = uloc_canonicalize(tag.c_str(), buffer, sizeof buffer, &status);
  return U_SUCCESS(status) && m > 0 ? std::string(buffer, m) : std::string();
}

}  // namespace

std::string LocaleNameForLCID(uint32_t LCID) {
  char buffer[ULOC_FULLNAME_CAPACITY];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = uloc_getLocaleForLCID(LCID, buffer, sizeof buffer, &status);
  if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING || n <= 0) return {};
  const std::string name(buffer, n);
  return name == "root" ? std::string() : name;  // 0 and the like name no locale
}

uint32_t LCIDForLocaleName(const ustring& LocaleName) {
  const std::string name = IcuName(LocaleName);
  return name.empty() ? 0 : uloc_getLCID(name.c_str());
}

ustring ProcessLocaleName(uint32_t LCType) {
  const char* locale = uloc_getDefault();
  UChar buffer[256];
  char code[ULOC_FULLNAME_CAPACITY];
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = 0;
  switch (LCType) {
    case 0x02:
      n = uloc_getDisplayName(locale, locale, buffer, 256, &status);
      break;
    case 0x1001:
      n = uloc_getDisplayLanguage(locale, "en", buffer, 256, &status);
      break;
    case 0x1002:
      n = uloc_getDisplayCountry(locale, "en", buffer, 256, &status);
      break;
    case 0x59:
    case 0x5A: {
      n = LCType == 0x59 ? uloc_getLanguage(locale, code, sizeof code, &status)
                         : uloc_getCountry(locale, code, sizeof code, &status);
      if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING || n <= 0) return {};
      return Utf8ToWide(std::string_view(code, static_cast<size_t>(n)));
    }
    default:
      return {};
  }
  if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING || n <= 0) return {};
  return ustring(reinterpret_cast<const char16_t*>(buffer), static_cast<size_t>(n));
}

uint32_t UserDefaultLCID() { return uloc_getLCID(uloc_getDefault()); }

TFormatSettings FormatSettingsForLCID(uint32_t LCID) { return TFormatSettings::FromLocale(LocaleNameForLCID(LCID)); }

TFormatSettings FormatSettingsForLocaleName(const ustring& LocaleName) {
  const std::string name = IcuName(LocaleName);
  // A name counts as known when it stands for a locale with an id.
  if (name.empty() || uloc_getLCID(name.c_str()) == 0) return TFormatSettings::FromLocale({});
  return TFormatSettings::FromLocale(name);
}
