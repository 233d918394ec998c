// Reading 10,000 rows of 5 columns through the data set, against the libraries
// beneath it: a raw sqlite3_step loop over the same statement, and a raw libpq
// query on a throw-away PostgreSQL server (skipped when none can start).
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/base/vxCodePage.h"
#include "platform/data/vxDataSet.h"

namespace {

constexpr int kRows = 10000;
const char* const kSelect = "SELECT ID, NAME, AMOUNT, CREATED, NOTE FROM rows ORDER BY ID";

void Fill(TADOConnection& Connection) {
  Connection.Execute(u"DROP TABLE IF EXISTS rows");
  Connection.Execute(
      u"CREATE TABLE rows (ID INTEGER PRIMARY KEY, NAME VARCHAR(40), AMOUNT DOUBLE PRECISION, CREATED TIMESTAMP, NOTE TEXT)");
  Connection.Execute(u"BEGIN");
  for (int i = 0; i < kRows; ++i)
    Connection.Execute(u"INSERT INTO rows VALUES (:ID, :NAME, :AMOUNT, :CREATED, :NOTE)",
                       {{u"ID", Variant(i)},
                        {u"NAME", Variant(u"document number " + Utf8ToWide(std::to_string(i)))},
                        {u"AMOUNT", Variant(i * 1.5)},
                        {u"CREATED", Variant::FromDate(45000.0 + i / 1000.0)},
                        {u"NOTE", Variant(u"a note of moderate length for every row of the table")}});
  Connection.Execute(u"COMMIT");
}

// The SQLite file of the benchmark, made once.
struct TSqliteFile {
  std::string Folder, File;
  TSqliteFile() {
    Folder = (std::filesystem::temp_directory_path() / "vxdatabenchXXXXXX").string();
    if (!mkdtemp(Folder.data())) throw std::runtime_error("mkdtemp failed");
    File = Folder + "/bench.db";
    TADOConnection connection(ConnectionString());
    Fill(connection);
  }
  ~TSqliteFile() {
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
  }
  ustring ConnectionString() const { return u"Provider=SQLite;Data Source=" + Utf8ToWide(File); }
};
const TSqliteFile& Sqlite() {
  static const TSqliteFile file;
  return file;
}

void ReadAll(TADODataSet& Set, benchmark::State& State) {
  Set.Open();
  int64_t sum = 0;
  while (!Set.Eof()) {
    for (int32_t f = 0; f < Set.FieldCount(); ++f) benchmark::DoNotOptimize(Set.Fields(f).Value());
    ++sum;
    Set.Next();
  }
  if (sum != kRows) State.SkipWithError("wrong row count");
}

void DataSetSqlite(benchmark::State& state) {
  TADOConnection connection(Sqlite().ConnectionString());
  TADODataSet set;
  set.SetConnection(&connection);
  set.SetCommandText(Utf8ToWide(kSelect));
  for (auto _ : state) ReadAll(set, state);
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(DataSetSqlite)->Name("ReadSQLite:ours")->Unit(benchmark::kMillisecond);

void RawSqlite(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(Sqlite().File.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, kSelect, -1, &statement, nullptr);
  for (auto _ : state) {
    sqlite3_reset(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_int64(statement, 0));
      benchmark::DoNotOptimize(std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1))));
      benchmark::DoNotOptimize(sqlite3_column_double(statement, 2));
      benchmark::DoNotOptimize(std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, 3))));
      benchmark::DoNotOptimize(std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, 4))));
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(RawSqlite)->Name("ReadSQLite:sqlite3_step")->Unit(benchmark::kMillisecond);

// A PostgreSQL server of the benchmark's own, through the tests' script.
struct TPostgres {
  std::string Info, Port, Error;
  TPostgres() {
    const char* source = std::getenv("VX_SOURCE_DIR");
    const std::string root = source ? source : VX_SOURCE_DIR_DEFAULT;
    Info = (std::filesystem::temp_directory_path() / ("vx-pg-bench-info." + std::to_string(getpid()))).string();
    FScript = root + "/scripts/pg_server.sh";
    if (std::system((FScript + " start " + Info + " >/dev/null 2>&1").c_str()) != 0) Error = "cannot run pg_server.sh";
    std::ifstream in(Info);
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("port=", 0) == 0) Port = line.substr(5);
      if (line.rfind("error=", 0) == 0) Error = line.substr(6);
    }
    if (Port.empty() && Error.empty()) Error = "no PostgreSQL server";
    if (Error.empty()) {
      TADOConnection connection(ConnectionString());
      Fill(connection);
    }
  }
  ~TPostgres() {
    if (std::system((FScript + " stop " + Info + " >/dev/null 2>&1").c_str()) != 0) {
      // The temporary folder stays; nothing else to do here.
    }
  }
  ustring ConnectionString() const {
    return Utf8ToWide("Provider=PostgreSQL;Host=127.0.0.1;Port=" + Port + ";Database=postgres;User ID=postgres");
  }
  std::string FScript;
};
const TPostgres& Postgres() {
  static const TPostgres server;
  return server;
}

void DataSetPostgres(benchmark::State& state) {
  if (!Postgres().Error.empty()) {
    state.SkipWithError(Postgres().Error.c_str());
    return;
  }
  TADOConnection connection(Postgres().ConnectionString());
  TADODataSet set;
  set.SetConnection(&connection);
  set.SetCommandText(Utf8ToWide(kSelect));
  for (auto _ : state) ReadAll(set, state);
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(DataSetPostgres)->Name("ReadPostgreSQL:ours")->Unit(benchmark::kMillisecond);

void RawPostgres(benchmark::State& state) {
  if (!Postgres().Error.empty()) {
    state.SkipWithError(Postgres().Error.c_str());
    return;
  }
  const std::string conninfo = "host=127.0.0.1 port=" + Postgres().Port + " dbname=postgres user=postgres";
  PGconn* conn = PQconnectdb(conninfo.c_str());
  for (auto _ : state) {
    PGresult* result = PQexec(conn, kSelect);
    const int rows = PQntuples(result);
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < 5; ++c) benchmark::DoNotOptimize(std::string(PQgetvalue(result, r, c)));
    PQclear(result);
  }
  PQfinish(conn);
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(RawPostgres)->Name("ReadPostgreSQL:libpq")->Unit(benchmark::kMillisecond);

}  // namespace
