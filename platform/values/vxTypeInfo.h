// Explicit run-time descriptions of set types, for the routines that write a
// set as text and read it back.
//
// A set over an enumeration holds bit n for the member with ordinal n, in a
// storage of StorageSize() bytes. Its description gives that size and the
// members' names in ordinal order.
//
// Declare the description of an enumeration's set next to the enumeration,
// listing every member in ordinal order:
//
//   enum TvxColour { vxC_Red, vxC_Green, vxC_Blue };
//   VX_SET_TYPE_INFO(TvxColour, vxC_Red, vxC_Green, vxC_Blue);
//
// and reach it with SetTypeInfoOf<TvxColour>(). The names are the members'
// names as written (a scope such as "TvxColour::" is left out), and a list
// out of ordinal order does not compile. A description may also be built
// directly from a size and a table of names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/base/vxExceptions.h"

class TvxSetTypeInfo {
 public:
  TvxSetTypeInfo(int32_t StorageSize, std::vector<std::string> MemberNames);
  // With the storage size that a set of that many members takes.
  explicit TvxSetTypeInfo(std::vector<std::string> MemberNames);

  // 1 byte for up to 8 members, 2 for up to 16, 4 for up to 32, and one byte
  // per 8 members beyond that.
  static int32_t StorageSizeFor(int32_t MemberCount);
  // The names of a comma-separated list of members, each trimmed of blanks
  // and of a scope ending in "::".
  static std::vector<std::string> NamesFromList(std::string_view List);

  int32_t StorageSize() const { return FStorageSize; }
  int32_t MemberCount() const { return static_cast<int32_t>(FNames.size()); }
  // The name of the member with this ordinal; raises Exception for an
  // ordinal outside 0 .. MemberCount() - 1.
  const std::string& MemberName(int32_t Ordinal) const;
  // The ordinal of the member called Name, the letters A-Z compared without
  // regard to case; -1 when no member has that name.
  int32_t OrdinalOf(std::string_view Name) const;

 private:
  int32_t FStorageSize;
  std::vector<std::string> FNames;
};

namespace vxTypeInfo {

// True when members[i] has the ordinal i for every i.
template <class E, size_t N>
constexpr bool ListsOrdinals(const E (&members)[N]) {
  for (size_t i = 0; i < N; ++i) {
    if (static_cast<std::underlying_type_t<E>>(members[i]) != static_cast<std::underlying_type_t<E>>(i)) return false;
  }
  return true;
}

}  // namespace vxTypeInfo

// Defines SetTypeInfo(Enum), found by argument-dependent lookup in the
// enumeration's own namespace; call it through SetTypeInfoOf<Enum>().
#define VX_SET_TYPE_INFO(Enum, ...)                                                          \
  inline const TvxSetTypeInfo& SetTypeInfo(Enum) {                                           \
    static constexpr Enum kMembers[] = {__VA_ARGS__};                                        \
    static_assert(vxTypeInfo::ListsOrdinals(kMembers),                                       \
                  "the members of " #Enum " must be listed in ordinal order from 0");        \
    static const TvxSetTypeInfo info(TvxSetTypeInfo::NamesFromList(#__VA_ARGS__));           \
    return info;                                                                             \
  }                                                                                          \
  static_assert(true)

template <class Enum>
const TvxSetTypeInfo& SetTypeInfoOf() {
  return SetTypeInfo(Enum{});
}
