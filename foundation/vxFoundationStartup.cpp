// The foundation units with start-up work, appended to the core's steps.
#include "foundation/vxFoundationStartup.h"

#include <vector>

#include "foundation/vxModuleDescription.h"

namespace vxFoundationStartup {

std::span<const vxStartup::TStartupStep> FoundationSteps() {
  static constexpr vxStartup::TStartupStep steps[] = {
      {"vxModuleDescription", vxModuleDescription::Initialize, vxModuleDescription::Finalize},
  };
  return steps;
}

std::span<const vxStartup::TStartupStep> LibrarySteps() {
  static const std::vector<vxStartup::TStartupStep> steps = [] {
    std::vector<vxStartup::TStartupStep> all(vxStartup::CoreSteps().begin(), vxStartup::CoreSteps().end());
    all.insert(all.end(), FoundationSteps().begin(), FoundationSteps().end());
    return all;
  }();
  return steps;
}

}  // namespace vxFoundationStartup
