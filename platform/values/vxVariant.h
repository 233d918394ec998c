// Variant: a value whose kind is known only at run time, tagged with a
// 16-bit type code. The codes are those the system stores and exchanges
// (configuration strings, the configuration store, the registry), so their
// numbers are fixed. Bit varArray marks an array whose elements are of the
// kind in the low 12 bits; bit varByRef marks a reference, of which only the
// reference to another variant (varByRef | varVariant) exists here.
//
// A Variant is a plain value: copies are independent (arrays included), with
// one exception: a reference copies the reference, not the referenced
// variant, which must outlive it.
//
// Conversions (AsString, AsInteger, ...) follow references, raise
// EVariantTypeCastError for values that have no such form (Null, arrays,
// texts that are no number) and EVariantOverflowError for values that do not
// fit the target. Empty converts to the empty text, 0 and False.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/values/vxCurrency.h"
#include "platform/base/vxExceptions.h"

using TVarType = uint16_t;

inline constexpr TVarType varEmpty = 0x0000;     // no value (unassigned)
inline constexpr TVarType varNull = 0x0001;      // the null value
inline constexpr TVarType varSmallint = 0x0002;  // 16-bit signed
inline constexpr TVarType varInteger = 0x0003;   // 32-bit signed
inline constexpr TVarType varSingle = 0x0004;    // 32-bit float
inline constexpr TVarType varDouble = 0x0005;    // 64-bit float
inline constexpr TVarType varCurrency = 0x0006;  // fixed point, four decimals
inline constexpr TVarType varDate = 0x0007;      // TDateTime
inline constexpr TVarType varOleStr = 0x0008;    // UTF-16 text (the wide-string kind)
inline constexpr TVarType varDispatch = 0x0009;  // automation object (not built here)
inline constexpr TVarType varError = 0x000A;     // 32-bit error code
inline constexpr TVarType varBoolean = 0x000B;
inline constexpr TVarType varVariant = 0x000C;   // only as array element or reference target
inline constexpr TVarType varUnknown = 0x000D;   // COM object (not built here)
inline constexpr TVarType varShortInt = 0x0010;  // 8-bit signed
inline constexpr TVarType varByte = 0x0011;      // 8-bit unsigned
inline constexpr TVarType varWord = 0x0012;      // 16-bit unsigned
inline constexpr TVarType varLongWord = 0x0013;  // 32-bit unsigned
inline constexpr TVarType varInt64 = 0x0014;
inline constexpr TVarType varUInt64 = 0x0015;
inline constexpr TVarType varStrArg = 0x0048;   // automation call argument (not built here)
inline constexpr TVarType varUStrArg = 0x004A;  // automation call argument (not built here)
inline constexpr TVarType varString = 0x0100;   // 8-bit text in the system code page
inline constexpr TVarType varAny = 0x0101;      // (not built here)
inline constexpr TVarType varUString = 0x0102;  // UTF-16 text, the system's ordinary string
inline constexpr TVarType varTypeMask = 0x0FFF;
inline constexpr TVarType varArray = 0x2000;
inline constexpr TVarType varByRef = 0x4000;

namespace vxVariant {

// The integer kinds, the one list of them: varSmallint, varInteger,
// varShortInt, varByte, varWord, varLongWord and varInt64, all held as a
// 64-bit signed value. The unsigned 64-bit kind is not among them.
constexpr bool IsSignedIntegerKind(TVarType T) {
  return T == varSmallint || T == varInteger || T == varShortInt || T == varByte || T == varWord ||
         T == varLongWord || T == varInt64;
}

}  // namespace vxVariant

VX_DECLARE_EXCEPTION(EVariantError, Exception);
// A value that has no form of the requested type.
VX_DECLARE_EXCEPTION(EVariantTypeCastError, EVariantError);
// A value outside the range of the requested type.
VX_DECLARE_EXCEPTION(EVariantOverflowError, EVariantError);
// An array index or dimension outside the array's bounds.
VX_DECLARE_EXCEPTION(EVariantBadIndexError, EVariantError);
// An array operation on something that is no array, bad bounds or element
// kinds, or a reference chain that does not end.
VX_DECLARE_EXCEPTION(EVariantInvalidArgError, EVariantError);

// The bounds of one array dimension, both included; High = Low - 1 is an
// empty dimension.
struct TVarArrayBound {
  int32_t Low = 0;
  int32_t High = -1;
};

// The name of a type code for error texts: "Integer", "UnicodeString",
// "Array of Byte", "ByRef Variant".
ustring VarTypeAsText(TVarType type);

class Variant {
 public:
  // Empty (varEmpty).
  Variant() = default;
  // Out of line: inlined copies of the storage trip false warnings of the
  // compiler in callers.
  Variant(const Variant&);
  Variant(Variant&&) noexcept;
  Variant& operator=(const Variant&);
  Variant& operator=(Variant&&) noexcept;
  ~Variant();

  // The common kinds convert implicitly; the other widths have factories
  // (a float or a short makes a Double or an Integer: use FromSingle and
  // FromSmallint). Only a real bool makes a Boolean (no pointer or integer
  // slips in); other integer types of ambiguous width do not compile.
  template <std::same_as<bool> B>
  Variant(B value) : FType(varBoolean), FValue(int64_t{value ? 1 : 0}) {}
  Variant(int32_t value) : FType(varInteger), FValue(int64_t{value}) {}
  Variant(int64_t value) : FType(varInt64), FValue(value) {}
  Variant(double value) : FType(varDouble), FValue(value) {}
  Variant(Currency value) : FType(varCurrency), FValue(value.Scaled) {}
  Variant(ustring value) : FType(varUString), FValue(std::move(value)) {}
  Variant(const char16_t* value) : Variant(ustring(value)) {}
  Variant(std::string value) : FType(varString), FValue(std::move(value)) {}
  Variant(const char* value) : Variant(std::string(value)) {}

  static Variant Null();
  static Variant FromShortInt(int8_t value);
  static Variant FromByte(uint8_t value);
  static Variant FromSmallint(int16_t value);
  static Variant FromWord(uint16_t value);
  static Variant FromLongWord(uint32_t value);
  static Variant FromUInt64(uint64_t value);
  static Variant FromSingle(float value);
  static Variant FromDate(TDateTime value);
  static Variant FromOleStr(ustring value);  // varOleStr
  static Variant FromError(int32_t code);
  // A reference to Target (varByRef | varVariant); Target must outlive it.
  static Variant RefTo(Variant& target);

  // An array of the given bounds (one entry per dimension, 1 to 64
  // dimensions) whose elements are of ElementType (varVariant or one of the
  // scalar kinds) and start as that kind's zero (Empty for varVariant).
  static Variant CreateArray(std::span<const TVarArrayBound> bounds, TVarType elementType);
  static Variant CreateArray(std::initializer_list<TVarArrayBound> bounds, TVarType elementType);
  // A one-dimensional array of variants with bounds 0 .. size - 1.
  static Variant ArrayOf(std::vector<Variant> items);
  // A one-dimensional array of bytes (varArray | varByte), bounds 0 .. size - 1.
  static Variant ByteArray(std::string_view bytes);

  // The type code, flag bits included.
  TVarType VarType() const noexcept { return FType; }
  bool IsEmpty() const noexcept { return FType == varEmpty; }
  bool IsNull() const noexcept { return FType == varNull; }
  bool IsArray() const noexcept { return (FType & varArray) != 0; }
  bool IsByRef() const noexcept { return (FType & varByRef) != 0; }
  // The variant at the end of a chain of references (this one when it is
  // none); EVariantInvalidArgError when the chain does not end.
  const Variant& Deref() const;

  // Arrays (references are followed). Dimensions count from 1. Indices are
  // given one per dimension.
  int DimCount() const;
  int32_t LowBound(int dimension) const;
  int32_t HighBound(int dimension) const;
  Variant GetElement(std::span<const int32_t> indices) const;
  Variant GetElement(std::initializer_list<int32_t> indices) const;
  // Stores Value converted to the element kind (as AsType does).
  void PutElement(std::span<const int32_t> indices, const Variant& value);
  void PutElement(std::initializer_list<int32_t> indices, const Variant& value);
  // The content of a byte array.
  const std::string& Bytes() const;

  // Conversions.
  // Texts as they are (8-bit text through the system code page), integers
  // in decimal, doubles in the general format with 15 digits and singles
  // with 7 (FormatSettings().DecimalSeparator), currency with up to four
  // decimals, dates in the short date and long time formats (a date
  // without time as the date only, a time on day 0 as the time only; a
  // date-time outside the calendar raises the date runtime's
  // EConvertError), Booleans "True" or "False", error codes in decimal.
  ustring AsString() const;
  // AsString in the system code page; an 8-bit text comes back as it is.
  std::string AsAnsiString() const;
  // Floats, currency and dates round to the nearest integer, halves to the
  // even neighbour; texts are read as integers (decimal, or hexadecimal
  // after "$" or "0x") or as floats with the format settings' decimal
  // separator; True gives 1.
  int32_t AsInteger() const;
  int64_t AsInt64() const;
  uint64_t AsUInt64() const;
  double AsDouble() const;
  // Numbers: not zero; texts: "True" or "False" in any letter case, or a
  // number.
  bool AsBoolean() const;
  Currency AsCurrency() const;
  // Numbers are taken as days; texts are read as a date and time by the
  // format settings (vxRuntime::TryStrToDateTime).
  TDateTime AsDateTime() const;
  // The value converted to Type (a scalar kind, varEmpty, varNull or
  // varVariant); an array only to its own type.
  Variant AsType(TVarType type) const;

  // Same type code and same value (no conversion): 1 and 1.0 differ;
  // references are equal when they refer to the same variant.
  friend bool operator==(const Variant& a, const Variant& b);

 private:
  struct ArrayData;
  using Value = std::variant<std::monostate, int64_t, uint64_t, double, ustring, std::string,
                             std::shared_ptr<ArrayData>, Variant*>;

  Variant(TVarType type, Value value) : FType(type), FValue(std::move(value)) {}
  const ArrayData& Array() const;
  ArrayData& MutableArray();
  int64_t IntegerValue() const;
  // The conversions of a variant that is no reference; errors name Target.
  int64_t ToInt64(TVarType target) const;
  uint64_t ToUInt64(TVarType target) const;
  double ToDouble(TVarType target) const;
  [[noreturn]] void RaiseCast(TVarType target) const;
  [[noreturn]] void RaiseOverflow(TVarType target) const;

  TVarType FType = varEmpty;
  Value FValue;
};
