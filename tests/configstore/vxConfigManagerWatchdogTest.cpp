// The watchdog thread on its own: its callback every AdoCheckInterval ticks,
// a stop that ends a long wait at once, and a stop that lets a running
// callback finish.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "configstore/vxConfigManagerWatchdog.h"

namespace {

using namespace std::chrono_literals;

TEST(ConfigWatchdog, CallsBackEveryIntervalOfTicks) {
  std::mutex lock;
  std::condition_variable wake;
  int calls = 0;
  THelperThread watchdog(1ms);
  watchdog.AdoCheckInterval = 3;
  watchdog.CheckCallBackProc = [&] {
    std::lock_guard<std::mutex> hold(lock);
    ++calls;
    EXPECT_EQ(watchdog.TimerTicks, 0u);
    wake.notify_all();
  };
  watchdog.Start(tpLower);
  std::unique_lock<std::mutex> hold(lock);
  ASSERT_TRUE(wake.wait_for(hold, 60s, [&] { return calls >= 3; }));
}

TEST(ConfigWatchdog, AStopEndsAWaitAtOnce) {
  std::atomic<int> calls{0};
  THelperThread watchdog(24h);
  watchdog.AdoCheckInterval = 1;
  watchdog.CheckCallBackProc = [&] { ++calls; };
  watchdog.Start(tpLower);
  watchdog.Stop();
  EXPECT_TRUE(watchdog.Terminated());
  EXPECT_EQ(calls, 0);
  THelperThread never;
  never.Stop();  // never started
}

TEST(ConfigWatchdog, AStopLetsARunningCallbackFinish) {
  std::mutex lock;
  std::condition_variable wake;
  bool entered = false, finished = false;
  THelperThread watchdog(1ms);
  watchdog.AdoCheckInterval = 1;
  watchdog.CheckCallBackProc = [&] {
    std::unique_lock<std::mutex> hold(lock);
    if (finished) return;
    entered = true;
    wake.notify_all();
    // Runs on until the owner asks the thread to stop.
    wake.wait_for(hold, 60s, [&] { return watchdog.Terminated(); });
    finished = true;
  };
  watchdog.Start(tpLower);
  {
    std::unique_lock<std::mutex> hold(lock);
    ASSERT_TRUE(wake.wait_for(hold, 60s, [&] { return entered; }));
  }
  std::thread notifier([&] {
    // The callback waits on the same condition; wake it once stop is asked.
    while (!watchdog.Terminated()) std::this_thread::yield();
    std::lock_guard<std::mutex> hold(lock);
    wake.notify_all();
  });
  watchdog.Stop();
  notifier.join();
  std::lock_guard<std::mutex> hold(lock);
  EXPECT_TRUE(finished);
}

}  // namespace
