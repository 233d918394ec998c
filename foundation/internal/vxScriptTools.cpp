// Script protection over TvxCipher's EncodeString and DecodeString.
#include "foundation/internal/vxScriptTools.h"

#include <climits>
#include <optional>

#include "core/vxConversion.h"
#include "core/vxStringsReplace.h"
#include "core/vxToolsEvo2.h"
#include "foundation/internal/vxBase64.h"
#include "foundation/internal/vxCipherKeys.h"
#include "foundation/vxCipherToolsEvo3.h"

namespace vxInternal::TvxScriptTools {
namespace {

constexpr const char* kHash = "#";
constexpr const char* kHashEntity = "&num;";

std::string ReplaceAll(const std::string& Text, const std::string& From, const std::string& To) {
  return TvxStrings::ReplaceA(Text, From, To, false);
}

// The deciphered text of a locked script; nothing when it is none.
std::optional<std::string> Unlock(const std::string& Script) {
  try {
    return TvxCipher::DecodeString(TvxBase64::Base64ToStr(Script), vxCipherKeys::ScriptKey());
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace

std::string LockScript(const std::string& Script, const std::string& Password) {
  const std::string plain = ReplaceAll(Password, kHash, kHashEntity) + kHash + Script;
  return TvxBase64::StrToBase64(TvxCipher::EncodeString(plain, vxCipherKeys::ScriptKey()), false);
}

std::string UnlockScript(const std::string& Script, bool Secured) {
  if (!Secured || Script.empty()) return Script;
  const auto text = Unlock(Script);
  if (!text) return Script;
  const size_t hash = text->find('#');
  return hash == std::string::npos ? *text : text->substr(hash + 1);
}

bool VerifySecuredScript(const std::string& Script) { return Unlock(Script).has_value(); }

std::string GetScriptPassword(const std::string& Script) {
  const auto text = Unlock(Script);
  if (!text) return {};
  const size_t hash = text->find('#');
  if (hash == std::string::npos) return {};
  return ReplaceAll(text->substr(0, hash), kHashEntity, kHash);
}

bool IsScriptProtected(const std::string& Script) {
  const auto text = Unlock(Script);
  return text && text->find('#') != std::string::npos && text->find('#') > 0;
}

bool IsK7Script(ustring& Script) {
  return Script.find(u"\r\n") == ustring::npos && Script.size() > 2 && Script[0] == u'/' && Script[1] != u'/';
}

int32_t GetSourceLineFromException(const ustring& Msg) {
  try {
    const size_t at = UpperStrW(Msg).find(u"SOURCE POSITION");
    if (at == ustring::npos) return -1;
    ustring rest = Msg.substr(at + 1);
    const size_t colon = rest.find(u':');
    rest = colon == ustring::npos ? ustring() : rest.substr(colon + 1);
    size_t blanks = 0;
    while (blanks < rest.size() && rest[blanks] == u' ') ++blanks;
    rest.erase(0, blanks);
    const size_t comma = rest.find(u',');
    if (comma == ustring::npos || comma == 0) return -1;
    const int64_t line = TvxConversion::StrToInt(rest.substr(0, comma), -1);
    return line < INT32_MIN || line > INT32_MAX ? -1 : static_cast<int32_t>(line);
  } catch (...) {
    return -1;
  }
}

}  // namespace vxInternal::TvxScriptTools
