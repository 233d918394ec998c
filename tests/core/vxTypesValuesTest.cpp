// Tests of core/vxTypesValues.h: TvxTypes: values whose type is known only at
// run time (variants): the names of the type codes, kind tests.
#include "core/vxTypesValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "platform/time/vxDateUtils.h"
#include "platform/text/vxFormatSettings.h"

using namespace TvxTypes;

namespace {

std::string Utf8(const ustring& s) { return WideToUtf8(s); }

// Sets the process format settings for one test and restores them.
class SettingsScope {
 public:
  SettingsScope() : saved_(FormatSettings()) {}
  ~SettingsScope() { FormatSettings() = saved_; }
  SettingsScope(const SettingsScope&) = delete;
  SettingsScope& operator=(const SettingsScope&) = delete;

  // German-style separators: "," for decimals, "." between date parts and
  // between time parts, so that nothing stored may depend on them.
  static void UseDottedLocale() {
    TFormatSettings& s = FormatSettings();
    s.DecimalSeparator = u',';
    s.ThousandSeparator = u'.';
    s.DateSeparator = u'.';
    s.TimeSeparator = u'.';
    s.ShortDateFormat = u"dd.mm.yyyy";
    s.LongTimeFormat = u"hh.nn.ss";
  }

  static void UseEnglishLocale() {
    TFormatSettings& s = FormatSettings();
    s.DecimalSeparator = u'.';
    s.ThousandSeparator = u',';
    s.DateSeparator = u'/';
    s.TimeSeparator = u':';
    s.ShortDateFormat = u"M/d/yyyy";
    s.LongTimeFormat = u"h:nn:ss AMPM";
  }

 private:
  TFormatSettings saved_;
};

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return vxRuntime::EncodeDateTime(y, mo, d, h, mi, s, ms);
}

Variant Currency4(int64_t scaled) { return Variant(Currency::FromScaled(scaled)); }

// Exact equality of type and value, with a readable failure.
void ExpectSame(const Variant& actual, const Variant& expected, const std::string& context) {
  EXPECT_EQ(actual.VarType(), expected.VarType()) << context;
  EXPECT_TRUE(actual == expected) << context << ": got '" << Utf8(VarToStr(actual)) << "', expected '"
                                  << Utf8(VarToStr(expected)) << "'";
}

}  // namespace

// ---- Type codes and names ----------------------------------------------------

TEST(TypedValues, TypeNamesOfCodes) {
  const struct {
    TVarType Code;
    ustring Name;
  } rows[] = {
      {0, u"EMPTY"},      {1, u"NULL"},      {2, u"SMALLINT"},  {3, u"INT"},       {4, u"SINGLE"},
      {5, u"DOUBLE"},     {6, u"CURRENCY"},  {7, u"DATE"},      {8, u"UCS2STR"},   {9, u"DISPATCH"},
      {10, u"ERROR"},     {11, u"BOOLEAN"},  {12, u"VARIANT"},  {13, u"UNKNOWN"},  {14, u"UNKNOWN"},
      {15, u"UNKNOWN"},   {16, u"SHORTINT"}, {17, u"BYTE"},     {18, u"WORD"},     {19, u"LONGWORD"},
      {20, u"INT64"},     {21, u"UNKNOWN"},  {72, u"STRARG"},   {74, u"USTRARG"},  {256, u"STRING"},
      {257, u"ANY"},      {258, u"UCS4STR"}, {4095, u"TYPEMASK"}, {8192, u"ARRAY"}, {16384, u"BYREF"},
      {8195, u"UNKNOWN"}, {8209, u"UNKNOWN"}, {16396, u"UNKNOWN"}, {65535, u"UNKNOWN"},
  };
  for (const auto& r : rows) EXPECT_EQ(GetVarTypeStr(r.Code), r.Name) << r.Code;
}

TEST(TypedValues, EveryStoredNameReadsBackAsItsCode) {
  const TVarType named[] = {0,  1,  2,  3,  4,  5,  6,   7,   8,   9,   10,   11,   12,   13,
                            16, 17, 18, 19, 20, 72, 74, 256, 257, 258, 4095, 8192, 16384};
  for (TVarType code : named) EXPECT_EQ(GetVarTypeFromStr(GetVarTypeStr(code), 999), code) << code;
}

TEST(TypedValues, TypeCodesOfNames) {
  const struct {
    ustring Name;
    TVarType Default;
    TVarType Code;
  } rows[] = {
      {u" real ", 0, 5},  {u"unknown", 0, 13}, {u"text", 99, 99},   {u"bool", 0, 11},     {u"Float", 0, 5},
      {u"TIME", 0, 7},    {u"int", 0, 3},      {u"\tucs4str\r\n", 0, 258}, {u"UCS2STR", 0, 8}, {u"", 42, 42},
      {u"BINARY", 13, 13}, {u"INTEGER", 1, 1}, {u"CDT_INT", 7, 7},  {u"in t", 0, 0},      {u"uint64", 3, 3},
  };
  for (const auto& r : rows) EXPECT_EQ(GetVarTypeFromStr(r.Name, r.Default), r.Code) << Utf8(r.Name);
}

TEST(TypedValues, TypeCodesOfFieldDataTypes) {
  const std::pair<TvxFieldDataType, TVarType> rows[] = {
      {vxFDT_Text, 8},  {vxFDT_VarChar, 8},   {vxFDT_Date, 7},     {vxFDT_Numeric, 8},
      {vxFDT_Float, 5}, {vxFDT_Currency, 6}, {vxFDT_Boolean, 11},
  };
  for (const auto& [dataType, code] : rows) EXPECT_EQ(GetVarTypeFromFieldDataType(dataType), code) << int(dataType);
}

// ---- Kind tests --------------------------------------------------------------

TEST(TypedValues, KindTests) {
  Variant target(int32_t{5});
  const struct {
    const char* Name;
    Variant Value;
    bool String, Numeric, Math, Float, Boolean, Date, Array, Initial;
  } rows[] = {
      {"empty", Variant(), false, false, false, false, false, false, false, true},
      {"null", Variant::Null(), false, false, false, false, false, false, false, true},
      {"smallint", Variant::FromSmallint(-3), false, true, true, false, false, false, false, false},
      {"integer", Variant(int32_t{3}), false, true, true, false, false, false, false, false},
      {"single", Variant::FromSingle(1.5f), false, false, true, true, false, false, false, false},
      {"double", Variant(1.5), false, false, true, true, false, false, false, false},
      {"currency", Currency4(25000), false, false, true, true, false, false, false, false},
      {"date", Variant::FromDate(45351), false, false, true, false, false, true, false, false},
      {"wide string", Variant::FromOleStr(u"a"), true, false, false, false, false, false, false, false},
      {"error", Variant::FromError(5), false, false, false, false, false, false, false, false},
      {"boolean", Variant(true), false, false, false, false, true, false, false, false},
      {"shortint", Variant::FromShortInt(-1), false, true, true, false, false, false, false, false},
      {"byte", Variant::FromByte(1), false, true, true, false, false, false, false, false},
      {"word", Variant::FromWord(1), false, true, true, false, false, false, false, false},
      {"longword", Variant::FromLongWord(1), false, true, true, false, false, false, false, false},
      {"int64", Variant(int64_t{1}), false, true, true, false, false, false, false, false},
      {"uint64", Variant::FromUInt64(1), false, true, true, false, false, false, false, false},
      {"8-bit string", Variant("a"), true, false, false, false, false, false, false, false},
      {"string", Variant(u"a"), true, false, false, false, false, false, false, false},
      {"byte array", Variant::ByteArray("ab"), false, false, false, false, false, false, true, false},
      {"variant array", Variant::ArrayOf({Variant(1.5)}), false, false, false, false, false, false, true, false},
      {"reference", Variant::RefTo(target), false, false, false, false, false, false, false, false},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(IsStringVariant(r.Value), r.String) << r.Name;
    EXPECT_EQ(IsNumericVariant(r.Value), r.Numeric) << r.Name;
    EXPECT_EQ(IsMathVariant(r.Value), r.Math) << r.Name;
    EXPECT_EQ(IsFloatVariant(r.Value), r.Float) << r.Name;
    EXPECT_EQ(IsBooleanVariant(r.Value), r.Boolean) << r.Name;
    EXPECT_EQ(IsDateVariant(r.Value), r.Date) << r.Name;
    EXPECT_EQ(IsArrayVariant(r.Value), r.Array) << r.Name;
    EXPECT_EQ(VarIsInitial(r.Value), r.Initial) << r.Name;
    EXPECT_EQ(GetVarType(r.Value), r.Value.VarType()) << r.Name;
  }
}

TEST(TypedValues, MathTypeCodes) {
  const std::pair<TVarType, bool> rows[] = {
      {0, false},  {1, false},  {2, true},   {3, true},   {4, true},   {5, true},    {6, true},
      {7, false},  {8, false},  {11, false}, {15, false}, {16, true},  {19, true},   {21, true},
      {22, false}, {31, false}, {32, false}, {258, false}, {8195, false}, {16387, false},
  };
  for (const auto& [code, math] : rows) EXPECT_EQ(IsMathVarType(code), math) << code;
}

TEST(TypedValues, VarIsTypeFollowsReferencesToVariants) {
  Variant value(1.5);
  Variant first = Variant::RefTo(value);
  Variant second = Variant::RefTo(first);
  EXPECT_TRUE(VarIsType(second, {varInteger, varDouble}));
  EXPECT_FALSE(VarIsType(second, {varInteger, varByRef | varVariant}));
  EXPECT_TRUE(VarIsType(value, {varDouble}));
  EXPECT_FALSE(VarIsType(value, {}));
  EXPECT_TRUE(VarIsType(Variant::ByteArray("x"), {varArray | varByte}));
}

// ---- Conversions -------------------------------------------------------------

TEST(TypedValues, VarToStr) {
  SettingsScope scope;
  SettingsScope::UseDottedLocale();
  Variant text(u"abc");
  Variant reference = Variant::RefTo(text);
  const struct {
    Variant Value;
    ustring Text;
  } rows[] = {
      {Variant(), u""},           {Variant::Null(), u""},   {reference, u"abc"},
      {Variant(int32_t{-12}), u"-12"}, {Variant(true), u"True"}, {Variant(2.5), u"2,5"},
      {Variant("\xE4"), u"\u00e4"}, {Variant::FromDate(At(2024, 2, 29)), u"29.02.2024"},
  };
  for (const auto& r : rows) EXPECT_EQ(VarToStr(r.Value), r.Text) << Utf8(r.Text);
  EXPECT_THROW(VarToStr(Variant::ByteArray("ab")), EVariantTypeCastError);
}

TEST(TypedValues, NumberConversionsByKind) {
  SettingsScope scope;
  SettingsScope::UseEnglishLocale();
  Variant target(u"7.5");  // a reference is read by the variant's own rules
  const struct {
    const char* Name;
    Variant Value;
    int32_t Integer;
    double Float;
    bool Boolean;
  } rows[] = {
      {"double 2.5 to even", Variant(2.5), 2, 2.5, true},
      {"double 3.5 to even", Variant(3.5), 4, 3.5, true},
      {"double -2.5", Variant(-2.5), -2, -2.5, true},
      {"double 0.4", Variant(0.4), 0, 0.4, false},
      {"double 0.6", Variant(0.6), 1, 0.6, true},
      {"single", Variant::FromSingle(2.5f), 2, 2.5, true},
      {"currency 2.5", Currency4(25000), 2, 2.5, true},
      {"currency 0.4", Currency4(4000), 0, 0.4, false},
      {"date with half a day", Variant::FromDate(45351.5), 45352, 45351.5, true},
      {"string 2,5", Variant(u"2,5"), 2, 2.5, true},
      {"string 1,5", Variant(u"1,5"), 2, 1.5, true},
      {"string 12abc", Variant(u"12abc"), 12, 12, true},
      {"string abc", Variant(u"abc"), 0, 0, false},
      {"string True", Variant(u"True"), 0, 0, false},
      {"string with blanks and exponent", Variant(u"  -3.7e1x"), -37, -37, true},
      {"string with a bare exponent", Variant(u"2e"), 2, 2, true},
      {"string with two commas", Variant(u"1,5,5"), 2, 1.5, true},
      {"string with a fraction only", Variant(u".5"), 0, 0.5, false},
      {"empty string", Variant(u""), 0, 0, false},
      {"8-bit string", Variant("4,5"), 4, 4.5, true},
      {"wide string", Variant::FromOleStr(u"9"), 9, 9, true},
      {"boolean", Variant(true), 1, 1, true},
      {"null", Variant::Null(), 0, 0, false},
      {"empty", Variant(), 0, 0, false},
      {"byte", Variant::FromByte(200), 200, 200, true},
      {"error code", Variant::FromError(-7), -7, -7, true},
      {"reference to a string", Variant::RefTo(target), 8, 7.5, true},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(VarToInteger(r.Value), r.Integer) << r.Name;
    EXPECT_EQ(VarToInt64(r.Value), r.Integer) << r.Name;
    EXPECT_DOUBLE_EQ(VarToFloat(r.Value), r.Float) << r.Name;
    EXPECT_EQ(VarToBoolean(r.Value), r.Boolean) << r.Name;
  }
}

TEST(TypedValues, NumberConversionsBeyondThirtyTwoBits) {
  // The 64-bit conversion keeps unsigned and 64-bit values whole.
  EXPECT_EQ(VarToInt64(Variant::FromLongWord(4000000000u)), 4000000000);
  EXPECT_EQ(VarToInt64(Variant(std::numeric_limits<int64_t>::min())), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(VarToInt64(Variant(u"1e15")), 1000000000000000);
  EXPECT_EQ(VarToInt64(Variant::FromUInt64(5)), 5);
  // The 32-bit one refuses what does not fit rather than wrapping it.
  EXPECT_THROW(VarToInteger(Variant::FromLongWord(4000000000u)), EVariantOverflowError);
  EXPECT_THROW(VarToInteger(Variant(int64_t{1} << 32)), EVariantOverflowError);
  EXPECT_THROW(VarToInteger(Variant(4294967296.0)), EVariantOverflowError);
  EXPECT_THROW(VarToInt64(Variant(u"1e999")), EVariantOverflowError);
  EXPECT_THROW(VarToInt64(Variant::FromUInt64(std::numeric_limits<uint64_t>::max())), EVariantOverflowError);
  EXPECT_EQ(VarToFloat(Variant(u"-1e999")), -std::numeric_limits<double>::infinity());
  // A value too large for any integer is still not 0.
  const Variant large[] = {Variant(4294967296.0), Variant(1e300), Variant(u"1e999"), Variant(int64_t{1} << 32),
                           Variant::FromUInt64(std::numeric_limits<uint64_t>::max())};
  for (const Variant& v : large) EXPECT_TRUE(VarToBoolean(v)) << Utf8(VarToStr(v));
}

TEST(TypedValues, NumberConversionsPassOnConversionErrors) {
  const Variant arrays[] = {Variant::ByteArray("a"), Variant::ArrayOf({Variant(1)})};
  for (const Variant& v : arrays) {
    EXPECT_THROW(VarToInteger(v), EVariantTypeCastError);
    EXPECT_THROW(VarToInt64(v), EVariantTypeCastError);
    EXPECT_THROW(VarToFloat(v), EVariantTypeCastError);
    EXPECT_THROW(VarToBoolean(v), EVariantTypeCastError);
  }
}

TEST(TypedValues, VarToDateTime) {
  SettingsScope scope;
  SettingsScope::UseDottedLocale();
  EXPECT_EQ(VarToDateTime(Variant::FromDate(45351.25)), 45351.25);
  EXPECT_EQ(VarToDateTime(Variant(int32_t{45351})), 45351);
  EXPECT_EQ(VarToDateTime(Variant(u"29.02.2024")), At(2024, 2, 29));
  EXPECT_THROW(VarToDateTime(Variant(u"no date")), EVariantTypeCastError);
  EXPECT_THROW(VarToDateTime(Variant::Null()), EVariantTypeCastError);
}

TEST(TypedValues, ObjectsTravelInsideVariants) {
  TObject object;
  const Variant v = ObjectToVar(&object);
  EXPECT_EQ(v.VarType(), varInt64);
  EXPECT_EQ(VarToObject(v), &object);
  EXPECT_EQ(VarToIntObject(v), reinterpret_cast<intptr_t>(&object));
  EXPECT_EQ(VarToObject(ObjectToVar(nullptr)), nullptr);
}

TEST(TypedValues, ArrayAsStringArray) {
  Variant numbers = Variant::CreateArray({{1, 3}}, varVariant);
  numbers.PutElement({1}, Variant(u"one"));
  numbers.PutElement({2}, Variant(int32_t{2}));
  numbers.PutElement({3}, Variant::Null());
  EXPECT_EQ(VarArrayAsStringArray(numbers), (TWideStringArray{u"one", u"2", u""}));
  EXPECT_EQ(VarArrayAsStringArray(Variant::ByteArray("AB")), (TWideStringArray{u"65", u"66"}));
  EXPECT_TRUE(VarArrayAsStringArray(Variant::CreateArray({{5, 4}}, varInteger)).empty());
  Variant reference = Variant::RefTo(numbers);
  EXPECT_EQ(VarArrayAsStringArray(reference).size(), 3u);

  const Variant wrong[] = {Variant::CreateArray({{0, 1}, {0, 1}}, varVariant), Variant(int32_t{1}), Variant()};
  for (const Variant& v : wrong) {
    try {
      VarArrayAsStringArray(v);
      ADD_FAILURE() << "no error for " << Utf8(VarTypeAsText(v.VarType()));
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"invalid array dimension");
      EXPECT_STREQ(e.ClassName(), "Exception");
    }
  }
}

// ---- The typed text form ---------------------------------------------------

TEST(TypedValues, TypedTextOfEachKind) {
  SettingsScope scope;
  SettingsScope::UseDottedLocale();  // nothing written may follow the locale
  const struct {
    const char* Name;
    Variant Value;
    ustring Text;
  } rows[] = {
      {"empty", Variant(), u""},
      {"null", Variant::Null(), u""},
      {"smallint", Variant::FromSmallint(-5), u"-5"},
      {"integer", Variant(int32_t{42}), u"42"},
      {"shortint", Variant::FromShortInt(-128), u"-128"},
      {"byte", Variant::FromByte(255), u"255"},
      {"word", Variant::FromWord(65535), u"65535"},
      {"longword", Variant::FromLongWord(4000000000u), u"4000000000"},
      {"int64 minimum", Variant(std::numeric_limits<int64_t>::min()), u"-9223372036854775808"},
      {"double 3", Variant(3.0), u"3.00"},
      {"double 1.5", Variant(1.5), u"1.50"},
      {"double 1.23045", Variant(1.23045), u"1.23045"},
      {"double beyond 7 decimals", Variant(1.234567891), u"1.2345679"},
      {"tiny double", Variant(0.00000001), u"0.00"},
      {"negative double", Variant(-3.25), u"-3.25"},
      {"single", Variant::FromSingle(1.1f), u"1.10"},
      {"currency 2.5", Currency4(25000), u"2.50"},
      {"currency 1.2345", Currency4(12345), u"1.2345"},
      {"currency -0.0001", Currency4(-1), u"-0.0001"},
      {"currency maximum", Currency4(std::numeric_limits<int64_t>::max()), u"922337203685477.5807"},
      {"currency minimum", Currency4(std::numeric_limits<int64_t>::min()), u"-922337203685477.5808"},
      {"date", Variant::FromDate(At(2024, 2, 29)), u"2024-02-29"},
      {"time", Variant::FromDate(0.5), u"12:00:00"},
      {"date and time", Variant::FromDate(At(2024, 2, 29, 12)), u"2024-02-29 12:00:00"},
      {"milliseconds dropped", Variant::FromDate(At(2024, 2, 29, 12, 0, 0, 999)), u"2024-02-29 12:00:00"},
      {"a hair before midnight", Variant::FromDate(At(2024, 2, 29) + 0.9999999999), u"2024-03-01"},
      {"day zero", Variant::FromDate(0), u"1899-12-30"},
      {"before 1899-12-30", Variant::FromDate(-1.25), u"1899-12-29 06:00:00"},
      // No date outside the years 1 to 9999: nothing that would read back as another.
      {"after 9999", Variant::FromDate(2958466), u""},
      {"before year 1", Variant::FromDate(-693594), u""},
      {"true", Variant(true), u"True"},
      {"false", Variant(false), u"False"},
      {"string", Variant(u"a,b"), u"a,b"},
      {"wide string", Variant::FromOleStr(u"\u20ac"), u"\u20ac"},
      {"8-bit string", Variant("\x80"), u"\u20ac"},
      {"unsigned 64-bit", Variant::FromUInt64(std::numeric_limits<uint64_t>::max()), u"18446744073709551615"},
      {"error code", Variant::FromError(3), u"3"},
      {"byte array", Variant::ByteArray("ab"), u""},
      {"variant array", Variant::ArrayOf({Variant(1.0)}), u""},
      {"date outside the calendar", Variant::FromDate(1e10), u""},
      {"date that is no number", Variant::FromDate(std::nan("")), u""},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(VarToStrExt(r.Value), r.Text) << r.Name;
    // The JSON form differs only for values with a date and a time.
    if (r.Value.VarType() != varDate || r.Text.size() != 19) {
      EXPECT_EQ(VarToJSONStrExt(r.Value), r.Text) << r.Name;
    }
  }
}

TEST(TypedValues, JsonTextOfDateTimes) {
  SettingsScope scope;
  SettingsScope::UseDottedLocale();
  const std::pair<TDateTime, ustring> rows[] = {
      {At(2024, 2, 29, 12, 0, 0, 250), u"2024-02-29T12:00:00.250Z"},
      {At(2024, 2, 29, 23, 59, 59, 999), u"2024-02-29T23:59:59.999Z"},
      {At(1, 1, 1, 0, 0, 0, 1), u"0001-01-01T00:00:00.001Z"},
      {At(2024, 2, 29), u"2024-02-29"},
      {0.75, u"18:00:00"},
  };
  for (const auto& [value, text] : rows) EXPECT_EQ(VarToJSONStrExt(Variant::FromDate(value)), text) << Utf8(text);
}

TEST(TypedValues, ReadingTypedTexts) {
  SettingsScope scope;
  SettingsScope::UseDottedLocale();
  const struct {
    ustring Text;
    TVarType Code;
    Variant Expected;
  } rows[] = {
      {u"", varInteger, Variant(int64_t{0})},
      {u"x", varInteger, Variant(int64_t{-1})},
      {u"3.0", varInteger, Variant(int64_t{3})},
      {u"2.5", varLongWord, Variant(int64_t{-1})},
      {u"$1F", varByte, Variant(int64_t{31})},
      {u"-9223372036854775808", varInt64, Variant(std::numeric_limits<int64_t>::min())},
      {u"1,5", varDouble, Variant(1.5)},
      {u"1.234,5", varCurrency, Variant(1234.5)},
      {u"x", varSingle, Variant(0.0)},
      {u"", varNull, Variant::Null()},
      {u"", varEmpty, Variant::Null()},
      {u"abc", varNull, Variant(u"abc")},
      {u"abc", varEmpty, Variant(u"abc")},
      {u"yes", varBoolean, Variant(true)},
      {u" ja ", varBoolean, Variant(true)},
      {u"True", varBoolean, Variant(true)},
      {u"no", varBoolean, Variant(false)},
      {u"2024-02-29", varDate, Variant::FromDate(At(2024, 2, 29))},
      {u"2024-02-29 12:00:00", varDate, Variant::FromDate(At(2024, 2, 29, 12))},
      {u"29.02.2024", varDate, Variant::FromDate(At(2024, 2, 29))},
      {u"12:30:15", varDate, Variant::FromDate(vxRuntime::EncodeTime(12, 30, 15, 0))},
      {u"12.30.15", varDate, Variant::FromDate(vxRuntime::EncodeTime(12, 30, 15, 0))},
      {u"#738886#43200000", varDate, Variant::FromDate(At(2024, 1, 1, 12))},
      {u"000B4646h02932E00h", varDate, Variant::FromDate(At(2024, 1, 1, 12))},
      {u"no date", varDate, Variant::FromDate(0)},
      {u"#0#0", varDate, Variant::Null()},
      {u"#738886#-5", varDate, Variant::Null()},
      {u"abc", varOleStr, Variant(u"abc")},
      {u"abc", varString, Variant(u"abc")},
      {u"abc", varUString, Variant(u"abc")},
      {u"5", varUInt64, Variant(u"5")},
      {u"5", varArray | varInteger, Variant(u"5")},
  };
  for (const auto& r : rows)
    ExpectSame(StrToVarExt(r.Text, r.Code), r.Expected, Utf8(r.Text) + " as " + std::to_string(r.Code));
}

TEST(TypedValues, ReadingTypedTextsByTypeName) {
  const struct {
    ustring Text;
    ustring TypeName;
    Variant Expected;
  } rows[] = {
      {u"abc", u"CDT_INT", Variant(int64_t{-1})},
      {u"12", u"CDT_INT", Variant(int64_t{12})},
      {u"12", u"INT", Variant(int64_t{12})},
      {u"12", u" int ", Variant(int64_t{12})},
      {u"12", u"cdt_int", Variant(u"12")},  // the prefix counts only in upper case
      {u"12", u"CDT_", Variant(u"12")},
      {u"1,5", u"CDT_REAL", Variant(1.5)},
      {u"2024-02-29", u"CDT_DATE", Variant::FromDate(At(2024, 2, 29))},
      {u"12:00:00", u"TIME", Variant::FromDate(0.5)},
      {u"x", u"BOOL", Variant(true)},
      {u"abc", u"whatever", Variant(u"abc")},
      {u"abc", u"BINARY", Variant(u"abc")},
      {u"", u"NULL", Variant::Null()},
      {u"", u"", Variant(u"")},
  };
  for (const auto& r : rows)
    ExpectSame(StrToVarExt(r.Text, r.TypeName), r.Expected, Utf8(r.Text) + " as " + Utf8(r.TypeName));
}

// Every kind written with VarToStrExt and read back for its own code and by
// its stored type name comes back equal, with the kinds and precision the
// stored form keeps.
TEST(TypedValues, TypedTextRoundTrips) {
  const struct {
    const char* Name;
    Variant Value;
    Variant ReadBack;
  } rows[] = {
      {"empty", Variant(), Variant::Null()},
      {"null", Variant::Null(), Variant::Null()},
      {"smallint", Variant::FromSmallint(-7), Variant(int64_t{-7})},
      {"integer", Variant(int32_t{42}), Variant(int64_t{42})},
      {"shortint", Variant::FromShortInt(-100), Variant(int64_t{-100})},
      {"byte", Variant::FromByte(200), Variant(int64_t{200})},
      {"word", Variant::FromWord(60000), Variant(int64_t{60000})},
      {"longword", Variant::FromLongWord(4000000000u), Variant(int64_t{4000000000})},
      {"int64 maximum", Variant(std::numeric_limits<int64_t>::max()), Variant(std::numeric_limits<int64_t>::max())},
      {"int64 minimum", Variant(std::numeric_limits<int64_t>::min()), Variant(std::numeric_limits<int64_t>::min())},
      {"single", Variant::FromSingle(1.5f), Variant(1.5)},
      {"double", Variant(1.2345678), Variant(1.2345678)},
      {"double beyond 7 decimals", Variant(-1.23456789), Variant(-1.2345679)},
      {"currency", Currency4(12345), Variant(1.2345)},
      {"currency 2.5", Currency4(25000), Variant(2.5)},
      {"date", Variant::FromDate(At(2024, 2, 29)), Variant::FromDate(At(2024, 2, 29))},
      {"time", Variant::FromDate(0.5), Variant::FromDate(0.5)},
      {"date and time", Variant::FromDate(At(2024, 2, 29, 12, 0, 0, 250)), Variant::FromDate(At(2024, 2, 29, 12))},
      {"boolean true", Variant(true), Variant(true)},
      {"boolean false", Variant(false), Variant(false)},
      {"string (UCS4STR)", Variant(u"a b"), Variant(u"a b")},
      {"wide string (UCS2STR)", Variant::FromOleStr(u"\u00fc"), Variant(u"\u00fc")},
      {"8-bit string (STRING)", Variant("\xFC"), Variant(u"\u00fc")},
  };
  for (const bool dotted : {false, true}) {
    SettingsScope scope;
    if (dotted) {
      SettingsScope::UseDottedLocale();
    } else {
      SettingsScope::UseEnglishLocale();
    }
    for (const auto& r : rows) {
      const ustring text = VarToStrExt(r.Value);
      const TVarType code = r.Value.VarType();
      const std::string context = std::string(r.Name) + (dotted ? " (dotted locale)" : "");
      ExpectSame(StrToVarExt(text, code), r.ReadBack, context + " by code");
      ExpectSame(StrToVarExt(text, GetVarTypeStr(code)), r.ReadBack, context + " by name");
      ExpectSame(StrToVarExt(text, u"CDT_" + GetVarTypeStr(code)), r.ReadBack, context + " by CDT_ name");
    }
  }
}

// A date read from a stamp text is written as text that reads back as the
// same date, to the second (the text form has no milliseconds): a value of
// milliseconds past midnight, or in the first days of year 1, included.
TEST(TypedValues, StampTextsReadBackAsTheSameDate) {
  SettingsScope scope;
  SettingsScope::UseEnglishLocale();
  const struct {
    const char16_t* Stamp;
    const char16_t* Written;
  } rows[] = {
      {u"#3#3", u"0001-01-03"},
      {u"#1#0", u"0001-01-01"},
      {u"#3#1000", u"0001-01-03 00:00:01"},
      {u"#738945#999", u"2024-02-29"},
      {u"#738945#43200250", u"2024-02-29 12:00:00"},
      {u"#3652059#86399999", u"9999-12-31 23:59:59"},
  };
  for (const auto& r : rows) {
    const ustring written = VarToStrExt(StrToVarExt(r.Stamp, varDate));
    EXPECT_EQ(written, r.Written) << WideToUtf8(r.Stamp);
    EXPECT_EQ(VarToStrExt(StrToVarExt(written, varDate)), written) << WideToUtf8(r.Stamp);
  }
  // Day 0 is no stamp: reading it fails and gives null, written as the
  // empty text, which reads as a date as day 0 of the calendar (found by
  // the typed text fuzzer; the stable text is the date's).
  EXPECT_EQ(StrToVarExt(u"0#0#5", varDate).VarType(), varNull);
  EXPECT_EQ(VarToStrExt(StrToVarExt(u"", varDate)), u"1899-12-30");
}

TEST(TypedValues, JsonDateTextsReadBack) {
  SettingsScope scope;
  SettingsScope::UseDottedLocale();
  const TDateTime value = At(2024, 2, 29, 12, 0, 0, 250);
  const ustring json = VarToJSONStrExt(Variant::FromDate(value));
  EXPECT_EQ(json, u"2024-02-29T12:00:00.250Z");
  // The ISO reader keeps the milliseconds; the typed text reader reads the
  // date and the time to the second.
  ExpectSame(BsonValueToVariant(TvxBsonValue::String(json), varDate), Variant::FromDate(value), "ISO reader");
  ExpectSame(StrToVarExt(json, u"CDT_DATE"), Variant::FromDate(At(2024, 2, 29, 12)), "typed text reader");
}

// ---- BSON values -----------------------------------------------------------

TEST(TypedValues, VariantsToBson) {
  Variant target(int32_t{5});
  const struct {
    const char* Name;
    Variant Value;
    TvxBsonValue Expected;
  } rows[] = {
      {"empty", Variant(), TvxBsonValue::Null()},
      {"null", Variant::Null(), TvxBsonValue::Null()},
      {"smallint", Variant::FromSmallint(-2), TvxBsonValue::Int64(-2)},
      {"integer", Variant(int32_t{5}), TvxBsonValue::Int64(5)},
      {"byte", Variant::FromByte(255), TvxBsonValue::Int64(255)},
      {"longword", Variant::FromLongWord(4000000000u), TvxBsonValue::Int64(4000000000)},
      {"int64", Variant(int64_t{1} << 40), TvxBsonValue::Int64(int64_t{1} << 40)},
      {"single", Variant::FromSingle(0.5f), TvxBsonValue::Double(0.5)},
      {"double", Variant(1.25), TvxBsonValue::Double(1.25)},
      {"currency", Currency4(25000), TvxBsonValue::Double(2.5)},
      {"boolean", Variant(true), TvxBsonValue::Boolean(true)},
      {"string", Variant(u"abc"), TvxBsonValue::String(u"abc")},
      {"wide string", Variant::FromOleStr(u"\u00e4"), TvxBsonValue::String(u"\u00e4")},
      {"8-bit string", Variant("\xE4"), TvxBsonValue::String(u"\u00e4")},
      {"unsigned 64-bit", Variant::FromUInt64(7), TvxBsonValue::String(u"7")},
      {"error code", Variant::FromError(3), TvxBsonValue::String(u"3")},
      {"reference", Variant::RefTo(target), TvxBsonValue::String(u"5")},
      {"byte array", Variant::ByteArray(std::string("a\0b", 3)), TvxBsonValue::Binary(std::string("a\0b", 3))},
      {"variant array", Variant::ArrayOf({Variant(1)}), TvxBsonValue::Null()},
      {"two-dimensional byte array", Variant::CreateArray({{0, 1}, {0, 1}}, varByte), TvxBsonValue::Null()},
  };
  for (const auto& r : rows) {
    EXPECT_TRUE(VarToBsonValueByRef(r.Value, false) == r.Expected) << r.Name;
    EXPECT_TRUE(VarToBsonValueByRef(r.Value, true) == r.Expected) << r.Name;
  }
}

TEST(TypedValues, DatesToBson) {
  const struct {
    TDateTime Value;
    int64_t Milliseconds;
    ustring Iso;
  } rows[] = {
      {At(1970, 1, 1), 0, u"1970-01-01"},
      {At(1970, 1, 1, 0, 0, 0, 1), 1, u"1970-01-01T00:00:00.001Z"},
      {At(1969, 12, 31, 23, 59, 59, 999), -1, u"1969-12-31T23:59:59.999Z"},
      {At(2024, 2, 29, 12, 0, 0, 250), 1709208000250, u"2024-02-29T12:00:00.250Z"},
      {0.25, -2209140000000, u"06:00:00"},
      {-1.25, -2209226400000, u"1899-12-29T06:00:00.000Z"},
      {At(1, 1, 1), -62135596800000, u"0001-01-01"},
  };
  for (const auto& r : rows) {
    EXPECT_TRUE(VarToBsonValueByRef(Variant::FromDate(r.Value), false) == TvxBsonValue::DateTime(r.Milliseconds))
        << Utf8(r.Iso);
    EXPECT_TRUE(VarToBsonValueByRef(Variant::FromDate(r.Value), true) == TvxBsonValue::String(r.Iso)) << Utf8(r.Iso);
  }
  EXPECT_TRUE(VarToBsonValueByRef(Variant::FromDate(1e12), false).IsNull());
  EXPECT_TRUE(VarToBsonValueByRef(Variant::FromDate(std::nan("")), false).IsNull());
}

TEST(TypedValues, BsonToVariants) {
  TvxBsonObjectId id{};
  for (size_t i = 0; i < id.size(); ++i) id[i] = static_cast<uint8_t>(i * 17);
  const struct {
    const char* Name;
    TvxBsonValue Value;
    TVarType Requested;
    Variant Expected;
  } rows[] = {
      {"unassigned", TvxBsonValue(), varInteger, Variant::Null()},
      {"null", TvxBsonValue::Null(), varInteger, Variant::Null()},
      {"double", TvxBsonValue::Double(1.5), varInteger, Variant(1.5)},
      {"string", TvxBsonValue::String(u"abc"), varOleStr, Variant(u"abc")},
      {"ISO date string", TvxBsonValue::String(u"2024-02-29T12:00:00.250Z"), varDate,
       Variant::FromDate(At(2024, 2, 29, 12, 0, 0, 250))},
      {"ISO date", TvxBsonValue::String(u"2024-02-29"), varDate, Variant::FromDate(At(2024, 2, 29))},
      {"string that is no date", TvxBsonValue::String(u"abc"), varDate, Variant::FromDate(0)},
      {"binary", TvxBsonValue::Binary("\x01\xFF"), varEmpty, Variant::ByteArray("\x01\xFF")},
      {"empty binary", TvxBsonValue::Binary(""), varEmpty, Variant::ByteArray("")},
      {"object id", TvxBsonValue::ObjectId(id), varEmpty, Variant(u"00112233445566778899aabb")},
      {"boolean", TvxBsonValue::Boolean(false), varEmpty, Variant(false)},
      {"date-time at 0 ms", TvxBsonValue::DateTime(0), varEmpty, Variant::FromDate(At(1970, 1, 1))},
      {"date-time before 1970", TvxBsonValue::DateTime(-1), varEmpty,
       Variant::FromDate(At(1969, 12, 31, 23, 59, 59, 999))},
      {"first day", TvxBsonValue::DateTime(-62135596800000), varEmpty, Variant::FromDate(At(1, 1, 1))},
      {"before the first day", TvxBsonValue::DateTime(-62135596800001), varEmpty, Variant::Null()},
      {"last millisecond", TvxBsonValue::DateTime(253402300799999), varEmpty,
       Variant::FromDate(At(9999, 12, 31, 23, 59, 59, 999))},
      {"after the last day", TvxBsonValue::DateTime(253402300800000), varEmpty, Variant::Null()},
      {"far beyond", TvxBsonValue::DateTime(std::numeric_limits<int64_t>::max()), varEmpty, Variant::Null()},
      {"far before", TvxBsonValue::DateTime(std::numeric_limits<int64_t>::min()), varEmpty, Variant::Null()},
      {"int32", TvxBsonValue::Int32(-5), varEmpty, Variant(int32_t{-5})},
      {"timestamp", TvxBsonValue::Timestamp(1700000000, 7), varEmpty, Variant(int32_t{1700000000})},
      {"timestamp after 2038", TvxBsonValue::Timestamp(3000000000u, 1), varEmpty, Variant(int64_t{3000000000})},
      {"int64", TvxBsonValue::Int64(int64_t{1} << 40), varEmpty, Variant(int64_t{1} << 40)},
  };
  for (const auto& r : rows) {
    ExpectSame(BsonValueToVariantByRef(r.Value, r.Requested), r.Expected, r.Name);
    ExpectSame(BsonValueToVariant(r.Value, r.Requested), r.Expected, r.Name);
  }
}

// Each kind taken to BSON and back, for its own code.
TEST(TypedValues, BsonRoundTrips) {
  const struct {
    const char* Name;
    Variant Value;
    bool IsoDates;
    Variant ReadBack;
  } rows[] = {
      {"null", Variant::Null(), false, Variant::Null()},
      {"empty", Variant(), false, Variant::Null()},
      {"integer", Variant(int32_t{-9}), false, Variant(int64_t{-9})},
      {"int64", Variant(std::numeric_limits<int64_t>::min()), false, Variant(std::numeric_limits<int64_t>::min())},
      {"double", Variant(0.1), false, Variant(0.1)},
      {"currency", Currency4(-12345), false, Variant(-1.2345)},
      {"boolean", Variant(true), false, Variant(true)},
      {"string", Variant(u"x\u00e4"), false, Variant(u"x\u00e4")},
      {"byte array", Variant::ByteArray(std::string_view("\0\1\2", 3)), false,
       Variant::ByteArray(std::string_view("\0\1\2", 3))},
      {"date-time", Variant::FromDate(At(2024, 2, 29, 12, 0, 0, 250)), false,
       Variant::FromDate(At(2024, 2, 29, 12, 0, 0, 250))},
      {"date-time as ISO text", Variant::FromDate(At(2024, 2, 29, 12, 0, 0, 250)), true,
       Variant::FromDate(At(2024, 2, 29, 12, 0, 0, 250))},
      {"date as ISO text", Variant::FromDate(At(2024, 2, 29)), true, Variant::FromDate(At(2024, 2, 29))},
      {"date at 0 ms", Variant::FromDate(At(1970, 1, 1)), false, Variant::FromDate(At(1970, 1, 1))},
  };
  for (const auto& r : rows) {
    const TvxBsonValue bson = VarToBsonValueByRef(r.Value, r.IsoDates);
    ExpectSame(BsonValueToVariantByRef(bson, r.Value.VarType()), r.ReadBack, r.Name);
  }
}
