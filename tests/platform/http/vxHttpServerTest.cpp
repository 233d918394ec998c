// The HTTP server against real clients: our own client, curl the command
// and raw sockets that send what clients should not (slow headers, huge
// headers and bodies, malformed request lines, TLS garbage, a client that
// goes away mid-response); plain and over TLS, on IPv4 and IPv6.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <future>
#include <thread>

#include "platform/http/vxHttpClient.h"
#include "platform/http/vxHttpServer.h"
#include "support/vxRunProgram.h"
#include "support/vxTestCertificates.h"
#include "support/vxTestTempDir.h"
#include "tests/platform/http/vxRawSocket.h"

namespace {

using namespace std::chrono_literals;
using vxTest::TRawSocket;
using vxTest::TTestCertificates;

TTlsSettings ServerTls(const std::string& certificate = "server") {
  TTlsSettings tls;
  tls.CertFile = TTestCertificates::Get().File(certificate + ".pem");
  tls.KeyFile = TTestCertificates::Get().File(certificate + ".key");
  return tls;
}

TTlsSettings ClientTlsTrustingTheTestAuthority() {
  TTlsSettings tls;
  tls.RootCertFile = TTestCertificates::Get().File("ca.pem");
  tls.VerifyMode = {sslvrfPeer};
  return tls;
}

// A handler that describes the request in its body, one line per item.
void Describe(const THttpServerRequest& request, THttpServerResponse& response) {
  std::string text = request.Method + " " + request.Target + "\n";
  for (const THttpHeaderField& f : request.Headers) text += f.Name + "=" + f.Value + "\n";
  text += "body=" + request.Body + "\n";
  text += std::string("tls=") + (request.Tls ? "yes" : "no") + " peer=" + request.PeerAddress + "\n";
  response.StatusCode = 207;
  response.ReasonPhrase = "Our Own Phrase";
  response.AddHeader("X-B", "2");
  response.AddHeader("X-A", "1");
  response.AddHeader("X-B", "3");
  response.AddHeader("Content-Type", "text/plain");
  response.Body = text;
}

struct TRunningServer {
  explicit TRunningServer(THttpServerOptions options, THttpRequestHandler handler = Describe)
      : Server(std::move(options)) {
    Server.SetHandler(std::move(handler));
    Server.Start();
  }
  uint16_t Port() const { return Server.BoundBindings().at(0).Port; }
  std::string Url(const std::string& path, bool tls = false) const {
    return std::string(tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(Port()) + path;
  }
  THttpServer Server;
};

THttpServerOptions Loopback() {
  THttpServerOptions options;
  options.Bindings = {{"127.0.0.1", Id_IPv4, 0}};
  options.ThreadCount = 4;
  return options;
}

class ServerWithOurClient : public ::testing::TestWithParam<bool> {};

TEST_P(ServerWithOurClient, AnyMethodFieldsInOrderOwnReasonAndKeepAlive) {
  const bool tls = GetParam();
  THttpServerOptions options = Loopback();
  if (tls) options.Tls = ServerTls();
  options.ServerSoftware = "varlo test server";
  TRunningServer server(options);

  THttpClientOptions clientOptions;
  if (tls) clientOptions.Tls = ClientTlsTrustingTheTestAuthority();
  THttpClient client(clientOptions);
  for (const char* method : {"PROPFIND", "MKCOL", "COPY", "MOVE", "LOCK", "PURGE", "VIEW", "LINK", "GET", "DELETE"}) {
    SCOPED_TRACE(method);
    THttpClientRequest request;
    request.Method = method;
    request.Url = server.Url("/dav/item?depth=1", tls);
    request.Headers = {{"X-Second", "b"}, {"X-First", "a"}, {"X-Second", "c"}};
    if (std::string(method) != "GET") request.Body = std::string("content of ") + method;
    const THttpClientResponse response = client.Perform(request);
    EXPECT_EQ(response.StatusCode, 207);
    EXPECT_EQ(response.ReasonPhrase, "Our Own Phrase");
    ASSERT_GE(response.Headers.size(), 4u);
    EXPECT_EQ(response.Headers[0], (THttpHeaderField{"X-B", "2"}));
    EXPECT_EQ(response.Headers[1], (THttpHeaderField{"X-A", "1"}));
    EXPECT_EQ(response.Headers[2], (THttpHeaderField{"X-B", "3"}));
    EXPECT_EQ(response.Header("Server"), "varlo test server");
    EXPECT_FALSE(response.Header("Date").empty());
    EXPECT_NE(response.Body.find(std::string(method) + " /dav/item?depth=1\n"), std::string::npos);
    const size_t second = response.Body.find("X-Second=b\n");
    const size_t first = response.Body.find("X-First=a\n");
    const size_t third = response.Body.find("X-Second=c\n");
    EXPECT_TRUE(second < first && first < third) << response.Body;
    if (std::string(method) != "GET") {
      EXPECT_NE(response.Body.find(std::string("body=content of ") + method + "\n"), std::string::npos);
    }
    EXPECT_NE(response.Body.find(tls ? "tls=yes peer=127.0.0.1" : "tls=no peer=127.0.0.1"), std::string::npos);
  }
}

// One connection carries the requests of a client one after the other.
TEST_P(ServerWithOurClient, KeepAliveUsesOneConnection) {
  const bool tls = GetParam();
  THttpServerOptions options = Loopback();
  if (tls) options.Tls = ServerTls();
  TRunningServer server(options, [](const THttpServerRequest& request, THttpServerResponse& response) {
    response.Body = std::to_string(request.PeerPort);
  });
  THttpClientOptions clientOptions;
  if (tls) clientOptions.Tls = ClientTlsTrustingTheTestAuthority();
  THttpClient client(clientOptions);
  THttpClientRequest request;
  request.Url = server.Url("/", tls);
  const std::string first = client.Perform(request).Body;
  EXPECT_EQ(client.Perform(request).Body, first);
  client.Disconnect();
  EXPECT_NE(client.Perform(request).Body, first);
}

INSTANTIATE_TEST_SUITE_P(PlainAndTls, ServerWithOurClient, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Tls" : "Plain"; });

TEST(HttpServer, CurlTheCommandAsClient) {
  TRunningServer server(Loopback());
  const vxTest::TProgramResult result =
      vxTest::RunProgram({"/usr/bin/curl", "-sS", "-i", "-X", "PURGE", "-H", "X-Test: 1", "-H", "Expect: 100-continue",
                          "--data-binary", "payload", server.Url("/cache/entry")});
  ASSERT_EQ(result.ExitStatus, 0) << result.Output;
  EXPECT_EQ(result.Output.rfind("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 207 Our Own Phrase\r\nX-B: 2\r\nX-A: 1\r\nX-B: 3\r\n", 0), 0u)
      << result.Output;
  EXPECT_NE(result.Output.find("PURGE /cache/entry\n"), std::string::npos);
  EXPECT_NE(result.Output.find("X-Test=1\n"), std::string::npos);
  EXPECT_NE(result.Output.find("body=payload\n"), std::string::npos);
}

TEST(HttpServer, ListensOnIPv4AndIPv6AtOnce) {
  THttpServerOptions options;
  options.Bindings = {{"127.0.0.1", Id_IPv4, 0}, {"::1", Id_IPv6, 0}};
  THttpServer server(options);
  server.SetHandler(Describe);
  try {
    server.Start();
  } catch (const EHttpServerError& e) {
    if (std::string(e.what()).find("[::1]") != std::string::npos) GTEST_SKIP() << "no IPv6 loopback: " << e.what();
    throw;
  }
  const auto bound = server.BoundBindings();
  ASSERT_EQ(bound.size(), 2u);
  EXPECT_EQ(bound[0].IPVersion, Id_IPv4);
  EXPECT_EQ(bound[1].IPVersion, Id_IPv6);
  EXPECT_EQ(bound[0].Port, bound[1].Port);  // one free port for both
  const std::string port = std::to_string(bound[0].Port);
  for (const std::string& url : {"http://127.0.0.1:" + port + "/four", "http://[::1]:" + port + "/six"}) {
    THttpClient client;
    THttpClientRequest request;
    request.Url = url;
    const THttpClientResponse response = client.Perform(request);
    EXPECT_EQ(response.StatusCode, 207) << url;
    EXPECT_NE(response.Body.find(url.find("::1") != std::string::npos ? "peer=::1" : "peer=127.0.0.1"),
              std::string::npos);
  }
}

TEST(HttpServer, ABindingInUseFailsTheStartAndOpensNothing) {
  TRunningServer first(Loopback());
  THttpServerOptions options;
  options.Bindings = {{"127.0.0.1", Id_IPv4, 0}, {"127.0.0.1", Id_IPv4, first.Port()}};
  THttpServer second(options);
  try {
    second.Start();
    FAIL() << "no error";
  } catch (const EHttpServerError& e) {
    EXPECT_NE(std::string(e.what()).find("cannot listen on 127.0.0.1:" + std::to_string(first.Port())), std::string::npos)
        << e.what();
  }
  EXPECT_FALSE(second.Active());
  EXPECT_TRUE(second.BoundBindings().empty());
  options.Bindings = {{"no.address", Id_IPv4, 0}};
  second.SetOptions(options);
  EXPECT_THROW(second.Start(), EHttpServerError);
}

TEST(HttpServer, ResponsesTheServerMakesItself) {
  struct TCase {
    const char* Path;
    int Status;
    const char* StatusLine;
  };
  TRunningServer server(Loopback(), [](const THttpServerRequest& request, THttpServerResponse& response) {
    if (request.Path == "/raise") throw std::runtime_error("handler failed");
    if (request.Path == "/split") response.AddHeader("X-Bad", "a\r\nInjected: yes");
    if (request.Path == "/badname") response.AddHeader("Bad Name", "x");
    if (request.Path == "/badreason") response.ReasonPhrase = "two\r\nlines";
    if (request.Path == "/table") {
      response.StatusCode = 414;
      response.ReasonPhrase = "Request-URI Too Long. 256 Chars max";
    }
    if (request.Path == "/unknown") response.StatusCode = 418;
    if (request.Path == "/nobody") {
      response.StatusCode = 204;
      response.Body = "dropped";
    }
  });
  const TCase cases[] = {
      {"/raise", 500, "HTTP/1.1 500 Internal Server Error"},
      {"/split", 500, "HTTP/1.1 500 Internal Server Error"},
      {"/badname", 500, "HTTP/1.1 500 Internal Server Error"},
      {"/badreason", 500, "HTTP/1.1 500 Internal Server Error"},
      {"/table", 414, "HTTP/1.1 414 Request-URI Too Long. 256 Chars max"},
      {"/unknown", 418, "HTTP/1.1 418"},  // no common phrase: none
      {"/nobody", 204, "HTTP/1.1 204 No Content"},
      {"/fine", 200, "HTTP/1.1 200 OK"},
  };
  THttpClient client;
  for (const TCase& c : cases) {
    THttpClientRequest request;
    request.Url = server.Url(c.Path);
    const THttpClientResponse response = client.Perform(request);
    EXPECT_EQ(response.StatusCode, c.Status) << c.Path;
    EXPECT_EQ(response.StatusLine, c.StatusLine) << c.Path;
    EXPECT_EQ(response.Header("Injected"), "") << c.Path;
    if (c.Status == 204) {
      EXPECT_EQ(response.Body, "");
      EXPECT_EQ(response.Header("Content-Length"), "");
    }
  }
  // Without a handler: 404.
  server.Server.SetHandler(nullptr);
  THttpClientRequest request;
  request.Url = server.Url("/");
  EXPECT_EQ(client.Perform(request).StatusCode, 404);
}

TEST(HttpServer, HeadAndFileBodies) {
  TTestTempDir dir;
  std::string content;
  for (int i = 0; content.size() < 3 * 1024 * 1024 + 17; ++i) content += std::to_string(i) + ",";
  TTestTempDir::WriteBytes(dir.File("big.txt"), content);
  TRunningServer server(Loopback(), [&](const THttpServerRequest& request, THttpServerResponse& response) {
    if (request.Path == "/file") return response.SetBodyFile(dir.File("big.txt"));
    if (request.Path == "/missing") return response.SetBodyFile(dir.File("missing.txt"));
    response.SetHeader("Content-Length", "12345");
    response.Body = request.Method == "HEAD" ? "" : "short";
  });
  THttpClient client;
  THttpClientRequest request;
  request.Url = server.Url("/file");
  THttpClientResponse response = client.Perform(request);
  EXPECT_EQ(response.StatusCode, 200);
  EXPECT_TRUE(response.Body == content);
  request.Url = server.Url("/missing");
  EXPECT_EQ(client.Perform(request).StatusCode, 500);
  // HEAD keeps the handler's length and sends no body; GET sends the real one.
  request.Url = server.Url("/length");
  request.Method = "HEAD";
  response = client.Perform(request);
  EXPECT_EQ(response.Header("Content-Length"), "12345");
  EXPECT_EQ(response.Body, "");
  request.Method = "GET";
  response = client.Perform(request);
  EXPECT_EQ(response.Header("Content-Length"), "5");
  EXPECT_EQ(response.Body, "short");
}

// ---- bad clients ----

TEST(HttpServer, SlowHeaderIsCutOffAndOthersAreServedMeanwhile) {
  THttpServerOptions options = Loopback();
  options.HeaderTimeoutMs = 400;
  TRunningServer server(options);
  TRawSocket slow(server.Port());
  ASSERT_TRUE(slow.Send("GET / HTTP/1.1\r\n"));
  const auto start = std::chrono::steady_clock::now();
  bool closed = false;
  for (int i = 0; i < 40 && !closed; ++i) {
    if (!slow.Send("X")) break;
    // Another client is served at once meanwhile.
    if (i == 1) {
      THttpClient client;
      THttpClientRequest request;
      request.Url = server.Url("/other");
      EXPECT_EQ(client.Perform(request).StatusCode, 207);
    }
    closed = slow.ClosedWithin(100ms);
  }
  EXPECT_TRUE(closed || slow.ClosedWithin(2s));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  // An idle keep-alive connection goes the same way.
  TRawSocket idle(server.Port());
  EXPECT_TRUE(idle.ClosedWithin(3s));
}

TEST(HttpServer, OversizedAndMalformedRequestsGetTheirStatus) {
  struct TCase {
    const char* Name;
    std::string Bytes;
    const char* StatusLine;
  };
  THttpServerOptions options = Loopback();
  options.MaxHeaderBytes = 4096;
  options.MaximumHeaderLineCount = 20;
  options.MaxBodyBytes = 1000;
  TRunningServer server(options);
  std::string manyFields;
  for (int i = 0; i < 21; ++i) manyFields += "X-" + std::to_string(i) + ": v\r\n";
  const TCase cases[] = {
      {"long field", "GET / HTTP/1.1\r\nX-Long: " + std::string(5000, 'a') + "\r\n\r\n",
       "HTTP/1.1 431 Request Header Fields Too Large"},
      {"many fields", "GET / HTTP/1.1\r\n" + manyFields + "\r\n", "HTTP/1.1 431 Request Header Fields Too Large"},
      {"declared body", "PUT / HTTP/1.1\r\nContent-Length: 1001\r\n\r\n" + std::string(1001, 'b'),
       "HTTP/1.1 413 Payload Too Large"},
      {"chunked body", "PUT / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n3e8\r\n" + std::string(1000, 'c') + "\r\n1\r\nd\r\n0\r\n\r\n",
       "HTTP/1.1 413 Payload Too Large"},
      {"malformed request line", "GET/HTTP/1.1\r\n\r\n", "HTTP/1.1 400 Bad Request"},
      {"blank in the method", "GE T / HTTP/1.1\r\n\r\n", "HTTP/1.1 400 Bad Request"},
      {"other version", "GET / HTTP/3.0\r\n\r\n", "HTTP/1.1 505 HTTP Version Not Supported"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TRawSocket socket(server.Port());
    socket.Send(c.Bytes);
    const std::string answer = socket.Receive(5s);
    EXPECT_EQ(answer.rfind(std::string(c.StatusLine) + "\r\n", 0), 0u) << answer.substr(0, 200);
    EXPECT_NE(answer.find("Connection: close\r\n"), std::string::npos);
    EXPECT_TRUE(socket.Closed);
  }
  // curl sees the 413 of a large upload instead of a broken connection.
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("upload.bin"), std::string(200000, 'u'));
  const auto result = vxTest::RunProgram({"/usr/bin/curl", "-sS", "-o", "/dev/null", "-w", "%{http_code}", "-T",
                                          dir.File("upload.bin"), server.Url("/upload")});
  EXPECT_EQ(result.Output, "413");
}

TEST(HttpServer, TlsGarbageAndPlainTextOnTheTlsPortEndOnlyThatConnection) {
  THttpServerOptions options = Loopback();
  options.Tls = ServerTls();
  options.HeaderTimeoutMs = 2000;
  TRunningServer server(options);
  {
    TRawSocket garbage(server.Port());
    garbage.Send(std::string("\x16\x03\x01\x00\x05garbagegarbagegarbage", 26));
    EXPECT_TRUE(garbage.ClosedWithin(3s));
  }
  {
    TRawSocket plain(server.Port());
    plain.Send("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_TRUE(plain.ClosedWithin(3s));
  }
  {
    // A handshake begun and never finished.
    TRawSocket silent(server.Port());
    EXPECT_TRUE(silent.ClosedWithin(4s));
  }
  THttpClientOptions clientOptions;
  clientOptions.Tls = ClientTlsTrustingTheTestAuthority();
  THttpClient client(clientOptions);
  THttpClientRequest request;
  request.Url = server.Url("/after", true);
  EXPECT_EQ(client.Perform(request).StatusCode, 207);
}

// Whether the server's end of the IPv4 connection from ClientPort to
// ServerPort is still established, as the kernel's socket table says.
bool ServerSideEstablished(uint16_t ServerPort, uint16_t ClientPort) {
  const auto hexAt = [](const std::string& text, size_t from, size_t count) {
    unsigned value = 0;
    for (size_t i = from; i < from + count && i < text.size(); ++i) {
      const char c = text[i];
      value = value * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    return value;
  };
  std::ifstream table("/proc/net/tcp");
  std::string line;
  std::getline(table, line);  // the titles
  while (std::getline(table, line)) {
    // "  N: 0100007F:PORT 0100007F:PORT ST ..."
    const size_t local = line.find(':') + 2;
    if (hexAt(line, local + 9, 4) == ServerPort && hexAt(line, local + 23, 4) == ClientPort)
      return hexAt(line, local + 28, 2) == 0x01;
  }
  return false;
}

TEST(HttpServer, ClientsGoingAwayMidResponse) {
  const std::string big(32 * 1024 * 1024, 'z');
  THttpServerOptions options = Loopback();
  options.WriteTimeoutMs = 500;
  std::atomic<int> served{0};
  TRunningServer server(options, [&](const THttpServerRequest& request, THttpServerResponse& response) {
    ++served;
    response.Body = request.Path == "/big" ? big : "small";
  });
  {
    // Reads a little, then resets the connection.
    TRawSocket reader(server.Port());
    reader.Send("GET /big HTTP/1.1\r\n\r\n");
    EXPECT_FALSE(reader.Receive(2s, "zzzz").empty());
    reader.Reset();
  }
  {
    // Never reads: the write time-out ends the connection. The client reads
    // only once the server's side has left the established state, so a
    // slow machine cannot make the client's reading rescue the connection;
    // the long deadlines only guard against a server that never gives up.
    TRawSocket sleeper(server.Port());
    sleeper.Send("GET /big HTTP/1.1\r\n\r\n");
    const auto giveUp = std::chrono::steady_clock::now() + 60s;
    while (ServerSideEstablished(server.Port(), sleeper.LocalPort()) && std::chrono::steady_clock::now() < giveUp)
      std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(ServerSideEstablished(server.Port(), sleeper.LocalPort()));
    sleeper.Receive(60s);
    EXPECT_TRUE(sleeper.Closed);
  }
  // Our client giving up in its sink.
  THttpClient client;
  THttpClientRequest request;
  request.Url = server.Url("/big");
  request.BodySink = [](std::string_view) { throw std::runtime_error("enough"); };
  EXPECT_THROW(client.Perform(request), std::runtime_error);
  THttpClient fresh;
  THttpClientRequest small;
  small.Url = server.Url("/small");
  EXPECT_EQ(fresh.Perform(small).Body, "small");
  EXPECT_EQ(served.load(), 4);
}

TEST(HttpServer, MaxConnectionsClosesTheExtraOnes) {
  THttpServerOptions options = Loopback();
  options.MaxConnections = 1;
  TRunningServer server(options);
  TRawSocket first(server.Port());
  first.Send("GET /one HTTP/1.1\r\n\r\n");
  EXPECT_NE(first.Receive(3s, "tls=no").find("207 Our Own Phrase"), std::string::npos);
  TRawSocket second(server.Port());
  EXPECT_TRUE(second.ClosedWithin(3s));
  first.Close();
  // Once the first has gone, a new one is served.
  for (int i = 0; i < 50; ++i) {
    TRawSocket third(server.Port());
    third.Send("GET /three HTTP/1.1\r\n\r\n");
    if (third.Receive(1s, "tls=no").find("207") != std::string::npos) return;
  }
  FAIL() << "no connection served after the first went";
}

// ---- stopping ----

TEST(HttpServer, StopLetsRunningRequestsFinishAndClosesIdleOnes) {
  THttpServerOptions options = Loopback();
  options.TerminateWaitTime = 5000;
  std::promise<void> entered;
  TRunningServer server(options, [&](const THttpServerRequest&, THttpServerResponse& response) {
    entered.set_value();
    std::this_thread::sleep_for(500ms);
    response.Body = "finished";
  });
  TRawSocket idle(server.Port());
  auto pending = std::async(std::launch::async, [&] {
    THttpClient client;
    THttpClientRequest request;
    request.Url = server.Url("/slow");
    return client.Perform(request);
  });
  entered.get_future().wait();
  const auto start = std::chrono::steady_clock::now();
  server.Server.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
  const THttpClientResponse response = pending.get();
  EXPECT_EQ(response.Body, "finished");
  EXPECT_EQ(response.Header("Connection"), "close");
  EXPECT_TRUE(idle.ClosedWithin(1s));
  EXPECT_FALSE(server.Server.Active());
  // And it starts again.
  server.Server.Start();
  EXPECT_TRUE(server.Server.Active());
}

TEST(HttpServer, StopCutsWhatOutlastsTheWait) {
  THttpServerOptions options = Loopback();
  options.TerminateWaitTime = 200;
  std::promise<void> entered;
  TRunningServer server(options, [&](const THttpServerRequest&, THttpServerResponse& response) {
    entered.set_value();
    std::this_thread::sleep_for(1500ms);
    response.Body = "too late";
  });
  TRawSocket client(server.Port());
  client.Send("GET / HTTP/1.1\r\n\r\n");
  entered.get_future().wait();
  const auto start = std::chrono::steady_clock::now();
  server.Server.Stop();
  // Stop waits for the handler to return, but its answer is not sent.
  EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
  EXPECT_EQ(client.Receive(2s).find("too late"), std::string::npos);
  EXPECT_TRUE(client.Closed);
}

}  // namespace
