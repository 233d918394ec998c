// Stores sharing one table tell each other of structural changes through the
// change ticks: on one SQLite file and on one PostgreSQL database, with a
// clock the test moves (across the 32-bit wrap, too).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/configstore/vxConfigStoreFixture.h"

namespace {

using namespace vxStoreTest;

class ConfigChange : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    // Just below the wrap: the check interval runs across it.
    FClock.Set(0xFFFFFFFFu - 2000);
    FClock.Use();
  }
  TManualClock FClock;
};

TEST_P(ConfigChange, AnotherStoresChangeEmptiesTheCacheWithinTheCheckInterval) {
  auto a = OpenStore(true);
  auto b = OpenStore(true);
  ASSERT_TRUE(a->SetConfigValue(u"/shared/node", u"v", Variant(1)));
  TIdType id;
  ASSERT_TRUE(a->GetCacheKeyId(u"shared/node/", id, true));

  FClock.Advance(10);
  ASSERT_TRUE(b->SetDatabaseChangeState());
  // Within the check interval nothing is read: the key stays cached.
  FClock.Advance(3000);  // past the wrap
  EXPECT_TRUE(a->GetCacheKeyId(u"shared/node/", id, true));
  EXPECT_TRUE(a->CheckDatabaseChangeState());
  FClock.Advance(2500);  // 5510 ms since the last read
  EXPECT_FALSE(a->GetCacheKeyId(u"shared/node/", id, true));
  EXPECT_FALSE(a->GetCacheKeyId(u"varlo/Classes/Statuses/", id, false));

  // A store's own change does not empty its own cache.
  ASSERT_FALSE(a->GetParentTreeId(u"/shared/node", false, false).IsEmpty());
  ASSERT_TRUE(a->SetDatabaseChangeState());
  FClock.Advance(6000);
  EXPECT_TRUE(a->GetCacheKeyId(u"shared/node/", id, true));
  // ... while the other store sees it.
  EXPECT_FALSE(b->CheckDatabaseChangeState());
  EXPECT_TRUE(b->CheckDatabaseChangeState());
}

TEST_P(ConfigChange, AStoreWithoutK7InitReadsTheTicksButWritesNone) {
  auto plain = OpenStore(false);
  auto k7 = OpenStore(true);
  ASSERT_TRUE(plain->SetConfigValue(u"/p", u"v", Variant(1)));
  const int64_t rows = Database().Count(u"KEYNAME = 'DatabaseChangeTicks'");
  EXPECT_EQ(rows, 1);
  const auto before = Database().Row(u"SELECT KEYVALUE FROM vx_configuration WHERE KEYNAME = 'DatabaseChangeTicks'");
  FClock.Advance(100);
  EXPECT_TRUE(plain->SetDatabaseChangeState());
  EXPECT_EQ(Database().Row(u"SELECT KEYVALUE FROM vx_configuration WHERE KEYNAME = 'DatabaseChangeTicks'"), before);
  EXPECT_TRUE(k7->SetDatabaseChangeState());
  EXPECT_EQ(Database().Row(u"SELECT DATATYPE, KEYVALUE FROM vx_configuration WHERE KEYNAME = 'DatabaseChangeTicks'"),
            (std::vector<ustring>{u"LONGWORD", Utf8ToWide(std::to_string(FClock.Now()))}));
  FClock.Advance(5001);
  EXPECT_FALSE(plain->CheckDatabaseChangeState());
}

TEST_P(ConfigChange, ChangeFlagsReportTheirFirstReadingAndOtherStoresSettings) {
  auto a = OpenStore(true);
  auto b = OpenStore(true);
  // Opening read the change ticks: flags are read once the interval is over.
  EXPECT_TRUE(a->CheckSpecificDatabaseChangeState(u"Styles"));
  FClock.Advance(5001);
  // The first reading writes the flag (and the write's own check of the
  // change ticks starts the interval anew).
  EXPECT_FALSE(a->CheckSpecificDatabaseChangeState(u"Styles"));
  EXPECT_TRUE(a->CheckSpecificDatabaseChangeState(u"Styles"));
  EXPECT_EQ(Database().Row(u"SELECT DATATYPE FROM vx_configuration WHERE KEYNAME = 'Styles'")[0], u"LONGWORD");
  FClock.Advance(5001);
  EXPECT_TRUE(a->CheckSpecificDatabaseChangeState(u"Styles"));
  // Another store's setting is seen at the next reading.
  FClock.Advance(20);
  ASSERT_TRUE(b->SetSpecificDatabaseChangeState(u"Styles"));
  EXPECT_FALSE(a->CheckSpecificDatabaseChangeState(u"Styles"));
  FClock.Advance(5001);
  EXPECT_TRUE(a->CheckSpecificDatabaseChangeState(u"Styles"));
}

TEST_P(ConfigChange, ThreadsLookUpKeysWhileTheCacheIsEmptiedUnderThem) {
  auto a = OpenStore(true);
  auto b = OpenStore(true);
  constexpr int Keys = 16;
  std::vector<TIdType> ids;
  for (int i = 0; i < Keys; ++i) {
    const ustring key = u"/threads/k" + Utf8ToWide(std::to_string(i));
    ASSERT_TRUE(a->SetConfigValue(key, u"v", Variant(i)));
    ids.push_back(a->GetParentTreeId(key, false, false));
  }
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0}, lookups{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&, t] {
      for (int n = 0; !stop || n < 200; ++n) {
        const int i = (n + t) % Keys;
        const TIdType id = a->GetParentTreeId(u"/threads/k" + Utf8ToWide(std::to_string(i)), false, false);
        if (!(id == ids[i])) ++wrong;
        ++lookups;
      }
    });
  for (int round = 0; round < 20; ++round) {
    FClock.Advance(6000);
    ASSERT_TRUE(b->SetDatabaseChangeState());
    while (lookups < (round + 1) * 100) std::this_thread::yield();
  }
  stop = true;
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, ConfigChange, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL), BackendName);

}  // namespace
