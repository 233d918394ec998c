// The RFC 3164 syslog sender over a UDP socket.
#include "platform/net/vxSyslog.h"

#include <fcntl.h>
#include <netdb.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxSystemInfo.h"
#include "platform/net/vxHostName.h"

namespace vxSyslog {

namespace {

std::string ErrorText(int error) { return WideToUtf8(vxSystemInfo::GetErrorMessage(error)); }

void AppendTwo(std::string& out, int value, char pad) {
  out.push_back(value < 10 ? pad : static_cast<char>('0' + value / 10));
  out.push_back(static_cast<char>('0' + value % 10));
}

}  // namespace

std::string FormatMessage(TSyslogFacility Facility, TSyslogSeverity Severity, int Month, int Day, int Hour,
                          int Minute, int Second, const std::string& Host, const std::string& Tag,
                          const std::string& Text) {
  static const char* const Months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::string out(1, '<');
  out += std::to_string(static_cast<int>(Facility) * 8 + static_cast<int>(Severity));
  out.push_back('>');
  out += Months[(Month >= 1 && Month <= 12) ? Month - 1 : 0];
  out.push_back(' ');
  AppendTwo(out, Day, ' ');
  out.push_back(' ');
  AppendTwo(out, Hour, '0');
  out.push_back(':');
  AppendTwo(out, Minute, '0');
  out.push_back(':');
  AppendTwo(out, Second, '0');
  out.push_back(' ');
  // The host field may hold no blank (RFC 3164 4.1.2).
  out += Host.empty() || Host.find(' ') != std::string::npos ? std::string("localhost") : Host;
  out.push_back(' ');
  out += Tag;
  out += ": ";
  out += Text;
  return out;
}

TSyslogClient::~TSyslogClient() { Disconnect(); }

void TSyslogClient::Disconnect() {
  if (FFd >= 0) close(FFd);
  FFd = -1;
}

void TSyslogClient::Connect() {
  Disconnect();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  const std::string port = std::to_string(Port);
  const int resolved = getaddrinfo(Host.c_str(), port.c_str(), &hints, &found);
  if (resolved != 0)
    throw ESyslogError(("cannot resolve syslog host '" + Host + "': " + gai_strerror(resolved)).c_str());
  int lastError = 0;
  for (addrinfo* a = found; a && FFd < 0; a = a->ai_next) {
    const int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      lastError = errno;
      continue;
    }
    if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
      FFd = fd;
    } else {
      lastError = errno;
      close(fd);
    }
  }
  freeaddrinfo(found);
  if (FFd < 0) throw ESyslogError(("cannot reach syslog host '" + Host + "': " + ErrorText(lastError)).c_str());
  timeval timeout{static_cast<time_t>(ReceiveTimeout / 1000), static_cast<suseconds_t>((ReceiveTimeout % 1000) * 1000)};
  setsockopt(FFd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  FHostName = vxHostName::HostName();
}

void TSyslogClient::SendLogMessage(const std::string& Text, const std::string& Tag, TSyslogFacility Facility,
                                   TSyslogSeverity Severity) {
  if (FFd < 0) Connect();
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  const std::string message = FormatMessage(Facility, Severity, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                            local.tm_min, local.tm_sec, FHostName, Tag, Text);
  ssize_t sent;
  do {
    sent = send(FFd, message.data(), message.size(), MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  if (sent != static_cast<ssize_t>(message.size())) {
    const int error = sent < 0 ? errno : EMSGSIZE;
    Disconnect();
    throw ESyslogError(("cannot send to syslog host '" + Host + "': " + ErrorText(error)).c_str());
  }
}

}  // namespace vxSyslog
