// Run-time loading of shared libraries through the dynamic loader.
#include "platform/version/vxModuleLoader.h"

#include <dlfcn.h>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileSystem.h"

namespace {

ustring LoaderReason() {
  const char* reason = dlerror();
  return reason != nullptr ? Utf8ToWide(reason) : ustring(u"unknown reason");
}

}  // namespace

void TModuleLoader::Load(const ustring& FileName) {
  Unload();
  dlerror();
  FHandle = dlopen(vxFileSystem::NativePath(FileName).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (FHandle == nullptr) throw Exception(u"cannot load \"" + FileName + u"\": " + LoaderReason());
  FFileName = FileName;
}

void* TModuleLoader::Symbol(const char* Name) const {
  if (FHandle == nullptr) throw Exception(u"no module loaded");
  dlerror();
  void* address = dlsym(FHandle, Name);
  if (address == nullptr) throw Exception(u"\"" + FFileName + u"\" has no function " + Utf8ToWide(Name));
  return address;
}

void TModuleLoader::Unload() noexcept {
  if (FHandle != nullptr) dlclose(FHandle);
  FHandle = nullptr;
  FFileName.clear();
}
