// The listening probe of a TCP port.
#include "platform/net/vxPortProbe.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include "platform/base/vxFileDescriptor.h"

namespace vxPortProbe {

bool CanListen(uint16_t Port) noexcept {
  if (Port == 0) return false;
  const TFileDescriptor socketFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!socketFd.Valid()) return false;
  const int on = 1;
  if (::setsockopt(socketFd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(Port);
  if (::bind(socketFd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return false;
  return ::listen(socketFd.Get(), 1) == 0;
}

}  // namespace vxPortProbe
