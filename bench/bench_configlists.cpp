// The configuration store's node lists on a SQLite file:
// - the children of a node with 10,000 children (GetChildNodes) beside one
//   raw prepared query reading the same rows with sqlite3_step, and beside
//   the same query through the data layer the store stands on;
// - the walk of a subtree of 100,000 nodes (GetRecursiveChildNodes, every
//   node listed) beside one raw recursive query reading the same rows.
// The raw side keeps each row's texts (id and name) as the store keeps its
// nodes; the store also makes each node's key and UTF-16 texts, puts the
// siblings in order and offers the keys to its cache.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "configstore/vxConfigManager.h"
#include "configstore/vxConfigManagerSchema.h"
#include "foundation/vxADO.h"
#include "platform/base/vxCodePage.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

constexpr int WideChildren = 10000;
constexpr int TreeChildren = 100;
constexpr int TreeGrandchildren = 999;  // each: 100 + 99,900 = 100,000 nodes

// A connection of its own on the store's file.
struct TRawDatabase {
  explicit TRawDatabase(const std::string& File) {
    if (sqlite3_open_v2(File.c_str(), &Db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
      throw std::runtime_error("cannot open");
    sqlite3_busy_timeout(Db, 15000);
  }
  ~TRawDatabase() { sqlite3_close_v2(Db); }
  void Run(const char* Sql) {
    char* error = nullptr;
    if (sqlite3_exec(Db, Sql, nullptr, nullptr, &error) != SQLITE_OK) {
      const std::string text = error ? error : "failed";
      sqlite3_free(error);
      throw std::runtime_error(text);
    }
  }
  sqlite3_stmt* Prepare(const char* Sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(Db, Sql, -1, &statement, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(Db));
    return statement;
  }
  sqlite3* Db = nullptr;
};

// The store's file with both nodes, and one store on it.
class TBenchLists {
 public:
  TBenchLists() : FRegistry("VARLO_REGISTRY", FFolder.File("registry")) {
    FFile = FFolder.File("store.db");
    const ustring connection = u"Provider=SQLite;Data Source=" + Utf8ToWide(FFile);
    vxConfigManagerSchema::CreateTable(connection, TST_V2, u"vx_configuration");
    Store = std::make_unique<TvxConfigManager>(false, connection, u"vx_configuration");
    for (const char16_t* key : {u"/wide", u"/tree"})
      if (!Store->SetConfigValue(key, u"v", Variant(1))) throw std::runtime_error(WideToUtf8(Store->Message.Get()));
    WideId = Store->GetParentTreeId(u"/wide", false, false).Str();
    TreeId = Store->GetParentTreeId(u"/tree", false, false).Str();
    TRawDatabase db(FFile);
    db.Run("BEGIN");
    db.Run(("WITH RECURSIVE N(I) AS (SELECT 0 UNION ALL SELECT I + 1 FROM N WHERE I < " +
            std::to_string(WideChildren - 1) +
            ") INSERT INTO vx_configuration (ID, PARENTID, KEYNAME, DATATYPE, KEYVALUE) "
            "SELECT printf('W%031d', I), '" + WideId + "', 'child' || I, 'TREE', '' FROM N")
               .c_str());
    db.Run(("WITH RECURSIVE N(I) AS (SELECT 0 UNION ALL SELECT I + 1 FROM N WHERE I < " +
            std::to_string(TreeChildren - 1) +
            ") INSERT INTO vx_configuration (ID, PARENTID, KEYNAME, DATATYPE, KEYVALUE) "
            "SELECT printf('C%031d', I), '" + TreeId + "', 'group' || I, 'TREE', '' FROM N")
               .c_str());
    db.Run(("WITH RECURSIVE N(I) AS (SELECT 0 UNION ALL SELECT I + 1 FROM N WHERE I < " +
            std::to_string(TreeChildren * TreeGrandchildren - 1) +
            ") INSERT INTO vx_configuration (ID, PARENTID, KEYNAME, DATATYPE, KEYVALUE) "
            "SELECT printf('G%031d', I), printf('C%031d', I % " + std::to_string(TreeChildren) +
            "), 'leaf' || I, 'TREE', '' FROM N")
               .c_str());
    db.Run("COMMIT");
  }
  const std::string& File() const { return FFile; }

  std::unique_ptr<TvxConfigManager> Store;
  std::string WideId, TreeId;

 private:
  TTestTempDir FFolder{"vxbenchlists"};
  vxTest::TScopedEnv FRegistry;
  std::string FFile;
};

TBenchLists& Bench() {
  static TBenchLists bench;
  return bench;
}

// One raw query's rows, each row's texts kept.
struct TRawRow {
  std::string Id, ParentId, Name;
};

size_t ReadRaw(sqlite3_stmt* Statement, const std::string& Parent, std::vector<TRawRow>& Rows, bool WithParent) {
  Rows.clear();
  sqlite3_reset(Statement);
  sqlite3_bind_text(Statement, 1, Parent.c_str(), -1, SQLITE_STATIC);
  while (sqlite3_step(Statement) == SQLITE_ROW) {
    TRawRow row;
    row.Id = reinterpret_cast<const char*>(sqlite3_column_text(Statement, 0));
    if (WithParent) row.ParentId = reinterpret_cast<const char*>(sqlite3_column_text(Statement, 1));
    row.Name = reinterpret_cast<const char*>(sqlite3_column_text(Statement, WithParent ? 2 : 1));
    Rows.push_back(std::move(row));
  }
  return Rows.size();
}

void BM_ChildNodes(benchmark::State& state) {
  TvxConfigManager& store = *Bench().Store;
  TConfigNodes nodes;
  for (auto _ : state) {
    if (!store.GetChildNodes(u"/wide", nodes, false) || nodes.size() != WideChildren) state.SkipWithError("listing");
    benchmark::DoNotOptimize(nodes.data());
  }
}
BENCHMARK(BM_ChildNodes)->Name("ChildNodes10000:ours")->Unit(benchmark::kMillisecond);

void BM_ChildNodesRaw(benchmark::State& state) {
  TRawDatabase db(Bench().File());
  sqlite3_stmt* statement = db.Prepare(
      "SELECT ID,KEYNAME FROM vx_configuration WHERE PARENTID = ?1 AND DATATYPE = 'TREE' ORDER BY KEYNAME");
  std::vector<TRawRow> rows;
  for (auto _ : state)
    if (ReadRaw(statement, Bench().WideId, rows, false) != WideChildren) state.SkipWithError("raw listing");
  sqlite3_finalize(statement);
}
BENCHMARK(BM_ChildNodesRaw)->Name("ChildNodes10000:sqlite3_step")->Unit(benchmark::kMillisecond);

// The same rows through the data layer the store stands on (UTF-16 texts in
// variants, a row at a time): what is left is the store's own work.
void BM_ChildNodesDataSet(benchmark::State& state) {
  TADODataSet set;
  set.SetConnectionString(u"Provider=SQLite;Data Source=" + Utf8ToWide(Bench().File()));
  set.SetCommandText(
      u"SELECT ID,KEYNAME FROM vx_configuration WHERE PARENTID = :PARENTID AND DATATYPE = 'TREE' ORDER BY KEYNAME");
  set.Parameters().ParamByName(u"PARENTID").Value = Variant(Utf8ToWide(Bench().WideId));
  std::vector<std::pair<ustring, ustring>> rows;
  for (auto _ : state) {
    rows.clear();
    set.Open();
    for (; !set.Eof(); set.Next()) rows.emplace_back(set.Fields(0).AsString(), set.Fields(1).AsString());
    set.Close();
    if (rows.size() != WideChildren) state.SkipWithError("data set listing");
  }
}
BENCHMARK(BM_ChildNodesDataSet)->Name("ChildNodes10000:data_set")->Unit(benchmark::kMillisecond);

void BM_Subtree(benchmark::State& state) {
  TvxConfigManager& store = *Bench().Store;
  TConfigNodes nodes;
  for (auto _ : state) {
    if (!store.GetRecursiveChildNodes(u"/tree", nodes, true, true, false) ||
        nodes.size() != TreeChildren * (TreeGrandchildren + 1))
      state.SkipWithError("walk");
    benchmark::DoNotOptimize(nodes.data());
  }
}
BENCHMARK(BM_Subtree)->Name("Subtree100000:ours")->Unit(benchmark::kMillisecond);

void BM_SubtreeRaw(benchmark::State& state) {
  TRawDatabase db(Bench().File());
  // The subtree's node rows in one recursive statement.
  const std::string raw =
      "WITH RECURSIVE SUBTREE (ID, PARENTID, KEYNAME) AS (SELECT ID, PARENTID, KEYNAME FROM vx_configuration "
      "WHERE PARENTID = ?1 AND DATATYPE = 'TREE' UNION ALL SELECT R.ID, R.PARENTID, R.KEYNAME FROM vx_configuration R "
      "INNER JOIN SUBTREE S ON R.PARENTID = S.ID WHERE R.DATATYPE = 'TREE') SELECT ID, PARENTID, KEYNAME FROM SUBTREE";
  sqlite3_stmt* statement = db.Prepare(raw.c_str());
  std::vector<TRawRow> rows;
  for (auto _ : state)
    if (ReadRaw(statement, Bench().TreeId, rows, true) != static_cast<size_t>(TreeChildren * (TreeGrandchildren + 1)))
      state.SkipWithError("raw walk");
  sqlite3_finalize(statement);
}
BENCHMARK(BM_SubtreeRaw)->Name("Subtree100000:sqlite3_step")->Unit(benchmark::kMillisecond);

}  // namespace
