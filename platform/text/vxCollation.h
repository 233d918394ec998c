// The linguistic comparison of list items: ICU's collator of the process
// locale. Ignoring case compares at secondary strength (letters and accents
// count, case does not); respecting case compares at tertiary strength.
// Both texts take part with their full lengths, so characters after an
// embedded NUL count. Safe to call from several threads at once.
#pragma once

#include <string_view>

namespace vxCollation {

// -1 when S1 sorts before S2, 0 when the collator finds them equal, +1 after.
int CompareStrings(std::u16string_view S1, std::u16string_view S2, bool CaseSensitive);

// 8-bit text in the system code page, compared as its UTF-16 form.
int CompareStrings(std::string_view S1, std::string_view S2, bool CaseSensitive);

// The ICU locale the collator follows: the process locale, or the root
// collation when the process runs in the POSIX ("C") locale, whose collation
// orders by code and would not let case-insensitive comparison ignore case.
const char* CollationLocale();

}  // namespace vxCollation
