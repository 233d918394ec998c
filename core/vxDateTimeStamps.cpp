// TvxDateTime: time stamps and their two text forms, the compact stamp
// "yyyymmddhhnnsszzz", ISO texts, local time and GMT, weeks and quarters.
#include "core/vxDateTimeStamps.h"

#include <cmath>
#include <cstdio>

#include "core/vxConstantsLocale.h"
#include "core/vxDateTimeLocale.h"
#include "core/vxDateTimeParse.h"
#include "core/vxStringsPad.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/text/vxFormatSettings.h"
#include "platform/text/vxNumberText.h"
#include "platform/base/vxRuntime.h"

int32_t GetTimeZoneBias() { return vxRuntime::TimeZoneBias(); }

namespace TvxDateTime {

namespace {

// Texts that fail to read as a stamp are read again from what is left of
// them; past this depth the rest is read as a date text only, so a text
// full of "#" and "h" cannot exhaust the stack.
constexpr int MaxStampNesting = 16;

// Settings for the stored forms: ":" between the parts of a time.
const TFormatSettings& StoredForm() {
  static const TFormatSettings settings = [] {
    TFormatSettings s;
    s.DateSeparator = u'-';
    s.TimeSeparator = u':';
    return s;
  }();
  return settings;
}

ustring Format(const char16_t* pattern, TDateTime value) {
  return vxRuntime::FormatDateTime(pattern, value, StoredForm());
}

// The part of s before the first c, removed together with c; when c is
// missing the part is empty and s stays as it is.
ustring TakeBefore(ustring& s, char16_t c) {
  const size_t p = s.find(c);
  if (p == ustring::npos) return {};
  ustring part = s.substr(0, p);
  s.erase(0, p + 1);
  return part;
}

TDateTime TimeStampStrToDateTimeAt(const ustring& stampStr, int depth);

// A date text: a stamp when it holds "#" or "h", else (or when that gives
// 0) a date and time by the usual formats.
TDateTime ReadDateText(const ustring& text, int depth) {
  TDateTime value = 0;
  const bool stampLike = text.find_first_of(u"#h") != ustring::npos;
  if (stampLike && depth < MaxStampNesting) value = TimeStampStrToDateTimeAt(text, depth + 1);
  if (value == 0)
    value = StrToDateTimeExt(text, std::vector<ustring>{u"yyyy-mm-dd", ShortDateFormat(), u"dd.mm.yyyy"},
                             std::vector<ustring>{u"hh:nn:ss", FormatSettings().LongTimeFormat}, 0);
  return value;
}

bool StrToTimeStampAt(const ustring& stampStr, TTimeStamp& stamp, int depth) {
  ustring rest = vxRuntime::Trim(stampStr);
  try {
    if (rest.find(u'#') != ustring::npos) {
      TakeBefore(rest, u'#');
      const ustring datePart = TakeBefore(rest, u'#');
      stamp.Time = vxRuntime::StrToInt(rest);
      stamp.Date = vxRuntime::StrToInt(datePart);
    } else {
      const ustring datePart = TakeBefore(rest, u'h');
      const size_t end = rest.find(u'h');
      const ustring timePart = end == ustring::npos ? ustring() : rest.substr(0, end);
      stamp.Time = vxRuntime::StrToInt(u"$" + timePart);
      stamp.Date = vxRuntime::StrToInt(u"$" + datePart);
    }
    return true;
  } catch (const Exception&) {
    // Not a stamp: what is left of the text may still be a date.
  }
  try {
    stamp = vxRuntime::DateTimeToTimeStamp(ReadDateText(rest, depth));
    return true;
  } catch (const Exception&) {
    stamp = TTimeStamp();
    return false;
  }
}

TDateTime TimeStampStrToDateTimeAt(const ustring& stampStr, int depth) {
  TTimeStamp stamp;
  StrToTimeStampAt(vxRuntime::Trim(stampStr), stamp, depth);
  return vxRuntime::TimeStampToDateTime(stamp);
}

// Whether the value lies in the years 1 to 9999, where the zone rules can
// say which bias was in force; the conversions take the bias of now for any
// other value rather than fail on it.
bool InCalendar(TDateTime value) {
  if (!std::isfinite(value) || std::fabs(value) > 3e6) return false;
  int year, month, day;
  vxRuntime::DecodeDate(value, year, month, day);
  return year >= 1 && year <= 9999;
}

// The value a writer writes, checked to lie in the years 1 to 9999 (what
// the readers read back); raises the stamp error for any other.
TDateTime Writable(TDateTime value) {
  (void)vxRuntime::TimeStampToDateTime(vxRuntime::DateTimeToTimeStamp(value));
  return value;
}

bool IsLetterAtoZ(char16_t c) { return c >= u'a' && c <= u'z'; }

ustring UpperAtoZ(std::u16string_view s) {
  ustring result(s);
  for (char16_t& c : result)
    if (IsLetterAtoZ(c)) c = static_cast<char16_t>(c - 32);
  return result;
}

}  // namespace

std::string TimeStampToStr(const TTimeStamp& Stamp, bool CompMode) {
  char buffer[48];
  if (CompMode)
    std::snprintf(buffer, sizeof buffer, "#%d#%d", Stamp.Date, Stamp.Time);
  else
    std::snprintf(buffer, sizeof buffer, "%08Xh%08Xh", static_cast<uint32_t>(Stamp.Date),
                  static_cast<uint32_t>(Stamp.Time));
  return buffer;
}

std::string DateTimeToTimeStampStr(TDateTime MyDateTime, bool CompMode) {
  return TimeStampToStr(vxRuntime::DateTimeToTimeStamp(Writable(MyDateTime)), CompMode);
}

bool StrToTimeStamp(const ustring& StampStr, TTimeStamp& TimeStamp) { return StrToTimeStampAt(StampStr, TimeStamp, 0); }

TDateTime TimeStampStrToDateTime(const ustring& StampStr) { return TimeStampStrToDateTimeAt(StampStr, 0); }

ustring CreateTimeStampStr() { return Format(u"yyyymmddhhnnsszzz", vxRuntime::Now()); }

ustring CreateGMTTimeStampStr() { return Format(u"yyyymmddhhnnsszzz", GMTNow()); }

ustring DateTimeToISOStr(TDateTime MyDateTime) {
  static const ustring iso = u"yyyy-mm-dd hh:nn:ss";  // made once, not per call
  return vxRuntime::FormatDateTime(iso, Writable(MyDateTime), StoredForm());
}

ustring DateTimeToISO8601Str(TDateTime MyDateTime) {
  Writable(MyDateTime);
  if (MyDateTime == std::trunc(MyDateTime)) return Format(u"yyyy-mm-dd", MyDateTime);
  if (std::trunc(MyDateTime) == 0) return Format(u"hh:nn:ss", MyDateTime);
  return Format(u"yyyy-mm-dd\"T\"hh:nn:ss.zzz\"Z\"", MyDateTime);
}

TDateTime ISO8601ToDateTime(const ustring& ADateTime, bool ARaiseExceptions) {
  try {
    const bool hasColon = ADateTime.find(u':') != ustring::npos;
    const bool hasDash = ADateTime.find(u'-') != ustring::npos;
    if (hasColon && !hasDash) {
      // A time; the digits after the first "." are a fraction of a second.
      ustring time = ADateTime;
      int msec = 0;
      const size_t dot = time.find(u'.');
      if (dot != ustring::npos) {
        const ustring digits = time.substr(dot + 1);
        bool allDigits = !digits.empty();
        for (char16_t c : digits) allDigits = allDigits && c >= u'0' && c <= u'9';
        if (!allDigits) throw EConvertError(u"'" + digits + u"' ist kein gültiger Integerwert");
        for (size_t i = 0; i < 3; ++i) msec = msec * 10 + (i < digits.size() ? digits[i] - u'0' : 0);
        time.erase(dot);
      }
      TFormatSettings settings;
      settings.TimeSeparator = u':';
      settings.DecimalSeparator = 0;
      settings.TimeAMString.clear();
      settings.TimePMString.clear();
      int hour, minute, second, none;
      vxRuntime::DecodeTime(vxRuntime::StrToTime(time, settings), hour, minute, second, none);
      return vxRuntime::EncodeTime(hour, minute, second, msec);
    }
    if (ADateTime.find(u'T') != ustring::npos) return vxRuntime::ISO8601ToDate(ADateTime);
    TFormatSettings settings;
    settings.ShortDateFormat = u"yyyy-mm-dd";
    settings.DateSeparator = u'-';
    settings.TimeSeparator = u':';
    settings.DecimalSeparator = 0;
    settings.TimeAMString.clear();
    settings.TimePMString.clear();
    settings.TwoDigitYearCenturyWindow = 70;
    return vxRuntime::StrToDateTime(ADateTime, settings);
  } catch (const Exception&) {
    if (ARaiseExceptions) throw;
    return 0;
  }
}

TDateTime LocaleDateTimeToGMT(TDateTime AValue) {
  const int32_t bias = InCalendar(AValue) ? vxRuntime::TimeZoneBiasAt(AValue) : GetTimeZoneBias();
  return AValue + bias / 1440.0;
}

TDateTime GMTToLocaleDateTime(TDateTime AValue) {
  const int32_t bias = InCalendar(AValue) ? vxRuntime::TimeZoneBiasAtUTC(AValue) : GetTimeZoneBias();
  return AValue - bias / 1440.0;
}

// The bias of this moment, not that of the local time read back (which is
// ambiguous in the hour the clocks go back).
TDateTime GMTNow() { return vxRuntime::Now() + GetTimeZoneBias() / 1440.0; }

int32_t GetQuarter() { return GetQuarter(vxRuntime::Now()); }

int32_t GetQuarter(TDateTime Value) {
  int year, month, day;
  vxRuntime::DecodeDate(Value, year, month, day);
  return (month - 1) / 3 + 1;
}

TDateTime WeekToDate(int32_t Week, int32_t Year) {
  const TDateTime firstOfYear = vxRuntime::EncodeDate(Year, 1, 1);
  const int isoDay = (vxRuntime::DayOfWeek(firstOfYear) + 5) % 7 + 1;  // Monday 1 .. Sunday 7
  TDateTime monday = firstOfYear - (isoDay - 1);
  if (Week < 1 || Week > 53) return monday;
  // When 1 January falls on a Friday to Sunday, that Monday ends the
  // previous year; its week number must not be taken for one of this year.
  if (isoDay > 4) monday += 7;
  // Week 53 of a year that has 52 is sought in the years after; none past
  // 9999 is a date.
  while (vxRuntime::WeekOfTheYear(monday) != Week) {
    monday += 7;
    if (monday > vxRuntime::MaxDateTime) throw EConvertError(u"Ungültiges Argument zum Codieren des Datums");
  }
  return monday;
}

TDateTime UnixTimeToDateTime(int64_t UnixTime) {
  if (UnixTime > 999'999'999'999) return static_cast<double>(UnixTime) / 86'400'000.0 + vxRuntime::UnixDateDelta;
  return static_cast<double>(UnixTime) / 86'400.0 + vxRuntime::UnixDateDelta;
}

std::string SecToTimeExt(int32_t S) {
  const int32_t minutesTotal = S / 60;
  const int32_t seconds = S - 60 * minutesTotal;
  const int32_t hoursTotal = minutesTotal / 60;
  const int32_t minutes = minutesTotal - 60 * hoursTotal;
  const int32_t days = hoursTotal / 24;
  const int32_t hours = hoursTotal - 24 * days;
  auto two = [](int32_t n) { return WideToAnsi(TvxStrings::FillStrNullW(Utf8ToWide(std::to_string(n)), 2)); };
  std::string result = two(hours) + ":" + two(minutes) + ":" + two(seconds);
  if (days == 1) return "1 day " + result;
  if (days > 1) return std::to_string(days) + " days " + result;
  return result;
}

std::string SecToLangTime(uint32_t S) {
  const uint32_t values[4] = {S / 86400, (S / 3600) % 24, (S / 60) % 60, S % 60};
  static const char* const units[4] = {" day", " hour", " minute", " second"};
  std::string result;
  for (int i = 0; i < 4; ++i) {
    if (values[i] == 0) continue;
    result = vxRuntime::Trim(result + std::to_string(values[i]) + units[i] + (values[i] == 1 ? "" : "s")) + "# ";
  }
  result.erase(result.size() >= 2 ? result.size() - 2 : 0);
  const size_t last = result.rfind('#');
  if (last != std::string::npos) {
    result.replace(last, 1, " and");
    for (char& c : result)
      if (c == '#') c = ',';
  }
  return result;
}

int32_t GetDayNumberFromStr(const std::string& DayName) {
  const ustring name = UpperAtoZ(AnsiToWide(DayName));
  if (name.empty()) return 0;
  for (size_t row = 0; row < DayNameTable.size(); ++row) {
    for (size_t column = 0; column < 2; ++column)  // English, then German
      if (UpperAtoZ(DayNameTable[row][column]).starts_with(name)) return static_cast<int32_t>(row + 1);
  }
  return 0;
}

bool StrIsToday(const std::string& DayName) {
  return GetDayNumberFromStr(DayName) == vxRuntime::DayOfWeek(vxRuntime::Now());
}

}  // namespace TvxDateTime
