// Test support for the registry: every test gets a fresh registry folder,
// named by VARLO_REGISTRY while the test runs, and helpers to look at its files
// and to run work in child processes.
#pragma once

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base/vxCodePage.h"

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("VARLO_REGISTRY");
    FHadOld = old != nullptr;
    if (FHadOld) FOld = old;
    UseFolder(NewFolder());
  }

  void TearDown() override {
    if (FHadOld) {
      setenv("VARLO_REGISTRY", FOld.c_str(), 1);
    } else {
      unsetenv("VARLO_REGISTRY");
    }
    std::error_code ignored;
    for (const std::string& folder : FFolders) std::filesystem::remove_all(folder, ignored);
  }

  std::string NewFolder() {
    std::string name = (std::filesystem::temp_directory_path() / "vxregistryXXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    FFolders.push_back(name);
    return name;
  }

  void UseFolder(const std::string& folder) {
    Folder = folder;
    setenv("VARLO_REGISTRY", Folder.c_str(), 1);
  }

  // Continues in a copy of the registry folder, so the next reads parse the
  // files afresh instead of using what this process already holds.
  void UseCopy() {
    const std::string copy = NewFolder();
    std::filesystem::copy(Folder, copy, std::filesystem::copy_options::recursive);
    UseFolder(copy);
  }

  std::string FileOf(const std::string& rootName) const { return Folder + "/" + rootName + ".reg"; }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  static void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
  }

  std::string Folder;

 private:
  std::vector<std::string> FFolders;
  bool FHadOld = false;
  std::string FOld;
};

// Runs Work in a child process, which exits with Work's result (2 when it
// raised). No test assertion may run in the child.
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

// The child's exit code, or 128 + the signal that ended it.
inline int WaitForChild(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

inline ustring Num(long long n) {
  const std::string text = std::to_string(n);
  return ustring(text.begin(), text.end());
}

// Prefix followed by the number N.
inline ustring Label(ustring prefix, long long n) {
  prefix += Num(n);
  return prefix;
}

// Runs Checks in a child process that gives up root rights first (root may
// read and write anything); returns the text Checks gave.
template <class Checks>
std::string RunUnprivileged(Checks checks) {
  int fds[2];
  if (pipe(fds) != 0) return "no pipe";
  const pid_t pid = RunInChild([&] {
    close(fds[0]);
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) return 3;
    const std::string result = checks();
    return write(fds[1], result.data(), result.size()) == static_cast<ssize_t>(result.size()) ? 0 : 4;
  });
  close(fds[1]);
  std::string output;
  char buffer[256];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  EXPECT_EQ(WaitForChild(pid), 0);
  return output;
}

inline std::string Flag(bool value) { return value ? "1" : "0"; }
