// Tests of core/vxStrToFloatConverter.h: reads numbers written with either
// decimal separator, with or without thousands separators.
#include "core/vxStrToFloatConverter.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/base/vxExceptions.h"

namespace {

using namespace TvxStrToFloatConverter;

struct ReadCase {
  const char16_t* text;
  bool replaceImprecisions;
  double expected;
};

TEST(TvxStrToFloatConverter, ReadsEachSeparatorForm) {
  const ReadCase cases[] = {
      {u"1.234,56", false, 1234.56},
      {u"1,234.56", false, 1234.56},
      {u"1 234,56", false, 1234.56},
      {u"1'234.56", false, 1234.56},
      {u"1\u2019234,56", false, 1234.56},
      {u"1.234.567,89", false, 1234567.89},
      {u"1.234.56", false, 1234.56},    // split at the last
      {u"1,234,567", false, 1234567},   // groups of three: an integer
      {u"1.000.000", false, 1000000},
      {u"1 000 000", false, 1000000},
      {u"1.000", false, 1},             // a single separator is the decimal one
      {u"1,000", false, 1},
      {u"12.34", false, 12.34},
      {u"5", false, 5},
      {u"-5", false, -5},
      {u"5-", false, -5},
      {u"+5", false, 5},
      {u"5+", false, 5},
      {u"- 5", false, -5},              // trimmed again after the sign
      {u".5", false, 0.5},
      {u"-.5", false, -0.5},
      {u",5", false, 0.5},
      {u"  \t12,5 \r\n", false, 12.5},
      {u"0", false, 0},
      {u"007", false, 7},
      {u"12,5O", true, 12.5},
      {u"S,5", true, 5.5},
      {u"|!iI,Oo", true, 1111.0},       // every OCR repair: '1111,00'
      {u"s", true, 5},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(StrToFloat(c.text, -99, false, c.replaceImprecisions), c.expected)
        << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
    EXPECT_TRUE(CheckFloatString(c.text, c.replaceImprecisions));
  }
}

struct ErrorCase {
  const char16_t* text;
  bool replaceImprecisions;
  const char16_t* error;
};

TEST(TvxStrToFloatConverter, EachErrorText) {
  const ErrorCase cases[] = {
      {u"", false, u"FloatStr is empty"},
      {u"   ", false, u"FloatStr is empty"},
      {u"-", false, u"FloatStr is empty"},  // a sign alone is no number
      {u" + ", false, u"FloatStr is empty"},
      {u"5.", false, u"Separation char is on the far right"},
      {u"12,5O", false, u"Separation char is on the far right"},
      {u"abc", false, u"Separation char is on the far right"},
      {u"S,5", false, u"Separation char is on the far left"},
      {u".234,5", false, u"Separation char is on the far left"},
      {u"1.23.4", false, u"Distance between separators invalid"},
      {u"1.2345,6", false, u"Distance between separators invalid"},
      {u"1.234,567.8", false, u"Thousand separator differs from previous thousand separator"},
      {u"1.234,567.890,1", false, u"Thousand separator differs from previous thousand separator"},
      {u"1a234.567", false, u"Invalid thousand separator: a in FloatStr"},
      {u"12a4", false, u"Invalid decimal separator: a in FloatStr"},
      {u"1 000", false, u"Invalid decimal separator:   in FloatStr"},
      {u"--5", false, u"Invalid decimal separator: - in FloatStr"},
      {u"1e5", false, u"Invalid decimal separator: e in FloatStr"},
  };
  for (const ErrorCase& c : cases) {
    const std::string label(c.text, c.text + std::char_traits<char16_t>::length(c.text));
    EXPECT_FALSE(CheckFloatString(c.text, c.replaceImprecisions)) << label;
    EXPECT_EQ(StrToFloat(c.text, 7, false, c.replaceImprecisions), 7) << label;
    try {
      StrToFloat(c.text, 7, true, c.replaceImprecisions);
      ADD_FAILURE() << "no exception for '" << label << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), c.error) << label;
    }
  }
}

TEST(TvxStrToFloatConverter, LeftmostDifferingAfterEqualPairBecomesDecimal) {
  // "1,234.567.890": the two rightmost are alike, the leftmost differs and
  // becomes the decimal separator; every "." goes as a thousands separator.
  EXPECT_DOUBLE_EQ(StrToFloat(u"1,234.567.890", 0, true, false), 1.23456789);
}

TEST(TvxStrToFloatConverter, TheCallersTextStaysAsItWas) {
  const ustring text = u" S,5 ";
  EXPECT_EQ(StrToFloat(text, 0, false, true), 5.5);
  EXPECT_EQ(text, u" S,5 ");
}

TEST(TvxStrToFloatConverter, ValuesBeyondTheDoubleRange) {
  const ustring huge = u"1" + ustring(400, u'0');
  EXPECT_EQ(StrToFloat(huge, 3, false, false), 3);
  try {
    StrToFloat(huge, 3, true, false);
    ADD_FAILURE() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Failed to convert String To Extended");
  }
  // The analysis passes, so CheckFloatString says yes.
  EXPECT_TRUE(CheckFloatString(huge, false));
  EXPECT_EQ(StrToFloat(u"0," + ustring(400, u'0') + u"1", 3, true, false), 0);  // too small: zero
}

TEST(TvxStrToFloatConverter, Currency) {
  struct Case {
    const char16_t* text;
    int64_t scaled;
  };
  const Case cases[] = {
      {u"1.234,56", 12345600},
      {u"-1,234.5678", -12345678},
      {u"0,00005", 1},             // beyond four decimals: half away from zero
      {u"-0,00005", -1},
      {u"0,00004999", 0},
      {u"922.337.203.685.477,5807", 9223372036854775807},
      {u"-922.337.203.685.477,5808", -9223372036854775807 - 1},
      {u"12", 120000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StrToCurrency(c.text, Currency{-1}, true, false), Currency{c.scaled});
  }
  const Currency fallback{42};
  const ustring sixteenNines(16, u'9');
  EXPECT_EQ(StrToCurrency(sixteenNines, fallback, false, false), fallback);
  EXPECT_EQ(StrToCurrency(u"922.337.203.685.477,5808", fallback, false, false), fallback);
  try {
    StrToCurrency(sixteenNines, fallback, true, false);
    ADD_FAILURE() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Failed to convert String To Currency");
  }
  try {
    StrToCurrency(u"5.", fallback, true, false);
    ADD_FAILURE() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Separation char is on the far right");
  }
  EXPECT_EQ(StrToCurrency(u"S,5", fallback, false, true), Currency{55000});
}

}  // namespace
