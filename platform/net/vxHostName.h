// The name of this machine: the plain host name and the fully qualified
// name that resolving it gives (for example the name a mail client greets
// a server with).
#pragma once

#include <string>
#include <vector>

namespace vxHostName {

// The host name as the system keeps it (gethostname); empty when the system
// gives none.
std::string HostName();

// The canonical, fully qualified name of the host (its name resolved with
// getaddrinfo); the plain host name when resolution gives nothing better.
std::string FullyQualifiedHostName();

// The IPv4 addresses that the host name resolves to (gethostname, then
// getaddrinfo for IPv4), in dotted decimal form, in the resolver's order,
// each once. What the resolver gives counts: on Debian the host's own name
// stands for 127.0.1.1 in /etc/hosts, and that address is listed. False,
// with nothing added, when the host has no name or the name does not
// resolve.
bool HostIPv4Addresses(std::vector<std::string>& Addresses);

}  // namespace vxHostName
