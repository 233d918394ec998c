// TvxStringLists: the line walks over a caller's string list.
#include "core/vxStringsLists.h"

#include <vector>

#include "core/vxStringsPad.h"
#include "core/vxStringsReplace.h"
#include "core/vxStringsSearch.h"
#include "platform/base/vxRuntime.h"

namespace TvxStringLists {
namespace {

enum class TPart { Names, Value, Line };

TPart PartOf(const ustring& StringListElement) {
  if (StringListElement == u"NAMES") return TPart::Names;
  if (StringListElement == u"VALUE") return TPart::Value;
  return TPart::Line;
}

bool HasSeparator(const TStrings& L, int32_t i) { return L[i].find(L.NameValueSeparator()) != ustring::npos; }

// The selected part of line i; Wide reads the value through the name.
ustring PartText(const TStrings& L, int32_t i, TPart part, bool Wide) {
  switch (part) {
    case TPart::Names:
      return L.Names(i);
    case TPart::Value:
      return Wide ? L.Values(L.Names(i)) : L.ValueFromIndex(i);
    case TPart::Line:
      break;
  }
  return L[i];
}

bool Matches(const ustring& Part, const ustring& Search, bool IgnoreCase, bool WholeWord) {
  return (WholeWord && TvxStrings::EqualsW(Part, Search, false, IgnoreCase)) ||
         TvxStrings::Contains(Part, Search, IgnoreCase);
}

TStrings& Replace(TStrings& L, const ustring& SearchFlag, const ustring& ReplaceFlag, bool IgnoreCase,
                  bool WholeWord, const ustring& StringListElement, bool Wide) {
  const TPart part = PartOf(StringListElement);
  const int32_t start = L.Count();
  int32_t i = 0;
  // Each line present at the start once; a line deleted by an emptied value
  // does not move the walk on, so the next line is not skipped.
  for (int32_t visited = 0; visited < start && i < L.Count(); ++visited) {
    if (part != TPart::Line && !HasSeparator(L, i)) {
      ++i;  // no name or value to rewrite: kept as it is
      continue;
    }
    const ustring p = PartText(L, i, part, Wide);
    ustring next;
    if (WholeWord && TvxStrings::EqualsW(p, SearchFlag, false, IgnoreCase))
      next = ReplaceFlag;
    else
      next = TvxStrings::ReplaceW(p, SearchFlag, ReplaceFlag, IgnoreCase);
    const int32_t before = L.Count();
    switch (part) {
      case TPart::Names:
        L.Put(i, next + L.NameValueSeparator() + PartText(L, i, TPart::Value, Wide));
        break;
      case TPart::Value:
        if (Wide)
          L.SetValue(L.Names(i), next);
        else
          L.SetValueFromIndex(i, next);
        break;
      case TPart::Line:
        L.Put(i, next);
        break;
    }
    if (L.Count() == before) ++i;
  }
  return L;
}

TStrings& DeleteEquals(TStrings& L, const ustring& SearchFlag, bool IgnoreCase, bool WholeWord,
                       const ustring& StringListElement, bool Wide) {
  const TPart part = PartOf(StringListElement);
  std::vector<int32_t> marked;
  for (int32_t i = 0; i < L.Count(); ++i)
    if (Matches(PartText(L, i, part, Wide), SearchFlag, IgnoreCase, WholeWord)) marked.push_back(i);
  // By index, from the last to the first: exactly the marked lines go.
  for (auto it = marked.rbegin(); it != marked.rend(); ++it) L.Delete(*it);
  return L;
}

}  // namespace

TObject* GetObjectByNameFromStringList(const ustring& Key, const TStrings& StringList) {
  const int32_t i = StringList.IndexOf(Key);
  return i < 0 ? nullptr : StringList.Objects(i);
}

int32_t FindValueInStringList(const ustring& SearchString, const TStrings& StringList, bool TrimBefore,
                              bool IgnoreCase, bool Inverse) {
  const int32_t count = StringList.Count();
  for (int32_t k = 0; k < count; ++k) {
    const int32_t i = Inverse ? count - 1 - k : k;
    if (TvxStrings::EqualsW(SearchString, StringList.ValueFromIndex(i), TrimBefore, IgnoreCase)) return i;
  }
  return -1;
}

TStrings& ReplaceInStringList(TStrings& StringList, const ustring& SearchFlag, const ustring& ReplaceFlag,
                              bool IgnoreCase, bool WholeWord, const ustring& StringListElement) {
  return Replace(StringList, SearchFlag, ReplaceFlag, IgnoreCase, WholeWord, StringListElement, false);
}

TStrings& ReplaceInWideStringList(TStrings& StringList, const ustring& SearchFlag, const ustring& ReplaceFlag,
                                  bool IgnoreCase, bool WholeWord, const ustring& StringListElement) {
  return Replace(StringList, SearchFlag, ReplaceFlag, IgnoreCase, WholeWord, StringListElement, true);
}

TStrings& DeleteWhenEqualsInStringList(TStrings& StringList, const ustring& SearchFlag, bool IgnoreCase,
                                       bool WholeWord, const ustring& StringListElement) {
  return DeleteEquals(StringList, SearchFlag, IgnoreCase, WholeWord, StringListElement, false);
}

TStrings& DeleteWhenEqualsInWideStringList(TStrings& StringList, const ustring& SearchFlag, bool IgnoreCase,
                                           bool WholeWord, const ustring& StringListElement) {
  return DeleteEquals(StringList, SearchFlag, IgnoreCase, WholeWord, StringListElement, true);
}

TStrings& DeleteWhenNotEqualsInStringList(TStrings& StringList, const ustring& SearchFlagCommaSeparated,
                                          bool IgnoreCase, bool WholeWord, const ustring& StringListElement) {
  const TPart part = PartOf(StringListElement);
  TStringList items;
  items.SetCommaText(SearchFlagCommaSeparated);
  TStringList kept;  // compares ignoring case
  for (int32_t i = 0; i < StringList.Count(); ++i) {
    const ustring p = PartText(StringList, i, part, false);
    for (int32_t k = 0; k < items.Count(); ++k) {
      if (Matches(p, items[k], IgnoreCase, WholeWord)) {
        kept.Add(StringList[i]);
        break;
      }
    }
  }
  for (int32_t i = StringList.Count() - 1; i >= 0; --i)
    if (kept.IndexOf(StringList[i]) < 0) StringList.Delete(i);
  return StringList;
}

ustring AddValues(const TStrings& List, int32_t BeginIndex, int32_t EndIndex, bool WithCRLF) {
  ustring result;
  for (int32_t i = 0; i < List.Count(); ++i) {
    if (i < BeginIndex || i > EndIndex) continue;
    result += List[i];
    if (WithCRLF) result += u"\r\n";
  }
  if (WithCRLF) result = TvxStrings::DeleteFlagWhenBeginOrEnd(result, u"\r\n", LAST_POS);
  return result;
}

ustring GetCompleteContentWithoutCRLFAtEnd(const TStrings& StringList) {
  ustring result;
  for (int32_t i = 0; i < StringList.Count(); ++i) result += StringList[i];
  return result;
}

void RemoveEmptyLines(TStrings& Strings) {
  for (int32_t i = Strings.Count() - 1; i >= 0; --i)
    if (vxRuntime::Trim(Strings[i]).empty()) Strings.Delete(i);
}

}  // namespace TvxStringLists
