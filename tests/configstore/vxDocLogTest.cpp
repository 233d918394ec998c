// The logging console's document log on both databases, its settings read
// from the configuration store of the host's data link: the row and its
// texts, the level filter, metadata columns found without regard to case
// and values they refuse, the retention's rows and dates, the "vx_meta"
// rows by kind, and the failures that give False.
#include <gtest/gtest.h>

#include "configstore/vxDocLogStore.h"
#include "foundation/vxConsoleTools.h"
#include "tests/configstore/vxConfigStoreFixture.h"

namespace {

using namespace vxStoreTest;

// The console's clock: noon of a fixed day.
constexpr TDateTime Now = 46000.5;
constexpr TDateTime Minute = 1.0 / 1440;
constexpr char16_t Common[] = u"/varlo/Software/Basics/Common";

TvxMetaField Meta(const ustring& IntField, const ustring& ExtField, const Variant& Value) {
  TvxMetaField field;
  field.IntField = IntField;
  field.ExtField = ExtField;
  field.Value = Value.IsNull() ? ustring() : Value.AsString();
  field.VarValue = Value;
  return field;
}

class DocLogTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    if (IsSkipped()) return;
    vxConfigManagerSchema::CreateDocLogTables(Database().ConnectionString());
    FLink = std::make_unique<THostDataLink>(Database().ConnectionString());
    vxDocLogStore::Initialize();
    FConsole = NewConsole();
  }
  void TearDown() override {
    FConsole.reset();
    vxDocLogStore::Finalize();
  }

  std::unique_ptr<TvxConsoleTools> NewConsole() {
    auto console = std::make_unique<TvxConsoleTools>(false, [] { return Now; });
    console->ServerTechName = u"vxMailSrv";
    return console;
  }
  void SetSetting(const ustring& Name, const Variant& Value) {
    ASSERT_TRUE(OpenStore()->SetConfigValue(Common, Name, Value));
  }
  bool Log(TvxLogInfoType Kind, const ustring& DocId = u"DOC1", const TvxMetaData& MetaData = {}) {
    return FConsole->DocLog(Kind, u"Message", TIdType(DocId), TIdType("STACK"), u"", u"", u"App", MetaData);
  }
  int64_t Count(const ustring& Table, const ustring& Where = u"1 = 1") {
    return Database().Query(u"SELECT COUNT(*) FROM " + Table + u" WHERE " + Where).Rows.at(0).at(0).AsInt64();
  }
  void InsertLogRow(const ustring& DocId, TDateTime Created) {
    Database().Execute(u"INSERT INTO vx_log (DOCID, CREATIONDATE) VALUES (:D, :C)",
                       {{u"D", Variant(DocId)}, {u"C", Variant::FromDate(Created)}});
  }

  std::unique_ptr<THostDataLink> FLink;
  std::unique_ptr<TvxConsoleTools> FConsole;
};

TEST_P(DocLogTest, TheFirstRowWritesTheMissingSettingsAndTheRowsTexts) {
  ASSERT_TRUE(FConsole->DocLog(u"Import", u"Ünïcode Text, As Given", TIdType("DOC-1"), TIdType("Stack-9"), u"",
                               u"", u"ScanApp", {}, vxLog_Import));
  EXPECT_EQ(FConsole->DocLogCount, 1u);
  EXPECT_EQ(Database().Row(u"SELECT DOCID, STACKID, USERNAME, SERVICE, APPLICATION, HOST, LOGTYPE, LOGTEXT "
                           u"FROM vx_log"),
            (std::vector<ustring>{u"DOC-1", u"Stack-9", u"system", u"vxmailsrv", u"scanapp", u"localhost",
                                  u"import", u"Ünïcode Text, As Given"}));
  const vxData::TDataResult created = Database().Query(u"SELECT CREATIONDATE FROM vx_log");
  EXPECT_NEAR(created.Rows.at(0).at(0).AsDateTime(), Now, 1e-8);

  auto store = OpenStore();
  EXPECT_EQ(store->GetConfigValue(Common, u"DocLogCreate", Variant(), false), Variant(true));
  EXPECT_EQ(store->GetConfigValue(Common, u"DocMetaCreate", Variant(), false), Variant(false));
  EXPECT_EQ(store->GetConfigValue(Common, u"DocLogRetention", Variant(), false).AsInteger(), 30);
  EXPECT_EQ(store->GetConfigValue(Common, u"DocLogLevel", Variant(), false).AsInteger(), 4);

  // Address and user as given, lower-cased.
  ASSERT_TRUE(FConsole->DocLog(u"INFO", u"x", TIdType("DOC-2"), TIdType(""), u"Host.Example", u"Clerk", u"", {},
                               vxLog_Info));
  EXPECT_EQ(Database().Row(u"SELECT USERNAME, HOST, LOGTYPE FROM vx_log WHERE DOCID = 'DOC-2'"),
            (std::vector<ustring>{u"clerk", u"host.example", u"info"}));
}

TEST_P(DocLogTest, TheKindFormWritesWhatPassesTheStoresLevel) {
  struct TCase {
    int32_t Level;
    TvxLogInfoType Kind;
    bool Written;
  };
  const TCase cases[] = {{4, vxLog_Debug, true}, {4, vxLog_Trace, false}, {5, vxLog_Trace, true},
                         {4, vxLog_Error, true}};
  int n = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "level " << c.Level << ", kind " << int(c.Kind));
    SetSetting(u"DocLogLevel", Variant(c.Level));
    FConsole = NewConsole();
    const ustring doc = u"LEVEL" + Utf8ToWide(std::to_string(n++));
    EXPECT_TRUE(Log(c.Kind, doc));
    EXPECT_EQ(Count(u"vx_log", u"DOCID = '" + doc + u"'"), c.Written ? 1 : 0);
    EXPECT_EQ(FConsole->DocLogCount, c.Written ? 1u : 0u);
    EXPECT_EQ(FConsole->DocLogLevel, c.Level);
  }
}

TEST_P(DocLogTest, MetadataGoesToItsColumnsAndARefusedValueNeverLosesTheRow) {
  // Mixed-case names: PostgreSQL keeps them lower-cased, SQLite as written.
  Database().Execute(u"ALTER TABLE vx_log ADD COLUMN Meta_Invoice_No VARCHAR(64)");
  Database().Execute(u"ALTER TABLE vx_log ADD COLUMN META_AMOUNT INTEGER");
  Database().Execute(u"ALTER TABLE vx_log ADD COLUMN meta_booked TIMESTAMP");
  const TvxMetaData good = {Meta(u"InvoiceNo", u"invoice_no", Variant(u"R-4711")),
                            Meta(u"Amount", u"Amount", Variant(u"12")),
                            Meta(u"Booked", u"BOOKED", Variant::FromDate(45000.25)),
                            Meta(u"Other", u"no_such_column", Variant(u"x"))};
  ASSERT_TRUE(Log(vxLog_Info, u"GOOD", good));
  EXPECT_EQ(FConsole->DocLogMetaFields.CommaText(), u"META_INVOICE_NO,META_AMOUNT,META_BOOKED");
  const vxData::TDataResult row =
      Database().Query(u"SELECT META_INVOICE_NO, META_AMOUNT, META_BOOKED FROM vx_log WHERE DOCID = 'GOOD'");
  ASSERT_EQ(row.Rows.size(), 1u);
  EXPECT_EQ(row.Rows[0][0].AsString(), u"R-4711");
  EXPECT_EQ(row.Rows[0][1].AsInteger(), 12);
  EXPECT_NEAR(row.Rows[0][2].AsDateTime(), 45000.25, 1e-8);

  // A value its column's type refuses is left out at the assignment; the
  // entries after it still count.
  const TvxMetaData bad = {Meta(u"Amount", u"amount", Variant(u"many")),
                           Meta(u"InvoiceNo", u"INVOICE_NO", Variant(u"R-4712"))};
  ASSERT_TRUE(Log(vxLog_Info, u"BAD", bad));
  EXPECT_EQ(Database().Row(u"SELECT META_INVOICE_NO, META_AMOUNT FROM vx_log WHERE DOCID = 'BAD'"),
            (std::vector<ustring>{u"R-4712", u"<null>"}));
}

TEST_P(DocLogTest, AValueTheDatabaseRefusesForItsColumnLeavesTheRowWithoutMetadata) {
  Database().Execute(u"ALTER TABLE vx_log ADD COLUMN META_CODE VARCHAR(4)");
  if (GetParam() == TBackend::SQLite) Database().Execute(u"DROP TABLE vx_log");
  if (GetParam() == TBackend::SQLite)
    Database().Execute(
        u"CREATE TABLE vx_log (DOCID VARCHAR(32) NOT NULL, STACKID VARCHAR(32), CREATIONDATE TIMESTAMP, "
        u"USERNAME TEXT, SERVICE TEXT, APPLICATION TEXT, HOST TEXT, LOGTYPE TEXT, LOGTEXT TEXT, "
        u"META_CODE VARCHAR(4) CHECK (length(META_CODE) <= 4))");
  ASSERT_TRUE(Log(vxLog_Info, u"LONG", {Meta(u"Code", u"code", Variant(u"far too long"))}));
  EXPECT_EQ(Database().Row(u"SELECT LOGTEXT, META_CODE FROM vx_log WHERE DOCID = 'LONG'"),
            (std::vector<ustring>{u"Message", u"<null>"}));
  ASSERT_TRUE(Log(vxLog_Info, u"SHORT", {Meta(u"Code", u"code", Variant(u"ok"))}));
  EXPECT_EQ(Database().Row(u"SELECT META_CODE FROM vx_log WHERE DOCID = 'SHORT'"), (std::vector<ustring>{u"ok"}));
}

TEST_P(DocLogTest, RetentionDeletesExactlyTheOldRowsAtTheFirstRowAndEveryThousandth) {
  // The kill date is Now minus 30 days; a minute on either side of it.
  const TDateTime kill = Now - 30;
  InsertLogRow(u"OLD1", kill - Minute);
  InsertLogRow(u"YOUNG", kill + Minute);
  ASSERT_TRUE(Log(vxLog_Info, u"ROW1"));
  EXPECT_EQ(Count(u"vx_log", u"DOCID = 'OLD1'"), 0);
  EXPECT_EQ(Count(u"vx_log", u"DOCID = 'YOUNG'"), 1);

  InsertLogRow(u"OLD2", kill - 365);
  ASSERT_TRUE(Log(vxLog_Info, u"ROW2"));
  EXPECT_EQ(Count(u"vx_log", u"DOCID = 'OLD2'"), 1) << "the second row deletes nothing";
  FConsole->DocLogCount = 998;
  ASSERT_TRUE(Log(vxLog_Info, u"ROW999"));
  EXPECT_EQ(Count(u"vx_log", u"DOCID = 'OLD2'"), 1) << "the 999th row deletes nothing";
  ASSERT_TRUE(Log(vxLog_Info, u"ROW1000"));
  EXPECT_EQ(FConsole->DocLogCount, 1000u);
  EXPECT_EQ(Count(u"vx_log", u"DOCID = 'OLD2'"), 0) << "the 1000th row deletes";
  EXPECT_EQ(Count(u"vx_log"), 5);
  if (GetParam() == TBackend::SQLite) {  // every date in the one form the deletion compares with
    EXPECT_EQ(Count(u"vx_log", u"typeof(CREATIONDATE) <> 'text'"), 0);
  }
}

TEST_P(DocLogTest, RetentionZeroKeepsEveryRow) {
  SetSetting(u"DocLogRetention", Variant(0));
  InsertLogRow(u"ANCIENT", Now - 10000);
  ASSERT_TRUE(Log(vxLog_Info));
  EXPECT_EQ(FConsole->DocLogRetention, 0);
  EXPECT_EQ(Count(u"vx_log"), 2);
}

TEST_P(DocLogTest, MetaRowsFollowTheKind) {
  SetSetting(u"DocMetaCreate", Variant(true));
  const TvxMetaData two = {Meta(u"InvoiceNo", u"invoice_no", Variant(u"R-1")),
                           Meta(u"Amount", u"amount", Variant(u"10"))};
  const auto rows = [&](const ustring& DocId) {
    ustring text;
    for (const auto& row : Database()
                               .Query(u"SELECT FIELDNAME, FIELDVALUE FROM vx_meta WHERE DOCID = :D "
                                      u"ORDER BY FIELDNAME, FIELDVALUE",
                                      {{u"D", Variant(DocId)}})
                               .Rows)
      text += row[0].AsString() + u"=" + row[1].AsString() + u";";
    return text;
  };
  ASSERT_TRUE(Log(vxLog_Create, u"DOC2", two));
  ASSERT_TRUE(Log(vxLog_Create, u"DOC1", two));
  EXPECT_EQ(rows(u"DOC1"), u"Amount=10;InvoiceNo=R-1;");
  ASSERT_TRUE(Log(vxLog_Create, u"DOC1", {Meta(u"Note", u"note", Variant(u"added"))}));
  EXPECT_EQ(rows(u"DOC1"), u"Amount=10;InvoiceNo=R-1;Note=added;") << "Create adds without deleting";
  ASSERT_TRUE(Log(vxLog_Modify, u"DOC1", {Meta(u"Amount", u"amount", Variant(u"11"))}));
  EXPECT_EQ(rows(u"DOC1"), u"Amount=11;") << "Modify replaces";
  ASSERT_TRUE(Log(vxLog_Info, u"DOC1", two));
  EXPECT_EQ(rows(u"DOC1"), u"Amount=11;") << "other kinds write nothing";
  ASSERT_TRUE(Log(vxLog_Delete, u"DOC1", two));
  EXPECT_EQ(rows(u"DOC1"), u"");
  EXPECT_EQ(rows(u"DOC2"), u"Amount=10;InvoiceNo=R-1;") << "another document's rows stay";
  EXPECT_EQ(Count(u"vx_log"), 6);
}

TEST_P(DocLogTest, WithoutLogRowsTheResultIsFalseEvenWhenMetaRowsAreWritten) {
  SetSetting(u"DocLogCreate", Variant(false));
  SetSetting(u"DocMetaCreate", Variant(true));
  EXPECT_FALSE(Log(vxLog_Create, u"DOC1", {Meta(u"A", u"a", Variant(u"1"))}));
  EXPECT_EQ(Count(u"vx_log"), 0);
  EXPECT_EQ(Count(u"vx_meta"), 1);
  EXPECT_EQ(FConsole->DocLogCount, 0u);
}

TEST_P(DocLogTest, DatabaseFailuresGiveFalseAndChangeNothingElse) {
  FConsole->Message = u"before";
  // The meta table is gone: the log row stays written, the result is False.
  SetSetting(u"DocMetaCreate", Variant(true));
  Database().Execute(u"DROP TABLE vx_meta");
  EXPECT_FALSE(Log(vxLog_Create, u"DOC1", {Meta(u"A", u"a", Variant(u"1"))}));
  EXPECT_EQ(Count(u"vx_log"), 1);
  EXPECT_EQ(FConsole->DocLogCount, 1u);
  // The log table is gone: nothing counted.
  Database().Execute(u"DROP TABLE vx_log");
  EXPECT_FALSE(Log(vxLog_Info));
  EXPECT_EQ(FConsole->DocLogCount, 1u);
  // A database that cannot be reached.
  FConsole->ConnectionString = u"Provider=SQLite;Data Source=" + Database().Folder().WideFile("no/such/db");
  EXPECT_FALSE(Log(vxLog_Info));
  EXPECT_EQ(FConsole->Message.Get(), u"before");
  // Once the database is back, so is the log.
  FConsole->ConnectionString = Database().ConnectionString();
  vxConfigManagerSchema::CreateDocLogTables(Database().ConnectionString());
  EXPECT_TRUE(Log(vxLog_Create, u"DOC9"));
  EXPECT_EQ(FConsole->DocLogCount, 2u);
}

TEST_P(DocLogTest, SettingsAreReadUntilTheFirstRowAndAtEveryCallWhileMetaRowsAreWritten) {
  ASSERT_TRUE(Log(vxLog_Info));
  SetSetting(u"DocLogLevel", Variant(1));
  ASSERT_TRUE(Log(vxLog_Info, u"DOC2"));
  EXPECT_EQ(FConsole->DocLogLevel, 4) << "read no more after the first row";

  SetSetting(u"DocMetaCreate", Variant(true));
  FConsole->WriteDocMetaDatabase = true;
  ASSERT_TRUE(Log(vxLog_Create, u"DOC3"));
  EXPECT_EQ(FConsole->DocLogLevel, 1) << "read again while meta rows are written";
  SetSetting(u"DocMetaCreate", Variant(false));
  ASSERT_TRUE(Log(vxLog_Error, u"DOC4"));
  EXPECT_FALSE(FConsole->WriteDocMetaDatabase);
}

TEST_P(DocLogTest, AStoredSettingThatIsNoNumberFailsTheCallWithoutARow) {
  SetSetting(u"DocLogRetention", Variant(u"thirty"));
  EXPECT_FALSE(Log(vxLog_Info));
  EXPECT_FALSE(FConsole->DocLog(u"info", u"m", TIdType("D"), TIdType(""), u"", u"", u"", {}, vxLog_Info));
  EXPECT_EQ(Count(u"vx_log"), 0);
}

TEST_P(DocLogTest, AStoreThatCannotBeReachedLeavesTheSettingsAsTheyAre) {
  // The data link names a database that cannot be opened; the console's own
  // connection string still names the test's. Read as False and 0 the
  // settings would switch the log off for good.
  THostDataLink elsewhere(u"Provider=SQLite;Data Source=" + Database().Folder().WideFile("missing/dir/store.db"));
  FConsole->DocLogLevel = 1;
  InsertLogRow(u"OLD", Now - 100);
  ASSERT_TRUE(Log(vxLog_Error));
  EXPECT_TRUE(FConsole->WriteDocLogDatabase);
  EXPECT_EQ(FConsole->DocLogLevel, 1);
  EXPECT_EQ(FConsole->DocLogRetention, 30);
  EXPECT_EQ(Count(u"vx_log", u"DOCID = 'DOC1'"), 1);
  EXPECT_EQ(Count(u"vx_log", u"DOCID = 'OLD'"), 0);
}

TEST_P(DocLogTest, WithoutARegisteredReaderTheConsoleKeepsItsSettings) {
  vxDocLogStore::Finalize();
  FConsole->DocLogLevel = 5;
  ASSERT_TRUE(Log(vxLog_Trace));
  EXPECT_EQ(FConsole->DocLogLevel, 5);
  EXPECT_EQ(Count(u"vx_log"), 1);
  auto store = OpenStore();
  EXPECT_FALSE(store->ConfigValueExists(Common, u"DocLogLevel"));
}

INSTANTIATE_TEST_SUITE_P(Backends, DocLogTest, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL),
                         BackendName);

}  // namespace
