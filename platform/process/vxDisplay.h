// Whether a window system is at hand for a user interface: the variables
// that name one (QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY) and whether the
// display they name answers, so that a toolkit is never started where it
// would end the process for want of a display.
#pragma once

#include "platform/base/vxBase.h"

struct TDisplayCheck {
  bool Usable = false;
  // The toolkit's platform to ask for: empty when the toolkit's own choice
  // (QT_QPA_PLATFORM) stands, "xcb" for an X display, "wayland" for a
  // Wayland compositor.
  std::string Platform;
  // Why no display is usable (empty when one is).
  ustring Reason;
};

namespace vxDisplay {

// Looks at the environment and, for an X or Wayland display, tries to
// reach it (a local socket, or TCP for an X display on another host, with
// a time-out of two seconds). Never raises.
TDisplayCheck CheckDisplay();

}  // namespace vxDisplay
