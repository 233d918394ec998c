// Tests of platform/values/vxBson.h: a BSON value: one value of the kinds BSON
// documents hold, with value semantics.
#include "platform/values/vxBson.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <set>
#include <string>
#include <utility>

namespace {

// The names of the accessors that read v without raising; every other one
// must raise EBsonError.
std::set<std::string> ReadableAs(const TvxBsonValue& v) {
  const std::pair<const char*, std::function<void()>> accessors[] = {
      {"Double", [&] { (void)v.AsDouble(); }},
      {"String", [&] { (void)v.AsString(); }},
      {"Binary", [&] { (void)v.AsBinary(); }},
      {"BinarySubType", [&] { (void)v.BinarySubType(); }},
      {"ObjectId", [&] { (void)v.AsObjectId(); }},
      {"Boolean", [&] { (void)v.AsBoolean(); }},
      {"DateTime", [&] { (void)v.AsDateTime(); }},
      {"Int32", [&] { (void)v.AsInt32(); }},
      {"TimestampSeconds", [&] { (void)v.TimestampSeconds(); }},
      {"TimestampIncrement", [&] { (void)v.TimestampIncrement(); }},
      {"Int64", [&] { (void)v.AsInt64(); }},
  };
  std::set<std::string> readable;
  for (const auto& [name, read] : accessors) {
    try {
      read();
      readable.insert(name);
    } catch (const EBsonError&) {
    }
  }
  return readable;
}

const TvxBsonObjectId kId{0x65, 0x0a, 0xbc, 0xde, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0xff};

struct KindCase {
  const char* Name;
  TvxBsonValue Value;
  TvxBsonType Kind;
  bool Assigned;
  std::set<std::string> Readable;
  std::function<void(const TvxBsonValue&)> CheckValue;
};

void PrintTo(const KindCase& c, std::ostream* os) { *os << c.Name; }

class BsonKinds : public testing::TestWithParam<KindCase> {};

TEST_P(BsonKinds, KindAccessorsAndValue) {
  const KindCase& c = GetParam();
  EXPECT_EQ(c.Value.Kind(), c.Kind);
  EXPECT_EQ(c.Value.IsNull(), c.Kind == TvxBsonType::Null);
  EXPECT_EQ(c.Value.IsAssigned(), c.Assigned);
  EXPECT_EQ(ReadableAs(c.Value), c.Readable);
  if (c.CheckValue) c.CheckValue(c.Value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BsonKinds,
    testing::Values(
        KindCase{"Unassigned", TvxBsonValue(), TvxBsonType::Null, false, {}, {}},
        KindCase{"Null", TvxBsonValue::Null(), TvxBsonType::Null, true, {}, {}},
        KindCase{"Double", TvxBsonValue::Double(-2.5), TvxBsonType::Double, true, {"Double"},
                 [](const TvxBsonValue& v) { EXPECT_EQ(v.AsDouble(), -2.5); }},
        KindCase{"String", TvxBsonValue::String(ustring(u"M\u00E4rz \U0001F600\0x", 9)), TvxBsonType::String, true,
                 {"String"},
                 [](const TvxBsonValue& v) { EXPECT_EQ(v.AsString(), ustring(u"M\u00E4rz \U0001F600\0x", 9)); }},
        KindCase{"EmptyString", TvxBsonValue::String(u""), TvxBsonType::String, true, {"String"},
                 [](const TvxBsonValue& v) { EXPECT_EQ(v.AsString(), u""); }},
        KindCase{"Binary", TvxBsonValue::Binary(std::string("\x00\xff\x10", 3)), TvxBsonType::Binary, true,
                 {"Binary", "BinarySubType"},
                 [](const TvxBsonValue& v) {
                   EXPECT_EQ(v.AsBinary(), std::string("\x00\xff\x10", 3));
                   EXPECT_EQ(v.BinarySubType(), 0);
                 }},
        KindCase{"BinaryWithSubType", TvxBsonValue::Binary("", 0x80), TvxBsonType::Binary, true,
                 {"Binary", "BinarySubType"},
                 [](const TvxBsonValue& v) {
                   EXPECT_EQ(v.AsBinary(), "");
                   EXPECT_EQ(v.BinarySubType(), 0x80);
                 }},
        KindCase{"ObjectId", TvxBsonValue::ObjectId(kId), TvxBsonType::ObjectId, true, {"ObjectId"},
                 [](const TvxBsonValue& v) {
                   EXPECT_EQ(v.AsObjectId(), kId);
                   EXPECT_EQ(BsonObjectIdToString(v.AsObjectId()), u"650abcde01020304050607ff");
                 }},
        KindCase{"True", TvxBsonValue::Boolean(true), TvxBsonType::Boolean, true, {"Boolean"},
                 [](const TvxBsonValue& v) { EXPECT_TRUE(v.AsBoolean()); }},
        KindCase{"False", TvxBsonValue::Boolean(false), TvxBsonType::Boolean, true, {"Boolean"},
                 [](const TvxBsonValue& v) { EXPECT_FALSE(v.AsBoolean()); }},
        KindCase{"DateTimeAtEpoch", TvxBsonValue::DateTime(0), TvxBsonType::DateTime, true, {"DateTime"},
                 [](const TvxBsonValue& v) { EXPECT_EQ(v.AsDateTime(), 0); }},
        KindCase{"DateTimeBeforeEpoch", TvxBsonValue::DateTime(-86400000), TvxBsonType::DateTime, true,
                 {"DateTime"}, [](const TvxBsonValue& v) { EXPECT_EQ(v.AsDateTime(), -86400000); }},
        KindCase{"Int32", TvxBsonValue::Int32(std::numeric_limits<int32_t>::min()), TvxBsonType::Int32, true,
                 {"Int32"},
                 [](const TvxBsonValue& v) { EXPECT_EQ(v.AsInt32(), std::numeric_limits<int32_t>::min()); }},
        KindCase{"Timestamp", TvxBsonValue::Timestamp(0xFFFFFFFFu, 7), TvxBsonType::Timestamp, true,
                 {"TimestampSeconds", "TimestampIncrement"},
                 [](const TvxBsonValue& v) {
                   EXPECT_EQ(v.TimestampSeconds(), 0xFFFFFFFFu);
                   EXPECT_EQ(v.TimestampIncrement(), 7u);
                 }},
        KindCase{"Int64", TvxBsonValue::Int64(std::numeric_limits<int64_t>::max()), TvxBsonType::Int64, true,
                 {"Int64"},
                 [](const TvxBsonValue& v) { EXPECT_EQ(v.AsInt64(), std::numeric_limits<int64_t>::max()); }}),
    [](const testing::TestParamInfo<KindCase>& info) { return std::string(info.param.Name); });

TEST(Bson, KindsCarryBsonTypeNumbers) {
  EXPECT_EQ(static_cast<int>(TvxBsonType::Double), 0x01);
  EXPECT_EQ(static_cast<int>(TvxBsonType::String), 0x02);
  EXPECT_EQ(static_cast<int>(TvxBsonType::Null), 0x0A);
  EXPECT_EQ(static_cast<int>(TvxBsonType::Int64), 0x12);
}

TEST(Bson, WrongKindRaisesWithText) {
  try {
    (void)TvxBsonValue::Int64(5).AsInt32();
    FAIL() << "read";
  } catch (const EBsonError& e) {
    EXPECT_STREQ(e.ClassName(), "EBsonError");
    EXPECT_EQ(e.Message(), u"BSON value is not a 32-bit integer");
  }
}

TEST(Bson, CopiesAreIndependentValues) {
  TvxBsonValue original = TvxBsonValue::String(u"first");
  const TvxBsonValue copy = original;
  original = TvxBsonValue::Int32(3);
  EXPECT_EQ(copy.AsString(), u"first");
  EXPECT_EQ(original.AsInt32(), 3);

  TvxBsonValue binary = TvxBsonValue::Binary("abc", 4);
  TvxBsonValue moved = std::move(binary);
  EXPECT_EQ(moved.AsBinary(), "abc");
  EXPECT_EQ(moved.BinarySubType(), 4);

  TvxBsonValue reset = TvxBsonValue::Double(1);
  reset = TvxBsonValue();
  EXPECT_FALSE(reset.IsAssigned());
  EXPECT_TRUE(reset.IsNull());
}

TEST(Bson, EqualityNeedsSameKindAndValue) {
  struct Pair {
    TvxBsonValue A, B;
    bool Equal;
  };
  const Pair pairs[] = {
      {TvxBsonValue::Int32(1), TvxBsonValue::Int32(1), true},
      {TvxBsonValue::Int32(1), TvxBsonValue::Int64(1), false},
      {TvxBsonValue::Int64(1), TvxBsonValue::DateTime(1), false},
      {TvxBsonValue::Double(1), TvxBsonValue::Int32(1), false},
      {TvxBsonValue::String(u"a"), TvxBsonValue::String(u"a"), true},
      {TvxBsonValue::String(u"a"), TvxBsonValue::String(u"A"), false},
      {TvxBsonValue::Binary("a", 0), TvxBsonValue::Binary("a", 1), false},
      {TvxBsonValue::Timestamp(1, 2), TvxBsonValue::Timestamp(1, 2), true},
      {TvxBsonValue::Timestamp(1, 2), TvxBsonValue::Timestamp(2, 1), false},
      {TvxBsonValue::Null(), TvxBsonValue::Null(), true},
      {TvxBsonValue(), TvxBsonValue(), true},
      {TvxBsonValue(), TvxBsonValue::Null(), false},  // unassigned only counts as null
  };
  for (size_t i = 0; i < std::size(pairs); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(pairs[i].A == pairs[i].B, pairs[i].Equal);
  }
}

}  // namespace
