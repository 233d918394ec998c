// A folder of one call's own: made fresh with a unique name (mkdtemp) and
// mode 0700 below a parent folder, and removed with everything in it when
// the object goes. Links inside it are removed, never followed.
#pragma once

#include "platform/base/vxBase.h"

namespace vxFileSystem {

class TPrivateFolder {
 public:
  // A new folder Parent + Prefix + six random characters; EOSError when it
  // cannot be made (a missing Parent is made first).
  TPrivateFolder(const ustring& Parent, const ustring& Prefix);
  ~TPrivateFolder();
  TPrivateFolder(const TPrivateFolder&) = delete;
  TPrivateFolder& operator=(const TPrivateFolder&) = delete;

  // The folder, with a trailing "/".
  const ustring& Path() const { return FPath; }

 private:
  ustring FPath;
};

}  // namespace vxFileSystem
