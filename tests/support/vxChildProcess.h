// Child processes for tests: one that runs some work and exits with its
// result, and one for tests of what processes see of each other (file
// locks) that takes something, reports whether it could, and keeps it until
// the test lets it go.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <stdexcept>

namespace vxTest {

// Runs Work in a child process, which exits with Work's result (2 when it
// raised). No test assertion may run in the child. The parent gets the
// child's id (-1 when fork failed).
template <class Work>
pid_t RunInChild(Work work) {
  const pid_t pid = fork();
  if (pid == 0) {
    int code = 2;
    try {
      code = work();
    } catch (...) {
    }
    _exit(code);
  }
  return pid;
}

// The child's exit code, or 128 + the signal that ended it; -1 when it
// cannot be waited for.
int WaitForChild(pid_t pid);

// What a child process gave back: its exit code and the text it returned.
struct TChildOutput {
  int ExitCode = -1;
  std::string Text;
};

// Runs Work (returning a std::string) in a child process and gives back its
// text, sent through a pipe, and the exit code (0, 2 when Work raised, 4
// when the text could not be sent).
template <class Work>
TChildOutput RunInChildForText(Work work) {
  int fds[2];
  if (pipe(fds) != 0) return {-1, "no pipe"};
  const pid_t pid = RunInChild([&] {
    close(fds[0]);
    const std::string result = work();
    return write(fds[1], result.data(), result.size()) == static_cast<ssize_t>(result.size()) ? 0 : 4;
  });
  close(fds[1]);
  TChildOutput output;
  char buffer[256];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) output.Text.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  output.ExitCode = WaitForChild(pid);
  return output;
}

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
