// TvxStrings: searches that tell a search text standing by itself from the
// same text standing in a context. A context is a template holding the
// placeholder "%SEARCH_STRING%" where the search text stands, such as
// 'Mr. %SEARCH_STRING%'. Templates given as arrays are 8-bit texts in the
// system code page. Positions are 1-based, 0 means not found.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/vxStringsSearch.h"
#include "platform/base/vxBase.h"
#include "platform/lists/vxStringList.h"

namespace TvxStrings {

// The first occurrence of SearchString starting in FromPos .. ToPos that no
// exclusion template covers (the expanded template's first occurrence from
// FromPos on has its placeholder part exactly on the occurrence); a pass is
// started only while FromPos < ToPos - Length(SearchString). 0 when there is
// none. Raises EConvertError "endless execution exeption in
// TvxStrings.posIgnoreTemplateW" when Content is empty and no pass starts.
int32_t PosIgnoreTemplateW(const ustring& Content, const ustring& SearchString, int32_t FromPos, int32_t ToPos,
                           const std::vector<std::string>& ExclutionTemplates, bool IgnoreCase);
// PosIgnoreTemplateW(...) != 0.
bool ContainsBetweenIgnoreTemplates(const ustring& Content, const ustring& SearchString, int32_t FromPos,
                                    int32_t ToPos, const std::vector<std::string>& ExclutionTemplates,
                                    bool IgnoreCase);
// The ordinal (1, 2, ...) of the first occurrence of SearchText (counted
// case-sensitively, overlapping ones included) that no template of the list
// covers; 0 when all are covered or there is none.
int32_t CheckSearchStringWithStringTemplates(const ustring& Content, const ustring& SearchText,
                                             const TStrings& TemplateList);
// Whether the occurrences of SearchText selected by SearchType (FIRST_POS the
// first, LAST_POS the last, EACH_POS every one; found case-sensitively,
// overlapping ones included) all stand in the context Pre + SearchText +
// Post: Pre ends right before the occurrence and Post starts right after it
// (an empty Pre or Post always fits). True when SearchText does not occur.
bool CheckStringTemplate(const ustring& Content, const ustring& Pre, const ustring& SearchText, const ustring& Post,
                         TSEARCH_TYPE SearchType);
// SearchText replaced by ReplaceText only inside the rule contexts: each
// rule in order replaces every occurrence of its expanded context, but rule
// Pos1RuleId only a context that stands at position 1. Stops once
// SearchText no longer occurs.
ustring RuleReplace(const ustring& Content, const ustring& SearchText, const ustring& ReplaceText,
                    const std::vector<std::string>& RuleTemplates, int32_t Pos1RuleId);

}  // namespace TvxStrings
