// Tests of finding dates in running text, month-name replacement, cleaning
// the found texts into dates and clean texts, and the newest and oldest date.
#include "core/vxStringsDates.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/time/vxDateUtils.h"

using namespace TvxStrings;

namespace {

using Lines = std::vector<ustring>;

void Fill(TStrings& L, const Lines& lines) {
  for (const auto& s : lines) L.Add(s);
}

Lines Items(const TStrings& L) {
  Lines r;
  for (int32_t i = 0; i < L.Count(); ++i) r.push_back(L[i]);
  return r;
}

TDateTime Day(int Year, int Month, int DayOfMonth) { return vxRuntime::EncodeDate(Year, Month, DayOfMonth); }

// Far enough from now on both sides for every run of these tests.
constexpr const char16_t* kPast = u"5.3.2020";
constexpr const char16_t* kFuture = u"5.3.2199";

}  // namespace

TEST(TvxStringsDates, GetAllDatesFindsByCountry) {
  struct Case {
    const char16_t *content, *country;
    bool withoutNames;
    Lines found;
  };
  const Case cases[] = {
      // Matches in text order; the alternation order decides only at a place.
      {u"Am 15. März 2020 und am 1.4.21", u"de", false, {u"15. märz 2020", u"1.4.21"}},
      {u"Am 15. März 2020 und am 1.4.21", u"de", true, {u"15.03.2020", u"1.4.21"}},
      {u"15. märz 2020", u"de", true, {u"15.03.2020"}},
      {u"15.january 2020", u"en", true, {u"15.01.2020"}},
      {u"15-mayo-2020", u"es", true, {u"15-05-2020"}},
      {u"15-Mayo-2020", u" ES ", true, {u"15-05-2020"}},  // id trimmed, case ignored
      {u"1.gennaio.2020", u"it", true, {u"1.01.2020"}},
      {u"3.mars.2021", u"fr", true, {u"3.03.2021"}},
      {u"3.mar.2021", u"fr", true, {u"3.03.2021"}},  // English abbreviation, "mar." with a dot
      {u"5-ene.-2021", u"es", true, {u"5-01-2021"}},
      // "mai." is replaced whole (the longest name standing there).
      {u"1. Mai. 2020", u"de", true, {u"1.05.2020"}},
      {u"24-déc.-2020", u"de", true, {u"24-12-2020"}},
      // French numbers carry no dot, so the dot behind the name is gone.
      {u"24.déc.2020", u"de", true, {u"24.122020"}},
      // "us" puts the year first.
      {u"Stand 2020-03-15", u"us", false, {u"2020-03-15"}},
      {u"15.03.2020", u"us", false, {u"15.03.20"}},  // piece 2 takes it, not piece 1
      // Outside the table the first two patterns both list a numeric date.
      {u"15.03.2020", u"xx", false, {u"15.03.2020", u"15.03.2020"}},
      {u"3-mars-2021", u"", true, {u"3-03-2021"}},
      {u"Ohne Datum 12 34", u"de", true, {}},
      {u"", u"de", true, {}},
  };
  for (const auto& c : cases) {
    TStringList list;
    EXPECT_EQ(Items(GetAllDatesW(c.content, c.country, c.withoutNames, list)), c.found) << &c - cases;
  }
}

TEST(TvxStringsDates, GetAllDatesKeepsMisspelledMonthsAsStored) {
  // The German list holds "febuar", so "februar" is no month name there.
  TStringList list;
  GetAllDatesW(u"1. Februar 2020, 2. Febuar 2020", u"de", true, list);
  EXPECT_EQ(Items(list), (Lines{u"2.02.2020"}));
  list.Clear();
  GetAllDatesW(u"1.february 2020, 2.febuary 2020", u"en", true, list);
  EXPECT_EQ(Items(list), (Lines{u"2.02.2020"}));
}

TEST(TvxStringsDates, GetAllDatesAppendsAndHashedLines) {
  TStringList list;
  list.Add(u"kept");
  GetAllDatesW(u"am 1.4.21", u"de", false, list);
  EXPECT_EQ(Items(list), (Lines{u"kept", u"1.4.21"}));

  THashedStringList hashed;
  GetAllDatesW(u"Am 15. März 2020", u"de", true, hashed);
  GetAllDatesW(u"Am 15. März 2020", u"de", false, hashed);
  EXPECT_EQ(Items(hashed), (Lines{u"15. märz 2020=15.03.2020", u"15. märz 2020=15. märz 2020"}));
}

TEST(TvxStringsDates, CleaningFoundTexts) {
  struct Case {
    const char16_t* found;
    bool kept;  // false: passed over
    TDateTime date;
    const char16_t* clean;
  };
  const Case cases[] = {
      {u"5.3.2020", true, Day(2020, 3, 5), u"2020-03-05"},
      {u"1.4.70", true, Day(2070, 4, 1), u"2070-04-01"},  // the pivot: 70 is still 20xx
      {u"1.4.71", true, Day(1971, 4, 1), u"1971-04-01"},
      {u"1/2/2020", true, Day(2020, 2, 1), u"2020-02-01"},
      {u"3-4-2019", true, Day(2019, 4, 3), u"2019-04-03"},
      {u"15.03.2020", true, Day(2020, 3, 15), u"2020-03-15"},
      // Read in day-month-year order: no valid date, but still a clean text.
      {u"2020-03-15", true, 0, u"2015-03-2020"},
      {u"31.02.2020", true, 0, u"2020-02-31"},
      {u"15. märz 2020", false, 0, nullptr},  // two pieces at "."
      {u"1.2.3.4", false, 0, nullptr},
      {u"20200315", false, 0, nullptr},
      {u"", false, 0, nullptr},
  };
  for (const auto& c : cases) {
    TStringList found, clean;
    found.Add(c.found);
    const TDateTimes dates = GetCleanDates(OLD_AND_FUTURE, found);
    GetCleanDateWideStringList(OLD_AND_FUTURE, found, clean);
    if (c.kept) {
      EXPECT_EQ(dates, TDateTimes{c.date}) << &c - cases;
      EXPECT_EQ(Items(clean), Lines{c.clean}) << &c - cases;
    } else {
      EXPECT_TRUE(dates.empty()) << &c - cases;
      EXPECT_EQ(clean.Count(), 0) << &c - cases;
    }
  }
}

TEST(TvxStringsDates, FutureTypeFilters) {
  TStringList found;
  Fill(found, {kPast, kFuture, u"31.02.2020"});
  const TDateTime past = Day(2020, 3, 5), future = Day(2199, 3, 5);
  // An invalid date is 0, which is not after now.
  EXPECT_EQ(GetCleanDates(NOT_IN_FUTURE, found), (TDateTimes{past, 0}));
  EXPECT_EQ(GetCleanDates(IN_FUTURE, found), (TDateTimes{future}));
  EXPECT_EQ(GetCleanDates(OLD_AND_FUTURE, found), (TDateTimes{past, future, 0}));

  TStringList clean;
  GetCleanDateWideStringList(IN_FUTURE, found, clean);
  EXPECT_EQ(Items(clean), (Lines{u"2199-03-05"}));
}

TEST(TvxStringsDates, CleanListsAreSortedWithoutDuplicates) {
  TStringList found;
  Fill(found, {u"5.3.2021", kPast, kPast, u"1.1.1999"});
  EXPECT_EQ(GetCleanDates(OLD_AND_FUTURE, found).size(), 4u);

  TStringList clean;
  clean.Add(u"2000-01-01");
  clean.Add(u"1990-01-01");
  GetCleanDateWideStringList(OLD_AND_FUTURE, found, clean);
  EXPECT_TRUE(clean.Sorted());
  EXPECT_EQ(Items(clean), (Lines{u"1990-01-01", u"1999-01-01", u"2000-01-01", u"2020-03-05", u"2021-03-05"}));

  // The same list as source and result.
  TStringList same;
  Fill(same, {u"1.1.2001"});
  GetCleanDateWideStringList(OLD_AND_FUTURE, same, same);
  EXPECT_EQ(Items(same), (Lines{u"1.1.2001", u"2001-01-01"}));
}

TEST(TvxStringsDates, YearThatIsNoNumberEndsTheScan) {
  TStringList found;
  Fill(found, {kPast, u"1.2.ab", u"6.3.2020"});
  EXPECT_EQ(GetCleanDates(OLD_AND_FUTURE, found), (TDateTimes{Day(2020, 3, 5)}));
  TStringList clean;
  GetCleanDateWideStringList(OLD_AND_FUTURE, found, clean);
  EXPECT_EQ(Items(clean), (Lines{u"2020-03-05"}));

  THashedStringList hashed, hashedClean;
  Fill(hashed, {u"a=5.3.2020", u"b=1.2.ab", u"c=6.3.2020"});
  GetCleanDateHashedStringList(OLD_AND_FUTURE, hashed, hashedClean);
  EXPECT_EQ(Items(hashedClean), (Lines{u"a=2020-03-05"}));
}

TEST(TvxStringsDates, CleanHashedListReadsValueUnderName) {
  THashedStringList found, clean;
  // The second "x" line is read through its name, so it yields the first
  // line's value; lines without "=" have no value and are passed over.
  Fill(found, {u"x=5.3.2020", u"y=1.4.71", u"x=6.6.2006", u"plain 1.1.2001"});
  GetCleanDateHashedStringList(OLD_AND_FUTURE, found, clean);
  EXPECT_EQ(Items(clean), (Lines{u"x=2020-03-05", u"y=1971-04-01"}));

  THashedStringList fromText, cleanFromText;
  GetAllDatesW(u"Am 15. März 2020 und am 1.4.21", u"de", true, fromText);
  GetCleanDateHashedStringList(NOT_IN_FUTURE, fromText, cleanFromText);
  EXPECT_EQ(Items(cleanFromText), (Lines{u"1.4.21=2021-04-01", u"15. märz 2020=2020-03-15"}));
}

TEST(TvxStringsDates, NewestAndOldestDate) {
  struct Case {
    Lines found;
    TFUTURE_TYPE type;
    TDateTime newest, oldest;
  };
  const TDateTime past = Day(2020, 3, 5), future = Day(2199, 3, 5);
  const Case cases[] = {
      {{kPast, kFuture}, NOT_IN_FUTURE, past, past},
      {{kPast, kFuture}, OLD_AND_FUTURE, future, past},
      {{kPast, kFuture}, IN_FUTURE, future, future},
      {{u"1.1.1999", kPast, u"7.7.2010"}, NOT_IN_FUTURE, past, Day(1999, 1, 1)},
      {{}, NOT_IN_FUTURE, 0, 0},
      {{u"kein datum"}, OLD_AND_FUTURE, 0, 0},
      // Clean texts that are no date ('2021-13-40', '2015-03-2020') sort
      // last or first but are passed over for the next one that is.
      {{kPast, u"40.13.2021"}, NOT_IN_FUTURE, past, past},
      {{kPast, u"2020-03-15"}, NOT_IN_FUTURE, past, past},
      {{u"31.02.2020"}, NOT_IN_FUTURE, 0, 0},
  };
  for (const auto& c : cases) {
    TStringList found;
    Fill(found, c.found);
    EXPECT_EQ(GetNewestDate(c.type, found), c.newest) << &c - cases;
    EXPECT_EQ(GetOldestDate(c.type, found), c.oldest) << &c - cases;
  }
}

TEST(TvxStringsDates, NewestDateOfHashedLists) {
  const TDateTime past = Day(2020, 3, 5), future = Day(2199, 1, 1);
  THashedStringList clean;
  Fill(clean, {u"a=2020-03-05", u"b=2199-01-01", u"c=1999-12-31"});
  EXPECT_EQ(GetNewestDate(NOT_IN_FUTURE, true, clean), past);
  EXPECT_EQ(GetNewestDate(OLD_AND_FUTURE, true, clean), future);
  // A clean list is taken as it is: IN_FUTURE filters nothing there.
  EXPECT_EQ(GetNewestDate(IN_FUTURE, true, clean), future);

  THashedStringList notDates;
  Fill(notDates, {u"a=05.03.2020", u"b=x", u"c"});
  EXPECT_EQ(GetNewestDate(OLD_AND_FUTURE, true, notDates), 0);

  THashedStringList found;
  Fill(found, {u"x=5.3.2020", u"y=1.1.2199", u"z=1.1.1999"});
  EXPECT_EQ(GetNewestDate(NOT_IN_FUTURE, false, found), past);
  EXPECT_EQ(GetNewestDate(OLD_AND_FUTURE, false, found), future);
  EXPECT_EQ(GetNewestDate(IN_FUTURE, false, found), future);
  EXPECT_EQ(found.Count(), 3);  // the caller's list stays as it was

  THashedStringList empty;
  EXPECT_EQ(GetNewestDate(NOT_IN_FUTURE, false, empty), 0);
}
