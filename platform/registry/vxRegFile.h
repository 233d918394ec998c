// The registry's store: one human-readable text file per root key, in the
// folder named by the environment variable VARLO_REGISTRY (by default
// $XDG_CONFIG_HOME/varlo/registry, else ~/.config/varlo/registry), named after
// the root: "HKEY_LOCAL_MACHINE.reg", "HKEY_CURRENT_USER.reg",
// "HKEY_CLASSES_ROOT.reg".
//
// File format (UTF-8, REGEDIT4 style):
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\varlo\System]
//   @="the key's default value"
//   "Path"="/opt/varlo/"
//   "Count"=dword:0000002a
//   "Template"=str(2):"%HOME%/templates"
//   "Servers"=str(7):"alpha\0beta\0"
//   "Big"=hex(b):00,10,00,00,00,00,00,00
//   "Blob"=hex:01,02,ff
//
// Every key has its own "[...]" line, subkeys after their parent, keys and
// values in the order they were created. Text is quoted with the escapes
// \\ \" \n \r \t \0 and \xHHHH (exactly four hex digits, for other control
// characters and unpaired surrogates), so any UTF-16 text round-trips.
// "hex(N):" holds the raw data of type N, text types as UTF-16LE with their
// terminating 0; a hex list may go on over lines ending in "\". Lines
// starting with ";" are comments (a rewrite drops them). Key names hold no
// control characters and no unpaired surrogates.
//
// Every change is a read-modify-write under an exclusive flock on
// "<file>.lock": the file is parsed afresh, changed, written to "<file>.tmp",
// fsync'ed and renamed over the old one, and the folder fsync'ed. Readers take
// no lock; they see the old or the new file, never a mixture. A file that does
// not parse raises ERegistryException and is never overwritten. A parsed file
// is kept in memory and parsed again only when its identity (device, inode,
// size, modification and change times with nanoseconds) changes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/base/vxExceptions.h"

// Registry errors: a missing key or value, a value of another type, a name the
// registry cannot hold, a store file that does not parse. Failed system calls
// raise EOSError.
VX_DECLARE_EXCEPTION(ERegistryException, Exception);

// Data types of registry values. The codes are those the file format writes
// in "hex(N):"; a value may carry any other code as well.
enum TRegDataType : uint32_t {
  REG_NONE = 0,
  REG_SZ = 1,
  REG_EXPAND_SZ = 2,
  REG_BINARY = 3,
  REG_DWORD = 4,
  REG_MULTI_SZ = 7,
  REG_QWORD = 11,
};

namespace vxRegFile {

// Raw data of text values: UTF-16LE units followed by one 0 unit.
std::string EncodeText(std::u16string_view text);
// The UTF-16LE units of Data; an odd last byte is ignored.
ustring DecodeUnits(std::string_view data);

struct TRegValue {
  ustring Name;  // as first written
  uint32_t Type = REG_NONE;
  std::string Data;  // raw bytes; numbers little-endian
};

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
  const TRegValue* FindValue(std::u16string_view name) const;
  // Sets the value; an existing one keeps its place and the case of its name.
  void SetValue(const ustring& name, uint32_t type, std::string data);
  bool RemoveValue(std::u16string_view name);

 private:
  void ReindexSubKeys();
  void ReindexValues();

  ustring FName;
  std::vector<TRegValue> FValues;
  std::unordered_map<ustring, size_t> FValueIndex;  // upper-cased name -> position
  std::vector<std::unique_ptr<TRegKeyNode>> FSubKeys;
  std::unordered_map<ustring, size_t> FSubKeyIndex;
};

// Keys nest at most this deep below their root.
inline constexpr size_t kMaxKeyDepth = 512;

// Raises ERegistryException when Name cannot be a key name (empty, a "\",
// a control character or an unpaired surrogate).
void CheckKeyName(std::u16string_view name);

// The text of a root's file. The root node's name is the root's name.
std::string FormatRegText(const TRegKeyNode& root);
// Parses a root's file; errors name FileName and the line.
std::unique_ptr<TRegKeyNode> ParseRegText(std::string_view text, const ustring& rootName,
                                          const std::string& fileName);

// The registry folder: VARLO_REGISTRY when set and not empty, else the default.
std::string RegistryFolder();

// The file of one root key in the registry folder of the moment.
class TRegStore {
 public:
  // RootName is "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER" or "HKEY_CLASSES_ROOT".
  explicit TRegStore(ustring rootName);

  const std::string& FileName() const { return FFileName; }

  // The root's current content; an empty root when the file does not exist.
  // Raises EOSError (ErrorCode EACCES when it may not be read) or
  // ERegistryException when it does not parse.
  std::shared_ptr<const TRegKeyNode> Read() const;

  // False when this process may not change the file (permissions, read-only
  // file system).
  bool Writable() const;

  // Applies Change to the current content under the lock and writes the
  // result when Change returns true. Exceptions of Change abort the change.
  void Modify(const std::function<bool(TRegKeyNode& root)>& change) const;

 private:
  ustring FRootName;
  std::string FFolder;
  std::string FFileName;
};

}  // namespace vxRegFile
