// A request/answer peer inside the test process: it listens on 127.0.0.1,
// takes connections one after the other, reads each request up to its
// closing tag, records it and hands the connection to the test's handler
// (answer, answer in pieces, close early, stay silent). A closed port
// stands for a server that cannot be reached.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vxTest {

// A socket bound to a loopback port without listening: connecting is refused.
class TClosedPort {
 public:
  TClosedPort() {
    FFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (FFd < 0 || ::bind(FFd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::getsockname(FFd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      throw std::runtime_error("cannot bind on 127.0.0.1");
    FPort = ntohs(address.sin_port);
  }
  ~TClosedPort() { ::close(FFd); }
  TClosedPort(const TClosedPort&) = delete;
  TClosedPort& operator=(const TClosedPort&) = delete;
  uint16_t Port() const { return FPort; }

 private:
  int FFd = -1;
  uint16_t FPort = 0;
};

class TComTestServer {
 public:
  class TConnection;
  using THandler = std::function<void(TConnection&, const std::string& request)>;

  // What a handler can do with the client's connection.
  class TConnection {
   public:
    TConnection(int fd, const std::atomic<bool>& stop) : FFd(fd), FStop(stop) {}
    // Sends data as one write of its own (with no delay for small pieces).
    void Send(std::string_view data) {
      size_t sent = 0;
      while (sent < data.size()) {
        if (!WaitFor(POLLOUT)) return;
        const ssize_t n = ::send(FFd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
      }
    }
    // Answers nothing more and keeps the connection until the client leaves.
    void Hang() {
      char buffer[4096];
      while (WaitFor(POLLIN) && ::recv(FFd, buffer, sizeof buffer, 0) > 0) {
      }
    }
    // Waits in short steps so that the server can be stopped.
    bool WaitFor(short events) {
      while (!FStop) {
        pollfd p{FFd, events, 0};
        if (::poll(&p, 1, 20) > 0) return true;
      }
      return false;
    }
    int Fd() const { return FFd; }

   private:
    int FFd;
    const std::atomic<bool>& FStop;
  };

  explicit TComTestServer(THandler handler) : FHandler(std::move(handler)) {
    FListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (FListener < 0 || ::bind(FListener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(FListener, 8) != 0 || ::getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      throw std::runtime_error("cannot listen on 127.0.0.1");
    FPort = ntohs(address.sin_port);
    FThread = std::thread([this] { Run(); });
  }

  // A server that answers every request with the same text and closes.
  static THandler Answering(std::string answer) {
    return [answer](TConnection& connection, const std::string&) { connection.Send(answer); };
  }

  ~TComTestServer() {
    FStop = true;
    FThread.join();
    ::close(FListener);
  }
  TComTestServer(const TComTestServer&) = delete;
  TComTestServer& operator=(const TComTestServer&) = delete;

  uint16_t Port() const { return FPort; }

  // The requests received so far, in order.
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(FMutex);
    return FRequests;
  }

 private:
  int FListener = -1;
  uint16_t FPort = 0;
  THandler FHandler;
  std::atomic<bool> FStop{false};
  std::thread FThread;
  std::mutex FMutex;
  std::vector<std::string> FRequests;

  // A request is complete when it ends with the closing tag of its first tag.
  static bool Complete(const std::string& request) {
    const size_t open = request.find('<');
    const size_t close = request.find('>');
    if (open == std::string::npos || close == std::string::npos || close < open) return false;
    const std::string closing = "</" + request.substr(open + 1, close - open - 1) + ">";
    return request.size() >= closing.size() + close + 1 &&
           request.compare(request.size() - closing.size(), closing.size(), closing) == 0;
  }

  void Serve(int fd) {
    TConnection connection(fd, FStop);
    std::string request;
    char buffer[4096];
    while (!Complete(request) && connection.WaitFor(POLLIN)) {
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<size_t>(n));
    }
    {
      std::lock_guard<std::mutex> lock(FMutex);
      FRequests.push_back(request);
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    FHandler(connection, request);
  }

  void Run() {
    while (!FStop) {
      pollfd p{FListener, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      const int fd = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      Serve(fd);
      ::close(fd);
    }
  }
};

}  // namespace vxTest
