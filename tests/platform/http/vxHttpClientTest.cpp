// The HTTP client against Python's http.server as a foreign peer (plain and
// TLS): methods and bodies, status lines and fields as received, redirects,
// cookies, time-outs, streaming bodies and stopping; the bound address and
// port range against our own server, which reports the peer's port.
#include <gtest/gtest.h>

#include <regex>

#include "platform/http/vxHttpClient.h"
#include "platform/http/vxHttpServer.h"
#include "support/vxHttpTestPeer.h"
#include "support/vxTestCertificates.h"

namespace {

using namespace std::chrono_literals;
using TKind = EHttpClientError::TKind;
using vxTest::THttpTestPeer;
using vxTest::TTestCertificates;

// The peer's JSON description of a request: the value of a "key": "value" pair.
std::string JsonText(const std::string& json, const std::string& key) {
  std::smatch m;
  if (!std::regex_search(json, m, std::regex("\"" + key + "\": \"([^\"]*)\""))) return "<none>";
  return m[1];
}
std::string JsonNumber(const std::string& json, const std::string& key) {
  std::smatch m;
  if (!std::regex_search(json, m, std::regex("\"" + key + "\": ([0-9]+)"))) return "<none>";
  return m[1];
}

THttpClientResponse Get(THttpClient& client, const std::string& url) {
  THttpClientRequest request;
  request.Url = url;
  return client.Perform(request);
}

EHttpClientError::TKind FailureKind(THttpClient& client, const THttpClientRequest& request) {
  try {
    client.Perform(request);
  } catch (const EHttpClientError& e) {
    return e.Kind;
  }
  ADD_FAILURE() << "no error for " << request.Url;
  return TKind::Protocol;
}

class ClientWithPythonPeer : public ::testing::TestWithParam<bool> {
 protected:
  THttpClientOptions Options() const {
    THttpClientOptions options;
    if (GetParam()) {
      TTlsSettings tls;
      tls.RootCertFile = TTestCertificates::Get().File("ca.pem");
      tls.VerifyMode = {sslvrfPeer};
      options.Tls = tls;
    }
    return options;
  }
};

TEST_P(ClientWithPythonPeer, MethodsBodiesAndFields) {
  THttpTestPeer peer(GetParam());
  THttpClient client(Options());
  struct TCase {
    const char* Method;
    std::optional<std::string> Body;
  };
  const TCase cases[] = {{"GET", std::nullopt},     {"POST", "a=1"},          {"PUT", std::string(100000, 'p')},
                         {"PROPFIND", "<x/>"},      {"DELETE", std::nullopt}, {"PUT", std::string()},
                         {"PATCH", "patch body"}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Method);
    THttpClientRequest request;
    request.Method = c.Method;
    request.Url = peer.Url("/echo?q=1");
    request.Headers = {{"Content-Type", "application/x-www-form-urlencoded"}, {"X-Order", "first"}, {"X-Empty", ""}};
    request.Body = c.Body;
    const THttpClientResponse response = client.Perform(request);
    EXPECT_EQ(response.StatusCode, 200);
    EXPECT_EQ(response.ReasonPhrase, "OK");
    EXPECT_EQ(response.Header("content-type"), "application/json");
    EXPECT_EQ(JsonText(response.Body, "method"), c.Method);
    EXPECT_EQ(JsonText(response.Body, "target"), "/echo?q=1");
    const size_t length = c.Body ? c.Body->size() : 0;
    EXPECT_EQ(JsonNumber(response.Body, "body_length"), std::to_string(length));
    if (c.Body && length < 4096) {
      EXPECT_EQ(JsonText(response.Body, "body"), *c.Body);
    }
    EXPECT_NE(response.Body.find("[\"X-Order\", \"first\"], [\"X-Empty\", \"\"]"), std::string::npos) << response.Body;
    if (c.Body) {
      EXPECT_NE(response.Body.find("[\"Content-Length\", \"" + std::to_string(length) + "\"]"), std::string::npos);
    }
  }
}

TEST_P(ClientWithPythonPeer, StatusLinesAndFieldsAsReceived) {
  THttpTestPeer peer(GetParam());
  THttpClient client(Options());
  THttpClientResponse response = Get(client, peer.Url("/status/404"));
  EXPECT_EQ(response.StatusCode, 404);
  EXPECT_EQ(response.ReasonPhrase, "Peer Reason 404");
  EXPECT_EQ(response.StatusLine, "HTTP/1.1 404 Peer Reason 404");
  EXPECT_EQ(response.Body, "status 404");
  response = Get(client, peer.Url("/status/204"));
  EXPECT_EQ(response.StatusCode, 204);
  EXPECT_EQ(response.Body, "");
  response = Get(client, peer.Url("/fields"));
  std::vector<THttpHeaderField> own;
  for (const THttpHeaderField& f : response.Headers)
    if (f.Name.rfind("X-", 0) == 0) own.push_back(f);
  const std::vector<THttpHeaderField> expected = {{"X-One", "1"}, {"X-Multi", "a"}, {"X-Multi", "b"}, {"X-Empty", ""}};
  EXPECT_EQ(own, expected);
}

TEST_P(ClientWithPythonPeer, Redirects) {
  THttpTestPeer peer(GetParam());
  THttpClientOptions options = Options();
  THttpClient notFollowing(options);
  THttpClientResponse response = Get(notFollowing, peer.Url("/redirect?to=/echo/there"));
  EXPECT_EQ(response.StatusCode, 302);
  EXPECT_EQ(response.Header("Location"), "/echo/there");

  options.HandleRedirects = true;
  THttpClient following(options);
  response = Get(following, peer.Url("/redirect?to=/echo/there"));
  EXPECT_EQ(response.StatusCode, 200);
  EXPECT_EQ(JsonText(response.Body, "target"), "/echo/there");
  EXPECT_EQ(response.EffectiveUrl, peer.Url("/echo/there"));
  EXPECT_EQ(response.Header("Location"), "");  // the final response's fields only

  options.RedirectMaximum = 0;
  THttpClient limited(options);
  THttpClientRequest request;
  request.Url = peer.Url("/redirect?to=/echo");
  EXPECT_EQ(FailureKind(limited, request), TKind::Protocol);
}

TEST_P(ClientWithPythonPeer, CookiesOnlyWhenAllowed) {
  THttpTestPeer peer(GetParam());
  for (const bool allow : {false, true}) {
    THttpClientOptions options = Options();
    options.AllowCookies = allow;
    THttpClient client(options);
    Get(client, peer.Url("/cookie/set"));
    client.Disconnect();  // cookies outlive the connections
    const std::string echo = Get(client, peer.Url("/echo")).Body;
    EXPECT_EQ(echo.find("[\"Cookie\", \"vxpeer=42\"]") != std::string::npos, allow) << echo;
  }
}

TEST_P(ClientWithPythonPeer, StreamingBodiesAndStopping) {
  THttpTestPeer peer(GetParam());
  THttpClient client(Options());
  // The body into a sink, in pieces.
  THttpClientRequest request;
  request.Url = peer.Url("/bytes/3000000");
  std::string received;
  size_t pieces = 0;
  request.BodySink = [&](std::string_view piece) {
    received.append(piece);
    ++pieces;
  };
  THttpClientResponse response = client.Perform(request);
  EXPECT_EQ(response.Body, "");
  ASSERT_EQ(received.size(), 3000000u);
  EXPECT_EQ(static_cast<unsigned char>(received[257]), 1);
  EXPECT_GT(pieces, 1u);

  // A body from a source, of known size and chunked.
  for (const int64_t size : {int64_t{250000}, int64_t{-1}}) {
    THttpClientRequest upload;
    upload.Method = "PUT";
    upload.Url = peer.Url("/echo");
    size_t left = 250000;
    upload.BodySource = [&](char* buffer, size_t room) {
      const size_t n = std::min(left, std::min(room, size_t{7000}));
      std::fill(buffer, buffer + n, 's');
      left -= n;
      return n;
    };
    upload.BodySize = size;
    const std::string echo = client.Perform(upload).Body;
    EXPECT_EQ(JsonNumber(echo, "body_length"), "250000") << size;
    EXPECT_NE(echo.find(size < 0 ? "[\"Transfer-Encoding\", \"chunked\"]" : "[\"Content-Length\", \"250000\"]"),
              std::string::npos);
  }

  // Stopped by the source, by the progress callback.
  THttpClientRequest stopped;
  stopped.Method = "PUT";
  stopped.Url = peer.Url("/echo");
  stopped.BodySize = 1000000;
  int calls = 0;
  stopped.BodySource = [&](char* buffer, size_t room) {
    if (++calls > 2) return THttpClientRequest::AbortTransfer;
    std::fill(buffer, buffer + room, 'x');
    return room;
  };
  EXPECT_EQ(FailureKind(client, stopped), TKind::Aborted);
  THttpClientRequest watched;
  watched.Url = peer.Url("/bytes/5000000");
  uint64_t seen = 0;
  watched.Progress = [&](uint64_t got, uint64_t, uint64_t, uint64_t) {
    seen = got;
    return got < 100000;
  };
  EXPECT_EQ(FailureKind(client, watched), TKind::Aborted);
  EXPECT_GE(seen, 100000u);
  // The client is still good for the next transfer.
  EXPECT_EQ(Get(client, peer.Url("/status/201")).StatusCode, 201);
}

TEST_P(ClientWithPythonPeer, ReadTimeout) {
  THttpTestPeer peer(GetParam());
  THttpClientOptions options = Options();
  options.ReadTimeout = 500;
  THttpClient client(options);
  THttpClientRequest request;
  request.Url = peer.Url("/slow/4000");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(FailureKind(client, request), TKind::Timeout);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3500ms);
  request.Url = peer.Url("/slow/100");
  EXPECT_EQ(client.Perform(request).Body, "late");
}

INSTANTIATE_TEST_SUITE_P(PlainAndTls, ClientWithPythonPeer, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Tls" : "Plain"; });

TEST(HttpClient, NobodyListening) {
  // A port that was free a moment ago.
  uint16_t port;
  {
    THttpServerOptions options;
    options.Bindings = {{"127.0.0.1", Id_IPv4, 0}};
    THttpServer server(options);
    server.Start();
    port = server.BoundBindings().at(0).Port;
  }
  THttpClient client;
  THttpClientRequest request;
  request.Url = "http://127.0.0.1:" + std::to_string(port) + "/";
  try {
    client.Perform(request);
    FAIL() << "no error";
  } catch (const EHttpClientError& e) {
    EXPECT_EQ(e.Kind, TKind::Connect);
    EXPECT_NE(std::string(e.what()).find("GET " + request.Url + ": "), std::string::npos) << e.what();
  }
  request.Url = "ftp://127.0.0.1/";
  EXPECT_EQ(FailureKind(client, request), TKind::Protocol);
  request.Url = "http://127.0.0.1:1/";
  request.Headers = {{"X-Bad", "a\r\nInjected: 1"}};
  EXPECT_THROW(client.Perform(request), EHttpClientError);
}

TEST(HttpClient, BoundAddressAndPortRange) {
  THttpServerOptions serverOptions;
  serverOptions.Bindings = {{"127.0.0.1", Id_IPv4, 0}};
  THttpServer server(serverOptions);
  server.SetHandler([](const THttpServerRequest& request, THttpServerResponse& response) {
    response.Body = request.PeerAddress + " " + std::to_string(request.PeerPort);
  });
  server.Start();
  const std::string url = "http://127.0.0.1:" + std::to_string(server.BoundBindings().at(0).Port) + "/";
  // Find a few free ports for the range: those of connections just closed are not it.
  THttpClientOptions options;
  options.BoundIP = "127.0.0.1";
  options.BoundPortMin = 47210;
  options.BoundPortMax = 47230;
  THttpClient ranged(options);
  const std::string seen = Get(ranged, url).Body;
  const int port = std::stoi(seen.substr(seen.find(' ') + 1));
  EXPECT_EQ(seen.substr(0, seen.find(' ')), "127.0.0.1");
  EXPECT_GE(port, 47210);
  EXPECT_LE(port, 47230);
  options.BoundPortMin = 0;
  options.BoundPortMax = 0;
  options.BoundIP = "192.0.2.1";  // no address of this machine
  THttpClient elsewhere(options);
  THttpClientRequest request;
  request.Url = url;
  EXPECT_EQ(FailureKind(elsewhere, request), TKind::Connect);
}

}  // namespace
