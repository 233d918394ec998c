// The name of this machine: the plain host name and the fully qualified name
// that resolving it gives.
#include "platform/net/vxHostName.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
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

bool HostIPv4Addresses(std::vector<std::string>& Addresses) {
  const std::string host = HostName();
  if (host.empty()) return false;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  // One entry per address rather than one per socket kind.
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
  const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(found, &freeaddrinfo);
  std::vector<std::string> addresses;
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) continue;
    char text[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
    if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) == nullptr) continue;
    if (std::find(addresses.begin(), addresses.end(), text) == addresses.end()) addresses.emplace_back(text);
  }
  if (addresses.empty()) return false;
  Addresses.insert(Addresses.end(), addresses.begin(), addresses.end());
  return true;
}

}  // namespace vxHostName
