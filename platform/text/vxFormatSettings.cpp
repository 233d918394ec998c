// The format settings: separators, date and time formats and the names of
// months and days, filled from the process locale through ICU.
#include "platform/text/vxFormatSettings.h"

#include <unicode/udat.h>
#include <unicode/uloc.h>
#include <unicode/unum.h>

#include <memory>

namespace {

struct DateFormatCloser {
  void operator()(UDateFormat* f) const { udat_close(f); }
};
struct NumberFormatCloser {
  void operator()(UNumberFormat* f) const { unum_close(f); }
};
using DateFormatPtr = std::unique_ptr<UDateFormat, DateFormatCloser>;
using NumberFormatPtr = std::unique_ptr<UNumberFormat, NumberFormatCloser>;

ustring ToPattern(UDateFormat* format) {
  UChar buffer[128];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = udat_toPattern(format, false, buffer, 128, &status);
  if (U_FAILURE(status) || n <= 0) return {};
  return ustring(reinterpret_cast<const char16_t*>(buffer), static_cast<size_t>(n));
}

ustring Symbol(UDateFormat* format, UDateFormatSymbolType type, int32_t index) {
  UChar buffer[64];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = udat_getSymbols(format, type, index, buffer, 64, &status);
  if (U_FAILURE(status) || n <= 0) return {};
  return ustring(reinterpret_cast<const char16_t*>(buffer), static_cast<size_t>(n));
}

char16_t NumberSymbol(UNumberFormat* format, UNumberFormatSymbol symbol, char16_t fallback) {
  UChar buffer[8];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = unum_getSymbol(format, symbol, buffer, 8, &status);
  // Separators are one character; a longer or missing one keeps the default.
  return U_SUCCESS(status) && n == 1 ? static_cast<char16_t>(buffer[0]) : fallback;
}

bool IsPatternLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// The first character of the pattern that is neither a letter nor a blank.
char16_t FirstSeparator(const ustring& pattern, char16_t fallback) {
  bool quoted = false;
  for (char16_t c : pattern) {
    if (c == u'\'') quoted = !quoted;
    else if (!quoted && !IsPatternLetter(c) && c != u' ') return c;
  }
  return fallback;
}

// Widens a two-digit year ("yy") to four digits, as the platform shows
// short date formats.
ustring WidenYear(const ustring& pattern) {
  ustring result;
  size_t i = 0;
  while (i < pattern.size()) {
    if (pattern[i] == u'y') {
      size_t j = i;
      while (j < pattern.size() && pattern[j] == u'y') ++j;
      result += (j - i == 2) ? u"yyyy" : pattern.substr(i, j - i);
      i = j;
    } else {
      result += pattern[i++];
    }
  }
  return result;
}

}  // namespace

ustring TFormatSettings::FromIcuPattern(const ustring& icu) {
  ustring out;
  for (size_t i = 0; i < icu.size();) {
    const char16_t c = icu[i];
    if (c == u'\'') {  // quoted literal; '' is one apostrophe
      size_t j = i + 1;
      if (j < icu.size() && icu[j] == u'\'') {
        out += u'\'';
        i = j + 1;
        continue;
      }
      ustring literal;
      while (j < icu.size() && icu[j] != u'\'') literal += icu[j++];
      out += u'"' + literal + u'"';
      i = j + 1;
      continue;
    }
    size_t j = i;
    while (j < icu.size() && icu[j] == c) ++j;
    const size_t run = j - i;
    switch (c) {
      case u'y': case u'Y': case u'u': out.append(run == 2 ? 2 : 4, u'y'); break;
      case u'M': case u'L': out.append(run > 4 ? 4 : run, u'm'); break;
      case u'd': out.append(run > 2 ? 2 : run, u'd'); break;
      case u'E': case u'c': out.append(run >= 4 ? 4 : 3, u'd'); break;
      case u'H': case u'h': case u'k': case u'K': out.append(run > 2 ? 2 : run, u'h'); break;
      case u'm': out.append(run > 2 ? 2 : run, u'n'); break;
      case u's': out.append(run > 2 ? 2 : run, u's'); break;
      case u'S': out.append(3, u'z'); break;
      case u'a': out += u"AMPM"; break;
      default:
        if (IsPatternLetter(c)) break;  // fields the runtime has no letter for (eras, zones)
        // Direction marks of right-to-left locales are no part of the layout.
        if (c == u'\u200E' || c == u'\u200F' || c == u'\u061C') break;
        // ICU puts (narrow) no-break spaces where the platform has blanks.
        out.append(run, c == u'\u202F' || c == u'\u00A0' ? u' ' : c);
    }
    i = j;
  }
  // Drop blanks left at the ends by dropped fields.
  while (!out.empty() && out.back() == u' ') out.pop_back();
  while (!out.empty() && out.front() == u' ') out.erase(0, 1);
  return out;
}

TFormatSettings TFormatSettings::FromLocale(const std::string& icuLocale) {
  TFormatSettings s;
  const char* locale = icuLocale.empty() ? uloc_getDefault() : icuLocale.c_str();
  UErrorCode status = U_ZERO_ERROR;

  NumberFormatPtr number(unum_open(UNUM_DECIMAL, nullptr, 0, locale, nullptr, &status));
  if (U_SUCCESS(status)) {
    s.DecimalSeparator = NumberSymbol(number.get(), UNUM_DECIMAL_SEPARATOR_SYMBOL, s.DecimalSeparator);
    s.ThousandSeparator = NumberSymbol(number.get(), UNUM_GROUPING_SEPARATOR_SYMBOL, s.ThousandSeparator);
  }
  s.ListSeparator = s.DecimalSeparator == u',' ? u';' : u',';

  status = U_ZERO_ERROR;
  NumberFormatPtr currency(unum_open(UNUM_CURRENCY, nullptr, 0, locale, nullptr, &status));
  if (U_SUCCESS(status)) {
    UChar buffer[16];
    status = U_ZERO_ERROR;
    const int32_t n = unum_getSymbol(currency.get(), UNUM_CURRENCY_SYMBOL, buffer, 16, &status);
    if (U_SUCCESS(status) && n > 0) s.CurrencyString.assign(reinterpret_cast<const char16_t*>(buffer), n);
    s.CurrencyDecimals = static_cast<uint8_t>(unum_getAttribute(currency.get(), UNUM_FRACTION_DIGITS));
  }

  auto open = [&](UDateFormatStyle time, UDateFormatStyle date) {
    status = U_ZERO_ERROR;
    DateFormatPtr f(udat_open(time, date, locale, nullptr, 0, nullptr, 0, &status));
    return U_SUCCESS(status) ? std::move(f) : DateFormatPtr();
  };

  if (DateFormatPtr shortDate = open(UDAT_NONE, UDAT_SHORT)) {
    const ustring pattern = WidenYear(FromIcuPattern(ToPattern(shortDate.get())));
    if (!pattern.empty()) s.ShortDateFormat = pattern;
    s.DateSeparator = FirstSeparator(s.ShortDateFormat, s.DateSeparator);
    for (int i = 0; i < 12; ++i) {
      s.ShortMonthNames[i] = Symbol(shortDate.get(), UDAT_SHORT_MONTHS, i);
      s.LongMonthNames[i] = Symbol(shortDate.get(), UDAT_MONTHS, i);
    }
    for (int i = 0; i < 7; ++i) {  // ICU's weekday symbols start at index 1 (Sunday)
      s.ShortDayNames[i] = Symbol(shortDate.get(), UDAT_SHORT_WEEKDAYS, i + 1);
      s.LongDayNames[i] = Symbol(shortDate.get(), UDAT_WEEKDAYS, i + 1);
    }
    const ustring am = Symbol(shortDate.get(), UDAT_AM_PMS, 0);
    const ustring pm = Symbol(shortDate.get(), UDAT_AM_PMS, 1);
    if (!am.empty()) s.TimeAMString = am;
    if (!pm.empty()) s.TimePMString = pm;
  }
  if (DateFormatPtr longDate = open(UDAT_NONE, UDAT_FULL)) {
    const ustring pattern = FromIcuPattern(ToPattern(longDate.get()));
    if (!pattern.empty()) s.LongDateFormat = pattern;
  }
  if (DateFormatPtr shortTime = open(UDAT_SHORT, UDAT_NONE)) {
    const ustring pattern = FromIcuPattern(ToPattern(shortTime.get()));
    if (!pattern.empty()) s.ShortTimeFormat = pattern;
  }
  if (DateFormatPtr longTime = open(UDAT_MEDIUM, UDAT_NONE)) {
    const ustring pattern = FromIcuPattern(ToPattern(longTime.get()));
    if (!pattern.empty()) s.LongTimeFormat = pattern;
    s.TimeSeparator = FirstSeparator(s.LongTimeFormat, s.TimeSeparator);
  }
  return s;
}

TFormatSettings& FormatSettings() {
  static TFormatSettings settings = TFormatSettings::FromLocale({});
  return settings;
}
