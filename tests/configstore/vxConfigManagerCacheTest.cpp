// The key cache on its own: leases (also across the tick counter's wrap), the
// fixed number of slots without eviction, the lowest free slot, removals, the
// lookups by id, and many threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "configstore/vxConfigManagerCache.h"
#include "platform/base/vxCodePage.h"

namespace {

constexpr uint32_t Lease = 600000;

TIdType Id(const char* Text) { return TIdType(Text); }

TEST(ConfigCache, ALeaseCountsFromTheInsertAndSurvivesTheCountersWrap) {
  struct Case {
    uint32_t Filled;
    uint32_t Looked;
    bool Found;
  } cases[] = {
      {1000, 1000, true},
      {1000, 1000 + Lease - 1, true},
      {1000, 1000 + Lease, false},
      {1000, 1000 + Lease + 1, false},
      // Filled just before the wrap, looked at just after it.
      {0xFFFFFF00u, 0x00000100u, true},
      {0xFFFFFF00u, 0xFFFFFF00u + Lease - 1, true},
      {0xFFFFFF00u, 0xFFFFFF00u + Lease + 1, false},
  };
  for (const Case& c : cases) {
    TConfigCache cache(4);
    ASSERT_TRUE(cache.Insert(u"a/", Id("A1"), c.Filled, Lease));
    TIdType found;
    EXPECT_EQ(cache.Find(u"a/", c.Looked, Lease, found), c.Found) << c.Filled << " " << c.Looked;
    if (c.Found) {
      EXPECT_EQ(found, Id("A1"));
    }
    // An expired slot is free again.
    EXPECT_EQ(cache.Slot(0).Active, c.Found);
  }
}

TEST(ConfigCache, AFullCacheEvictsNothingUntilALookupMeetsAnExpiredSlot) {
  TConfigCache cache(1);
  ASSERT_TRUE(cache.Insert(u"first/", Id("F"), 0, Lease));
  EXPECT_FALSE(cache.Insert(u"second/", Id("S"), Lease - 1, Lease));
  TIdType found;
  EXPECT_FALSE(cache.Find(u"second/", Lease + 5, Lease, found));
  // Still full: only a lookup of the expired key frees its slot.
  EXPECT_FALSE(cache.Insert(u"second/", Id("S"), Lease + 5, Lease));
  EXPECT_FALSE(cache.Find(u"first/", Lease + 5, Lease, found));
  EXPECT_TRUE(cache.Insert(u"second/", Id("S"), Lease + 5, Lease));
  EXPECT_TRUE(cache.Find(u"second/", Lease + 6, Lease, found));
  EXPECT_EQ(found, Id("S"));
}

TEST(ConfigCache, AKeyIsCachedOnceAndItsLeaseIsNotRenewed) {
  TConfigCache cache(3);
  ASSERT_TRUE(cache.Insert(u"a/", Id("A"), 0, Lease));
  EXPECT_FALSE(cache.Insert(u"a/", Id("B"), 10, Lease));
  TIdType found;
  EXPECT_TRUE(cache.Find(u"a/", Lease - 1, Lease, found));
  EXPECT_EQ(found, Id("A"));
  EXPECT_FALSE(cache.Find(u"a/", Lease, Lease, found));
  EXPECT_TRUE(found.IsEmpty() || found == Id("A"));
}

TEST(ConfigCache, InsertsTakeTheLowestFreeSlot) {
  TConfigCache cache(4);
  for (const char16_t* key : {u"a/", u"b/", u"c/"}) ASSERT_TRUE(cache.Insert(key, Id("X"), 0, Lease));
  cache.RemovePrefix(u"b/");
  ASSERT_TRUE(cache.Insert(u"d/", Id("D"), 0, Lease));
  EXPECT_EQ(cache.Slot(1).Key, u"d/");
  EXPECT_TRUE(cache.Slot(1).Active);
  ASSERT_TRUE(cache.Insert(u"e/", Id("E"), 0, Lease));
  EXPECT_EQ(cache.Slot(3).Key, u"e/");
  EXPECT_FALSE(cache.Insert(u"f/", Id("F"), 0, Lease));
}

TEST(ConfigCache, ARemovedKeyTakesTheKeysBelowItAlong) {
  TConfigCache cache(8);
  for (const char16_t* key : {u"a/", u"a/b/", u"a/b/c/", u"ab/", u"b/a/"}) ASSERT_TRUE(cache.Insert(key, Id("X"), 0, Lease));
  cache.RemovePrefix(u"a/");
  TIdType found;
  for (const char16_t* key : {u"a/", u"a/b/", u"a/b/c/"}) EXPECT_FALSE(cache.Find(key, 1, Lease, found)) << WideToUtf8(key);
  for (const char16_t* key : {u"ab/", u"b/a/"}) EXPECT_TRUE(cache.Find(key, 1, Lease, found)) << WideToUtf8(key);
  cache.Clear();
  EXPECT_FALSE(cache.Find(u"ab/", 1, Lease, found));
  EXPECT_EQ(cache.Size(), 8u);
}

TEST(ConfigCache, LookupsByIdGiveTheFirstValidSlotAndRemovalsTheFirstActiveOne) {
  TConfigCache cache(4);
  ASSERT_TRUE(cache.Insert(u"old/", Id("N"), 0, Lease));
  ASSERT_TRUE(cache.Insert(u"new/", Id("N"), Lease / 2, Lease));
  ustring key;
  EXPECT_TRUE(cache.FindById(Id("N"), 10, Lease, key));
  EXPECT_EQ(key, u"old/");
  // The first slot has expired: the second answers, the first is freed.
  EXPECT_TRUE(cache.FindById(Id("N"), Lease + 10, Lease, key));
  EXPECT_EQ(key, u"new/");
  EXPECT_FALSE(cache.Slot(0).Active);
  EXPECT_FALSE(cache.FindById(Id("other"), 10, Lease, key));

  ASSERT_TRUE(cache.Insert(u"again/", Id("N"), Lease + 20, Lease));  // slot 0 again
  cache.RemoveId(Id("N"));
  EXPECT_FALSE(cache.Slot(0).Active);
  EXPECT_TRUE(cache.Slot(1).Active);
  TIdType found;
  EXPECT_TRUE(cache.Find(u"new/", Lease + 30, Lease, found));
}

TEST(ConfigCache, ManyInsertsAtOnceFillWhatIsFreeAndKeepWhatIsCached) {
  TConfigCache cache(3);
  ASSERT_TRUE(cache.Insert(u"a/", Id("A"), 0, Lease));
  const std::vector<std::pair<ustring, TIdType>> entries = {
      {u"a/", Id("other")}, {u"b/", Id("B")}, {u"c/", Id("C")}, {u"d/", Id("D")}};
  EXPECT_EQ(cache.InsertMany(entries, 1, Lease), 2u);
  TIdType found;
  EXPECT_TRUE(cache.Find(u"a/", 2, Lease, found));
  EXPECT_EQ(found, Id("A"));
  EXPECT_TRUE(cache.Find(u"c/", 2, Lease, found));
  EXPECT_FALSE(cache.Find(u"d/", 2, Lease, found));
}

TEST(ConfigCache, AKeyBelowANodesKeyBeginsWithIt) {
  TConfigCache cache(8);
  ASSERT_TRUE(cache.Insert(u"a/", Id("A"), 0, Lease));
  ASSERT_TRUE(cache.Insert(u"xa/b/", Id("X"), 0, Lease));
  ASSERT_TRUE(cache.Insert(u"ab/", Id("AB"), 0, Lease));
  EXPECT_FALSE(cache.HasKeyBelowId(Id("A")));
  EXPECT_FALSE(cache.HasKeyBelowId(Id("none")));
  ASSERT_TRUE(cache.Insert(u"a/c/d/", Id("D"), 0, Lease));
  EXPECT_TRUE(cache.HasKeyBelowId(Id("A")));
  EXPECT_FALSE(cache.HasKeyBelowId(Id("D")));
  // The first slot holding the id decides.
  cache.RemovePrefix(u"a/");
  ASSERT_TRUE(cache.Insert(u"e/", Id("A"), 0, Lease));
  ASSERT_TRUE(cache.Insert(u"e/f/", Id("F"), 0, Lease));
  EXPECT_TRUE(cache.HasKeyBelowId(Id("A")));
}

TEST(ConfigCache, ManyThreadsReadAndChangeItAtOnce) {
  constexpr int Keys = 64;
  TConfigCache cache(Keys / 2);
  auto keyOf = [](int i) { return Utf8ToWide("k" + std::to_string(i) + "/"); };
  std::atomic<bool> go{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      while (!go) std::this_thread::yield();
      for (int n = 0; n < 20000; ++n) {
        const int i = (n * 7 + t) % Keys;
        const std::string id = "ID" + std::to_string(i);
        TIdType found;
        if (cache.Find(keyOf(i), 1, Lease, found) && !(found == TIdType(id))) ++wrong;
        if (n % 5 == t % 5) cache.Insert(keyOf(i), TIdType(id), 1, Lease);
        if (n % 97 == 0) cache.RemovePrefix(keyOf(i));
        ustring key;
        if (cache.FindById(TIdType(id), 1, Lease, key) && key != keyOf(i)) ++wrong;
      }
    });
  }
  go = true;
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
  // The indexes agree with the slots: every active key is found with its id.
  std::vector<TConfigCacheRecord> active;
  cache.ForEachActive([&](size_t, const TConfigCacheRecord& slot) {
    active.push_back(slot);
    return true;
  });
  EXPECT_LE(active.size(), static_cast<size_t>(Keys / 2));
  for (const TConfigCacheRecord& slot : active) {
    TIdType found;
    EXPECT_TRUE(cache.Find(slot.Key, 1, Lease, found)) << WideToUtf8(slot.Key);
    EXPECT_EQ(found, slot.KeyId);
    ustring key;
    EXPECT_TRUE(cache.FindById(slot.KeyId, 1, Lease, key));
    EXPECT_EQ(key, slot.Key);
  }
  for (int i = 0; i < Keys; ++i) {
    TIdType found;
    if (cache.Find(keyOf(i), 1, Lease, found)) {
      EXPECT_EQ(found, TIdType("ID" + std::to_string(i)));
    }
  }
}

}  // namespace
