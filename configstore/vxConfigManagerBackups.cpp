// Deletes that keep what they remove: a subtree or a node's properties are
// first written as an export document into the host's backup folder, and
// nothing is deleted when that fails. Also the backups kept inside the tree
// below "/varlo/Classes/Backups", with their pruning.
//
// Both backup files go to the host's backup folder (the executable's folder
// is not writable here), each under a name of its own: two deletes within
// one millisecond must not overwrite the first one's backup, nor two
// backups in the tree share one node.
#include "configstore/vxConfigManager.h"
#include "core/vxConversion.h"
#include "core/vxDateTimeStamps.h"
#include "core/vxFilesPaths.h"
#include "core/vxToolsSystem.h"
#include "foundation/vxVarlo.h"
#include "platform/files/vxFileSystem.h"
#include "platform/time/vxDateUtils.h"

namespace {

constexpr char16_t TreeType[] = u"TREE";
constexpr char16_t BackupsRoot[] = u"/varlo/Classes/Backups";

// Stem + time stamp, with "_N" added while Exists says the name is taken.
template <class TExists>
ustring FreeStampedName(const ustring& Stem, const ustring& Suffix, TExists Exists) {
  const ustring stamped = Stem + TvxDateTime::CreateTimeStampStr();
  ustring name = stamped + Suffix;
  for (int n = 1; Exists(name); ++n) {
    const std::string number = TvxConversion::IntToStr(n);
    name = stamped + u"_" + ustring(number.begin(), number.end()) + Suffix;
  }
  return name;
}

}  // namespace

void TvxConfigManager::BackupBeforeDelete(const ustring& Key, const ustring& FileStem, bool SubNodes,
                                          bool NameTheFailure) {
  Message = ustring();
  bool written = false;
  ustring failure;
  try {
    const ustring fileName =
        FreeStampedName(TvxVarlo::GetBackupPath() + FileStem, u".xml", [](const ustring& Name) {
          return vxFileSystem::FileExists(Name);
        });
    written = Export(Key, fileName, SubNodes, false, ustring(), ustring(), ustring(), false, vxCE_UTF8, nullptr,
                     nullptr, vxPDT_PlainText, false, std::string(), false, ustring(), vxEFV_V1_5);
    failure = Message.Get();
  } catch (const Exception& e) {
    failure = e.Message();
  }
  if (written && failure.empty()) return;
  if (failure.empty()) failure = u"the export wrote no file";
  throw Exception(NameTheFailure ? u"backup failed (" + failure + u")!" : ustring(u"backup failed!"));
}

bool TvxConfigManager::DeleteConfigTree(const ustring& Key) {
  return Guarded(false, [&] {
    if (BackupChanges && NodeExists(Key, false))
      BackupBeforeDelete(Key, u"k7backup_" + TvxFiles::ConvertToFileName(Key) + u".", true, true);
    const TIdType nodeId = GetParentTreeId(Key, false, false);
    Message = ustring();
    if (TrimKey(nodeId.WideStr()).empty()) return false;
    RemoveKeyFromCache(Key);
    SetDatabaseChangeState();

    // Depth first, so every row comes after its parent; deleting from the
    // end then never leaves a row whose parent is gone, even when a failure
    // stops the deletes part-way.
    std::vector<ustring> ids{nodeId.WideStr()};
    std::vector<ustring> pending{nodeId.WideStr()};
    while (!pending.empty()) {
      const ustring parent = pending.back();
      pending.pop_back();
      std::vector<ustring> childNodes;
      {
        std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
        OpenDataSet(u"SELECT ID,PARENTID,DATATYPE,KEYNAME FROM " + CfgTabName + u" WHERE PARENTID = :PARENTID",
                    {{u"PARENTID", Variant(parent)}});
        for (; !ADODataSet->Eof(); ADODataSet->Next()) {
          ustring id = ADODataSet->FieldByName(u"ID").AsString();
          if (TrimKey(ADODataSet->FieldByName(u"DATATYPE").AsString()) == TreeType) childNodes.push_back(id);
          ids.push_back(std::move(id));
        }
        ADODataSet->Close();
      }
      // Reversed onto the stack, so the children are collected in the order read.
      pending.insert(pending.end(), childNodes.rbegin(), childNodes.rend());
    }
    for (auto id = ids.rbegin(); id != ids.rend(); ++id) {
      std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
      ADOCommand->SetCommandText(u"DELETE FROM " + CfgTabName + u" WHERE ID = :ID");
      ADOCommand->Parameters().ParamByName(u"ID").Value = Variant(*id);
      ADOCommand->Execute();
    }
    Message = ustring();
    return true;
  });
}

bool TvxConfigManager::DeleteNodeProperties(const ustring& Key) {
  return Guarded(false, [&] {
    Message = ustring();
    if (BackupChanges)
      BackupBeforeDelete(Key, u"k7backup.", false, false);
    const TIdType nodeId = GetParentTreeId(Key, true, false);
    if (IsTIdStringEmpty(nodeId)) return false;
    std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
    ADOCommand->SetCommandText(u"DELETE FROM " + CfgTabName +
                               u" WHERE PARENTID = :PARENTID AND NOT(DATATYPE = :DATATYPE)");
    ADOCommand->Parameters().ParamByName(u"PARENTID").Value = Variant(nodeId.WideStr());
    ADOCommand->Parameters().ParamByName(u"DATATYPE").Value = Variant(TreeType);
    ADOCommand->Execute();
    return true;
  });
}

bool TvxConfigManager::CreateBackup(const ustring& Key, const std::vector<ustring>& Properties,
                                    const ustring& Comment, int32_t MaxBackups, bool Persistent) {
  const ustring root = BackupsRoot + Convert2VisKey(Key);
  if (MaxBackups >= 0) {
    TConfigNodes items;
    GetChildNodes(root, items, false);
    int64_t excess = static_cast<int64_t>(items.size()) - MaxBackups;
    for (size_t i = 0; excess > 0 && i < items.size(); ++i) {
      bool ordinary = false;
      try {
        ordinary = !GetConfigValue(items[i].Key, u"Persistent", Variant(false), false).AsBoolean();
      } catch (const Exception&) {
        // A mark that is no truth value: keep that backup rather than guess.
      }
      if (!ordinary) continue;
      --excess;
      DeleteConfigTree(items[i].Key);
    }
  }
  // Two backups within one millisecond get nodes of their own.
  const ustring node =
      FreeStampedName(root + u"/Backup_", ustring(), [this](const ustring& Name) { return NodeExists(Name, false); });
  for (const ustring& name : Properties)
    if (ConfigValueExists(Key, name)) SetConfigValue(node, name, GetConfigValue(Key, name, Variant::Null(), false), false);
  const TDateTime now = vxRuntime::Now();
  SetConfigValue(node, u"User", Variant(TvxTools::GetUserNameEx(8)));
  SetConfigValue(node, u"Date", GetConfigValue(Key, u"ChangeDate", Variant::FromDate(now), false));
  SetConfigValue(node, u"CreationDate", Variant::FromDate(now));
  if (Persistent) SetConfigValue(node, u"Persistent", Variant(true));
  if (!Comment.empty()) SetConfigValue(node, u"Comment", Variant(Comment));
  return true;
}
