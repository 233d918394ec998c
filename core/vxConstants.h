// The constants unit: shared constant tables, one header per area.
#pragma once

#include "core/vxConstantsLocale.h"
#include "core/vxConstantsXml.h"
