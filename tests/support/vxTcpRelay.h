// A relay on 127.0.0.1 in front of a real server: it takes one connection,
// runs an action as soon as that connection is accepted (before the server
// has said a word to the client), then passes the bytes both ways until
// either side closes. Lets a test change the world between a client's
// connecting and its talking to the real peer.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <thread>
#include <utility>

class TTcpRelay {
 public:
  TTcpRelay(uint16_t TargetPort, std::function<void()> OnAccept)
      : FTargetPort(TargetPort), FOnAccept(std::move(OnAccept)) {
    FListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (FListener < 0 || ::bind(FListener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(FListener, 4) != 0 || ::getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      throw std::runtime_error("cannot listen on 127.0.0.1");
    FPort = ntohs(address.sin_port);
    FThread = std::thread([this] { Run(); });
  }

  ~TTcpRelay() {
    FStop = true;
    FThread.join();
    ::close(FListener);
  }

  TTcpRelay(const TTcpRelay&) = delete;
  TTcpRelay& operator=(const TTcpRelay&) = delete;

  uint16_t Port() const { return FPort; }

 private:
  uint16_t FTargetPort;
  std::function<void()> FOnAccept;
  int FListener = -1;
  uint16_t FPort = 0;
  std::atomic<bool> FStop{false};
  std::thread FThread;

  static sockaddr_in Loopback(uint16_t Port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(Port);
    return address;
  }

  // Waits for Fd to become readable, a tenth of a second at a time, until
  // the relay stops.
  bool Readable(int Fd) const {
    while (!FStop) {
      pollfd p{Fd, POLLIN, 0};
      if (::poll(&p, 1, 100) > 0) return true;
    }
    return false;
  }

  static bool WriteAll(int Fd, const char* Data, ssize_t Size) {
    while (Size > 0) {
      const ssize_t n = ::send(Fd, Data, static_cast<size_t>(Size), MSG_NOSIGNAL);
      if (n <= 0) return false;
      Data += n;
      Size -= n;
    }
    return true;
  }

  void Run() {
    if (!Readable(FListener)) return;
    const int client = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
    FOnAccept();
    const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in target = Loopback(FTargetPort);
    if (server >= 0 && ::connect(server, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
      // Either side's end (or failure) ends the relay: the other side sees
      // its connection close.
      char buffer[64 * 1024];
      while (!FStop) {
        pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        if (::poll(p, 2, 100) <= 0) continue;
        bool open = true;
        for (int i = 0; i < 2 && open; ++i) {
          if (p[i].revents == 0) continue;
          const ssize_t n = ::recv(p[i].fd, buffer, sizeof buffer, 0);
          open = n > 0 && WriteAll(p[1 - i].fd, buffer, n);
        }
        if (!open) break;
      }
    }
    if (server >= 0) ::close(server);
    ::close(client);
  }
};
