// Tests of core/vxDateTimeParse.h: TvxDateTime: reading dates, times and date-
// times by lists of formats, and the fixed layouts.
#include "core/vxDateTimeParse.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/base/vxCodePage.h"
#include "platform/time/vxDateUtils.h"
#include "platform/base/vxExceptions.h"

using vxRuntime::EncodeDate;
using vxRuntime::EncodeDateTime;
using vxRuntime::EncodeTime;
using Formats = std::vector<ustring>;

namespace {

int ThisYear() {
  int y, m, d;
  vxRuntime::DecodeDate(vxRuntime::Now(), y, m, d);
  return y;
}

std::string Label(const ustring& s) { return WideToUtf8(s); }

ustring ErrorText(const std::function<void()>& call) {
  try {
    call();
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return u"(no error)";
}

}  // namespace

TEST(DateTimeParse, DatesByFormatLists) {
  struct Case { const char16_t* text; Formats formats; TDateTime fallback; TDateTime expected; } cases[] = {
      {u"31.12.1999", {u"dd.mm.yyyy"}, 0, EncodeDate(1999, 12, 31)},
      {u"1999-12-31", {u"dd.mm.yyyy"}, 0, 0},  // "." does not occur in the text
      {u"1999-12-31", {u"dd.mm.yyyy", u"yyyy-mm-dd"}, 0, EncodeDate(1999, 12, 31)},
      {u" 01.02.03 ", {u"dd.mm.yyyy"}, 0, EncodeDate(2003, 2, 1)},
      {u"01.02", {u"dd.mm.yyyy"}, 0, EncodeDate(ThisYear(), 2, 1)},
      {u"01 . 02 . 2023", {u"dd.mm.yyyy"}, 0, EncodeDate(2023, 2, 1)},
      {u"01.02.2023 10:00", {u"dd.mm.yyyy"}, 0, 0},  // the text does not end after the date
      {u"01 02 2023", {u"dd mm yyyy"}, 5, 5},          // a blank separator never reads
      {u"31.02.2023", {u"dd.mm.yyyy"}, 7, 7},
      {u"12/31/1999", {u"mm/dd/yyyy"}, 0, EncodeDate(1999, 12, 31)},
      {u"2/1", {u"m/d/yyyy"}, 0, EncodeDate(ThisYear(), 2, 1)},
      {u"1999/12/31", {u"DD.MM.YYYY", u"YYYY/MM/DD"}, 0, EncodeDate(1999, 12, 31)},
      {u"31-12-1999", {u"yyyymmdd", u"dd-mm-yyyy"}, 0, EncodeDate(1999, 12, 31)},
      {u"99.12.31", {u"yyyymmdd"}, 0, EncodeDate(1999, 12, 31)},  // "." when the format has no separator
      {u"31.12.1999", {u"yyyymmdd"}, 0, 0},                       // and the order is year-month-day
      {u"", {u"dd.mm.yyyy"}, 3, 3},
      {u"31.12.1999", {}, 4, 4},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TvxDateTime::StrToDateExt(c.text, c.formats, c.fallback), c.expected) << Label(c.text);
  EXPECT_EQ(TvxDateTime::StrToDateExt(u"31.12.1999", std::vector<std::string>{"yyyy-mm-dd", "dd.mm.yyyy"}, 0),
            EncodeDate(1999, 12, 31));
}

TEST(DateTimeParse, CenturyWindowOf70) {
  const int base = ThisYear() - 70;
  for (int yy : {0, 1, 53, 54, 55, 99}) {
    int expected = base / 100 * 100 + yy;
    if (expected < base) expected += 100;
    ustring text = u"01.01.";
    text += static_cast<char16_t>(u'0' + yy / 10);
    text += static_cast<char16_t>(u'0' + yy % 10);
    EXPECT_EQ(TvxDateTime::StrToDateExt(text, Formats{u"dd.mm.yyyy"}, 0), EncodeDate(expected, 1, 1)) << yy;
  }
  // Three and four digits stand as written.
  EXPECT_EQ(TvxDateTime::StrToDateExt(u"01.01.023", Formats{u"dd.mm.yyyy"}, 0), EncodeDate(23, 1, 1));
  EXPECT_EQ(TvxDateTime::StrToDateExt(u"01.01.0054", Formats{u"dd.mm.yyyy"}, 0), EncodeDate(54, 1, 1));
}

TEST(DateTimeParse, TimesByFormatLists) {
  struct Case { const char16_t* text; Formats formats; TDateTime expected; } cases[] = {
      {u"10:20 pm", {u"hh:nn"}, EncodeTime(22, 20, 0, 0)},
      {u"AM 10:20", {u"hh:nn"}, EncodeTime(10, 20, 0, 0)},
      {u"13:00 PM", {u"hh:nn"}, 0},
      {u"24:00", {u"hh:nn"}, 0},
      {u"7", {u"hh:nn"}, 0},  // ":" does not occur in the text
      {u"10.20", {u"hh:nn", u"hh.nn"}, EncodeTime(10, 20, 0, 0)},
      {u" 10:20:30 ", {u"hh:nn:ss"}, EncodeTime(10, 20, 30, 0)},
      {u"10:20:30.5", {u"hh:nn:ss"}, 0},  // no fraction without z in the format
      {u"10:20:30.250", {u"hh:nn:ss.zzz"}, EncodeTime(10, 20, 30, 250)},
      {u"10:20:30,5", {u"hh:nn:ss,zzz"}, EncodeTime(10, 20, 30, 500)},
      {u"10 vorm.", {u"hh:nn"}, 0},  // only the fixed words AM and PM
      {u"", {u"hh:nn"}, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TvxDateTime::StrToTimeExt(c.text, c.formats, 0), c.expected) << Label(c.text);
}

TEST(DateTimeParse, DateTimesByFormatLists) {
  struct Case { const char16_t* text; Formats dates, times; TDateTime expected; } cases[] = {
      {u"Stand: 01.02.2023 10:20:30 Uhr", {u"dd.mm.yyyy"}, {u"hh:nn:ss"}, EncodeDateTime(2023, 2, 1, 10, 20, 30, 0)},
      {u"01.02.2023 5", {u"dd.mm.yyyy"}, {u"hh:nn:ss"}, EncodeDate(2023, 2, 1)},
      {u"10:20", {u"dd.mm.yyyy"}, {u"hh:nn"}, EncodeTime(10, 20, 0, 0)},
      {u"2024-01-31 10:00:00", {u"yyyy-mm-dd"}, {u"hh:nn:ss"}, EncodeDateTime(2024, 1, 31, 10, 0, 0, 0)},
      {u"01.02.2023 10:20", {u"yyyy-mm-dd", u"dd.mm.yyyy"}, {u"hh:nn"}, EncodeDateTime(2023, 2, 1, 10, 20, 0, 0)},
      // The first pair that reads wins, though it reads the hour alone.
      {u"01.02.2023 10.20", {u"dd.mm.yyyy"}, {u"hh:nn", u"hh.nn"}, EncodeDateTime(2023, 2, 1, 10, 0, 0, 0)},
      {u"01.02.2023 PM 3:00", {u"dd.mm.yyyy"}, {u"hh:nn"}, EncodeDateTime(2023, 2, 1, 15, 0, 0, 0)},
      {u"01.02.2023 10:20:30.250", {u"dd.mm.yyyy"}, {u"hh:nn:ss.zzz"}, EncodeDateTime(2023, 2, 1, 10, 20, 30, 250)},
      {u"01.02.1899 12:00", {u"dd.mm.yyyy"}, {u"hh:nn"}, EncodeDateTime(1899, 2, 1, 12, 0, 0, 0)},
      {u"20240131", {u"dd.mm.yyyy"}, {u"hh:nn"}, 9},  // neither separator occurs
      {u"01.02.2023 25:00", {u"dd.mm.yyyy"}, {u"hh:nn"}, 9},
      {u"", {u"dd.mm.yyyy"}, {u"hh:nn"}, 9},
      {u"01.02.2023", {}, {u"hh:nn"}, 9},
      {u"01.02.2023", {u"dd.mm.yyyy"}, {}, 9},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TvxDateTime::StrToDateTimeExt(c.text, c.dates, c.times, 9), c.expected) << Label(c.text);
  EXPECT_EQ(TvxDateTime::StrToDateTimeExt(u"01.02.2023 10:20", std::vector<std::string>{"dd.mm.yyyy"},
                                          std::vector<std::string>{"hh:nn"}, 0),
            EncodeDateTime(2023, 2, 1, 10, 20, 0, 0));
}

TEST(DateTimeParse, ProcessSettingsForStrToDate) {
  const TFormatSettings saved = FormatSettings();
  FormatSettings().ShortDateFormat = u"dd.mm.yyyy";
  FormatSettings().DateSeparator = u'.';
  EXPECT_EQ(TvxDateTime::StrToDate(u"05.03.2024", 0), EncodeDate(2024, 3, 5));
  EXPECT_EQ(TvxDateTime::StrToDate(u" 05.03.2024", 0), EncodeDate(2024, 3, 5));
  EXPECT_EQ(TvxDateTime::StrToDate(u"x", 8), 8);
  FormatSettings().ShortDateFormat = u"m/d/yyyy";
  FormatSettings().DateSeparator = u'/';
  EXPECT_EQ(TvxDateTime::StrToDate(u"3/5/2024", 0), EncodeDate(2024, 3, 5));
  EXPECT_EQ(TvxDateTime::StrToDate(u"05.03.2024", 8), 8);
  FormatSettings() = saved;
}

TEST(DateTimeParse, IsoTexts) {
  EXPECT_EQ(TvxDateTime::StrToDate_ISO(u"2024-02-29"), EncodeDate(2024, 2, 29));
  EXPECT_EQ(TvxDateTime::StrToDate_ISO(u"2023-02-29"), 0);
  EXPECT_EQ(TvxDateTime::StrToDate_ISO(u"29.02.2024"), 0);
  EXPECT_EQ(TvxDateTime::StrToDateTime_ISO(u"2024-01-31 10:20:30"), EncodeDateTime(2024, 1, 31, 10, 20, 30, 0));
  EXPECT_EQ(TvxDateTime::StrToDateTime_ISO(u"2024-01-31"), EncodeDate(2024, 1, 31));
  EXPECT_EQ(TvxDateTime::StrToDateTime_ISO(u"junk"), 0);
}

// The stored form is read in place; it must give what the general reader
// with the same formats gives, valid or not, and leave every other text to it.
TEST(DateTimeParse, IsoInPlaceAgreesWithTheGeneralReader) {
  for (const ustring text : {u"2024-01-31 10:20:30", u"1900-01-01 00:00:00", u"9999-12-31 23:59:59", u"2024-02-29",
                             u"2023-02-29", u"2024-13-01 00:00:00", u"2024-01-31 24:00:00", u"2024-01-31 10:60:00",
                             u"2024-01-31 10:20:61", u"1899-12-29 12:00:00", u"1800-06-15", u"0000-01-01",
                             u"2024-01-31T10:20:30", u"2024-01-3a 10:20:30", u"2024/01/31 10:20:30",
                             u" 2024-01-31 10:20:30", u"2024-1-31 1:2:3", u"2024-01-31 10:20", u"junk", u""}) {
    SCOPED_TRACE(WideToUtf8(text));
    EXPECT_EQ(TvxDateTime::StrToDateTime_ISO(text),
              TvxDateTime::StrToDateTimeExt(text, Formats{u"yyyy-mm-dd"}, Formats{u"hh:nn:ss"}, 0));
  }
}

TEST(DateTimeParse, FixedLayouts) {
  using TvxDateTime::StrToDateTime_YYYYMMDD;
  using TvxDateTime::StrToDateTime_YYYYMMDDHHNNSS;
  EXPECT_EQ(StrToDateTime_YYYYMMDDHHNNSS(u"20240131235959"), EncodeDateTime(2024, 1, 31, 23, 59, 59, 0));
  EXPECT_EQ(StrToDateTime_YYYYMMDDHHNNSS(u"2024013123xx59"), EncodeDateTime(2024, 1, 31, 23, 0, 59, 0));
  EXPECT_EQ(StrToDateTime_YYYYMMDDHHNNSS(u"20240131"), EncodeDate(2024, 1, 31));
  EXPECT_EQ(StrToDateTime_YYYYMMDDHHNNSS(u"20240131235959999"), EncodeDateTime(2024, 1, 31, 23, 59, 59, 0));
  EXPECT_EQ(StrToDateTime_YYYYMMDD(u"2024013"), EncodeDate(2024, 1, 3));
  EXPECT_EQ(StrToDateTime_YYYYMMDD(u"20240131junk"), EncodeDate(2024, 1, 31));

  struct Bad { const char16_t* text; bool full; const char16_t* message; } bad[] = {
      {u"20241301000000", true, u"'2024-13-01 00:00:00.000' ist keine gültige Datums- und Uhrzeitangabe"},
      {u"20240131240000", true, u"'2024-01-31 24:00:00.000' ist keine gültige Datums- und Uhrzeitangabe"},
      {u"9.e9", true, u"'-001-00-00 00:00:00.000' ist keine gültige Datums- und Uhrzeitangabe"},
      {u"2024-1-3", false, u"Ungültiges Argument zum Codieren des Datums"},  // the month part '-1'
      {u"2024xx01", false, u"'xx' ist kein gültiger Integerwert"},
      {u"20240", false, u"'' ist kein gültiger Integerwert"},  // the day part is empty
  };
  for (const Bad& b : bad) {
    const ustring text = b.text;
    EXPECT_EQ(ErrorText([&] {
                if (b.full) StrToDateTime_YYYYMMDDHHNNSS(text);
                else StrToDateTime_YYYYMMDD(text);
              }),
              b.message)
        << Label(text);
  }
}
