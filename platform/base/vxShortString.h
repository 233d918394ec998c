// A short 8-bit text of fixed capacity that keeps its length with it. Text
// longer than the capacity is cut to its first Capacity bytes when it is
// assigned; nothing else ever fails. UTF-16 text goes through the system
// code page first (a character the code page lacks becomes "?").
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base/vxBase.h"
#include "platform/base/vxCodePage.h"

template <size_t N>
class TShortString {
  static_assert(N >= 1 && N <= 255, "a short string holds 1 to 255 bytes");

 public:
  static constexpr size_t Capacity = N;

  TShortString() = default;
  TShortString(std::string_view text) { Assign(text); }
  TShortString(const char* text) { Assign(text ? std::string_view(text) : std::string_view()); }
  TShortString(const std::string& text) { Assign(text); }
  explicit TShortString(std::u16string_view text) { Assign(WideToAnsi(text)); }

  size_t Length() const noexcept { return FLength; }
  bool IsEmpty() const noexcept { return FLength == 0; }
  std::string_view View() const noexcept { return std::string_view(FData.data(), FLength); }
  std::string Str() const { return std::string(View()); }
  ustring WideStr() const { return AnsiToWide(View()); }

  friend bool operator==(const TShortString& a, const TShortString& b) noexcept { return a.View() == b.View(); }

 private:
  void Assign(std::string_view text) noexcept {
    FLength = static_cast<uint8_t>(text.size() < N ? text.size() : N);
    text.copy(FData.data(), FLength);
  }

  std::array<char, N> FData{};
  uint8_t FLength = 0;
};
