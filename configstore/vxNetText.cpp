// TvxNet: XML escaping of text and one value out of a raw header text.
#include "configstore/vxNet.h"
#include "core/vxStringsReplace.h"
#include "platform/base/vxRuntime.h"

namespace TvxNet {

bool PrepareXMLString(ustring& Data, bool IsCData) {
  try {
    for (char16_t& c : Data)
      if (c < 32 && c != u'\n' && c != u'\r') c = u' ';
    if (IsCData) return true;
    Data = TvxStrings::ReplaceExactW(Data, u"&", u"&amp;");
    Data = TvxStrings::ReplaceExactW(Data, u"<", u"&lt;");
    Data = TvxStrings::ReplaceExactW(Data, u">", u"&gt;");
    Data = TvxStrings::ReplaceExactW(Data, u"\"", u"&quot;");
    // "&apos;" is the apostrophe's entity every XML reader knows.
    Data = TvxStrings::ReplaceExactW(Data, u"'", u"&apos;");
    return true;
  } catch (...) {
    return false;
  }
}

std::string GetHttpRawHeaderValue(const std::string& Param, const std::string& Header) {
  const std::string search = vxRuntime::AsciiUpper(Header) + "\n";
  const std::string name = vxRuntime::AsciiUpper(Param);
  if (name.empty()) return {};
  const size_t found = search.find(name);
  if (found == std::string::npos) return {};
  // The value follows the next ":" after the name's first character; without
  // one there is no value.
  const size_t colon = Header.find(':', found + 1);
  if (colon == std::string::npos) return {};
  const size_t lineEnd = Header.find('\n', colon + 1);
  const size_t end = lineEnd == std::string::npos ? Header.size() : lineEnd;
  return vxRuntime::Trim(Header.substr(colon + 1, end - colon - 1));
}

}  // namespace TvxNet
