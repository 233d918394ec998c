// ModuleDescription: this module's description, set once at load from its
// version block (FileDescription, " ", ProductVersion, " (", FileVersion,
// ")") or "Unknown" without one, and cleared at unload.
#pragma once

#include <string>

namespace vxModuleDescription {

// The description as 8-bit text in the system code page; empty before
// Initialize and after Finalize.
std::string ModuleDescription();

// The start-up step and its finalisation.
void Initialize();
void Finalize();

}  // namespace vxModuleDescription
