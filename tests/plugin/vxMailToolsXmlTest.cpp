// The XML mail: the document as Python's XML reader sees it, and the PUT to
// the enterprise service at our own HTTP server, answering 201, other
// statuses, redirect chains up to and beyond the limit, and not at all.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "configstore/vxClassFactory.h"
#include "platform/base/vxCodePage.h"
#include "platform/http/vxHttpServer.h"
#include "plugin/vxMailTools.h"
#include "support/vxRunProgram.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

// The entries of an XML mail document as Python's ElementTree reads them:
// the root's name, then one "name=text" line per element below it.
std::vector<std::string> ReadDocument(const std::string& Document) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("mail.xml"), Document);
  const vxTest::TProgramResult run = vxTest::RunProgram(
      {"/usr/bin/python3", "-c",
       "import sys, json, xml.etree.ElementTree as E\n"
       "r = E.parse(sys.argv[1]).getroot()\n"
       "print(r.tag)\n"
       "for e in r: print(e.tag + '=' + json.dumps(e.text or ''))\n",
       dir.File("mail.xml")});
  EXPECT_EQ(run.ExitStatus, 0) << run.Output;
  std::vector<std::string> lines;
  std::string line;
  for (const char c : run.Output) {
    if (c != '\n') {
      line += c;
      continue;
    }
    lines.push_back(line);
    line.clear();
  }
  return lines;
}

// What the enterprise service saw of one request.
struct TSeenRequest {
  std::string Method, Path, ContentType, Body;
};

// Our HTTP server as the enterprise service: "/mail/CODE" answers CODE,
// "/hop/N" redirects (307) to "/hop/N-1" and "/hop/0" to "/mail/201",
// "/silent" answers only when the test lets it.
class EnterpriseService {
 public:
  EnterpriseService() {
    THttpServerOptions options;
    options.Bindings = {{"127.0.0.1", Id_IPv4, 0}};
    FServer = std::make_unique<THttpServer>(options);
    FServer->SetHandler([this](const THttpServerRequest& Request, THttpServerResponse& Response) {
      {
        std::lock_guard lock(FLock);
        FSeen.push_back({Request.Method, Request.Path, Request.Header("Content-Type"), Request.Body});
      }
      const std::string& path = Request.Path;
      if (path.rfind("/mail/", 0) == 0) {
        Response.StatusCode = std::stoi(path.substr(6));
        Response.Body = "answer";
      } else if (path.rfind("/hop/", 0) == 0) {
        const int n = std::stoi(path.substr(5));
        Response.StatusCode = 307;
        Response.SetHeader("Location", n == 0 ? "/mail/201" : "/hop/" + std::to_string(n - 1));
      } else if (path == "/silent") {
        std::unique_lock lock(FLock);
        FWake.wait_for(lock, std::chrono::seconds(60), [this] { return FReleased; });
      } else {
        Response.StatusCode = 404;
      }
    });
    FServer->Start();
  }
  ~EnterpriseService() { Release(); }

  ustring Url(const std::string& Path) const {
    return Utf8ToWide("http://127.0.0.1:" + std::to_string(FServer->BoundBindings().at(0).Port) + Path);
  }
  std::vector<TSeenRequest> Seen() {
    std::lock_guard lock(FLock);
    return FSeen;
  }
  void Release() {
    {
      std::lock_guard lock(FLock);
      FReleased = true;
    }
    FWake.notify_all();
  }

 private:
  std::mutex FLock;
  std::condition_variable FWake;
  bool FReleased = false;
  std::vector<TSeenRequest> FSeen;
  std::unique_ptr<THttpServer> FServer;
};

// The process's class factory, as the library's start-up makes it, on a
// registry of the test's own; the transfers take their clients from it.
class MailToolsXmlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GlobalClassFactory, nullptr);
    vxGlobalClassFactory::Initialize();
  }
  void TearDown() override { vxGlobalClassFactory::Finalize(); }

  TTestTempDir FRegistryFolder{"vxxmlreg"};
  vxTest::TScopedEnv FRegistry{"VARLO_REGISTRY", FRegistryFolder.File("registry")};
};

TvxMailTools& Filled(TvxMailTools& Mail) {
  Mail.Sender = u"clerk@example.com";
  Mail.SenderName = u"Accounts \u00C4";
  Mail.Priority = vxMP_High;
  return Mail;
}

TEST(MailToolsXmlDocumentTest, TheDocumentHoldsTheEntriesInOrder) {
  TvxMailTools mail;
  const std::string document =
      Filled(mail).CreateXMLMail(u"a@example.com,b@example.com", u"c@example.com", u"", u"Subject <&>",
                                 u"Line 1\r\nLine 2 \u20AC");
  EXPECT_EQ(ReadDocument(document),
            (std::vector<std::string>{"vxMail", "Sender=\"clerk@example.com\"", "SenderName=\"Accounts \\u00c4\"",
                                      "Recipients=\"a@example.com,b@example.com\"", "CC=\"c@example.com\"",
                                      "BCC=\"\"", "Subject=\"Subject <&>\"",
                                      "Body=\"Line 1\\r\\nLine 2 \\u20ac\"", "Priority=\"High\""}));
  const struct {
    TvxMsgPriority Priority;
    const char* Text;
  } priorities[] = {{vxMP_Highest, "Highest"}, {vxMP_High, "High"}, {vxMP_Normal, "Normal"},
                    {vxMP_Low, "Low"},         {vxMP_Lowest, "Lowest"}};
  for (const auto& p : priorities) {
    mail.Priority = p.Priority;
    EXPECT_EQ(ReadDocument(mail.CreateXMLMail(u"", u"", u"", u"", u"")).back(),
              std::string("Priority=\"") + p.Text + "\"");
  }
}

TEST_F(MailToolsXmlTest, OnlyCreatedCountsAsSuccess) {
  EnterpriseService service;
  TvxMailTools mail;
  Filled(mail).vxEnterpriseUrl = service.Url("/mail/201");
  mail.Message = u"old";
  ASSERT_TRUE(mail.SendMail(u"a@example.com", u"", u"", u"Subject", u"Body", vxMT_VXENTERPRISE))
      << WideToUtf8(mail.Message);
  EXPECT_EQ(mail.Message, u"");
  const auto seen = service.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Method, "PUT");
  EXPECT_EQ(seen[0].ContentType, "text/xml; charset=utf-8");
  EXPECT_EQ(seen[0].Body, mail.CreateXMLMail(u"a@example.com", u"", u"", u"Subject", u"Body"));

  const struct {
    int Status;
    const char16_t* Message;
  } failures[] = {
      {200, u"send xml mail exception (http put exception (HTTP/1.1 200 OK))"},
      {204, u"send xml mail exception (http put exception (HTTP/1.1 204 No Content))"},
      {307, u"send xml mail exception (http put exception (HTTP/1.1 307 Temporary Redirect))"},
      {404, u"send xml mail exception (http put exception (HTTP/1.1 404 Not Found))"},
      {500, u"send xml mail exception (http put exception (HTTP/1.1 500 Internal Server Error))"},
  };
  for (const auto& f : failures) {
    mail.vxEnterpriseUrl = service.Url("/mail/" + std::to_string(f.Status));
    EXPECT_FALSE(mail.SendMail(u"a@example.com", u"", u"", u"Subject", u"Body", vxMT_VXENTERPRISE));
    EXPECT_EQ(mail.Message, f.Message);
  }
}

TEST_F(MailToolsXmlTest, FiveRedirectsAreFollowedAndASixthIsNot) {
  EnterpriseService service;
  TvxMailTools mail;
  // "/hop/4" and its four followers redirect: five redirects in all.
  Filled(mail).vxEnterpriseUrl = service.Url("/hop/4");
  ASSERT_TRUE(mail.SendMail(u"a@example.com", u"", u"", u"S", u"B", vxMT_VXENTERPRISE)) << WideToUtf8(mail.Message);
  auto seen = service.Seen();
  ASSERT_EQ(seen.size(), 6u);
  EXPECT_EQ(seen.back().Path, "/mail/201");
  for (const TSeenRequest& s : seen) {
    EXPECT_EQ(s.Method, "PUT");
    EXPECT_EQ(s.Body, seen.front().Body);
  }

  mail.vxEnterpriseUrl = service.Url("/hop/5");
  EXPECT_FALSE(mail.SendMail(u"a@example.com", u"", u"", u"S", u"B", vxMT_VXENTERPRISE));
  EXPECT_EQ(mail.Message.rfind(u"send xml mail exception (", 0), 0u);
  EXPECT_NE(mail.Message.find(u"redirect"), ustring::npos) << WideToUtf8(mail.Message);
  seen = service.Seen();
  EXPECT_EQ(seen.size(), 6u + 6u);  // the chain's six requests, never its end
  EXPECT_EQ(seen.back().Path, "/hop/0");
}

TEST_F(MailToolsXmlTest, NoServiceAndASilentServiceFail) {
  TvxMailTools mail;
  const struct {
    const char* Name;
    ustring Url;
  } cases[] = {{"no URL", u""}, {"not HTTP", u"ftp://127.0.0.1/"}, {"nobody listening", u"http://127.0.0.1:1/"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    mail.vxEnterpriseUrl = c.Url;
    EXPECT_FALSE(mail.SendMail(u"a@example.com", u"", u"", u"S", u"B", vxMT_VXENTERPRISE));
    EXPECT_EQ(mail.Message.rfind(u"send xml mail exception (", 0), 0u) << WideToUtf8(mail.Message);
  }

  // Without the process's class factory no client can be made.
  vxGlobalClassFactory::Finalize();
  mail.vxEnterpriseUrl = u"http://127.0.0.1:1/";
  EXPECT_FALSE(mail.SendMail(u"a@example.com", u"", u"", u"S", u"B", vxMT_VXENTERPRISE));
  EXPECT_EQ(mail.Message,
            u"send xml mail exception (no HTTP client can be made: the class factory is not there)");
  vxGlobalClassFactory::Initialize();

  // The read time-out ends the wait for an answer that never comes.
  EnterpriseService service;
  mail.vxEnterpriseUrl = service.Url("/silent");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(mail.SendMail(u"a@example.com", u"", u"", u"S", u"B", vxMT_VXENTERPRISE));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  EXPECT_EQ(mail.Message.rfind(u"send xml mail exception (", 0), 0u) << WideToUtf8(mail.Message);
  service.Release();
}

}  // namespace
