// ModuleDescription, kept under a lock so any thread may read it.
#include "foundation/vxModuleDescription.h"

#include <mutex>

#include "core/vxToolsModule.h"
#include "platform/base/vxCodePage.h"

namespace vxModuleDescription {
namespace {

std::mutex Lock;
std::string Description;

}  // namespace

std::string ModuleDescription() {
  std::lock_guard<std::mutex> guard(Lock);
  return Description;
}

void Initialize() {
  TvxFileInfo info;
  const std::string text =
      ReadFileInfo(TvxTools::GetModuleFileName(), info)
          ? WideToAnsi(info.FileDescription + u" " + info.ProductVersion + u" (" + info.FileVersion + u")")
          : std::string("Unknown");
  std::lock_guard<std::mutex> guard(Lock);
  Description = text;
}

void Finalize() {
  std::lock_guard<std::mutex> guard(Lock);
  Description.clear();
}

}  // namespace vxModuleDescription
