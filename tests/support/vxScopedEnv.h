// An environment variable set (or removed) for one test.
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

namespace vxTest {

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
