// Export and import of a subtree of 10,000 nodes with 50,000 values in a
// SQLite store, each beside the least the same work can cost done by hand:
// - Export:ours, the store's Export of the subtree into a file, beside
//   Export:sqlite3+pugixml, one raw prepared SELECT of the same rows and
//   pugixml building the same document and saving it to a file;
// - Import:ours, the store's Import of that file (every value replaced, in
//   one transaction), beside Import:sqlite3+pugixml, pugixml parsing the
//   file and raw prepared statements finding each node and updating each
//   value in one transaction.
// The goal is both within 3x of their peer.
#include <benchmark/benchmark.h>
#include <pugixml.hpp>
#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "configstore/vxConfigManager.h"
#include "configstore/vxConfigManagerSchema.h"
#include "platform/base/vxCodePage.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

constexpr int Groups = 99;
constexpr int NodesPerGroup = 100;  // with the root and the groups: 10,000 nodes
const char* const PropertyTypes[] = {"UCS2STR", "INT", "BOOLEAN", "DATE", "UCS2STR"};
const char* const PropertyValues[] = {"a setting of moderate length", "4711", "True", "2024-02-29 13:14:15",
                                      "/var/lib/varlo/some/path"};

std::string Number(int Value, int Digits) {
  std::string text = std::to_string(Value);
  return std::string(static_cast<size_t>(Digits) - std::min<size_t>(text.size(), Digits), '0') + text;
}

// The subtree as an export document: /bench, its groups and their nodes,
// five values each.
std::string SubtreeDocument() {
  std::string properties;
  for (int p = 0; p < 5; ++p)
    properties += std::string("<Property Name=\"p") + char('0' + p) + "\" DataType=\"" + PropertyTypes[p] + "\">" +
                  PropertyValues[p] + "</Property>";
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><k7Document FormatVersion=\"1.5\" Type=\"Default\">"
                    "<Content RootNode=\"/bench\">" + properties;
  for (int g = 0; g < Groups; ++g) {
    out += "<Node Name=\"g" + Number(g, 2) + "\">" + properties;
    for (int n = 0; n < NodesPerGroup; ++n) out += "<Node Name=\"n" + Number(n, 3) + "\">" + properties + "</Node>";
    out += "</Node>";
  }
  return out + "</Content></k7Document>";
}

class TRawDatabase {
 public:
  explicit TRawDatabase(const std::string& File) {
    if (sqlite3_open_v2(File.c_str(), &Db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
      throw std::runtime_error("cannot open the store's file");
    sqlite3_busy_timeout(Db, 15000);
  }
  ~TRawDatabase() { sqlite3_close_v2(Db); }
  TRawDatabase(const TRawDatabase&) = delete;
  TRawDatabase& operator=(const TRawDatabase&) = delete;
  sqlite3_stmt* Prepare(const char* Sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(Db, Sql, -1, &statement, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(Db));
    return statement;
  }
  void Execute(const char* Sql) {
    if (sqlite3_exec(Db, Sql, nullptr, nullptr, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(Db));
  }
  sqlite3* Db = nullptr;
};

std::string Column(sqlite3_stmt* Statement, int Index) {
  const unsigned char* text = sqlite3_column_text(Statement, Index);
  return text ? reinterpret_cast<const char*>(text) : std::string();
}

// The store's file holding the subtree, and one store on it.
class TBenchStore {
 public:
  TBenchStore() : FRegistry("VARLO_REGISTRY", FFolder.File("registry")) {
    File = FFolder.File("store.db");
    const ustring connection = u"Provider=SQLite;Data Source=" + Utf8ToWide(File);
    vxConfigManagerSchema::CreateTable(connection, TST_V2, u"vx_configuration");
    Store = std::make_unique<TvxConfigManager>(false, connection, u"vx_configuration");
    Document = FFolder.File("subtree.xml");
    Exported = FFolder.File("exported.xml");
    Peer = FFolder.File("peer.xml");
    TTestTempDir::WriteBytes(Document, SubtreeDocument());
    ustring info;
    if (!Store->Import(u"", Utf8ToWide(Document), info, {}, true, false, false, false, true))
      throw std::runtime_error(WideToUtf8(Store->Message.Get()));
  }

  std::unique_ptr<TvxConfigManager> Store;
  std::string File, Document, Exported, Peer;

 private:
  TTestTempDir FFolder{"vxbenchexport"};
  vxTest::TScopedEnv FRegistry;
};

TBenchStore& Bench() {
  static TBenchStore bench;
  return bench;
}

void BM_Export(benchmark::State& state) {
  TvxConfigManager& store = *Bench().Store;
  const ustring file = Utf8ToWide(Bench().Exported);
  for (auto _ : state)
    if (!store.Export(u"/bench", file, true, false, u"", u"", u"", true, vxCE_UTF8, {}, nullptr, vxPDT_Unknown,
                      false, "", false, u"", vxEFV_V1_5))
      state.SkipWithError(WideToUtf8(store.Message.Get()).c_str());
}
BENCHMARK(BM_Export)->Name("Export:ours")->Unit(benchmark::kMillisecond)->Iterations(3);

struct TRow {
  std::string Id, ParentId, Name, DataType, Value;
};

void BM_ExportPeer(benchmark::State& state) {
  TRawDatabase db(Bench().File);
  for (auto _ : state) {
    // Every row of the table: the subtree and nothing else.
    sqlite3_stmt* select = db.Prepare("SELECT ID, PARENTID, KEYNAME, DATATYPE, KEYVALUE FROM vx_configuration");
    std::vector<TRow> rows;
    std::unordered_map<std::string, std::vector<size_t>> children;
    size_t root = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
      rows.push_back({Column(select, 0), Column(select, 1), Column(select, 2), Column(select, 3), Column(select, 4)});
      if (rows.back().ParentId.empty()) root = rows.size() - 1;
      else children[rows.back().ParentId].push_back(rows.size() - 1);
    }
    sqlite3_finalize(select);
    // The same document, values before nodes.
    pugi::xml_document doc;
    pugi::xml_node top = doc.append_child("k7Document");
    top.append_attribute("FormatVersion") = "1.5";
    top.append_attribute("Type") = "Default";
    pugi::xml_node content = top.append_child("Content");
    content.append_attribute("RootNode") = "/bench";
    std::vector<std::pair<size_t, pugi::xml_node>> pending{{root, content}};
    while (!pending.empty()) {
      auto [row, element] = pending.back();
      pending.pop_back();
      const auto found = children.find(rows[row].Id);
      if (found == children.end()) continue;
      for (size_t child : found->second) {
        const TRow& r = rows[child];
        if (r.DataType == "TREE") {
          pugi::xml_node node = element.append_child("Node");
          node.append_attribute("Name") = r.Name.c_str();
          pending.emplace_back(child, node);
        } else {
          pugi::xml_node property = element.append_child("Property");
          property.append_attribute("Name") = r.Name.c_str();
          property.append_attribute("DataType") = r.DataType.c_str();
          property.text() = r.Value.c_str();
        }
      }
    }
    if (!doc.save_file(Bench().Peer.c_str(), "  ")) state.SkipWithError("cannot save");
  }
}
BENCHMARK(BM_ExportPeer)->Name("Export:sqlite3+pugixml")->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Import(benchmark::State& state) {
  TvxConfigManager& store = *Bench().Store;
  const ustring file = Utf8ToWide(Bench().Document);
  ustring info;
  for (auto _ : state)
    if (!store.Import(u"", file, info, {}, true, false, false, false, true))
      state.SkipWithError(WideToUtf8(store.Message.Get()).c_str());
}
BENCHMARK(BM_Import)->Name("Import:ours")->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportPeer(benchmark::State& state) {
  TRawDatabase db(Bench().File);
  for (auto _ : state) {
    pugi::xml_document doc;
    if (!doc.load_file(Bench().Document.c_str())) state.SkipWithError("cannot parse");
    sqlite3_stmt* root = db.Prepare("SELECT ID FROM vx_configuration WHERE (PARENTID IS NULL OR PARENTID = '') AND KEYNAME = ?1");
    sqlite3_stmt* find = db.Prepare("SELECT ID FROM vx_configuration WHERE PARENTID = ?1 AND KEYNAME = ?2");
    sqlite3_stmt* update = db.Prepare(
        "UPDATE vx_configuration SET KEYVALUE = ?3, DATATYPE = ?4, CHANGEUSER = NULL, CHANGEDATE = NULL "
        "WHERE PARENTID = ?1 AND KEYNAME = ?2");
    db.Execute("BEGIN IMMEDIATE TRANSACTION");
    sqlite3_bind_text(root, 1, "bench", -1, SQLITE_STATIC);
    if (sqlite3_step(root) != SQLITE_ROW) state.SkipWithError("no root");
    std::vector<std::pair<pugi::xml_node, std::string>> pending{
        {doc.document_element().child("Content"), Column(root, 0)}};
    sqlite3_finalize(root);
    while (!pending.empty()) {
      const auto [element, id] = pending.back();
      pending.pop_back();
      for (pugi::xml_node child : element.children()) {
        if (std::string_view(child.name()) == "Property") {
          sqlite3_reset(update);
          sqlite3_bind_text(update, 1, id.c_str(), -1, SQLITE_STATIC);
          sqlite3_bind_text(update, 2, child.attribute("Name").value(), -1, SQLITE_STATIC);
          sqlite3_bind_text(update, 3, child.text().get(), -1, SQLITE_STATIC);
          sqlite3_bind_text(update, 4, child.attribute("DataType").value(), -1, SQLITE_STATIC);
          if (sqlite3_step(update) != SQLITE_DONE) state.SkipWithError("cannot update");
        } else if (std::string_view(child.name()) == "Node") {
          sqlite3_reset(find);
          sqlite3_bind_text(find, 1, id.c_str(), -1, SQLITE_STATIC);
          sqlite3_bind_text(find, 2, child.attribute("Name").value(), -1, SQLITE_STATIC);
          if (sqlite3_step(find) != SQLITE_ROW) state.SkipWithError("no node");
          pending.emplace_back(child, Column(find, 0));
        }
      }
    }
    db.Execute("COMMIT");
    sqlite3_finalize(find);
    sqlite3_finalize(update);
  }
}
BENCHMARK(BM_ImportPeer)->Name("Import:sqlite3+pugixml")->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
