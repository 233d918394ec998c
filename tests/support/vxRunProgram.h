// Runs another program (a real peer such as unzip or zip) for a test: its
// output collected, its exit status returned, killed when it takes longer
// than the time-out.
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
  std::string Output;   // standard output and error, interleaved
};

inline TProgramResult RunProgram(std::vector<std::string> Args, std::chrono::seconds Timeout = std::chrono::seconds(60)) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, out[1], 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  std::vector<char*> argv;
  for (std::string& a : Args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    throw std::runtime_error("cannot start " + Args[0]);
  }
  TProgramResult result;
  const auto deadline = std::chrono::steady_clock::now() + Timeout;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      kill(pid, SIGKILL);
      break;
    }
    pollfd p{out[0], POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[4096];
    const ssize_t got = read(out[0], buffer, sizeof buffer);
    if (got <= 0) break;
    result.Output.append(buffer, static_cast<size_t>(got));
  }
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.ExitStatus = WEXITSTATUS(status);
  return result;
}

}  // namespace vxTest
