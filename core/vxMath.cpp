// Rounding, millimetre/twip conversion, digit counts and similarity measures
// of texts.
#include "core/vxMath.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>
#include <vector>

#include "core/vxToolsEvo2.h"
#include "platform/base/vxExceptions.h"
#include "platform/text/vxNumberText.h"

namespace TvxMath {
namespace {

// 2^63: the first double beyond the 64-bit signed range.
constexpr double kTwoPow63 = 9223372036854775808.0;

// Powers of ten in single precision, exact up to 10^10; the literal's
// rounding gives the nearest float above that.
constexpr float kPowersOfTen[] = {
    1e0f,  1e1f,  1e2f,  1e3f,  1e4f,  1e5f,  1e6f,  1e7f,  1e8f,  1e9f,  1e10f, 1e11f, 1e12f,
    1e13f, 1e14f, 1e15f, 1e16f, 1e17f, 1e18f, 1e19f, 1e20f, 1e21f, 1e22f, 1e23f, 1e24f, 1e25f,
    1e26f, 1e27f, 1e28f, 1e29f, 1e30f, 1e31f, 1e32f, 1e33f, 1e34f, 1e35f, 1e36f, 1e37f};
constexpr int kMaxDigit = 37;

int FeRoundingMode(TvxRoundMode mode) {
  switch (mode) {
    case TvxRoundMode::Down: return FE_DOWNWARD;
    case TvxRoundMode::Up: return FE_UPWARD;
    case TvxRoundMode::TowardZero: return FE_TOWARDZERO;
    case TvxRoundMode::Nearest: break;
  }
  return FE_TONEAREST;
}

// Sets the floating-point rounding mode for its lifetime and restores the
// previous one on every way out.
class RoundingModeScope {
 public:
  explicit RoundingModeScope(TvxRoundMode mode) : FSaved(std::fegetround()) { std::fesetround(FeRoundingMode(mode)); }
  ~RoundingModeScope() { std::fesetround(FSaved); }
  RoundingModeScope(const RoundingModeScope&) = delete;
  RoundingModeScope& operator=(const RoundingModeScope&) = delete;

 private:
  int FSaved;
};

int64_t SaturatingInt64(double rounded) {
  if (std::isnan(rounded)) return 0;
  if (rounded < -kTwoPow63) return std::numeric_limits<int64_t>::min();
  if (rounded >= kTwoPow63) return std::numeric_limits<int64_t>::max();
  return static_cast<int64_t>(rounded);
}

// Halves to the even neighbour, whatever the current rounding mode.
double RoundHalfEven(double x) {
  const double r = std::round(x);  // halves away from zero
  if (std::fabs(x - std::trunc(x)) == 0.5 && std::fmod(r, 2.0) != 0) return r - std::copysign(1.0, x);
  return r;
}

// Cologne phonetics wants the letters A-Z only, after the umlauts are
// spelled out.
ustring PhoneticLetters(const ustring& source) {
  ustring letters;
  letters.reserve(source.size());
  for (const char16_t c : UpperStrW(source)) {
    switch (c) {
      case u'\u00C4': letters += u"AE"; break;
      case u'\u00D6': letters += u"OE"; break;
      case u'\u00DC': letters += u"UE"; break;
      case u'\u00DF': letters += u'S'; break;
      default:
        if (c >= u'A' && c <= u'Z') letters += c;
    }
  }
  return letters;
}

bool IsOneOf(char16_t c, std::u16string_view set) { return c != 0 && set.find(c) != std::u16string_view::npos; }

// The digit of the letter at i, given its neighbours; '0' for vowels.
char16_t PhoneticDigit(const ustring& letters, size_t i) {
  const char16_t c = letters[i];
  const char16_t before = i > 0 ? letters[i - 1] : 0;
  const char16_t after = i + 1 < letters.size() ? letters[i + 1] : 0;
  switch (c) {
    case u'A': case u'E': case u'H': case u'I': case u'J': case u'O': case u'U': case u'Y':
      return u'0';
    case u'B': return u'1';
    case u'P': return after == u'H' ? u'3' : u'1';
    case u'D': case u'T': return IsOneOf(after, u"CSZ") ? u'8' : u'2';
    case u'F': case u'V': case u'W': return u'3';
    case u'G': case u'K': case u'Q': return u'4';
    case u'C':
      if (IsOneOf(before, u"SZ")) return u'8';
      if (i == 0 && IsOneOf(after, u"AHKLOQRUX")) return u'4';
      if (IsOneOf(after, u"AHKOQUX")) return u'4';
      return u'8';
    case u'X': return IsOneOf(before, u"CKQ") ? u'8' : u'4';
    case u'L': return u'5';
    case u'M': case u'N': return u'6';
    case u'R': return u'7';
    default: return u'8';  // S, Z
  }
}

// Each of these counts as a blank when texts are compared loosely.
ustring NormalisedForPattern(const ustring& text) {
  ustring result = text;
  for (char16_t& c : result) {
    if (IsOneOf(c, u"-_.,;:/\\&+*")) c = u' ';
  }
  return result;
}

double RoundToUnderCurrentMode(double X, int Digit) {
  const int digits = Digit < -kMaxDigit || Digit > kMaxDigit ? kMaxDigit : std::abs(Digit);
  const double scale = kPowersOfTen[digits];
  const double shifted = X >= 0 ? X * scale + 0.5 : X * scale - 0.5;
  // NaN fails the test too.
  if (!FitsInt64(shifted)) return X;
  return static_cast<double>(static_cast<int64_t>(shifted)) / scale;
}

bool DistancePasses(const TvxMathSelftestCase& c) {
  return GetDamerauLevenshteinDistance(c.DistanceSource1, c.DistanceSource2) == c.Distance;
}

bool PhoneticsPasses(const TvxMathSelftestCase& c) {
  return GetColognePhoneticsEquivalent(c.PhoneticSource) == c.PhoneticCode;
}

}  // namespace

int64_t RoundExt(double X, TvxRoundMode RoundMode) {
  const RoundingModeScope mode(RoundMode);
  // The volatile accesses keep the arithmetic between the mode switches.
  volatile double input = X;
  volatile double rounded = std::nearbyint(input);
  return SaturatingInt64(rounded);
}

double RoundToExt(double X, TvxRoundMode RoundMode, int32_t Digit) {
  const RoundingModeScope mode(RoundMode);
  volatile double input = X;
  volatile double result = RoundToUnderCurrentMode(input, Digit);
  return result;
}

double RoundTo(double X, int Digit) { return RoundToUnderCurrentMode(X, Digit); }

int32_t MmToTwips(double mm) {
  const double rounded = RoundHalfEven(mm / 10 * 1440 / 2.54);
  if (std::isnan(rounded)) return 0;
  if (rounded <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (rounded >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(rounded);
}

double TwipsToMm(uint32_t Twips) { return Twips * 25.4 / 1440; }

uint16_t GetNumLength(int64_t Number) {
  // The minimum's magnitude does not fit 64 bits; it counts as 0.
  if (Number == 0 || Number == std::numeric_limits<int64_t>::min()) return 1;
  const double magnitude = static_cast<double>(Number < 0 ? -Number : Number);
  return static_cast<uint16_t>(std::ceil(std::log10(magnitude + 1)));
}

double GetDamerauLevenshteinDistance(const ustring& Source1, const ustring& Source2) {
  if (Source1.empty()) return static_cast<double>(Source2.size());
  if (Source2.empty()) return static_cast<double>(Source1.size());
  // Two rows of the table are enough for the distance.
  std::vector<size_t> previous(Source2.size() + 1), current(Source2.size() + 1);
  for (size_t j = 0; j <= Source2.size(); ++j) previous[j] = j;
  for (size_t i = 1; i <= Source1.size(); ++i) {
    current[0] = i;
    for (size_t j = 1; j <= Source2.size(); ++j) {
      const size_t substitution = previous[j - 1] + (Source1[i - 1] == Source2[j - 1] ? 0 : 1);
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
    }
    std::swap(previous, current);
  }
  return static_cast<double>(previous[Source2.size()]);
}

double GetDamerauLevenshteinAccuracy(const ustring& Source1, const ustring& Source2) {
  if (Source1.empty() || Source2.empty()) return Source1.empty() && Source2.empty() ? 100 : 0;
  const double shorter = static_cast<double>(std::min(Source1.size(), Source2.size()));
  const double accuracy = 100 - GetDamerauLevenshteinDistance(Source1, Source2) / shorter * 100;
  return accuracy < 0 ? 0 : accuracy;
}

ustring GetColognePhoneticsEquivalent(const ustring& Source) {
  const ustring letters = PhoneticLetters(Source);
  ustring code;
  for (size_t i = 0; i < letters.size(); ++i) {
    const char16_t digit = PhoneticDigit(letters, i);
    // Zeros go everywhere; runs merge after they are gone.
    if (digit != u'0' && (code.empty() || code.back() != digit)) code += digit;
  }
  return code;
}

double GetColognePhoneticsCompareAccuracy(const ustring& Source1, const ustring& Source2, const ustring& PES1) {
  const ustring first = PES1.empty() ? GetColognePhoneticsEquivalent(Source1) : PES1;
  return GetDamerauLevenshteinAccuracy(first, GetColognePhoneticsEquivalent(Source2));
}

double GetPatternMatchingAccuracy(const ustring& Find, const ustring& Source) {
  if (Find.empty()) return Source.empty() ? 100 : 0;
  const double step = 100.0 / static_cast<double>(Find.size());
  const ustring upper = UpperStrW(Find);
  const ustring lower = LowerStrW(Find);
  const ustring findNormal = NormalisedForPattern(Find);
  const ustring sourceNormal = NormalisedForPattern(Source);
  double sum = 0;
  const size_t common = std::min(Find.size(), Source.size());
  for (size_t i = 0; i < common; ++i) {
    const char16_t s = Source[i];
    if (s == Find[i]) {
      sum += step;
    } else if (s == upper[i] || s == lower[i] || sourceNormal[i] == findNormal[i]) {
      sum += step / 2;
    }
  }
  return sum;
}

bool PointInRect(const TRect& Rect, const TPoint& P) {
  return Rect.Left <= P.X && P.X <= Rect.Right && Rect.Top <= P.Y && P.Y <= Rect.Bottom;
}

const TvxMathSelftestCase& FixedSelftestCase() {
  static const TvxMathSelftestCase fixed{
      u"ABCDEXX", u"EDCBAY", 6, u"CABCDEFGHIJKLMNOPQRSTUVWXYZSCSZCAACPHDCDSDZCXCKCQ", u"4182345614782348384", 10, 567};
  return fixed;
}

bool SelftestAgainst(const TvxMathSelftestCase& expected) {
  return DistancePasses(expected) && PhoneticsPasses(expected) && MmToTwips(expected.Millimetres) == expected.Twips &&
         RoundHalfEven(TwipsToMm(static_cast<uint32_t>(expected.Twips))) == expected.Millimetres;
}

bool DamerauLevenshteinSelftest() { return DistancePasses(FixedSelftestCase()); }

bool ColognePhoneticsSelftest() { return PhoneticsPasses(FixedSelftestCase()); }

bool Selftest() { return SelftestAgainst(FixedSelftestCase()); }

void CheckSelftest(const TvxMathSelftestCase& expected) {
  if (!SelftestAgainst(expected)) throw Exception("TvxMath.Selftest failed!");
}

void Initialize() { CheckSelftest(FixedSelftestCase()); }

}  // namespace TvxMath
