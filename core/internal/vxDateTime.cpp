// The internal date unit that the cipher routines use: the same operations as
// TvxDateTime, but the compact layout reads its parts strictly.
#include "core/internal/vxDateTime.h"

namespace vxInternal::TvxDateTime {

TDateTime StrToDateTime_YYYYMMDDHHNNSS(const ustring& Str) {
  return ::TvxDateTime::StrToDateTime_YYYYMMDDHHNNSS(Str, ::TvxDateTime::TvxDatePartReading::Strict);
}

}  // namespace vxInternal::TvxDateTime
