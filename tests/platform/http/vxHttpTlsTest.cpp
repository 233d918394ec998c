// TLS of the HTTP layer between our server, our client and curl the
// command, with certificates of a test authority made at run time: version
// pinning and refused versions, verify modes with good and bad
// certificates, client certificates with an enciphered key, and settings
// that cannot be used.
#include <gtest/gtest.h>

#include "platform/http/vxHttpClient.h"
#include "platform/http/vxHttpServer.h"
#include "support/vxRunProgram.h"
#include "support/vxTestCertificates.h"

namespace {

using TKind = EHttpClientError::TKind;
using vxTest::TTestCertificates;

std::string Cert(const std::string& name) { return TTestCertificates::Get().File(name); }

TTlsSettings ServerTls(const std::string& certificate = "server") {
  TTlsSettings tls;
  tls.CertFile = Cert(certificate + ".pem");
  tls.KeyFile = Cert(certificate + ".key");
  return tls;
}

THttpClientOptions WithTls(const TTlsSettings& tls) {
  THttpClientOptions options;
  options.Tls = tls;
  return options;
}

TTlsSettings Verifying() {
  TTlsSettings tls;
  tls.RootCertFile = Cert("ca.pem");
  tls.VerifyMode = {sslvrfPeer};
  return tls;
}

struct TTlsServer {
  explicit TTlsServer(TTlsSettings tls) {
    THttpServerOptions options;
    options.Bindings = {{"127.0.0.1", Id_IPv4, 0}};
    options.Tls = std::move(tls);
    options.HeaderTimeoutMs = 3000;
    Server.SetOptions(options);
    Server.SetHandler([](const THttpServerRequest& request, THttpServerResponse& response) {
      response.Body = request.Tls ? "secret" : "plain";
    });
    Server.Start();
  }
  std::string Url() const { return "https://127.0.0.1:" + std::to_string(Server.BoundBindings().at(0).Port) + "/"; }
  THttpServer Server;
};

// The kind of failure, or "ok" with the body.
std::string Fetch(const TTlsServer& server, const std::optional<TTlsSettings>& tls, const std::string& host = "") {
  THttpClientOptions options;
  options.Tls = tls;
  THttpClient client(options);
  THttpClientRequest request;
  request.Url = server.Url();
  if (!host.empty()) {
    // The same server under a name (curl's resolve list is not exposed: the
    // name is localhost, which the certificates name or do not).
    request.Url.replace(request.Url.find("127.0.0.1"), 9, host);
  }
  try {
    return "ok " + client.Perform(request).Body;
  } catch (const EHttpClientError& e) {
    return e.Kind == TKind::Tls ? "tls failure" : std::string("other failure: ") + e.what();
  }
}

TEST(HttpTls, VerifyModesWithGoodAndBadCertificates) {
  struct TCase {
    const char* ServerCertificate;
    bool Verify;
    const char* Host;
    const char* Expected;
  };
  const TCase cases[] = {
      {"server", true, "", "ok secret"},               // signed by the trusted authority, for 127.0.0.1
      {"server", true, "localhost", "ok secret"},      // ... and for localhost
      {"wrongname", true, "", "tls failure"},          // signed, but for another name
      {"selfsigned", true, "", "tls failure"},         // not signed by the authority
      {"wrongname", false, "", "ok secret"},           // an empty verify mode trusts anyone
      {"selfsigned", false, "", "ok secret"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.ServerCertificate) + (c.Verify ? " verified" : " unverified") + " " + c.Host);
    TTlsServer server(ServerTls(c.ServerCertificate));
    TTlsSettings client = Verifying();
    if (!c.Verify) client.VerifyMode = {};
    EXPECT_EQ(Fetch(server, client, c.Host), c.Expected);
  }
  // Without TLS settings the system's trusted certificates apply: the test
  // authority is none of them.
  TTlsServer server(ServerTls());
  EXPECT_EQ(Fetch(server, std::nullopt), "tls failure");
}

TEST(HttpTls, VersionPinningAndRefusedVersions) {
  struct TCase {
    TIdSSLVersions Server;
    TIdSSLVersions Client;
    const char* Expected;
  };
  const TCase cases[] = {
      {{sslvTLSv1_2}, {sslvTLSv1_2}, "ok secret"},
      {{sslvSSLv23}, {sslvTLSv1_2}, "ok secret"},
      {{sslvTLSv1_2}, {sslvSSLv23}, "ok secret"},
      {{sslvTLSv1_1, sslvTLSv1_2}, {sslvTLSv1_2}, "ok secret"},
      {{sslvTLSv1_2}, {sslvTLSv1_1}, "tls failure"},
      {{sslvTLSv1_2}, {sslvTLSv1}, "tls failure"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Server.Bits()) + " " + std::to_string(c.Client.Bits()));
    TTlsSettings serverTls = ServerTls();
    serverTls.SSLVersions = c.Server;
    TTlsServer server(serverTls);
    TTlsSettings client = Verifying();
    client.SSLVersions = c.Client;
    EXPECT_EQ(Fetch(server, client), c.Expected);
  }
}

// curl tells which version was spoken: a server pinned to TLS 1.2 speaks
// it to a client that could do 1.3, and refuses a client that wants 1.3;
// one open to every version speaks 1.3.
TEST(HttpTls, CurlSeesThePinnedVersion) {
  struct TCase {
    TIdSSLVersions Server;
    std::vector<std::string> CurlFlags;
    int ExitStatus;
    const char* Spoken;
  };
  const TCase cases[] = {
      {{sslvTLSv1_2}, {}, 0, "TLSv1.2"},
      {{sslvTLSv1_2}, {"--tlsv1.3"}, 35, nullptr},
      {{sslvSSLv23}, {}, 0, "TLSv1.3"},
      {{sslvSSLv23}, {"--tls-max", "1.2"}, 0, "TLSv1.2"},
  };
  for (const TCase& c : cases) {
    TTlsSettings serverTls = ServerTls();
    serverTls.SSLVersions = c.Server;
    TTlsServer server(serverTls);
    std::vector<std::string> args = {"/usr/bin/curl", "-sS", "-v", "--cacert", Cert("ca.pem")};
    args.insert(args.end(), c.CurlFlags.begin(), c.CurlFlags.end());
    args.push_back(server.Url());
    const vxTest::TProgramResult result = vxTest::RunProgram(args);
    EXPECT_EQ(result.ExitStatus, c.ExitStatus) << result.Output;
    if (c.Spoken) {
      EXPECT_NE(result.Output.find(std::string("SSL connection using ") + c.Spoken), std::string::npos)
          << result.Output;
      EXPECT_NE(result.Output.find("secret"), std::string::npos);
    }
  }
}

TEST(HttpTls, ClientCertificatesWithAnEncipheredKey) {
  TTlsSettings serverTls = ServerTls();
  serverTls.RootCertFile = Cert("ca.pem");
  serverTls.VerifyMode = {sslvrfPeer, sslvrfFailIfNoPeerCert};
  TTlsServer server(serverTls);

  EXPECT_EQ(Fetch(server, Verifying()), "tls failure");  // no certificate of its own

  TTlsSettings client = Verifying();
  client.CertFile = Cert("client.pem");
  client.KeyFile = Cert("client-locked.key");
  client.OnGetPassword = [] { return std::string("pass word"); };
  EXPECT_EQ(Fetch(server, client), "ok secret");

  client.OnGetPassword = [] { return std::string("wrong"); };
  try {
    THttpClient refused(WithTls(client));
    FAIL() << "a wrong password was taken";
  } catch (const ETlsError& e) {
    EXPECT_NE(std::string(e.what()).find("cannot use the key file \"" + Cert("client-locked.key") + "\""),
              std::string::npos)
        << e.what();
  }
  // The server's own key may be enciphered too.
  TTlsSettings lockedServer;
  lockedServer.CertFile = Cert("client.pem");
  lockedServer.KeyFile = Cert("client-locked.key");
  lockedServer.OnGetPassword = [] { return std::string("pass word"); };
  EXPECT_NO_THROW(TTlsServer{lockedServer});
}

TEST(HttpTls, SettingsThatCannotBeUsedFailWithAClearText) {
  struct TCase {
    const char* Name;
    TTlsSettings Settings;
    const char* Text;
  };
  TTlsSettings sslv3;
  sslv3.SSLVersions = {sslvSSLv3, sslvTLSv1_2};
  TTlsSettings sslv2;
  sslv2.Method = sslvSSLv2;
  sslv2.SSLVersions = {};  // the method alone
  TTlsSettings ciphers;
  ciphers.CipherList = "NO-SUCH-CIPHER";
  TTlsSettings missing;
  missing.RootCertFile = "/nowhere/ca.pem";
  TTlsSettings keyless;
  keyless.CertFile = Cert("server.pem");
  keyless.KeyFile = Cert("client.key");
  const TCase cases[] = {
      {"SSLv3", sslv3, "the TLS version SSLv3 is not available: OpenSSL 3 has no SSL 2.0 or 3.0 (use TLSv1_2)"},
      {"SSLv2", sslv2, "the TLS version SSLv2 is not available"},
      {"ciphers", ciphers, "the cipher list \"NO-SUCH-CIPHER\" names no usable cipher"},
      {"trust file", missing, "cannot read the trusted certificates \"/nowhere/ca.pem\""},
      {"key of another certificate", keyless, "does not fit the certificate"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    try {
      THttpClient client(WithTls(c.Settings));
      ADD_FAILURE() << "the client was made";
    } catch (const ETlsError& e) {
      EXPECT_NE(std::string(e.what()).find(c.Text), std::string::npos) << e.what();
    }
    TTlsSettings serverSide = c.Settings;
    if (serverSide.CertFile.empty()) {
      serverSide.CertFile = Cert("server.pem");
      serverSide.KeyFile = Cert("server.key");
    }
    THttpServerOptions options;
    options.Bindings = {{"127.0.0.1", Id_IPv4, 0}};
    options.Tls = serverSide;
    THttpServer server(options);
    try {
      server.Start();
      ADD_FAILURE() << "the server started";
    } catch (const EHttpServerError& e) {
      EXPECT_NE(std::string(e.what()).find(c.Text), std::string::npos) << e.what();
    }
    EXPECT_FALSE(server.Active());
  }
}

}  // namespace
