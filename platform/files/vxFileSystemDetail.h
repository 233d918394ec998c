// Helpers shared by the parts of the file-system layer; not for use above it.
#pragma once

#include <cerrno>
#include <string>

#include "platform/files/vxFileSystem.h"

namespace vxFileSystem::detail {

// The native form of Path; False (errno EINVAL) when Path holds a NUL, which
// would silently cut the name short.
bool ToNative(const ustring& Path, std::string& Native);

// Status of Path relative to the folder descriptor DirFd (AT_FDCWD for the
// current folder). A symbolic link is followed; a link whose target is
// missing is described by itself. Name is the entry's name part, from which
// the hidden bit follows.
bool StatAt(int DirFd, const char* Path, const ustring& Name, TSearchRec& Status);

// rename() that never replaces an existing To (EEXIST).
bool RenameNoReplace(const char* From, const char* To);

// The owner's write bit is clear: read-only as the attribute word has it.
bool IsReadOnlyMode(unsigned Mode);

// Flushes the folder holding Path, so that a rename into it is on disk
// (best effort).
void SyncParentFolder(const std::string& Path);
// Flushes the folder Folder (native path); False (errno) on failure.
bool SyncNativeFolder(const std::string& Folder);

// Keeps errno across clean-up work that may change it.
class TErrnoKeeper {
 public:
  TErrnoKeeper() : FSaved(errno) {}
  ~TErrnoKeeper() { errno = FSaved; }
  TErrnoKeeper(const TErrnoKeeper&) = delete;
  TErrnoKeeper& operator=(const TErrnoKeeper&) = delete;

 private:
  int FSaved;
};

}  // namespace vxFileSystem::detail
