// A BSON value: one value of the kinds BSON documents hold, with value
// semantics. Only single values are represented; documents and arrays are not
// (the system converts values, it stores no BSON documents).
//
// A default-constructed value is unassigned; it counts as null (Kind() is
// Null, IsNull() is true) but IsAssigned() tells it from an explicit null.
// Strings are UTF-16, the system's own text, so nothing is converted on the
// way in or out.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>

#include "platform/base/vxBase.h"
#include "platform/base/vxExceptions.h"

// Reading a value as a kind it does not have.
VX_DECLARE_EXCEPTION(EBsonError, Exception);

// The kinds, numbered as BSON's element type bytes.
enum class TvxBsonType : uint8_t {
  Double = 0x01,
  String = 0x02,
  Binary = 0x05,
  ObjectId = 0x07,
  Boolean = 0x08,
  DateTime = 0x09,
  Null = 0x0A,
  Int32 = 0x10,
  Timestamp = 0x11,
  Int64 = 0x12,
};

// The twelve bytes of an object id, in storage order.
using TvxBsonObjectId = std::array<uint8_t, 12>;

// The usual text of an object id: its bytes as 24 lower-case hexadecimal
// digits.
ustring BsonObjectIdToString(const TvxBsonObjectId& Id);

class TvxBsonValue {
 public:
  TvxBsonValue() = default;  // unassigned

  static TvxBsonValue Null();
  static TvxBsonValue Double(double Value);
  static TvxBsonValue String(ustring Value);
  // Binary content with its BSON subtype (0: generic).
  static TvxBsonValue Binary(std::string Bytes, uint8_t SubType = 0);
  static TvxBsonValue ObjectId(const TvxBsonObjectId& Id);
  static TvxBsonValue Boolean(bool Value);
  // Milliseconds since 1970-01-01 00:00:00 UTC.
  static TvxBsonValue DateTime(int64_t MillisecondsSinceEpoch);
  static TvxBsonValue Int32(int32_t Value);
  // BSON's internal timestamp: seconds since 1970 and an ordinal within the
  // second (stored as the high and the low 32 bits of one 64-bit value).
  static TvxBsonValue Timestamp(uint32_t Seconds, uint32_t Increment);
  static TvxBsonValue Int64(int64_t Value);

  bool IsAssigned() const { return !std::holds_alternative<std::monostate>(FValue); }
  // Null for an unassigned value.
  TvxBsonType Kind() const;
  bool IsNull() const { return Kind() == TvxBsonType::Null; }

  // Each raises EBsonError when the value is of another kind.
  double AsDouble() const;
  const ustring& AsString() const;
  const std::string& AsBinary() const;
  uint8_t BinarySubType() const;
  const TvxBsonObjectId& AsObjectId() const;
  bool AsBoolean() const;
  int64_t AsDateTime() const;  // milliseconds since 1970-01-01 UTC
  int32_t AsInt32() const;
  uint32_t TimestampSeconds() const;
  uint32_t TimestampIncrement() const;
  int64_t AsInt64() const;

  // Same kind and same value; unassigned equals only unassigned.
  friend bool operator==(const TvxBsonValue&, const TvxBsonValue&) = default;

 private:
  struct NullValue {
    bool operator==(const NullValue&) const = default;
  };
  struct BinaryValue {
    std::string Bytes;
    uint8_t SubType;
    bool operator==(const BinaryValue&) const = default;
  };
  struct DateTimeValue {
    int64_t Milliseconds;
    bool operator==(const DateTimeValue&) const = default;
  };
  struct TimestampValue {
    uint32_t Seconds;
    uint32_t Increment;
    bool operator==(const TimestampValue&) const = default;
  };
  // The alternatives after monostate follow TvxBsonType's order.
  using Storage = std::variant<std::monostate, double, ustring, BinaryValue, TvxBsonObjectId, bool, DateTimeValue,
                               NullValue, int32_t, TimestampValue, int64_t>;

  template <class T>
  explicit TvxBsonValue(std::in_place_type_t<T>, T value) : FValue(std::in_place_type<T>, std::move(value)) {}
  template <class T>
  const T& Get(const char* kindName) const;

  Storage FValue;
};
