#include "platform/base/vxExceptions.h"

#include <cerrno>
#include <cstring>

#include "platform/base/vxCodePage.h"

Exception::Exception(ustring message) : FMessage(std::move(message)), FUtf8(WideToUtf8(FMessage)) {}

Exception::Exception(const char* utf8Message) : FMessage(Utf8ToWide(utf8Message)), FUtf8(utf8Message) {}

void EOSError::RaiseOSError(int errorCode) {
  char buffer[256];
  // The GNU strerror_r returns the text, which may or may not be in buffer.
  const char* text = strerror_r(errorCode, buffer, sizeof buffer);
  throw EOSError(text, errorCode);
}

void EOSError::RaiseLastOSError() { RaiseOSError(errno); }
