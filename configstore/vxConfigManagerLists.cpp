// Node lists: the children of a node, the root nodes, a whole subtree, and
// the tests whether a node exists, has children or has properties.
//
// Siblings are put in the order of their names' UTF-16 code units after
// reading, so a table whose collation orders otherwise lists the same. A
// subtree is read in one statement (a recursive query) and walked with a
// stack of its own, so its depth and size cost memory in proportion and
// never the call stack.
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "configstore/vxConfigManager.h"

namespace {

constexpr char16_t TreeType[] = u"TREE";

TIdType IdOf(const ustring& Text) { return TIdType(std::u16string_view(Text)); }

// Puts Nodes in name order (the names as stored), equal names kept in order;
// the database's order is usually that already.
void SortByStoredName(std::vector<std::pair<ustring, TConfigNode>>& Nodes) {
  auto byName = [](const auto& a, const auto& b) { return a.first < b.first; };
  if (!std::is_sorted(Nodes.begin(), Nodes.end(), byName)) std::stable_sort(Nodes.begin(), Nodes.end(), byName);
}

}  // namespace

ustring TvxConfigManager::SubtreeStatement(TvxDatabaseType DatabaseType, const ustring& Table, bool NodesOnly) {
  // UNION (not UNION ALL) where the database allows it in a recursive query:
  // a damaged table whose parent ids run in a circle still gives an end.
  ustring with, unite;
  switch (DatabaseType) {
    case vxDBT_SQLite:
    case vxDBT_PostgreSQL:
    case vxDBT_MySQL:
      with = u"WITH RECURSIVE ";
      unite = u" UNION ";
      break;
    case vxDBT_MSSQL:
    case vxDBT_Oracle:
      with = u"WITH ";
      unite = u" UNION ALL ";
      break;
    default:
      throw Exception(u"unsupported database type");
  }
  const ustring rows = NodesOnly ? u" AND DATATYPE = :DATATYPE" : u"";
  const ustring nodes = NodesOnly ? u" AND R.DATATYPE = :DATATYPE" : u"";
  return with + u"SUBTREE (ID, PARENTID, KEYNAME, DATATYPE) AS (SELECT ID, PARENTID, KEYNAME, DATATYPE FROM " + Table +
         u" WHERE PARENTID = :PARENTID" + rows + unite + u"SELECT R.ID, R.PARENTID, R.KEYNAME, R.DATATYPE FROM " +
         Table + u" R INNER JOIN SUBTREE S ON R.PARENTID = S.ID WHERE S.DATATYPE = :TREEDATATYPE" + nodes +
         u") SELECT ID, PARENTID, KEYNAME, DATATYPE FROM SUBTREE";
}

void TvxConfigManager::CacheNodes(const TConfigNodes& Nodes, size_t From) {
  if (!CacheEnabled) return;
  std::vector<std::pair<ustring, TIdType>> entries;
  entries.reserve(Nodes.size() - std::min(From, Nodes.size()));
  for (size_t i = From; i < Nodes.size(); ++i)
    if (!Nodes[i].Key.empty() && !IsTIdStringEmpty(Nodes[i].Id)) entries.emplace_back(Nodes[i].Key, Nodes[i].Id);
  ConfigCache.InsertMany(entries, Ticks(), CacheLeaseTime);
}

void TvxConfigManager::ReadChildNodes(const ustring& PreparedKey, const TIdType& ParentId, TConfigNodes& NodeList) {
  std::vector<std::pair<ustring, TConfigNode>> read;
  {
    std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
    OpenDataSet(u"SELECT ID,KEYNAME FROM " + CfgTabName + u" WHERE " + ParentCondition(ParentId) +
                    u" AND DATATYPE = :DATATYPE ORDER BY KEYNAME",
                {{u"PARENTID", Variant(ParentId.WideStr())}, {u"DATATYPE", Variant(TreeType)}});
    TField& id = ADODataSet->FieldByName(u"ID");
    TField& keyName = ADODataSet->FieldByName(u"KEYNAME");
    read.reserve(static_cast<size_t>(ADODataSet->RecordCount()));
    for (; !ADODataSet->Eof(); ADODataSet->Next()) {
      TConfigNode node;
      ustring name = keyName.AsString();
      node.Name = EncodeKeyPart(name);
      node.Key = PreparedKey + node.Name + u"/";
      node.RelKey = node.Name;
      node.Id = IdOf(id.AsString());
      read.emplace_back(std::move(name), std::move(node));
    }
    ADODataSet->Close();
  }
  SortByStoredName(read);
  const size_t from = NodeList.size();
  NodeList.reserve(from + read.size());
  for (auto& entry : read) NodeList.push_back(std::move(entry.second));
  CacheNodes(NodeList, from);
}

bool TvxConfigManager::GetChildNodes(const ustring& Key, TConfigNodes& NodeList, bool Create) {
  return Guarded(false, [&] {
    NodeList.clear();
    Message = ustring();
    const TIdType id = GetParentTreeId(Key, Create, false);
    if (!IsTIdStringEmpty(id)) ReadChildNodes(PrepareKey(Key), id, NodeList);
    Message = ustring();
    return true;
  });
}

bool TvxConfigManager::GetRootNodes(TConfigNodes& NodeList) {
  return Guarded(false, [&] {
    NodeList.clear();
    Message = ustring();
    ReadChildNodes(ustring(), TIdType(), NodeList);
    Message = ustring();
    return true;
  });
}

std::vector<TvxConfigManager::TSubtreeRow> TvxConfigManager::ReadSubtree(const TIdType& RootId, bool NodesOnly) {
  std::vector<TSubtreeRow> rows;
  std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
  ADODataSet->Close();
  ADODataSet->SetCommandText(SubtreeStatement(DatabaseType, CfgTabName, NodesOnly));
  TParameters& params = ADODataSet->Parameters();
  params.ParamByName(u"PARENTID").Value = Variant(RootId.WideStr());
  params.ParamByName(u"TREEDATATYPE").Value = Variant(TreeType);
  if (NodesOnly) params.ParamByName(u"DATATYPE").Value = Variant(TreeType);
  ADODataSet->Open();
  TField& id = ADODataSet->FieldByName(u"ID");
  TField& parent = ADODataSet->FieldByName(u"PARENTID");
  TField& keyName = ADODataSet->FieldByName(u"KEYNAME");
  TField& dataType = ADODataSet->FieldByName(u"DATATYPE");
  rows.reserve(static_cast<size_t>(ADODataSet->RecordCount()));
  for (; !ADODataSet->Eof(); ADODataSet->Next())
    rows.push_back({TrimKey(id.AsString()), TrimKey(parent.AsString()), keyName.AsString(),
                    TrimKey(dataType.AsString()) == TreeType});
  ADODataSet->Close();
  return rows;
}

bool TvxConfigManager::GetRecursiveChildNodes(const ustring& RootKey, TConfigNodes& NodeList, bool AddParentNodes,
                                              bool AddRootNodes, bool AddRootKey) {
  NodeList.clear();
  try {
    const ustring root = PrepareKey(RootKey);
    if (AddRootKey) NodeList.push_back({GetParentTreeId(RootKey, false, false), u"", root, u""});
    TIdType rootId;
    std::vector<TSubtreeRow> rows;
    // The listing makes the root when it is missing.
    const bool listed = Guarded(false, [&] {
      Message = ustring();
      rootId = GetParentTreeId(RootKey, true, false);
      if (!IsTIdStringEmpty(rootId)) rows = ReadSubtree(rootId, true);
      return true;
    });
    if (!listed) throw Exception(u"getchildnodes operation failed (" + Message.Get() + u")");

    // The children of each node, in name order.
    std::unordered_map<std::u16string_view, std::vector<size_t>> children;
    for (size_t i = 0; i < rows.size(); ++i) children[rows[i].ParentId].push_back(i);
    for (auto& [parent, list] : children)
      std::stable_sort(list.begin(), list.end(), [&](size_t a, size_t b) { return rows[a].Name < rows[b].Name; });

    // Depth first, each node before its descendants; a node met again (the
    // parent ids of a damaged table in a circle) is walked once.
    struct TVisit {
      size_t Row;
      size_t Level;
      ustring Key;
    };
    std::vector<TVisit> stack;
    const ustring rootIdText = TrimKey(rootId.WideStr());
    std::unordered_set<std::u16string_view> seen{rootIdText};
    auto push = [&](const std::u16string_view Parent, const ustring& ParentKey, size_t Level) {
      const auto found = children.find(Parent);
      if (found == children.end()) return;
      // Reversed onto the stack, so the first name comes off first.
      for (auto it = found->second.rbegin(); it != found->second.rend(); ++it)
        stack.push_back({*it, Level, ParentKey + EncodeKeyPart(rows[*it].Name) + u"/"});
    };
    const size_t first = NodeList.size();
    push(rootIdText, root, 1);
    while (!stack.empty()) {
      TVisit visit = std::move(stack.back());
      stack.pop_back();
      const TSubtreeRow& row = rows[visit.Row];
      if (!seen.insert(row.Id).second) continue;
      const bool leaf = !children.contains(row.Id);
      if (AddParentNodes || (leaf && (visit.Level > 1 || AddRootNodes)))
        NodeList.push_back({IdOf(row.Id), EncodeKeyPart(row.Name), visit.Key,
                            Convert2NamedRelKey(visit.Key.substr(root.size()))});
      push(row.Id, visit.Key, visit.Level + 1);
    }
    CacheNodes(NodeList, first);
    Message = ustring();
    return true;
  } catch (const Exception& e) {
    NodeList.clear();
    Message = e.Message();
    RaiseException(Message);
    return false;
  }
}

bool TvxConfigManager::ChildNodesExists(const ustring& Key) {
  return Guarded(false, [&] {
    Message = ustring();
    const TIdType id = GetParentTreeId(Key, true, false);
    bool exists = false;
    if (!IsTIdStringEmpty(id)) {
      std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
      OpenDataSet(FirstRowStatement(DatabaseType, CfgTabName),
                  {{u"PARENTID", Variant(id.WideStr())}, {u"DATATYPE", Variant(TreeType)}});
      exists = !ADODataSet->Eof();
      ADODataSet->Close();
    }
    Message = ustring();
    return exists;
  });
}

bool TvxConfigManager::ChildNodesExistsFast(const TIdType& ParentId) {
  return Guarded(false, [&] {
    Message = ustring();
    if (IsTIdStringEmpty(ParentId)) return false;
    // The cache's lock is its own and released here, before the database's.
    if (ConfigCache.HasKeyBelowId(ParentId)) return true;
    std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
    OpenDataSet(FirstRowStatement(DatabaseType, CfgTabName),
                {{u"PARENTID", Variant(ParentId.WideStr())}, {u"DATATYPE", Variant(TreeType)}});
    const bool exists = !ADODataSet->Eof();
    ADODataSet->Close();
    return exists;
  });
}

bool TvxConfigManager::NodeExists(const ustring& Key, bool CanCreate) {
  return !IsTIdStringEmpty(GetParentTreeId(Key, CanCreate, false));
}

bool TvxConfigManager::IsNodeEmpty(const ustring& Key) {
  return Guarded(true, [&] {
    Message = ustring();
    const TIdType id = GetParentTreeId(Convert2VisKey(Key), false, false);
    bool empty = true;
    if (!IsTIdStringEmpty(id)) {
      std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
      OpenDataSet(u"SELECT COUNT(*) AS PROPCOUNT FROM " + CfgTabName +
                      u" WHERE PARENTID = :PARENTID AND NOT(DATATYPE = :TREEDATATYPE)",
                  {{u"PARENTID", Variant(id.WideStr())}, {u"TREEDATATYPE", Variant(TreeType)}});
      empty = ADODataSet->FieldByName(u"PROPCOUNT").AsLargeInt() == 0;
      ADODataSet->Close();
    }
    Message = ustring();
    return empty;
  });
}
