// TvxStrings: small text-shaping routines: plural endings, filling with
// zeros or blanks, positions counted from either end, the text between two
// markers, suffixes, insertion, removal of a marker at an end and collapsing
// of repeated elements. None raises an error of its own; every input has a
// result. Positions are 1-based; lengths count bytes in 8-bit text and UTF-16
// units in UTF-16 text. Trimming removes characters with codes 0 .. 32.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/vxStringsSearch.h"
#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"

namespace TvxStrings {

// --- Plural endings: '' for a Count of exactly 1, otherwise "s" or Str. ---
std::string ShowPluralS(int32_t Count);
ustring ShowPluralSW(int32_t Count);
std::string Sps(int32_t Count);
ustring SpsW(int32_t Count);
std::string ShowPluralStr(int32_t Count, const std::string& Str);
ustring ShowPluralStrW(int32_t Count, const ustring& Str);

// --- Filling. A text already as long as the target comes back unchanged;
// nothing is ever cut. ---

// The decimal text of Nr with zeros in front up to Max characters, at most
// 61 zeros. A minus sign stays in front and counts in the length, the zeros
// go behind it: (-5, 4) gives '-005'.
std::string FillIntNull(int64_t Nr, int32_t Max);
ustring FillIntNullW(int64_t Nr, int32_t Max);
// Str with zeros in front up to Max characters, at most 61 zeros.
std::string FillStrNull(const std::string& Str, int32_t Max);
ustring FillStrNullW(const ustring& Str, int32_t Max);
// Str with blanks in front of it or behind it up to L characters.
std::string FillBlankFront(const std::string& Str, int32_t L);
ustring FillBlankFront(const ustring& Str, int32_t L);
std::string FillBlankBack(const std::string& Str, int32_t L);
ustring FillBlankBack(const ustring& Str, int32_t L);

// --- Positions. ---

// The last character of Text equal to Z, Z being a single character (an
// empty or longer Z never matches); -1 when there is none. The L forms count
// from the start, the others from the end (the last character is 1).
int32_t RightPosL(const std::string& Z, const std::string& Text);
int32_t RightPosWL(const ustring& Z, const ustring& Text);
int32_t RightPos(const std::string& Z, const std::string& Text);
int32_t RightPosW(const ustring& Z, const ustring& Text);

// Position of the last occurrence of SubStr in S, overlapping ones included
// ('aa' in 'aaa' is at 2); 0 when there is none or SubStr is empty.
int32_t LastPos(const std::string& SubStr, const std::string& S);

// Walks SubStr in order and stops at the first item that occurs in S at a
// position r when the next item is absent or stands at r or behind it; the
// result is that r. Each item is compared with its successor only. 0 when
// no item stops the walk, -1 for an empty list.
int32_t OptPos(const std::vector<std::string>& SubStr, const std::string& S);

// Takes the pieces of Source in front of each Delimiter in turn and returns
// the position in CheckStr of the first piece that occurs there followed by
// Delimiter; -1 when none does. The piece after the last Delimiter is never
// tested.
int32_t PartPos(const ustring& Source, const ustring& CheckStr, const ustring& Delimiter);

// --- Slices, suffixes and markers. ---

// The trimmed text between the first F and the first L that starts at or
// after it ('' when that L overlaps F or there is none). An empty L takes
// everything after F; when F is absent too, the whole text, trimmed.
std::string GetBetween(const std::string& Str, const std::string& F, const std::string& L);
// The same with the last L of Str, L being a single character: '' when that
// L stands in front of F, or when L is longer than one character. (The form
// with search positions is in vxStringsSearch.h.)
ustring GetBetweenW(const ustring& Str, const ustring& F, const ustring& L);

// Str ending in Suffix: Suffix is appended unless Str already ends with it
// (case counts). An empty Str or an empty Suffix gives Str unchanged.
std::string CheckStringSuffix(const std::string& Str, const std::string& Suffix);
ustring CheckStringSuffixW(const ustring& Str, const ustring& Suffix);

// Content without one Flag at the start (FIRST_POS), at the end (LAST_POS)
// or at each (EACH_POS). At the start, blanks in front of the flag are
// passed over and Flag is compared trimmed; the blanks stay. At the end,
// Flag is compared as it is. An empty Flag changes nothing.
ustring DeleteFlagWhenBeginOrEnd(const ustring& Content, const ustring& Flag, TSEARCH_TYPE Pos_id);
std::string DeleteFlagWhenBeginOrEndA(const std::string& Content, const std::string& Flag, TSEARCH_TYPE Pos_id);

// Str from its first character other than "0" on; a text of zeros only (and
// the empty text) comes back unchanged.
std::string ClearLeadingZeros(const std::string& Str);
ustring ClearLeadingZerosW(const ustring& Str);

// True at the first item that BeginWith(Content, item, IgnoreCase,
// TrimBefore) accepts. Empty items never match; an empty list gives false.
bool BeginWithOneOfElements(const ustring& Content, const TStrings& BeginStrings, bool IgnoreCase, bool TrimBefore);
// True at the first item that Content ends with; with TrimBefore, Content
// and each item are trimmed first. Empty items never match.
bool EndsWithOneOfElements(const ustring& Content, const TStrings& EndStrings, bool IgnoreCase, bool TrimBefore);

// --- Insertion and repeats. ---

// AddString inserted after the first Pos characters of Content; Pos is
// limited to 0 .. Length(Content).
ustring Add(const ustring& Content, const ustring& AddString, int32_t Pos);

// Content with Element inserted after every LetterCount characters, at most
// Times times. FromBehind counts the groups from the end. Element also
// follows (or with FromBehind precedes) a group that ends the text:
// ('123456', '.', 3, 9, true) gives '.123.456'. A LetterCount or Times of 0
// or less inserts nothing.
ustring FillEachPosition(const ustring& Content, const ustring& Element, int32_t LetterCount, int32_t Times,
                         bool FromBehind);

// Every run of two or more Element reduced to one; an empty Element changes
// nothing.
ustring RemoveMoreThenOn(const ustring& Content, const ustring& Element);
// The same, applied only from StartPos on; the characters in front of
// StartPos stay as they are.
ustring RemoveMoreThenOn(const ustring& Content, const ustring& Element, int32_t StartPos);

}  // namespace TvxStrings
