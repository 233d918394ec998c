// The configuration store on a SQLite file of 900 nodes, each with a value:
// - a cached read (a key turned into its node id from the cache, with the
//   change check) beside an unordered_map find of the same keys;
// - an uncached value read (GetConfigValue of a node whose key is cached: one
//   query of the row) beside a raw prepared sqlite3_step of the same row;
// - a value write (a changed value each time) beside a raw prepared UPDATE of
//   the same row in autocommit, on the same file in the same journal mode;
// - cached reads on 8 threads at once beside one thread (the ratio is the
//   inverse of the speed-up).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "configstore/vxConfigManager.h"
#include "configstore/vxConfigManagerSchema.h"
#include "platform/base/vxCodePage.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

constexpr int Nodes = 900;  // and the class nodes: within the 1000 slots

ustring KeyOf(int Node) { return u"/bench/group" + Utf8ToWide(std::to_string(Node % 10)) + u"/node" + Utf8ToWide(std::to_string(Node)); }

// The store's file and one store on it, made once for the program.
class TBenchStore {
 public:
  TBenchStore() : FRegistry("VARLO_REGISTRY", FFolder.File("registry")) {
    FFile = FFolder.File("store.db");
    FConnection = u"Provider=SQLite;Data Source=" + Utf8ToWide(FFile);
    vxConfigManagerSchema::CreateTable(FConnection, TST_V2, u"vx_configuration");
    Store = std::make_unique<TvxConfigManager>(false, FConnection, u"vx_configuration");
    for (int i = 0; i < Nodes; ++i)
      if (!Store->SetConfigValue(KeyOf(i), u"Value", Variant(u"some setting of moderate length")))
        throw std::runtime_error(WideToUtf8(Store->Message.Get()));
    for (int i = 0; i < Nodes; ++i) Ids.push_back(Store->GetParentTreeId(KeyOf(i), false, false));
  }
  const std::string& File() const { return FFile; }

  std::unique_ptr<TvxConfigManager> Store;
  std::vector<TIdType> Ids;

 private:
  TTestTempDir FFolder{"vxbenchstore"};
  vxTest::TScopedEnv FRegistry;
  std::string FFile;
  ustring FConnection;
};

TBenchStore& Bench() {
  static TBenchStore bench;
  return bench;
}

std::vector<ustring> PreparedKeys() {
  std::vector<ustring> keys;
  for (int i = 0; i < Nodes; ++i) keys.push_back(TvxConfigManager::PrepareKey(KeyOf(i)));
  return keys;
}

void BM_CachedRead(benchmark::State& state) {
  TvxConfigManager& store = *Bench().Store;
  const std::vector<ustring> keys = PreparedKeys();
  size_t i = 0;
  for (auto _ : state) {
    TIdType id;
    if (!store.GetCacheKeyId(keys[i], id, true)) state.SkipWithError("not cached");
    benchmark::DoNotOptimize(id);
    i = (i + 1) % keys.size();
  }
}
BENCHMARK(BM_CachedRead)->Name("CachedRead:ours");

void BM_CachedReadMap(benchmark::State& state) {
  std::unordered_map<ustring, TIdType> map;
  const std::vector<ustring> keys = PreparedKeys();
  for (int i = 0; i < Nodes; ++i) map.emplace(keys[static_cast<size_t>(i)], Bench().Ids[static_cast<size_t>(i)]);
  size_t i = 0;
  for (auto _ : state) {
    TIdType id = map.find(keys[i])->second;
    benchmark::DoNotOptimize(id);
    i = (i + 1) % keys.size();
  }
}
BENCHMARK(BM_CachedReadMap)->Name("CachedRead:unordered_map");

// The walk of a cached key as callers make it (key preparation included).
void BM_CachedWalk(benchmark::State& state) {
  TvxConfigManager& store = *Bench().Store;
  size_t i = 0;
  std::vector<ustring> keys;
  for (int n = 0; n < Nodes; ++n) keys.push_back(KeyOf(n));
  for (auto _ : state) {
    benchmark::DoNotOptimize(store.GetParentTreeId(keys[i], false, false));
    i = (i + 1) % keys.size();
  }
}
BENCHMARK(BM_CachedWalk)->Name("CachedWalk:ours");
BENCHMARK(BM_CachedReadMap)->Name("CachedWalk:unordered_map");

void BM_UncachedRead(benchmark::State& state) {
  TvxConfigManager& store = *Bench().Store;
  const ustring key = KeyOf(500);
  const Variant fallback(u"none");
  for (auto _ : state) benchmark::DoNotOptimize(store.GetConfigValue(key, u"Value", fallback, false));
}
BENCHMARK(BM_UncachedRead)->Name("UncachedRead:ours");

// A connection of its own on the store's file, closed at the end.
struct TRawDatabase {
  explicit TRawDatabase(const std::string& File) {
    if (sqlite3_open_v2(File.c_str(), &Db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
      throw std::runtime_error("cannot open");
    sqlite3_busy_timeout(Db, 15000);
  }
  ~TRawDatabase() { sqlite3_close_v2(Db); }
  sqlite3_stmt* Prepare(const char* Sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(Db, Sql, -1, &statement, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(Db));
    return statement;
  }
  sqlite3* Db = nullptr;
};

void BM_UncachedReadRaw(benchmark::State& state) {
  TRawDatabase db(Bench().File());
  sqlite3_stmt* statement =
      db.Prepare("SELECT KEYVALUE, DATATYPE FROM vx_configuration WHERE KEYNAME = ?1 AND PARENTID = ?2");
  const std::string parent(Bench().Ids[500].View());
  for (auto _ : state) {
    sqlite3_reset(statement);
    sqlite3_bind_text(statement, 1, "Value", -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 2, parent.c_str(), -1, SQLITE_STATIC);
    if (sqlite3_step(statement) != SQLITE_ROW) state.SkipWithError("no row");
    std::string value(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    std::string type(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)));
    benchmark::DoNotOptimize(value);
    benchmark::DoNotOptimize(type);
  }
  sqlite3_finalize(statement);
}
BENCHMARK(BM_UncachedReadRaw)->Name("UncachedRead:sqlite3_step");

void BM_Write(benchmark::State& state) {
  TvxConfigManager& store = *Bench().Store;
  const ustring key = KeyOf(600);
  int64_t n = 0;
  for (auto _ : state)
    if (!store.SetConfigValue(key, u"Counter", Variant(++n))) state.SkipWithError("write failed");
}
BENCHMARK(BM_Write)->Name("Write:ours")->UseRealTime();

void BM_WriteRaw(benchmark::State& state) {
  TvxConfigManager& store = *Bench().Store;
  store.SetConfigValue(KeyOf(700), u"Counter", Variant(int64_t{0}));
  TRawDatabase db(Bench().File());
  sqlite3_stmt* find = db.Prepare("SELECT ID FROM vx_configuration WHERE KEYNAME = 'Counter' AND PARENTID = ?1");
  const std::string parent(Bench().Ids[700].View());
  sqlite3_bind_text(find, 1, parent.c_str(), -1, SQLITE_STATIC);
  if (sqlite3_step(find) != SQLITE_ROW) throw std::runtime_error("no counter");
  const std::string id(reinterpret_cast<const char*>(sqlite3_column_text(find, 0)));
  sqlite3_finalize(find);
  sqlite3_stmt* update = db.Prepare("UPDATE vx_configuration SET KEYVALUE = ?1 WHERE ID = ?2");
  int64_t n = 0;
  for (auto _ : state) {
    const std::string value = std::to_string(++n);
    sqlite3_reset(update);
    sqlite3_bind_text(update, 1, value.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(update, 2, id.c_str(), -1, SQLITE_STATIC);
    if (sqlite3_step(update) != SQLITE_DONE) state.SkipWithError("update failed");
  }
  sqlite3_finalize(update);
}
BENCHMARK(BM_WriteRaw)->Name("Write:sqlite3_update")->UseRealTime();

// Reads of cached keys, 1000 an iteration on each of the benchmark's threads;
// the threads start and stop together, and run free in between.
void BM_ConcurrentReads(benchmark::State& state) {
  TvxConfigManager& store = *Bench().Store;
  std::vector<ustring> keys;
  for (int n = 0; n < Nodes; ++n) keys.push_back(KeyOf(n));
  size_t at = static_cast<size_t>(state.thread_index()) * 131;
  for (auto _ : state)
    for (int r = 0; r < 1000; ++r) {
      benchmark::DoNotOptimize(store.GetParentTreeId(keys[at % keys.size()], false, false));
      at += 7;
    }
  state.SetItemsProcessed(state.iterations() * 1000);
}
// With several threads the time of an iteration is the wall time divided by
// the iterations of all threads: the ratio of 8 threads to 1 is the inverse of
// the speed-up.
BENCHMARK(BM_ConcurrentReads)->Name("ConcurrentReads:ours")->Threads(8)->UseRealTime();
BENCHMARK(BM_ConcurrentReads)->Name("ConcurrentReads:one_thread")->Threads(1)->UseRealTime();

}  // namespace
