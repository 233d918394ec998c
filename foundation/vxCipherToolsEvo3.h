// TvxCipher: DES put to the system's uses. Short texts enciphered under a
// key (ECB, 64-symbol text form), the stored-password form ("$$$" and the
// password under the logon key), private strings, URL parameter strings in
// seven encodings, the DCW substitution decoder and the key builders.
// Stateless: every operation makes and frees its own cipher.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/base/vxBase.h"

enum TvxCipherEncoding {
  vxCIPHENC_None,
  vxCIPHENC_Base64,
  vxCIPHENC_Strong,
  vxCIPHENC_Mega,
  vxCIPHENC_DCW,
  vxCIPHENC_Service,
  vxCIPHENC_Internal
};

// One decoded URL parameter.
struct TvxCipherUrlParam {
  ustring Param;         // unescaped, UTF-8-decoded, upper-cased, trimmed
  ustring Value;         // the decoded value
  std::string RawValue;  // the value as it stood, unescaped
  TvxCipherEncoding Encoding = vxCIPHENC_None;  // how Value came from RawValue
};
using TvxCipherUrlParams = std::vector<TvxCipherUrlParam>;

// The local date and time; tests bring a fixed one.
using TvxCipherClock = std::function<TDateTime()>;

namespace TvxCipher {

// DES-ECB of EncString under PassKey in the text form; empty when either
// argument is empty. DecodeString raises the DES errors ("DES: Error
// converting from Base64 - invalid character", "DES: Input not valid - too
// short").
std::string EncodeString(const std::string& EncString, const std::string& PassKey);
std::string DecodeString(const std::string& EncString, const std::string& PassKey);

// The same under the private-string key prefix followed by PassKey; empty
// when PassKey is empty.
std::string EncodePrivateString(const std::string& EncString, const std::string& PassKey);
std::string DecodePrivateString(const std::string& EncString, const std::string& PassKey);

// The stored-password form of an 8-bit password; empty for an empty one.
std::string EncodeLogon(const std::string& EncString);
// The password of a stored one. Never raises: a text that cannot be
// deciphered gives the empty text, and a text that deciphers without the
// "$$$" marker (a password kept in plain) comes back unchanged.
std::string DecodeLogon(const std::string& EncString) noexcept;

// The DCW substitution decoder (there is no encoder).
std::string DCWEncDecoder(const std::string& Value);

// Parameters are "name=value" or bare names. Raises "unsupported encoding"
// for vxCIPHENC_DCW with any parameter.
std::string EncodeUrlParams(const std::vector<ustring>& Parameters, TvxCipherEncoding Encoding);
std::string EncodeUrlParams(const std::vector<ustring>& Parameters, TvxCipherEncoding Encoding,
                            const TvxCipherClock& Now);
// Encoding receives the string's encoding (unchanged for an empty string).
// Raises "url expired" for an Internal string built a day or more before
// Now; a data item that does not decipher passes on the DES error.
TvxCipherUrlParams DecodeUrlParams(const std::string& UrlParamStr, TvxCipherEncoding& Encoding);
TvxCipherUrlParams DecodeUrlParams(const std::string& UrlParamStr, TvxCipherEncoding& Encoding,
                                   const TvxCipherClock& Now);

// Each key only for the security-ID constant; any other SecuID gives "".
std::string GenPassKeyLogon(const std::string& SecuID);
std::string GenPassKeyMega(const std::string& SecuID);
std::string GenPassKeyService(const std::string& SecuID);
std::string GenPassKeyInternal(const std::string& SecuID);
std::string GenerateCommonEncryptionKey(const std::string& SecuID);
std::string GenerateCommonSecurityKey(const std::string& SecuID);

// Percent escapes of URL values: every byte outside "A-Za-z0-9*-._" becomes
// "%" and two upper-case hexadecimal digits; unescaping decodes "%" and two
// upper-case hexadecimal digits in one pass (lower-case digits stay).
std::string UrlEscape(const std::string& Value);
std::string UrlUnescape(const std::string& Value);

}  // namespace TvxCipher
