// The class factory's options from the configuration store, on both
// databases through the host's data-link file: the HTTP server's with its
// bindings and TLS, syslog and SNMP, the defaults a missing node keeps, a
// node that cannot be read, a store that cannot be opened, and the logging
// console of a service process set up from them.
#include <gtest/gtest.h>

#include <filesystem>

#include "configstore/vxClassFactory.h"
#include "foundation/vxCipherToolsEvo3.h"
#include "foundation/vxConsoleTools.h"
#include "foundation/vxVarlo.h"
#include "support/vxRaisedMessage.h"
#include "tests/configstore/vxConfigStoreFixture.h"

namespace {

using namespace vxStoreTest;

// Makes ConnectionString the host's data-link file of the installation in
// Folder (UTF-16 with its byte order mark, as the platform writes them).
void WriteDataLink(const TTestTempDir& Folder, const ustring& ConnectionString) {
  std::filesystem::create_directories(Folder.Path() / "sys" / "cfg");
  std::string bytes = "\xFF\xFE";
  for (char16_t c : u"[oledb]\r\n" + ConnectionString + u"\r\n") {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  TTestTempDir::WriteBytes(Folder.File("sys/cfg/vxsyscfg.udl"), bytes);
}

// A store reached through the host's data-link file.
class FactoryStore : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    if (IsSkipped()) return;
    WriteDataLink(FHost, Database().ConnectionString());
  }

  TTestTempDir FHost{"vxfactoryhost"};
  vxTest::TScopedEnv FSystem{"VARLOSYS", FHost.File("sys") + "/"};
};

TEST_P(FactoryStore, ServerOptionsBindingsAndTlsComeFromTheStore) {
  {
    auto store = OpenStore();
    const ustring http = u"/varlo/Software/Basics/HTTP";
    ASSERT_TRUE(store->SetConfigValue(http, u"SessionTimeOut", Variant(60000)));
    ASSERT_TRUE(store->SetConfigValue(http, u"maxconnections", Variant(12)));
    ASSERT_TRUE(store->SetConfigValue(http, u"Binding1", Variant(u"::")));
    ASSERT_TRUE(store->SetConfigValue(http, u"Binding2", Variant(u"0.0.0.0")));
    ASSERT_TRUE(store->SetConfigValue(http, u"binding3", Variant(u"127.0.0.1")));
    ASSERT_TRUE(store->SetConfigValue(http + u"/SSL", u"Active", Variant(true)));
    ASSERT_TRUE(store->SetConfigValue(http + u"/SSL", u"Method", Variant(u"tlsv1")));
    ASSERT_TRUE(store->SetConfigValue(http + u"/SSL", u"VerifyMode", Variant(u"[sslvrfPeer]")));
    ASSERT_TRUE(store->SetConfigValue(http + u"/SSL", u"CertFile", Variant(u"/etc/cert.pem")));
    ASSERT_TRUE(store->SetConfigValue(
        http + u"/SSL", u"Password", Variant(AnsiToWide(TvxCipher::EncodeLogon("secret")))));
    ASSERT_TRUE(store->SetConfigValue(u"/varlo/Software/Basics/SNMP", u"Active", Variant(true)));
    ASSERT_TRUE(store->SetConfigValue(u"/varlo/Software/Basics/SNMP", u"Server", Variant(u"traps.example")));
  }
  TvxClassFactory factory;
  factory.LoadK7Configuration();
  const TvxHttpServerOptions http = factory.HttpServerOptions;
  EXPECT_EQ(http.SessionTimeOut, 60000u);
  EXPECT_EQ(http.MaxConnections, 12);
  EXPECT_EQ(http.TerminateWaitTime, 5000u);
  EXPECT_EQ(http.MaximumHeaderLineCount, 1024);
  ASSERT_EQ(http.Bindings.size(), 2u);
  EXPECT_EQ(http.Bindings[0].IP, "::");
  EXPECT_EQ(http.Bindings[0].IPVersion, Id_IPv6);
  EXPECT_EQ(http.Bindings[1].IP, "0.0.0.0");
  EXPECT_EQ(http.Bindings[1].IPVersion, Id_IPv4);
  EXPECT_TRUE(http.SSL.Active);
  EXPECT_EQ(http.SSL.Method, sslvTLSv1);
  EXPECT_EQ(http.SSL.SSLVersions, (TIdSSLVersions{sslvTLSv1_2}));
  EXPECT_EQ(http.SSL.Mode, sslmServer);
  EXPECT_EQ(http.SSL.VerifyMode, (TIdSSLVerifyModeSet{sslvrfPeer}));
  EXPECT_EQ(http.SSL.VerifyDepth, 1);
  EXPECT_EQ(http.SSL.CertFile, u"/etc/cert.pem");
  EXPECT_EQ(http.SSL.Password, u"secret");

  // No SysLog node: its defaults stay.
  const TvxSysLogClientOptions syslog = factory.SysLogClientOptions;
  EXPECT_FALSE(syslog.Active);
  EXPECT_EQ(syslog.Server, u"localhost");
  EXPECT_EQ(syslog.Port, 514);
  EXPECT_EQ(syslog.Facility, sfLocalUseZero);
  EXPECT_EQ(syslog.LogLevel, 2);
  EXPECT_EQ(syslog.ReceiveTimeOut, 2000u);
  const TvxSNMPClientOptions snmp = factory.SNMPClientOptions;
  EXPECT_TRUE(snmp.Active);
  EXPECT_EQ(snmp.Server, u"traps.example");
  EXPECT_EQ(snmp.Port, 162);
}

TEST_P(FactoryStore, AnHttpNodeThatCannotBeReadRaisesTheStoresMessage) {
  Database().Execute(u"DROP TABLE vx_configuration");
  TvxClassFactory factory;
  const std::string message = vxTest::RaisedMessage([&] { factory.LoadK7Configuration(); });
  EXPECT_NE(message.find("vx_configuration"), std::string::npos) << message;
  EXPECT_TRUE(factory.HttpServerOptions.Get().Bindings.empty());
}

TEST_P(FactoryStore, TheConsoleOfAServiceTakesItsNamesParametersAndTheStoresOptions) {
  {
    auto store = OpenStore();
    ASSERT_TRUE(store->SetConfigValue(u"/varlo/Software/Basics/SysLog", u"Active", Variant(true)));
    ASSERT_TRUE(store->SetConfigValue(u"/varlo/Software/Basics/SysLog", u"Server", Variant(u"logs.example")));
    ASSERT_TRUE(store->SetConfigValue(u"/varlo/Software/Basics/SysLog", u"Port", Variant(1514)));
    ASSERT_TRUE(store->SetConfigValue(u"/varlo/Software/Basics/SysLog", u"Facility", Variant(17)));
    ASSERT_TRUE(store->SetConfigValue(u"/varlo/Software/Basics/SysLog", u"LogLevel", Variant(4)));
    ASSERT_TRUE(store->SetConfigValue(u"/varlo/Software/Basics/SysLog", u"ReceiveTimeOut", Variant(500)));
  }
  TvxConsoleTools::SetArgumentSource([] { return std::vector<ustring>{u"svc", u"--svcmode=true", u"--instanceid=3"}; });
  struct TRestore {
    ~TRestore() { TvxConsoleTools::SetArgumentSource({}); }
  } restore;
  TvxClassFactory factory;
  factory.TechAppName = std::string("svc");
  factory.ServerName = std::string("Server");
  const std::unique_ptr<TvxConsoleTools> console = factory.CreateEnterpriseServiceConsoleTools();
  ASSERT_TRUE(console);
  EXPECT_TRUE(console->AsService);
  EXPECT_EQ(console->InstanceId, 3);
  EXPECT_EQ(console->InstanceToken.Get().size(), 32u);
  EXPECT_EQ(console->MutexName.Get(), u"svc-3");
  EXPECT_EQ(console->LogFile.Get(), TvxVarlo::GetLogPath() + u"svc-3");
  EXPECT_TRUE(console->LogToFile);
  EXPECT_EQ(console->ServerTechName.Get(), u"svc");
  EXPECT_EQ(console->ServerName.Get(), u"Server");
  EXPECT_TRUE(console->SysLogActive);
  EXPECT_EQ(console->SysLogServer.Get(), u"logs.example");
  EXPECT_EQ(console->SysLogPort, 1514);
  EXPECT_EQ(console->SysLogFacility, sfLocalUseOne);
  EXPECT_EQ(console->SysLogLevel, 4);
  EXPECT_EQ(console->SysLogTimeOut, 500u);
  EXPECT_FALSE(console->SNMPActive);
  EXPECT_EQ(console->SNMPServer.Get(), u"localhost");
  EXPECT_EQ(console->SNMPPort, 162);
}

INSTANTIATE_TEST_SUITE_P(Backends, FactoryStore, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL), BackendName);

// --- Stores that are never opened or cannot be --------------------------------------

class FactoryWithoutStore : public ::testing::Test {
 protected:
  TTestTempDir FHost{"vxfactoryhost"};
  vxTest::TScopedEnv FRegistry{"VARLO_REGISTRY", FHost.File("registry")};
  vxTest::TScopedEnv FSystem{"VARLOSYS", FHost.File("sys") + "/"};
  TTimingGuard FTiming;
};

TEST_F(FactoryWithoutStore, WithoutAConsoleTheStoreIsNotOpened) {
  // Opening a SQLite store makes its file.
  const std::string file = FHost.File("store.db");
  WriteDataLink(FHost, u"Provider=SQLite;Data Source=" + Utf8ToWide(file));
  TvxClassFactory factory;
  EXPECT_FALSE(factory.UpdateEnterpriseServiceConsoleTools(nullptr));
  EXPECT_FALSE(std::filesystem::exists(file));
  // Opened, the store has no table: the HTTP node cannot be read.
  EXPECT_THROW(factory.LoadK7Configuration(), Exception);
  EXPECT_TRUE(std::filesystem::exists(file));
}

TEST_F(FactoryWithoutStore, AStoreThatCannotBeOpenedChangesNothing) {
  WriteDataLink(FHost, u"Provider=SQLite;Data Source=" + Utf8ToWide(FHost.File("missing/folder/store.db")));
  TvxClassFactory factory;
  TvxHttpServerOptions http = factory.HttpServerOptions;
  http.Bindings.push_back({"127.0.0.1", Id_IPv4});
  factory.HttpServerOptions = http;
  EXPECT_NO_THROW(factory.LoadK7Configuration());
  EXPECT_EQ(factory.HttpServerOptions.Get().Bindings.size(), 1u);
  // Nor is there a data-link file at all.
  std::filesystem::remove(FHost.File("sys/cfg/vxsyscfg.udl"));
  EXPECT_NO_THROW(factory.LoadK7Configuration());
  EXPECT_EQ(factory.SysLogClientOptions.Get().Server, u"localhost");
}

}  // namespace
