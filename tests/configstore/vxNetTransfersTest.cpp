// The plain HTTP transfers of TvxNet against Python's http.server (plain and
// over TLS), our own server and a raw socket that keeps the exact request:
// header texts both ways, file uploads chunk by chunk with their progress
// and abort, the file deleted after success, large bodies, redirects, the
// environment's proxy, and failures told in WinInet's numbers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "configstore/vxClassFactory.h"
#include "configstore/vxNetTransfers.h"
#include "core/vxMD5.h"
#include "platform/base/vxCodePage.h"
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

class NetTransfers : public ::testing::Test {
 protected:
  void SetUp() override { vxGlobalClassFactory::Initialize(); }
  void TearDown() override { vxGlobalClassFactory::Finalize(); }

  std::string MakeFile(const std::string& Name, size_t Size) {
    const std::string path = FDir.File(Name);
    std::ofstream out(path, std::ios::binary);
    for (size_t i = 0; i < Size; ++i) out.put(static_cast<char>(i % 251));
    return path;
  }

  TTestTempDir FDir;
  vxTest::TScopedEnv FRegistry{"VARLO_REGISTRY", FDir.File("registry")};
  // The test authority stands for the system's trusted certificates; no
  // proxy of the machine's environment gets between.
  vxTest::TScopedEnv FTrust{"SSL_CERT_FILE", TTestCertificates::Get().File("ca.pem")};
  vxTest::TScopedEnv FHttpProxy{"http_proxy", std::nullopt};
  vxTest::TScopedEnv FHttpsProxy{"https_proxy", std::nullopt};
  vxTest::TScopedEnv FAllProxy{"all_proxy", std::nullopt};
  vxTest::TScopedEnv FHttpsProxyUpper{"HTTPS_PROXY", std::nullopt};
  vxTest::TScopedEnv FAllProxyUpper{"ALL_PROXY", std::nullopt};
};

// What the progress procedure saw: (sent, total) per call; Abort set after
// the call numbered AbortAfter.
std::vector<std::pair<uint32_t, uint32_t>> ProgressCalls;
size_t AbortAfter = 0;
void RecordProgress(const ustring&, uint32_t AmtSent, uint32_t TotalAmt, bool& Abort) {
  EXPECT_FALSE(Abort);
  ProgressCalls.emplace_back(AmtSent, TotalAmt);
  if (ProgressCalls.size() == AbortAfter) Abort = true;
}

// Our server: PUT bodies are kept, "/status/N" answers N.
class TUploadServer {
 public:
  TUploadServer() {
    THttpServerOptions options;
    options.Bindings = {{"127.0.0.1", Id_IPv4, 0}};
    FServer = std::make_unique<THttpServer>(options);
    FServer->SetHandler([this](const THttpServerRequest& request, THttpServerResponse& response) {
      const std::lock_guard guard(FLock);
      Bodies.push_back(request.Body);
      response.StatusCode = std::stoi(request.Path.substr(request.Path.rfind('/') + 1));
      response.Body = "got " + std::to_string(request.Body.size());
    });
    FServer->Start();
  }
  ustring Url(const std::string& Path) const {
    return u"http://127.0.0.1:" + Utf8ToWide(std::to_string(FServer->BoundBindings()[0].Port)) + Utf8ToWide(Path);
  }
  std::vector<std::string> Bodies;

 private:
  std::mutex FLock;
  std::unique_ptr<THttpServer> FServer;
};

TEST(NetTransferCodes, CheckHTTPResponseCode) {
  for (const int32_t code : {200, 201, 204, 299}) EXPECT_TRUE(TvxNet::CheckHTTPResponseCode(code)) << code;
  for (const int32_t code : {0, 199, 300, 404, 500, 2000, -200}) EXPECT_FALSE(TvxNet::CheckHTTPResponseCode(code)) << code;
}

class NetTransfersPeers : public NetTransfers, public ::testing::WithParamInterface<bool> {};

TEST_P(NetTransfersPeers, GetAndRequestsWithHeaderTexts) {
  const vxTest::THttpTestPeer peer(GetParam());
  const auto url = [&](const std::string& path) { return Utf8ToWide(peer.Url(path)); };
  int32_t code = -1;
  std::string header = "old";

  // An error status is a result like any other.
  EXPECT_EQ(TvxNet::HTTPGet(url("/status/404"), code, "", header), "status 404");
  EXPECT_EQ(code, 404);
  EXPECT_EQ(header.substr(0, 35), "HTTP/1.1 404 Peer Reason 404\r\nServe") << header;
  EXPECT_EQ(header.substr(header.size() - 20), "Content-Length: 10\r\n");

  // The request header lines travel; the body comes back whole.
  const std::string echoed = TvxNet::HTTPGet(url("/echo"), code, "X-One: 1\r\nX-Two: two words\r\n", header);
  EXPECT_NE(echoed.find("[\"X-One\", \"1\"], [\"X-Two\", \"two words\"]"), std::string::npos) << echoed;
  EXPECT_NE(echoed.find("[\"User-Agent\", \"VARLO 5.2\"]"), std::string::npos) << echoed;
  EXPECT_EQ(TvxNet::HTTPGet(url("/bytes/1048576"), code).size(), 1048576u);

  // Redirects are followed; the header text is the final response's.
  EXPECT_EQ(TvxNet::HTTPGet(url("/redirect?to=/fields"), code, "", header), "fields");
  EXPECT_EQ(code, 200);
  EXPECT_EQ(header.substr(0, 16), "HTTP/1.1 200 OK\r");
  EXPECT_EQ(header.find("302"), std::string::npos) << header;

  // Any method with a body, 0 bytes to 1 MiB.
  for (const std::string& body : {std::string(), std::string("a=1"), std::string(1 << 20, 'z')}) {
    const std::string answer = TvxNet::HTTPPutBuffer(url("/echo?q=1"), body, code,
                                                     "Content-Type: application/x-www-form-urlencoded\r\n", header,
                                                     "POST");
    EXPECT_EQ(code, 200);
    EXPECT_NE(answer.find("\"method\": \"POST\", \"target\": \"/echo?q=1\""), std::string::npos) << answer;
    EXPECT_NE(answer.find("\"body_length\": " + std::to_string(body.size())), std::string::npos) << answer;
    EXPECT_NE(answer.find("[\"Content-Type\", \"application/x-www-form-urlencoded\"]"), std::string::npos);
  }
  EXPECT_NE(TvxNet::HTTPPutBuffer(url("/echo"), "put", code).find("\"method\": \"PUT\""), std::string::npos);
}

// 200 MiB from a file: streamed in chunks, every byte arrives.
TEST_P(NetTransfersPeers, LargeFileUpload) {
  const vxTest::THttpTestPeer peer(GetParam());
  const std::string path = FDir.File("large.bin");
  {
    std::ofstream out(path, std::ios::binary);
    const std::string block(1 << 20, 'L');
    for (int i = 0; i < 200; ++i) out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  int32_t code = 0;
  std::string header;
  ProgressCalls.clear();
  AbortAfter = 0;
  EXPECT_TRUE(TvxNet::HTTPPutFile(Utf8ToWide(peer.Url("/echo")), Utf8ToWide(path), code, header, &RecordProgress, false));
  EXPECT_EQ(code, 200);
  EXPECT_EQ(ProgressCalls.size(), (200u << 20) / 4096);
  EXPECT_EQ(ProgressCalls.back(), std::make_pair(200u << 20, 200u << 20));
  EXPECT_TRUE(std::filesystem::exists(path));
}

INSTANTIATE_TEST_SUITE_P(PlainAndTls, NetTransfersPeers, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Tls" : "Plain"; });

TEST_F(NetTransfers, ExactRequestBytes) {
  {
    vxTest::TRawHttpPeer peer("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    int32_t code = 0;
    std::string header;
    EXPECT_EQ(TvxNet::HTTPGet(Utf8ToWide(peer.Url("/get?a=b")), code, "X-Mine: yes\r\n", header), "ok");
    EXPECT_EQ(header, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n");
    EXPECT_EQ(peer.Request(), "GET /get?a=b HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(peer.Port()) +
                                  "\r\nUser-Agent: VARLO 5.2\r\nAccept: */*\r\nX-Mine: yes\r\nPragma: no-cache\r\n\r\n");
  }
  {
    vxTest::TRawHttpPeer peer("HTTP/1.1 201 Created\r\nContent-Length: 0\r\n\r\n");
    int32_t code = 0;
    std::string header;
    EXPECT_EQ(TvxNet::HTTPPutBuffer(Utf8ToWide(peer.Url("/form")), "a=1", code, "Content-Type: text/plain\r\n", header,
                                    "POST"),
              "");
    EXPECT_EQ(code, 201);
    EXPECT_EQ(peer.Request(), "POST /form HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(peer.Port()) +
                                  "\r\nUser-Agent: VARLO 5.2\r\nAccept: */*\r\nContent-Type: text/plain\r\n"
                                  "Pragma: no-cache\r\nContent-Length: 3\r\n\r\na=1");
  }
  {
    // A file upload of more than one chunk sends no "Expect".
    vxTest::TRawHttpPeer peer("HTTP/1.1 204 No Content\r\n\r\n");
    int32_t code = 0;
    const std::string path = MakeFile("two.bin", 5000);
    EXPECT_TRUE(TvxNet::HTTPPutFile(Utf8ToWide(peer.Url("/up")), Utf8ToWide(path), code, nullptr, false));
    EXPECT_EQ(code, 204);
    std::ifstream in(path, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(peer.Request(), "PUT /up HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(peer.Port()) +
                                  "\r\nUser-Agent: VARLO 5.2\r\nAccept: */*\r\nPragma: no-cache\r\n"
                                  "Content-Length: 5000\r\n\r\n" + content);
  }
}

TEST_F(NetTransfers, FileUploadChunksProgressAbortAndDeletion) {
  TUploadServer server;
  int32_t code = 0;
  std::string header;

  // Empty: nothing written, no progress, True.
  ProgressCalls.clear();
  AbortAfter = 0;
  EXPECT_TRUE(TvxNet::HTTPPutFile(server.Url("/201"), Utf8ToWide(MakeFile("empty", 0)), code, header,
                                  &RecordProgress, false));
  EXPECT_EQ(code, 201);
  EXPECT_TRUE(ProgressCalls.empty());
  EXPECT_EQ(header.substr(0, 22), "HTTP/1.1 201 Created\r\n");

  // One chunk exactly.
  EXPECT_TRUE(TvxNet::HTTPPutFile(server.Url("/200"), Utf8ToWide(MakeFile("4096", 4096)), code, &RecordProgress, false));
  EXPECT_EQ(ProgressCalls, (std::vector<std::pair<uint32_t, uint32_t>>{{4096, 4096}}));

  // Several chunks, the last one short.
  ProgressCalls.clear();
  EXPECT_TRUE(TvxNet::HTTPPutFile(server.Url("/200"), Utf8ToWide(MakeFile("10000", 10000)), code, &RecordProgress,
                                  false));
  EXPECT_EQ(ProgressCalls, (std::vector<std::pair<uint32_t, uint32_t>>{{4096, 10000}, {8192, 10000}, {10000, 10000}}));
  EXPECT_EQ(server.Bodies.back().size(), 10000u);

  // Aborted after the first chunk: False, no status, nothing raised, the
  // server never took a whole body.
  ProgressCalls.clear();
  AbortAfter = 1;
  const size_t before = server.Bodies.size();
  code = -1;
  EXPECT_FALSE(TvxNet::HTTPPutFile(server.Url("/201"), Utf8ToWide(MakeFile("big", 1 << 20)), code, header,
                                   &RecordProgress, true));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ProgressCalls.size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(FDir.File("big"))) << "an aborted upload deletes nothing";
  EXPECT_EQ(server.Bodies.size(), before);
  AbortAfter = 0;

  // DelFile: deleted after 2xx only.
  const std::string done = MakeFile("done", 100);
  EXPECT_TRUE(TvxNet::HTTPPutFile(server.Url("/201"), Utf8ToWide(done), code, nullptr, true));
  EXPECT_FALSE(std::filesystem::exists(done));
  const std::string failed = MakeFile("failed", 100);
  EXPECT_TRUE(TvxNet::HTTPPutFile(server.Url("/500"), Utf8ToWide(failed), code, nullptr, true));
  EXPECT_EQ(code, 500);
  EXPECT_TRUE(std::filesystem::exists(failed));
  EXPECT_TRUE(TvxNet::HTTPPutFile(server.Url("/201"), Utf8ToWide(failed), code, nullptr, false));
  EXPECT_TRUE(std::filesystem::exists(failed));
}

TEST_F(NetTransfers, FailuresInWinInetNumbers) {
  int32_t code = -1;
  std::string header;
  const ustring refused = u"http://127.0.0.1:" + Utf8ToWide(std::to_string(vxTest::FreeTcpPort())) + u"/x";
  const ustring file = Utf8ToWide(MakeFile("small", 10));

  EXPECT_EQ(vxTest::RaisedMessage([&] { TvxNet::HTTPGet(refused, code); }), "internet open url exception code 12029");
  EXPECT_EQ(code, 0);
  EXPECT_EQ(vxTest::RaisedMessage([&] { TvxNet::HTTPPutBuffer(refused, "x", code); }),
            "http send request exception code 12029");
  EXPECT_EQ(vxTest::RaisedMessage([&] { TvxNet::HTTPPutFile(refused, file, code, nullptr, true); }),
            "http response code 12029 (the server refused the connection)");
  EXPECT_TRUE(std::filesystem::exists(WideToUtf8(file)));

  EXPECT_EQ(vxTest::RaisedMessage([&] { TvxNet::HTTPGet(u"http://no-such-host.invalid/", code); }),
            "internet open url exception code 12007");
  EXPECT_EQ(vxTest::RaisedMessage([&] { TvxNet::HTTPGet(u"gopher://127.0.0.1/", code); }),
            "internet open url exception code 12006");

  // A server that never answers: the factory's read time-out.
  GlobalClassFactory->HttpClientOptions.Update([](TvxHttpClientOptions& o) { o.ReadTimeout = 300; });
  {
    vxTest::TRawHttpPeer silent("");
    EXPECT_EQ(vxTest::RaisedMessage([&] { TvxNet::HTTPPutBuffer(Utf8ToWide(silent.Url("/")), "x", code); }),
              "http send request exception code 12002");
  }

  // Files that cannot be sent.
  EXPECT_EQ(vxTest::RaisedMessage(
                [&] { TvxNet::HTTPPutFile(refused, Utf8ToWide(FDir.File("missing")), code, nullptr, false); }),
            "file handle exception code 2");
  const std::string huge = FDir.File("huge");
  std::filesystem::resize_file(MakeFile("huge", 0), 4ull << 30);
  EXPECT_EQ(vxTest::RaisedMessage([&] { TvxNet::HTTPPutFile(refused, Utf8ToWide(huge), code, nullptr, false); }),
            "the file \"" + huge + "\" is 4 GiB or larger; uploads take files below 4 GiB");

  // Bad request lines and methods are refused before anything is sent.
  EXPECT_EQ(vxTest::RaisedMessage([&] { TvxNet::HTTPGet(refused, code, "no colon\r\n", header); }),
            "internet open url exception code 87");
  EXPECT_EQ(vxTest::RaisedMessage([&] { TvxNet::HTTPPutBuffer(refused, "", code, "", header, "GET /x HTTP/1.1\r\n"); }),
            "internet open request exception code 87");

  // A certificate the trusted ones do not vouch for.
  const vxTest::TScopedEnv systemTrust("SSL_CERT_FILE", "/etc/ssl/certs/ca-certificates.crt");
  const vxTest::THttpTestPeer tls(true);
  EXPECT_EQ(vxTest::RaisedMessage([&] { TvxNet::HTTPGet(Utf8ToWide(tls.Url("/echo")), code); }),
            "internet open url exception code 12045");
}

TEST_F(NetTransfers, ProxyFromTheEnvironment) {
  vxTest::TRawHttpPeer proxy("HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\nproxied");
  const vxTest::TScopedEnv viaProxy("http_proxy", proxy.Url(""));
  const vxTest::TScopedEnv noBypass("no_proxy", std::nullopt);
  int32_t code = 0;
  EXPECT_EQ(TvxNet::HTTPGet(u"http://far.example.test/page", code), "proxied");
  EXPECT_EQ(proxy.Request().substr(0, 44), "GET http://far.example.test/page HTTP/1.1\r\nH");
}

}  // namespace
