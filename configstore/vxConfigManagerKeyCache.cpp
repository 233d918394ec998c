// The store's side of the key cache: the lookups and inserts of the node walk,
// with the change check before a lookup, and the removals after changes.
#include "configstore/vxConfigManager.h"

bool TvxConfigManager::InitCache() {
  ConfigCache.Clear();
  return true;
}

bool TvxConfigManager::ResetCache() {
  InitCache();
  LoadClassNodeIds(false);
  return true;
}

bool TvxConfigManager::GetCacheKeyId(const ustring& Key, TIdType& KeyId, bool CheckState) {
  if (!CacheEnabled) return false;
  const uint32_t now = Ticks();
  // Outside CacheLock: the check may read the table.
  if (CheckState) CheckDatabaseChangeStateAt(now);
  KeyId = TIdType();
  return ConfigCache.Find(Key, now, CacheLeaseTime, KeyId);
}

bool TvxConfigManager::GetCacheKeyById(const TIdType& KeyId, ustring& Key) {
  if (!CacheEnabled) return false;
  CheckDatabaseChangeState();
  Key.clear();
  return ConfigCache.FindById(KeyId, Ticks(), CacheLeaseTime, Key);
}

bool TvxConfigManager::SetCacheKeyId(const ustring& Key, const TIdType& KeyId) {
  if (!CacheEnabled || Key.empty() || IsTIdStringEmpty(KeyId)) return false;
  const ustring prepared = PrepareKey(Key);
  if (prepared.empty()) return false;
  return ConfigCache.Insert(prepared, KeyId, Ticks(), CacheLeaseTime);
}

bool TvxConfigManager::RemoveKeyFromCache(const ustring& Key) {
  ConfigCache.RemovePrefix(PrepareKey(Key));
  return true;
}

bool TvxConfigManager::RemoveKeyIdFromCache(const TIdType& KeyId) {
  ConfigCache.RemoveId(KeyId);
  return true;
}
