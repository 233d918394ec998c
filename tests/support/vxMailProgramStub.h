// A stand-in for xdg-email on PATH for one test: a shell script that
// records its arguments (each ended by a zero byte, so texts with line
// breaks stay whole) and ends with the exit status the test sets, after an
// optional pause. The agreed seam for the desktop's mail program, which
// does not exist on a test machine. Header-only.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace vxTest {

class TMailProgramStub {
 public:
  TMailProgramStub() {
    TTestTempDir::WriteBytes(FFolder.File("xdg-email"),
                             "#!/bin/sh\n"
                             "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"" + FFolder.File("arguments") + ".tmp\"\n"
                             "mv \"" + FFolder.File("arguments") + ".tmp\" \"" + FFolder.File("arguments") + "\"\n"
                             "sleep \"$(cat \"" + FFolder.File("pause") + "\" 2>/dev/null || echo 0)\"\n"
                             "exit \"$(cat \"" + FFolder.File("status") + "\" 2>/dev/null || echo 0)\"\n");
    chmod(FFolder.File("xdg-email").c_str(), 0700);
  }

  // The exit status of the next runs.
  void ExitWith(int Status) const { TTestTempDir::WriteBytes(FFolder.File("status"), std::to_string(Status)); }
  // Seconds the next runs wait before they end.
  void PauseFor(int Seconds) const { TTestTempDir::WriteBytes(FFolder.File("pause"), std::to_string(Seconds)); }
  // Whether the stub ran since it was made.
  bool Ran() const { return std::filesystem::exists(FFolder.File("arguments")); }
  // The arguments of the last run (without the program's name).
  std::vector<std::string> Arguments() const {
    std::vector<std::string> arguments;
    if (!Ran()) return arguments;
    const std::string bytes = TTestTempDir::ReadBytes(FFolder.File("arguments"));
    size_t start = 0;
    for (size_t zero; (zero = bytes.find('\0', start)) != std::string::npos; start = zero + 1)
      arguments.push_back(bytes.substr(start, zero - start));
    return arguments;
  }

 private:
  TTestTempDir FFolder{"vxmailstub"};
  TScopedEnv FPath{"PATH", FFolder.Path().string() + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin")};
};

}  // namespace vxTest
