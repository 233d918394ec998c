// What the mail engine's failure texts take from a caught exception: its
// message and its class name ("sendmail exception (" + class name + " - " +
// message + ")"). Shared by the engine's source files.
#pragma once

#include <exception>

#include "platform/base/vxBase.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"

namespace vxMailToolsFailure {

inline ustring FailureText(const std::exception& Failure) {
  if (const auto* e = dynamic_cast<const Exception*>(&Failure)) return e->Message();
  return Utf8ToWide(Failure.what());
}

inline const char* FailureClass(const std::exception& Failure) {
  if (const auto* e = dynamic_cast<const Exception*>(&Failure)) return e->ClassName();
  return "Exception";
}

}  // namespace vxMailToolsFailure
