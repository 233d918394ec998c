// TvxStrings: the replacement families built on ReplaceW and ReplaceA
// (all but the first or last occurrence, pairs from lists, after a marker,
// in front of a text, inside double quotes), adding marker texts at the ends,
// escaping a text for a script string literal, and 8-bit text to bytes and
// back. Every function returns a new text and leaves its arguments alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/vxStringsSearch.h"
#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"

using TbyteArray = std::vector<uint8_t>;

// Where AppendW puts its texts: in front of Content or behind it.
enum TAPPEND_TYPE : int32_t { REPLACE_FIRST = 0, REPLACE_LAST = 1 };

namespace TvxStrings {

// Every SearchText replaced by ReplaceText, except the first occurrence
// (FIRST_POS), the last one (LAST_POS) or both (EACH_POS), which stay. With a
// single occurrence nothing changes; an empty SearchText changes nothing.
ustring ReplaceWithoutPos(const ustring& Content, const ustring& SearchText, const ustring& ReplaceText,
                          TSEARCH_TYPE Pos_id);

// The two lists are read as comma text (commas and unquoted blanks separate
// items, a double-quoted item may hold both) and their items replaced pair
// by pair, in order, each pair working on the result of the ones before it
// ('a,b' to 'b,c' turns 'a' into 'c'). Lists of different lengths raise
// Exception "the two given listStrings has diverent counts... (n/m)".
// The 8-bit form replaces with ReplaceA, the UTF-16 form with ReplaceW.
std::string ReplaceEachElement(const std::string& Content, const std::string& ComaSeperatedListSource,
                               const std::string& ComaSeperatedListDestination, bool IgnoreCase);
ustring ReplaceEachElementW(const ustring& Content, const ustring& ComaSeperatedListSource,
                            const ustring& ComaSeperatedListDestination, bool IgnoreCase);
// For each line of the list in order, the text before its first "=" is
// replaced (ReplaceW) by the text after it; a line without "=" changes
// nothing.
ustring ReplaceEachElementWEx(const ustring& Content, const TStrings& AEqualsBList, bool IgnoreCase);

// Behind each AfterElement, the first Source that follows is replaced by
// Destination; the search for the next AfterElement goes on behind that
// Source. Case-sensitive. Once no Source follows, the rest stays as it is.
ustring ReplaceAfterElement(const ustring& Content, const ustring& AfterElement, const ustring& Source,
                            const ustring& Destination);

// The CountChars characters in front of the first SearchString at or after
// FromPos (all of them when fewer stand there; none for a CountChars of 0 or
// below) replaced by ReplaceString, which thus lands in front of the hit.
// Content comes back unchanged when SearchString is not found.
ustring ReplaceCharsBeforeString(const ustring& Content, const ustring& SearchString, const ustring& ReplaceString,
                                 int32_t FromPos, int32_t CountChars, bool IgnoreCase);
ustring RemoveCharsBeforeString(const ustring& Content, const ustring& SearchString, int32_t FromPos,
                                int32_t CountChars, bool IgnoreCase);

// In one pass, each FromString + ' ' + ToString becomes FromString +
// ToString. A marker "%ALL%" (exactly so) stands for anything: with ToString
// "%ALL%" the blank after every FromString goes, with FromString "%ALL%" the
// blank in front of every ToString.
ustring RemoveBlankBetween(const ustring& Content, const ustring& FromString, const ustring& ToString);

// Inside double quotes (each quote toggles, starting outside; an unclosed
// quote runs to the end) every SearchForReplace becomes ReplaceIn. The quotes
// themselves never change.
ustring ReplaceElementWhenInQuotationMarks(const ustring& Content, char16_t SearchForReplace, char16_t ReplaceIn);

// Flag put in front (FIRST_POS, EACH_POS) unless Content begins with it,
// compared trimmed, and then appended (LAST_POS, EACH_POS) unless the text
// ends with it. An empty Flag changes nothing.
ustring AddWhenNotBeginOrEnd(const ustring& Content, const ustring& Flag, TSEARCH_TYPE Pos_id);

// REPLACE_LAST: Content + AppendAllwaysText (+ AppendOnRule when Rule).
// Otherwise: (AppendOnRule when Rule +) AppendAllwaysText + Content.
ustring AppendW(const ustring& Content, const ustring& AppendAllwaysText, const ustring& AppendOnRule, bool Rule,
                TAPPEND_TYPE AppendType);

// AValue escaped for a double-quoted script string literal, without the
// quotes: \b \t \n \f \r for their control characters, \uXXXX (upper-case
// hexadecimal) for the other control characters and for every UTF-16 unit
// above 127, a backslash in front of '"', '/' and '\'. Everything else stays.
ustring StringToJScriptString(const ustring& AValue);

// The bytes of an 8-bit text and back, unchanged (NUL bytes included).
std::string ByteArrayToString(const TbyteArray& A);
TbyteArray StringToByteArray(const std::string& S);

}  // namespace TvxStrings
