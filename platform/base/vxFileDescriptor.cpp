// Closing of the owned file descriptor.
#include "platform/base/vxFileDescriptor.h"

#include <unistd.h>

#include <cerrno>

void TFileDescriptor::Reset(int Fd) noexcept {
  const int old = std::exchange(FFd, Fd);
  if (old < 0 || old == Fd) return;
  // Closing is clean-up: it must not change the errno a caller is about to read.
  const int saved = errno;
  ::close(old);
  errno = saved;
}
