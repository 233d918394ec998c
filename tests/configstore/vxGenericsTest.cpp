// Tests of configstore/vxGenerics.h: the dictionary's added look-up and
// rename, and the errors of its ordinary operations.
#include "configstore/vxGenerics.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/values/vxVariant.h"
#include "support/vxRaisedMessage.h"

namespace {

TEST(Dictionary, GetValueGivesTheDefaultForAMissingKey) {
  TvxDictionary<ustring, int> numbers(100);
  numbers.Add(u"one", 1);
  EXPECT_EQ(numbers.GetValue(u"one", -1), 1);
  EXPECT_EQ(numbers.GetValue(u"ONE", -1), -1);  // keys compare exactly
  EXPECT_EQ(numbers.Count(), 1u);
}

TEST(Dictionary, RenameKey) {
  TvxDictionary<ustring, Variant> items;
  items.Add(u"a", Variant(u"x"));
  items.RenameKey(u"a", u"b");
  EXPECT_FALSE(items.ContainsKey(u"a"));
  EXPECT_EQ(items.Item(u"b").VarType(), varUString);

  // A missing key gives the new key an empty value.
  items.RenameKey(u"missing", u"c");
  ASSERT_TRUE(items.ContainsKey(u"c"));
  EXPECT_TRUE(items.Item(u"c").IsEmpty());

  // Renaming to itself keeps the value.
  items.RenameKey(u"b", u"b");
  EXPECT_EQ(items.Item(u"b").VarType(), varUString);
  EXPECT_EQ(items.Count(), 2u);

  // Onto a present key: the duplicate error, and nothing changes.
  EXPECT_EQ(vxTest::RaisedMessage([&] { items.RenameKey(u"b", u"c"); }), "Duplicates not allowed");
  EXPECT_EQ(items.Item(u"b").VarType(), varUString);
  EXPECT_TRUE(items.Item(u"c").IsEmpty());
}

TEST(Dictionary, OrdinaryOperations) {
  TvxDictionary<std::string, std::string> items;
  items.Add("k", "1");
  EXPECT_EQ(vxTest::RaisedMessage([&] { items.Add("k", "2"); }), "Duplicates not allowed");
  items.AddOrSetValue("k", "3");
  std::string value;
  EXPECT_TRUE(items.TryGetValue("k", value));
  EXPECT_EQ(value, "3");
  EXPECT_FALSE(items.TryGetValue("x", value));
  EXPECT_EQ(vxTest::RaisedMessage([&] { items.Item("x"); }), "Item not found");
  const auto pair = items.ExtractPair("k");
  EXPECT_EQ(pair.second, "3");
  EXPECT_EQ(items.Count(), 0u);
  items.Add("a", "");
  items.Add("b", "");
  EXPECT_EQ(items.Keys().size(), 2u);
  items.Remove("a");
  items.Remove("none");
  EXPECT_EQ(items.Keys(), std::vector<std::string>{"b"});
  items.Clear();
  EXPECT_EQ(items.Count(), 0u);
}

}  // namespace
