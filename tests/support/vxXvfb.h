// A virtual X server (Xvfb) for tests that need a display: started on a free
// display number of its own choosing, stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <string>

namespace vxTest {

class TXvfbServer {
 public:
  // Starts Xvfb with one 24-bit screen of Width x Height and waits (at most
  // ten seconds) until it takes connections. Running() tells whether it
  // does; Failure() says why not.
  TXvfbServer(int Width = 1024, int Height = 768);
  ~TXvfbServer();
  TXvfbServer(const TXvfbServer&) = delete;
  TXvfbServer& operator=(const TXvfbServer&) = delete;

  bool Running() const { return FPid > 0; }
  // The display name, such as ":5".
  const std::string& Display() const { return FDisplay; }
  const std::string& Failure() const { return FFailure; }

 private:
  pid_t FPid = -1;
  std::string FDisplay;
  std::string FFailure;
};

// An X display number that no server serves while the object lives: it
// holds the number's lock file (/tmp/.X<n>-lock, which every X server takes
// before it serves <n>), so none can start there meanwhile, and nothing
// answers on the number's sockets. For tests of what happens without a
// reachable display. Raises std::runtime_error when no number is free.
class TUnservedDisplay {
 public:
  TUnservedDisplay();
  ~TUnservedDisplay();
  TUnservedDisplay(const TUnservedDisplay&) = delete;
  TUnservedDisplay& operator=(const TUnservedDisplay&) = delete;

  // The display name, such as ":231".
  const std::string& Display() const { return FDisplay; }

 private:
  std::string FDisplay;
  std::string FLockFile;
};

// One server for the whole test process, started on first use, with
// DISPLAY pointing at it and Qt set to its X11 platform for the rest of the
// process (nullptr when it could not start; SharedXvfbFailure says why).
const TXvfbServer* SharedXvfb();
std::string SharedXvfbFailure();

}  // namespace vxTest
