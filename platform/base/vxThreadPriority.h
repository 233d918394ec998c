// The priority levels of a worker thread, in the order the system stores
// them (ordinals 0 .. 6).
#pragma once

#include <cstdint>

enum TThreadPriority : uint8_t {
  tpIdle,
  tpLowest,
  tpLower,
  tpNormal,
  tpHigher,
  tpHighest,
  tpTimeCritical,
};
