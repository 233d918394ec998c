// The table definitions shipped with the store: both layouts on both
// databases, the table name put in, the one collation of key names whatever
// the database's own default, and a store file that two processes can share.
#include <gtest/gtest.h>

#include "support/vxRaisedMessage.h"
#include "tests/configstore/vxConfigStoreFixture.h"

namespace {

using namespace vxStoreTest;

TEST(ConfigSchema, TableNamesArePlainIdentifiers) {
  for (const char16_t* good : {u"vx_configuration", u"_x", u"T1", u"a"}) EXPECT_TRUE(vxConfigManagerSchema::IsTableName(good));
  for (const char16_t* bad : {u"", u"1t", u"a b", u"t;drop", u"\"t\"", u"s.t", u"é"})
    EXPECT_FALSE(vxConfigManagerSchema::IsTableName(bad)) << WideToUtf8(bad);
  EXPECT_FALSE(vxConfigManagerSchema::IsTableName(ustring(64, u'x')));
  EXPECT_THROW(vxConfigManagerSchema::TableDefinition(vxData::TDataProvider::SQLite, TST_V2, u"x;y"), Exception);
  const ustring text = vxConfigManagerSchema::TableDefinition(vxData::TDataProvider::PostgreSQL, TST_V1, u"cfg");
  EXPECT_NE(text.find(u"CREATE TABLE cfg ("), ustring::npos);
  EXPECT_NE(text.find(u"cfg_names ON cfg"), ustring::npos);
  EXPECT_EQ(text.find(u"vx_configuration"), ustring::npos);
  EXPECT_EQ(text.find(u"CHANGEDATE"), ustring::npos);
}

class ConfigSchema : public StoreTest {
 protected:
  bool CreatesTable() const override { return false; }
};

TEST_P(ConfigSchema, BothLayoutsUnderAnyNameAreWhatTheProbeTellsApart) {
  Database().CreateTable(TST_V2, u"cfg_two");
  Database().CreateTable(TST_V1, u"cfg_one");
  auto two = OpenStore(false, u"cfg_two");
  auto one = OpenStore(false, u"cfg_one");
  EXPECT_EQ(two->TableStructureType, TST_V2);
  EXPECT_EQ(one->TableStructureType, TST_V1);
  EXPECT_EQ(one->Message.Get(), u"");
  for (auto* store : {two.get(), one.get()}) {
    ASSERT_TRUE(store->SetConfigValue(u"/x/y", u"v", Variant(1))) << WideToUtf8(store->Message.Get());
    EXPECT_EQ(store->GetConfigValue(u"/x/y", u"v", Variant(0), false).AsInteger(), 1);
  }
  // An existing table is reported and left as it is.
  const std::string message = vxTest::RaisedMessage([&] { Database().CreateTable(TST_V2, u"cfg_two"); });
  EXPECT_NE(message.find("already exists"), std::string::npos) << message;
  EXPECT_EQ(two->GetConfigValue(u"/x/y", u"v", Variant(0), false).AsInteger(), 1);
}

// A database of the shared PostgreSQL server whose own default collation is
// ICU's root collation (which sorts "a" before "B"), dropped at the end.
class TIcuDatabase {
 public:
  TIcuDatabase(const vxTest::TPostgresServer& Server) : FServer(Server) {
    FName = "vxicu_" + std::to_string(::getpid());
    TADOConnection admin(FServer.ConnectionString());
    admin.Execute(u"DROP DATABASE IF EXISTS " + Utf8ToWide(FName) + u" WITH (FORCE)");
    admin.Execute(u"CREATE DATABASE " + Utf8ToWide(FName) +
                  u" TEMPLATE template0 LOCALE_PROVIDER icu ICU_LOCALE 'und' LOCALE 'C'");
  }
  ~TIcuDatabase() {
    try {
      TADOConnection admin(FServer.ConnectionString());
      admin.Execute(u"DROP DATABASE IF EXISTS " + Utf8ToWide(FName) + u" WITH (FORCE)");
    } catch (const Exception&) {
    }
  }
  ustring ConnectionString() const { return FServer.ConnectionString(FName); }

 private:
  const vxTest::TPostgresServer& FServer;
  std::string FName;
};

TEST_P(ConfigSchema, KeyNamesCompareByCodePointWhateverTheDatabaseDefault) {
  ustring connection = Database().ConnectionString();
  std::unique_ptr<TIcuDatabase> icu;
  if (GetParam() == TBackend::PostgreSQL) {
    std::string why;
    icu = std::make_unique<TIcuDatabase>(*vxTest::TPostgresServer::Shared(why));
    connection = icu->ConnectionString();
    TADOConnection check(connection);
    // The premise: this database's own comparison is not by code point.
    ASSERT_TRUE(check.Session().Query(u"SELECT 'a' < 'B'", {}, 10).Rows.at(0).at(0).AsBoolean());
  }
  vxConfigManagerSchema::CreateTable(connection, TST_V2, u"vx_configuration");
  TvxConfigManager store(false, connection, u"vx_configuration");
  for (const char16_t* name : {u"b", u"a", u"B", u"A", u"é", u"E"})
    ASSERT_TRUE(store.SetConfigValue(u"/names", name, Variant(0))) << WideToUtf8(store.Message.Get());
  EXPECT_EQ(store.GetConfigValue(u"/names", u"e", Variant(u"none"), false).AsString(), u"none");
  TADOConnection look(connection);
  const auto rows = look.Session().Query(
      u"SELECT KEYNAME FROM vx_configuration WHERE PARENTID = :P ORDER BY KEYNAME",
      {{u"P", Variant(store.GetParentTreeId(u"/names", false, false).WideStr())}}, 10);
  std::vector<ustring> names;
  for (const auto& row : rows.Rows) names.push_back(row[0].AsString());
  EXPECT_EQ(names, (std::vector<ustring>{u"A", u"B", u"E", u"a", u"b", u"é"}));
  EXPECT_EQ(look.Session().Query(u"SELECT COUNT(*) FROM vx_configuration WHERE KEYNAME = 'a'", {}, 10).Rows[0][0].AsInteger(), 1);
}

TEST(ConfigSchemaSQLite, TheStoreFileLogsAheadSoProcessesShareIt) {
  std::string why;
  TStoreDatabase database(TBackend::SQLite, why);
  database.CreateTable();
  EXPECT_EQ(database.Row(u"PRAGMA journal_mode")[0], u"wal");
}

INSTANTIATE_TEST_SUITE_P(Backends, ConfigSchema, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL), BackendName);

}  // namespace
