// The command protocol of the export library: one call per command code,
// on the caller's thread, inside a guard that lets no exception out.
#pragma once

#include <cstdint>
#include <span>

#include "core/vxStartup.h"

#include "platform/base/vxBase.h"

// The command codes the host and the library share.
enum : int32_t {
  cmdInit = 100,
  cmdGetVersion = 105,
  cmdSetConfig = 110,
  cmdGetTempPath = 120,
  cmdSetRecipient = 130,
  cmdNewDocument = 200,
  cmdSetText = 300,
  cmdAddField = 400,
  cmdAddFile = 500,
  cmdExport = 600,
  cmdConfigure = 800,
  cmdGetConfig = 850,
  cmdDone = 900,
};

namespace vxExportCommands {

// Runs one command: 0 done, -1 failed (the failure text in Buffer), 1 the
// dialog was cancelled. Text is read up to its first NUL (a null pointer
// reads as empty) and, for the commands that answer in it, overwritten with
// the answer and a NUL. Never throws.
int32_t Execute(int32_t Command, char16_t* Text, int32_t Value, char16_t* Buffer) noexcept;

// The start-up of the library at load, in order: the units' steps. A failed
// step is recorded; every command then fails with its message. ExtraSteps
// run after the units' own (the tests inject a failing one there).
void Startup(std::span<const vxStartup::TStartupStep> ExtraSteps = {}) noexcept;
// The unload: the units' finalisations in reverse order, then the module's
// texts emptied. Right in both orders of the unload (vxStartup.h): by
// dlclose, or at the end of a process that never unloaded the library.
void Shutdown() noexcept;

}  // namespace vxExportCommands
