// The server side of TvxIndy on our own HTTP server: answers from a status
// and a content (reason texts, gzip at each level), from header lines, from
// a TvxHTTPResponse and from files of the public folder (with the paths
// that try to leave it), and requests read into TvxHTTPRequest objects.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>

#include "configstore/vxIndyServer.h"
#include "configstore/vxNet.h"
#include "core/vxDateTimeStamps.h"
#include "foundation/vxCipherToolsEvo3.h"
#include "foundation/vxVarlo.h"
#include "platform/base/vxCodePage.h"
#include "platform/files/vxZlib.h"
#include "platform/http/vxHttpClient.h"
#include "platform/http/vxHttpServer.h"
#include "platform/http/vxRawSocket.h"
#include "support/vxRaisedMessage.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

using namespace std::chrono_literals;

// Our server on 127.0.0.1 with the test's handler.
class IndyServer : public ::testing::Test {
 protected:
  void Serve(THttpRequestHandler Handler) {
    THttpServerOptions options;
    options.Bindings = {{"127.0.0.1", Id_IPv4, 0}};
    FServer = std::make_unique<THttpServer>(options);
    FServer->SetHandler(std::move(Handler));
    FServer->Start();
  }
  uint16_t Port() const { return FServer->BoundBindings()[0].Port; }
  THttpClientResponse Get(const std::string& Target, const std::string& Method = "GET") {
    THttpClientRequest request;
    request.Method = Method;
    request.Url = "http://127.0.0.1:" + std::to_string(Port()) + Target;
    return THttpClient().Perform(request);
  }
  // The answer's bytes as they travel.
  std::string RawAnswer(const std::string& Request) {
    vxTest::TRawSocket socket(Port());
    socket.Send(Request);
    return socket.Receive(5s);
  }

  TTestTempDir FDir;
  vxTest::TScopedEnv FRegistry{"VARLO_REGISTRY", FDir.File("registry")};
  vxTest::TScopedEnv FSys{"VARLOSYS", FDir.File("sys")};
  std::unique_ptr<THttpServer> FServer;
};

std::string Gunzip(const std::string& Body) {
  vxZlib::TInflater inflater(Body, vxZlib::kGzipWindow);
  std::string out;
  while (inflater.Read(out, 65536) == 65536) {
  }
  return out;
}

TEST(IndyStatusTexts, TableAndUnknown) {
  EXPECT_EQ(TvxIndy::GetHTTPStatusText(200), "OK");
  EXPECT_EQ(TvxIndy::GetHTTPStatusText(203), "Non-authoritative Information ");
  EXPECT_EQ(TvxIndy::GetHTTPStatusText(205), "Reset Content ");
  EXPECT_EQ(TvxIndy::GetHTTPStatusText(302), "Moved Temporarily");
  EXPECT_EQ(TvxIndy::GetHTTPStatusText(413), "Request Entity Too Long");
  EXPECT_EQ(TvxIndy::GetHTTPStatusText(504), "Gateway timeout");
  for (const int32_t code : {0, 100, 207, 300, 418, 451, 506, -1}) EXPECT_EQ(TvxIndy::GetHTTPStatusText(code), "Unknown");
}

TEST_F(IndyServer, StatusContentAndCompression) {
  const std::string content = std::string(5000, 'a') + "varlo" + std::string(5000, 'b');
  Serve([&](const THttpServerRequest& request, THttpServerResponse& response) {
    if (request.Path == "/plain") {
      TvxIndy::SetHTTPResponse(response, 414, content, u"text/html", u"utf-8", false, 0);
    } else if (request.Path == "/teapot") {
      TvxIndy::SetHTTPResponse(response, 418, "tea", u"text/plain", u"", false, 0);
    } else if (request.Path == "/blank") {
      TvxIndy::SetHTTPResponse(response, 203, "", u"", u"", false, 0);
    } else {
      const int32_t level = request.Query[0] - '0';
      TvxIndy::SetHTTPResponse(response, 200, content, u"text/plain", u"", true, level);
    }
  });
  const THttpClientResponse plain = Get("/plain");
  EXPECT_EQ(plain.StatusCode, 414);
  EXPECT_EQ(plain.ReasonPhrase, "Request-URI Too Long. 256 Chars max");
  EXPECT_EQ(plain.Body, content);
  EXPECT_EQ(plain.Header("Content-Type"), "text/html; charset=utf-8");
  EXPECT_EQ(plain.Header("Content-Length"), std::to_string(content.size()));
  EXPECT_EQ(plain.Header("Content-Encoding"), "");
  EXPECT_EQ(Get("/teapot").ReasonPhrase, "Unknown");
  EXPECT_EQ(RawAnswer("GET /blank HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n").substr(0, 45),
            "HTTP/1.1 203 Non-authoritative Information \r\n");

  // 0 none, 1 fastest, 2 zlib's default, every other level the highest.
  const std::pair<int32_t, int> levels[] = {{0, 0}, {1, 1}, {2, -1}, {3, 9}, {7, 9}, {9, 9}};
  for (const auto& [level, zlibLevel] : levels) {
    const THttpClientResponse packed = Get("/gzip?" + std::to_string(level));
    EXPECT_EQ(packed.Header("Content-Encoding"), "gzip") << level;
    EXPECT_EQ(packed.Header("Content-Length"), std::to_string(packed.Body.size())) << level;
    EXPECT_EQ(packed.Body, vxZlib::Deflate({content}, zlibLevel, vxZlib::kGzipWindow)) << level;
    EXPECT_EQ(Gunzip(packed.Body), content) << level;
  }
  EXPECT_GT(Get("/gzip?0").Body.size(), content.size());
  EXPECT_LT(Get("/gzip?7").Body.size(), 100u);
}

TEST_F(IndyServer, HeaderLinesAndResponseObjects) {
  Serve([&](const THttpServerRequest& request, THttpServerResponse& response) {
    if (request.Path == "/lines") {
      TvxIndy::SetHTTPResponse(response, 201, "made", {"X-One: 1", "X-Folded: first\r\n second", "X-Two:2 "},
                               u"text/plain", u"");
    } else if (request.Path == "/bad") {
      response.Body = vxTest::RaisedMessage(
          [&] { TvxIndy::SetHTTPResponse(response, 200, "", {"no colon here"}, u"text/plain", u""); });
    } else {
      TvxHTTPResponse answer;
      answer.SetCode(202);
      answer.SetHeader(u"Content-Disposition", "attachment; filename=\"a.txt\"");
      answer.SetContentType(u"text/csv");
      answer.SetCharSet("windows-1252");
      answer.SetContentText("a;b");
      TvxIndy::SetHTTPResponse(response, answer);
      EXPECT_EQ(answer.GetHeader(u"content-disposition"), "attachment; filename=\"a.txt\"");
    }
  });
  const THttpClientResponse lines = Get("/lines");
  EXPECT_EQ(lines.StatusCode, 201);
  EXPECT_EQ(lines.Header("X-One"), "1");
  EXPECT_EQ(lines.Header("X-Folded"), "first second");
  EXPECT_EQ(lines.Header("X-Two"), "2");
  EXPECT_EQ(Get("/bad").Body, "the header line \"no colon here\" is no \"Name: Value\" line");

  const std::string raw = RawAnswer("GET /object HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(raw.substr(0, 22), "HTTP/1.1 202 Accepted\r");
  EXPECT_NE(raw.find("\r\nCONTENT-DISPOSITION: attachment; filename=\"a.txt\"\r\n"), std::string::npos) << raw;
  EXPECT_NE(raw.find("\r\nContent-Type: text/csv; charset=windows-1252\r\n"), std::string::npos) << raw;
}

TEST_F(IndyServer, FilesOfThePublicFolder) {
  namespace fs = std::filesystem;
  const fs::path pub = WideToUtf8(TvxVarlo::GetPubRootPath());
  fs::create_directories(pub / "css");
  std::ofstream(pub / "css" / "a.css") << "body{}";
  std::ofstream(pub / "page.html") << "<p>";
  std::ofstream(fs::path(FDir.File("secret.txt"))) << "secret";
  fs::create_directories(pub / "up");
  fs::create_symlink(FDir.File("secret.txt"), pub / "up" / "link.txt");
  fs::create_directory_symlink(FDir.File(""), pub / "outside");
  const std::string own = FDir.File("own.bin");
  std::ofstream(own) << "own file";

  Serve([&](const THttpServerRequest& request, THttpServerResponse& response) {
    if (request.Path == "/own") {
      TvxIndy::SetHTTPResponse(request, response, Utf8ToWide(own), 2);
      return;
    }
    const bool served = TvxIndy::SetHTTPResponse(request, response, u"", 3);
    response.AddHeader("X-Served", served ? "yes" : "no");
  });

  const THttpClientResponse css = Get("/pub/css/a.css");
  EXPECT_EQ(css.StatusCode, 200);
  EXPECT_EQ(css.Body, "body{}");
  EXPECT_EQ(css.Header("Content-Type"), "text/css");
  EXPECT_EQ(css.Header("X-Served"), "yes");
  const std::string expires = css.Header("Expires");
  EXPECT_EQ(expires.size(), 29u) << expires;
  EXPECT_EQ(expires, HttpDateText(TvxDateTime::GMTNow() + 3).substr(0, 20) + expires.substr(20)) << "3 days ahead";
  EXPECT_EQ(Get("/pub/page.html?x=1").Body, "<p>") << "the query is no part of the file";
  EXPECT_EQ(Get("/pub/css/%61.css").Body, "body{}") << "escapes are decoded";
  EXPECT_EQ(Get("/own").Body, "own file");
  EXPECT_EQ(Get("/own").Header("Content-Type"), "application/octet-stream");

  // Every way out of the folder is refused with 403, sent as they stand (a
  // client would squash the dot segments), and the file outside is never
  // read; a doubly escaped dot is a name of its own, which is missing.
  const std::pair<const char*, const char*> outside[] = {
      {"/pub/../secret.txt", "403"},
      {"/pub/css/../../secret.txt", "403"},
      {"/pub/%2e%2e/secret.txt", "403"},
      {"/pub/%2E%2E%2Fsecret.txt", "403"},
      {"/pub/..%2fsecret.txt", "403"},
      {"/pub/css/..%2f..%2fsecret.txt", "403"},
      {"/pub/%u002e%u002e/secret.txt", "403"},
      {"/pub/up/link.txt", "403"},
      {"/pub/outside/secret.txt", "403"},
      {"/pub/%00/../secret.txt", "403"},
      {"/pub//etc/passwd", "500"},
      {"/pub/%252e%252e/secret.txt", "500"},
  };
  for (const auto& [path, status] : outside) {
    const std::string answer = RawAnswer(std::string("GET ") + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(answer.substr(0, 13), std::string("HTTP/1.1 ") + status + " ") << path << "\n" << answer;
    EXPECT_EQ(answer.find("secret"), std::string::npos) << path;
  }
  // The folder itself and a missing file raise: the server answers 500.
  EXPECT_EQ(Get("/pub/").StatusCode, 500);
  EXPECT_EQ(Get("/pub/missing.css").StatusCode, 500);
}

TEST_F(IndyServer, RequestsAsObjects) {
  std::mutex lock;
  std::unique_ptr<TvxHTTPRequest> made;
  std::string posted;
  ustring uri;
  Serve([&](const THttpServerRequest& request, THttpServerResponse& response) {
    const std::lock_guard guard(lock);
    posted = TvxIndy::GetPostStreamString(request);
    uri = TvxIndy::GetRequestURI(request);
    try {
      made = TvxIndy::GetHTTPRequestObject(request);
    } catch (const std::exception& e) {
      made.reset();
      response.Body = e.what();
    }
  });
  const auto send = [&](const std::string& bytes) {
    vxTest::TRawSocket socket(Port());
    socket.Send(bytes);
    return socket.Receive(5s, "\r\n\r\n");
  };

  send("post /a/b%20c/?x=1&y=2 HTTP/1.1\r\nHost: example.test:81\r\nContent-Type: text/plain\r\n"
       "Content-Encoding: identity\r\nX-Blank:   padded  \r\nContent-Length: 4\r\n\r\nbody");
  {
    const std::lock_guard guard(lock);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->CommandStr(), "POST");
    EXPECT_EQ(made->Command(), vxHC_Post);
    EXPECT_EQ(made->URI(), "/a/b%20c/?x=1&y=2");
    EXPECT_EQ(made->URIPath(), "/a/b%20c/");
    EXPECT_EQ(made->URIQueryUnparsed(), "x=1&y=2");
    EXPECT_EQ(made->URIQueryEncoding(), vxENC_None);
    ASSERT_EQ(made->URIPathSegments().Count(), 2);
    EXPECT_EQ(made->URIPathSegments()[0], u"a");
    EXPECT_EQ(made->URIPathSegments()[1], u"b c");
    EXPECT_EQ(made->GetURIQueryItem(u"x"), u"1");
    EXPECT_EQ(made->GetURIQueryItem(u"Y"), u"2");
    EXPECT_EQ(made->ContentText(), "body");
    EXPECT_EQ(made->ContentType(), u"text/plain");
    EXPECT_EQ(made->ContentEncoding(), u"identity");
    EXPECT_EQ(made->Host(), u"example.test:81");
    EXPECT_EQ(made->IP(), u"127.0.0.1");
    EXPECT_EQ(made->GetHeader(u"x-blank"), "padded");
    EXPECT_EQ(made->GetHeader(u"HOST"), "example.test:81");
    EXPECT_EQ(posted, "body");
    EXPECT_EQ(uri, u"/a/b%20c/?x=1&y=2");
  }

  const std::pair<const char*, std::vector<ustring>> paths[] = {
      {"/", {}}, {"//", {}}, {"/a//b", {u"a", u"", u"b"}}, {"/a/", {u"a"}}, {"/%C3%A4", {u"\u00e4"}}};
  for (const auto& [path, segments] : paths) {
    send(std::string("GET ") + path + " HTTP/1.1\r\nHost: x\r\n\r\n");
    const std::lock_guard guard(lock);
    ASSERT_TRUE(made) << path;
    std::vector<ustring> got;
    for (int32_t i = 0; i < made->URIPathSegments().Count(); ++i) got.push_back(made->URIPathSegments()[i]);
    EXPECT_EQ(got, segments) << path;
    EXPECT_EQ(posted, "");
    EXPECT_EQ(uri, Utf8ToWide(path));
    EXPECT_EQ(made->ContentText(), "");
  }

  // An encoded parameter string gives its encoding; an expired one passes
  // its error on, and no object is made.
  const std::string url = TvxNet::BuildUrl(u"http://h/", u"x", {u"user=J\u00fcrgen"}, vxENC_Base64);
  send("GET /x?" + url.substr(url.find('?') + 1) + " HTTP/1.1\r\nHost: x\r\n\r\n");
  {
    const std::lock_guard guard(lock);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->URIQueryEncoding(), vxENC_Base64);
    EXPECT_EQ(made->GetURIQueryItem(u"user"), u"J\u00fcrgen");
  }
  const std::string expired = TvxCipher::EncodeUrlParams({u"a=b"}, vxCIPHENC_Internal, [] { return 45000.0; });
  const std::string answer = send("GET /x?" + expired + " HTTP/1.1\r\nHost: x\r\n\r\n");
  const std::lock_guard guard(lock);
  EXPECT_FALSE(made);
  EXPECT_NE(answer.find("url expired"), std::string::npos) << answer;
}

}  // namespace
