// The node walk: a key turned into its node's id level by level (from the
// cache where it can, creating missing nodes when asked), the walk that keeps
// given ids, and the reverse walk from an id to its key.
#include <set>

#include "configstore/vxConfigManager.h"
#include "core/vxToolsSystem.h"

namespace {

constexpr char16_t TreeType[] = u"TREE";
constexpr int32_t MaxAttempts = 10;

TIdType IdOf(const ustring& Text) { return TIdType(std::u16string_view(Text)); }

}  // namespace

ustring TvxConfigManager::ParentCondition(const TIdType& ParentId) {
  return ParentId.IsEmpty() ? u"(PARENTID = :PARENTID OR PARENTID IS NULL)" : u"PARENTID = :PARENTID";
}

TIdType TvxConfigManager::AppendNode(const TIdType& ParentId, const ustring& Name, const TIdType& Id) {
  ADODataSet->Append();
  ADODataSet->FieldByName(u"ID").SetAsString(Id.WideStr());
  ADODataSet->FieldByName(u"PARENTID").SetAsString(ParentId.WideStr());
  ADODataSet->FieldByName(u"KEYNAME").SetAsString(Name);
  ADODataSet->FieldByName(u"DATATYPE").SetAsString(TreeType);
  ADODataSet->FieldByName(u"KEYVALUE").SetAsString(u"");
  ExtendRecord(*ADODataSet);
  ADODataSet->Post();
  return Id;
}

TIdType TvxConfigManager::GetParentTreeId(const ustring& Key, bool Create, bool ForceLoad) {
  const ustring full = PrepareKey(Key);
  bool useCache = CacheEnabled;
  int32_t errors = 0, attempts = 0;
  ustring failure;
  for (;;) {
    try {
      TIdType id;
      if (!ForceLoad && GetCacheKeyId(full, id, true)) return id;
      id = TIdType();
      {
        std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
        // The path of the levels walked so far, begun anew by every attempt.
        ustring path;
        size_t from = 0, slash;
        while ((slash = full.find(u'/', from)) != ustring::npos) {
          ustring name = full.substr(from, slash - from);
          from = slash + 1;
          if (name.empty()) name = u"Unnamed";
          path += name + u"/";
          if (useCache) {
            TIdType cached;
            if (GetCacheKeyId(path, cached, false)) {
              id = cached;
              continue;
            }
            useCache = false;  // every deeper level comes from the table
          }
          const ustring decoded = DecodeKeyPart(name);
          OpenDataSet(u"SELECT * FROM " + CfgTabName + u" WHERE KEYNAME = :KEYNAME AND " + ParentCondition(id) +
                          u" AND DATATYPE = :DATATYPE",
                      {{u"KEYNAME", Variant(decoded)}, {u"PARENTID", Variant(id.WideStr())}, {u"DATATYPE", Variant(TreeType)}});
          if (!ADODataSet->Eof()) {
            id = IdOf(ADODataSet->FieldByName(u"ID").AsString());
          } else if (!Create) {
            id = TIdType();
            ADODataSet->Close();
            break;
          } else {
            id = AppendNode(id, decoded, TvxTools::CreateId());
          }
          ADODataSet->Close();
        }
      }
      SetCacheKeyId(full, id);
      return id;
    } catch (const Exception& e) {
      ++errors;
      ++attempts;
      failure = e.Message();
      Message = failure;
      if (CheckADOConnection()) --errors;
    }
    // With the statement's error: the check may have put a text of success
    // into Message.
    if (errors >= MaxDbRetry || attempts >= MaxAttempts) throw Exception(failure);
  }
}

void TvxConfigManager::ReKeyNode(const TIdType& OldId, const TIdType& NewId) {
  // Other stores may hold the old id for the node's key.
  SetDatabaseChangeState();
  InTransaction([&] {
    OpenDataSet(u"SELECT * FROM " + CfgTabName + u" WHERE ID = :ID", {{u"ID", Variant(OldId.WideStr())}});
    if (ADODataSet->Eof()) throw Exception(u"configuration node " + OldId.WideStr() + u" vanished");
    ADODataSet->Edit();
    ADODataSet->FieldByName(u"ID").SetAsString(NewId.WideStr());
    ExtendRecord(*ADODataSet);
    ADODataSet->Post();
    ADODataSet->Close();
    // The rows below the node follow it.
    ADOCommand->SetCommandText(u"UPDATE " + CfgTabName + u" SET PARENTID = :NEWID WHERE PARENTID = :OLDID");
    ADOCommand->Parameters().ParamByName(u"NEWID").Value = Variant(NewId.WideStr());
    ADOCommand->Parameters().ParamByName(u"OLDID").Value = Variant(OldId.WideStr());
    ADOCommand->Execute();
  });
}

TIdType TvxConfigManager::GetParentTreeId(const ustring& Key, const TIdType& DefKeyId, bool Create) {
  try {
    const ustring full = PrepareKey(Key);
    TIdType id;
    ustring path;
    size_t from = 0, slash;
    while ((slash = full.find(u'/', from)) != ustring::npos) {
      const ustring name = full.substr(from, slash - from);
      from = slash + 1;
      path += name + u"/";
      const bool last = full.find(u'/', from) == ustring::npos;
      const bool given = last && !IsTIdStringEmpty(DefKeyId);
      std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
      const ustring decoded = DecodeKeyPart(name);
      OpenDataSet(u"SELECT * FROM " + CfgTabName + u" WHERE KEYNAME = :KEYNAME AND " + ParentCondition(id) +
                      u" AND DATATYPE = :DATATYPE",
                  {{u"KEYNAME", Variant(decoded)}, {u"PARENTID", Variant(id.WideStr())}, {u"DATATYPE", Variant(TreeType)}});
      if (!ADODataSet->Eof()) {
        id = IdOf(ADODataSet->FieldByName(u"ID").AsString());
        ADODataSet->Close();
        if (Create && given && !(DefKeyId == id)) {
          try {
            ReKeyNode(id, DefKeyId);
            RemoveKeyFromCache(path);
            id = DefKeyId;
          } catch (const Exception&) {
            // The node keeps the id it has.
          }
        }
      } else if (Create) {
        id = AppendNode(id, decoded, given ? DefKeyId : TvxTools::CreateId());
        ADODataSet->Close();
      } else {
        ADODataSet->Close();
        return TIdType();
      }
    }
    return id;
  } catch (const Exception& e) {
    Message = e.Message();
    CheckADOConnection();
    throw Exception(Message.Get());
  }
}

ustring TvxConfigManager::GetKeyNameByNodeId(const TIdType& NodeId) {
  return Guarded(ustring(), [&] {
    ustring key;
    if (GetCacheKeyById(NodeId, key)) return key;
    key.clear();
    bool node = false;
    {
      std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
      std::set<std::string> seen;
      TIdType current = NodeId;
      for (bool first = true;; first = false) {
        // A damaged table whose parent ids run in a circle.
        if (!seen.insert(current.Str()).second)
          throw Exception(u"the parent ids above configuration node " + NodeId.WideStr() + u" run in a circle");
        OpenDataSet(u"SELECT ID,PARENTID,KEYNAME,DATATYPE FROM " + CfgTabName + u" WHERE ID = :NODEID",
                    {{u"NODEID", Variant(current.WideStr())}});
        if (ADODataSet->Eof()) {
          ADODataSet->Close();
          break;
        }
        const bool tree = TrimKey(ADODataSet->FieldByName(u"DATATYPE").AsString()) == TreeType;
        if (first) node = tree;
        if (tree) key = u"/" + EncodeKeyPart(ADODataSet->FieldByName(u"KEYNAME").AsString()) + key;
        const ustring parent = TrimKey(ADODataSet->FieldByName(u"PARENTID").AsString());
        ADODataSet->Close();
        if (parent.empty()) break;
        current = IdOf(parent);
      }
    }
    // Only a node's own id belongs to its key: a property's id under its
    // node's key would send later walks beneath the property.
    if (node) SetCacheKeyId(key, NodeId);
    return key;
  });
}
