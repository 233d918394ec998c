// TvxClassFactory: the network options of a process and the HTTP servers,
// HTTP clients and syslog clients made ready from them. One factory per
// process, GlobalClassFactory, is made when the library loads (it reads the
// registry then, nothing else) and freed when it unloads; every HTTP client
// of the library takes its settings from it.
//
// Options: the HTTP client's come from the registry under
// HKEY_LOCAL_MACHINE "SOFTWARE\varlo\System\HTTP\" when the factory is made;
// the registry is never written. The HTTP server's (with TLS and bindings),
// the syslog client's and the SNMP client's come from the configuration
// store on request (LoadK7Configuration). A value of the wrong form (a text that is
// no whole number for an integer option, no Boolean for a Boolean one)
// raises the variant conversion error, naming the value, out of the
// constructor, which stops the library's start-up.
//
// Threads: the options are guarded values (readers share a lock, a writer
// has it alone), so options may be rewritten while other threads make
// clients from them; each component is made from one consistent copy of
// its record. Components made by the factory keep no reference to it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/vxConsoleTools.h"
#include "platform/base/vxBase.h"
#include "platform/http/vxHttpClient.h"
#include "platform/http/vxHttpServer.h"
#include "platform/http/vxTlsSettings.h"
#include "platform/net/vxSyslog.h"

struct TvxSocketBinding {
  std::string IP;
  TIdIPVersion IPVersion = Id_IPv4;
};
using TvxSocketBindings = std::vector<TvxSocketBinding>;

struct TvxSSLOptions {
  bool Active = false;
  ustring CertFile;
  ustring CipherList;
  ustring KeyFile;
  TIdSSLVersion Method = sslvSSLv2;
  TIdSSLVersions SSLVersions;
  TIdSSLMode Mode = sslmUnassigned;
  ustring RootCertFile;
  int32_t VerifyDepth = 0;
  ustring VerifyDirs;
  TIdSSLVerifyModeSet VerifyMode;
  // In plain, decoded from the stored form.
  ustring Password;
};

struct TvxHttpServerOptions {
  uint32_t SessionTimeOut = 0;  // ms
  uint32_t TerminateWaitTime = 5000;  // ms
  int32_t MaximumHeaderLineCount = 1024;
  int32_t MaxConnections = 0;  // 0: no limit
  TvxSocketBindings Bindings;
  TvxSSLOptions SSL;
};

struct TvxHttpClientOptions {
  int32_t MaxAuthRetries = 1;
  int32_t RedirectMaximum = 2;
  bool HandleRedirects = false;
  bool AllowCookies = false;
  int32_t ReadTimeout = 300000;   // ms
  int32_t ConnectTimeout = 5000;  // ms
  ustring BoundIP;
  int32_t BoundPort = 0;
  int32_t BoundPortMin = 0;
  int32_t BoundPortMax = 0;
  TvxSSLOptions SSL;
};

struct TvxSysLogClientOptions {
  bool Active = false;
  ustring Server = u"localhost";
  int32_t Port = 514;
  uint32_t ReceiveTimeOut = 2000;  // ms
  TSyslogFacility Facility = sfLocalUseZero;
  int32_t LogLevel = 2;  // the logging console's threshold
};

struct TvxSNMPClientOptions {
  bool Active = false;
  ustring Server = u"localhost";
  int32_t Port = 162;
};

class TvxClassFactory : public TObject {
 public:
  // Defaults, then the HTTP client options from the registry.
  TvxClassFactory();
  ~TvxClassFactory() override;
  TvxClassFactory(const TvxClassFactory&) = delete;
  TvxClassFactory& operator=(const TvxClassFactory&) = delete;

  // Not set by any operation of the factory.
  TvxGuardedValue<ustring> Message;
  const std::string Version = "2.0.0";
  // Not read by any operation of the factory.
  std::atomic<bool> Silent{false};
  // Set by the user: the server software of HTTP servers, the server name
  // of logging consoles.
  TvxGuardedValue<std::string> ServerName;
  // Set by the user: the technical name of the service for logging consoles.
  TvxGuardedValue<std::string> TechAppName;
  TvxGuardedValue<TvxHttpServerOptions> HttpServerOptions;
  TvxGuardedValue<TvxHttpClientOptions> HttpClientOptions;
  TvxGuardedValue<TvxSysLogClientOptions> SysLogClientOptions;
  TvxGuardedValue<TvxSNMPClientOptions> SNMPClientOptions;
  // Receives the factory's warnings (a client made without certificate
  // verification); empty: the system log (syslog(3), LOG_WARNING).
  TvxGuardedValue<std::function<void(const ustring&)>> OnWarning;

  // A server for Port (0: a free one) on every binding of
  // HttpServerOptions (none: every IPv4 address), with TLS when SSL.Active,
  // started when Activate. Raises for a port outside 0 to 65535 and, when
  // started, EHttpServerError for a binding that cannot be opened or TLS
  // settings that cannot be used. The server belongs to the caller.
  std::unique_ptr<THttpServer> CreateHttpServer(int32_t Port, bool Activate);

  // A client following HttpClientOptions, with TLS settings when SSL.Active
  // or when ServerUrl begins with "https://" (any case). Raises for a bound
  // port outside 0 to 65535 and ETlsError for TLS settings that cannot be
  // used. A client whose verify mode is empty verifies no certificate: each
  // such client is reported as a warning. The client belongs to the caller.
  std::unique_ptr<THttpClient> CreateHttpClient(const ustring& ServerUrl);

  // An unconnected syslog sender for SysLogClientOptions' server, port and
  // time-out.
  std::unique_ptr<vxSyslog::TSyslogClient> CreateSysLogClient();

  // Reads the HTTP server, syslog and SNMP options from the configuration
  // store of the host's data-link file: the nodes "/varlo/Software/Basics/"
  // HTTP, HTTP/SSL, SysLog and SNMP. A store that is not connected changes
  // nothing; an HTTP or HTTP/SSL node that cannot be read raises Exception
  // with the store's Message (options read before keep their new values);
  // a SysLog or SNMP node that cannot be read is passed over.
  void LoadK7Configuration();
  // A logging console for the calling service process: its names, its start
  // parameters ("--svcmode", "--instanceid", "--instancetoken"), its mutex
  // and log file "TechAppName-InstanceId", the store's syslog and SNMP
  // options, its settings registered, its title set and the console
  // cleared. An exception of LoadK7Configuration passes.
  std::unique_ptr<TvxConsoleTools> CreateEnterpriseServiceConsoleTools();
  // Reloads the store's options and gives the console the syslog and SNMP
  // ones; false, reading nothing, without a console.
  bool UpdateEnterpriseServiceConsoleTools(TvxConsoleTools* ConsoleTools);

  // The layers' TLS settings for one of the factory's TLS records.
  static TTlsSettings TlsSettings(const TvxSSLOptions& SSL);

 private:
  void ReadRegistryOptions();
  void Warn(const ustring& Text);
};

// The process's factory: made by the library's start-up, freed at unload;
// null before and after (and in programs that do not run the start-up).
// Its holder is never destroyed by the C++ run time: the unload may run
// after the static destructors (core/vxStartup.h).
extern std::unique_ptr<TvxClassFactory>& GlobalClassFactory;

namespace vxGlobalClassFactory {

// The start-up step that makes GlobalClassFactory, and its finalisation.
void Initialize();
void Finalize();

}  // namespace vxGlobalClassFactory
