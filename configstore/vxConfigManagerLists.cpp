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

// A node's name in a key: "/" written "%2F" (most names have none).
ustring KeyPartOf(ustring&& Name) {
  return Name.find(u'/') == ustring::npos ? std::move(Name) : TvxConfigManager::EncodeKeyPart(Name);
}

}  // namespace

void TvxConfigManager::CacheNodes(const TConfigNodes& Nodes, size_t From) {
  if (!CacheEnabled || From >= Nodes.size()) return;
  std::vector<std::pair<std::u16string_view, TIdType>> entries;
  entries.reserve(Nodes.size() - From);
  for (size_t i = From; i < Nodes.size(); ++i)
    if (!Nodes[i].Key.empty() && !IsTIdStringEmpty(Nodes[i].Id)) entries.emplace_back(Nodes[i].Key, Nodes[i].Id);
  ConfigCache.InsertMany(entries, Ticks(), CacheLeaseTime);
}

void TvxConfigManager::ReadChildNodes(const ustring& PreparedKey, const TIdType& ParentId, TConfigNodes& NodeList) {
  struct TRead {
    ustring Name;  // as stored
    TIdType Id;
  };
  std::vector<TRead> read;
  {
    std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
    OpenDataSet(u"SELECT ID,KEYNAME FROM " + CfgTabName + u" WHERE " + ParentCondition(ParentId) +
                    u" AND DATATYPE = :DATATYPE ORDER BY KEYNAME",
                {{u"PARENTID", Variant(ParentId.WideStr())}, {u"DATATYPE", Variant(TreeType)}});
    TField& id = ADODataSet->FieldByName(u"ID");
    TField& keyName = ADODataSet->FieldByName(u"KEYNAME");
    read.reserve(static_cast<size_t>(ADODataSet->RecordCount()));
    for (; !ADODataSet->Eof(); ADODataSet->Next()) read.push_back({keyName.AsString(), IdOfText(id.AsString())});
    ADODataSet->Close();
  }
  // In the order of the stored names' code units, whatever the collation
  // (the database's order is usually that already).
  auto byName = [](const TRead& a, const TRead& b) { return a.Name < b.Name; };
  if (!std::is_sorted(read.begin(), read.end(), byName)) std::stable_sort(read.begin(), read.end(), byName);
  const size_t from = NodeList.size();
  NodeList.resize(from + read.size());
  for (size_t i = 0; i < read.size(); ++i) {
    TConfigNode& node = NodeList[from + i];
    node.Id = read[i].Id;
    node.Name = KeyPartOf(std::move(read[i].Name));
    node.Key.reserve(PreparedKey.size() + node.Name.size() + 1);
    node.Key.append(PreparedKey).append(node.Name).append(1, u'/');
    node.RelKey = node.Name;
  }
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

ustring TvxConfigManager::SubtreeStatement(TvxDatabaseType DatabaseType, const ustring& Table, bool NodesOnly) {
  // The recursion never enters the root again (a damaged table may lead
  // back to it); the number of rows is bounded, so that a table holding an
  // id twice cannot keep it going.
  const ustring rows = NodesOnly ? u" AND DATATYPE = :DATATYPE" : u"";
  const ustring nodes = NodesOnly ? u" AND R.DATATYPE = :DATATYPE" : u"";
  const ustring subtree =
      u"SUBTREE (ID, PARENTID, KEYNAME, DATATYPE) AS (SELECT ID, PARENTID, KEYNAME, DATATYPE FROM " + Table +
      u" WHERE PARENTID = :PARENTID" + rows + u" UNION ALL SELECT R.ID, R.PARENTID, R.KEYNAME, R.DATATYPE FROM " +
      Table + u" R INNER JOIN SUBTREE S ON R.PARENTID = S.ID WHERE S.DATATYPE = :TREEDATATYPE AND R.ID <> :PARENTID" +
      nodes + u")";
  const ustring columns = u"ID, PARENTID, KEYNAME, DATATYPE FROM SUBTREE";
  switch (DatabaseType) {
    case vxDBT_SQLite:
    case vxDBT_PostgreSQL:
    case vxDBT_MySQL:
      return u"WITH RECURSIVE " + subtree + u" SELECT " + columns + u" LIMIT :MAXROWS";
    case vxDBT_MSSQL:
      return u"WITH " + subtree + u" SELECT TOP (:MAXROWS) " + columns + u" OPTION (MAXRECURSION 0)";
    case vxDBT_Oracle:
      return u"WITH " + subtree + u" SELECT " + columns + u" WHERE ROWNUM <= :MAXROWS";
    default:
      throw Exception(u"unsupported database type");
  }
}

std::vector<TvxConfigManager::TSubtreeRow> TvxConfigManager::ReadSubtree(const TIdType& RootId, bool NodesOnly) {
  std::vector<TSubtreeRow> rows;
  std::lock_guard<std::recursive_mutex> hold(DatabaseLock);
  // A subtree holds each row of the table once at most.
  OpenDataSet(u"SELECT COUNT(*) AS ROWCOUNT FROM " + CfgTabName, {});
  const int64_t tableRows = ADODataSet->FieldByName(u"ROWCOUNT").AsLargeInt();
  ADODataSet->Close();
  ADODataSet->SetCommandText(SubtreeStatement(DatabaseType, CfgTabName, NodesOnly));
  TParameters& params = ADODataSet->Parameters();
  params.ParamByName(u"PARENTID").Value = Variant(RootId.WideStr());
  params.ParamByName(u"TREEDATATYPE").Value = Variant(TreeType);
  params.ParamByName(u"MAXROWS").Value = Variant(tableRows + 1);
  if (NodesOnly) params.ParamByName(u"DATATYPE").Value = Variant(TreeType);
  ADODataSet->Open();
  if (ADODataSet->RecordCount() > tableRows) {
    ADODataSet->Close();
    throw Exception(u"the parent ids below configuration node " + RootId.WideStr() + u" run in a circle");
  }
  TField& id = ADODataSet->FieldByName(u"ID");
  TField& parent = ADODataSet->FieldByName(u"PARENTID");
  TField& keyName = ADODataSet->FieldByName(u"KEYNAME");
  TField& dataType = ADODataSet->FieldByName(u"DATATYPE");
  rows.reserve(static_cast<size_t>(ADODataSet->RecordCount()));
  for (; !ADODataSet->Eof(); ADODataSet->Next())
    rows.push_back({TrimKey(id.AsString()), TrimKey(parent.AsString()), keyName.AsString(),
                    NodesOnly || TrimKey(dataType.AsString()) == TreeType});
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

    // Depth first, each node before its descendants (the subtree's read
    // holds each node once, so no node is met twice).
    struct TVisit {
      size_t Row;
      size_t Level;
      ustring Name;  // in key form
      ustring Key;
    };
    std::vector<TVisit> stack;
    auto push = [&](const std::u16string_view Parent, const ustring& ParentKey, size_t Level) {
      const auto found = children.find(Parent);
      if (found == children.end()) return;
      // Reversed onto the stack, so the first name comes off first.
      for (auto it = found->second.rbegin(); it != found->second.rend(); ++it) {
        ustring name = KeyPartOf(std::move(rows[*it].Name));
        ustring key;
        key.reserve(ParentKey.size() + name.size() + 1);
        key.append(ParentKey).append(name).append(1, u'/');
        stack.push_back({*it, Level, std::move(name), std::move(key)});
      }
    };
    const size_t first = NodeList.size();
    push(TrimKey(rootId.WideStr()), root, 1);
    while (!stack.empty()) {
      TVisit visit = std::move(stack.back());
      stack.pop_back();
      const TSubtreeRow& row = rows[visit.Row];
      const bool leaf = !children.contains(row.Id);
      if (AddParentNodes || (leaf && (visit.Level > 1 || AddRootNodes))) {
        // The key below the root, without its last "/".
        ustring relKey = visit.Key.substr(root.size(), visit.Key.size() - root.size() - 1);
        if (relKey.empty() || relKey.front() == u'/' || TrimKey(ustring(relKey)).size() != relKey.size())
          relKey = Convert2NamedRelKey(visit.Key.substr(root.size()));
        NodeList.push_back({IdOfText(row.Id), std::move(visit.Name), std::move(visit.Key), std::move(relKey)});
        push(row.Id, NodeList.back().Key, visit.Level + 1);
      } else {
        push(row.Id, visit.Key, visit.Level + 1);
      }
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
