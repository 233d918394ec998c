// The hashed UTF-16 string list: hash index kept stale-or-right by the
// change notices of the base list.
#include "platform/lists/vxHashedStringList.h"

#include "platform/text/vxCaseMap.h"

ustring THashedStringList::KeyOf(view_type S) const {
  return CaseSensitive() ? ustring(S) : vxCaseMap::Upper(S);
}

void THashedStringList::RebuildIndex() const {
  FIndex.clear();
  const int32_t count = GetCount();
  FIndex.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) FIndex.try_emplace(KeyOf(Get(i)), i);  // keeps the lowest index
  FIndexValid = true;
  FIndexCaseSensitive = CaseSensitive();
}

int32_t THashedStringList::IndexOf(view_type S) const {
  if (Sorted()) return TStringList::IndexOf(S);
  if (!FIndexValid || FIndexCaseSensitive != CaseSensitive()) RebuildIndex();
  const auto it = FIndex.find(KeyOf(S));
  return it == FIndex.end() ? -1 : it->second;
}

void THashedStringList::NotifyChanging() {
  FIndexValid = false;
  TStringList::NotifyChanging();
}
