// The parts of the test support that are not templates: temporary folders,
// scope guards for process state, and waiting for child processes.
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "support/vxChildProcess.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"
#include "support/vxTimeZoneGuard.h"

// ---- TTestTempDir

TTestTempDir::TTestTempDir(const std::string& Prefix) {
  // temp_directory_path honours TMPDIR.
  std::string pattern = (std::filesystem::temp_directory_path() / (Prefix + ".XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("mkdtemp failed for " + pattern + ": " + std::to_string(errno));
  FPath = pattern;
}

TTestTempDir::~TTestTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(FPath, ignored);
}

ustring TTestTempDir::WideFile(const std::string& name) const { return Utf8ToWide(File(name)); }

std::string TTestTempDir::ReadBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void TTestTempDir::WriteBytes(const std::string& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TTestTempDir::Listing() const {
  std::vector<std::string> all;
  for (const auto& e : std::filesystem::directory_iterator(FPath)) all.push_back(e.path().filename().string());
  std::sort(all.begin(), all.end());
  std::string names;
  for (const auto& n : all) names += n + ";";
  return names;
}

namespace vxTest {

// ---- TScopedEnv

TScopedEnv::TScopedEnv(const char* name, std::optional<std::string> value) : FName(name) {
  if (const char* old = getenv(name)) FOld = old;
  if (value)
    setenv(name, value->c_str(), 1);
  else
    unsetenv(name);
}

TScopedEnv::~TScopedEnv() {
  if (FOld)
    setenv(FName.c_str(), FOld->c_str(), 1);
  else
    unsetenv(FName.c_str());
}

// ---- TScopedUmask

TScopedUmask::TScopedUmask(mode_t Mask) : FOld(umask(Mask)) {}

TScopedUmask::~TScopedUmask() { umask(FOld); }

// ---- child processes

int WaitForChild(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace vxTest

// ---- TTimeZoneGuard

TTimeZoneGuard::TTimeZoneGuard(const char* zone) {
  FZone.emplace("TZ", std::string(zone));
  tzset();
}

TTimeZoneGuard::~TTimeZoneGuard() {
  FZone.reset();  // TZ as it was
  tzset();
}
