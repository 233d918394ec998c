// The client transfers of TvxIndy through the process's class factory,
// against our own server, Python's http.server (plain and over TLS) and a
// raw socket that keeps the exact request bytes: bodies from nothing to
// 200 MiB streamed both ways, the header texts, error statuses, redirects,
// and transfers that fail (time-out, refused, a name that does not resolve).
#include <gtest/gtest.h>

#include <filesystem>

#include "configstore/vxClassFactory.h"
#include "configstore/vxIndy.h"
#include "core/vxMD5.h"
#include "platform/base/vxCodePage.h"
#include "platform/files/vxStream.h"
#include "platform/http/vxHttpServer.h"
#include "support/vxHttpTestPeer.h"
#include "support/vxRaisedMessage.h"
#include "support/vxScopedEnv.h"
#include "support/vxTcpProbe.h"
#include "support/vxTestCertificates.h"
#include "support/vxTestTempDir.h"
#include "vxRawHttpPeer.h"

namespace {

using vxTest::TTestCertificates;

// The process's factory for one test, trusting the test authority.
class IndyClient : public ::testing::Test {
 protected:
  void SetUp() override {
    vxGlobalClassFactory::Initialize();
    GlobalClassFactory->OnWarning = [](const ustring&) {};
    GlobalClassFactory->HttpClientOptions.Update([](TvxHttpClientOptions& o) {
      o.SSL.RootCertFile = Utf8ToWide(TTestCertificates::Get().File("ca.pem"));
      o.SSL.VerifyMode = {sslvrfPeer};
      o.SSL.VerifyDepth = 4;
      o.SSL.Method = sslvTLSv1_2;
      o.SSL.SSLVersions = {sslvTLSv1_2};
    });
  }
  void TearDown() override { vxGlobalClassFactory::Finalize(); }

  static void SetClientOptions(const std::function<void(TvxHttpClientOptions&)>& Change) {
    GlobalClassFactory->HttpClientOptions.Update(Change);
  }

  TTestTempDir FDir;
  vxTest::TScopedEnv FRegistry{"VARLO_REGISTRY", FDir.File("registry")};
};

// Whether the file holds exactly Size bytes of the pattern.
bool HoldsPattern(const std::string& Path, uint64_t Size) {
  if (std::filesystem::file_size(Path) != Size) return false;
  TFileStream file(Utf8ToWide(Path), fmOpenRead);
  std::string block(1 << 20, '\0');
  uint64_t at = 0;
  for (int64_t n; (n = file.Read(block.data(), static_cast<int64_t>(block.size()))) > 0; at += static_cast<uint64_t>(n))
    for (int64_t i = 0; i < n; ++i)
      if (static_cast<unsigned char>(block[static_cast<size_t>(i)]) != (at + static_cast<uint64_t>(i)) % 256) return false;
  return at == Size;
}

std::string LowerMD5(std::string Md5) {
  for (char& c : Md5)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return Md5;
}

// ---- our own server ----

TEST_F(IndyClient, GetFromOurServerWithBothHeaderKinds) {
  THttpServerOptions options;
  options.Bindings = {{"127.0.0.1", Id_IPv4, 0}};
  THttpServer server(options);
  server.SetHandler([](const THttpServerRequest& request, THttpServerResponse& response) {
    if (request.Path == "/empty") {
      response.StatusCode = 204;
      return;
    }
    response.AddHeader("Content-Type", "text/plain");
    response.AddHeader("X-Custom", "one");
    response.AddHeader("Cache-Control", "no-store");
    response.Body = request.Method + " " + request.Target;
  });
  server.Start();
  const ustring root = u"http://127.0.0.1:" + Utf8ToWide(std::to_string(server.BoundBindings()[0].Port));

  int32_t code = -1;
  std::string header = "kept";
  EXPECT_EQ(TvxIndy::HTTPGet(root + u"/a?b=1", code, header, vxHHT_Raw), "GET /a?b=1");
  EXPECT_EQ(code, 200);
  EXPECT_EQ(header.find("HTTP/"), std::string::npos) << "the status line is no header line";
  EXPECT_NE(header.find("Content-Type: text/plain\r\nX-Custom: one\r\nCache-Control: no-store\r\n"), std::string::npos)
      << header;
  EXPECT_NE(header.find("Content-Length: 10"), std::string::npos) << header;

  EXPECT_EQ(TvxIndy::HTTPGet(root + u"/a", code, header, vxHHT_Custom), "GET /a");
  EXPECT_EQ(header, "X-Custom: one");

  header = "stays";
  TvxIndy::HTTPGet(root + u"/a", code, header, static_cast<TvxHTTPHeaderType>(7));
  EXPECT_EQ(header, "stays");

  // 204 without a body: empty text, no exception.
  EXPECT_EQ(TvxIndy::HTTPGet(root + u"/empty", code), "");
  EXPECT_EQ(code, 204);
  EXPECT_EQ(TvxIndy::HTTPGet(root + u"/x"), "GET /x");
}

// ---- Python's http.server, plain and over TLS ----

class IndyClientPeers : public IndyClient, public ::testing::WithParamInterface<bool> {};

TEST_P(IndyClientPeers, BodiesBothWaysAndErrorStatuses) {
  const vxTest::THttpTestPeer peer(GetParam());
  const auto url = [&](const std::string& path) { return Utf8ToWide(peer.Url(path)); };
  int32_t code = 0;
  std::string header;

  // String bodies of the three forms.
  for (const std::string& body : {std::string(), std::string("a=1"), std::string(1 << 20, 'x')}) {
    const std::string answer = TvxIndy::HTTPPost(url("/echo"), body, u"application/x-www-form-urlencoded", code);
    EXPECT_EQ(code, 200);
    EXPECT_NE(answer.find("\"method\": \"POST\""), std::string::npos);
    EXPECT_NE(answer.find("\"body_length\": " + std::to_string(body.size())), std::string::npos) << answer;
    EXPECT_NE(answer.find("\"body_md5\": \"" + LowerMD5(TvxMD5::GetMD5FromString(body)) + "\""), std::string::npos);
    EXPECT_NE(TvxIndy::HTTPPut(url("/echo"), body, u"", code).find("\"method\": \"PUT\""), std::string::npos);
  }

  // A stream is sent whole, wherever its position stands.
  TMemoryStream stream;
  stream.WriteBuffer(std::string("streamed"));
  const std::string echoed = TvxIndy::HTTPPut(url("/echo"), stream, u"text/plain", code, header, vxHHT_Raw);
  EXPECT_NE(echoed.find("\"body\": \"streamed\""), std::string::npos) << echoed;
  EXPECT_NE(echoed.find("[\"Content-Type\", \"text/plain\"]"), std::string::npos) << echoed;
  EXPECT_NE(TvxIndy::HTTPPost(url("/echo"), stream, u"", code).find("\"body\": \"streamed\""), std::string::npos);

  // Header kinds: every field, or the custom ones only.
  EXPECT_EQ(TvxIndy::HTTPGet(url("/fields"), code, header, vxHHT_Custom), "fields");
  EXPECT_EQ(header, "X-One: 1\r\nX-Multi: a\r\nX-Multi: b\r\nX-Empty: ");
  TvxIndy::HTTPGet(url("/fields"), code, header, vxHHT_Raw);
  EXPECT_NE(header.find("Server: "), std::string::npos);
  EXPECT_NE(header.find("X-Multi: b\r\nX-Empty: \r\nContent-Length: 6"), std::string::npos) << header;

  // A status outside 2xx raises after the code and the header are set.
  code = 0;
  header.clear();
  EXPECT_EQ(vxTest::RaisedMessage([&] { TvxIndy::HTTPGet(url("/status/404"), code, header, vxHHT_Raw); }),
            "HTTP response code 404 - Peer Reason 404");
  EXPECT_EQ(code, 404);
  EXPECT_NE(header.find("Content-Length: 10"), std::string::npos);
  EXPECT_EQ(vxTest::RaisedMessage([&] { TvxIndy::HTTPPost(url("/status/500"), "x", u"", code); }),
            "HTTP response code 500 - Peer Reason 500");
  EXPECT_EQ(code, 500);
  EXPECT_EQ(TvxIndy::HTTPGet(url("/status/299"), code), "status 299");

  // Redirects follow the factory's options.
  EXPECT_EQ(vxTest::RaisedMessage([&] { TvxIndy::HTTPGet(url("/redirect?to=/fields"), code); }),
            "HTTP response code 302 - Found");
  SetClientOptions([](TvxHttpClientOptions& o) { o.HandleRedirects = true; });
  EXPECT_EQ(TvxIndy::HTTPGet(url("/redirect?to=/fields"), code, header, vxHHT_Custom), "fields");
  EXPECT_EQ(code, 200);
  EXPECT_EQ(header, "X-One: 1\r\nX-Multi: a\r\nX-Multi: b\r\nX-Empty: ") << "the final response's fields only";
}

// 200 MiB each way through streams: the file forms stream (the benchmark
// measures that memory stays flat), and every byte arrives.
TEST_P(IndyClientPeers, LargeBodiesStreamThroughFiles) {
  const vxTest::THttpTestPeer peer(GetParam());
  constexpr uint64_t Size = 200ull << 20;
  int32_t code = 0;
  std::string header;

  const std::string downloaded = FDir.File("down.bin");
  {
    TFileStream file(Utf8ToWide(downloaded), fmCreate);
    EXPECT_TRUE(TvxIndy::HTTPGet(Utf8ToWide(peer.Url("/bytes/" + std::to_string(Size))), file, code, header,
                                 vxHHT_Raw));
  }
  EXPECT_EQ(code, 200);
  EXPECT_TRUE(HoldsPattern(downloaded, Size));

  const std::string answer = [&] {
    TFileStream file(Utf8ToWide(downloaded), fmOpenRead);
    return TvxIndy::HTTPPut(Utf8ToWide(peer.Url("/echo")), file, u"application/octet-stream", code);
  }();
  EXPECT_NE(answer.find("\"body_length\": " + std::to_string(Size)), std::string::npos) << answer;
  EXPECT_NE(answer.find(LowerMD5(TvxMD5::GetMD5FromFile(Utf8ToWide(downloaded), fmOpenRead))), std::string::npos);

  // The file form with no body and a failing status.
  TMemoryStream empty;
  EXPECT_TRUE(TvxIndy::HTTPGet(Utf8ToWide(peer.Url("/bytes/0")), empty, code, header, vxHHT_Raw));
  EXPECT_EQ(empty.Size(), 0);
  EXPECT_EQ(vxTest::RaisedMessage(
                [&] { TvxIndy::HTTPGet(Utf8ToWide(peer.Url("/status/503")), empty, code, header, vxHHT_Raw); }),
            "HTTP response code 503 - Peer Reason 503");
}

INSTANTIATE_TEST_SUITE_P(PlainAndTls, IndyClientPeers, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Tls" : "Plain"; });

// ---- the exact request ----

TEST_F(IndyClient, PostSendsExactlyTheContentWithItsType) {
  vxTest::TRawHttpPeer peer("HTTP/1.1 201 Created\r\nContent-Length: 2\r\nX-Peer: raw\r\n\r\nok");
  int32_t code = 0;
  std::string header;
  EXPECT_EQ(TvxIndy::HTTPPost(Utf8ToWide(peer.Url("/form")), "a=1", u"application/x-www-form-urlencoded", code,
                              header, vxHHT_Custom),
            "ok");
  EXPECT_EQ(code, 201);
  EXPECT_EQ(header, "X-Peer: raw");
  const std::string request = peer.Request();
  EXPECT_EQ(request.substr(0, 17), "POST /form HTTP/1");
  EXPECT_NE(request.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"), std::string::npos) << request;
  EXPECT_NE(request.find("\r\nContent-Length: 3\r\n"), std::string::npos) << request;
  EXPECT_EQ(request.find("Expect:"), std::string::npos) << request;
  EXPECT_EQ(request.substr(request.size() - 7), "\r\n\r\na=1");
}

// ---- transfers that fail ----

TEST_F(IndyClient, FailedTransfersRaiseTheClientsErrors) {
  int32_t code = -1;
  std::string header = "old";
  const auto kindOf = [&](const ustring& url) {
    try {
      TvxIndy::HTTPGet(url, code, header, vxHHT_Raw);
    } catch (const EHttpClientError& e) {
      return e.Kind;
    }
    ADD_FAILURE() << "no exception";
    return EHttpClientError::TKind::Protocol;
  };

  // Nobody listens.
  const uint16_t port = vxTest::FreeTcpPort();
  EXPECT_EQ(kindOf(u"http://127.0.0.1:" + Utf8ToWide(std::to_string(port)) + u"/"), EHttpClientError::TKind::Connect);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(header, "");
  // A name no resolver knows.
  EXPECT_EQ(kindOf(u"http://no-such-host.invalid/"), EHttpClientError::TKind::Connect);
  // A server that takes the request and never answers.
  SetClientOptions([](TvxHttpClientOptions& o) { o.ReadTimeout = 300; });
  {
    vxTest::TRawHttpPeer silent("");
    EXPECT_EQ(kindOf(Utf8ToWide(silent.Url("/"))), EHttpClientError::TKind::Timeout);
    EXPECT_EQ(code, 0);
  }
  // A TLS server whose certificate the client does not trust.
  SetClientOptions([](TvxHttpClientOptions& o) { o.SSL.RootCertFile = u"/etc/ssl/certs/ca-certificates.crt"; });
  const vxTest::THttpTestPeer tls(true);
  EXPECT_EQ(kindOf(Utf8ToWide(tls.Url("/echo"))), EHttpClientError::TKind::Tls);

  vxGlobalClassFactory::Finalize();
  EXPECT_EQ(vxTest::RaisedMessage([] { TvxIndy::HTTPGet(u"http://127.0.0.1/"); }),
            "no HTTP client can be made: the class factory is not there");
  vxGlobalClassFactory::Initialize();
}

TEST_F(IndyClient, ReInitializeSSLKeepsTlsWorking) {
  EXPECT_TRUE(TvxIndy::ReInitializeSSL());
  const vxTest::THttpTestPeer peer(true);
  EXPECT_EQ(TvxIndy::HTTPGet(Utf8ToWide(peer.Url("/status/200"))), "status 200");
  EXPECT_TRUE(TvxIndy::ReInitializeSSL());
  EXPECT_EQ(TvxIndy::HTTPGet(Utf8ToWide(peer.Url("/status/201"))), "status 201");
}

}  // namespace
