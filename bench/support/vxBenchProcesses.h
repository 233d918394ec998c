// Processes the mail benchmarks work with: the SMTP sink (vx_smtp_sink, a
// process of its own), a worker program fed one request line at a time,
// and the figures a process keeps of its own memory.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace vxBench {

// A child process whose standard input is a pipe from us; closing it ends
// the children written for that (the sink, the workers). Standard output is
// a pipe as well when asked for.
class TChild {
 public:
  explicit TChild(std::vector<std::string> args, bool readOutput = false) {
    int in[2], out[2] = {-1, -1};
    if (::pipe2(in, O_CLOEXEC) != 0 || (readOutput && ::pipe2(out, O_CLOEXEC) != 0))
      throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    if (readOutput) posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&FPid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    if (readOutput) ::close(out[1]);
    FIn = in[1];
    FOut = out[0];
    if (spawned != 0) {
      Close();
      throw std::runtime_error("cannot start " + args[0]);
    }
  }
  ~TChild() { Close(); }
  TChild(const TChild&) = delete;
  TChild& operator=(const TChild&) = delete;

  void WriteLine(const std::string& line) {
    const std::string text = line + "\n";
    if (::write(FIn, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
      throw std::runtime_error("the worker is gone");
  }
  std::string ReadLine() {
    std::string line;
    char c;
    while (::read(FOut, &c, 1) == 1) {
      if (c == '\n') return line;
      line.push_back(c);
    }
    throw std::runtime_error("the worker ended: " + line);
  }

 private:
  void Close() {
    if (FIn >= 0) ::close(FIn);
    if (FOut >= 0) ::close(FOut);
    FIn = FOut = -1;
    if (FPid > 0) {
      // Given a moment to end on its own, then ended.
      for (int i = 0; i < 100 && ::waitpid(FPid, nullptr, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (::kill(FPid, 0) == 0) {
        ::kill(FPid, SIGKILL);
        ::waitpid(FPid, nullptr, 0);
      }
    }
    FPid = -1;
  }

  pid_t FPid = -1;
  int FIn = -1, FOut = -1;
};

// The SMTP sink of bench/support/vxSmtpSink.cpp on a free port. With a save
// folder it keeps each message's data there (NNNN.data) instead of throwing
// it away.
class TSinkProcess {
 public:
  TSinkProcess(const std::filesystem::path& folder, const std::string& saveFolder = std::string())
      : FPortFile(folder / ("sink-port-" + std::to_string(++Started()))),
        FChild(saveFolder.empty() ? std::vector<std::string>{VX_SMTP_SINK, "--port-file", FPortFile.string()}
                                  : std::vector<std::string>{VX_SMTP_SINK, "--port-file", FPortFile.string(),
                                                             "--save", saveFolder}) {
    for (int i = 0; i < 500 && FPort == 0; ++i) {
      std::ifstream in(FPortFile);
      if (!(in >> FPort)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (FPort == 0) throw std::runtime_error("the sink did not start");
  }
  uint16_t Port() const { return FPort; }

 private:
  static int& Started() {
    static int count = 0;
    return count;
  }
  std::filesystem::path FPortFile;
  TChild FChild;
  uint16_t FPort = 0;
};

// This process's memory as the kernel counts it: resident now, and the
// high-water mark, which ResetPeak sets back to what is resident now.
inline size_t StatusKiB(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string name;
  size_t value = 0;
  while (in >> name) {
    if (name == field) {
      in >> value;
      return value;
    }
    std::getline(in, name);
  }
  return 0;
}
inline size_t ResidentKiB() { return StatusKiB("VmRSS:"); }
inline size_t PeakKiB() { return StatusKiB("VmHWM:"); }
inline void ResetPeak() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
}

}  // namespace vxBench
