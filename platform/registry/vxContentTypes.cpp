// Content types of file extensions, for the MIME-type lookup: the registry's
// own entry first.
#include "platform/registry/vxContentTypes.h"

#include <fstream>
#include <sstream>
#include <unordered_map>

#include "platform/text/vxCaseMap.h"
#include "platform/base/vxCodePage.h"
#include "platform/registry/vxRegistry.h"

namespace vxContentTypes {

namespace {

// Upper-cased extension -> content type; the first line naming an extension wins.
using TExtensionMap = std::unordered_map<ustring, ustring>;

TExtensionMap LoadSystemList() {
  TExtensionMap types;
  std::ifstream file(kSystemList);
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line.front() == '#') continue;
    std::istringstream fields(line);
    std::string type, extension;
    if (!(fields >> type)) continue;
    const ustring wideType = Utf8ToWide(type);
    while (fields >> extension) types.emplace(vxCaseMap::Upper(Utf8ToWide(extension)), wideType);
  }
  return types;
}

const TExtensionMap& SystemList() {
  static const TExtensionMap types = LoadSystemList();
  return types;
}

ustring WithoutDot(const ustring& extension) {
  return !extension.empty() && extension.front() == u'.' ? extension.substr(1) : extension;
}

}  // namespace

ustring FromSystemList(const ustring& Extension) {
  const auto it = SystemList().find(vxCaseMap::Upper(WithoutDot(Extension)));
  return it == SystemList().end() ? ustring() : it->second;
}

ustring OfExtension(const ustring& Extension) {
  const ustring extension = WithoutDot(Extension);
  if (extension.empty()) return {};
  // A "\" would make the extension a path of keys.
  if (extension.find(u'\\') == ustring::npos) {
    TRegistry registry(KEY_READ);
    registry.SetRootKey(HKEY_CLASSES_ROOT);
    if (registry.OpenKeyReadOnly(u"\\." + extension) && registry.ValueExists(u"Content Type")) {
      const TRegDataType type = registry.GetDataType(u"Content Type");
      if (type == REG_SZ || type == REG_EXPAND_SZ) {
        ustring text = registry.ReadString(u"Content Type");
        if (!text.empty()) return text;
      }
    }
  }
  return FromSystemList(extension);
}

}  // namespace vxContentTypes
