// Tests of platform/values/vxTypeInfo.h: explicit run-time descriptions of set
// types, for the routines that write a set as text and read it back.
#include "platform/values/vxTypeInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vxTypeInfoTest {

enum TvxFruit { vxFr_Apple, vxFr_Pear, vxFr_Plum };
VX_SET_TYPE_INFO(TvxFruit, vxFr_Apple, vxFr_Pear, vxFr_Plum);

enum class TvxLevel : uint8_t { Low, Middle, High, Top, Extra1, Extra2, Extra3, Extra4, Beyond };
VX_SET_TYPE_INFO(TvxLevel, TvxLevel::Low, TvxLevel::Middle, TvxLevel::High, TvxLevel::Top, TvxLevel::Extra1,
                 TvxLevel::Extra2, TvxLevel::Extra3, TvxLevel::Extra4, TvxLevel::Beyond);

TEST(TypeInfo, DeclaredNextToTheEnumeration) {
  const TvxSetTypeInfo& fruit = SetTypeInfoOf<TvxFruit>();
  EXPECT_EQ(fruit.StorageSize(), 1);
  EXPECT_EQ(fruit.MemberCount(), 3);
  EXPECT_EQ(fruit.MemberName(0), "vxFr_Apple");
  EXPECT_EQ(fruit.MemberName(2), "vxFr_Plum");
  EXPECT_EQ(&fruit, &SetTypeInfoOf<TvxFruit>());  // one description per type

  const TvxSetTypeInfo& level = SetTypeInfoOf<TvxLevel>();
  EXPECT_EQ(level.StorageSize(), 2);  // nine members need two bytes
  EXPECT_EQ(level.MemberCount(), 9);
  EXPECT_EQ(level.MemberName(0), "Low");  // scope left out
  EXPECT_EQ(level.MemberName(8), "Beyond");
}

TEST(TypeInfo, OrdinalsOfNames) {
  const TvxSetTypeInfo& fruit = SetTypeInfoOf<TvxFruit>();
  const struct {
    std::string Name;
    int32_t Ordinal;
  } cases[] = {
      {"vxFr_Apple", 0}, {"VXFR_PEAR", 1}, {"vxfr_plum", 2}, {"vxFr_Plum ", -1}, {" vxFr_Plum", -1},
      {"vxFr_", -1},     {"Apple", -1},    {"", -1},         {"bogus", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fruit.OrdinalOf(c.Name), c.Ordinal) << "'" << c.Name << "'";
  }
}

TEST(TypeInfo, CaseIsFoldedForAsciiLettersOnly) {
  const TvxSetTypeInfo info(1, {"\xE4rger", "stra\xDF" "e"});  // Windows-1252 bytes
  EXPECT_EQ(info.OrdinalOf("\xE4RGER"), 0);
  EXPECT_EQ(info.OrdinalOf("\xC4RGER"), -1);  // upper-case a-umlaut is another letter here
  EXPECT_EQ(info.OrdinalOf("STRA\xDF" "E"), 1);
}

TEST(TypeInfo, DescriptionFromATable) {
  const TvxSetTypeInfo odd(3, {"first", "second"});
  EXPECT_EQ(odd.StorageSize(), 3);  // kept as given; the set routines refuse such sizes
  EXPECT_EQ(odd.MemberCount(), 2);
  EXPECT_EQ(odd.OrdinalOf("SECOND"), 1);

  const TvxSetTypeInfo empty(std::vector<std::string>{});
  EXPECT_EQ(empty.StorageSize(), 1);
  EXPECT_EQ(empty.MemberCount(), 0);
  EXPECT_EQ(empty.OrdinalOf("first"), -1);
}

TEST(TypeInfo, StorageSizeByMemberCount) {
  const struct {
    int32_t Members, Size;
  } cases[] = {{0, 1}, {1, 1}, {8, 1}, {9, 2}, {16, 2}, {17, 4}, {32, 4}, {33, 5}, {64, 8}, {256, 32}};
  for (const auto& c : cases) EXPECT_EQ(TvxSetTypeInfo::StorageSizeFor(c.Members), c.Size) << c.Members;
}

TEST(TypeInfo, NamesFromMemberList) {
  EXPECT_EQ(TvxSetTypeInfo::NamesFromList("a, b ,\n  c"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(TvxSetTypeInfo::NamesFromList("E::a, ns::E::b"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(TvxSetTypeInfo::NamesFromList("only"), (std::vector<std::string>{"only"}));
  EXPECT_TRUE(TvxSetTypeInfo::NamesFromList("").empty());
}

TEST(TypeInfo, OrdinalOutOfRangeRaises) {
  const TvxSetTypeInfo& fruit = SetTypeInfoOf<TvxFruit>();
  EXPECT_THROW((void)fruit.MemberName(3), Exception);
  EXPECT_THROW((void)fruit.MemberName(-1), Exception);
}

// A member list out of ordinal order is refused at compile time.
enum TvxShuffled { vxSh_A, vxSh_B };
static_assert(!vxTypeInfo::ListsOrdinals({vxSh_B, vxSh_A}));
static_assert(vxTypeInfo::ListsOrdinals({vxSh_A, vxSh_B}));

}  // namespace vxTypeInfoTest
