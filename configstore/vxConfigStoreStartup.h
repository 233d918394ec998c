// The start-up steps of the configuration store and HTTP services, and the
// library's whole ordered list: the foundation's (core first), then these.
// The export library runs vxStartup::Run(vxConfigStoreStartup::LibrarySteps()).
#pragma once

#include <span>

#include "core/vxStartup.h"

namespace vxConfigStoreStartup {

std::span<const vxStartup::TStartupStep> ConfigStoreSteps();
std::span<const vxStartup::TStartupStep> LibrarySteps();

}  // namespace vxConfigStoreStartup
