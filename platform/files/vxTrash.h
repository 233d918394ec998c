// The recycle bin: the freedesktop.org trash of the current user, in
// $XDG_DATA_HOME/Trash (~/.local/share/Trash).
#pragma once

#include "platform/base/vxBase.h"

namespace vxFileSystem {

// Moves a file or folder into the trash without asking: its content goes to
// Trash/files/ and a Trash/info/<name>.trashinfo file records where it came
// from and when, so that a file manager can put it back. A name already in
// the trash gets ".2", ".3", ... appended. False (nothing changed) when Path
// names nothing or the move fails; a file on another file system is copied
// there and then removed, a folder there cannot be moved (EXDEV).
bool MoveToTrash(const ustring& Path);

}  // namespace vxFileSystem
