// The document log on a SQLite file: 10,000 DocLog rows, each with three
// metadata fields (two of them with their META_ column), beside raw
// prepared INSERTs of the same columns, one transaction per row, on the
// same kind of file in the same journal mode. DocLog opens its own
// connection and re-reads the table's columns at every row; the ratio
// shows what that costs beside the commit each row needs anyway.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <string>

#include "configstore/vxConfigManagerSchema.h"
#include "foundation/vxConsoleTools.h"
#include "platform/base/vxCodePage.h"
#include "platform/data/vxDataConnection.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

constexpr int Rows = 10000;

// A fresh database with both tables and two metadata columns.
class TLogDatabase {
 public:
  TLogDatabase() {
    vxConfigManagerSchema::CreateDocLogTables(ConnectionString);
    auto session = vxData::TDataConnection::Create(ConnectionString);
    session->Open(0);
    session->Execute(u"ALTER TABLE vx_log ADD COLUMN META_INVOICE_NO VARCHAR(64)", {}, 0);
    session->Execute(u"ALTER TABLE vx_log ADD COLUMN META_AMOUNT INTEGER", {}, 0);
  }
  TTestTempDir Folder{"vxbenchdoclog"};
  std::string File = Folder.File("log.db");
  ustring ConnectionString = u"Provider=SQLite;Data Source=" + Utf8ToWide(File);
};

TvxMetaData Metadata(int Row) {
  TvxMetaData data(3);
  data[0].ExtField = u"invoice_no";
  data[0].VarValue = Variant(u"R-" + Utf8ToWide(std::to_string(Row)));
  data[1].ExtField = u"amount";
  data[1].VarValue = Variant(Row);
  data[2].ExtField = u"no_column";
  data[2].VarValue = Variant(u"skipped");
  return data;
}

void DocLogRows(benchmark::State& State) {
  vxTest::TScopedEnv registry("VARLO_REGISTRY", TTestTempDir("vxbenchreg").File("registry"));
  for (auto _ : State) {
    State.PauseTiming();
    TLogDatabase database;
    TvxConsoleTools console(false);
    console.ConnectionString = database.ConnectionString;
    State.ResumeTiming();
    for (int i = 0; i < Rows; ++i)
      if (!console.DocLog(vxLog_Info, u"document exported", TIdType("DOC" + std::to_string(i)), TIdType("STACK"),
                          u"", u"clerk", u"bench", Metadata(i))) {
        State.SkipWithError("DocLog failed");
        return;
      }
  }
  State.SetItemsProcessed(State.iterations() * Rows);
}
BENCHMARK(DocLogRows)->Name("DocLog10000:ours")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void RawInserts(benchmark::State& State) {
  for (auto _ : State) {
    State.PauseTiming();
    TLogDatabase database;
    sqlite3* db = nullptr;
    sqlite3_open(database.File.c_str(), &db);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO vx_log (DOCID, STACKID, CREATIONDATE, USERNAME, SERVICE, APPLICATION, HOST, "
                       "LOGTYPE, LOGTEXT, META_INVOICE_NO, META_AMOUNT) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                       -1, &insert, nullptr);
    State.ResumeTiming();
    for (int i = 0; i < Rows; ++i) {
      sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
      const std::string doc = "DOC" + std::to_string(i), invoice = "R-" + std::to_string(i);
      sqlite3_bind_text(insert, 1, doc.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 2, "STACK", -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 3, vxData::DateTimeToStorageText(46000.5 + i / 86400.0).c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 4, "clerk", -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 5, "bench", -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 6, "bench", -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 7, "localhost", -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 8, "info", -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 9, "document exported", -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 10, invoice.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(insert, 11, i);
      if (sqlite3_step(insert) != SQLITE_DONE) State.SkipWithError("INSERT failed");
      sqlite3_reset(insert);
      sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    State.PauseTiming();
    sqlite3_finalize(insert);
    sqlite3_close(db);
    State.ResumeTiming();
  }
  State.SetItemsProcessed(State.iterations() * Rows);
}
BENCHMARK(RawInserts)->Name("DocLog10000:sqlite3_step")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
