// Tests of core/vxMath.h: rounding, millimetre/twip conversion, digit counts
// and similarity measures of texts.
#include "core/vxMath.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

#include "core/internal/vxStartupReset.h"
#include "core/vxStartup.h"
#include "platform/base/vxExceptions.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct RoundToCase {
  double x;
  int digit;
  double expected;
};

TEST(TvxMath, RoundToHalvesAwayFromZeroInDoubleArithmetic) {
  const RoundToCase cases[] = {
      {2.675, 2, 2.68},   // 2.675 * 100 is 267.5 in double arithmetic
      {1.005, 2, 1.0},    // 1.005 * 100 is 100.49999999999999
      {-1.25, 1, -1.3},
      {1.25, -1, 1.3},    // the sign of Digit is ignored
      {-2.5, 0, -3},
      {2.5, 0, 3},
      {0.4999, 0, 0},
      {-0.4, 0, 0},
      {123.456, 1, 123.5},
      {123.456, -2, 123.46},
      {1e-5, 10, 1e-5},
      {0.123456789012, 10, 0.1234567890},
      {7, 37, 7},         // 7e37 leaves the 64-bit range: unchanged
      {1e19, 0, 1e19},    // already beyond 64 bits
      {-1e19, 2, -1e19},
      {1.5, 99, 1.5},     // beyond the digit range: 37 digits, too many for 64 bits
  };
  for (const RoundToCase& c : cases) {
    EXPECT_EQ(TvxMath::RoundTo(c.x, c.digit), c.expected) << c.x << " to " << c.digit;
  }
  EXPECT_TRUE(std::isnan(TvxMath::RoundTo(kNaN, 2)));
  EXPECT_EQ(TvxMath::RoundTo(kInf, 2), kInf);
  EXPECT_EQ(TvxMath::RoundTo(-kInf, 0), -kInf);
}

TEST(TvxMath, RoundExtUnderEachMode) {
  struct Case {
    double x;
    TvxRoundMode mode;
    int64_t expected;
  };
  const Case cases[] = {
      {2.5, TvxRoundMode::Nearest, 2},       {3.5, TvxRoundMode::Nearest, 4},
      {2.5, TvxRoundMode::Up, 3},            {2.1, TvxRoundMode::Up, 3},
      {2.9, TvxRoundMode::Down, 2},          {-2.1, TvxRoundMode::Down, -3},
      {-2.5, TvxRoundMode::TowardZero, -2},  {2.9, TvxRoundMode::TowardZero, 2},
      {-2.5, TvxRoundMode::Nearest, -2},     {-2.9, TvxRoundMode::Up, -2},
      // Beyond the 64-bit range: the nearest end; NaN: 0.
      {1e30, TvxRoundMode::Nearest, std::numeric_limits<int64_t>::max()},
      {-1e30, TvxRoundMode::Up, std::numeric_limits<int64_t>::min()},
      {kInf, TvxRoundMode::Down, std::numeric_limits<int64_t>::max()},
      {-kInf, TvxRoundMode::Down, std::numeric_limits<int64_t>::min()},
      {kNaN, TvxRoundMode::Nearest, 0},
      {-9223372036854775808.0, TvxRoundMode::Nearest, std::numeric_limits<int64_t>::min()},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TvxMath::RoundExt(c.x, c.mode), c.expected) << c.x << " mode " << static_cast<int>(c.mode);
    EXPECT_EQ(std::fegetround(), FE_TONEAREST) << "the previous mode comes back";
  }
}

TEST(TvxMath, RoundToExtRoundsIntermediatesUnderTheMode) {
  EXPECT_EQ(TvxMath::RoundToExt(2.675, TvxRoundMode::Nearest, 2), 2.68);
  // -13 / 10 toward zero is the double just inside -1.3.
  EXPECT_EQ(TvxMath::RoundToExt(-1.25, TvxRoundMode::TowardZero, 1), std::nextafter(-1.3, 0.0));
  EXPECT_EQ(TvxMath::RoundToExt(-1.25, TvxRoundMode::Down, 1), -1.3);
  // 1.005 * 100 rounds up to 100.5 exactly under the upward mode, so the
  // half now goes away from zero.
  EXPECT_EQ(TvxMath::RoundToExt(1.005, TvxRoundMode::Up, 2), 1.01);
  EXPECT_EQ(TvxMath::RoundToExt(1.005, TvxRoundMode::Nearest, 2), 1.0);
  EXPECT_EQ(TvxMath::RoundToExt(1e300, TvxRoundMode::Down, 2), 1e300);
  EXPECT_TRUE(std::isnan(TvxMath::RoundToExt(kNaN, TvxRoundMode::Up, 2)));
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);

  // A mode set by the caller survives the call.
  std::fesetround(FE_UPWARD);
  TvxMath::RoundToExt(1.5, TvxRoundMode::Down, 1);
  TvxMath::RoundExt(1.5, TvxRoundMode::TowardZero);
  EXPECT_EQ(std::fegetround(), FE_UPWARD);
  std::fesetround(FE_TONEAREST);
}

TEST(TvxMath, MillimetresAndTwips) {
  struct Case {
    double mm;
    int32_t twips;
  };
  const Case cases[] = {
      {10, 567},  // 566.93
      {0, 0},
      {-10, -567},
      {25.4, 1440},
      {0.0088194444444444444, 0},  // exactly half a twip: to the even neighbour
      {0.026458333333333334, 2},   // one and a half twips
      {1e12, std::numeric_limits<int32_t>::max()},
      {-1e12, std::numeric_limits<int32_t>::min()},
      {kInf, std::numeric_limits<int32_t>::max()},
      {kNaN, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(TvxMath::MmToTwips(c.mm), c.twips) << c.mm;
  EXPECT_DOUBLE_EQ(TvxMath::TwipsToMm(567), 10.00125);
  EXPECT_EQ(TvxMath::TwipsToMm(0), 0);
  EXPECT_DOUBLE_EQ(TvxMath::TwipsToMm(1440), 25.4);
  EXPECT_DOUBLE_EQ(TvxMath::TwipsToMm(4294967295u), 4294967295.0 * 25.4 / 1440);
}

TEST(TvxMath, GetNumLength) {
  struct Case {
    int64_t number;
    uint16_t length;
  };
  const Case cases[] = {
      {0, 1}, {1, 1}, {9, 1}, {10, 2}, {-999, 3}, {999, 3}, {1000, 4}, {-1000, 4}, {123456789012345, 15},
      {std::numeric_limits<int64_t>::min(), 1},
  };
  for (const Case& c : cases) EXPECT_EQ(TvxMath::GetNumLength(c.number), c.length) << c.number;
  // From 10^15 on either count is acceptable.
  const uint16_t big = TvxMath::GetNumLength(std::numeric_limits<int64_t>::max());
  EXPECT_TRUE(big == 19 || big == 20);
}

TEST(TvxMath, LevenshteinDistanceAndAccuracy) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    double distance;
    double accuracy;
  };
  const Case cases[] = {
      {u"", u"", 0, 100},
      {u"", u"abc", 3, 0},
      {u"x", u"", 1, 0},
      {u"", u"x", 1, 0},
      {u"ab", u"ba", 2, 0},            // a transposition counts two edits
      {u"abc", u"ABC", 3, 0},          // case matters
      {u"abc", u"abcdef", 3, 0},       // the shorter length divides
      {u"Meier", u"Meyer", 1, 80},
      {u"kitten", u"sitting", 3, 50},
      {u"ABCDEXX", u"EDCBAY", 6, 0},
      {u"same", u"same", 0, 100},
      {u"\u00E4bc", u"abc", 1, 100 - 100.0 / 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TvxMath::GetDamerauLevenshteinDistance(c.a, c.b), c.distance);
    EXPECT_DOUBLE_EQ(TvxMath::GetDamerauLevenshteinAccuracy(c.a, c.b), c.accuracy);
  }
}

TEST(TvxMath, ColognePhonetics) {
  struct Case {
    const char16_t* source;
    const char16_t* code;
  };
  const Case cases[] = {
      {u"M\u00FCller", u"657"},
      {u"M\u00DCLLER", u"657"},
      {u"Meier", u"67"},
      {u"Mayer", u"67"},
      {u"Maier", u"67"},
      {u"Wikipedia", u"3412"},
      {u"Breschnew", u"17863"},
      {u"", u""},
      {u"aeiou", u""},
      {u"CABCDEFGHIJKLMNOPQRSTUVWXYZSCSZCAACPHDCDSDZCXCKCQ", u"4182345614782348384"},
      {u"Xaver", u"437"},           // X alone gives 4
      {u"Cuxhaven", u"436"},        // C before U, X not after C, K or Q; the 4s merge
      {u"Stra\u00DFe", u"8278"},    // the sharp s becomes S
      {u"Philipp", u"351"},         // P before H
      {u"Czerny", u"876"},          // C first, not before one of its letters; 8s merge
      {u"M-\u00FC l1ler!", u"657"}, // only letters count
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TvxMath::GetColognePhoneticsEquivalent(c.source), c.code) << std::string(c.source, c.source + 3);
  }
  EXPECT_EQ(TvxMath::GetColognePhoneticsCompareAccuracy(u"Meier", u"Mayer", u""), 100);
  EXPECT_EQ(TvxMath::GetColognePhoneticsCompareAccuracy(u"ignored", u"Mayer", u"67"), 100);
  EXPECT_EQ(TvxMath::GetColognePhoneticsCompareAccuracy(u"Meier", u"Breschnew", u""), 0);
}

TEST(TvxMath, PatternMatchingAccuracy) {
  struct Case {
    const char16_t* find;
    const char16_t* source;
    double accuracy;
  };
  const Case cases[] = {
      {u"", u"", 100},
      {u"", u"x", 0},
      {u"abc", u"abc", 100},
      {u"abc", u"abcdef", 100},     // Source starts with Find
      {u"abc", u"ABC", 50},
      {u"a-b", u"a_b", 100.0 / 3 * 2.5},
      {u"abcd", u"ab", 50},
      {u"abc", u"", 0},
      {u"abc", u"xyz", 0},
      {u"A/B", u"a+b", 100.0 / 3 * 1.5},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(TvxMath::GetPatternMatchingAccuracy(c.find, c.source), c.accuracy, 1e-9);
  }
  EXPECT_NEAR(TvxMath::GetPatternMatchingAccuracy(u"a-b", u"a_b"), 83.33, 0.01);
}

TEST(TvxMath, PointInRectIncludesEveryEdge) {
  const TRect rect{10, 20, 30, 40};
  struct Case {
    TPoint p;
    bool inside;
  };
  const Case cases[] = {
      {{10, 20}, true}, {{30, 40}, true}, {{30, 25}, true}, {{20, 30}, true},
      {{9, 30}, false}, {{31, 30}, false}, {{20, 19}, false}, {{20, 41}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(TvxMath::PointInRect(rect, c.p), c.inside) << c.p.X << "," << c.p.Y;
}

TEST(TvxMath, SelftestsPass) {
  EXPECT_TRUE(TvxMath::DamerauLevenshteinSelftest());
  EXPECT_TRUE(TvxMath::ColognePhoneticsSelftest());
  EXPECT_TRUE(TvxMath::Selftest());
  EXPECT_NO_THROW(TvxMath::Initialize());
}

TEST(TvxMath, SelftestFailsOnEachWrongExpectation) {
  const TvxMathSelftestCase fixed = TvxMath::FixedSelftestCase();
  TvxMathSelftestCase wrong[4] = {fixed, fixed, fixed, fixed};
  wrong[0].Distance = 5;
  wrong[1].PhoneticCode = u"4182345614782348385";
  wrong[2].Twips = 566;
  wrong[3].Millimetres = 11;
  for (const TvxMathSelftestCase& c : wrong) {
    EXPECT_FALSE(TvxMath::SelftestAgainst(c));
    try {
      TvxMath::CheckSelftest(c);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"TvxMath.Selftest failed!");
    }
  }
}

TEST(TvxMathStartup, SelftestIsTheFirstCoreStepAndPasses) {
  vxStartup::ResetForTests();
  const auto steps = vxStartup::CoreSteps();
  ASSERT_FALSE(steps.empty());
  EXPECT_STREQ(steps[0].Unit, "vxMath");
  EXPECT_TRUE(vxStartup::Run(steps));
  EXPECT_FALSE(vxStartup::Failed());
  EXPECT_EQ(vxStartup::FailureMessage(), u"");
  vxStartup::Shutdown();
  vxStartup::ResetForTests();
}

TEST(TvxMathStartup, FailingSelftestIsRecordedWithoutThrowing) {
  vxStartup::ResetForTests();
  const vxStartup::TStartupStep steps[] = {
      {"vxMath",
       [] {
         TvxMathSelftestCase wrong = TvxMath::FixedSelftestCase();
         wrong.PhoneticCode = u"418";
         TvxMath::CheckSelftest(wrong);
       },
       nullptr},
  };
  bool ran = true;
  EXPECT_NO_THROW(ran = vxStartup::Run(steps));
  EXPECT_FALSE(ran);
  EXPECT_TRUE(vxStartup::Failed());
  EXPECT_EQ(vxStartup::FailureMessage(), u"TvxMath.Selftest failed!");
  vxStartup::Shutdown();
  vxStartup::ResetForTests();
}

}  // namespace
