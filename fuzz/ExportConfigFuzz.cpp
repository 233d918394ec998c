// The configuration string of the export library read from arbitrary bytes:
// only the decompression error may come out, and whatever reads is built
// again and reads back to the same settings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/base/vxExceptions.h"
#include "plugin/vxExportConfig.h"

namespace {

bool Same(const TvxExportSettings& a, const TvxExportSettings& b) {
  return a.SMTPSERVER == b.SMTPSERVER && a.SMTPPORT == b.SMTPPORT && a.ZIPMAILATM == b.ZIPMAILATM &&
         a.INSERTFLDS == b.INSERTFLDS && a.SENDEMLS == b.SENDEMLS && a.FROMADDRESS == b.FROMADDRESS &&
         a.FROMNAME == b.FROMNAME && a.RECIPIENT == b.RECIPIENT && a.SUBJECT == b.SUBJECT &&
         a.AUTHENTICATION == b.AUTHENTICATION && a.USERNAME == b.USERNAME && a.PASSWORD == b.PASSWORD &&
         a.USETLS == b.USETLS && a.USESASL == b.USESASL;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string input(reinterpret_cast<const char*>(Data), Size);
  TvxExportSettings read;
  try {
    if (!vxExportConfig::ReadConfigString(input, read)) return 0;
  } catch (const Exception&) {
    return 0;  // a compressed item that does not inflate
  }
  TvxExportSettings again;
  if (!vxExportConfig::ReadConfigString(vxExportConfig::BuildConfigString(read), again) || !Same(read, again))
    std::abort();
  return 0;
}
