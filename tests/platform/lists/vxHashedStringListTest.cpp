// The hashed string list's lookup against a plain model of the list: after
// every kind of change, lookups between changes or none, the lowest index
// of an item equal ignoring case (or exactly, when case-sensitive).
#include "platform/lists/vxHashedStringList.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/text/vxCaseMap.h"

namespace {

int32_t ModelIndexOf(const std::vector<ustring>& items, const ustring& s, bool caseSensitive) {
  const ustring key = caseSensitive ? s : vxCaseMap::Upper(s);
  for (size_t i = 0; i < items.size(); ++i)
    if ((caseSensitive ? items[i] : vxCaseMap::Upper(items[i])) == key) return static_cast<int32_t>(i);
  return -1;
}

std::vector<ustring> Items(const THashedStringList& list) {
  std::vector<ustring> items;
  for (int32_t i = 0; i < list.Count(); ++i) items.push_back(list[i]);
  return items;
}

}  // namespace

TEST(HashedStringList, LookupsFollowEveryKindOfChange) {
  // Few distinct keys, so equal keys and keys equal ignoring case are common.
  const ustring keys[] = {u"a", u"A", u"b", u"Straße", u"STRAßE", u"ä", u"Ä", u"x", u"y", u"z"};
  std::mt19937 random(11);
  const auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
  for (int run = 0; run < 20; ++run) {
    THashedStringList list;
    std::vector<ustring> model;
    for (int step = 0; step < 400; ++step) {
      const ustring key = keys[pick(std::size(keys))];
      const int32_t count = list.Count();
      switch (pick(9)) {
        case 0: case 1: case 2:
          list.Add(key);
          model.push_back(key);
          break;
        case 3:
          list.Insert(count, key);  // an insert at the end is an append
          model.push_back(key);
          break;
        case 4: {
          const int32_t at = static_cast<int32_t>(pick(static_cast<size_t>(count) + 1));
          list.Insert(at, key);
          model.insert(model.begin() + at, key);
          break;
        }
        case 5:
          if (count > 0) {
            const int32_t at = static_cast<int32_t>(pick(static_cast<size_t>(count)));
            list.Delete(at);
            model.erase(model.begin() + at);
          }
          break;
        case 6:
          if (count > 0) {
            const int32_t at = static_cast<int32_t>(pick(static_cast<size_t>(count)));
            list.Put(at, key);
            model[static_cast<size_t>(at)] = key;
          }
          break;
        case 7:
          if (count > 1) {
            const int32_t i = static_cast<int32_t>(pick(static_cast<size_t>(count)));
            const int32_t j = static_cast<int32_t>(pick(static_cast<size_t>(count)));
            list.Exchange(i, j);
            std::swap(model[static_cast<size_t>(i)], model[static_cast<size_t>(j)]);
          }
          break;
        case 8:
          if (pick(10) == 0) list.SetCaseSensitive(!list.CaseSensitive());
          break;
      }
      // Lookups only now and then, so several changes pile up between them.
      if (pick(3) == 0) {
        const ustring probe = keys[pick(std::size(keys))];
        ASSERT_EQ(list.IndexOf(probe), ModelIndexOf(model, probe, list.CaseSensitive()))
            << "run " << run << " step " << step;
      }
    }
    ASSERT_EQ(Items(list), model);
  }
}

TEST(HashedStringList, ClearAndAssignDropTheIndex) {
  THashedStringList list;
  list.Add(u"one");
  list.Add(u"two");
  EXPECT_EQ(list.IndexOf(u"TWO"), 1);
  list.Clear();
  EXPECT_EQ(list.IndexOf(u"two"), -1);
  list.Add(u"two");
  EXPECT_EQ(list.IndexOf(u"two"), 0);
  THashedStringList other;
  other.Add(u"zero");
  other.Add(u"two");
  list.Assign(other);
  EXPECT_EQ(list.IndexOf(u"two"), 1);
  list.SetText(u"a\r\nb\r\nA\r\n");
  EXPECT_EQ(list.IndexOf(u"a"), 0);
  EXPECT_EQ(list.IndexOf(u"B"), 1);
}
