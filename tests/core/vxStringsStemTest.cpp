// Tests of stop-word removal, fragments, stemming and the stop-word cache.
#include "core/vxStringsStem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/stemmer/vxStemmer.h"
#include "support/vxTestTempDir.h"

using namespace TvxStrings;

namespace {

using Lines = std::vector<ustring>;

Lines Items(const TStrings& L) {
  Lines r;
  for (int32_t i = 0; i < L.Count(); ++i) r.push_back(L[i]);
  return r;
}

ustring Stem(const char* Algorithm, const ustring& Word) { return TStemmer(Algorithm).Stem(Word); }

// Removes the languages a test put into the process-wide cache.
struct TCacheGuard {
  std::vector<ustring> Languages;
  ~TCacheGuard() {
    for (const auto& l : Languages) TvxStopwordCache::GetInstance().RemoveListForLanguage(l);
  }
};

}  // namespace

TEST(TvxStringsStem, DeleteStopWordsFromFile) {
  TTestTempDir dir;
  // UTF-16 LE with a byte-order mark: "der", CR LF, "The", CR LF.
  std::string bytes = "\xFF\xFE";
  for (char c : std::string("der\r\nThe\r\n")) bytes += std::string{c, '\0'};
  TTestTempDir::WriteBytes(dir.File("stop.txt"), bytes);
  const ustring file = dir.WideFile("stop.txt");
  struct Case {
    const char16_t *in, *out;
  };
  const Case cases[] = {
      {u"the cat", u"the cat"},       {u" the cat", u" cat"},   {u" der der x", u" der x"},
      {u"x, the, y", u"x, the, y"},   {u"a THE b der c", u"a b c"},
  };
  for (const auto& c : cases) EXPECT_EQ(DeleteStopWords(c.in, file), c.out) << &c - cases;
  EXPECT_ANY_THROW(DeleteStopWords(u"x", dir.WideFile("missing.txt")));
}

TEST(TvxStringsStem, DeleteStopWordsFromText) {
  struct Case {
    const char16_t *content, *list;
    bool trim, ignoreCase;
    const char16_t* out;
  };
  const Case cases[] = {
      {u" Der Hund", u"der", false, false, u" Hund"},
      {u"Ein HUND bellt", u"xyz", false, true, u"ein hund bellt"},
      {u"  a der b  ", u"der", true, false, u"a b"},
      {u"a  b   c", u"\r\nx", false, false, u"a b  c"},  // the empty entry is a pair of blanks
  };
  for (const auto& c : cases)
    EXPECT_EQ(DeleteStopWords(c.content, u"", c.list, c.trim, c.ignoreCase, false), c.out) << &c - cases;
}

TEST(TvxStringsStem, GetEachFragmentAppends) {
  TStringList list;
  list.Add(u"earlier");
  GetEachFragment(u"It's  A test", true, u"', ", list);
  EXPECT_EQ(Items(list), (Lines{u"earlier", u"it", u"s", u"a", u"test"}));
  GetEachFragment(u"", true, u"", list);
  EXPECT_EQ(list.Count(), 5);
}

TEST(TvxStringsStem, StemStringWFragments) {
  struct Case {
    const char16_t *content, *language;
    bool removeNumerical;
    int32_t minSize;
    Lines out;
  };
  const Case cases[] = {
      {u"Mädchen", u"xx", false, 0, {u"maedchen"}},
      {u"Mädchen", u"de", false, 0, {Stem("german", u"maedchen")}},
      {u"abc123def", u"xx", true, 0, {u"abc", u"def"}},
      {u"abc123def", u"xx", false, 0, {u"abc123def"}},
      {u"a bb running", u"en", false, 3, {u"run"}},
      {u"a bb running", u"xx", false, 3, {u"a", u"bb", u"running"}},
      {u"Кошка", u"ru", false, 0, {}},
      {u"cantando", u"SP ", false, 0, {Stem("spanish", u"cantando")}},
      {u"flickorna", u"sw", false, 0, {Stem("swedish", u"flickorna")}},
      {u"flickorna", u"sv", false, 0, {u"flickorna"}},  // "sv" is the cache's code only
      {u"cats cats", u"po", false, 0, {u"cat", u"cat"}},
  };
  for (const auto& c : cases) {
    TStringList list;
    StemStringW(c.content, u"", c.language, true, c.removeNumerical, c.minSize, list, false);
    EXPECT_EQ(Items(list), c.out) << &c - cases;
  }
}

TEST(TvxStringsStem, StemStringWStopListFile) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("stopList_en.txt"), "the\r\n");
  TStringList list;
  StemStringW(u"see the cats", dir.WideFile(""), u"en", true, false, 0, list, true);
  EXPECT_EQ(Items(list), (Lines{u"see", u"cat"}));
  list.Clear();
  StemStringW(u"see the cats", dir.WideFile("") + u"nowhere", u"en", true, false, 0, list, true);
  EXPECT_EQ(Items(list), (Lines{u"see", u"the", u"cat"}));
}

TEST(TvxStringsStem, StemSingleWord) {
  EXPECT_EQ(StemStringW(u"hello world", u"xx", true, false, 0), u"hello\r\nworld");
  EXPECT_EQ(StemStringW(u"Running", u"en", true, false, 3), u"run");
  EXPECT_EQ(StemStringW(u"hi", u"en", true, false, 5), u"");
  EXPECT_EQ(StemStringW(u"hi", u"xx", true, false, 5), u"hi");
  EXPECT_EQ(StemStringW(u"a1b", u"xx", true, true, 0), u"a\r\nb");
}

TEST(TvxStringsStem, Cache) {
  TCacheGuard guard{{u"de", u"xx-test"}};
  auto& cache = TvxStopwordCache::GetInstance();
  EXPECT_EQ(&cache, &TvxStopwordCache::GetInstance());
  EXPECT_TRUE(cache.SetListForLanguage(u"der\r\ndie", u"DE"));
  EXPECT_TRUE(cache.IsInCache(u"de"));
  EXPECT_FALSE(cache.SetListForLanguage(u"das", u"de"));
  ASSERT_NE(cache.GetListForLanguage(u"de"), nullptr);
  EXPECT_EQ(Items(*cache.GetListForLanguage(u"de")), (Lines{u"der", u"die"}));
  EXPECT_FALSE(cache.SetListForLanguage(u"  \r\n\t", u"xx-test"));
  EXPECT_FALSE(cache.IsInCache(u"xx-test"));

  EXPECT_EQ(DeleteStopWords(u"x der Hund", u"de", u"", false, true, true), u"x hund");
  // A language without a cached list removes nothing.
  EXPECT_EQ(DeleteStopWords(u"x der Hund", u"xx-test", u"", false, false, true), u"x der Hund");

  TStringList list;
  StemStringUseCacheW(u"die Hunde und der Mädchen", u"de", true, false, 0, list, true);
  // 'die' opens the trimmed text, so no blank stands in front of it.
  EXPECT_EQ(Items(list), (Lines{Stem("german", u"die"), Stem("german", u"hunde"), u"und", Stem("german", u"maedchen")}));

  EXPECT_TRUE(cache.RemoveListForLanguage(u"De"));
  EXPECT_FALSE(cache.IsInCache(u"de"));
  EXPECT_EQ(cache.GetListForLanguage(u"de"), nullptr);
  EXPECT_TRUE(cache.RemoveListForLanguage(u"de"));
  EXPECT_TRUE(cache.SetListForLanguage(u"das", u"de"));  // set again after removal
}

TEST(TvxStringsStem, CacheCodesDiffer) {
  TStringList list;
  StemStringUseCacheW(u"cantando", u"es", true, false, 0, list, false);
  StemStringUseCacheW(u"cantando", u"sp", true, false, 0, list, false);
  EXPECT_EQ(Items(list), (Lines{Stem("spanish", u"cantando"), u"cantando"}));
}
