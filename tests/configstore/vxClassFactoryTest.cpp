// The class factory: the readers of TLS option texts, the HTTP client
// options from the registry (defaults, every value, values of the wrong
// form), the components it makes and what they do against real peers, its
// options rewritten while other threads make clients, and the process's
// factory made and freed by the start-up step.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "configstore/vxClassFactory.h"
#include "configstore/vxIndy.h"
#include "core/vxRegistry.h"
#include "foundation/vxCipherToolsEvo3.h"
#include "support/vxRaisedMessage.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestCertificates.h"
#include "support/vxTestTempDir.h"

namespace {

using vxTest::TTestCertificates;

constexpr char16_t HttpKey[] = u"SOFTWARE\\varlo\\System\\HTTP\\";

// A fresh, empty registry for one test.
class ClassFactory : public ::testing::Test {
 protected:
  void SetValue(const ustring& name, const Variant& value) {
    ASSERT_TRUE(TvxRegistry::SetValue(HKEY_LOCAL_MACHINE, HttpKey, name, value, false));
  }

  TTestTempDir FDir;
  vxTest::TScopedEnv FRegistry{"VARLO_REGISTRY", FDir.File("registry")};
};

// ---- the readers of option texts ----

TEST(Indy, SSLMethodAndMode) {
  const std::pair<const char16_t*, TIdSSLVersion> methods[] = {
      {u"SSLv2", sslvSSLv2},     {u"sslv23", sslvSSLv23},  {u"SSLV3", sslvSSLv3},  {u"TLSv1", sslvTLSv1},
      {u"tlsv1_1", sslvTLSv1_1}, {u"TLSv1_2", sslvTLSv1_2}, {u"TLS1.2", sslvTLSv1_1}, {u"", sslvTLSv1_1},
      {u" TLSv1_2", sslvTLSv1_1}, {u"sslvTLSv1_2", sslvTLSv1_1}};
  for (const auto& [text, method] : methods) EXPECT_EQ(TvxIndy::GetSSLMethod(text), method) << WideToUtf8(text);
  const std::pair<const char16_t*, TIdSSLMode> modes[] = {{u"Unassigned", sslmUnassigned}, {u"server", sslmServer},
                                                          {u"CLIENT", sslmClient},        {u"Both", sslmBoth},
                                                          {u"", sslmServer},              {u"sslmBoth", sslmServer}};
  for (const auto& [text, mode] : modes) EXPECT_EQ(TvxIndy::GetSSLMode(text), mode) << WideToUtf8(text);
}

TEST(Indy, SSLVersions) {
  const std::pair<const char16_t*, TIdSSLVersions> cases[] = {
      {u"", {sslvTLSv1_1}},
      {u"[]", {}},
      {u"[TLSv1_1,TLSv1_2]", {sslvTLSv1_1, sslvTLSv1_2}},
      {u"tlsv1_2,TLSv1", {sslvTLSv1, sslvTLSv1_2}},
      {u"TLSv1_2, TLSv1", {sslvTLSv1_1, sslvTLSv1_2}},  // the blank spoils the second piece
      {u"TLSv1_2,", {sslvTLSv1_1, sslvTLSv1_2}},        // the empty last piece
      {u"[TLSv1_2]", {sslvTLSv1_2}},
      {u"[SSLv23]", {sslvSSLv23}},
      {u"[[SSLv3]]", {sslvSSLv3}},
  };
  for (const auto& [text, versions] : cases)
    EXPECT_EQ(TvxIndy::GetSSLVersions(text), versions) << WideToUtf8(text);
}

TEST(Indy, SSLVerifyModeAndIPVersion) {
  const std::pair<const char16_t*, TIdSSLVerifyModeSet> cases[] = {
      {u"[sslvrfPeer,sslvrfFailIfNoPeerCert]", {sslvrfPeer, sslvrfFailIfNoPeerCert}},
      {u"peer", {}},
      {u"", {}},
      {u"VRFCLIENTONCE", {sslvrfClientOnce}},
      {u"x vrfpeer y vrfclientonce", {sslvrfPeer, sslvrfClientOnce}},
      {u"sslvrfFailIfNoPeerCert", {sslvrfFailIfNoPeerCert}},
  };
  for (const auto& [text, mode] : cases) EXPECT_EQ(TvxIndy::GetSSLVerifyMode(text), mode) << WideToUtf8(text);
  EXPECT_EQ(TvxIndy::GetIPVersion("::"), Id_IPv6);
  EXPECT_EQ(TvxIndy::GetIPVersion("fe80::1%eth0"), Id_IPv6);
  EXPECT_EQ(TvxIndy::GetIPVersion("0.0.0.0"), Id_IPv4);
  EXPECT_EQ(TvxIndy::GetIPVersion(""), Id_IPv4);
}

// ---- options from the registry ----

TEST_F(ClassFactory, DefaultsWithoutTheRegistryKey) {
  TvxClassFactory factory;
  EXPECT_EQ(factory.Version, "2.0.0");
  EXPECT_EQ(factory.Message.Get(), u"");
  EXPECT_FALSE(factory.Silent);
  EXPECT_EQ(factory.ServerName.Get(), "");

  const TvxHttpServerOptions server = factory.HttpServerOptions;
  EXPECT_EQ(server.SessionTimeOut, 0u);
  EXPECT_EQ(server.TerminateWaitTime, 5000u);
  EXPECT_EQ(server.MaximumHeaderLineCount, 1024);
  EXPECT_EQ(server.MaxConnections, 0);
  EXPECT_TRUE(server.Bindings.empty());
  EXPECT_FALSE(server.SSL.Active);
  EXPECT_EQ(server.SSL.Method, sslvSSLv2);
  EXPECT_TRUE(server.SSL.SSLVersions.Empty());
  EXPECT_EQ(server.SSL.Mode, sslmUnassigned);
  EXPECT_EQ(server.SSL.VerifyDepth, 0);

  const TvxSysLogClientOptions syslog = factory.SysLogClientOptions;
  EXPECT_FALSE(syslog.Active);
  EXPECT_EQ(syslog.Server, u"localhost");
  EXPECT_EQ(syslog.Port, 514);
  EXPECT_EQ(syslog.ReceiveTimeOut, 2000u);
  EXPECT_EQ(syslog.Facility, sfLocalUseZero);
  EXPECT_EQ(syslog.LogLevel, 2);
  const TvxSNMPClientOptions snmp = factory.SNMPClientOptions;
  EXPECT_FALSE(snmp.Active);
  EXPECT_EQ(snmp.Server, u"localhost");
  EXPECT_EQ(snmp.Port, 162);

  std::vector<ustring> warnings;
  factory.OnWarning = [&](const ustring& text) { warnings.push_back(text); };
  const auto plain = factory.CreateHttpClient(u"http://example.test/x");
  const THttpClientOptions& p = plain->Options();
  EXPECT_EQ(p.MaxAuthRetries, 1);
  EXPECT_EQ(p.RedirectMaximum, 2);
  EXPECT_FALSE(p.HandleRedirects);
  EXPECT_FALSE(p.AllowCookies);
  EXPECT_EQ(p.ReadTimeout, 300000);
  EXPECT_EQ(p.ConnectTimeout, 5000);
  EXPECT_EQ(p.BoundIP, "");
  EXPECT_EQ(p.BoundPort, 0);
  EXPECT_FALSE(p.Tls.has_value());
  EXPECT_TRUE(warnings.empty());

  const auto secure = factory.CreateHttpClient(u"HTTPS://EXAMPLE.TEST/");
  ASSERT_TRUE(secure->Options().Tls.has_value());
  const TTlsSettings& tls = *secure->Options().Tls;
  EXPECT_EQ(tls.Method, sslvTLSv1_2);
  EXPECT_EQ(tls.SSLVersions, TIdSSLVersions{sslvTLSv1_2});
  EXPECT_EQ(tls.Mode, sslmBoth);
  EXPECT_EQ(tls.VerifyDepth, 1);
  EXPECT_TRUE(tls.VerifyMode.Empty());
  // An empty verify mode trusts any server: each such client is reported.
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find(u"\"HTTPS://EXAMPLE.TEST/\" made without certificate verification"), ustring::npos);
  factory.CreateHttpClient(u"https://other.test/");
  EXPECT_EQ(warnings.size(), 2u);
}

TEST_F(ClassFactory, EveryRegistryValue) {
  const std::string lockedPassword = TvxCipher::EncodeLogon("pass word");
  SetValue(u"MaxAuthRetries", Variant(int32_t{3}));
  SetValue(u"RedirectMaximum", Variant(u"7"));  // a text holding a whole number
  SetValue(u"HandleRedirects", Variant(int32_t{1}));  // not read
  SetValue(u"AllowCookies", Variant(u"true"));
  SetValue(u"ReadTimeout", Variant(int32_t{1500}));
  SetValue(u"ConnectTimeout", Variant(u"$FA"));  // hexadecimal, as the variant reads it
  SetValue(u"BoundIP", Variant(u"127.0.0.1"));
  SetValue(u"BoundPort", Variant(int32_t{0}));
  SetValue(u"BoundPortMin", Variant(int32_t{40000}));
  SetValue(u"BoundPortMax", Variant(int32_t{40010}));
  SetValue(u"UseSSL", Variant(int32_t{1}));
  SetValue(u"CertFile", Variant(Utf8ToWide(TTestCertificates::Get().File("client.pem"))));
  SetValue(u"CipherList", Variant(u"ECDHE-ECDSA-AES128-GCM-SHA256"));
  SetValue(u"KeyFile", Variant(Utf8ToWide(TTestCertificates::Get().File("client-locked.key"))));
  SetValue(u"RootCertFile", Variant(Utf8ToWide(TTestCertificates::Get().File("ca.pem"))));
  SetValue(u"VerifyDepth", Variant(int32_t{4}));
  SetValue(u"VerifyDirs", Variant(u"/etc/ssl/certs"));
  SetValue(u"Password", Variant(AnsiToWide(lockedPassword)));
  SetValue(u"Method", Variant(u"SSLv23"));
  SetValue(u"SSLVersions", Variant(u"[TLSv1_1,TLSv1_2]"));
  SetValue(u"Mode", Variant(u""));
  SetValue(u"VerifyMode", Variant(u"[sslvrfPeer]"));

  TvxClassFactory factory;
  const TvxHttpClientOptions o = factory.HttpClientOptions;
  EXPECT_EQ(o.MaxAuthRetries, 3);
  EXPECT_EQ(o.RedirectMaximum, 7);
  EXPECT_FALSE(o.HandleRedirects);
  EXPECT_TRUE(o.AllowCookies);
  EXPECT_EQ(o.ReadTimeout, 1500);
  EXPECT_EQ(o.ConnectTimeout, 250);
  EXPECT_EQ(o.BoundIP, u"127.0.0.1");
  EXPECT_EQ(o.BoundPortMin, 40000);
  EXPECT_EQ(o.BoundPortMax, 40010);
  EXPECT_TRUE(o.SSL.Active);
  EXPECT_EQ(o.SSL.CipherList, u"ECDHE-ECDSA-AES128-GCM-SHA256");
  EXPECT_EQ(o.SSL.VerifyDepth, 4);
  EXPECT_EQ(o.SSL.VerifyDirs, u"/etc/ssl/certs");
  EXPECT_EQ(o.SSL.Password, u"pass word");  // decoded from the stored form
  EXPECT_EQ(o.SSL.Method, sslvSSLv23);
  EXPECT_EQ(o.SSL.SSLVersions, (TIdSSLVersions{sslvTLSv1_1, sslvTLSv1_2}));
  EXPECT_EQ(o.SSL.Mode, sslmServer);  // the empty text, not the default "Both"
  EXPECT_EQ(o.SSL.VerifyMode, TIdSSLVerifyModeSet{sslvrfPeer});

  // UseSSL gives a plain http client its TLS settings too; the enciphered
  // key opens with the decoded password.
  std::vector<ustring> warnings;
  factory.OnWarning = [&](const ustring& text) { warnings.push_back(text); };
  const auto client = factory.CreateHttpClient(u"http://example.test/");
  const THttpClientOptions& c = client->Options();
  ASSERT_TRUE(c.Tls.has_value());
  EXPECT_EQ(c.Tls->KeyFile, TTestCertificates::Get().File("client-locked.key"));
  EXPECT_EQ(c.Tls->OnGetPassword(), "pass word");
  EXPECT_EQ(c.BoundIP, "127.0.0.1");
  EXPECT_EQ(c.BoundPortMin, 40000);
  EXPECT_EQ(c.BoundPortMax, 40010);
  EXPECT_EQ(c.ReadTimeout, 1500);
  EXPECT_EQ(c.ConnectTimeout, 250);
  EXPECT_TRUE(warnings.empty());
}

TEST_F(ClassFactory, ValuesOfTheWrongFormStopTheFactory) {
  struct TCase {
    const char16_t* Name;
    Variant Value;
    const char* Text;
  };
  const TCase cases[] = {
      {u"ReadTimeout", Variant(u"300 s"), "into type (Integer)"},
      {u"MaxAuthRetries", Variant(u""), "into type (Integer)"},
      {u"AllowCookies", Variant(u"maybe"), "into type (Boolean)"},
      {u"UseSSL", Variant(u"yes"), "into type (Boolean)"},
      {u"VerifyDepth", Variant(u"99999999999"), ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.Name));
    TvxRegistry::DeleteKey(HKEY_LOCAL_MACHINE, HttpKey);
    SetValue(c.Name, c.Value);
    try {
      TvxClassFactory factory;
      ADD_FAILURE() << "no error";
    } catch (const EVariantError& e) {
      const std::string text = e.what();
      EXPECT_NE(text.find(c.Text), std::string::npos) << text;
      EXPECT_NE(text.find("(registry value HKEY_LOCAL_MACHINE\\SOFTWARE\\varlo\\System\\HTTP\\" + WideToUtf8(c.Name) + ")"),
                std::string::npos)
          << text;
    }
  }
  // Unknown TLS texts never fail.
  ASSERT_TRUE(TvxRegistry::DeleteKey(HKEY_LOCAL_MACHINE, HttpKey));
  SetValue(u"Method", Variant(u"TLS1.2"));
  SetValue(u"Mode", Variant(u"whatever"));
  TvxClassFactory factory;
  EXPECT_EQ(factory.HttpClientOptions.Get().SSL.Method, sslvTLSv1_1);
  EXPECT_EQ(factory.HttpClientOptions.Get().SSL.Mode, sslmServer);
}

// ---- the components ----

TEST_F(ClassFactory, HttpServerFromItsOptions) {
  TvxClassFactory factory;
  factory.ServerName = "varlo factory test";
  factory.HttpServerOptions.Update([](TvxHttpServerOptions& o) {
    o.Bindings = {{"127.0.0.1", TvxIndy::GetIPVersion("127.0.0.1")}};
    o.TerminateWaitTime = 1000;
    o.SSL.Active = true;
    o.SSL.CertFile = Utf8ToWide(TTestCertificates::Get().File("server.pem"));
    o.SSL.KeyFile = Utf8ToWide(TTestCertificates::Get().File("server.key"));
    o.SSL.Method = sslvTLSv1_2;
    o.SSL.SSLVersions = {sslvTLSv1_2};
  });
  const auto server = factory.CreateHttpServer(0, true);
  ASSERT_TRUE(server->Active());
  EXPECT_EQ(server->Options().ServerSoftware, "varlo factory test");
  EXPECT_EQ(server->Options().TerminateWaitTime, 1000u);
  server->SetHandler([](const THttpServerRequest& request, THttpServerResponse& response) {
    response.Body = request.Method + (request.Tls ? " over TLS" : " plain");
  });
  const auto bound = server->BoundBindings();
  ASSERT_EQ(bound.size(), 1u);
  EXPECT_EQ(bound[0].IP, "127.0.0.1");

  factory.HttpClientOptions.Update([](TvxHttpClientOptions& o) {
    o.SSL.RootCertFile = Utf8ToWide(TTestCertificates::Get().File("ca.pem"));
    o.SSL.VerifyMode = {sslvrfPeer};
  });
  const ustring url = u"https://127.0.0.1:" + Utf8ToWide(std::to_string(bound[0].Port)) + u"/";
  const auto client = factory.CreateHttpClient(url);
  THttpClientRequest request;
  request.Method = "MKCOL";
  request.Url = WideToUtf8(url);
  const THttpClientResponse response = client->Perform(request);
  EXPECT_EQ(response.Body, "MKCOL over TLS");
  EXPECT_EQ(response.Header("Server"), "varlo factory test");

  // Not activated: nothing listens yet.
  const auto idle = factory.CreateHttpServer(0, false);
  EXPECT_FALSE(idle->Active());
  EXPECT_EQ(vxTest::RaisedMessage([&] { factory.CreateHttpServer(70000, false); }),
            "the server port 70000 is no port (0 to 65535)");
}

TEST_F(ClassFactory, UnusableOptionsFailWithClearTexts) {
  TvxClassFactory factory;
  // TLS switched on while the server's TLS record still has its zero values.
  factory.HttpServerOptions.Update([](TvxHttpServerOptions& o) {
    o.Bindings = {{"127.0.0.1", Id_IPv4}};
    o.SSL.Active = true;
    o.SSL.CertFile = Utf8ToWide(TTestCertificates::Get().File("server.pem"));
    o.SSL.KeyFile = Utf8ToWide(TTestCertificates::Get().File("server.key"));
  });
  const std::string text = vxTest::RaisedMessage([&] { factory.CreateHttpServer(0, true); });
  EXPECT_NE(text.find("the TLS version SSLv2 is not available"), std::string::npos) << text;
  factory.HttpClientOptions.Update([](TvxHttpClientOptions& o) { o.SSL.SSLVersions = {sslvSSLv3}; });
  EXPECT_NE(vxTest::RaisedMessage([&] { factory.CreateHttpClient(u"https://x.test/"); }).find("SSLv3 is not available"),
            std::string::npos);
  factory.HttpClientOptions.Update([](TvxHttpClientOptions& o) { o.BoundPortMax = 65536; });
  EXPECT_EQ(vxTest::RaisedMessage([&] { factory.CreateHttpClient(u"http://x.test/"); }),
            "BoundPortMax 65536 is no port (0 to 65535)");
}

TEST_F(ClassFactory, SysLogClientSendsToItsServer) {
  const int receiver = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(receiver, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(receiver, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  socklen_t length = sizeof address;
  ::getsockname(receiver, reinterpret_cast<sockaddr*>(&address), &length);
  timeval wait{5, 0};
  ::setsockopt(receiver, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);

  TvxClassFactory factory;
  factory.SysLogClientOptions.Update([&](TvxSysLogClientOptions& o) {
    o.Server = u"127.0.0.1";
    o.Port = ntohs(address.sin_port);
    o.ReceiveTimeOut = 750;
  });
  const auto client = factory.CreateSysLogClient();
  EXPECT_EQ(client->Host, "127.0.0.1");
  EXPECT_EQ(client->Port, ntohs(address.sin_port));
  EXPECT_EQ(client->ReceiveTimeout, 750u);
  EXPECT_FALSE(client->Connected());
  client->Connect();
  client->SendLogMessage("factory made", "vxtest", sfLocalUseZero, slWarning);
  char buffer[2048];
  const ssize_t got = ::recv(receiver, buffer, sizeof buffer, 0);
  ::close(receiver);
  ASSERT_GT(got, 0);
  const std::string datagram(buffer, static_cast<size_t>(got));
  EXPECT_EQ(datagram.rfind("<132>", 0), 0u) << datagram;  // local0 * 8 + warning
  EXPECT_NE(datagram.find("vxtest: factory made"), std::string::npos) << datagram;
}

// Options rewritten while other threads make clients from them: each client
// is made from one whole record, old or new.
TEST_F(ClassFactory, OptionsRewrittenWhileClientsAreMade) {
  TvxClassFactory factory;
  std::atomic<bool> stop{false};
  std::atomic<int> mixed{0}, made{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 4; ++t)
    readers.emplace_back([&] {
      while (!stop) {
        const auto client = factory.CreateHttpClient(u"http://x.test/");
        const THttpClientOptions& o = client->Options();
        // The writer keeps ReadTimeout and BoundIP in step.
        if (o.BoundIP != (o.ReadTimeout % 2 == 0 ? "127.0.0.2" : "127.0.0.3") && o.ReadTimeout != 300000) ++mixed;
        ++made;
      }
    });
  for (int i = 0; i < 2000; ++i)
    factory.HttpClientOptions.Update([i](TvxHttpClientOptions& o) {
      o.ReadTimeout = 1000 + i;
      o.BoundIP = i % 2 == 0 ? u"127.0.0.2" : u"127.0.0.3";
    });
  while (made < 100) std::this_thread::yield();
  stop = true;
  for (std::thread& t : readers) t.join();
  EXPECT_EQ(mixed.load(), 0);
}

// ---- the process's factory ----

TEST_F(ClassFactory, TheStartUpStepMakesAndFreesTheProcessFactory) {
  ASSERT_EQ(GlobalClassFactory, nullptr);
  SetValue(u"ReadTimeout", Variant(int32_t{1234}));
  vxGlobalClassFactory::Initialize();
  ASSERT_NE(GlobalClassFactory, nullptr);
  EXPECT_EQ(GlobalClassFactory->HttpClientOptions.Get().ReadTimeout, 1234);
  // The registry is only read: nothing was written.
  EXPECT_FALSE(TvxRegistry::ValueExists(HKEY_LOCAL_MACHINE, HttpKey, u"ConnectTimeout"));
  vxGlobalClassFactory::Finalize();
  EXPECT_EQ(GlobalClassFactory, nullptr);

  SetValue(u"ConnectTimeout", Variant(u"soon"));
  EXPECT_THROW(vxGlobalClassFactory::Initialize(), EVariantTypeCastError);
  EXPECT_EQ(GlobalClassFactory, nullptr);
}

}  // namespace
