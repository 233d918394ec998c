// The store's clock: the system's tick count, and the pauses of the connection
// check and of the watchdog.
#include "configstore/internal/vxConfigManagerTiming.h"

#include "core/vxToolsSystem.h"

TConfigManagerTiming& ConfigManagerTiming() {
  static TConfigManagerTiming timing = [] {
    TConfigManagerTiming made;
    made.Ticks = [] { return TvxTools::GetTickCount(); };
    return made;
  }();
  return timing;
}
