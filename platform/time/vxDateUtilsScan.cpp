// Reading dates and times by the format settings, and ISO 8601 texts.
#include <unicode/uchar.h>

#include "platform/time/vxDateUtils.h"
#include "platform/base/vxExceptions.h"

namespace vxRuntime {

namespace {

enum class TDateOrder { DMY, MDY, YMD };

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The time-stamp day of 9999-12-31.
constexpr int32_t LastCalendarDay = DateDelta + static_cast<int32_t>(MaxDateTime);

// The first of d, m and y (e, an era year, counts as y) decides.
TDateOrder OrderOf(const ustring& shortDateFormat) {
  for (char16_t c : shortDateFormat) {
    switch (Lower(c)) {
      case u'd': return TDateOrder::DMY;
      case u'm': return TDateOrder::MDY;
      case u'y':
      case u'e': return TDateOrder::YMD;
      default: break;
    }
  }
  return TDateOrder::MDY;
}

int CurrentYear() {
  int year, month, day;
  DecodeDate(Now(), year, month, day);
  return year;
}

// Completes a year written with one or two digits: it lands within the
// window's years before the current year, or in the century after them.
int CompleteYear(int year, int window) {
  const int base = CurrentYear() - window;
  year += base / 100 * 100;
  if (window != 0 && year < base) year += 100;
  return year;
}

class TScanner {
 public:
  TScanner(const ustring& text, const TFormatSettings& settings) : S(text), FSettings(settings) {}

  bool AtEnd() const { return Pos >= S.size(); }

  // A date: two or three numbers split by the date separator.
  bool ReadDate(TDateTime& value, bool eraSkip) {
    const ustring& format = FSettings.ShortDateFormat;
    if (eraSkip && !format.empty() && format[0] == u'g') SkipToDigit();
    const char16_t sep = FSettings.DateSeparator;
    int n1, n2, n3, d1, d2, d3;
    if (!Number(n1, d1) || !Separator(sep) || !Number(n2, d2)) return false;
    const TDateOrder order = OrderOf(format);
    int year, month, day;
    if (Separator(sep)) {
      if (!Number(n3, d3)) return false;
      int yearDigits;
      switch (order) {
        case TDateOrder::DMY: day = n1, month = n2, year = n3, yearDigits = d3; break;
        case TDateOrder::MDY: month = n1, day = n2, year = n3, yearDigits = d3; break;
        default: year = n1, month = n2, day = n3, yearDigits = d1; break;
      }
      if (yearDigits <= 2) year = CompleteYear(year, FSettings.TwoDigitYearCenturyWindow);
    } else {
      year = CurrentYear();
      if (order == TDateOrder::DMY) day = n1, month = n2;
      else month = n1, day = n2;
    }
    Separator(sep);
    SkipBlanks();
    return TryEncodeDate(year, month, day, value);
  }

  // A time: hour, minute, second and a fraction of a second, with the
  // words for morning and afternoon before or after it.
  bool ReadTime(TDateTime& value) {
    SkipBlanks();
    int half = HalfOfDayWord();
    if (half >= 0) SkipBlanks();
    int hour, min = 0, sec = 0, msec = 0, digits;
    if (!Number(hour, digits)) return false;
    if (Separator(FSettings.TimeSeparator)) {
      if (!Number(min, digits)) return false;
      if (Separator(FSettings.TimeSeparator)) {
        if (!Number(sec, digits)) return false;
        if (Separator(FSettings.DecimalSeparator) && !Fraction(msec)) return false;
      }
    }
    if (half < 0) {
      SkipBlanks();
      half = HalfOfDayWord();
    }
    if (half >= 0) {
      if (hour < 1 || hour > 12) return false;
      if (hour == 12) hour = 0;
      if (half == 1) hour += 12;
    }
    SkipBlanks();
    return TryEncodeTime(hour, min, sec, msec, value);
  }

  // A date, then a time from the first digit after it (or from a word for
  // morning or afternoon before that digit); without a date, a time alone.
  bool ReadDateTime(TDateTime& value) {
    const ustring& format = FSettings.ShortDateFormat;
    if (format.empty() || format[0] != u'g') SkipToDigit();
    TDateTime date;
    if (!ReadDate(date, false)) {
      Pos = 0;
      return ReadTime(value) && AtEnd();
    }
    size_t digit = Pos;
    while (digit < S.size() && !IsDigit(S[digit])) ++digit;
    if (digit + 1 >= S.size()) {  // no digit, or only the last character
      value = date;
      return true;
    }
    size_t start = digit;
    for (size_t i = Pos; i < digit; ++i) {
      if (i == Pos || S[i - 1] == u' ') {
        Pos = i;
        if (HalfOfDayWord() >= 0) {
          start = i;
          break;
        }
      }
    }
    Pos = start;
    TDateTime time;
    if (!ReadTime(time)) return false;
    value = date < 0 ? date - time : date + time;
    return true;
  }

 private:
  void SkipBlanks() {
    while (Pos < S.size() && S[Pos] == u' ') ++Pos;
  }

  void SkipToDigit() {
    while (Pos < S.size() && !IsDigit(S[Pos])) ++Pos;
  }

  // Digits while the value so far is at most 999, so four at most.
  bool Number(int& value, int& digits) {
    SkipBlanks();
    value = 0;
    digits = 0;
    while (Pos < S.size() && IsDigit(S[Pos]) && value <= 999) {
      value = value * 10 + (S[Pos++] - u'0');
      ++digits;
    }
    return digits > 0;
  }

  // The digits of a fraction of a second, as milliseconds: "5" is 500.
  bool Fraction(int& msec) {
    SkipBlanks();
    msec = 0;
    int digits = 0;
    for (; Pos < S.size() && IsDigit(S[Pos]); ++Pos, ++digits)
      if (digits < 3) msec += (S[Pos] - u'0') * (digits == 0 ? 100 : digits == 1 ? 10 : 1);
    return digits > 0;
  }

  // A blank separator can never match: blanks are skipped before it.
  bool Separator(char16_t sep) {
    SkipBlanks();
    if (sep == 0 || Pos >= S.size() || S[Pos] != sep) return false;
    ++Pos;
    return true;
  }

  bool WordAt(const ustring& word) const {
    if (word.empty() || Pos + word.size() > S.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
      if (u_foldCase(S[Pos + i], U_FOLD_CASE_DEFAULT) != u_foldCase(word[i], U_FOLD_CASE_DEFAULT)) return false;
    return true;
  }

  // 0 for a morning word, 1 for an afternoon word (taken), -1 for none.
  int HalfOfDayWord() {
    const ustring* words[4] = {&AM, &PM, &FSettings.TimeAMString, &FSettings.TimePMString};
    for (int i = 0; i < 4; ++i) {
      if (WordAt(*words[i])) {
        Pos += words[i]->size();
        return i % 2;
      }
    }
    return -1;
  }

  inline static const ustring AM = u"AM";
  inline static const ustring PM = u"PM";
  const ustring& S;
  const TFormatSettings& FSettings;
  size_t Pos = 0;
};

[[noreturn]] void Raise(const ustring& text, const char16_t* what) { throw EConvertError(u"'" + text + u"' " + what); }

// ---- ISO 8601 ---------------------------------------------------------

class TIsoReader {
 public:
  explicit TIsoReader(const ustring& text) : S(text) {}

  bool Read(TDateTime& utc) {
    int year, month, day;
    if (!Digits(4, year)) return false;
    const bool extended = Take(u'-');
    if (!Digits(2, month) || (extended && !Take(u'-')) || !Digits(2, day)) return false;
    if (!IsValidDate(year, month, day)) return false;
    int64_t ms = 0, offsetMinutes = 0;
    if (Pos < S.size()) {
      if (!Take(u'T') || !ReadTime(ms) || !ReadZone(offsetMinutes) || Pos != S.size()) return false;
    }
    TTimeStamp midnight;
    TryEncodeDate(year, month, day, utc);
    midnight.Date = DateTimeToTimeStamp(utc).Date;
    const TTimeStamp stamp = MSecsToTimeStamp(TimeStampToMSecs(midnight) + ms - offsetMinutes * 60000);
    // An offset may not carry the value out of the years 1 to 9999.
    if (stamp.Date <= 0 || stamp.Date > LastCalendarDay) return false;
    utc = TimeStampToDateTime(stamp);
    return true;
  }

 private:
  bool Take(char16_t c) {
    if (Pos < S.size() && S[Pos] == c) {
      ++Pos;
      return true;
    }
    return false;
  }

  bool Digits(int count, int& value) {
    value = 0;
    for (int i = 0; i < count; ++i, ++Pos) {
      if (Pos >= S.size() || !IsDigit(S[Pos])) return false;
      value = value * 10 + (S[Pos] - u'0');
    }
    return true;
  }

  bool AtDigit() const { return Pos < S.size() && IsDigit(S[Pos]); }

  // hh, hh:mm, hh:mm:ss, hhmm or hhmmss, then a fraction after "." or ",".
  bool ReadTime(int64_t& ms) {
    int hour, min = 0, sec = 0;
    if (!Digits(2, hour)) return false;
    const bool extended = Take(u':');
    if (extended || AtDigit()) {
      if (!Digits(2, min)) return false;
      if (extended ? Take(u':') : AtDigit()) {
        if (!Digits(2, sec)) return false;
      }
    }
    if (hour > 23 || min > 59 || sec > 59) return false;
    ms = ((static_cast<int64_t>(hour) * 60 + min) * 60 + sec) * 1000;
    if (Take(u'.') || Take(u',')) {
      if (!AtDigit()) return false;
      double scale = 100, fraction = 0;
      for (; AtDigit(); ++Pos, scale /= 10) fraction += (S[Pos] - u'0') * scale;
      ms += static_cast<int64_t>(fraction + 0.5);
    }
    return true;
  }

  // "Z", "+hh", "+hhmm", "+hh:mm" (or "-"), or nothing.
  bool ReadZone(int64_t& minutes) {
    minutes = 0;
    if (Take(u'Z')) return true;
    int sign = 0;
    if (Take(u'+')) sign = 1;
    else if (Take(u'-')) sign = -1;
    else return true;
    int hours, mins = 0;
    if (!Digits(2, hours)) return false;
    if (Take(u':') || AtDigit())
      if (!Digits(2, mins)) return false;
    if (hours > 23 || mins > 59) return false;
    minutes = sign * (hours * 60 + mins);
    return true;
  }

  const ustring& S;
  size_t Pos = 0;
};

}  // namespace

bool TryStrToDate(const ustring& S, TDateTime& Value, const TFormatSettings& Settings) {
  TScanner scanner(S, Settings);
  return scanner.ReadDate(Value, true) && scanner.AtEnd();
}

TDateTime StrToDate(const ustring& S, const TFormatSettings& Settings) {
  TDateTime result;
  if (!TryStrToDate(S, result, Settings)) Raise(S, u"ist kein gültiges Datum");
  return result;
}

bool TryStrToTime(const ustring& S, TDateTime& Value, const TFormatSettings& Settings) {
  TScanner scanner(S, Settings);
  return scanner.ReadTime(Value) && scanner.AtEnd();
}

TDateTime StrToTime(const ustring& S, const TFormatSettings& Settings) {
  TDateTime result;
  if (!TryStrToTime(S, result, Settings)) Raise(S, u"ist keine gültige Uhrzeit");
  return result;
}

bool TryStrToDateTime(const ustring& S, TDateTime& Value, const TFormatSettings& Settings) {
  TScanner scanner(S, Settings);
  return scanner.ReadDateTime(Value);
}

TDateTime StrToDateTime(const ustring& S, const TFormatSettings& Settings) {
  TDateTime result;
  if (!TryStrToDateTime(S, result, Settings)) Raise(S, u"ist keine gültige Datums- und Uhrzeitangabe");
  return result;
}

bool TryISO8601ToDate(const ustring& S, TDateTime& UTCValue) {
  TIsoReader reader(S);
  TDateTime value;
  if (!reader.Read(value)) return false;
  UTCValue = value;
  return true;
}

TDateTime ISO8601ToDate(const ustring& S) {
  TDateTime result;
  if (!TryISO8601ToDate(S, result)) Raise(S, u"ist keine gültige Datums- und Uhrzeitangabe");
  return result;
}

}  // namespace vxRuntime
