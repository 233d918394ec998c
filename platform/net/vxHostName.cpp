// The name of this machine: the plain host name and the fully qualified name
// that resolving it gives.
#include "platform/net/vxHostName.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <climits>
#include <memory>

namespace vxHostName {

std::string HostName() {
  // Room for the longest name and its terminating 0: glibc refuses a buffer
  // without room for both (a 64-character name read as none at all).
  char buffer[HOST_NAME_MAX + 1] = {};
  if (gethostname(buffer, sizeof buffer) != 0) return {};
  buffer[HOST_NAME_MAX] = '\0';
  return buffer;
}

std::string FullyQualifiedHostName() {
  const std::string host = HostName();
  if (host.empty()) return host;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_CANONNAME;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return host;
  const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(found, &freeaddrinfo);
  if (found->ai_canonname == nullptr || *found->ai_canonname == '\0') return host;
  const std::string canonical = found->ai_canonname;
  // A canonical name without a dot is no better than the host name.
  if (canonical.find('.') == std::string::npos && host.find('.') != std::string::npos) return host;
  return canonical;
}

}  // namespace vxHostName
