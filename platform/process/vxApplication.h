// The application's message processing while the library waits: the host
// application sets a hook (its event loop's "process pending events"), and
// the waiting operations call it between their short waits. Without a hook
// nothing is dispatched.
#pragma once

#include <functional>

namespace vxApplication {

using TMessageHook = std::function<void()>;

// Sets the hook for every thread; returns the previous one. An empty hook
// removes it.
TMessageHook SetMessageHook(TMessageHook Hook);

// Calls the hook once, when one is set.
void ProcessMessages();

}  // namespace vxApplication
