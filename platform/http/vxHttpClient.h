// An HTTP/1.1 client on libcurl: one client holds one transfer handle and
// its kept-alive connections, and runs one transfer at a time (a client is
// not to be shared between threads; make one per thread).
//
// Every wait is bounded: connecting (the TLS handshake included) by
// ConnectTimeout, and every stretch without data in either direction by
// ReadTimeout, both in milliseconds (0 or less: 5000 and 300000). No proxy
// is used. Only http and https are spoken, also on redirects.
//
// TLS: with Tls set, every TLS connection follows it (vxTlsSettings.h; the
// host name is checked whenever the peer's certificate is verified);
// without, https URLs are served with the system's trusted certificates
// and full verification.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/vxExceptions.h"
#include "platform/http/vxHttpFields.h"
#include "platform/http/vxTlsSettings.h"

// A transfer that failed before a complete response arrived: Kind tells
// why, Cause more closely. The text is libcurl's description with the URL.
class EHttpClientError : public Exception {
 public:
  enum class TKind {
    Connect,   // the host could not be resolved or reached
    Timeout,   // ConnectTimeout or ReadTimeout ran out
    Tls,       // the handshake or the peer's certificate failed
    Aborted,   // the caller's body source, sink or progress callback stopped it
    Protocol,  // anything else: a malformed response, a reset connection, ...
  };
  enum class TCause {
    NameNotResolved,
    CannotConnect,
    Timeout,
    TlsHandshake,
    Certificate,      // the peer's certificate is not trusted or does not fit
    InvalidUrl,
    UnsupportedScheme,
    Aborted,
    ConnectionClosed,  // the peer closed or reset before the response was whole
    InvalidResponse,
    TooManyRedirects,
    Other,
  };
  EHttpClientError(TKind Kind, const std::string& Utf8Message, TCause Cause = TCause::Other)
      : Exception(Utf8Message), Kind(Kind), Cause(Cause) {}
  const char* ClassName() const noexcept override { return "EHttpClientError"; }
  TKind Kind;
  TCause Cause;
};

struct THttpClientOptions {
  int32_t ConnectTimeout = 5000;
  int32_t ReadTimeout = 300000;
  bool HandleRedirects = false;
  int32_t RedirectMaximum = 2;
  // Cookies the server sets are sent back on later transfers of the client.
  bool AllowCookies = false;
  // Kept with the options; credentials are not sent by this client.
  int32_t MaxAuthRetries = 1;
  // The local address and port of connections: BoundPort when not 0, else
  // a port from BoundPortMin to BoundPortMax when BoundPortMin is not 0.
  std::string BoundIP;
  uint16_t BoundPort = 0;
  uint16_t BoundPortMin = 0;
  uint16_t BoundPortMax = 0;
  std::optional<TTlsSettings> Tls;
  // Sent as User-Agent when not empty.
  std::string UserAgent;
  // Take the proxy from the environment (http_proxy, https_proxy, no_proxy,
  // as libcurl reads them) instead of going direct.
  bool ProxyFromEnvironment = false;
  // False: a body never waits for "100 Continue" ("Expect" is not sent);
  // true: only bodies of 1 MiB or more do.
  bool ExpectContinue = true;
};

struct THttpClientRequest {
  std::string Method = "GET";
  std::string Url;
  // Sent in order, after the client's own fields; a field given here
  // replaces the client's field of that name.
  THttpHeaderFields Headers;
  // The body, sent when present (also when empty: "Content-Length: 0").
  std::optional<std::string> Body;
  // A body read in pieces instead: Read fills up to Size bytes of Buffer
  // and gives how many, 0 at the end, or AbortTransfer to stop. With
  // BodySize -1 the body goes chunked.
  std::function<size_t(char* Buffer, size_t Size)> BodySource;
  int64_t BodySize = -1;
  static constexpr size_t AbortTransfer = static_cast<size_t>(-1);
  // Receives the response body in pieces instead of Response.Body.
  std::function<void(std::string_view Piece)> BodySink;
  // Called as bytes move; false stops the transfer.
  std::function<bool(uint64_t Received, uint64_t ReceiveTotal, uint64_t Sent, uint64_t SendTotal)> Progress;
};

struct THttpClientResponse {
  int32_t StatusCode = 0;
  std::string ReasonPhrase;
  // "HTTP/1.1 200 OK" as received.
  std::string StatusLine;
  // The fields of the final response (after redirects and "100 Continue"),
  // as received and in order.
  THttpHeaderFields Headers;
  std::string Body;
  // The URL of the final response.
  std::string EffectiveUrl;

  std::string Header(std::string_view Name) const { return vxHttpFields::Value(Headers, Name); }
};

class THttpClient {
 public:
  // Raises ETlsError when Options.Tls cannot be used (see vxTlsSettings).
  explicit THttpClient(THttpClientOptions Options = {});
  ~THttpClient();
  THttpClient(const THttpClient&) = delete;
  THttpClient& operator=(const THttpClient&) = delete;

  const THttpClientOptions& Options() const;

  // Runs one transfer. A response of any status is a result, not an error;
  // raises EHttpClientError when no complete response arrives, and passes
  // on what the caller's callbacks raise. Response holds what arrived
  // before an error (status and fields).
  THttpClientResponse Perform(const THttpClientRequest& Request);
  void Perform(const THttpClientRequest& Request, THttpClientResponse& Response);

  // Closes the kept-alive connections; cookies stay.
  void Disconnect();

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};
