// The HTTP server on Boost.Asio and Beast: listeners, one connection object
// per accepted socket working on its own strand, the pool of threads, and
// the stop that lets running requests finish.
#include "platform/http/vxHttpServer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/error.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/status.hpp>
#include <boost/beast/ssl/ssl_stream.hpp>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "platform/base/vxExceptions.h"
#include "platform/http/vxHttpRequestReader.h"
#include "platform/text/vxNumberText.h"

namespace net = boost::asio;
namespace beast = boost::beast;
namespace ssl = boost::asio::ssl;
using tcp = net::ip::tcp;
using boost::system::error_code;
using vxNumberText::IntText;

// ---- the response's own operations ----

void THttpServerResponse::SetHeader(const std::string& Name, std::string Value) {
  vxHttpFields::Remove(Headers, Name);
  Headers.push_back({Name, std::move(Value)});
}

void THttpServerResponse::SetBodyFile(const std::string& Path) {
  auto file = std::make_shared<TFileDescriptor>(::open(Path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file->Valid()) EOSError::RaiseLastOSError();
  struct stat info {};
  if (::fstat(file->Get(), &info) != 0) EOSError::RaiseLastOSError();
  if (!S_ISREG(info.st_mode)) throw EOSError("\"" + Path + "\" is no file", EISDIR);
  FBodyFile = std::move(file);
  FBodyFileSize = static_cast<uint64_t>(info.st_size);
}

std::string THttpServer::StandardReason(int StatusCode) {
  if (StatusCode < 100 || StatusCode > 999) return {};
  const auto status = static_cast<beast::http::status>(StatusCode);
  // Beast knows the registered codes only.
  if (beast::http::int_to_status(static_cast<unsigned>(StatusCode)) == beast::http::status::unknown) return {};
  return std::string(beast::http::obsolete_reason(status));
}

namespace {

using TClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// "Sun, 06 Nov 1994 08:49:37 GMT" (RFC 9110 section 5.6.7), English names
// whatever the locale.
std::string HttpDate(time_t now) {
  static constexpr const char* Days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  struct tm t {};
  gmtime_r(&now, &t);
  return std::string(Days[t.tm_wday]) + ", " + IntText(t.tm_mday, 2) + " " + Months[t.tm_mon] + " " +
         IntText(t.tm_year + 1900, 4) + " " + IntText(t.tm_hour, 2) + ":" + IntText(t.tm_min, 2) + ":" +
         IntText(t.tm_sec, 2) + " GMT";
}

bool HasNoBody(int status) { return (status >= 100 && status < 200) || status == 204 || status == 304; }

bool IsSafeReason(std::string_view reason) {
  return std::none_of(reason.begin(), reason.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
}

class TConnectionBase;

// What the listeners and connections of one run of the server share; it
// lives as long as any of them.
struct TServerCore {
  explicit TServerCore(const THttpServerOptions& options) : Options(options) {}

  const THttpServerOptions Options;
  std::optional<ssl::context> TlsContext;
  std::atomic<bool> Stopping{false};

  // The handler, replaceable at any time.
  std::mutex HandlerLock;
  std::shared_ptr<const THttpRequestHandler> Handler;

  std::shared_ptr<const THttpRequestHandler> CurrentHandler() {
    std::lock_guard<std::mutex> lock(HandlerLock);
    return Handler;
  }

  // The live connections.
  std::mutex ConnectionLock;
  std::condition_variable ConnectionGone;
  std::map<uint64_t, std::weak_ptr<TConnectionBase>> Connections;
  uint64_t NextId = 0;

  size_t ConnectionCount() {
    std::lock_guard<std::mutex> lock(ConnectionLock);
    return Connections.size();
  }
  uint64_t Register(const std::shared_ptr<TConnectionBase>& connection) {
    std::lock_guard<std::mutex> lock(ConnectionLock);
    const uint64_t id = ++NextId;
    Connections.emplace(id, connection);
    return id;
  }
  void Unregister(uint64_t id) {
    {
      std::lock_guard<std::mutex> lock(ConnectionLock);
      Connections.erase(id);
    }
    ConnectionGone.notify_all();
  }
  std::vector<std::shared_ptr<TConnectionBase>> Snapshot() {
    std::vector<std::shared_ptr<TConnectionBase>> all;
    std::lock_guard<std::mutex> lock(ConnectionLock);
    for (auto& [id, weak] : Connections)
      if (auto c = weak.lock()) all.push_back(std::move(c));
    return all;
  }
  // Waits until no connection is left or the deadline passes.
  bool WaitForNoConnections(TClock::time_point deadline) {
    std::unique_lock<std::mutex> lock(ConnectionLock);
    return ConnectionGone.wait_until(lock, deadline, [&] { return Connections.empty(); });
  }
};

class TConnectionBase : public std::enable_shared_from_this<TConnectionBase> {
 public:
  virtual ~TConnectionBase() = default;
  virtual void Start(uint64_t id) = 0;
  // Ends the connection once the request it serves (if any) is answered.
  virtual void RequestStop() = 0;
  // Closes the connection now.
  virtual void Abort() = 0;
};

// The bytes of a response's head.
std::string ResponseHead(const THttpServerOptions& options, THttpServerResponse& response, bool head,
                         bool close, bool http10) {
  const int status = response.StatusCode;
  std::string reason = response.ReasonPhrase.empty() ? THttpServer::StandardReason(status) : response.ReasonPhrase;
  std::string text = "HTTP/1.1 " + IntText(status, 3) + " " + reason + "\r\n";
  const std::string givenLength = vxHttpFields::Value(response.Headers, "Content-Length");
  bool hasDate = false, hasServer = false;
  for (const THttpHeaderField& f : response.Headers) {
    if (vxHttpFields::SameName(f.Name, "Content-Length") || vxHttpFields::SameName(f.Name, "Transfer-Encoding") ||
        vxHttpFields::SameName(f.Name, "Connection"))
      continue;
    hasDate = hasDate || vxHttpFields::SameName(f.Name, "Date");
    hasServer = hasServer || vxHttpFields::SameName(f.Name, "Server");
    text += f.Name + ": " + f.Value + "\r\n";
  }
  if (!hasDate) text += "Date: " + HttpDate(::time(nullptr)) + "\r\n";
  if (!hasServer && !options.ServerSoftware.empty()) text += "Server: " + options.ServerSoftware + "\r\n";
  if (!HasNoBody(status)) {
    const uint64_t size = response.HasBodyFile() ? response.BodyFileSize() : response.Body.size();
    text += "Content-Length: " + (head && !givenLength.empty() ? givenLength : IntText(static_cast<int64_t>(size))) +
            "\r\n";
  }
  if (close)
    text += "Connection: close\r\n";
  else if (http10)
    text += "Connection: keep-alive\r\n";
  text += "\r\n";
  return text;
}

// Whether the handler's response can be written as it stands.
bool IsWritable(const THttpServerResponse& response) {
  if (response.StatusCode < 100 || response.StatusCode > 999 || !IsSafeReason(response.ReasonPhrase)) return false;
  return std::all_of(response.Headers.begin(), response.Headers.end(), [](const THttpHeaderField& f) {
    return vxHttpFields::IsSafeName(f.Name) && vxHttpFields::IsSafeValue(f.Value);
  });
}

THttpServerResponse PlainResponse(int status, const std::string& text) {
  THttpServerResponse response;
  response.StatusCode = status;
  response.AddHeader("Content-Type", "text/plain; charset=utf-8");
  response.Body = text + "\n";
  return response;
}

template <class Stream>
class TConnection final : public TConnectionBase {
 public:
  static constexpr bool IsTls = !std::is_same_v<Stream, beast::tcp_stream>;

  template <class... Args>
  TConnection(std::shared_ptr<TServerCore> core, tcp::socket&& socket, Args&&... args)
      : FCore(std::move(core)),
        FStream(std::move(socket), std::forward<Args>(args)...),
        FReader(THttpRequestReader::TLimits{
            FCore->Options.MaxHeaderBytes,
            FCore->Options.MaximumHeaderLineCount > 0 ? static_cast<size_t>(FCore->Options.MaximumHeaderLineCount)
                                                      : 0,
            FCore->Options.MaxBodyBytes}) {}

  ~TConnection() override {
    if (FId != 0) FCore->Unregister(FId);
  }

  void Start(uint64_t id) override {
    FId = id;
    error_code ec;
    const auto remote = Lowest().socket().remote_endpoint(ec);
    if (!ec) {
      FPeerAddress = remote.address().to_string();
      FPeerPort = remote.port();
    }
    const auto local = Lowest().socket().local_endpoint(ec);
    if (!ec) {
      FLocalAddress = local.address().to_string();
      FLocalPort = local.port();
    }
    net::dispatch(FStream.get_executor(), [self = Self()] { self->Begin(); });
  }

  void RequestStop() override {
    net::post(FStream.get_executor(), [self = Self()] {
      self->FStopRequested = true;
      if (!self->FInRequest) self->Close();
    });
  }

  void Abort() override {
    // Seen also by a handler's caller still running on the strand.
    FAborted = true;
    net::post(FStream.get_executor(), [self = Self()] { self->Close(); });
  }

 private:
  std::shared_ptr<TConnection> Self() { return std::static_pointer_cast<TConnection>(shared_from_this()); }
  beast::tcp_stream& Lowest() { return beast::get_lowest_layer(FStream); }
  const THttpServerOptions& Options() const { return FCore->Options; }

  void Begin() {
    if constexpr (IsTls) {
      Lowest().expires_after(milliseconds(Options().HeaderTimeoutMs));
      FStream.async_handshake(ssl::stream_base::server, [self = Self()](const error_code& ec) {
        if (ec) return self->Close();
        self->WaitForRequest();
      });
    } else {
      WaitForRequest();
    }
  }

  // The next request's header must be complete within the header time-out.
  void WaitForRequest() {
    if (FStopRequested || FCore->Stopping) return Close();
    Lowest().expires_after(milliseconds(Options().HeaderTimeoutMs));
    FReader.Feed({});
    Proceed();
  }

  void Proceed() {
    FInRequest = !FReader.Idle();
    if (FReader.Failed()) return SendFailure(FReader.FailureStatus(), FReader.FailureText());
    if (FReader.Complete()) return Serve();
    if (FReader.ExpectsContinue() && !FContinueSent) {
      FContinueSent = true;
      static const std::string continueLine = "HTTP/1.1 100 Continue\r\n\r\n";
      Lowest().expires_after(milliseconds(Options().WriteTimeoutMs));
      net::async_write(FStream, net::buffer(continueLine), [self = Self()](const error_code& ec, size_t) {
        if (ec) return self->Close();
        self->ReadMore();
      });
      return;
    }
    ReadMore();
  }

  void ReadMore() {
    if (FReader.Idle() && (FStopRequested || FCore->Stopping)) return Close();
    // The body's reads each get the read time-out; the header keeps its deadline.
    if (FReader.HeaderComplete()) Lowest().expires_after(milliseconds(Options().ReadTimeoutMs));
    FStream.async_read_some(net::buffer(FBuffer), [self = Self()](const error_code& ec, size_t n) {
      if (ec) {
        // Time-outs close the socket; a peer gone or a stop ends the connection.
        return self->Close();
      }
      self->FReader.Feed(std::string_view(self->FBuffer.data(), n));
      self->Proceed();
    });
  }

  void Serve() {
    FInRequest = true;
    const bool keepAlive = FReader.KeepAlive();
    THttpServerRequest request = FReader.TakeRequest();
    FContinueSent = false;
    request.PeerAddress = FPeerAddress;
    request.PeerPort = FPeerPort;
    request.LocalAddress = FLocalAddress;
    request.LocalPort = FLocalPort;
    request.Tls = IsTls;
    THttpServerResponse response;
    if (const auto handler = FCore->CurrentHandler(); handler && *handler) {
      try {
        (*handler)(request, response);
        if (!IsWritable(response)) response = PlainResponse(500, "the response cannot be written");
      } catch (...) {
        response = PlainResponse(500, "the request could not be served");
      }
    } else {
      response = PlainResponse(404, "nothing is served here");
    }
    if (FAborted) return Close();
    const bool close = !keepAlive || FStopRequested || FCore->Stopping;
    const bool http10 = request.VersionMajor == 1 && request.VersionMinor == 0;
    WriteResponse(std::move(response), request.Method == "HEAD", close, http10, false);
  }

  void SendFailure(int status, const std::string& text) {
    FInRequest = true;
    WriteResponse(PlainResponse(status, text), false, true, false, true);
  }

  void WriteResponse(THttpServerResponse response, bool head, bool close, bool http10, bool failure) {
    FOut = ResponseHead(Options(), response, head, close, http10);
    const bool body = !head && !HasNoBody(response.StatusCode);
    FFile.reset();
    if (body && response.HasBodyFile()) {
      FFile = std::make_shared<TFileHolder>(response);
    } else if (body) {
      FOut += response.Body;
    }
    FCloseAfter = close;
    FFailure = failure;
    WriteOut();
  }

  // Writes FOut, then the next piece of the file, if any.
  void WriteOut() {
    Lowest().expires_after(milliseconds(Options().WriteTimeoutMs));
    net::async_write(FStream, net::buffer(FOut), [self = Self()](const error_code& ec, size_t) {
      if (ec) return self->Close();  // the client went away or stopped reading
      if (self->FFile && self->FFile->Left > 0) {
        if (!self->FFile->ReadNext(self->FOut)) return self->Close();
        return self->WriteOut();
      }
      self->ResponseDone();
    });
  }

  void ResponseDone() {
    FOut.clear();
    FOut.shrink_to_fit();
    FFile.reset();
    FInRequest = false;
    if (FFailure) return Linger();
    if (FCloseAfter) return Shutdown();
    WaitForRequest();
  }

  // After a failure answer the client may still be sending: its bytes are
  // read and dropped for a moment, so that it sees the answer instead of a
  // reset connection.
  void Linger() {
    if constexpr (IsTls) {
      Shutdown();
    } else {
      error_code ignored;
      Lowest().socket().shutdown(tcp::socket::shutdown_send, ignored);
      Lowest().expires_after(milliseconds(1000));
      DrainSome(1 << 20);
    }
  }

  void DrainSome(size_t budget) {
    FStream.async_read_some(net::buffer(FBuffer), [self = Self(), budget](const error_code& ec, size_t n) {
      if (ec || n >= budget) return self->Close();
      self->DrainSome(budget - n);
    });
  }

  void Shutdown() {
    if constexpr (IsTls) {
      Lowest().expires_after(milliseconds(1000));
      FStream.async_shutdown([self = Self()](const error_code&) { self->Close(); });
    } else {
      error_code ignored;
      Lowest().socket().shutdown(tcp::socket::shutdown_both, ignored);
      Close();
    }
  }

  void Close() {
    error_code ignored;
    Lowest().socket().close(ignored);
  }

  // A body file sent in pieces.
  struct TFileHolder {
    explicit TFileHolder(const THttpServerResponse& response)
        : File(response.BodyFile()), Keep(response), Left(response.BodyFileSize()) {}
    const TFileDescriptor* File;
    THttpServerResponse Keep;  // holds the file open
    uint64_t Offset = 0;
    uint64_t Left;

    bool ReadNext(std::string& out) {
      out.resize(static_cast<size_t>(std::min<uint64_t>(Left, 256 * 1024)));
      const ssize_t n = ::pread(File->Get(), out.data(), out.size(), static_cast<off_t>(Offset));
      if (n <= 0) return false;  // the file shrank: the length sent cannot be met
      out.resize(static_cast<size_t>(n));
      Offset += static_cast<uint64_t>(n);
      Left -= static_cast<uint64_t>(n);
      return true;
    }
  };

  std::shared_ptr<TServerCore> FCore;
  uint64_t FId = 0;
  Stream FStream;
  THttpRequestReader FReader;
  std::array<char, 16 * 1024> FBuffer{};
  std::string FOut;
  std::shared_ptr<TFileHolder> FFile;
  bool FCloseAfter = false;
  bool FFailure = false;
  bool FContinueSent = false;
  bool FStopRequested = false;
  bool FInRequest = false;
  std::atomic<bool> FAborted{false};
  std::string FPeerAddress, FLocalAddress;
  uint16_t FPeerPort = 0, FLocalPort = 0;
};

using TPlainConnection = TConnection<beast::tcp_stream>;
using TTlsConnection = TConnection<beast::ssl_stream<beast::tcp_stream>>;

class TListener : public std::enable_shared_from_this<TListener> {
 public:
  TListener(net::io_context& ioc, std::shared_ptr<TServerCore> core)
      : FIoc(ioc), FCore(std::move(core)), FAcceptor(net::make_strand(ioc)), FRetry(FAcceptor.get_executor()) {}

  // Raises EHttpServerError.
  void Open(const tcp::endpoint& endpoint) {
    error_code ec;
    const auto fail = [&](const char* step) {
      throw EHttpServerError("cannot listen on " + Describe(endpoint) + ": " + step + ": " + ec.message());
    };
    FAcceptor.open(endpoint.protocol(), ec);
    if (ec) fail("open");
    FAcceptor.set_option(net::socket_base::reuse_address(true), ec);
    if (endpoint.address().is_v6()) FAcceptor.set_option(net::ip::v6_only(true), ec);
    FAcceptor.bind(endpoint, ec);
    if (ec) fail("bind");
    FAcceptor.listen(net::socket_base::max_listen_connections, ec);
    if (ec) fail("listen");
  }

  tcp::endpoint LocalEndpoint() const {
    error_code ec;
    return FAcceptor.local_endpoint(ec);
  }

  void Run() {
    net::dispatch(FAcceptor.get_executor(), [self = shared_from_this()] { self->Accept(); });
  }

  void Close() {
    net::post(FAcceptor.get_executor(), [self = shared_from_this()] {
      error_code ignored;
      self->FAcceptor.close(ignored);
      self->FRetry.cancel();
    });
  }

  static std::string Describe(const tcp::endpoint& endpoint) {
    const std::string address = endpoint.address().to_string();
    return (endpoint.address().is_v6() ? "[" + address + "]" : address) + ":" + IntText(endpoint.port());
  }

 private:
  void Accept() {
    FAcceptor.async_accept(net::make_strand(FIoc), [self = shared_from_this()](const error_code& ec, tcp::socket socket) {
      if (ec == net::error::operation_aborted || !self->FAcceptor.is_open()) return;
      if (ec) {
        // Out of descriptors or the like: try again shortly instead of spinning.
        self->FRetry.expires_after(milliseconds(50));
        self->FRetry.async_wait([self](const error_code& waited) {
          if (!waited) self->Accept();
        });
        return;
      }
      self->Admit(std::move(socket));
      self->Accept();
    });
  }

  void Admit(tcp::socket socket) {
    const int32_t maximum = FCore->Options.MaxConnections;
    if (FCore->Stopping || (maximum > 0 && FCore->ConnectionCount() >= static_cast<size_t>(maximum))) {
      error_code ignored;
      socket.close(ignored);
      return;
    }
    error_code ignored;
    socket.set_option(tcp::no_delay(true), ignored);
    std::shared_ptr<TConnectionBase> connection;
    if (FCore->TlsContext)
      connection = std::make_shared<TTlsConnection>(FCore, std::move(socket), *FCore->TlsContext);
    else
      connection = std::make_shared<TPlainConnection>(FCore, std::move(socket));
    connection->Start(FCore->Register(connection));
  }

  net::io_context& FIoc;
  std::shared_ptr<TServerCore> FCore;
  tcp::acceptor FAcceptor;
  net::steady_timer FRetry;
};

unsigned PoolSize(unsigned wanted) {
  if (wanted > 0) return wanted;
  return std::clamp(std::thread::hardware_concurrency(), 2u, 16u);
}

}  // namespace

struct THttpServer::TImpl {
  THttpServerOptions Options;
  std::mutex HandlerLock;
  std::shared_ptr<const THttpRequestHandler> Handler;

  // Start and Stop one at a time.
  std::mutex RunLock;
  // Guards Core and Bound for readers (never held while waiting, so that
  // handlers may ask while the server stops).
  mutable std::mutex StateLock;
  // One run: from Start to Stop.
  std::shared_ptr<TServerCore> Core;
  std::unique_ptr<net::io_context> Ioc;
  std::optional<net::executor_work_guard<net::io_context::executor_type>> Work;
  std::vector<std::shared_ptr<TListener>> Listeners;
  std::vector<THttpBinding> Bound;
  std::vector<std::thread> Threads;

  void OpenListeners() {
    std::vector<THttpBinding> bindings = Options.Bindings;
    if (bindings.empty()) bindings.push_back({"", Id_IPv4, 0});
    uint16_t sharedPort = Options.DefaultPort;
    for (THttpBinding binding : bindings) {
      net::ip::address address;
      if (binding.IP.empty()) {
        address = binding.IPVersion == Id_IPv6 ? net::ip::address(net::ip::address_v6::any())
                                               : net::ip::address(net::ip::address_v4::any());
      } else {
        error_code ec;
        address = net::ip::make_address(binding.IP, ec);
        if (ec) throw EHttpServerError("cannot listen on \"" + binding.IP + "\": it is no IP address");
      }
      const uint16_t port = binding.Port != 0 ? binding.Port : sharedPort;
      auto listener = std::make_shared<TListener>(*Ioc, Core);
      listener->Open(tcp::endpoint(address, port));
      const tcp::endpoint bound = listener->LocalEndpoint();
      // A free port picked for the first binding serves the others too.
      if (binding.Port == 0 && sharedPort == 0) sharedPort = bound.port();
      binding.IPVersion = address.is_v6() ? Id_IPv6 : Id_IPv4;
      binding.Port = bound.port();
      {
        std::lock_guard<std::mutex> state(StateLock);
        Bound.push_back(binding);
      }
      Listeners.push_back(std::move(listener));
    }
  }

  void Start() {
    std::lock_guard<std::mutex> lock(RunLock);
    if (Core) return;
    auto core = std::make_shared<TServerCore>(Options);
    {
      std::lock_guard<std::mutex> handlerLock(HandlerLock);
      core->Handler = Handler;
    }
    if (Options.Tls) {
      try {
        core->TlsContext.emplace(ssl::context::tls_server);
        vxTlsSettings::ConfigureContext(core->TlsContext->native_handle(), *Options.Tls,
                                        vxTlsSettings::TTlsSide::Server);
      } catch (const Exception& e) {
        throw EHttpServerError(e.Message());
      }
    }
    const unsigned threads = PoolSize(Options.ThreadCount);
    Ioc = std::make_unique<net::io_context>(static_cast<int>(threads));
    {
      std::lock_guard<std::mutex> state(StateLock);
      Core = core;
    }
    try {
      OpenListeners();
    } catch (...) {
      std::lock_guard<std::mutex> state(StateLock);
      Listeners.clear();
      Bound.clear();
      Ioc.reset();
      Core.reset();
      throw;
    }
    Work.emplace(Ioc->get_executor());
    for (auto& listener : Listeners) listener->Run();
    for (unsigned i = 0; i < threads; ++i)
      Threads.emplace_back([ioc = Ioc.get()] {
        for (;;) {
          try {
            ioc->run();
            return;
          } catch (...) {
            // A handler of ours let something escape: the pool goes on.
          }
        }
      });
  }

  void Stop() noexcept {
    std::lock_guard<std::mutex> lock(RunLock);
    std::shared_ptr<TServerCore> core;
    {
      std::lock_guard<std::mutex> state(StateLock);
      core = Core;
    }
    if (!core) return;
    core->Stopping = true;
    for (auto& listener : Listeners) listener->Close();
    for (auto& connection : core->Snapshot()) connection->RequestStop();
    core->WaitForNoConnections(TClock::now() + milliseconds(Options.TerminateWaitTime));
    for (auto& connection : core->Snapshot()) connection->Abort();
    // Closed connections end at once, unless a handler still runs.
    core->WaitForNoConnections(TClock::now() + milliseconds(1000));
    Work.reset();
    Ioc->stop();
    for (std::thread& t : Threads) t.join();
    Threads.clear();
    Listeners.clear();
    // Destroys the operations never run, and the connections they held.
    Ioc.reset();
    std::lock_guard<std::mutex> state(StateLock);
    Bound.clear();
    Core.reset();
  }
};

THttpServer::THttpServer(THttpServerOptions Options) : FImpl(std::make_unique<TImpl>()) {
  FImpl->Options = std::move(Options);
}

THttpServer::~THttpServer() { Stop(); }

const THttpServerOptions& THttpServer::Options() const { return FImpl->Options; }

void THttpServer::SetOptions(THttpServerOptions Options) {
  std::lock_guard<std::mutex> lock(FImpl->RunLock);
  std::lock_guard<std::mutex> state(FImpl->StateLock);
  if (FImpl->Core) throw EHttpServerError("the options of an active server cannot be changed");
  FImpl->Options = std::move(Options);
}

void THttpServer::SetHandler(THttpRequestHandler Handler) {
  auto shared = std::make_shared<const THttpRequestHandler>(std::move(Handler));
  {
    std::lock_guard<std::mutex> lock(FImpl->HandlerLock);
    FImpl->Handler = shared;
  }
  std::lock_guard<std::mutex> state(FImpl->StateLock);
  if (FImpl->Core) {
    std::lock_guard<std::mutex> handlerLock(FImpl->Core->HandlerLock);
    FImpl->Core->Handler = shared;
  }
}

void THttpServer::Start() { FImpl->Start(); }

void THttpServer::Stop() noexcept { FImpl->Stop(); }

bool THttpServer::Active() const {
  std::lock_guard<std::mutex> lock(FImpl->StateLock);
  return FImpl->Core != nullptr;
}

std::vector<THttpBinding> THttpServer::BoundBindings() const {
  std::lock_guard<std::mutex> lock(FImpl->StateLock);
  return FImpl->Bound;
}
