// The start-up steps of the service foundation, and the library's whole
// ordered list: the core's steps, then the foundation's, in link order.
// The export library runs vxStartup::Run(vxFoundationStartup::LibrarySteps()).
#pragma once

#include <span>

#include "core/vxStartup.h"

namespace vxFoundationStartup {

std::span<const vxStartup::TStartupStep> FoundationSteps();
std::span<const vxStartup::TStartupStep> LibrarySteps();

}  // namespace vxFoundationStartup
