// SNMP version 1 traps over net-snmp's single-session API; the library is
// started once, without reading configuration files or MIBs.
#include "platform/snmp/vxSnmpTrap.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <memory>
#include <mutex>

namespace vxSnmpTrap {

namespace {

void StartLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    // The host process's log handlers are none of our business: no output.
    snmp_disable_log();
    netsnmp_init_mib_internals();
    netsnmp_tdomain_init();
  });
}

std::vector<oid> ParseOid(const std::string& text) {
  std::vector<oid> parts;
  size_t i = text.empty() || text[0] != '.' ? 0 : 1;
  while (i < text.size()) {
    unsigned long value = 0;
    size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      value = value * 10 + static_cast<unsigned long>(text[i] - '0');
      if (value > 0xFFFFFFFFul) throw ESnmpError(("object identifier out of range: " + text).c_str());
      ++i;
      ++digits;
    }
    if (digits == 0 || (i < text.size() && text[i] != '.'))
      throw ESnmpError(("malformed object identifier: " + text).c_str());
    parts.push_back(static_cast<oid>(value));
    if (i < text.size()) ++i;
  }
  if (parts.size() < 2 || parts.size() > MAX_OID_LEN)
    throw ESnmpError(("malformed object identifier: " + text).c_str());
  return parts;
}

struct TSessionCloser {
  void operator()(void* session) const { snmp_sess_close(session); }
};
struct TPduFree {
  void operator()(netsnmp_pdu* pdu) const { snmp_free_pdu(pdu); }
};

}  // namespace

void SendTrap(const TTrap& Trap) {
  StartLibrary();
  const std::vector<oid> enterprise = ParseOid(Trap.Enterprise);
  std::vector<std::pair<std::vector<oid>, const std::string*>> bindings;
  for (const TBinding& b : Trap.Bindings) bindings.emplace_back(ParseOid(b.first), &b.second);

  netsnmp_session settings;
  snmp_sess_init(&settings);
  settings.version = SNMP_VERSION_1;
  const bool ipv6 = Trap.Host.find(':') != std::string::npos;
  std::string peer = (ipv6 ? "udp6:[" + Trap.Host + "]:" : "udp:" + Trap.Host + ":") + std::to_string(Trap.Port);
  settings.peername = peer.data();
  std::string community = Trap.Community;
  settings.community = reinterpret_cast<u_char*>(community.data());
  settings.community_len = community.size();
  settings.callback = nullptr;
  std::unique_ptr<void, TSessionCloser> session(snmp_sess_open(&settings));
  if (!session) throw ESnmpError(("cannot open an SNMP session to " + peer).c_str());

  std::unique_ptr<netsnmp_pdu, TPduFree> pdu(snmp_pdu_create(SNMP_MSG_TRAP));
  if (!pdu) throw ESnmpError("cannot create an SNMP trap");
  pdu->enterprise = static_cast<oid*>(malloc(enterprise.size() * sizeof(oid)));
  if (!pdu->enterprise) throw ESnmpError("out of memory for an SNMP trap");
  std::copy(enterprise.begin(), enterprise.end(), pdu->enterprise);
  pdu->enterprise_length = enterprise.size();
  pdu->trap_type = Trap.GenericTrap;
  pdu->specific_type = Trap.SpecificTrap;
  pdu->time = Trap.UpTimeTicks;
  for (const auto& [name, value] : bindings) {
    if (!snmp_pdu_add_variable(pdu.get(), name.data(), name.size(), ASN_OCTET_STR, value->data(), value->size()))
      throw ESnmpError("cannot add a variable binding to an SNMP trap");
  }
  // A sent PDU belongs to the library; a refused one stays ours.
  if (snmp_sess_send(session.get(), pdu.get()) == 0) {
    int libraryError = 0, systemError = 0;
    char* text = nullptr;
    snmp_sess_error(session.get(), &systemError, &libraryError, &text);
    const std::string message = text ? text : "unknown error";
    free(text);
    throw ESnmpError(("cannot send an SNMP trap to " + peer + ": " + message).c_str());
  }
  (void)pdu.release();
}

}  // namespace vxSnmpTrap
