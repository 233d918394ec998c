// Tests of platform/text/vxFormatSettings.h: the format settings: separators,
// date and time formats and the names of months and days.
#include "platform/text/vxFormatSettings.h"

#include <gtest/gtest.h>

#include "platform/values/vxVariant.h"
#include "support/vxScopedEnv.h"

TEST(FormatSettings, German) {
  const TFormatSettings s = TFormatSettings::FromLocale("de_DE");
  EXPECT_EQ(s.DecimalSeparator, u',');
  EXPECT_EQ(s.ThousandSeparator, u'.');
  EXPECT_EQ(s.DateSeparator, u'.');
  EXPECT_EQ(s.TimeSeparator, u':');
  EXPECT_EQ(s.ShortDateFormat, u"dd.mm.yyyy");
  EXPECT_EQ(s.LongTimeFormat, u"hh:nn:ss");
  EXPECT_EQ(s.LongMonthNames[2], u"März");
  EXPECT_EQ(s.LongDayNames[0], u"Sonntag");
}

TEST(FormatSettings, UnitedStates) {
  const TFormatSettings s = TFormatSettings::FromLocale("en_US");
  EXPECT_EQ(s.DecimalSeparator, u'.');
  EXPECT_EQ(s.ThousandSeparator, u',');
  EXPECT_EQ(s.DateSeparator, u'/');
  EXPECT_EQ(s.ShortDateFormat, u"m/d/yyyy");
  EXPECT_EQ(s.LongTimeFormat, u"h:nn:ss AMPM");
  EXPECT_EQ(s.TimeAMString, u"AM");
  EXPECT_EQ(s.ShortMonthNames[0], u"Jan");
  EXPECT_EQ(s.ShortDayNames[6], u"Sat");
}

TEST(FormatSettings, IcuPatternLetters) {
  EXPECT_EQ(TFormatSettings::FromIcuPattern(u"yyyy-MM-dd HH:mm:ss.SSS"), u"yyyy-mm-dd hh:nn:ss.zzz");
  EXPECT_EQ(TFormatSettings::FromIcuPattern(u"d 'de' MMMM"), u"d \"de\" mmmm");
  EXPECT_EQ(TFormatSettings::FromIcuPattern(u"h:mm a"), u"h:nn AMPM");
}

TEST(FormatSettings, RightToLeftMarksAreNoSeparators) {
  EXPECT_EQ(TFormatSettings::FromIcuPattern(u"d\u200F/M\u200F/y"), u"d/m/yyyy");
  const TFormatSettings s = TFormatSettings::FromLocale("ar_SA");
  EXPECT_EQ(s.ShortDateFormat.find(u'\u200F'), ustring::npos);
  EXPECT_NE(s.DateSeparator, u'\u200F');
}

// The process's settings are what the conversions use; a change lasts until
// the guard puts the former settings back.
TEST(FormatSettings, ProcessSettingsReachTheConversions) {
  const char16_t before = FormatSettings().DecimalSeparator;
  {
    vxTest::TFormatSettingsGuard guard;
    FormatSettings().DecimalSeparator = before == u',' ? u'.' : u',';
    EXPECT_EQ(Variant(1.5).AsString(), before == u',' ? u"1.5" : u"1,5");
  }
  EXPECT_EQ(FormatSettings().DecimalSeparator, before);
}
