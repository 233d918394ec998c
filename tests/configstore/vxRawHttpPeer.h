// A listening TCP socket on a free port of 127.0.0.1 that takes one
// connection, keeps the exact bytes of the request that arrives on it (the
// header up to its empty line and as many body bytes as Content-Length
// says) and answers with fixed bytes, or never answers. For the transfers'
// tests: what a client puts on the wire, byte for byte.
#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

namespace vxTest {

class TRawHttpPeer {
 public:
  // Answer empty: the connection is held open without a word until the
  // peer goes (or its client gives up).
  explicit TRawHttpPeer(std::string Answer) : FAnswer(std::move(Answer)) {
    FListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (FListener < 0) throw std::runtime_error("no socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(FListener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(FListener, 4) != 0 ||
        ::getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ::close(FListener);
      throw std::runtime_error("cannot listen");
    }
    FPort = ntohs(address.sin_port);
    FThread = std::thread([this] { Serve(); });
  }
  ~TRawHttpPeer() {
    FStop = true;
    FThread.join();
    ::close(FListener);
  }
  TRawHttpPeer(const TRawHttpPeer&) = delete;
  TRawHttpPeer& operator=(const TRawHttpPeer&) = delete;

  uint16_t Port() const { return FPort; }
  std::string Url(const std::string& Path) const { return "http://127.0.0.1:" + std::to_string(FPort) + Path; }

  // The request's bytes; complete once the client's call has returned.
  std::string Request() {
    FThreadDone.wait(false);
    return FRequest;
  }

 private:
  // Waits for Fd to become readable, watching FStop; false when stopped.
  bool WaitReadable(int Fd) {
    while (!FStop) {
      pollfd p{Fd, POLLIN, 0};
      const int ready = ::poll(&p, 1, 50);
      if (ready > 0) return true;
    }
    return false;
  }

  void Serve() {
    if (WaitReadable(FListener)) {
      const int connection = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
      if (connection >= 0) {
        ReadRequest(connection);
        FThreadDone = true;
        FThreadDone.notify_all();
        if (!FAnswer.empty()) {
          (void)!::send(connection, FAnswer.data(), FAnswer.size(), MSG_NOSIGNAL);
          ::shutdown(connection, SHUT_WR);
        }
        // Held until the client closes or the peer goes.
        char sink[4096];
        while (WaitReadable(connection) && ::recv(connection, sink, sizeof sink, 0) > 0) {
        }
        ::close(connection);
      }
    }
    FThreadDone = true;
    FThreadDone.notify_all();
  }

  void ReadRequest(int Connection) {
    size_t wanted = std::string::npos;
    char buffer[65536];
    while (wanted == std::string::npos || FRequest.size() < wanted) {
      if (!WaitReadable(Connection)) return;
      const ssize_t n = ::recv(Connection, buffer, sizeof buffer, 0);
      if (n <= 0) return;
      FRequest.append(buffer, static_cast<size_t>(n));
      const size_t end = FRequest.find("\r\n\r\n");
      if (wanted == std::string::npos && end != std::string::npos) wanted = end + 4 + ContentLength(FRequest.substr(0, end));
    }
  }

  static size_t ContentLength(const std::string& Header) {
    const std::string name = "\r\nContent-Length: ";
    const size_t at = Header.find(name);
    if (at == std::string::npos) return 0;
    size_t length = 0;
    for (size_t i = at + name.size(); i < Header.size() && Header[i] >= '0' && Header[i] <= '9'; ++i)
      length = length * 10 + static_cast<size_t>(Header[i] - '0');
    return length;
  }

  std::string FAnswer;
  int FListener = -1;
  uint16_t FPort = 0;
  std::string FRequest;
  std::atomic<bool> FStop{false};
  std::atomic<bool> FThreadDone{false};
  std::thread FThread;
};

}  // namespace vxTest
