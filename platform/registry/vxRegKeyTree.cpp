// The registry's key tree in memory: keys, values and their indexes by
// upper-cased name.
#include "platform/registry/vxRegKeyTree.h"

#include <utility>

#include "platform/base/vxCodePage.h"
#include "platform/text/vxCaseMap.h"

namespace vxRegFile {

namespace {

// A name upper-cased as vxCaseMap::Upper does it, for looking it up: short
// ASCII names (the common case) in a buffer of its own, without allocating.
class TUpperName {
 public:
  explicit TUpperName(std::u16string_view name) {
    if (name.size() <= kBufferSize) {
      size_t i = 0;
      for (; i < name.size(); ++i) {
        const char16_t unit = name[i];
        if (unit >= 0x80) break;
        FBuffer[i] = unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - (u'a' - u'A')) : unit;
      }
      if (i == name.size()) {
        FView = std::u16string_view(FBuffer, name.size());
        return;
      }
    }
    FSpare = vxCaseMap::Upper(name);
    FView = FSpare;
  }
  TUpperName(const TUpperName&) = delete;
  TUpperName& operator=(const TUpperName&) = delete;

  std::u16string_view View() const { return FView; }

 private:
  static constexpr size_t kBufferSize = 64;
  char16_t FBuffer[kBufferSize];
  ustring FSpare;
  std::u16string_view FView;
};

}  // namespace

const TRegKeyNode* TRegKeyNode::FindSubKey(std::u16string_view name) const {
  const TUpperName upper(name);
  const auto it = FSubKeyIndex.find(upper.View());
  return it == FSubKeyIndex.end() ? nullptr : FSubKeys[it->second].get();
}

TRegKeyNode* TRegKeyNode::FindSubKey(std::u16string_view name) {
  return const_cast<TRegKeyNode*>(std::as_const(*this).FindSubKey(name));
}

TRegKeyNode& TRegKeyNode::ObtainSubKey(const ustring& name) {
  if (TRegKeyNode* existing = FindSubKey(name)) return *existing;
  FSubKeys.push_back(std::make_unique<TRegKeyNode>(name));
  FSubKeyIndex.emplace(vxCaseMap::Upper(name), FSubKeys.size() - 1);
  return *FSubKeys.back();
}

std::unique_ptr<TRegKeyNode> TRegKeyNode::DetachSubKey(std::u16string_view name) {
  const TUpperName upper(name);
  const auto it = FSubKeyIndex.find(upper.View());
  if (it == FSubKeyIndex.end()) return nullptr;
  const size_t position = it->second;
  std::unique_ptr<TRegKeyNode> key = std::move(FSubKeys[position]);
  FSubKeys.erase(FSubKeys.begin() + static_cast<std::ptrdiff_t>(position));
  ReindexSubKeys();
  return key;
}

void TRegKeyNode::AttachSubKey(std::unique_ptr<TRegKeyNode> key, ustring name) {
  key->FName = std::move(name);
  FSubKeyIndex.emplace(vxCaseMap::Upper(key->FName), FSubKeys.size());
  FSubKeys.push_back(std::move(key));
}

const TRegKeyNode* TRegKeyNode::Find(const std::vector<ustring>& path) const {
  const TRegKeyNode* key = this;
  for (const ustring& name : path) {
    key = key->FindSubKey(name);
    if (key == nullptr) return nullptr;
  }
  return key;
}

TRegKeyNode* TRegKeyNode::Find(const std::vector<ustring>& path) {
  return const_cast<TRegKeyNode*>(std::as_const(*this).Find(path));
}

TRegKeyNode& TRegKeyNode::ObtainPath(const std::vector<ustring>& path, bool& created) {
  if (path.size() > kMaxKeyDepth) throw ERegistryException("key path nests too deep");
  created = false;
  TRegKeyNode* key = this;
  for (const ustring& name : path) {
    TRegKeyNode* next = key->FindSubKey(name);
    if (next == nullptr) {
      CheckKeyName(name);
      next = &key->ObtainSubKey(name);
      created = true;
    }
    key = next;
  }
  return *key;
}

const TRegValue* TRegKeyNode::FindValue(std::u16string_view name) const {
  const TUpperName upper(name);
  const auto it = FValueIndex.find(upper.View());
  return it == FValueIndex.end() ? nullptr : &FValues[it->second];
}

TRegValue& TRegKeyNode::SetValue(const ustring& name, uint32_t type, std::string data) {
  const TUpperName upper(name);
  const auto it = FValueIndex.find(upper.View());
  if (it != FValueIndex.end()) {
    TRegValue& value = FValues[it->second];
    if (value.Type == type && value.Data == data) return value;
    value.Type = type;
    value.Data = std::move(data);
    value.TextLength = 0;  // its line must be written afresh
    return value;
  }
  FValues.push_back(TRegValue{name, type, std::move(data)});
  FValueIndex.emplace(vxCaseMap::Upper(name), FValues.size() - 1);
  return FValues.back();
}

bool TRegKeyNode::RemoveValue(std::u16string_view name) {
  const TUpperName upper(name);
  const auto it = FValueIndex.find(upper.View());
  if (it == FValueIndex.end()) return false;
  FValues.erase(FValues.begin() + static_cast<std::ptrdiff_t>(it->second));
  ReindexValues();
  return true;
}

void TRegKeyNode::ReindexSubKeys() {
  FSubKeyIndex.clear();
  for (size_t i = 0; i < FSubKeys.size(); ++i) FSubKeyIndex.emplace(vxCaseMap::Upper(FSubKeys[i]->FName), i);
}

void TRegKeyNode::ReindexValues() {
  FValueIndex.clear();
  for (size_t i = 0; i < FValues.size(); ++i) FValueIndex.emplace(vxCaseMap::Upper(FValues[i].Name), i);
}

bool IsControlUnit(char16_t unit) { return unit < 0x20 || unit == 0x7F; }

void CheckKeyName(std::u16string_view name) {
  if (name.empty()) throw ERegistryException("a key name cannot be empty");
  for (const char16_t unit : name) {
    if (unit == u'\\') throw ERegistryException(u"a key name cannot hold \"\\\": " + ustring(name));
    if (IsControlUnit(unit)) throw ERegistryException(u"a key name cannot hold control characters: " + ustring(name));
  }
  if (FindLoneSurrogate(name) != std::u16string_view::npos) {
    throw ERegistryException("a key name cannot hold an unpaired surrogate");
  }
}

}  // namespace vxRegFile
