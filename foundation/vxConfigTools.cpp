// TvxConfigTools: the configuration list, its XML configuration string and
// its file (see vxConfigTools.h).
#include "foundation/vxConfigTools.h"

#include <cmath>
#include <optional>

#include "core/vxConversion.h"
#include "core/vxFilesContent.h"
#include "core/vxMD5.h"
#include "core/vxStrings.h"
#include "core/vxToolsEvo2.h"
#include "core/vxTypesValues.h"
#include "foundation/vxBase64.h"
#include "foundation/vxXML.h"
#include "platform/base/vxCodePage.h"
#include "platform/values/vxFloatFormat.h"
#include "platform/xml/vxXmlDocument.h"

namespace {

// ---- Base64 of the configuration string --------------------------------------
// Lines of 76 characters separated by CR LF, none after the last line.
std::string StrToBase64Lines(const std::string& Bytes) { return TvxBase64::StrToBase64(Bytes, true); }
std::string Base64ToStr(const std::string& Text) { return TvxBase64::Base64ToStr(Text); }

bool IsPathSpace(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x20 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x3000;
}

ustring TrimPath(const ustring& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsPathSpace(s[b])) ++b;
  while (e > b && IsPathSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool StartsWithXml(const ustring& part) {
  return part.size() >= 3 && UpperStrW(part.substr(0, 3)) == u"XML";
}

ustring SanitizePart(ustring part) {
  if (!part.empty() && part[0] >= u'0' && part[0] <= u'9') part.insert(0, 1, u'_');
  if (StartsWithXml(part)) part.insert(0, 1, u'_');
  return part;
}

// The text of a value as the plain variant conversion gives it; a value
// without one (an array) gives the empty text.
ustring PlainText(const Variant& Value) {
  try {
    return TvxTypes::VarToStr(Value);
  } catch (const std::exception&) {
    return {};
  }
}

// The one fixed form of a value that is no text and not written typed (see
// the header).
ustring FixedText(const Variant& Value) {
  const Variant& v = Value.Deref();
  try {
    switch (v.VarType()) {
      case varEmpty:
      case varNull: return {};
      case varBoolean: return v.AsBoolean() ? u"true" : u"false";
      case varSingle: return FloatToStrGeneral(v.AsDouble(), 7, u'.');
      case varDouble: return FloatToStrGeneral(v.AsDouble(), 15, u'.');
      case varCurrency: return CurrToStrGeneral(v.AsCurrency(), u'.');
      default: return TvxTypes::VarToStrExt(v);
    }
  } catch (const std::exception&) {
    return {};
  }
}

ustring Clean(const ustring& Text) { return TvxXMLTools::PrepareString(Text, false, false); }

// The bytes of a binary value: an 8-bit string as it is, anything else in
// the system code page.
std::string BinaryBytes(const Variant& Value) {
  try {
    return Value.AsAnsiString();
  } catch (const std::exception&) {
    return {};
  }
}

// The salt of the change-protection hash: nine numbers, each written in
// decimal (five digits each), joined in a fixed order.
std::string ChangeProtectionSalt() {
  const int64_t parts[9] = {
      27182,
      static_cast<int64_t>(std::llround(std::sqrt(1234567890.0))),  // 35136
      16180,
      57721,
      46692,
      31415,
      66943 - 2,
      14142,
      10007 + 30,
  };
  const int order[9] = {3, 0, 8, 5, 1, 7, 2, 6, 4};
  std::string salt;
  for (int i : order) salt += std::to_string(parts[i]);
  return salt;
}

bool IsBlankConfig(const std::string& Config) {
  for (unsigned char c : Config)
    if (c > 0x20) return false;
  return true;
}

}  // namespace

// ---- Path texts ---------------------------------------------------------------

ustring TvxConfigTools::CleanParamPath(const ustring& Path) {
  ustring s = TrimPath(Path);
  if (!s.empty() && s[0] == u'/') s = TrimPath(s.substr(1));
  return s;
}

TWideStringArray TvxConfigTools::SplitParamPath(const ustring& Path) {
  // The pieces SplitStringW gives for "/", the empty ones dropped; split
  // here directly, since every key is made through this.
  const ustring cleaned = CleanParamPath(Path);
  TWideStringArray parts;
  size_t start = 0;
  while (start <= cleaned.size()) {
    size_t end = cleaned.find(u'/', start);
    if (end == ustring::npos) end = cleaned.size();
    if (end > start) parts.push_back(cleaned.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

ustring TvxConfigTools::SanitizeParamPath(const ustring& Path) {
  ustring s = CleanParamPath(Path);
  for (char16_t& c : s)
    if (c == u' ' || c == u':') c = u'_';
  if (s.empty()) return s;
  if (s.find(u'/') == ustring::npos) return SanitizePart(s);
  ustring joined;
  for (const ustring& part : SplitParamPath(s)) {
    if (!joined.empty()) joined += u'/';
    joined += SanitizePart(part);
  }
  return joined;
}

ustring TvxConfigTools::GetParamKey(const ustring& Path) { return UpperStrW(SanitizeParamPath(Path)); }

ustring TvxConfigTools::GetPathString(const TWideStringArray& Param, bool Prepare) {
  ustring result;
  for (const ustring& element : Param)
    if (!element.empty()) result += u'/' + CleanParamPath(element);
  return Prepare ? CleanParamPath(result) : result;
}

int32_t TvxConfigTools::GetFreeConfigSlot(TvxConfigList& CfgList) {
  for (size_t i = 0; i < CfgList.size(); ++i)
    if (!CfgList[i].Active) return static_cast<int32_t>(i);
  const size_t first = CfgList.size();
  CfgList.resize(first == 0 ? 100 : first * 2);
  return static_cast<int32_t>(first);
}

void TvxConfigTools::TrimConfigList(TvxConfigList& CfgList) {
  for (size_t i = CfgList.size(); i > 0; --i)
    if (CfgList[i - 1].Active) {
      CfgList.resize(i);
      return;
    }
}

// ---- The list -------------------------------------------------------------------

bool TvxConfigTools::ClearConfig() {
  for (TvxConfigPart& part : ConfigList) part.Active = false;
  ConfigList.clear();
  return true;
}

bool TvxConfigTools::InitList(TvxConfigList& CfgList, int32_t ItemCount) {
  CfgList.resize(static_cast<size_t>(std::max(ItemCount, 0)));
  return true;
}

bool TvxConfigTools::InitList(int32_t ItemCount) { return InitList(ConfigList, ItemCount); }

int32_t TvxConfigTools::GetListSize() const {
  int32_t n = 0;
  for (const TvxConfigPart& part : ConfigList) n += part.Active ? 1 : 0;
  return n;
}

int32_t TvxConfigTools::FindKey(const ustring& Key) const {
  for (size_t i = 0; i < ConfigList.size(); ++i)
    if (ConfigList[i].Active && ConfigList[i].SORTL == Key) return static_cast<int32_t>(i);
  return -1;
}

int32_t TvxConfigTools::AddConfigParam(const ustring& Param, const Variant& Value, bool Binary, bool Replace) {
  try {
    const ustring key = GetParamKey(Param);
    if (key.empty()) return -1;
    int32_t index = -1;
    if (!AllowMultiParams || Replace) index = FindKey(key);
    if (index < 0) index = GetFreeConfigSlot(ConfigList);
    TvxConfigPart& part = ConfigList[static_cast<size_t>(index)];
    part.Active = true;
    part.Param = CleanParamPath(Param);
    part.SORTL = key;
    part.Value = Value;
    part.Binary = Binary;
    return index;
  } catch (const std::exception&) {
    return -1;
  }
}

int32_t TvxConfigTools::AddConfigParam(const TWideStringArray& Param, const Variant& Value, bool Binary,
                                       bool Replace) {
  return AddConfigParam(GetPathString(Param, false), Value, Binary, Replace);
}

int32_t TvxConfigTools::AddConfigParam(TvxConfigList& CfgList, const ustring& Param, const Variant& Value,
                                       bool Binary) {
  try {
    const ustring cleaned = CleanParamPath(Param);
    if (cleaned.empty()) return -1;
    const int32_t index = GetFreeConfigSlot(CfgList);
    TvxConfigPart& part = CfgList[static_cast<size_t>(index)];
    part.Active = true;
    part.Param = cleaned;
    part.SORTL = GetParamKey(cleaned);
    part.Value = Value;
    part.Binary = Binary;
    return index;
  } catch (const std::exception&) {
    return -1;
  }
}

bool TvxConfigTools::AddBlobConfigParam(const ustring& Param, const std::string& FileName) {
  const ustring cleaned = CleanParamPath(Param);
  if (cleaned.empty()) return false;
  std::string bytes;
  // The failure "stream read exception of " + FileName stays inside.
  if (!TvxFiles::LoadFileToString(AnsiToWide(FileName), bytes)) return false;
  const int32_t index = GetFreeConfigSlot(ConfigList);
  TvxConfigPart& part = ConfigList[static_cast<size_t>(index)];
  part.Active = true;
  part.Param = cleaned;
  part.SORTL = GetParamKey(cleaned);
  part.Value = Variant(std::move(bytes));
  part.Binary = true;
  return true;
}

bool TvxConfigTools::ConfigParamExists(const ustring& Param) const { return FindKey(GetParamKey(Param)) >= 0; }

bool TvxConfigTools::ConfigParamExists(const TWideStringArray& Param) const {
  return ConfigParamExists(GetPathString(Param, true));
}

int32_t TvxConfigTools::GetConfigParamListId(const ustring& Param) const { return FindKey(GetParamKey(Param)); }

Variant TvxConfigTools::GetConfigParam(const ustring& Param) const {
  const int32_t index = GetConfigParamListId(Param);
  return index < 0 ? Variant(ustring()) : ConfigList[static_cast<size_t>(index)].Value;
}

Variant TvxConfigTools::GetConfigParam(const TvxConfigList& CfgList, const ustring& Param, const Variant& Default) {
  const ustring key = GetParamKey(Param);
  for (const TvxConfigPart& part : CfgList) {
    if (!part.Active || part.SORTL != key) continue;
    if (!PlainText(part.Value).empty()) return part.Value;
    switch (Default.VarType()) {
      case varSmallint:
      case varInteger:
      case varSingle:
      case varDouble:
      case varCurrency:
      case varDate:
      case varBoolean:
      case varByte:
      case varWord:
      case varLongWord:
      case varInt64: return Default;
      default: return part.Value;
    }
  }
  return Default;
}

Variant TvxConfigTools::GetConfigParam(const ustring& Param, const Variant& Default) const {
  return GetConfigParam(ConfigList, Param, Default);
}

Variant TvxConfigTools::GetConfigParam(const TvxConfigList& CfgList, const TWideStringArray& Param,
                                       const Variant& Default) {
  return GetConfigParam(CfgList, GetPathString(Param, false), Default);
}

Variant TvxConfigTools::GetConfigParam(const TWideStringArray& Param, const Variant& Default) const {
  return GetConfigParam(ConfigList, Param, Default);
}

int32_t TvxConfigTools::GetEmptyConfigParam() const {
  for (size_t i = 0; i < ConfigList.size(); ++i)
    if (!ConfigList[i].Active && ConfigList[i].Param.empty()) return static_cast<int32_t>(i);
  return -1;
}

bool TvxConfigTools::DeleteConfigParam(const ustring& Param) {
  const ustring key = GetParamKey(Param);
  bool deleted = false;
  for (int32_t index = FindKey(key); index >= 0; index = FindKey(key)) {
    ConfigList[static_cast<size_t>(index)] = TvxConfigPart();
    deleted = true;
    if (!AllowMultiParams) break;
  }
  return deleted;
}

bool TvxConfigTools::DeleteConfigParam(const TWideStringArray& Param) {
  return DeleteConfigParam(GetPathString(Param, true));
}

bool TvxConfigTools::AddAttribute(TvxConfigList& CfgList, int32_t ConfigId, const ustring& Attribute,
                                  const Variant& Value) {
  const ustring upper = UpperStrW(Attribute);
  // The failure "reserved attribute " + Attribute stays inside.
  if ((!AllowNameAttribute && upper == u"NAME") || upper == u"TYPE") return false;
  if (ConfigId < 0 || static_cast<size_t>(ConfigId) >= CfgList.size()) return false;
  TvxAttributes& attributes = CfgList[static_cast<size_t>(ConfigId)].Attributes;
  for (const TvxAttribute& a : attributes)
    if (a.Name == Attribute) return true;
  attributes.push_back({Attribute, Value});
  return true;
}

bool TvxConfigTools::AddAttribute(int32_t ConfigId, const ustring& Attribute, const Variant& Value) {
  return AddAttribute(ConfigList, ConfigId, Attribute, Value);
}

Variant TvxConfigTools::GetAttribute(int32_t ConfigId, const ustring& Attribute, const Variant& Default,
                                     bool AcceptEmptyAttributeValue) const {
  if (ConfigId < 0 || static_cast<size_t>(ConfigId) >= ConfigList.size()) return Default;
  for (const TvxAttribute& a : ConfigList[static_cast<size_t>(ConfigId)].Attributes)
    if (a.Name == Attribute && (AcceptEmptyAttributeValue || !PlainText(a.Value).empty())) return a.Value;
  return Default;
}

Variant TvxConfigTools::GetAttribute(const ustring& Param, const ustring& Attribute, const Variant& Default,
                                     bool AcceptEmptyAttributeValue) const {
  return GetAttribute(GetConfigParamListId(Param), Attribute, Default, AcceptEmptyAttributeValue);
}

bool TvxConfigTools::GetConfigList(const ustring& Path, TvxConfigList& CfgList, bool KeepOrgPath) const {
  CfgList.clear();
  const ustring key = GetParamKey(Path);
  const ustring cleaned = CleanParamPath(Path);
  for (const TvxConfigPart& part : ConfigList) {
    if (!part.Active) continue;
    if (!cleaned.empty() && part.SORTL != key && part.SORTL.compare(0, key.size() + 1, key + u'/') != 0) continue;
    const int32_t index = GetFreeConfigSlot(CfgList);
    TvxConfigPart& copy = CfgList[static_cast<size_t>(index)];
    copy = part;
    if (!cleaned.empty() && !KeepOrgPath) {
      copy.Param = copy.Param.size() > cleaned.size() ? copy.Param.substr(cleaned.size() + 1) : ustring();
      copy.SORTL = GetParamKey(copy.Param);
    }
  }
  TrimConfigList(CfgList);
  return true;
}

bool TvxConfigTools::GetConfigList(const TWideStringArray& Path, TvxConfigList& CfgList, bool KeepOrgPath) const {
  return GetConfigList(GetPathString(Path, false), CfgList, KeepOrgPath);
}

bool TvxConfigTools::GetNodeElements(const ustring& Path, TStringList& List, bool GetFullPath) const {
  List.SetSorted(true);
  List.SetDuplicates(dupIgnore);
  const ustring cleaned = CleanParamPath(Path);
  TvxConfigList entries;
  GetConfigList(Path, entries, true);
  for (const TvxConfigPart& part : entries) {
    if (!part.Active) continue;
    ustring rest;
    if (cleaned.empty()) rest = part.Param;
    else if (part.Param.size() > cleaned.size()) rest = part.Param.substr(cleaned.size() + 1);
    rest = rest.substr(0, rest.find(u'/'));
    List.Add(GetFullPath ? cleaned + u'/' + rest : rest);
  }
  return true;
}

bool TvxConfigTools::GetNodeElements(const TWideStringArray& Path, TStringList& List) const {
  return GetNodeElements(GetPathString(Path, true), List, false);
}

std::unique_ptr<TStringList> TvxConfigTools::GetNodeElements(const TWideStringArray& Path) const {
  auto list = std::make_unique<TStringList>();
  GetNodeElements(Path, *list);
  return list;
}

// ---- The XML configuration string --------------------------------------------------

std::string TvxConfigTools::GetChangeProtectionHash(const TvxConfigList& CfgList) {
  ustring text;
  for (const TvxConfigPart& part : CfgList) {
    if (!part.Active) continue;
    text += part.Param;
    text += Clean(TvxTypes::VarToStrExt(part.Value));
    for (const TvxAttribute& a : part.Attributes) {
      text += a.Name;
      text += PlainText(a.Value);
    }
  }
  return TvxMD5::GetMD5FromString(WideToUtf8(text) + ChangeProtectionSalt());
}

std::string TvxConfigTools::BuiltConfigString(const TvxConfigList& CfgList, const ustring& ConfigType,
                                              bool Compress, bool Enhanced, bool NodeNameByAttrib) {
  try {
    if (NodeNameByAttrib)
      for (const TvxConfigPart& part : CfgList)
        if (part.Active && part.Param.find(u'/') != ustring::npos)
          throw Exception("node paths and nodenamebyattribute is not supported");
    TXMLDocument doc;
    TXMLNode root = doc.DocumentNode().AddChild(ConfigType);
    root.SetAttribute(u"FormatVersion", u"2.0");
    root.SetAttribute(u"Compressed", Compress ? u"true" : u"false");
    root.SetAttribute(u"Encoding", Compress ? u"Base64" : u"none");

    for (const TvxConfigPart& part : CfgList) {
      if (!part.Active) continue;
      const TWideStringArray parts = SplitParamPath(part.Param);
      if (parts.empty()) continue;
      TXMLNode element;
      if (parts.size() == 1) {
        const ustring name = NodeNameByAttrib ? DefaultNodeName : SanitizeParamPath(parts[0]);
        element = root.AddChild(name);
        if (NodeNameByAttrib || name != parts[0]) element.SetAttribute(u"Name", parts[0]);
      } else {
        element = root;
        for (const ustring& p : parts) {
          const ustring name = SanitizeParamPath(p);
          TXMLNode child = element.FindChildElement(name);
          if (!child) {
            child = element.AddChild(name);
            if (name != p) child.SetAttribute(u"Name", p);
          }
          element = child;
        }
      }
      if (part.Binary) element.SetAttribute(u"Type", u"BINARY");
      else if (Enhanced) element.SetAttribute(u"Type", TvxTypes::GetVarTypeStr(TvxTypes::GetVarType(part.Value)));

      ustring text;
      if (Compress) {
        std::string bytes;
        if (part.Binary) bytes = BinaryBytes(part.Value);
        else if (TvxTypes::IsStringVariant(part.Value)) bytes = WideToUtf8(PlainText(part.Value));
        else bytes = WideToUtf8(Enhanced ? TvxTypes::VarToStrExt(part.Value) : FixedText(part.Value));
        text = AnsiToWide(StrToBase64Lines(TvxStrings::CompressString(bytes)));
      } else if (part.Binary) {
        text = AnsiToWide(StrToBase64Lines(BinaryBytes(part.Value)));
      } else if (TvxTypes::IsStringVariant(part.Value)) {
        text = Clean(PlainText(part.Value));
      } else if (Enhanced) {
        text = Clean(TvxTypes::VarToStrExt(part.Value));
      } else {
        text = Clean(FixedText(part.Value));
      }
      element.SetText(text);

      for (const TvxAttribute& a : part.Attributes) {
        if (a.Value.Deref().IsNull()) continue;
        element.SetAttribute(a.Name, Clean(TvxTypes::IsStringVariant(a.Value) ? PlainText(a.Value)
                                                                               : FixedText(a.Value)));
      }
    }

    std::string result = doc.SaveToXML();
    if (ChangeProtection) {
      // The hash covers the list as a reader will see it (grouping elements
      // and value texts after a round through the text included), so that
      // the reader's check agrees for every list.
      TXMLDocument written;
      written.LoadFromXML(result);
      const TXMLNode writtenRoot = written.DocumentElement();
      TvxConfigList seen;
      InitList(seen, static_cast<int32_t>(writtenRoot.ChildNodes().size()));
      size_t hint = 0;
      ReadConfigNodes(seen, hint, writtenRoot, u"", vxFV_20, Compress);
      root.SetAttribute(u"Hash", AnsiToWide(GetChangeProtectionHash(seen)));
      result = doc.SaveToXML();
    }
    Message.clear();
    return result;
  } catch (const Exception& e) {
    Message = e.Message();
    throw;
  } catch (const std::exception& e) {
    Message = Utf8ToWide(e.what());
    throw Exception(Message);
  }
}

std::string TvxConfigTools::BuiltConfigString(const ustring& ConfigType, bool Compress, bool Enhanced,
                                              bool NodeNameByAttrib) {
  return BuiltConfigString(ConfigList, ConfigType, Compress, Enhanced, NodeNameByAttrib);
}

TvxCfgFormatVersion TvxConfigTools::GetConfigFormatVersion(const ustring& FStr) {
  static const char16_t* const kTexts[] = {u"1.0", u"1.1", u"1.2", u"1.3", u"1.4", u"1.5",
                                           u"1.6", u"1.7", u"1.8", u"2.0", u"2.1"};
  for (int i = 0; i < static_cast<int>(vxFV_Unknown); ++i)
    if (FStr == kTexts[i]) return static_cast<TvxCfgFormatVersion>(i);
  return vxFV_Unknown;
}

void TvxConfigTools::ReadConfigNodes(TvxConfigList& CfgList, size_t& FreeHint, const TXMLNode& Element,
                                     const ustring& Prefix, TvxCfgFormatVersion Version, bool Compressed) {
  for (const TXMLNode& node : Element.ChildNodes()) {
    if (node.NodeType() != ntElement) continue;
    // The first free slot, growing the list; slots before the hint are
    // all taken while a document is read.
    while (FreeHint < CfgList.size() && CfgList[FreeHint].Active) ++FreeHint;
    if (FreeHint == CfgList.size()) CfgList.resize(CfgList.empty() ? 100 : CfgList.size() * 2);
    const size_t index = FreeHint;
    CfgList[index].Active = true;

    const ustring name = node.NodeName();
    const ustring nameAttribute = node.GetAttribute(u"Name").value_or(ustring());
    const ustring ownName = nameAttribute.empty() ? name : nameAttribute;
    ustring param;
    if (Version <= vxFV_13) param = name;
    else if (Version <= vxFV_15) param = ownName;
    else param = Prefix + ownName;
    const ustring type = node.GetAttribute(u"Type").value_or(ustring());
    const bool binary = UpperStrW(type) == u"BINARY";

    Variant value;
    if (Compressed || binary) {
      // The element's single text; an element that also holds elements (a
      // grouping element the writer made for longer paths) gives its first
      // text child, or no value at all when it has none.
      bool grouping = false;
      const std::vector<TXMLNode> children = node.ChildNodes();
      for (const TXMLNode& child : children) grouping |= child.NodeType() == ntElement;
      std::optional<ustring> raw;
      if (!grouping) {
        raw = node.Text();
      } else {
        const TXMLNode first = children.front();
        if (first.NodeType() == ntText || first.NodeType() == ntCData) raw = first.NodeValue();
      }
      if (!raw) {
        value = binary ? Variant(std::string()) : Variant(ustring());
      } else {
        std::string bytes = Base64ToStr(WideToAnsi(*raw));
        if (Compressed) bytes = TvxStrings::DecompressString(bytes);
        value = binary ? Variant(std::move(bytes)) : Variant(Utf8ToWide(bytes));
      }
    } else {
      const TVarType varType = TvxTypes::GetVarTypeFromStr(type, varOleStr);
      const Variant text = TvxIXMLDocumentTools::GetNodeValue(node);
      value = TvxTypes::StrToVarExt(text.IsNull() ? ustring() : text.AsString(), varType);
    }

    TvxAttributes attributes;
    if (Version >= vxFV_13)
      for (const auto& [attrName, attrValue] : node.Attributes())
        if (attrName != u"Name" && attrName != u"Type") attributes.push_back({attrName, Variant(attrValue)});

    TvxConfigPart& part = CfgList[index];
    part.Param = param;
    part.SORTL = GetParamKey(param);
    part.Binary = binary;
    part.Value = std::move(value);
    part.Attributes = std::move(attributes);

    if (node.HasChildNodes())
      ReadConfigNodes(CfgList, FreeHint, node, Prefix + ownName + u'/', Version, Compressed);
  }
}

bool TvxConfigTools::ParseConfigString(TvxConfigList& CfgList, const std::string& Config, ustring& Root,
                                       bool RaiseExceptions) {
  CfgList.clear();
  if (IsBlankConfig(Config)) return true;
  bool result = false;
  ustring failure;
  try {
    TXMLDocument doc;
    doc.LoadFromXML(Config);
    const TXMLNode root = doc.DocumentElement();
    Root = root.NodeName();
    TvxCfgFormatVersion version = vxFV_Unknown;
    bool compressed = false;
    try {
      version = GetConfigFormatVersion(root.GetAttribute(u"FormatVersion").value_or(ustring()));
      compressed = TvxConversion::StrToBool(root.GetAttribute(u"Compressed").value_or(ustring()));
    } catch (const std::exception&) {
      version = vxFV_Unknown;
      compressed = false;
    }
    InitList(CfgList, static_cast<int32_t>(root.ChildNodes().size()));
    size_t hint = 0;
    ReadConfigNodes(CfgList, hint, root, u"", version, compressed);
    if (ChangeProtection) {
      ustring stored;
      try {
        stored = root.GetAttribute(u"Hash").value_or(ustring()).substr(0, 32);
      } catch (const std::exception&) {
        throw Exception("cannot read change protection hash");
      }
      TrimConfigList(CfgList);
      if (TvxStrings::IsEmptyW(stored, true) || stored != AnsiToWide(GetChangeProtectionHash(CfgList)))
        throw Exception("change protection hash mismatch");
    }
    result = true;
  } catch (const Exception& e) {
    failure = e.Message();
  } catch (const std::exception& e) {
    failure = Utf8ToWide(e.what());
    if (failure.empty()) failure = u"parse failure";
  }
  Message.clear();
  TrimConfigList(CfgList);
  if (result) return true;
  Message = failure;
  if (RaiseExceptions) throw Exception(failure);
  return false;
}

bool TvxConfigTools::ParseConfigString(const std::string& Config, ustring& Root, bool RaiseExceptions) {
  try {
    const bool result = ParseConfigString(ConfigList, Config, Root, RaiseExceptions);
    RootNodeName = Root;
    return result;
  } catch (...) {
    RootNodeName = Root;
    throw;
  }
}

bool TvxConfigTools::ParseConfigString(const std::string& Config) {
  try {
    return ParseConfigString(ConfigList, Config, RootNodeName, false);
  } catch (...) {
    return false;
  }
}

bool TvxConfigTools::SaveConfig(const ustring& FileName, const ustring& ConfigType, bool Compress, bool Enhanced) {
  const std::string text = BuiltConfigString(ConfigType, Compress, Enhanced, false);
  return TvxFiles::SaveStringToFile(FileName, text, false, false, "");
}

bool TvxConfigTools::LoadConfig(const ustring& FileName) {
  try {
    std::string data;
    if (!TvxFiles::LoadFileToString(FileName, data)) return false;
    return ParseConfigString(ConfigList, data, RootNodeName, false);
  } catch (...) {
    return false;
  }
}
