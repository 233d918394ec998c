// The import: export documents (one file, or every document of a zip
// archive, in archive order) written into the store, with the records of
// imported packages and the customer's context help. Every document is read
// and checked first (XML, header, release, content); then everything is
// written in one transaction, so a failed import leaves the store as it was.
#include <optional>

#include "configstore/vxConfigManager.h"
#include "configstore/vxImportArchive.h"
#include "core/vxFilesContent.h"
#include "core/vxFilesPaths.h"
#include "core/vxToolsEvo2.h"
#include "core/vxTypesValues.h"
#include "core/vxVersionTools.h"
#include "foundation/vxBase64.h"
#include "foundation/vxVarlo.h"
#include "foundation/vxXML.h"
#include "platform/base/vxCodePage.h"
#include "platform/files/vxFileSystem.h"
#include "platform/time/vxDateUtils.h"

namespace {

constexpr char16_t ScriptsKey[] = u"VARLO/SCRIPTS/";  // prepared, upper-cased
constexpr char16_t PackageDetails[] = u"/varlo/Classes/Packages/Details";
constexpr char16_t PackageSummary[] = u"/varlo/Classes/Packages/Summary";
constexpr char16_t CustomerHelp[] = u"/varlo/Classes/Help/Context/Customer";

bool IsScriptNode(const ustring& Key) { return UpperStrW(Key).starts_with(ScriptsKey); }

// One document read and checked, ready to be written.
struct TImportDocument {
  ustring File;
  Tk7PackageInformation Info;
  std::vector<vxExportDocument::TContentItem> Items;
  ustring LastContentRoot;  // prepared
  std::string Bytes;        // the file, for the package's record
};

// The store's TrackChanges on and its Username empty while the import runs:
// each write records the user and date the document gives.
class TImportSettings {
 public:
  explicit TImportSettings(TvxConfigManager& Store)
      : FStore(Store), FTrackChanges(Store.TrackChanges), FUsername(Store.Username.Get()) {
    Store.TrackChanges = true;
    Store.Username = ustring();
  }
  ~TImportSettings() {
    FStore.TrackChanges = FTrackChanges;
    FStore.Username = FUsername;
  }
  TImportSettings(const TImportSettings&) = delete;
  TImportSettings& operator=(const TImportSettings&) = delete;

 private:
  TvxConfigManager& FStore;
  bool FTrackChanges;
  ustring FUsername;
};

}  // namespace

bool TvxConfigManager::Import(const ustring& RootKey, const ustring& FileName, ustring& InfoText,
                              const TProgressCallBackProc& CallBack, bool Overwrite, bool UploadPackageData,
                              bool OnlyNodeCallback, bool KeepUserContent, bool IgnoreReleaseWarning) {
  if (!vxFileSystem::FileExists(FileName)) return false;
  const ustring rootKey = RootKey.empty() ? ustring() : PrepareKey(RootKey);
  InfoText.clear();
  const TImportSettings settings(*this);
  return Reported(false, [&] {
    std::optional<vxImportArchive::TImportArchive> archive;
    std::vector<ustring> files;
    if (LowerStrW(vxFileSystem::ExtractFileExt(FileName)) == u".zip") {
      archive.emplace(FileName, TvxFiles::GetTempPath());
      files = archive->Files();
    } else {
      files.push_back(FileName);
    }

    // Read and check every document before anything is written.
    std::vector<TImportDocument> documents;
    ustring infoText;
    for (const ustring& file : files) {
      TImportDocument document;
      document.File = file;
      const TXMLDocument xml = LoadExportDocument(file);
      if (ReadPackageHeader(xml, document.Info) == vxExportDocument::THeaderState::UnknownFileType)
        throw Exception(u"Unknown XML filetype!");
      document.Info.FileName = file;
      const TvxVersion& required = document.Info.ReleaseRequired;
      if (!IgnoreReleaseWarning &&
          TvxVersionTools::CompareVersions(required, TvxVarlo::GetProductTvxVersion()) == vxVC_Newer)
        throw Exception(u"importing this package requires release " + TvxVersionTools::GetVersionStr(required) +
                        u" or higher!");
      for (const TXMLNode& content : vxExportDocument::ContentElements(xml)) {
        document.LastContentRoot = PrepareKey(TvxIXMLDocumentTools::GetAttribute(content, u"RootNode", ustring()));
        const ustring target =
            rootKey.empty() || !document.Info.Name.empty() ? document.LastContentRoot : rootKey;
        std::vector<vxExportDocument::TContentItem> items = vxExportDocument::ReadContent(
            content, target, document.Info.FormatVersion, vxExportDocument::TPropertyReading::Values, infoText);
        for (auto& item : items) document.Items.push_back(std::move(item));
      }
      if (document.Info.IsPackage && !TvxFiles::LoadFileToString(file, document.Bytes))
        throw Exception(u"streaming file " + file + u" failed!");
      if (archive) TvxFiles::ForceDeleteFile(file);
      documents.push_back(std::move(document));
    }

    // A write that fails ends the import; the transaction takes back the rest.
    const auto written = [this](bool Result) {
      if (!Result) throw Exception(Message.Get());
    };
    // A test that fails says so in Message (it empties Message otherwise).
    const auto tested = [this](bool Result) {
      if (!Result && !Message.Get().empty()) throw Exception(Message.Get());
      return Result;
    };
    InTransaction([&] {
      for (const TImportDocument& document : documents) {
        const Tk7PackageInformation& info = document.Info;
        for (const vxExportDocument::TContentItem& item : document.Items) {
          const ustring visible = Convert2VisKey(item.Key);
          if (CallBack && OnlyNodeCallback) CallBack(visible);
          written(SetConfigValue(item.Key, ustring(), Variant(ustring())));
          if (item.Properties.empty()) continue;
          const bool scripts = IsScriptNode(item.Key);
          if (info.IsPackage && scripts) tested(DeleteConfigValue(item.Key, u"Include", true));
          for (const vxExportDocument::TDocumentProperty& property : item.Properties) {
            if (scripts && property.Name == u"Redirect") continue;
            const bool write = Overwrite ? !KeepUserContent || !tested(ConfigValueChangedByUser(item.Key, property.Name))
                                         : !tested(ConfigValueExists(item.Key, property.Name));
            if (!write) continue;
            if (CallBack && !OnlyNodeCallback) CallBack(visible + u"/" + property.Name);
            written(SetConfigValue(item.Key, property.Name, property.Value,
                                   TDataTypeStr(std::u16string_view(property.DataType)), property.User,
                                   property.Changed, true));
            if (property.Name == u"Description") {
              const ustring help = TvxTypes::VarToStr(property.Value);
              if (!help.empty()) written(SetConfigValue(CustomerHelp, visible + u"/", Variant(help)));
            }
          }
        }
        if (!info.IsPackage) continue;
        const ustring version = TvxVersionTools::GetVersionStr(info.Version);
        const ustring details = PackageDetails + Convert2VisKey(info.Name) + u"/" + version;
        written(SetConfigValue(details, u"PackageName", Variant(info.Name)));
        written(SetConfigValue(details, u"PackageVersion", Variant(version)));
        written(SetConfigValue(details, u"PackageId", Variant(info.Id.WideStr())));
        written(SetConfigValue(details, u"RootNode", Variant(Convert2VisKey(document.LastContentRoot))));
        written(SetConfigValue(details, u"ImportDate", Variant::FromDate(vxRuntime::Now())));
        if (UploadPackageData)
          written(SetConfigValue(details, u"PackageData",
                                 Variant(AnsiToWide(TvxBase64::StrToBase64(document.Bytes, false))),
                                 TDataTypeStr(std::u16string_view(u"BINARY"))));
        written(SetConfigValue(PackageSummary, info.Name, Variant(version)));
      }
    });
    // The description of the package, unless the content carried one.
    InfoText = infoText.empty() && !documents.empty() ? documents.back().Info.Description : infoText;
    Message = ustring();
    return true;
  });
}
