// The server's reader of HTTP/1.x requests on Boost.Beast's parser: the
// bytes not yet taken by the parser are kept here (the parser wants a whole
// header in one buffer), the limits turn into the statuses the server sends.
#include "platform/http/vxHttpRequestReader.h"

#include <boost/beast/core/string.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include <algorithm>
#include <optional>

namespace http = boost::beast::http;
using boost::system::error_code;

struct THttpRequestReader::TImpl {
  TLimits Limits;
  std::string Pending;  // received, not taken by the parser
  std::optional<http::request_parser<http::string_body>> Parser;
  bool Started = false;  // a byte of the current request arrived
  int FailStatus = 0;
  std::string FailText;

  void NewParser() {
    Parser.emplace();
    Parser->header_limit(static_cast<std::uint32_t>(std::min<size_t>(Limits.MaxHeaderBytes, UINT32_MAX)));
    Parser->body_limit(Limits.MaxBodyBytes);
    Parser->eager(true);
    Started = false;
  }

  void Fail(int status, std::string text) {
    FailStatus = status;
    FailText = std::move(text);
    Pending.clear();
    Pending.shrink_to_fit();
  }

  // Whether the request line ends in a well-formed "HTTP/d.d" (one the
  // parser refused for its number, not for its form).
  bool NamesOtherVersion() const {
    const std::string_view line = std::string_view(Pending).substr(0, Pending.find('\r'));
    const std::string_view version = line.substr(line.rfind(' ') + 1);
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return std::count(line.begin(), line.end(), ' ') == 2 && version.size() == 8 && version.substr(0, 5) == "HTTP/" &&
           digit(version[5]) && version[6] == '.' && digit(version[7]);
  }

  void Fail(const error_code& ec) {
    if (ec == http::error::header_limit)
      Fail(431, "the request header is larger than " + std::to_string(Limits.MaxHeaderBytes) + " bytes");
    else if (ec == http::error::body_limit)
      Fail(413, "the request body is larger than " + std::to_string(Limits.MaxBodyBytes) + " bytes");
    else if (ec == http::error::bad_version && NamesOtherVersion())
      Fail(505, "the request's HTTP version is not served (only HTTP/1.0 and 1.1)");
    else
      Fail(400, "malformed request: " + ec.message());
  }

  // Checks the header once it is complete.
  void CheckHeader() {
    const auto& request = Parser->get();
    if (request.version() / 10 != 1) {
      Fail(505, "HTTP version " + std::to_string(request.version() / 10) + "." +
                    std::to_string(request.version() % 10) + " is not served");
      return;
    }
    if (Limits.MaxHeaderLines > 0) {
      size_t lines = 0;
      for (auto it = request.begin(); it != request.end(); ++it) ++lines;
      if (lines > Limits.MaxHeaderLines)
        Fail(431, "the request has more than " + std::to_string(Limits.MaxHeaderLines) + " header fields");
    }
  }

  void Parse() {
    while (FailStatus == 0 && !Parser->is_done() && !Pending.empty()) {
      Started = true;
      const bool headerBefore = Parser->is_header_done();
      error_code ec;
      const size_t used = Parser->put(boost::asio::buffer(Pending.data(), Pending.size()), ec);
      Pending.erase(0, used);
      if (ec == http::error::need_more) {
        if (!headerBefore && Parser->is_header_done()) CheckHeader();
        if (used == 0) return;
        continue;
      }
      if (ec) return Fail(ec);
      if (!headerBefore && Parser->is_header_done()) CheckHeader();
    }
  }
};

THttpRequestReader::THttpRequestReader(const TLimits& Limits) : FImpl(std::make_unique<TImpl>()) {
  FImpl->Limits = Limits;
  FImpl->NewParser();
}

THttpRequestReader::~THttpRequestReader() = default;

void THttpRequestReader::Feed(std::string_view Data) {
  if (FImpl->FailStatus != 0) return;
  FImpl->Pending.append(Data);
  FImpl->Parse();
}

void THttpRequestReader::FeedEnd() {
  if (FImpl->FailStatus != 0 || FImpl->Parser->is_done()) return;
  if (!FImpl->Started && FImpl->Pending.empty()) return;
  error_code ec;
  FImpl->Parser->put_eof(ec);
  if (ec) FImpl->Fail(400, "the request ends before it is complete");
}

bool THttpRequestReader::Idle() const {
  return FImpl->FailStatus == 0 && !FImpl->Started && FImpl->Pending.empty();
}

bool THttpRequestReader::HeaderComplete() const { return FImpl->FailStatus == 0 && FImpl->Parser->is_header_done(); }

bool THttpRequestReader::Complete() const { return FImpl->FailStatus == 0 && FImpl->Parser->is_done(); }

bool THttpRequestReader::Failed() const { return FImpl->FailStatus != 0; }

int THttpRequestReader::FailureStatus() const { return FImpl->FailStatus; }

const std::string& THttpRequestReader::FailureText() const { return FImpl->FailText; }

bool THttpRequestReader::ExpectsContinue() const {
  if (!HeaderComplete() || FImpl->Parser->is_done()) return false;
  const auto& request = FImpl->Parser->get();
  const auto expect = request.find(http::field::expect);
  return request.version() >= 11 && expect != request.end() &&
         boost::beast::iequals(expect->value(), "100-continue");
}

bool THttpRequestReader::KeepAlive() const { return HeaderComplete() && FImpl->Parser->get().keep_alive(); }

THttpServerRequest THttpRequestReader::TakeRequest() {
  auto message = FImpl->Parser->release();
  THttpServerRequest request;
  request.Method = std::string(message.method_string());
  request.Target = std::string(message.target());
  const size_t question = request.Target.find('?');
  request.Path = request.Target.substr(0, question);
  if (question != std::string::npos) request.Query = request.Target.substr(question + 1);
  request.VersionMajor = static_cast<int>(message.version() / 10);
  request.VersionMinor = static_cast<int>(message.version() % 10);
  for (const auto& field : message)
    request.Headers.push_back({std::string(field.name_string()), std::string(field.value())});
  request.Body = std::move(message.body());
  FImpl->NewParser();
  return request;
}
