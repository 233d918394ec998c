// Sets the TZ environment variable for the life of a test and puts the
// former value back afterwards, so results do not depend on the machine.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

class TTimeZoneGuard {
 public:
  explicit TTimeZoneGuard(const char* zone) {
    if (const char* old = std::getenv("TZ")) FSaved = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TTimeZoneGuard() {
    if (FSaved) setenv("TZ", FSaved->c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }
  TTimeZoneGuard(const TTimeZoneGuard&) = delete;
  TTimeZoneGuard& operator=(const TTimeZoneGuard&) = delete;

 private:
  std::optional<std::string> FSaved;
};
