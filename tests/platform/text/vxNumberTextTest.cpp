// Tests of platform/text/vxNumberText.h: reading decimal and integer number
// texts exactly, and writing doubles as digits.
#include "platform/text/vxNumberText.h"

#include <gtest/gtest.h>

#include "platform/base/vxExceptions.h"

#include <cmath>
#include <limits>

#include "platform/values/vxCurrency.h"

namespace {

std::string Label(const ustring& s) { return std::string(s.begin(), s.end()); }

TEST(NumberText, TextToFloat) {
  struct Case {
    const char16_t* text;
    char16_t separator;
    bool readable;
    double value;
  };
  const Case cases[] = {
      {u"0", u'.', true, 0},
      {u"  12.5", u'.', true, 12.5},
      {u"+12.5", u'.', true, 12.5},
      {u"-12,5", u',', true, -12.5},
      {u"12,5", u'.', false, 0},  // the other separator is no separator
      {u".5", u'.', true, 0.5},
      {u"5.", u'.', true, 5},
      {u"1e3", u'.', true, 1000},
      {u"1E+3", u'.', true, 1000},
      {u"2.5e-1", u'.', true, 0.25},
      {u"0.000", u'.', true, 0},
      {u"000123.4500", u'.', true, 123.45},
      {u"1.7976931348623157e308", u'.', true, 1.7976931348623157e308},
      {u"1.8e308", u'.', false, 0},                 // beyond the double range
      {u"1e99999999999999999999", u'.', false, 0},  // an exponent beyond any range
      {u"1e-99999999999999999999", u'.', true, 0},  // too small: zero
      {u"4.9e-324", u'.', true, 4.9e-324},
      {u"1e-400", u'.', true, 0},
      {u"0.1", u'.', true, 0.1},
      {u"", u'.', false, 0},
      {u" ", u'.', false, 0},
      {u".", u'.', false, 0},
      {u"-", u'.', false, 0},
      {u"1e", u'.', false, 0},
      {u"1e+", u'.', false, 0},
      {u"e5", u'.', false, 0},
      {u"12 ", u'.', false, 0},  // nothing may follow
      {u"\t12", u'.', false, 0}, // only blanks lead
      {u"1.2.3", u'.', false, 0},
      {u"inf", u'.', false, 0},
      {u"nan", u'.', false, 0},
      {u"0x10", u'.', false, 0},
      {u"\uFF11", u'.', false, 0},  // digits are ASCII digits
  };
  for (const Case& c : cases) {
    double value = -1;
    EXPECT_EQ(TextToFloat(c.text, c.separator, value), c.readable) << Label(c.text);
    if (c.readable) {
      EXPECT_EQ(value, c.value) << Label(c.text);
    }
  }
  double negativeZero = 1;
  ASSERT_TRUE(TextToFloat(u"-0", u'.', negativeZero));
  EXPECT_TRUE(std::signbit(negativeZero));
}

TEST(NumberText, FitsInt64) {
  EXPECT_TRUE(FitsInt64(0));
  EXPECT_TRUE(FitsInt64(-9223372036854775808.0));
  EXPECT_FALSE(FitsInt64(9223372036854775808.0));
  EXPECT_TRUE(FitsInt64(9223372036854774784.0));  // the last double below 2^63
  EXPECT_FALSE(FitsInt64(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(FitsInt64(-std::numeric_limits<double>::infinity()));
}

TEST(NumberText, TextToCurrency) {
  struct Case {
    const char16_t* text;
    bool readable;
    int64_t scaled;
  };
  const Case cases[] = {
      {u"0", true, 0},
      {u"1", true, 10000},
      {u"-1.5", true, -15000},
      {u"0.0001", true, 1},
      {u"0.00005", true, 1},   // half away from zero
      {u"-0.00005", true, -1},
      {u"0.000049", true, 0},
      {u"0.00015", true, 2},
      {u"1.23456789", true, 12346},
      {u"1e2", true, 1000000},
      {u"1e-4", true, 1},
      {u"1e-99999999999", true, 0},
      {u"922337203685477.5807", true, 9223372036854775807},
      {u"-922337203685477.5808", true, -9223372036854775807 - 1},
      {u"922337203685477.5808", false, 0},
      {u"922337203685477.58075", false, 0},  // rounds beyond the range
      {u"9999999999999999", false, 0},
      {u"1e15", false, 0},
      {u"1e99999999999", false, 0},
      {u"abc", false, 0},
      {u"", false, 0},
  };
  for (const Case& c : cases) {
    Currency value{-7};
    EXPECT_EQ(TextToCurrency(c.text, u'.', value), c.readable) << Label(c.text);
    if (c.readable) {
      EXPECT_EQ(value.Scaled, c.scaled) << Label(c.text);
    }
  }
  Currency comma;
  ASSERT_TRUE(TextToCurrency(u"12,34", u',', comma));
  EXPECT_EQ(comma.Scaled, 123400);
}

}  // namespace

TEST(NumberText, StrictIntegerConversion) {
  struct Case { const char16_t* text; int32_t value; } good[] = {
      {u"42", 42},           {u" 42", 42},          {u"-7", -7},   {u"+7", 7},
      {u"$1F", 31},          {u"x1f", 31},          {u"0X1F", 31},
      {u"$000B4646", 0xB4646}, {u"2147483647", 2147483647}, {u"-2147483648", INT32_MIN},
  };
  for (const Case& c : good) {
    EXPECT_EQ(vxRuntime::StrToInt(c.text), c.value);
  }
  for (const char16_t* text : {u"", u"42 ", u"4.0", u"abc", u"2147483648", u"$", u"-", u"$100000000", u"1e3", u"000B4646"}) {
    int32_t value = 5;
    EXPECT_FALSE(vxRuntime::TryStrToInt(text, value));
    EXPECT_EQ(value, 5);
    try {
      vxRuntime::StrToInt(text);
      ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), u"'" + ustring(text) + u"' ist kein gültiger Integerwert");
    }
  }
}

TEST(NumberText, DecimalDigitsOfADouble) {
  struct Case {
    double Value;
    int Significant;
    std::string Digits;
    int Exponent;
  };
  const Case cases[] = {
      {1500, 4, "1500", 3},
      {0.1, 17, "10000000000000001", -1},
      {0.1, 0, "1", -1},  // the shortest digits that read back
      {9.995, 3, "999", 0},  // 9.995 is a little below, so it rounds down
      {9.9996, 4, "1000", 1},  // rounding carries into a new digit
      {5e-324, 0, "5", -324},
      {1.7976931348623157e308, 0, "17976931348623157", 308},
  };
  for (const Case& c : cases) {
    std::string digits;
    int exponent = 99;
    vxNumberText::DecimalDigits(c.Value, c.Significant, digits, exponent);
    EXPECT_EQ(digits, c.Digits) << c.Value;
    EXPECT_EQ(exponent, c.Exponent) << c.Value;
  }
}

TEST(NumberText, GeneralTextIsThePrintfForm) {
  EXPECT_EQ(vxNumberText::GeneralText(0.1, 17), "0.10000000000000001");
  EXPECT_EQ(vxNumberText::GeneralText(1e20, 17), "1e+20");
  EXPECT_EQ(vxNumberText::GeneralText(-2.5, 17), "-2.5");
  EXPECT_EQ(vxNumberText::GeneralText(1234567, 3), "1.23e+06");
}

// Integers as the C "%0*d" and "%0*llx" forms wrote them, whatever the locale.
TEST(NumberText, IntegerTexts) {
  using vxNumberText::HexText;
  using vxNumberText::IntText;
  EXPECT_EQ(IntText(0), "0");
  EXPECT_EQ(IntText(7, 2), "07");
  EXPECT_EQ(IntText(2024, 2), "2024");
  EXPECT_EQ(IntText(-5, 4), "-005");
  EXPECT_EQ(IntText(-5), "-5");
  EXPECT_EQ(IntText(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(HexText(0xABCu, 8, true), "00000ABC");
  EXPECT_EQ(HexText(0xFFFFFFFFFFFFFFFFu, 16), "ffffffffffffffff");
  EXPECT_EQ(HexText(0), "0");
}
