// Variant: a value whose kind is known only at run time, tagged with a 16-bit
// type code.
#include "platform/values/vxVariant.h"

#include <cmath>
#include <limits>

#include "platform/base/vxCodePage.h"
#include "platform/time/vxDateUtils.h"
#include "platform/values/vxFloatFormat.h"
#include "platform/text/vxFormatSettings.h"
#include "platform/text/vxNumberText.h"
#include "platform/base/vxRuntime.h"

struct Variant::ArrayData {
  TVarType ElementType = varVariant;
  std::vector<TVarArrayBound> Bounds;
  std::vector<Variant> Items;  // every element kind but varByte
  std::string Bytes;           // the elements of a byte array

  size_t Count() const { return ElementType == varByte ? Bytes.size() : Items.size(); }

  // The position of an element in the storage, row by row.
  size_t Offset(std::span<const int32_t> indices) const {
    if (indices.size() != Bounds.size()) throw EVariantBadIndexError("Variant array index out of bounds");
    size_t offset = 0;
    for (size_t d = 0; d < Bounds.size(); ++d) {
      const TVarArrayBound& b = Bounds[d];
      if (indices[d] < b.Low || indices[d] > b.High) throw EVariantBadIndexError("Variant array index out of bounds");
      const size_t extent = static_cast<size_t>(int64_t{b.High} - b.Low + 1);
      offset = offset * extent + static_cast<size_t>(int64_t{indices[d]} - b.Low);
    }
    return offset;
  }

  friend bool operator==(const ArrayData& a, const ArrayData& b) {
    if (a.ElementType != b.ElementType || a.Bounds.size() != b.Bounds.size()) return false;
    for (size_t d = 0; d < a.Bounds.size(); ++d)
      if (a.Bounds[d].Low != b.Bounds[d].Low || a.Bounds[d].High != b.Bounds[d].High) return false;
    return a.Items == b.Items && a.Bytes == b.Bytes;
  }
};

namespace {

constexpr int kMaxDimensions = 64;
constexpr int kMaxReferenceDepth = 64;
constexpr int64_t kMaxArrayElements = std::numeric_limits<int32_t>::max();

using vxVariant::IsSignedIntegerKind;

// The kinds a value (and an array element) can have here.
bool IsScalarKind(TVarType t) {
  return IsSignedIntegerKind(t) || t == varUInt64 || t == varSingle || t == varDouble || t == varCurrency ||
         t == varDate || t == varOleStr || t == varError || t == varBoolean || t == varString || t == varUString;
}

ustring BaseTypeName(TVarType t) {
  switch (t) {
    case varEmpty: return u"Empty";
    case varNull: return u"Null";
    case varSmallint: return u"Smallint";
    case varInteger: return u"Integer";
    case varSingle: return u"Single";
    case varDouble: return u"Double";
    case varCurrency: return u"Currency";
    case varDate: return u"Date";
    case varOleStr: return u"OleStr";
    case varDispatch: return u"Dispatch";
    case varError: return u"Error";
    case varBoolean: return u"Boolean";
    case varVariant: return u"Variant";
    case varUnknown: return u"Unknown";
    case varShortInt: return u"ShortInt";
    case varByte: return u"Byte";
    case varWord: return u"Word";
    case varLongWord: return u"LongWord";
    case varInt64: return u"Int64";
    case varUInt64: return u"UInt64";
    case varStrArg: return u"StrArg";
    case varUStrArg: return u"UStrArg";
    case varString: return u"String";
    case varAny: return u"Any";
    case varUString: return u"UnicodeString";
    default: {
      const std::string n = "type " + std::to_string(t);
      return ustring(n.begin(), n.end());
    }
  }
}

ustring Widen(const std::string& ascii) { return ustring(ascii.begin(), ascii.end()); }

// A number read from a text: an integer as sign and magnitude (so that the
// whole unsigned 64-bit range survives), or a float.
struct TextNumber {
  bool IsInteger = false;
  bool Negative = false;
  uint64_t Magnitude = 0;
  double Float = 0;
  bool OutOfRange = false;  // a float beyond the double range
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

using vxRuntime::HexDigitValue;

// An integer: optional sign, then decimal digits, or hexadecimal digits
// after "$", "0x" or "0X". False when the text is no such integer or does
// not fit 64 bits unsigned.
bool ReadInteger(std::u16string_view s, TextNumber& n) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  unsigned base = 10;
  if (i < s.size() && s[i] == u'$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    base = 16;
    i += 2;
  }
  if (i == s.size()) return false;
  uint64_t value = 0;
  for (; i < s.size(); ++i) {
    const int digit = base == 16 ? HexDigitValue(s[i]) : (IsDigit(s[i]) ? s[i] - u'0' : -1);
    if (digit < 0) return false;
    if (value > (std::numeric_limits<uint64_t>::max() - static_cast<unsigned>(digit)) / base) return false;
    value = value * base + static_cast<unsigned>(digit);
  }
  n.IsInteger = true;
  n.Negative = negative;
  n.Magnitude = value;
  return true;
}

// A decimal float: optional sign, digits with the decimal separator and
// fraction digits (at least one digit), an optional exponent.
bool ReadFloat(std::u16string_view s, char16_t decimalSeparator, TextNumber& n) {
  TDecimalNumber scanned;
  if (!ScanDecimalNumber(s, decimalSeparator, scanned)) return false;
  n.IsInteger = false;
  // A scanned number that gives no double lies beyond the double range.
  n.OutOfRange = !TextToFloat(s, decimalSeparator, n.Float);
  return true;
}

bool ReadNumber(const ustring& text, TextNumber& n) {
  const ustring s = vxRuntime::Trim(text);
  if (s.empty()) return false;
  return ReadInteger(s, n) || ReadFloat(s, FormatSettings().DecimalSeparator, n);
}

// Rounds to the nearest integer, halves to the even neighbour; false when
// the result does not fit 64 bits signed.
bool RoundToInt64(double value, int64_t& result) {
  const double r = std::nearbyint(value);
  if (!FitsInt64(r)) return false;
  result = static_cast<int64_t>(r);
  return true;
}

bool RoundToUInt64(double value, uint64_t& result) {
  const double r = std::nearbyint(value);
  if (!(r >= 0 && r < 18446744073709551616.0)) return false;
  result = static_cast<uint64_t>(r);
  return true;
}

// Currency to integer: the amount rounded, halves to the even neighbour.
int64_t RoundCurrency(int64_t scaled) {
  const int64_t scale = Currency::Scale;
  int64_t quotient = scaled / scale;
  const int64_t remainder = scaled % scale;
  const int64_t twice = 2 * (remainder < 0 ? -remainder : remainder);
  if (twice > scale || (twice == scale && quotient % 2 != 0)) quotient += remainder < 0 ? -1 : 1;
  return quotient;
}

// A date-time in the short date and long time formats; without a time only
// the date, and without a date (day 0) only the time.
ustring DateTimeText(TDateTime value) {
  if (std::trunc(value) == 0 && value != 0) return vxRuntime::TimeToStr(value);
  return vxRuntime::DateTimeToStr(value);
}

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto up = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
    if (up(a[i]) != up(b[i])) return false;
  }
  return true;
}

}  // namespace

ustring VarTypeAsText(TVarType type) {
  ustring prefix;
  if (type & varByRef) prefix += u"ByRef ";
  if (type & varArray) prefix += u"Array of ";
  return prefix + BaseTypeName(type & varTypeMask);
}

// ---- Construction -------------------------------------------------------

Variant::Variant(const Variant&) = default;
Variant::Variant(Variant&&) noexcept = default;
Variant& Variant::operator=(const Variant&) = default;
Variant& Variant::operator=(Variant&&) noexcept = default;
Variant::~Variant() = default;

Variant Variant::Null() { return Variant(varNull, std::monostate{}); }
Variant Variant::FromShortInt(int8_t value) { return Variant(varShortInt, int64_t{value}); }
Variant Variant::FromByte(uint8_t value) { return Variant(varByte, int64_t{value}); }
Variant Variant::FromSmallint(int16_t value) { return Variant(varSmallint, int64_t{value}); }
Variant Variant::FromWord(uint16_t value) { return Variant(varWord, int64_t{value}); }
Variant Variant::FromLongWord(uint32_t value) { return Variant(varLongWord, int64_t{value}); }
Variant Variant::FromUInt64(uint64_t value) { return Variant(varUInt64, value); }
Variant Variant::FromSingle(float value) { return Variant(varSingle, double{value}); }
Variant Variant::FromDate(TDateTime value) { return Variant(varDate, double{value}); }
Variant Variant::FromOleStr(ustring value) { return Variant(varOleStr, std::move(value)); }
Variant Variant::FromError(int32_t code) { return Variant(varError, int64_t{code}); }
Variant Variant::RefTo(Variant& target) { return Variant(varByRef | varVariant, &target); }

Variant Variant::CreateArray(std::span<const TVarArrayBound> bounds, TVarType elementType) {
  if (elementType != varVariant && !IsScalarKind(elementType))
    throw EVariantInvalidArgError(u"Invalid variant array element type (" + VarTypeAsText(elementType) + u")");
  if (bounds.empty() || bounds.size() > static_cast<size_t>(kMaxDimensions))
    throw EVariantInvalidArgError("Invalid variant array dimension count");
  int64_t count = 1;
  for (const TVarArrayBound& b : bounds) {
    const int64_t extent = int64_t{b.High} - b.Low + 1;
    if (extent < 0) throw EVariantInvalidArgError("Invalid variant array bounds");
    if (extent > 0 && count > kMaxArrayElements / extent) throw EVariantInvalidArgError("Variant array too large");
    count *= extent;
  }
  auto data = std::make_shared<ArrayData>();
  data->ElementType = elementType;
  data->Bounds.assign(bounds.begin(), bounds.end());
  if (elementType == varByte) {
    data->Bytes.assign(static_cast<size_t>(count), '\0');
  } else {
    // Every element starts as the zero of its kind.
    const Variant zero = elementType == varVariant ? Variant() : Variant().AsType(elementType);
    data->Items.assign(static_cast<size_t>(count), zero);
  }
  return Variant(varArray | elementType, std::move(data));
}

Variant Variant::CreateArray(std::initializer_list<TVarArrayBound> bounds, TVarType elementType) {
  return CreateArray(std::span<const TVarArrayBound>(bounds.begin(), bounds.size()), elementType);
}

Variant Variant::ArrayOf(std::vector<Variant> items) {
  if (static_cast<int64_t>(items.size()) > kMaxArrayElements) throw EVariantInvalidArgError("Variant array too large");
  auto data = std::make_shared<ArrayData>();
  data->ElementType = varVariant;
  data->Bounds = {TVarArrayBound{0, static_cast<int32_t>(items.size()) - 1}};
  data->Items = std::move(items);
  return Variant(varArray | varVariant, std::move(data));
}

Variant Variant::ByteArray(std::string_view bytes) {
  if (static_cast<int64_t>(bytes.size()) > kMaxArrayElements) throw EVariantInvalidArgError("Variant array too large");
  auto data = std::make_shared<ArrayData>();
  data->ElementType = varByte;
  data->Bounds = {TVarArrayBound{0, static_cast<int32_t>(bytes.size()) - 1}};
  data->Bytes.assign(bytes);
  return Variant(varArray | varByte, std::move(data));
}

// ---- References and arrays ----------------------------------------------

const Variant& Variant::Deref() const {
  const Variant* v = this;
  for (int depth = 0; v->FType == (varByRef | varVariant); ++depth) {
    if (depth == kMaxReferenceDepth) throw EVariantInvalidArgError("Variant reference chain too deep");
    v = std::get<Variant*>(v->FValue);
  }
  return *v;
}

const Variant::ArrayData& Variant::Array() const {
  const Variant& v = Deref();
  if (!v.IsArray()) throw EVariantInvalidArgError("Variant is not an array");
  return *std::get<std::shared_ptr<ArrayData>>(v.FValue);
}

Variant::ArrayData& Variant::MutableArray() {
  Variant& v = const_cast<Variant&>(Deref());
  if (!v.IsArray()) throw EVariantInvalidArgError("Variant is not an array");
  auto& data = std::get<std::shared_ptr<ArrayData>>(v.FValue);
  // Copies share the elements until one of them changes.
  if (data.use_count() > 1) data = std::make_shared<ArrayData>(*data);
  return *data;
}

int Variant::DimCount() const {
  const Variant& v = Deref();
  return v.IsArray() ? static_cast<int>(v.Array().Bounds.size()) : 0;
}

int32_t Variant::LowBound(int dimension) const {
  const ArrayData& a = Array();
  if (dimension < 1 || dimension > static_cast<int>(a.Bounds.size()))
    throw EVariantBadIndexError("Variant array dimension out of range");
  return a.Bounds[static_cast<size_t>(dimension - 1)].Low;
}

int32_t Variant::HighBound(int dimension) const {
  const ArrayData& a = Array();
  if (dimension < 1 || dimension > static_cast<int>(a.Bounds.size()))
    throw EVariantBadIndexError("Variant array dimension out of range");
  return a.Bounds[static_cast<size_t>(dimension - 1)].High;
}

Variant Variant::GetElement(std::span<const int32_t> indices) const {
  const ArrayData& a = Array();
  const size_t offset = a.Offset(indices);
  if (a.ElementType == varByte) return FromByte(static_cast<uint8_t>(a.Bytes[offset]));
  return a.Items[offset];
}

Variant Variant::GetElement(std::initializer_list<int32_t> indices) const {
  return GetElement(std::span<const int32_t>(indices.begin(), indices.size()));
}

void Variant::PutElement(std::span<const int32_t> indices, const Variant& value) {
  const TVarType elementType = Array().ElementType;
  // Convert before touching the array, so that a failed conversion changes nothing.
  Variant stored = elementType == varVariant ? value : value.AsType(elementType);
  ArrayData& a = MutableArray();
  const size_t offset = a.Offset(indices);
  if (elementType == varByte) {
    a.Bytes[offset] = static_cast<char>(static_cast<uint8_t>(stored.IntegerValue()));
  } else {
    a.Items[offset] = std::move(stored);
  }
}

void Variant::PutElement(std::initializer_list<int32_t> indices, const Variant& value) {
  PutElement(std::span<const int32_t>(indices.begin(), indices.size()), value);
}

const std::string& Variant::Bytes() const {
  const ArrayData& a = Array();
  if (a.ElementType != varByte) throw EVariantInvalidArgError("Variant is not a byte array");
  return a.Bytes;
}

// ---- Conversions --------------------------------------------------------

int64_t Variant::IntegerValue() const { return std::get<int64_t>(FValue); }

void Variant::RaiseCast(TVarType target) const {
  throw EVariantTypeCastError(u"Could not convert variant of type (" + VarTypeAsText(FType) + u") into type (" +
                              VarTypeAsText(target) + u")");
}

void Variant::RaiseOverflow(TVarType target) const {
  throw EVariantOverflowError(u"Overflow while converting variant of type (" + VarTypeAsText(FType) +
                              u") into type (" + VarTypeAsText(target) + u")");
}

ustring Variant::AsString() const {
  const Variant& v = Deref();
  if (v.IsArray()) v.RaiseCast(varUString);
  switch (v.FType) {
    case varEmpty: return {};
    case varError: return Widen(std::to_string(v.IntegerValue()));
    case varUInt64: return Widen(std::to_string(std::get<uint64_t>(v.FValue)));
    case varSingle: return FloatToStrGeneral(std::get<double>(v.FValue), 7, FormatSettings().DecimalSeparator);
    case varDouble: return FloatToStrGeneral(std::get<double>(v.FValue), 15, FormatSettings().DecimalSeparator);
    case varCurrency: return CurrToStrGeneral(Currency::FromScaled(v.IntegerValue()), FormatSettings().DecimalSeparator);
    case varDate: return DateTimeText(std::get<double>(v.FValue));
    case varOleStr:
    case varUString: return std::get<ustring>(v.FValue);
    case varString: return AnsiToWide(std::get<std::string>(v.FValue));
    case varBoolean: return v.IntegerValue() ? u"True" : u"False";
    default:
      if (IsSignedIntegerKind(v.FType)) return Widen(std::to_string(v.IntegerValue()));
      v.RaiseCast(varUString);
  }
}

std::string Variant::AsAnsiString() const {
  const Variant& v = Deref();
  if (v.FType == varString) return std::get<std::string>(v.FValue);
  if (v.IsArray() || v.FType == varNull) v.RaiseCast(varString);
  return WideToAnsi(v.AsString());
}

int64_t Variant::ToInt64(TVarType target) const {
  int64_t result = 0;
  switch (FType) {
    case varEmpty: return 0;
    case varBoolean: return IntegerValue() ? 1 : 0;
    case varCurrency: return RoundCurrency(IntegerValue());
    case varUInt64: {
      const uint64_t u = std::get<uint64_t>(FValue);
      if (u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) RaiseOverflow(target);
      return static_cast<int64_t>(u);
    }
    case varSingle:
    case varDouble:
    case varDate:
      if (!RoundToInt64(std::get<double>(FValue), result)) RaiseOverflow(target);
      return result;
    case varOleStr:
    case varUString:
    case varString: {
      TextNumber n;
      if (!ReadNumber(AsString(), n)) RaiseCast(target);
      if (n.IsInteger) {
        const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + (n.Negative ? 1 : 0);
        if (n.Magnitude > limit) RaiseOverflow(target);
        return n.Negative ? static_cast<int64_t>(0 - n.Magnitude) : static_cast<int64_t>(n.Magnitude);
      }
      if (n.OutOfRange || !RoundToInt64(n.Float, result)) RaiseOverflow(target);
      return result;
    }
    default:
      if (IsSignedIntegerKind(FType) || FType == varError) return IntegerValue();
      RaiseCast(target);
  }
}

uint64_t Variant::ToUInt64(TVarType target) const {
  uint64_t result = 0;
  switch (FType) {
    case varUInt64: return std::get<uint64_t>(FValue);
    case varSingle:
    case varDouble:
    case varDate:
      if (!RoundToUInt64(std::get<double>(FValue), result)) RaiseOverflow(target);
      return result;
    case varOleStr:
    case varUString:
    case varString: {
      TextNumber n;
      if (!ReadNumber(AsString(), n)) RaiseCast(target);
      if (n.IsInteger) {
        if (n.Negative && n.Magnitude != 0) RaiseOverflow(target);
        return n.Magnitude;
      }
      if (n.OutOfRange || !RoundToUInt64(n.Float, result)) RaiseOverflow(target);
      return result;
    }
    default: {
      const int64_t value = ToInt64(target);
      if (value < 0) RaiseOverflow(target);
      return static_cast<uint64_t>(value);
    }
  }
}

double Variant::ToDouble(TVarType target) const {
  switch (FType) {
    case varEmpty: return 0;
    case varBoolean: return IntegerValue() ? 1 : 0;
    case varCurrency: return static_cast<double>(IntegerValue()) / Currency::Scale;
    case varUInt64: return static_cast<double>(std::get<uint64_t>(FValue));
    case varSingle:
    case varDouble:
    case varDate: return std::get<double>(FValue);
    case varOleStr:
    case varUString:
    case varString: {
      TextNumber n;
      if (!ReadNumber(AsString(), n)) RaiseCast(target);
      if (n.OutOfRange) RaiseOverflow(target);
      if (!n.IsInteger) return n.Float;
      const double magnitude = static_cast<double>(n.Magnitude);
      return n.Negative ? -magnitude : magnitude;
    }
    default:
      if (IsSignedIntegerKind(FType) || FType == varError) return static_cast<double>(IntegerValue());
      RaiseCast(target);
  }
}

int64_t Variant::AsInt64() const { return Deref().ToInt64(varInt64); }

uint64_t Variant::AsUInt64() const { return Deref().ToUInt64(varUInt64); }

double Variant::AsDouble() const { return Deref().ToDouble(varDouble); }

int32_t Variant::AsInteger() const {
  const Variant& v = Deref();
  const int64_t value = v.ToInt64(varInteger);
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    v.RaiseOverflow(varInteger);
  return static_cast<int32_t>(value);
}

bool Variant::AsBoolean() const {
  const Variant& v = Deref();
  switch (v.FType) {
    case varEmpty: return false;
    case varBoolean: return v.IntegerValue() != 0;
    case varCurrency: return v.IntegerValue() != 0;
    case varUInt64: return std::get<uint64_t>(v.FValue) != 0;
    case varSingle:
    case varDouble:
    case varDate: return std::get<double>(v.FValue) != 0;
    case varOleStr:
    case varUString:
    case varString: {
      const ustring s = vxRuntime::Trim(v.AsString());
      if (EqualsIgnoringAsciiCase(s, u"True")) return true;
      if (EqualsIgnoringAsciiCase(s, u"False")) return false;
      TextNumber n;
      if (!ReadNumber(s, n)) v.RaiseCast(varBoolean);
      return n.IsInteger ? n.Magnitude != 0 : (n.OutOfRange || n.Float != 0);
    }
    default:
      if (IsSignedIntegerKind(v.FType) || v.FType == varError) return v.IntegerValue() != 0;
      v.RaiseCast(varBoolean);
  }
}

Currency Variant::AsCurrency() const {
  const Variant& v = Deref();
  constexpr int64_t maxUnits = std::numeric_limits<int64_t>::max() / Currency::Scale;
  switch (v.FType) {
    case varCurrency: return Currency::FromScaled(v.IntegerValue());
    case varSingle:
    case varDouble:
    case varDate: {
      int64_t scaled = 0;
      if (!RoundToInt64(std::get<double>(v.FValue) * Currency::Scale, scaled)) v.RaiseOverflow(varCurrency);
      return Currency::FromScaled(scaled);
    }
    case varOleStr:
    case varUString:
    case varString: {
      const ustring text = vxRuntime::Trim(v.AsString());
      TextNumber n;
      if (text.empty() || !ReadInteger(text, n)) {
        // Decimal texts are read exactly, not through a double.
        TDecimalNumber scanned;
        if (!ScanDecimalNumber(text, FormatSettings().DecimalSeparator, scanned)) v.RaiseCast(varCurrency);
        Currency amount;
        if (!TextToCurrency(text, FormatSettings().DecimalSeparator, amount)) v.RaiseOverflow(varCurrency);
        return amount;
      }
      if (n.Magnitude > static_cast<uint64_t>(maxUnits)) v.RaiseOverflow(varCurrency);
      const int64_t units = static_cast<int64_t>(n.Magnitude);
      return Currency::FromScaled((n.Negative ? -units : units) * Currency::Scale);
    }
    case varUInt64:
      if (std::get<uint64_t>(v.FValue) > static_cast<uint64_t>(maxUnits)) v.RaiseOverflow(varCurrency);
      return Currency::FromScaled(static_cast<int64_t>(std::get<uint64_t>(v.FValue)) * Currency::Scale);
    default: {
      const int64_t units = v.ToInt64(varCurrency);
      if (units > maxUnits || units < -maxUnits) v.RaiseOverflow(varCurrency);
      return Currency::FromScaled(units * Currency::Scale);
    }
  }
}

TDateTime Variant::AsDateTime() const {
  const Variant& v = Deref();
  switch (v.FType) {
    case varDate: return std::get<double>(v.FValue);
    case varOleStr:
    case varUString:
    case varString: {
      TDateTime value = 0;
      if (!vxRuntime::TryStrToDateTime(v.AsString(), value)) v.RaiseCast(varDate);
      return value;
    }
    default: return v.ToDouble(varDate);
  }
}

Variant Variant::AsType(TVarType type) const {
  const Variant& v = Deref();
  if (v.FType == type) return v;
  if (v.IsArray() || (type & ~varTypeMask) != 0) v.RaiseCast(type);
  auto checked = [&](int64_t value, int64_t low, int64_t high) {
    if (value < low || value > high) v.RaiseOverflow(type);
    return Variant(type, value);
  };
  switch (type) {
    case varEmpty:
    case varNull:
      if (!v.IsEmpty() && !v.IsNull()) v.RaiseCast(type);
      return type == varNull ? Null() : Variant();
    case varVariant: return v;
    case varShortInt: return checked(v.ToInt64(type), INT8_MIN, INT8_MAX);
    case varByte: return checked(v.ToInt64(type), 0, UINT8_MAX);
    case varSmallint: return checked(v.ToInt64(type), INT16_MIN, INT16_MAX);
    case varWord: return checked(v.ToInt64(type), 0, UINT16_MAX);
    case varInteger: return checked(v.ToInt64(type), INT32_MIN, INT32_MAX);
    case varLongWord: return checked(v.ToInt64(type), 0, UINT32_MAX);
    case varError: return checked(v.ToInt64(type), INT32_MIN, INT32_MAX);
    case varInt64: return Variant(v.ToInt64(type));
    case varUInt64: return FromUInt64(v.ToUInt64(type));
    case varSingle: {
      const double d = v.ToDouble(type);
      if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()) v.RaiseOverflow(type);
      return FromSingle(static_cast<float>(d));
    }
    case varDouble: return Variant(v.AsDouble());
    case varCurrency: return Variant(v.AsCurrency());
    case varDate: return FromDate(v.AsDateTime());
    case varBoolean: return Variant(v.AsBoolean());
    case varOleStr: return FromOleStr(v.AsString());
    case varUString: return Variant(v.AsString());
    case varString: return Variant(v.AsAnsiString());
    default: v.RaiseCast(type);
  }
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.FType != b.FType) return false;
  if (a.IsArray()) {
    const auto& x = std::get<std::shared_ptr<Variant::ArrayData>>(a.FValue);
    const auto& y = std::get<std::shared_ptr<Variant::ArrayData>>(b.FValue);
    return x == y || *x == *y;
  }
  return a.FValue == b.FValue;
}
