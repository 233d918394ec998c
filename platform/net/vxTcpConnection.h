// A client TCP connection over POSIX sockets that can switch to TLS on the
// way (as STARTTLS does), with a finite time-out on every wait. Reads are
// line-oriented for the text protocols that use it.
//
// Every blocking step waits with poll() and a time-out, so a dead peer ends
// in ESocketTimeout instead of hanging the caller. Writes never raise
// SIGPIPE. TLS runs over memory buffers, so the socket itself is only ever
// read and written here.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/base/vxExceptions.h"

// Name resolution, connect, send or receive failed, or the peer closed.
VX_DECLARE_EXCEPTION(ESocketError, Exception);
// The peer did not answer or take data within the time-out.
VX_DECLARE_EXCEPTION(ESocketTimeout, ESocketError);
// The TLS handshake or a TLS record failed.
VX_DECLARE_EXCEPTION(ETlsError, Exception);

enum class TTlsVersion { Tls10, Tls11, Tls12, Tls13 };

struct TTlsClientOptions {
  TTlsVersion MinVersion = TTlsVersion::Tls12;
  TTlsVersion MaxVersion = TTlsVersion::Tls12;
  // Sent as server name indication; IP literals (also in brackets) are never sent.
  std::string ServerName;
  // The peer's certificate is not verified.
};

class TTcpConnection {
 public:
  using TClock = std::chrono::steady_clock;

  TTcpConnection();
  ~TTcpConnection();
  TTcpConnection(const TTcpConnection&) = delete;
  TTcpConnection& operator=(const TTcpConnection&) = delete;

  // Resolves host (a name, an IPv4 or an IPv6 address, brackets allowed)
  // and connects to the first address that answers, all within timeoutMs.
  // With numericHost the host must be an address; no name is looked up.
  void Connect(const std::string& host, uint16_t port, int timeoutMs, bool numericHost = false);

  // Runs the TLS client handshake on the open connection. Data already
  // buffered from the plain connection must have been read or discarded.
  void StartTls(const TTlsClientOptions& options, int timeoutMs);

  // Sends all of data; raises ESocketTimeout when the peer takes nothing for
  // idleTimeoutMs.
  void Write(std::string_view data, int idleTimeoutMs);
  // Write, but a peer that sends something while the write waits for room
  // (an early reply: it may have stopped reading) ends the write with
  // ESocketError instead of the wait running to its time-out.
  void WriteUntilAnswered(std::string_view data, int idleTimeoutMs);

  // The next line without its line end (CR LF or LF), complete by the
  // deadline; a line longer than maxLength is an error.
  std::string ReadLine(TClock::time_point deadline, size_t maxLength);

  // Up to maxLength bytes as they arrive (at least one); empty when the
  // peer has closed. Raises ESocketTimeout when nothing comes by the deadline.
  std::string ReadSome(TClock::time_point deadline, size_t maxLength);

  // Bytes received but not read yet.
  bool HasBufferedData() const;
  void DiscardBufferedData();

  // Ends TLS politely when it is on, and closes the socket. Never raises.
  void Close() noexcept;

  bool IsOpen() const;
  bool IsTls() const;
  // "host:port" as given to Connect, for messages.
  const std::string& PeerName() const;
  // The numeric local address of the connection ("127.0.0.1", "::1").
  std::string LocalAddress() const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};
