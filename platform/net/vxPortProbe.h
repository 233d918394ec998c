// Whether a TCP port can be listened on right now: a listening socket is
// opened on the port for a moment and closed again.
#pragma once

#include <cstdint>

namespace vxPortProbe {

// Binds a TCP socket to Port on every local IPv4 address (0.0.0.0) with
// SO_REUSEADDR and listens on it, then closes it. True when both worked.
// SO_REUSEADDR is what a server sets before it listens, so a port whose
// last connection still waits in TIME_WAIT counts as free, while a port
// another socket listens on (on any address, IPv4 or dual-stack IPv6)
// does not. Port 0 (which would take any port) is no port and gives false.
// Never raises and never blocks.
bool CanListen(uint16_t Port) noexcept;

}  // namespace vxPortProbe
