// Registry access as the system's code uses it: choose a root key, open one key
// at a time (creating it or read-only), read and write its values by type.
#include "platform/registry/vxRegistry.h"

#include <algorithm>
#include <cerrno>

#include "platform/registry/vxRegKeyTree.h"
#include "platform/registry/vxRegStore.h"
#include "platform/text/vxCaseMap.h"

using vxRegFile::TRegKeyNode;
using vxRegFile::TRegStore;
using vxRegFile::TRegValue;

namespace {

constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

bool IsDenied(const EOSError& error) { return error.ErrorCode == EACCES || error.ErrorCode == EPERM; }

ustring TypeName(uint32_t type) {
  switch (type) {
    case REG_NONE: return u"REG_NONE";
    case REG_SZ: return u"REG_SZ";
    case REG_EXPAND_SZ: return u"REG_EXPAND_SZ";
    case REG_BINARY: return u"REG_BINARY";
    case REG_DWORD: return u"REG_DWORD";
    case REG_MULTI_SZ: return u"REG_MULTI_SZ";
    case REG_QWORD: return u"REG_QWORD";
    default: break;
  }
  std::string number = std::to_string(type);
  return u"type " + ustring(number.begin(), number.end());
}

ustring Join(const std::vector<ustring>& names) {
  ustring text;
  for (const ustring& name : names) {
    if (!text.empty()) text.push_back(u'\\');
    text += name;
  }
  return text;
}

std::string LittleEndian(uint64_t number, size_t size) {
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return data;
}

uint64_t FromLittleEndian(std::string_view data) {
  uint64_t number = 0;
  for (size_t i = data.size(); i > 0; --i) number = (number << 8) | static_cast<unsigned char>(data[i - 1]);
  return number;
}

// True when Inner is Outer or lies below it.
bool IsWithin(const std::vector<ustring>& inner, const std::vector<ustring>& outer) {
  if (inner.size() < outer.size()) return false;
  for (size_t i = 0; i < outer.size(); ++i) {
    if (vxCaseMap::Upper(inner[i]) != vxCaseMap::Upper(outer[i])) return false;
  }
  return true;
}

// Levels of keys below Key.
size_t Height(const TRegKeyNode& key) {
  size_t height = 0;
  for (const auto& sub : key.SubKeys()) height = std::max(height, 1 + Height(*sub));
  return height;
}

}  // namespace

namespace {

std::u16string_view RootName(HKEY rootKey) {
  switch (rootKey) {
    case HKEY_CLASSES_ROOT: return u"HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER: return u"HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE: return u"HKEY_LOCAL_MACHINE";
  }
  throw ERegistryException("unknown root key");
}

}  // namespace

ustring RootKeyName(HKEY rootKey) { return ustring(RootName(rootKey)); }

TRegistry::TRegistry(REGSAM access) : FAccess(access) {}

void TRegistry::SetRootKey(HKEY rootKey) {
  CloseKey();
  FRootKey = rootKey;
}

bool TRegistry::OpenKey(const ustring& Key, bool CanCreate) { return Open(Key, CanCreate, FAccess); }

bool TRegistry::OpenKeyReadOnly(const ustring& Key) { return Open(Key, false, KEY_READ); }

void TRegistry::CloseKey() {
  FKeyIsOpen = false;
  FGranted = 0;
  FPath.clear();
  FCurrentPath.clear();
  FStore.reset();
  FNode = nullptr;
}

const TRegStore& TRegistry::Store() {
  if (!FKeyIsOpen || !FStore) {
    FStore.emplace(RootName(FRootKey));
    FNode = nullptr;
  }
  return *FStore;
}

const TRegKeyNode* TRegistry::CurrentNode(const TRegKeyNode& root, uint64_t version) {
  if (FNode == nullptr || FNodeVersion != version) {
    FNode = root.Find(FPath);
    FNodeVersion = version;
  }
  return FNode;
}

const TRegKeyNode& TRegistry::OpenNode(const TRegKeyNode& root, uint64_t version) {
  const TRegKeyNode* node = CurrentNode(root, version);
  if (node == nullptr) throw ERegistryException(u"key \"" + KeyText(FPath) + u"\" does not exist");
  return *node;
}

template <class Look>
auto TRegistry::InOpenKey(Look&& look) {
  return Store().Inspect([&](const TRegKeyNode& root, uint64_t version) { return look(OpenNode(root, version)); });
}

bool TRegistry::Open(const ustring& key, bool canCreate, REGSAM rights) {
  std::vector<ustring> path = Resolve(key);
  const TRegStore store = Store();
  if ((rights & kWriteRights) != 0 && !store.Writable()) return false;
  try {
    const bool exists = store.Inspect([&](const TRegKeyNode& root, uint64_t) { return root.Find(path) != nullptr; });
    if (!exists) {
      if (!canCreate || (rights & KEY_CREATE_SUB_KEY) == 0) return false;
      store.Modify([&](TRegKeyNode& root) {
        bool created = false;
        root.ObtainPath(path, created);
        return created;
      });
    }
  } catch (const EOSError& error) {
    if (IsDenied(error)) return false;
    throw;
  }
  FKeyIsOpen = true;
  FGranted = rights;
  FPath = std::move(path);
  FCurrentPath = Join(FPath);
  FStore = store;
  FNode = nullptr;
  return true;
}

std::vector<ustring> TRegistry::Resolve(const ustring& key) const {
  std::u16string_view rest = key;
  std::vector<ustring> path;
  if (!rest.empty() && rest.front() == u'\\') {
    rest.remove_prefix(1);
  } else {
    path = FPath;
  }
  if (!rest.empty() && rest.back() == u'\\') rest.remove_suffix(1);
  while (!rest.empty()) {
    const size_t end = rest.find(u'\\');
    const std::u16string_view name = rest.substr(0, end);
    if (name.empty()) throw ERegistryException(u"a key path with an empty key name: " + key);
    path.emplace_back(name);
    if (end == std::u16string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return path;
}

void TRegistry::Need(REGSAM rights, const char* action) const {
  if ((Rights() & rights) != rights) {
    throw ERegistryException(u"cannot " + ustring(action, action + std::char_traits<char>::length(action)) +
                             u": key \"" + KeyText(FPath) + u"\" is not open with that right");
  }
}

ustring TRegistry::KeyText(const std::vector<ustring>& path) const {
  ustring text = RootKeyName(FRootKey);
  for (const ustring& name : path) text += u"\\" + name;
  return text;
}

const TRegValue& TRegistry::FindValue(const TRegKeyNode& node, const ustring& name) const {
  const TRegValue* value = node.FindValue(name);
  if (value == nullptr) {
    throw ERegistryException(u"value \"" + name + u"\" of key \"" + KeyText(FPath) + u"\" does not exist");
  }
  return *value;
}

const TRegValue& TRegistry::TypedValue(const TRegKeyNode& node, const ustring& name,
                                       std::initializer_list<uint32_t> types, size_t size) const {
  Need(KEY_QUERY_VALUE, "read a value");
  const TRegValue& value = FindValue(node, name);
  bool typeFits = false;
  for (const uint32_t type : types) typeFits = typeFits || value.Type == type;
  if (!typeFits) {
    throw ERegistryException(u"value \"" + name + u"\" of key \"" + KeyText(FPath) + u"\" is " +
                             TypeName(value.Type) + u", not " + TypeName(*types.begin()));
  }
  if (size != 0 && value.Data.size() != size) {
    throw ERegistryException(u"value \"" + name + u"\" of key \"" + KeyText(FPath) + u"\" does not hold " +
                             TypeName(value.Type) + u" data");
  }
  return value;
}

bool TRegistry::KeyExists(const ustring& Key) {
  const std::vector<ustring> path = Resolve(Key);
  try {
    return Store().Inspect([&](const TRegKeyNode& root, uint64_t) { return root.Find(path) != nullptr; });
  } catch (const EOSError& error) {
    if (IsDenied(error)) return false;
    throw;
  }
}

bool TRegistry::DeleteKey(const ustring& Key) {
  std::vector<ustring> path = Resolve(Key);
  if (path.empty() || (Rights() & kWriteRights) == 0) return false;
  const TRegStore& store = Store();
  if (!store.Writable()) return false;
  const ustring name = path.back();
  path.pop_back();
  bool deleted = false;
  try {
    store.Modify([&](TRegKeyNode& root) {
      TRegKeyNode* parent = root.Find(path);
      deleted = parent != nullptr && parent->DetachSubKey(name) != nullptr;
      return deleted;
    });
  } catch (const EOSError& error) {
    if (IsDenied(error)) return false;
    throw;
  }
  return deleted;
}

bool TRegistry::MoveKey(const ustring& OldName, const ustring& NewName) {
  const std::vector<ustring> oldPath = Resolve(OldName);
  std::vector<ustring> newParentPath = Resolve(NewName);
  if (oldPath.empty() || newParentPath.empty() || IsWithin(newParentPath, oldPath)) return false;
  if ((Rights() & kWriteRights) == 0) return false;
  const TRegStore& store = Store();
  if (!store.Writable()) return false;
  const ustring newName = newParentPath.back();
  newParentPath.pop_back();
  vxRegFile::CheckKeyName(newName);
  bool moved = false;
  try {
    store.Modify([&](TRegKeyNode& root) {
      const std::vector<ustring> oldParentPath(oldPath.begin(), oldPath.end() - 1);
      TRegKeyNode* oldParent = root.Find(oldParentPath);
      const TRegKeyNode* key = oldParent == nullptr ? nullptr : oldParent->FindSubKey(oldPath.back());
      const TRegKeyNode* newParent = root.Find(newParentPath);
      if (key == nullptr || (newParent != nullptr && newParent->FindSubKey(newName) != nullptr)) return false;
      if (newParentPath.size() + 1 + Height(*key) > vxRegFile::kMaxKeyDepth) {
        throw ERegistryException("key path nests too deep");
      }
      std::unique_ptr<TRegKeyNode> detached = oldParent->DetachSubKey(oldPath.back());
      bool created = false;
      root.ObtainPath(newParentPath, created).AttachSubKey(std::move(detached), newName);
      moved = true;
      return true;
    });
  } catch (const EOSError& error) {
    if (IsDenied(error)) return false;
    throw;
  }
  return moved;
}

std::vector<ustring> TRegistry::GetKeyNames() {
  Need(KEY_ENUMERATE_SUB_KEYS, "list subkeys");
  return InOpenKey([](const TRegKeyNode& node) {
    std::vector<ustring> names;
    for (const auto& sub : node.SubKeys()) names.push_back(sub->Name());
    return names;
  });
}

std::vector<ustring> TRegistry::GetValueNames() {
  Need(KEY_QUERY_VALUE, "list values");
  return InOpenKey([](const TRegKeyNode& node) {
    std::vector<ustring> names;
    for (const TRegValue& value : node.Values()) names.push_back(value.Name);
    return names;
  });
}

bool TRegistry::ValueExists(const ustring& Name) {
  try {
    return Store().Inspect([&](const TRegKeyNode& root, uint64_t version) {
      const TRegKeyNode* node = CurrentNode(root, version);
      return node != nullptr && node->FindValue(Name) != nullptr;
    });
  } catch (const EOSError& error) {
    if (IsDenied(error)) return false;
    throw;
  }
}

TRegDataType TRegistry::GetDataType(const ustring& Name) {
  Need(KEY_QUERY_VALUE, "read a value");
  return InOpenKey([&](const TRegKeyNode& node) { return static_cast<TRegDataType>(FindValue(node, Name).Type); });
}

int32_t TRegistry::GetDataSize(const ustring& Name) {
  Need(KEY_QUERY_VALUE, "read a value");
  return InOpenKey([&](const TRegKeyNode& node) { return static_cast<int32_t>(FindValue(node, Name).Data.size()); });
}

bool TRegistry::DeleteValue(const ustring& Name) {
  if ((Rights() & KEY_SET_VALUE) == 0) return false;
  const TRegStore& store = Store();
  if (!store.Writable()) return false;
  bool deleted = false;
  try {
    store.Modify([&](TRegKeyNode& root) {
      TRegKeyNode* node = root.Find(FPath);
      deleted = node != nullptr && node->RemoveValue(Name);
      return deleted;
    });
  } catch (const EOSError& error) {
    if (IsDenied(error)) return false;
    throw;
  }
  return deleted;
}

ustring TRegistry::ReadString(const ustring& Name) {
  return InOpenKey([&](const TRegKeyNode& node) {
    const std::string& data = TypedValue(node, Name, {REG_SZ, REG_EXPAND_SZ}).Data;
    // The units without the final 0 one, decoded straight from the data.
    size_t size = data.size() & ~size_t{1};
    if (size >= 2 && data[size - 1] == '\0' && data[size - 2] == '\0') size -= 2;
    return vxRegFile::DecodeUnits(std::string_view(data).substr(0, size));
  });
}

int32_t TRegistry::ReadInteger(const ustring& Name) {
  return InOpenKey([&](const TRegKeyNode& node) {
    return static_cast<int32_t>(static_cast<uint32_t>(FromLittleEndian(TypedValue(node, Name, {REG_DWORD}, 4).Data)));
  });
}

int64_t TRegistry::ReadInt64(const ustring& Name) {
  return InOpenKey([&](const TRegKeyNode& node) {
    return static_cast<int64_t>(FromLittleEndian(TypedValue(node, Name, {REG_QWORD}, 8).Data));
  });
}

std::string TRegistry::ReadBinary(const ustring& Name) {
  return InOpenKey([&](const TRegKeyNode& node) { return TypedValue(node, Name, {REG_BINARY}).Data; });
}

std::vector<ustring> TRegistry::ReadMultiString(const ustring& Name) {
  const ustring units = InOpenKey([&](const TRegKeyNode& node) {
    return vxRegFile::DecodeUnits(TypedValue(node, Name, {REG_MULTI_SZ}).Data);
  });
  std::vector<ustring> texts;
  std::u16string_view rest = units;
  while (!rest.empty()) {
    const size_t end = rest.find(u'\0');
    if (end == 0) break;
    texts.emplace_back(rest.substr(0, end));
    if (end == std::u16string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return texts;
}

std::string TRegistry::ReadData(const ustring& Name) {
  Need(KEY_QUERY_VALUE, "read a value");
  return InOpenKey([&](const TRegKeyNode& node) { return FindValue(node, Name).Data; });
}

TRegLookup TRegistry::LookupValue(const ustring& Key, const ustring& Name, uint32_t& Type, std::string& Data) {
  Need(KEY_QUERY_VALUE, "read a value");
  // The path is walked as Resolve reads it, without making its names.
  std::u16string_view rest = Key;
  const bool fromRoot = !rest.empty() && rest.front() == u'\\';
  if (fromRoot) rest.remove_prefix(1);
  if (!rest.empty() && rest.back() == u'\\') rest.remove_suffix(1);
  try {
    return Store().Inspect([&](const TRegKeyNode& root, uint64_t version) {
      const TRegKeyNode* node = fromRoot ? &root : CurrentNode(root, version);
      for (std::u16string_view names = rest; node != nullptr && !names.empty();) {
        const size_t end = names.find(u'\\');
        const std::u16string_view name = names.substr(0, end);
        if (name.empty()) throw ERegistryException(u"a key path with an empty key name: " + Key);
        node = node->FindSubKey(name);
        names.remove_prefix(end == std::u16string_view::npos ? names.size() : end + 1);
      }
      if (node == nullptr) return TRegLookup::KeyMissing;
      const TRegValue* value = node->FindValue(Name);
      if (value == nullptr) return TRegLookup::ValueMissing;
      Type = value->Type;
      Data = value->Data;
      return TRegLookup::Found;
    });
  } catch (const EOSError& error) {
    if (IsDenied(error)) return TRegLookup::KeyMissing;
    throw;
  }
}

void TRegistry::WriteValue(const ustring& name, uint32_t type, std::string data) {
  Need(KEY_SET_VALUE, "write a value");
  Store().Modify([&](TRegKeyNode& root) {
    TRegKeyNode* node = root.Find(FPath);
    if (node == nullptr) throw ERegistryException(u"key \"" + KeyText(FPath) + u"\" does not exist");
    const TRegValue* old = node->FindValue(name);
    if (old != nullptr && old->Type == type && old->Data == data) return false;
    node->SetValue(name, type, std::move(data));
    return true;
  });
}

void TRegistry::WriteString(const ustring& Name, const ustring& Value) {
  WriteValue(Name, REG_SZ, vxRegFile::EncodeText(Value));
}

void TRegistry::WriteExpandString(const ustring& Name, const ustring& Value) {
  WriteValue(Name, REG_EXPAND_SZ, vxRegFile::EncodeText(Value));
}

void TRegistry::WriteInteger(const ustring& Name, int32_t Value) {
  WriteValue(Name, REG_DWORD, LittleEndian(static_cast<uint32_t>(Value), 4));
}

void TRegistry::WriteInt64(const ustring& Name, int64_t Value) {
  WriteValue(Name, REG_QWORD, LittleEndian(static_cast<uint64_t>(Value), 8));
}

void TRegistry::WriteBinary(const ustring& Name, std::string_view Value) {
  WriteValue(Name, REG_BINARY, std::string(Value));
}

void TRegistry::WriteMultiString(const ustring& Name, const std::vector<ustring>& Value) {
  ustring units;
  for (const ustring& text : Value) {
    if (text.empty() || text.find(u'\0') != ustring::npos) {
      throw ERegistryException(u"value \"" + Name + u"\": a multi-string cannot hold an empty text or a 0 character");
    }
    units += text;
    units.push_back(u'\0');
  }
  WriteValue(Name, REG_MULTI_SZ, vxRegFile::EncodeText(units));
}
