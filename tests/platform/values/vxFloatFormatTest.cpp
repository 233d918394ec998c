// Tests of platform/values/vxFloatFormat.h: the runtime's general number
// format, used wherever a number becomes text "as the platform writes it".
#include "platform/values/vxFloatFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(FloatFormat, GeneralWithFifteenDigits) {
  struct Case {
    double value;
    ustring text;
  };
  const Case cases[] = {
      {0, u"0"},
      {-0.0, u"0"},
      {1, u"1"},
      {-2.5, u"-2.5"},
      {100, u"100"},
      {0.1, u"0.1"},
      {0.1 + 0.2, u"0.3"},  // 0.30000000000000004 has 17 digits
      {1.0 / 3, u"0.333333333333333"},
      {2.0 / 3, u"0.666666666666667"},
      {123456789012345.0, u"123456789012345"},
      {1e14, u"100000000000000"},
      {1e15, u"1E15"},  // sixteen integer digits need the exponent form
      {1234567890123456.0, u"1.23456789012346E15"},
      {999999999999999.9, u"1E15"},  // rounding carries into a new digit
      {0.0001, u"0.0001"},
      {0.00012345, u"0.00012345"},
      {0.00001, u"1E-5"},
      {-1.5e-7, u"-1.5E-7"},
      {1e308, u"1E308"},
      {5e-324, u"4.94065645841247E-324"},
      {std::numeric_limits<double>::quiet_NaN(), u"NAN"},
      {std::numeric_limits<double>::infinity(), u"INF"},
      {-std::numeric_limits<double>::infinity(), u"-INF"},
  };
  for (const Case& c : cases) EXPECT_EQ(FloatToStrGeneral(c.value, 15, u'.'), c.text) << c.value;
}

TEST(FloatFormat, SeparatorAndPrecision) {
  EXPECT_EQ(FloatToStrGeneral(-1234.5, 15, u','), u"-1234,5");
  EXPECT_EQ(FloatToStrGeneral(2.5e-9, 15, u','), u"2,5E-9");
  EXPECT_EQ(FloatToStrGeneral(static_cast<float>(0.1f), 7, u'.'), u"0.1");
  EXPECT_EQ(FloatToStrGeneral(1234567.0, 7, u'.'), u"1234567");
  EXPECT_EQ(FloatToStrGeneral(16777216.0, 7, u'.'), u"1.677722E7");
  EXPECT_EQ(FloatToStrGeneral(0.1, 17, u'.'), u"0.10000000000000001");
}

TEST(FloatFormat, Currency) {
  struct Case {
    int64_t scaled;
    ustring text;
  };
  const Case cases[] = {
      {0, u"0"},
      {25000, u"2.5"},
      {30000, u"3"},
      {12345, u"1.2345"},
      {-1, u"-0.0001"},
      {-123450000, u"-12345"},
      {std::numeric_limits<int64_t>::max(), u"922337203685477.5807"},
      {std::numeric_limits<int64_t>::min(), u"-922337203685477.5808"},
  };
  for (const Case& c : cases) EXPECT_EQ(CurrToStrGeneral(Currency::FromScaled(c.scaled), u'.'), c.text) << c.scaled;
  EXPECT_EQ(CurrToStrGeneral(Currency::FromScaled(-25000), u','), u"-2,5");
}
