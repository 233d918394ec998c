// Tests of core/vxStringsAbbrev.h: TvxStrings: the candidate abbreviations
// of a word and the currencies named in a text.
#include "core/vxStringsAbbrev.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/base/vxCodePage.h"

using namespace TvxStrings;

namespace {

std::vector<ustring> Items(const TStrings& list) {
  std::vector<ustring> items;
  for (int32_t i = 0; i < list.Count(); ++i) items.push_back(list[i]);
  return items;
}

std::vector<std::string> Shown(const std::vector<ustring>& items) {
  std::vector<std::string> shown;
  for (const ustring& item : items) shown.push_back(WideToUtf8(item));
  return shown;
}

struct AbbreviationCase {
  const char* Name;
  ustring Content;
  int32_t MinLength;
  bool UsePointAtEnd;
  std::vector<ustring> Expected;
};

std::ostream& operator<<(std::ostream& os, const AbbreviationCase& c) { return os << c.Name; }

class Abbreviations : public testing::TestWithParam<AbbreviationCase> {};

TEST_P(Abbreviations, AppendsTheCandidatesLongestFirst) {
  const AbbreviationCase& c = GetParam();
  TStringList list;
  list.Add(u"earlier");
  EXPECT_EQ(&GetAbbreviationList(c.Content, c.MinLength, c.UsePointAtEnd, list), &list);
  std::vector<ustring> expected{u"earlier"};
  expected.insert(expected.end(), c.Expected.begin(), c.Expected.end());
  EXPECT_EQ(Shown(Items(list)), Shown(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Abbreviations,
    testing::Values(
        AbbreviationCase{"Strasse", u"Strasse", 3, true, {u"Strass.", u"Stras.", u"Strss.", u"Stra.", u"Str."}},
        AbbreviationCase{"WithoutPoint", u"Strasse", 4, false, {u"Strass", u"Stras", u"Strss", u"Stra"}},
        // The skeleton is longer than any part: it comes first.
        AbbreviationCase{"Mr", u"Mr", 1, true, {u"Mr.", u"M."}},
        AbbreviationCase{"SkeletonAboveMinLength", u"Mr", 5, true, {u"Mr."}},
        AbbreviationCase{"Maedchen",
                         u"Mädchen",
                         3,
                         true,
                         {u"Maedch.", u"Mädche.", u"Maedc.", u"Mädch.", u"Mdchn.", u"Maed.", u"Mädc.", u"Mae.",
                          u"Mäd."}},
        // A vowel in front: it leads the skeleton; skeleton and part are both added.
        AbbreviationCase{"VowelFirst", u"Anna", 1, true, {u"Ann.", u"Ann.", u"An.", u"A."}},
        // The folded part equals the skeleton already there.
        AbbreviationCase{"FoldedPartAlreadyThere", u"Sßs", 1, true, {u"Sß.", u"Ss.", u"S."}},
        AbbreviationCase{"AccentTableOddities", u"Þÿð", 1, false, {u"py", u"Þÿ", u"p", u"Þ", u"Þ"}},
        AbbreviationCase{"BlankPartsLeftOut", u" ab", 1, true, {u" a.", u" b."}},
        AbbreviationCase{"MinLengthAboveEveryPart", u"Strasse", 7, true, {}},
        AbbreviationCase{"OneCharacter", u"x", 1, true, {}},
        AbbreviationCase{"Empty", u"", 1, true, {}}),
    [](const testing::TestParamInfo<AbbreviationCase>& info) { return info.param.Name; });

struct CurrencyCase {
  const char* Name;
  ustring Content;
  std::vector<ustring> Expected;
};

std::ostream& operator<<(std::ostream& os, const CurrencyCase& c) { return os << c.Name; }

class Currencies : public testing::TestWithParam<CurrencyCase> {};

TEST_P(Currencies, GivesTheCodesInPatternOrder) {
  const CurrencyCase& c = GetParam();
  TStringList list;
  EXPECT_EQ(&GetAllCurrencies(c.Content, list), &list);
  EXPECT_EQ(Shown(Items(list)), Shown(c.Expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Currencies,
    testing::Values(
        CurrencyCase{"Nothing", u"no amount here", {}}, CurrencyCase{"Empty", u"", {}},
        CurrencyCase{"Euro", u"100 EUR", {u"EUR"}},
        // EURO is found as EUR: the first alternative wins.
        CurrencyCase{"EuroWord", u"100 Euro", {u"EUR"}}, CurrencyCase{"EuroSign", u"€ 5", {u"EUR"}},
        CurrencyCase{"InsideAWord", u"Europa", {u"EUR"}}, CurrencyCase{"Dollar", u"10 dollar", {u"USD"}},
        CurrencyCase{"DollarSign", u"$5 and US$ 7", {u"USD", u"USD"}},
        CurrencyCase{"AmericanDollar", u"20 amerikanische Dollar", {u"AMERIKANISCHE.USD"}},
        CurrencyCase{"AmericanDollarAcrossALineBreak", u"amerikanische\nDollar", {u"AMERIKANISCHE.USD"}},
        CurrencyCase{"Franc", u"CHF 3 oder 4 Franken", {u"CHF", u"CHF"}},
        CurrencyCase{"SwissFranc", u"Schweizer Franken", {u"SCHWEIZER.CHF"}},
        // The lower-case alternatives never match the upper-cased text.
        CurrencyCase{"SFrNotFound", u"5 SFr.", {}},
        CurrencyCase{"Rouble", u"RUB, Rubel, russischer Rubel", {u"RUB", u"RUB", u"RUSSISCHER.RUB"}},
        CurrencyCase{"Yen", u"JPY 1, 2 Yen, japanischer Yen", {u"JPY", u"JPY", u"JAPANISCHER.JPY"}},
        CurrencyCase{"Yuan", u"CNY 1, 2 Yuan, chinesischer Yuan", {u"CNY", u"CNY", u"CNY"}},
        // Pattern order, not text order.
        CurrencyCase{"PatternOrder", u"5 Yen, 6 USD, 7 EUR, 8 EUR", {u"EUR", u"EUR", u"USD", u"JPY"}},
        CurrencyCase{"EveryCurrency",
                     u"1 CNY 2 JPY 3 RUB 4 CHF 5 USD 6 EUR",
                     {u"EUR", u"USD", u"CHF", u"RUB", u"JPY", u"CNY"}}),
    [](const testing::TestParamInfo<CurrencyCase>& info) { return info.param.Name; });

TEST(Currencies, EarlierItemsStayAndAreMappedToo) {
  TStringList list;
  list.Add(u"GBP");
  list.Add(u"Dollar");
  list.Add(u"Pfund Sterling");
  GetAllCurrencies(u"12 Euro", list);
  EXPECT_EQ(Shown(Items(list)), Shown({u"GBP", u"Dollar", u"PfundSterling", u"EUR"}));
  list.Clear();
  list.Add(u"DOLLAR");
  GetAllCurrencies(u"", list);
  EXPECT_EQ(Shown(Items(list)), Shown({u"USD"}));
}

}  // namespace
