// Fuzzes the cross-site-scripting screen. Input: a text, a zero byte,
// allowed characters, a zero byte, an own attack list. The screen raises
// only its own refusal, and with nothing allowed an escaped text holds none
// of the characters that make markup.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "configstore/vxNetWeb.h"
#include "fuzz/FuzzInput.h"
#include "platform/base/vxExceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> fields = vxFuzz::Fields(Data, Size, 3);
  const ustring text = vxFuzz::Wide(fields[0]);
  const ustring allowed = vxFuzz::Wide(fields[1]);
  const ustring attacks = vxFuzz::Wide(fields[2]);
  for (const bool full : {false, true}) {
    try {
      const ustring escaped = TvxNet::XSSProtection(text, true, false, u"", full, attacks);
      for (const char16_t c : {u'<', u'>', u'"', u'\'', u'(', u')', u'/'})
        vxFuzz::Check(escaped.find(c) == ustring::npos);
      TvxNet::XSSProtection(text, true, true, allowed, full, attacks);
    } catch (const Exception& e) {
      vxFuzz::Check(e.Message() == u"found possible XSS attack!");
    }
  }
  return 0;
}
