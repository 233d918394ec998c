// The screen and the application's windows: a JPEG of the screen or of the
// active window, the active window's title, raising the application.
#pragma once

#include <string>

#include "platform/base/vxBase.h"

namespace vxScreen {

// The JPEG bytes (24 bits per pixel, Quality clamped to 1..100) of the
// application's active window, frame included, when ActiveWindow is set and
// there is one; else of the whole primary screen. False with the reason
// when there is no display or nothing could be grabbed or encoded.
bool GrabJpeg(bool ActiveWindow, int Quality, std::string& Jpeg, std::string& Reason);

// The title of the application's active window; empty when there is none
// or no display.
ustring ActiveWindowTitle();

// Raises the application's active window (else its first visible top-level
// window) and asks for it to be activated. Nothing happens without a
// display or a window.
void RaiseApplication();

}  // namespace vxScreen
