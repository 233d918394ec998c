// The exception classes of the system. Every error raised inside the system
// is an Exception or one of its subclasses; the class name is part of some
// error texts ("sendmail exception (" + class name + " - " + message + ")").
#pragma once

#include <exception>
#include <string>

#include "platform/base/vxBase.h"

class Exception : public std::exception {
 public:
  explicit Exception(ustring Message);
  explicit Exception(const char* Utf8Message);
  explicit Exception(const std::string& Utf8Message);

  const ustring& Message() const noexcept { return FMessage; }
  // The message as UTF-8.
  const char* what() const noexcept override { return FUtf8.c_str(); }
  virtual const char* ClassName() const noexcept { return "Exception"; }

 private:
  ustring FMessage;
  std::string FUtf8;
};

// Declares an exception subclass that reports its own class name.
#define VX_DECLARE_EXCEPTION(Name, Base)                                     \
  class Name : public Base {                                                 \
   public:                                                                   \
    using Base::Base;                                                        \
    const char* ClassName() const noexcept override { return #Name; }        \
  }

// A value that cannot be converted (text to number, date, Boolean ...).
VX_DECLARE_EXCEPTION(EConvertError, Exception);
// Failures of the 8-bit and UTF-16 string lists.
VX_DECLARE_EXCEPTION(EStringListError, Exception);
// An operation that a base class leaves to its subclasses.
VX_DECLARE_EXCEPTION(EAbstractError, Exception);

// A failed operating-system call, with its errno value.
class EOSError : public Exception {
 public:
  EOSError(ustring Message, int ErrorCode) : Exception(std::move(Message)), ErrorCode(ErrorCode) {}
  EOSError(const char* Utf8Message, int ErrorCode) : Exception(Utf8Message), ErrorCode(ErrorCode) {}
  EOSError(const std::string& Utf8Message, int ErrorCode) : Exception(Utf8Message), ErrorCode(ErrorCode) {}
  const char* ClassName() const noexcept override { return "EOSError"; }

  // Raises an EOSError for errno, with the system's message for it.
  [[noreturn]] static void RaiseLastOSError();
  [[noreturn]] static void RaiseOSError(int ErrorCode);

  int ErrorCode;
};

namespace vxExceptions {

// The system's text for an errno value, as UTF-8 (the one strerror_r wrapper).
std::string ErrnoText(int ErrorCode);

}  // namespace vxExceptions
