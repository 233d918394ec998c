// Tests of TvxObjectHashList: lookup ignoring case, ownership, similarity
// lookup and the seven sort comparers.
#include "core/vxSortableStringLists.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/base/vxExceptions.h"
#include "platform/text/vxFormatSettings.h"

namespace {

// An object that tells when it is freed.
class TTracked : public TObject {
 public:
  explicit TTracked(int* Freed) : FFreed(Freed) {}
  ~TTracked() override { ++*FFreed; }

 private:
  int* FFreed;
};

std::vector<ustring> Items(const TStringList& L) {
  std::vector<ustring> r;
  for (int32_t i = 0; i < L.Count(); ++i) r.push_back(L[i]);
  return r;
}

}  // namespace

TEST(TvxObjectHashList, LookupIgnoresCase) {
  TvxObjectHashList list;
  TObject a;
  list.Put(u"de", &a, false);
  EXPECT_EQ(list.Get(u"DE"), &a);
  EXPECT_TRUE(list.Contains(u"De"));
  EXPECT_FALSE(list.Contains(u"en"));
  EXPECT_EQ(list.Get(u"en"), nullptr);
  // The index follows changes of the list made through the base.
  list.Insert(0, u"DE");
  EXPECT_EQ(list.Get(u"de"), nullptr);  // the first entry with the key has no object
  EXPECT_FALSE(list.IsValueNotNil(u"de"));
  list.Delete(0);
  EXPECT_EQ(list.Get(u"de"), &a);
}

TEST(TvxObjectHashList, EqualKeysAndRemove) {
  TvxObjectHashList list;
  TObject a, b;
  list.Put(u"k", &a, false);
  list.Put(u"K", &b, false);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Get(u"k"), &a);
  EXPECT_EQ(list.Remove(u"k"), &a);
  EXPECT_EQ(list.Get(u"k"), &b);
  EXPECT_EQ(list.Remove(u"missing"), nullptr);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.ClearAll(), 1);
  EXPECT_EQ(list.ClearAll(), 0);
}

TEST(TvxObjectHashList, OwnershipFreesReplacedAndRemaining) {
  int freed = 0;
  {
    TvxObjectHashList list;
    list.SetOwnObjects(true);
    list.Put(u"x", std::make_unique<TTracked>(&freed).release(), false);
    list.Put(u"x", std::make_unique<TTracked>(&freed).release(), true);  // replaces and frees the first
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Remove(u"x"), nullptr);  // freed, so none comes back
    EXPECT_EQ(freed, 2);
    list.Put(u"y", std::make_unique<TTracked>(&freed).release(), false);
    list.Put(u"z", nullptr, false);
  }
  EXPECT_EQ(freed, 3);  // the destructor freed the rest

  TTracked kept(&freed);
  TvxObjectHashList list;  // not owning: the object is only dropped
  list.Put(u"x", &kept, false);
  list.Put(u"x", nullptr, true);
  EXPECT_EQ(freed, 3);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_FALSE(list.IsValueNotNil(u"x"));
}

TEST(TvxObjectHashList, GetFirstAboutDistance) {
  TvxObjectHashList list;
  TObject a, b;
  list.Put(u"  hello ", &a, false);
  list.Put(u"HELP", &b, false);
  double max = 100, real = -1;
  EXPECT_EQ(list.GetFirstAboutDistance(u"help", true, true, max, real), &b);
  EXPECT_EQ(real, 100);
  EXPECT_EQ(list.GetFirstAboutDistance(u"help", true, false, max, real), nullptr);
  EXPECT_LT(real, 100);  // the last entry tried
  max = 0;
  EXPECT_EQ(list.GetFirstAboutDistance(u"zzz", false, false, max, real), &a);
  TvxObjectHashList empty;
  real = 42;
  EXPECT_EQ(empty.GetFirstAboutDistance(u"x", false, false, max, real), nullptr);
  EXPECT_EQ(real, 42);
}

TEST(TvxObjectHashList, SortComparers) {
  struct Case {
    TSORT_TYPE type;
    std::vector<ustring> in, out;
  };
  const Case cases[] = {
      {NUMBER, {u"10", u"9", u"100"}, {u"9", u"10", u"100"}},
      {ALPHA_NUM, {u"10", u"9", u"100"}, {u"10", u"100", u"9"}},
      {ALPHA_NUM_DESC, {u"10", u"9", u"100"}, {u"9", u"100", u"10"}},
      {ALPHA_NUM_UPPER, {u"B", u"a"}, {u"a", u"B"}},
      {ALPHA_NUM, {u"a", u"B"}, {u"B", u"a"}},
      {ALPHA_NUM_TRIM, {u"  b", u"a ", u"c"}, {u"a ", u"  b", u"c"}},
      {ALPHA_NUM_TRIM_UPPER_DESC, {u" a", u"C", u"b "}, {u"C", u"b ", u" a"}},
      {DATE, {u"3/1/2020", u"1/15/2020", u"2/1/2019"}, {u"2/1/2019", u"1/15/2020", u"3/1/2020"}},
  };
  const TFormatSettings saved = FormatSettings();
  FormatSettings().ShortDateFormat = u"M/d/yyyy";
  FormatSettings().DateSeparator = u'/';
  FormatSettings().DecimalSeparator = u'.';
  for (const auto& c : cases) {
    TvxObjectHashList list;
    for (const auto& s : c.in) list.Add(s);
    EXPECT_TRUE(list.SortW(c.type));
    EXPECT_EQ(Items(list), c.out) << static_cast<int>(c.type);
  }
  TvxObjectHashList bad;
  bad.Add(u"1/1/2020");
  bad.Add(u"no date");
  EXPECT_THROW(bad.SortW(DATE), Exception);
  EXPECT_FALSE(bad.SortW(static_cast<TSORT_TYPE>(7)));
  FormatSettings() = saved;
}
