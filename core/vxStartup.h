// The library's start-up routine: the units' start-up steps, run once in
// link order when the library loads, and their finalisations in reverse
// order at unload. A failing step (a self test, say) stops the start-up;
// its message is recorded, nothing is thrown out of the loader.
//
// The unload comes in two orders, and the finalisations must be right in
// both: a host that unloads the library (dlclose) runs them before the
// library's C++ static destructors; a host that simply ends (most do) runs
// them after every exit handler of the process, when the static objects of
// every module, this library's own included, are destroyed already. So
// what a finalisation touches lives in a TNeverDestroyed holder
// (platform/base/vxNeverDestroyed.h), and when ProcessEnding() is true it
// hands no work to other libraries (they may have ended already): the
// process is going, and what it holds goes with it.
#pragma once

#include <span>

#include "platform/base/vxBase.h"

namespace vxStartup {

struct TStartupStep {
  const char* Unit;
  void (*Initialize)();  // raises an Exception on failure
  void (*Finalize)();    // may be null
};

// The core library's steps, in link order.
std::span<const TStartupStep> CoreSteps();

// Runs the steps in order until one fails; returns whether all ran. Runs
// them only on its first call; later calls return the first outcome.
bool Run(std::span<const TStartupStep> steps);
// Finalises the steps that started, in reverse order.
void Shutdown();
// At the end of an unload, after Shutdown: the record of the start-up
// (its outcome too) is forgotten and its memory given back, so that an
// unloaded library leaves nothing allocated.
void Release();

bool Failed();
// The message of the failed step, empty while nothing failed.
ustring FailureMessage();

// True once the process has begun to end (its exit handlers ran: exit() or
// a return from main) while this library is loaded; false during an unload
// by dlclose. Known from the first Run on.
bool ProcessEnding();

}  // namespace vxStartup
