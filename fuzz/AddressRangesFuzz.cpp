// Fuzzes the address patterns. Input: a pattern list, a zero byte, an
// address. Every pattern has 8 entries, and an address of a known kind is
// in the range made of itself alone.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "configstore/vxNet.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> fields = vxFuzz::Fields(Data, Size, 2);
  const ustring list = vxFuzz::Wide(fields[0]);
  const ustring address = vxFuzz::Wide(fields[1]);
  TvxIPRanges ranges;
  vxFuzz::Check(TvxNet::GetIPListFromStr(list, ranges));
  for (const TvxIPAddress& pattern : ranges) vxFuzz::Check(pattern.OctetArray.size() == 8);
  TvxNet::IsIPInRange(address, ranges);
  TvxNet::IsLocalHost(address);

  if (address.find_first_of(u",;") == ustring::npos && address.find(u"\r\n") == ustring::npos) {
    TvxIPRanges itself;
    TvxNet::GetIPListFromStr(address, itself);
    const bool known = TvxNet::GetIPFromStr(address).IPType != vxIPUnknown;
    vxFuzz::Check(TvxNet::IsIPInRange(address, itself) == known);
  }
  return 0;
}
