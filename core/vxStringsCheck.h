// TvxStrings: tests on the characters of a text (digits, a simple format
// mask, tall and descending letters, a regular expression), word counts,
// and the splitting of a text into two parts at the first separator, before
// the first digit or after the last one. A digit is one of 0-9 only, a blank
// the character 32; comparisons are case-sensitive unless a function says
// otherwise. 8-bit text is Windows-1252.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/vxBase.h"

namespace TvxStrings {

// --- Tests on the characters. ---

// Every character is a digit, or with AllowBlanks a digit or a blank. The
// empty text gives true.
bool IsNumeric(const std::string& Txt, bool AllowBlanks);
// Every character is a digit; with AllowBlanks the blank is allowed too, and
// with AllowBlanks and AllowNumRelChars also "+", ",", "-" and ".". The
// empty text gives true.
bool IsNumeric(const ustring& Txt, bool AllowBlanks, bool AllowNumRelChars);

// True when the text holds NO digit (the empty text included), false as
// soon as it holds one: the name reads the other way round, and callers
// rely on it as it is.
bool ContainsNumbers(const ustring& Txt);

// Str fits the mask Format of the same length: "#" takes a digit, "$" any
// character, every other character itself. Two empty texts fit.
bool VerifySimpleFormat(const std::string& Format, const std::string& Str);
bool VerifySimpleFormat(const ustring& Format, const ustring& Str);

// Which kinds of characters occur: 0 none of them, 1 only tall ones, 2 only
// descending ones, 3 both. Tall: the digits, A-Z, ! % & ( ) ? b d f h i j k
// l t y, the double quote, the section sign and Ä Ö Ü ä ö ü; descending:
// , ; g j p q (j is both). UTF-16 characters above U+00FF are neither.
int32_t ContainHighAndLowChars(const std::string& Content);
int32_t ContainHighAndLowChars(const ustring& Content);

// True when the first match of the regular expression StringWithPattern
// (TvxRegExpr, its default settings) in String1 is not empty; Percent is
// 100 then, otherwise 0. A pattern that matches the empty text first gives
// false ('[0-9]*' against 'abc1'). Raises ERegExprError, with Percent 0, for a pattern that does not
// compile or is empty.
bool EqualsRegExW(const ustring& String1, const ustring& StringWithPattern, int32_t& Percent);

// --- Word counts. ---

// The number of blank-separated words of the trimmed text; only the blank
// separates words (a tab or line break inside a word does not).
int32_t GetWordCount(const ustring& Content);
// GetWordCount of the text behind the first SearchElement, found ignoring
// case; DefaultValue when there is none or either text is empty.
int32_t GetWordCountAfter(const ustring& Content, const ustring& SearchElement, int32_t DefaultValue);

// --- Splitting at a position. ---

// At the first SplitAt: Left the text in front of it, Right the text behind
// it, true. Without one (an empty SplitAt or Source included): Left is
// Source, Right empty, false.
bool SplitFirstString(const std::string& Source, const std::string& SplitAt, std::string& Left, std::string& Right);
bool SplitFirstStringW(const ustring& Source, const ustring& SplitAt, ustring& Left, ustring& Right);

// At the first digit: StringBefore the text in front of it, StringBehind the
// text from it on, true. Without a digit false, and both keep what they
// held.
bool SplitBeforeFirstNumber(const ustring& Content, ustring& StringBefore, ustring& StringBehind);

// At the last character that belongs to a number: StringBefore the text up
// to and with it, StringBehind the text behind it, true. Without one false,
// and both keep what they held. Such characters are the digits; with
// AllowTypicleTypeSeparators also "." and "," for TypeId 5, and ".", "-"
// and "/" for TypeId 2.
bool SplitAfterLastNumber(const ustring& Content, ustring& StringBefore, ustring& StringBehind,
                          bool AllowTypicleTypeSeparators, int32_t TypeId);

}  // namespace TvxStrings
