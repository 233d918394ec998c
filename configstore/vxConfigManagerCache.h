// The store's key cache: a fixed number of slots, each mapping a prepared key
// to its node id for a lease of time. It never grows and never evicts: a key
// finds no room while every slot is active, until a lookup meets an expired
// slot of its own key or the cache is emptied. An insert takes the
// lowest-numbered free slot. Lookups by key and by id go through indexes of
// the active slots instead of scanning them, with the results a scan from the
// first slot would give.
//
// Ticks are the store's millisecond tick counts; a slot is valid while
// (Now - Ticks) < Lease in unsigned 32-bit arithmetic, so the counter's wrap
// neither shortens nor lengthens a lease. Every call takes CacheLock and
// calls nothing outside the cache while it holds it.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "configstore/vxConfigManagerLock.h"
#include "core/vxTypes.h"
#include "platform/base/vxBase.h"

// One slot: a prepared key, its node id, the tick count when it was filled.
struct TConfigCacheRecord {
  ustring Key;
  TIdType KeyId;
  uint32_t Ticks = 0;
  bool Active = false;
};

class TConfigCache {
 public:
  explicit TConfigCache(size_t Slots = 0);
  TConfigCache(const TConfigCache&) = delete;
  TConfigCache& operator=(const TConfigCache&) = delete;

  size_t Size() const { return FSlots.size(); }
  // Gives the cache Slots empty slots (the store does so once, when made).
  void SetSize(size_t Slots);
  // Empties every slot.
  void Clear();

  // The id of Key's active slot when its lease lasts; an expired slot met on
  // the way is freed.
  bool Find(const ustring& Key, uint32_t Now, uint32_t Lease, TIdType& KeyId);
  // The key of the first active slot (in slot order) holding KeyId while its
  // lease lasts; expired slots of that id are freed on the way.
  bool FindById(const TIdType& KeyId, uint32_t Now, uint32_t Lease, ustring& Key);
  // Fills the lowest free slot; false when Key has a valid slot already (its
  // lease is not renewed) or no slot is free.
  bool Insert(const ustring& Key, const TIdType& KeyId, uint32_t Now, uint32_t Lease);
  // Insert of every key and id in order, under one lock; the number filled.
  size_t InsertMany(const std::vector<std::pair<ustring, TIdType>>& Entries, uint32_t Now, uint32_t Lease);
  // Whether an active slot holds a key that is longer than, and begins with,
  // the key of the first active slot (in slot order) holding KeyId: a node
  // below KeyId's node is known. Leases are not looked at.
  bool HasKeyBelowId(const TIdType& KeyId);
  // Frees every slot whose key begins with Prefix.
  void RemovePrefix(const ustring& Prefix);
  // Frees the first active slot (in slot order) holding KeyId.
  void RemoveId(const TIdType& KeyId);

  // A copy of one slot, for looking at the cache as a whole.
  TConfigCacheRecord Slot(size_t Index);
  // Calls Visit(index, record) for every active slot in slot order, under the
  // lock; Visit returns false to stop. Visit must not call the cache.
  template <class TVisit>
  void ForEachActive(TVisit Visit) {
    TReadMostlyLock::TShared hold(CacheLock);
    for (size_t i = 0; i < FSlots.size(); ++i)
      if (FSlots[i].Active && !Visit(i, static_cast<const TConfigCacheRecord&>(FSlots[i]))) return;
  }

 private:
  static bool Valid(const TConfigCacheRecord& Slot, uint32_t Now, uint32_t Lease) {
    return static_cast<uint32_t>(Now - Slot.Ticks) < Lease;
  }
  // Both with the exclusive lock held.
  void Deactivate(uint32_t Index);
  // The slot of Key when one is active; an expired one is freed (exclusive lock).
  bool DropIfExpired(const ustring& Key, uint32_t Now, uint32_t Lease);
  // Insert with the exclusive lock held.
  bool InsertLocked(const ustring& Key, const TIdType& KeyId, uint32_t Now, uint32_t Lease);

  TReadMostlyLock CacheLock;
  std::vector<TConfigCacheRecord> FSlots;
  // The active slots by key (at most one per key) and by id (ascending).
  std::unordered_map<ustring, uint32_t> FByKey;
  struct TIdHash {
    using is_transparent = void;
    size_t operator()(std::string_view Id) const { return std::hash<std::string_view>()(Id); }
  };
  std::unordered_map<std::string, std::vector<uint32_t>, TIdHash, std::equal_to<>> FById;
  std::set<uint32_t> FFree;
};
