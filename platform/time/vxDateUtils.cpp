// Calendar, encoding and decoding, time stamps, clock, time zone and Unix
// times. Formatting is in vxDateUtilsFormat.cpp, reading in
// vxDateUtilsScan.cpp.
#include "platform/time/vxDateUtils.h"

#include <cerrno>
#include <cmath>
#include <ctime>
#include <limits>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxRuntime.h"
#include "platform/text/vxNumberText.h"

namespace vxRuntime {

namespace {

// The time-stamp day of 1970-01-01.
constexpr int64_t UnixEpochDay = 719163;


// Days since 1970-01-01 of a proleptic Gregorian date, and back
// (the civil-calendar algorithms of H. Hinnant).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = FloorDiv(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int& m, int& d) {
  z += 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2);
}

int32_t StampDay(int year, int month, int day) {
  return static_cast<int32_t>(DaysFromCivil(year, month, day) + UnixEpochDay);
}

// A date-time from its date part and its time of day (0 <= time < 1):
// before 1899-12-30 the time counts away from zero.
TDateTime Combine(TDateTime date, TDateTime time) { return date < 0 ? date - time : date + time; }

[[noreturn]] void RaiseInvalidDateTime(const ustring& text) {
  throw EConvertError(u"'" + text + u"' ist keine gültige Datums- und Uhrzeitangabe");
}

ustring NumberText(double value) {
  return Utf8ToWide(vxNumberText::GeneralText(value, 17));
}

int32_t BiasOfGmtOffset(long gmtoff) { return static_cast<int32_t>(-gmtoff / 60); }

int32_t BiasAt(time_t t) {
  tm local{};
  if (!localtime_r(&t, &local)) EOSError::RaiseLastOSError();
  return BiasOfGmtOffset(local.tm_gmtoff);
}

}  // namespace

// ---- calendar ---------------------------------------------------------

bool IsLeapYear(int Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

int DaysInAMonth(int Year, int Month) {
  static constexpr int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Month < 1 || Month > 12) return 0;
  return Month == 2 && IsLeapYear(Year) ? 29 : Days[Month - 1];
}

bool IsValidDate(int Year, int Month, int Day) {
  return Year >= 1 && Year <= 9999 && Month >= 1 && Month <= 12 && Day >= 1 && Day <= DaysInAMonth(Year, Month);
}

bool IsValidTime(int Hour, int Min, int Sec, int MSec) {
  return Hour >= 0 && Hour < HoursPerDay && Min >= 0 && Min < MinsPerHour && Sec >= 0 && Sec < SecsPerMin &&
         MSec >= 0 && MSec < MSecsPerSec;
}

// ---- encoding and decoding --------------------------------------------

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date) {
  if (!IsValidDate(Year, Month, Day)) return false;
  Date = static_cast<TDateTime>(StampDay(Year, Month, Day) - DateDelta);
  return true;
}

TDateTime EncodeDate(int Year, int Month, int Day) {
  TDateTime result;
  if (!TryEncodeDate(Year, Month, Day, result)) throw EConvertError(u"Ungültiges Argument zum Codieren des Datums");
  return result;
}

bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time) {
  if (!IsValidTime(Hour, Min, Sec, MSec)) return false;
  const int64_t ms = ((static_cast<int64_t>(Hour) * MinsPerHour + Min) * SecsPerMin + Sec) * MSecsPerSec + MSec;
  Time = static_cast<TDateTime>(ms) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
  TDateTime result;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, result)) throw EConvertError(u"Ungültiges Argument zum Codieren der Uhrzeit");
  return result;
}

bool TryEncodeDateTime(int Year, int Month, int Day, int Hour, int Min, int Sec, int MSec, TDateTime& Value) {
  TDateTime date, time;
  if (!TryEncodeDate(Year, Month, Day, date) || !TryEncodeTime(Hour, Min, Sec, MSec, time)) return false;
  Value = Combine(date, time);
  return true;
}

TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Min, int Sec, int MSec) {
  TDateTime result;
  if (!TryEncodeDateTime(Year, Month, Day, Hour, Min, Sec, MSec, result)) {
    using vxNumberText::IntText;
    RaiseInvalidDateTime(Utf8ToWide(IntText(Year, 4) + "-" + IntText(Month, 2) + "-" + IntText(Day, 2) + " " + IntText(Hour, 2) + ":" + IntText(Min, 2) + ":" + IntText(Sec, 2) + "." + IntText(MSec, 3)));
  }
  return result;
}

void DecodeDate(TDateTime Value, int& Year, int& Month, int& Day) {
  const TTimeStamp stamp = DateTimeToTimeStamp(Value);
  if (stamp.Date <= 0) {
    Year = Month = Day = 0;
    return;
  }
  int64_t year;
  CivilFromDays(stamp.Date - UnixEpochDay, year, Month, Day);
  Year = static_cast<int>(year);
}

void DecodeTime(TDateTime Value, int& Hour, int& Min, int& Sec, int& MSec) {
  int32_t ms = DateTimeToTimeStamp(Value).Time;
  MSec = ms % MSecsPerSec;
  ms /= MSecsPerSec;
  Sec = ms % SecsPerMin;
  ms /= SecsPerMin;
  Min = ms % MinsPerHour;
  Hour = ms / MinsPerHour;
}

void DecodeDateTime(TDateTime Value, int& Year, int& Month, int& Day, int& Hour, int& Min, int& Sec, int& MSec) {
  DecodeDate(Value, Year, Month, Day);
  DecodeTime(Value, Hour, Min, Sec, MSec);
}

int DayOfWeek(TDateTime Value) {
  // Day 1 of the stamps, 0001-01-01, was a Monday.
  return static_cast<int>(FloorMod(DateTimeToTimeStamp(Value).Date, 7)) + 1;
}

int WeekOfTheYear(TDateTime Value) {
  const int32_t day = DateTimeToTimeStamp(Value).Date;
  const int isoDay = (DayOfWeek(Value) + 5) % 7 + 1;  // Monday 1 .. Sunday 7
  // The week belongs to the year that holds its Thursday.
  const int64_t thursday = static_cast<int64_t>(day) - isoDay + 4;
  int64_t year;
  int month, dayOfMonth;
  CivilFromDays(thursday - UnixEpochDay, year, month, dayOfMonth);
  const int64_t firstOfYear = DaysFromCivil(year, 1, 1) + UnixEpochDay;
  return static_cast<int>((thursday - firstOfYear) / 7 + 1);
}

TDateTime IncMonth(TDateTime Value, int Months) {
  TTimeStamp stamp = DateTimeToTimeStamp(Value);
  int year, month, day;
  DecodeDate(Value, year, month, day);
  const int64_t total = static_cast<int64_t>(year) * 12 + (month - 1) + Months;
  const int64_t newYear = FloorDiv(total, 12);
  const int newMonth = static_cast<int>(FloorMod(total, 12)) + 1;
  if (newYear < 1 || newYear > 9999 || year == 0) throw EConvertError(u"Ungültiges Argument zum Codieren des Datums");
  const int lastDay = DaysInAMonth(static_cast<int>(newYear), newMonth);
  stamp.Date = StampDay(static_cast<int>(newYear), newMonth, day > lastDay ? lastDay : day);
  return TimeStampToDateTime(stamp);
}

// ---- time stamps ------------------------------------------------------

TTimeStamp DateTimeToTimeStamp(TDateTime Value) {
  // The day must fit a 32-bit stamp.
  constexpr double Limit = static_cast<double>(std::numeric_limits<int32_t>::max() - DateDelta - 1);
  if (!std::isfinite(Value) || std::fabs(Value) >= Limit) RaiseInvalidDateTime(NumberText(Value));
  const int64_t ms = static_cast<int64_t>(std::nearbyint(Value * MSecsPerDay));
  TTimeStamp stamp;
  stamp.Date = static_cast<int32_t>(DateDelta + ms / MSecsPerDay);
  stamp.Time = static_cast<int32_t>((ms < 0 ? -ms : ms) % MSecsPerDay);
  return stamp;
}

TDateTime TimeStampToDateTime(const TTimeStamp& Stamp) {
  // Days past 9999-12-31 are no date either: no writer may write them.
  constexpr int32_t LastDay = DateDelta + 2958465;
  if (Stamp.Time < 0 || Stamp.Time >= MSecsPerDay || Stamp.Date <= 0 || Stamp.Date > LastDay) {
    throw EConvertError(Utf8ToWide("'" + vxNumberText::IntText(Stamp.Date) + "." + vxNumberText::IntText(Stamp.Time) + "' ist kein gültiger Zeitstempel"));
  }
  int64_t c = (static_cast<int64_t>(Stamp.Date) - DateDelta) * MSecsPerDay;
  c = c < 0 ? c - Stamp.Time : c + Stamp.Time;
  return static_cast<TDateTime>(c) / MSecsPerDay;
}

int64_t TimeStampToMSecs(const TTimeStamp& Stamp) {
  return static_cast<int64_t>(Stamp.Date) * MSecsPerDay + Stamp.Time;
}

TTimeStamp MSecsToTimeStamp(int64_t MSecs) {
  const int64_t day = FloorDiv(MSecs, MSecsPerDay);
  if (day > std::numeric_limits<int32_t>::max() || day < std::numeric_limits<int32_t>::min())
    RaiseInvalidDateTime(NumberText(static_cast<double>(MSecs)));
  TTimeStamp stamp;
  stamp.Date = static_cast<int32_t>(day);
  stamp.Time = static_cast<int32_t>(FloorMod(MSecs, MSecsPerDay));
  return stamp;
}

// ---- the local clock and the time zone --------------------------------

TDateTime Now() {
  timespec now{};
  if (clock_gettime(CLOCK_REALTIME, &now) != 0) EOSError::RaiseLastOSError();
  tm local{};
  if (!localtime_r(&now.tv_sec, &local)) EOSError::RaiseLastOSError();
  const int sec = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second stays in its minute
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, sec,
                        static_cast<int>(now.tv_nsec / 1000000));
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() {
  const TDateTime now = Now();
  return now - std::trunc(now);
}

int32_t TimeZoneBias() { return BiasAt(time(nullptr)); }

int32_t UtcOffsetSecondsAt(TDateTime LocalTime) {
  int year, month, day, hour, min, sec, msec;
  DecodeDateTime(LocalTime, year, month, day, hour, min, sec, msec);
  if (year == 0) RaiseInvalidDateTime(NumberText(LocalTime));
  tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = min;
  local.tm_sec = sec;
  local.tm_isdst = -1;  // let the zone's rules say whether summer time applies
  errno = 0;
  if (mktime(&local) == static_cast<time_t>(-1) && errno != 0) EOSError::RaiseLastOSError();
  return static_cast<int32_t>(local.tm_gmtoff);
}

int32_t TimeZoneBiasAt(TDateTime LocalTime) { return BiasOfGmtOffset(UtcOffsetSecondsAt(LocalTime)); }

int32_t TimeZoneBiasAtUTC(TDateTime UTCTime) { return BiasAt(static_cast<time_t>(DateTimeToUnix(UTCTime))); }

// ---- Unix times -------------------------------------------------------

int64_t DateTimeToUnix(TDateTime Value) {
  const int64_t ms = TimeStampToMSecs(DateTimeToTimeStamp(Value)) - UnixEpochDay * MSecsPerDay;
  return FloorDiv(ms, MSecsPerSec);
}

TDateTime UnixToDateTime(int64_t UnixTime) {
  // Far beyond year 9999 either way, and small enough for milliseconds.
  constexpr int64_t Limit = 100'000'000'000'000;
  if (UnixTime > Limit || UnixTime < -Limit) RaiseInvalidDateTime(NumberText(static_cast<double>(UnixTime)));
  const TTimeStamp stamp = MSecsToTimeStamp(UnixTime * MSecsPerSec + UnixEpochDay * MSecsPerDay);
  if (stamp.Date <= 0) RaiseInvalidDateTime(NumberText(static_cast<double>(UnixTime)));
  return TimeStampToDateTime(stamp);
}

}  // namespace vxRuntime
