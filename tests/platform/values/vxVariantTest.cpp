// Tests of platform/values/vxVariant.h: Variant: a value whose kind is known
// only at run time, tagged with a 16-bit type code.
#include "platform/values/vxVariant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <ostream>

#include "platform/time/vxDateUtils.h"
#include "platform/text/vxFormatSettings.h"

namespace {

// Restores the process format settings that a test changes.
class FormatSettingsScope {
 public:
  FormatSettingsScope() : FSaved(FormatSettings()) {}
  ~FormatSettingsScope() { FormatSettings() = FSaved; }

 private:
  TFormatSettings FSaved;
};

class DecimalSeparatorScope : FormatSettingsScope {
 public:
  explicit DecimalSeparatorScope(char16_t separator) { FormatSettings().DecimalSeparator = separator; }
};

enum class Outcome { Value, Cast, Overflow };

std::string Describe(const Variant& v) {
  std::string type;
  for (char16_t c : VarTypeAsText(v.VarType())) type += static_cast<char>(c);
  return type;
}

}  // namespace

// Readable failures: the type and, where there is one, the text.
void PrintTo(const Variant& v, std::ostream* os) {
  *os << Describe(v);
  try {
    *os << " " << v.AsAnsiString();
  } catch (const EVariantError&) {
  }
}

TEST(Variant, KindsAndTypeCodes) {
  struct Case {
    Variant value;
    TVarType code;
    ustring text;
  };
  const Case cases[] = {
      {Variant(), varEmpty, u""},
      {Variant::FromSmallint(-32768), 2, u"-32768"},
      {Variant(int32_t{-5}), 3, u"-5"},
      {Variant::FromSingle(0.1f), 4, u"0.1"},
      {Variant(0.1), 5, u"0.1"},
      {Variant(Currency::FromScaled(25000)), 6, u"2.5"},
      {Variant::FromOleStr(u"wide"), 8, u"wide"},
      {Variant::FromError(-2147352572), 10, u"-2147352572"},
      {Variant(true), 11, u"True"},
      {Variant(false), 11, u"False"},
      {Variant::FromShortInt(-128), 16, u"-128"},
      {Variant::FromByte(255), 17, u"255"},
      {Variant::FromWord(65535), 18, u"65535"},
      {Variant::FromLongWord(4294967295u), 19, u"4294967295"},
      {Variant(int64_t{-9223372036854775807 - 1}), 20, u"-9223372036854775808"},
      {Variant::FromUInt64(18446744073709551615u), 21, u"18446744073709551615"},
      {Variant(std::string("Gr\xFC\xDF" "e")), 256, u"Grüße"},
      {Variant("8-bit"), 256, u"8-bit"},
      {Variant(ustring(u"Grüße")), 258, u"Grüße"},
      {Variant(u"literal"), 258, u"literal"},
  };
  DecimalSeparatorScope dot(u'.');
  for (const Case& c : cases) {
    EXPECT_EQ(c.value.VarType(), c.code) << Describe(c.value);
    EXPECT_EQ(c.value.AsString(), c.text) << Describe(c.value);
    const Variant copy = c.value;
    EXPECT_EQ(copy, c.value) << Describe(c.value);
    EXPECT_EQ(copy.VarType(), c.code);
  }
  EXPECT_EQ(Variant::Null().VarType(), varNull);
  EXPECT_EQ(Variant::FromDate(45351.5).VarType(), varDate);
  EXPECT_TRUE(Variant().IsEmpty());
  EXPECT_TRUE(Variant::Null().IsNull());
}

TEST(Variant, TypeCodeValues) {
  const std::pair<TVarType, TVarType> codes[] = {
      {varEmpty, 0},     {varNull, 1},       {varSmallint, 2},  {varInteger, 3},   {varSingle, 4},
      {varDouble, 5},    {varCurrency, 6},   {varDate, 7},      {varOleStr, 8},    {varDispatch, 9},
      {varError, 10},    {varBoolean, 11},   {varVariant, 12},  {varUnknown, 13},  {varShortInt, 16},
      {varByte, 17},     {varWord, 18},      {varLongWord, 19}, {varInt64, 20},    {varUInt64, 21},
      {varStrArg, 72},   {varUStrArg, 74},   {varString, 256},  {varAny, 257},     {varUString, 258},
      {varTypeMask, 4095}, {varArray, 8192}, {varByRef, 16384},
  };
  for (const auto& [constant, value] : codes) EXPECT_EQ(constant, value);
}

TEST(Variant, EqualityIsStrict) {
  EXPECT_NE(Variant(int32_t{1}), Variant(1.0));
  EXPECT_NE(Variant(int32_t{1}), Variant::FromSmallint(1));
  EXPECT_NE(Variant::FromOleStr(u"a"), Variant(u"a"));
  EXPECT_NE(Variant(), Variant::Null());
  EXPECT_EQ(Variant(u"a"), Variant(ustring(u"a")));
  EXPECT_NE(Variant(std::nan("")), Variant(std::nan("")));
}

TEST(Variant, FloatTextsFollowTheDecimalSeparator) {
  DecimalSeparatorScope comma(u',');
  const std::pair<Variant, ustring> cases[] = {
      {Variant(1.0 / 3), u"0,333333333333333"},
      {Variant(-1234.5), u"-1234,5"},
      {Variant(1234567890123456.0), u"1,23456789012346E15"},
      {Variant(0.00001), u"1E-5"},
      {Variant(2.0), u"2"},
      {Variant::FromSingle(2.5f), u"2,5"},
      {Variant(Currency::FromScaled(-12345)), u"-1,2345"},
      {Variant(int32_t{1000}), u"1000"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(value.AsString(), text);
}

TEST(Variant, ToInteger) {
  struct Case {
    Variant value;
    Outcome outcome;
    int32_t result;
  };
  const Case cases[] = {
      {Variant(), Outcome::Value, 0},
      {Variant(int32_t{-7}), Outcome::Value, -7},
      {Variant(2.5), Outcome::Value, 2},  // halves go to the even neighbour
      {Variant(3.5), Outcome::Value, 4},
      {Variant(-2.5), Outcome::Value, -2},
      {Variant(2.4999), Outcome::Value, 2},
      {Variant::FromSingle(1.5f), Outcome::Value, 2},
      {Variant(Currency::FromScaled(25000)), Outcome::Value, 2},
      {Variant(Currency::FromScaled(35000)), Outcome::Value, 4},
      {Variant(Currency::FromScaled(-25001)), Outcome::Value, -3},
      {Variant::FromDate(1.75), Outcome::Value, 2},
      {Variant(true), Outcome::Value, 1},
      {Variant(false), Outcome::Value, 0},
      {Variant::FromError(5), Outcome::Value, 5},
      {Variant::FromByte(200), Outcome::Value, 200},
      {Variant::FromUInt64(7), Outcome::Value, 7},
      {Variant(u"42"), Outcome::Value, 42},
      {Variant(u" 42\t"), Outcome::Value, 42},
      {Variant(u"+42"), Outcome::Value, 42},
      {Variant(u"$1F"), Outcome::Value, 31},
      {Variant(u"0x10"), Outcome::Value, 16},
      {Variant(u"-0X10"), Outcome::Value, -16},
      {Variant("-2147483648"), Outcome::Value, -2147483647 - 1},
      {Variant(u"2.5"), Outcome::Value, 2},
      {Variant(u"1e3"), Outcome::Value, 1000},
      {Variant(int64_t{2147483648}), Outcome::Overflow, 0},
      {Variant::FromLongWord(4000000000u), Outcome::Overflow, 0},
      {Variant(3e9), Outcome::Overflow, 0},
      {Variant(std::nan("")), Outcome::Overflow, 0},
      {Variant(u"2147483648"), Outcome::Overflow, 0},
      {Variant(u"99999999999999999999999"), Outcome::Overflow, 0},
      {Variant::Null(), Outcome::Cast, 0},
      {Variant(u""), Outcome::Cast, 0},
      {Variant(u"abc"), Outcome::Cast, 0},
      {Variant(u"12abc"), Outcome::Cast, 0},
      {Variant(u"2,5"), Outcome::Cast, 0},  // the separator is "." here
      {Variant(u"$"), Outcome::Cast, 0},
      {Variant::ArrayOf({Variant(int32_t{1})}), Outcome::Cast, 0},
  };
  DecimalSeparatorScope dot(u'.');
  for (const Case& c : cases) {
    const std::string label = Describe(c.value) + " " + [&] {
      try {
        return std::string(c.value.AsAnsiString());
      } catch (const EVariantError&) {
        return std::string("?");
      }
    }();
    switch (c.outcome) {
      case Outcome::Value: EXPECT_EQ(c.value.AsInteger(), c.result) << label; break;
      case Outcome::Cast: EXPECT_THROW(c.value.AsInteger(), EVariantTypeCastError) << label; break;
      case Outcome::Overflow: EXPECT_THROW(c.value.AsInteger(), EVariantOverflowError) << label; break;
    }
  }
}

TEST(Variant, ErrorTextsNameBothTypes) {
  try {
    Variant(u"abc").AsInteger();
    FAIL();
  } catch (const EVariantTypeCastError& e) {
    EXPECT_EQ(e.Message(), u"Could not convert variant of type (UnicodeString) into type (Integer)");
    EXPECT_STREQ(e.ClassName(), "EVariantTypeCastError");
  }
  try {
    Variant(3e9).AsInteger();
    FAIL();
  } catch (const EVariantOverflowError& e) {
    EXPECT_EQ(e.Message(), u"Overflow while converting variant of type (Double) into type (Integer)");
  }
  try {
    Variant::Null().AsString();
    FAIL();
  } catch (const EVariantTypeCastError& e) {
    EXPECT_EQ(e.Message(), u"Could not convert variant of type (Null) into type (UnicodeString)");
  }
  EXPECT_EQ(VarTypeAsText(varArray | varByte), u"Array of Byte");
  EXPECT_EQ(VarTypeAsText(varByRef | varVariant), u"ByRef Variant");
  EXPECT_EQ(VarTypeAsText(300), u"type 300");
}

TEST(Variant, ToInt64AndUInt64) {
  const int64_t min64 = std::numeric_limits<int64_t>::min();
  const int64_t max64 = std::numeric_limits<int64_t>::max();
  EXPECT_EQ(Variant(u"-9223372036854775808").AsInt64(), min64);
  EXPECT_EQ(Variant(u"9223372036854775807").AsInt64(), max64);
  EXPECT_THROW(Variant(u"9223372036854775808").AsInt64(), EVariantOverflowError);
  EXPECT_THROW(Variant(9.3e18).AsInt64(), EVariantOverflowError);
  EXPECT_EQ(Variant(-9.2e18).AsInt64(), int64_t{-9200000000000000000});
  EXPECT_THROW(Variant::FromUInt64(18446744073709551615u).AsInt64(), EVariantOverflowError);
  EXPECT_EQ(Variant(u"18446744073709551615").AsUInt64(), 18446744073709551615u);
  EXPECT_EQ(Variant(u"-0").AsUInt64(), 0u);
  EXPECT_THROW(Variant(int32_t{-1}).AsUInt64(), EVariantOverflowError);
  EXPECT_THROW(Variant(u"-1").AsUInt64(), EVariantOverflowError);
  EXPECT_THROW(Variant(1.9e19).AsUInt64(), EVariantOverflowError);
  EXPECT_EQ(Variant(1.5e19).AsUInt64(), 15000000000000000000u);
}

TEST(Variant, ToDouble) {
  struct Case {
    Variant value;
    Outcome outcome;
    double result;
  };
  const Case cases[] = {
      {Variant(), Outcome::Value, 0},
      {Variant(int32_t{-3}), Outcome::Value, -3},
      {Variant::FromSingle(0.5f), Outcome::Value, 0.5},
      {Variant(Currency::FromScaled(12345)), Outcome::Value, 1.2345},
      {Variant::FromDate(45351.25), Outcome::Value, 45351.25},
      {Variant(true), Outcome::Value, 1},
      {Variant::FromUInt64(18446744073709551615u), Outcome::Value, 18446744073709551616.0},
      {Variant(u"1,5"), Outcome::Value, 1.5},
      {Variant(u"-1,5E3"), Outcome::Value, -1500},
      {Variant(u",5"), Outcome::Value, 0.5},
      {Variant(u"7,"), Outcome::Value, 7},
      {Variant(u"1e-400"), Outcome::Value, 0},
      {Variant(u"0,000000001e-400"), Outcome::Value, 0},
      {Variant(u"1e400"), Outcome::Overflow, 0},
      {Variant(u"10000000000e300"), Outcome::Overflow, 0},
      {Variant(u"1.5"), Outcome::Cast, 0},  // "." is no separator here
      {Variant(u"1,5,0"), Outcome::Cast, 0},
      {Variant(u"inf"), Outcome::Cast, 0},
      {Variant(u"nan"), Outcome::Cast, 0},
      {Variant(u"1e"), Outcome::Cast, 0},
      {Variant(u"e5"), Outcome::Cast, 0},
      {Variant(u","), Outcome::Cast, 0},
      {Variant::Null(), Outcome::Cast, 0},
      {Variant::ByteArray("ab"), Outcome::Cast, 0},
  };
  DecimalSeparatorScope comma(u',');
  for (const Case& c : cases) {
    switch (c.outcome) {
      case Outcome::Value: EXPECT_DOUBLE_EQ(c.value.AsDouble(), c.result) << Describe(c.value); break;
      case Outcome::Cast: EXPECT_THROW(c.value.AsDouble(), EVariantTypeCastError) << Describe(c.value); break;
      case Outcome::Overflow: EXPECT_THROW(c.value.AsDouble(), EVariantOverflowError) << Describe(c.value); break;
    }
  }
}

TEST(Variant, ToBoolean) {
  struct Case {
    Variant value;
    Outcome outcome;
    bool result;
  };
  const Case cases[] = {
      {Variant(), Outcome::Value, false},
      {Variant(true), Outcome::Value, true},
      {Variant(int32_t{0}), Outcome::Value, false},
      {Variant(int32_t{-2}), Outcome::Value, true},
      {Variant(0.0), Outcome::Value, false},
      {Variant(0.4), Outcome::Value, true},
      {Variant(Currency::FromScaled(1)), Outcome::Value, true},
      {Variant(u"true"), Outcome::Value, true},
      {Variant(u" FALSE "), Outcome::Value, false},
      {Variant("True"), Outcome::Value, true},
      {Variant(u"1"), Outcome::Value, true},
      {Variant(u"0"), Outcome::Value, false},
      {Variant(u"0.0"), Outcome::Value, false},
      {Variant(u"yes"), Outcome::Cast, false},
      {Variant(u""), Outcome::Cast, false},
      {Variant::Null(), Outcome::Cast, false},
  };
  DecimalSeparatorScope dot(u'.');
  for (const Case& c : cases) {
    if (c.outcome == Outcome::Value)
      EXPECT_EQ(c.value.AsBoolean(), c.result) << Describe(c.value);
    else
      EXPECT_THROW(c.value.AsBoolean(), EVariantTypeCastError) << Describe(c.value);
  }
}

TEST(Variant, ToCurrency) {
  struct Case {
    Variant value;
    Outcome outcome;
    int64_t scaled;
  };
  const Case cases[] = {
      {Variant(), Outcome::Value, 0},
      {Variant(int32_t{5}), Outcome::Value, 50000},
      {Variant(1.23456), Outcome::Value, 12346},
      {Variant(-2.5), Outcome::Value, -25000},
      {Variant(u"2.5"), Outcome::Value, 25000},
      {Variant(u"0.00005"), Outcome::Value, 1},  // texts are read exactly
      {Variant(u" -1.23456 "), Outcome::Value, -12346},
      {Variant(u"922337203685477.5807"), Outcome::Value, 9223372036854775807},
      {Variant(u"$10"), Outcome::Value, 160000},
      {Variant(u"-922337203685477"), Outcome::Value, -9223372036854770000},
      {Variant(true), Outcome::Value, 10000},
      {Variant(1e15), Outcome::Overflow, 0},
      {Variant(u"922337203685478"), Outcome::Overflow, 0},
      {Variant(int64_t{922337203685478}), Outcome::Overflow, 0},
      {Variant::FromUInt64(18446744073709551615u), Outcome::Overflow, 0},
      {Variant(u"922337203685477.5808"), Outcome::Overflow, 0},
      {Variant(u"x"), Outcome::Cast, 0},
      {Variant(u""), Outcome::Cast, 0},
      {Variant::Null(), Outcome::Cast, 0},
  };
  DecimalSeparatorScope dot(u'.');
  for (const Case& c : cases) {
    switch (c.outcome) {
      case Outcome::Value: EXPECT_EQ(c.value.AsCurrency().Scaled, c.scaled) << Describe(c.value); break;
      case Outcome::Cast: EXPECT_THROW(c.value.AsCurrency(), EVariantTypeCastError) << Describe(c.value); break;
      case Outcome::Overflow: EXPECT_THROW(c.value.AsCurrency(), EVariantOverflowError) << Describe(c.value); break;
    }
  }
}

TEST(Variant, DatesAndTexts) {
  const FormatSettingsScope restore;
  TFormatSettings& fs = FormatSettings();
  fs.DateSeparator = u'.';
  fs.TimeSeparator = u':';
  fs.ShortDateFormat = u"dd.mm.yyyy";
  fs.LongTimeFormat = u"hh:nn:ss";
  const TDateTime leapDay = vxRuntime::EncodeDate(2024, 2, 29);
  const TDateTime leapNoon = vxRuntime::EncodeDateTime(2024, 2, 29, 12, 30, 15, 0);
  const std::pair<TDateTime, ustring> texts[] = {
      {leapDay, u"29.02.2024"},
      {leapNoon, u"29.02.2024 12:30:15"},
      {0.5, u"12:00:00"},  // day 0: the time alone
      {0, u"30.12.1899"},
      {-1.25, u"29.12.1899 06:00:00"},
  };
  for (const auto& [value, text] : texts) {
    const Variant date = Variant::FromDate(value);
    EXPECT_EQ(date.AsString(), text) << value;
    EXPECT_DOUBLE_EQ(Variant(date.AsString()).AsDateTime(), value) << value;  // and back
  }
  EXPECT_DOUBLE_EQ(Variant(u"29.02.2024").AsDateTime(), leapDay);
  EXPECT_DOUBLE_EQ(Variant(" 29.02.2024 12:30:15 ").AsDateTime(), leapNoon);
  EXPECT_EQ(Variant(u"29.02.2024").AsType(varDate), Variant::FromDate(leapDay));
  EXPECT_THROW(Variant(u"30.02.2024").AsDateTime(), EVariantTypeCastError);
  EXPECT_THROW(Variant(u"abc").AsDateTime(), EVariantTypeCastError);
  EXPECT_THROW(Variant(u"").AsDateTime(), EVariantTypeCastError);
  EXPECT_THROW(Variant::FromDate(std::nan("")).AsString(), EConvertError);
}

TEST(Variant, ToDateTimeFromNumbers) {
  EXPECT_DOUBLE_EQ(Variant::FromDate(45351.5).AsDateTime(), 45351.5);
  EXPECT_DOUBLE_EQ(Variant(45351.5).AsDateTime(), 45351.5);
  EXPECT_DOUBLE_EQ(Variant(int32_t{2}).AsDateTime(), 2);
  EXPECT_DOUBLE_EQ(Variant(Currency::FromScaled(15000)).AsDateTime(), 1.5);
  EXPECT_DOUBLE_EQ(Variant().AsDateTime(), 0);
  EXPECT_THROW(Variant::Null().AsDateTime(), EVariantTypeCastError);
}

TEST(Variant, AnsiText) {
  EXPECT_EQ(Variant(std::string("\x80\x81")).AsAnsiString(), "\x80\x81");  // bytes stay as they are
  EXPECT_EQ(Variant(u"€Ж").AsAnsiString(), "\x80?");
  EXPECT_EQ(Variant(int32_t{12}).AsAnsiString(), "12");
  EXPECT_THROW(Variant::Null().AsAnsiString(), EVariantTypeCastError);
}

TEST(Variant, AsType) {
  struct Case {
    Variant value;
    TVarType type;
    Outcome outcome;
    Variant result;
  };
  const Variant array = Variant::ArrayOf({Variant(int32_t{1})});
  const Case cases[] = {
      {Variant(int32_t{255}), varByte, Outcome::Value, Variant::FromByte(255)},
      {Variant(int32_t{300}), varByte, Outcome::Overflow, {}},
      {Variant(int32_t{-1}), varByte, Outcome::Overflow, {}},
      {Variant(int32_t{-128}), varShortInt, Outcome::Value, Variant::FromShortInt(-128)},
      {Variant(int32_t{128}), varShortInt, Outcome::Overflow, {}},
      {Variant(int32_t{-1}), varWord, Outcome::Overflow, {}},
      {Variant(u"12"), varSmallint, Outcome::Value, Variant::FromSmallint(12)},
      {Variant(u"40000"), varSmallint, Outcome::Overflow, {}},
      {Variant(int64_t{4294967295}), varLongWord, Outcome::Value, Variant::FromLongWord(4294967295u)},
      {Variant(2.5), varInteger, Outcome::Value, Variant(int32_t{2})},
      {Variant(int32_t{7}), varInt64, Outcome::Value, Variant(int64_t{7})},
      {Variant(int32_t{7}), varUInt64, Outcome::Value, Variant::FromUInt64(7)},
      {Variant(int32_t{7}), varError, Outcome::Value, Variant::FromError(7)},
      {Variant(1.5), varSingle, Outcome::Value, Variant::FromSingle(1.5f)},
      {Variant(1e39), varSingle, Outcome::Overflow, {}},
      {Variant(int32_t{3}), varDouble, Outcome::Value, Variant(3.0)},
      {Variant(u"1.5"), varCurrency, Outcome::Value, Variant(Currency::FromScaled(15000))},
      {Variant(2.25), varDate, Outcome::Value, Variant::FromDate(2.25)},
      {Variant(int32_t{1}), varBoolean, Outcome::Value, Variant(true)},
      {Variant(true), varUString, Outcome::Value, Variant(u"True")},
      {Variant(1.5), varOleStr, Outcome::Value, Variant::FromOleStr(u"1.5")},
      {Variant(int32_t{5}), varString, Outcome::Value, Variant("5")},
      {Variant(u"x"), varVariant, Outcome::Value, Variant(u"x")},
      {Variant(), varInteger, Outcome::Value, Variant(int32_t{0})},
      {Variant(), varUString, Outcome::Value, Variant(u"")},
      {Variant(), varNull, Outcome::Value, Variant::Null()},
      {Variant::Null(), varNull, Outcome::Value, Variant::Null()},
      {Variant::Null(), varInteger, Outcome::Cast, {}},
      {Variant(int32_t{5}), varNull, Outcome::Cast, {}},
      {Variant(int32_t{5}), varEmpty, Outcome::Cast, {}},
      {Variant(int32_t{5}), varDispatch, Outcome::Cast, {}},
      {Variant(int32_t{5}), varArray | varInteger, Outcome::Cast, {}},
      {array, varInteger, Outcome::Cast, {}},
      {array, varArray | varVariant, Outcome::Value, array},
  };
  DecimalSeparatorScope dot(u'.');
  for (const Case& c : cases) {
    const std::string label = Describe(c.value) + " -> " + std::to_string(c.type);
    switch (c.outcome) {
      case Outcome::Value: EXPECT_EQ(c.value.AsType(c.type), c.result) << label; break;
      case Outcome::Cast: EXPECT_THROW(c.value.AsType(c.type), EVariantTypeCastError) << label; break;
      case Outcome::Overflow: EXPECT_THROW(c.value.AsType(c.type), EVariantOverflowError) << label; break;
    }
  }
}

TEST(Variant, ArraysWithBounds) {
  Variant a = Variant::CreateArray({{1, 3}}, varVariant);
  EXPECT_EQ(a.VarType(), varArray | varVariant);
  EXPECT_TRUE(a.IsArray());
  EXPECT_EQ(a.DimCount(), 1);
  EXPECT_EQ(a.LowBound(1), 1);
  EXPECT_EQ(a.HighBound(1), 3);
  EXPECT_TRUE(a.GetElement({2}).IsEmpty());
  a.PutElement({3}, Variant(u"three"));
  EXPECT_EQ(a.GetElement({3}), Variant(u"three"));
  EXPECT_THROW(a.GetElement({0}), EVariantBadIndexError);
  EXPECT_THROW(a.GetElement({4}), EVariantBadIndexError);
  EXPECT_THROW(a.GetElement({1, 1}), EVariantBadIndexError);
  EXPECT_THROW(a.LowBound(2), EVariantBadIndexError);
  EXPECT_THROW(a.AsString(), EVariantTypeCastError);

  Variant grid = Variant::CreateArray({{0, 1}, {5, 7}}, varInteger);
  EXPECT_EQ(grid.DimCount(), 2);
  EXPECT_EQ(grid.LowBound(2), 5);
  EXPECT_EQ(grid.HighBound(2), 7);
  EXPECT_EQ(grid.GetElement({1, 7}), Variant(int32_t{0}));
  grid.PutElement({1, 6}, Variant(u"12"));  // stored as the element kind
  grid.PutElement({0, 6}, Variant(int32_t{99}));
  EXPECT_EQ(grid.GetElement({1, 6}), Variant(int32_t{12}));
  EXPECT_EQ(grid.GetElement({0, 6}), Variant(int32_t{99}));
  EXPECT_EQ(grid.GetElement({1, 5}), Variant(int32_t{0}));
  EXPECT_THROW(grid.PutElement({1, 6}, Variant(u"x")), EVariantTypeCastError);
  EXPECT_EQ(grid.GetElement({1, 6}), Variant(int32_t{12}));  // a failed put changes nothing

  const Variant list = Variant::ArrayOf({Variant(int32_t{1}), Variant(u"x")});
  EXPECT_EQ(list.VarType(), varArray | varVariant);
  EXPECT_EQ(list.LowBound(1), 0);
  EXPECT_EQ(list.HighBound(1), 1);
  EXPECT_EQ(list.GetElement({1}), Variant(u"x"));

  const Variant none = Variant::CreateArray({{0, -1}}, varVariant);
  EXPECT_EQ(none.DimCount(), 1);
  EXPECT_EQ(none.HighBound(1), -1);
  EXPECT_EQ(Variant::ArrayOf({}).HighBound(1), -1);
}

TEST(Variant, ArrayErrors) {
  EXPECT_THROW(Variant::CreateArray({{0, -2}}, varVariant), EVariantInvalidArgError);
  EXPECT_THROW(Variant::CreateArray({}, varVariant), EVariantInvalidArgError);
  EXPECT_THROW(Variant::CreateArray({{0, 1}}, varNull), EVariantInvalidArgError);
  EXPECT_THROW(Variant::CreateArray({{0, 1}}, varArray | varByte), EVariantInvalidArgError);
  EXPECT_THROW(Variant::CreateArray({{0, 1 << 20}, {0, 1 << 20}}, varByte), EVariantInvalidArgError);
  EXPECT_EQ(Variant(int32_t{1}).DimCount(), 0);
  EXPECT_THROW(Variant(int32_t{1}).LowBound(1), EVariantInvalidArgError);
  EXPECT_THROW(Variant(int32_t{1}).GetElement({0}), EVariantInvalidArgError);
  EXPECT_THROW(Variant::ArrayOf({}).Bytes(), EVariantInvalidArgError);
}

TEST(Variant, ByteArrays) {
  Variant bytes = Variant::ByteArray(std::string("\x00\xFF\x41", 3));
  EXPECT_EQ(bytes.VarType(), 8209);
  EXPECT_EQ(bytes.Bytes(), std::string("\x00\xFF\x41", 3));
  EXPECT_EQ(bytes.HighBound(1), 2);
  EXPECT_EQ(bytes.GetElement({1}), Variant::FromByte(255));
  bytes.PutElement({0}, Variant(int32_t{7}));
  EXPECT_EQ(bytes.Bytes(), std::string("\x07\xFF\x41", 3));
  EXPECT_THROW(bytes.PutElement({0}, Variant(int32_t{256})), EVariantOverflowError);
  EXPECT_THROW(bytes.AsString(), EVariantTypeCastError);

  Variant made = Variant::CreateArray({{1, 2}}, varByte);
  EXPECT_EQ(made.Bytes(), std::string(2, '\0'));
  EXPECT_EQ(Variant::ByteArray(""), Variant::CreateArray({{0, -1}}, varByte));
}

TEST(Variant, CopiesAreIndependent) {
  Variant original = Variant::ArrayOf({Variant(int32_t{1}), Variant(int32_t{2})});
  Variant copy = original;
  copy.PutElement({0}, Variant(u"changed"));
  EXPECT_EQ(original.GetElement({0}), Variant(int32_t{1}));
  EXPECT_EQ(copy.GetElement({0}), Variant(u"changed"));
  EXPECT_NE(copy, original);

  Variant bytes = Variant::ByteArray("ab");
  Variant bytesCopy = bytes;
  bytes.PutElement({1}, Variant(int32_t{'z'}));
  EXPECT_EQ(bytesCopy.Bytes(), "ab");
  EXPECT_EQ(bytes.Bytes(), "az");

  Variant text(u"abc");
  Variant textCopy = text;
  text = Variant(int32_t{1});
  EXPECT_EQ(textCopy, Variant(u"abc"));
}

TEST(Variant, References) {
  Variant target(int32_t{5});
  const Variant ref = Variant::RefTo(target);
  EXPECT_EQ(ref.VarType(), 16396);
  EXPECT_TRUE(ref.IsByRef());
  EXPECT_EQ(ref.AsInteger(), 5);
  EXPECT_EQ(&ref.Deref(), &target);
  target = Variant(u"now text");
  EXPECT_EQ(ref.AsString(), u"now text");
  Variant middle = Variant::RefTo(target);
  const Variant outer = Variant::RefTo(middle);
  EXPECT_EQ(&outer.Deref(), &target);
  EXPECT_EQ(outer.AsType(varUString), Variant(u"now text"));
  const Variant copy = ref;
  EXPECT_EQ(copy, ref);  // the same variant referred to

  Variant looped;
  looped = Variant::RefTo(looped);
  EXPECT_THROW(looped.AsString(), EVariantInvalidArgError);

  Variant array = Variant::ArrayOf({Variant(int32_t{1})});
  Variant arrayRef = Variant::RefTo(array);
  arrayRef.PutElement({0}, Variant(int32_t{9}));
  EXPECT_EQ(array.GetElement({0}), Variant(int32_t{9}));
  EXPECT_EQ(arrayRef.DimCount(), 1);
}
