// The hashed UTF-16 string list: a TStringList whose IndexOf finds an item
// through a hash index instead of a linear scan.
//
// The index maps each item's key (upper-cased by vxCaseMap unless the list is
// case-sensitive) to the lowest index holding it. It covers the first items
// of the list and is brought up to date at the next lookup: an item appended
// at the end is only added to it then, and every other change (the change
// notice comes before each) drops it, so the lookup after such a change
// rebuilds it. Lookups after a change are always right, and adding and
// looking up in turn costs each step only its own item.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "platform/lists/vxStringList.h"

class THashedStringList : public TStringList {
 public:
  THashedStringList() = default;

  // The lowest index of an item equal to S (ignoring case unless the list is
  // case-sensitive), -1 when there is none. A sorted list searches as the
  // base does.
  int32_t IndexOf(view_type S) const override;

  int32_t Add(string_type S) override;
  int32_t AddObject(string_type S, TObject* AObject) override;
  void InsertObject(int32_t Index, string_type S, TObject* AObject) override;

 protected:
  void NotifyChanging() override;

 private:
  ustring KeyOf(view_type S) const;
  // Runs Change (an insertion) with the index kept when the item goes at the end.
  template <class F>
  auto Appending(bool AtEnd, F&& Change);

  mutable std::unordered_map<ustring, int32_t> FIndex;
  mutable int32_t FIndexed = 0;  // the items the index covers: 0 .. FIndexed-1
  mutable bool FIndexCaseSensitive = false;  // the mode the index was built in
  bool FAppending = false;  // the next change notice is for an item added at the end
};
