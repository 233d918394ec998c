// A syslog sender: RFC 3164 messages over UDP to a chosen server. The C
// library's syslog() writes only to the local daemon and cannot name a
// server, so the log console sends its own datagrams through this.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/vxExceptions.h"

// The server could not be resolved or reached, or a datagram was refused.
VX_DECLARE_EXCEPTION(ESyslogError, Exception);

// Facilities and severities by their RFC 3164 codes.
enum TSyslogFacility : uint8_t {
  sfKernel = 0, sfUserLevel, sfMailSystem, sfSystemDaemon, sfSecurityOne, sfSysLogInternal, sfLPR, sfNNTP,
  sfUUCP, sfClockDaemonOne, sfSecurityTwo, sfFTPDaemon, sfNTP, sfLogAudit, sfLogAlert, sfClockDaemonTwo,
  sfLocalUseZero, sfLocalUseOne, sfLocalUseTwo, sfLocalUseThree, sfLocalUseFour, sfLocalUseFive,
  sfLocalUseSix, sfLocalUseSeven,
};
enum TSyslogSeverity : uint8_t {
  slEmergency = 0, slAlert, slCritical, slError, slWarning, slNotice, slInformational, slDebug,
};

namespace vxSyslog {

// "<PRI>Mmm dd hh:mm:ss HOST TAG: TEXT" (RFC 3164 section 4.1): PRI is
// facility * 8 + severity, the time stamp is the local time given as the
// parts of a date (day blank-padded, English month), Text goes as it is.
std::string FormatMessage(TSyslogFacility Facility, TSyslogSeverity Severity, int Month, int Day, int Hour,
                          int Minute, int Second, const std::string& Host, const std::string& Tag,
                          const std::string& Text);

// One UDP socket "connected" to the server, so that send errors the system
// reports (a refused port) come back on a later send.
class TSyslogClient {
 public:
  TSyslogClient() = default;
  ~TSyslogClient();
  TSyslogClient(const TSyslogClient&) = delete;
  TSyslogClient& operator=(const TSyslogClient&) = delete;

  std::string Host = "localhost";
  uint16_t Port = 514;
  uint32_t ReceiveTimeout = 2000;  // ms, set on the socket

  bool Connected() const { return FFd >= 0; }
  // Resolves Host and opens the socket; raises ESyslogError.
  void Connect();
  void Disconnect();
  // Sends one message with the current local time and this machine's
  // name; the text is UTF-8. Raises ESyslogError (and disconnects) when
  // the datagram cannot be sent.
  void SendLogMessage(const std::string& Text, const std::string& Tag, TSyslogFacility Facility,
                      TSyslogSeverity Severity);

 private:
  int FFd = -1;
  std::string FHostName;
};

}  // namespace vxSyslog
