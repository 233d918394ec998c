// TvxIndy: the operations of the network unit on the HTTP layer: the
// readers of the TLS option texts of the configuration (method, version
// set, mode, verify flags) and of an address's IP version, and the client
// transfers (GET, PUT, POST) through a client of GlobalClassFactory. The
// server side's answers and request objects are in vxIndyServer.h.
#pragma once

#include <cstdint>
#include <string>

#include "core/vxTypes.h"
#include "platform/base/vxBase.h"
#include "platform/files/vxStream.h"
#include "platform/http/vxHttpServer.h"
#include "platform/http/vxTlsSettings.h"

namespace TvxIndy {

// ---- Readers of option texts ----
// The texts are compared after UpperStrW; an unknown text never fails, it
// takes the reader's fallback.

// "SSLv2", "SSLv23", "SSLv3", "TLSv1", "TLSv1_1", "TLSv1_2" in any case,
// compared whole; anything else (the empty text too) gives sslvTLSv1_1.
TIdSSLVersion GetSSLMethod(const ustring& Method);

// Every "[" and "]" removed, the rest split at "," (pieces kept as they
// are, empty ones included) and each read by GetSSLMethod: '[]' gives the
// empty set, 'TLSv1_2, TLSv1' gives TLSv1_1 and TLSv1_2 (the blank spoils a
// piece). The empty text gives [sslvTLSv1_1].
TIdSSLVersions GetSSLVersions(const ustring& Versions);

// "UNASSIGNED", "SERVER", "CLIENT", "BOTH"; anything else gives sslmServer.
TIdSSLMode GetSSLMode(const ustring& Mode);

// The flags whose names occur anywhere in the text: "VRFPEER",
// "VRFFAILIFNOPEERCERT", "VRFCLIENTONCE" ('[sslvrfPeer,sslvrfClientOnce]').
TIdSSLVerifyModeSet GetSSLVerifyMode(const ustring& Mode);

// Id_IPv6 when the address holds a ":", else Id_IPv4 (the empty text too).
TIdIPVersion GetIPVersion(const std::string& IP);

// ---- Client transfers ----
// Each call makes its own client with GlobalClassFactory's CreateHttpClient
// for AUrl (its time-outs, redirects, cookies and TLS settings) and frees it
// before it returns; calls may run on several threads at once. AUrl is sent
// as UTF-8. Bodies that come from or go to a stream are streamed: memory
// does not grow with their size.
//
// ResponseCode receives the status (0 when none arrived); RawHeader, with
// vxHHT_Raw, every header line of the final response ("Name: Value", the
// status line not among them), with vxHHT_Custom those that the client keeps
// no field of its own for (CustomHeaderNames below), as lines joined by
// CR LF; any other HeaderType leaves RawHeader. Both are set also when the
// call raises. A status whose decimal text does not begin with "2" raises
// Exception "HTTP response code 404 - Not Found" (the code and the reason
// phrase of the response); a transfer that fails raises EHttpClientError
// of the HTTP layer as it is. Without GlobalClassFactory every call raises.

// The response header fields that the client holds as fields of its own
// and vxHHT_Custom therefore leaves out (compared without case).
bool IsClientFieldName(const std::string& Name);

std::string HTTPGet(const ustring& AUrl, int32_t& ResponseCode, std::string& RawHeader, TvxHTTPHeaderType HeaderType);
// The body is written to FileStream from its position; True when the
// status passed. The body of a status outside 2xx is not written; when the
// transfer fails midway, FileStream holds what arrived before.
bool HTTPGet(const ustring& AUrl, TStream& FileStream, int32_t& ResponseCode, std::string& RawHeader,
             TvxHTTPHeaderType HeaderType);
std::string HTTPGet(const ustring& AUrl, int32_t& ResponseCode);
std::string HTTPGet(const ustring& AUrl);

// ContentStream is sent whole, from its first byte (whatever its position),
// with ContentType as the Content-Type field when it is not empty.
std::string HTTPPut(const ustring& AUrl, TStream& ContentStream, const ustring& ContentType, int32_t& ResponseCode,
                    std::string& RawHeader, TvxHTTPHeaderType HeaderType);
std::string HTTPPut(const ustring& AUrl, TStream& ContentStream, const ustring& ContentType, int32_t& ResponseCode);
std::string HTTPPut(const ustring& AUrl, const std::string& ContentStr, const ustring& ContentType,
                    int32_t& ResponseCode, std::string& RawHeader, TvxHTTPHeaderType HeaderType);
std::string HTTPPut(const ustring& AUrl, const std::string& ContentStr, const ustring& ContentType,
                    int32_t& ResponseCode);

// The redirect and time-out settings of a caller that sets its own for a
// transfer instead of the factory's; TLS, binding and cookies stay the
// factory's.
struct TvxHTTPTransferSettings {
  bool HandleRedirects = false;
  int32_t RedirectMaximum = 0;
  int32_t ConnectTimeout = 5000;  // ms
  int32_t ReadTimeout = 300000;   // ms
};
// HTTPPut of ContentStr with Settings; StatusText receives the response's
// status line ("HTTP/1.1 201 Created"), also when the call raises.
std::string HTTPPut(const ustring& AUrl, const std::string& ContentStr, const ustring& ContentType,
                    const TvxHTTPTransferSettings& Settings, int32_t& ResponseCode, std::string& StatusText);

std::string HTTPPost(const ustring& AUrl, TStream& ContentStream, const ustring& ContentType, int32_t& ResponseCode,
                     std::string& RawHeader, TvxHTTPHeaderType HeaderType);
std::string HTTPPost(const ustring& AUrl, TStream& ContentStream, const ustring& ContentType, int32_t& ResponseCode);
std::string HTTPPost(const ustring& AUrl, const std::string& ContentStr, const ustring& ContentType,
                     int32_t& ResponseCode, std::string& RawHeader, TvxHTTPHeaderType HeaderType);
std::string HTTPPost(const ustring& AUrl, const std::string& ContentStr, const ustring& ContentType,
                     int32_t& ResponseCode);

// Runs OpenSSL's initialisation again; True when it succeeds. OpenSSL 3
// keeps no state to unload, so there is nothing to unload first; no TLS
// connection of the process should be in use meanwhile.
bool ReInitializeSSL();

}  // namespace TvxIndy
