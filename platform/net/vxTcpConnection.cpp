// TCP connections with time-outs, and TLS over them through OpenSSL.
#include "platform/net/vxTcpConnection.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/base/vxExceptions.h"
#include "platform/base/vxFileDescriptor.h"
#include "platform/net/vxTlsError.h"

namespace {

using TClock = TTcpConnection::TClock;

using vxExceptions::ErrnoText;
using vxTlsError::TakeErrorText;

int RemainingMs(TClock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, 1LL << 30));
}

int OpenSslVersion(TTlsVersion version) {
  switch (version) {
    case TTlsVersion::Tls10: return TLS1_VERSION;
    case TTlsVersion::Tls11: return TLS1_1_VERSION;
    case TTlsVersion::Tls12: return TLS1_2_VERSION;
    case TTlsVersion::Tls13: return TLS1_3_VERSION;
  }
  return TLS1_2_VERSION;
}

// "[::1]" and "[127.0.0.1]" as a host are "::1" and "127.0.0.1".
std::string WithoutBrackets(const std::string& host) {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') return host.substr(1, host.size() - 2);
  return host;
}

bool IsIpLiteral(const std::string& host) {
  unsigned char buffer[sizeof(in6_addr)];
  const std::string address = WithoutBrackets(host);
  return inet_pton(AF_INET, address.c_str(), buffer) == 1 || inet_pton(AF_INET6, address.c_str(), buffer) == 1;
}

struct TSslCtxFree {
  void operator()(SSL_CTX* ctx) const { SSL_CTX_free(ctx); }
};
struct TSslFree {
  void operator()(SSL* ssl) const { SSL_free(ssl); }
};

}  // namespace

struct TTcpConnection::TImpl {
  TFileDescriptor Socket;
  std::string Peer;
  std::unique_ptr<SSL_CTX, TSslCtxFree> Context;
  std::unique_ptr<SSL, TSslFree> Ssl;
  BIO* NetworkIn = nullptr;   // owned by Ssl: bytes from the peer for OpenSSL
  BIO* NetworkOut = nullptr;  // owned by Ssl: bytes from OpenSSL for the peer
  std::string Received;       // plain text received and not read yet
  size_t ReadPosition = 0;

  [[noreturn]] void FailClosed() { throw ESocketError(("connection closed by " + Peer).c_str()); }

  // Waits for events on the socket until the deadline.
  void Wait(short events, TClock::time_point deadline, const char* what) {
    for (;;) {
      pollfd p{Socket.Get(), events, 0};
      const int r = ::poll(&p, 1, RemainingMs(deadline));
      if (r > 0) return;
      if (r == 0) throw ESocketTimeout((std::string("time-out ") + what + " " + Peer).c_str());
      if (errno != EINTR) throw ESocketError(("poll on " + Peer + " failed: " + ErrnoText(errno)).c_str());
    }
  }

  // Set during WriteUntilAnswered: a blocked send also ends on input.
  bool StopOnInput = false;

  bool InputPending() {
    pollfd p{Socket.Get(), POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
  }

  void SendRaw(std::string_view data, int idleTimeoutMs) {
    size_t sent = 0;
    while (sent < data.size()) {
      const ssize_t n = ::send(Socket.Get(), data.data() + sent, data.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        sent += static_cast<size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        Wait(StopOnInput ? POLLOUT | POLLIN : POLLOUT, TClock::now() + std::chrono::milliseconds(idleTimeoutMs),
             "sending to");
        if (StopOnInput && InputPending())
          throw ESocketError(("the peer " + Peer + " answered before taking all data").c_str());
        continue;
      }
      throw ESocketError(("sending to " + Peer + " failed: " + ErrnoText(errno)).c_str());
    }
  }

  // Some bytes from the socket; empty when the peer closed.
  std::string ReceiveRaw(TClock::time_point deadline) {
    char buffer[16384];
    for (;;) {
      const ssize_t n = ::recv(Socket.Get(), buffer, sizeof buffer, MSG_DONTWAIT);
      if (n >= 0) return std::string(buffer, static_cast<size_t>(n));
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        Wait(POLLIN, deadline, "waiting for data from");
        continue;
      }
      throw ESocketError(("receiving from " + Peer + " failed: " + ErrnoText(errno)).c_str());
    }
  }

  // Sends what OpenSSL has written into its output buffer.
  void FlushTls(int idleTimeoutMs) {
    char buffer[16384];
    for (;;) {
      const int n = BIO_read(NetworkOut, buffer, sizeof buffer);
      if (n <= 0) return;
      SendRaw(std::string_view(buffer, static_cast<size_t>(n)), idleTimeoutMs);
    }
  }

  // Feeds bytes from the socket to OpenSSL; false when the peer closed.
  bool FeedTls(TClock::time_point deadline) {
    const std::string bytes = ReceiveRaw(deadline);
    if (bytes.empty()) return false;
    BIO_write(NetworkIn, bytes.data(), static_cast<int>(bytes.size()));
    return true;
  }

  // Appends at least one byte to Received, or raises.
  void Fill(TClock::time_point deadline) {
    if (!TryFill(deadline)) FailClosed();
  }

  // Drops the bytes already read once they are half of the buffer or more
  // (each byte is moved at most about once), so that the buffer holds what
  // is not read yet and little more, however long the peer goes on sending.
  void Compact() {
    if (ReadPosition == 0 || ReadPosition * 2 < Received.size()) return;
    Received.erase(0, ReadPosition);
    ReadPosition = 0;
  }

  // Appends at least one byte to Received; false when the peer closed.
  bool TryFill(TClock::time_point deadline) {
    Compact();
    if (!Ssl) {
      const std::string bytes = ReceiveRaw(deadline);
      if (bytes.empty()) return false;
      Received += bytes;
      return true;
    }
    char buffer[16384];
    for (;;) {
      ERR_clear_error();
      const int n = SSL_read(Ssl.get(), buffer, sizeof buffer);
      const int error = n > 0 ? SSL_ERROR_NONE : SSL_get_error(Ssl.get(), n);
      FlushTls(RemainingMs(deadline) + 1);
      if (n > 0) {
        Received.append(buffer, static_cast<size_t>(n));
        return true;
      }
      if (error == SSL_ERROR_WANT_READ) {
        if (!FeedTls(deadline)) return false;
        continue;
      }
      if (error == SSL_ERROR_ZERO_RETURN) return false;
      throw ETlsError(("TLS failure with " + Peer + ": " + TakeErrorText()).c_str());
    }
  }
};

TTcpConnection::TTcpConnection() : FImpl(std::make_unique<TImpl>()) {}

TTcpConnection::~TTcpConnection() { Close(); }

void TTcpConnection::Connect(const std::string& hostGiven, uint16_t port, int timeoutMs, bool numericHost) {
  Close();
  const std::string host = WithoutBrackets(hostGiven);
  FImpl->Peer = host + ":" + std::to_string(port);
  const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);

  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  if (numericHost) hints.ai_flags = AI_NUMERICHOST;
  addrinfo* found = nullptr;
  const int resolved = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (resolved != 0) throw ESocketError(("cannot resolve host '" + host + "': " + gai_strerror(resolved)).c_str());
  const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(found, &freeaddrinfo);

  std::string lastError = "no address";
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    TFileDescriptor socket(::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol));
    if (socket.Get() < 0) {
      lastError = ErrnoText(errno);
      continue;
    }
    int r = ::connect(socket.Get(), a->ai_addr, a->ai_addrlen);
    if (r != 0 && errno == EINPROGRESS) {
      pollfd p{socket.Get(), POLLOUT, 0};
      do {
        r = ::poll(&p, 1, RemainingMs(deadline));
      } while (r < 0 && errno == EINTR);
      if (r == 0) throw ESocketTimeout(("time-out connecting to " + FImpl->Peer).c_str());
      int error = 0;
      socklen_t length = sizeof error;
      if (r < 0) error = errno;
      else if (getsockopt(socket.Get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
      r = error == 0 ? 0 : -1;
      errno = error;
    }
    if (r != 0) {
      lastError = ErrnoText(errno);
      continue;
    }
    // Commands and replies are small; do not hold them back.
    const int on = 1;
    setsockopt(socket.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    FImpl->Socket = std::move(socket);
    return;
  }
  throw ESocketError(("connect to " + FImpl->Peer + " failed: " + lastError).c_str());
}

void TTcpConnection::StartTls(const TTlsClientOptions& options, int timeoutMs) {
  if (!IsOpen()) throw ESocketError("TLS needs an open connection");
  const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
  ERR_clear_error();
  FImpl->Context.reset(SSL_CTX_new(TLS_client_method()));
  if (!FImpl->Context) throw ETlsError(("cannot make a TLS context: " + TakeErrorText()).c_str());
  SSL_CTX_set_min_proto_version(FImpl->Context.get(), OpenSslVersion(options.MinVersion));
  SSL_CTX_set_max_proto_version(FImpl->Context.get(), OpenSslVersion(options.MaxVersion));
  SSL_CTX_set_verify(FImpl->Context.get(), SSL_VERIFY_NONE, nullptr);
  FImpl->Ssl.reset(SSL_new(FImpl->Context.get()));
  if (!FImpl->Ssl) throw ETlsError(("cannot make a TLS session: " + TakeErrorText()).c_str());
  FImpl->NetworkIn = BIO_new(BIO_s_mem());
  FImpl->NetworkOut = BIO_new(BIO_s_mem());
  SSL_set_bio(FImpl->Ssl.get(), FImpl->NetworkIn, FImpl->NetworkOut);
  SSL_set_connect_state(FImpl->Ssl.get());
  if (!options.ServerName.empty() && !IsIpLiteral(options.ServerName))
    SSL_set_tlsext_host_name(FImpl->Ssl.get(), options.ServerName.c_str());
  for (;;) {
    ERR_clear_error();
    const int r = SSL_do_handshake(FImpl->Ssl.get());
    const int error = r == 1 ? SSL_ERROR_NONE : SSL_get_error(FImpl->Ssl.get(), r);
    FImpl->FlushTls(RemainingMs(deadline) + 1);
    if (r == 1) return;
    if (error == SSL_ERROR_WANT_READ) {
      if (!FImpl->FeedTls(deadline))
        throw ETlsError(("TLS handshake with " + FImpl->Peer + " failed: the peer closed the connection").c_str());
      continue;
    }
    throw ETlsError(("TLS handshake with " + FImpl->Peer + " failed: " + TakeErrorText()).c_str());
  }
}

void TTcpConnection::Write(std::string_view data, int idleTimeoutMs) {
  if (!IsOpen()) throw ESocketError("the connection is closed");
  if (!FImpl->Ssl) {
    FImpl->SendRaw(data, idleTimeoutMs);
    return;
  }
  // Encrypt piece by piece so that the output buffer stays small.
  constexpr size_t kPiece = 64 * 1024;
  for (size_t offset = 0; offset < data.size(); offset += kPiece) {
    const size_t length = std::min(kPiece, data.size() - offset);
    ERR_clear_error();
    const int n = SSL_write(FImpl->Ssl.get(), data.data() + offset, static_cast<int>(length));
    if (n <= 0) throw ETlsError(("TLS failure with " + FImpl->Peer + ": " + TakeErrorText()).c_str());
    FImpl->FlushTls(idleTimeoutMs);
  }
}

void TTcpConnection::WriteUntilAnswered(std::string_view data, int idleTimeoutMs) {
  FImpl->StopOnInput = true;
  try {
    Write(data, idleTimeoutMs);
  } catch (...) {
    FImpl->StopOnInput = false;
    throw;
  }
  FImpl->StopOnInput = false;
}

std::string TTcpConnection::ReadLine(TClock::time_point deadline, size_t maxLength) {
  if (!IsOpen()) throw ESocketError("the connection is closed");
  const auto tooLong = [&] {
    return ESocketError(("a line from " + FImpl->Peer + " is longer than " + std::to_string(maxLength) + " bytes").c_str());
  };
  // Where the search for the line end goes on: bytes looked at stay behind.
  size_t searched = FImpl->ReadPosition;
  for (;;) {
    const std::string& received = FImpl->Received;
    const size_t start = FImpl->ReadPosition;
    const size_t lf = received.find('\n', searched);
    if (lf != std::string::npos) {
      size_t end = lf;
      if (end > start && received[end - 1] == '\r') --end;
      if (end - start > maxLength) throw tooLong();
      std::string line = received.substr(start, end - start);
      FImpl->ReadPosition = lf + 1;
      return line;
    }
    // A CR at the end may be the first half of the line end.
    const size_t unread = received.size() - start;
    if (unread - (unread > 0 && received.back() == '\r' ? 1 : 0) > maxLength) throw tooLong();
    searched = received.size() - start;  // kept as an offset: Fill may move the bytes
    FImpl->Fill(deadline);
    searched += FImpl->ReadPosition;
  }
}

std::string TTcpConnection::ReadSome(TClock::time_point deadline, size_t maxLength) {
  if (!IsOpen()) throw ESocketError("the connection is closed");
  if (!HasBufferedData() && !FImpl->TryFill(deadline)) return {};
  const size_t length = std::min(maxLength, FImpl->Received.size() - FImpl->ReadPosition);
  std::string bytes = FImpl->Received.substr(FImpl->ReadPosition, length);
  FImpl->ReadPosition += length;
  return bytes;
}

bool TTcpConnection::HasBufferedData() const { return FImpl->ReadPosition < FImpl->Received.size(); }

void TTcpConnection::DiscardBufferedData() {
  FImpl->Received.clear();
  FImpl->ReadPosition = 0;
}

void TTcpConnection::Close() noexcept {
  if (FImpl->Ssl && IsOpen()) {
    // close_notify, best effort: the peer may be gone already.
    ERR_clear_error();
    SSL_shutdown(FImpl->Ssl.get());
    try {
      FImpl->FlushTls(200);
    } catch (const Exception&) {
    }
    ERR_clear_error();
  }
  FImpl->Ssl.reset();
  FImpl->Context.reset();
  FImpl->NetworkIn = nullptr;
  FImpl->NetworkOut = nullptr;
  FImpl->Socket.Reset();
  DiscardBufferedData();
}

bool TTcpConnection::IsOpen() const { return FImpl->Socket.Get() >= 0; }

bool TTcpConnection::IsTls() const { return FImpl->Ssl != nullptr; }

const std::string& TTcpConnection::PeerName() const { return FImpl->Peer; }

std::string TTcpConnection::LocalAddress() const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (!IsOpen() || getsockname(FImpl->Socket.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) return {};
  char text[INET6_ADDRSTRLEN] = {};
  const void* raw = address.ss_family == AF_INET6
                        ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in6*>(&address)->sin6_addr)
                        : static_cast<const void*>(&reinterpret_cast<const sockaddr_in*>(&address)->sin_addr);
  if (inet_ntop(address.ss_family, raw, text, sizeof text) == nullptr) return {};
  return text;
}
