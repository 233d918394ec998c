// TvxStrings: counting every occurrence of a text, splitting a text at a
// separator and replacing every occurrence. ReplaceW is the replacement the
// whole library means when it speaks of replacing every occurrence.
#pragma once

#include <cstdint>
#include <string>

#include "core/vxAnsiStringList.h"
#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"

namespace TvxStrings {

// The number of occurrences of Find in Text, overlapping ones included (the
// search resumes one character after each match's start, so 'aaaa' holds
// 'aa' three times); 0 for an empty Find.
int32_t GetStrCount(const std::string& Text, const std::string& Find);
int32_t GetStrCountW(const ustring& Text, const ustring& Find);
// The same count; with IgnoreCase both texts are compared in their LowerStrW
// form. Text is left as it is.
int32_t GetStrCountExW(const ustring& Text, const ustring& Find, bool IgnoreCase);

// Splitting appends to List, which is never cleared, every piece of Source
// between occurrences of SplitAt, in order: empty pieces and the piece after
// the last SplitAt included ('a;;b' gives 'a', '', 'b'; 'a;' gives 'a' and
// ''). An empty Source or an empty SplitAt appends nothing. The result is
// false only when the list refuses an item; the items appended until then
// stay.
// The 8-bit pieces converted from the system code page to UTF-16:
bool SplitString(const std::string& Source, const std::string& SplitAt, TStrings& List);
// The 8-bit pieces as they are:
bool SplitString(const std::string& Source, const std::string& SplitAt, TAnsiStrings& List);
bool SplitStringW(const ustring& Source, const ustring& SplitAt, TStrings& List);

// Every occurrence of SearchText replaced by ReplaceText, case-sensitive,
// left to right, never searching replaced text again ('aaa' with 'aa' to 'b'
// gives 'ba'). Nothing is replaced when SearchText is empty or equals
// ReplaceText ignoring case (equal after UpperStrW).
ustring ReplaceW(const ustring& Content, const ustring& SearchText, const ustring& ReplaceText);
// The same replacement without the equal-ignoring-case shortcut: '%date' to
// '%DATE' does replace.
ustring ReplaceExactW(const ustring& Content, const ustring& SearchText, const ustring& ReplaceText);
// IgnoreCase false: the form above. True: every occurrence found ignoring
// case is replaced, also when the two texts differ only in case ('abc' to
// 'ABC' gives 'ABC').
ustring ReplaceW(const ustring& Content, const ustring& SearchText, const ustring& ReplaceText, bool IgnoreCase);
// IgnoreCase false: FastReplaceA. True: every occurrence found with only the
// ASCII letters folded is replaced once, left to right.
std::string ReplaceA(const std::string& Content, const std::string& SearchText, const std::string& ReplaceText,
                     bool IgnoreCase);

// Every FromStr replaced by ToStr, case-sensitive, in passes repeated until
// FromStr no longer occurs, so runs collapse completely ('  ' to ' ').
// When ToStr contains FromStr one pass is made. A pass that lengthens the
// text without lowering the number of occurrences ends the repetition, so a
// pair whose replacements keep producing new occurrences ('ab' to 'bbaa')
// stops after it instead of growing the text for ever.
std::string FastReplaceA(const std::string& SourceStr, const std::string& FromStr, const std::string& ToStr);

// Every run of blanks (character 32 only) reduced to one blank.
ustring RemoveMoreThenOneBlanks(const ustring& Content);

}  // namespace TvxStrings
