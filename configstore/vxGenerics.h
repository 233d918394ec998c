// TvxDictionary<K,V>: the hash dictionary under the HTTP messages (headers,
// query items) and the style definitions of the web helpers. The usual
// dictionary operations, plus a look-up with a caller's default and a key
// rename. Keys compare exactly; a user that wants case-insensitive names
// folds the case of the key before every access. The enumeration order is
// the hash order, not the order of insertion.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/base/vxExceptions.h"

// A key added twice, or looked up where it has to be present.
VX_DECLARE_EXCEPTION(EListError, Exception);

template <class K, class V>
class TvxDictionary {
 public:
  using TMap = std::unordered_map<K, V>;
  using const_iterator = typename TMap::const_iterator;
  using iterator = typename TMap::iterator;

  TvxDictionary() = default;
  // Room for Capacity pairs before the table grows.
  explicit TvxDictionary(size_t Capacity) { FItems.reserve(Capacity); }

  size_t Count() const { return FItems.size(); }
  bool ContainsKey(const K& Key) const { return FItems.find(Key) != FItems.end(); }

  // Raises EListError "Duplicates not allowed" when Key is present.
  void Add(const K& Key, V Value) {
    if (!FItems.try_emplace(Key, std::move(Value)).second) throw EListError("Duplicates not allowed");
  }
  void AddOrSetValue(const K& Key, V Value) { FItems.insert_or_assign(Key, std::move(Value)); }
  bool TryGetValue(const K& Key, V& Value) const {
    const auto found = FItems.find(Key);
    if (found == FItems.end()) return false;
    Value = found->second;
    return true;
  }
  // The value under Key; raises EListError "Item not found" when it is missing.
  const V& Item(const K& Key) const {
    const auto found = FItems.find(Key);
    if (found == FItems.end()) throw EListError("Item not found");
    return found->second;
  }
  // Nothing happens when Key is missing.
  void Remove(const K& Key) { FItems.erase(Key); }
  // Takes the pair under Key out and gives it back; a missing Key gives the
  // key with an empty value.
  std::pair<K, V> ExtractPair(const K& Key) {
    auto node = FItems.extract(Key);
    if (node.empty()) return {Key, V{}};
    return {std::move(node.key()), std::move(node.mapped())};
  }
  void Clear() { FItems.clear(); }

  // The keys in enumeration order.
  std::vector<K> Keys() const {
    std::vector<K> keys;
    keys.reserve(FItems.size());
    for (const auto& pair : FItems) keys.push_back(pair.first);
    return keys;
  }
  const_iterator begin() const { return FItems.begin(); }
  const_iterator end() const { return FItems.end(); }
  iterator begin() { return FItems.begin(); }
  iterator end() { return FItems.end(); }

  // The value stored under Key, else a copy of Default.
  V GetValue(const K& Key, const V& Default) const {
    const auto found = FItems.find(Key);
    return found == FItems.end() ? Default : found->second;
  }

  // Moves the value under Key to NewKey. A missing Key adds NewKey with an
  // empty value; Key equal to NewKey leaves a present value where it is. A
  // NewKey that is present already raises EListError "Duplicates not
  // allowed", and then nothing has changed: the pair under Key stays.
  void RenameKey(const K& Key, const K& NewKey) {
    if (Key == NewKey && ContainsKey(Key)) return;
    if (ContainsKey(NewKey)) throw EListError("Duplicates not allowed");
    Add(NewKey, ExtractPair(Key).second);
  }

 private:
  TMap FItems;
};
