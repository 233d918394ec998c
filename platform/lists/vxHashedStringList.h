// The hashed UTF-16 string list: a TStringList whose IndexOf finds an item
// through a hash index instead of a linear scan.
//
// The index maps each item's key (upper-cased by vxCaseMap unless the list is
// case-sensitive) to the lowest index holding it. Every change of the list
// marks the index stale (the change notice comes before each change), and the
// next lookup rebuilds it, so lookups after a change are always right.
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

 protected:
  void NotifyChanging() override;

 private:
  ustring KeyOf(view_type S) const;
  void RebuildIndex() const;

  mutable std::unordered_map<ustring, int32_t> FIndex;
  mutable bool FIndexValid = false;
  mutable bool FIndexCaseSensitive = false;  // the mode the index was built in
};
