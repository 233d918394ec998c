// Tests of core/vxDateTimeStamps.h: TvxDateTime: time stamps and their two text
// forms, the compact stamp "yyyymmddhhnnsszzz", ISO texts.
#include "core/vxDateTimeStamps.h"
#include "core/internal/vxDateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "core/vxConstants.h"
#include "platform/base/vxCodePage.h"
#include "platform/time/vxDateUtils.h"
#include "platform/base/vxExceptions.h"
#include "support/vxTimeZoneGuard.h"

using vxRuntime::EncodeDate;
using vxRuntime::EncodeDateTime;
using vxRuntime::EncodeTime;

namespace {

ustring ErrorText(const std::function<void()>& call) {
  try {
    call();
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return u"(no error)";
}

// The process settings with another time separator, to show that stored
// forms keep ":".
class TDottedTimeSeparator {
 public:
  TDottedTimeSeparator() : FSaved(FormatSettings()) { FormatSettings().TimeSeparator = u'.'; }
  ~TDottedTimeSeparator() { FormatSettings() = FSaved; }

 private:
  TFormatSettings FSaved;
};

bool AllDigits(const ustring& s) {
  for (char16_t c : s)
    if (c < u'0' || c > u'9') return false;
  return true;
}

}  // namespace

TEST(DateTimeStamps, BothTextFormsRoundTrip) {
  const TDateTime noon = EncodeDateTime(2024, 1, 1, 12, 0, 0, 0);
  EXPECT_EQ(TvxDateTime::DateTimeToTimeStampStr(noon, true), "#738886#43200000");
  EXPECT_EQ(TvxDateTime::DateTimeToTimeStampStr(noon, false), "000B4646h02932E00h");
  for (const char16_t* text : {u"#738886#43200000", u"000B4646h02932E00h", u"000b4646h02932e00h",
                               u"  000B4646h02932E00h  ", u"000B4646h02932E00hjunk"})
    EXPECT_EQ(TvxDateTime::TimeStampStrToDateTime(text), noon) << WideToUtf8(text);

  // Milliseconds and dates before 1899-12-30 survive.
  for (TDateTime value : {EncodeDateTime(2024, 2, 29, 23, 59, 59, 999), EncodeDateTime(1899, 12, 29, 6, 0, 0, 0),
                          EncodeDateTime(1, 1, 1, 0, 0, 0, 1), 0.0}) {
    for (bool compatible : {true, false}) {
      const std::string text = TvxDateTime::DateTimeToTimeStampStr(value, compatible);
      EXPECT_EQ(TvxDateTime::TimeStampStrToDateTime(AnsiToWide(text)), value) << text;
    }
  }
  EXPECT_EQ(TvxDateTime::TimeStampToStr(TTimeStamp{5, 1}, true), "#1#5");
  EXPECT_EQ(TvxDateTime::TimeStampToStr(TTimeStamp{5, 1}, false), "00000001h00000005h");
}

TEST(DateTimeStamps, ReadingStamps) {
  struct Case { const char16_t* text; bool ok; int32_t date, time; } cases[] = {
      {u"  000B4646h02932E00h  ", true, 738886, 43200000},
      {u"000b4646h02932e00h", true, 738886, 43200000},
      {u"#738886#43200000", true, 738886, 43200000},
      {u"#0#0", true, 0, 0},
      {u"abc", true, 693594, 0},  // no stamp and no date: the stamp of 0
      {u"2024-01-31", true, 693594 + 45322, 0},
      {u"#1#x", true, 693594, 0},
      {u"#x#0#0", true, 693594, 0},  // read again from "0#0", which is the stamp of 0
      {u"", true, 693594, 0},
  };
  for (const Case& c : cases) {
    TTimeStamp stamp{7, 7};
    EXPECT_EQ(TvxDateTime::StrToTimeStamp(c.text, stamp), c.ok) << WideToUtf8(c.text);
    EXPECT_EQ(stamp.Date, c.date) << WideToUtf8(c.text);
    EXPECT_EQ(stamp.Time, c.time) << WideToUtf8(c.text);
  }
  // A nested stamp that is no valid date-time makes the reading fail.
  TTimeStamp stamp{7, 7};
  EXPECT_FALSE(TvxDateTime::StrToTimeStamp(u"#1##0#0", stamp));
  EXPECT_EQ(stamp.Date, 0);
  EXPECT_EQ(stamp.Time, 0);
}

TEST(DateTimeStamps, StampTextsToDateTimes) {
  EXPECT_EQ(TvxDateTime::TimeStampStrToDateTime(u"abc"), 0);
  EXPECT_EQ(TvxDateTime::TimeStampStrToDateTime(u""), 0);
  EXPECT_EQ(TvxDateTime::TimeStampStrToDateTime(u"2024-01-31"), EncodeDate(2024, 1, 31));
  EXPECT_EQ(TvxDateTime::TimeStampStrToDateTime(u"31.01.2024 10:20:30"), EncodeDateTime(2024, 1, 31, 10, 20, 30, 0));
  EXPECT_EQ(ErrorText([] { TvxDateTime::TimeStampStrToDateTime(u"#0#0"); }), u"'0.0' ist kein gültiger Zeitstempel");
  EXPECT_EQ(ErrorText([] { TvxDateTime::TimeStampStrToDateTime(u"#738886#86400000"); }),
            u"'738886.86400000' ist kein gültiger Zeitstempel");
  EXPECT_EQ(ErrorText([] { TvxDateTime::TimeStampStrToDateTime(u"#1##0#0"); }), u"'0.0' ist kein gültiger Zeitstempel");
  // A text full of the stamp characters ends instead of nesting without limit.
  EXPECT_EQ(TvxDateTime::TimeStampStrToDateTime(ustring(50000, u'h')), 0);
  EXPECT_EQ(TvxDateTime::TimeStampStrToDateTime(ustring(50000, u'#')), 0);
}

// Values outside the years 1 to 9999 are no date: the writers raise for them
// and the readers refuse them, so what is written always reads back.
TEST(DateTimeStamps, OnlyTheYearsOneTo9999AreWrittenAndRead) {
  const TDateTime first = EncodeDate(1, 1, 1), last = EncodeDateTime(9999, 12, 31, 23, 59, 59, 0);
  for (TDateTime value : {first, last, EncodeDate(1899, 12, 30) + 0.5}) {
    for (bool compMode : {true, false}) {
      const std::string text = TvxDateTime::DateTimeToTimeStampStr(value, compMode);
      EXPECT_EQ(TvxDateTime::TimeStampStrToDateTime(AnsiToWide(text)), value) << text;
    }
    EXPECT_EQ(TvxDateTime::StrToDateTime_ISO(TvxDateTime::DateTimeToISOStr(value)), value);
  }
  for (TDateTime value : {first - 1, -693594.0, last + 1, 2958466.0, 1e7}) {
    SCOPED_TRACE(value);
    EXPECT_THROW(TvxDateTime::DateTimeToISOStr(value), EConvertError);
    EXPECT_THROW(TvxDateTime::DateTimeToISO8601Str(value), EConvertError);
    EXPECT_THROW(TvxDateTime::DateTimeToTimeStampStr(value, true), EConvertError);
    EXPECT_THROW(TvxDateTime::DateTimeToTimeStampStr(value, false), EConvertError);
  }
  EXPECT_EQ(ErrorText([] { TvxDateTime::TimeStampStrToDateTime(u"#3652060#0"); }),
            u"'3652060.0' ist kein gültiger Zeitstempel");
  EXPECT_EQ(TvxDateTime::TimeStampStrToDateTime(u"#3652059#0"), EncodeDate(9999, 12, 31));
  EXPECT_THROW(TvxDateTime::WeekToDate(53, 9999), EConvertError);
}

TEST(DateTimeStamps, CompactStamps) {
  for (const ustring& stamp : {TvxDateTime::CreateTimeStampStr(), TvxDateTime::CreateGMTTimeStampStr()}) {
    EXPECT_EQ(stamp.size(), 17u);
    EXPECT_TRUE(AllDigits(stamp)) << WideToUtf8(stamp);
  }
}

TEST(DateTimeStamps, IsoWritersAlwaysUseColons) {
  TDottedTimeSeparator dotted;
  const TDateTime v = EncodeDateTime(2024, 3, 5, 14, 30, 7, 123);
  EXPECT_EQ(TvxDateTime::DateTimeToISOStr(v), u"2024-03-05 14:30:07");
  EXPECT_EQ(TvxDateTime::DateTimeToISOStr(EncodeDate(2024, 3, 5)), u"2024-03-05 00:00:00");
  struct Case { TDateTime value; const char16_t* text; } cases[] = {
      {0, u"1899-12-30"},
      {0.5, u"12:00:00"},
      {EncodeDateTime(2024, 1, 1, 12, 0, 0, 0), u"2024-01-01T12:00:00.000Z"},
      {v, u"2024-03-05T14:30:07.123Z"},
      {EncodeDate(2024, 3, 5), u"2024-03-05"},
      {EncodeTime(0, 0, 0, 1), u"00:00:00"},
  };
  for (const Case& c : cases) EXPECT_EQ(TvxDateTime::DateTimeToISO8601Str(c.value), c.text);
}

TEST(DateTimeStamps, Iso8601Reading) {
  struct Case { const char16_t* text; TDateTime expected; } cases[] = {
      {u"12:30:15.250", EncodeTime(12, 30, 15, 250)},
      {u"12:30:15.5", EncodeTime(12, 30, 15, 500)},
      {u"12:30:15", EncodeTime(12, 30, 15, 0)},
      {u"12:30", EncodeTime(12, 30, 0, 0)},
      {u"10:00 pm", EncodeTime(22, 0, 0, 0)},
      {u"2024-01-31T10:00:00+01:00", EncodeDateTime(2024, 1, 31, 9, 0, 0, 0)},
      {u"2024-01-31T10:00:00Z", EncodeDateTime(2024, 1, 31, 10, 0, 0, 0)},
      {u"2024-01-31T10:00:00.250", EncodeDateTime(2024, 1, 31, 10, 0, 0, 250)},
      {u"20240131T100000-0100", EncodeDateTime(2024, 1, 31, 11, 0, 0, 0)},
      {u"2024-01-31 10:00:00", EncodeDateTime(2024, 1, 31, 10, 0, 0, 0)},
      {u"2024-01-31", EncodeDate(2024, 1, 31)},
      {u"24-01-31", EncodeDate(2024, 1, 31)},
      {u"xyz", 0},
      {u"12:30:15.x", 0},
      {u"25:00", 0},
      {u"2024-01-31T25:00:00", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(TvxDateTime::ISO8601ToDateTime(c.text, false), c.expected) << WideToUtf8(c.text);
  EXPECT_EQ(ErrorText([] { TvxDateTime::ISO8601ToDateTime(u"xyz", true); }),
            u"'xyz' ist keine gültige Datums- und Uhrzeitangabe");
  EXPECT_EQ(ErrorText([] { TvxDateTime::ISO8601ToDateTime(u"12:30:15.x", true); }), u"'x' ist kein gültiger Integerwert");
  EXPECT_EQ(ErrorText([] { TvxDateTime::ISO8601ToDateTime(u"2024-01-31T25:00:00", true); }),
            u"'2024-01-31T25:00:00' ist keine gültige Datums- und Uhrzeitangabe");
}

TEST(DateTimeStamps, GmtByTheBiasOfTheGivenDate) {
  TTimeZoneGuard zone("Europe/Berlin");
  struct Case { TDateTime local, gmt; } cases[] = {
      {EncodeDateTime(2024, 1, 15, 12, 0, 0, 0), EncodeDateTime(2024, 1, 15, 11, 0, 0, 0)},  // winter
      {EncodeDateTime(2024, 7, 1, 12, 0, 0, 0), EncodeDateTime(2024, 7, 1, 10, 0, 0, 0)},    // summer
      {EncodeDateTime(2024, 10, 27, 4, 0, 0, 0), EncodeDateTime(2024, 10, 27, 3, 0, 0, 0)},  // after the change back
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(TvxDateTime::LocaleDateTimeToGMT(c.local), c.gmt, 1e-9);
    EXPECT_NEAR(TvxDateTime::GMTToLocaleDateTime(c.gmt), c.local, 1e-9);
  }
  const int32_t bias = GetTimeZoneBias();
  EXPECT_TRUE(bias == -60 || bias == -120);
  EXPECT_NEAR(TvxDateTime::GMTNow() - vxRuntime::Now(), bias / 1440.0, 60.0 / vxRuntime::SecsPerDay);
}

TEST(DateTimeStamps, GmtOutsideTheCalendarTakesTheBiasOfNow) {
  TTimeZoneGuard zone("Europe/Berlin");
  const TDateTime shift = GetTimeZoneBias() / 1440.0;
  for (TDateTime value : {-700000.0, 1e7, -1e12, 1e12}) {
    EXPECT_DOUBLE_EQ(TvxDateTime::LocaleDateTimeToGMT(value), value + shift) << value;
    EXPECT_DOUBLE_EQ(TvxDateTime::GMTToLocaleDateTime(value), value - shift) << value;
  }
  EXPECT_TRUE(std::isnan(TvxDateTime::LocaleDateTimeToGMT(NAN)));
  EXPECT_TRUE(std::isnan(TvxDateTime::GMTToLocaleDateTime(NAN)));
}

TEST(DateTimeStamps, GmtInUtcIsLocalTime) {
  TTimeZoneGuard zone("UTC");
  EXPECT_EQ(GetTimeZoneBias(), 0);
  const TDateTime v = EncodeDateTime(2024, 7, 1, 12, 0, 0, 0);
  EXPECT_EQ(TvxDateTime::LocaleDateTimeToGMT(v), v);
  EXPECT_EQ(TvxDateTime::GMTToLocaleDateTime(v), v);
}

TEST(DateTimeStamps, QuarterOfTheCurrentMonth) {
  int y, m, d;
  vxRuntime::DecodeDate(vxRuntime::Now(), y, m, d);
  const int32_t quarter = TvxDateTime::GetQuarter();
  EXPECT_EQ(quarter, (m - 1) / 3 + 1);
  EXPECT_GE(quarter, 1);
  EXPECT_LE(quarter, 4);
}

TEST(DateTimeStamps, WeekToDate) {
  struct Case { int32_t week, year; TDateTime monday; } cases[] = {
      {1, 2021, EncodeDate(2021, 1, 4)},    // 1 January 2021 is a Friday
      {1, 2020, EncodeDate(2019, 12, 30)},  // week 1 starts in December
      {0, 2020, EncodeDate(2019, 12, 30)},  // no week: the Monday of 1 January's week
      {54, 2024, EncodeDate(2024, 1, 1)},
      {10, 2024, EncodeDate(2024, 3, 4)},
      {52, 2024, EncodeDate(2024, 12, 23)},
      {53, 2020, EncodeDate(2020, 12, 28)},
      {53, 2022, EncodeDate(2026, 12, 28)},  // 2022 has no week 53: the next one
      {1, 2023, EncodeDate(2023, 1, 2)},
      // 1 January on a Friday to Sunday: the Monday before it ends the
      // previous year and is no week of this one.
      {52, 2011, EncodeDate(2011, 12, 26)},
      {52, 2022, EncodeDate(2022, 12, 26)},
      {53, 2021, EncodeDate(2026, 12, 28)},
      {1, 2022, EncodeDate(2022, 1, 3)},
      {0, 2021, EncodeDate(2020, 12, 28)},
  };
  for (const Case& c : cases) EXPECT_EQ(TvxDateTime::WeekToDate(c.week, c.year), c.monday) << c.week << "/" << c.year;
}

TEST(DateTimeStamps, UnixTimes) {
  EXPECT_EQ(TvxDateTime::UnixTimeToDateTime(0), EncodeDate(1970, 1, 1));
  EXPECT_EQ(TvxDateTime::UnixTimeToDateTime(86400), EncodeDate(1970, 1, 2));
  EXPECT_EQ(TvxDateTime::UnixTimeToDateTime(2147483647), vxRuntime::UnixToDateTime(2147483647));
  // Up to 999,999,999,999 seconds, above that milliseconds.
  EXPECT_NEAR(TvxDateTime::UnixTimeToDateTime(999999999999), 999999999999 / 86400.0 + 25569, 1e-6);
  EXPECT_NEAR(TvxDateTime::UnixTimeToDateTime(1000000000000), EncodeDateTime(2001, 9, 9, 1, 46, 40, 0), 1e-9);
}

TEST(DateTimeStamps, DurationsInWords) {
  struct Case { uint32_t seconds; const char* text; } cases[] = {
      {0, ""},
      {1, "1 second"},
      {59, "59 seconds"},
      {61, "1 minute and 1 second"},
      {120, "2 minutes"},
      {3661, "1 hour, 1 minute and 1 second"},
      {7200, "2 hours"},
      {86401, "1 day and 1 second"},
      {90061, "1 day, 1 hour, 1 minute and 1 second"},
      {172800, "2 days"},
      {4294967295u, "49710 days, 6 hours, 28 minutes and 15 seconds"},
  };
  for (const Case& c : cases) EXPECT_EQ(TvxDateTime::SecToLangTime(c.seconds), c.text) << c.seconds;
}

TEST(DateTimeStamps, DurationsAsClockText) {
  struct Case { int32_t seconds; const char* text; } cases[] = {
      {0, "00:00:00"},          {3725, "01:02:05"},          {86399, "23:59:59"},
      {86400, "1 day 00:00:00"}, {200000, "2 days 07:33:20"}, {-65, "00:-1:-5"},
      {2147483647, "24855 days 03:14:07"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TvxDateTime::SecToTimeExt(c.seconds), c.text) << c.seconds;
    EXPECT_EQ(vxInternal::TvxDateTime::SecToTimeExt(c.seconds), c.text) << c.seconds;
  }
}

TEST(DateTimeStamps, WeekdayNames) {
  struct Case { const char* name; int32_t day; } cases[] = {
      {"montag", 2}, {"Mondays", 0}, {"lundi", 0}, {"S", 1}, {"M", 2},  {"D", 3}, {"T", 3},
      {"MI", 4},     {"DO", 5},      {"F", 6},     {"SA", 7}, {"", 0},  {"sonntag", 1}, {"W", 4},
      {"Sat", 7},    {"Dienstag", 3},
  };
  for (const Case& c : cases) EXPECT_EQ(TvxDateTime::GetDayNumberFromStr(c.name), c.day) << c.name;

  const int today = vxRuntime::DayOfWeek(vxRuntime::Now());
  EXPECT_TRUE(TvxDateTime::StrIsToday(WideToAnsi(DayNameTable[today - 1][0])));
  EXPECT_TRUE(TvxDateTime::StrIsToday(WideToAnsi(DayNameTable[today - 1][1])));
  EXPECT_FALSE(TvxDateTime::StrIsToday(WideToAnsi(DayNameTable[today % 7][0])));
  EXPECT_FALSE(TvxDateTime::StrIsToday(""));
}
