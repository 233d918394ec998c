// Registry access as the system's code uses it: choose a root key, open one
// key at a time (creating it or read-only), read and write its values by type,
// list, test and delete keys and values. The data lives in the store of
// platform/registry/vxRegStore.h; every change is written through at once.
//
// Key paths separate keys with "\". A path that starts with "\" is taken from
// the root key, any other from the open key (from the root when none is open);
// a trailing "\" is ignored. With no key open, value operations work on the
// root key itself. Key and value names are found without regard to case
// (vxCaseMap::Upper on both sides) and kept as first written; the empty value
// name is the key's default value.
//
// Errors: OpenKey, OpenKeyReadOnly, KeyExists, ValueExists, DeleteKey,
// DeleteValue and MoveKey answer False for a missing key and for access that
// is refused. The typed reads raise ERegistryException for a missing value or
// a value of another type, the writes for a key opened without the right to
// write or a key that has been deleted. A store file that does not parse
// raises ERegistryException and a failed system call EOSError, from every
// operation.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/vxRegStore.h"
#include "platform/registry/vxRegTypes.h"

// The root keys of the registry, one store file each.
enum HKEY : uintptr_t {
  HKEY_CLASSES_ROOT = 1,
  HKEY_CURRENT_USER = 2,
  HKEY_LOCAL_MACHINE = 3,
};

// Access rights asked for when a key is opened. Reading rights need the root's
// file to be readable, writing rights need it (and its folder) writable.
using REGSAM = uint32_t;
inline constexpr REGSAM KEY_QUERY_VALUE = 0x01;
inline constexpr REGSAM KEY_SET_VALUE = 0x02;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x04;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x08;
inline constexpr REGSAM STANDARD_RIGHTS_READ = 0x10;
// The registry has a single view: the view flags are accepted and change nothing.
inline constexpr REGSAM KEY_WOW64_64KEY = 0x20;
inline constexpr REGSAM KEY_WOW64_32KEY = 0x40;
inline constexpr REGSAM KEY_READ = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
inline constexpr REGSAM KEY_WRITE = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
inline constexpr REGSAM KEY_ALL_ACCESS = KEY_READ | KEY_WRITE;

// "HKEY_LOCAL_MACHINE" and so on; raises ERegistryException for other handles.
ustring RootKeyName(HKEY rootKey);

// What TRegistry::LookupValue found.
enum class TRegLookup { KeyMissing, ValueMissing, Found };

// An access object serves one thread at a time; objects on several threads
// may use the same store at once. The registry folder is that of the moment
// of each call, except that an open key stays in the folder it was opened in.
class TRegistry {
 public:
  explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);

  // HKEY_CURRENT_USER until set. Setting it closes the open key.
  HKEY RootKey() const { return FRootKey; }
  void SetRootKey(HKEY rootKey);

  // The rights OpenKey asks for (KEY_ALL_ACCESS until set).
  REGSAM Access() const { return FAccess; }
  void SetAccess(REGSAM access) { FAccess = access; }

  // The open key's path below the root, as it was given; empty when no key
  // (or the root itself) is open.
  const ustring& CurrentPath() const { return FCurrentPath; }
  bool KeyIsOpen() const { return FKeyIsOpen; }

  // Opens Key with the rights of Access; with CanCreate a missing key is
  // created (with its missing parents). False when the key is missing (and
  // not created) or the rights are refused.
  bool OpenKey(const ustring& Key, bool CanCreate);
  // Opens Key with KEY_READ, whatever Access says.
  bool OpenKeyReadOnly(const ustring& Key);
  void CloseKey();

  bool KeyExists(const ustring& Key);
  // Deletes Key with all its subkeys and values; False when it does not
  // exist, is the root, or the right to write is refused.
  bool DeleteKey(const ustring& Key);
  // Moves OldName with its values and subkeys to NewName in one change;
  // False when OldName is missing, NewName exists or lies inside OldName.
  bool MoveKey(const ustring& OldName, const ustring& NewName);
  // Direct subkeys and values of the open key, in creation order.
  std::vector<ustring> GetKeyNames();
  std::vector<ustring> GetValueNames();

  bool ValueExists(const ustring& Name);
  // Type code and size in bytes of a value; text data counts its final 0.
  TRegDataType GetDataType(const ustring& Name);
  int32_t GetDataSize(const ustring& Name);
  // False when the value does not exist or the right to write is refused.
  bool DeleteValue(const ustring& Name);

  // REG_SZ or REG_EXPAND_SZ, never expanded.
  ustring ReadString(const ustring& Name);
  // REG_DWORD as a signed number.
  int32_t ReadInteger(const ustring& Name);
  // REG_QWORD.
  int64_t ReadInt64(const ustring& Name);
  // REG_BINARY.
  std::string ReadBinary(const ustring& Name);
  // REG_MULTI_SZ: the texts up to the first empty one or the end of the data.
  std::vector<ustring> ReadMultiString(const ustring& Name);
  // The raw data of a value of any type.
  std::string ReadData(const ustring& Name);
  // The type and raw data of value Name of Key (a path as OpenKey takes it)
  // in one look at the store, without opening the key. A key that may not
  // be read counts as missing.
  TRegLookup LookupValue(const ustring& Key, const ustring& Name, uint32_t& Type, std::string& Data);

  void WriteString(const ustring& Name, const ustring& Value);
  void WriteExpandString(const ustring& Name, const ustring& Value);
  void WriteInteger(const ustring& Name, int32_t Value);
  void WriteInt64(const ustring& Name, int64_t Value);
  void WriteBinary(const ustring& Name, std::string_view Value);
  // Raises for an empty text or a text holding a 0 character: either would
  // end the list early on reading.
  void WriteMultiString(const ustring& Name, const std::vector<ustring>& Value);

 private:
  bool Open(const ustring& key, bool canCreate, REGSAM rights);
  std::vector<ustring> Resolve(const ustring& key) const;
  REGSAM Rights() const { return FKeyIsOpen ? FGranted : FAccess; }
  void Need(REGSAM rights, const char* action) const;
  ustring KeyText(const std::vector<ustring>& path) const;
  // The store of the open key, or of the root in the folder of the moment.
  const vxRegFile::TRegStore& Store();
  // The open key (the root when none is open) in Root, or nullptr; found
  // again only when the store's content changed.
  const vxRegFile::TRegKeyNode* CurrentNode(const vxRegFile::TRegKeyNode& root, uint64_t version);
  const vxRegFile::TRegKeyNode& OpenNode(const vxRegFile::TRegKeyNode& root, uint64_t version);
  // Runs Look on the open key's node; raises when the key no longer exists.
  template <class Look>
  auto InOpenKey(Look&& look);
  const vxRegFile::TRegValue& FindValue(const vxRegFile::TRegKeyNode& node, const ustring& name) const;
  const vxRegFile::TRegValue& TypedValue(const vxRegFile::TRegKeyNode& node, const ustring& name,
                                         std::initializer_list<uint32_t> types, size_t size = 0) const;
  void WriteValue(const ustring& name, uint32_t type, std::string data);

  HKEY FRootKey = HKEY_CURRENT_USER;
  REGSAM FAccess;
  bool FKeyIsOpen = false;
  REGSAM FGranted = 0;
  std::vector<ustring> FPath;
  ustring FCurrentPath;
  std::optional<vxRegFile::TRegStore> FStore;
  const vxRegFile::TRegKeyNode* FNode = nullptr;
  uint64_t FNodeVersion = 0;
};
