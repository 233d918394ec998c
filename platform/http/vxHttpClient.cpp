// The HTTP client on libcurl: the options of the client and of each
// transfer set on one easy handle, the response's status line and fields
// collected as they arrive, the TLS settings applied through libcurl's
// context callback, and the read time-out watched in the progress callback.
#include "platform/http/vxHttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <mutex>

#include "platform/text/vxNumberText.h"

namespace {

using TClock = std::chrono::steady_clock;
using TKind = EHttpClientError::TKind;
using TCause = EHttpClientError::TCause;

constexpr int32_t DefaultConnectTimeout = 5000;
constexpr int32_t DefaultReadTimeout = 300000;
constexpr int64_t SmallBody = 1024 * 1024;

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct TSlistFree {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using TSlist = std::unique_ptr<curl_slist, TSlistFree>;

void Append(TSlist& list, const std::string& line) {
  curl_slist* grown = curl_slist_append(list.get(), line.c_str());
  if (grown == nullptr) throw std::bad_alloc();
  (void)list.release();
  list.reset(grown);
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
    text.remove_suffix(1);
  return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

TKind KindOf(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_INTERFACE_FAILED:
      return TKind::Connect;
    case CURLE_OPERATION_TIMEDOUT:
      return TKind::Timeout;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
      return TKind::Tls;
    case CURLE_ABORTED_BY_CALLBACK:
    case CURLE_WRITE_ERROR:
    case CURLE_READ_ERROR:
      return TKind::Aborted;
    default:
      return TKind::Protocol;
  }
}

TCause CauseOf(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return TCause::NameNotResolved;
    case CURLE_COULDNT_CONNECT:
    case CURLE_INTERFACE_FAILED:
      return TCause::CannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
      return TCause::Timeout;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
      return TCause::Certificate;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_CRL_BADFILE:
      return TCause::TlsHandshake;
    case CURLE_URL_MALFORMAT:
      return TCause::InvalidUrl;
    case CURLE_UNSUPPORTED_PROTOCOL:
      return TCause::UnsupportedScheme;
    case CURLE_ABORTED_BY_CALLBACK:
    case CURLE_WRITE_ERROR:
    case CURLE_READ_ERROR:
      return TCause::Aborted;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
      return TCause::ConnectionClosed;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_BAD_CONTENT_ENCODING:
      return TCause::InvalidResponse;
    case CURLE_TOO_MANY_REDIRECTS:
      return TCause::TooManyRedirects;
    default:
      return TCause::Other;
  }
}

}  // namespace

struct THttpClient::TImpl {
  THttpClientOptions Options;
  CURLSH* Share = nullptr;  // the cookies, kept across Disconnect
  CURL* Easy = nullptr;

  // The transfer under way.
  const THttpClientRequest* Request = nullptr;
  THttpClientResponse* Response = nullptr;
  size_t BodyOffset = 0;
  std::exception_ptr CallbackError;
  bool TimedOut = false;
  bool Stopped = false;  // by a callback of the caller
  std::string TlsFailure;
  TClock::time_point LastActivity;
  curl_off_t LastReceived = 0, LastSent = 0;
  char ErrorBuffer[CURL_ERROR_SIZE] = {};

  int32_t ConnectTimeout() const { return Options.ConnectTimeout > 0 ? Options.ConnectTimeout : DefaultConnectTimeout; }
  int32_t ReadTimeout() const { return Options.ReadTimeout > 0 ? Options.ReadTimeout : DefaultReadTimeout; }

  void NewHandle() {
    Easy = curl_easy_init();
    if (Easy == nullptr) throw std::bad_alloc();
  }

  // ---- callbacks ----

  static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* self = static_cast<TImpl*>(user);
    const std::string_view line(data, size * count);
    THttpClientResponse& r = *self->Response;
    if (StartsWith(line, "HTTP/")) {
      // A new response (after "100 Continue" or a redirect): its fields only.
      r.Headers.clear();
      r.StatusLine = std::string(TrimBlanks(line));
      r.ReasonPhrase.clear();
      const size_t code = r.StatusLine.find(' ');
      if (code != std::string::npos) {
        const size_t reason = r.StatusLine.find(' ', code + 1);
        if (reason != std::string::npos) r.ReasonPhrase = r.StatusLine.substr(reason + 1);
      }
    } else if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
      // A continued line belongs to the field before it.
      if (!r.Headers.empty()) r.Headers.back().Value += " " + std::string(TrimBlanks(line));
    } else if (const size_t colon = line.find(':'); colon != std::string_view::npos) {
      r.Headers.push_back({std::string(TrimBlanks(line.substr(0, colon))), std::string(TrimBlanks(line.substr(colon + 1)))});
    }
    return size * count;
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* self = static_cast<TImpl*>(user);
    const std::string_view piece(data, size * count);
    try {
      if (self->Request->BodySink)
        self->Request->BodySink(piece);
      else
        self->Response->Body.append(piece);
    } catch (...) {
      self->CallbackError = std::current_exception();
      return 0;
    }
    return piece.size();
  }

  static size_t OnReadBody(char* buffer, size_t size, size_t count, void* user) {
    auto* self = static_cast<TImpl*>(user);
    const size_t room = size * count;
    const THttpClientRequest& request = *self->Request;
    if (!request.BodySource) {
      const std::string& body = *request.Body;
      const size_t n = std::min(room, body.size() - self->BodyOffset);
      std::memcpy(buffer, body.data() + self->BodyOffset, n);
      self->BodyOffset += n;
      return n;
    }
    try {
      const size_t n = request.BodySource(buffer, room);
      if (n == THttpClientRequest::AbortTransfer) {
        self->Stopped = true;
        return CURL_READFUNC_ABORT;
      }
      return std::min(n, room);
    } catch (...) {
      self->CallbackError = std::current_exception();
      return CURL_READFUNC_ABORT;
    }
  }

  // A body given whole can be sent again (a redirect that keeps it).
  static int OnSeekBody(void* user, curl_off_t offset, int origin) {
    auto* self = static_cast<TImpl*>(user);
    if (self->Request->BodySource || origin != SEEK_SET || offset < 0 ||
        static_cast<size_t>(offset) > self->Request->Body->size())
      return CURL_SEEKFUNC_CANTSEEK;
    self->BodyOffset = static_cast<size_t>(offset);
    return CURL_SEEKFUNC_OK;
  }

  static int OnProgress(void* user, curl_off_t receiveTotal, curl_off_t received, curl_off_t sendTotal,
                        curl_off_t sent) {
    auto* self = static_cast<TImpl*>(user);
    const TClock::time_point now = TClock::now();
    // Until the request goes out, the connect time-out watches.
    curl_off_t pretransfer = 0;
    curl_easy_getinfo(self->Easy, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
    if (pretransfer == 0 || received != self->LastReceived || sent != self->LastSent) {
      self->LastActivity = now;
      self->LastReceived = received;
      self->LastSent = sent;
    } else if (now - self->LastActivity > std::chrono::milliseconds(self->ReadTimeout())) {
      self->TimedOut = true;
      return 1;
    }
    if (!self->Request->Progress) return 0;
    try {
      if (self->Request->Progress(static_cast<uint64_t>(received), static_cast<uint64_t>(receiveTotal),
                                  static_cast<uint64_t>(sent), static_cast<uint64_t>(sendTotal)))
        return 0;
      self->Stopped = true;
    } catch (...) {
      self->CallbackError = std::current_exception();
    }
    return 1;
  }

  static CURLcode OnTlsContext(CURL*, void* context, void* user) {
    auto* self = static_cast<TImpl*>(user);
    try {
      vxTlsSettings::ConfigureContext(static_cast<ssl_ctx_st*>(context), *self->Options.Tls,
                                      vxTlsSettings::TTlsSide::Client);
      return CURLE_OK;
    } catch (const std::exception& e) {
      self->TlsFailure = e.what();
      return CURLE_SSL_CERTPROBLEM;
    }
  }

  // ---- setting up a transfer ----

  template <class T>
  void Set(CURLoption option, T value) {
    const CURLcode code = curl_easy_setopt(Easy, option, value);
    if (code != CURLE_OK)
      throw EHttpClientError(TKind::Protocol, std::string("cannot set up the transfer: ") + curl_easy_strerror(code));
  }

  void ApplyClientOptions() {
    Set(CURLOPT_ERRORBUFFER, ErrorBuffer);
    Set(CURLOPT_NOSIGNAL, 1L);
    Set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    Set(CURLOPT_PROTOCOLS_STR, "http,https");
    Set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    if (!Options.ProxyFromEnvironment) Set(CURLOPT_PROXY, "");
    Set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(ConnectTimeout()));
    Set(CURLOPT_FOLLOWLOCATION, Options.HandleRedirects ? 1L : 0L);
    Set(CURLOPT_MAXREDIRS, static_cast<long>(Options.RedirectMaximum));
    Set(CURLOPT_SHARE, Share);
    if (Options.AllowCookies) Set(CURLOPT_COOKIEFILE, "");
    if (!Options.BoundIP.empty()) Set(CURLOPT_INTERFACE, ("host!" + Options.BoundIP).c_str());
    if (Options.BoundPort != 0) {
      Set(CURLOPT_LOCALPORT, static_cast<long>(Options.BoundPort));
      Set(CURLOPT_LOCALPORTRANGE, 1L);
    } else if (Options.BoundPortMin != 0) {
      Set(CURLOPT_LOCALPORT, static_cast<long>(Options.BoundPortMin));
      Set(CURLOPT_LOCALPORTRANGE, static_cast<long>(std::max(Options.BoundPortMax, Options.BoundPortMin)) -
                                      Options.BoundPortMin + 1);
    }
    if (!Options.UserAgent.empty()) Set(CURLOPT_USERAGENT, Options.UserAgent.c_str());
    if (Options.Tls) {
      const bool verify = Options.Tls->VerifyMode.Contains(sslvrfPeer);
      Set(CURLOPT_SSL_VERIFYPEER, verify ? 1L : 0L);
      Set(CURLOPT_SSL_VERIFYHOST, verify ? 2L : 0L);
      Set(CURLOPT_SSL_CTX_FUNCTION, &OnTlsContext);
      Set(CURLOPT_SSL_CTX_DATA, static_cast<void*>(this));
    }
    Set(CURLOPT_HEADERFUNCTION, &OnHeader);
    Set(CURLOPT_HEADERDATA, static_cast<void*>(this));
    Set(CURLOPT_WRITEFUNCTION, &OnBody);
    Set(CURLOPT_WRITEDATA, static_cast<void*>(this));
    Set(CURLOPT_NOPROGRESS, 0L);
    Set(CURLOPT_XFERINFOFUNCTION, &OnProgress);
    Set(CURLOPT_XFERINFODATA, static_cast<void*>(this));
  }

  TSlist ApplyRequest(const THttpClientRequest& request) {
    Set(CURLOPT_URL, request.Url.c_str());
    const bool body = request.Body.has_value() || static_cast<bool>(request.BodySource);
    if (request.Method == "HEAD" && !body) {
      Set(CURLOPT_NOBODY, 1L);
    } else if (body) {
      Set(CURLOPT_UPLOAD, 1L);
      Set(CURLOPT_READFUNCTION, &OnReadBody);
      Set(CURLOPT_READDATA, static_cast<void*>(this));
      Set(CURLOPT_SEEKFUNCTION, &OnSeekBody);
      Set(CURLOPT_SEEKDATA, static_cast<void*>(this));
      const curl_off_t size =
          request.BodySource ? static_cast<curl_off_t>(request.BodySize) : static_cast<curl_off_t>(request.Body->size());
      Set(CURLOPT_INFILESIZE_LARGE, size);
      if (request.Method != "PUT") Set(CURLOPT_CUSTOMREQUEST, request.Method.c_str());
    } else if (request.Method != "GET") {
      Set(CURLOPT_CUSTOMREQUEST, request.Method.c_str());
    }
    TSlist fields;
    for (const THttpHeaderField& f : request.Headers) {
      if (!vxHttpFields::IsSafeName(f.Name) || !vxHttpFields::IsSafeValue(f.Value))
        throw EHttpClientError(TKind::Protocol, "the request field \"" + f.Name + "\" cannot be sent as it is");
      // "Name;" sends a field with an empty value ("Name:" would drop it).
      Append(fields, f.Value.empty() ? f.Name + ";" : f.Name + ": " + f.Value);
    }
    // A small body goes at once: waiting for "100 Continue" would cost a
    // round trip (and a second with servers that never send it).
    const int64_t size = request.BodySource ? request.BodySize : static_cast<int64_t>(request.Body ? request.Body->size() : 0);
    if (body && (!Options.ExpectContinue || (size >= 0 && size < SmallBody)) &&
        !vxHttpFields::Find(request.Headers, "Expect"))
      Append(fields, "Expect:");
    if (fields) Set(CURLOPT_HTTPHEADER, fields.get());
    return fields;
  }

  void Run(const THttpClientRequest& request, THttpClientResponse& response) {
    curl_easy_reset(Easy);
    Request = &request;
    Response = &response;
    response = THttpClientResponse();
    BodyOffset = 0;
    CallbackError = nullptr;
    TimedOut = false;
    Stopped = false;
    TlsFailure.clear();
    LastActivity = TClock::now();
    LastReceived = LastSent = 0;
    ErrorBuffer[0] = '\0';
    ApplyClientOptions();
    const TSlist fields = ApplyRequest(request);
    const CURLcode code = curl_easy_perform(Easy);
    long status = 0;
    curl_easy_getinfo(Easy, CURLINFO_RESPONSE_CODE, &status);
    response.StatusCode = static_cast<int32_t>(status);
    char* url = nullptr;
    if (curl_easy_getinfo(Easy, CURLINFO_EFFECTIVE_URL, &url) == CURLE_OK && url != nullptr) response.EffectiveUrl = url;
    Request = nullptr;
    Response = nullptr;
    if (CallbackError) std::rethrow_exception(CallbackError);
    if (code == CURLE_OK) return;
    const std::string where = request.Method + " " + request.Url + ": ";
    if (TimedOut)
      throw EHttpClientError(TKind::Timeout, where + "no data for " + vxNumberText::IntText(ReadTimeout()) + " ms",
                             TCause::Timeout);
    if (Stopped) throw EHttpClientError(TKind::Aborted, where + "stopped by the caller", TCause::Aborted);
    if (!TlsFailure.empty()) throw EHttpClientError(TKind::Tls, where + TlsFailure, TCause::TlsHandshake);
    throw EHttpClientError(KindOf(code), where + (ErrorBuffer[0] != '\0' ? ErrorBuffer : curl_easy_strerror(code)),
                           CauseOf(code));
  }
};

THttpClient::THttpClient(THttpClientOptions Options) : FImpl(std::make_unique<TImpl>()) {
  GlobalInit();
  if (Options.Tls) vxTlsSettings::CheckSettings(*Options.Tls, vxTlsSettings::TTlsSide::Client);
  FImpl->Options = std::move(Options);
  FImpl->Share = curl_share_init();
  if (FImpl->Share == nullptr) throw std::bad_alloc();
  curl_share_setopt(FImpl->Share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
  try {
    FImpl->NewHandle();
  } catch (...) {
    curl_share_cleanup(FImpl->Share);
    throw;
  }
}

THttpClient::~THttpClient() {
  curl_easy_cleanup(FImpl->Easy);
  curl_share_cleanup(FImpl->Share);
}

const THttpClientOptions& THttpClient::Options() const { return FImpl->Options; }

THttpClientResponse THttpClient::Perform(const THttpClientRequest& Request) {
  THttpClientResponse response;
  Perform(Request, response);
  return response;
}

void THttpClient::Perform(const THttpClientRequest& Request, THttpClientResponse& Response) {
  FImpl->Run(Request, Response);
}

void THttpClient::Disconnect() {
  curl_easy_cleanup(FImpl->Easy);
  FImpl->Easy = nullptr;
  FImpl->NewHandle();
}
