// TvxClassFactory: the options kept in the configuration store (HTTP server
// with TLS and bindings, syslog, SNMP) and the logging console of a service
// process set up from them.
#include "configstore/vxClassFactory.h"
#include "configstore/vxConfigManager.h"
#include "configstore/vxIndy.h"
#include "core/vxStringsIds.h"
#include "foundation/vxCipherToolsEvo3.h"
#include "foundation/vxVarlo.h"
#include "platform/base/vxCodePage.h"
#include "platform/text/vxNumberText.h"

namespace {

constexpr char16_t HttpNode[] = u"/varlo/Software/Basics/HTTP";
constexpr char16_t SslNode[] = u"/varlo/Software/Basics/HTTP/SSL";
constexpr char16_t SysLogNode[] = u"/varlo/Software/Basics/SysLog";
constexpr char16_t SnmpNode[] = u"/varlo/Software/Basics/SNMP";

// The properties of one node of the store, looked up by name (letter case
// not counting) with the current option as the default.
class TNodeOptions {
 public:
  TNodeOptions(TvxConfigManager& Store, const ustring& Key) : FStore(Store) {
    // Values typed, the node not made, binary ones too.
    if (!Store.GetNodeProperties(Key, FProperties, true, false, false, u"", "", false, true, false))
      throw Exception(Store.Message.Get());
  }
  const TProperties& Properties() const { return FProperties; }

  Variant Value(const ustring& Name, const Variant& Default) {
    return FStore.GetPropertyValueByName(Name, Default, FProperties, false);
  }
  ustring Text(const ustring& Name, const ustring& Default) {
    const Variant v = Value(Name, Variant(Default));
    return v.IsEmpty() || v.IsNull() ? ustring() : v.AsString();
  }
  // A text that passes the system code page on its way in.
  std::string AnsiText(const ustring& Name, const ustring& Default) {
    const Variant v = Value(Name, Variant(Default));
    return v.IsEmpty() || v.IsNull() ? std::string() : v.AsAnsiString();
  }
  int64_t Number(const ustring& Name, int64_t Default) { return Value(Name, Variant(Default)).AsInt64(); }
  bool Switch(const ustring& Name, bool Default) { return Value(Name, Variant(Default)).AsBoolean(); }

 private:
  TvxConfigManager& FStore;
  TProperties FProperties;
};

}  // namespace

void TvxClassFactory::LoadK7Configuration() {
  TvxConfigManager store(false, u"", u"vx_configuration");
  store.CacheEnabled = true;
  store.RaiseExceptions = true;
  if (!store.IsConnected()) return;

  {
    TNodeOptions http(store, HttpNode);
    TvxHttpServerOptions o = HttpServerOptions;
    o.SessionTimeOut = static_cast<uint32_t>(http.Number(u"SessionTimeOut", o.SessionTimeOut));
    o.TerminateWaitTime = static_cast<uint32_t>(http.Number(u"TerminateWaitTime", o.TerminateWaitTime));
    o.MaximumHeaderLineCount = static_cast<int32_t>(http.Number(u"MaximumHeaderLineCount", o.MaximumHeaderLineCount));
    o.MaxConnections = static_cast<int32_t>(http.Number(u"MaxConnections", o.MaxConnections));
    o.Bindings.clear();
    for (const TProperty& p : http.Properties()) {
      if (p.Name.compare(0, 7, u"Binding") != 0) continue;
      const std::string ip = p.Value.IsEmpty() || p.Value.IsNull() ? std::string() : p.Value.AsAnsiString();
      o.Bindings.push_back({ip, TvxIndy::GetIPVersion(ip)});
    }
    HttpServerOptions = std::move(o);
  }
  {
    TNodeOptions ssl(store, SslNode);
    TvxHttpServerOptions o = HttpServerOptions;
    TvxSSLOptions& s = o.SSL;
    s.Active = ssl.Switch(u"Active", s.Active);
    s.CertFile = ssl.Text(u"CertFile", u"");
    s.KeyFile = ssl.Text(u"KeyFile", u"");
    s.RootCertFile = ssl.Text(u"RootCertFile", u"");
    s.VerifyDepth = static_cast<int32_t>(ssl.Number(u"VerifyDepth", 1));
    s.VerifyDirs = AnsiToWide(ssl.AnsiText(u"VerifyDirs", u""));
    s.Password = AnsiToWide(TvxCipher::DecodeLogon(ssl.AnsiText(u"Password", u"")));
    s.Method = TvxIndy::GetSSLMethod(ssl.Text(u"Method", u"TLSv1_2"));
    s.SSLVersions = TvxIndy::GetSSLVersions(ssl.Text(u"SSLVersions", u"[TLSv1_2]"));
    s.Mode = TvxIndy::GetSSLMode(ssl.Text(u"Mode", u"Server"));
    s.VerifyMode = TvxIndy::GetSSLVerifyMode(ssl.Text(u"VerifyMode", u""));
    s.CipherList = ssl.Text(u"CipherList", u"");
    HttpServerOptions = std::move(o);
  }
  try {
    TNodeOptions syslog(store, SysLogNode);
    TvxSysLogClientOptions o = SysLogClientOptions;
    o.Active = syslog.Switch(u"Active", o.Active);
    o.Server = syslog.Text(u"Server", o.Server);
    o.Port = static_cast<int32_t>(syslog.Number(u"Port", o.Port));
    o.ReceiveTimeOut = static_cast<uint32_t>(syslog.Number(u"ReceiveTimeOut", o.ReceiveTimeOut));
    o.Facility = static_cast<TSyslogFacility>(static_cast<uint8_t>(syslog.Number(u"Facility", o.Facility)));
    o.LogLevel = static_cast<int32_t>(syslog.Number(u"LogLevel", o.LogLevel));
    SysLogClientOptions = std::move(o);
  } catch (const Exception&) {
    // A SysLog node that cannot be read keeps the options as they are.
  }
  try {
    TNodeOptions snmp(store, SnmpNode);
    TvxSNMPClientOptions o = SNMPClientOptions;
    o.Active = snmp.Switch(u"Active", o.Active);
    o.Server = snmp.Text(u"Server", o.Server);
    o.Port = static_cast<int32_t>(snmp.Number(u"Port", o.Port));
    SNMPClientOptions = std::move(o);
  } catch (const Exception&) {
    // The same for the SNMP node.
  }
}

bool TvxClassFactory::UpdateEnterpriseServiceConsoleTools(TvxConsoleTools* ConsoleTools) {
  if (!ConsoleTools) return false;
  LoadK7Configuration();
  const TvxSysLogClientOptions syslog = SysLogClientOptions;
  ConsoleTools->SysLogActive = syslog.Active;
  ConsoleTools->SysLogServer = syslog.Server;
  ConsoleTools->SysLogPort = syslog.Port;
  ConsoleTools->SysLogFacility = syslog.Facility;
  ConsoleTools->SysLogLevel = syslog.LogLevel;
  ConsoleTools->SysLogTimeOut = syslog.ReceiveTimeOut;
  const TvxSNMPClientOptions snmp = SNMPClientOptions;
  ConsoleTools->SNMPActive = snmp.Active;
  ConsoleTools->SNMPServer = snmp.Server;
  ConsoleTools->SNMPPort = snmp.Port;
  return true;
}

std::unique_ptr<TvxConsoleTools> TvxClassFactory::CreateEnterpriseServiceConsoleTools() {
  auto console = std::make_unique<TvxConsoleTools>(false);
  const std::string techName = TechAppName;
  console->ServerName = AnsiToWide(ServerName.Get());
  console->ServerTechName = AnsiToWide(techName);
  console->AsService = console->GetStartParameter(u"svcmode", Variant(false), "--", "=").AsBoolean();
  const int32_t instance = console->GetStartParameter(u"instanceid", Variant(0), "--", "=").AsInteger();
  console->InstanceId = instance;
  console->InstanceToken =
      console->GetStartParameter(u"instancetoken", Variant(TvxStrings::CreateId().WideStr()), "--", "=").AsAnsiString();
  const ustring name = AnsiToWide(techName) + u"-" + Utf8ToWide(vxNumberText::IntText(instance));
  console->MutexName = name;
  console->LogFile = TvxVarlo::GetLogPath() + name;
  console->LogToFile = true;
  UpdateEnterpriseServiceConsoleTools(console.get());
  console->RegisterConsoleSettings();
  console->SetConsoleTitle();
  TvxConsoleTools::ClsConsole();
  return console;
}
