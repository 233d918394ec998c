// Changes to the tree's shape: deleting values, renaming a node, sorting
// node lists, and the transactions of the changes that take several
// statements.
//
// Node rows never go with a delete of values, so no subtree is left without
// its node. Renaming drops every cached key below the old one.
#include <algorithm>

#include "configstore/internal/vxConfigManagerPatterns.h"
#include "configstore/vxConfigManager.h"
#include "foundation/vxSQL.h"

namespace {

constexpr char16_t TreeType[] = u"TREE";

}  // namespace

void TvxConfigManager::InTransaction(const std::function<void()>& Work) {
  std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
  if (FTransactionDepth > 0) {
    ++FTransactionDepth;
    try {
      Work();
    } catch (...) {
      --FTransactionDepth;
      throw;
    }
    --FTransactionDepth;
    return;
  }
  const ustring transaction = TvxSQL::CreateTransactionId();
  auto run = [&](TvxTransactionType Kind) {
    // SQLite: a transaction that reads first could not write later once
    // another connection wrote meanwhile; one that writes takes the lock at
    // once (or waits for it).
    ADOCommand->SetCommandText(DatabaseType == vxDBT_SQLite && Kind == vxTT_Begin
                                   ? u"BEGIN IMMEDIATE TRANSACTION"
                                   : TvxSQL::GetTransactionStatement(transaction, DatabaseType, Kind));
    ADOCommand->Execute();
  };
  run(vxTT_Begin);
  FTransactionDepth = 1;
  try {
    Work();
    // A statement that failed inside may have ended the transaction on the
    // server without a word (PostgreSQL then turns COMMIT into ROLLBACK):
    // one more statement tells.
    OpenDataSet(u"SELECT ID FROM " + CfgTabName + u" WHERE ID = :ID", {{u"ID", Variant(u"NIL")}});
    ADODataSet->Close();
    run(vxTT_Commit);
    FTransactionDepth = 0;
  } catch (...) {
    FTransactionDepth = 0;
    try {
      ADODataSet->Close();
      run(vxTT_RollBack);
    } catch (const Exception&) {
      // The connection is gone: its transaction went with it.
    }
    ForgetUncommittedIds();
    throw;
  }
}

void TvxConfigManager::ForgetUncommittedIds() {
  InitCache();
  for (TGuarded<TIdType>* id : {&KId_ClassesStyleIcons, &KId_ClassesContextHelpSys, &KId_ClassesContextHelpCus,
                                &KId_ClassesStatus, &KId_ClassesLocale})
    *id = TIdType();
  FClassNodeIdsLoaded = false;
}

bool TvxConfigManager::DeleteConfigValue(const ustring& Key, const ustring& VarName, bool DeleteAlike) {
  return Guarded(false, [&] {
    const ustring name = TrimKey(VarName);
    const TIdType nodeId = GetParentTreeId(Key, false, false);
    Message = ustring();
    if (IsTIdStringEmpty(nodeId)) return false;
    std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
    if (!DeleteAlike) {
      ADOCommand->SetCommandText(u"DELETE FROM " + CfgTabName +
                                 u" WHERE KEYNAME = :KEYNAME AND PARENTID = :PARENTID AND NOT(DATATYPE = :DATATYPE)");
      ADOCommand->Parameters().ParamByName(u"KEYNAME").Value = Variant(name);
      ADOCommand->Parameters().ParamByName(u"PARENTID").Value = Variant(nodeId.WideStr());
      ADOCommand->Parameters().ParamByName(u"DATATYPE").Value = Variant(TreeType);
      ADOCommand->Execute();
    } else {
      // The names that begin with VarName as written, on every database.
      OpenDataSet(u"SELECT ID,KEYNAME FROM " + CfgTabName +
                      u" WHERE KEYNAME LIKE :KEYNAME AND PARENTID = :PARENTID AND NOT(DATATYPE = :DATATYPE)",
                  {{u"KEYNAME", Variant(vxConfigPatterns::PrefixLikePattern(name))},
                   {u"PARENTID", Variant(nodeId.WideStr())},
                   {u"DATATYPE", Variant(TreeType)}});
      std::vector<ustring> ids;
      for (; !ADODataSet->Eof(); ADODataSet->Next())
        if (vxConfigPatterns::BeginsWith(ADODataSet->FieldByName(u"KEYNAME").AsString(), name))
          ids.push_back(ADODataSet->FieldByName(u"ID").AsString());
      ADODataSet->Close();
      for (const ustring& id : ids) {
        ADOCommand->SetCommandText(u"DELETE FROM " + CfgTabName + u" WHERE ID = :ID");
        ADOCommand->Parameters().ParamByName(u"ID").Value = Variant(id);
        ADOCommand->Execute();
      }
    }
    Message = ustring();
    return true;
  });
}

bool TvxConfigManager::DeleteConfigValueById(const TIdType& PropertyId) {
  return Guarded(false, [&] {
    std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
    ADOCommand->SetCommandText(u"DELETE FROM " + CfgTabName + u" WHERE ID = :ID AND NOT(DATATYPE = :DATATYPE)");
    ADOCommand->Parameters().ParamByName(u"ID").Value = Variant(PropertyId.WideStr());
    ADOCommand->Parameters().ParamByName(u"DATATYPE").Value = Variant(TreeType);
    ADOCommand->Execute();
    Message = ustring();
    return true;
  });
}

bool TvxConfigManager::SortNodes(TConfigNodes& NodeList) {
  std::stable_sort(NodeList.begin(), NodeList.end(),
                   [](const TConfigNode& a, const TConfigNode& b) { return a.Name < b.Name; });
  return true;
}

bool TvxConfigManager::RenameKeyById(const TIdType& KeyId, const ustring& NewName) {
  return Guarded(false, [&] {
    if (TrimKey(NewName).empty()) throw Exception(u"empty node names not allowed here!");
    const ustring name = DecodeKeyPart(NewName);
    // The key the node had, to drop every cached key below it.
    const ustring oldKey = GetKeyNameByNodeId(KeyId);
    RemoveKeyIdFromCache(KeyId);
    if (!oldKey.empty()) RemoveKeyFromCache(oldKey);
    SetDatabaseChangeState();
    {
      std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
      OpenDataSet(u"SELECT PARENTID FROM " + CfgTabName + u" WHERE ID = :ID", {{u"ID", Variant(KeyId.WideStr())}});
      const bool exists = !ADODataSet->Eof();
      const TIdType parent(std::u16string_view(exists ? TrimKey(ADODataSet->FieldByName(u"PARENTID").AsString()) : u""));
      ADODataSet->Close();
      if (exists) {
        // Siblings below the same parent; a root's siblings are the other
        // roots, whether their parent is empty or NULL.
        OpenDataSet(u"SELECT COUNT(*) AS KEYNAMECOUNT FROM " + CfgTabName + u" WHERE " + ParentCondition(parent) +
                        u" AND KEYNAME = :KEYNAME",
                    {{u"PARENTID", Variant(parent.WideStr())}, {u"KEYNAME", Variant(name)}});
        const int64_t count = ADODataSet->FieldByName(u"KEYNAMECOUNT").AsLargeInt();
        ADODataSet->Close();
        if (count != 0) {
          Message = u"configuration node with name " + name + u" already exists!";
          return false;
        }
      }
      ADOCommand->SetCommandText(u"UPDATE " + CfgTabName + u" SET KEYNAME = :KEYNAME WHERE ID = :ID");
      ADOCommand->Parameters().ParamByName(u"KEYNAME").Value = Variant(name);
      ADOCommand->Parameters().ParamByName(u"ID").Value = Variant(KeyId.WideStr());
      ADOCommand->Execute();
    }
    // Keys another thread cached under the old name meanwhile.
    if (!oldKey.empty()) RemoveKeyFromCache(oldKey);
    Message = ustring();
    return true;
  });
}

bool TvxConfigManager::RenameKey(const ustring& Key, const ustring& NewName) {
  if (PrepareKey(Key).empty()) {
    Message = u"the root of the configuration tree cannot be renamed";
    RaiseException(Message);
    return false;
  }
  const TIdType id = GetParentTreeId(Key, false, false);
  if (IsTIdStringEmpty(id)) return false;
  return RenameKeyById(id, NewName);
}
