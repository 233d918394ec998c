// The store's clock: the kernel's coarse tick count (read on every cache
// lookup, so it must cost next to nothing), and the pauses of the connection
// check and of the watchdog.
#include "configstore/internal/vxConfigManagerTiming.h"

#include "platform/base/vxSystemInfo.h"

TConfigManagerTiming& ConfigManagerTiming() {
  static TConfigManagerTiming timing = [] {
    TConfigManagerTiming made;
    made.Ticks = [] { return vxSystemInfo::GetCoarseTickCount(); };
    return made;
  }();
  return timing;
}
