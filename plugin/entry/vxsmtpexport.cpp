// The export library's entry: the one exported function, vxWideExport, and
// the routines that run when the library is loaded and unloaded.
#include <cstdint>

#include "platform/base/vxExceptions.h"
#include "plugin/vxExportCommands.h"

extern "C" __attribute__((visibility("default"))) int32_t vxWideExport(int32_t Command, char16_t* Text,
                                                                        int32_t Value, char16_t* Buffer) {
  return vxExportCommands::Execute(Command, Text, Value, Buffer);
}

namespace {

#ifdef VX_INJECT_STARTUP_FAILURE
// A twin of the library for the tests: one more unit whose start-up fails.
void FailingStartup() { throw Exception("injected start-up failure"); }
const vxStartup::TStartupStep InjectedSteps[] = {{"vxInjected", FailingStartup, nullptr}};
#else
const std::span<const vxStartup::TStartupStep> InjectedSteps;
#endif

// An ELF constructor cannot make dlopen fail: a failed step is recorded and
// every command reports it.
__attribute__((constructor)) void LoadLibrary() { vxExportCommands::Startup(InjectedSteps); }

__attribute__((destructor)) void UnloadLibrary() { vxExportCommands::Shutdown(); }

}  // namespace
