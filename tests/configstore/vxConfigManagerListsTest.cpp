// Node and property lists on both databases and both table layouts: the
// children, roots and subtrees with their switches and their order, the
// tests for children and properties, the property lists with their prefixes
// and switches, sub-properties, copying a subtree through a list, the
// by-name helpers and the context help.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "configstore/vxConfigManager.h"
#include "core/vxToolsEvo2.h"
#include "core/vxTypesValues.h"
#include "platform/time/vxDateUtils.h"
#include "tests/configstore/vxConfigStoreFixture.h"

namespace {

using namespace vxStoreTest;

std::vector<ustring> KeysOf(const TConfigNodes& Nodes) {
  std::vector<ustring> keys;
  for (const TConfigNode& n : Nodes) keys.push_back(n.Key);
  return keys;
}

std::vector<ustring> NamesOf(const TProperties& Properties) {
  std::vector<ustring> names;
  for (const TProperty& p : Properties) names.push_back(p.Name);
  return names;
}

std::string Text(const ustring& Value) { return WideToUtf8(Value); }

class ConfigLists : public StoreTest {};

TEST_P(ConfigLists, ChildNodesComeInCodeUnitOrderWithTheirKeysAndAreCached) {
  auto store = OpenStore();
  // Code unit order: a surrogate pair (D83D...) before a full-width letter
  // (FF21), although its code point is the higher one.
  for (const char16_t* name : {u"b", u"é", u"B", u"a", u"_x", u"\uFF21", u"\U0001F600", u"in%2Fout"})
    ASSERT_TRUE(store->SetConfigValue(u"/p/" + ustring(name), u"v", Variant(1)));
  TConfigNodes nodes;
  ASSERT_TRUE(store->GetChildNodes(u"/p", nodes, false)) << Text(store->Message.Get());
  EXPECT_EQ(KeysOf(nodes), (std::vector<ustring>{u"p/B/", u"p/_x/", u"p/a/", u"p/b/", u"p/in%2Fout/", u"p/é/",
                                                  u"p/\U0001F600/", u"p/\uFF21/"}));
  for (const TConfigNode& n : nodes) {
    EXPECT_EQ(n.RelKey, n.Name);
    EXPECT_EQ(n.Key, u"p/" + n.Name + u"/");
    EXPECT_EQ(n.Id, store->GetParentTreeId(n.Key, false, false));
  }
  EXPECT_EQ(nodes[4].Name, u"in%2Fout");
  // The listing cached the children: a fresh store finds them without a walk.
  auto fresh = OpenStore();
  TIdType id;
  EXPECT_FALSE(fresh->GetCacheKeyId(u"p/a/", id, false));
  ASSERT_TRUE(fresh->GetChildNodes(u"p/", nodes, false));
  EXPECT_TRUE(fresh->GetCacheKeyId(u"p/a/", id, false));
  EXPECT_EQ(id, nodes[2].Id);
}

TEST_P(ConfigLists, ChildNodesOfAMissingNodeAreNoneAndCreateMakesIt) {
  auto store = OpenStore();
  TConfigNodes nodes{{TIdType("X"), u"x", u"x/", u"x"}};
  EXPECT_TRUE(store->GetChildNodes(u"/no/such", nodes, false));
  EXPECT_TRUE(nodes.empty());
  EXPECT_EQ(Database().Count(u"KEYNAME IN ('no', 'such')"), 0);
  EXPECT_TRUE(store->GetChildNodes(u"/no/such", nodes, true));
  EXPECT_TRUE(nodes.empty());
  EXPECT_FALSE(store->GetParentTreeId(u"/no/such", false, false).IsEmpty());
  EXPECT_EQ(store->Message.Get(), u"");
}

TEST_P(ConfigLists, RootNodesIncludeRootsWhoseParentIsNull) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/zeta", u"v", Variant(1)));
  ASSERT_TRUE(store->SetConfigValue(u"/alpha", u"v", Variant(1)));
  Database().Execute(
      u"INSERT INTO vx_configuration (ID, PARENTID, KEYNAME, DATATYPE, KEYVALUE) VALUES ('NULLROOT', NULL, 'mid', 'TREE', '')");
  TConfigNodes nodes;
  ASSERT_TRUE(store->GetRootNodes(nodes));
  // "varlo" holds the class nodes, which the first change check made.
  EXPECT_EQ(KeysOf(nodes), (std::vector<ustring>{u"alpha/", u"mid/", u"varlo/", u"zeta/"}));
  EXPECT_EQ(nodes[1].Id, TIdType("NULLROOT"));
  EXPECT_EQ(nodes[1].RelKey, u"mid");
  TIdType id;
  EXPECT_TRUE(store->GetCacheKeyId(u"mid/", id, false));
}

TEST_P(ConfigLists, TheSubtreeSwitchesPickInnerNodesAndLeaves) {
  auto store = OpenStore();
  // R with a leaf B1 and a child B2 that has a leaf C.
  ASSERT_TRUE(store->SetConfigValue(u"/top/R/B1", u"v", Variant(1)));
  ASSERT_TRUE(store->SetConfigValue(u"/top/R/B2/C", u"v", Variant(1)));
  const TIdType r = store->GetParentTreeId(u"/top/R", false, false);
  struct Case {
    bool Parents, Roots, RootKey;
    std::vector<ustring> Keys;
  } cases[] = {
      {false, false, false, {u"top/R/B2/C/"}},
      {false, true, false, {u"top/R/B1/", u"top/R/B2/C/"}},
      {true, false, false, {u"top/R/B1/", u"top/R/B2/", u"top/R/B2/C/"}},
      {true, true, false, {u"top/R/B1/", u"top/R/B2/", u"top/R/B2/C/"}},
      {false, false, true, {u"top/R/", u"top/R/B2/C/"}},
      {true, true, true, {u"top/R/", u"top/R/B1/", u"top/R/B2/", u"top/R/B2/C/"}},
  };
  for (const Case& c : cases) {
    TConfigNodes nodes;
    ASSERT_TRUE(store->GetRecursiveChildNodes(u"/top/R", nodes, c.Parents, c.Roots, c.RootKey));
    EXPECT_EQ(KeysOf(nodes), c.Keys) << c.Parents << c.Roots << c.RootKey;
  }
  TConfigNodes nodes;
  ASSERT_TRUE(store->GetRecursiveChildNodes(u"top/R/", nodes, true, true, true));
  ASSERT_EQ(nodes.size(), 4u);
  EXPECT_EQ(nodes[0].Id, r);
  EXPECT_EQ(nodes[0].Name, u"");
  EXPECT_EQ(nodes[0].RelKey, u"");
  EXPECT_EQ(nodes[3].Name, u"C");
  EXPECT_EQ(nodes[3].RelKey, u"B2/C");
  EXPECT_EQ(nodes[3].Id, store->GetParentTreeId(u"/top/R/B2/C", false, false));
  EXPECT_EQ(nodes[2].RelKey, u"B2");

  // A missing root is made by the walk; its own entry has no id yet.
  ASSERT_TRUE(store->GetRecursiveChildNodes(u"/top/new", nodes, true, true, true));
  ASSERT_EQ(nodes.size(), 1u);
  EXPECT_TRUE(nodes[0].Id.IsEmpty());
  EXPECT_FALSE(store->GetParentTreeId(u"/top/new", false, false).IsEmpty());
  // The empty key is no node: nothing below it is listed.
  ASSERT_TRUE(store->GetRecursiveChildNodes(u"/", nodes, true, true, false));
  EXPECT_TRUE(nodes.empty());
}

TEST_P(ConfigLists, ASubtreeOfAHundredThousandNodesIsWalkedWholeAndInOrder) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/big", u"v", Variant(1)));
  const ustring root = store->GetParentTreeId(u"/big", false, false).WideStr();
  // 100 children, each with 999 children of its own, made in one statement
  // each; and a chain 1000 deep below the first child.
  Database().Execute(
      u"WITH RECURSIVE N(I) AS (SELECT 0 UNION ALL SELECT I + 1 FROM N WHERE I < 99) "
      u"INSERT INTO vx_configuration (ID, PARENTID, KEYNAME, DATATYPE, KEYVALUE) "
      u"SELECT 'C' || I, :R, 'c' || I, 'TREE', '' FROM N",
      {{u"R", Variant(root)}});
  Database().Execute(
      u"WITH RECURSIVE N(I) AS (SELECT 0 UNION ALL SELECT I + 1 FROM N WHERE I < 99899) "
      u"INSERT INTO vx_configuration (ID, PARENTID, KEYNAME, DATATYPE, KEYVALUE) "
      u"SELECT 'G' || I, 'C' || (I % 100), 'g' || I, 'TREE', '' FROM N");
  Database().Execute(
      u"WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 999) "
      u"INSERT INTO vx_configuration (ID, PARENTID, KEYNAME, DATATYPE, KEYVALUE) "
      u"SELECT 'D' || I, CASE WHEN I = 1 THEN 'C0' ELSE 'D' || (I - 1) END, 'd', 'TREE', '' FROM N");
  TConfigNodes nodes;
  ASSERT_TRUE(store->GetRecursiveChildNodes(u"/big", nodes, true, true, false)) << Text(store->Message.Get());
  ASSERT_EQ(nodes.size(), 100u + 99900u + 999u);
  // Each node right after its parent or after a sibling's subtree; siblings
  // in name order.
  std::map<ustring, size_t> place;
  for (size_t i = 0; i < nodes.size(); ++i) place[nodes[i].Key] = i;
  size_t checked = 0;
  for (size_t i = 0; i < nodes.size(); ++i) {
    const ustring& key = nodes[i].Key;
    const ustring parent = key.substr(0, key.rfind(u'/', key.size() - 2) + 1);
    if (parent != u"big/") {
      ASSERT_TRUE(place.count(parent)) << Text(key);
      EXPECT_LT(place[parent], i);
      ++checked;
    }
    if (i > 0 && nodes[i - 1].Key.substr(0, nodes[i - 1].Key.rfind(u'/', nodes[i - 1].Key.size() - 2) + 1) == parent) {
      EXPECT_LT(nodes[i - 1].Name, nodes[i].Name);
    }
  }
  EXPECT_EQ(checked, 99900u + 999u);
  EXPECT_EQ(nodes[0].Key, u"big/c0/");
  EXPECT_EQ(nodes[1].Key, u"big/c0/d/");
  EXPECT_EQ(nodes[999].RelKey.size(), ustring(u"c0").size() + 999 * 2);
}

TEST_P(ConfigLists, ARootWhoseParentsRunInACircleIsWalkedOnce) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/loop/a/b", u"v", Variant(1)));
  const TIdType a = store->GetParentTreeId(u"/loop/a", false, false);
  const TIdType b = store->GetParentTreeId(u"/loop/a/b", false, false);
  // Damage: a now hangs below its own child (its key is still cached).
  Database().Execute(u"UPDATE vx_configuration SET PARENTID = :B WHERE ID = :A",
                     {{u"A", Variant(a.WideStr())}, {u"B", Variant(b.WideStr())}});
  TConfigNodes nodes;
  ASSERT_TRUE(store->GetRecursiveChildNodes(u"/loop/a", nodes, true, true, false)) << Text(store->Message.Get());
  EXPECT_EQ(KeysOf(nodes), (std::vector<ustring>{u"loop/a/b/"}));
}

TEST_P(ConfigLists, ChildAndPropertyTests) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/t/inner/leaf", u"v", Variant(1)));
  // A missing node is made and has no children.
  EXPECT_FALSE(store->ChildNodesExists(u"/t/missing"));
  EXPECT_TRUE(store->NodeExists(u"/t/missing", false));
  EXPECT_TRUE(store->ChildNodesExists(u"/t"));
  EXPECT_TRUE(store->ChildNodesExists(u"/t/inner"));
  EXPECT_FALSE(store->ChildNodesExists(u"/t/inner/leaf"));

  EXPECT_FALSE(store->NodeExists(u"/t/other", false));
  EXPECT_TRUE(store->NodeExists(u"/t/other", true));
  EXPECT_TRUE(store->NodeExists(u"/t/other", false));

  // Only properties count.
  EXPECT_TRUE(store->IsNodeEmpty(u"/t/inner"));
  EXPECT_FALSE(store->IsNodeEmpty(u"/t/inner/leaf"));
  EXPECT_TRUE(store->IsNodeEmpty(u"/t/nowhere"));
  EXPECT_FALSE(store->NodeExists(u"/t/nowhere", false));
  EXPECT_EQ(store->Message.Get(), u"");
}

TEST_P(ConfigLists, TheFastChildTestAsksTheCacheForKeysThatBeginWithTheParentsKey) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/a/b", u"v", Variant(1)));
  ASSERT_TRUE(store->SetConfigValue(u"/xa/b", u"v", Variant(1)));
  ASSERT_TRUE(store->SetConfigValue(u"/leaf", u"v", Variant(1)));
  const TIdType a = store->GetParentTreeId(u"/a", false, false);
  const TIdType b = store->GetParentTreeId(u"/a/b", false, false);
  const TIdType leaf = store->GetParentTreeId(u"/leaf", false, false);
  EXPECT_FALSE(store->ChildNodesExistsFast(TIdType()));
  EXPECT_FALSE(store->ChildNodesExistsFast(TIdType("  ")));
  EXPECT_TRUE(store->ChildNodesExistsFast(a));
  EXPECT_FALSE(store->ChildNodesExistsFast(leaf));

  // The cache alone answers while it knows a key below: the row of b is gone
  // behind the store's back, the cache still holds "a/b/".
  Database().Execute(u"DELETE FROM vx_configuration WHERE ID = :B", {{u"B", Variant(b.WideStr())}});
  EXPECT_TRUE(store->ChildNodesExistsFast(a));
  // "xa/b/" contains "a/b/" but begins otherwise: no child of "a/".
  auto fresh = OpenStore();
  ASSERT_TRUE(fresh->SetCacheKeyId(u"/a", a));
  ASSERT_TRUE(fresh->SetCacheKeyId(u"/xa/b", store->GetParentTreeId(u"/xa/b", false, false)));
  EXPECT_FALSE(fresh->ChildNodesExistsFast(a));
}

TEST_P(ConfigLists, TheRecursiveQueryAndTheFirstRowQueryPerDatabaseType) {
  for (const bool nodes : {true, false}) {
    for (const TvxDatabaseType type : {vxDBT_SQLite, vxDBT_PostgreSQL, vxDBT_MySQL})
      EXPECT_EQ(TvxConfigManager::SubtreeStatement(type, u"T", nodes).rfind(u"WITH RECURSIVE SUBTREE", 0), 0u);
    for (const TvxDatabaseType type : {vxDBT_MSSQL, vxDBT_Oracle}) {
      const ustring sql = TvxConfigManager::SubtreeStatement(type, u"T", nodes);
      EXPECT_EQ(sql.rfind(u"WITH SUBTREE (ID, PARENTID, KEYNAME, DATATYPE) AS (", 0), 0u);
      EXPECT_NE(sql.find(u" UNION ALL "), ustring::npos);
    }
    for (const TvxDatabaseType type : {vxDBT_K7, vxDBT_DB2, vxDBT_Informix}) {
      try {
        TvxConfigManager::SubtreeStatement(type, u"T", nodes);
        ADD_FAILURE() << "no statement expected";
      } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), u"unsupported database type");
      }
    }
  }
  EXPECT_EQ(TvxConfigManager::SubtreeStatement(vxDBT_SQLite, u"T", true),
            u"WITH RECURSIVE SUBTREE (ID, PARENTID, KEYNAME, DATATYPE) AS (SELECT ID, PARENTID, KEYNAME, DATATYPE "
            u"FROM T WHERE PARENTID = :PARENTID AND DATATYPE = :DATATYPE UNION SELECT R.ID, R.PARENTID, R.KEYNAME, "
            u"R.DATATYPE FROM T R INNER JOIN SUBTREE S ON R.PARENTID = S.ID WHERE S.DATATYPE = :TREEDATATYPE AND "
            u"R.DATATYPE = :DATATYPE) SELECT ID, PARENTID, KEYNAME, DATATYPE FROM SUBTREE");
}

// --- Property lists ---------------------------------------------------------------------

// The node "/props" with a text, a number, a date and a binary value.
void WriteProperties(TvxConfigManager& Store, TStoreDatabase& Db) {
  ASSERT_TRUE(Store.SetConfigValue(u"/props", u"Text", Variant(u"hello")));
  ASSERT_TRUE(Store.SetConfigValue(u"/props", u"42", Variant(7)));
  ASSERT_TRUE(Store.SetConfigValue(u"/props", u"When", Variant::FromDate(vxRuntime::EncodeDate(2024, 5, 6))));
  ASSERT_TRUE(Store.SetConfigValue(u"/props", u"Blob", Variant(u"QUJD"), "BINARY"));
  ASSERT_TRUE(Store.SetConfigValue(u"/props/child", u"deep", Variant(1)));
  (void)Db;
}

// The six queries: values with or without binaries, or names only, on the
// table's layout.
void CheckTheSixQueries(TvxConfigManager& Store, TStoreDatabase& Db, bool V2) {
  WriteProperties(Store, Db);
  if (V2) Db.Execute(u"UPDATE vx_configuration SET DIMENSION = ' cm ', CHANGEUSER = ' ed ' WHERE KEYNAME = 'Text'");
  struct Case {
    bool WithValues, WithBinaries;
    std::vector<ustring> Names;
  } cases[] = {
      {true, true, {u"42", u"Blob", u"Text", u"When"}},
      {true, false, {u"42", u"Text", u"When"}},
      {false, true, {u"42", u"Blob", u"Text", u"When"}},
      {false, false, {u"42", u"Blob", u"Text", u"When"}},
  };
  for (const Case& c : cases) {
    TProperties props;
    ASSERT_TRUE(Store.GetNodeProperties(u"/props", props, c.WithValues, false, false, u"", "", false, c.WithBinaries,
                                        false))
        << Text(Store.Message.Get());
    EXPECT_EQ(NamesOf(props), c.Names) << c.WithValues << c.WithBinaries;
    for (const TProperty& p : props) {
      EXPECT_EQ(p.Path, u"/props");
      EXPECT_EQ(p.Value.IsNull(), !c.WithValues) << Text(p.Name);
      EXPECT_EQ(p.SORTL, UpperStrW(p.Name));
      EXPECT_EQ(p.Id.Length(), 32u);
      EXPECT_TRUE(p.Values.empty());
      EXPECT_EQ(p.User, V2 && p.Name == u"Text" ? u"ed" : u"");
      EXPECT_EQ(p.Dimension, V2 && p.Name == u"Text" ? u"cm" : u"");
    }
    EXPECT_EQ(props[0].SORTLN, 42u);
    EXPECT_EQ(props.back().SORTLN, 0u);
    EXPECT_EQ(props.back().DataType.Str(), "DATE");
    if (c.WithValues) {
      EXPECT_EQ(props[0].Value.VarType(), varInt64);
      EXPECT_EQ(props.back().Value.VarType(), varDate);
    }
  }
  // Raw: the stored texts.
  TProperties raw;
  ASSERT_TRUE(Store.GetNodeProperties(u"/props", raw, true, true, false, u"", "", false, true, false));
  EXPECT_EQ(raw[0].Value.VarType(), varUString);
  EXPECT_EQ(raw[0].Value.AsString(), u"7");
  EXPECT_EQ(raw[1].DataType.Str(), "BINARY");
  EXPECT_EQ(raw[1].Value.AsString(), u"QUJD");
}

TEST_P(ConfigLists, TheSixPropertyQueriesOnTheVersion2Layout) {
  auto store = OpenStore();
  CheckTheSixQueries(*store, Database(), true);
  store->TrackChanges = true;
  ASSERT_TRUE(store->SetConfigValue(u"/props", u"When", Variant::FromDate(vxRuntime::EncodeDate(2024, 5, 7))));
  TProperties props;
  ASSERT_TRUE(store->GetNodeProperties(u"/props", props, true, false, false, u"W", "", false, true, false));
  ASSERT_EQ(props.size(), 1u);
  EXPECT_EQ(props[0].User, store->Username.Get());
  EXPECT_GT(props[0].Changed, vxRuntime::EncodeDate(2020, 1, 1));
}

class ConfigListsOnVersion1 : public StoreTest {
 protected:
  TTableStructureType Layout() const override { return TST_V1; }
};

TEST_P(ConfigListsOnVersion1, TheSixPropertyQueriesOnTheVersion1Layout) {
  auto store = OpenStore();
  ASSERT_EQ(store->TableStructureType, TST_V1);
  store->TrackChanges = true;
  CheckTheSixQueries(*store, Database(), false);
  EXPECT_EQ(TvxConfigManager::NodePropertiesStatement(TST_V1, false, true, u"T"),
            u"SELECT ID,DATATYPE,KEYNAME FROM T WHERE PARENTID = :PARENTID AND NOT(DATATYPE = :DATATYPE) AND KEYNAME "
            u"LIKE :NAMEPREFIX ORDER BY KEYNAME");
  EXPECT_EQ(TvxConfigManager::NodePropertiesStatement(TST_V2, true, false, u"T"),
            u"SELECT ID,DATATYPE,KEYNAME,KEYVALUE,DIMENSION,CHANGEUSER,CHANGEDATE FROM T WHERE PARENTID = :PARENTID AND "
            u"NOT(DATATYPE = :DATATYPE) AND NOT(DATATYPE = :BINDATATYPE) AND KEYNAME LIKE :NAMEPREFIX ORDER BY KEYNAME");
}

INSTANTIATE_TEST_SUITE_P(Backends, ConfigListsOnVersion1, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL),
                         BackendName);

TEST_P(ConfigLists, APrefixIsMatchedAsWrittenOnEveryDatabase) {
  auto store = OpenStore();
  for (const char16_t* name : {u"Port", u"PortSSL", u"Ports", u"port1", u"PORT", u"Pxrt", u"Po_t", u"Po_tal",
                               u"100%", u"100x", u"a\\b", u"a\\\\b", u"Pört"})
    ASSERT_TRUE(store->SetConfigValue(u"/prefix", name, Variant(1)));
  struct Case {
    const char16_t* Prefix;
    std::vector<ustring> Names;
  } cases[] = {
      {u"Port", {u"Port", u"PortSSL", u"Ports"}},
      {u"Po_t", {u"Po_t", u"Po_tal"}},
      {u"100%", {u"100%"}},
      {u"a\\b", {u"a\\b"}},
      {u"a\\", {u"a\\\\b", u"a\\b"}},
      {u"Pö", {u"Pört"}},
      {u"%", {}},
      {u"nothing", {}},
  };
  for (const Case& c : cases) {
    TProperties props;
    ASSERT_TRUE(store->GetNodeProperties(u"/prefix", props, true, false, false, c.Prefix, "", false, true, false));
    EXPECT_EQ(NamesOf(props), c.Names) << Text(c.Prefix);
  }
}

TEST_P(ConfigLists, ExtendingAListOverwritesByExactNameOrAppendsDuplicates) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/ext", u"Name", Variant(u"stored")));
  ASSERT_TRUE(store->SetConfigValue(u"/ext", u"Other", Variant(u"o")));
  TProperties props;
  store->SetPropertyValueByName(u"keep", Variant(1), props);
  store->SetPropertyValueByName(u"Name", u"sub", Variant(u"mine"), props);
  // Overwriting looks for the exact name: this entry's SORTL is that of
  // "Name", but it stays as it is.
  props.emplace_back();
  props.back().Name = u"NAME";
  props.back().Value = Variant(u"upper");
  ASSERT_TRUE(store->GetNodeProperties(u"/ext", props, true, false, false, u"", "", true, true, false));
  ASSERT_EQ(NamesOf(props), (std::vector<ustring>{u"keep", u"Name", u"NAME", u"Other"}));
  EXPECT_EQ(props[1].Value.AsString(), u"stored");
  EXPECT_EQ(props[1].SubName, u"");
  EXPECT_FALSE(props[1].Id.IsEmpty());
  EXPECT_EQ(props[2].Value.AsString(), u"upper");
  ASSERT_TRUE(store->GetNodeProperties(u"/ext", props, true, false, false, u"", "", true, true, true));
  EXPECT_EQ(NamesOf(props), (std::vector<ustring>{u"keep", u"Name", u"NAME", u"Other", u"Name", u"Other"}));
  // A missing node: the list without ExtendList is emptied, with CanCreate
  // the node is made.
  EXPECT_TRUE(store->GetNodeProperties(u"/ext/none", props, true, false, false, u"", "", false, true, false));
  EXPECT_TRUE(props.empty());
  EXPECT_FALSE(store->NodeExists(u"/ext/none", false));
  EXPECT_TRUE(store->GetNodeProperties(u"/ext/none", props, true, false, true, u"", "", false, true, false));
  EXPECT_TRUE(store->NodeExists(u"/ext/none", false));
  EXPECT_FALSE(store->GetNodeProperties(u"/", props, true, false, true, u"", "", false, true, false));
}

TEST_P(ConfigLists, SubPropertiesAreNumberedOrSeparatedAndSortedByTheirNumbers) {
  auto store = OpenStore();
  for (const char16_t* name : {u"Binding", u"Binding10", u"Binding2", u"Binding1", u"Binding_x", u"Binding y",
                               u"BindingFoo", u"Bindings", u"Binding_", u"binding3"})
    ASSERT_TRUE(store->SetConfigValue(u"/sub", name, Variant(ustring(name))));
  TProperties props;
  ASSERT_TRUE(store->GetNodeSubProperties(u"/sub", props, u"Binding", true, false));
  EXPECT_EQ(NamesOf(props), (std::vector<ustring>{u"Binding y", u"Binding1", u"Binding10", u"Binding2", u"Binding_x"}));
  std::vector<ustring> subs;
  for (const TProperty& p : props) subs.push_back(p.SubName);
  EXPECT_EQ(subs, (std::vector<ustring>{u"y", u"1", u"10", u"2", u"x"}));
  ASSERT_TRUE(store->GetNodeSubProperties(u"/sub", props, u"Binding", true, true));
  EXPECT_EQ(NamesOf(props), (std::vector<ustring>{u"Binding y", u"Binding_x", u"Binding1", u"Binding2", u"Binding10"}));
  EXPECT_EQ(props[4].SORTLN, 10u);
  // Without a prefix every property; numbers of the whole names.
  ASSERT_TRUE(store->GetNodeSubProperties(u"/sub", props, u"", false, true));
  EXPECT_EQ(props.size(), 10u);
  EXPECT_TRUE(props[0].Value.IsNull());
}

TEST_P(ConfigLists, ASubtreeCopiedThroughAListKeepsValuesAndTypesAlsoBelowItself) {
  auto store = OpenStore();
  WriteProperties(*store, Database());
  TProperties props{TProperty{}};
  props[0].Name = u"before";
  props[0].Path = u"/elsewhere";
  ASSERT_TRUE(store->GetRecursiveNodeProperties(u"/props", props, true, true));
  ASSERT_EQ(props.size(), 6u);
  EXPECT_EQ(props[0].Path, u"/elsewhere");
  EXPECT_EQ(props[1].Path, u"");
  EXPECT_EQ(props[5].Path, u"/child");
  EXPECT_EQ(props[5].Name, u"deep");
  props.erase(props.begin());
  std::vector<ustring> told;
  // Below itself: the list is read whole first, so the copy ends.
  ASSERT_TRUE(store->SaveNodeProperties(u"/props/copy", props, true, true, [&](const ustring& Node) { told.push_back(Node); }));
  EXPECT_EQ(told.front(), u"/props/copy/42");
  EXPECT_EQ(told.back(), u"/props/copy/child/deep");
  EXPECT_EQ(store->GetConfigValue(u"/props/copy", u"42", Variant(), false).AsInteger(), 7);
  EXPECT_EQ(store->GetConfigValue(u"/props/copy/child", u"deep", Variant(), false).AsInteger(), 1);
  EXPECT_EQ(Database().Row(u"SELECT DATATYPE FROM vx_configuration WHERE KEYNAME = 'Blob' AND PARENTID = :P",
                           {{u"P", Variant(store->GetParentTreeId(u"/props/copy", false, false).WideStr())}})[0],
            u"BINARY");
  EXPECT_FALSE(store->NodeExists(u"/props/copy/copy", false));
  // Without the paths every entry goes to the node itself; a raising
  // callback stops the loop.
  store->RaiseExceptions = false;
  int calls = 0;
  EXPECT_FALSE(store->SaveNodeProperties(u"/flat", props, false, false, [&](const ustring&) {
    if (++calls == 2) throw Exception(u"stop here");
  }));
  EXPECT_EQ(store->Message.Get(), u"stop here");
  EXPECT_EQ(store->GetConfigValue(u"/flat", u"42", Variant(), false).AsInteger(), 7);
  EXPECT_FALSE(store->ConfigValueExists(u"/flat", u"Blob"));
}

TEST_P(ConfigLists, TheByNameHelpersCompareUpperCasedNames) {
  auto store = OpenStore();
  TProperties props;
  EXPECT_FALSE(store->SetPropertyValueByName(u"Port", Variant(80), props));
  ASSERT_EQ(props.size(), 1u);
  EXPECT_TRUE(props[0].Id.IsEmpty());
  EXPECT_EQ(props[0].SORTL, u"PORT");
  EXPECT_EQ(props[0].DataType.Str(), "INT");
  EXPECT_EQ(props[0].User, store->Username.Get());
  EXPECT_TRUE(store->SetPropertyValueByName(u"port", u"p", Variant(81), props));
  EXPECT_EQ(props[0].Name, u"port");
  EXPECT_EQ(props[0].SubName, u"p");
  EXPECT_EQ(TvxConfigManager::GetPropertyIdByName(u"PORT", props), 0);
  EXPECT_EQ(TvxConfigManager::GetPropertyIdByName(u"none", props), -1);

  EXPECT_EQ(store->GetPropertyValueByName(u"pOrT", Variant(0), props, false).AsInteger(), 81);
  EXPECT_EQ(store->GetPropertyValueByName(u"Host", Variant(u"h"), props, false).AsString(), u"h");
  EXPECT_EQ(props.size(), 1u);
  EXPECT_EQ(store->GetPropertyValueByName(u"Size12", Variant(u"h"), props, true).AsString(), u"h");
  ASSERT_EQ(props.size(), 2u);
  EXPECT_EQ(props[1].Id.Length(), 32u);
  EXPECT_EQ(props[1].DataType.Str(), "UCS4STR");
  EXPECT_EQ(props[1].SORTLN, 0u);

  TProperties defaults;
  store->SetPropertyValueByName(u"Host", Variant(u"default host"), defaults);
  EXPECT_EQ(TvxConfigManager::GetPropertyValueByName(u"HOST", Variant(u"d"), props, defaults).AsString(), u"default host");
  EXPECT_EQ(TvxConfigManager::GetPropertyValueByName(u"port", Variant(u"d"), props, defaults).AsInteger(), 81);
  EXPECT_EQ(TvxConfigManager::GetPropertyValueByName(u"x", Variant(u"d"), props, defaults).AsString(), u"d");

  EXPECT_TRUE(TvxConfigManager::DeletePropertyValueByName(u"PORT", props));
  EXPECT_FALSE(TvxConfigManager::DeletePropertyValueByName(u"PORT", props));
  ASSERT_EQ(props.size(), 1u);
  EXPECT_EQ(props[0].Name, u"Size12");
}

TEST_P(ConfigLists, ContextHelpPrefersTheSystemText) {
  auto store = OpenStore();
  ustring help = u"old";
  TContextHelpArea area = CH_System;
  EXPECT_FALSE(store->Check4ContextHelp(u"Topic", help, area));
  EXPECT_EQ(help, u"");
  EXPECT_EQ(area, CH_None);
  ASSERT_TRUE(store->SetConfigValue(u"/varlo/Classes/Help/Context/Customer", u"Topic", Variant(u"customer text")));
  EXPECT_TRUE(store->Check4ContextHelp(u"Topic", help, area));
  EXPECT_EQ(help, u"customer text");
  EXPECT_EQ(area, CH_Customer);
  ASSERT_TRUE(store->SetConfigValue(u"/varlo/Classes/Help/Context/System", u"Topic", Variant(u"system text")));
  EXPECT_TRUE(store->Check4ContextHelp(u"Topic", help, area));
  EXPECT_EQ(help, u"system text");
  EXPECT_EQ(area, CH_System);
}

TEST_P(ConfigLists, ListsOnAStoreWithoutItsTableFailClearly) {
  Database().Execute(u"DROP TABLE vx_configuration");
  SetSystemValue(u"DbConReadRetries", 0);
  auto store = OpenStore();
  TConfigNodes nodes{{TIdType("X"), u"x", u"x/", u"x"}};
  EXPECT_FALSE(store->GetRootNodes(nodes));
  EXPECT_FALSE(store->Message.Get().empty());
  EXPECT_FALSE(store->GetRecursiveChildNodes(u"/a", nodes, true, true, false));
  EXPECT_TRUE(nodes.empty());
  EXPECT_EQ(store->Message.Get().rfind(u"getchildnodes operation failed (", 0), 0u) << Text(store->Message.Get());
  TProperties props;
  EXPECT_FALSE(store->GetNodeProperties(u"/a", props, true, false, false, u"", "", false, true, false));
  EXPECT_TRUE(store->IsNodeEmpty(u"/a"));
  EXPECT_FALSE(store->Message.Get().empty());
  store->RaiseExceptions = true;
  EXPECT_THROW(store->GetChildNodes(u"/a", nodes, false), Exception);
  EXPECT_THROW(store->GetRecursiveChildNodes(u"/a", nodes, true, true, true), Exception);
}

INSTANTIATE_TEST_SUITE_P(Backends, ConfigLists, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL), BackendName);

}  // namespace
