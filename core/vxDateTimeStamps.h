// TvxDateTime: time stamps and their two text forms, the compact stamp
// "yyyymmddhhnnsszzz", ISO texts, local time and GMT, weeks and quarters,
// Unix times, durations in words and weekday names.
//
// Stored and wire forms always write ":" between the parts of a time,
// whatever the locale's time separator.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/vxBase.h"
#include "platform/time/vxDateUtils.h"

using TTimeStamp = vxRuntime::TTimeStamp;

// The current time-zone bias in minutes: what to add to local time to get
// UTC (Central European winter time gives -60). Raises EOSError when the
// time zone cannot be read.
int32_t GetTimeZoneBias();

namespace TvxDateTime {

// "#" Date "#" Time in decimal when CompMode ('#738886#43200000'), else
// Date and Time as eight upper-case hexadecimal digits, each followed by
// "h" ('000B4646h02932E00h').
std::string TimeStampToStr(const TTimeStamp& Stamp, bool CompMode);
std::string DateTimeToTimeStampStr(TDateTime MyDateTime, bool CompMode);

// Reads either form into TimeStamp; a text that is neither is read as a
// date and time (formats "yyyy-mm-dd", the short date format and
// "dd.mm.yyyy" with "hh:nn:ss" and the long time format), a text that
// reads as nothing giving the stamp of 0. False, with a stamp of 0 and 0,
// only when even that fails.
bool StrToTimeStamp(const ustring& StampStr, TTimeStamp& TimeStamp);

// The date-time of the stamp that StrToTimeStamp reads from the trimmed
// text; raises "'%d.%d' ist kein gültiger Zeitstempel" for a stamp that is
// no valid date-time.
TDateTime TimeStampStrToDateTime(const ustring& StampStr);

// The compact stamp "yyyymmddhhnnsszzz" of the local time and of GMT.
ustring CreateTimeStampStr();
ustring CreateGMTTimeStampStr();

// "yyyy-mm-dd hh:nn:ss".
ustring DateTimeToISOStr(TDateTime MyDateTime);
// "yyyy-mm-dd" for a date, "hh:nn:ss" for a time alone, else
// "yyyy-mm-ddThh:nn:ss.zzzZ" with the value written as it is (no
// conversion to UTC).
ustring DateTimeToISO8601Str(TDateTime MyDateTime);
// A time ("12:30:15.250"), an ISO 8601 date-time with "T" (returned in
// UTC) or a date and time "yyyy-mm-dd hh:nn:ss"; 0 for a text that does
// not read, or the conversion error when ARaiseExceptions.
TDateTime ISO8601ToDateTime(const ustring& ADateTime, bool ARaiseExceptions);

// Local time to GMT and back by the bias in force at the given moment (the
// bias of now for a value outside the years 1 to 9999); they fail only when
// the time zone cannot be read.
TDateTime LocaleDateTimeToGMT(TDateTime AValue);
TDateTime GMTToLocaleDateTime(TDateTime AValue);
TDateTime GMTNow();

// The quarter (1 to 4) of the current month, and of a date's month.
int32_t GetQuarter();
int32_t GetQuarter(TDateTime Value);

// The Monday of ISO week Week (1 to 53) of Year; another Week gives the
// Monday of the week that holds 1 January. A week 53 the year lacks is
// looked for in the following years.
TDateTime WeekToDate(int32_t Week, int32_t Year);

// Seconds since 1970-01-01, or milliseconds when above 999,999,999,999;
// no time-zone conversion.
TDateTime UnixTimeToDateTime(int64_t UnixTime);

// A duration of S seconds as "hh:nn:ss" ('01:02:05'), with '1 day ' or
// the number of days and " days " in front when there are any
// ('2 days 07:33:20'). Parts are divided towards zero, so a negative S
// gives negative parts.
std::string SecToTimeExt(int32_t S);

// A duration in English words: '1 day, 1 hour, 1 minute and 1 second';
// 0 gives the empty text.
std::string SecToLangTime(uint32_t S);

// The weekday number (1 Sunday .. 7 Saturday) of the first English or
// German weekday name that begins with DayName (letters a-z in any case);
// 0 when none does or DayName is empty.
int32_t GetDayNumberFromStr(const std::string& DayName);
// Whether DayName names today's weekday.
bool StrIsToday(const std::string& DayName);

}  // namespace TvxDateTime
