// The document log's settings as the configuration store keeps them: node
// "/varlo/Software/Basics/Common" of "vx_configuration" on the host's data
// link. The store's start-up registers the reader with the logging console
// (foundation/vxDocLogSettings.h), which cannot call the store itself.
#pragma once

#include "foundation/vxDocLogSettings.h"

namespace vxDocLogStore {

// The node and its four properties.
inline constexpr char16_t SettingsNode[] = u"/varlo/Software/Basics/Common";

// Reads the four settings into Settings (a missing node or property is
// written with its default; a setting the store cannot give, when it cannot
// be reached, keeps the value Settings holds). Raises an Exception for a
// stored value that is no Boolean or integer.
void ReadSettings(TvxDocLogSettings& Settings);

// The start-up step: registers ReadSettings with the console; and its end.
void Initialize();
void Finalize();

}  // namespace vxDocLogStore
