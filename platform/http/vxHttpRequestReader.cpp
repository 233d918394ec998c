// The server's reader of HTTP/1.x requests on Boost.Beast's basic parser:
// the bytes not yet taken by the parser are kept here (the parser wants a
// whole header in one buffer), the limits turn into the statuses the server
// sends.
#include "platform/http/vxHttpRequestReader.h"

#include <boost/beast/core/string.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/basic_parser.hpp>

#include <algorithm>
#include <optional>

#include "platform/text/vxNumberText.h"

namespace http = boost::beast::http;
using boost::system::error_code;

namespace {

template <class N>
std::string Text(N number) {
  return vxNumberText::IntText(static_cast<int64_t>(number));
}

// Beast's parser collecting the request as it goes: fields in the order
// they arrive (Beast's own field container groups fields of one name).
class TRequestParser final : public http::basic_parser<true> {
 public:
  TRequestParser(size_t maxHeaderLines) : FMaxHeaderLines(maxHeaderLines) {}

  THttpServerRequest Request;
  int Version = 11;

 private:
  void on_request_impl(http::verb, boost::beast::string_view method, boost::beast::string_view target, int version,
                       error_code&) override {
    Request.Method = std::string(method);
    Request.Target = std::string(target);
    Version = version;
  }
  void on_response_impl(int, boost::beast::string_view, int, error_code&) override {}
  void on_field_impl(http::field, boost::beast::string_view name, boost::beast::string_view value,
                     error_code& ec) override {
    if (FHeaderDone) return;  // trailer fields are not kept
    if (FMaxHeaderLines > 0 && Request.Headers.size() >= FMaxHeaderLines) {
      ec = http::error::header_limit;
      FTooManyFields = true;
      return;
    }
    Request.Headers.push_back({std::string(name), std::string(value)});
  }
  void on_header_impl(error_code&) override { FHeaderDone = true; }
  void on_body_init_impl(boost::optional<std::uint64_t> const& length, error_code&) override {
    // Room for a declared body up front, but never more than a moderate
    // amount before the bytes have come.
    if (length) Request.Body.reserve(static_cast<size_t>(std::min<std::uint64_t>(*length, 1 << 20)));
  }
  std::size_t on_body_impl(boost::beast::string_view body, error_code&) override {
    Request.Body.append(body.data(), body.size());
    return body.size();
  }
  void on_chunk_header_impl(std::uint64_t, boost::beast::string_view, error_code&) override {}
  std::size_t on_chunk_body_impl(std::uint64_t, boost::beast::string_view body, error_code&) override {
    Request.Body.append(body.data(), body.size());
    return body.size();
  }
  void on_finish_impl(error_code&) override {}

  size_t FMaxHeaderLines;
  bool FHeaderDone = false;

 public:
  bool FTooManyFields = false;
};

}  // namespace

struct THttpRequestReader::TImpl {
  TLimits Limits;
  std::string Pending;  // received, not taken by the parser
  std::optional<TRequestParser> Parser;
  bool Started = false;  // a byte of the current request arrived
  size_t Scanned = 0;    // Pending holds no header end before this
  int FailStatus = 0;
  std::string FailText;

  void NewParser() {
    Parser.emplace(Limits.MaxHeaderLines);
    Parser->header_limit(static_cast<std::uint32_t>(std::min<size_t>(Limits.MaxHeaderBytes, UINT32_MAX)));
    Parser->body_limit(Limits.MaxBodyBytes);
    Parser->eager(true);
    Started = false;
    Scanned = 0;
  }

  // The parser gets the header only once it is whole, so that how the
  // bytes were cut into pieces never changes the outcome (the parser
  // would judge a request line early when it arrives with its line end).
  bool HeaderArrived() {
    const size_t end = Pending.find("\r\n\r\n", Scanned);
    if (end != std::string::npos) return true;
    Scanned = Pending.size() < 3 ? 0 : Pending.size() - 3;
    if (Pending.size() > Limits.MaxHeaderBytes)
      Fail(431, "the request header is larger than " + Text(Limits.MaxHeaderBytes) + " bytes");
    return false;
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
    if (ec == http::error::header_limit && Parser->FTooManyFields)
      Fail(431, "the request has more than " + Text(Limits.MaxHeaderLines) + " header fields");
    else if (ec == http::error::header_limit)
      Fail(431, "the request header is larger than " + Text(Limits.MaxHeaderBytes) + " bytes");
    else if (ec == http::error::body_limit)
      Fail(413, "the request body is larger than " + Text(Limits.MaxBodyBytes) + " bytes");
    else if (ec == http::error::bad_version && NamesOtherVersion())
      Fail(505, "the request's HTTP version is not served (only HTTP/1.0 and 1.1)");
    else
      Fail(400, "malformed request: " + ec.message());
  }

  // Checks the header once it is complete.
  void CheckHeader() {
    const int version = Parser->Version;
    if (version / 10 != 1)
      Fail(505, "HTTP version " + Text(version / 10) + "." + Text(version % 10) + " is not served");
  }

  void Parse() {
    while (FailStatus == 0 && !Parser->is_done() && !Pending.empty()) {
      Started = true;
      const bool headerBefore = Parser->is_header_done();
      if (!headerBefore && !HeaderArrived()) return;
      error_code ec;
      const size_t used = Parser->put(boost::asio::buffer(Pending.data(), Pending.size()), ec);
      Pending.erase(0, used);
      if (ec && ec != http::error::need_more) return Fail(ec);
      if (!headerBefore && Parser->is_header_done()) CheckHeader();
      if (ec == http::error::need_more && used == 0) return;
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
  // A request never ends with the connection: one begun is cut off.
  if (FImpl->FailStatus != 0 || FImpl->Parser->is_done()) return;
  if (!FImpl->Started && FImpl->Pending.empty()) return;
  FImpl->Fail(400, "the request ends before it is complete");
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
  if (!HeaderComplete() || FImpl->Parser->is_done() || FImpl->Parser->Version < 11) return false;
  const THttpHeaderField* expect = vxHttpFields::Find(FImpl->Parser->Request.Headers, "Expect");
  return expect != nullptr && boost::beast::iequals(expect->Value, "100-continue");
}

bool THttpRequestReader::KeepAlive() const { return HeaderComplete() && FImpl->Parser->keep_alive(); }

THttpServerRequest THttpRequestReader::TakeRequest() {
  THttpServerRequest request = std::move(FImpl->Parser->Request);
  const int version = FImpl->Parser->Version;
  const size_t question = request.Target.find('?');
  request.Path = request.Target.substr(0, question);
  if (question != std::string::npos) request.Query = request.Target.substr(question + 1);
  request.VersionMajor = version / 10;
  request.VersionMinor = version % 10;
  FImpl->NewParser();
  return request;
}
