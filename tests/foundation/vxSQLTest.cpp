// SQL preparation: the statement tables, the injection guard, and the product
// and catalogue probes against a SQLite file and a PostgreSQL server.
#include <gtest/gtest.h>

#include "foundation/vxADO.h"
#include "core/vxToolsEvo2.h"
#include "foundation/vxSQL.h"
#include "platform/base/vxCodePage.h"
#include "platform/time/vxDateUtils.h"
#include "support/vxPostgresServer.h"
#include "support/vxTestTempDir.h"

namespace {

// Restores the transaction identifier's sources after a test that sets them.
struct TSourcesGuard {
  TvxSQL::TTransactionIdSources Saved = TvxSQL::TransactionIdSources();
  ~TSourcesGuard() { TvxSQL::TransactionIdSources() = Saved; }
};

TEST(TvxSQL, TransactionIdTakesTimeIdAndProgramAndIsCutTo32) {
  TSourcesGuard guard;
  auto& sources = TvxSQL::TransactionIdSources();
  sources.Now = [] { return vxRuntime::EncodeDateTime(2024, 3, 1, 14, 5, 7, 42); };
  sources.NewId = [] { return ustring(u"A1B2C3D4E5F60718293A4B5C6D7E8F90"); };
  sources.ExecutablePath = [] { return ustring(u"/opt/varlo/svc.exe"); };
  EXPECT_EQ(TvxSQL::CreateTransactionId(), u"VXTA140507042_A1B2C_SVC");
  sources.ExecutablePath = [] { return ustring(u"/usr/bin/averyveryverylongprogramname"); };
  const ustring id = TvxSQL::CreateTransactionId();
  EXPECT_EQ(id, u"VXTA140507042_A1B2C_AVERYVERYVER");
  EXPECT_EQ(id.size(), 32u);
}

TEST(TvxSQL, TheRealTransactionIdHasItsShape) {
  const ustring id = TvxSQL::CreateTransactionId();
  ASSERT_GE(id.size(), 20u);
  EXPECT_EQ(id.substr(0, 4), u"VXTA");
  EXPECT_EQ(id[13], u'_');
  EXPECT_EQ(id[19], u'_');
  EXPECT_LE(id.size(), 32u);
}

TEST(TvxSQL, TransactionStatementsPerDatabaseType) {
  struct Case {
    TvxDatabaseType Type;
    TvxTransactionType Kind;
    const char16_t* Expected;
  } cases[] = {
      {vxDBT_MySQL, vxTT_Begin, u"START TRANSACTION"},
      {vxDBT_MySQL, vxTT_Commit, u"COMMIT"},
      {vxDBT_MySQL, vxTT_RollBack, u"ROLLBACK"},
      {vxDBT_Oracle, vxTT_Begin, u"SAVEPOINT T1"},
      {vxDBT_Oracle, vxTT_Commit, u"COMMIT WORK RELEASE"},
      {vxDBT_Oracle, vxTT_RollBack, u"ROLLBACK TO SAVEPOINT T1"},
      {vxDBT_MSSQL, vxTT_Begin, u"BEGIN TRANSACTION T1"},
      {vxDBT_MSSQL2008, vxTT_Commit, u"COMMIT TRANSACTION T1"},
      {vxDBT_DB2, vxTT_RollBack, u"ROLLBACK TRANSACTION T1"},
      {vxDBT_Unknown, vxTT_Begin, u"BEGIN TRANSACTION T1"},
      {vxDBT_SQLite, vxTT_Begin, u"BEGIN TRANSACTION"},
      {vxDBT_SQLite, vxTT_Commit, u"COMMIT TRANSACTION"},
      {vxDBT_SQLite, vxTT_RollBack, u"ROLLBACK TRANSACTION"},
      {vxDBT_PostgreSQL, vxTT_Begin, u"START TRANSACTION"},
      {vxDBT_PostgreSQL, vxTT_Commit, u"COMMIT"},
      {vxDBT_PostgreSQL, vxTT_RollBack, u"ROLLBACK"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TvxSQL::GetTransactionStatement(u"T1", c.Type, c.Kind), c.Expected) << WideToUtf8(c.Expected);
}

TEST(TvxSQL, PrepareSQLTurnsDoubleQuotesIntoSingleOnes) {
  EXPECT_EQ(TvxSQL::PrepareSQL(u"SELECT \"a\" FROM t WHERE x = \"\""), u"SELECT 'a' FROM t WHERE x = ''");
  TStringList list;
  list.Add(u"\"x\"");
  list.Add(u"no quotes");
  EXPECT_TRUE(TvxSQL::PrepareSQL(list));
  EXPECT_EQ(list.Get(0), u"'x'");
  EXPECT_EQ(list.Get(1), u"no quotes");
}

TEST(TvxSQL, SecureSQLConvertsForSelectsAndRefusesStatements) {
  EXPECT_EQ(TvxSQL::SecureSQL(u"O'Brien", true, vxSQT_SELECT), u"O''Brien");
  EXPECT_EQ(TvxSQL::SecureSQL(u"O'Brien", false, vxSQT_SELECT), u"O'Brien");
  EXPECT_EQ(TvxSQL::SecureSQL(u"O'Brien", true, vxSQT_UPDATE), u"O'Brien");
  EXPECT_EQ(TvxSQL::SecureSQL(u"f(x)^\"y\";", true, vxSQT_SELECT), u"f[(]x[)][^][\"]y[\"][;]");
  struct Case {
    const char16_t* Text;
    bool Refused;
  } cases[] = {
      {u"x; DROP TABLE y", true},        // "; " collapses, ";" stands before the keyword
      {u"x;    DROP it", true},          // blanks collapse first
      {u"a SELECT name FROM t", true},   // FROM within ten characters
      {u"abc -- (", true},
      {u"a delete   from b", true},      // any letter case, blanks collapsed
      {u"drop", false},                  // no blank after the keyword
      {u"tell me what to SELECT", false},
      {u"SELECT x, then SELECT * FROM t", false},  // only the first occurrence counts
      {u"SELECT somethinglong FROM t", false},      // FROM beyond ten characters
      {u"plain value", false},
  };
  for (const auto& c : cases) {
    if (c.Refused) {
      try {
        TvxSQL::SecureSQL(c.Text, false, vxSQT_SELECT);
        ADD_FAILURE() << "not refused: " << WideToUtf8(c.Text);
      } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), u"possible SQL injection attack detected!");
      }
    } else {
      EXPECT_EQ(TvxSQL::SecureSQL(c.Text, false, vxSQT_SELECT), c.Text);
    }
  }
}

TEST(TvxSQL, UnsupportedTypesForTheCatalogueRaise) {
  TStringList list;
  for (TvxDatabaseType type : {vxDBT_MSSQL2012, vxDBT_Unknown, vxDBT_Informix, vxDBT_K7}) {
    try {
      TvxSQL::GetTables(u"Provider=SQLite;Data Source=/nonexistent/x.db", type, list);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"unsupported database type");
    }
    EXPECT_THROW(TvxSQL::GetColumns(u"", type, u"t", list), Exception);
  }
}

TEST(TvxSQL, AnUnreachableDatabaseIsUnknown) {
  ustring version = u"before";
  EXPECT_EQ(TvxSQL::GetDatabaseType(u"Provider=SQLite;Data Source=/nonexistent/folder/x.db", version),
            vxDBT_Unknown);
  EXPECT_EQ(version, u"Unknown");
  EXPECT_EQ(TvxSQL::GetDatabaseType(u"Provider=SQLOLEDB.1;Data Source=somewhere", version), vxDBT_Unknown);
  EXPECT_EQ(TvxSQL::GetDatabaseType(u"Provider=PostgreSQL;Host=127.0.0.1;Port=1"), vxDBT_Unknown);
}

// The product probe and the catalogue on a real database of each kind.
void CheckCatalogue(const ustring& ConnectionString, TvxDatabaseType Expected, const ustring& VersionStart) {
  TADOConnection connection(ConnectionString);
  connection.Execute(u"CREATE TABLE vx_meta (ID INTEGER PRIMARY KEY, DOCID VARCHAR(32), NAME VARCHAR(64))");
  connection.Execute(u"CREATE TABLE vx_log (ID INTEGER PRIMARY KEY)");
  ustring version;
  EXPECT_EQ(TvxSQL::GetDatabaseType(ConnectionString, version), Expected);
  EXPECT_EQ(version.substr(0, VersionStart.size() + 1), VersionStart + u" ") << WideToUtf8(version);
  EXPECT_GT(version.size(), VersionStart.size() + 1);

  TStringList tables;
  tables.Add(u"kept");
  EXPECT_TRUE(TvxSQL::GetTables(ConnectionString, Expected, tables));
  ASSERT_EQ(tables.GetCount(), 3);
  EXPECT_EQ(tables.Get(0), u"kept");
  EXPECT_EQ(tables.Get(1), u"vx_log");
  EXPECT_EQ(tables.Get(2), u"vx_meta");

  TStringList columns;
  EXPECT_TRUE(TvxSQL::GetColumns(ConnectionString, Expected, u"vx_meta", columns));
  ASSERT_EQ(columns.GetCount(), 3);
  EXPECT_EQ(UpperStrW(columns.Get(1)), u"DOCID");
}

// The transaction statements of the database's type, run on one session:
// a committed row stays, a rolled back one does not.
void CheckTransactions(const ustring& ConnectionString, TvxDatabaseType Type) {
  TADOConnection connection(ConnectionString);
  connection.Execute(u"CREATE TABLE ta (A INTEGER)");
  const ustring id = TvxSQL::CreateTransactionId();
  connection.Execute(TvxSQL::GetTransactionStatement(id, Type, vxTT_Begin));
  connection.Execute(u"INSERT INTO ta (A) VALUES (1)");
  connection.Execute(TvxSQL::GetTransactionStatement(id, Type, vxTT_Commit));
  connection.Execute(TvxSQL::GetTransactionStatement(id, Type, vxTT_Begin));
  connection.Execute(u"INSERT INTO ta (A) VALUES (2)");
  connection.Execute(TvxSQL::GetTransactionStatement(id, Type, vxTT_RollBack));
  const vxData::TDataResult rows = connection.Session().Query(u"SELECT A FROM ta ORDER BY A", {}, 5);
  ASSERT_EQ(rows.Rows.size(), 1u);
  EXPECT_EQ(rows.Rows[0][0].AsInteger(), 1);
}

TEST(TvxSQL, ProbesCatalogueAndTransactionsOnSQLite) {
  TTestTempDir folder;
  CheckCatalogue(u"Provider=SQLite;Data Source=" + folder.WideFile("db.sqlite"), vxDBT_SQLite, u"SQLITE");
  CheckTransactions(u"Provider=SQLite;Data Source=" + folder.WideFile("db.sqlite"), vxDBT_SQLite);
}

TEST(TvxSQL, ProbesCatalogueAndTransactionsOnPostgreSQL) {
  std::string why;
  vxTest::TPostgresServer* server = vxTest::TPostgresServer::Shared(why);
  if (!server) GTEST_SKIP() << why;
  vxTest::TPostgresDatabase database(*server);
  CheckCatalogue(database.ConnectionString(), vxDBT_PostgreSQL, u"POSTGRESQL");
  CheckTransactions(database.ConnectionString(), vxDBT_PostgreSQL);
}

TEST(TvxADODataSet, IsTheDataSetWithItsFields) {
  TTestTempDir folder;
  TvxADODataSet set;
  set.SetConnectionString(u"Provider=SQLite;Data Source=" + folder.WideFile("db.sqlite"));
  set.SetCommandText(u"SELECT 1 AS ONE, 'two' AS TWO");
  set.Open();
  ASSERT_EQ(set.FieldCount(), 2);
  EXPECT_EQ(set.FieldByName(u"two").AsString(), u"two");
}

}  // namespace
