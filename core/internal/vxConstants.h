// The internal constants unit: the language and weekday tables of the
// constants unit, under the internal namespace.
#pragma once

#include "core/vxConstantsLocale.h"

namespace vxInternal {

using ::DayNameTable;
using ::LocaleTable;

}  // namespace vxInternal
