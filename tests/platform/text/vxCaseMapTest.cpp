// Tests of platform/text/vxCaseMap.h: the one-to-one mapping per unit and
// the full upper-casing, whatever the process's locale.
#include "platform/text/vxCaseMap.h"

#include <gtest/gtest.h>

#include "support/vxLocaleGuard.h"

namespace {

TEST(CaseMap, UnitByUnitKeepsTheLength) {
  EXPECT_EQ(vxCaseMap::Upper(u"straße äöü"), u"STRAßE ÄÖÜ");
  EXPECT_EQ(vxCaseMap::Lower(u"ÄÖÜ ABC"), u"äöü abc");
}

TEST(CaseMap, FullUpperCasingMayLengthenTheText) {
  struct TCase {
    ustring In, Out;
  } cases[] = {
      {u"straße", u"STRASSE"},
      {u"content-disposition", u"CONTENT-DISPOSITION"},
      {u"\uFB01le", u"FILE"},  // the "fi" ligature
      {u"\U00010428", u"\U00010400"},  // a Deseret letter: a surrogate pair as one character
      {u"", u""},
      {ustring(1000, u'ß'), ustring(2000, u'S')},
  };
  for (const TCase& c : cases) EXPECT_EQ(vxCaseMap::UpperFull(c.In), c.Out);
  // A Turkish default locale leaves "i" an ASCII "I".
  TLocaleGuard turkish("tr_TR");
  EXPECT_EQ(vxCaseMap::UpperFull(u"disposition"), u"DISPOSITION");
}

}  // namespace
