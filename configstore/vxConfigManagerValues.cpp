// Single property values: writing (plain, keeping a user's change, with a
// type name of the caller's and the change given), reading (by key or by row
// id), and the two tests on a property.
//
// A value is stored as its typed text (TvxTypes::VarToStrExt: a text as it
// is, numbers and dates in one fixed form whatever the locale) with its type
// name, so it reads back as the same kind on every database.
#include "configstore/vxConfigManager.h"
#include "core/vxToolsEvo2.h"
#include "core/vxToolsSystem.h"
#include "core/vxTypesValues.h"
#include "platform/time/vxDateUtils.h"

namespace {

constexpr char16_t TreeType[] = u"TREE";
constexpr char16_t BinaryType[] = u"BINARY";

}  // namespace

ustring TvxConfigManager::CutTypeName(const ustring& TypeName) { return TypeName.substr(0, TDataTypeStr::Capacity); }

ustring TvxConfigManager::StoredTypeName(const Variant& Value) {
  return CutTypeName(TvxTypes::GetVarTypeStr(Value.VarType()));
}

ustring TvxConfigManager::StoredText(const Variant& Value) { return TvxTypes::VarToStrExt(Value); }

TIdType TvxConfigManager::NodeIdOf(const ustring& Key, bool Create) {
  if (Key.find(u'/') != ustring::npos) return GetParentTreeId(Key, Create, false);
  return TIdType(std::u16string_view(Key).substr(0, TIdType::Capacity));
}

void TvxConfigManager::WriteProperty(const TIdType& NodeId, const ustring& Name, const ustring& TypeText,
                                     const ustring& Text, const TUnchanged& Unchanged,
                                     const std::function<void(TADODataSet&)>& MarkChange) {
  std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
  auto find = [&] {
    OpenDataSet(u"SELECT * FROM " + CfgTabName +
                    u" WHERE KEYNAME = :KEYNAME AND PARENTID = :PARENTID AND NOT DATATYPE = :TREEDATATYPE",
                {{u"KEYNAME", Variant(Name)}, {u"PARENTID", Variant(NodeId.WideStr())}, {u"TREEDATATYPE", Variant(TreeType)}});
    return !ADODataSet->Eof();
  };
  auto edit = [&] {
    if (Unchanged && Unchanged(ADODataSet->FieldByName(u"KEYVALUE").AsString(),
                               ADODataSet->FieldByName(u"DATATYPE").AsString()))
      return;
    ADODataSet->Edit();
    ADODataSet->FieldByName(u"KEYNAME").SetAsString(Name);
    ADODataSet->FieldByName(u"DATATYPE").SetAsString(TypeText);
    ADODataSet->FieldByName(u"KEYVALUE").SetAsString(Text);
    MarkChange(*ADODataSet);
    ADODataSet->Post();
  };
  if (find()) {
    edit();
  } else {
    try {
      ADODataSet->Append();
      ADODataSet->FieldByName(u"ID").SetAsString(TvxTools::CreateId().WideStr());
      ADODataSet->FieldByName(u"PARENTID").SetAsString(NodeId.WideStr());
      ADODataSet->FieldByName(u"KEYNAME").SetAsString(Name);
      ADODataSet->FieldByName(u"DATATYPE").SetAsString(TypeText);
      ADODataSet->FieldByName(u"KEYVALUE").SetAsString(Text);
      MarkChange(*ADODataSet);
      ADODataSet->Post();
    } catch (const Exception&) {
      // Another writer may have made the row since it was looked for (the
      // table refuses a second one): then this write changes it.
      if (!find()) throw;
      edit();
    }
  }
  ADODataSet->Close();
}

bool TvxConfigManager::SetConfigValue(const ustring& Key, const ustring& VarName, const Variant& Value) {
  return Guarded(false, [&] {
    const TIdType nodeId = GetParentTreeId(Key, true, false);
    const ustring typeText = StoredTypeName(Value);
    const ustring name = TrimKey(VarName);
    if (!IsTIdStringEmpty(nodeId) && !name.empty()) {
      const ustring text = StoredText(Value);
      // Compared with the text that would be written, so an unchanged value
      // (a double, a date) is not written again.
      WriteProperty(
          nodeId, name, typeText, text,
          [&](const ustring& StoredText, const ustring& StoredType) {
            return StoredText == text && StoredType == typeText;
          },
          [this](TADODataSet& Set) { ExtendRecord(Set); });
    }
    Message = ustring();
    return true;
  });
}

bool TvxConfigManager::SetConfigValueKeeping(const ustring& Key, const ustring& VarName, const Variant& Value,
                                             bool KeepUserContent) {
  if (KeepUserContent && ConfigValueChangedByUser(Key, VarName)) return true;
  return SetConfigValue(Key, VarName, Value);
}

bool TvxConfigManager::SetConfigValue(const ustring& Key, const ustring& VarName, const Variant& Value,
                                      const TDataTypeStr& DataType, const ustring& User, TDateTime Date,
                                      bool ForceTrackChanges) {
  return Guarded(false, [&] {
    const TIdType nodeId = GetParentTreeId(Key, true, false);
    std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
    const ustring given = DataType.WideStr();
    ustring typeText;
    if (!given.empty()) {
      typeText = CutTypeName(UpperStrW(given));
      if (TrimKey(typeText) == u"BOOL") typeText = u"BOOLEAN";
    } else {
      typeText = StoredTypeName(Value);
    }
    const ustring name = TrimKey(VarName);
    if (!IsTIdStringEmpty(nodeId) && !name.empty()) {
      const ustring text = StoredText(Value);
      // A binary value is always written; any other stays when its text and
      // the type name exactly as given are stored already.
      TUnchanged unchanged;
      if (given != BinaryType)
        unchanged = [&](const ustring& StoredText, const ustring& StoredType) {
          return StoredText == text && StoredType == given;
        };
      WriteProperty(nodeId, name, typeText, text, unchanged,
                    [&](TADODataSet& Set) { ExtendRecord(Set, User, Date, ForceTrackChanges); });
    }
    Message = ustring();
    return true;
  });
}

bool TvxConfigManager::SetConfigValue(const ustring& Key, const ustring& VarName, const Variant& Value,
                                      const TDataTypeStr& DataType) {
  return SetConfigValue(Key, VarName, Value, DataType, Username.Get(), vxRuntime::Now(), false);
}

bool TvxConfigManager::SetConfigValue(const ustring& Key, const ustring& VarName, const Variant& Value,
                                      const TDataTypeStr& DataType, bool KeepUserContent) {
  if (KeepUserContent && ConfigValueChangedByUser(Key, VarName)) return true;
  return SetConfigValue(Key, VarName, Value, DataType);
}

Variant TvxConfigManager::GetConfigValue(const ustring& Key, const ustring& VarName, const Variant& Default,
                                         bool Create) {
  return Guarded(Variant(), [&] {
    const ustring name = TrimKey(VarName);
    const TIdType nodeId = NodeIdOf(Key, Create);
    Variant result = Default;
    if (!IsTIdStringEmpty(nodeId)) {
      std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
      auto find = [&] {
        OpenDataSet(u"SELECT * FROM " + CfgTabName + u" WHERE KEYNAME = :KEYNAME AND PARENTID = :PARENTID",
                    {{u"KEYNAME", Variant(name)}, {u"PARENTID", Variant(nodeId.WideStr())}});
        if (ADODataSet->Eof()) return false;
        result = TvxTypes::StrToVarExt(ADODataSet->FieldByName(u"KEYVALUE").AsString(),
                                       ADODataSet->FieldByName(u"DATATYPE").AsString());
        return true;
      };
      // A nameless property is never made.
      if (!find() && Create && !name.empty()) {
        try {
          ADODataSet->Append();
          ADODataSet->FieldByName(u"ID").SetAsString(TvxTools::CreateId().WideStr());
          ADODataSet->FieldByName(u"PARENTID").SetAsString(nodeId.WideStr());
          ADODataSet->FieldByName(u"KEYNAME").SetAsString(name);
          ADODataSet->FieldByName(u"DATATYPE").SetAsString(StoredTypeName(Default));
          ADODataSet->FieldByName(u"KEYVALUE").SetAsString(StoredText(Default));
          ExtendRecord(*ADODataSet);
          ADODataSet->Post();
        } catch (const Exception&) {
          // Made by another writer meanwhile: its value is the one to read.
          if (!find()) throw;
        }
      }
      ADODataSet->Close();
    }
    Message = ustring();
    return result;
  });
}

Variant TvxConfigManager::GetConfigValueById(const TIdType& Id, const Variant& Default, bool Raw) {
  return Guarded(Variant(), [&] {
    std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
    OpenDataSet(u"SELECT * FROM " + CfgTabName + u" WHERE ID = :ID", {{u"ID", Variant(Id.WideStr())}});
    Variant result = Default;
    if (!ADODataSet->Eof()) {
      const ustring text = ADODataSet->FieldByName(u"KEYVALUE").AsString();
      result = Raw ? Variant(text) : TvxTypes::StrToVarExt(text, ADODataSet->FieldByName(u"DATATYPE").AsString());
    }
    ADODataSet->Close();
    Message = ustring();
    return result;
  });
}

bool TvxConfigManager::ConfigValueExists(const ustring& Key, const ustring& VarName) {
  return Guarded(false, [&] {
    const ustring name = TrimKey(VarName);
    const TIdType nodeId = NodeIdOf(Key, false);
    bool exists = false;
    if (!IsTIdStringEmpty(nodeId)) {
      std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
      OpenDataSet(u"SELECT * FROM " + CfgTabName + u" WHERE KEYNAME = :KEYNAME AND PARENTID = :PARENTID",
                  {{u"KEYNAME", Variant(name)}, {u"PARENTID", Variant(nodeId.WideStr())}});
      exists = !ADODataSet->Eof();
      ADODataSet->Close();
    }
    Message = ustring();
    return exists;
  });
}

bool TvxConfigManager::ConfigValueChangedByUser(const ustring& Key, const ustring& VarName) {
  return Guarded(false, [&] {
    const ustring name = TrimKey(VarName);
    if (TableStructureType == TST_V1) return false;
    const TIdType nodeId = NodeIdOf(Key, false);
    bool changed = false;
    if (!IsTIdStringEmpty(nodeId)) {
      std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
      OpenDataSet(u"SELECT CHANGEUSER FROM " + CfgTabName + u" WHERE KEYNAME = :KEYNAME AND PARENTID = :PARENTID",
                  {{u"KEYNAME", Variant(name)}, {u"PARENTID", Variant(nodeId.WideStr())}});
      changed = !ADODataSet->Eof() && !ADODataSet->FieldByName(u"CHANGEUSER").AsString().empty();
      ADODataSet->Close();
    }
    Message = ustring();
    return changed;
  });
}
