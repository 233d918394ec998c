// The store's connection: the routine renewal, a database that cannot be
// reached, a PostgreSQL session killed on the server, a server of the test's
// own stopped and started again under the watchdog, and closing a store whose
// check waits or pauses.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "tests/configstore/vxConfigStoreFixture.h"

namespace {

using namespace vxStoreTest;
using namespace std::chrono_literals;

// Tells the test of every connection check that ends, so it waits for what a
// check brought instead of for time.
class TCheckWatch {
 public:
  TCheckWatch() {
    ConfigManagerTiming().CheckObserver = [this](bool Begins) {
      std::lock_guard<std::mutex> hold(FLock);
      FEvents.push_back(Begins ? "begin" : "end");
      FWake.notify_all();
    };
  }
  ~TCheckWatch() { ConfigManagerTiming().CheckObserver = nullptr; }

  // Waits until Done holds after a check has ended (at most a minute).
  template <class TDone>
  bool WaitFor(TDone Done) {
    std::unique_lock<std::mutex> hold(FLock);
    const auto until = std::chrono::steady_clock::now() + 60s;
    for (;;) {
      const size_t seen = FEvents.size();
      hold.unlock();
      if (Done()) return true;
      hold.lock();
      if (!FWake.wait_until(hold, until, [&] { return FEvents.size() > seen; })) return false;
    }
  }
  void Note(const char* Event) {
    std::lock_guard<std::mutex> hold(FLock);
    FEvents.push_back(Event);
    FWake.notify_all();
  }
  std::vector<std::string> Events() {
    std::lock_guard<std::mutex> hold(FLock);
    return FEvents;
  }

 private:
  std::mutex FLock;
  std::condition_variable FWake;
  std::vector<std::string> FEvents;
};

// A port of 127.0.0.1 on which nobody listens (taken free, then let go).
int ClosedPort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  close(s);
  return ntohs(address.sin_port);
}

// A listener that takes connections and never answers: a server that hangs.
class TSilentServer {
 public:
  TSilentServer() {
    FSocket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(FSocket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(FSocket, 16) != 0)
      throw std::runtime_error("cannot listen");
    socklen_t length = sizeof address;
    getsockname(FSocket, reinterpret_cast<sockaddr*>(&address), &length);
    FPort = ntohs(address.sin_port);
  }
  ~TSilentServer() { close(FSocket); }
  int Port() const { return FPort; }

 private:
  int FSocket = -1;
  int FPort = 0;
};

ustring PostgresAt(int Port) {
  return Utf8ToWide("Provider=PostgreSQL;Host=127.0.0.1;Port=" + std::to_string(Port) + ";Database=x;User ID=x");
}

class ConfigConnection : public StoreTest {};

TEST_P(ConfigConnection, EveryFifthCheckRenewsAHealthyConnection) {
  auto store = OpenStore();
  const ustring restored = u"database connection to " + ProviderName() + u" successful restored";
  for (int check = 1; check <= 10; ++check) {
    store->Message = u"mark";
    EXPECT_TRUE(store->CheckADOConnection());
    EXPECT_EQ(store->Message.Get(), check % 5 == 0 ? restored : u"mark") << check;
    EXPECT_TRUE(store->SetConfigValue(u"/after", u"check", Variant(check))) << check;
  }
  EXPECT_EQ(store->GetConfigValue(u"/after", u"check", Variant(0), false).AsInteger(), 10);
}

INSTANTIATE_TEST_SUITE_P(Backends, ConfigConnection, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL),
                         BackendName);

class ConfigConnectionAlone : public ::testing::Test {
 protected:
  TTestTempDir FFolder{"vxstoreconn"};
  vxTest::TScopedEnv FRegistry{"VARLO_REGISTRY", FFolder.File("registry")};
  TTimingGuard FTiming;
};

TEST_F(ConfigConnectionAlone, ADatabaseThatCannotBeReachedIsReportedWhenOpening) {
  const ustring unreachable[] = {u"Provider=SQLite;Data Source=" + FFolder.WideFile("no/such/folder/x.db"),
                                 PostgresAt(ClosedPort()), u"Provider=Nothing;Data Source=x"};
  for (const ustring& connection : unreachable) {
    TvxConfigManager store(false, connection, u"vx_configuration");
    EXPECT_EQ(store.Message.Get().rfind(u"ado connection exception (", 0), 0u) << WideToUtf8(store.Message.Get());
    EXPECT_EQ(store.TableStructureType, TST_V1);
    EXPECT_FALSE(store.IsConnected());
    EXPECT_EQ(store.Message.Get().rfind(u"database connection to ", 0), 0u) << WideToUtf8(store.Message.Get());
    EXPECT_FALSE(store.SetConfigValue(u"/a", u"v", Variant(1)));
    EXPECT_FALSE(store.CheckADOConnection());
    EXPECT_EQ(store.Message.Get().rfind(u"error during database connection check (", 0), 0u)
        << WideToUtf8(store.Message.Get());
  }
}

TEST_F(ConfigConnectionAlone, ClosingNeverWaitsOutAPause) {
  // A watchdog tick and a renewal pause of an hour each: closing ends both.
  ConfigManagerTiming().WatchdogTick = 1h;
  {
    TvxConfigManager store(false, PostgresAt(ClosedPort()), u"vx_configuration");
  }
  ConfigManagerTiming().WatchdogTick = 10ms;
  ConfigManagerTiming().RenewPause = 1h;
  SetSystemValue(u"DbConCheckInterval", 1);
  TCheckWatch watch;
  {
    TvxConfigManager store(false, PostgresAt(ClosedPort()), u"vx_configuration");
    // The check finds the connection down and pauses before renewing it.
    ASSERT_TRUE(watch.WaitFor([&] { return !watch.Events().empty(); }));
  }
  const std::vector<std::string> events = watch.Events();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "end");
}

TEST_F(ConfigConnectionAlone, ClosingAStoreWhoseCheckWaitsForAHungServerWaitsForThatCheck) {
  TSilentServer hung;
  SetSystemValue(u"DbConTimeout", 2);
  SetSystemValue(u"DbConCheckInterval", 1);
  ConfigManagerTiming().WatchdogTick = 10ms;
  TCheckWatch watch;
  {
    TvxConfigManager store(false, PostgresAt(hung.Port()), u"vx_configuration");
    EXPECT_EQ(store.Message.Get().rfind(u"ado connection exception (", 0), 0u) << WideToUtf8(store.Message.Get());
    // The watchdog's check now waits for the hung server's answer.
    ASSERT_TRUE(watch.WaitFor([&] { return !watch.Events().empty(); }));
  }
  watch.Note("closed");
  const std::vector<std::string> events = watch.Events();
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events[0], "begin");
  EXPECT_EQ(events[events.size() - 2], "end");
  EXPECT_EQ(events.back(), "closed");
}

// --- A PostgreSQL server that goes away ----------------------------------------------

TEST(ConfigConnectionPostgreSQL, AKilledSessionIsSeenAndRenewed) {
  TTimingGuard timing;
  TTestTempDir folder{"vxstorekill"};
  vxTest::TScopedEnv registry{"VARLO_REGISTRY", folder.File("registry")};
  std::string why;
  TStoreDatabase database(TBackend::PostgreSQL, why);
  if (!why.empty()) GTEST_SKIP() << why;
  database.CreateTable();
  TvxConfigManager store(false, database.ConnectionString(), u"vx_configuration");
  ASSERT_TRUE(store.SetConfigValue(u"/kill", u"v", Variant(1)));
  auto kill = [&] {
    database.Execute(u"SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = current_database() "
                     u"AND pid <> pg_backend_pid()");
  };
  kill();
  EXPECT_FALSE(store.IsConnected());
  EXPECT_EQ(store.Message.Get(), u"database connection to PostgreSQL is offline (state = 0)");
  // The first statement on the dead session fails; its check renews it.
  EXPECT_TRUE(store.GetConfigValue(u"/kill", u"v", Variant(0), false).IsEmpty());
  EXPECT_EQ(store.Message.Get(), u"database connection to PostgreSQL successful restored");
  EXPECT_EQ(store.GetConfigValue(u"/kill", u"v", Variant(0), false).AsInteger(), 1);
  // A node walk renews and tries again by itself.
  kill();
  EXPECT_FALSE(store.GetParentTreeId(u"/kill/new/node", true, false).IsEmpty());
  EXPECT_TRUE(store.IsConnected());
}

TEST(ConfigConnectionPostgreSQL, TheWatchdogRenewsTheConnectionWhenTheServerComesBack) {
  TTimingGuard timing;
  TTestTempDir folder{"vxstoreown"};
  vxTest::TScopedEnv registry{"VARLO_REGISTRY", folder.File("registry")};
  std::string why;
  vxTest::TOwnPostgresServer server(why);
  if (!why.empty()) GTEST_SKIP() << why;
  vxConfigManagerSchema::CreateTable(server.ConnectionString(), TST_V2, u"vx_configuration");
  SetSystemValue(u"DbConCheckInterval", 1);
  SetSystemValue(u"DbConTimeout", 2);
  ConfigManagerTiming().WatchdogTick = 20ms;
  TCheckWatch watch;
  TvxConfigManager store(false, server.ConnectionString(), u"vx_configuration");
  ASSERT_TRUE(store.SetConfigValue(u"/kept", u"v", Variant(u"before")));

  ASSERT_TRUE(server.Halt());
  ASSERT_TRUE(watch.WaitFor([&] {
    const ustring message = store.Message.Get();
    return message.rfind(u"error during database connection check (", 0) == 0 || message.find(u"still offline") != ustring::npos;
  })) << WideToUtf8(store.Message.Get());
  EXPECT_FALSE(store.SetConfigValue(u"/kept", u"v", Variant(u"lost")));

  ASSERT_TRUE(server.Resume());
  ASSERT_TRUE(watch.WaitFor([&] { return store.Message.Get() == u"database connection to PostgreSQL successful restored"; }))
      << WideToUtf8(store.Message.Get());
  EXPECT_EQ(store.GetConfigValue(u"/kept", u"v", Variant(), false).AsString(), u"before");
  EXPECT_TRUE(store.SetConfigValue(u"/kept", u"v", Variant(u"after")));
  EXPECT_TRUE(store.IsConnected());
}

}  // namespace
