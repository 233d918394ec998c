// The library's start-up routine: the units' start-up steps, run once in link
// order when the library loads.
#include "core/vxStartup.h"
#include "core/internal/vxStartupReset.h"

#include <atomic>
#include <cstdlib>
#include <exception>
#include <vector>

#include "core/vxMD5.h"
#include "core/vxMath.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxNeverDestroyed.h"

namespace vxStartup {
namespace {

struct State {
  bool ran = false;
  bool failed = false;
  ustring message;
  std::vector<TStartupStep> started;
};

// Never destroyed: Shutdown may run after the static destructors.
TNeverDestroyed<State>& Holder() {
  static TNeverDestroyed<State> holder;
  return holder;
}

State& TheState() { return Holder().Get(); }

// Set by an exit handler of this module. An exit handler registered from a
// shared library runs when the process ends (before the loaded modules'
// finalisers) or, when the library is unloaded, after its finaliser: so
// the finaliser sees it set only when the process is ending.
std::atomic<bool> Ending{false};

void NoteProcessEnding() { Ending = true; }

void WatchForProcessEnd() {
  static std::atomic<bool> watching{false};
  if (!watching.exchange(true)) std::atexit(NoteProcessEnding);
}

}  // namespace

// The core units that have start-up work, in link order. Each unit adds its
// step here, as a {unit name, initialise, finalise} entry of one array.
std::span<const TStartupStep> CoreSteps() {
  static constexpr TStartupStep steps[] = {
      {"vxMath", TvxMath::Initialize, nullptr},
      {"vxMD5", vxMD5::Initialize, nullptr},
  };
  return steps;
}

bool Run(std::span<const TStartupStep> steps) {
  WatchForProcessEnd();
  State& s = TheState();
  if (s.ran) return !s.failed;
  s.ran = true;
  for (const TStartupStep& step : steps) {
    try {
      step.Initialize();
      s.started.push_back(step);
    } catch (const Exception& e) {
      s.failed = true;
      s.message = e.Message();
    } catch (const std::exception& e) {
      s.failed = true;
      s.message = Utf8ToWide(e.what());
    } catch (...) {
      s.failed = true;
      s.message = u"unknown failure in the start-up of unit " + Utf8ToWide(step.Unit);
    }
    if (s.failed) break;
  }
  return !s.failed;
}

void Shutdown() {
  State& s = TheState();
  for (auto it = s.started.rbegin(); it != s.started.rend(); ++it) {
    if (!it->Finalize) continue;
    try {
      it->Finalize();
    } catch (...) {
      // Unloading goes on whatever one unit's finalisation does.
    }
  }
  s.started.clear();
}

void Release() { Holder().Reset(); }

bool Failed() { return TheState().failed; }

ustring FailureMessage() { return TheState().message; }

bool ProcessEnding() { return Ending; }

void ResetForTests() { Holder().Reset(); }

}  // namespace vxStartup
