// The priority levels of a worker thread, in the order the system stores
// them (ordinals 0 .. 6), and setting the calling thread's level.
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

namespace vxThreadPriority {

// Sets the calling thread's scheduling priority relative to its present one
// (a new thread starts with its creator's): tpNormal keeps the nice value,
// tpLower and tpLowest add 1 and 2, tpIdle takes the largest; the higher
// levels subtract, which needs a privilege the process may lack. False when
// the system refused.
bool SetCurrentThreadPriority(TThreadPriority Priority);

}  // namespace vxThreadPriority
