// Module and executable paths from the dynamic loader and /proc.
#include "platform/version/vxModule.h"

#include <dlfcn.h>
#include <link.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "platform/files/vxFileSystem.h"

namespace vxModule {
namespace {

// An address inside this module, for dladdr.
void Anchor() {}

// The absolute, link-free form of a path the loader gave (it may be
// relative to the folder the process started in).
std::string Resolved(const char* path) {
  std::unique_ptr<char, decltype(&free)> real(realpath(path, nullptr), &free);
  return real ? std::string(real.get()) : std::string(path);
}

}  // namespace

ustring ModuleFileNameOf(const void* Address) {
  Dl_info info{};
  link_map* map = nullptr;
  if (dladdr1(Address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0) return {};
  // The main program's map has no name; the loader would give its start
  // name (argv[0]), which /proc resolves properly.
  if (map == nullptr || map->l_name == nullptr || map->l_name[0] == '\0') return ExecutableFileName();
  return vxFileSystem::FromNativePath(Resolved(map->l_name));
}

ustring OwnModuleFileName() { return ModuleFileNameOf(reinterpret_cast<const void*>(&Anchor)); }

ustring ExecutableFileName() {
  std::string buffer(PATH_MAX, '\0');
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<size_t>(length) >= buffer.size()) return {};
  buffer.resize(static_cast<size_t>(length));
  return vxFileSystem::FromNativePath(buffer);
}

}  // namespace vxModule
