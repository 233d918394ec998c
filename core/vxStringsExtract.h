// TvxStrings: pulling pieces out of running text by regular expressions
// (TvxRegExpr, its default settings): identifiers with a given beginning and
// end, numbers, the matches of any expression, the first match among a list
// of expressions, one group of an expression; words written with blanks
// between their letters; two small counts; and the vote that guesses the
// decimal separator of the numbers in a text.
//
// Lists are the caller's and are appended to, never cleared. "Blank" means
// empty after trimming (every character up to 32 at both ends). An empty
// expression, or one that does not compile, raises ERegExprError.
#pragma once

#include <cstdint>
#include <string>

#include "core/vxAnsiStringList.h"
#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"

namespace TvxStrings {

// Appends each match of "(" + BeginWith + ")([0-9" + ignore characters +
// "]{1,MaxLength+20})" + EndWith, with every ignore character removed from
// the whole match, when its length then lies in MinLength .. MaxLength.
// BeginWith and EndWith are expression text; the ignore characters are
// IgnoreCharsCommaList without its commas, each taken as itself. A negative
// MaxLength finds nothing.
TStrings& GetAllIDs(const ustring& Content, const ustring& BeginWith, const ustring& EndWith,
                    const ustring& IgnoreCharsCommaList, int32_t MinLength, int32_t MaxLength, TStrings& AllIDs);

// Appends each digit followed by up to 200 digits (and "." with WithPoint,
// "," with WithComma); a final "." or "," is dropped ('7.' gives '7').
TStrings& GetAllNumbers(const ustring& Content, bool WithPoint, bool WithComma, TStrings& NumberList);

// True when some match of Pattern in Content is not blank.
bool CheckRegularExpressionOnStr(const ustring& Pattern, const ustring& Content);

// Appends every match of RegEx in Content that is not blank, as found.
TStrings& GetAllRegExResults(const ustring& Content, const ustring& RegEx, TStrings& Results);
// The same on system code page text, the matches converted back to it.
TAnsiStrings& GetAllRegExResults(const std::string& Content, const std::string& RegEx, TAnsiStrings& Results);

// The first non-blank match of the first expression of RegExPhases, from
// StartIndex on (a negative one counts as 0), that has one; FoundIndex gets
// its index. Blank entries are passed over. Empty with FoundIndex -1 when
// none has a match.
ustring GetFirstRegExResultAndIndexFromList(const ustring& Content, const TStrings& RegExPhases, int32_t StartIndex,
                                            int32_t& FoundIndex);
ustring GetFirstRegExResultAndIndexFromList(const ustring& Content, const TStrings& RegExPhases,
                                            int32_t& FoundIndex);

// The text of group ElementNo (1-based) of every match of SearchFragment in
// Content. The groups are the parenthesised pieces of SearchFragment of one
// to 50 characters without "("; the matches of the groups in front of
// ElementNo are cut from the beginning and those of the groups behind it
// from the end of every entry of Results, entries there before the call
// included. An ElementNo outside 1 .. the number of groups raises Exception
// "elementNo not found..." and leaves Results unchanged. FromCharNumber and
// ToCharNumber take no part.
TStrings& GetFromRegularExpressionEx(const ustring& SearchFragment, const ustring& Content, int32_t ElementNo,
                                     int32_t FromCharNumber, int32_t ToCharNumber, TStrings& Results);
// The same with both texts in the system code page; the group texts are
// appended as UTF-16.
TStrings& GetFromRegularExpressionEx(const std::string& SearchFragment, const std::string& Content,
                                     int32_t ElementNo, int32_t FromCharNumber, int32_t ToCharNumber,
                                     TStrings& Results);

// Words written letter by letter with blanks ('R e c h n u n g'): each run
// of one-character tokens longer than two characters. Without search words
// (none or an empty list) the run is appended; otherwise the first search
// word whose similarity to the run (TvxMath::GetDamerauLevenshteinAccuracy)
// is at least 100 - 300 / its length is appended. Empty search words are
// passed over.
TStrings& FindSpacedWritingWords(const ustring& Content, const TStrings* SearchWords, TStrings& FoundWords);

// The length of Content (trimmed first with TrimBefore) once every
// occurrence of each comma-text item of CommaSeparatedLetters is removed,
// case-sensitively, item by item.
int32_t GetLengthIgnoreLetters(const ustring& Content, const ustring& CommaSeparatedLetters, bool TrimBefore);

// The number of entries of SearchElements that occur in Content, ignoring
// case; an empty entry never does.
int32_t GetIncludedElementCountW(const ustring& Content, const TStrings& SearchElements);

// "." or ",": the separator that the numbers of Content most likely use, by
// a vote over them (ties and no numbers give ","). ReplaceO and Replacel let
// the letters O and l stand for the digits 0 and 1; WithoutMinusValues has
// no effect.
ustring GetDezimalSign(const ustring& Content, bool ReplaceO, bool Replacel, bool WithoutMinusValues);

}  // namespace TvxStrings
