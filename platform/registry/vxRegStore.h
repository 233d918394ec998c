// The registry's store: one human-readable text file per root key, in the
// folder named by the environment variable VARLO_REGISTRY (by default
// $XDG_CONFIG_HOME/varlo/registry, else ~/.config/varlo/registry), named after
// the root: "HKEY_LOCAL_MACHINE.reg", "HKEY_CURRENT_USER.reg",
// "HKEY_CLASSES_ROOT.reg" (the format: platform/registry/vxRegText.h).
//
// Every change is a read-modify-write under an exclusive flock on
// "<file>.lock": the content is changed, written to "<file>.tmp", fsync'ed
// and renamed over the old one, and the folder fsync'ed (once). Readers take
// no file lock and write nothing, not even the lock file: they see the old
// or the new file, never a mixture. A file that
// does not parse raises ERegistryException and is never overwritten.
//
// Each file is parsed once and kept in memory, one copy per process, shared
// by all threads (a reader-writer lock: readers of a root wait while a
// thread of this process changes it). Whether the copy is still the file's
// content is told by a change counter: the first 8 bytes of the lock file,
// which every writer raises under the lock after putting its file in place
// and which readers map into memory, so that the check costs one memory
// read and a change by any process using this store is seen by its next
// read. Programs that change the file without raising the counter (an editor,
// a script) are seen through the file's identity (device, inode, size,
// modification and change times): a read looks at it at most once per tick
// of the coarse monotonic clock (a millisecond or a few), a forked child at
// its first read, and a writer always, under the lock, so a change is never
// made to content older than the file. Without a counter to map (no writer
// made the lock file yet) every read looks at the file's identity.
//
// A writer whose copy is still the file's content changes it in place
// instead of parsing the file again, and writes the new text in one pass,
// copying the lines of unchanged values from the previous text.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/registry/vxRegKeyTree.h"

namespace vxRegFile {

// The registry folder: VARLO_REGISTRY when set and not empty, else the default.
std::string RegistryFolder();

// The clock of the identity checks, in nanoseconds; nullptr puts back the
// coarse monotonic clock. For tests, which may not wait for time to pass.
using TRegClock = int64_t (*)();
void SetRegClock(TRegClock clock);

// A root's file in the registry folder of the moment the handle was made.
// Handles of the same file share one state; copies are cheap.
class TRegStore {
 public:
  // RootName is "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER" or "HKEY_CLASSES_ROOT".
  explicit TRegStore(std::u16string_view rootName);

  const std::string& FileName() const;
  const std::string& Folder() const;

  // Runs Look(root, version) on the current content, with the content held
  // against changes by other threads of this process while it runs. Version
  // changes whenever the tree changes, so a key found under one version may
  // be used again while the version stays. Raises as Read does.
  template <class Look>
  decltype(auto) Inspect(Look&& look) const {
    const TReadLock lock(*this);
    return look(static_cast<const TRegKeyNode&>(lock.Root()), lock.Version());
  }

  // A copy of the current content that no later change touches; an empty
  // root when the file does not exist. Raises EOSError (ErrorCode EACCES
  // when it may not be read) or ERegistryException when it does not parse.
  std::shared_ptr<const TRegKeyNode> Read() const;

  // False when this process may not change the file (permissions, read-only
  // file system).
  bool Writable() const;

  // Applies Change to the current content under the lock and writes the
  // result when Change returns true; Change must leave the tree as it was
  // when it returns false. Exceptions of Change abort the change.
  void Modify(const std::function<bool(TRegKeyNode& root)>& change) const;

  struct TState;

 private:
  // The content of the store, checked and held for reading.
  class TReadLock {
   public:
    explicit TReadLock(const TRegStore& store);
    TReadLock(const TReadLock&) = delete;
    TReadLock& operator=(const TReadLock&) = delete;
    ~TReadLock();
    const TRegKeyNode& Root() const;
    uint64_t Version() const;

   private:
    TState& FState;
    bool FExclusive = false;
  };

  std::shared_ptr<TState> FState;
};

}  // namespace vxRegFile
