// The registry's key tree in memory: a key holds its values and subkeys in
// creation order and finds them by name without regard to case.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry/vxRegTypes.h"

namespace vxRegFile {

struct TRegValue {
  ustring Name;  // as first written
  uint32_t Type = REG_NONE;
  std::string Data;  // raw bytes; numbers little-endian
  // Where the value's line stands in the text the tree was last read from or
  // written to, so that an unchanged value is copied instead of formatted
  // again; TextLength 0 when the line must be formatted.
  size_t TextOffset = 0;
  size_t TextLength = 0;
};

// Hash and equality of upper-cased names, looked up as string views.
struct TNameHash {
  using is_transparent = void;
  // FNV-1a over the units: names are short, and a lookup should cost little
  // more than the comparison that follows it.
  size_t operator()(std::u16string_view name) const noexcept {
    uint64_t hash = 14695981039346656037ull;
    for (const char16_t unit : name) hash = (hash ^ unit) * 1099511628211ull;
    return static_cast<size_t>(hash);
  }
};
struct TNameEqual {
  using is_transparent = void;
  bool operator()(std::u16string_view a, std::u16string_view b) const noexcept { return a == b; }
};
using TNameIndex = std::unordered_map<ustring, size_t, TNameHash, TNameEqual>;

// One key: its values and subkeys in creation order, found by name without
// regard to case.
class TRegKeyNode {
 public:
  explicit TRegKeyNode(ustring name) : FName(std::move(name)) {}
  TRegKeyNode(const TRegKeyNode&) = delete;
  TRegKeyNode& operator=(const TRegKeyNode&) = delete;

  const ustring& Name() const { return FName; }

  const std::vector<std::unique_ptr<TRegKeyNode>>& SubKeys() const { return FSubKeys; }
  const TRegKeyNode* FindSubKey(std::u16string_view name) const;
  TRegKeyNode* FindSubKey(std::u16string_view name);
  // The subkey of that name, added at the end when missing.
  TRegKeyNode& ObtainSubKey(const ustring& name);
  // Takes the subkey out of this key (nullptr when missing).
  std::unique_ptr<TRegKeyNode> DetachSubKey(std::u16string_view name);
  // Adds a detached key under a new name; the name must not be taken.
  void AttachSubKey(std::unique_ptr<TRegKeyNode> key, ustring name);

  // The key at Path below this one (this one for an empty path), or nullptr.
  const TRegKeyNode* Find(const std::vector<ustring>& path) const;
  TRegKeyNode* Find(const std::vector<ustring>& path);
  // The key at Path, creating the missing ones (their names checked with
  // CheckKeyName); Created tells whether any was created.
  TRegKeyNode& ObtainPath(const std::vector<ustring>& path, bool& created);

  const std::vector<TRegValue>& Values() const { return FValues; }
  // For the text format, which keeps the values' text positions.
  std::vector<TRegValue>& Values() { return FValues; }
  const TRegValue* FindValue(std::u16string_view name) const;
  // Sets the value; an existing one keeps its place and the case of its name
  // (and its line in the text when type and data stay the same).
  TRegValue& SetValue(const ustring& name, uint32_t type, std::string data);
  bool RemoveValue(std::u16string_view name);

 private:
  void ReindexSubKeys();
  void ReindexValues();

  ustring FName;
  std::vector<TRegValue> FValues;
  TNameIndex FValueIndex;  // upper-cased name -> position
  std::vector<std::unique_ptr<TRegKeyNode>> FSubKeys;
  TNameIndex FSubKeyIndex;
};

// Keys nest at most this deep below their root.
inline constexpr size_t kMaxKeyDepth = 512;

// Raises ERegistryException when Name cannot be a key name (empty, a "\",
// a control character or an unpaired surrogate).
void CheckKeyName(std::u16string_view name);

// A control character as key names and quoted texts see it (below 0x20, and 0x7F).
bool IsControlUnit(char16_t unit);

}  // namespace vxRegFile
