// The request a server's handler is given and the response it fills in.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/base/vxFileDescriptor.h"
#include "platform/http/vxHttpFields.h"

struct THttpServerRequest {
  // The method as sent (any token: GET, PROPFIND, PURGE, ...).
  std::string Method;
  // The request target as sent, and its parts before and after the first "?".
  std::string Target;
  std::string Path;
  std::string Query;
  int VersionMajor = 1;
  int VersionMinor = 1;
  // The header fields as sent, in order (values without surrounding blanks).
  THttpHeaderFields Headers;
  // The body, de-chunked.
  std::string Body;
  // Where the request came from and arrived; whether it came over TLS.
  std::string PeerAddress;
  uint16_t PeerPort = 0;
  std::string LocalAddress;
  uint16_t LocalPort = 0;
  bool Tls = false;

  // The first field named Name (compared as field names are), or empty.
  std::string Header(std::string_view Name) const { return vxHttpFields::Value(Headers, Name); }
};

class THttpServerResponse {
 public:
  int StatusCode = 200;
  // Sent as it is; empty: the common phrase of the status code.
  std::string ReasonPhrase;
  // Sent in order. Content-Length, Transfer-Encoding and Connection are the
  // server's: it writes them from the body and the connection's state (a
  // Content-Length given for a HEAD request is kept). Date and Server are
  // added when missing.
  THttpHeaderFields Headers;
  // The body, unless a file is set.
  std::string Body;

  void AddHeader(std::string Name, std::string Value) { Headers.push_back({std::move(Name), std::move(Value)}); }
  // Replaces every field named Name by one.
  void SetHeader(const std::string& Name, std::string Value);

  // Sends the file at Path as the body, read as it is written. The file is
  // opened here: raises EOSError when it cannot be.
  void SetBodyFile(const std::string& Path);
  bool HasBodyFile() const { return FBodyFile != nullptr; }
  // For the server: the open file (or nullptr) and its size.
  const TFileDescriptor* BodyFile() const { return FBodyFile.get(); }
  uint64_t BodyFileSize() const { return FBodyFileSize; }

 private:
  std::shared_ptr<TFileDescriptor> FBodyFile;
  uint64_t FBodyFileSize = 0;
};
