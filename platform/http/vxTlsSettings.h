// The TLS options of HTTP servers and clients, in the terms the system's
// configuration uses (a method, a set of protocol versions, a mode, a set of
// verify flags, certificate files, a password callback), and how they become
// an OpenSSL context:
//
//   versions      the enabled set is SSLVersions, or Method alone when that
//                 set is empty; SSLv23 enables every version the TLS library
//                 offers (up to TLS 1.3); otherwise the lowest and highest
//                 TLS version of the set bound the range and a version
//                 missing inside it is switched off. Only the named versions
//                 are ever offered, so [TLSv1_2] pins TLS 1.2. SSLv2 and
//                 SSLv3 do not exist in OpenSSL 3: a set naming them fails.
//                 Versions below what the system's OpenSSL security level
//                 admits fail at the handshake with OpenSSL's text; the
//                 system policy is not overridden.
//   VerifyMode    Peer, FailIfNoPeerCert and ClientOnce are OpenSSL's
//                 SSL_VERIFY_PEER, _FAIL_IF_NO_PEER_CERT and _CLIENT_ONCE;
//                 the empty set verifies nothing.
//   VerifyDepth   the chain depth OpenSSL accepts.
//   RootCertFile, VerifyDirs
//                 the trusted certificates (a PEM file, a hashed folder);
//                 for a client they replace the system's trusted ones.
//   CertFile, KeyFile
//                 the own certificate chain and its key (PEM); KeyFile empty
//                 takes the key from CertFile. An encrypted key is opened
//                 with the text OnGetPassword gives.
//   CipherList    OpenSSL's cipher list for TLS 1.2 and below; empty keeps
//                 the library's.
//   Mode          kept for the configuration; the side that makes the
//                 context (client or server) decides the role.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/base/vxEnumSet.h"
#include "platform/net/vxTcpConnection.h"

// The configuration's names of the protocol versions, modes and verify flags.
enum TIdSSLVersion : uint8_t { sslvSSLv2, sslvSSLv23, sslvSSLv3, sslvTLSv1, sslvTLSv1_1, sslvTLSv1_2 };
using TIdSSLVersions = TEnumSet<TIdSSLVersion>;
enum TIdSSLMode : uint8_t { sslmUnassigned, sslmClient, sslmServer, sslmBoth };
enum TIdSSLVerifyMode : uint8_t { sslvrfPeer, sslvrfFailIfNoPeerCert, sslvrfClientOnce };
using TIdSSLVerifyModeSet = TEnumSet<TIdSSLVerifyMode>;

struct TTlsSettings {
  // File system paths.
  std::string CertFile;
  std::string KeyFile;
  std::string RootCertFile;
  std::string VerifyDirs;
  std::string CipherList;
  TIdSSLVersion Method = sslvTLSv1_2;
  TIdSSLVersions SSLVersions{sslvTLSv1_2};
  TIdSSLMode Mode = sslmBoth;
  int32_t VerifyDepth = 1;
  TIdSSLVerifyModeSet VerifyMode;
  // The password of an encrypted key; may be empty.
  std::function<std::string()> OnGetPassword;
};

// OpenSSL's context, declared here so that callers need no OpenSSL header.
struct ssl_ctx_st;

namespace vxTlsSettings {

enum class TTlsSide { Client, Server };

// The versions the settings enable (see above).
TIdSSLVersions EnabledVersions(const TTlsSettings& Settings);

// Makes Context follow Settings for Side. Raises ETlsError (of
// platform/net) with a text naming the option that cannot be used: SSLv2
// or SSLv3, a cipher list OpenSSL rejects, a certificate, key or trust file
// that cannot be read, a key that does not fit its certificate.
void ConfigureContext(ssl_ctx_st* Context, const TTlsSettings& Settings, TTlsSide Side);

// ConfigureContext on a context of its own, to find unusable settings
// before any connection is made. Raises as ConfigureContext does.
void CheckSettings(const TTlsSettings& Settings, TTlsSide Side);

// Runs the TLS library's initialisation (again); True when it succeeds.
// OpenSSL 3 sets itself up once per process and keeps nothing that could
// be unloaded and loaded afresh, so running it again changes nothing.
bool InitializeLibrary();

}  // namespace vxTlsSettings
