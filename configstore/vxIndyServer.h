// TvxIndy, the server side: a request handler's answer written into the
// server's response (from a status and a content, optionally gzip
// compressed; from a file of the public folder; from a TvxHTTPResponse), and
// the server's request read as a TvxHTTPRequest, as its posted body and as
// its URI. The operations keep no state; calls on different objects may
// run on different threads at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "configstore/vxIndy.h"
#include "configstore/vxNetHttpMessages.h"
#include "platform/base/vxBase.h"
#include "platform/http/vxHttpServerMessages.h"

namespace TvxIndy {

// The reason phrase of a status: the family's own table ("Request-URI Too
// Long. 256 Chars max" for 414, "Non-authoritative Information " with its
// blank for 203), "Unknown" for every code outside it.
std::string GetHTTPStatusText(int32_t HTTPCode);

// The answer: HTTPCode with its reason from the table, ContentType (with
// "; charset=" Charset when Charset is not empty) and Content as the body.
// With Compress the body is Content gzip-compressed at CompressionLevel
// (0 none, 1 fastest, 2 zlib's default, anything else the highest) with
// "Content-Encoding: gzip"; the server writes the length of what is sent.
// True; raises what a step raises.
bool SetHTTPResponse(THttpServerResponse& AResponseInfo, int32_t HTTPCode, const std::string& Content,
                     const ustring& ContentType, const ustring& Charset, bool Compress, int32_t CompressionLevel);
// CustomHeaders are complete header lines ("Name: Value"; a line that
// begins with a blank continues the one before), added in order; then the
// answer above without compression. A line that is no "Name: Value" line
// raises, naming it.
bool SetHTTPResponse(THttpServerResponse& AResponseInfo, int32_t HTTPCode, const std::string& Content,
                     const std::vector<std::string>& CustomHeaders, const ustring& ContentType,
                     const ustring& Charset);
// Serves a file: FileName when it is not empty, else the request's document
// path without its first five characters ("/pub/css/a.css" gives "css/a.css")
// below the public folder (TvxVarlo::GetPubRootPath), every "?" removed.
// Status 200, the MIME type of the file's extension ("text/plain" when
// unknown), an Expires field Expires days ahead; the file is read as it is
// sent. A document path that leads outside the public folder (".."
// segments, also percent-encoded, or a symbolic link pointing out) is
// answered 403 without touching the file, and the result is False. A file
// that cannot be opened raises EOSError.
bool SetHTTPResponse(const THttpServerRequest& ARequestInfo, THttpServerResponse& AResponseInfo,
                     const ustring& FileName, int32_t Expires);
// Every header of AResponse under its dictionary key (the name upper-cased)
// in enumeration order, then the answer with its Code, ContentText,
// ContentType and CharSet, without compression. AResponse is not changed.
bool SetHTTPResponse(THttpServerResponse& AResponseInfo, const TvxHTTPResponse& AResponse);

// The request's body; empty when it has none.
std::string GetPostStreamString(const THttpServerRequest& ARequestInfo);
// The request's path as sent (percent escapes kept), with "?" and the query
// when there is one.
ustring GetRequestURI(const THttpServerRequest& ARequestInfo);
// The request as a new TvxHTTPRequest: method, URI, path and its segments
// (percent-decoded), query text and items, content type and encoding, body,
// host, the peer's address and every header. The query's decoding errors
// ("url expired", "invalid encoding") pass on, and nothing is returned.
std::unique_ptr<TvxHTTPRequest> GetHTTPRequestObject(const THttpServerRequest& ARequestInfo);

}  // namespace TvxIndy
