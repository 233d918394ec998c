// Tests of core/vxTypesRectsSets.h: TvxTypes: the rectangle records and their
// comma-separated texts, sets of enumeration members as text.
#include "core/vxTypesRectsSets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <span>
#include <string>

#include "platform/base/vxCodePage.h"
#include "platform/text/vxFormatSettings.h"

using namespace TvxTypes;

namespace vxTypesRectsSetsTest {

constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();

std::string Utf8(const ustring& s) { return WideToUtf8(s); }

// ---- Rectangles --------------------------------------------------------------

TEST(Rectangles, Construction) {
  EXPECT_EQ(FloatRect(10, 20, 30.5, 40), (TRelRect{10, 20, 30.5, 40, 20.5, 20}));
  EXPECT_EQ(FloatRect(5, 5, 1, 2), (TRelRect{5, 5, 1, 2, -4, -3}));
  const struct {
    int32_t Left, Top, Right, Bottom;
    TAdvRect Expected;
  } rows[] = {
      {0, 0, 9, 9, {0, 0, 9, 9, 10, 10}},
      {1, 2, 3, 4, {1, 2, 3, 4, 3, 3}},
      {5, 5, 4, 4, {5, 5, 4, 4, 0, 0}},
      {0, 0, 0, 0, {0, 0, 0, 0, 1, 1}},
      // 32-bit sums wrap as the stored fields do.
      {kMin32, 0, kMax32, 0, {kMin32, 0, kMax32, 0, 0, 1}},
  };
  for (const auto& r : rows)
    EXPECT_EQ(AdvRect(r.Left, r.Top, r.Right, r.Bottom), r.Expected) << r.Left << "," << r.Top << "," << r.Right;
}

TEST(Rectangles, FloatToWholeUnits) {
  const struct {
    const char* Name;
    TRelRect Rect;
    TAdvRect Adv;
    TRect Plain;
  } rows[] = {
      // Left 2.5 rounds to 2, Width 3.5 to 4: Right 2 + 4 - 1.
      {"halves to even", {2.5, 3.5, 99, 99, 3.5, 2.5}, {2, 4, 5, 5, 4, 2}, {2, 4, 5, 5}},
      {"right and bottom are not read", {10, 10, -7, -7, 10, 20}, {10, 10, 19, 29, 10, 20}, {10, 10, 19, 29}},
      {"no extent", {5, 5, 0, 0, 0, 0}, {5, 5, 5, 5, 0, 0}, {5, 5, 5, 5}},
      {"negative extent", {5, 5, 0, 0, -2, -3}, {5, 5, 3, 2, -2, -3}, {5, 5, 3, 2}},
      {"width rounding to 0", {1, 1, 0, 0, 0.4, 0.5}, {1, 1, 1, 1, 0, 0}, {1, 1, 1, 1}},
      {"beyond 32 bits",
       {1e12, -1e12, 0, 0, 1, 1},
       {kMax32, kMin32, kMax32, kMin32, 1, 1},
       {kMax32, kMin32, kMax32, kMin32}},
      {"no number", {std::nan(""), 0, 0, 0, 2, 2}, {0, 0, 1, 1, 2, 2}, {0, 0, 1, 1}},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(FloatRectToAdvRect(r.Rect), r.Adv) << r.Name;
    EXPECT_EQ(FloatRectToTRect(r.Rect), r.Plain) << r.Name;
  }
}

TEST(Rectangles, PlainToFloat) {
  const struct {
    TRect Rect;
    TRelRect Expected;
  } rows[] = {
      {{10, 10, 20, 20}, {10, 10, 19, 19, 10, 10}},
      {{0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}},
      {{5, 5, 3, 4}, {5, 5, 3, 4, -2, -1}},
      {{kMin32, 0, kMax32, 1}, {kMin32, 0, kMax32 - 1.0, 0, 4294967295.0, 1}},
  };
  for (const auto& r : rows) EXPECT_EQ(TRectToFloatRect(r.Rect), r.Expected) << r.Rect.Left << "," << r.Rect.Right;
}

TEST(Rectangles, FloatTexts) {
  const struct {
    ustring Text;
    TRelRect Edges;  // StrToFloatRect
    TRelRect LTWH;   // StrToFloatRectLTWH
  } rows[] = {
      {u"10,20,30,40", {10, 20, 30, 40, 20, 20}, {10, 20, 39, 59, 30, 40}},
      {u"5,5,0,0", {5, 5, 0, 0, -5, -5}, {5, 5, 5, 5, 0, 0}},
      {u"1.5,2", {1.5, 2, 0, 0, -1.5, -2}, {1.5, 2, 1.5, 2, 0, 0}},
      {u"", {}, {}},
      {u"x,2,,4", {0, 2, 0, 4, 0, 2}, {0, 2, 0, 5, 0, 4}},
      {u"1,2,3,4,5,6", {1, 2, 3, 4, 2, 2}, {1, 2, 3, 5, 3, 4}},
      {u" 1.25 ,2e1,-3,4", {0, 20, -3, 4, -3, -16}, {0, 20, -3, 23, -3, 4}},
      {u"0.5,0.5,1.5,2.5", {0.5, 0.5, 1.5, 2.5, 1, 2}, {0.5, 0.5, 1, 2, 1.5, 2.5}},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(StrToFloatRect(r.Text), r.Edges) << Utf8(r.Text);
    EXPECT_EQ(StrToFloatRectLTWH(r.Text), r.LTWH) << Utf8(r.Text);
  }
}

TEST(Rectangles, IntegerTexts) {
  const struct {
    ustring Text;
    TAdvRect Adv;  // StrToAdvRect
    TRect Plain;   // StrToRect
  } rows[] = {
      {u"0,0,9,9", {0, 0, 9, 9, 9, 9}, {0, 0, 9, 9}},
      {u"1,2,x,4", {1, 2, 0, 4, -1, 2}, {1, 2, -1, 4}},
      {u"1,2", {1, 2, 0, 0, -1, -2}, {1, 2, 0, 0}},
      {u"1,2,", {1, 2, 0, 0, -1, -2}, {1, 2, -1, 0}},
      {u"", {}, {-1, 0, 0, 0}},
      {u" 7,$10,0x20,-4", {7, 16, 32, -4, 25, -20}, {7, 16, 32, -4}},
      {u"7 ,1.0,2147483648,-2147483648", {0, 0, 0, kMin32, 0, kMin32}, {-1, -1, -1, kMin32}},
      {u"1,2,3,4,5", {1, 2, 3, 4, 2, 2}, {1, 2, 3, 4}},
      {u"-2147483648,0,2147483647,0", {kMin32, 0, kMax32, 0, -1, 0}, {kMin32, 0, kMax32, 0}},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(StrToAdvRect(r.Text), r.Adv) << Utf8(r.Text);
    EXPECT_EQ(StrToRect(r.Text), r.Plain) << Utf8(r.Text);
  }
}

TEST(Rectangles, TextsOfEdges) {
  EXPECT_EQ(AdvRectToStr(AdvRect(1, 2, 3, 4)), "1,2,3,4");
  EXPECT_EQ(AdvRectToStr(TAdvRect{-1, 0, kMax32, kMin32, 7, 7}), "-1,0,2147483647,-2147483648");
  EXPECT_EQ(RectToStr(TRect{10, -20, 30, 40}), "10,-20,30,40");
  EXPECT_EQ(RectToStr(TRect{}), "0,0,0,0");
  // Written edges read back.
  const TRect plain{-5, 6, kMax32, kMin32};
  EXPECT_EQ(StrToRect(AnsiToWide(RectToStr(plain))), plain);
}

TEST(Rectangles, Emptiness) {
  EXPECT_TRUE(IsRectEmpty(TRect{}));
  EXPECT_FALSE(IsRectEmpty(TRect{0, 0, 0, 1}));
  EXPECT_TRUE(IsRectEmpty(TRelRect{}));
  EXPECT_TRUE(IsRectEmpty(TRelRect{-0.0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(IsRectEmpty(TRelRect{0, 0, 0, 0, 0, 0.5}));
  EXPECT_TRUE(IsRectEmpty(TAdvRect{}));
  EXPECT_FALSE(IsRectEmpty(TAdvRect{0, 0, 0, 0, 1, 0}));  // Width alone counts
  EXPECT_FALSE(IsRectEmpty(AdvRect(0, 0, 0, 0)));          // Width and Height 1
}

// ---- Sets ------------------------------------------------------------------

enum TvxColour { vxC_Red, vxC_Green, vxC_Blue };
VX_SET_TYPE_INFO(TvxColour, vxC_Red, vxC_Green, vxC_Blue);

enum TvxMonth { Jan, Feb, Mar, Apr, May, Jun, Jul, Aug, Sep, Oct, Nov, Dec };
VX_SET_TYPE_INFO(TvxMonth, Jan, Feb, Mar, Apr, May, Jun, Jul, Aug, Sep, Oct, Nov, Dec);

template <class T>
std::string Text(const TvxSetTypeInfo& info, const T& storage, bool brackets) {
  return SetToString(info, std::as_bytes(std::span(&storage, 1)), brackets);
}

template <class T>
bool Read(const TvxSetTypeInfo& info, T& storage, const std::string& value) {
  return StringToSet(info, std::as_writable_bytes(std::span(&storage, 1)), value);
}

TEST(Sets, Texts) {
  const TvxSetTypeInfo& colours = SetTypeInfoOf<TvxColour>();
  const struct {
    uint8_t Bits;
    std::string Plain, Bracketed;
  } rows[] = {
      {0b000, "", "[]"},
      {0b001, "vxC_Red", "[vxC_Red]"},
      {0b101, "vxC_Red,vxC_Blue", "[vxC_Red,vxC_Blue]"},
      {0b111, "vxC_Red,vxC_Green,vxC_Blue", "[vxC_Red,vxC_Green,vxC_Blue]"},
      {0b11111010, "vxC_Green", "[vxC_Green]"},  // bits without a member are left out
  };
  for (const auto& r : rows) {
    EXPECT_EQ(Text(colours, r.Bits, false), r.Plain) << int(r.Bits);
    EXPECT_EQ(Text(colours, r.Bits, true), r.Bracketed) << int(r.Bits);
  }
  // Two bytes: bit 8 and up live in the second byte.
  const TvxSetTypeInfo& months = SetTypeInfoOf<TvxMonth>();
  const uint16_t spring = (1u << Mar) | (1u << Apr) | (1u << May) | (1u << Dec);
  EXPECT_EQ(Text(months, spring, true), "[Mar,Apr,May,Dec]");
  // Four bytes, with members up to 31.
  const TvxSetTypeInfo wide(4, {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p",
                                "q", "r", "s", "t", "u", "v", "w", "x", "y", "z", "A1", "B1", "C1", "D1", "E1", "F1"});
  const uint32_t ends = 1u | (1u << 31);
  EXPECT_EQ(Text(wide, ends, false), "a,F1");
}

TEST(Sets, OtherSizesReadAsEmpty) {
  const TvxSetTypeInfo odd(3, {"a", "b"});
  const uint8_t bytes[3] = {0xFF, 0xFF, 0xFF};
  EXPECT_EQ(SetToString(odd, std::as_bytes(std::span(bytes)), true), "[]");
  // A storage that is not as long as the description says.
  const uint8_t one = 0xFF;
  EXPECT_EQ(Text(SetTypeInfoOf<TvxMonth>(), one, false), "");
}

TEST(Sets, Reading) {
  const TvxSetTypeInfo& colours = SetTypeInfoOf<TvxColour>();
  const struct {
    std::string Value;
    uint8_t Bits;
  } rows[] = {
      {"", 0},
      {"[]", 0},
      {"[ vxc_red , VXC_BLUE ]", 0b101},
      {"vxC_Green", 0b010},
      {"vxC_Green,vxC_Green", 0b010},
      {"  [[vxC_Blue]]]", 0b100},
      {"vxC_Red vxC_Green]vxC_Blue", 0b111},
      {"[vxC_Red,bogus]", 0},         // an unknown word empties the set
      {"[bogus,vxC_Red]", 0},
      {"[vxC_Red,,vxC_Blue]", 0b101},  // runs of delimiters count as one
      {",vxC_Red", 0},                 // a leading "," makes an empty word
      {"[vxC_Red\tvxC_Blue]", 0},      // a tab is part of the word
      {"   ", 0},
  };
  for (const auto& r : rows) {
    uint8_t bits = 0xFF;
    EXPECT_TRUE(Read(colours, bits, r.Value)) << r.Value;
    EXPECT_EQ(bits, r.Bits) << r.Value;
  }
}

TEST(Sets, ReadingWiderSets) {
  const TvxSetTypeInfo& months = SetTypeInfoOf<TvxMonth>();
  uint16_t bits = 0;
  EXPECT_TRUE(Read(months, bits, "[jan,dec]"));
  EXPECT_EQ(bits, (1u << Jan) | (1u << Dec));
  EXPECT_EQ(Text(months, bits, true), "[Jan,Dec]");

  // A member whose bit lies beyond the storage is not written.
  const TvxSetTypeInfo narrow(1, {"a", "b", "c", "d", "e", "f", "g", "h", "i"});
  uint8_t small = 0;
  EXPECT_TRUE(Read(narrow, small, "a,i"));
  EXPECT_EQ(small, 1);
}

TEST(Sets, ReadingRefusesOtherSizes) {
  const TvxSetTypeInfo odd(3, {"a", "b"});
  uint8_t bytes[3] = {7, 7, 7};
  EXPECT_FALSE(StringToSet(odd, std::as_writable_bytes(std::span(bytes)), "a"));
  EXPECT_EQ(bytes[0], 7);  // untouched
  uint8_t one = 7;
  EXPECT_FALSE(Read(SetTypeInfoOf<TvxMonth>(), one, "Jan"));
  EXPECT_EQ(one, 7);
}

TEST(Sets, RoundTrips) {
  const TvxSetTypeInfo& months = SetTypeInfoOf<TvxMonth>();
  for (uint32_t bits = 0; bits < (1u << 12); bits += 37) {
    const uint16_t stored = static_cast<uint16_t>(bits);
    for (bool brackets : {false, true}) {
      uint16_t read = 0xFFFF;
      EXPECT_TRUE(Read(months, read, Text(months, stored, brackets)));
      EXPECT_EQ(read, stored) << bits;
    }
  }
}

// ---- The short date format -------------------------------------------------

TEST(DefaultShortDateFormat, EightBitFormOfTheSettings) {
  struct Restore {
    TFormatSettings saved = FormatSettings();
    ~Restore() { FormatSettings() = saved; }
  } restore;
  const struct {
    ustring Format;
    char16_t Separator;
    std::string Expected;
  } rows[] = {
      {u"dd.mm.yyyy", u'.', "dd.mm.yyyy"},
      {u"M/d/yyyy", u'-', "M/d/yyyy"},  // "/" stays: it stands for the separator
      {u"yyyy-mm-dd", u'-', "yyyy-mm-dd"},
      {u"d. mmmm yyyy '\u00e9'", u'.', "d. mmmm yyyy '\xE9'"},
      {u"yyyy'\u5e74'm'\u6708'd'\u65e5'", u'/', "yyyy'?'m'?'d'?'"},
  };
  for (const auto& r : rows) {
    FormatSettings().ShortDateFormat = r.Format;
    FormatSettings().DateSeparator = r.Separator;
    EXPECT_EQ(DefaultShortDateFormatA(), r.Expected) << r.Expected;
  }
}

}  // namespace vxTypesRectsSetsTest
