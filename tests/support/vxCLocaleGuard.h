// Sets the process's C locale (LC_ALL) for the life of a test and puts the
// former one back, so a test can check that our output ignores it.
#pragma once

#include <clocale>
#include <string>

class TCLocaleGuard {
 public:
  explicit TCLocaleGuard(const char* name) : FSaved(std::setlocale(LC_ALL, nullptr)) {
    FActive = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~TCLocaleGuard() { std::setlocale(LC_ALL, FSaved.c_str()); }
  TCLocaleGuard(const TCLocaleGuard&) = delete;
  TCLocaleGuard& operator=(const TCLocaleGuard&) = delete;

  // False when the locale is not installed (scripts/install-deps.sh makes it).
  bool Active() const { return FActive; }

 private:
  std::string FSaved;
  bool FActive = false;
};
