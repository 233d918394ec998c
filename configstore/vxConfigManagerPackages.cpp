// Packages: the header and the node list of an export document, and the
// texts of the format versions and description types.
#include "configstore/vxConfigManager.h"
#include "core/vxToolsEvo2.h"
#include "core/vxVersionTools.h"

namespace {

struct TFormatVersionText {
  TvxExportFormatVersion Version;
  const char16_t* Text;
};
constexpr TFormatVersionText FormatVersionTexts[] = {
    {vxEFV_V1_2, u"1.2"}, {vxEFV_V1_3, u"1.3"}, {vxEFV_V1_4, u"1.4"}, {vxEFV_V1_5, u"1.5"}};

}  // namespace

TvxExportFormatVersion TvxConfigManager::GetExportFormatVersion(const ustring& Version) {
  for (const TFormatVersionText& entry : FormatVersionTexts)
    if (Version == entry.Text) return entry.Version;
  return vxEFV_Unknown;
}

ustring TvxConfigManager::GetExportFormatVersionStr(TvxExportFormatVersion Version) {
  for (const TFormatVersionText& entry : FormatVersionTexts)
    if (Version == entry.Version) return entry.Text;
  return u"Unknown";
}

TvxPackageDescriptionType TvxConfigManager::GetPackageDescriptionType(const ustring& DType) {
  const ustring type = UpperStrW(DType);
  if (type == u"PLAINTEXT") return vxPDT_PlainText;
  if (type == u"MARKDOWN") return vxPDT_MarkDown;
  if (type == u"RICHTEXT") return vxPDT_RichText;
  return vxPDT_Unknown;
}

ustring TvxConfigManager::GetPackageDescriptionTypeStr(TvxPackageDescriptionType DType) {
  switch (DType) {
    case vxPDT_PlainText:
      return u"PlainText";
    case vxPDT_MarkDown:
      return u"MarkDown";
    case vxPDT_RichText:
      return u"RichText";
    default:
      return {};
  }
}

ustring TvxConfigManager::K7PathToWindowsPath(const ustring& Path) {
  ustring result = Path;
  for (char16_t& c : result)
    if (c == u'/') c = u'\\';
  return result;
}
