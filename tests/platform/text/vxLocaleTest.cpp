// Tests of platform/text/vxLocale.h: locale identifiers.
#include "platform/text/vxLocale.h"

#include <gtest/gtest.h>
#include <unicode/uloc.h>

TEST(Locale, IdsAndNames) {
  struct Case { uint32_t lcid; const char* name; } cases[] = {
      {0x0407, "de_DE"}, {0x0809, "en_GB"}, {0x0409, "en_US"}, {0x2C0A, "es_AR"}, {0x040C, "fr_FR"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LocaleNameForLCID(c.lcid), c.name);
    EXPECT_EQ(LCIDForLocaleName(ustring(c.name, c.name + 5)), c.lcid);
  }
  EXPECT_EQ(LocaleNameForLCID(0x1234), "");
  EXPECT_EQ(LocaleNameForLCID(0), "");
  EXPECT_EQ(LCIDForLocaleName(u"de-DE"), 0x0407u);
  EXPECT_EQ(LCIDForLocaleName(u"en-US"), 0x0409u);
  EXPECT_EQ(LCIDForLocaleName(u"qq-QQ"), 0u);
  EXPECT_EQ(LCIDForLocaleName(u""), 0u);
}

TEST(Locale, FormatSettingsOfOtherLocales) {
  EXPECT_EQ(FormatSettingsForLCID(0x0407).ShortDateFormat, u"dd.mm.yyyy");
  EXPECT_EQ(FormatSettingsForLCID(0x0407).DateSeparator, u'.');
  EXPECT_EQ(FormatSettingsForLCID(0x0409).ShortDateFormat, u"m/d/yyyy");
  EXPECT_EQ(FormatSettingsForLocaleName(u"de-DE").ShortDateFormat, u"dd.mm.yyyy");
  EXPECT_EQ(FormatSettingsForLocaleName(u"en-GB").ShortDateFormat, u"dd/mm/yyyy");
  // Unknown ids and names fall back to the process locale.
  const ustring own = TFormatSettings::FromLocale({}).ShortDateFormat;
  EXPECT_EQ(FormatSettingsForLCID(0x1234).ShortDateFormat, own);
  EXPECT_EQ(FormatSettingsForLCID(0).ShortDateFormat, own);
  EXPECT_EQ(FormatSettingsForLocaleName(u"abcd").ShortDateFormat, own);
  EXPECT_EQ(FormatSettingsForLocaleName(u"").ShortDateFormat, own);
}

TEST(Locale, UserDefaultFollowsTheProcessLocale) {
  const char* saved = uloc_getDefault();
  const std::string restore = saved;
  UErrorCode status = U_ZERO_ERROR;
  uloc_setDefault("de_DE", &status);
  ASSERT_TRUE(U_SUCCESS(status));
  EXPECT_EQ(UserDefaultLCID(), 0x0407u);
  status = U_ZERO_ERROR;
  uloc_setDefault(restore.c_str(), &status);
}
