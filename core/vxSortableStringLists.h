// TvxObjectHashList: a list of (key, object) entries with hashed lookup
// that ignores case, optional ownership of the objects, a lookup by
// similarity and a sort by one of the TSORT_TYPE comparers.
#pragma once

#include <cstdint>

#include "platform/base/vxBase.h"
#include "platform/lists/vxHashedStringList.h"

enum TSORT_TYPE : int32_t {
  NUMBER = 0,
  ALPHA_NUM = 1,
  ALPHA_NUM_TRIM = 2,
  ALPHA_NUM_UPPER = 3,
  ALPHA_NUM_DESC = 4,
  ALPHA_NUM_TRIM_UPPER_DESC = 5,
  DATE = 6
};

// Entries keep insertion order and may hold equal keys; "the entry with Key"
// is always the first one the case-ignoring lookup finds.
class TvxObjectHashList : public THashedStringList {
 public:
  ~TvxObjectHashList() override;

  bool OwnObjects() const { return FOwnObjects; }
  void SetOwnObjects(bool Value) { FOwnObjects = Value; }

  // The list's own access by index stays reachable beside the keyed forms.
  using THashedStringList::Get;
  using THashedStringList::Put;

  // With DestroyInstance, Remove(Key) first; then the entry is appended.
  void Put(const ustring& Key, TObject* Value, bool DestroyInstance);
  TObject* Get(const ustring& Key) const;
  // Removes the first entry with Key. Returns its object, or none when there
  // is no such entry or when the object was freed (OwnObjects), so a caller
  // never receives a freed object.
  TObject* Remove(const ustring& Key);
  bool Contains(const ustring& Key) const;
  bool IsValueNotNil(const ustring& Key) const;
  // Clear of the entries: removes every entry from the last to the first
  // (freeing objects it owns) and gives the number there were. The base's
  // Clear, which gives nothing, does the same.
  int32_t ClearAll();
  void Clear() override { ClearAll(); }

  // The object of the first entry whose similarity to Key (percent, after
  // the same trimming and ASCII upper-casing of both) is at least
  // MaxDistance; RealDistance gets the similarity of the last entry tried.
  TObject* GetFirstAboutDistance(const ustring& Key, bool TrimBefore, bool IgnoreCase, double& MaxDistance,
                                 double& RealDistance) const;
  // Sorts the entries with the comparer of SortType; false (order kept) for
  // an ordinal outside the enumeration. DATE raises the platform's date
  // error for an item that is not a date.
  bool SortW(TSORT_TYPE SortType);

 private:
  bool FOwnObjects = false;
};
