// ModuleDescription, kept under a lock so any thread may read it.
#include "foundation/vxModuleDescription.h"

#include <mutex>

#include "core/vxToolsModule.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxNeverDestroyed.h"

namespace vxModuleDescription {
namespace {

struct TShared {
  std::mutex Lock;
  std::string Description;
};

// Never destroyed: Finalize may run after the static destructors (a host
// that ends without unloading the library).
TShared& Shared() {
  static TNeverDestroyed<TShared> shared;
  return shared.Get();
}

}  // namespace

std::string ModuleDescription() {
  TShared& s = Shared();
  std::lock_guard<std::mutex> guard(s.Lock);
  return s.Description;
}

void Initialize() {
  TvxFileInfo info;
  const std::string text =
      ReadFileInfo(TvxTools::GetModuleFileName(), info)
          ? WideToAnsi(info.FileDescription + u" " + info.ProductVersion + u" (" + info.FileVersion + u")")
          : std::string("Unknown");
  TShared& s = Shared();
  std::lock_guard<std::mutex> guard(s.Lock);
  s.Description = text;
}

void Finalize() {
  TShared& s = Shared();
  std::lock_guard<std::mutex> guard(s.Lock);
  // Cleared with its memory given back: an unloaded library leaves nothing.
  std::string().swap(s.Description);
}

}  // namespace vxModuleDescription
