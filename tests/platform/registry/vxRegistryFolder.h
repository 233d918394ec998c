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
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "platform/registry/vxRegStore.h"
#include "support/vxChildProcess.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { UseFolder(NewFolder()); }

  void TearDown() override {
    FRegistryFolder.reset();  // VARLO_REGISTRY as it was
    FFolders.clear();
  }

  std::string NewFolder() {
    FFolders.push_back(std::make_unique<TTestTempDir>("vxregistry"));
    return FFolders.back()->Path().string();
  }

  void UseFolder(const std::string& folder) {
    Folder = folder;
    FRegistryFolder.reset();
    FRegistryFolder.emplace("VARLO_REGISTRY", Folder);
  }

  // Continues in a copy of the registry folder, so the next reads parse the
  // files afresh instead of using what this process already holds.
  void UseCopy() {
    const std::string copy = NewFolder();
    std::filesystem::copy(Folder, copy, std::filesystem::copy_options::recursive);
    UseFolder(copy);
  }

  std::string FileOf(const std::string& rootName) const { return Folder + "/" + rootName + ".reg"; }

  static std::string ReadFile(const std::string& path) { return TTestTempDir::ReadBytes(path); }
  static void WriteFile(const std::string& path, const std::string& text) { TTestTempDir::WriteBytes(path, text); }

  std::string Folder;

 private:
  std::vector<std::unique_ptr<TTestTempDir>> FFolders;
  std::optional<vxTest::TScopedEnv> FRegistryFolder;
};

// The clock of the store's file checks, moved by the test only, until the
// end of the scope.
class TRegTestClock {
 public:
  TRegTestClock() {
    Now() = 0;
    vxRegFile::SetRegClock([] { return Now(); });
  }
  ~TRegTestClock() { vxRegFile::SetRegClock(nullptr); }
  TRegTestClock(const TRegTestClock&) = delete;
  TRegTestClock& operator=(const TRegTestClock&) = delete;

  void AdvanceMilliseconds(int64_t ms) const { Now() += ms * 1'000'000; }

 private:
  static int64_t& Now() {
    static int64_t now = 0;
    return now;
  }
};

using vxTest::RunInChild;
using vxTest::WaitForChild;

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
  const vxTest::TChildOutput output = vxTest::RunInChildForText([&] {
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
      return std::string("cannot give up root rights");
    return checks();
  });
  EXPECT_EQ(output.ExitCode, 0);
  return output.Text;
}

inline std::string Flag(bool value) { return value ? "1" : "0"; }
