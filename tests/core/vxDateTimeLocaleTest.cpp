// Tests of core/vxDateTimeLocale.h: TvxDateTime: the short date format of the
// process.
#include "core/vxDateTime.h"

#include <gtest/gtest.h>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/text/vxLocale.h"

namespace {

ustring RaisedText(const ustring& locale) {
  try {
    TvxDateTime::ShortDateFormat(locale);
  } catch (const Exception& e) {
    EXPECT_STREQ(e.ClassName(), "Exception");
    return e.Message();
  }
  return u"(no error)";
}

}  // namespace

TEST(DateTimeShortDateFormat, LanguageCodesAndLocaleNames) {
  using TvxDateTime::ShortDateFormat;
  EXPECT_EQ(ShortDateFormat(u"de"), u"dd.mm.yyyy");  // the two-digit year widened
  EXPECT_EQ(ShortDateFormat(u"DEU"), ShortDateFormat(u"de"));
  EXPECT_EQ(ShortDateFormat(u"de-DE"), ShortDateFormat(u"de"));
  // English is the United Kingdom's; ENU the United States'.
  EXPECT_EQ(ShortDateFormat(u"en"), u"dd/mm/yyyy");
  EXPECT_EQ(ShortDateFormat(u"ENU"), u"m/d/yyyy");
  EXPECT_EQ(ShortDateFormat(u"en-US"), u"m/d/yyyy");
  EXPECT_EQ(ShortDateFormat(u"ML"), ShortDateFormat(FormatSettingsForLCID(0x083E)));
  EXPECT_EQ(ShortDateFormat(u"es"), ShortDateFormat(FormatSettingsForLCID(0x2C0A)));
}

TEST(DateTimeShortDateFormat, UnknownCodesRaise) {
  struct Case { const char16_t* locale; const char16_t* message; } cases[] = {
      {u"xx", u"LCID for locale XX not found!"},
      {u" de", u"LCID for locale  DE not found!"},  // measured trimmed, searched as given
      {u"de ", u"LCID for locale DE  not found!"},
      {u"MS", u"LCID for locale MS not found!"},
      {u"eus", u"LCID for locale EUS not found!"},
  };
  for (const Case& c : cases) EXPECT_EQ(RaisedText(c.locale), c.message) << WideToUtf8(c.locale);
}

TEST(DateTimeShortDateFormat, EmptyOrUnknownNamesGiveTheProcessLocale) {
  const ustring own = TvxDateTime::ShortDateFormat(TFormatSettings::FromLocale({}));
  for (const char16_t* name : {u"", u"abcd", u"qq-QQ", u"not a locale", u"x"})
    EXPECT_EQ(TvxDateTime::ShortDateFormat(name), own) << WideToUtf8(name);
}

TEST(DateTimeShortDateFormat, SlashStandsForTheSeparator) {
  struct Case { const char16_t* pattern; char16_t separator; const char16_t* result; } cases[] = {
      {u"dd/mm/yyyy", u'.', u"dd.mm.yyyy"},
      {u"yyyy/mm/dd", u'-', u"yyyy-mm-dd"},
      {u"dd.mm.yyyy", u'.', u"dd.mm.yyyy"},
      {u"m/d/yyyy", u'/', u"m/d/yyyy"},
  };
  for (const Case& c : cases) {
    TFormatSettings s;
    s.ShortDateFormat = c.pattern;
    s.DateSeparator = c.separator;
    EXPECT_EQ(TvxDateTime::ShortDateFormat(s), c.result);
  }
}

TEST(DateTimeShortDateFormat, ProcessSettings) {
  const TFormatSettings saved = FormatSettings();
  FormatSettings().ShortDateFormat = u"yyyy/mm/dd";
  FormatSettings().DateSeparator = u'-';
  EXPECT_EQ(TvxDateTime::ShortDateFormat(), u"yyyy-mm-dd");
  FormatSettings() = saved;
}
