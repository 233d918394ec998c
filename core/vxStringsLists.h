// TvxStringLists: search, replacement and deletion over the lines of a
// caller's UTF-16 string list, joining a range of lines and removing blank
// ones. Operations that change a list change it in place and return it.
//
// StringListElement selects the part of each line: "NAMES" the text before
// the first "=", "VALUE" the text after it, anything else the whole line.
// Under "NAMES" and "VALUE", a line without "=" is left unchanged by the
// replacements (it has no name or value to rewrite).
#pragma once

#include <cstdint>

#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"

namespace TvxStringLists {

// The object of the line StringList.IndexOf(Key) finds (the whole line is
// compared), none when there is none.
TObject* GetObjectByNameFromStringList(const ustring& Key, const TStrings& StringList);
// The index of the first line (with Inverse the last) whose value equals
// SearchString by EqualsW; -1 when none does.
int32_t FindValueInStringList(const ustring& SearchString, const TStrings& StringList, bool TrimBefore,
                              bool IgnoreCase, bool Inverse);

// SearchFlag replaced by ReplaceFlag in the selected part of every line;
// with WholeWord a part equal to SearchFlag is replaced as a whole first.
// "VALUE" reads and writes the value of line i itself; a value that becomes
// empty deletes its line. Each line present at the start is visited once.
TStrings& ReplaceInStringList(TStrings& StringList, const ustring& SearchFlag, const ustring& ReplaceFlag,
                              bool IgnoreCase, bool WholeWord, const ustring& StringListElement);
// The same, but "VALUE" reads and writes the value through the line's name
// (the first line of that name).
TStrings& ReplaceInWideStringList(TStrings& StringList, const ustring& SearchFlag, const ustring& ReplaceFlag,
                                  bool IgnoreCase, bool WholeWord, const ustring& StringListElement);

// Deletes the lines whose selected part contains SearchFlag (or, with
// WholeWord, equals it). Exactly the matching lines go, also when another
// line holds an equal text.
TStrings& DeleteWhenEqualsInStringList(TStrings& StringList, const ustring& SearchFlag, bool IgnoreCase,
                                       bool WholeWord, const ustring& StringListElement);
// The same; "VALUE" reads the value through the line's name.
TStrings& DeleteWhenEqualsInWideStringList(TStrings& StringList, const ustring& SearchFlag, bool IgnoreCase,
                                           bool WholeWord, const ustring& StringListElement);
// Keeps only the lines whose selected part contains one of the comma-text
// items, and the lines whose text equals a kept line's ignoring case.
TStrings& DeleteWhenNotEqualsInStringList(TStrings& StringList, const ustring& SearchFlagCommaSeparated,
                                          bool IgnoreCase, bool WholeWord, const ustring& StringListElement);

// Lines BeginIndex .. EndIndex joined, each followed by CR LF with WithCRLF
// but for the last; indexes outside the list are ignored.
ustring AddValues(const TStrings& List, int32_t BeginIndex, int32_t EndIndex, bool WithCRLF);
// All lines joined with nothing between them.
ustring GetCompleteContentWithoutCRLFAtEnd(const TStrings& StringList);
// Deletes every line that is empty after trimming.
void RemoveEmptyLines(TStrings& Strings);

}  // namespace TvxStringLists
