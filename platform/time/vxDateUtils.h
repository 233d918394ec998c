// The runtime's date and time routines: calendar arithmetic, encoding and
// decoding of date-times, time stamps, the local clock and its time zone,
// Unix times, formatting by pattern letters and reading by format settings.
//
// A date-time (TDateTime) counts days since 1899-12-30; its fraction is the
// time of day. Before that day the whole part is negative and the fraction
// still counts forward from midnight: -1.25 is 1899-12-29 06:00. Decoding
// rounds to the millisecond first, so 23:59:59.9995 is the next midnight,
// never "24:00".
//
// Errors are EConvertError with the runtime's German texts; the clock and
// the time zone raise EOSError when the C library fails.
#pragma once

#include <cstdint>

#include "platform/base/vxBase.h"
#include "platform/base/vxExceptions.h"
#include "platform/text/vxFormatSettings.h"

namespace vxRuntime {

constexpr int32_t HoursPerDay = 24;
constexpr int32_t MinsPerHour = 60;
constexpr int32_t SecsPerMin = 60;
constexpr int32_t MSecsPerSec = 1000;
constexpr int32_t MinsPerDay = HoursPerDay * MinsPerHour;
constexpr int32_t SecsPerDay = MinsPerDay * SecsPerMin;
constexpr int32_t MSecsPerDay = SecsPerDay * MSecsPerSec;
// The time-stamp day of 1899-12-30 (day 1 is 0001-01-01).
constexpr int32_t DateDelta = 693594;
// The date-time of 1970-01-01.
constexpr int32_t UnixDateDelta = 25569;
// 0001-01-01 00:00 and 9999-12-31 23:59:59.999.
constexpr TDateTime MinDateTime = -693593.0;
constexpr TDateTime MaxDateTime = 2958465.99999999;

// Milliseconds since midnight (0 .. 86,399,999) and one plus the days since
// 0001-01-01.
struct TTimeStamp {
  int32_t Time = 0;
  int32_t Date = 0;
};

// ---- calendar ---------------------------------------------------------

// Gregorian: every fourth year, but not centuries unless divisible by 400.
bool IsLeapYear(int Year);
// The days of Month (1 .. 12) in Year; 0 for another month.
int DaysInAMonth(int Year, int Month);
bool IsValidDate(int Year, int Month, int Day);  // years 1 .. 9999
bool IsValidTime(int Hour, int Min, int Sec, int MSec);

// ---- encoding and decoding --------------------------------------------

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date);
// Raises "Ungültiges Argument zum Codieren des Datums".
TDateTime EncodeDate(int Year, int Month, int Day);
bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time);
// Raises "Ungültiges Argument zum Codieren der Uhrzeit".
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);
bool TryEncodeDateTime(int Year, int Month, int Day, int Hour, int Min, int Sec, int MSec,
                       TDateTime& Value);
// Raises "'%s' ist keine gültige Datums- und Uhrzeitangabe", the parts
// written into it as "yyyy-mm-dd hh:nn:ss.zzz".
TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Min, int Sec, int MSec);

// A value whose day lies before 0001-01-01 decodes to year, month and day 0.
void DecodeDate(TDateTime Value, int& Year, int& Month, int& Day);
void DecodeTime(TDateTime Value, int& Hour, int& Min, int& Sec, int& MSec);
void DecodeDateTime(TDateTime Value, int& Year, int& Month, int& Day, int& Hour, int& Min, int& Sec,
                    int& MSec);

// 1 for Sunday to 7 for Saturday.
int DayOfWeek(TDateTime Value);
// The ISO 8601 week (weeks start on Monday; week 1 holds the first Thursday).
int WeekOfTheYear(TDateTime Value);
// Value moved by Months calendar months, the day cut to the length of the
// month reached, the time of day kept.
TDateTime IncMonth(TDateTime Value, int Months = 1);

// ---- time stamps ------------------------------------------------------

// Rounds to the millisecond (halves to even). Raises EConvertError for a
// value that is not finite or whose day does not fit the stamp.
TTimeStamp DateTimeToTimeStamp(TDateTime Value);
// Raises "'%d.%d' ist kein gültiger Zeitstempel" (Date, Time) unless
// 0 <= Time < 86,400,000 and Date > 0.
TDateTime TimeStampToDateTime(const TTimeStamp& Stamp);
// Milliseconds since the day before 0001-01-01, and back; these make
// arithmetic across 1899-12-30 linear.
int64_t TimeStampToMSecs(const TTimeStamp& Stamp);
TTimeStamp MSecsToTimeStamp(int64_t MSecs);

// ---- the local clock and the time zone --------------------------------

TDateTime Now();   // local date and time, to the millisecond
TDateTime Date();  // local date, without time
TDateTime Time();  // local time of day, without date

// The time-zone bias in minutes: what to add to local time to get UTC
// (Central European winter time gives -60, summer time -120).
int32_t TimeZoneBias();                       // in force now
int32_t TimeZoneBiasAt(TDateTime LocalTime);  // in force at a local date-time
int32_t TimeZoneBiasAtUTC(TDateTime UTCTime);  // in force at a UTC date-time
// The offset from UTC in seconds east (Central European winter time gives
// 3600) in force at a local date-time, to the second: the local mean times
// of old dates (Berlin before 1893: 3208) have seconds that a bias in
// minutes drops.
int32_t UtcOffsetSecondsAt(TDateTime LocalTime);

// ---- Unix times (seconds since 1970-01-01, no time-zone conversion) ---

int64_t DateTimeToUnix(TDateTime Value);  // whole seconds, rounded down
TDateTime UnixToDateTime(int64_t UnixTime);

// ---- formatting -------------------------------------------------------

// Formats Value by the runtime's pattern letters (any case):
//   d dd          day without / with leading zero
//   ddd dddd      short / long day name
//   ddddd dddddd  the short / long date format
//   m mm          month (minutes right after an h or hh)
//   mmm mmmm      short / long month name
//   yy yyyy       two- / four-digit year
//   h hh          hour (1 .. 12 when the pattern holds an AM/PM letter)
//   n nn s ss     minute, second
//   z zzz         milliseconds without / with leading zeros
//   am/pm a/p     "am"/"pm" or "a"/"p" in the case written
//   ampm          the settings' AM or PM word
//   c             the short date format, and the long time format unless
//                 the time is midnight
//   t tt          the short / long time format
//   /  :          the settings' date / time separator
//   'x' "x"       literal text
// Other characters are copied. An empty pattern means "c".
ustring FormatDateTime(const ustring& Format, TDateTime Value,
                       const TFormatSettings& Settings = FormatSettings());
ustring DateToStr(TDateTime Value, const TFormatSettings& Settings = FormatSettings());
ustring TimeToStr(TDateTime Value, const TFormatSettings& Settings = FormatSettings());
ustring DateTimeToStr(TDateTime Value, const TFormatSettings& Settings = FormatSettings());

// ---- reading ----------------------------------------------------------

// Reading by the settings: numbers split by the date separator, in the
// order of the short date format's first d, m or y (e counts as y); one or
// two numbers without a year mean the current year; years of one or two
// digits are completed within TwoDigitYearCenturyWindow of the current
// year. A time is hour, minute, second split by the time separator, then a
// fraction of a second behind the decimal separator, with "AM"/"PM" or the
// settings' words before or after it. Blanks between the parts are
// skipped.
bool TryStrToDate(const ustring& S, TDateTime& Value, const TFormatSettings& Settings = FormatSettings());
// Raises "'%s' ist kein gültiges Datum".
TDateTime StrToDate(const ustring& S, const TFormatSettings& Settings = FormatSettings());
bool TryStrToTime(const ustring& S, TDateTime& Value, const TFormatSettings& Settings = FormatSettings());
// Raises "'%s' ist keine gültige Uhrzeit".
TDateTime StrToTime(const ustring& S, const TFormatSettings& Settings = FormatSettings());
// A date and, after it, a time; text before the date's first digit and
// after the time is ignored. Without a date, a time alone.
bool TryStrToDateTime(const ustring& S, TDateTime& Value,
                      const TFormatSettings& Settings = FormatSettings());
// Raises "'%s' ist keine gültige Datums- und Uhrzeitangabe".
TDateTime StrToDateTime(const ustring& S, const TFormatSettings& Settings = FormatSettings());

// ISO 8601 in the extended ("2024-01-31T10:00:00.250+01:00") and basic
// ("20240131T100000Z") forms, a date alone included; hours and minutes of
// an offset may be written "hh", "hhmm" or "hh:mm". The result is UTC: an
// offset in the text is taken away; "Z" or no offset stands as written.
bool TryISO8601ToDate(const ustring& S, TDateTime& UTCValue);
// Raises "'%s' ist keine gültige Datums- und Uhrzeitangabe".
TDateTime ISO8601ToDate(const ustring& S);

}  // namespace vxRuntime
