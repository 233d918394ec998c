// The exception classes of the system. Every error raised inside the system
// is an Exception or one of its subclasses; the class name is part of some
// error texts ("sendmail exception (" + class name + " - " + message + ")").
#pragma once

#include <exception>
#include <string>

#include "platform/base/vxBase.h"

class Exception : public std::exception {
 public:
  explicit Exception(ustring message);
  explicit Exception(const char* utf8Message);

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
  EOSError(ustring message, int errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}
  EOSError(const char* utf8Message, int errorCode) : Exception(utf8Message), ErrorCode(errorCode) {}
  const char* ClassName() const noexcept override { return "EOSError"; }

  // Raises an EOSError for errno, with the system's message for it.
  [[noreturn]] static void RaiseLastOSError();
  [[noreturn]] static void RaiseOSError(int errorCode);

  int ErrorCode;
};
