// The registry's store: one human-readable text file per root key, in the
// folder named by the environment variable VARLO_REGISTRY (by default
// $XDG_CONFIG_HOME/varlo/registry, else ~/.config/varlo/registry), named after
// the root: "HKEY_LOCAL_MACHINE.reg", "HKEY_CURRENT_USER.reg",
// "HKEY_CLASSES_ROOT.reg" (the format: platform/registry/vxRegText.h).
//
// Every change is a read-modify-write under an exclusive flock on
// "<file>.lock": the file is parsed afresh, changed, written to "<file>.tmp",
// fsync'ed and renamed over the old one, and the folder fsync'ed. Readers take
// no lock; they see the old or the new file, never a mixture. A file that does
// not parse raises ERegistryException and is never overwritten. A parsed file
// is kept in memory and parsed again only when its identity (device, inode,
// size, modification and change times with nanoseconds) changes.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/registry/vxRegKeyTree.h"

namespace vxRegFile {

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
