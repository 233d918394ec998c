// What the export library hands the user-interface library for one showing
// of the configuration dialog, and the names of the two functions that
// library exports. Both libraries are built together from these headers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "plugin/vxExportState.h"

struct TvxConfigDialogCall {
  // In: the settings in use. Out, after OK: the values of the controls.
  TvxExportSettings Settings;
  // The test mail with the values on screen (server, port, sender address
  // and name, recipients, login, TLS, SASL); False with the engine's
  // failure text in Message.
  std::function<bool(const TvxExportSettings& Values, ustring& Message)> SendTestMail;
  // The toolkit platform to start on when the library makes the
  // application ("" leaves the choice to the toolkit).
  std::string Platform;
  // Why the dialog could not be shown (result -1).
  ustring Error;
};

// int32_t vxUiConfigure(TvxConfigDialogCall*) noexcept: shows the dialog
// modally on the calling thread; 0 OK (Settings filled from the controls),
// 1 closed otherwise, -1 failed (Error says why).
using TvxUiConfigure = int32_t (*)(TvxConfigDialogCall*) noexcept;
inline constexpr char vxUiConfigureName[] = "vxUiConfigure";
// void vxUiRelease() noexcept: ends what the library started (the styler,
// the application object when it made one); called before it is unloaded.
using TvxUiRelease = void (*)() noexcept;
inline constexpr char vxUiReleaseName[] = "vxUiRelease";
// The library's file name, looked for beside the export library.
inline constexpr char16_t vxUiLibraryName[] = u"libvxsmtpexport-ui.so";
