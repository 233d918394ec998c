// The configuration store's units with start-up work, appended to the
// foundation's steps.
#include "configstore/vxConfigStoreStartup.h"

#include <vector>

#include "configstore/vxClassFactory.h"
#include "configstore/vxDocLogStore.h"
#include "foundation/vxFoundationStartup.h"

namespace vxConfigStoreStartup {

std::span<const vxStartup::TStartupStep> ConfigStoreSteps() {
  static constexpr vxStartup::TStartupStep steps[] = {
      {"vxNet", vxGlobalClassFactory::Initialize, vxGlobalClassFactory::Finalize},
      {"vxDocLog", vxDocLogStore::Initialize, vxDocLogStore::Finalize},
  };
  return steps;
}

std::span<const vxStartup::TStartupStep> LibrarySteps() {
  static const std::vector<vxStartup::TStartupStep> steps = [] {
    const auto lower = vxFoundationStartup::LibrarySteps();
    std::vector<vxStartup::TStartupStep> all(lower.begin(), lower.end());
    all.insert(all.end(), ConfigStoreSteps().begin(), ConfigStoreSteps().end());
    return all;
  }();
  return steps;
}

}  // namespace vxConfigStoreStartup
