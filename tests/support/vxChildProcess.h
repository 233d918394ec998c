// A second process for tests of what processes see of each other (file
// locks): the child takes something, reports whether it could, and keeps it
// until the test lets it go.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <stdexcept>

namespace vxTest {

class TChildHolding {
 public:
  // Runs Take in a child process; the child keeps whatever Take holds (the
  // objects it captures by reference live on in the child) until Release.
  explicit TChildHolding(const std::function<bool()>& Take) {
    int report[2], release[2];
    if (pipe(report) != 0 || pipe(release) != 0) throw std::runtime_error("pipe failed");
    FPid = fork();
    if (FPid < 0) throw std::runtime_error("fork failed");
    if (FPid == 0) {
      close(report[0]);
      close(release[1]);
      const char ok = Take() ? '1' : '0';
      if (write(report[1], &ok, 1) != 1) _exit(2);
      char ignored;
      while (read(release[0], &ignored, 1) > 0) {
      }
      _exit(0);  // no destructors of the parent's objects in the child
    }
    close(report[1]);
    close(release[0]);
    FReport = report[0];
    FRelease = release[1];
  }
  ~TChildHolding() { Release(); }
  TChildHolding(const TChildHolding&) = delete;
  TChildHolding& operator=(const TChildHolding&) = delete;

  // Waits for the child's report: whether Take succeeded.
  bool Taken() {
    char ok = '0';
    if (read(FReport, &ok, 1) != 1) return false;
    return ok == '1';
  }

  // Lets the child end (releasing what it holds) and waits for it.
  void Release() {
    if (FPid <= 0) return;
    close(FRelease);
    close(FReport);
    int status = 0;
    waitpid(FPid, &status, 0);
    FPid = -1;
  }

 private:
  pid_t FPid = -1;
  int FReport = -1;
  int FRelease = -1;
};

}  // namespace vxTest
