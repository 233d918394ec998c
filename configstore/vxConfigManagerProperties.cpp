// Property lists: the properties of a node (typed, raw or names only, with
// a name prefix), of a subtree, the numbered sub-properties, the writing of
// a list back, the by-name helpers on a list in memory, and the context help.
//
// A name prefix is matched as written (letter case counts, "%" and "_" are
// characters like any other): the database narrows the rows with LIKE and
// each name is then compared here, so both databases list the same.
#include <algorithm>
#include <unordered_map>

#include "configstore/internal/vxConfigManagerPatterns.h"
#include "configstore/vxConfigManager.h"
#include "core/vxConversion.h"
#include "core/vxStringsCheck.h"
#include "core/vxToolsEvo2.h"
#include "core/vxToolsSystem.h"
#include "core/vxTypesValues.h"
#include "platform/time/vxDateUtils.h"

namespace {

constexpr char16_t TreeType[] = u"TREE";
constexpr char16_t BinaryType[] = u"BINARY";

uint32_t NumberOf(const ustring& Text) { return static_cast<uint32_t>(TvxConversion::StrToInt(Text, 0)); }

TDataTypeStr TypeNameOf(const Variant& Value) {
  return TDataTypeStr(std::u16string_view(TvxTypes::GetVarTypeStr(Value.VarType())));
}

}  // namespace

ustring TvxConfigManager::NodePropertiesStatement(TTableStructureType Layout, bool WithValues, bool WithBinaries,
                                                  const ustring& Table) {
  const ustring all = u" WHERE PARENTID = :PARENTID AND NOT(DATATYPE = :DATATYPE) AND KEYNAME LIKE :NAMEPREFIX "
                      u"ORDER BY KEYNAME";
  const ustring noBinaries = u" WHERE PARENTID = :PARENTID AND NOT(DATATYPE = :DATATYPE) AND "
                             u"NOT(DATATYPE = :BINDATATYPE) AND KEYNAME LIKE :NAMEPREFIX ORDER BY KEYNAME";
  const ustring condition = WithValues && !WithBinaries ? noBinaries : all;
  if (Layout == TST_V2)
    return (WithValues ? u"SELECT ID,DATATYPE,KEYNAME,KEYVALUE,DIMENSION,CHANGEUSER,CHANGEDATE FROM "
                       : u"SELECT ID,DATATYPE,KEYNAME,DIMENSION,CHANGEUSER,CHANGEDATE FROM ") +
           Table + condition;
  return (WithValues ? u"SELECT ID,DATATYPE,KEYNAME,KEYVALUE FROM " : u"SELECT ID,DATATYPE,KEYNAME FROM ") + Table +
         condition;
}

bool TvxConfigManager::GetNodeProperties(const ustring& Key, TProperties& Properties, bool WithValues, bool Raw,
                                         bool CanCreate, const ustring& PropertyPrefix,
                                         const std::string& /*ValueSeparator*/, bool ExtendList, bool WithBinaries,
                                         bool AllowDuplicates) {
  return Guarded(false, [&] {
    Message = ustring();
    if (!ExtendList) Properties.clear();
    const ustring path = Convert2VisKey(Key);
    const TIdType nodeId = GetParentTreeId(path, CanCreate, false);
    if (IsTIdStringEmpty(nodeId)) return !CanCreate;

    const TTableStructureType layout = TableStructureType;
    std::vector<std::pair<ustring, TProperty>> read;
    {
      std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
      const ustring sql = NodePropertiesStatement(layout, WithValues, WithBinaries, CfgTabName);
      ADODataSet->Close();
      ADODataSet->SetCommandText(sql);
      TParameters& params = ADODataSet->Parameters();
      params.ParamByName(u"PARENTID").Value = Variant(nodeId.WideStr());
      params.ParamByName(u"DATATYPE").Value = Variant(TreeType);
      params.ParamByName(u"NAMEPREFIX").Value = Variant(vxConfigPatterns::PrefixLikePattern(PropertyPrefix));
      if (TParameter* binaries = params.FindParam(u"BINDATATYPE")) binaries->Value = Variant(BinaryType);
      ADODataSet->Open();
      TField& id = ADODataSet->FieldByName(u"ID");
      TField& dataType = ADODataSet->FieldByName(u"DATATYPE");
      TField& keyName = ADODataSet->FieldByName(u"KEYNAME");
      TField* keyValue = WithValues ? &ADODataSet->FieldByName(u"KEYVALUE") : nullptr;
      const bool v2 = layout == TST_V2;
      TField* dimension = v2 ? &ADODataSet->FieldByName(u"DIMENSION") : nullptr;
      TField* changeUser = v2 ? &ADODataSet->FieldByName(u"CHANGEUSER") : nullptr;
      TField* changeDate = v2 ? &ADODataSet->FieldByName(u"CHANGEDATE") : nullptr;
      for (; !ADODataSet->Eof(); ADODataSet->Next()) {
        ustring stored = keyName.AsString();
        if (!vxConfigPatterns::BeginsWith(stored, PropertyPrefix)) continue;
        TProperty p;
        p.Name = TrimKey(stored);
        p.SORTL = UpperStrW(p.Name);
        p.SORTLN = NumberOf(p.Name);
        p.Id = TIdType(std::u16string_view(TrimKey(id.AsString())));
        const ustring typeText = TrimKey(dataType.AsString());
        p.DataType = TDataTypeStr(std::u16string_view(typeText));
        p.Path = path;
        if (v2) {
          p.User = TrimKey(changeUser->AsString());
          p.Changed = changeDate->AsDateTime();
          p.Dimension = TrimKey(dimension->AsString());
        }
        if (!keyValue)
          p.Value = Variant::Null();
        else if (Raw)
          p.Value = Variant(keyValue->AsString());
        else
          p.Value = TvxTypes::StrToVarExt(keyValue->AsString(), typeText);
        read.emplace_back(std::move(stored), std::move(p));
      }
      ADODataSet->Close();
    }
    // In the order of the stored names' code units, whatever the collation.
    auto byName = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(read.begin(), read.end(), byName)) std::stable_sort(read.begin(), read.end(), byName);

    Properties.reserve(Properties.size() + read.size());
    if (ExtendList && !AllowDuplicates) {
      // The first entry of each name, the entries of this read included.
      std::unordered_map<ustring, size_t> first;
      for (size_t i = 0; i < Properties.size(); ++i) first.emplace(Properties[i].Name, i);
      for (auto& entry : read) {
        const auto found = first.find(entry.second.Name);
        if (found != first.end()) {
          Properties[found->second] = std::move(entry.second);
        } else {
          first.emplace(entry.second.Name, Properties.size());
          Properties.push_back(std::move(entry.second));
        }
      }
    } else {
      for (auto& entry : read) Properties.push_back(std::move(entry.second));
    }
    Message = ustring();
    return true;
  });
}

bool TvxConfigManager::GetRecursiveNodeProperties(const ustring& Key, TProperties& Properties, bool WithValues,
                                                  bool AddRelativePaths) {
  TConfigNodes nodes;
  GetRecursiveChildNodes(Key, nodes, true, true, true);
  const size_t from = Properties.size();
  for (const TConfigNode& node : nodes)
    GetNodeProperties(node.Key, Properties, WithValues, false, true, u"", "", true, true, true);
  if (AddRelativePaths) {
    // Only the entries of this read: those the caller's list held belong to
    // other keys.
    const size_t cut = Convert2VisKey(Key).size();
    for (size_t i = from; i < Properties.size(); ++i) Properties[i].Path.erase(0, cut);
  }
  return true;
}

bool TvxConfigManager::GetNodeSubProperties(const ustring& Key, TProperties& Properties, const ustring& PropertyPrefix,
                                            bool WithValues, bool NumSort) {
  return Reported(false, [&] {
    TProperties all;
    if (!GetNodeProperties(Key, all, WithValues, false, false, PropertyPrefix, "", false, true, false)) return false;
    TProperties kept;
    for (TProperty& p : all) {
      if (p.Name.size() <= PropertyPrefix.size()) continue;
      const char16_t c = p.Name[PropertyPrefix.size()];
      const bool separated = c == u' ' || c == u'_';
      const ustring rest = TrimKey(p.Name.substr(PropertyPrefix.size() + (separated ? 1 : 0)));
      const bool qualifies =
          PropertyPrefix.empty() || (!rest.empty() && (separated || TvxStrings::IsNumeric(rest, false, false)));
      if (!qualifies) continue;
      p.SubName = rest;
      p.SORTLN = NumberOf(rest);
      kept.push_back(std::move(p));
    }
    if (NumSort && kept.size() > 1 &&
        std::any_of(kept.begin(), kept.end(), [](const TProperty& p) { return p.SORTLN != 0; }))
      std::stable_sort(kept.begin(), kept.end(), [](const TProperty& a, const TProperty& b) { return a.SORTLN < b.SORTLN; });
    Properties = std::move(kept);
    return true;
  });
}

bool TvxConfigManager::SaveNodeProperties(const ustring& Key, TProperties& Properties, bool ForceDataType,
                                          bool UsePropertyPath, const TProgressCallBackProc& CallBack) {
  return Reported(false, [&] {
    Message = ustring();
    const ustring key = Convert2VisKey(Key);
    for (const TProperty& p : Properties) {
      const ustring node = !UsePropertyPath ? key : key.empty() ? p.Path : key + p.Path;
      if (CallBack) CallBack(node + u"/" + p.Name);
      if (ForceDataType)
        SetConfigValue(node, p.Name, p.Value, p.DataType);
      else
        SetConfigValue(node, p.Name, p.Value);
    }
    return true;
  });
}

int32_t TvxConfigManager::GetPropertyIdByName(const ustring& Name, const TProperties& Properties) {
  const ustring upper = UpperStrW(Name);
  for (size_t i = 0; i < Properties.size(); ++i)
    if (Properties[i].SORTL == upper) return static_cast<int32_t>(i);
  return -1;
}

Variant TvxConfigManager::GetPropertyValueByName(const ustring& Name, const Variant& Default, TProperties& Properties,
                                                 bool Extend) {
  const int32_t index = GetPropertyIdByName(Name, Properties);
  if (index >= 0) return Properties[static_cast<size_t>(index)].Value;
  if (Extend) {
    TProperty p;
    p.Id = TvxTools::CreateId();
    p.Name = Name;
    p.SORTL = UpperStrW(Name);
    p.SORTLN = NumberOf(p.SORTL);
    p.Value = Default;
    p.DataType = TypeNameOf(Default);
    p.User = Username.Get();
    p.Changed = vxRuntime::Now();
    Properties.push_back(std::move(p));
  }
  return Default;
}

Variant TvxConfigManager::GetPropertyValueByName(const ustring& Name, const Variant& Default,
                                                 const TProperties& Properties, const TProperties& DefaultProperties) {
  int32_t index = GetPropertyIdByName(Name, Properties);
  if (index >= 0) return Properties[static_cast<size_t>(index)].Value;
  index = GetPropertyIdByName(Name, DefaultProperties);
  if (index >= 0) return DefaultProperties[static_cast<size_t>(index)].Value;
  return Default;
}

bool TvxConfigManager::SetPropertyValueByName(const ustring& Name, const ustring& SubName, const Variant& Value,
                                              TProperties& Properties) {
  const int32_t index = GetPropertyIdByName(Name, Properties);
  const bool found = index >= 0;
  if (!found) Properties.emplace_back();
  TProperty& p = found ? Properties[static_cast<size_t>(index)] : Properties.back();
  p.Name = Name;
  p.SubName = SubName;
  p.SORTL = UpperStrW(Name);
  p.Value = Value;
  p.DataType = TypeNameOf(Value);
  p.User = Username.Get();
  p.Changed = vxRuntime::Now();
  return found;
}

bool TvxConfigManager::SetPropertyValueByName(const ustring& Name, const Variant& Value, TProperties& Properties) {
  return SetPropertyValueByName(Name, u"", Value, Properties);
}

bool TvxConfigManager::DeletePropertyValueByName(const ustring& Name, TProperties& Properties) {
  const int32_t index = GetPropertyIdByName(Name, Properties);
  if (index < 0) return false;
  Properties.erase(Properties.begin() + index);
  return true;
}

bool TvxConfigManager::Check4ContextHelp(const ustring& Key, ustring& HelpBuffer, TContextHelpArea& CHArea) {
  CHArea = CH_None;
  try {
    LoadClassNodeIds(false);
    auto read = [&](const TIdType& Node) {
      const Variant text = GetConfigValue(Node.WideStr(), Key, Variant(u""), false);
      return text.IsEmpty() || text.IsNull() ? ustring() : text.AsString();
    };
    HelpBuffer = read(KId_ClassesContextHelpSys.Get());
    if (!HelpBuffer.empty()) {
      CHArea = CH_System;
    } else {
      HelpBuffer = read(KId_ClassesContextHelpCus.Get());
      if (!HelpBuffer.empty()) CHArea = CH_Customer;
    }
    return !HelpBuffer.empty();
  } catch (const Exception& e) {
    Message = e.Message();
    HelpBuffer.clear();
    return false;
  }
}
