// Real files and folders for tests: a fresh folder per test, removed with
// everything in it, and environment variables set for one test.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/vxCodePage.h"

namespace vxTest {

class TTempFolder {
 public:
  TTempFolder() {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vxtest-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a test folder");
    FNative = pattern + "/";
  }
  ~TTempFolder() {
    std::error_code ignored;
    // Read-only folders inside must not keep their content from going.
    for (auto it = std::filesystem::recursive_directory_iterator(FNative, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add | std::filesystem::perm_options::nofollow,
                                   ignored);
    std::filesystem::remove_all(FNative, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  // The folder with its trailing "/", as UTF-16 and as the kernel's name.
  ustring Path() const { return Utf8ToWide(FNative); }
  const std::string& Native() const { return FNative; }
  ustring Path(const std::string& name) const { return Utf8ToWide(FNative + name); }
  std::string Native(const std::string& name) const { return FNative + name; }

 private:
  std::string FNative;
};

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << content;
  if (!file) throw std::runtime_error("cannot write " + path);
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

// Names in a folder, sorted.
inline std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Sets (or with nullopt removes) an environment variable until the end of
// the scope.
class TScopedEnv {
 public:
  TScopedEnv(const char* name, std::optional<std::string> value) : FName(name) {
    if (const char* old = getenv(name)) FOld = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~TScopedEnv() {
    if (FOld)
      setenv(FName.c_str(), FOld->c_str(), 1);
    else
      unsetenv(FName.c_str());
  }
  TScopedEnv(const TScopedEnv&) = delete;
  TScopedEnv& operator=(const TScopedEnv&) = delete;

 private:
  std::string FName;
  std::optional<std::string> FOld;
};

}  // namespace vxTest
