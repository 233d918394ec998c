// The text of OpenSSL's error queue.
#include "platform/net/vxTlsError.h"

#include <openssl/err.h>

namespace vxTlsError {

std::string TakeErrorText() {
  std::string text;
  while (const unsigned long code = ERR_get_error()) {
    char buffer[256];
    ERR_error_string_n(code, buffer, sizeof buffer);
    if (!text.empty()) text += "; ";
    text += buffer;
  }
  return text.empty() ? "unknown TLS failure" : text;
}

}  // namespace vxTlsError
