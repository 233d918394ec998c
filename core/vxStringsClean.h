// TvxStrings: routines that rewrite the characters of a text: folding into
// a technical name, control characters and line breaks turned into blanks,
// the clean-up of recognised (OCR) text, filtering by a character set,
// wiping a text in place and moving a minus sign to one end of a number.
// Characters compare by code; 8-bit text is Windows-1252. Replacements run
// left to right and never look again at text just inserted. Trimming
// removes characters with codes 0 .. 32.
#pragma once

#include <cstdint>
#include <string>

#include "core/vxStringsSearch.h"
#include "platform/base/vxBase.h"

namespace TvxStrings {

// Str folded to 0-9, A-Z, a-z, "_" and Delimiter: every other character
// (the blank included) becomes Delimiter. With ConvertUmlauts the German
// letters first become two letters (ö "oe", ü "ue", ä "ae", Ö "OE", Ü "UE",
// Ä "AE", ß "ss"). 'Größe 1/2' with '_' gives 'Groesse_1_2'.
std::string FlatString(const std::string& Str, char Delimiter, bool ConvertUmlauts);
ustring FlatStringW(const ustring& Str, char16_t Delimiter, bool ConvertUmlauts);

// Every character below 32 replaced by a blank; the length stays.
std::string DeleteControlChars(const std::string& Str);
ustring DeleteControlChars(const ustring& Str);
ustring DeleteControlCharsW(const ustring& Str);

// Every CR LF, then every remaining LF, replaced by one blank; a CR on its
// own stays.
std::string Breaks2Blanks(const std::string& Text);
ustring Breaks2BlanksW(const ustring& Text);

// Every blank replaced by "_".
ustring BlanksToUnderScore(const ustring& Str);
// Every blank, "," and "/" replaced by "_".
ustring FormatTechnicalName(const ustring& Name);

// Recognised text cleaned up: control characters and every character other
// than the ASCII letters and digits, the German letters and the blank become
// blanks; four equal characters in a row become
// one (so eight become two); single characters standing alone between
// blanks are dropped, of two equal ones in a row one survives ('x a a y'
// gives 'a'); runs of blanks become one blank; the result is trimmed.
std::string PrepareOCRText(const std::string& Str);

// True when every character of Str occurs in Charset; the empty Str is
// always accepted, an empty Charset accepts nothing else.
bool VerifyCharset(const ustring& Charset, const ustring& Str);
// The characters of Str that occur in Charset, in their order; an empty
// Charset keeps Str as it is.
ustring ApplyCharset(const ustring& Charset, const ustring& Str);
// Str with every character outside Charset turned into a blank (control
// characters first with RemoveControlChars), then every blank removed
// (RemoveBlanks) or every run of blanks reduced to one, then trimmed.
std::string ApplyCharsetA(const std::string& Str, const std::string& Charset, bool RemoveControlChars,
                          bool RemoveBlanks);

// Overwrites the first Len characters of MyString with NUL in place (all of
// them for Len 0, none for a negative Len); the length stays. True.
bool ClearString(std::string& MyString, int32_t Len);
bool ClearStringW(ustring& MyString, int32_t Len);

// Trims Content and moves a minus sign found at its start or end to the end
// that Position names (EACH_POS leaves it where it is; minus signs at both
// ends become one). False, with Content trimmed, when a minus stands
// anywhere else.
bool StandardizeMinusInNumeric(ustring& Content, TSEARCH_TYPE Position);

// ReplaceSign once for each comma-separated element of Content, joined by
// ",": 'a,,b' with '*' gives '*,*,*'.
ustring GetReplacerStringForReplaceEachElement(const ustring& Content, const ustring& ReplaceSign);

}  // namespace TvxStrings
