// The internal date unit that the cipher routines use: the same operations
// as TvxDateTime, but the compact layout reads its parts strictly (a part
// that is not an integer raises instead of counting as 0).
#pragma once

#include "core/vxDateTime.h"

namespace vxInternal {

using ::GetTimeZoneBias;

namespace TvxDateTime {

using ::TvxDateTime::StrToDate;
using ::TvxDateTime::StrToDateExt;
using ::TvxDateTime::StrToTimeExt;
using ::TvxDateTime::StrToDateTimeExt;
using ::TvxDateTime::StrToDate_ISO;
using ::TvxDateTime::StrToDateTime_YYYYMMDD;

// Raises "'%s' ist kein gültiger Integerwert" for a part that is not an
// integer.
TDateTime StrToDateTime_YYYYMMDDHHNNSS(const ustring& Str);

using ::TvxDateTime::TimeStampToStr;
using ::TvxDateTime::DateTimeToTimeStampStr;
using ::TvxDateTime::StrToTimeStamp;
using ::TvxDateTime::TimeStampStrToDateTime;
using ::TvxDateTime::CreateTimeStampStr;
using ::TvxDateTime::CreateGMTTimeStampStr;
using ::TvxDateTime::DateTimeToISOStr;
using ::TvxDateTime::GetQuarter;
using ::TvxDateTime::SecToLangTime;
using ::TvxDateTime::SecToTimeExt;
using ::TvxDateTime::GetDayNumberFromStr;
using ::TvxDateTime::StrIsToday;
using ::TvxDateTime::LocaleDateTimeToGMT;
using ::TvxDateTime::GMTToLocaleDateTime;
using ::TvxDateTime::GMTNow;

using ::TvxDateTime::ShortDateFormat;

}  // namespace TvxDateTime
}  // namespace vxInternal
