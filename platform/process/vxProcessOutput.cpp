// Running a program for its standard output: a pipe, a bounded poll loop and
// a bounded wait for the program's end.
#include "platform/process/vxProcessOutput.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/base/vxFileDescriptor.h"

namespace vxProcess {
namespace {

using TClock = std::chrono::steady_clock;

int RemainingMs(TClock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

bool RunAndRead(const TStartInfo& Info, int TimeoutMs, uint32_t& ExitCode, std::string& Output) {
  ExitCode = 0;
  Output.clear();
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  TFileDescriptor reader(ends[0]);
  TFileDescriptor writer(ends[1]);

  TStartInfo info = Info;
  info.StandardOutput = writer.Get();
  int error = 0;
  TChildProcess child = TChildProcess::Start(info, error);
  writer.Reset();  // only the child writes now, so its end closes the pipe
  if (!child.Valid()) return false;

  const auto deadline = TClock::now() + std::chrono::milliseconds(TimeoutMs > 0 ? TimeoutMs : 0);
  bool open = true;
  while (open) {
    const int left = RemainingMs(deadline);
    if (left == 0) break;
    pollfd entry{reader.Get(), POLLIN, 0};
    const int ready = poll(&entry, 1, left);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char piece[4096];
    const ssize_t n = read(reader.Get(), piece, sizeof piece);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      open = false;
      break;
    }
    const size_t room = kMaxCollectedOutput - Output.size();
    Output.append(piece, static_cast<size_t>(n) < room ? static_cast<size_t>(n) : room);
  }

  uint32_t code = 0;
  for (;;) {
    const auto state = child.Wait(open ? 0 : RemainingMs(deadline), code);
    if (state == TChildProcess::wrEnded) {
      ExitCode = code;
      return !open;
    }
    if (state == TChildProcess::wrFailed) return false;
    if (open || RemainingMs(deadline) == 0) break;
  }
  // Out of time: the program is ended and reaped (SIGKILL cannot be refused).
  child.Kill();
  while (child.Wait(50, code) == TChildProcess::wrTimeout) {
  }
  return false;
}

}  // namespace vxProcess
