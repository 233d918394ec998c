// The exception classes and the system's errno texts.
#include "platform/base/vxExceptions.h"

#include <cerrno>
#include <cstring>

#include "platform/base/vxCodePage.h"

Exception::Exception(ustring Message) : FMessage(std::move(Message)), FUtf8(WideToUtf8(FMessage)) {}

Exception::Exception(const char* Utf8Message) : FMessage(Utf8ToWide(Utf8Message)), FUtf8(Utf8Message) {}

Exception::Exception(const std::string& Utf8Message) : FMessage(Utf8ToWide(Utf8Message)), FUtf8(Utf8Message) {}

std::string vxExceptions::ErrnoText(int ErrorCode) {
  char buffer[256];
  // The GNU strerror_r returns the text, which may or may not be in buffer.
  const char* text = strerror_r(ErrorCode, buffer, sizeof buffer);
  return text ? std::string(text) : std::string();
}

void EOSError::RaiseOSError(int ErrorCode) { throw EOSError(vxExceptions::ErrnoText(ErrorCode), ErrorCode); }

void EOSError::RaiseLastOSError() { RaiseOSError(errno); }
