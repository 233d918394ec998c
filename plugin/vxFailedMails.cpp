// The failed-mails folder: its place in the host environment and the move
// of a kept mail into it.
#include "plugin/vxFailedMails.h"

#include <cerrno>

#include "core/vxFiles.h"
#include "core/vxTypes.h"
#include "foundation/vxVarlo.h"
#include "platform/files/vxFileSystem.h"
#include "platform/files/vxPrivateFolder.h"

namespace vxFailedMails {

ustring Folder() { return TvxVarlo::GetPluginsWorkPath(vxOSP_Unknown, u"", 0) + u"failed-mails/"; }

ustring Keep(const ustring& Mail) {
  try {
    const ustring folder = Folder();
    if (!vxFileSystem::ForcePrivateDirectory(folder)) return {};
    const ustring wanted = folder + vxFileSystem::ExtractFileName(Mail);
    // Never over a file: a name taken meanwhile makes the next one be tried.
    for (int attempt = 0; attempt < 100; ++attempt) {
      const ustring target = TvxFiles::GetFreeFileName(wanted, 99999999, u"-", false, false);
      if (vxFileSystem::MoveFile(Mail, target)) return target;
      if (errno != EEXIST) return {};
    }
  } catch (...) {
    // No folder for it (an unknown processor type, no memory): not kept.
  }
  return {};
}

}  // namespace vxFailedMails
