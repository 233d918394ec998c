// Fuzzes the readers of outside text of the cipher tools: stored passwords,
// the 64-symbol text form, URL parameter strings, the DCW decoder and locked
// scripts. Only the system's own exceptions may come out of them, DecodeLogon
// and the script readers raise nothing, and what the writers make reads back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/internal/vxDES.h"
#include "foundation/internal/vxScriptTools.h"
#include "foundation/vxCipherToolsEvo3.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string input(reinterpret_cast<const char*>(Data), Size);

  // noexcept: an escaping exception would end the process here.
  const std::string password = TvxCipher::DecodeLogon(input);
  if (!input.empty() && TvxCipher::DecodeLogon(TvxCipher::EncodeLogon(input)) != input) __builtin_trap();
  (void)password;

  try {
    const std::string bytes = vxInternal::DesTextToBytes(input);
    if (bytes.size() > input.size()) __builtin_trap();
  } catch (const EConvertError&) {
  }
  if (vxInternal::DesTextToBytes(vxInternal::DesBytesToText(input)) != input) __builtin_trap();

  try {
    TvxCipherEncoding encoding = vxCIPHENC_None;
    TvxCipher::DecodeUrlParams(input, encoding, [] { return 46000.5; });
  } catch (const Exception&) {
  }
  if (TvxCipher::UrlUnescape(TvxCipher::UrlEscape(input)) != input) __builtin_trap();
  TvxCipher::DCWEncDecoder(input);

  vxInternal::TvxScriptTools::UnlockScript(input, true);
  vxInternal::TvxScriptTools::GetScriptPassword(input);
  vxInternal::TvxScriptTools::IsScriptProtected(input);
  vxInternal::TvxScriptTools::GetSourceLineFromException(Utf8ToWide(input));
  return 0;
}
