// Running a program for what it writes: its standard output is collected
// through a pipe while the program runs, and the wait is bounded.
#pragma once

#include <cstdint>
#include <string>

#include "platform/process/vxProcess.h"

namespace vxProcess {

// The most bytes of output RunAndRead keeps; the rest is read and dropped,
// so the program never blocks on a full pipe.
inline constexpr size_t kMaxCollectedOutput = 1u << 20;

// Starts Info's program (its StandardOutput is replaced by the pipe) and
// collects its standard output until it ends, waiting at most TimeoutMs in
// all. True when the program ran and ended by itself, ExitCode then holding
// its exit code; False when it could not be started or did not end in time
// (it is killed then). Output holds what was read either way.
bool RunAndRead(const TStartInfo& Info, int TimeoutMs, uint32_t& ExitCode, std::string& Output);

}  // namespace vxProcess
