// The failed-mails folder of the export library: where the composed mail of
// an export that could not be delivered is kept as an ".eml" file, so that
// the document is not lost and can be sent again with the relay (SENDEMLS).
//
// The folder is "failed-mails/" in the plug-in's work folder of the host
// environment (TvxVarlo::GetPluginsWorkPath for this library, instance 0):
// $XDG_DATA_HOME/varlo/plugins/work/<library name>-000~~~/<platform>/failed-mails/,
// made on first use, owned by the user and closed to others (mode 0700).
#pragma once

#include "platform/base/vxBase.h"

namespace vxFailedMails {

// The folder, with its trailing delimiter (not made here).
ustring Folder();

// Moves the mail file Mail into the folder (made and closed to others
// first) under its own name, or a numbered one when that is taken. The
// path it was kept as; empty when it could not be kept (Mail stays then).
ustring Keep(const ustring& Mail);

}  // namespace vxFailedMails
