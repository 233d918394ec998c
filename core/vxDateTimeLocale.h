// TvxDateTime: the short date format of the process, of given format
// settings and of a language code or locale name.
#pragma once

#include "platform/base/vxBase.h"
#include "platform/text/vxFormatSettings.h"

namespace TvxDateTime {

// The short date format of the process settings (FormatSettings()),
// written with their date separator.
ustring ShortDateFormat();

// The settings' short date format with every "/" written as their date
// separator.
ustring ShortDateFormat(const TFormatSettings& LocaleFormat);

// A language code of two or three letters (any case; "de", "DEU", "ENU")
// names the locale of its first row in the language table; raises
// Exception "LCID for locale XX not found!" for a code without one. Any
// other text is a locale name ("de-DE"); an empty or unknown name means the
// process locale.
ustring ShortDateFormat(const ustring& Locale);

}  // namespace TvxDateTime
