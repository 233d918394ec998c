// TvxStrings: the elementary tests and searches nearly every other text
// routine stands on. Positions are 1-based, 0 means not found; an
// out-of-range position or count never raises, it falls under the search and
// copy rules of vxRuntime (empty text, 0 or false). Case-insensitive means
// equal after UpperStrW on both sides, unless a function says otherwise.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"

// Selects the start, the end or both ends of a text, or the first, the last
// or each occurrence.
enum TSEARCH_TYPE : int32_t { FIRST_POS = 0, LAST_POS = 1, EACH_POS = 2 };

// What GetBetweenW found. The positions are those of the two markers; on the
// early exits (no text between) they are 0 unless the marker was searched.
struct TBetweenSearchResult {
  ustring ResultString;
  int32_t BeginPos = 0;
  int32_t EndPos = 0;
};

namespace TvxStrings {

// First position of SearchString in Content at or after FromPos (below 1
// counts as 1). IgnoreCase in PosA folds only the ASCII letters.
int32_t PosW(const ustring& Content, const ustring& SearchString, int32_t FromPos, bool IgnoreCase);
int32_t PosA(const std::string& Content, const std::string& SearchString, int32_t FromPos, bool IgnoreCase);

// Position of the last occurrence, overlapping ones included ('aa' in 'aaa'
// is at 2); 0 when there is none or SearchString is empty.
int32_t GetLastPosW(const ustring& Content, const ustring& SearchString, bool IgnoreCase);

// Content starts with BeginString, after trimming both with TrimBefore. An
// empty BeginString never matches. The 8-bit forms ignore case through the
// UTF-16 form of the text (system code page, UpperStrW, and back).
bool BeginWith(const ustring& Content, const ustring& BeginString, bool IgnoreCase, bool TrimBefore);
bool BeginWithA(const std::string& Content, const std::string& BeginString, bool IgnoreCase, bool TrimBefore);

// Content ends with EndString; no trimming. An empty EndString never matches.
bool EndsWith(const ustring& Content, const ustring& EndString, bool IgnoreCase);
// Content ends with any item of the list; false for an empty list.
bool EndsWith(const ustring& Content, const TStrings& EndString, bool IgnoreCase);
bool EndsWithA(const std::string& Content, const std::string& EndString, bool IgnoreCase);

// SearchString occurs in Content; an empty SearchString never does.
bool Contains(const ustring& Content, const ustring& SearchString, bool IgnoreCase);
// Contains on the characters FromPos .. ToPos - 1 of Content (copy rule).
bool ContainsBetween(const ustring& Content, const ustring& SearchString, int32_t FromPos, int32_t ToPos,
                     bool IgnoreCase);

// Exact equality of the code units after the optional trimming and
// upper-casing; two empty texts are equal.
bool EqualsW(const ustring& String1, const ustring& String2, bool TrimBefore, bool IgnoreCase);
bool EqualsAnsi(const std::string& String1, const std::string& String2, bool TrimBefore, bool IgnoreCase);

// Ordinal comparison by UTF-16 unit; only the sign carries meaning. UseDESC
// negates it.
int32_t StrCompW(const ustring& Value1, const ustring& Value2, bool UseTrim, bool UseUpper, bool UseDESC);

// The CountChars characters in front of the first SearchString at or after
// FromPos (copy rule: fewer in front still take CountChars from the start);
// empty when SearchString is not found.
ustring GetCharsBeforeString(const ustring& Content, const ustring& SearchString, int32_t FromPos,
                             int32_t CountChars, bool IgnoreCase);

// The trimmed text between the first StartLetter at or after
// PosBeginSearchStartLetter and the next StopLetter at or after
// PosBeginSearchEndLetter, or behind StartLetter when that position lies
// in front of its end. An empty StopLetter takes the rest of Content.
TBetweenSearchResult GetBetweenW(const ustring& Content, const ustring& StartLetter, const ustring& StopLetter,
                                 int32_t PosBeginSearchStartLetter, int32_t PosBeginSearchEndLetter);

// The last Count non-blank words of Content, blank-separated, in their order.
// Words are split as delimited text with a blank as delimiter and the double
// quote as quote character, so a quoted word may hold blanks. A Count of 0
// or below gives every word.
ustring GetLastWords(const ustring& Content, int32_t Count);

// The trimmed text after the last Separator, or the whole of Content trimmed
// when it holds none. With IgnoreWhenItsLastPosition a separator that ends
// Content is passed over and the element in front of it is taken.
ustring GetLastElement(const ustring& Content, const ustring& Separator, bool IgnoreWhenItsLastPosition);

// The rest of Content from From on; with TrimBefore Content is trimmed first.
ustring SubStringW(const ustring& Content, int32_t From, bool TrimBefore, bool TrimAfter);
std::string SubStringA(const std::string& Content, int32_t From, bool TrimBefore, bool TrimAfter);
// The characters FromPos .. ToPos - 1 (copy(Content, FromPos, ToPos -
// FromPos): a FromPos below 1 starts at the first character and still takes
// ToPos - FromPos characters).
ustring SubStringW(const ustring& Content, int32_t FromPos, int32_t ToPos, bool TrimBefore, bool TrimAfter);
std::string SubStringA(const std::string& Content, int32_t FromPos, int32_t ToPos, bool TrimBefore, bool TrimAfter);

bool IsEmptyW(const ustring& Content, bool UseTrim);
bool IsEmptyA(const std::string& Content, bool UseTrim);
bool IsNotEmptyW(const ustring& Content, bool UseTrim);
bool IsNotEmptyA(const std::string& Content, bool UseTrim);

// Length of Content (trimmed first with TrimBefore) compared with Count.
bool IsLengthBiggerAsW(const ustring& Content, int32_t Count, bool TrimBefore);
bool IsLenghtSmallerAsW(const ustring& Content, int32_t Count, bool TrimBefore);

}  // namespace TvxStrings
