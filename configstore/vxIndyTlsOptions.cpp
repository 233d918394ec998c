// TvxIndy: the readers of the TLS option texts and of IP versions.
#include "configstore/vxIndy.h"

#include "core/vxStringsReplace.h"
#include "core/vxToolsEvo2.h"
#include "platform/lists/vxStringList.h"

namespace TvxIndy {

TIdSSLVersion GetSSLMethod(const ustring& Method) {
  const ustring upper = UpperStrW(Method);
  static const std::pair<const char16_t*, TIdSSLVersion> names[] = {
      {u"SSLV2", sslvSSLv2}, {u"SSLV23", sslvSSLv23},    {u"SSLV3", sslvSSLv3},
      {u"TLSV1", sslvTLSv1}, {u"TLSV1_1", sslvTLSv1_1}, {u"TLSV1_2", sslvTLSv1_2},
  };
  for (const auto& [name, version] : names)
    if (upper == name) return version;
  return sslvTLSv1_1;
}

TIdSSLVersions GetSSLVersions(const ustring& Versions) {
  if (Versions.empty()) return {sslvTLSv1_1};
  ustring bare = UpperStrW(Versions);
  std::erase_if(bare, [](char16_t c) { return c == u'[' || c == u']'; });
  TStringList pieces;
  TvxStrings::SplitStringW(bare, u",", pieces);
  TIdSSLVersions result;
  for (int32_t i = 0; i < pieces.Count(); ++i) result.Include(GetSSLMethod(pieces[i]));
  return result;
}

TIdSSLMode GetSSLMode(const ustring& Mode) {
  const ustring upper = UpperStrW(Mode);
  if (upper == u"UNASSIGNED") return sslmUnassigned;
  if (upper == u"CLIENT") return sslmClient;
  if (upper == u"BOTH") return sslmBoth;
  return sslmServer;
}

TIdSSLVerifyModeSet GetSSLVerifyMode(const ustring& Mode) {
  const ustring upper = UpperStrW(Mode);
  TIdSSLVerifyModeSet result;
  // "VRFPEER" is no part of the other two names, so each search stands alone.
  if (upper.find(u"VRFPEER") != ustring::npos) result.Include(sslvrfPeer);
  if (upper.find(u"VRFFAILIFNOPEERCERT") != ustring::npos) result.Include(sslvrfFailIfNoPeerCert);
  if (upper.find(u"VRFCLIENTONCE") != ustring::npos) result.Include(sslvrfClientOnce);
  return result;
}

TIdIPVersion GetIPVersion(const std::string& IP) { return IP.find(':') != std::string::npos ? Id_IPv6 : Id_IPv4; }

}  // namespace TvxIndy
