// An HTTP/1.1 server: listens on one or more IPv4 and IPv6 addresses,
// plain or over TLS, and hands every request to one handler on a bounded
// pool of threads.
//
// Requests may use any method; header fields reach the handler as sent and
// in order, and the handler's reason phrase and fields are sent as given
// (see THttpServerResponse). A connection carries requests one after the
// other (keep-alive, pipelining); a client that sends "Expect:
// 100-continue" gets its "100 Continue" before its body is read.
//
// Every wait is bounded: a request header must be complete within
// HeaderTimeoutMs of the moment the server waits for it (else the
// connection is closed: a slow client and an idle keep-alive alike), each
// read of a body and each write must make progress within ReadTimeoutMs
// and WriteTimeoutMs, a TLS handshake must end within HeaderTimeoutMs.
// Limits answer 413 and 431 (THttpRequestReader) and close the connection
// after the answer. A client that goes away mid-response only ends its own
// connection. With MaxConnections reached a new connection is closed at once.
//
// Handlers run on the pool's threads, so a handler that blocks holds one of
// them; a handler that raises gives 500. Stop (also the destructor) closes
// the listeners, lets running requests finish and idle connections go,
// waits at most TerminateWaitTime for that, then closes what is left and
// waits for handlers still running to return.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/vxExceptions.h"
#include "platform/http/vxHttpServerMessages.h"
#include "platform/http/vxTlsSettings.h"

// A listener could not be opened, or the TLS settings cannot be used.
VX_DECLARE_EXCEPTION(EHttpServerError, Exception);

enum TIdIPVersion : uint8_t { Id_IPv4, Id_IPv6 };

struct THttpBinding {
  // A numeric address; empty: every address of the version.
  std::string IP;
  TIdIPVersion IPVersion = Id_IPv4;
  // 0: the server's DefaultPort.
  uint16_t Port = 0;
};

struct THttpServerOptions {
  // The port of bindings without one. 0 picks a free port: the first such
  // binding gets one from the system and the others share it.
  uint16_t DefaultPort = 0;
  // Empty: every IPv4 address on DefaultPort.
  std::vector<THttpBinding> Bindings;
  // Sent as the Server field when not empty.
  std::string ServerSoftware;
  uint32_t TerminateWaitTime = 5000;  // ms
  int32_t MaximumHeaderLineCount = 1024;  // 0 or less: only the byte limit
  int32_t MaxConnections = 0;             // 0 or less: no limit
  size_t MaxHeaderBytes = 64 * 1024;
  uint64_t MaxBodyBytes = 64 * 1024 * 1024;
  uint32_t HeaderTimeoutMs = 30000;
  uint32_t ReadTimeoutMs = 60000;
  uint32_t WriteTimeoutMs = 60000;
  // Threads of the pool; 0: as many as the machine has cores, 2 to 16.
  unsigned ThreadCount = 0;
  // Present: every binding speaks TLS with these settings.
  std::optional<TTlsSettings> Tls;
};

using THttpRequestHandler = std::function<void(const THttpServerRequest&, THttpServerResponse&)>;

class THttpServer {
 public:
  explicit THttpServer(THttpServerOptions Options = {});
  ~THttpServer();
  THttpServer(const THttpServer&) = delete;
  THttpServer& operator=(const THttpServer&) = delete;

  const THttpServerOptions& Options() const;
  // Only while the server is not active; raises EHttpServerError otherwise.
  void SetOptions(THttpServerOptions Options);

  // May be set or replaced at any time; without a handler every request
  // gets 404.
  void SetHandler(THttpRequestHandler Handler);

  // Opens every binding and starts serving. Raises EHttpServerError (and
  // opens nothing) when a binding cannot be opened or TLS cannot be set up.
  void Start();
  void Stop() noexcept;
  bool Active() const;

  // The bindings as opened, with their ports; empty while not active.
  std::vector<THttpBinding> BoundBindings() const;

  // The common reason phrase of a status code ("Not Found"); empty for a
  // code that has none.
  static std::string StandardReason(int StatusCode);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};
