// Folders of this user's own: a fresh one for one piece of work (two pieces
// of work running at once, in two processes or two copies of a library,
// never share one), and a lasting one made on demand and closed to others.
#pragma once

#include "platform/base/vxBase.h"

namespace vxFileSystem {

// A fresh folder for one piece of work: a name nobody else has (mkdtemp),
// mode 0700, removed with everything in it when the object goes.
class TPrivateFolder {
 public:
  TPrivateFolder() = default;
  // Makes Parent + Prefix + six random characters (Parent must exist).
  // Valid() tells whether that worked, errno why not.
  TPrivateFolder(const ustring& Parent, const ustring& Prefix);
  TPrivateFolder(TPrivateFolder&& Other) noexcept;
  TPrivateFolder& operator=(TPrivateFolder&& Other) noexcept;
  TPrivateFolder(const TPrivateFolder&) = delete;
  TPrivateFolder& operator=(const TPrivateFolder&) = delete;
  ~TPrivateFolder();

  bool Valid() const { return !FPath.empty(); }
  // The folder with a trailing delimiter; empty when there is none.
  const ustring& Path() const { return FPath; }
  // Removes the folder and what it holds now (symbolic links inside are
  // removed, never followed); False when something stayed.
  bool Remove() noexcept;

 private:
  ustring FPath;
};

// Makes the folder Path (and every missing folder above it) when it is
// missing, and makes sure it is this user's own and closed to others: a
// folder, not a symbolic link, owned by the effective user, mode 0700
// (wider permission bits are narrowed). False (errno) when it is not.
bool ForcePrivateDirectory(const ustring& Path);

}  // namespace vxFileSystem
