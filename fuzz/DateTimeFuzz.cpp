// Fuzzes the date and time readers. None raises anything but our Exception;
// what a reader reads, its writer writes as text the reader reads back to the
// same value.
#include <cmath>

#include "core/vxDateTimeParse.h"
#include "core/vxDateTimeStamps.h"
#include "fuzz/FuzzInput.h"
#include "platform/base/vxExceptions.h"

using namespace TvxDateTime;

namespace {

bool Same(TDateTime a, TDateTime b) { return std::fabs(a - b) < 1e-6; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> f = vxFuzz::Fields(Data, Size, 3);
  const ustring text = vxFuzz::Wide(f[0]);
  const std::vector<ustring> formats{vxFuzz::Wide(f[1]), u"yyyy-mm-dd", u"dd.mm.yyyy"};
  const std::vector<ustring> timeFormats{vxFuzz::Wide(f[2]), u"hh:nn:ss", u"hh:nn:ss.zzz"};
  try {
    (void)StrToDate(text, 0);
    (void)StrToDateExt(text, formats, 0);
    (void)StrToTimeExt(text, timeFormats, 0);
    (void)StrToDateTimeExt(text, formats, timeFormats, 0);
    (void)ISO8601ToDateTime(text, false);
  } catch (const Exception&) {
  }
  try {
    (void)StrToDateTime_YYYYMMDD(text);
  } catch (const Exception&) {
  }
  try {
    (void)StrToDateTime_YYYYMMDDHHNNSS(text, TvxDatePartReading::Strict);
  } catch (const Exception&) {
  }

  const TDateTime iso = StrToDateTime_ISO(text);
  if (iso != 0) vxFuzz::Check(Same(StrToDateTime_ISO(DateTimeToISOStr(iso)), iso));

  TTimeStamp stamp{};
  if (StrToTimeStamp(text, stamp)) {
    TDateTime value = 0;
    try {
      value = TimeStampStrToDateTime(text);
    } catch (const Exception&) {
      return 0;
    }
    for (bool compMode : {true, false}) {
      std::string written;
      try {
        written = DateTimeToTimeStampStr(value, compMode);
      } catch (const Exception&) {
        continue;  // a value no stamp can hold
      }
      vxFuzz::Check(Same(TimeStampStrToDateTime(vxFuzz::Wide(written)), value));
    }
  }
  return 0;
}
