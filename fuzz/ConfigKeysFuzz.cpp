// Fuzzes the configuration store's key forms on any key and pattern (as text
// and as raw UTF-16 units, lone surrogates included): a prepared key ends with "/", the part
// codes read back what they wrote, and a key compared with itself is
// identical unless it names nothing.
#include "configstore/vxConfigManager.h"
#include "fuzz/FuzzInput.h"

namespace {

void Check(const ustring& key, const ustring& pattern) {
  using M = TvxConfigManager;

  const ustring prepared = M::PrepareKey(key);
  if (!prepared.empty() && prepared.back() != u'/') vxFuzz::Fail();
  if (!prepared.empty() && M::TrimKey(prepared) != prepared) vxFuzz::Fail();
  const ustring visible = M::Convert2VisKey(key);
  if (!visible.empty() && visible.front() != u'/') vxFuzz::Fail();
  M::GetNextLowerKey(key);

  if (key.find(u"%2F") == ustring::npos && M::DecodeKeyPart(M::EncodeKeyPart(key)) != key) vxFuzz::Fail();
  if (M::EncodeKeyPart(key).find(u'/') != ustring::npos) vxFuzz::Fail();

  const TvxKeyCompareResult self = M::CompareKeys(key, key);
  if (self != (M::Convert2NamedRelKey(key).empty() ? vxKCR_NoMatch : vxKCR_Identical)) vxFuzz::Fail();
  M::CompareKeys(pattern, key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> f = vxFuzz::Fields(Data, Size, 2);
  // The fields as UTF-8 text, and as raw UTF-16 units.
  Check(vxFuzz::Wide(f[0]), vxFuzz::Wide(f[1]));
  Check(vxFuzz::Units(f[0]), vxFuzz::Units(f[1]));
  return 0;
}
