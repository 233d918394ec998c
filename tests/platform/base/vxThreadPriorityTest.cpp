// Thread priorities as nice values: a lower level raises the calling thread's
// nice value and leaves the other threads of the process alone.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

#include "platform/base/vxThreadPriority.h"

namespace {

int NiceOfThisThread() { return getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid))); }

TEST(ThreadPriority, LowerLevelsRaiseTheNiceValueOfTheCallingThreadOnly) {
  const int process = NiceOfThisThread();
  int lower = 0, lowest = 0, idle = 0;
  bool set = false;
  std::thread worker([&] {
    set = vxThreadPriority::SetCurrentThreadPriority(tpLower);
    lower = NiceOfThisThread();
    vxThreadPriority::SetCurrentThreadPriority(tpLowest);
    lowest = NiceOfThisThread();
    vxThreadPriority::SetCurrentThreadPriority(tpIdle);
    idle = NiceOfThisThread();
  });
  worker.join();
  EXPECT_TRUE(set);
  EXPECT_EQ(lower, std::min(process + 1, 19));
  // Relative to the thread's own level when asked again.
  EXPECT_EQ(lowest, std::min(lower + 2, 19));
  EXPECT_EQ(idle, 19);
  EXPECT_EQ(NiceOfThisThread(), process);
  EXPECT_FALSE(vxThreadPriority::SetCurrentThreadPriority(static_cast<TThreadPriority>(9)));
}

}  // namespace
