// TvxNet: the parts of a URL, URLs built with encoded parameter strings and
// the look-up of parsed parameters.
#include "configstore/vxNet.h"
#include "core/vxConversion.h"
#include "core/vxStringsPad.h"
#include "core/vxToolsEvo2.h"
#include "core/vxToolsSystem.h"
#include "foundation/vxCipherToolsEvo3.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/text/vxNumberText.h"

namespace {

// The two enumerations match member by member; anything else is no encoding.
TvxCipherEncoding ToCipherEncoding(TvxEncoding Encoding) {
  if (static_cast<unsigned>(Encoding) > vxENC_Internal) throw Exception("invalid encoding");
  return static_cast<TvxCipherEncoding>(Encoding);
}

TvxEncoding FromCipherEncoding(TvxCipherEncoding Encoding) {
  if (static_cast<unsigned>(Encoding) > vxCIPHENC_Internal) throw Exception("invalid encoding");
  return static_cast<TvxEncoding>(Encoding);
}

// The authority of a URL: [Start, End) of AUrl.
struct TAuthority {
  size_t Start = 0;
  size_t End = 0;
};

TAuthority FindAuthority(const ustring& AUrl) {
  TAuthority authority;
  const size_t slashes = AUrl.find(u"//");
  authority.Start = slashes == ustring::npos ? 0 : slashes + 2;
  const size_t slash = AUrl.find(u'/', authority.Start);
  authority.End = slash == ustring::npos ? AUrl.size() : slash;
  return authority;
}

ustring QueryPart(const std::vector<ustring>& Parameters, TvxEncoding Encoding) {
  const std::string parameters = TvxCipher::EncodeUrlParams(Parameters, ToCipherEncoding(Encoding));
  return parameters.empty() ? ustring() : u"?" + AnsiToWide(parameters);
}

ustring SchemeHostPort(bool HTTPS, const ustring& Host, int32_t Port) {
  ustring base = TvxConversion::BoolToStrExt(HTTPS, u"https://", u"http://");
  base += Host.empty() ? TvxTools::GetComputerNameEx(3) : Host;
  if (Port > 0) base += u":" + AnsiToWide(vxNumberText::IntText(Port));
  return base;
}

const TvxUrlParam* FindParam(const ustring& Param, const TvxUrlParams& UrlParams) {
  const ustring name = UpperStrW(Param);
  for (const TvxUrlParam& item : UrlParams)
    if (item.Param == name) return &item;
  return nullptr;
}

}  // namespace

namespace TvxNet {

bool IsHTTPSUrl(const ustring& AUrl) { return LowerStrW(AUrl).starts_with(u"https://"); }

ustring GetServerFromUrl(const ustring& AUrl) {
  const TAuthority authority = FindAuthority(AUrl);
  const ustring text = AUrl.substr(authority.Start, authority.End - authority.Start);
  return text.substr(0, text.find(u':'));
}

uint16_t GetPortFromUrl(const ustring& AUrl) {
  const TAuthority authority = FindAuthority(AUrl);
  const ustring text = AUrl.substr(authority.Start, authority.End - authority.Start);
  const size_t colon = text.find(u':');
  if (colon == ustring::npos) return 0;
  const int64_t port = TvxConversion::StrToInt(text.substr(colon + 1), 0);
  // A number that is no port is as good as none (its low 16 bits would name
  // another port).
  return port >= 0 && port <= 65535 ? static_cast<uint16_t>(port) : 0;
}

ustring GetPathFromUrl(const ustring& AUrl) {
  const TAuthority authority = FindAuthority(AUrl);
  return authority.End < AUrl.size() ? AUrl.substr(authority.End) : ustring(u"/");
}

ustring CheckRootUrlSuffix(const ustring& Url) {
  if (Url.empty() || Url.back() == u'/') return Url;
  return Url + u'/';
}

std::string BuildUrl(const ustring& RootUrl, const ustring& URI, const std::vector<ustring>& Parameters,
                     TvxEncoding Encoding) {
  const ustring query = QueryPart(Parameters, Encoding);
  return WideToAnsi(TvxStrings::CheckStringSuffixW(RootUrl, u"/") + URI + query);
}

std::string BuildUrl(const ustring& RootUrl, const ustring& URI) {
  const ustring path = URI.starts_with(u'/') ? URI.substr(1) : URI;
  return WideToAnsi(TvxStrings::CheckStringSuffixW(RootUrl, u"/") + path);
}

std::string BuildUrl(bool HTTPS, const ustring& Host, int32_t Port, const ustring& URI,
                     const std::vector<ustring>& Parameters, TvxEncoding Encoding) {
  // The encoding is checked even when the parameters are not used.
  const TvxCipherEncoding encoding = ToCipherEncoding(Encoding);
  const ustring base = SchemeHostPort(HTTPS, Host, Port);
  if (URI.empty()) return WideToAnsi(base);
  const ustring path = URI.starts_with(u'/') ? URI : u"/" + URI;
  const std::string parameters = TvxCipher::EncodeUrlParams(Parameters, encoding);
  return WideToAnsi(base + path + (parameters.empty() ? ustring() : u"?" + AnsiToWide(parameters)));
}

std::string BuildUrl(bool HTTPS, const ustring& Host, int32_t Port, const std::string& URI) {
  return WideToAnsi(SchemeHostPort(HTTPS, Host, Port) + u"/") + URI;
}

TvxUrlParams ParseUrlParams(const std::string& UrlParamStr, TvxEncoding& Encoding) {
  TvxCipherEncoding encoding = vxCIPHENC_None;
  const TvxCipherUrlParams items = TvxCipher::DecodeUrlParams(UrlParamStr, encoding);
  TvxUrlParams result;
  result.reserve(items.size());
  for (const TvxCipherUrlParam& item : items)
    result.push_back({item.Param, item.Value, item.RawValue, FromCipherEncoding(item.Encoding)});
  Encoding = FromCipherEncoding(encoding);
  return result;
}

ustring GetUrlParamValue(const ustring& Param, const TvxUrlParams& UrlParams, const ustring& Default, bool RawValue) {
  const TvxUrlParam* item = FindParam(Param, UrlParams);
  if (item == nullptr) return Default;
  return RawValue ? AnsiToWide(item->RawValue) : item->Value;
}

std::string GetRawUrlParamValue(const ustring& Param, const TvxUrlParams& UrlParams, const std::string& Default) {
  const TvxUrlParam* item = FindParam(Param, UrlParams);
  return item == nullptr ? Default : item->RawValue;
}

bool UrlParamExists(const ustring& Param, const TvxUrlParams& UrlParams) {
  return FindParam(Param, UrlParams) != nullptr;
}

}  // namespace TvxNet
