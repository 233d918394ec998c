// Packages: the header and the node list of an export document, and the
// texts of the format versions and description types.
#include "configstore/vxConfigManager.h"
#include "core/vxFilesContent.h"
#include "core/vxToolsEvo2.h"
#include "core/vxVersionTools.h"
#include "foundation/vxXML.h"
#include "platform/files/vxFileSystem.h"

namespace {

struct TFormatVersionText {
  TvxExportFormatVersion Version;
  const char16_t* Text;
};
constexpr TFormatVersionText FormatVersionTexts[] = {
    {vxEFV_V1_2, u"1.2"}, {vxEFV_V1_3, u"1.3"}, {vxEFV_V1_4, u"1.4"}, {vxEFV_V1_5, u"1.5"}};

}  // namespace

TXMLDocument TvxConfigManager::LoadExportDocument(const ustring& FileName) {
  std::string bytes;
  if (!TvxFiles::LoadFileToString(FileName, bytes)) {
    const int error = errno;
    throw EOSError(u"cannot read file " + FileName + u" (" + Utf8ToWide(vxExceptions::ErrnoText(error)) + u")", error);
  }
  TXMLDocument document;
  document.LoadFromXML(bytes);
  return document;
}

vxExportDocument::THeaderState TvxConfigManager::ReadPackageHeader(const TXMLDocument& XMLDocument,
                                                                   Tk7PackageInformation& Info) {
  const vxExportDocument::THeaderState state = vxExportDocument::ReadHeader(XMLDocument, Info);
  if (state == vxExportDocument::THeaderState::UnknownFileType) {
    Message = u"Unknown XML filetype!";
    RaiseException(Message);
  } else if (state == vxExportDocument::THeaderState::HashMismatch) {
    Message = u"Package hash mismatch (" + Info.Hash.WideStr() + u")!";
    RaiseException(Message);
  }
  return state;
}

Tk7PackageInformation TvxConfigManager::GetPackageInformation(const TXMLDocument& XMLDocument) {
  Tk7PackageInformation info;
  ReadPackageHeader(XMLDocument, info);
  return info;
}

Tk7PackageInformation TvxConfigManager::GetPackageInformation(const ustring& FileName) {
  if (!vxFileSystem::FileExists(FileName)) return {};
  return Reported(Tk7PackageInformation(), [&] {
    Tk7PackageInformation info = GetPackageInformation(LoadExportDocument(FileName));
    info.FileName = FileName;
    return info;
  });
}

Tk7PackageInformation TvxConfigManager::GetPackageDetails(const ustring& FileName, bool IncludeProperties) {
  if (!vxFileSystem::FileExists(FileName)) return {};
  return Reported(Tk7PackageInformation(), [&] {
    const TXMLDocument document = LoadExportDocument(FileName);
    Tk7PackageInformation info;
    const vxExportDocument::THeaderState state = ReadPackageHeader(document, info);
    info.FileName = FileName;
    const auto reading =
        IncludeProperties ? vxExportDocument::TPropertyReading::Names : vxExportDocument::TPropertyReading::None;
    for (const TXMLNode& content : vxExportDocument::ContentElements(document)) {
      ustring ignored;
      const ustring key = PrepareKey(TvxIXMLDocumentTools::GetAttribute(content, u"RootNode", ustring()));
      for (vxExportDocument::TContentItem& item :
           vxExportDocument::ReadContent(content, key, info.FormatVersion, reading, ignored)) {
        TvxPackageNode node{std::move(item.Key), item.Complete, item.RootNode, item.HasSubNodes, {}};
        for (vxExportDocument::TDocumentProperty& property : item.Properties)
          node.Properties.push_back(std::move(property.Name));
        info.NodeList.push_back(std::move(node));
      }
    }
    // The header's complaint stays: the list is read, the package is not sound.
    if (state == vxExportDocument::THeaderState::Read) Message = ustring();
    return info;
  });
}

bool TvxConfigManager::GetPackageDetails(const ustring& FileName, bool& IsPackage, ustring& InfoText,
                                         ustring& InfoTextType, ustring& PackageName, ustring& PackageVersion,
                                         ustring& PackageId, TvxPackageNodes& NodeList) {
  Tk7PackageInformation info = GetPackageDetails(FileName, true);
  IsPackage = info.IsPackage;
  PackageName = info.Name;
  PackageVersion = TvxVersionTools::GetVersionStr(info.Version);
  PackageId = info.Id.WideStr();
  InfoText = info.Description;
  InfoTextType = GetPackageDescriptionTypeStr(info.DescriptionType);
  NodeList = std::move(info.NodeList);
  return true;
}

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
