// The language table and the weekday names of the constants unit.
#pragma once

#include <array>
#include <string_view>

#include "platform/base/vxBase.h"

// One row of the language table. Codes are upper case; a column a row does
// not have is empty.
struct TLocaleTableRow {
  std::u16string_view ISO639_1;      // two letters, never empty
  std::u16string_view Name;          // English name of the language or locale
  std::u16string_view ISO639_2B;     // three letters (bibliographic)
  std::u16string_view ISO639_2T;     // three letters (terminology), only where it differs
  std::u16string_view Abbreviation;  // the locale's three-letter language abbreviation
  std::u16string_view LCID;          // four hexadecimal digits
};

// Languages of ISO 639 first (rows 1 to 172, 40 of them with a locale),
// then further locales (rows 173 to 261). Searches run from the first row
// and take the first match, so the order matters.
extern const std::array<TLocaleTableRow, 261> LocaleTable;

// The 1-based number of the first row that has a locale id and whose
// ISO 639-1, ISO 639-2/B, ISO 639-2/T code or abbreviation equals Code
// exactly; 0 when there is none.
int FindLocaleTableRow(const ustring& Code);

// The locale id of a row (1-based); 0 for a row without one.
uint32_t LocaleTableLCID(int Row);

// Weekday names, Sunday first; the columns are English, German, French,
// Italian and Polish.
extern const std::array<std::array<std::u16string_view, 5>, 7> DayNameTable;
