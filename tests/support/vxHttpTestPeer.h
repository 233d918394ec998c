// Python's http.server as a foreign HTTP peer (scripts/http_peer.py), plain
// or over TLS with the test certificates, on a free port of 127.0.0.1 for
// one test; see the script for what it answers. Header-only so that bench/
// can use it.
#pragma once

#include <string>

#include "support/vxPeerScript.h"
#include "support/vxTestCertificates.h"

namespace vxTest {

class THttpTestPeer {
 public:
  explicit THttpTestPeer(bool Tls = false)
      : FTls(Tls),
        FPeer("http_peer.py", Tls ? std::vector<std::string>{"--cert", TTestCertificates::Get().File("server.pem"),
                                                             "--key", TTestCertificates::Get().File("server.key")}
                                  : std::vector<std::string>{}) {}

  uint16_t Port() const { return FPeer.Port(); }
  // "http://127.0.0.1:PORT" + Path (https with TLS).
  std::string Url(const std::string& Path) const {
    return std::string(FTls ? "https" : "http") + "://127.0.0.1:" + std::to_string(Port()) + Path;
  }

 private:
  bool FTls;
  TPeerScript FPeer;
};

}  // namespace vxTest
