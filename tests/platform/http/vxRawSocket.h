// A plain TCP client socket for the server's tests: it sends exactly the
// bytes a test wants (also malformed ones, slowly, or not at all) and reads
// what comes back with a time-out.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vxTest {

class TRawSocket {
 public:
  explicit TRawSocket(uint16_t Port, const char* Address = "127.0.0.1") {
    const bool v6 = std::string_view(Address).find(':') != std::string_view::npos;
    FFd = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (FFd < 0) throw std::runtime_error("no socket");
    int rc;
    if (v6) {
      sockaddr_in6 a{};
      a.sin6_family = AF_INET6;
      a.sin6_port = htons(Port);
      inet_pton(AF_INET6, Address, &a.sin6_addr);
      rc = ::connect(FFd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    } else {
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_port = htons(Port);
      inet_pton(AF_INET, Address, &a.sin_addr);
      rc = ::connect(FFd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    if (rc != 0) {
      ::close(FFd);
      throw std::runtime_error("cannot connect to port " + std::to_string(Port));
    }
  }
  ~TRawSocket() { Close(); }
  TRawSocket(const TRawSocket&) = delete;
  TRawSocket& operator=(const TRawSocket&) = delete;

  // False when the peer no longer takes data.
  bool Send(std::string_view Bytes) {
    while (!Bytes.empty()) {
      const ssize_t n = ::send(FFd, Bytes.data(), Bytes.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      Bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }

  // Reads until the peer closes, Stop is found in what arrived, or the
  // time-out passes; Closed tells whether the peer closed.
  std::string Receive(std::chrono::milliseconds Timeout, std::string_view Stop = {}) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    for (;;) {
      if (!Stop.empty() && got.find(Stop) != std::string::npos) return got;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return got;
      pollfd p{FFd, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
      char buffer[65536];
      const ssize_t n = ::recv(FFd, buffer, sizeof buffer, 0);
      if (n <= 0) {
        Closed = true;
        return got;
      }
      got.append(buffer, static_cast<size_t>(n));
    }
  }

  // Whether the peer closed within the time-out (what it sent is dropped).
  bool ClosedWithin(std::chrono::milliseconds Timeout) {
    Receive(Timeout);
    return Closed;
  }

  void Close() {
    if (FFd >= 0) ::close(FFd);
    FFd = -1;
  }
  // Closes with a reset instead of an orderly end.
  void Reset() {
    linger l{1, 0};
    ::setsockopt(FFd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    Close();
  }

  // The socket's own port.
  uint16_t LocalPort() const {
    sockaddr_storage a{};
    socklen_t length = sizeof a;
    if (::getsockname(FFd, reinterpret_cast<sockaddr*>(&a), &length) != 0) return 0;
    return ntohs(a.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6&>(a).sin6_port
                                         : reinterpret_cast<const sockaddr_in&>(a).sin_port);
  }

  bool Closed = false;

 private:
  int FFd = -1;
};

}  // namespace vxTest
