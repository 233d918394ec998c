// Tests of core/vxToolsEvo2.h: the library's case mapping: every UTF-16 unit
// mapped by itself to its simple upper- or lower-case partner.
#include "core/vxToolsEvo2.h"

#include <gtest/gtest.h>

TEST(CaseMapping, Table) {
  struct Case {
    ustring in, upper, lower;
  };
  const Case cases[] = {
      {u"", u"", u""},
      {u"Ab1-z", u"AB1-Z", u"ab1-z"},
      {u"äöü", u"ÄÖÜ", u"äöü"},
      {u"ÄÖÜ", u"ÄÖÜ", u"äöü"},
      {u"straße", u"STRAßE", u"straße"},    // no expansion: still 6 units
      {u"Ωμέγα", u"ΩΜΈΓΑ", u"ωμέγα"},       // other scripts map too
      {u"ǅ", u"Ǆ", u"ǆ"},                    // title-case letter, simple mapping
      {u"x\U00010428y", u"X\U00010428Y", u"x\U00010428y"},  // surrogate halves stay
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UpperStrW(c.in), c.upper);
    EXPECT_EQ(LowerStrW(c.in), c.lower);
    EXPECT_EQ(UpperStrW(c.in).size(), c.in.size());
  }
}

TEST(CaseMapping, ArgumentUnchanged) {
  const ustring s = u"abc";
  (void)UpperStrW(s);
  EXPECT_EQ(s, u"abc");
}
