// TvxIndy, the server side: answers written into the server's response and
// the server's request read into the system's message objects.
#include "configstore/vxIndyServer.h"

#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "configstore/vxNet.h"
#include "core/vxAnsiStringList.h"
#include "core/vxDateTimeStamps.h"
#include "core/vxFilesZip.h"
#include "core/vxStringsReplace.h"
#include "foundation/vxVarlo.h"
#include "platform/base/vxCodePage.h"
#include "platform/files/vxZlib.h"

namespace TvxIndy {

namespace {

int ZlibLevel(int32_t CompressionLevel) {
  switch (CompressionLevel) {
    case 0: return 0;
    case 1: return 1;
    case 2: return -1;
    default: return 9;
  }
}

std::string_view TrimBytes(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  return text;
}

// "Name: Value" into a field; raises for anything else.
THttpHeaderField HeaderLineField(const std::string& Line) {
  const size_t colon = Line.find(':');
  THttpHeaderField field;
  if (colon != std::string::npos) {
    field.Name = std::string(TrimBytes(std::string_view(Line).substr(0, colon)));
    field.Value = std::string(TrimBytes(std::string_view(Line).substr(colon + 1)));
  }
  if (colon == std::string::npos || !vxHttpFields::IsSafeName(field.Name) || !vxHttpFields::IsSafeValue(field.Value))
    throw Exception("the header line \"" + Line + "\" is no \"Name: Value\" line");
  return field;
}

// The lines of one custom header text: CR LF or LF ends a line, and a line
// that begins with a blank or a tab continues the line before it.
std::vector<std::string> UnfoldedLines(const std::string& Text) {
  std::vector<std::string> lines;
  size_t from = 0;
  while (from <= Text.size()) {
    size_t end = Text.find('\n', from);
    if (end == std::string::npos) end = Text.size();
    std::string line = Text.substr(from, end - from);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && (line.front() == ' ' || line.front() == '\t') && !lines.empty())
      lines.back() += " " + std::string(TrimBytes(line));
    else if (!line.empty())
      lines.push_back(std::move(line));
    from = end + 1;
  }
  return lines;
}

// The file below the public folder that the document path names, or
// nothing when the path leads out of it.
std::optional<std::filesystem::path> PublicFile(const std::string& DocumentPath) {
  namespace fs = std::filesystem;
  std::string relative = WideToUtf8(TvxNet::PercentDecode(DocumentPath.size() > 5 ? DocumentPath.substr(5) : ""));
  std::erase(relative, '?');
  if (relative.find('\0') != std::string::npos) return std::nullopt;
  while (!relative.empty() && relative.front() == '/') relative.erase(0, 1);
  std::error_code error;
  const fs::path root = fs::weakly_canonical(fs::path(WideToUtf8(TvxVarlo::GetPubRootPath())), error);
  if (error) return std::nullopt;
  const auto inside = [&root](const fs::path& path) {
    const fs::path rest = path.lexically_relative(root);
    return !rest.empty() && *rest.begin() != "..";
  };
  const fs::path lexical = (root / relative).lexically_normal();
  if (!inside(lexical)) return std::nullopt;
  // Symbolic links are followed as the file would be opened.
  const fs::path resolved = fs::weakly_canonical(lexical, error);
  if (error || !inside(resolved)) return std::nullopt;
  return resolved;
}

}  // namespace

std::string GetHTTPStatusText(int32_t HTTPCode) {
  static const std::pair<int32_t, const char*> texts[] = {
      {200, "OK"},
      {201, "Created"},
      {202, "Accepted"},
      {203, "Non-authoritative Information "},
      {204, "No Content"},
      {205, "Reset Content "},
      {206, "Partial Content"},
      {301, "Moved Permanently"},
      {302, "Moved Temporarily"},
      {303, "See Other"},
      {304, "Not Modified"},
      {305, "Use Proxy"},
      {400, "Bad Request"},
      {401, "Unauthorized"},
      {402, "Payment Required"},
      {403, "Forbidden"},
      {404, "Not Found"},
      {405, "Method not allowed"},
      {406, "Not Acceptable"},
      {407, "Proxy Authentication Required"},
      {408, "Request Timeout"},
      {409, "Conflict"},
      {410, "Gone"},
      {411, "Length Required"},
      {412, "Precondition Failed"},
      {413, "Request Entity Too Long"},
      {414, "Request-URI Too Long. 256 Chars max"},
      {415, "Unsupported Media Type"},
      {500, "Internal Server Error"},
      {501, "Not Implemented"},
      {502, "Bad Gateway"},
      {503, "Service Unavailable"},
      {504, "Gateway timeout"},
      {505, "HTTP version not supported"},
  };
  for (const auto& [code, text] : texts)
    if (code == HTTPCode) return text;
  return "Unknown";
}

bool SetHTTPResponse(THttpServerResponse& AResponseInfo, int32_t HTTPCode, const std::string& Content,
                     const ustring& ContentType, const ustring& Charset, bool Compress, int32_t CompressionLevel) {
  AResponseInfo.StatusCode = HTTPCode;
  AResponseInfo.ReasonPhrase = GetHTTPStatusText(HTTPCode);
  if (!ContentType.empty())
    AResponseInfo.SetHeader("Content-Type",
                            WideToUtf8(ContentType) + (Charset.empty() ? "" : "; charset=" + WideToUtf8(Charset)));
  if (Compress) {
    AResponseInfo.Body = vxZlib::Deflate({Content}, ZlibLevel(CompressionLevel), vxZlib::kGzipWindow);
    AResponseInfo.SetHeader("Content-Encoding", "gzip");
  } else {
    AResponseInfo.Body = Content;
  }
  return true;
}

bool SetHTTPResponse(THttpServerResponse& AResponseInfo, int32_t HTTPCode, const std::string& Content,
                     const std::vector<std::string>& CustomHeaders, const ustring& ContentType,
                     const ustring& Charset) {
  for (const std::string& text : CustomHeaders)
    for (const std::string& line : UnfoldedLines(text)) {
      THttpHeaderField field = HeaderLineField(line);
      AResponseInfo.AddHeader(std::move(field.Name), std::move(field.Value));
    }
  return SetHTTPResponse(AResponseInfo, HTTPCode, Content, ContentType, Charset, false, 3);
}

bool SetHTTPResponse(const THttpServerRequest& ARequestInfo, THttpServerResponse& AResponseInfo,
                     const ustring& FileName, int32_t Expires) {
  std::string path;
  if (!FileName.empty()) {
    path = WideToUtf8(FileName);
    std::erase(path, '?');
  } else {
    const std::optional<std::filesystem::path> file = PublicFile(ARequestInfo.Path);
    if (!file) {
      SetHTTPResponse(AResponseInfo, 403, "", u"text/plain", u"", false, 3);
      return false;
    }
    path = file->string();
  }
  AResponseInfo.SetBodyFile(path);
  AResponseInfo.StatusCode = 200;
  AResponseInfo.ReasonPhrase = GetHTTPStatusText(200);
  AResponseInfo.SetHeader("Content-Type", WideToUtf8(TvxFiles::GetMIMEType(Utf8ToWide(path), u"text/plain")));
  AResponseInfo.SetHeader("Expires", HttpDateText(TvxDateTime::GMTNow() + Expires));
  return true;
}

bool SetHTTPResponse(THttpServerResponse& AResponseInfo, const TvxHTTPResponse& AResponse) {
  for (const auto& [key, header] : AResponse.Headers())
    AResponseInfo.AddHeader(WideToAnsi(key), AResponse.GetHeader(key));
  return SetHTTPResponse(AResponseInfo, AResponse.Code(), AResponse.ContentText(), AResponse.ContentType(),
                         AnsiToWide(AResponse.CharSet()), false, 3);
}

std::string GetPostStreamString(const THttpServerRequest& ARequestInfo) { return ARequestInfo.Body; }

ustring GetRequestURI(const THttpServerRequest& ARequestInfo) {
  const ustring uri = AnsiToWide(ARequestInfo.Path);
  return ARequestInfo.Query.empty() ? uri : uri + u"?" + AnsiToWide(ARequestInfo.Query);
}

std::unique_ptr<TvxHTTPRequest> GetHTTPRequestObject(const THttpServerRequest& ARequestInfo) {
  auto request = std::make_unique<TvxHTTPRequest>();
  request->SetCommandStr(ARequestInfo.Method);
  request->SetURIPath(ARequestInfo.Path);
  request->SetURIQueryUnparsed(ARequestInfo.Query);
  request->SetURIQueryEncoding(vxENC_None);
  request->SetContentType(AnsiToWide(ARequestInfo.Header("Content-Type")));
  request->SetContentEncoding(AnsiToWide(ARequestInfo.Header("Content-Encoding")));
  request->SetHost(AnsiToWide(ARequestInfo.Header("Host")));
  request->SetIP(AnsiToWide(ARequestInfo.PeerAddress));
  request->SetURI(ARequestInfo.Query.empty() ? ARequestInfo.Path : ARequestInfo.Path + "?" + ARequestInfo.Query);

  request->URIPathSegments().Clear();
  if (ARequestInfo.Path.size() > 1) {
    std::string path = ARequestInfo.Path;
    if (path.front() == '/') path.erase(0, 1);
    if (!path.empty() && path.back() == '/') path.pop_back();
    TAnsiStringList pieces;
    if (!path.empty()) TvxStrings::SplitString(path, "/", pieces);
    for (int32_t i = 0; i < pieces.Count(); ++i) request->URIPathSegments().Add(TvxNet::PercentDecode(pieces[i]));
  }

  request->SetContentText(ARequestInfo.Body);
  for (const THttpHeaderField& field : ARequestInfo.Headers) {
    const std::string_view name = TrimBytes(field.Name);
    if (name.empty()) continue;
    request->SetHeader(AnsiToWide(name), std::string(TrimBytes(field.Value)));
  }

  TvxEncoding encoding = request->URIQueryEncoding();
  const TvxUrlParams items = TvxNet::ParseUrlParams(ARequestInfo.Query, encoding);
  request->SetURIQueryEncoding(encoding);
  for (const TvxUrlParam& item : items) request->SetURIQueryItem(item.Param, item.Value);
  return request;
}

}  // namespace TvxIndy
