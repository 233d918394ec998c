// The files behind the running code: the module (shared library or
// executable) that holds a given address, found through dladdr, and the
// process's executable through /proc/self/exe.
#pragma once

#include "platform/base/vxBase.h"

namespace vxModule {

// The full path of the module that holds Address; empty when it cannot be
// found.
ustring ModuleFileNameOf(const void* Address);
// The module that holds this code: the shared library it is linked into,
// or the executable when it is linked into that.
ustring OwnModuleFileName();
// The process's executable file; empty when /proc cannot tell.
ustring ExecutableFileName();

}  // namespace vxModule
