// TvxCipher over TDES in ECB mode and the 64-symbol text form.
#include "foundation/vxCipherToolsEvo3.h"

#include "core/vxDateTimeStamps.h"
#include "core/vxToolsEvo2.h"
#include "foundation/internal/vxBase64.h"
#include "foundation/internal/vxCipherKeys.h"
#include "foundation/internal/vxDES.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxRuntime.h"
#include "platform/time/vxDateUtils.h"

using namespace vxInternal;

namespace TvxCipher {
namespace {

const char* const kMarker = "$$$";

std::string Crypt(const std::string& Text, const std::string& Key, bool Encipher) {
  if (Text.empty() || Key.empty()) return {};
  TDES des;
  des.SetCipherMode(ECB);
  des.SetStringMode(smEncode);
  des.InitialiseString(Key);
  std::string out;
  if (Encipher)
    des.EncString(Text, out);
  else
    des.DecString(Text, out);
  return out;
}

const char* EncodingName(TvxCipherEncoding Encoding) {
  switch (Encoding) {
    case vxCIPHENC_None: return "";
    case vxCIPHENC_Base64: return "base64";
    case vxCIPHENC_Strong: return "strong";
    case vxCIPHENC_Mega: return "mega";
    case vxCIPHENC_DCW: return "dcw";
    case vxCIPHENC_Service: return "service";
    case vxCIPHENC_Internal: return "internal";
  }
  return "";
}

// The key of the encodings whose body is one enciphered data item.
std::string DataKey(TvxCipherEncoding Encoding) {
  const std::string& id = vxCipherKeys::SecurityId();
  switch (Encoding) {
    case vxCIPHENC_Mega: return GenPassKeyMega(id);
    case vxCIPHENC_Service: return GenPassKeyService(id);
    case vxCIPHENC_Internal: return GenPassKeyInternal(id);
    default: return {};
  }
}

bool IsDataEncoding(TvxCipherEncoding Encoding) {
  return Encoding == vxCIPHENC_Mega || Encoding == vxCIPHENC_Service || Encoding == vxCIPHENC_Internal;
}

bool IsUnescaped(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '*' || c == '-' ||
         c == '.' || c == '_';
}

int UpperHexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

TvxCipherEncoding EncodingFromName(const ustring& Name) {
  const ustring n = UpperStrW(Name);
  if (n == u"MEGA") return vxCIPHENC_Mega;
  if (n == u"INTERNAL") return vxCIPHENC_Internal;
  if (n == u"BASE64" || n == u"B64") return vxCIPHENC_Base64;
  if (n == u"STRONG") return vxCIPHENC_Strong;
  if (n == u"SERVICE") return vxCIPHENC_Service;
  if (n == u"DCW") return vxCIPHENC_DCW;
  return vxCIPHENC_None;
}

const TvxCipherUrlParam* FindParam(const TvxCipherUrlParams& List, std::u16string_view Name) {
  for (const auto& item : List)
    if (item.Param == Name) return &item;
  return nullptr;
}

}  // namespace

std::string EncodeString(const std::string& EncString, const std::string& PassKey) {
  return Crypt(EncString, PassKey, true);
}

std::string DecodeString(const std::string& EncString, const std::string& PassKey) {
  return Crypt(EncString, PassKey, false);
}

std::string EncodePrivateString(const std::string& EncString, const std::string& PassKey) {
  if (PassKey.empty()) return {};
  return EncodeString(EncString, vxCipherKeys::PrivateKeyPrefix() + PassKey);
}

std::string DecodePrivateString(const std::string& EncString, const std::string& PassKey) {
  if (PassKey.empty()) return {};
  return DecodeString(EncString, vxCipherKeys::PrivateKeyPrefix() + PassKey);
}

std::string EncodeLogon(const std::string& EncString) {
  if (EncString.empty()) return {};
  return EncodeString(kMarker + EncString, GenPassKeyLogon(vxCipherKeys::SecurityId()));
}

std::string DecodeLogon(const std::string& EncString) noexcept {
  try {
    const std::string t = DecodeString(EncString, GenPassKeyLogon(vxCipherKeys::SecurityId()));
    if (t.compare(0, 3, kMarker) == 0) return t.substr(3);
    return EncString;
  } catch (...) {
    return {};
  }
}

std::string DCWEncDecoder(const std::string& Value) {
  const std::string v = vxRuntime::Trim(Value);
  if (v.empty()) return {};
  const std::string& alphabet = vxCipherKeys::DcwInputAlphabet();
  int row = 0;
  const size_t last = alphabet.find(v.back());
  if (last != std::string::npos) {
    const std::string& entry = vxCipherKeys::DcwOutput(static_cast<int>(last) + 1);
    if (entry.size() == 1 && entry[0] >= '0' && entry[0] <= '9') row = entry[0] - '0';
  }
  const char* digits = vxCipherKeys::DcwKeyRow(row);
  std::string out;
  int counter = 0;
  for (const char c : v) {
    const size_t p = alphabet.find(c);
    if (p == std::string::npos) continue;
    counter = counter % 8 + 1;
    int i = static_cast<int>(p) + 1 - (digits[counter - 1] - '0');
    if (i <= 0) i += vxCipherKeys::kDcwSize;
    out += vxCipherKeys::DcwOutput(i);
  }
  return out;
}

std::string UrlEscape(const std::string& Value) {
  std::string out;
  out.reserve(Value.size());
  for (const char c : Value) {
    if (IsUnescaped(static_cast<unsigned char>(c))) {
      out += c;
    } else {
      out += '%';
      vxRuntime::AppendHexByte(out, static_cast<unsigned char>(c));
    }
  }
  return out;
}

std::string UrlUnescape(const std::string& Value) {
  // One pass: a decoded "%" is never read again as the start of an escape.
  std::string out;
  out.reserve(Value.size());
  for (size_t i = 0; i < Value.size(); ++i) {
    if (Value[i] == '%' && i + 2 < Value.size() && UpperHexValue(Value[i + 1]) >= 0 &&
        UpperHexValue(Value[i + 2]) >= 0) {
      out += static_cast<char>(UpperHexValue(Value[i + 1]) * 16 + UpperHexValue(Value[i + 2]));
      i += 2;
    } else {
      out += Value[i];
    }
  }
  return out;
}

std::string EncodeUrlParams(const std::vector<ustring>& Parameters, TvxCipherEncoding Encoding) {
  return EncodeUrlParams(Parameters, Encoding, [] { return vxRuntime::Now(); });
}

std::string EncodeUrlParams(const std::vector<ustring>& Parameters, TvxCipherEncoding Encoding,
                            const TvxCipherClock& Now) {
  std::string body;
  if (IsDataEncoding(Encoding)) {
    const std::string inner = EncodeUrlParams(Parameters, vxCIPHENC_Base64, Now);
    const std::string stamp = TvxDateTime::DateTimeToTimeStampStr(Now(), false);
    const std::string plain = inner + "&buildtime=" + TvxBase64::StrToBase64(stamp, false);
    body = "data=" + TvxBase64::StrToBase64(EncodeString(plain, DataKey(Encoding)), false);
  } else {
    for (size_t index = 0; index < Parameters.size(); ++index) {
      const ustring& parameter = Parameters[index];
      const size_t eq = parameter.find(u'=');
      const ustring name = parameter.substr(0, eq);
      std::string value = eq == ustring::npos ? std::string() : WideToUtf8(parameter.substr(eq + 1));
      switch (Encoding) {
        case vxCIPHENC_Base64:
          value = TvxBase64::StrToBase64(value, false);
          break;
        case vxCIPHENC_Strong:
          value = TvxBase64::StrToBase64(EncodeLogon(value), false);
          break;
        case vxCIPHENC_DCW:
          throw Exception("unsupported encoding");
        default:
          break;
      }
      if (index > 0) body += '&';
      body += UrlEscape(WideToUtf8(name));
      if (eq != ustring::npos) body += '=';
      if (!value.empty()) body += UrlEscape(value);
    }
  }
  std::string prefix;
  if (Encoding != vxCIPHENC_None) prefix = std::string("encoding=") + EncodingName(Encoding);
  if (!prefix.empty() && !body.empty()) prefix += '&';
  return prefix + body;
}

TvxCipherUrlParams DecodeUrlParams(const std::string& UrlParamStr, TvxCipherEncoding& Encoding) {
  return DecodeUrlParams(UrlParamStr, Encoding, [] { return vxRuntime::Now(); });
}

TvxCipherUrlParams DecodeUrlParams(const std::string& UrlParamStr, TvxCipherEncoding& Encoding,
                                   const TvxCipherClock& Now) {
  TvxCipherUrlParams list;
  if (UrlParamStr.empty()) return list;

  std::string text = UrlParamStr;
  for (auto& c : text)
    if (c == '+') c = ' ';
  text += '&';
  size_t start = 0;
  for (size_t amp = text.find('&'); amp != std::string::npos; start = amp + 1, amp = text.find('&', start)) {
    const std::string piece = text.substr(start, amp - start);
    const size_t eq = piece.find('=');
    TvxCipherUrlParam item;
    item.Param = vxRuntime::Trim(UpperStrW(Utf8ToWide(UrlUnescape(piece.substr(0, eq)))));
    if (eq != std::string::npos) item.RawValue = UrlUnescape(piece.substr(eq + 1));
    item.Value = AnsiToWide(item.RawValue);
    list.push_back(std::move(item));
  }

  const TvxCipherUrlParam* encodingItem = FindParam(list, u"ENCODING");
  Encoding = encodingItem ? EncodingFromName(encodingItem->Value) : vxCIPHENC_None;

  if (IsDataEncoding(Encoding)) {
    if (list.size() < 2) return list;
    const TvxCipherUrlParam* data = FindParam(list, u"DATA");
    const std::string plain =
        DecodeString(TvxBase64::Base64ToStr(data ? data->RawValue : std::string()), DataKey(Encoding));
    TvxCipherEncoding inner = vxCIPHENC_None;
    list = DecodeUrlParams(plain, inner, Now);
    if (Encoding == vxCIPHENC_Internal) {
      const TvxCipherUrlParam* build = FindParam(list, u"BUILDTIME");
      const TDateTime built = TvxDateTime::TimeStampStrToDateTime(build ? build->Value : ustring());
      if (Now() - built >= 1.0) {
        list.clear();
        throw Exception("url expired");
      }
    }
    return list;
  }

  for (auto& item : list) {
    if (item.Param == u"ENCODING") continue;
    item.Encoding = Encoding;
    switch (Encoding) {
      case vxCIPHENC_Base64:
        item.Value = Utf8ToWide(TvxBase64::Base64ToStr(item.RawValue));
        break;
      case vxCIPHENC_Strong:
        item.Value = Utf8ToWide(DecodeLogon(TvxBase64::Base64ToStr(item.RawValue)));
        break;
      case vxCIPHENC_DCW:
        item.Value = Utf8ToWide(DCWEncDecoder(item.RawValue));
        break;
      default:
        item.Value = Utf8ToWide(item.RawValue);
        break;
    }
    item.Value = vxRuntime::Trim(item.Value);
  }
  return list;
}

namespace {

std::string Guarded(const std::string& SecuID, std::string (*Build)()) {
  return SecuID == vxCipherKeys::SecurityId() ? Build() : std::string();
}

}  // namespace

std::string GenPassKeyLogon(const std::string& SecuID) { return Guarded(SecuID, vxCipherKeys::LogonKey); }
std::string GenPassKeyMega(const std::string& SecuID) { return Guarded(SecuID, vxCipherKeys::MegaKey); }
std::string GenPassKeyService(const std::string& SecuID) { return Guarded(SecuID, vxCipherKeys::ServiceKey); }
std::string GenPassKeyInternal(const std::string& SecuID) { return Guarded(SecuID, vxCipherKeys::InternalKey); }
std::string GenerateCommonEncryptionKey(const std::string& SecuID) {
  return Guarded(SecuID, vxCipherKeys::CommonEncryptionKey);
}
std::string GenerateCommonSecurityKey(const std::string& SecuID) {
  return Guarded(SecuID, vxCipherKeys::CommonSecurityKey);
}

}  // namespace TvxCipher
