// A peer of the tests that is a script of scripts/ run with /usr/bin/python3:
// started in a fresh folder of its own, it writes the port it listens on
// into "FOLDER/port"; the destructor stops it and removes the folder.
// Header-only so that bench/ can use it.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace vxTest {

class TPeerScript {
 public:
  // Runs scripts/Script with Args followed by "--port-file FOLDER/port";
  // "{folder}" in an argument is replaced by the folder. Waits (up to a
  // minute) until the port is written; raises std::runtime_error with the
  // script's output when it ends before.
  TPeerScript(const std::string& Script, std::vector<std::string> Args) {
    char pattern[] = "/tmp/vx-peer-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a folder for " + Script);
    FFolder = pattern;
    const std::filesystem::path portFile = FFolder / "port";
    std::vector<std::string> args = {"/usr/bin/python3", ScriptPath(Script)};
    for (std::string& a : Args) {
      for (size_t at; (at = a.find("{folder}")) != std::string::npos;) a.replace(at, 8, FFolder.string());
      args.push_back(std::move(a));
    }
    args.insert(args.end(), {"--port-file", portFile.string()});

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = (FFolder / "peer.log").string();
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&FPid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
      std::filesystem::remove_all(FFolder);
      throw std::runtime_error("cannot start /usr/bin/python3 for " + Script);
    }
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(portFile)) {
      int status = 0;
      if (::waitpid(FPid, &status, WNOHANG) == FPid) {
        FPid = -1;
        const std::string text = ReadFile(log);
        std::filesystem::remove_all(FFolder);
        throw std::runtime_error(Script + " did not start: " + text);
      }
      if (std::chrono::steady_clock::now() > giveUp) {
        Stop();
        throw std::runtime_error(Script + " did not start listening");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    FPort = static_cast<uint16_t>(std::stoi(ReadFile(portFile)));
  }

  ~TPeerScript() { Stop(); }
  TPeerScript(const TPeerScript&) = delete;
  TPeerScript& operator=(const TPeerScript&) = delete;

  uint16_t Port() const { return FPort; }
  const std::filesystem::path& Folder() const { return FFolder; }

  static std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // scripts/Name of the source tree (VX_SOURCE_DIR, or the build's default).
  static std::string ScriptPath(const std::string& Name) {
    if (const char* source = std::getenv("VX_SOURCE_DIR")) return std::string(source) + "/scripts/" + Name;
#ifdef VX_SOURCE_DIR_DEFAULT
    return std::string(VX_SOURCE_DIR_DEFAULT) + "/scripts/" + Name;
#else
    throw std::runtime_error("VX_SOURCE_DIR is not set");
#endif
  }

 private:
  void Stop() noexcept {
    if (FPid > 0) {
      ::kill(FPid, SIGTERM);
      int status = 0;
      ::waitpid(FPid, &status, 0);
      FPid = -1;
    }
    std::error_code ignored;
    if (!FFolder.empty()) std::filesystem::remove_all(FFolder, ignored);
  }

  pid_t FPid = -1;
  uint16_t FPort = 0;
  std::filesystem::path FFolder;
};

}  // namespace vxTest
