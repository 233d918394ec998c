// Rounding, millimetre/twip conversion, digit counts and similarity
// measures of texts (edit distance, a German phonetic code, a position-wise
// comparison). None of the operations raises.
#pragma once

#include <cstdint>

#include "platform/base/vxBase.h"
#include "platform/base/vxGeometry.h"

// How a value is rounded to an integer.
enum class TvxRoundMode : uint8_t {
  Nearest = 0,    // halves to the even neighbour (the processor's default)
  Down = 1,       // toward minus infinity
  Up = 2,         // toward plus infinity
  TowardZero = 3,
};

// The expectations of the unit's self test. The fixed ones are checked at
// start-up; tests hand in others.
struct TvxMathSelftestCase {
  ustring DistanceSource1;
  ustring DistanceSource2;
  double Distance;
  ustring PhoneticSource;
  ustring PhoneticCode;
  double Millimetres;
  int32_t Twips;  // MmToTwips(Millimetres); TwipsToMm(Twips) rounds to Millimetres
};

namespace TvxMath {

// X rounded to a 64-bit integer under RoundMode. Values beyond the 64-bit
// range give its nearest end; NaN gives 0.
int64_t RoundExt(double X, TvxRoundMode RoundMode);
// RoundTo(X, Digit) computed under RoundMode.
double RoundToExt(double X, TvxRoundMode RoundMode, int32_t Digit);
// X rounded half away from zero to |Digit| decimals (Digit within -37..37;
// the sign is ignored). A value whose scaled form leaves the 64-bit range,
// NaN and the infinities come back unchanged.
double RoundTo(double X, int Digit);

// Millimetres to twips, halves to the even neighbour (10 mm give 567);
// beyond the 32-bit range the nearest end, NaN 0.
int32_t MmToTwips(double mm);
double TwipsToMm(uint32_t Twips);
// The count of decimal digits of |Number| (1 for 0), computed through the
// double logarithm.
uint16_t GetNumLength(int64_t Number);

// The Levenshtein distance of two texts, UTF-16 units compared exactly.
double GetDamerauLevenshteinDistance(const ustring& Source1, const ustring& Source2);
// 100 - distance / shorter length * 100, at least 0 (in percent).
double GetDamerauLevenshteinAccuracy(const ustring& Source1, const ustring& Source2);
// The phonetic code (digits 1 to 8) of a German word or name.
ustring GetColognePhoneticsEquivalent(const ustring& Source);
// The accuracy of the two phonetic codes; PES1, when not empty, is the
// precomputed code of Source1.
double GetColognePhoneticsCompareAccuracy(const ustring& Source1, const ustring& Source2, const ustring& PES1);
// How well Source matches Find position by position (in percent).
double GetPatternMatchingAccuracy(const ustring& Find, const ustring& Source);

// Whether P lies in Rect, all four edges included.
bool PointInRect(const TRect& Rect, const TPoint& P);

bool DamerauLevenshteinSelftest();
bool ColognePhoneticsSelftest();
bool Selftest();

// The self test's fixed expectations, and the test against any of them.
const TvxMathSelftestCase& FixedSelftestCase();
bool SelftestAgainst(const TvxMathSelftestCase& expected);
// The unit's start-up step: raises Exception("TvxMath.Selftest failed!")
// when the self test against `expected` fails.
void CheckSelftest(const TvxMathSelftestCase& expected);
void Initialize();

}  // namespace TvxMath
