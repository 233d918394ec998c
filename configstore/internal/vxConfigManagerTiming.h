// The clock and the pauses of the configuration store, which tests replace:
// each store takes a copy of ConfigManagerTiming() when it is made.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

struct TConfigManagerTiming {
  // The tick count in milliseconds, wrapping at 32 bits.
  std::function<uint32_t()> Ticks;
  // One tick of the watchdog (DbConCheckInterval counts these).
  std::chrono::milliseconds WatchdogTick{1000};
  // The pause before a connection is made anew, and between two attempts of
  // the first open that end without a connection.
  std::chrono::milliseconds RenewPause{1000};
  std::chrono::milliseconds OpenRetryPause{5000};
  // Told when a connection check begins (true) and ends (false).
  std::function<void(bool Begins)> CheckObserver;
};

// The timing new stores take (the system's clock and the pauses above).
TConfigManagerTiming& ConfigManagerTiming();
