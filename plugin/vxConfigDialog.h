// Command 800 on the export library's side: the user-interface library
// loaded beside this one on first use (only where a display is at hand),
// the dialog shown through it, the configuration string rebuilt on OK, and
// the test mail the dialog sends through the mail engine.
#pragma once

#include <cstdint>

#include "plugin/vxExportState.h"

namespace vxConfigDialog {

// Shows the dialog with State's settings. 0: OK, ConfigString rebuilt from
// the controls; 1: closed otherwise, nothing changed. Raises an Exception
// with a clear text when no display is usable or the dialog cannot be
// shown.
int32_t Configure(TvxExportState& State);

// The dialog's test mail: a mail engine set from Values (server, port,
// sender address and name, login, TLS, SASL) sends to Values.RECIPIENT the
// subject "[TEST] " + this library's description with an empty body.
// False with the engine's text in Message.
bool SendTestMail(const TvxExportSettings& Values, ustring& Message);

// At unload: the user-interface library's release, then it is unloaded.
// Not when the process is ending (vxStartup::ProcessEnding): the toolkit
// has ended its own part already, and the library stays as it is.
void Release() noexcept;

}  // namespace vxConfigDialog
