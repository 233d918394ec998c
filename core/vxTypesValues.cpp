// TvxTypes: values whose type is known only at run time (variants): the names
// of the type codes, kind tests, conversions.
#include "core/vxTypesValues.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <optional>
#include <string_view>

#include "core/vxConversion.h"
#include "core/vxDateTime.h"
#include "core/vxToolsEvo2.h"
#include "platform/time/vxDateUtils.h"
#include "platform/text/vxFormatSettings.h"
#include "platform/text/vxNumberText.h"
#include "platform/base/vxRuntime.h"

namespace TvxTypes {
namespace {

struct VarTypeName {
  TVarType Code;
  const char16_t* Name;
};

// The stored names of the codes that have one.
constexpr VarTypeName kVarTypeNames[] = {
    {varEmpty, u"EMPTY"},       {varNull, u"NULL"},         {varSmallint, u"SMALLINT"}, {varInteger, u"INT"},
    {varSingle, u"SINGLE"},     {varDouble, u"DOUBLE"},     {varCurrency, u"CURRENCY"}, {varDate, u"DATE"},
    {varOleStr, u"UCS2STR"},    {varDispatch, u"DISPATCH"}, {varError, u"ERROR"},       {varBoolean, u"BOOLEAN"},
    {varVariant, u"VARIANT"},   {varShortInt, u"SHORTINT"}, {varByte, u"BYTE"},         {varWord, u"WORD"},
    {varLongWord, u"LONGWORD"}, {varInt64, u"INT64"},       {varStrArg, u"STRARG"},     {varUStrArg, u"USTRARG"},
    {varString, u"STRING"},     {varAny, u"ANY"},           {varUString, u"UCS4STR"},   {varTypeMask, u"TYPEMASK"},
    {varArray, u"ARRAY"},       {varByRef, u"BYREF"},
};

// The names the reader knows, in the order it compares them.
constexpr VarTypeName kVarTypeReadings[] = {
    {varOleStr, u"UCS2STR"},   {varUString, u"UCS4STR"},   {varUStrArg, u"USTRARG"},  {varString, u"STRING"},
    {varBoolean, u"BOOLEAN"},  {varBoolean, u"BOOL"},      {varVariant, u"VARIANT"},  {varSmallint, u"SMALLINT"},
    {varInteger, u"INT"},      {varSingle, u"SINGLE"},     {varDouble, u"DOUBLE"},    {varDouble, u"FLOAT"},
    {varDouble, u"REAL"},      {varCurrency, u"CURRENCY"}, {varDate, u"DATE"},        {varDate, u"TIME"},
    {varShortInt, u"SHORTINT"}, {varByte, u"BYTE"},        {varWord, u"WORD"},        {varLongWord, u"LONGWORD"},
    {varInt64, u"INT64"},      {varEmpty, u"EMPTY"},       {varError, u"ERROR"},      {varUnknown, u"UNKNOWN"},
    {varNull, u"NULL"},        {varStrArg, u"STRARG"},     {varAny, u"ANY"},          {varTypeMask, u"TYPEMASK"},
    {varArray, u"ARRAY"},      {varDispatch, u"DISPATCH"}, {varByRef, u"BYREF"},
};

// The integer kinds of the typed text form (the unsigned 64-bit kind is
// not among them).
bool IsIntegerKind(TVarType t) { return vxVariant::IsSignedIntegerKind(t); }

bool IsFloatKind(TVarType t) { return t == varSingle || t == varDouble || t == varCurrency; }

// The string kinds the number conversions read leniently.
bool IsTextKind(TVarType t) { return t == varOleStr || t == varString || t == varUString; }

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The lenient reading of a number text: its first "," taken as ".", then
// the value of the longest leading part that reads as a decimal number
// (blanks, a sign, digits with "." and fraction digits, an exponent); 0
// when no such part exists, an infinity beyond the double range.
double LenientReal(ustring text) {
  const size_t comma = text.find(u',');
  if (comma != ustring::npos) text[comma] = u'.';
  const size_t n = text.size();
  size_t i = 0;
  while (i < n && text[i] == u' ') ++i;
  const bool negative = i < n && text[i] == u'-';
  if (i < n && (text[i] == u'+' || text[i] == u'-')) ++i;
  size_t digits = 0;
  while (i < n && IsDigit(text[i])) ++i, ++digits;
  if (i + 1 < n && text[i] == u'.' && IsDigit(text[i + 1])) {
    ++i;
    while (i < n && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < n && (text[i] == u'e' || text[i] == u'E')) {
    size_t j = i + 1;
    if (j < n && (text[j] == u'+' || text[j] == u'-')) ++j;
    if (j < n && IsDigit(text[j])) {
      while (j < n && IsDigit(text[j])) ++j;
      i = j;
    }
  }
  double value = 0;
  if (!TextToFloat(std::u16string_view(text).substr(0, i), u'.', value))
    value = negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  return value;
}

// The value the number conversions work on: texts by the lenient reading,
// Null and object references as 0, everything else as it is.
Variant NumericValue(const Variant& V) {
  const TVarType t = V.VarType();
  if (IsTextKind(t)) return Variant(LenientReal(V.AsString()));
  if (t == varNull || t == varDispatch || t == varUnknown) return Variant(int32_t{0});
  return V;
}

ustring Widen(const std::string& ascii) { return ustring(ascii.begin(), ascii.end()); }

// A date-time as the typed text form writes it; Json writes a value with a
// date and a time in the ISO 8601 form with milliseconds. The value is
// rounded to the millisecond first, so that one a hair before midnight is
// written as the next day, not as a time on the day before; the plain form
// has no milliseconds, so they are dropped before choosing the form (a
// date and 3 ms is the date, as it reads back).
ustring DateText(TDateTime value, bool json) {
  TTimeStamp stamp = vxRuntime::DateTimeToTimeStamp(value);
  if (!json) stamp.Time -= stamp.Time % 1000;
  const TDateTime rounded = vxRuntime::TimeStampToDateTime(stamp);
  const bool hasDate = std::trunc(rounded) != 0;
  const bool hasTime = rounded != std::trunc(rounded);
  if (hasDate && hasTime && !json) return TvxDateTime::DateTimeToISOStr(rounded);
  return TvxDateTime::DateTimeToISO8601Str(rounded);
}

ustring TypedText(const Variant& Value, bool json) {
  try {
    const TVarType t = Value.VarType();
    if (t == varEmpty || t == varNull) return {};
    if (IsIntegerKind(t) || IsFloatKind(t)) return Widen(TvxConversion::FloatToStr(Value));
    if (t == varDate) return DateText(Value.AsDateTime(), json);
    if (t == varBoolean) return TvxConversion::BoolToStr(Value.AsBoolean());
    return VarToStr(Value);
  } catch (const std::exception&) {
    return {};
  }
}

// A date text of the typed text form: a time stamp when it holds "#" or
// "h", else (or when that gives 0) a date and time by the stored and the
// locale's formats.
TDateTime ReadDateText(const ustring& text) {
  TDateTime value = 0;
  if (text.find_first_of(u"#h") != ustring::npos) value = TvxDateTime::TimeStampStrToDateTime(text);
  if (value == 0) {
    const std::vector<ustring> dateFormats{u"yyyy-mm-dd", TvxDateTime::ShortDateFormat(), u"dd.mm.yyyy"};
    const std::vector<ustring> timeFormats{u"hh:nn:ss", FormatSettings().LongTimeFormat};
    value = TvxDateTime::StrToDateTimeExt(text, dateFormats, timeFormats, 0);
  }
  return value;
}

// BSON date-times count milliseconds from 1970-01-01; time stamps from the
// day before 0001-01-01.
constexpr int64_t kUnixEpochMSecs =
    int64_t{vxRuntime::DateDelta + vxRuntime::UnixDateDelta} * vxRuntime::MSecsPerDay;
// The stamps of the calendar's first and last millisecond (0001-01-01 and
// 9999-12-31).
constexpr int64_t kFirstMSecs = int64_t{vxRuntime::MSecsPerDay};
constexpr int64_t kLastMSecs = int64_t{vxRuntime::DateDelta + 2958466} * vxRuntime::MSecsPerDay - 1;

int64_t DateTimeToBsonMSecs(TDateTime value) {
  return vxRuntime::TimeStampToMSecs(vxRuntime::DateTimeToTimeStamp(value)) - kUnixEpochMSecs;
}

// Nothing for a moment outside the calendar.
std::optional<TDateTime> BsonMSecsToDateTime(int64_t msecs) {
  if (msecs < kFirstMSecs - kUnixEpochMSecs || msecs > kLastMSecs - kUnixEpochMSecs) return std::nullopt;
  return vxRuntime::TimeStampToDateTime(vxRuntime::MSecsToTimeStamp(msecs + kUnixEpochMSecs));
}

}  // namespace

// ---- Type codes and their names --------------------------------------------

TVarType GetVarType(const Variant& Value) { return Value.VarType(); }

ustring GetVarTypeStr(TVarType VarType) {
  for (const VarTypeName& entry : kVarTypeNames)
    if (entry.Code == VarType) return entry.Name;
  return u"UNKNOWN";
}

TVarType GetVarTypeFromStr(const ustring& VarType, TVarType Default) {
  const ustring name = UpperStrW(vxRuntime::Trim(VarType));
  for (const VarTypeName& entry : kVarTypeReadings)
    if (name == entry.Name) return entry.Code;
  return Default;
}

TVarType GetVarTypeFromFieldDataType(TvxFieldDataType DataType) {
  switch (DataType) {
    case vxFDT_Date: return varDate;
    case vxFDT_Float: return varDouble;
    case vxFDT_Currency: return varCurrency;
    case vxFDT_Boolean: return varBoolean;
    default: return varOleStr;
  }
}

// ---- Kind tests --------------------------------------------------------------

bool IsStringVariant(const Variant& myVar) {
  const TVarType t = myVar.VarType();
  return IsTextKind(t) || t == varStrArg || t == varUStrArg;
}

bool IsNumericVariant(const Variant& myVar) {
  const TVarType t = myVar.VarType();
  return vxVariant::IsSignedIntegerKind(t) || t == varUInt64;
}

bool IsMathVariant(const Variant& myVar) {
  const TVarType t = myVar.VarType();
  return (t >= varSmallint && t <= varDate) || (t >= varShortInt && t <= varUInt64);
}

bool IsFloatVariant(const Variant& myVar) { return IsFloatKind(myVar.VarType()); }

bool IsBooleanVariant(const Variant& myVar) { return myVar.VarType() == varBoolean; }

bool IsDateVariant(const Variant& myVar) { return myVar.VarType() == varDate; }

bool IsArrayVariant(const Variant& V) { return V.DimCount() >= 1; }

bool IsMathVarType(TVarType VarType) {
  return (VarType >= varSmallint && VarType <= varCurrency) || (VarType >= varShortInt && VarType <= varUInt64);
}

bool VarIsType(const Variant& V, const std::vector<int32_t>& AVarTypes) {
  const int32_t code = V.Deref().VarType();
  return std::find(AVarTypes.begin(), AVarTypes.end(), code) != AVarTypes.end();
}

bool VarIsInitial(const Variant& myVar) { return myVar.IsEmpty() || myVar.IsNull(); }

// ---- Conversions -------------------------------------------------------------

ustring VarToStr(const Variant& V) {
  const Variant& v = V.Deref();
  if (v.IsEmpty() || v.IsNull()) return {};
  return v.AsString();
}

int32_t VarToInteger(const Variant& V) { return NumericValue(V).AsInteger(); }

int64_t VarToInt64(const Variant& V) { return NumericValue(V).AsInt64(); }

double VarToFloat(const Variant& V) { return NumericValue(V).AsDouble(); }

bool VarToBoolean(const Variant& V) {
  try {
    return VarToInt64(V) != 0;
  } catch (const EVariantOverflowError&) {
    // Too large for an integer is certainly not 0.
    return true;
  }
}

TDateTime VarToDateTime(const Variant& V) { return V.AsDateTime(); }

Variant ObjectToVar(TObject* Obj) { return Variant(static_cast<int64_t>(reinterpret_cast<intptr_t>(Obj))); }

intptr_t VarToIntObject(const Variant& V) { return static_cast<intptr_t>(VarToInt64(V)); }

TObject* VarToObject(const Variant& V) { return reinterpret_cast<TObject*>(VarToIntObject(V)); }

TWideStringArray VarArrayAsStringArray(const Variant& V) {
  if (V.DimCount() != 1) throw Exception("invalid array dimension");
  TWideStringArray result;
  for (int64_t i = V.LowBound(1); i <= V.HighBound(1); ++i)
    result.push_back(VarToStr(V.GetElement({static_cast<int32_t>(i)})));
  return result;
}

// ---- The typed text form ---------------------------------------------------

ustring VarToStrExt(const Variant& Value) { return TypedText(Value, false); }

ustring VarToJSONStrExt(const Variant& Value) { return TypedText(Value, true); }

Variant StrToVarExt(const ustring& Value, TVarType VarType) {
  try {
    if (VarType == varEmpty || VarType == varNull) return Value.empty() ? Variant::Null() : Variant(Value);
    if (IsIntegerKind(VarType)) return Variant(TvxConversion::StrToInt(Value, -1));
    if (IsFloatKind(VarType)) return Variant(TvxConversion::StrToReal(Value, false, 0));
    if (VarType == varDate) return Variant::FromDate(ReadDateText(Value));
    if (VarType == varBoolean) return Variant(TvxConversion::StrToBool(Value));
    return Variant(Value);
  } catch (const std::exception&) {
    return Variant::Null();
  }
}

Variant StrToVarExt(const ustring& Value, const ustring& VarType) {
  const std::u16string_view name(VarType);
  constexpr std::u16string_view kPrefix = u"CDT_";
  const ustring typeName(name.starts_with(kPrefix) ? name.substr(kPrefix.size()) : name);
  return StrToVarExt(Value, GetVarTypeFromStr(typeName, varUnknown));
}

// ---- BSON values -----------------------------------------------------------

TvxBsonValue VarToBsonValueByRef(const Variant& AValue, bool AISO8601DateStrings) {
  try {
    const TVarType t = AValue.VarType();
    if (t == varEmpty || t == varNull) return TvxBsonValue::Null();
    if (IsIntegerKind(t)) return TvxBsonValue::Int64(VarToInt64(AValue));
    if (IsFloatKind(t)) return TvxBsonValue::Double(VarToFloat(AValue));
    if (t == varDate) {
      const TDateTime value = AValue.AsDateTime();
      if (AISO8601DateStrings) return TvxBsonValue::String(TvxDateTime::DateTimeToISO8601Str(value));
      return TvxBsonValue::DateTime(DateTimeToBsonMSecs(value));
    }
    if (t == varBoolean) return TvxBsonValue::Boolean(VarToBoolean(AValue));
    // Byte arrays have no text; they travel as binary content, as binary
    // content comes back.
    if (t == (varArray | varByte) && AValue.DimCount() == 1) return TvxBsonValue::Binary(AValue.Bytes());
    return TvxBsonValue::String(VarToStr(AValue));
  } catch (const std::exception&) {
    return TvxBsonValue::Null();
  }
}

Variant BsonValueToVariantByRef(const TvxBsonValue& AValue, TVarType AVarType) {
  try {
    switch (AValue.Kind()) {
      case TvxBsonType::Null: return Variant::Null();
      case TvxBsonType::Double: return Variant(AValue.AsDouble());
      case TvxBsonType::String:
        if (AVarType == varDate) return Variant::FromDate(TvxDateTime::ISO8601ToDateTime(AValue.AsString(), false));
        return Variant(AValue.AsString());
      case TvxBsonType::Binary: return Variant::ByteArray(AValue.AsBinary());
      case TvxBsonType::ObjectId: return Variant(BsonObjectIdToString(AValue.AsObjectId()));
      case TvxBsonType::Boolean: return Variant(AValue.AsBoolean());
      case TvxBsonType::DateTime: {
        const std::optional<TDateTime> value = BsonMSecsToDateTime(AValue.AsDateTime());
        return value ? Variant::FromDate(*value) : Variant::Null();
      }
      case TvxBsonType::Int32: return Variant(AValue.AsInt32());
      case TvxBsonType::Timestamp: {
        // Seconds from 2038 on leave the 32-bit range; they keep their value.
        const uint32_t seconds = AValue.TimestampSeconds();
        if (seconds > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) return Variant(int64_t{seconds});
        return Variant(static_cast<int32_t>(seconds));
      }
      case TvxBsonType::Int64: return Variant(AValue.AsInt64());
    }
    return Variant::Null();
  } catch (const std::exception&) {
    return Variant::Null();
  }
}

Variant BsonValueToVariant(TvxBsonValue AValue, TVarType AVarType) { return BsonValueToVariantByRef(AValue, AVarType); }

}  // namespace TvxTypes
