// The server's reader of HTTP/1.x requests: bytes go in as they arrive,
// complete requests come out, one after the other (pipelined requests
// included). Every limit is checked before memory is spent on it: a header
// larger than MaxHeaderBytes or with more than MaxHeaderLines fields gives
// 431, a body (declared or chunked) larger than MaxBodyBytes gives 413, a
// malformed request line, field or framing gives 400, a version other than
// 1.x gives 505. After a failure the connection is to be closed: the
// reader takes nothing more.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/http/vxHttpServerMessages.h"

class THttpRequestReader {
 public:
  struct TLimits {
    size_t MaxHeaderBytes = 64 * 1024;  // request line and fields
    size_t MaxHeaderLines = 1024;       // fields; 0: only the byte limit
    uint64_t MaxBodyBytes = 64 * 1024 * 1024;
  };

  explicit THttpRequestReader(const TLimits& Limits);
  ~THttpRequestReader();
  THttpRequestReader(const THttpRequestReader&) = delete;
  THttpRequestReader& operator=(const THttpRequestReader&) = delete;

  // Takes Data (which may be empty: bytes kept from before are parsed
  // then). Bytes after a complete request are kept for the next one.
  void Feed(std::string_view Data);
  // The peer closed its side: a request begun and not complete fails.
  void FeedEnd();

  // Nothing of the next request has arrived yet.
  bool Idle() const;
  bool HeaderComplete() const;
  bool Complete() const;
  bool Failed() const;
  // The status to answer a failure with, and what went wrong.
  int FailureStatus() const;
  const std::string& FailureText() const;

  // The header is complete, the body is still to come and the client waits
  // for "100 Continue" before sending it.
  bool ExpectsContinue() const;
  // Whether the connection may carry another request after this one's
  // response (HTTP/1.1 without "Connection: close", or HTTP/1.0 with
  // "Connection: keep-alive").
  bool KeepAlive() const;

  // The complete request; the reader starts on the next one (call Feed
  // with no data to parse bytes already kept).
  THttpServerRequest TakeRequest();

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};
