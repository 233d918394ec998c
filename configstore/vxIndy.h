// TvxIndy: the operations of the network unit on the HTTP layer. These are
// the readers of the TLS option texts of the configuration (method, version
// set, mode, verify flags) and of an address's IP version. The texts are
// compared after UpperStrW; an unknown text never fails, it takes the
// reader's fallback.
#pragma once

#include <string>

#include "platform/base/vxBase.h"
#include "platform/http/vxHttpServer.h"
#include "platform/http/vxTlsSettings.h"

namespace TvxIndy {

// "SSLv2", "SSLv23", "SSLv3", "TLSv1", "TLSv1_1", "TLSv1_2" in any case,
// compared whole; anything else (the empty text too) gives sslvTLSv1_1.
TIdSSLVersion GetSSLMethod(const ustring& Method);

// Every "[" and "]" removed, the rest split at "," (pieces kept as they
// are, empty ones included) and each read by GetSSLMethod: '[]' gives the
// empty set, 'TLSv1_2, TLSv1' gives TLSv1_1 and TLSv1_2 (the blank spoils a
// piece). The empty text gives [sslvTLSv1_1].
TIdSSLVersions GetSSLVersions(const ustring& Versions);

// "UNASSIGNED", "SERVER", "CLIENT", "BOTH"; anything else gives sslmServer.
TIdSSLMode GetSSLMode(const ustring& Mode);

// The flags whose names occur anywhere in the text: "VRFPEER",
// "VRFFAILIFNOPEERCERT", "VRFCLIENTONCE" ('[sslvrfPeer,sslvrfClientOnce]').
TIdSSLVerifyModeSet GetSSLVerifyMode(const ustring& Mode);

// Id_IPv6 when the address holds a ":", else Id_IPv4 (the empty text too).
TIdIPVersion GetIPVersion(const std::string& IP);

}  // namespace TvxIndy
