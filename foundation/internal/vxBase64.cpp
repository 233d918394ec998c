// Base64 for the cipher and script units: the same routines as TvxBase64.
#include "foundation/internal/vxBase64.h"

#include "foundation/vxBase64.h"

namespace vxInternal::TvxBase64 {

std::string StrToBase64(const std::string& InText, bool Format) { return ::TvxBase64::StrToBase64(InText, Format); }

std::string Base64ToStr(const std::string& InText) { return ::TvxBase64::Base64ToStr(InText); }

}  // namespace vxInternal::TvxBase64
