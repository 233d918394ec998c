// TvxClassFactory: the options read from the registry and the components
// made from them.
#include "configstore/vxClassFactory.h"

#include <syslog.h>

#include "configstore/vxIndy.h"
#include "core/vxRegistry.h"
#include "foundation/vxCipherToolsEvo3.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxNeverDestroyed.h"
#include "platform/text/vxNumberText.h"
#include "platform/values/vxVariant.h"

namespace {

TNeverDestroyed<std::unique_ptr<TvxClassFactory>> GlobalClassFactoryHolder;

}  // namespace

std::unique_ptr<TvxClassFactory>& GlobalClassFactory = GlobalClassFactoryHolder.Get();

namespace {

constexpr char16_t HttpKey[] = u"SOFTWARE\\varlo\\System\\HTTP\\";

// Reads one value of the HTTP key; the conversion's error names the value.
template <class Convert>
auto ReadOption(const ustring& Name, const Variant& Default, Convert convert) {
  const Variant value = TvxRegistry::GetValue(HKEY_LOCAL_MACHINE, HttpKey, Name, Default, false);
  try {
    return convert(value);
  } catch (const EVariantTypeCastError& e) {
    throw EVariantTypeCastError(e.Message() + u" (registry value HKEY_LOCAL_MACHINE\\" + HttpKey + Name + u")");
  } catch (const EVariantOverflowError& e) {
    throw EVariantOverflowError(e.Message() + u" (registry value HKEY_LOCAL_MACHINE\\" + HttpKey + Name + u")");
  }
}

int32_t ReadInteger(const ustring& Name, int32_t Current) {
  return ReadOption(Name, Variant(Current), [](const Variant& v) { return v.AsInteger(); });
}

bool ReadBoolean(const ustring& Name, bool Current) {
  return ReadOption(Name, Variant(Current), [](const Variant& v) { return v.AsBoolean(); });
}

ustring ReadText(const ustring& Name, const ustring& Default) {
  return ReadOption(Name, Variant(Default), [](const Variant& v) { return v.AsString(); });
}

// A text that passes the system code page on its way in.
std::string ReadAnsiText(const ustring& Name, const ustring& Default) {
  return ReadOption(Name, Variant(Default), [](const Variant& v) { return v.AsAnsiString(); });
}

uint16_t CheckedPort(const char* What, int32_t Port) {
  if (Port < 0 || Port > 65535)
    throw Exception(std::string(What) + " " + vxNumberText::IntText(Port) + " is no port (0 to 65535)");
  return static_cast<uint16_t>(Port);
}

bool BeginsWithHttps(const ustring& Url) {
  static constexpr char16_t prefix[] = u"https://";
  if (Url.size() < 8) return false;
  for (size_t i = 0; i < 8; ++i) {
    char16_t c = Url[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

TvxClassFactory::TvxClassFactory() { ReadRegistryOptions(); }

TvxClassFactory::~TvxClassFactory() = default;

void TvxClassFactory::ReadRegistryOptions() {
  TvxHttpClientOptions o = HttpClientOptions;
  o.MaxAuthRetries = ReadInteger(u"MaxAuthRetries", o.MaxAuthRetries);
  o.RedirectMaximum = ReadInteger(u"RedirectMaximum", o.RedirectMaximum);
  o.AllowCookies = ReadBoolean(u"AllowCookies", o.AllowCookies);
  o.ReadTimeout = ReadInteger(u"ReadTimeout", o.ReadTimeout);
  o.ConnectTimeout = ReadInteger(u"ConnectTimeout", o.ConnectTimeout);
  o.BoundIP = AnsiToWide(ReadAnsiText(u"BoundIP", o.BoundIP));
  o.BoundPort = ReadInteger(u"BoundPort", o.BoundPort);
  o.BoundPortMin = ReadInteger(u"BoundPortMin", o.BoundPortMin);
  o.BoundPortMax = ReadInteger(u"BoundPortMax", o.BoundPortMax);
  o.SSL.Active = ReadBoolean(u"UseSSL", o.SSL.Active);
  o.SSL.CertFile = ReadText(u"CertFile", u"");
  o.SSL.CipherList = AnsiToWide(ReadAnsiText(u"CipherList", u""));
  o.SSL.KeyFile = ReadText(u"KeyFile", u"");
  o.SSL.RootCertFile = ReadText(u"RootCertFile", u"");
  o.SSL.VerifyDepth = ReadInteger(u"VerifyDepth", 1);
  o.SSL.VerifyDirs = AnsiToWide(ReadAnsiText(u"VerifyDirs", u""));
  o.SSL.Password = AnsiToWide(TvxCipher::DecodeLogon(ReadAnsiText(u"Password", u"")));
  o.SSL.Method = TvxIndy::GetSSLMethod(ReadText(u"Method", u"TLSv1_2"));
  o.SSL.SSLVersions = TvxIndy::GetSSLVersions(ReadText(u"SSLVersions", u"[TLSv1_2]"));
  o.SSL.Mode = TvxIndy::GetSSLMode(ReadText(u"Mode", u"Both"));
  o.SSL.VerifyMode = TvxIndy::GetSSLVerifyMode(ReadText(u"VerifyMode", u""));
  // HandleRedirects is not read: it stays off.
  HttpClientOptions = std::move(o);
}

TTlsSettings TvxClassFactory::TlsSettings(const TvxSSLOptions& SSL) {
  TTlsSettings tls;
  tls.CertFile = WideToUtf8(SSL.CertFile);
  tls.KeyFile = WideToUtf8(SSL.KeyFile);
  tls.RootCertFile = WideToUtf8(SSL.RootCertFile);
  tls.VerifyDirs = WideToUtf8(SSL.VerifyDirs);
  tls.CipherList = WideToUtf8(SSL.CipherList);
  tls.Method = SSL.Method;
  tls.SSLVersions = SSL.SSLVersions;
  tls.Mode = SSL.Mode;
  tls.VerifyDepth = SSL.VerifyDepth;
  tls.VerifyMode = SSL.VerifyMode;
  // A copy of the password: the settings never reach back into the factory.
  tls.OnGetPassword = [password = WideToUtf8(SSL.Password)] { return password; };
  return tls;
}

std::unique_ptr<THttpServer> TvxClassFactory::CreateHttpServer(int32_t Port, bool Activate) {
  const TvxHttpServerOptions o = HttpServerOptions;
  THttpServerOptions options;
  options.DefaultPort = CheckedPort("the server port", Port);
  options.ServerSoftware = ServerName;
  options.TerminateWaitTime = o.TerminateWaitTime;
  options.MaximumHeaderLineCount = o.MaximumHeaderLineCount;
  options.MaxConnections = o.MaxConnections;
  for (const TvxSocketBinding& b : o.Bindings) options.Bindings.push_back({b.IP, b.IPVersion, options.DefaultPort});
  if (o.SSL.Active) options.Tls = TlsSettings(o.SSL);
  auto server = std::make_unique<THttpServer>(std::move(options));
  if (Activate) server->Start();
  return server;
}

std::unique_ptr<THttpClient> TvxClassFactory::CreateHttpClient(const ustring& ServerUrl) {
  const TvxHttpClientOptions o = HttpClientOptions;
  THttpClientOptions options;
  options.MaxAuthRetries = o.MaxAuthRetries;
  options.RedirectMaximum = o.RedirectMaximum;
  options.AllowCookies = o.AllowCookies;
  options.HandleRedirects = o.HandleRedirects;
  options.ReadTimeout = o.ReadTimeout;
  options.ConnectTimeout = o.ConnectTimeout;
  options.BoundIP = WideToUtf8(o.BoundIP);
  options.BoundPort = CheckedPort("BoundPort", o.BoundPort);
  options.BoundPortMin = CheckedPort("BoundPortMin", o.BoundPortMin);
  options.BoundPortMax = CheckedPort("BoundPortMax", o.BoundPortMax);
  const bool tls = o.SSL.Active || BeginsWithHttps(ServerUrl);
  if (tls) options.Tls = TlsSettings(o.SSL);
  auto client = std::make_unique<THttpClient>(std::move(options));
  if (tls && o.SSL.VerifyMode.Empty())
    Warn(u"HTTP client for \"" + ServerUrl +
         u"\" made without certificate verification: the TLS verify mode is empty, any server is trusted");
  return client;
}

std::unique_ptr<vxSyslog::TSyslogClient> TvxClassFactory::CreateSysLogClient() {
  const TvxSysLogClientOptions o = SysLogClientOptions;
  auto client = std::make_unique<vxSyslog::TSyslogClient>();
  client->Host = WideToUtf8(o.Server);
  client->Port = CheckedPort("the syslog port", o.Port);
  client->ReceiveTimeout = o.ReceiveTimeOut;
  return client;
}

void TvxClassFactory::Warn(const ustring& Text) {
  const std::function<void(const ustring&)> sink = OnWarning;
  if (sink) {
    sink(Text);
    return;
  }
  syslog(LOG_USER | LOG_WARNING, "%s", WideToUtf8(Text).c_str());
}

namespace vxGlobalClassFactory {

void Initialize() { GlobalClassFactory = std::make_unique<TvxClassFactory>(); }

void Finalize() { GlobalClassFactory.reset(); }

}  // namespace vxGlobalClassFactory
