// Tests of core/vxConversion.h: conversions between texts and integers, floats
// and Booleans, with caller-chosen defaults.
#include "core/vxConversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/base/vxExceptions.h"
#include "platform/text/vxFormatSettings.h"

namespace {

using namespace TvxConversion;

constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();

std::string Label(const ustring& s) { return std::string(s.begin(), s.end()); }

struct IntCase {
  const char16_t* text;
  int64_t expected;
};

TEST(TvxConversion, StrToInt) {
  const IntCase cases[] = {
      {u"", 0},  // empty: 0, not the error value
      {u"42", 42},
      {u" 42", 42},
      {u"   -42", -42},
      {u"+7", 7},
      {u"42 ", 5},
      {u"12 ", 5},
      {u"4 2", 5},
      {u"x1F", 31},
      {u"$1F", 31},
      {u"X1f", 31},
      {u"0x1F", 31},
      {u"0X1f", 31},
      {u"-$10", -16},
      {u"$", 5},
      {u"0x", 5},
      {u"-", 5},
      {u"abc", 5},
      {u"4,5", 5},  // no "." so the integer reading fails
      {u"-9223372036854775808", kMin64},
      {u"9223372036854775807", kMax64},
      {u"9223372036854775808", 5},
      {u"-9223372036854775809", 5},
      {u"99999999999999999999999", 5},
      {u"$FFFFFFFFFFFFFFFF", -1},
      {u"$0000FFFFFFFFFFFFFFFF", -1},  // leading zeros are not significant
      {u"$7FFFFFFFFFFFFFFF", kMax64},
      {u"$8000000000000000", kMin64},
      {u"-$8000000000000000", kMin64},
      {u"$10000000000000000", 5},  // a 17th significant digit
      {u"$1G", 5},
      // Texts with ".": read as a real number.
      {u"4.0", 4},
      {u"3.0", 3},
      {u"4.5", 5},
      {u"2.5", 5},
      {u"1,000.00", 1000},
      {u"-7.000", -7},
      {u"1.5e3", 1500},
      {u"abc.def", 5},  // no number: the error value
      {u".", 5},
      {u"1.2.3", 5},
      {u"1e300.0", 5},  // beyond 64 bits
      {u"9223372036854775808.0", 5},
      {u"-9223372036854775808.0", kMin64},
      {u"1e400.0", 5},  // beyond the double range
  };
  for (const IntCase& c : cases) EXPECT_EQ(StrToInt(c.text, 5), c.expected) << Label(c.text);
}

TEST(TvxConversion, HexToInt) {
  const IntCase cases[] = {
      {u"", 0},
      {u"ff", 255},
      {u"FF", 255},
      {u"0", 0},
      {u"0x10", 7},
      {u"$10", 7},
      {u" ff", 7},
      {u"ff ", 7},
      {u"-1", 7},
      {u"FFFFFFFFFFFFFFFF", -1},
      {u"7FFFFFFFFFFFFFFF", kMax64},
      {u"10000000000000000", 7},
      {u"g", 7},
      {u"1.5", 7},
      {u"1.0", 7},
  };
  for (const IntCase& c : cases) EXPECT_EQ(HexToInt(c.text, 7), c.expected) << Label(c.text);
}

TEST(TvxConversion, IntToStr) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-42), "-42");
  EXPECT_EQ(IntToStr(kMin64), "-9223372036854775808");
  EXPECT_EQ(IntToStr(kMax64), "9223372036854775807");
}

TEST(TvxConversion, StrToReal) {
  struct Case {
    const char16_t* text;
    double expected;
  };
  const Case cases[] = {
      {u"1.234,56", 1234.56},
      {u"1,234.56", 1234.56},
      {u"3,5", 3.5},
      {u"-3.5", -3.5},
      {u"  +2.5e2", 250},
      {u"1E-2", 0.01},
      {u".5", 0.5},
      {u"5.", 5},
      {u"1.234.567", 9},   // two "." without ",": unreadable
      {u"1,234,567", 9},   // becomes 1.234.567
      {u"1.234,567,8", 9},
      {u"2.5 ", 9},
      {u"abc", 9},
      {u"1e", 9},
      {u"", 9},
      {u"1e400", 9},       // beyond the double range
      {u"1e-400", 0},      // too small: zero
  };
  for (const Case& c : cases) EXPECT_EQ(StrToReal(c.text, false, 9), c.expected) << Label(c.text);
  EXPECT_EQ(StrToReal(u"", true, 9), 9);  // never raises for the empty text
}

TEST(TvxConversion, StrToRealRaisesWithTheChangedText) {
  struct Case {
    const char16_t* text;
    const char16_t* message;
  };
  const Case cases[] = {
      {u"1,2,3", u"float string conversion exception for value \"1.2.3\""},
      {u"abc", u"float string conversion exception for value \"abc\""},
      {u"1.2.3,4,5", u"float string conversion exception for value \"1.2.3,4,5\""},
      {u"1e400", u"float string conversion exception for value \"1e400\""},
  };
  for (const Case& c : cases) {
    try {
      StrToReal(c.text, true, 0);
      ADD_FAILURE() << "no exception for " << Label(c.text);
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

TEST(TvxConversion, StrToFloatUsesTheConverterWithoutRepairs) {
  EXPECT_EQ(StrToFloat(u"1 234,56", false, 0), 1234.56);
  EXPECT_EQ(StrToFloat(u"abc", false, 7), 7);
  EXPECT_EQ(StrToFloat(u"12,5O", false, 7), 7);
  EXPECT_THROW(StrToFloat(u"abc", true, 7), EConvertError);
}

class LocaleStrToFloatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = FormatSettings();
    FormatSettings().DecimalSeparator = u',';
    FormatSettings().ThousandSeparator = u'.';
  }
  void TearDown() override { FormatSettings() = saved_; }

 private:
  TFormatSettings saved_;
};

TEST_F(LocaleStrToFloatTest, ReadsWithTheSettingsSeparators) {
  struct Case {
    const char16_t* text;
    bool alternative;
    double expected;
  };
  const Case cases[] = {
      {u"1.234,5", false, 1234.5},
      {u"1.2.3.4,5", false, 1234.5},   // every thousands separator goes
      {u"-0,25", false, -0.25},
      {u"1,234.5", false, 1.2345},     // "." goes as a thousands separator
      {u"1 234,5", false, 9},
      {u"1 234,5", true, 1234.5},      // the converter reads it
      {u"abc", true, 9},
      {u"", false, 9},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LocaleStrToFloat(c.text, false, 9, c.alternative), c.expected) << Label(c.text);
  }
  try {
    LocaleStrToFloat(u"1 234,5", true, 9, false);
    ADD_FAILURE() << "no exception";
  } catch (const EConvertError&) {
    ADD_FAILURE() << "a general error was expected";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"cannot convert 1 234,5 to float");
  }
  try {
    LocaleStrToFloat(u"abc", true, 9, true);
    ADD_FAILURE() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Separation char is on the far right");
  }

  FormatSettings().DecimalSeparator = u'.';
  FormatSettings().ThousandSeparator = u',';
  EXPECT_EQ(LocaleStrToFloat(u"1,234.5", false, 9, false), 1234.5);
}

TEST(TvxConversion, RealToStr) {
  struct Case {
    double value;
    int decimals;
    const char* text;
  };
  const Case cases[] = {
      {2.675, 2, "2.68"},  // 2.675 * 100 is 267.5 in double arithmetic
      {1.005, 2, "1.00"},
      {-2.5, 0, "-3"},
      {2.5, 0, "3"},
      {0, 2, "0.00"},
      {-0.001, 2, "0.00"},  // rounds to zero: no sign
      {1234.5678, 3, "1234.568"},
      {0.1, 20, "0.10000000000000000600"},  // 18 significant digits, then zeros
      {1e20, 1, "100000000000000000000.0"},
      {123456789012345678.0, 0, "123456789012345680"},
      {1.5, -1, " 1.50000000000000E+0000"},
      {-1.5, -1, "-1.50000000000000E+0000"},
      {0, -1, " 0.00000000000000E+0000"},
      {123456.789, -1, " 1.23456789000000E+0005"},
      {0.000123, -1, " 1.23000000000000E-0004"},
      {1.7976931348623157e308, -1, " 1.79769313486232E+0308"},
      {5e-324, -1, " 4.94065645841247E-0324"},
  };
  for (const Case& c : cases) EXPECT_EQ(RealToStr(c.value, c.decimals), c.text) << c.value << " " << c.decimals;
}

TEST(TvxConversion, FloatToStr) {
  struct Case {
    double value;
    int decimals;
    int minDecimals;
    const char* text;
  };
  const Case cases[] = {
      {1.23045, 7, 2, "1.23045"},
      {1.5, 7, 2, "1.50"},
      {2, 7, 2, "2.00"},
      {0.1, 7, 2, "0.10"},
      {-3.25, 7, 2, "-3.25"},
      {0.00000001, 7, 2, "0.00"},
      {-0.00000001, 7, 2, "0.00"},
      {1.2345678, 9, 2, "1.2345678"},  // Decimals cut to 7
      {1.23456789, 9, 2, "1.2345679"},
      {2.675, 2, 2, "2.67"},           // no RoundTo here: 2.67499999999999982
      {0.99999999, 7, 2, "1.00"},
      {-9.99999996, 7, 0, "-10"},
      {12.5, 4, 2, "12.50"},
      {12.3456, 4, 2, "12.3456"},
      {3, 1, 4, "3.0000"},             // fewer decimals than MinDecimals: padded
      {3.14159, 2, 0, "3.14"},
      {3, 7, 0, "3"},
      {1e15, 7, 2, "1000000000000000.00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FloatToStr(c.value, c.decimals, c.minDecimals), c.text) << c.value << " " << c.decimals;
  }
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN(), 7, 2), "NAN");
  EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity(), 7, 2), "-INF");
}

TEST(TvxConversion, FloatToStrOfVariants) {
  struct Restore {
    TFormatSettings saved = FormatSettings();
    ~Restore() { FormatSettings() = saved; }
  } restore;
  FormatSettings().DecimalSeparator = u'.';
  Variant target(int32_t{5});
  const Variant reference = Variant::RefTo(target);
  struct Case {
    const char* name;
    Variant value;
    const char* text;
  };
  const Case cases[] = {
      {"smallint", Variant::FromSmallint(-3), "-3"},
      {"integer", Variant(int32_t{42}), "42"},
      {"shortint", Variant::FromShortInt(-128), "-128"},
      {"byte", Variant::FromByte(255), "255"},
      {"word", Variant::FromWord(65535), "65535"},
      {"longword", Variant::FromLongWord(4294967295u), "4294967295"},
      {"int64", Variant(kMin64), "-9223372036854775808"},
      {"currency 2.5", Variant(Currency::FromScaled(25000)), "2.50"},
      {"currency 1.2345", Variant(Currency::FromScaled(12345)), "1.2345"},
      {"currency 0.001", Variant(Currency::FromScaled(10)), "0.001"},
      {"currency -0.0001", Variant(Currency::FromScaled(-1)), "-0.0001"},
      {"currency 3", Variant(Currency::FromScaled(30000)), "3.00"},
      // Beyond 15 significant digits: a double would change the last ones.
      {"currency maximum", Variant(Currency::FromScaled(kMax64)), "922337203685477.5807"},
      {"currency minimum", Variant(Currency::FromScaled(kMin64)), "-922337203685477.5808"},
      {"double", Variant(1.23045), "1.23045"},
      {"double 2", Variant(2.0), "2.00"},
      {"single", Variant::FromSingle(1.5f), "1.50"},
      {"date", Variant::FromDate(45351.5), "45351.50"},
      {"boolean", Variant(true), "1.00"},
      {"text with the locale separator", Variant(u"2.5"), "2.50"},
      {"reference to an integer", reference, "5.00"},
  };
  for (const Case& c : cases) EXPECT_EQ(FloatToStr(c.value), c.text) << c.name;
  EXPECT_THROW(FloatToStr(Variant::Null()), EVariantTypeCastError);
  EXPECT_THROW(FloatToStr(Variant(u"abc")), EVariantTypeCastError);
  EXPECT_THROW(FloatToStr(Variant::ByteArray("a")), EVariantTypeCastError);
}

TEST(TvxConversion, StrToBoolTruthWords) {
  const char16_t* truthWords[] = {u"JA",      u"YES", u"OK",  u"1",  u"X",   u"TRUE", u"WAHR",
                                  u"RICHTIG", u"KORREKT", u"RIGHT", u"YAP", u"OUI", u"CORRECT", u"JAU",
                                  u"YO",      u"JO",  u"YEP", u"YEPP", u"YAPP", u"YUP", u"Y"};
  for (const char16_t* word : truthWords) {
    const ustring upper = word;
    ustring lower = upper;
    for (char16_t& c : lower) {
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    EXPECT_TRUE(StrToBool(upper)) << Label(upper);
    EXPECT_TRUE(StrToBool(lower)) << Label(lower);
    EXPECT_TRUE(StrToBool(u" \t" + lower + u"\r\n ")) << Label(lower);
  }
  struct Case {
    const char16_t* text;
    bool expected;
  };
  const Case cases[] = {
      {u" yes ", true}, {u"y", true},    {u"Ja\t", true}, {u"no", false},   {u"", false},      {u"   ", false},
      {u"0", false},    {u"yess", false}, {u"Y E S", false}, {u"false", false}, {u"ja!", false},
      {u"\u00FF", false},  // only a-z are upper-cased
  };
  for (const Case& c : cases) EXPECT_EQ(StrToBool(c.text), c.expected) << Label(c.text);
}

TEST(TvxConversion, StrToBoolExt) {
  struct Case {
    const char16_t* text;
    const char16_t* trueStr;
    const char16_t* falseStr;
    bool expected;
  };
  const Case cases[] = {
      {u"An", u"an", u"aus", true},
      {u" AN ", u"an", u"aus", true},
      {u"aus", u"an", u"aus", false},
      {u"yes", u"an", u"aus", false},  // only TrueStr counts
      {u"yes", u"", u"", true},        // equal words: StrToBool decides
      {u"no", u"", u"", false},
      {u"ja", u" On", u"on ", true},   // alike after trimming and upper-casing
      {u"\u00FCber", u"\u00DCBER", u"unter", true},  // upper-cased by the case mapping
  };
  for (const Case& c : cases) EXPECT_EQ(StrToBoolExt(c.text, c.trueStr, c.falseStr), c.expected) << Label(c.text);
}

TEST(TvxConversion, BooleanTexts) {
  EXPECT_EQ(BoolToStr(true), u"True");
  EXPECT_EQ(BoolToStr(false), u"False");
  EXPECT_EQ(BoolToStrExt(true, u"an", u"aus"), u"an");
  EXPECT_EQ(BoolToStrExt(false, u"an", u"aus"), u"aus");
  EXPECT_EQ(BoolToSingleByteStr(true), "1");
  EXPECT_EQ(BoolToSingleByteStr(false), "0");
  EXPECT_EQ(BoolToSingleByteStrX(true), "X");
  EXPECT_EQ(BoolToSingleByteStrX(false), "");
  EXPECT_EQ(BoolToInt(true), 1);
  EXPECT_EQ(BoolToInt(false), 0);
  EXPECT_TRUE(IntToBool(-1));
  EXPECT_FALSE(IntToBool(0));
  EXPECT_EQ(IntBoolToStr(2), u"True");
  EXPECT_EQ(IntBoolToStr(0), u"False");

  struct Case {
    const char16_t* text;
    bool expected;
  };
  const Case cases[] = {{u"1", true}, {u"X", true}, {u"x", true}, {u" 1", false}, {u"1 ", false},
                        {u"0", false}, {u"", false}, {u"yes", false}};
  for (const Case& c : cases) EXPECT_EQ(SingleByteStrToBool(c.text), c.expected) << Label(c.text);
}

TEST(TvxConversion, CodePages) {
  // 0x81 is u-umlaut in code page 850 and 0xFC in Windows-1252.
  EXPECT_EQ(AsciiToAnsi("M\x81ller"), "M\xFCller");
  EXPECT_EQ(AnsiToAscii("M\xFCller"), "M\x81ller");
  EXPECT_EQ(AsciiToAnsi(""), "");
  EXPECT_EQ(AnsiToAscii(""), "");
  EXPECT_EQ(AsciiToAnsi(std::string("ab\0cd", 5)), "ab");  // ends at the zero byte
  EXPECT_EQ(AnsiToAscii(std::string("\0cd", 3)), "");
  // A box-drawing character of 850 has no place in 1252.
  EXPECT_EQ(AsciiToAnsi("\xC4"), "?");
}

}  // namespace
