// TvxStrings: text mining of words and amounts: the candidate abbreviations
// of a word and the currencies that a text names, as ISO currency codes.
// Both append to the caller's list, which is never cleared.
#pragma once

#include <cstdint>

#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"

namespace TvxStrings {

// Appends the candidate abbreviations of Content, each followed by "." when
// UsePointAtEnd: its leading parts of at least MinLength characters (never
// the whole of it), the same parts with the accents folded away (ä "ae",
// é "e", ß "ss", ...), and its consonant skeleton (with its first character
// in front when that is no consonant), longest parts first. Blank parts
// are left out. 'Strasse' with MinLength 3 and the point appends 'Strass.',
// 'Stras.', 'Strss.', 'Stra.', 'Str.'.
TStrings& GetAbbreviationList(const ustring& Content, int32_t MinLength, bool UsePointAtEnd, TStrings& ResultList);

// Appends the currencies named in Content (letter case does not count;
// matches inside longer words count too), found by the six currency
// patterns in turn (euro, US dollar, Swiss franc, rouble, yen, yuan), each
// match one item with its blanks turned into "."; then every item of the
// list, the earlier ones too, is mapped by name to its code (EURO and € to
// EUR; DOLLAR, US$ and $ to USD; FRANKEN to CHF; RUBEL to RUB; YEN to JPY;
// YUAN to CNY), blanks are removed and the list is set from the result.
// Names of several words keep their first words: 'amerikanische Dollar'
// gives 'AMERIKANISCHE.USD'.
TStrings& GetAllCurrencies(const ustring& Content, TStrings& AllCurrencies);

}  // namespace TvxStrings
