// The export: a node of the store, with or without its subtree, written as an
// export document (plain, or a package, or added to a package file), leaving
// out the excluded properties, writing the store's export defaults in place
// of values, dropping the editing state of scripts and locking scripts on
// request (in the file only). The document is written beside its place and
// renamed into it, so the old file stays until the new one is complete.
#include <unordered_map>
#include <unordered_set>

#include "configstore/vxConfigManager.h"
#include "core/vxFilesContent.h"
#include "core/vxFilesPaths.h"
#include "core/vxMD5.h"
#include "core/vxToolsEvo2.h"
#include "core/vxToolsSystem.h"
#include "core/vxTypesValues.h"
#include "foundation/internal/vxScriptTools.h"
#include "platform/base/vxCodePage.h"
#include "platform/files/vxFileHandle.h"
#include "platform/files/vxFileSystem.h"
#include "platform/time/vxDateUtils.h"

namespace {

constexpr char16_t ExclusionsNode[] = u"/varlo/Classes/Behaviour/Export/Exclusions";
constexpr char16_t DefaultsNode[] = u"/varlo/Classes/Behaviour/Export/Defaults";
// Script nodes, by their prepared keys upper-cased.
constexpr char16_t ScriptsKey[] = u"VARLO/SCRIPTS/";
constexpr char16_t ScriptsPath[] = u"/VARLO/SCRIPTS";

// The editing state of a script, which stays in the store.
constexpr const char16_t* ScriptEditingState[] = {u"ScriptBackup", u"LockDate", u"LockUser", u"Markers"};

// The document element and the Content element stand above the exported
// node's element; deeper nodes would make a file that no import can read.
constexpr size_t MaxNodeDepth = TXMLDocument::MaxDepth - 2;

// One export: its switches and lists, and the walk over the nodes.
class TExporter {
 public:
  TExporter(TvxConfigManager& Store, vxExportDocument::TDocumentWriter& Writer, bool SubNodes,
            const TProgressCallBackProc& CallBack, const TStrings* ValidProperties, bool PWProtectScripts,
            const std::string& ScriptPassword)
      : FStore(Store),
        FWriter(Writer),
        FSubNodes(SubNodes),
        FCallBack(CallBack),
        FValidProperties(ValidProperties),
        FPWProtectScripts(PWProtectScripts),
        FScriptPassword(ScriptPassword) {}

  // Reads the exclusions and the defaults of the store.
  void LoadLists() {
    TProperties exclusions, defaults;
    if (!FStore.GetNodeProperties(ExclusionsNode, exclusions, false, false, true, u"", "", false, true, false))
      throw Exception(u"error loading export exclusions");
    if (!FStore.GetNodeProperties(DefaultsNode, defaults, true, false, true, u"", "", false, true, false))
      throw Exception(u"error loading export defaults");
    for (TProperty& entry : exclusions) FExclusions.insert(std::move(entry.SORTL));
    for (TProperty& entry : defaults) FDefaults.emplace(entry.SORTL, std::move(entry));  // the first one counts
  }

  // Writes the node Key (prepared) with what lies below it into Content.
  void Run(const ustring& Key, TXMLNode Content) {
    struct TPending {
      ustring Key;
      ustring Name;  // empty for the exported node itself
      TXMLNode Parent;
      size_t Depth;
    };
    std::vector<TPending> pending{{Key, ustring(), Content, 0}};
    while (!pending.empty()) {
      TPending node = std::move(pending.back());
      pending.pop_back();
      if (Excluded(node.Key, ustring())) continue;
      const ustring visible = TvxConfigManager::Convert2VisKey(node.Key);
      if (node.Depth > MaxNodeDepth)
        throw Exception(u"configuration node " + visible + u" lies more than " +
                        Utf8ToWide(std::to_string(MaxNodeDepth)) + u" levels below the exported node");
      if (FCallBack) FCallBack(visible);
      // The exported node's own properties go into the Content element.
      const TXMLNode element =
          node.Name.empty() ? node.Parent : FWriter.AddNode(node.Parent, node.Name, FValidProperties != nullptr);
      WriteProperties(node.Key, visible, element);
      if (!FSubNodes) continue;
      TConfigNodes children;
      // A listing that fails would make an incomplete file look complete.
      if (!FStore.GetChildNodes(node.Key, children, true)) throw Exception(FStore.Message.Get());
      for (auto child = children.rbegin(); child != children.rend(); ++child)
        pending.push_back({child->Key, child->Name, element, node.Depth + 1});
    }
  }

 private:
  static bool IsScriptNode(const ustring& Key) { return UpperStrW(Key).starts_with(ScriptsKey); }

  // Whether the property (a node for an empty name) is left out.
  bool Excluded(const ustring& Key, const ustring& PropertyName) const {
    const ustring path = UpperStrW(TvxConfigManager::Convert2VisKey(Key) + u"/" + PropertyName);
    if (PropertyName == u"Redirect" && path.starts_with(ScriptsPath)) return true;
    return FExclusions.contains(path);
  }

  const TProperty* Default(const ustring& Key, const ustring& PropertyName) const {
    const auto found = FDefaults.find(UpperStrW(TvxConfigManager::Convert2VisKey(Key) + u"/" + PropertyName));
    return found == FDefaults.end() ? nullptr : &found->second;
  }

  void WriteProperties(const ustring& Key, const ustring& Visible, TXMLNode Element) {
    TProperties list;
    if (!FStore.GetNodeProperties(Key, list, true, false, false, u"", "", false, true, false))
      throw Exception(FStore.Message.Get());
    if (IsScriptNode(Key)) {
      for (const char16_t* name : ScriptEditingState) TvxConfigManager::DeletePropertyValueByName(name, list);
      if (FPWProtectScripts) LockScript(list);
    }
    for (const TProperty& entry : list) {
      if (FValidProperties && FValidProperties->IndexOf(entry.Name) < 0) continue;
      if (Excluded(Key, entry.Name)) continue;
      vxExportDocument::TDocumentProperty property{entry.Name, entry.DataType.WideStr(), entry.Value, entry.User,
                                                   entry.Changed};
      if (const TProperty* replacement = Default(Key, entry.Name)) {
        property.DataType = replacement->DataType.WideStr();
        property.Value = replacement->Value;
      }
      try {
        FWriter.AddProperty(Element, property);
      } catch (const EXMLDocError& e) {
        throw Exception(u"property " + entry.Name + u" of " + Visible + u": " + e.Message());
      }
    }
  }

  // Locks an unlocked script in the list (the store keeps it as it is).
  void LockScript(TProperties& List) {
    const ustring script = TvxTypes::VarToStr(FStore.GetPropertyValueByName(u"Script", Variant(u""), List, false));
    if (script.empty()) return;
    if (TvxTypes::VarToBoolean(FStore.GetPropertyValueByName(u"Secured", Variant(false), List, false))) return;
    const std::string locked = vxInternal::TvxScriptTools::LockScript(
        WideToAnsi(script), TvxMD5::GetMD5FromString(FScriptPassword));
    FStore.SetPropertyValueByName(u"Script", Variant(locked), List);
    FStore.SetPropertyValueByName(u"Secured", Variant(true), List);
  }

  TvxConfigManager& FStore;
  vxExportDocument::TDocumentWriter& FWriter;
  bool FSubNodes;
  const TProgressCallBackProc& FCallBack;
  const TStrings* FValidProperties;
  bool FPWProtectScripts;
  const std::string& FScriptPassword;
  std::unordered_set<ustring> FExclusions;
  std::unordered_map<ustring, TProperty> FDefaults;
};

// Puts Bytes in place of File whole. A file that stands there is replaced
// only once the new one is complete; like a deletion, the replacement does
// not stop at a read-only file.
void WriteDocumentFile(const ustring& File, const std::string& Bytes) {
  const int32_t attributes = vxFileSystem::FileGetAttr(File);
  const bool exists = attributes != vxFileSystem::faInvalid;
  vxFileSystem::TAtomicFileWriter writer(File);
  bool written = writer.Valid() && writer.Write(Bytes);
  if (written) {
    if (exists && (attributes & vxFileSystem::faReadOnly) != 0 && (attributes & vxFileSystem::faSymLink) == 0)
      vxFileSystem::FileSetAttr(File, vxFileSystem::faArchive);
    written = writer.Commit(true);
  }
  if (written) return;
  if (exists) throw Exception(u"file " + File + u" is in use");
  const int error = errno;
  throw EOSError(u"cannot write file " + File + u" (" + Utf8ToWide(vxExceptions::ErrnoText(error)) + u")", error);
}

}  // namespace

bool TvxConfigManager::Export(const ustring& RootKey, const ustring& FileName, bool SubNodes, bool AsPackage,
                              const ustring& PackageName, const ustring& PackageVersion, const ustring& InfoText,
                              bool OverwritePackage, TCharEncodeType Encoding, const TProgressCallBackProc& CallBack,
                              const TStrings* ValidProperties, TvxPackageDescriptionType InfoTextType,
                              bool PWProtectScripts, const std::string& ScriptPassword, bool IncludeChangeInfos,
                              const ustring& ReleaseRequired, TvxExportFormatVersion FormatVersion) {
  return Reported(false, [&] {
    const ustring rootKey = PrepareKey(RootKey);
    const vxExportDocument::TPackageHeader header{PackageName, PackageVersion,
                                                  vxExportDocument::DateText(vxRuntime::Now()),
                                                  TvxTools::CreateId().WideStr(), ReleaseRequired};
    vxExportDocument::TDocumentWriter writer(FormatVersion, Encoding, IncludeChangeInfos);
    TExporter exporter(*this, writer, SubNodes, CallBack, ValidProperties, PWProtectScripts, ScriptPassword);
    exporter.LoadLists();

    TvxFiles::CreatePath(vxFileSystem::ExtractFilePath(FileName), true);
    const ustring file = vxFileSystem::ChangeFileExt(FileName, u".xml");
    if (AsPackage && !OverwritePackage && vxFileSystem::FileExists(file)) {
      std::string existing;
      if (!TvxFiles::LoadFileToString(file, existing)) throw Exception(u"file " + file + u" is in use");
      writer.Continue(existing);
    } else {
      writer.StartNew(AsPackage ? &header : nullptr, InfoText, InfoTextType);
    }
    exporter.Run(rootKey, writer.AddContent(Convert2VisKey(rootKey), ValidProperties != nullptr));
    WriteDocumentFile(file, writer.Save());
    Message = ustring();
    return true;
  });
}
