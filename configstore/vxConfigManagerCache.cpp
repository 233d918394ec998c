// The key cache's slots and the indexes over its active slots.
#include "configstore/vxConfigManagerCache.h"

#include <algorithm>

TConfigCache::TConfigCache(size_t Slots) { SetSize(Slots); }

void TConfigCache::SetSize(size_t Slots) {
  TReadMostlyLock::TExclusive hold(CacheLock);
  FSlots.assign(Slots, TConfigCacheRecord());
  FByKey.clear();
  FById.clear();
  FFree.clear();
  for (size_t i = 0; i < Slots; ++i) FFree.insert(FFree.end(), static_cast<uint32_t>(i));
}

void TConfigCache::Clear() { SetSize(FSlots.size()); }

void TConfigCache::Deactivate(uint32_t Index) {
  TConfigCacheRecord& slot = FSlots[Index];
  if (!slot.Active) return;
  slot.Active = false;
  FByKey.erase(slot.Key);
  const auto ids = FById.find(slot.KeyId.View());
  if (ids != FById.end()) {
    auto& list = ids->second;
    list.erase(std::remove(list.begin(), list.end(), Index), list.end());
    if (list.empty()) FById.erase(ids);
  }
  FFree.insert(Index);
}

bool TConfigCache::DropIfExpired(const ustring& Key, uint32_t Now, uint32_t Lease) {
  const auto found = FByKey.find(Key);
  if (found == FByKey.end()) return false;
  if (Valid(FSlots[found->second], Now, Lease)) return true;
  Deactivate(found->second);
  return false;
}

bool TConfigCache::Find(const ustring& Key, uint32_t Now, uint32_t Lease, TIdType& KeyId) {
  {
    TReadMostlyLock::TShared hold(CacheLock);
    const auto found = FByKey.find(Key);
    if (found == FByKey.end()) return false;
    const TConfigCacheRecord& slot = FSlots[found->second];
    if (Valid(slot, Now, Lease)) {
      KeyId = slot.KeyId;
      return true;
    }
  }
  // Expired: freed under the writer's lock (another thread may have done so,
  // or filled the key anew, meanwhile).
  TReadMostlyLock::TExclusive hold(CacheLock);
  if (!DropIfExpired(Key, Now, Lease)) return false;
  KeyId = FSlots[FByKey.find(Key)->second].KeyId;
  return true;
}

bool TConfigCache::FindById(const TIdType& KeyId, uint32_t Now, uint32_t Lease, ustring& Key) {
  bool expired = false;
  {
    TReadMostlyLock::TShared hold(CacheLock);
    const auto found = FById.find(KeyId.View());
    if (found == FById.end()) return false;
    for (const uint32_t index : found->second) {
      const TConfigCacheRecord& slot = FSlots[index];
      if (Valid(slot, Now, Lease)) {
        if (!expired) {
          Key = slot.Key;
          return true;
        }
        break;
      }
      expired = true;
    }
    if (!expired) return false;
  }
  // Expired slots come before the valid one (if any): free them, then answer.
  TReadMostlyLock::TExclusive hold(CacheLock);
  for (;;) {
    const auto found = FById.find(KeyId.View());
    if (found == FById.end()) return false;
    const uint32_t index = found->second.front();
    if (Valid(FSlots[index], Now, Lease)) {
      Key = FSlots[index].Key;
      return true;
    }
    Deactivate(index);
  }
}

bool TConfigCache::Insert(const ustring& Key, const TIdType& KeyId, uint32_t Now, uint32_t Lease) {
  TReadMostlyLock::TExclusive hold(CacheLock);
  return InsertLocked(Key, KeyId, Now, Lease);
}

size_t TConfigCache::InsertMany(const std::vector<std::pair<ustring, TIdType>>& Entries, uint32_t Now,
                                uint32_t Lease) {
  TReadMostlyLock::TExclusive hold(CacheLock);
  size_t filled = 0;
  for (const auto& [key, id] : Entries)
    if (InsertLocked(key, id, Now, Lease)) ++filled;
  return filled;
}

bool TConfigCache::HasKeyBelowId(const TIdType& KeyId) {
  TReadMostlyLock::TShared hold(CacheLock);
  const auto ids = FById.find(KeyId.View());
  if (ids == FById.end()) return false;
  const ustring& parent = FSlots[ids->second.front()].Key;
  for (const auto& entry : FByKey) {
    const ustring& key = entry.first;
    if (key.size() > parent.size() && key.compare(0, parent.size(), parent) == 0) return true;
  }
  return false;
}

bool TConfigCache::InsertLocked(const ustring& Key, const TIdType& KeyId, uint32_t Now, uint32_t Lease) {
  if (DropIfExpired(Key, Now, Lease)) return false;
  if (FFree.empty()) return false;
  const uint32_t index = *FFree.begin();
  FFree.erase(FFree.begin());
  TConfigCacheRecord& slot = FSlots[index];
  slot.Key = Key;
  slot.KeyId = KeyId;
  slot.Ticks = Now;
  slot.Active = true;
  FByKey.emplace(Key, index);
  auto& ids = FById[std::string(KeyId.View())];
  ids.insert(std::upper_bound(ids.begin(), ids.end(), index), index);
  return true;
}

void TConfigCache::RemovePrefix(const ustring& Prefix) {
  TReadMostlyLock::TExclusive hold(CacheLock);
  std::vector<uint32_t> gone;
  for (const auto& [key, index] : FByKey)
    if (key.compare(0, Prefix.size(), Prefix) == 0) gone.push_back(index);
  for (const uint32_t index : gone) Deactivate(index);
}

void TConfigCache::RemoveId(const TIdType& KeyId) {
  TReadMostlyLock::TExclusive hold(CacheLock);
  const auto found = FById.find(KeyId.View());
  if (found != FById.end()) Deactivate(found->second.front());
}

TConfigCacheRecord TConfigCache::Slot(size_t Index) {
  TReadMostlyLock::TShared hold(CacheLock);
  return Index < FSlots.size() ? FSlots[Index] : TConfigCacheRecord();
}
