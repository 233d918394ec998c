// The throw-away certificate authority and certificates of
// scripts/test_certificates.sh, made once per process (with openssl) in a
// folder of their own that goes when the process ends. Header-only so that
// bench/ can use it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "support/vxPeerScript.h"
#include "support/vxRunProgram.h"

namespace vxTest {

class TTestCertificates {
 public:
  static const TTestCertificates& Get() {
    static const TTestCertificates certificates;
    return certificates;
  }

  // A file of the folder: "ca.pem", "server.pem", "server.key", ...
  std::string File(const std::string& Name) const { return (FFolder / Name).string(); }

  ~TTestCertificates() {
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
  }
  TTestCertificates(const TTestCertificates&) = delete;
  TTestCertificates& operator=(const TTestCertificates&) = delete;

 private:
  TTestCertificates() {
    char pattern[] = "/tmp/vx-certs-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a folder for the certificates");
    FFolder = pattern;
    const TProgramResult made =
        RunProgram({"/bin/bash", TPeerScript::ScriptPath("test_certificates.sh"), FFolder.string()});
    if (made.ExitStatus != 0) throw std::runtime_error("the test certificates were not made: " + made.Output);
  }

  std::filesystem::path FFolder;
};

}  // namespace vxTest
