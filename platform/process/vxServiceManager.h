// The system's service manager (systemd): the command lines that ask for a
// service's state and start or stop it, and the state codes of the original
// platform made from what systemd reports.
//
// States: systemd's ActiveState "active" and "reloading" (the service runs)
// give 4 (running), "activating" 2 (start pending), "deactivating" 3 (stop
// pending), "inactive" and "failed" 1 (stopped); a unit systemd does not
// know (LoadState "not-found") and any other answer give 0, the failed
// query. The original platform's pause states have no counterpart here.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/base/vxBase.h"

namespace vxServiceManager {

// The service manager's command-line program (found on PATH).
inline constexpr char16_t kProgram[] = u"systemctl";

// The original platform's state codes that systemd's states map to.
inline constexpr uint32_t SERVICE_STOPPED = 1;
inline constexpr uint32_t SERVICE_START_PENDING = 2;
inline constexpr uint32_t SERVICE_STOP_PENDING = 3;
inline constexpr uint32_t SERVICE_RUNNING = 4;

// A unit name systemd accepts: 1 to 255 characters, each an ASCII letter or
// digit or one of ":-_.\@". Anything else is refused before a command is
// built, so no name can add arguments or options to a command.
bool ValidUnitName(std::u16string_view Service);

// The parameters (after kProgram) that print the unit's LoadState and
// ActiveState as "NAME=VALUE" lines; Service must be a valid unit name.
ustring QueryParams(const ustring& Service);
// The parameters that start or stop the unit and wait for the job's end,
// never asking for a password (the command has no one to ask).
ustring StartParams(const ustring& Service);
ustring StopParams(const ustring& Service);

// The state code of the query's output (0 for output that names no known
// state, or a unit that is not found).
uint32_t StateFromQueryOutput(std::string_view Output);

}  // namespace vxServiceManager
