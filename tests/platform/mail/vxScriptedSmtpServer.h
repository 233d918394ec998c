// A scripted SMTP peer inside the test process: it listens on 127.0.0.1,
// takes one connection and plays its script (send these lines, read so
// many lines, read a message up to its "." line, close, go silent),
// recording every line the client sent. Tests compare the recording with
// the exact order of commands they expect on the wire.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class TScriptedSmtpServer {
 public:
  TScriptedSmtpServer() {
    FListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (FListener < 0 || ::bind(FListener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(FListener, 4) != 0 || ::getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      throw std::runtime_error("cannot listen on 127.0.0.1");
    FPort = ntohs(address.sin_port);
  }

  ~TScriptedSmtpServer() {
    FStop = true;
    if (FThread.joinable()) FThread.join();
    if (FListener >= 0) ::close(FListener);
  }

  // Sends lines; several lines are given separated by "\n".
  TScriptedSmtpServer& Say(const std::string& lines) { return Add({TKind::Say, lines, 0}); }
  // Reads this many lines from the client.
  TScriptedSmtpServer& Read(size_t count = 1) { return Add({TKind::Read, {}, count}); }
  // Reads message lines up to and including the "." line.
  TScriptedSmtpServer& ReadData() { return Add({TKind::ReadData, {}, 0}); }
  // Closes the connection.
  TScriptedSmtpServer& Close() { return Add({TKind::Close, {}, 0}); }
  // Answers nothing more, but keeps the connection open.
  TScriptedSmtpServer& Hang() { return Add({TKind::Hang, {}, 0}); }

  void Start() {
    FThread = std::thread([this] { Run(); });
  }

  uint16_t Port() const { return FPort; }

  // The bytes of every DATA section as they came, line ends and the final
  // "." line included; waits until the client has closed.
  std::string RawData() {
    if (FThread.joinable()) FThread.join();
    std::lock_guard<std::mutex> lock(FMutex);
    return FRawData;
  }

  // Every line the client sent; waits until the client has closed.
  std::vector<std::string> Received() {
    if (FThread.joinable()) FThread.join();
    std::lock_guard<std::mutex> lock(FMutex);
    return FReceived;
  }

 private:
  enum class TKind { Say, Read, ReadData, Close, Hang };
  struct TStep {
    TKind Kind;
    std::string Text;
    size_t Count;
  };

  int FListener = -1;
  uint16_t FPort = 0;
  std::vector<TStep> FScript;
  std::thread FThread;
  std::atomic<bool> FStop{false};
  std::mutex FMutex;
  std::vector<std::string> FReceived;
  std::string FBuffer;
  std::string FRawData;
  bool FInData = false;

  TScriptedSmtpServer& Add(TStep step) {
    FScript.push_back(std::move(step));
    return *this;
  }

  // Waits for the socket in short steps, so that the destructor can stop it.
  bool WaitFor(int fd, short events) {
    while (!FStop) {
      pollfd p{fd, events, 0};
      if (::poll(&p, 1, 50) > 0) return true;
    }
    return false;
  }

  // One line without its line end; false when the client closed.
  bool ReadLine(int fd, std::string& line) {
    for (;;) {
      const size_t lf = FBuffer.find('\n');
      if (lf != std::string::npos) {
        line = FBuffer.substr(0, lf > 0 && FBuffer[lf - 1] == '\r' ? lf - 1 : lf);
        std::lock_guard<std::mutex> lock(FMutex);
        if (FInData) FRawData.append(FBuffer, 0, lf + 1);
        FBuffer.erase(0, lf + 1);
        FReceived.push_back(line);
        return true;
      }
      if (!WaitFor(fd, POLLIN)) return false;
      char chunk[4096];
      const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
      if (n <= 0) return false;
      FBuffer.append(chunk, static_cast<size_t>(n));
    }
  }

  void Run() {
    if (!WaitFor(FListener, POLLIN)) return;
    const int fd = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    bool open = true;
    std::string line;
    for (const TStep& step : FScript) {
      if (!open || FStop) break;
      switch (step.Kind) {
        case TKind::Say: {
          std::string out;
          size_t start = 0;
          while (start <= step.Text.size()) {
            size_t end = step.Text.find('\n', start);
            if (end == std::string::npos) end = step.Text.size();
            out += step.Text.substr(start, end - start) + "\r\n";
            start = end + 1;
          }
          ::send(fd, out.data(), out.size(), MSG_NOSIGNAL);
          break;
        }
        case TKind::Read:
          for (size_t i = 0; i < step.Count && open; ++i) open = ReadLine(fd, line);
          break;
        case TKind::ReadData:
          FInData = true;
          do {
            open = ReadLine(fd, line);
          } while (open && line != ".");
          FInData = false;
          break;
        case TKind::Close:
          open = false;
          break;
        case TKind::Hang:
          // Record what still comes, answer nothing, until the client leaves.
          while (ReadLine(fd, line)) {
          }
          open = false;
          break;
      }
    }
    // After the script: keep recording until the client closes.
    while (open && ReadLine(fd, line)) {
    }
    ::close(fd);
  }
};
