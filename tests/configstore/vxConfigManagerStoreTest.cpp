// The store on both databases: opening on each layout and on tables that will
// not do, the node walk and its cases, the reverse walk, the values of every
// kind, and the keys and names that are bad input.
#include <gtest/gtest.h>

#include "configstore/vxConfigManager.h"
#include "core/vxTypesValues.h"
#include "platform/time/vxDateUtils.h"
#include "support/vxRaisedMessage.h"
#include "tests/configstore/vxConfigStoreFixture.h"

namespace {

using namespace vxStoreTest;

// The node row of Name below Parent (empty: a first-level node).
std::vector<ustring> NodeRow(TStoreDatabase& Db, const ustring& Name, const ustring& Parent) {
  return Db.Row(u"SELECT ID, PARENTID, KEYNAME, DATATYPE, KEYVALUE FROM vx_configuration WHERE KEYNAME = :N AND "
                u"DATATYPE = 'TREE' AND " +
                    ustring(Parent.empty() ? u"(PARENTID = '' OR PARENTID IS NULL)" : u"PARENTID = :P"),
                {{u"N", Variant(Name)}, {u"P", Variant(Parent)}});
}

class ConfigStore : public StoreTest {};

TEST_P(ConfigStore, OpensOnTheVersion2LayoutAndReportsItsConnection) {
  auto store = OpenStore();
  EXPECT_EQ(store->Message.Get(), u"");
  EXPECT_EQ(store->TableStructureType, TST_V2);
  EXPECT_EQ(store->GetTableStructureType(), TST_V2);
  EXPECT_EQ(store->Version, "5.4.0");
  EXPECT_EQ(store->CfgTabName, u"vx_configuration");
  EXPECT_TRUE(store->IsConnected());
  EXPECT_EQ(store->Message.Get(), u"database connection is online");
  // Opening writes nothing without k7Init.
  EXPECT_EQ(Database().Count(), 0);
}

TEST_P(ConfigStore, WritingMakesTheNodesOnTheWayAndTheSameValueAgainWritesNothing) {
  auto store = OpenStore();
  store->TrackChanges = true;
  ASSERT_TRUE(store->SetConfigValue(u"/a/b", u"x", Variant(u"value"))) << WideToUtf8(store->Message.Get());
  const auto a = NodeRow(Database(), u"a", u"");
  ASSERT_EQ(a.size(), 5u);
  EXPECT_EQ(a[1], u"");  // the empty text, not NULL
  EXPECT_EQ(a[4], u"");
  EXPECT_EQ(a[0].size(), 32u);
  const auto b = NodeRow(Database(), u"b", a[0]);
  ASSERT_EQ(b.size(), 5u);
  const auto x = Database().Row(u"SELECT KEYVALUE, DATATYPE, CHANGEUSER FROM vx_configuration WHERE PARENTID = :P AND KEYNAME = 'x'",
                                {{u"P", Variant(b[0])}});
  ASSERT_EQ(x.size(), 3u);
  EXPECT_EQ(x[0], u"value");
  EXPECT_EQ(x[1], u"UCS4STR");
  EXPECT_EQ(x[2], store->Username.Get());

  // A mark of the test's own shows whether a write touched the row.
  Database().Execute(u"UPDATE vx_configuration SET CHANGEUSER = 'marker' WHERE KEYNAME = 'x'");
  ASSERT_TRUE(store->SetConfigValue(u"/a/b", u"x", Variant(u"value")));
  EXPECT_EQ(Database().Row(u"SELECT CHANGEUSER FROM vx_configuration WHERE KEYNAME = 'x'")[0], u"marker");
  ASSERT_TRUE(store->SetConfigValue(u"a/b/", u" x ", Variant(u"other")));
  EXPECT_EQ(Database().Row(u"SELECT CHANGEUSER, KEYVALUE FROM vx_configuration WHERE KEYNAME = 'x'"),
            (std::vector<ustring>{store->Username.Get(), u"other"}));
  EXPECT_EQ(Database().Count(u"KEYNAME = 'x'"), 1);
}

TEST_P(ConfigStore, NumbersAndDatesAreComparedInTheFormTheyAreStoredIn) {
  vxTest::TFormatSettingsGuard settings;
  FormatSettings().DecimalSeparator = u',';
  FormatSettings().DateSeparator = u'.';
  FormatSettings().ShortDateFormat = u"dd.mm.yyyy";
  auto store = OpenStore();
  const Variant values[] = {Variant(1.5), Variant::FromDate(vxRuntime::EncodeDateTime(2024, 2, 29, 13, 14, 15, 0)),
                            Variant(Currency::FromScaled(22500)), Variant(true)};
  for (const Variant& value : values) {
    ASSERT_TRUE(store->SetConfigValue(u"/n", u"v", value));
    Database().Execute(u"UPDATE vx_configuration SET CHANGEUSER = 'marker' WHERE KEYNAME = 'v'");
    ASSERT_TRUE(store->SetConfigValue(u"/n", u"v", value));
    EXPECT_EQ(Database().Row(u"SELECT CHANGEUSER FROM vx_configuration WHERE KEYNAME = 'v'")[0], u"marker")
        << WideToUtf8(TvxTypes::VarToStrExt(value));
    Database().Execute(u"UPDATE vx_configuration SET CHANGEUSER = NULL WHERE KEYNAME = 'v'");
  }
  EXPECT_EQ(Database().Row(u"SELECT KEYVALUE FROM vx_configuration WHERE KEYNAME = 'v'")[0], u"True");
}

TEST_P(ConfigStore, ValuesOfEveryKindReadBackAsTheirKind) {
  auto store = OpenStore();
  const TDateTime moment = vxRuntime::EncodeDateTime(2023, 12, 31, 23, 59, 58, 0);
  struct Case {
    const char* Name;
    Variant Value;
    const char16_t* TypeName;
    const char16_t* Stored;
    Variant Expected;
  } cases[] = {
      {"text", Variant(u"Müller \"q\" 'x' \U0001F600\r\nline"), u"UCS4STR", u"Müller \"q\" 'x' \U0001F600\r\nline",
       Variant(u"Müller \"q\" 'x' \U0001F600\r\nline")},
      {"ansi", Variant(std::string("caf\xE9")), u"STRING", u"café", Variant(u"café")},
      {"empty text", Variant(u""), u"UCS4STR", u"", Variant(u"")},
      {"integer", Variant(-42), u"INT", u"-42", Variant(int64_t{-42})},
      {"int64", Variant(int64_t{9007199254740993}), u"INT64", u"9007199254740993", Variant(int64_t{9007199254740993})},
      {"word", Variant::FromWord(65535), u"WORD", u"65535", Variant(int64_t{65535})},
      {"longword", Variant::FromLongWord(4294967295u), u"LONGWORD", u"4294967295", Variant(int64_t{4294967295})},
      {"double", Variant(1234.5), u"DOUBLE", u"1234.50", Variant(1234.5)},
      {"small double", Variant(0.1234567), u"DOUBLE", u"0.1234567", Variant(0.1234567)},
      {"currency", Variant(Currency::FromScaled(-35000)), u"CURRENCY", u"-3.50", Variant(-3.5)},
      {"boolean", Variant(false), u"BOOLEAN", u"False", Variant(false)},
      {"date", Variant::FromDate(moment), u"DATE", u"2023-12-31 23:59:58", Variant::FromDate(moment)},
      {"day", Variant::FromDate(vxRuntime::EncodeDate(2024, 2, 29)), u"DATE", u"2024-02-29",
       Variant::FromDate(vxRuntime::EncodeDate(2024, 2, 29))},
  };
  for (const Case& c : cases) {
    const ustring name = Utf8ToWide(c.Name);
    ASSERT_TRUE(store->SetConfigValue(u"/kinds", name, c.Value)) << c.Name << " " << WideToUtf8(store->Message.Get());
    EXPECT_EQ(Database().Row(u"SELECT DATATYPE, KEYVALUE FROM vx_configuration WHERE KEYNAME = :N", {{u"N", Variant(name)}}),
              (std::vector<ustring>{c.TypeName, c.Stored}))
        << c.Name;
    const Variant back = store->GetConfigValue(u"/kinds", name, Variant(u"default"), false);
    EXPECT_EQ(back.VarType(), c.Expected.VarType()) << c.Name;
    EXPECT_TRUE(back == c.Expected) << c.Name << ": " << WideToUtf8(TvxTypes::VarToStrExt(back));
  }
}

TEST_P(ConfigStore, AnEmptyLevelIsAnUnnamedNodeAndASlashInANameIsItsPercentCode) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/a//b", u"x", Variant(1)));
  const auto a = NodeRow(Database(), u"a", u"");
  ASSERT_FALSE(a.empty());
  const auto unnamed = NodeRow(Database(), u"Unnamed", a[0]);
  ASSERT_FALSE(unnamed.empty());
  EXPECT_FALSE(NodeRow(Database(), u"b", unnamed[0]).empty());
  EXPECT_EQ(store->GetConfigValue(u"/a/Unnamed/b", u"x", Variant(0), false).AsInteger(), 1);

  ASSERT_TRUE(store->SetConfigValue(u"/in%2Fout/a%2fb", u"y", Variant(2)));
  const auto slashed = NodeRow(Database(), u"in/out", u"");
  ASSERT_FALSE(slashed.empty());
  const auto literal = NodeRow(Database(), u"a%2fb", slashed[0]);
  ASSERT_FALSE(literal.empty());
  EXPECT_EQ(OpenStore()->GetKeyNameByNodeId(TIdType(std::u16string_view(literal[0]))), u"/in%2Fout/a%2fb");
  // ".." is a name like any other: it never leads upwards.
  ASSERT_TRUE(store->SetConfigValue(u"/a/../c", u"z", Variant(3)));
  EXPECT_FALSE(NodeRow(Database(), u"..", a[0]).empty());
  EXPECT_TRUE(NodeRow(Database(), u"c", u"").empty());
}

TEST_P(ConfigStore, NamesCompareExactlyWhateverTheirCase) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/Node", u"Name", Variant(1)));
  ASSERT_TRUE(store->SetConfigValue(u"/node", u"name", Variant(2)));
  ASSERT_TRUE(store->SetConfigValue(u"/node", u"NAME", Variant(3)));
  EXPECT_EQ(store->GetConfigValue(u"/Node", u"Name", Variant(0), false).AsInteger(), 1);
  EXPECT_EQ(store->GetConfigValue(u"/node", u"name", Variant(0), false).AsInteger(), 2);
  EXPECT_EQ(store->GetConfigValue(u"/node", u"NAME", Variant(0), false).AsInteger(), 3);
  EXPECT_TRUE(store->GetParentTreeId(u"/NODE", false, false).IsEmpty());
  // Code point order on both databases: upper case before lower case before
  // letters beyond ASCII.
  for (const char16_t* name : {u"é", u"b", u"B", u"a"}) ASSERT_TRUE(store->SetConfigValue(u"/order", name, Variant(0)));
  const auto rows = Database().Query(
      u"SELECT KEYNAME FROM vx_configuration WHERE PARENTID = :P ORDER BY KEYNAME",
      {{u"P", Variant(store->GetParentTreeId(u"/order", false, false).WideStr())}});
  std::vector<ustring> names;
  for (const auto& row : rows.Rows) names.push_back(row[0].AsString());
  EXPECT_EQ(names, (std::vector<ustring>{u"B", u"a", u"b", u"é"}));
}

TEST_P(ConfigStore, ReadingAMissingValueGivesTheDefaultAndWithCreateRecordsIt) {
  auto store = OpenStore();
  EXPECT_EQ(store->GetConfigValue(u"/missing/node", u"v", Variant(u"def"), false).AsString(), u"def");
  // Only the class nodes and the change ticks, which every change check makes.
  const int64_t before = Database().Count(u"KEYNAME IN ('missing', 'node', 'v')");
  EXPECT_EQ(before, 0);
  const Variant made = store->GetConfigValue(u"/missing/node", u"v", Variant(7), true);
  EXPECT_EQ(made.AsInteger(), 7);
  EXPECT_EQ(Database().Row(u"SELECT DATATYPE, KEYVALUE FROM vx_configuration WHERE KEYNAME = 'v'"),
            (std::vector<ustring>{u"INT", u"7"}));
  EXPECT_EQ(store->GetConfigValue(u"/missing/node", u"v", Variant(0), false).AsInteger(), 7);
  EXPECT_EQ(store->Message.Get(), u"");
  // A nameless property is never made.
  EXPECT_EQ(store->GetConfigValue(u"/missing/node", u"  ", Variant(1), true).AsInteger(), 1);
  EXPECT_EQ(Database().Count(u"KEYNAME = ''"), 0);
}

TEST_P(ConfigStore, AKeyWithoutSlashIsANodeId) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/by/id", u"v", Variant(u"found")));
  const TIdType id = store->GetParentTreeId(u"/by/id", false, false);
  ASSERT_FALSE(id.IsEmpty());
  EXPECT_EQ(store->GetConfigValue(id.WideStr(), u"v", Variant(u"no"), false).AsString(), u"found");
  // Cut to 32 characters.
  EXPECT_EQ(store->GetConfigValue(id.WideStr() + u"TAIL", u"v", Variant(u"no"), false).AsString(), u"found");
  EXPECT_TRUE(store->ConfigValueExists(id.WideStr(), u"v"));
  EXPECT_TRUE(store->ConfigValueExists(u"/by/id", u"v"));
  EXPECT_FALSE(store->ConfigValueExists(u"/by/id", u"w"));
  EXPECT_FALSE(store->ConfigValueExists(u"/by/none", u"v"));
  // A child node of that name counts as a value.
  EXPECT_TRUE(store->ConfigValueExists(u"/by", u"id"));

  const vxData::TDataResult row =
      Database().Query(u"SELECT ID FROM vx_configuration WHERE KEYNAME = 'v' AND DATATYPE <> 'TREE'");
  const TIdType valueId(std::u16string_view(row.Rows.at(0).at(0).AsString()));
  EXPECT_EQ(store->GetConfigValueById(valueId, Variant(0), false).AsString(), u"found");
  EXPECT_EQ(store->GetConfigValueById(valueId, Variant(0), true).VarType(), varUString);
  EXPECT_EQ(store->GetConfigValueById(TIdType("NOSUCHID"), Variant(u"d"), false).AsString(), u"d");
}

TEST_P(ConfigStore, TypeNamesOfTheCallerAndTheChangeTheyCarry) {
  auto store = OpenStore();
  const TDateTime when = vxRuntime::EncodeDateTime(2020, 1, 2, 3, 4, 5, 0);
  ASSERT_TRUE(store->SetConfigValue(u"/t", u"flag", Variant(true), "bool"));
  EXPECT_EQ(Database().Row(u"SELECT DATATYPE, KEYVALUE FROM vx_configuration WHERE KEYNAME = 'flag'"),
            (std::vector<ustring>{u"BOOLEAN", u"True"}));
  EXPECT_EQ(store->GetConfigValue(u"/t", u"flag", Variant(false), false).VarType(), varBoolean);
  ASSERT_TRUE(store->SetConfigValue(u"/t", u"long", Variant(1), "verylongtypename"));
  EXPECT_EQ(Database().Row(u"SELECT DATATYPE FROM vx_configuration WHERE KEYNAME = 'long'")[0], u"VERYLONG");

  // Tracked only with a user, and then with the date given.
  store->TrackChanges = true;
  ASSERT_TRUE(store->SetConfigValue(u"/t", u"who", Variant(1), "INT", u"", when, false));
  EXPECT_EQ(Database().Row(u"SELECT CHANGEUSER FROM vx_configuration WHERE KEYNAME = 'who'")[0], u"<null>");
  store->TrackChanges = false;
  ASSERT_TRUE(store->SetConfigValue(u"/t", u"who", Variant(2), "INT", u"editor", when, true));
  const auto row = Database().Row(u"SELECT CHANGEUSER, CHANGEDATE FROM vx_configuration WHERE KEYNAME = 'who'");
  EXPECT_EQ(row[0], u"editor");
  EXPECT_TRUE(store->ConfigValueChangedByUser(u"/t", u"who"));
  EXPECT_FALSE(store->ConfigValueChangedByUser(u"/t", u"flag"));
  // A value a user changed stays when the caller keeps user content.
  ASSERT_TRUE(store->SetConfigValue(u"/t", u"who", Variant(3), true));
  ASSERT_TRUE(store->SetConfigValue(u"/t", u"who", Variant(4), "INT", true));
  EXPECT_EQ(store->GetConfigValue(u"/t", u"who", Variant(0), false).AsInteger(), 2);
  ASSERT_TRUE(store->SetConfigValue(u"/t", u"who", Variant(5), false));
  EXPECT_EQ(store->GetConfigValue(u"/t", u"who", Variant(0), false).AsInteger(), 5);
  // The same text under the type name exactly as stored is left as it is; a
  // binary value is always written.
  Database().Execute(u"UPDATE vx_configuration SET CHANGEUSER = 'marker' WHERE KEYNAME = 'who'");
  ASSERT_TRUE(store->SetConfigValue(u"/t", u"who", Variant(5), "INT", u"x", when, true));
  EXPECT_EQ(Database().Row(u"SELECT CHANGEUSER FROM vx_configuration WHERE KEYNAME = 'who'")[0], u"marker");
  ASSERT_TRUE(store->SetConfigValue(u"/t", u"bin", Variant(u"QUJD"), "BINARY", u"x", when, true));
  Database().Execute(u"UPDATE vx_configuration SET CHANGEUSER = 'marker' WHERE KEYNAME = 'bin'");
  ASSERT_TRUE(store->SetConfigValue(u"/t", u"bin", Variant(u"QUJD"), "BINARY", u"x", when, true));
  EXPECT_EQ(Database().Row(u"SELECT CHANGEUSER FROM vx_configuration WHERE KEYNAME = 'bin'")[0], u"x");
  EXPECT_EQ(store->GetConfigValue(u"/t", u"bin", Variant(), false).AsString(), u"QUJD");
}

TEST_P(ConfigStore, TheReverseWalkGivesTheNodesKeyAndCachesNodesOnly) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/r/s%2Ft/u", u"p", Variant(1)));
  const TIdType node = store->GetParentTreeId(u"/r/s%2Ft/u", false, false);
  const vxData::TDataResult property =
      Database().Query(u"SELECT ID FROM vx_configuration WHERE KEYNAME = 'p' AND DATATYPE <> 'TREE'");
  const TIdType propertyId(std::u16string_view(property.Rows.at(0).at(0).AsString()));
  // Fresh stores, so nothing is cached yet.
  auto fresh = OpenStore();
  EXPECT_EQ(fresh->GetKeyNameByNodeId(propertyId), u"/r/s%2Ft/u");
  // The property's id did not go into the cache under the node's key.
  EXPECT_EQ(fresh->GetParentTreeId(u"/r/s%2Ft/u", false, false), node);
  auto other = OpenStore();
  EXPECT_EQ(other->GetKeyNameByNodeId(node), u"/r/s%2Ft/u");
  // Now cached: the prepared form comes from the cache.
  EXPECT_EQ(other->GetKeyNameByNodeId(node), u"r/s%2Ft/u/");
  TIdType cached;
  EXPECT_TRUE(other->GetCacheKeyId(u"r/s%2Ft/u/", cached, false));
  EXPECT_EQ(cached, node);
  EXPECT_EQ(fresh->GetKeyNameByNodeId(TIdType("00000000000000000000000000000000")), u"");
}

TEST_P(ConfigStore, AParentCycleEndsTheReverseWalkWithAnError) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/c1/c2/c3", u"p", Variant(1)));
  const TIdType c1 = store->GetParentTreeId(u"/c1", false, false);
  const TIdType c3 = store->GetParentTreeId(u"/c1/c2/c3", false, false);
  // Damage: the first level now hangs below the third.
  Database().Execute(u"UPDATE vx_configuration SET PARENTID = :P WHERE ID = :I",
                     {{u"P", Variant(c3.WideStr())}, {u"I", Variant(c1.WideStr())}});
  auto fresh = OpenStore();
  EXPECT_EQ(fresh->GetKeyNameByNodeId(c3), u"");
  EXPECT_NE(fresh->Message.Get().find(u"run in a circle"), ustring::npos) << WideToUtf8(fresh->Message.Get());
  fresh->RaiseExceptions = true;
  EXPECT_THROW(fresh->GetKeyNameByNodeId(c3), Exception);
}

TEST_P(ConfigStore, TheIdKeepingWalkMakesNodesWithTheirIdsAndCarriesChildrenAlong) {
  auto store = OpenStore();
  const TIdType wanted("0123456789ABCDEF0123456789ABCDEF");
  EXPECT_EQ(store->GetParentTreeId(u"/k/new", wanted, true), wanted);
  EXPECT_TRUE(store->GetParentTreeId(u"/k/none", TIdType(), false).IsEmpty());

  ASSERT_TRUE(store->SetConfigValue(u"/k/old/child", u"v", Variant(u"kept")));
  ASSERT_TRUE(store->SetConfigValue(u"/k/old", u"w", Variant(u"own")));
  const TIdType before = store->GetParentTreeId(u"/k/old", false, false);
  const TIdType rekeyed("FEDCBA9876543210FEDCBA9876543210");
  EXPECT_EQ(store->GetParentTreeId(u"/k/old", rekeyed, true), rekeyed);
  EXPECT_EQ(Database().Count(u"ID = :I", {{u"I", Variant(before.WideStr())}}), 0);
  EXPECT_EQ(Database().Count(u"PARENTID = :I", {{u"I", Variant(before.WideStr())}}), 0);
  EXPECT_EQ(Database().Count(u"PARENTID = :I", {{u"I", Variant(rekeyed.WideStr())}}), 2);
  EXPECT_EQ(store->GetParentTreeId(u"/k/old", false, false), rekeyed);
  EXPECT_EQ(store->GetConfigValue(u"/k/old/child", u"v", Variant(), false).AsString(), u"kept");
  EXPECT_EQ(store->GetConfigValue(u"/k/old", u"w", Variant(), false).AsString(), u"own");

  // An id another row has already: the node keeps its own, nothing moves.
  EXPECT_EQ(store->GetParentTreeId(u"/k/old", wanted, true), rekeyed);
  EXPECT_EQ(Database().Count(u"PARENTID = :I", {{u"I", Variant(rekeyed.WideStr())}}), 2);
}

TEST_P(ConfigStore, BadKeysAndNamesFailClearlyAndWriteNothing) {
  auto store = OpenStore();
  const ustring longName(300, u'n');
  EXPECT_FALSE(store->SetConfigValue(u"/long/" + longName, u"v", Variant(1)));
  EXPECT_FALSE(store->Message.Get().empty());
  EXPECT_EQ(Database().Count(u"KEYNAME = 'long'"), 1);  // the level above it stands
  EXPECT_FALSE(store->SetConfigValue(u"/long", longName, Variant(1)));
  EXPECT_EQ(Database().Count(u"PARENTID IN (SELECT ID FROM vx_configuration WHERE KEYNAME = 'long')"), 0);

  // A lone surrogate cannot be stored in either database: refused, not replaced.
  const ustring lone = ustring(u"x") + char16_t(0xD800);
  EXPECT_FALSE(store->SetConfigValue(u"/s/" + lone, u"v", Variant(1)));
  EXPECT_NE(store->Message.Get().find(u"surrogate"), ustring::npos) << WideToUtf8(store->Message.Get());
  EXPECT_FALSE(store->SetConfigValue(u"/s", u"v", Variant(lone)));
  EXPECT_EQ(Database().Count(u"KEYNAME = 'v'"), 0);

  // A NUL: SQLite keeps it, PostgreSQL refuses it; never cut.
  const ustring nul(u"a\0b", 3);
  const bool written = store->SetConfigValue(u"/z", nul, Variant(nul));
  if (GetParam() == TBackend::SQLite) {
    ASSERT_TRUE(written) << WideToUtf8(store->Message.Get());
    EXPECT_EQ(store->GetConfigValue(u"/z", nul, Variant(), false).AsString(), nul);
    EXPECT_EQ(store->GetConfigValue(u"/z", u"a", Variant(u"none"), false).AsString(), u"none");
  } else {
    EXPECT_FALSE(written);
    EXPECT_NE(store->Message.Get().find(u"NUL"), ustring::npos) << WideToUtf8(store->Message.Get());
    EXPECT_EQ(Database().Count(u"KEYNAME LIKE 'a%'"), 0);
  }
  // A very deep key is only many levels.
  ustring deep;
  for (int i = 0; i < 200; ++i) deep += u"/l" + Utf8ToWide(std::to_string(i));
  ASSERT_TRUE(store->SetConfigValue(deep, u"v", Variant(u"deep")));
  EXPECT_EQ(store->GetConfigValue(deep, u"v", Variant(), false).AsString(), u"deep");
}

TEST_P(ConfigStore, AWalkThatKeepsFailingOnAHealthyConnectionGivesUpAfterTenAttempts) {
  std::atomic<int> checks{0};
  Database().Execute(u"DROP TABLE vx_configuration");
  // Every failed attempt checks the connection once.
  ConfigManagerTiming().CheckObserver = [&](bool Begins) {
    if (Begins) ++checks;
  };
  auto counted = OpenStore();
  const std::string message = vxTest::RaisedMessage([&] { counted->GetParentTreeId(u"/x/y", true, true); });
  EXPECT_EQ(checks, 10);
  // The statement's error, although the tenth check renewed the connection
  // and said so in Message.
  EXPECT_NE(message.find("vx_configuration"), std::string::npos) << message;
  EXPECT_EQ(counted->Message.Get(), u"database connection to " + ProviderName() + u" successful restored");

  // With DbConReadRetries 0 there is no second attempt.
  checks = 0;
  SetSystemValue(u"DbConReadRetries", 0);
  auto once = OpenStore();
  EXPECT_THROW(once->GetParentTreeId(u"/x/y", true, true), Exception);
  EXPECT_EQ(checks, 1);
  // The operations around a walk fail in the usual way instead.
  EXPECT_FALSE(once->SetConfigValue(u"/x/y", u"v", Variant(1)));
  EXPECT_TRUE(once->GetConfigValue(u"/x/y", u"v", Variant(1), false).IsEmpty());
  once->RaiseExceptions = true;
  EXPECT_THROW(once->SetConfigValue(u"/x/y", u"v", Variant(1)), Exception);
}

TEST_P(ConfigStore, WithoutTheCacheEveryKeyIsReadFromTheTable) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/c/d", u"v", Variant(1)));
  const TIdType node = store->GetParentTreeId(u"/c/d", false, false);
  TIdType id;
  ustring key;
  EXPECT_TRUE(store->GetCacheKeyId(u"c/d/", id, false));
  store->CacheEnabled = false;
  EXPECT_FALSE(store->GetCacheKeyId(u"c/d/", id, true));
  EXPECT_FALSE(store->GetCacheKeyById(node, key));
  EXPECT_FALSE(store->SetCacheKeyId(u"/e", node));
  EXPECT_EQ(store->GetParentTreeId(u"/c/d", false, false), node);
  EXPECT_EQ(store->GetConfigValue(u"/c/d", u"v", Variant(0), false).AsInteger(), 1);
  store->CacheEnabled = true;
  EXPECT_TRUE(store->RemoveKeyFromCache(u"/c"));
  EXPECT_FALSE(store->GetCacheKeyId(u"c/d/", id, false));
  EXPECT_TRUE(store->SetCacheKeyId(u"/c/d", node));
  EXPECT_TRUE(store->RemoveKeyIdFromCache(node));
  EXPECT_FALSE(store->GetCacheKeyById(node, key));
  EXPECT_TRUE(store->SetCacheKeyId(u"/c/d", node));
  EXPECT_TRUE(store->ResetCache());
  EXPECT_FALSE(store->GetCacheKeyId(u"c/d/", id, false));
}

INSTANTIATE_TEST_SUITE_P(Backends, ConfigStore, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL), BackendName);

// --- Tables that will not do ---------------------------------------------------

class ConfigStoreWithoutTable : public StoreTest {
 protected:
  bool CreatesTable() const override { return false; }
};

TEST_P(ConfigStoreWithoutTable, AMissingTableOrOneOfNeitherLayoutIsReportedWhenOpening) {
  for (bool foreign : {false, true}) {
    if (foreign) Database().Execute(u"CREATE TABLE vx_configuration (A INTEGER, B VARCHAR(10))");
    auto store = OpenStore();
    EXPECT_EQ(store->TableStructureType, TST_V1);
    EXPECT_EQ(store->Message.Get().rfind(u"configuration table vx_configuration is missing or has neither layout (", 0), 0u)
        << WideToUtf8(store->Message.Get());
    EXPECT_FALSE(store->SetConfigValue(u"/a", u"v", Variant(1)));
    EXPECT_FALSE(store->Message.Get().empty());
    EXPECT_TRUE(store->GetConfigValue(u"/a", u"v", Variant(1), false).IsEmpty());
  }
}

TEST_P(ConfigStoreWithoutTable, TheOlderLayoutWorksWithoutTrackingChanges) {
  Database().CreateTable(TST_V1);
  auto store = OpenStore(true);
  EXPECT_EQ(store->Message.Get(), u"");
  EXPECT_EQ(store->TableStructureType, TST_V1);
  store->TrackChanges = true;
  ASSERT_TRUE(store->SetConfigValue(u"/old", u"v", Variant(1))) << WideToUtf8(store->Message.Get());
  ASSERT_TRUE(store->SetConfigValue(u"/old", u"w", Variant(2), "INT", u"editor", vxRuntime::Now(), true));
  EXPECT_EQ(store->GetConfigValue(u"/old", u"w", Variant(0), false).AsInteger(), 2);
  EXPECT_FALSE(store->ConfigValueChangedByUser(u"/old", u"w"));
  EXPECT_EQ(store->GetParentTreeId(u"/old", TIdType("AB"), true), TIdType("AB"));
}

INSTANTIATE_TEST_SUITE_P(Backends, ConfigStoreWithoutTable, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL),
                         BackendName);

// --- Opening with k7Init ---------------------------------------------------------

TEST_P(ConfigStore, K7InitResolvesTheClassNodesAndReadsTheCacheSettings) {
  {
    auto store = OpenStore(true);
    EXPECT_EQ(store->Message.Get(), u"");
    EXPECT_EQ(store->KId_ClassesStatus.Get(), store->GetParentTreeId(u"/varlo/Classes/Statuses", false, false));
    EXPECT_EQ(store->KId_ClassesLocale.Get(), store->GetParentTreeId(u"/varlo/Classes/Behaviour/Local", false, false));
    EXPECT_FALSE(store->KId_ClassesStyleIcons.Get().IsEmpty());
    EXPECT_EQ(store->CacheSize, 1000);
    EXPECT_EQ(store->CacheLeaseTime, 600000u);
    EXPECT_EQ(store->CacheCheckTime, 5000u);
  }
  // The defaults were written.
  EXPECT_EQ(Database().Row(u"SELECT DATATYPE, KEYVALUE FROM vx_configuration WHERE KEYNAME = 'ConfigCacheSize'"),
            (std::vector<ustring>{u"WORD", u"1000"}));
  struct Case {
    const char16_t* Stored;
    int32_t Size;
  } cases[] = {{u"100000", 100000}, {u"200000", 100000}, {u"-5", 0}, {u"0", 0}, {u"250", 250}, {u"junk", 0}};
  for (const Case& c : cases) {
    Database().Execute(u"UPDATE vx_configuration SET KEYVALUE = :V WHERE KEYNAME = 'ConfigCacheSize'", {{u"V", Variant(c.Stored)}});
    Database().Execute(u"UPDATE vx_configuration SET KEYVALUE = '70000' WHERE KEYNAME = 'ConfigCacheCheckTime'");
    auto store = OpenStore(true);
    EXPECT_EQ(store->CacheSize, c.Size) << WideToUtf8(c.Stored);
    EXPECT_EQ(store->CacheCheckTime, 65535u);
  }
}

}  // namespace
