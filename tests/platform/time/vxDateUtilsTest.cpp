// Tests of platform/time/vxDateUtils.h: the runtime's date and time routines:
// calendar arithmetic, encoding and decoding of date-times, time stamps.
#include "platform/time/vxDateUtils.h"

#include <gtest/gtest.h>

#include "support/vxScopedEnv.h"

#include <cmath>
#include <ctime>
#include <functional>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "support/vxTimeZoneGuard.h"

using namespace vxRuntime;

namespace {

// Settings independent of the machine's locale.
TFormatSettings GermanSettings() {
  TFormatSettings s;
  s.DecimalSeparator = u',';
  s.DateSeparator = u'.';
  s.TimeSeparator = u':';
  s.ShortDateFormat = u"dd.mm.yyyy";
  s.LongDateFormat = u"dddd, d. mmmm yyyy";
  s.ShortTimeFormat = u"hh:nn";
  s.LongTimeFormat = u"hh:nn:ss";
  s.TimeAMString = u"vorm.";
  s.TimePMString = u"nachm.";
  s.ShortMonthNames = {u"Jan", u"Feb", u"Mär", u"Apr", u"Mai", u"Jun", u"Jul", u"Aug", u"Sep", u"Okt", u"Nov", u"Dez"};
  s.LongMonthNames = {u"Januar", u"Februar", u"März",     u"April",   u"Mai",      u"Juni",
                      u"Juli",   u"August",  u"September", u"Oktober", u"November", u"Dezember"};
  s.ShortDayNames = {u"So", u"Mo", u"Di", u"Mi", u"Do", u"Fr", u"Sa"};
  s.LongDayNames = {u"Sonntag", u"Montag", u"Dienstag", u"Mittwoch", u"Donnerstag", u"Freitag", u"Samstag"};
  s.TwoDigitYearCenturyWindow = 50;
  return s;
}

// The stored form, to compare date-times to the millisecond.
ustring Stored(TDateTime value) {
  TFormatSettings s;
  s.TimeSeparator = u':';
  return FormatDateTime(u"yyyy-mm-dd hh:nn:ss.zzz", value, s);
}

ustring ErrorText(const std::function<void()>& call) {
  try {
    call();
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return u"(no error)";
}

int ThisYear() {
  int y, m, d;
  DecodeDate(Now(), y, m, d);
  return y;
}

}  // namespace

TEST(DateUtils, CalendarRules) {
  struct Case { int year; bool leap; } leaps[] = {{2024, true}, {2023, false}, {1900, false}, {2000, true}, {2100, false}};
  for (const Case& c : leaps) EXPECT_EQ(IsLeapYear(c.year), c.leap) << c.year;
  EXPECT_EQ(DaysInAMonth(2024, 2), 29);
  EXPECT_EQ(DaysInAMonth(2023, 2), 28);
  EXPECT_EQ(DaysInAMonth(2023, 4), 30);
  EXPECT_EQ(DaysInAMonth(2023, 13), 0);
  EXPECT_TRUE(IsValidDate(9999, 12, 31));
  EXPECT_FALSE(IsValidDate(0, 1, 1));
  EXPECT_FALSE(IsValidDate(10000, 1, 1));
  EXPECT_FALSE(IsValidTime(24, 0, 0, 0));
  EXPECT_TRUE(IsValidTime(23, 59, 59, 999));
}

TEST(DateUtils, EncodeAndDecodeDays) {
  struct Case { int y, m, d; double value; } cases[] = {
      {1899, 12, 30, 0},      {1899, 12, 31, 1},         {2024, 1, 1, 45292}, {1900, 3, 1, 61},
      {1, 1, 1, -693593},     {9999, 12, 31, 2958465},   {1970, 1, 1, 25569}, {1899, 12, 29, -1},
      {2000, 2, 29, 36585},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.value) << c.y << "-" << c.m << "-" << c.d;
    int y, m, d;
    DecodeDate(c.value, y, m, d);
    EXPECT_EQ(y, c.y);
    EXPECT_EQ(m, c.m);
    EXPECT_EQ(d, c.d);
  }
}

TEST(DateUtils, TimesBeforeTheBaseDayCountForward) {
  // The whole part says the day, the fraction the time from its midnight.
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
  EXPECT_EQ(Stored(-1.25), u"1899-12-29 06:00:00.000");
  EXPECT_EQ(Stored(-0.25), u"1899-12-30 06:00:00.000");
  EXPECT_EQ(EncodeDateTime(2024, 1, 1, 12, 0, 0, 0), 45292.5);
}

TEST(DateUtils, DecodingRoundsToTheMillisecondFirst) {
  const TDateTime day = EncodeDate(2024, 1, 1);
  // Just below midnight rolls over to the next day, never "24:00".
  EXPECT_EQ(Stored(day + 86399999.6 / MSecsPerDay), u"2024-01-02 00:00:00.000");
  EXPECT_EQ(Stored(day + 86399999.4 / MSecsPerDay), u"2024-01-01 23:59:59.999");
  const ustring half = Stored(day + 86399999.5 / MSecsPerDay);
  EXPECT_TRUE(half == u"2024-01-01 23:59:59.999" || half == u"2024-01-02 00:00:00.000") << WideToUtf8(half);
  int h, n, s, ms;
  DecodeTime(day + 86399999.5 / MSecsPerDay, h, n, s, ms);
  EXPECT_LT(h, 24);
  // A third of a second is 333 ms, not 332.
  DecodeTime(EncodeTime(0, 0, 1, 0) / 3, h, n, s, ms);
  EXPECT_EQ(ms, 333);
}

TEST(DateUtils, EncodingErrors) {
  EXPECT_EQ(ErrorText([] { EncodeDate(2023, 2, 29); }), u"Ungültiges Argument zum Codieren des Datums");
  EXPECT_EQ(ErrorText([] { EncodeTime(24, 0, 0, 0); }), u"Ungültiges Argument zum Codieren der Uhrzeit");
  EXPECT_EQ(ErrorText([] { EncodeDateTime(2024, 13, 1, 0, 0, 0, 0); }),
            u"'2024-13-01 00:00:00.000' ist keine gültige Datums- und Uhrzeitangabe");
  TDateTime v = 7;
  EXPECT_FALSE(TryEncodeDate(2024, 0, 1, v));
  EXPECT_FALSE(TryEncodeTime(1, 60, 0, 0, v));
  EXPECT_EQ(v, 7);
  EXPECT_EQ(ErrorText([] { DateTimeToTimeStamp(NAN); }).find(u"ist keine gültige Datums- und Uhrzeitangabe") !=
                ustring::npos,
            true);
  EXPECT_NE(ErrorText([] { DateTimeToTimeStamp(1e300); }), u"(no error)");
}

TEST(DateUtils, WeekdaysAndIsoWeeks) {
  struct Case { int y, m, d, dayOfWeek, week; } cases[] = {
      {2024, 1, 1, 2, 1},    // Monday
      {1899, 12, 30, 7, 52}, // Saturday
      {2021, 1, 1, 6, 53},   // a Friday still in the last week of 2020
      {2021, 1, 4, 2, 1},    {2019, 12, 30, 2, 1},  // week 1 of 2020 starts in December
      {2024, 12, 30, 2, 1},  {2020, 12, 31, 5, 53}, {2024, 3, 4, 2, 10}, {2023, 1, 1, 1, 52},
  };
  for (const Case& c : cases) {
    const TDateTime v = EncodeDate(c.y, c.m, c.d);
    EXPECT_EQ(DayOfWeek(v), c.dayOfWeek) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_EQ(WeekOfTheYear(v), c.week) << c.y << "-" << c.m << "-" << c.d;
  }
}

TEST(DateUtils, IncMonthCutsTheDayAndKeepsTheTime) {
  struct Case { const char16_t* from; int months; const char16_t* to; } cases[] = {
      {u"2024-01-31 10:30:00.000", 1, u"2024-02-29 10:30:00.000"},
      {u"2023-01-31 00:00:00.000", 1, u"2023-02-28 00:00:00.000"},
      {u"2024-03-31 00:00:00.000", -1, u"2024-02-29 00:00:00.000"},
      {u"2024-12-15 23:59:59.999", 1, u"2025-01-15 23:59:59.999"},
      {u"2024-01-15 00:00:00.000", -13, u"2022-12-15 00:00:00.000"},
      {u"1899-12-29 06:00:00.000", 1, u"1900-01-29 06:00:00.000"},
  };
  for (const Case& c : cases) {
    TDateTime from;
    ASSERT_TRUE(TryISO8601ToDate(ustring(c.from).replace(10, 1, u"T"), from));
    EXPECT_EQ(Stored(IncMonth(from, c.months)), c.to) << WideToUtf8(c.from);
  }
  EXPECT_EQ(ErrorText([] { IncMonth(EncodeDate(9999, 12, 1), 1); }), u"Ungültiges Argument zum Codieren des Datums");
}

TEST(DateUtils, TimeStamps) {
  const TTimeStamp noon = DateTimeToTimeStamp(EncodeDateTime(2024, 1, 1, 12, 0, 0, 0));
  EXPECT_EQ(noon.Date, 738886);
  EXPECT_EQ(noon.Time, 43200000);
  EXPECT_EQ(TimeStampToDateTime(noon), 45292.5);
  const TTimeStamp base = DateTimeToTimeStamp(0);
  EXPECT_EQ(base.Date, DateDelta);
  EXPECT_EQ(base.Time, 0);
  const TTimeStamp before = DateTimeToTimeStamp(-1.25);
  EXPECT_EQ(before.Date, DateDelta - 1);
  EXPECT_EQ(before.Time, 21600000);
  EXPECT_EQ(TimeStampToDateTime(before), -1.25);
  EXPECT_EQ(TimeStampToMSecs(MSecsToTimeStamp(-5)), -5);

  struct Bad { TTimeStamp stamp; const char16_t* message; } bad[] = {
      {{0, 0}, u"'0.0' ist kein gültiger Zeitstempel"},
      {{86400000, 1}, u"'1.86400000' ist kein gültiger Zeitstempel"},
      {{-1, 5}, u"'5.-1' ist kein gültiger Zeitstempel"},
      {{0, -3}, u"'-3.0' ist kein gültiger Zeitstempel"},
  };
  for (const Bad& b : bad) EXPECT_EQ(ErrorText([&] { TimeStampToDateTime(b.stamp); }), b.message);
}

TEST(DateUtils, UnixTimes) {
  struct Case { int64_t unix; const char16_t* text; } cases[] = {
      {0, u"1970-01-01 00:00:00.000"},
      {86400, u"1970-01-02 00:00:00.000"},
      {-1, u"1969-12-31 23:59:59.000"},
      {2147483647, u"2038-01-19 03:14:07.000"},  // the last second of 32-bit time
      {2147483648, u"2038-01-19 03:14:08.000"},
      {-2209161600, u"1899-12-30 00:00:00.000"},
      {-2209226400, u"1899-12-29 06:00:00.000"},
      {253402300799, u"9999-12-31 23:59:59.000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Stored(UnixToDateTime(c.unix)), c.text) << c.unix;
    EXPECT_EQ(DateTimeToUnix(UnixToDateTime(c.unix)), c.unix);
  }
  EXPECT_EQ(DateTimeToUnix(UnixDateDelta + 0.5 / SecsPerDay), 0);  // whole seconds, rounded down
  EXPECT_EQ(DateTimeToUnix(UnixDateDelta - 0.5 / SecsPerDay), -1);
  EXPECT_NE(ErrorText([] { UnixToDateTime(INT64_MAX); }), u"(no error)");
  EXPECT_NE(ErrorText([] { UnixToDateTime(-62135596801); }), u"(no error)");  // before 0001-01-01
}

TEST(DateUtils, TimeZoneBiasFollowsTheZoneRules) {
  struct Case { const char* zone; int y, m, d, h; int bias; } cases[] = {
      {"Europe/Berlin", 2024, 1, 15, 12, -60},   // winter
      {"Europe/Berlin", 2024, 7, 1, 12, -120},   // summer
      {"Europe/Berlin", 2024, 3, 31, 1, -60},    // before the change to summer time
      {"Europe/Berlin", 2024, 3, 31, 4, -120},   // after it
      {"America/New_York", 2024, 1, 15, 12, 300},
      {"America/New_York", 2024, 7, 1, 12, 240},
      {"Asia/Kolkata", 2024, 1, 15, 12, -330},
      {"UTC", 2024, 7, 1, 12, 0},
  };
  for (const Case& c : cases) {
    TTimeZoneGuard zone(c.zone);
    const TDateTime value = EncodeDateTime(c.y, c.m, c.d, c.h, 0, 0, 0);
    EXPECT_EQ(TimeZoneBiasAt(value), c.bias) << c.zone << " " << c.m << "-" << c.d;
    EXPECT_EQ(TimeZoneBiasAtUTC(value + c.bias / 1440.0), c.bias) << c.zone << " " << c.m << "-" << c.d;
  }
}

TEST(DateUtils, LocalClockFollowsTheZone) {
  TTimeZoneGuard zone("Europe/Berlin");
  const int32_t bias = TimeZoneBias();
  EXPECT_TRUE(bias == -60 || bias == -120);
  // The local clock is UTC minus the bias; allow the seconds between the calls.
  const TDateTime utc = UnixToDateTime(time(nullptr));
  const TDateTime local = Now();
  EXPECT_NEAR(local - utc, -bias / 1440.0, 60.0 / SecsPerDay);
  EXPECT_EQ(Date(), std::trunc(Date()));
  EXPECT_GE(Time(), 0);
  EXPECT_LT(Time(), 1);
}

TEST(DateUtils, FormatDateTimePatterns) {
  const TFormatSettings de = GermanSettings();
  const TDateTime v = EncodeDateTime(2024, 3, 5, 14, 30, 7, 123);  // a Tuesday
  struct Case { const char16_t* format; const char16_t* text; } cases[] = {
      {u"yyyymmddhhnnsszzz", u"20240305143007123"},
      {u"dd.mm.yy hh:nn:ss-zzz", u"05.03.24 14:30:07-123"},
      {u"d/m/yyyy", u"5.3.2024"},
      {u"yyyy-mm-dd hh:nn:ss", u"2024-03-05 14:30:07"},
      {u"YYYY-MM-DD HH:NN:SS", u"2024-03-05 14:30:07"},
      {u"hh:mm", u"14:30"},  // m right after h is the minute
      {u"mm/dd", u"03.05"},
      {u"ddd dddd mmm mmmm", u"Di Dienstag Mär März"},
      {u"h:nn am/pm", u"2:30 pm"},
      {u"h:nn AM/PM", u"2:30 PM"},
      {u"h a/p", u"2 p"},
      {u"hh ampm", u"02 nachm."},
      {u"'yyyy' \"mm\" yyyy", u"yyyy mm 2024"},
      {u"yyyy-mm-dd\"T\"hh:nn", u"2024-03-05T14:30"},
      {u"c", u"05.03.2024 14:30:07"},
      {u"", u"05.03.2024 14:30:07"},
      {u"ddddd", u"05.03.2024"},
      {u"dddddd", u"Dienstag, 5. März 2024"},
      {u"t", u"14:30"},
      {u"tt", u"14:30:07"},
      {u"z", u"123"},
      {u"y", u"24"},
      {u"'open", u"open"},
      {u"x#", u"x#"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.format, v, de), c.text) << WideToUtf8(c.format);

  struct Other { TDateTime value; const char16_t* format; const char16_t* text; } others[] = {
      {EncodeDateTime(2005, 1, 9, 0, 15, 0, 7), u"h:nn am/pm z zzz yy", u"12:15 am 7 007 05"},
      {EncodeDateTime(2024, 3, 5, 12, 0, 0, 0), u"h AMPM", u"12 nachm."},
      {EncodeDate(2024, 3, 5), u"c", u"05.03.2024"},  // midnight shows no time
      {EncodeDate(2024, 3, 5), u"dddddd", u"Dienstag, 5. März 2024"},
  };
  for (const Other& c : others) EXPECT_EQ(FormatDateTime(c.format, c.value, de), c.text) << WideToUtf8(c.format);

  // Years of fewer digits are padded; texts longer than the formatter
  // gathers at once (long literals, many fields) come out whole.
  EXPECT_EQ(FormatDateTime(u"yyyy yy d.m.y", EncodeDate(5, 1, 2), de), u"0005 05 2.1.05");
  const ustring literal(100, u'x');
  EXPECT_EQ(FormatDateTime(u"yyyy'" + literal + u"'dd", v, de), u"2024" + literal + u"05");
  ustring manyFormat, manyText;
  for (int i = 0; i < 12; ++i) {
    manyFormat += u"yyyy-mm-dd hh:nn:ss.zzz dddd ";
    manyText += u"2024-03-05 14:30:07.123 Dienstag ";
  }
  EXPECT_EQ(FormatDateTime(manyFormat, v, de), manyText);

  // "/" and ":" stand for the settings' separators.
  TFormatSettings dotted = de;
  dotted.DateSeparator = u'-';
  dotted.TimeSeparator = u'.';
  EXPECT_EQ(FormatDateTime(u"dd/mm/yyyy hh:nn:ss", v, dotted), u"05-03-2024 14.30.07");
  EXPECT_EQ(DateToStr(v, de), u"05.03.2024");
  EXPECT_EQ(TimeToStr(v, de), u"14:30:07");
  EXPECT_EQ(DateTimeToStr(v, de), u"05.03.2024 14:30:07");

  // A format that names itself ends.
  TFormatSettings loop = de;
  loop.ShortDateFormat = u"c";
  EXPECT_EQ(FormatDateTime(u"c", EncodeDate(2024, 3, 5), loop), u"");
}

TEST(DateUtils, ProcessSettingsAreTheDefault) {
  const vxTest::TFormatSettingsGuard german(GermanSettings());
  EXPECT_EQ(FormatDateTime(u"ddddd", EncodeDate(2024, 3, 5)), u"05.03.2024");
  EXPECT_EQ(StrToDate(u"05.03.2024"), EncodeDate(2024, 3, 5));
}

TEST(DateUtils, ReadingDatesBySettings) {
  const int year = ThisYear();
  TFormatSettings dmy = GermanSettings();
  TFormatSettings mdy = dmy;
  mdy.ShortDateFormat = u"M/d/yyyy";
  mdy.DateSeparator = u'/';
  TFormatSettings ymd = dmy;
  ymd.ShortDateFormat = u"yyyy-mm-dd";
  ymd.DateSeparator = u'-';
  TFormatSettings era = ymd;
  era.ShortDateFormat = u"gg yyyy-mm-dd";
  struct Case { const TFormatSettings* settings; const char16_t* text; TDateTime expected; } cases[] = {
      {&dmy, u"31.12.1999", EncodeDate(1999, 12, 31)},
      {&dmy, u" 01 . 02 . 2023 ", EncodeDate(2023, 2, 1)},
      {&dmy, u"1.2.3", EncodeDate(2003, 2, 1)},          // window 50
      {&dmy, u"01.02.023", EncodeDate(23, 2, 1)},         // three digits stand as written
      {&dmy, u"01.02", EncodeDate(year, 2, 1)},           // the current year
      {&dmy, u"29.02.2024", EncodeDate(2024, 2, 29)},
      {&mdy, u"12/31/1999", EncodeDate(1999, 12, 31)},
      {&mdy, u"2/1", EncodeDate(year, 2, 1)},
      {&ymd, u"2023-02-01", EncodeDate(2023, 2, 1)},
      {&ymd, u"23-2-1", EncodeDate(2023, 2, 1)},
      {&era, u"AD 2023-02-01", EncodeDate(2023, 2, 1)},  // a leading era word is skipped
  };
  for (const Case& c : cases) {
    TDateTime v = -1;
    EXPECT_TRUE(TryStrToDate(c.text, v, *c.settings)) << WideToUtf8(c.text);
    EXPECT_EQ(v, c.expected) << WideToUtf8(c.text);
  }
  struct Bad { const TFormatSettings* settings; const char16_t* text; } bad[] = {
      {&dmy, u"31.02.2023"}, {&dmy, u"01.02.2023 10:00"}, {&dmy, u""},          {&dmy, u"1.1.12345"},
      {&dmy, u"01-02-2023"}, {&ymd, u"AD 2023-02-01"},    {&dmy, u"00.01.2023"}, {&dmy, u"01.13.2023"},
      {&dmy, u"01.01.0000"}, {&dmy, u"01.02.2023\t"},   {&dmy, u"01.02."},  // a third separator needs a year
  };
  for (const Bad& b : bad) {
    TDateTime v;
    EXPECT_FALSE(TryStrToDate(b.text, v, *b.settings)) << WideToUtf8(b.text);
  }
  EXPECT_EQ(ErrorText([&] { StrToDate(u"x", dmy); }), u"'x' ist kein gültiges Datum");
}

TEST(DateUtils, TwoDigitYearsFollowTheWindow) {
  const int year = ThisYear();
  TFormatSettings s = GermanSettings();
  for (int window : {0, 50, 70, 99}) {
    s.TwoDigitYearCenturyWindow = window;
    const int base = year - window;
    for (int yy : {0, 1, 49, 50, 99}) {
      int expected = base / 100 * 100 + yy;
      if (window != 0 && expected < base) expected += 100;
      TDateTime v;
      ASSERT_TRUE(TryStrToDate(u"01.01." + Utf8ToWide(std::to_string(yy)), v, s));
      int y, m, d;
      DecodeDate(v, y, m, d);
      EXPECT_EQ(y, expected) << "window " << window << " year " << yy;
      EXPECT_GE(y, window == 0 ? year / 100 * 100 : base);
      EXPECT_LT(y, window == 0 ? year / 100 * 100 + 100 : base + 100);
    }
  }
}

TEST(DateUtils, ReadingTimesBySettings) {
  const TFormatSettings de = GermanSettings();
  TFormatSettings dottedTime = de;
  dottedTime.TimeSeparator = u'.';
  struct Case { const TFormatSettings* settings; const char16_t* text; const char16_t* expected; } cases[] = {
      {&de, u"10:20", u"10:20:00.000"},
      {&de, u"10:20 pm", u"22:20:00.000"},
      {&de, u"PM 10:20", u"22:20:00.000"},
      {&de, u"12:00 AM", u"00:00:00.000"},
      {&de, u"12:00 pm", u"12:00:00.000"},
      {&de, u"9 nachm.", u"21:00:00.000"},
      {&de, u"7", u"07:00:00.000"},
      {&de, u" 10 : 20 : 30 ", u"10:20:30.000"},
      {&de, u"10:20:30,5", u"10:20:30.500"},  // a fraction of a second
      {&de, u"10:20:30,25", u"10:20:30.250"},
      {&de, u"10:20:30,1234", u"10:20:30.123"},
      {&dottedTime, u"10.20.30", u"10:20:30.000"},
  };
  for (const Case& c : cases) {
    TDateTime v = -1;
    EXPECT_TRUE(TryStrToTime(c.text, v, *c.settings)) << WideToUtf8(c.text);
    EXPECT_EQ(FormatDateTime(u"hh:nn:ss.zzz", v, de), c.expected) << WideToUtf8(c.text);
  }
  for (const char16_t* text : {u"13:00 PM", u"0:30 AM", u"24:00", u"10:60", u"10:20:30,", u"10:20x", u"", u"pm"}) {
    TDateTime v;
    EXPECT_FALSE(TryStrToTime(text, v, de)) << WideToUtf8(text);
  }
  EXPECT_EQ(ErrorText([&] { StrToTime(u"25:00", de); }), u"'25:00' ist keine gültige Uhrzeit");
}

TEST(DateUtils, ReadingDateTimesBySettings) {
  const TFormatSettings de = GermanSettings();
  struct Case { const char16_t* text; const char16_t* expected; } cases[] = {
      {u"01.02.2023 10:20:30", u"2023-02-01 10:20:30.000"},
      {u"Stand: 01.02.2023 10:20:30 Uhr", u"2023-02-01 10:20:30.000"},
      {u"01.02.2023 5", u"2023-02-01 00:00:00.000"},  // a last single digit is no time
      {u"01.02.2023 um 10:20", u"2023-02-01 10:20:00.000"},
      {u"01.02.2023 pm 10:20", u"2023-02-01 22:20:00.000"},
      {u"01.02.2023 10:20 pm", u"2023-02-01 22:20:00.000"},
      {u"10:20", u"1899-12-30 10:20:00.000"},
      {u"01.02.1899 12:00", u"1899-02-01 12:00:00.000"},
  };
  for (const Case& c : cases) {
    TDateTime v = -1;
    EXPECT_TRUE(TryStrToDateTime(c.text, v, de)) << WideToUtf8(c.text);
    EXPECT_EQ(Stored(v), c.expected) << WideToUtf8(c.text);
  }
  for (const char16_t* text : {u"01.02.2023 25:00", u"nothing", u"", u"31.02.2023 10:00"}) {
    TDateTime v;
    EXPECT_FALSE(TryStrToDateTime(text, v, de)) << WideToUtf8(text);
  }
  EXPECT_EQ(ErrorText([&] { StrToDateTime(u"x", de); }), u"'x' ist keine gültige Datums- und Uhrzeitangabe");
}

TEST(DateUtils, Iso8601Reading) {
  struct Case { const char16_t* text; const char16_t* utc; } cases[] = {
      {u"2024-01-31T10:00:00+01:00", u"2024-01-31 09:00:00.000"},
      {u"2024-01-31T10:00:00Z", u"2024-01-31 10:00:00.000"},
      {u"2024-01-31T10:00:00", u"2024-01-31 10:00:00.000"},
      {u"2024-01-31T10:00:00.250-02:30", u"2024-01-31 12:30:00.250"},
      {u"2024-01-31T00:30:00+01", u"2024-01-30 23:30:00.000"},
      {u"20240131T100000+0100", u"2024-01-31 09:00:00.000"},
      {u"20240131T1000Z", u"2024-01-31 10:00:00.000"},
      {u"2024-01-31T10:00", u"2024-01-31 10:00:00.000"},
      {u"2024-01-31T10:00:00,5", u"2024-01-31 10:00:00.500"},
      {u"2024-12-31T23:59:59.9999Z", u"2025-01-01 00:00:00.000"},
      {u"2024-01-31", u"2024-01-31 00:00:00.000"},
      {u"1899-12-29T06:00:00Z", u"1899-12-29 06:00:00.000"},
      {u"9999-12-31T23:30:00+01:00", u"9999-12-31 22:30:00.000"},
  };
  for (const Case& c : cases) {
    TDateTime v = -1;
    EXPECT_TRUE(TryISO8601ToDate(c.text, v)) << WideToUtf8(c.text);
    EXPECT_EQ(Stored(v), c.utc) << WideToUtf8(c.text);
  }
  for (const char16_t* text : {u"xyz", u"2024-13-01", u"2024-02-30", u"2024-01-31T25:00", u"2024-01-31T10:00:00+",
                               u"2024-01-31 10:00", u"2024-01-31T10:00:00.", u"2024-0131", u"2024-01-31T10:00:00Zx",
                               u"0001-01-01T00:00:00+01:00", u"9999-12-31T23:30:00-01:00", u""}) {
    TDateTime v;
    EXPECT_FALSE(TryISO8601ToDate(text, v)) << WideToUtf8(text);
  }
  EXPECT_EQ(ErrorText([] { ISO8601ToDate(u"xyz"); }), u"'xyz' ist keine gültige Datums- und Uhrzeitangabe");
}
