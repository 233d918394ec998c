// The data layer against real databases: every data-set case runs once on a
// SQLite file and once on a throw-away PostgreSQL server.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/base/vxCodePage.h"
#include "platform/data/vxDataSet.h"
#include "platform/text/vxCaseMap.h"
#include "platform/time/vxDateUtils.h"
#include "support/vxPostgresServer.h"
#include "support/vxTestTempDir.h"

namespace {

using vxData::TFieldKind;

TEST(DataConnectionString, PairsAreTrimmedUnquotedAndFoundWithoutRegardToCase) {
  const auto pairs = vxData::ParseConnectionString(
      u" Provider = SQLite.1 ;Data Source=\"/tmp/a;b.db\"; Password='it''s' ;;junk; Empty=");
  ASSERT_EQ(pairs.size(), 4u);
  EXPECT_EQ(vxData::ConnectionValue(pairs, u"PROVIDER"), u"SQLite.1");
  EXPECT_EQ(vxData::ConnectionValue(pairs, u"data source"), u"/tmp/a;b.db");
  EXPECT_EQ(vxData::ConnectionValue(pairs, u"Password"), u"it's");
  EXPECT_EQ(vxData::ConnectionValue(pairs, u"Empty"), u"");
  EXPECT_EQ(vxData::ProviderOf(pairs), vxData::TDataProvider::SQLite);
  EXPECT_EQ(vxData::ProviderOf(vxData::ParseConnectionString(u"Provider=PostgreSQL")),
            vxData::TDataProvider::PostgreSQL);
  EXPECT_THROW(vxData::ProviderOf(vxData::ParseConnectionString(u"Provider=SQLOLEDB.1;Data Source=x")),
               EDatabaseError);
}

TEST(DataParameters, MarksOutsideLiteralsCommentsAndCasts) {
  struct Case {
    const char16_t* Sql;
    std::vector<ustring> Names;
  } cases[] = {
      {u"SELECT * FROM t WHERE a = :A AND b = :b_2", {u"A", u"b_2"}},
      {u"SELECT ':NOPE', \":ALSO\" FROM t WHERE x = :X", {u"X"}},
      {u"SELECT 'it''s :NOPE' , :Y", {u"Y"}},
      {u"SELECT x::text, :Z -- :COMMENT\n FROM t /* :BLOCK */", {u"Z"}},
      {u"SELECT :A, :A", {u"A", u"A"}},
      {u"SELECT 10:30", {u"30"}},
      {u"SELECT 'unclosed :P", {}},
  };
  for (const auto& c : cases) {
    std::vector<ustring> names;
    for (const auto& m : vxData::ScanParameters(c.Sql)) names.push_back(m.Name);
    EXPECT_EQ(names, c.Names) << WideToUtf8(c.Sql);
  }
}

TEST(DataStorageText, DatesWriteSortableTextAndReadBack) {
  const TDateTime value = vxRuntime::EncodeDateTime(2024, 2, 29, 23, 59, 58, 7);
  EXPECT_EQ(vxData::DateTimeToStorageText(value), "2024-02-29 23:59:58.007");
  TDateTime back = 0;
  ASSERT_TRUE(vxData::StorageTextToDateTime("2024-02-29 23:59:58.007", back));
  EXPECT_EQ(vxData::DateTimeToStorageText(back), "2024-02-29 23:59:58.007");
  ASSERT_TRUE(vxData::StorageTextToDateTime("2024-02-29T23:59:58.0071234+01", back));
  EXPECT_EQ(vxData::DateTimeToStorageText(back), "2024-02-29 23:59:58.007");
  ASSERT_TRUE(vxData::StorageTextToDateTime("2001-01-02", back));
  EXPECT_EQ(vxData::DateTimeToStorageText(back), "2001-01-02 00:00:00.000");
  for (const char* bad : {"", "2024-02-30", "2024-13-01 00:00", "20240101", "2024-01-01 1:00", "2024-01-01 x"})
    EXPECT_FALSE(vxData::StorageTextToDateTime(bad, back)) << bad;
}

TEST(DataConvert, ValuesTakeTheirColumnsKindOrRaise) {
  EXPECT_EQ(vxData::ConvertForKind(Variant(u"42"), TFieldKind::Integer).AsInteger(), 42);
  EXPECT_THROW(vxData::ConvertForKind(Variant(u"forty"), TFieldKind::Integer), Exception);
  EXPECT_TRUE(vxData::ConvertForKind(Variant::Null(), TFieldKind::Integer).IsNull());
  EXPECT_EQ(vxData::ConvertForKind(Variant(u"2020-05-06 07:08:09.010"), TFieldKind::DateTime).VarType(), varDate);
  EXPECT_EQ(vxData::ConvertForKind(Variant(7), TFieldKind::Text).AsString(), u"7");
}

// --- The same cases on both databases ----------------------------------------

enum class Backend { SQLite, PostgreSQL };

class DataSetTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (GetParam() == Backend::SQLite) {
      FConnectionString = u"Provider=SQLite;Data Source=" + FFolder.WideFile("test.db");
      FBlobType = u"BLOB";
      FBoolType = u"BOOLEAN";
      FDateType = u"TIMESTAMP";
    } else {
      std::string why;
      vxTest::TPostgresServer* server = vxTest::TPostgresServer::Shared(why);
      if (!server) GTEST_SKIP() << why;
      FDatabase = std::make_unique<vxTest::TPostgresDatabase>(*server);
      FConnectionString = FDatabase->ConnectionString();
      FBlobType = u"BYTEA";
      FBoolType = u"BOOLEAN";
      FDateType = u"TIMESTAMP";
    }
    FConnection.SetConnectionString(FConnectionString);
  }

  void CreateDocs() {
    FConnection.Execute(u"CREATE TABLE docs (ID INTEGER PRIMARY KEY, NAME VARCHAR(100), AMOUNT DOUBLE PRECISION, "
                        u"CREATED " + FDateType + u", DONE " + FBoolType + u", DATA " + FBlobType + u")");
  }

  void Open(TADODataSet& Set, const ustring& Sql) {
    Set.SetConnectionString(FConnectionString);
    Set.SetCommandText(Sql);
    Set.Open();
  }

  TTestTempDir FFolder;
  std::unique_ptr<vxTest::TPostgresDatabase> FDatabase;
  ustring FConnectionString, FBlobType, FBoolType, FDateType;
  TADOConnection FConnection;
};

TEST_P(DataSetTest, AppendEditPostAndReadBackEveryKindOfValue) {
  CreateDocs();
  const TDateTime created = vxRuntime::EncodeDateTime(2023, 12, 31, 23, 59, 59, 123);
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  {
    TADODataSet set;
    Open(set, u"SELECT * FROM docs");
    EXPECT_EQ(set.RecordCount(), 0);
    EXPECT_TRUE(set.Eof());
    set.Append();
    set.FieldByName(u"id").SetAsInteger(1);
    set.FieldByName(u"Name").SetAsString(u"Müller \"quoted\" 'single' \U0001F600");
    set.FieldByName(u"AMOUNT").SetAsFloat(1234.5);
    set.FieldByName(u"created").SetAsDateTime(created);
    set.FieldByName(u"done").SetAsBoolean(true);
    set.FieldByName(u"data").SetValue(Variant::ByteArray(bytes));
    set.Post();
    set.Append();
    set.FieldByName(u"ID").SetAsInteger(2);  // everything else NULL
    set.Post();
    EXPECT_EQ(set.RecordCount(), 2);
  }
  TADODataSet set;
  Open(set, u"SELECT * FROM docs ORDER BY ID");
  ASSERT_EQ(set.RecordCount(), 2);
  EXPECT_EQ(set.FieldByName(u"NAME").AsString(), u"Müller \"quoted\" 'single' \U0001F600");
  EXPECT_DOUBLE_EQ(set.FieldByName(u"AMOUNT").AsFloat(), 1234.5);
  EXPECT_EQ(vxData::DateTimeToStorageText(set.FieldByName(u"CREATED").AsDateTime()), "2023-12-31 23:59:59.123");
  EXPECT_TRUE(set.FieldByName(u"DONE").AsBoolean());
  EXPECT_EQ(set.FieldByName(u"DATA").Value().Bytes(), bytes);
  set.Next();
  EXPECT_TRUE(set.FieldByName(u"NAME").IsNull());
  EXPECT_EQ(set.FieldByName(u"NAME").AsString(), u"");
  EXPECT_EQ(set.FieldByName(u"AMOUNT").AsInteger(), 0);
  EXPECT_FALSE(set.FieldByName(u"DONE").AsBoolean());

  set.Edit();
  set.FieldByName(u"NAME").SetAsString(u"second");
  set.Post();
  set.First();
  set.Delete();
  TADODataSet check;
  Open(check, u"SELECT ID, NAME FROM docs");
  ASSERT_EQ(check.RecordCount(), 1);
  EXPECT_EQ(check.FieldByName(u"ID").AsInteger(), 2);
  EXPECT_EQ(check.FieldByName(u"NAME").AsString(), u"second");
}

TEST_P(DataSetTest, EmptyResultsKeepTheirColumnsAndUnknownFieldsAreReported) {
  CreateDocs();
  TADODataSet set;
  Open(set, u"SELECT ID, NAME FROM docs WHERE ID < 0");
  EXPECT_TRUE(set.Eof());
  EXPECT_TRUE(set.Bof());
  ASSERT_EQ(set.FieldCount(), 2);
  EXPECT_EQ(vxCaseMap::Upper(set.Fields(1).FieldName()), u"NAME");
  EXPECT_NE(set.FindField(u"name"), nullptr);
  try {
    set.FieldByName(u"MISSING");
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Field 'MISSING' not found");
  }
  EXPECT_THROW(set.Edit(), EDatabaseError);
}

TEST_P(DataSetTest, ParametersOfEveryTypeAndNullsBindAndCompare) {
  CreateDocs();
  TADOCommand insert;
  insert.SetConnectionString(FConnectionString);
  insert.SetCommandText(u"INSERT INTO docs (ID, NAME, AMOUNT, CREATED, DONE) VALUES (:ID, :NAME, :AMOUNT, :CREATED, :DONE)");
  ASSERT_EQ(insert.Parameters().Count(), 5);
  for (int i = 1; i <= 3; ++i) {
    insert.Parameters().ParamByName(u"id").Value = Variant(i);
    insert.Parameters().ParamByName(u"NAME").Value = i == 3 ? Variant::Null() : Variant(u"n'" + Utf8ToWide(std::to_string(i)));
    insert.Parameters().ParamByName(u"AMOUNT").Value = Variant(i * 1.25);
    insert.Parameters().ParamByName(u"CREATED").Value = Variant::FromDate(vxRuntime::EncodeDate(2020, 1, i));
    insert.Parameters().ParamByName(u"DONE").Value = Variant(i % 2 == 1);
    EXPECT_EQ(insert.Execute(), 1);
  }
  TADODataSet set;
  set.SetConnectionString(FConnectionString);
  set.SetCommandText(u"SELECT ID FROM docs WHERE CREATED >= :FROM AND AMOUNT > :MIN AND NAME = :NAME");
  set.Parameters().ParamByName(u"FROM").Value = Variant::FromDate(vxRuntime::EncodeDate(2020, 1, 2));
  set.Parameters().ParamByName(u"MIN").Value = Variant(1.0);
  set.Parameters().ParamByName(u"NAME").Value = Variant(u"n'2");
  set.Open();
  ASSERT_EQ(set.RecordCount(), 1);
  EXPECT_EQ(set.FieldByName(u"ID").AsInteger(), 2);

  set.Close();
  set.SetCommandText(u"SELECT ID FROM docs WHERE NAME IS NULL AND DONE = :DONE");
  set.Parameters().ParamByName(u"DONE").Value = Variant(true);
  set.Open();
  ASSERT_EQ(set.RecordCount(), 1);
  EXPECT_EQ(set.FieldByName(u"ID").AsInteger(), 3);
  EXPECT_THROW(set.Parameters().ParamByName(u"NONE"), EDatabaseError);
}

// The bytes a value of a binary column holds: a byte array as it is, a text
// (SQLite keeps what it was given) in the system code page.
std::string StoredBytes(const Variant& Value) { return Value.IsArray() ? Value.Bytes() : Value.AsAnsiString(); }

TEST_P(DataSetTest, ParametersAreNeverCutAtANulNorSentThroughTheCodePageIntoBinaryColumns) {
  FConnection.Execute(u"CREATE TABLE raw (ID INTEGER, T VARCHAR(20), DATA " + FBlobType + u")");
  TADOCommand insert;
  insert.SetConnectionString(FConnectionString);
  insert.SetCommandText(u"INSERT INTO raw (ID, DATA) VALUES (:ID, :DATA)");
  const std::string bytes("\x80\xFF\x00\x01\\x", 6);
  insert.Parameters().ParamByName(u"ID").Value = Variant(1);
  insert.Parameters().ParamByName(u"DATA").Value = Variant(bytes);  // an 8-bit string
  EXPECT_EQ(insert.Execute(), 1);
  const ustring nul(u"a\0b", 3);
  insert.Parameters().ParamByName(u"ID").Value = Variant(2);
  insert.Parameters().ParamByName(u"DATA").Value = Variant(nul);
  EXPECT_EQ(insert.Execute(), 1);

  TADODataSet set;
  Open(set, u"SELECT DATA FROM raw ORDER BY ID");
  ASSERT_EQ(set.RecordCount(), 2);
  EXPECT_EQ(StoredBytes(set.Fields(0).Value()), bytes);
  set.Next();
  EXPECT_EQ(StoredBytes(set.Fields(0).Value()), std::string("a\0b", 3));
  if (GetParam() == Backend::PostgreSQL) {
    set.Close();
    set.SetCommandText(u"SELECT encode(DATA, 'hex') FROM raw WHERE ID = 1");
    set.Open();
    EXPECT_EQ(set.Fields(0).AsString(), u"80ff00015c78");
  }

  // A text column: SQLite keeps the NUL, PostgreSQL cannot hold one and says so.
  TADOCommand text;
  text.SetConnectionString(FConnectionString);
  text.SetCommandText(u"INSERT INTO raw (ID, T) VALUES (3, :T)");
  text.Parameters().ParamByName(u"T").Value = Variant(nul);
  if (GetParam() == Backend::SQLite) {
    EXPECT_EQ(text.Execute(), 1);
    TADODataSet check;
    Open(check, u"SELECT T FROM raw WHERE ID = 3");
    EXPECT_EQ(check.Fields(0).AsString(), nul);
  } else {
    try {
      text.Execute();
      FAIL() << "a NUL went into a text column";
    } catch (const EDatabaseError& e) {
      EXPECT_NE(e.Message().find(u"NUL"), ustring::npos) << WideToUtf8(e.Message());
    }
    TADODataSet check;
    Open(check, u"SELECT COUNT(*) FROM raw WHERE ID = 3");
    EXPECT_EQ(check.Fields(0).AsInteger(), 0);
  }
}

TEST_P(DataSetTest, ATextWithALoneSurrogateIsRefusedNotReplaced) {
  FConnection.Execute(u"CREATE TABLE lone (T VARCHAR(20))");
  TADOCommand insert;
  insert.SetConnectionString(FConnectionString);
  insert.SetCommandText(u"INSERT INTO lone (T) VALUES (:T)");
  for (const ustring& text : {ustring(u"a") + char16_t(0xD800), ustring(1, char16_t(0xDC00)) + u"b"}) {
    insert.Parameters().ParamByName(u"T").Value = Variant(text);
    EXPECT_THROW(insert.Execute(), EDatabaseError);
  }
  insert.Parameters().ParamByName(u"T").Value = Variant(u"pair \U0001F600");
  EXPECT_EQ(insert.Execute(), 1);
  TADODataSet check;
  Open(check, u"SELECT T FROM lone");
  ASSERT_EQ(check.RecordCount(), 1);
  EXPECT_EQ(check.Fields(0).AsString(), u"pair \U0001F600");
}

TEST_P(DataSetTest, AValueThatDoesNotFitFailsWhenAssignedAndWritesNothing) {
  CreateDocs();
  TADODataSet set;
  Open(set, u"SELECT * FROM docs");
  set.Append();
  EXPECT_THROW(set.FieldByName(u"ID").SetAsString(u"not a number"), Exception);
  EXPECT_THROW(set.FieldByName(u"CREATED").SetAsString(u"never"), Exception);
  set.Cancel();
  EXPECT_THROW(set.FieldByName(u"ID").SetAsInteger(1), EDatabaseError);  // not in edit mode
  TADODataSet check;
  Open(check, u"SELECT * FROM docs");
  EXPECT_EQ(check.RecordCount(), 0);
}

TEST_P(DataSetTest, RowsWithoutKeyChangeOneAtATime) {
  FConnection.Execute(u"CREATE TABLE pairs (A INTEGER, B VARCHAR(10))");
  FConnection.Execute(u"INSERT INTO pairs (A, B) VALUES (1, 'x'), (1, 'x'), (2, NULL)");
  TADODataSet set;
  Open(set, u"SELECT A, B FROM pairs ORDER BY A");
  set.Edit();
  set.FieldByName(u"B").SetAsString(u"y");
  set.Post();
  set.Last();
  set.Edit();
  set.FieldByName(u"A").SetAsInteger(3);
  set.Post();  // a NULL original is found with IS NULL
  TADODataSet check;
  Open(check, u"SELECT A, B FROM pairs ORDER BY A, B");
  ASSERT_EQ(check.RecordCount(), 3);
  EXPECT_EQ(check.FieldByName(u"B").AsString(), u"x");
  check.Next();
  EXPECT_EQ(check.FieldByName(u"B").AsString(), u"y");
  check.Next();
  EXPECT_EQ(check.FieldByName(u"A").AsInteger(), 3);
}

TEST_P(DataSetTest, ATableWithIdButNoKeyIsUpdatedByIdAndJoinsAreReadOnly) {
  FConnection.Execute(u"CREATE TABLE node (ID INTEGER, NAME VARCHAR(10))");
  FConnection.Execute(u"INSERT INTO node (ID, NAME) VALUES (1, 'a'), (2, 'a')");
  TADODataSet set;
  Open(set, u"SELECT * FROM node WHERE ID = 2");
  set.Edit();
  set.FieldByName(u"NAME").SetAsString(u"b");
  set.Post();
  TADODataSet check;
  Open(check, u"SELECT NAME FROM node ORDER BY ID");
  EXPECT_EQ(check.FieldByName(u"NAME").AsString(), u"a");

  TADODataSet joined;
  Open(joined, u"SELECT n.ID, m.NAME FROM node n JOIN node m ON m.ID = n.ID");
  joined.Edit();
  joined.FieldByName(u"NAME").SetAsString(u"z");
  EXPECT_THROW(joined.Post(), EDatabaseError);
}

TEST_P(DataSetTest, CommandTimeOutEndsALongStatementAndTheSessionGoesOn) {
  TADOConnection connection(FConnectionString);
  connection.CommandTimeout = 1;
  const ustring slow = GetParam() == Backend::SQLite
                           ? u"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) FROM c"
                           : u"SELECT pg_sleep(30)";
  try {
    connection.Session().Query(slow, {}, 1);
    FAIL() << "no time-out";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"command time-out expired");
  }
  EXPECT_EQ(connection.Properties(u"Connection Status"), u"1");
}

TEST_P(DataSetTest, VersionAndLimitWithOffsetRunOnBoth) {
  FConnection.Execute(u"CREATE TABLE n (V INTEGER)");
  FConnection.Execute(u"INSERT INTO n (V) VALUES (1), (2), (3), (4)");
  TADODataSet set;
  Open(set, u"SELECT VERSION()");
  EXPECT_FALSE(set.Fields(0).AsString().empty());
  set.Close();
  set.SetCommandText(u"SELECT V FROM n ORDER BY V LIMIT 1, 2");
  set.Open();
  ASSERT_EQ(set.RecordCount(), 2);
  EXPECT_EQ(set.Fields(0).AsInteger(), 2);
  set.SetCommandText(u"SELECT 'LIMIT 1, 2' AS T");
  set.Open();
  EXPECT_EQ(set.Fields(0).AsString(), u"LIMIT 1, 2");
}

INSTANTIATE_TEST_SUITE_P(Backends, DataSetTest, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto& info) { return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL"; });

TEST(DataConnectionPostgreSQL, ALostSessionReportsUntilReconnected) {
  std::string why;
  vxTest::TPostgresServer* server = vxTest::TPostgresServer::Shared(why);
  if (!server) GTEST_SKIP() << why;
  vxTest::TPostgresDatabase database(*server);
  TADOConnection victim(database.ConnectionString());
  victim.Open();
  EXPECT_EQ(victim.Properties(u"Connection Status"), u"1");
  const vxData::TDataResult pid = victim.Session().Query(u"SELECT pg_backend_pid()", {}, 5);
  TADOConnection killer(database.ConnectionString());
  killer.Execute(u"SELECT pg_terminate_backend(:P)", {{u"P", pid.Rows[0][0]}});
  EXPECT_EQ(victim.Properties(u"Connection Status"), u"0");
  EXPECT_THROW(victim.Execute(u"SELECT 1"), EDatabaseError);
  victim.Close();
  victim.Open();
  EXPECT_EQ(victim.Properties(u"Connection Status"), u"1");
}

TEST(DataConnectionPostgreSQL, AnUnreachableServerFailsWithinTheConnectTimeOut) {
  // A port nobody listens on: refused at once, reported as a database error.
  TADOConnection connection(u"Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=x;User ID=x");
  connection.ConnectionTimeout = 2;
  EXPECT_THROW(connection.Open(), EDatabaseError);
  EXPECT_EQ(connection.Properties(u"Connection Status"), u"0");
}

}  // namespace

namespace {

TEST(DataLinkFile, AFileNameTakesTheConnectionFromTheDataLinkFile) {
  TTestTempDir folder;
  const std::string database = folder.File("linked.db");
  // A data-link file as the system writes it: UTF-16LE with a byte-order mark.
  const std::u16string text = u"[oledb]\r\n; Everything after this line is an OLE DB initstring\r\nProvider=SQLite;Data Source=" +
                              Utf8ToWide(database) + u"\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  TTestTempDir::WriteBytes(folder.File("vxsyscfg.udl"), bytes);
  TADOConnection connection(u"FILE NAME=" + folder.WideFile("vxsyscfg.udl"));
  connection.Execute(u"CREATE TABLE t (A INTEGER)");
  EXPECT_EQ(connection.Provider(), u"SQLite");
  EXPECT_TRUE(std::filesystem::exists(database));

  TADOConnection missing(u"File Name=" + folder.WideFile("none.udl"));
  EXPECT_THROW(missing.Open(), EDatabaseError);
  TTestTempDir::WriteBytes(folder.File("empty.udl"), "[oledb]\r\n");
  TADOConnection empty(u"File Name=" + folder.WideFile("empty.udl"));
  EXPECT_THROW(empty.Open(), EDatabaseError);
}

}  // namespace
