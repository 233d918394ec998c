// The export document: its header and hash, the writer of its elements in
// each format version, and the reader of its header and content.
#include "configstore/vxExportDocument.h"

#include <set>
#include <utility>

#include "configstore/vxConfigManager.h"
#include "core/vxConversion.h"
#include "core/vxDateTimeParse.h"
#include "core/vxDateTimeStamps.h"
#include "core/vxMD5.h"
#include "core/vxStringsIds.h"
#include "core/vxToolsEvo2.h"
#include "core/vxTypesValues.h"
#include "core/vxVersionTools.h"
#include "foundation/vxBase64.h"
#include "foundation/vxXML.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"

namespace vxExportDocument {

namespace {

constexpr char16_t BinaryType[] = u"BINARY";
constexpr TVarType DateVarType = 7;
constexpr TVarType UnknownVarType = 13;

ustring Attribute(const TXMLNode& Node, const ustring& Name) {
  return TvxIXMLDocumentTools::GetAttribute(Node, Name, ustring());
}

// Every LF becomes CR LF, unless the text holds a CR LF pair already.
ustring WithCrLf(const ustring& Text) {
  if (Text.find(u"\r\n") != ustring::npos) return Text;
  ustring result;
  result.reserve(Text.size());
  for (const char16_t c : Text) {
    if (c == u'\n') result += u'\r';
    result += c;
  }
  return result;
}

// The text of a format 1.2 document: its characters are the UTF-8 bytes of
// the text, each taken as a Windows-1252 character. A text that is no such
// thing (a UTF-16 file writes its texts as they are) stays as it is.
ustring FromLegacy(const ustring& Text) {
  const std::string bytes = WideToAnsi(Text);
  if (AnsiToWide(bytes) != Text || !IsUtf8(bytes)) return Text;
  return Utf8ToWide(bytes);
}

bool IsTextType(const ustring& DataType) {
  return DataType == u"UCS2STR" || DataType == u"USTRARG" || DataType == u"STRING" || DataType == u"UCS4STR";
}

// Element names of the content compare trimmed and upper-cased.
ustring ElementName(const TXMLNode& Node) { return UpperStrW(vxRuntime::Trim(Node.NodeName())); }

std::vector<TXMLNode> ChildElements(const TXMLNode& Node) {
  std::vector<TXMLNode> result;
  for (const TXMLNode& child : Node.ChildNodes())
    if (child.NodeType() == ntElement) result.push_back(child);
  return result;
}

bool ReadsTrue(const TXMLNode& Node, const ustring& Name) {
  const std::optional<ustring> value = Node.GetAttribute(Name);
  return value && TvxConversion::StrToBool(*value);
}

TDocumentProperty ReadProperty(const TXMLNode& Element, TvxExportFormatVersion FormatVersion, bool WithValues) {
  if (FormatVersion != vxEFV_V1_2 && FormatVersion != vxEFV_V1_3 && FormatVersion != vxEFV_V1_4 &&
      FormatVersion != vxEFV_V1_5)
    throw Exception(u"unknown k7 import format version");
  TDocumentProperty property;
  const bool legacy = FormatVersion == vxEFV_V1_2;
  const ustring name = Attribute(Element, u"Name");
  property.Name = legacy ? FromLegacy(name) : name;
  const ustring type = vxRuntime::Trim(Attribute(Element, u"DataType"));
  property.DataType = (legacy ? type : UpperStrW(type)).substr(0, TDataTypeStr::Capacity);
  if (!legacy) {
    property.User = Attribute(Element, u"User");
    property.Changed = ReadDateText(Attribute(Element, u"Date"));
  }
  if (!WithValues) return property;
  const ustring text = Element.Text();
  if (legacy) {
    property.Value = TvxTypes::StrToVarExt(WithCrLf(FromLegacy(text)), property.DataType);
  } else if (property.DataType != BinaryType) {
    property.Value =
        TvxTypes::StrToVarExt(IsTextType(property.DataType) ? WithCrLf(text) : text, property.DataType);
  } else if (ReadsTrue(Element, u"Compressed")) {
    const std::string packed = TvxBase64::Base64ToStr(WideToAnsi(text));
    property.Value = Variant(AnsiToWide(TvxBase64::StrToBase64(TvxStrings::DecompressString(packed), false)));
  } else {
    property.Value = Variant(text);
  }
  return property;
}

}  // namespace

// ---- Names and texts ----------------------------------------------------------

ustring DateText(TDateTime Value) { return TvxDateTime::DateTimeToISOStr(Value); }

TDateTime ReadDateText(const ustring& Text) {
  return TvxDateTime::StrToDateTimeExt(Text, std::vector<ustring>{u"yyyy-mm-dd"}, std::vector<ustring>{u"hh:nn:ss"},
                                       0);
}

std::string PackageHash(const ustring& Name, const ustring& Version, const ustring& Id, const ustring& Date) {
  return TvxMD5::GetMD5FromString(WideToUtf8(Name + Version + Id + Date));
}

// ---- Writing -------------------------------------------------------------------

TDocumentWriter::TDocumentWriter(TvxExportFormatVersion FormatVersion, TCharEncodeType Encoding,
                                 bool IncludeChangeInfos)
    : FFormatVersion(FormatVersion == vxEFV_V1_2 || FormatVersion == vxEFV_V1_3 || FormatVersion == vxEFV_V1_4
                         ? FormatVersion
                         : vxEFV_V1_5),
      FEncoding(Encoding == vxCE_UTF16 ? vxCE_UTF16 : vxCE_UTF8),
      FIncludeChangeInfos(IncludeChangeInfos) {}

void TDocumentWriter::StartNew(const TPackageHeader* Package, const ustring& InfoText,
                               TvxPackageDescriptionType InfoTextType) {
  TXMLNode root = FDocument.DocumentNode().AddChild(RootElement);
  root.SetAttribute(u"FormatVersion", TvxConfigManager::GetExportFormatVersionStr(FFormatVersion));
  root.SetAttribute(u"Type", Package ? u"Package" : u"Default");
  if (Package) {
    root.SetAttribute(u"PackageName", Package->Name);
    root.SetAttribute(u"PackageVersion", Package->Version);
    root.SetAttribute(u"PackageDate", Package->Date);
    root.SetAttribute(u"PackageId", Package->Id);
    root.SetAttribute(u"Hash", AnsiToWide(PackageHash(Package->Name, Package->Version, Package->Id, Package->Date)));
    root.SetAttribute(u"ReleaseRequired", Package->ReleaseRequired);
  }
  if (!InfoText.empty()) {
    TXMLNode info = root.AddChild(u"Info");
    info.SetAttribute(u"Contains", TvxConfigManager::GetPackageDescriptionTypeStr(InfoTextType));
    info.SetText(InfoText);
  }
}

void TDocumentWriter::Continue(std::string_view Bytes) {
  FDocument.LoadFromXML(Bytes);
  const TXMLNode root = FDocument.DocumentElement();
  if (root.NodeName() != RootElement) throw Exception(u"Unknown XML filetype!");
  // The reader takes every property of the file in the file's own version.
  const TvxExportFormatVersion own = TvxConfigManager::GetExportFormatVersion(Attribute(root, u"FormatVersion"));
  if (own != vxEFV_Unknown) FFormatVersion = own;
}

TXMLNode TDocumentWriter::AddContent(const ustring& RootNode, bool Incomplete) {
  TXMLNode content = FDocument.DocumentElement().AddChild(u"Content");
  content.SetAttribute(u"RootNode", RootNode);
  if (Incomplete) content.SetAttribute(u"Complete", u"false");
  return content;
}

TXMLNode TDocumentWriter::AddNode(TXMLNode Parent, const ustring& Name, bool Incomplete) {
  TXMLNode node = Parent.AddChild(u"Node");
  node.SetAttribute(u"Name", Name);
  if (Incomplete) node.SetAttribute(u"Complete", u"false");
  return node;
}

ustring TDocumentWriter::Legacy(const ustring& Text) const {
  return FEncoding == vxCE_UTF16 ? Text : AnsiToWide(WideToUtf8(Text));
}

void TDocumentWriter::AddProperty(TXMLNode Parent, const TDocumentProperty& Property) {
  TXMLNode element = Parent.AddChild(u"Property");
  if (FFormatVersion == vxEFV_V1_2) {
    element.SetAttribute(u"Name", Legacy(Property.Name));
    element.SetAttribute(u"DataType", Property.DataType);
    if (TvxTypes::GetVarTypeFromStr(Property.DataType, UnknownVarType) == DateVarType) {
      TDateTime date = 0;
      try {
        date = TvxTypes::VarToDateTime(Property.Value);
      } catch (const Exception&) {
        // A stored text that reads as no date: the stamp of 0.
      }
      element.SetText(AnsiToWide(TvxDateTime::DateTimeToTimeStampStr(date, false)));
    } else if (Property.DataType == BinaryType) {
      element.SetText(TvxTypes::VarToStr(Property.Value));
    } else {
      element.SetText(Legacy(TvxTypes::VarToStrExt(Property.Value)));
    }
    return;
  }
  element.SetAttribute(u"Name", Property.Name);
  element.SetAttribute(u"DataType", Property.DataType);
  if (FIncludeChangeInfos && !Property.User.empty()) {
    element.SetAttribute(u"User", Property.User);
    element.SetAttribute(u"Date", DateText(Property.Changed));
  }
  if (Property.DataType != BinaryType) {
    element.SetText(TvxTypes::VarToStrExt(Property.Value));
    return;
  }
  const std::string bytes = TvxBase64::Base64ToStr(WideToAnsi(TvxTypes::VarToStr(Property.Value)));
  if (bytes.empty()) return;
  element.SetAttribute(u"Compressed", u"true");
  element.SetText(AnsiToWide(TvxBase64::StrToBase64(TvxStrings::CompressString(bytes), false)));
}

std::string TDocumentWriter::Save() const {
  return FDocument.SaveToXML(
      TXMLSaveOptions{FEncoding == vxCE_UTF16 ? TXMLSaveEncoding::UTF16 : TXMLSaveEncoding::UTF8, true});
}

// ---- Reading -------------------------------------------------------------------

THeaderState ReadHeader(const TXMLDocument& Document, Tk7PackageInformation& Info) {
  const TXMLNode root = Document.DocumentElement();
  if (root.IsNil() || root.NodeName() != RootElement) return THeaderState::UnknownFileType;
  const ustring id = Attribute(root, u"PackageId");
  const ustring version = Attribute(root, u"PackageVersion");
  Info.Id = TIdType(std::u16string_view(id).substr(0, TIdType::Capacity));
  Info.Hash = TIdType(std::u16string_view(Attribute(root, u"Hash")).substr(0, TIdType::Capacity));
  Info.Name = Attribute(root, u"PackageName");
  Info.Date = ReadDateText(Attribute(root, u"PackageDate"));
  Info.IsPackage = UpperStrW(Attribute(root, u"Type")) == u"PACKAGE";
  Info.Version = TvxVersionTools::GetVersionFromStr(version);
  Info.ReleaseRequired = TvxVersionTools::GetVersionFromStr(Attribute(root, u"ReleaseRequired"));
  Info.FormatVersion = TvxConfigManager::GetExportFormatVersion(Attribute(root, u"FormatVersion"));
  Info.NodeList.clear();
  Info.Description.clear();
  Info.DescriptionType = vxPDT_MarkDown;
  if (const TXMLNode info = root.FindChildElement(u"Info")) {
    Info.Description = info.Text();
    if (const std::optional<ustring> contains = info.GetAttribute(u"Contains"))
      Info.DescriptionType = TvxConfigManager::GetPackageDescriptionType(*contains);
  }
  const ustring hash = Info.Hash.WideStr();
  if (Info.IsPackage && !vxRuntime::Trim(hash).empty() &&
      AnsiToWide(PackageHash(Info.Name, version, Info.Id.WideStr(), DateText(Info.Date))) != hash)
    return THeaderState::HashMismatch;
  Info.Description = WithCrLf(Info.Description);
  return THeaderState::Read;
}

std::vector<TXMLNode> ContentElements(const TXMLDocument& Document) {
  std::vector<TXMLNode> result;
  const TXMLNode root = Document.DocumentElement();
  if (root.IsNil()) return result;
  for (const TXMLNode& child : ChildElements(root))
    if (child.NodeName() == u"Content") result.push_back(child);
  return result;
}

std::vector<TContentItem> ReadContent(TXMLNode Content, const ustring& Key, TvxExportFormatVersion FormatVersion,
                                      TPropertyReading Reading, ustring& InfoText) {
  std::vector<TContentItem> items;
  std::set<ustring> keys;
  // Depth first in document order without recursion: the children of an
  // element are pushed last to first.
  std::vector<std::pair<TXMLNode, ustring>> pending{{Content, Key}};
  while (!pending.empty()) {
    auto [element, key] = std::move(pending.back());
    pending.pop_back();
    if (!keys.insert(key).second)
      throw Exception(u"the document names the configuration node " + TvxConfigManager::Convert2VisKey(key) +
                      u" twice");
    TContentItem item;
    item.Key = key;
    item.RootNode = items.empty();
    const std::optional<ustring> complete = element.GetAttribute(u"Complete");
    item.Complete = !complete || TvxConversion::StrToBool(*complete);
    std::set<ustring> names;
    std::vector<TXMLNode> children;
    for (const TXMLNode& child : ChildElements(element)) {
      const ustring name = ElementName(child);
      if (name == u"NODE") {
        children.push_back(child);
      } else if (name == u"PROPERTY") {
        if (Reading == TPropertyReading::None) continue;
        TDocumentProperty property = ReadProperty(child, FormatVersion, Reading == TPropertyReading::Values);
        if (!names.insert(TvxConfigManager::TrimKey(property.Name)).second)
          throw Exception(u"the document names the property " + property.Name + u" of the configuration node " +
                          TvxConfigManager::Convert2VisKey(key) + u" twice");
        item.Properties.push_back(std::move(property));
      } else if (name == u"INFO") {
        InfoText = child.Text();
      }
    }
    item.HasSubNodes = !children.empty();
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
      const ustring name = Attribute(*child, u"Name");
      if (TvxConfigManager::TrimKey(name).empty())
        throw Exception(u"a Node element below the configuration node " + TvxConfigManager::Convert2VisKey(key) +
                        u" has no name");
      pending.emplace_back(*child, key + name + u"/");
    }
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace vxExportDocument
