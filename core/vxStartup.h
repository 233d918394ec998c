// The library's start-up routine: the units' start-up steps, run once in
// link order when the library loads, and their finalisations in reverse
// order at unload. A failing step (a self test, say) stops the start-up;
// its message is recorded, nothing is thrown out of the loader.
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

bool Failed();
// The message of the failed step, empty while nothing failed.
ustring FailureMessage();

}  // namespace vxStartup
