// The name of this machine: the plain host name and the fully qualified
// name that resolving it gives (for example the name a mail client greets
// a server with).
#pragma once

#include <string>

namespace vxHostName {

// The host name as the system keeps it (gethostname); empty when the system
// gives none.
std::string HostName();

// The canonical, fully qualified name of the host (its name resolved with
// getaddrinfo); the plain host name when resolution gives nothing better.
std::string FullyQualifiedHostName();

}  // namespace vxHostName
