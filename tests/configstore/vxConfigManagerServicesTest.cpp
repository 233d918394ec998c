// The store's services, cluster and instance state on both databases:
// service URLs and tokens with their defaults, the publishing of an
// instance's token, URL and ready state, the main daemon's reset and count
// of ready flags, the registration for change events against our own HTTP
// server on a loopback port, and the locale node's formats.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>

#include "configstore/vxClassFactory.h"
#include "configstore/vxNet.h"
#include "core/vxToolsSystem.h"
#include "platform/http/vxHttpServer.h"
#include "tests/configstore/vxConfigStoreFixture.h"

namespace {

using namespace vxStoreTest;

constexpr char16_t Services[] = u"/varlo/Software/varlo enterprise daemon/Services/";
constexpr char16_t Daemon[] = u"/varlo/Software/varlo enterprise daemon/Cluster/Node ";
constexpr char16_t Ssl[] = u"/varlo/Software/Basics/HTTP/SSL";

class ServicesTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    if (IsSkipped()) return;
    FStore = OpenStore();
  }

  // A service node whose executable is File.
  void AddService(const ustring& Name, const ustring& File, bool Active = true) {
    ASSERT_TRUE(FStore->SetConfigValue(Services + Name, u"ServicePath", Variant(u"/opt/varlo/bin/" + File)));
    ASSERT_TRUE(FStore->SetConfigValue(Services + Name, u"Active", Variant(Active)));
  }
  Variant Value(const ustring& Key, const ustring& Name) { return FStore->GetConfigValue(Key, Name, Variant::Null(), false); }
  static ustring Instance(const ustring& Service, int Node, int Id) {
    return Services + Service + u"/Cluster/Node " + Utf8ToWide(std::to_string(Node)) + u"/Instance " +
           Utf8ToWide(std::to_string(Id));
  }

  std::unique_ptr<TvxConfigManager> FStore;
};

TEST_P(ServicesTest, ServiceUrlsAndTheirDefaults) {
  EXPECT_EQ(FStore->GetServiceUrl(vxES_Daemon, 0, 0), u"http://localhost:4040") << "stored default as it stands";
  EXPECT_EQ(FStore->GetServiceUrl(vxES_Mail, 0, 0), u"http://localhost:4500/") << "the port table's";

  ASSERT_TRUE(FStore->SetConfigValue(Daemon + ustring(u"0"), u"InstanceUrl", Variant(u"")));
  EXPECT_EQ(FStore->GetServiceUrl(vxES_Daemon, 0, 0), u"http://localhost:4040/");
  ASSERT_TRUE(FStore->SetConfigValue(Daemon + ustring(u"2"), u"InstanceUrl", Variant(u"http://node2:4040")));
  EXPECT_EQ(FStore->GetServiceUrl(vxES_Daemon, 2, 0), u"http://node2:4040");

  AddService(u"Mail", u"VXMailSrv.exe");
  ASSERT_TRUE(FStore->SetConfigValue(Instance(u"Mail", 0, 1), u"InstanceUrl", Variant(u"http://mailhost:4501")));
  EXPECT_EQ(FStore->GetServiceUrl(vxES_Mail, 0, 1), u"http://mailhost:4501/") << "a final / added";
  EXPECT_EQ(FStore->GetServiceUrl(vxES_Mail, 0, 2), u"http://localhost:4500/") << "another instance";

  ASSERT_TRUE(FStore->SetConfigValue(Ssl, u"Active", Variant(true)));
  EXPECT_EQ(FStore->GetServiceUrl(vxES_Daemon, 0, 0), u"https://localhost:4040/");
  EXPECT_EQ(FStore->GetServiceUrl(vxES_Scan, 0, 0), u"https://localhost:4430/");
}

TEST_P(ServicesTest, ServiceTokens) {
  EXPECT_EQ(FStore->GetServiceToken(vxES_Daemon, 0, 0), u"");
  EXPECT_TRUE(FStore->ConfigValueExists(Daemon + ustring(u"0"), u"InstanceToken")) << "written empty when read";
  ASSERT_TRUE(FStore->SetConfigValue(Daemon + ustring(u"0"), u"InstanceToken", Variant(u"DAEMONTOKEN")));
  EXPECT_EQ(FStore->GetServiceToken(vxES_Daemon, 0, 0), u"DAEMONTOKEN");

  EXPECT_EQ(FStore->GetServiceToken(vxES_Mail, 0, 0), u"");
  AddService(u"Mail", u"vxmailsrv.exe");
  ASSERT_TRUE(FStore->SetConfigValue(Instance(u"Mail", 0, 0), u"InstanceToken", Variant(u"MAILTOKEN")));
  EXPECT_EQ(FStore->GetServiceToken(vxES_Mail, 0, 0), u"MAILTOKEN");
  EXPECT_FALSE(FStore->ConfigValueExists(Instance(u"Mail", 0, 1), u"InstanceToken"));
  EXPECT_EQ(FStore->GetServiceToken(vxES_Mail, 0, 1), u"");
}

TEST_P(ServicesTest, PublishingAnInstancesTokenPortAndUrl) {
  EXPECT_FALSE(FStore->PublishInstanceToken(TIdType("TOKEN0"), 0, 0)) << "no service node";

  // Our own executable, as procfs names it, lower-cased.
  AddService(u"Ours", u"TEST_configstore");
  AddService(u"Other", u"vxother.exe");
  ASSERT_TRUE(FStore->PublishInstanceToken(TIdType("TOKEN1"), 1, 0));
  EXPECT_EQ(Value(Instance(u"Ours", 0, 1), u"InstanceToken").AsString(), u"TOKEN1");
  EXPECT_EQ(Value(Instance(u"Ours", 0, 1), u"InstanceHandle").AsInt64(), getpid());
  EXPECT_TRUE(Value(Instance(u"Ours", 0, 1), u"InstancePort").IsNull()) << "port 0 writes no port";
  EXPECT_TRUE(Value(Instance(u"Ours", 0, 1), u"InstanceUrl").IsNull());
  EXPECT_TRUE(Value(Instance(u"Other", 0, 1), u"InstanceToken").IsNull());

  // With a port: the URL of the computer's fully qualified name; a service
  // found by its root port is written too.
  ASSERT_TRUE(FStore->SetConfigValue(Services + ustring(u"Other"), u"RootPort", Variant(4700)));
  ASSERT_TRUE(FStore->PublishInstanceToken(TIdType("TOKEN2"), 11, 4711));
  const ustring fqdn = TvxTools::GetComputerNameEx(3);
  ASSERT_FALSE(fqdn.empty());
  for (const ustring service : {u"Ours", u"Other"}) {
    SCOPED_TRACE(WideToUtf8(service));
    EXPECT_EQ(Value(Instance(service, 0, 11), u"InstanceToken").AsString(), u"TOKEN2");
    EXPECT_EQ(Value(Instance(service, 0, 11), u"InstancePort").AsInteger(), 4711);
    EXPECT_EQ(Value(Instance(service, 0, 11), u"InstanceUrl").AsString(), u"http://" + fqdn + u":4711");
  }

  // HTTPS, another cluster node.
  ASSERT_TRUE(FStore->SetConfigValue(Ssl, u"Active", Variant(true)));
  SetSystemValue(u"ClusterNode", 3);
  ASSERT_TRUE(FStore->PublishInstanceToken(TIdType("TOKEN3"), 2, 4702));
  EXPECT_EQ(Value(Instance(u"Ours", 3, 2), u"InstanceUrl").AsString(), u"https://" + fqdn + u":4702");
  EXPECT_EQ(Value(Instance(u"Other", 3, 2), u"InstanceToken").AsString(), u"TOKEN3");

  // URLs kept by hand: token and process only.
  ASSERT_TRUE(FStore->SetConfigValue(u"/varlo/Software/Basics/Common", u"ManualServiceUrlConfig", Variant(true)));
  ASSERT_TRUE(FStore->PublishInstanceToken(TIdType("TOKEN4"), 5, 4705));
  EXPECT_EQ(Value(Instance(u"Ours", 3, 5), u"InstanceToken").AsString(), u"TOKEN4");
  EXPECT_TRUE(Value(Instance(u"Ours", 3, 5), u"InstancePort").IsNull());
  EXPECT_TRUE(Value(Instance(u"Ours", 3, 5), u"InstanceUrl").IsNull());
}

TEST_P(ServicesTest, PublishingPermissionObjectsMirrorsTheActiveSourcesAndSparesHeldTargets) {
  FStore->BackupChanges = false;
  const ustring source = u"/apps/perm";
  const ustring target = u"/varlo/Permissions/Objects/Reports";
  ASSERT_TRUE(FStore->SetConfigValue(source + u"/sales", u"Roles", Variant(u"admin;sales")));
  ASSERT_TRUE(FStore->SetConfigValue(source + u"/sales/north", u"SingleInstance", Variant(false)));
  ASSERT_TRUE(FStore->SetConfigValue(source + u"/off", u"Active", Variant(false)));
  // Targets left from earlier: one without a source, one whose source is
  // inactive, one held by a session.
  ASSERT_TRUE(FStore->SetConfigValue(target + u"/gone/deep", u"Roles", Variant(u"x")));
  ASSERT_TRUE(FStore->SetConfigValue(target + u"/off", u"Roles", Variant(u"x")));
  ASSERT_TRUE(FStore->SetConfigValue(target + u"/held", u"SessionToken", Variant(u" T1 ")));

  ASSERT_TRUE(FStore->PublishPermissionObjects(source, u"Reports", true, true));
  EXPECT_EQ(Value(target + u"/sales", u"Roles"), Variant(u"admin;sales"));
  EXPECT_EQ(Value(target + u"/sales", u"SingleInstance"), Variant(true));
  EXPECT_EQ(Value(target + u"/sales/north", u"Roles"), Variant(u""));
  EXPECT_EQ(Value(target + u"/sales/north", u"SingleInstance"), Variant(false));
  EXPECT_FALSE(FStore->NodeExists(target + u"/gone", false));
  EXPECT_FALSE(FStore->NodeExists(target + u"/off", false));
  EXPECT_TRUE(FStore->NodeExists(target + u"/held", false));

  // Without the active check an inactive source is published too.
  ASSERT_TRUE(FStore->PublishPermissionObjects(source, u"Reports", false, false));
  EXPECT_EQ(Value(target + u"/off", u"SingleInstance"), Variant(false));
}

TEST_P(ServicesTest, PublishingTheReadyState) {
  EXPECT_FALSE(FStore->PublishReadyState(0));
  AddService(u"Other", u"vxother.exe");
  EXPECT_FALSE(FStore->PublishReadyState(0));
  AddService(u"Ours", u"test_configstore");
  SetSystemValue(u"ClusterNode", 2);
  ASSERT_TRUE(FStore->PublishReadyState(4));
  EXPECT_EQ(Value(Instance(u"Ours", 2, 4), u"InstanceReady"), Variant(true));
}

TEST_P(ServicesTest, ResettingReadyStatesByClusterNodeAndInstanceRange) {
  struct TCase {
    int32_t NodeId;
    bool NodeActive;
    std::vector<int> Reset;  // of the instances 0 to 3
  };
  const TCase cases[] = {{1, true, {1, 2}}, {0, true, {0, 1}}, {1, false, {}}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "NodeId " << c.NodeId << (c.NodeActive ? "" : ", node inactive"));
    const ustring node = Services + ustring(u"Mail/Cluster/Node 1");
    AddService(u"Mail", u"vxmailsrv.exe");
    AddService(u"Idle", u"vxidle.exe", false);
    ASSERT_TRUE(FStore->SetConfigValue(node, u"NodeId", Variant(c.NodeId)));
    ASSERT_TRUE(FStore->SetConfigValue(node, u"Instances", Variant(2)));
    ASSERT_TRUE(FStore->SetConfigValue(Services + ustring(u"Idle/Cluster/Node 1"), u"Instances", Variant(2)));
    ASSERT_TRUE(FStore->SetConfigValue(Daemon + Utf8ToWide(std::to_string(c.NodeId)), u"Active", Variant(c.NodeActive)));
    for (int i = 0; i < 4; ++i) {
      ASSERT_TRUE(FStore->SetConfigValue(Instance(u"Mail", 1, i), u"InstanceReady", Variant(true)));
      ASSERT_TRUE(FStore->SetConfigValue(Instance(u"Idle", 1, i), u"InstanceReady", Variant(true)));
    }
    EXPECT_TRUE(FStore->ResetReadyStates(1));
    for (int i = 0; i < 4; ++i) {
      const bool reset = std::find(c.Reset.begin(), c.Reset.end(), i) != c.Reset.end();
      EXPECT_EQ(Value(Instance(u"Mail", 1, i), u"InstanceReady"), Variant(!reset)) << "instance " << i;
      EXPECT_EQ(Value(Instance(u"Idle", 1, i), u"InstanceReady"), Variant(true)) << "an inactive service";
    }
  }
}

TEST_P(ServicesTest, ResettingClusterNodeZeroPreparesItFromTheService) {
  AddService(u"Mail", u"vxmailsrv.exe");
  AddService(u"Scan", u"vxscansrv.exe");
  ASSERT_TRUE(FStore->SetConfigValue(Services + ustring(u"Scan"), u"Instances", Variant(3)));
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(FStore->SetConfigValue(Instance(u"Mail", 0, i), u"InstanceReady", Variant(true)));
    ASSERT_TRUE(FStore->SetConfigValue(Instance(u"Scan", 0, i), u"InstanceReady", Variant(true)));
  }
  EXPECT_TRUE(FStore->ResetReadyStates(0));
  const ustring mail = Services + ustring(u"Mail/Cluster/Node 0"), scan = Services + ustring(u"Scan/Cluster/Node 0");
  EXPECT_EQ(Value(mail, u"NodeId").AsInteger(), 0);
  EXPECT_EQ(Value(mail, u"Instances").AsInteger(), 1) << "1 when the service has none";
  EXPECT_EQ(Value(scan, u"Instances").AsInteger(), 3);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Value(Instance(u"Mail", 0, i), u"InstanceReady"), Variant(i >= 1)) << "mail " << i;
    EXPECT_EQ(Value(Instance(u"Scan", 0, i), u"InstanceReady"), Variant(i >= 3)) << "scan " << i;
  }
}

TEST_P(ServicesTest, CheckingReadyStatesCountsStartedInstancesNotReady) {
  EXPECT_EQ(FStore->CheckReadyStates(0), 0);
  AddService(u"Mail", u"vxmailsrv.exe");
  AddService(u"Scan", u"vxscansrv.exe");
  for (const ustring service : {u"Mail", u"Scan"}) {
    // The reset of node 0 takes the service's count.
    ASSERT_TRUE(FStore->SetConfigValue(Services + service, u"Instances", Variant(4)));
    const ustring node = Services + service + u"/Cluster/Node 0";
    ASSERT_TRUE(FStore->SetConfigValue(node, u"NodeId", Variant(0)));
    ASSERT_TRUE(FStore->SetConfigValue(node, u"Instances", Variant(4)));
  }
  // Mail: 0 started without a ready flag, 1 started and not ready, 2 ready,
  // 3 not published. Scan: 0 started, 4 (outside the range) started.
  ASSERT_TRUE(FStore->SetConfigValue(Instance(u"Mail", 0, 0), u"InstanceToken", Variant(u"T0")));
  ASSERT_TRUE(FStore->SetConfigValue(Instance(u"Mail", 0, 1), u"InstanceToken", Variant(u"T1")));
  ASSERT_TRUE(FStore->SetConfigValue(Instance(u"Mail", 0, 1), u"InstanceReady", Variant(false)));
  ASSERT_TRUE(FStore->SetConfigValue(Instance(u"Mail", 0, 2), u"InstanceToken", Variant(u"T2")));
  ASSERT_TRUE(FStore->SetConfigValue(Instance(u"Mail", 0, 2), u"InstanceReady", Variant(true)));
  ASSERT_TRUE(FStore->SetConfigValue(Instance(u"Mail", 0, 3), u"InstanceReady", Variant(false)));
  ASSERT_TRUE(FStore->SetConfigValue(Instance(u"Scan", 0, 0), u"InstanceToken", Variant(u"S0")));
  ASSERT_TRUE(FStore->SetConfigValue(Instance(u"Scan", 0, 4), u"InstanceToken", Variant(u"S4")));
  EXPECT_EQ(FStore->CheckReadyStates(0), 3);
  EXPECT_TRUE(FStore->ResetReadyStates(0));
  EXPECT_EQ(FStore->CheckReadyStates(0), 4) << "the ready one is started again";
}

// Our own HTTP server on a free loopback port answering every request with
// one status, keeping the targets it was asked for.
class TDaemonPeer {
 public:
  explicit TDaemonPeer(int Status) {
    THttpServerOptions options;
    options.Bindings = {{"127.0.0.1", Id_IPv4, 0}};
    FServer = std::make_unique<THttpServer>(options);
    FServer->SetHandler([this, Status](const THttpServerRequest& Request, THttpServerResponse& Response) {
      {
        std::lock_guard<std::mutex> hold(FLock);
        FTargets.push_back(Request.Target);
      }
      Response.StatusCode = Status;
      Response.Body = "answer";
    });
    FServer->Start();
  }
  uint16_t Port() const { return FServer->BoundBindings()[0].Port; }
  ustring Url() const { return u"http://127.0.0.1:" + Utf8ToWide(std::to_string(Port())); }
  std::vector<std::string> Targets() {
    std::lock_guard<std::mutex> hold(FLock);
    return FTargets;
  }

 private:
  std::mutex FLock;
  std::vector<std::string> FTargets;
  std::unique_ptr<THttpServer> FServer;
};

TEST_P(ServicesTest, RegisteringForChangeEventsWithTheMainDaemon) {
  vxGlobalClassFactory::Initialize();
  struct TCase {
    int Status;
    bool Registered;
    const char16_t* Message;
  };
  const TCase cases[] = {{200, true, u""}, {201, false, u""}, {500, false, u"HTTP response code 500 - Internal Server Error"}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Status);
    TDaemonPeer daemon(c.Status);
    ASSERT_TRUE(FStore->SetConfigValue(Daemon + ustring(u"0"), u"InstanceUrl", Variant(daemon.Url())));
    FStore->Message = u"";
    EXPECT_EQ(FStore->RegisterServiceToChangeEvent(u"CONFIG", u"TOKEN 1&2"), c.Registered);
    EXPECT_EQ(FStore->Message.Get(), c.Message);
    const std::vector<std::string> targets = daemon.Targets();
    ASSERT_EQ(targets.size(), 1u);
    const std::string& target = targets[0];
    ASSERT_EQ(target.rfind("/vxRegisterToChangeEvent?", 0), 0u) << target;
    TvxEncoding encoding = vxENC_None;
    const TvxUrlParams params = TvxNet::ParseUrlParams(target.substr(target.find('?') + 1), encoding);
    EXPECT_EQ(encoding, vxENC_Mega);
    // The two parameters in this order, among the items the packing adds.
    std::vector<ustring> names;
    for (const TvxUrlParam& p : params)
      if (p.Param == u"INSTANCETOKEN" || p.Param == u"EVENTFLAG") names.push_back(p.Param);
    EXPECT_EQ(names, (std::vector<ustring>{u"INSTANCETOKEN", u"EVENTFLAG"}));
    EXPECT_EQ(TvxNet::GetUrlParamValue(u"InstanceToken", params, u"-", false), u"TOKEN 1&2");
    EXPECT_EQ(TvxNet::GetUrlParamValue(u"EventFlag", params, u"-", false), u"CONFIG");
  }
  // Nobody listening: False with the client's text, nothing raised even
  // when the store raises.
  {
    uint16_t port = 0;
    {
      TDaemonPeer gone(200);
      port = gone.Port();
    }
    ASSERT_TRUE(FStore->SetConfigValue(Daemon + ustring(u"0"), u"InstanceUrl",
                                       Variant(u"http://127.0.0.1:" + Utf8ToWide(std::to_string(port)))));
    FStore->RaiseExceptions = true;
    FStore->Message = u"";
    EXPECT_FALSE(FStore->RegisterServiceToChangeEvent(u"CONFIG", u"T"));
    EXPECT_FALSE(FStore->Message.Get().empty());
    FStore->RaiseExceptions = false;
  }
  vxGlobalClassFactory::Finalize();
}

TEST_P(ServicesTest, LocaleFormatsComeFromTheStoreAndMissingOnesAreWritten) {
  TFormatSettings locale;
  locale.ShortDateFormat = u"dd.mm.yyyy";
  locale.LongDateFormat = u"dddd, d. mmmm yyyy";
  locale.ShortTimeFormat = u"hh:nn";
  locale.LongTimeFormat = u"hh:nn:ss";
  locale.DecimalSeparator = u',';
  locale.ThousandSeparator = u'.';
  locale.DateSeparator = u'.';
  locale.TimeSeparator = u':';
  vxTest::TFormatSettingsGuard guard(locale);

  const TFormatSettings first = FStore->GetK7FormatSettings();
  EXPECT_EQ(first.ShortDateFormat, locale.ShortDateFormat);
  EXPECT_EQ(first.LongTimeFormat, locale.LongTimeFormat);
  EXPECT_EQ(first.DecimalSeparator, u',');
  const ustring node = u"/varlo/Classes/Behaviour/Local";
  EXPECT_EQ(Value(node, u"ShortDateFormat").AsString(), u"dd.mm.yyyy");
  EXPECT_EQ(Value(node, u"LongDateFormat").AsString(), u"dddd, d. mmmm yyyy");
  EXPECT_EQ(Value(node, u"ShortTimeFormat").AsString(), u"hh:nn");
  EXPECT_EQ(Value(node, u"LongTimeFormat").AsString(), u"hh:nn:ss");
  EXPECT_EQ(Value(node, u"DecimalSeparator").AsString(), u",");
  EXPECT_EQ(Value(node, u"ThousandSeparator").AsString(), u".");
  EXPECT_EQ(Value(node, u"DateSeparator").AsString(), u".");
  EXPECT_EQ(Value(node, u"TimeSeparator").AsString(), u":");

  ASSERT_TRUE(FStore->SetConfigValue(node, u"ShortDateFormat", Variant(u"yyyy-mm-dd")));
  ASSERT_TRUE(FStore->SetConfigValue(node, u"DateSeparator", Variant(u"-/")));
  ASSERT_TRUE(FStore->SetConfigValue(node, u"ThousandSeparator", Variant(u"")));
  // A character the system code page lacks does not come through 8-bit text.
  ASSERT_TRUE(FStore->SetConfigValue(node, u"LongTimeFormat", Variant(u"hh:nn:ss \u0416")));
  const TFormatSettings second = FStore->GetK7FormatSettings();
  EXPECT_EQ(second.ShortDateFormat, u"yyyy-mm-dd");
  EXPECT_EQ(second.DateSeparator, u'-');
  EXPECT_EQ(second.ThousandSeparator, u'.') << "an empty text keeps the setting";
  EXPECT_EQ(second.LongTimeFormat, u"hh:nn:ss ?");
}

INSTANTIATE_TEST_SUITE_P(Backends, ServicesTest, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL),
                         BackendName);

}  // namespace
