// Runs another program (a real peer such as unzip or zip, or one of ours)
// for a test: its output collected, its exit status returned, killed when it
// takes longer than the time-out.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace vxTest {

struct TProgramResult {
  int ExitStatus = -1;  // -1: killed or did not end normally
  std::string Output;   // standard output and error, interleaved (or only output, see below)
  std::string Errors;   // standard error, when asked for apart
};

// Runs Args[0] with Args. With SeparateErrors, standard error is collected
// in Errors and Output holds standard output alone.
inline TProgramResult RunProgram(std::vector<std::string> Args, std::chrono::seconds Timeout = std::chrono::seconds(60),
                                 bool SeparateErrors = false) {
  int out[2], err[2] = {-1, -1};
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  if (SeparateErrors && pipe2(err, O_CLOEXEC) != 0) {
    close(out[0]);
    close(out[1]);
    throw std::runtime_error("pipe failed");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, SeparateErrors ? err[1] : out[1], 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  std::vector<char*> argv;
  for (std::string& a : Args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (SeparateErrors) close(err[1]);
  if (spawned != 0) {
    close(out[0]);
    if (SeparateErrors) close(err[0]);
    throw std::runtime_error("cannot start " + Args[0]);
  }
  TProgramResult result;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};  // a negative fd is passed over
  std::string* targets[2] = {&result.Output, &result.Errors};
  const auto deadline = std::chrono::steady_clock::now() + Timeout;
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      kill(pid, SIGKILL);
      break;
    }
    if (poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
      } else {
        targets[i]->append(buffer, static_cast<size_t>(got));
      }
    }
  }
  for (const pollfd& p : fds)
    if (p.fd >= 0) close(p.fd);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.ExitStatus = WEXITSTATUS(status);
  return result;
}

}  // namespace vxTest
