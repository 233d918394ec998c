// A second X client for the clipboard tests: asks the clipboard's owner for
// its content in one format, as another program on the desktop would. The
// owner's replies come from its event loop, which the caller keeps running.
#pragma once

#include <optional>
#include <string>

namespace vxTest {

// Connects to $DISPLAY, asks for the CLIPBOARD selection as Target and
// gives back the bytes; nullopt when the owner refuses or does not answer
// within five seconds. Keeps the Qt event loop of the calling thread going
// while it waits.
std::optional<std::string> ReadClipboardAs(const std::string& Target);

}  // namespace vxTest
