// TEnumSet: a set of the members of a small enumeration (ordinals 0 to 31),
// one bit per member, as the option records keep their flag sets.
#pragma once

#include <cstdint>
#include <initializer_list>

template <class E>
class TEnumSet {
 public:
  constexpr TEnumSet() = default;
  constexpr TEnumSet(std::initializer_list<E> Members) {
    for (E m : Members) Include(m);
  }

  constexpr TEnumSet& Include(E Member) {
    FBits |= Bit(Member);
    return *this;
  }
  constexpr TEnumSet& Exclude(E Member) {
    FBits &= ~Bit(Member);
    return *this;
  }
  constexpr bool Contains(E Member) const { return (FBits & Bit(Member)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr uint32_t Bits() const { return FBits; }

  constexpr TEnumSet operator|(TEnumSet Other) const {
    TEnumSet result;
    result.FBits = FBits | Other.FBits;
    return result;
  }
  friend constexpr bool operator==(TEnumSet, TEnumSet) = default;

 private:
  static constexpr uint32_t Bit(E Member) { return uint32_t{1} << static_cast<unsigned>(Member); }
  uint32_t FBits = 0;
};
