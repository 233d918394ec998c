// Named mutexes between processes, as lock files in one folder:
//   $XDG_RUNTIME_DIR/varlo/mutex when that variable names an absolute
//   folder, else /tmp/varlo-mutex-<uid> (made 0700; refused when it is not
//   our own folder).
// A name's file "<name>.exists" carries a shared flock for every process
// that keeps the mutex open: the mutex exists while anyone holds one.
// "<name>.owner" carries the owner's exclusive flock. "<name>.guard" is
// locked briefly around every test-and-take, so two processes cannot both
// create a name. The name is percent-encoded into the file names (UTF-8
// bytes other than letters, digits, ".", "_" and "-").
//
// Unlike the original platform's mutexes: a lock dies with its process
// (there is no abandoned state), ownership belongs to the process, not to
// a thread, and the files stay behind (they are only names).
#pragma once

#include <cstdint>

#include "platform/base/vxBase.h"

namespace vxNamedMutex {

// The folder of the lock files (without a final "/"); created when needed.
// Empty when no usable folder exists.
ustring Folder();

// Whether a process (this one included) keeps the mutex open.
bool Exists(const ustring& Name);
// Makes the mutex, owned by this process and kept open until the process
// ends. False when it exists already or cannot be made.
bool Create(const ustring& Name);

enum class TWaitResult { NotFound, Acquired, TimedOut, Failed };
// Waits up to TimeoutMs to own an existing mutex; ownership is kept until
// Release or the end of the process.
TWaitResult Wait(const ustring& Name, int32_t TimeoutMs);
// Gives up this process's ownership; False when it owns nothing.
bool Release(const ustring& Name);

}  // namespace vxNamedMutex
