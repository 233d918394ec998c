// TvxScriptTools: scripts locked together with their password (the password
// with "#" written as "&num;", "#", the script; enciphered under the script
// key and written in Base64 on one line), one-line script references and the
// source line of a script engine's error message.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/vxBase.h"

namespace vxInternal::TvxScriptTools {

std::string LockScript(const std::string& Script, const std::string& Password);
// With Secured and a non-empty Script, the script of a locked one; a text
// that cannot be unlocked comes back unchanged. Without Secured, Script.
std::string UnlockScript(const std::string& Script, bool Secured);
// Whether the text deciphers as a locked script.
bool VerifySecuredScript(const std::string& Script);
// The password of a locked script ("&num;" back to "#"); empty when the
// text is none.
std::string GetScriptPassword(const std::string& Script);
// A locked script with a non-empty password.
bool IsScriptProtected(const std::string& Script);
// A single line longer than 2 characters beginning with one "/" (a path of
// the configuration store; "//" begins a comment).
bool IsK7Script(ustring& Script);
// The source line named after "SOURCE POSITION" (any case) and ":" and
// before ","; -1 when there is none.
int32_t GetSourceLineFromException(const ustring& Msg);

}  // namespace vxInternal::TvxScriptTools
