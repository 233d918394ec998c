// TvxIndy: the client transfers (GET, PUT and POST through a client of the
// process's class factory) and the TLS library's re-initialisation.
#include <array>

#include "configstore/vxClassFactory.h"
#include "configstore/vxIndy.h"
#include "platform/base/vxCodePage.h"
#include "platform/http/vxHttpClient.h"
#include "platform/http/vxTlsSettings.h"
#include "platform/text/vxNumberText.h"

namespace TvxIndy {

namespace {

constexpr int64_t StreamChunk = 64 * 1024;

std::unique_ptr<THttpClient> MakeClient(const ustring& AUrl, const TvxHTTPTransferSettings* Settings) {
  if (!GlobalClassFactory) throw Exception("no HTTP client can be made: the class factory is not there");
  std::unique_ptr<THttpClient> client = GlobalClassFactory->CreateHttpClient(AUrl);
  if (Settings == nullptr) return client;
  THttpClientOptions options = client->Options();
  options.HandleRedirects = Settings->HandleRedirects;
  options.RedirectMaximum = Settings->RedirectMaximum;
  options.ConnectTimeout = Settings->ConnectTimeout;
  options.ReadTimeout = Settings->ReadTimeout;
  return std::make_unique<THttpClient>(std::move(options));
}

std::string HeaderText(const THttpClientResponse& Response, TvxHTTPHeaderType HeaderType) {
  std::string text;
  for (const THttpHeaderField& field : Response.Headers) {
    if (HeaderType == vxHHT_Custom && IsClientFieldName(field.Name)) continue;
    if (!text.empty()) text += "\r\n";
    text += field.Name + ": " + field.Value;
  }
  return text;
}

// One transfer: the response code and header text are handed back whether
// the transfer raises or not; a status outside 2xx raises afterwards.
void Transfer(const ustring& AUrl, THttpClientRequest& Request, THttpClientResponse& response,
              int32_t& ResponseCode, std::string& RawHeader, TvxHTTPHeaderType HeaderType, std::string* Body,
              const TvxHTTPTransferSettings* Settings = nullptr, std::string* StatusText = nullptr) {
  const std::unique_ptr<THttpClient> client = MakeClient(AUrl, Settings);
  Request.Url = WideToUtf8(AUrl);
  const auto handBack = [&] {
    ResponseCode = response.StatusCode;
    if (StatusText != nullptr) *StatusText = response.StatusLine;
    if (HeaderType == vxHHT_Custom || HeaderType == vxHHT_Raw) RawHeader = HeaderText(response, HeaderType);
  };
  try {
    client->Perform(Request, response);
  } catch (...) {
    handBack();
    throw;
  }
  handBack();
  const std::string code = vxNumberText::IntText(response.StatusCode);
  if (code.front() != '2') throw Exception("HTTP response code " + code + " - " + response.ReasonPhrase);
  if (Body != nullptr) *Body = std::move(response.Body);
  client->Disconnect();
}

std::string Send(const char* Method, const ustring& AUrl, TStream& ContentStream, const ustring& ContentType,
                 int32_t& ResponseCode, std::string& RawHeader, TvxHTTPHeaderType HeaderType) {
  THttpClientRequest request;
  request.Method = Method;
  if (!ContentType.empty()) request.Headers.push_back({"Content-Type", WideToUtf8(ContentType)});
  ContentStream.SetPosition(0);
  request.BodySize = ContentStream.Size();
  request.BodySource = [&ContentStream](char* buffer, size_t size) {
    return static_cast<size_t>(ContentStream.Read(buffer, static_cast<int64_t>(std::min<size_t>(size, StreamChunk))));
  };
  THttpClientResponse response;
  std::string body;
  Transfer(AUrl, request, response, ResponseCode, RawHeader, HeaderType, &body);
  return body;
}

std::string Send(const char* Method, const ustring& AUrl, const std::string& ContentStr, const ustring& ContentType,
                 int32_t& ResponseCode, std::string& RawHeader, TvxHTTPHeaderType HeaderType) {
  THttpClientRequest request;
  request.Method = Method;
  if (!ContentType.empty()) request.Headers.push_back({"Content-Type", WideToUtf8(ContentType)});
  request.Body = ContentStr;
  THttpClientResponse response;
  std::string body;
  Transfer(AUrl, request, response, ResponseCode, RawHeader, HeaderType, &body);
  return body;
}

}  // namespace

bool IsClientFieldName(const std::string& Name) {
  static constexpr std::array<std::string_view, 22> names = {
      "Accept-Ranges",    "Age",           "Cache-Control",       "Connection",       "Content-Disposition",
      "Content-Encoding", "Content-Language", "Content-Length",   "Content-Range",    "Content-Type",
      "Content-Version",  "Date",          "ETag",                "Expires",          "Last-Modified",
      "Location",         "Pragma",        "Proxy-Authenticate",  "Server",           "Set-Cookie",
      "Transfer-Encoding", "WWW-Authenticate"};
  for (const std::string_view name : names)
    if (vxHttpFields::SameName(Name, name)) return true;
  return false;
}

std::string HTTPGet(const ustring& AUrl, int32_t& ResponseCode, std::string& RawHeader, TvxHTTPHeaderType HeaderType) {
  THttpClientRequest request;
  THttpClientResponse response;
  std::string body;
  Transfer(AUrl, request, response, ResponseCode, RawHeader, HeaderType, &body);
  return body;
}

bool HTTPGet(const ustring& AUrl, TStream& FileStream, int32_t& ResponseCode, std::string& RawHeader,
             TvxHTTPHeaderType HeaderType) {
  // The body of a failing status is no download: it stays out of the file.
  THttpClientRequest request;
  THttpClientResponse response;
  request.BodySink = [&FileStream, &response](std::string_view piece) {
    const size_t code = response.StatusLine.find(' ');
    if (code != std::string::npos && response.StatusLine.compare(code + 1, 1, "2") == 0)
      FileStream.WriteBuffer(piece.data(), static_cast<int64_t>(piece.size()));
  };
  Transfer(AUrl, request, response, ResponseCode, RawHeader, HeaderType, nullptr);
  return true;
}

std::string HTTPGet(const ustring& AUrl, int32_t& ResponseCode) {
  std::string header;
  return HTTPGet(AUrl, ResponseCode, header, vxHHT_Raw);
}

std::string HTTPGet(const ustring& AUrl) {
  int32_t code = 0;
  return HTTPGet(AUrl, code);
}

std::string HTTPPut(const ustring& AUrl, TStream& ContentStream, const ustring& ContentType, int32_t& ResponseCode,
                    std::string& RawHeader, TvxHTTPHeaderType HeaderType) {
  return Send("PUT", AUrl, ContentStream, ContentType, ResponseCode, RawHeader, HeaderType);
}

std::string HTTPPut(const ustring& AUrl, TStream& ContentStream, const ustring& ContentType, int32_t& ResponseCode) {
  std::string header;
  return HTTPPut(AUrl, ContentStream, ContentType, ResponseCode, header, vxHHT_Raw);
}

std::string HTTPPut(const ustring& AUrl, const std::string& ContentStr, const ustring& ContentType,
                    int32_t& ResponseCode, std::string& RawHeader, TvxHTTPHeaderType HeaderType) {
  return Send("PUT", AUrl, ContentStr, ContentType, ResponseCode, RawHeader, HeaderType);
}

std::string HTTPPut(const ustring& AUrl, const std::string& ContentStr, const ustring& ContentType,
                    int32_t& ResponseCode) {
  std::string header;
  return HTTPPut(AUrl, ContentStr, ContentType, ResponseCode, header, vxHHT_Raw);
}

std::string HTTPPut(const ustring& AUrl, const std::string& ContentStr, const ustring& ContentType,
                    const TvxHTTPTransferSettings& Settings, int32_t& ResponseCode, std::string& StatusText) {
  THttpClientRequest request;
  request.Method = "PUT";
  if (!ContentType.empty()) request.Headers.push_back({"Content-Type", WideToUtf8(ContentType)});
  request.Body = ContentStr;
  std::string body, header;
  THttpClientResponse response;
  Transfer(AUrl, request, response, ResponseCode, header, vxHHT_Raw, &body, &Settings, &StatusText);
  return body;
}

std::string HTTPPost(const ustring& AUrl, TStream& ContentStream, const ustring& ContentType, int32_t& ResponseCode,
                     std::string& RawHeader, TvxHTTPHeaderType HeaderType) {
  return Send("POST", AUrl, ContentStream, ContentType, ResponseCode, RawHeader, HeaderType);
}

std::string HTTPPost(const ustring& AUrl, TStream& ContentStream, const ustring& ContentType, int32_t& ResponseCode) {
  std::string header;
  return HTTPPost(AUrl, ContentStream, ContentType, ResponseCode, header, vxHHT_Raw);
}

std::string HTTPPost(const ustring& AUrl, const std::string& ContentStr, const ustring& ContentType,
                     int32_t& ResponseCode, std::string& RawHeader, TvxHTTPHeaderType HeaderType) {
  return Send("POST", AUrl, ContentStr, ContentType, ResponseCode, RawHeader, HeaderType);
}

std::string HTTPPost(const ustring& AUrl, const std::string& ContentStr, const ustring& ContentType,
                     int32_t& ResponseCode) {
  std::string header;
  return HTTPPost(AUrl, ContentStr, ContentType, ResponseCode, header, vxHHT_Raw);
}

bool ReInitializeSSL() { return vxTlsSettings::InitializeLibrary(); }

}  // namespace TvxIndy
