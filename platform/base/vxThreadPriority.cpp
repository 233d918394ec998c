// Thread priorities as nice values of the calling thread (Linux schedules
// threads by their own nice value).
#include "platform/base/vxThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vxThreadPriority {

bool SetCurrentThreadPriority(TThreadPriority Priority) {
  static constexpr int offsets[] = {19, 2, 1, 0, -1, -2, -20};
  if (Priority > tpTimeCritical) return false;
  errno = 0;
  const int base = getpriority(PRIO_PROCESS, 0);
  if (base == -1 && errno != 0) return false;
  const int wanted = std::clamp(base + offsets[Priority], -20, 19);
  const auto thread = static_cast<id_t>(syscall(SYS_gettid));
  return setpriority(PRIO_PROCESS, thread, wanted) == 0;
}

}  // namespace vxThreadPriority
