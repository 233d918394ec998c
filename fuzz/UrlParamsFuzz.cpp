// Fuzzes the URL parts and the parameter strings. Input: a URL or
// parameter string, a zero byte, parameters for BuildUrl (one per line).
// The parts of any text are pieces of it; any parameter string parses or
// raises one of the system's own errors; parameters built into a URL in the
// Base64 encoding come back by name with their trimmed values.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "configstore/vxNet.h"
#include "core/vxToolsEvo2.h"
#include "fuzz/FuzzInput.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxRuntime.h"

namespace {

// A parameter name that survives the round: ASCII letters and digits.
bool PlainName(const ustring& name) {
  // "encoding" is the string's own first item.
  if (name.empty() || UpperStrW(name) == u"ENCODING") return false;
  for (const char16_t c : name)
    if (!vxRuntime::IsAsciiAlnum(c)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> fields = vxFuzz::Fields(Data, Size, 2);
  const ustring url = vxFuzz::Wide(fields[0]);
  vxFuzz::Check(url.find(TvxNet::GetServerFromUrl(url)) != ustring::npos);
  const ustring path = TvxNet::GetPathFromUrl(url);
  vxFuzz::Check(path == u"/" || url.ends_with(path));
  TvxNet::GetPortFromUrl(url);
  TvxNet::IsHTTPSUrl(url);

  TvxEncoding encoding = vxENC_None;
  try {
    const TvxUrlParams params = TvxNet::ParseUrlParams(fields[0], encoding);
    vxFuzz::Check(static_cast<unsigned>(encoding) <= vxENC_Internal);
    for (const TvxUrlParam& param : params) TvxNet::GetUrlParamValue(param.Param, params, u"", Size % 2 == 0);
  } catch (const Exception&) {
    // "url expired", a data item that does not decipher, an unreadable build time
  }

  std::vector<ustring> parameters;
  std::vector<std::pair<ustring, ustring>> expected;
  size_t start = 0;
  while (start < fields[1].size() && parameters.size() < 8) {
    size_t end = fields[1].find('\n', start);
    if (end == std::string::npos) end = fields[1].size();
    const ustring parameter = vxFuzz::Wide(fields[1].substr(start, end - start));
    start = end + 1;
    const size_t equals = parameter.find(u'=');
    if (equals == ustring::npos || !PlainName(parameter.substr(0, equals))) continue;
    parameters.push_back(parameter);
    expected.emplace_back(parameter.substr(0, equals), vxRuntime::Trim(parameter.substr(equals + 1)));
  }
  const std::string built = TvxNet::BuildUrl(u"http://h/", u"x", parameters, vxENC_Base64);
  const size_t query = built.find('?');
  vxFuzz::Check(query != std::string::npos);
  const TvxUrlParams read = TvxNet::ParseUrlParams(built.substr(query + 1), encoding);
  vxFuzz::Check(encoding == vxENC_Base64);
  for (const auto& [name, value] : expected) {
    // The first item of a name decides; later ones of the same name are not looked at.
    for (const auto& [firstName, firstValue] : expected)
      if (UpperStrW(firstName) == UpperStrW(name)) {
        vxFuzz::Check(TvxNet::GetUrlParamValue(name, read, u"\uFFFF", false) == firstValue);
        break;
      }
  }
  return 0;
}
