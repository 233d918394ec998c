// TvxDateTime: reading dates, times and date-times by lists of formats, and the
// fixed layouts.
#include "core/vxDateTimeParse.h"

#include <string_view>

#include "core/vxConversion.h"
#include "platform/base/vxCodePage.h"
#include "platform/time/vxDateUtils.h"
#include "platform/base/vxExceptions.h"
#include "platform/text/vxFormatSettings.h"
#include "platform/text/vxNumberText.h"
#include "platform/base/vxRuntime.h"

namespace TvxDateTime {

namespace {

constexpr int CenturyWindow = 70;

// The first character of the format (A-Z lower-cased) that is not one of
// its field letters; Fallback when there is none.
char16_t FormatSeparator(const ustring& format, std::u16string_view letters, char16_t fallback) {
  for (char16_t c : format) {
    const char16_t lower = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    if (letters.find(lower) == std::u16string_view::npos) return lower;
  }
  return fallback;
}

char16_t DateSeparatorOf(const ustring& format) { return FormatSeparator(format, u"dmy", u'.'); }

// A time format that shows milliseconds ("hh:nn:ss.zzz") reads a fraction
// of a second behind the character before its z; others read none.
char16_t FractionSeparatorOf(const ustring& timeFormat) {
  const size_t z = timeFormat.find_first_of(u"zZ");
  if (z == ustring::npos || z == 0) return 0;
  const char16_t c = timeFormat[z - 1];
  const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
  return letter || c == u' ' ? 0 : c;
}

// The settings of one attempt: the format's field order and separators, the
// century window, no fractions of seconds and only the fixed words AM
// and PM.
TFormatSettings ReadingSettings(const ustring& dateFormat, char16_t dateSeparator, char16_t timeSeparator,
                                char16_t decimalSeparator = 0) {
  TFormatSettings s;
  s.ShortDateFormat = dateFormat;
  s.DateSeparator = dateSeparator;
  s.TimeSeparator = timeSeparator;
  s.DecimalSeparator = decimalSeparator;
  s.TimeAMString.clear();
  s.TimePMString.clear();
  s.TwoDigitYearCenturyWindow = CenturyWindow;
  return s;
}

bool Holds(const ustring& text, char16_t c) { return text.find(c) != ustring::npos; }

// A format two characters longer than the text reads its years as "yy".
ustring FitYears(ustring format, size_t textLength) {
  if (format.size() != textLength + 2) return format;
  for (size_t p = format.find(u"yyyy"); p != ustring::npos; p = format.find(u"yyyy", p + 2)) format.replace(p, 4, u"yy");
  return format;
}

std::vector<ustring> Widened(const std::vector<std::string>& formats) {
  std::vector<ustring> result;
  result.reserve(formats.size());
  for (const std::string& f : formats) result.push_back(AnsiToWide(f));
  return result;
}

}  // namespace

TDateTime StrToDate(const ustring& Str, TDateTime Default) {
  TDateTime value;
  try {
    if (vxRuntime::TryStrToDate(Str, value, FormatSettings())) return value;
  } catch (const Exception&) {
  }
  return Default;
}

TDateTime StrToDateExt(const ustring& Str, const std::vector<ustring>& Formats, TDateTime Default) {
  const ustring text = vxRuntime::Trim(Str);
  for (const ustring& format : Formats) {
    try {
      const char16_t separator = DateSeparatorOf(format);
      if (!Holds(text, separator)) continue;
      TDateTime value;
      if (vxRuntime::TryStrToDate(text, value, ReadingSettings(FitYears(format, text.size()), separator, u':')))
        return value;
    } catch (const Exception&) {
      // A failed attempt only moves on to the next format.
    }
  }
  return Default;
}

TDateTime StrToDateExt(const ustring& Str, const std::vector<std::string>& Formats, TDateTime Default) {
  return StrToDateExt(Str, Widened(Formats), Default);
}

TDateTime StrToTimeExt(const ustring& Str, const std::vector<ustring>& Formats, TDateTime Default) {
  const ustring text = vxRuntime::Trim(Str);
  for (const ustring& format : Formats) {
    try {
      const char16_t separator = FormatSeparator(format, u"hnsz", u':');
      if (!Holds(text, separator)) continue;
      TDateTime value;
      const TFormatSettings settings = ReadingSettings(ustring(), u'.', separator, FractionSeparatorOf(format));
      if (vxRuntime::TryStrToTime(text, value, settings)) return value;
    } catch (const Exception&) {
    }
  }
  return Default;
}

TDateTime StrToDateTimeExt(const ustring& Str, const std::vector<ustring>& DateFormats,
                           const std::vector<ustring>& TimeFormats, TDateTime Default) {
  const ustring text = vxRuntime::Trim(Str);
  for (const ustring& dateFormat : DateFormats) {
    const char16_t dateSeparator = DateSeparatorOf(dateFormat);
    for (const ustring& timeFormat : TimeFormats) {
      try {
        const char16_t timeSeparator = FormatSeparator(timeFormat, u"hns", u':');
        if (!Holds(text, dateSeparator) && !Holds(text, timeSeparator)) continue;
        TDateTime value;
        const TFormatSettings settings =
            ReadingSettings(dateFormat, dateSeparator, timeSeparator, FractionSeparatorOf(timeFormat));
        if (vxRuntime::TryStrToDateTime(text, value, settings)) return value;
      } catch (const Exception&) {
      }
    }
  }
  return Default;
}

TDateTime StrToDateTimeExt(const ustring& Str, const std::vector<std::string>& DateFormats,
                           const std::vector<std::string>& TimeFormats, TDateTime Default) {
  return StrToDateTimeExt(Str, Widened(DateFormats), Widened(TimeFormats), Default);
}

TDateTime StrToDate_ISO(const ustring& Str) { return StrToDateExt(Str, std::vector<ustring>{u"yyyy-mm-dd"}, 0); }

namespace {

// The value of the decimal digits at s[first, first + count), or -1 where one
// of them is no digit.
int DigitsAt(const ustring& s, size_t first, size_t count) {
  int value = 0;
  for (size_t i = first; i < first + count; ++i) {
    const char16_t c = s[i];
    if (c < u'0' || c > u'9') return -1;
    value = value * 10 + (c - u'0');
  }
  return value;
}

// The stored form read in place: "yyyy-mm-dd hh:nn:ss" or "yyyy-mm-dd" with
// a year from 1900 on. False for anything else, which the general reader
// then takes.
bool TryStoredISOForm(const ustring& s, TDateTime& value) {
  if (s.size() != 19 && s.size() != 10) return false;
  if (s[4] != u'-' || s[7] != u'-') return false;
  const int year = DigitsAt(s, 0, 4), month = DigitsAt(s, 5, 2), day = DigitsAt(s, 8, 2);
  if (year < 1900 || month < 0 || day < 0) return false;
  int hour = 0, minute = 0, second = 0;
  if (s.size() == 19) {
    if (s[10] != u' ' || s[13] != u':' || s[16] != u':') return false;
    hour = DigitsAt(s, 11, 2), minute = DigitsAt(s, 14, 2), second = DigitsAt(s, 17, 2);
    if (hour < 0 || minute < 0 || second < 0) return false;
  }
  return vxRuntime::TryEncodeDateTime(year, month, day, hour, minute, second, 0, value);
}

}  // namespace

TDateTime StrToDateTime_ISO(const ustring& Str) {
  TDateTime value;
  if (TryStoredISOForm(Str, value)) return value;
  static const std::vector<ustring> dateFormats{u"yyyy-mm-dd"}, timeFormats{u"hh:nn:ss"};
  return StrToDateTimeExt(Str, dateFormats, timeFormats, 0);
}

TDateTime StrToDateTime_YYYYMMDD(const ustring& Str) {
  using vxRuntime::Copy;
  using vxRuntime::StrToInt;
  const int year = StrToInt(Copy(Str, 1, 4));
  const int month = StrToInt(Copy(Str, 5, 2));
  const int day = StrToInt(Copy(Str, 7, 2));
  return vxRuntime::EncodeDate(year, month, day);
}

TDateTime StrToDateTime_YYYYMMDDHHNNSS(const ustring& Str, TvxDatePartReading Reading) {
  auto part = [&](long long index, long long count) {
    const ustring text = vxRuntime::Copy(Str, index, count);
    if (Reading == TvxDatePartReading::Strict) return static_cast<int>(vxRuntime::StrToInt(text));
    const int64_t value = TvxConversion::StrToInt(text, 0);
    // A value beyond any date or time part stays invalid instead of wrapping.
    return value < -1 || value > 9999 ? -1 : static_cast<int>(value);
  };
  const int year = part(1, 4), month = part(5, 2), day = part(7, 2);
  const int hour = part(9, 2), minute = part(11, 2), second = part(13, 2);
  return vxRuntime::EncodeDateTime(year, month, day, hour, minute, second, 0);
}

}  // namespace TvxDateTime
