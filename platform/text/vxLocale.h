// Locale identifiers (the 32-bit LCIDs of stored settings and language
// tables) and the format settings of locales other than the process's,
// through ICU.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/vxBase.h"
#include "platform/text/vxFormatSettings.h"

// The ICU name of a locale id ("de_DE" for 0x0407); empty when ICU does
// not know the id.
std::string LocaleNameForLCID(uint32_t LCID);

// The locale id of a locale name such as "de-DE" (or ICU's "de_DE"); 0 when
// the name is not a locale that has an id.
uint32_t LCIDForLocaleName(const ustring& LocaleName);

// The locale id of the process locale.
uint32_t UserDefaultLCID();

// Names of the process locale, by the locale-information numbers of the
// original platform: 2 the language and country in the locale's own
// language, 0x59 the ISO 639 language code, 0x5A the ISO 3166 country code,
// 0x1001 the language in English, 0x1002 the country in English. Empty for
// other numbers and where the locale has no such name.
ustring ProcessLocaleName(uint32_t LCType);

// The format settings of a locale id, or of the process locale when the id
// is unknown.
TFormatSettings FormatSettingsForLCID(uint32_t LCID);

// The format settings of a locale name, or of the process locale when the
// name is empty or unknown.
TFormatSettings FormatSettingsForLocaleName(const ustring& LocaleName);
