// The format settings: separators, date and time formats and the names of
// months and days, filled from the process locale through ICU. The
// conversions read them wherever the system speaks of "the system's locale";
// tests set them. Formats use the runtime's date pattern letters
// (d, m, y, h, n for minutes, s, z, "AM/PM").
#pragma once

#include <array>
#include <string>

#include "platform/base/vxBase.h"

struct TFormatSettings {
  char16_t DecimalSeparator = u'.';
  char16_t ThousandSeparator = u',';
  char16_t DateSeparator = u'/';
  char16_t TimeSeparator = u':';
  char16_t ListSeparator = u',';
  ustring ShortDateFormat = u"M/d/yyyy";
  ustring LongDateFormat = u"dddd, MMMM d, yyyy";
  ustring ShortTimeFormat = u"h:nn AMPM";
  ustring LongTimeFormat = u"h:nn:ss AMPM";
  ustring TimeAMString = u"AM";
  ustring TimePMString = u"PM";
  ustring CurrencyString = u"$";
  uint8_t CurrencyDecimals = 2;
  std::array<ustring, 12> ShortMonthNames;  // January first
  std::array<ustring, 12> LongMonthNames;
  std::array<ustring, 7> ShortDayNames;  // Sunday first
  std::array<ustring, 7> LongDayNames;
  // Two-digit years are read within this many years of the current one.
  int TwoDigitYearCenturyWindow = 50;

  // The settings of an ICU locale name such as "de_DE" or "en_US"; an empty
  // name means the process locale.
  static TFormatSettings FromLocale(const std::string& icuLocale);

  // Turns an ICU date/time pattern ("dd.MM.yy", "h:mm:ss a") into the
  // runtime's pattern letters ("dd.mm.yy", "h:nn:ss AMPM").
  static ustring FromIcuPattern(const ustring& icuPattern);
};

// The process-wide settings, filled from the process locale on first use.
// Callers may change them (tests do); there is no lock, so they are set
// before other threads read them.
TFormatSettings& FormatSettings();
