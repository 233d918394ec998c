// The Qt application the desktop operations run in: the caller's own when
// it has one, else one made on first use and kept for the process's life.
// Qt headers stay inside desktop/platform/.
#pragma once

#include <string>

namespace vxGuiApplication {

// Makes sure a widgets application exists and that the calling thread is
// its thread. False with the reason when there is no usable display (no
// application is then made, so Qt cannot abort the process), when the
// caller's application has no widgets, or on another thread.
bool Acquire(std::string& Reason);

// Whether a display for the platform Qt would choose can be reached.
bool DisplayUsable(std::string& Reason);

}  // namespace vxGuiApplication
