// Sets the TZ environment variable for the life of a test and puts the
// former value back afterwards, so results do not depend on the machine.
#pragma once

#include <optional>

#include "support/vxScopedEnv.h"

class TTimeZoneGuard {
 public:
  explicit TTimeZoneGuard(const char* zone);
  ~TTimeZoneGuard();
  TTimeZoneGuard(const TTimeZoneGuard&) = delete;
  TTimeZoneGuard& operator=(const TTimeZoneGuard&) = delete;

 private:
  std::optional<vxTest::TScopedEnv> FZone;
};
