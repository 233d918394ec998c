// The store's watchdog: one thread that counts ticks of about a second and
// calls its callback (the store's connection check) every AdoCheckInterval
// ticks. It waits on a condition variable, so a stop request ends a wait at
// once; a callback that runs is always let finish.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/base/vxThreadPriority.h"

using TCheckCallBackProc = std::function<void()>;

class THelperThread {
 public:
  // Not started yet: set the fields, then Start.
  explicit THelperThread(std::chrono::milliseconds Tick = std::chrono::seconds(1)) : FTick(Tick) {}
  // Stops the thread and waits for it (and for a callback that runs).
  ~THelperThread() { Stop(); }
  THelperThread(const THelperThread&) = delete;
  THelperThread& operator=(const THelperThread&) = delete;

  uint32_t TimerTicks = 0;
  uint32_t AdoCheckInterval = 0;  // in ticks
  TCheckCallBackProc CheckCallBackProc;

  // Runs Execute on a new thread of the given priority.
  void Start(TThreadPriority Priority);
  // Asks the thread to end and waits for it; nothing when it never started.
  void Stop();
  bool Terminated() const;

 private:
  void Execute(std::stop_token Stop, TThreadPriority Priority);

  std::chrono::milliseconds FTick;
  mutable std::mutex FLock;
  std::condition_variable_any FWake;
  std::jthread FThread;
};
