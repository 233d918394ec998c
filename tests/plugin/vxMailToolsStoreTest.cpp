// The engine's shared SMTP settings from the configuration store of an
// installed host (its data link naming a store on SQLite or PostgreSQL):
// the defaults of a node that is missing, the stored values, a host that is
// not installed, a store that fails and a value of the wrong kind; the
// main daemon's URL as the enterprise service's.
#include <gtest/gtest.h>

#include "core/vxRegistry.h"
#include "foundation/vxCipherToolsEvo3.h"
#include "plugin/vxMailTools.h"
#include "tests/configstore/vxConfigStoreFixture.h"

namespace {

using namespace vxStoreTest;

constexpr char16_t kNode[] = u"/varlo/Software/Basics/SMTP";

// An installed host (system folder, data link, main service) whose data
// link names the test's store.
class MailToolsStore : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    if (IsSkipped()) return;
    WriteDataLink(FHost, Database().ConnectionString());
    std::filesystem::create_directories(FHost.Path() / "sys" / "sys");
    TTestTempDir::WriteBytes(FHost.File("sys/sys/vxenterprisesrv.exe"), "");
    Install(true);
  }
  void Install(bool Installed) {
    if (Installed)
      ASSERT_TRUE(TvxRegistry::SetValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\varlo\\System", u"Path",
                                        Variant(Utf8ToWide(FHost.File("sys") + "/")), false));
    else
      ASSERT_TRUE(TvxRegistry::DeleteValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\varlo\\System", u"Path", false));
  }

  TTestTempDir FHost{"vxmailhost"};
};

TEST_P(MailToolsStore, AMissingNodeGivesTheDefaultsAndIsMade) {
  TvxMailTools mail;
  mail.SMTPServer = u"other";
  mail.SMTPPort = 1;
  mail.Authentication = true;
  mail.Username = u"someone";
  ASSERT_TRUE(mail.LoadK7SMTPConfig()) << WideToUtf8(mail.Message);
  EXPECT_EQ(mail.SMTPServer, u"localhost");
  EXPECT_EQ(mail.SMTPPort, 25);
  EXPECT_EQ(mail.Sender, TvxMailTools::DefaultSender);
  EXPECT_EQ(mail.SenderName, u"varlo Services");
  EXPECT_FALSE(mail.Authentication);
  EXPECT_EQ(mail.Username, u"");
  EXPECT_EQ(mail.Password, u"");
  EXPECT_EQ(mail.vxEnterpriseUrl, u"http://localhost:4040");
  EXPECT_FALSE(TvxConfigManager::IsTIdStringEmpty(OpenStore()->GetParentTreeId(kNode, false, false)));
}

TEST_P(MailToolsStore, StoredSettingsFillTheFieldsAndActiveIsTheResult) {
  {
    auto store = OpenStore();
    ASSERT_TRUE(store->SetConfigValue(kNode, u"Server", Variant(u"mail.example.com")));
    ASSERT_TRUE(store->SetConfigValue(kNode, u"Port", Variant(587)));
    ASSERT_TRUE(store->SetConfigValue(kNode, u"Sender", Variant(u"clerk@example.com")));
    ASSERT_TRUE(store->SetConfigValue(kNode, u"SenderName", Variant(u"Buchhaltung M\u00FCller")));
    ASSERT_TRUE(store->SetConfigValue(kNode, u"Authentication", Variant(true)));
    ASSERT_TRUE(store->SetConfigValue(kNode, u"User", Variant(u"clerk")));
    ASSERT_TRUE(store->SetConfigValue(kNode, u"Password", Variant(AnsiToWide(TvxCipher::EncodeLogon("s\xE9" "cret")))));
    ASSERT_TRUE(store->SetConfigValue(kNode, u"Active", Variant(false)));
    ASSERT_TRUE(store->SetConfigValue(u"/varlo/Software/varlo enterprise daemon/Cluster/Node 0", u"InstanceUrl",
                                      Variant(u"https://daemon.example.com:4443/base")));
  }
  TvxMailTools mail;
  mail.Message = u"kept";
  EXPECT_FALSE(mail.LoadK7SMTPConfig());
  EXPECT_EQ(mail.Message, u"kept");
  EXPECT_EQ(mail.SMTPServer, u"mail.example.com");
  EXPECT_EQ(mail.SMTPPort, 587);
  EXPECT_EQ(mail.Sender, u"clerk@example.com");
  EXPECT_EQ(mail.SenderName, u"Buchhaltung M\u00FCller");
  EXPECT_TRUE(mail.Authentication);
  EXPECT_EQ(mail.Username, u"clerk");
  EXPECT_EQ(mail.Password, u"s\u00E9cret");
  EXPECT_EQ(mail.vxEnterpriseUrl, u"https://daemon.example.com:4443/base");

  ASSERT_TRUE(OpenStore()->SetConfigValue(kNode, u"Active", Variant(true)));
  EXPECT_TRUE(mail.LoadK7SMTPConfig());
}

TEST_P(MailToolsStore, FailuresAreTold) {
  TvxMailTools mail;
  Install(false);
  EXPECT_FALSE(mail.LoadK7SMTPConfig());
  EXPECT_EQ(mail.Message, u"loading k7 smtp config exception (varlo is not installed)");
  Install(true);

  // A value of the wrong kind: what was read before it stays.
  {
    auto store = OpenStore();
    ASSERT_TRUE(store->SetConfigValue(kNode, u"Server", Variant(u"mail.example.com")));
    ASSERT_TRUE(store->SetConfigValue(kNode, u"Port", Variant(u"twenty-five")));
  }
  EXPECT_FALSE(mail.LoadK7SMTPConfig());
  EXPECT_EQ(mail.Message,
            u"loading k7 smtp config exception (Could not convert variant of type (UnicodeString) into type "
            u"(Integer))");
  EXPECT_EQ(mail.SMTPServer, u"mail.example.com");
  EXPECT_EQ(mail.SMTPPort, 25);

  Database().Execute(u"DROP TABLE vx_configuration");
  EXPECT_FALSE(mail.LoadK7SMTPConfig());
  EXPECT_EQ(mail.Message.rfind(u"loading k7 smtp config exception (", 0), 0u) << WideToUtf8(mail.Message);
  EXPECT_NE(mail.Message.find(u"vx_configuration"), ustring::npos) << WideToUtf8(mail.Message);
}

INSTANTIATE_TEST_SUITE_P(Backends, MailToolsStore, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL),
                         BackendName);

}  // namespace
