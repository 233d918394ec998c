// The watchdog thread: a wait of one tick at a time, ended early by a stop.
#include "configstore/vxConfigManagerWatchdog.h"

void THelperThread::Start(TThreadPriority Priority) {
  FThread = std::jthread([this, Priority](std::stop_token stop) { Execute(stop, Priority); });
}

void THelperThread::Stop() {
  if (!FThread.joinable()) return;
  FThread.request_stop();  // wakes the wait through its stop token
  FThread.join();
}

bool THelperThread::Terminated() const { return FThread.get_stop_token().stop_requested(); }

void THelperThread::Execute(std::stop_token Stop, TThreadPriority Priority) {
  vxThreadPriority::SetCurrentThreadPriority(Priority);
  while (!Stop.stop_requested()) {
    {
      std::unique_lock<std::mutex> hold(FLock);
      FWake.wait_for(hold, Stop, FTick, [] { return false; });
    }
    if (Stop.stop_requested()) break;
    ++TimerTicks;
    if (TimerTicks >= AdoCheckInterval) {
      TimerTicks = 0;
      if (CheckCallBackProc) CheckCallBackProc();
    }
  }
}
