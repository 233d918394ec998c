// The TLS options of HTTP servers and clients applied to OpenSSL contexts.
#include "platform/http/vxTlsSettings.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/net/vxTlsError.h"

namespace vxTlsSettings {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw ETlsError(what + ": " + vxTlsError::TakeErrorText());
}

// The TLS versions of the set, lowest first, as OpenSSL numbers them.
struct TTlsVersion {
  TIdSSLVersion Name;
  int Number;
  uint64_t Off;  // the option that switches it off
};
constexpr TTlsVersion TlsVersions[] = {
    {sslvTLSv1, TLS1_VERSION, SSL_OP_NO_TLSv1},
    {sslvTLSv1_1, TLS1_1_VERSION, SSL_OP_NO_TLSv1_1},
    {sslvTLSv1_2, TLS1_2_VERSION, SSL_OP_NO_TLSv1_2},
};

void ApplyVersions(SSL_CTX* ctx, const TTlsSettings& settings) {
  const TIdSSLVersions versions = EnabledVersions(settings);
  for (const auto& [name, text] : {std::pair{sslvSSLv2, "SSLv2"}, std::pair{sslvSSLv3, "SSLv3"}}) {
    if (versions.Contains(name))
      throw ETlsError(std::string("the TLS version ") + text +
                      " is not available: OpenSSL 3 has no SSL 2.0 or 3.0 (use TLSv1_2)");
  }
  if (versions.Contains(sslvSSLv23)) {
    // Every version the library offers.
    SSL_CTX_set_min_proto_version(ctx, 0);
    SSL_CTX_set_max_proto_version(ctx, 0);
    return;
  }
  int low = -1, high = -1;
  for (int i = 0; i < static_cast<int>(std::size(TlsVersions)); ++i) {
    if (!versions.Contains(TlsVersions[i].Name)) continue;
    if (low < 0) low = i;
    high = i;
  }
  if (low < 0) throw ETlsError("no TLS version is enabled");
  SSL_CTX_set_min_proto_version(ctx, TlsVersions[low].Number);
  SSL_CTX_set_max_proto_version(ctx, TlsVersions[high].Number);
  for (int i = low; i <= high; ++i)
    if (!versions.Contains(TlsVersions[i].Name)) SSL_CTX_set_options(ctx, TlsVersions[i].Off);
}

// The password callback of OpenSSL: Userdata is the settings.
int PasswordCallback(char* buffer, int size, int /*rwflag*/, void* userdata) {
  const auto* settings = static_cast<const TTlsSettings*>(userdata);
  if (!settings->OnGetPassword || size <= 0) return 0;
  try {
    const std::string password = settings->OnGetPassword();
    const size_t n = std::min(password.size(), static_cast<size_t>(size));
    std::memcpy(buffer, password.data(), n);
    return static_cast<int>(n);
  } catch (...) {
    return -1;  // no password: the key stays closed
  }
}

void ApplyOwnCertificate(SSL_CTX* ctx, const TTlsSettings& settings) {
  if (settings.CertFile.empty() && settings.KeyFile.empty()) return;
  if (settings.CertFile.empty()) throw ETlsError("a key file \"" + settings.KeyFile + "\" needs a certificate file");
  if (SSL_CTX_use_certificate_chain_file(ctx, settings.CertFile.c_str()) != 1)
    Fail("cannot use the certificate file \"" + settings.CertFile + "\"");
  const std::string& keyFile = settings.KeyFile.empty() ? settings.CertFile : settings.KeyFile;
  // The callback reads Settings only while the key is loaded here.
  SSL_CTX_set_default_passwd_cb(ctx, PasswordCallback);
  SSL_CTX_set_default_passwd_cb_userdata(ctx, const_cast<TTlsSettings*>(&settings));
  const int loaded = SSL_CTX_use_PrivateKey_file(ctx, keyFile.c_str(), SSL_FILETYPE_PEM);
  SSL_CTX_set_default_passwd_cb(ctx, nullptr);
  SSL_CTX_set_default_passwd_cb_userdata(ctx, nullptr);
  const bool mismatch = ERR_GET_REASON(ERR_peek_last_error()) == X509_R_KEY_VALUES_MISMATCH;
  if (mismatch || (loaded == 1 && SSL_CTX_check_private_key(ctx) != 1))
    Fail("the key file \"" + keyFile + "\" does not fit the certificate \"" + settings.CertFile + "\"");
  if (loaded != 1) Fail("cannot use the key file \"" + keyFile + "\" (no key, or a wrong password)");
}

void ApplyTrust(SSL_CTX* ctx, const TTlsSettings& settings, TTlsSide side) {
  if (settings.RootCertFile.empty() && settings.VerifyDirs.empty()) return;
  if (side == TTlsSide::Client) {
    // Only the named certificates are trusted, not the system's as well.
    X509_STORE* store = X509_STORE_new();
    if (store == nullptr) Fail("cannot make a certificate store");
    SSL_CTX_set_cert_store(ctx, store);
  }
  const char* file = settings.RootCertFile.empty() ? nullptr : settings.RootCertFile.c_str();
  const char* dir = settings.VerifyDirs.empty() ? nullptr : settings.VerifyDirs.c_str();
  if (SSL_CTX_load_verify_locations(ctx, file, dir) != 1)
    Fail("cannot read the trusted certificates \"" + (file ? settings.RootCertFile : settings.VerifyDirs) + "\"");
}

int VerifyFlags(TIdSSLVerifyModeSet mode) {
  int flags = SSL_VERIFY_NONE;
  if (mode.Contains(sslvrfPeer)) flags |= SSL_VERIFY_PEER;
  if (mode.Contains(sslvrfFailIfNoPeerCert)) flags |= SSL_VERIFY_FAIL_IF_NO_PEER_CERT;
  if (mode.Contains(sslvrfClientOnce)) flags |= SSL_VERIFY_CLIENT_ONCE;
  return flags;
}

}  // namespace

TIdSSLVersions EnabledVersions(const TTlsSettings& Settings) {
  return Settings.SSLVersions.Empty() ? TIdSSLVersions{Settings.Method} : Settings.SSLVersions;
}

void ConfigureContext(ssl_ctx_st* Context, const TTlsSettings& Settings, TTlsSide Side) {
  ERR_clear_error();
  ApplyVersions(Context, Settings);
  if (!Settings.CipherList.empty() && SSL_CTX_set_cipher_list(Context, Settings.CipherList.c_str()) != 1)
    Fail("the cipher list \"" + Settings.CipherList + "\" names no usable cipher");
  ApplyOwnCertificate(Context, Settings);
  ApplyTrust(Context, Settings, Side);
  SSL_CTX_set_verify(Context, VerifyFlags(Settings.VerifyMode), nullptr);
  SSL_CTX_set_verify_depth(Context, Settings.VerifyDepth);
}

void CheckSettings(const TTlsSettings& Settings, TTlsSide Side) {
  ERR_clear_error();
  std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(
      SSL_CTX_new(Side == TTlsSide::Client ? TLS_client_method() : TLS_server_method()), SSL_CTX_free);
  if (!context) Fail("cannot make a TLS context");
  ConfigureContext(context.get(), Settings, Side);
}

bool InitializeLibrary() { return OPENSSL_init_ssl(0, nullptr) == 1; }

}  // namespace vxTlsSettings
