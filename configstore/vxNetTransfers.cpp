// TvxNet: the plain HTTP transfers, each one transfer of the HTTP layer's
// client set up as the family's plain transfers behave, with libcurl's
// failures told in WinInet's error numbers.
#include "configstore/vxNetTransfers.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "configstore/vxClassFactory.h"
#include "platform/base/vxCodePage.h"
#include "platform/files/vxStream.h"
#include "platform/http/vxHttpClient.h"
#include "platform/text/vxNumberText.h"

namespace TvxNet {

namespace {

using TCause = EHttpClientError::TCause;

constexpr size_t ChunkSize = 4096;
constexpr uint32_t InvalidParameter = 87;

struct TTransferError {
  uint32_t Code;
  const char* Text;
};

// WinInet's numbers for the failures of a transfer.
TTransferError TransferError(TCause Cause) {
  switch (Cause) {
    case TCause::Timeout: return {12002, "the operation timed out"};
    case TCause::InvalidUrl: return {12005, "the URL is invalid"};
    case TCause::UnsupportedScheme: return {12006, "the URL scheme is not supported"};
    case TCause::NameNotResolved: return {12007, "the server name could not be resolved"};
    case TCause::Aborted: return {12017, "the operation was cancelled"};
    case TCause::CannotConnect: return {12029, "the server refused the connection"};
    case TCause::ConnectionClosed: return {12030, "the connection was closed before the response was whole"};
    case TCause::Certificate: return {12045, "the server's certificate is not trusted"};
    case TCause::InvalidResponse: return {12152, "the server's response is invalid"};
    case TCause::TooManyRedirects: return {12156, "the redirection failed"};
    case TCause::TlsHandshake: return {12157, "the secure channel could not be set up"};
    case TCause::Other: break;
  }
  return {12004, "an internal error occurred"};
}

// The client of one transfer: the factory's time-outs, the environment's
// proxy, redirects followed, the system's trust.
std::unique_ptr<THttpClient> MakeClient() {
  THttpClientOptions options;
  if (GlobalClassFactory) {
    const TvxHttpClientOptions factory = GlobalClassFactory->HttpClientOptions;
    options.ConnectTimeout = factory.ConnectTimeout;
    options.ReadTimeout = factory.ReadTimeout;
  }
  options.HandleRedirects = true;
  options.RedirectMaximum = 10;
  options.UserAgent = "VARLO 5.2";
  options.ProxyFromEnvironment = true;
  options.ExpectContinue = false;
  if (const char* trust = std::getenv("SSL_CERT_FILE"); trust != nullptr && *trust != '\0') {
    TTlsSettings tls;
    tls.RootCertFile = trust;
    tls.Method = sslvSSLv23;
    tls.SSLVersions = {};
    tls.VerifyMode = {sslvrfPeer};
    tls.VerifyDepth = 9;
    options.Tls = std::move(tls);
  }
  return std::make_unique<THttpClient>(std::move(options));
}

// The lines of a request header text; raises Failure with
// ERROR_INVALID_PARAMETER for a line that is no "Name: Value" line.
THttpHeaderFields RequestFields(const std::string& Header, const std::string& Failure) {
  THttpHeaderFields fields;
  size_t from = 0;
  while (from < Header.size()) {
    size_t end = Header.find('\n', from);
    if (end == std::string::npos) end = Header.size();
    std::string_view line(Header.data() + from, end - from);
    from = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    const size_t colon = line.find(':');
    THttpHeaderField field;
    if (colon != std::string_view::npos) {
      field.Name = std::string(line.substr(0, colon));
      std::string_view value = line.substr(colon + 1);
      while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
      field.Value = std::string(value);
    }
    if (colon == std::string_view::npos || !vxHttpFields::IsSafeName(field.Name) ||
        !vxHttpFields::IsSafeValue(field.Value))
      throw Exception(Failure + vxNumberText::IntText(InvalidParameter));
    fields.push_back(std::move(field));
  }
  return fields;
}

// The status line and the fields of the final response, each line ending
// with CR LF; empty when no response arrived.
std::string ResponseHeaderText(const THttpClientResponse& Response) {
  if (Response.StatusLine.empty()) return {};
  std::string text = Response.StatusLine + "\r\n";
  for (const THttpHeaderField& field : Response.Headers) text += field.Name + ": " + field.Value + "\r\n";
  return text;
}

// The URL of the uploads: the scheme, AUrl's server, its port (0: the
// scheme's) and its path with the query.
std::string UploadUrl(const ustring& AUrl) {
  const bool https = IsHTTPSUrl(AUrl);
  uint16_t port = GetPortFromUrl(AUrl);
  if (port == 0) port = https ? 443 : 80;
  return std::string(https ? "https://" : "http://") + WideToAnsi(GetServerFromUrl(AUrl)) + ":" +
         vxNumberText::IntText(port) + WideToAnsi(GetPathFromUrl(AUrl));
}

// Runs Request; a failed transfer raises Failure with its WinInet number.
void Perform(THttpClientRequest& Request, THttpClientResponse& Response, const std::string& Failure) {
  Request.Headers.push_back({"Pragma", "no-cache"});
  try {
    MakeClient()->Perform(Request, Response);
  } catch (const EHttpClientError& e) {
    throw Exception(Failure + vxNumberText::IntText(TransferError(e.Cause).Code));
  }
}

}  // namespace

std::string HTTPGet(const ustring& AUrl, int32_t& AResponseCode, const std::string& ARequestHeader,
                    std::string& AResponseHeader) {
  AResponseCode = 0;
  const std::string failure = "internet open url exception code ";
  THttpClientRequest request;
  request.Url = WideToAnsi(AUrl);
  request.Headers = RequestFields(ARequestHeader, failure);
  THttpClientResponse response;
  Perform(request, response, failure);
  AResponseHeader = ResponseHeaderText(response);
  AResponseCode = response.StatusCode;
  return std::move(response.Body);
}

std::string HTTPGet(const ustring& AUrl, int32_t& AResponseCode) {
  std::string header;
  return HTTPGet(AUrl, AResponseCode, "", header);
}

bool HTTPPutFile(const ustring& AUrl, const ustring& AFile, int32_t& AResponseCode, std::string& AResponseHeader,
                 TvxHTTPProgressProc Progress, bool DelFile) {
  AResponseCode = 0;
  const std::string url = UploadUrl(AUrl);
  std::optional<TFileStream> file;
  try {
    file.emplace(AFile, fmOpenRead | fmShareExclusive);
  } catch (const EFOpenError& e) {
    throw Exception("file handle exception code " + vxNumberText::IntText(e.ErrorCode));
  }
  const int64_t size = file->Size();
  if (size >= (int64_t{1} << 32))
    throw Exception("the file \"" + WideToUtf8(AFile) + "\" is 4 GiB or larger; uploads take files below 4 GiB");
  const auto total = static_cast<uint32_t>(size);

  uint32_t sent = 0;
  bool abort = false;
  THttpClientRequest request;
  request.Method = "PUT";
  request.Url = url;
  request.BodySize = size;
  request.BodySource = [&](char* buffer, size_t room) -> size_t {
    if (abort) return THttpClientRequest::AbortTransfer;
    const auto n = static_cast<size_t>(file->Read(buffer, static_cast<int64_t>(std::min(room, ChunkSize))));
    if (n == 0) return 0;
    sent += static_cast<uint32_t>(n);
    if (Progress != nullptr) Progress(AFile, sent, total, abort);
    return n;
  };
  THttpClientResponse response;
  try {
    request.Headers.push_back({"Pragma", "no-cache"});
    MakeClient()->Perform(request, response);
  } catch (const EHttpClientError& e) {
    AResponseHeader = ResponseHeaderText(response);
    if (abort && e.Cause == TCause::Aborted) return false;
    const TTransferError error = TransferError(e.Cause);
    throw Exception("http response code " + vxNumberText::IntText(error.Code) + " (" + error.Text + ")");
  }
  AResponseHeader = ResponseHeaderText(response);
  AResponseCode = response.StatusCode;
  file.reset();
  if (DelFile && CheckHTTPResponseCode(AResponseCode)) {
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(WideToUtf8(AFile)), ignored);
  }
  return sent == total;
}

bool HTTPPutFile(const ustring& AUrl, const ustring& AFile, int32_t& AResponseCode, TvxHTTPProgressProc Progress,
                 bool DelFile) {
  std::string header;
  return HTTPPutFile(AUrl, AFile, AResponseCode, header, Progress, DelFile);
}

std::string HTTPPutBuffer(const ustring& AUrl, const std::string& ABuffer, int32_t& AResponseCode,
                          const std::string& ARequestHeader, std::string& AResponseHeader,
                          const std::string& ACommand) {
  AResponseCode = 0;
  const std::string failure = "http send request exception code ";
  if (!vxHttpFields::IsSafeName(ACommand))
    throw Exception("internet open request exception code " + vxNumberText::IntText(InvalidParameter));
  THttpClientRequest request;
  request.Method = ACommand;
  request.Url = UploadUrl(AUrl);
  request.Headers = RequestFields(ARequestHeader, failure);
  request.Body = ABuffer;
  THttpClientResponse response;
  Perform(request, response, failure);
  AResponseCode = response.StatusCode;
  AResponseHeader = ResponseHeaderText(response);
  return std::move(response.Body);
}

std::string HTTPPutBuffer(const ustring& AUrl, const std::string& ABuffer, int32_t& AResponseCode) {
  std::string header;
  return HTTPPutBuffer(AUrl, ABuffer, AResponseCode, "", header, "PUT");
}

bool CheckHTTPResponseCode(int32_t Code) { return Code / 100 == 2; }

}  // namespace TvxNet
