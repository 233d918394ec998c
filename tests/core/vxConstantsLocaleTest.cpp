// Tests of core/vxConstantsLocale.h: the language table and the weekday names
// of the constants unit.
#include "core/vxConstants.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/base/vxCodePage.h"
#include "platform/text/vxLocale.h"

namespace {

bool IsUpperLetters(std::u16string_view s, size_t length) {
  if (s.size() != length) return false;
  for (char16_t c : s)
    if (c < u'A' || c > u'Z') return false;
  return true;
}

bool IsUpperHex(std::u16string_view s) {
  if (s.size() != 4) return false;
  for (char16_t c : s)
    if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'))) return false;
  return true;
}

std::string Utf8(std::u16string_view s) { return WideToUtf8(s); }

}  // namespace

TEST(LocaleTable, Integrity) {
  ASSERT_EQ(LocaleTable.size(), 261u);
  std::set<std::u16string_view> lcids, abbreviations, languageCodes;
  int languagesWithLocale = 0, localesWithBCode = 0;
  std::u16string_view previousB;
  for (size_t i = 0; i < LocaleTable.size(); ++i) {
    const TLocaleTableRow& row = LocaleTable[i];
    const int number = static_cast<int>(i + 1);
    SCOPED_TRACE("row " + std::to_string(number) + " " + Utf8(row.Name));
    EXPECT_TRUE(IsUpperLetters(row.ISO639_1, 2));
    EXPECT_FALSE(row.Name.empty());
    EXPECT_TRUE(row.ISO639_2B.empty() || IsUpperLetters(row.ISO639_2B, 3));
    EXPECT_TRUE(row.ISO639_2T.empty() || IsUpperLetters(row.ISO639_2T, 3));
    EXPECT_TRUE(row.ISO639_2T.empty() || row.ISO639_2T != row.ISO639_2B);  // only where it differs
    EXPECT_TRUE(row.Abbreviation.empty() || IsUpperLetters(row.Abbreviation, 3));
    EXPECT_TRUE(row.LCID.empty() || IsUpperHex(row.LCID));
    // A locale has both its abbreviation and its id, or neither.
    EXPECT_EQ(row.Abbreviation.empty(), row.LCID.empty());
    if (!row.LCID.empty()) {
      EXPECT_TRUE(lcids.insert(row.LCID).second) << "repeated id";
      EXPECT_TRUE(abbreviations.insert(row.Abbreviation).second) << "repeated abbreviation";
      EXPECT_FALSE(LocaleNameForLCID(LocaleTableLCID(number)).empty()) << "an id ICU does not know";
    }
    if (number <= 172) {
      // Languages: each code once, ordered by their bibliographic codes.
      EXPECT_TRUE(languageCodes.insert(row.ISO639_1).second) << "repeated language";
      EXPECT_FALSE(row.ISO639_2B.empty());
      EXPECT_LT(previousB, row.ISO639_2B);
      previousB = row.ISO639_2B;
      if (!row.LCID.empty()) ++languagesWithLocale;
    } else {
      EXPECT_FALSE(row.LCID.empty());
      if (!row.ISO639_2B.empty()) ++localesWithBCode;
    }
  }
  EXPECT_EQ(languagesWithLocale, 40);
  EXPECT_EQ(localesWithBCode, 3);
}

TEST(LocaleTable, PairingsKeptAsWritten) {
  EXPECT_EQ(LocaleTable[6].ISO639_1, u"AN");  // row 7
  EXPECT_EQ(LocaleTable[6].Name, u"Arabic - Algeria");
  EXPECT_EQ(LocaleTable[225].ISO639_1, u"ML");  // rows 226 and 227: Malay
  EXPECT_EQ(LocaleTable[226].ISO639_1, u"ML");
  EXPECT_EQ(LocaleTable[97].ISO639_1, u"MO");  // Moldavian
  EXPECT_EQ(LocaleTable[126].ISO639_2B, u"SCC");
  EXPECT_EQ(LocaleTable[127].ISO639_2B, u"SCR");
  EXPECT_EQ(LocaleTable[107].Name, u"Norwegian - Norway (Bokmål)");
}

TEST(LocaleTable, FirstMatchWins) {
  struct Case { const char16_t* code; int row; uint32_t lcid; } cases[] = {
      {u"ES", 236, 0x2C0A},  {u"PT", 230, 0x0416}, {u"PL", 229, 0x0415}, {u"SV", 257, 0x081D},
      {u"ZH", 189, 0x0C04},  {u"DE", 45, 0x0407},  {u"DEU", 45, 0x0407}, {u"GER", 45, 0x0407},
      {u"EN", 36, 0x0809},   {u"ENG", 36, 0x0809}, {u"FR", 42, 0x040C},  {u"FRA", 42, 0x040C},
      {u"FRE", 42, 0x040C},  {u"AR", 6, 0x0401},   {u"ENU", 206, 0x0409}, {u"ML", 226, 0x083E},
      {u"MKD", 215, 0x042F}, {u"SQI", 4, 0x041C},  {u"MS", 0, 0},         {u"XX", 0, 0},
      {u"de", 0, 0},         {u"", 0, 0},          {u"EUS", 0, 0},  // rows without an id never match
  };
  for (const Case& c : cases) {
    const int row = FindLocaleTableRow(c.code);
    EXPECT_EQ(row, c.row) << Utf8(c.code);
    EXPECT_EQ(LocaleTableLCID(row), c.lcid) << Utf8(c.code);
  }
}

TEST(DayNameTable, SundayFirstInFiveLanguages) {
  EXPECT_EQ(DayNameTable[0][0], u"Sunday");
  EXPECT_EQ(DayNameTable[1][1], u"Montag");
  EXPECT_EQ(DayNameTable[1][3], u"lunedì");
  EXPECT_EQ(DayNameTable[6][4], u"sobota");
  for (const auto& row : DayNameTable)
    for (std::u16string_view name : row) EXPECT_FALSE(name.empty());
}
