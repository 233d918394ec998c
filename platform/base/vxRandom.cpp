// Random numbers from the kernel's random source.
#include "platform/base/vxRandom.h"

#include <sys/random.h>

#include <cerrno>
#include <limits>

#include "platform/base/vxExceptions.h"

namespace vxRandom {

void Fill(void* Buffer, size_t Size) {
  auto* out = static_cast<unsigned char*>(Buffer);
  size_t done = 0;
  while (done < Size) {
    // Blocks only until the kernel's pool is first initialised at boot.
    const ssize_t n = getrandom(out + done, Size - done, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      EOSError::RaiseLastOSError();
    }
    done += static_cast<size_t>(n);
  }
}

uint32_t Below(uint32_t Bound) {
  if (Bound <= 1) return 0;
  // Values at or above the largest multiple of Bound are drawn again, so
  // every result is equally likely.
  const uint64_t range = uint64_t{std::numeric_limits<uint32_t>::max()} + 1;
  const uint64_t limit = range - range % Bound;
  for (;;) {
    uint32_t value;
    Fill(&value, sizeof value);
    if (value < limit) return value % Bound;
  }
}

}  // namespace vxRandom
