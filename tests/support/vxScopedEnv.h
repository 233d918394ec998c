// Scope guards for the process-wide state tests change: an environment
// variable, the time zone, the file-creation mask and the format settings.
// Each puts the former state back when the scope ends.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "platform/text/vxFormatSettings.h"

namespace vxTest {

// Sets (or with nullopt removes) an environment variable until the end of
// the scope.
class TScopedEnv {
 public:
  TScopedEnv(const char* name, std::optional<std::string> value);
  ~TScopedEnv();
  TScopedEnv(const TScopedEnv&) = delete;
  TScopedEnv& operator=(const TScopedEnv&) = delete;

 private:
  std::string FName;
  std::optional<std::string> FOld;
};

// The file-creation mask of the process until the end of the scope.
class TScopedUmask {
 public:
  explicit TScopedUmask(mode_t Mask);
  ~TScopedUmask();
  TScopedUmask(const TScopedUmask&) = delete;
  TScopedUmask& operator=(const TScopedUmask&) = delete;

 private:
  mode_t FOld;
};

// The process's format settings, restored at the end of the scope; the
// test changes FormatSettings() freely meanwhile.
class TFormatSettingsGuard {
 public:
  TFormatSettingsGuard() : FSaved(FormatSettings()) {}
  // Starts from the given settings.
  explicit TFormatSettingsGuard(const TFormatSettings& Settings) : TFormatSettingsGuard() {
    FormatSettings() = Settings;
  }
  ~TFormatSettingsGuard() { FormatSettings() = FSaved; }
  TFormatSettingsGuard(const TFormatSettingsGuard&) = delete;
  TFormatSettingsGuard& operator=(const TFormatSettingsGuard&) = delete;

 private:
  TFormatSettings FSaved;
};

}  // namespace vxTest
