// The hashed UTF-16 string list: a hash index over the first items, caught
// up at each lookup and dropped by every change but an append.
#include "platform/lists/vxHashedStringList.h"

#include "platform/text/vxCaseMap.h"

ustring THashedStringList::KeyOf(view_type S) const {
  return CaseSensitive() ? ustring(S) : vxCaseMap::Upper(S);
}

int32_t THashedStringList::IndexOf(view_type S) const {
  if (Sorted()) return TStringList::IndexOf(S);
  if (FIndexCaseSensitive != CaseSensitive()) {
    FIndex.clear();
    FIndexed = 0;
    FIndexCaseSensitive = CaseSensitive();
  }
  const int32_t count = GetCount();
  if (FIndexed < count) {
    if (FIndexed == 0) FIndex.reserve(static_cast<size_t>(count));  // a whole build; appends grow it as a map grows
    for (; FIndexed < count; ++FIndexed) FIndex.try_emplace(KeyOf(Get(FIndexed)), FIndexed);  // keeps the lowest
  }
  const auto it = FIndex.find(KeyOf(S));
  return it == FIndex.end() ? -1 : it->second;
}

template <class F>
auto THashedStringList::Appending(bool AtEnd, F&& Change) {
  FAppending = AtEnd && !Sorted();
  try {
    auto result = Change();
    FAppending = false;
    return result;
  } catch (...) {
    FAppending = false;
    throw;
  }
}

int32_t THashedStringList::Add(string_type S) {
  return Appending(true, [&] { return TStringList::Add(std::move(S)); });
}

int32_t THashedStringList::AddObject(string_type S, TObject* AObject) {
  return Appending(true, [&] { return TStringList::AddObject(std::move(S), AObject); });
}

void THashedStringList::InsertObject(int32_t Index, string_type S, TObject* AObject) {
  Appending(Index == GetCount(), [&] {
    TStringList::InsertObject(Index, std::move(S), AObject);
    return 0;
  });
}

void THashedStringList::NotifyChanging() {
  // The notice of an append keeps the index: the item goes past what it
  // covers. Taken once, so a change made by a handler of the notice drops it.
  const bool append = FAppending;
  FAppending = false;
  if (!append && FIndexed > 0) {
    FIndex.clear();
    FIndexed = 0;
  }
  TStringList::NotifyChanging();
}
