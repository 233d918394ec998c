// Tests of core/internal/vxDateTime.h: the internal date unit that the cipher
// routines use: the same operations as TvxDateTime.
#include "core/internal/vxDateTime.h"

#include <gtest/gtest.h>

#include "core/internal/vxConstants.h"
#include "platform/time/vxDateUtils.h"
#include "platform/base/vxExceptions.h"

using vxRuntime::EncodeDate;
using vxRuntime::EncodeDateTime;

namespace {

ustring ErrorText(const ustring& text) {
  try {
    vxInternal::TvxDateTime::StrToDateTime_YYYYMMDDHHNNSS(text);
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return u"(no error)";
}

}  // namespace

TEST(InternalDateTime, CompactLayoutReadsItsPartsStrictly) {
  EXPECT_EQ(vxInternal::TvxDateTime::StrToDateTime_YYYYMMDDHHNNSS(u"20240131235959"),
            EncodeDateTime(2024, 1, 31, 23, 59, 59, 0));
  struct Case { const char16_t* text; const char16_t* message; } cases[] = {
      {u"2024013123xx59", u"'xx' ist kein gültiger Integerwert"},
      {u"20240131", u"'' ist kein gültiger Integerwert"},  // the hour part is empty
      {u"20241301000000", u"'2024-13-01 00:00:00.000' ist keine gültige Datums- und Uhrzeitangabe"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorText(c.text), c.message);
  // The other class counts such parts as 0.
  EXPECT_EQ(TvxDateTime::StrToDateTime_YYYYMMDDHHNNSS(u"2024013123xx59"), EncodeDateTime(2024, 1, 31, 23, 0, 59, 0));
}

TEST(InternalDateTime, SharesTheOtherOperations) {
  namespace internal = vxInternal::TvxDateTime;
  const TDateTime noon = EncodeDateTime(2024, 1, 1, 12, 0, 0, 0);
  EXPECT_EQ(internal::DateTimeToTimeStampStr(noon, false), "000B4646h02932E00h");
  EXPECT_EQ(internal::TimeStampStrToDateTime(u"000B4646h02932E00h"), noon);
  EXPECT_EQ(internal::StrToDateExt(u"31.12.1999", std::vector<ustring>{u"dd.mm.yyyy"}, 0), EncodeDate(1999, 12, 31));
  EXPECT_EQ(internal::StrToDate_ISO(u"2024-02-29"), EncodeDate(2024, 2, 29));
  EXPECT_EQ(internal::DateTimeToISOStr(noon), u"2024-01-01 12:00:00");
  EXPECT_EQ(internal::SecToLangTime(61), "1 minute and 1 second");
  EXPECT_EQ(internal::GetDayNumberFromStr("montag"), 2);
  EXPECT_EQ(internal::ShortDateFormat(u"de"), u"dd.mm.yyyy");
  EXPECT_EQ(vxInternal::GetTimeZoneBias(), GetTimeZoneBias());
  EXPECT_EQ(vxInternal::LocaleTable.size(), 261u);
  EXPECT_EQ(vxInternal::DayNameTable[0][0], u"Sunday");
}
