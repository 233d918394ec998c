// TvxDateTime: the short date format of the process, of given format settings
// and of a language code or locale name.
#include "core/vxDateTimeLocale.h"

#include "core/vxConstantsLocale.h"
#include "core/vxToolsEvo2.h"
#include "platform/base/vxExceptions.h"
#include "platform/text/vxLocale.h"
#include "platform/base/vxRuntime.h"

namespace TvxDateTime {

ustring ShortDateFormat() { return ShortDateFormat(FormatSettings()); }

ustring ShortDateFormat(const TFormatSettings& LocaleFormat) {
  ustring result = LocaleFormat.ShortDateFormat;
  for (char16_t& c : result)
    if (c == u'/') c = LocaleFormat.DateSeparator;
  return result;
}

ustring ShortDateFormat(const ustring& Locale) {
  const size_t length = vxRuntime::Trim(Locale).size();
  if (length == 2 || length == 3) {
    // The length is measured trimmed, but the search uses the text as given.
    const ustring code = UpperStrW(Locale);
    const int row = FindLocaleTableRow(code);
    if (row == 0) throw Exception(u"LCID for locale " + code + u" not found!");
    return ShortDateFormat(FormatSettingsForLCID(LocaleTableLCID(row)));
  }
  return ShortDateFormat(FormatSettingsForLocaleName(Locale));
}

}  // namespace TvxDateTime
