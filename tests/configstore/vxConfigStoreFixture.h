// What the store's tests share: a database holding the store's table on
// either backend (a SQLite file, or a fresh database of the throw-away
// PostgreSQL server), a registry folder of the test's own, the store's clock
// and pauses set for the test, and a parameterised fixture running each case
// once per backend.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

#include "configstore/internal/vxConfigManagerTiming.h"
#include "configstore/vxConfigManager.h"
#include "configstore/vxConfigManagerSchema.h"
#include "core/vxRegistry.h"
#include "foundation/vxADO.h"
#include "platform/base/vxCodePage.h"
#include "support/vxPostgresServer.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace vxStoreTest {

enum class TBackend { SQLite, PostgreSQL };

inline std::string BackendName(const ::testing::TestParamInfo<TBackend>& Info) {
  return Info.param == TBackend::SQLite ? "SQLite" : "PostgreSQL";
}

// The store's timing for one test: no pause before a renewal (tests make the
// connection fail on purpose), the system's clock unless the test sets one.
class TTimingGuard {
 public:
  TTimingGuard() : FSaved(ConfigManagerTiming()) { ConfigManagerTiming().RenewPause = std::chrono::milliseconds(0); }
  ~TTimingGuard() { ConfigManagerTiming() = FSaved; }
  TTimingGuard(const TTimingGuard&) = delete;
  TTimingGuard& operator=(const TTimingGuard&) = delete;

 private:
  TConfigManagerTiming FSaved;
};

// A tick counter the test moves by hand; stores made after Use() read it.
class TManualClock {
 public:
  explicit TManualClock(uint32_t Start = 1000000) : FNow(std::make_shared<std::atomic<uint32_t>>(Start)) {}
  void Use() const {
    auto now = FNow;
    ConfigManagerTiming().Ticks = [now] { return now->load(); };
  }
  uint32_t Now() const { return *FNow; }
  void Set(uint32_t Value) { *FNow = Value; }
  void Advance(uint32_t Milliseconds) { *FNow += Milliseconds; }

 private:
  std::shared_ptr<std::atomic<uint32_t>> FNow;
};

// A database on one backend, with a connection of the test's own to look at
// the rows.
class TStoreDatabase {
 public:
  // Why is set (and the object unusable) when PostgreSQL does not run here.
  TStoreDatabase(TBackend Backend, std::string& Why) : FBackend(Backend) {
    if (Backend == TBackend::SQLite) {
      FConnectionString = u"Provider=SQLite;Data Source=" + FFolder.WideFile("store.db");
    } else {
      vxTest::TPostgresServer* server = vxTest::TPostgresServer::Shared(Why);
      if (!server) return;
      FPostgres = std::make_unique<vxTest::TPostgresDatabase>(*server);
      FConnectionString = FPostgres->ConnectionString();
    }
    FAdmin.SetConnectionString(FConnectionString);
  }

  TBackend Backend() const { return FBackend; }
  const ustring& ConnectionString() const { return FConnectionString; }
  const TTestTempDir& Folder() const { return FFolder; }

  void CreateTable(TTableStructureType Layout = TST_V2, const ustring& Table = u"vx_configuration") {
    vxConfigManagerSchema::CreateTable(FConnectionString, Layout, Table);
  }
  vxData::TDataResult Query(const ustring& Sql, const vxData::TDataParams& Params = {}) {
    return FAdmin.Session().Query(Sql, Params, 30);
  }
  int64_t Execute(const ustring& Sql, const vxData::TDataParams& Params = {}) { return FAdmin.Execute(Sql, Params); }
  // The number of rows of the store's table meeting Where.
  int64_t Count(const ustring& Where = u"1 = 1", const vxData::TDataParams& Params = {}) {
    return Query(u"SELECT COUNT(*) FROM vx_configuration WHERE " + Where, Params).Rows.at(0).at(0).AsInt64();
  }
  // The first row of a query as texts (NULL as "<null>"); empty without rows.
  std::vector<ustring> Row(const ustring& Sql, const vxData::TDataParams& Params = {}) {
    const vxData::TDataResult result = Query(Sql, Params);
    std::vector<ustring> row;
    if (result.Rows.empty()) return row;
    for (const Variant& v : result.Rows[0]) row.push_back(v.IsNull() ? u"<null>" : v.AsString());
    return row;
  }

 private:
  TBackend FBackend;
  TTestTempDir FFolder{"vxstore"};
  std::unique_ptr<vxTest::TPostgresDatabase> FPostgres;
  ustring FConnectionString;
  TADOConnection FAdmin;
};

// Makes ConnectionString the host's data-link file of the installation in
// Folder, whose system folder is "sys/" (UTF-16 with its byte order mark,
// as the platform writes them).
inline void WriteDataLink(const TTestTempDir& Folder, const ustring& ConnectionString) {
  std::filesystem::create_directories(Folder.Path() / "sys" / "cfg");
  std::string bytes = "\xFF\xFE";
  for (char16_t c : u"[oledb]\r\n" + ConnectionString + u"\r\n") {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  TTestTempDir::WriteBytes(Folder.File("sys/cfg/vxsyscfg.udl"), bytes);
}

// Writes a value of HKEY_LOCAL_MACHINE "SOFTWARE\varlo\System" in the test's registry.
inline void SetSystemValue(const ustring& Name, int32_t Value) {
  if (!TvxRegistry::SetValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\varlo\\System", Name, Variant(Value), false))
    throw std::runtime_error("cannot write the registry value");
}

// An installation of the test's own whose data-link file names a database:
// what the store opens when it is given no connection string of its own.
class THostDataLink {
 public:
  explicit THostDataLink(const ustring& ConnectionString) {
    std::filesystem::create_directories(FHost.Path() / "sys" / "cfg");
    // UTF-16 with its byte order mark, as the platform writes them.
    std::string bytes = "\xFF\xFE";
    for (char16_t c : u"[oledb]\r\n" + ConnectionString + u"\r\n") {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    TTestTempDir::WriteBytes(FHost.File("sys/cfg/vxsyscfg.udl"), bytes);
  }

 private:
  TTestTempDir FHost{"vxhostlink"};
  vxTest::TScopedEnv FSystem{"VARLOSYS", FHost.File("sys") + "/"};
};

// Each case once on SQLite and once on PostgreSQL, with the store's table
// (layout V2) made and a registry of the test's own.
class StoreTest : public ::testing::TestWithParam<TBackend> {
 protected:
  void SetUp() override {
    std::string why;
    FDatabase = std::make_unique<TStoreDatabase>(GetParam(), why);
    if (!why.empty()) GTEST_SKIP() << why;
    if (CreatesTable()) FDatabase->CreateTable(Layout());
  }

  virtual bool CreatesTable() const { return true; }
  virtual TTableStructureType Layout() const { return TST_V2; }

  std::unique_ptr<TvxConfigManager> OpenStore(bool k7Init = false, const ustring& Table = u"vx_configuration") {
    return std::make_unique<TvxConfigManager>(k7Init, FDatabase->ConnectionString(), Table);
  }
  TStoreDatabase& Database() { return *FDatabase; }
  ustring ProviderName() const { return GetParam() == TBackend::SQLite ? u"SQLite" : u"PostgreSQL"; }

  TTestTempDir FRegistryFolder{"vxstorereg"};
  vxTest::TScopedEnv FRegistry{"VARLO_REGISTRY", FRegistryFolder.File("registry")};
  TTimingGuard FTiming;
  std::unique_ptr<TStoreDatabase> FDatabase;
};

}  // namespace vxStoreTest
