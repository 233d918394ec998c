// FormatDateTime and the texts built on it.
#include <algorithm>
#include <array>
#include <string_view>

#include "platform/time/vxDateUtils.h"

namespace vxRuntime {

namespace {

// The settings' formats may themselves hold c, ddddd, t ... ; a format that
// names itself must not recurse without end.
constexpr int MaxNesting = 3;

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool StartsWithNoCase(const ustring& s, size_t pos, std::u16string_view word) {
  if (pos + word.size() > s.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (Lower(s[pos + i]) != word[i]) return false;
  return true;
}

// The length of the run of letter c (either case) at pos.
size_t RunLength(const ustring& s, size_t pos, char16_t c) {
  size_t n = 0;
  while (pos + n < s.size() && Lower(s[pos + n]) == c) ++n;
  return n;
}

// The text being formatted: gathered in a small buffer of its own and handed
// to the result in few appends, so that each character or number costs a
// store rather than a call into the string.
class TOutText {
 public:
  explicit TOutText(ustring& Text) : FText(Text) {}
  TOutText(const TOutText&) = delete;
  TOutText& operator=(const TOutText&) = delete;

  TOutText& operator+=(char16_t c) {
    if (FLength == kSize) Flush();
    FBuffer[FLength++] = c;
    return *this;
  }
  TOutText& operator+=(std::u16string_view s) {
    if (s.size() > kSize - FLength) {
      Flush();
      if (s.size() > kSize) {
        FText.append(s);
        return *this;
      }
    }
    std::copy(s.begin(), s.end(), FBuffer + FLength);
    FLength += s.size();
    return *this;
  }
  // Room for n more characters, to be filled at once.
  char16_t* Reserve(size_t n) {
    if (n > kSize - FLength) Flush();
    return FBuffer + FLength;
  }
  void Commit(size_t n) { FLength += n; }
  void Flush() {
    FText.append(FBuffer, FLength);
    FLength = 0;
  }

 private:
  static constexpr size_t kSize = 64;
  char16_t FBuffer[kSize];
  size_t FLength = 0;
  ustring& FText;
};

// The length of a quoted literal starting at pos, both quotes included; an
// unterminated one runs to the end. Its text goes to literal when given.
size_t QuotedLength(const ustring& s, size_t pos, TOutText* literal = nullptr) {
  const size_t close = s.find(s[pos], pos + 1);
  const size_t end = close == ustring::npos ? s.size() : close;
  if (literal) *literal += std::u16string_view(s).substr(pos + 1, end - pos - 1);
  return close == ustring::npos ? s.size() - pos : close - pos + 1;
}

// Whether the format shows hours on the 12-hour clock: it holds am/pm, a/p
// or ampm outside quotes.
bool HasAmPm(const ustring& format) {
  for (size_t i = 0; i < format.size();) {
    const char16_t c = format[i];
    if (c == u'\'' || c == u'"') {
      i += QuotedLength(format, i);
    } else if (Lower(c) == u'a' && (StartsWithNoCase(format, i, u"am/pm") || StartsWithNoCase(format, i, u"a/p") ||
                                     StartsWithNoCase(format, i, u"ampm"))) {
      return true;
    } else {
      ++i;
    }
  }
  return false;
}

// The decimal digits of value, zero-padded to width (a minus sign counts
// towards the width, after which the zeros come). The formats ask for widths
// of at most 4.
void AppendNumber(TOutText& out, int value, int width) {
  if (value >= 0 && value < 10000 && width <= 4) {
    // The usual case: at most four digits, written where they go.
    const int digits = value >= 1000 ? 4 : value >= 100 ? 3 : value >= 10 ? 2 : 1;
    const auto n = static_cast<size_t>(std::max(digits, width));
    char16_t* const q = out.Reserve(n);
    auto rest = static_cast<unsigned>(value);
    for (size_t i = n; i-- > 0;) {
      q[i] = static_cast<char16_t>(u'0' + rest % 10);
      rest /= 10;
    }
    out.Commit(n);
    return;
  }
  char16_t text[24];
  char16_t* const end = text + sizeof text / sizeof text[0];
  char16_t* p = end;
  const bool negative = value < 0;
  unsigned magnitude = negative ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  do {
    *--p = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  const int zeros = std::min(width - static_cast<int>(end - p) - (negative ? 1 : 0), static_cast<int>(p - text) - 1);
  for (int i = 0; i < zeros; ++i) *--p = u'0';
  if (negative) *--p = u'-';
  const auto n = static_cast<size_t>(end - p);
  std::copy(p, end, out.Reserve(n));
  out.Commit(n);
}

struct TDecoded {
  int Year, Month, Day, Hour, Min, Sec, MSec, WeekDay;
};

class TFormatter {
 public:
  TFormatter(TDateTime value, const TFormatSettings& settings) : FSettings(settings) {
    DecodeDateTime(value, F.Year, F.Month, F.Day, F.Hour, F.Min, F.Sec, F.MSec);
    F.WeekDay = DayOfWeek(value);
  }

  void Append(TOutText& out, const ustring& format, int depth) {
    if (depth >= MaxNesting) return;
    const bool twelveHour = HasAmPm(format);
    bool afterHour = false;  // m and mm right after h or hh are minutes
    size_t i = 0;
    while (i < format.size()) {
      const char16_t c = format[i];
      const char16_t lc = Lower(c);
      size_t run = 1;
      bool isHour = false;
      switch (lc) {
        case u'\'':
        case u'"':
          i += QuotedLength(format, i, &out);
          continue;  // literals leave afterHour as it is
        case u'/':
          if (FSettings.DateSeparator) out += FSettings.DateSeparator;
          i += 1;
          continue;
        case u':':
          if (FSettings.TimeSeparator) out += FSettings.TimeSeparator;
          i += 1;
          continue;
        case u'c':
          Append(out, FSettings.ShortDateFormat, depth + 1);
          if (F.Hour || F.Min || F.Sec || F.MSec) {
            out += u' ';
            Append(out, FSettings.LongTimeFormat, depth + 1);
          }
          break;
        case u'd':
          run = std::min<size_t>(RunLength(format, i, u'd'), 6);
          switch (run) {
            case 1: AppendNumber(out, F.Day, 1); break;
            case 2: AppendNumber(out, F.Day, 2); break;
            case 3: out += DayName(FSettings.ShortDayNames); break;
            case 4: out += DayName(FSettings.LongDayNames); break;
            case 5: Append(out, FSettings.ShortDateFormat, depth + 1); break;
            default: Append(out, FSettings.LongDateFormat, depth + 1); break;
          }
          break;
        case u'm':
          run = RunLength(format, i, u'm');
          if (afterHour && run <= 2) {
            AppendNumber(out, F.Min, static_cast<int>(run));
            break;
          }
          run = std::min<size_t>(run, 4);
          if (run <= 2) AppendNumber(out, F.Month, static_cast<int>(run));
          else out += MonthName(run == 3 ? FSettings.ShortMonthNames : FSettings.LongMonthNames);
          break;
        case u'y':
          run = RunLength(format, i, u'y');
          if (run <= 2) AppendNumber(out, F.Year % 100, 2);
          else AppendNumber(out, F.Year, 4);
          break;
        case u'h': {
          run = std::min<size_t>(RunLength(format, i, u'h'), 2);
          int hour = F.Hour;
          if (twelveHour) {
            hour %= 12;
            if (hour == 0) hour = 12;
          }
          AppendNumber(out, hour, static_cast<int>(run));
          isHour = true;
          break;
        }
        case u'n':
          run = std::min<size_t>(RunLength(format, i, u'n'), 2);
          AppendNumber(out, F.Min, static_cast<int>(run));
          break;
        case u's':
          run = std::min<size_t>(RunLength(format, i, u's'), 2);
          AppendNumber(out, F.Sec, static_cast<int>(run));
          break;
        case u'z':
          run = RunLength(format, i, u'z') >= 3 ? 3 : 1;
          AppendNumber(out, F.MSec, run == 3 ? 3 : 1);
          break;
        case u't':
          run = std::min<size_t>(RunLength(format, i, u't'), 2);
          Append(out, run == 1 ? FSettings.ShortTimeFormat : FSettings.LongTimeFormat, depth + 1);
          break;
        case u'a':
          if (StartsWithNoCase(format, i, u"am/pm")) {
            run = 5;
            out += std::u16string_view(format).substr(F.Hour >= 12 ? i + 3 : i, 2);  // in the case written
          } else if (StartsWithNoCase(format, i, u"a/p")) {
            run = 3;
            out += format[F.Hour >= 12 ? i + 2 : i];
          } else if (StartsWithNoCase(format, i, u"ampm")) {
            run = 4;
            out += F.Hour >= 12 ? FSettings.TimePMString : FSettings.TimeAMString;
          } else {
            out += c;
            i += 1;
            continue;
          }
          break;
        default:
          out += c;
          i += 1;
          continue;
      }
      afterHour = isHour;
      i += run;
    }
  }

 private:
  std::u16string_view DayName(const std::array<ustring, 7>& names) const {
    return F.WeekDay >= 1 && F.WeekDay <= 7 ? std::u16string_view(names[F.WeekDay - 1]) : std::u16string_view();
  }
  std::u16string_view MonthName(const std::array<ustring, 12>& names) const {
    return F.Month >= 1 && F.Month <= 12 ? std::u16string_view(names[F.Month - 1]) : std::u16string_view();
  }

  const TFormatSettings& FSettings;
  TDecoded F{};
};

}  // namespace

ustring FormatDateTime(const ustring& Format, TDateTime Value, const TFormatSettings& Settings) {
  static const ustring general = u"c";
  TFormatter formatter(Value, Settings);
  ustring text;
  TOutText out(text);
  formatter.Append(out, Format.empty() ? general : Format, 0);
  out.Flush();
  return text;
}

ustring DateToStr(TDateTime Value, const TFormatSettings& Settings) { return FormatDateTime(u"ddddd", Value, Settings); }
ustring TimeToStr(TDateTime Value, const TFormatSettings& Settings) { return FormatDateTime(u"tt", Value, Settings); }
ustring DateTimeToStr(TDateTime Value, const TFormatSettings& Settings) { return FormatDateTime(u"c", Value, Settings); }

}  // namespace vxRuntime
