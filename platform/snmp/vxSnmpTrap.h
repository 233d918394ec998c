// SNMP version 1 traps through net-snmp's single-session API: the one place
// that includes net-snmp. The log console raises its error, warning and
// critical traps through this.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/vxExceptions.h"

// The session could not be opened, an identifier is malformed or the trap
// could not be sent.
VX_DECLARE_EXCEPTION(ESnmpError, Exception);

namespace vxSnmpTrap {

// One variable binding: a dotted object identifier and its text, sent as
// an OCTET STRING.
using TBinding = std::pair<std::string, std::string>;

struct TTrap {
  std::string Host;              // destination address or name
  uint16_t Port = 162;
  std::string Community = "public";
  std::string Enterprise;        // dotted identifier, such as "1.3.6.1.4.1.32473"
  int32_t GenericTrap = 6;       // enterprise-specific
  int32_t SpecificTrap = 1;
  uint32_t UpTimeTicks = 0;      // hundredths of a second
  std::vector<TBinding> Bindings;
};

// Sends the trap (one UDP datagram); raises ESnmpError.
void SendTrap(const TTrap& Trap);

}  // namespace vxSnmpTrap
