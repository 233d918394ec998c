// The date and time unit: TvxDateTime, a class-level toolbox split by area.
#pragma once

#include "core/vxDateTimeLocale.h"
#include "core/vxDateTimeParse.h"
#include "core/vxDateTimeStamps.h"
