// A BSON value: one value of the kinds BSON documents hold, with value
// semantics.
#include "platform/values/vxBson.h"

#include <string>

#include "platform/base/vxRuntime.h"

ustring BsonObjectIdToString(const TvxBsonObjectId& Id) {
  ustring text;
  text.reserve(2 * Id.size());
  for (uint8_t b : Id) vxRuntime::AppendHex(text, b, 2, false);
  return text;
}

TvxBsonValue TvxBsonValue::Null() { return TvxBsonValue(std::in_place_type<NullValue>, NullValue{}); }
TvxBsonValue TvxBsonValue::Double(double Value) { return TvxBsonValue(std::in_place_type<double>, Value); }
TvxBsonValue TvxBsonValue::String(ustring Value) {
  return TvxBsonValue(std::in_place_type<ustring>, std::move(Value));
}
TvxBsonValue TvxBsonValue::Binary(std::string Bytes, uint8_t SubType) {
  return TvxBsonValue(std::in_place_type<BinaryValue>, BinaryValue{std::move(Bytes), SubType});
}
TvxBsonValue TvxBsonValue::ObjectId(const TvxBsonObjectId& Id) {
  return TvxBsonValue(std::in_place_type<TvxBsonObjectId>, Id);
}
TvxBsonValue TvxBsonValue::Boolean(bool Value) { return TvxBsonValue(std::in_place_type<bool>, Value); }
TvxBsonValue TvxBsonValue::DateTime(int64_t MillisecondsSinceEpoch) {
  return TvxBsonValue(std::in_place_type<DateTimeValue>, DateTimeValue{MillisecondsSinceEpoch});
}
TvxBsonValue TvxBsonValue::Int32(int32_t Value) { return TvxBsonValue(std::in_place_type<int32_t>, Value); }
TvxBsonValue TvxBsonValue::Timestamp(uint32_t Seconds, uint32_t Increment) {
  return TvxBsonValue(std::in_place_type<TimestampValue>, TimestampValue{Seconds, Increment});
}
TvxBsonValue TvxBsonValue::Int64(int64_t Value) { return TvxBsonValue(std::in_place_type<int64_t>, Value); }

TvxBsonType TvxBsonValue::Kind() const {
  static constexpr TvxBsonType kKinds[] = {
      TvxBsonType::Null,     TvxBsonType::Double,   TvxBsonType::String, TvxBsonType::Binary,
      TvxBsonType::ObjectId, TvxBsonType::Boolean,  TvxBsonType::DateTime, TvxBsonType::Null,
      TvxBsonType::Int32,    TvxBsonType::Timestamp, TvxBsonType::Int64,
  };
  static_assert(std::size(kKinds) == std::variant_size_v<Storage>);
  return kKinds[FValue.index()];
}

template <class T>
const T& TvxBsonValue::Get(const char* kindName) const {
  if (const T* value = std::get_if<T>(&FValue)) return *value;
  throw EBsonError((std::string("BSON value is not ") + kindName).c_str());
}

double TvxBsonValue::AsDouble() const { return Get<double>("a double"); }
const ustring& TvxBsonValue::AsString() const { return Get<ustring>("a string"); }
const std::string& TvxBsonValue::AsBinary() const { return Get<BinaryValue>("binary").Bytes; }
uint8_t TvxBsonValue::BinarySubType() const { return Get<BinaryValue>("binary").SubType; }
const TvxBsonObjectId& TvxBsonValue::AsObjectId() const { return Get<TvxBsonObjectId>("an object id"); }
bool TvxBsonValue::AsBoolean() const { return Get<bool>("a Boolean"); }
int64_t TvxBsonValue::AsDateTime() const { return Get<DateTimeValue>("a date-time").Milliseconds; }
int32_t TvxBsonValue::AsInt32() const { return Get<int32_t>("a 32-bit integer"); }
uint32_t TvxBsonValue::TimestampSeconds() const { return Get<TimestampValue>("a timestamp").Seconds; }
uint32_t TvxBsonValue::TimestampIncrement() const { return Get<TimestampValue>("a timestamp").Increment; }
int64_t TvxBsonValue::AsInt64() const { return Get<int64_t>("a 64-bit integer"); }
