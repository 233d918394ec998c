// The application's message hook, shared by every thread.
#include "platform/process/vxApplication.h"

#include <mutex>

namespace vxApplication {
namespace {

std::mutex& HookLock() {
  static std::mutex lock;
  return lock;
}

TMessageHook& Hook() {
  static TMessageHook hook;
  return hook;
}

}  // namespace

TMessageHook SetMessageHook(TMessageHook NewHook) {
  std::lock_guard guard(HookLock());
  TMessageHook previous = std::move(Hook());
  Hook() = std::move(NewHook);
  return previous;
}

void ProcessMessages() {
  TMessageHook hook;
  {
    std::lock_guard guard(HookLock());
    hook = Hook();
  }
  // Called outside the lock: the hook may set another hook.
  if (hook) hook();
}

}  // namespace vxApplication
