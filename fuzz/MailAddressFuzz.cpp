// Fuzzes the address-list reader of header fields: it never raises; every
// address it reads is accepted or refused by the composer with
// EMailAddressError, and an accepted one is written as text that reads back
// as the same mailbox.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/mail/vxMailAddress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view input(reinterpret_cast<const char*>(Data), Size);
  const TMailAddressList list = ParseAddressList(input);
  for (const TMailAddress& address : list) {
    TMailAddress clean;
    try {
      clean = vxMailAddress::Normalise(address);
    } catch (const EMailAddressError&) {
      continue;  // refused, never written
    }
    if (clean.Address.empty()) continue;
    const std::string field = FormatAddress(clean);
    const TMailAddressList back = ParseAddressList(field);
    if (back.size() != 1 || back[0].Address != clean.Address) __builtin_trap();
  }
  return 0;
}
