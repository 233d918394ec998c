// The export of one document (command 600): the fields resolved into the
// settings, the ".eml" relay, the field list in front of the body, one mail
// through the mail engine, and the document's files deleted afterwards:
// when the mail went out, or when it failed but was kept in the
// failed-mails folder (vxFailedMails.h). A failed relay, or a failed mail
// that could not be kept, deletes nothing.
#pragma once

#include <cstdint>

#include "plugin/vxExportState.h"

namespace vxExportDocument {

// Exports the current document of State (its lists must exist): 0, or -1
// with the failure text in FailureText. Raises nothing of its own; the
// caller's guard still stands around it.
int32_t Export(TvxExportState& State, ustring& FailureText);

}  // namespace vxExportDocument
