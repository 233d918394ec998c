// Fuzzes the typed text form: StrToVarExt reads any text for any type code
// or type name without raising, and a value it reads writes (VarToStrExt) as
// text that reads back to the same text.
#include "core/vxTypesValues.h"
#include "fuzz/FuzzInput.h"

using namespace TvxTypes;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  const TVarType type = static_cast<TVarType>(Data[0]);
  const std::vector<std::string> f = vxFuzz::Fields(Data + 1, Size - 1, 2);
  const ustring text = vxFuzz::Wide(f[0]);
  (void)StrToVarExt(text, vxFuzz::Wide(f[1]));
  const Variant value = StrToVarExt(text, type);
  const ustring written = VarToStrExt(value);
  (void)VarToJSONStrExt(value);
  // Written once, the text is stable: read and written again it stays. A
  // text that could not be read gives null, written as the empty text,
  // which a type other than empty and null reads as its default value.
  if (value.VarType() != varNull) vxFuzz::Check(VarToStrExt(StrToVarExt(written, type)) == written);
  return 0;
}
