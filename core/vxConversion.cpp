// Conversions between texts and integers, floats and Booleans, with caller-
// chosen defaults.
#include "core/vxConversion.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "core/vxMath.h"
#include "core/vxStrToFloatConverter.h"
#include "core/vxToolsEvo2.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/text/vxFormatSettings.h"
#include "platform/text/vxNumberText.h"
#include "platform/base/vxRuntime.h"

namespace TvxConversion {
namespace {

// The decimal counts travel in a signed byte limited to this range.
constexpr int kMaxDecimals = 37;

int ClampDecimals(int decimals) { return std::clamp(decimals, -kMaxDecimals, kMaxDecimals); }

// StrToReal's separator rules: the text as it is read, with "." as the
// decimal separator.
ustring NormaliseRealText(const ustring& str) {
  const size_t commas = static_cast<size_t>(std::count(str.begin(), str.end(), u','));
  const size_t dots = static_cast<size_t>(std::count(str.begin(), str.end(), u'.'));
  ustring text = str;
  if (commas > 0 && dots > 0) {
    const size_t lastComma = str.rfind(u',');
    const size_t lastDot = str.rfind(u'.');
    if (lastComma > lastDot && commas == 1) {
      std::erase(text, u'.');
      std::replace(text.begin(), text.end(), u',', u'.');
    } else if (lastDot > lastComma && dots == 1) {
      std::erase(text, u',');
    }
  } else if (commas > 0) {
    std::replace(text.begin(), text.end(), u',', u'.');
  }
  return text;
}

// StrToReal's reading; text receives the text as it was read.
bool ReadReal(const ustring& str, ustring& text, double& value) {
  text = NormaliseRealText(str);
  return TextToFloat(text, u'.', value);
}

std::string NonFiniteText(double value) {
  if (std::isnan(value)) return "NAN";
  return value > 0 ? "INF" : "-INF";
}

// The significant digits (precision + 1 of them, correctly rounded) and
// the decimal exponent of a positive magnitude.
void ScientificDigits(double magnitude, int precision, std::string& digits, int& exponent) {
  vxNumberText::DecimalDigits(magnitude, precision + 1, digits, exponent);
}

// The fixed-point form: "-", the integer digits and, for decimals above 0,
// "." and exactly that many decimals. The value is taken to 18 significant
// digits and rounded from there half away from zero.
std::string FixedPointText(double value, int decimals) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  std::string digits;
  int pointPos = 1;  // digits standing before the decimal point
  if (value != 0) {
    int exponent = 0;
    ScientificDigits(std::fabs(value), 17, digits, exponent);
    pointPos = exponent + 1;
  }
  const int keep = pointPos + decimals;
  if (keep < static_cast<int>(digits.size())) {
    const bool roundUp = keep >= 0 && digits[static_cast<size_t>(keep)] >= '5';
    digits.resize(static_cast<size_t>(std::max(keep, 0)));
    if (roundUp) {
      size_t i = digits.size();
      while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
      if (i > 0) {
        ++digits[i - 1];
      } else {
        digits.insert(0, 1, '1');
        ++pointPos;
      }
    }
  }
  auto digitAt = [&](int index) {
    return index >= 0 && index < static_cast<int>(digits.size()) ? digits[static_cast<size_t>(index)] : '0';
  };

  std::string text;
  // A value that rounds to zero is written without its sign.
  if (value < 0 && digits.find_first_not_of('0') != std::string::npos) text += '-';
  if (pointPos <= 0) text += '0';
  for (int i = 0; i < pointPos; ++i) text += digitAt(i);
  if (decimals > 0) {
    text += '.';
    for (int i = 0; i < decimals; ++i) text += digitAt(pointPos + i);
  }
  return text;
}

// A fixed-point text with its trailing fraction zeros removed down to
// MinDecimals decimals, or zeros added up to them.
std::string FitDecimals(std::string text, size_t minDecimals) {
  size_t point = text.find('.');
  if (point != std::string::npos) {
    while (text.size() > point + 1 + minDecimals && text.back() == '0') text.pop_back();
    if (text.back() == '.') {
      text.pop_back();
      point = std::string::npos;
    }
  }
  const size_t have = point == std::string::npos ? 0 : text.size() - point - 1;
  if (have < minDecimals) {
    if (point == std::string::npos) text += '.';
    text.append(minDecimals - have, '0');
  }
  return text;
}

// An amount in the fixed-point form with its four decimals, written from
// its integer so that no digit passes through a double.
std::string CurrencyFixedPointText(Currency amount) {
  const bool negative = amount.Scaled < 0;
  // The magnitude in unsigned arithmetic: the smallest amount has no
  // positive counterpart.
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(amount.Scaled) : static_cast<uint64_t>(amount.Scaled);
  const uint64_t scale = static_cast<uint64_t>(Currency::Scale);
  const std::string fraction = std::to_string(magnitude % scale);
  std::string text(negative ? "-" : "");
  text.append(std::to_string(magnitude / scale));
  text.push_back('.');
  text.append(4 - fraction.size(), '0');
  text.append(fraction);
  return text;
}

// " 1.50000000000000E+0000": sign or blank, 15 significant digits, a
// four-digit exponent.
std::string ScientificText(double value) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  std::string digits;
  int exponent = 0;
  ScientificDigits(std::fabs(value), 14, digits, exponent);
  std::string text(1, value < 0 ? '-' : ' ');
  text += digits[0];
  text += '.';
  text.append(digits, 1);
  text += exponent < 0 ? "E-" : "E+";
  const std::string exponentDigits = std::to_string(std::abs(exponent));
  text.append(4 - std::min<size_t>(4, exponentDigits.size()), '0');
  text += exponentDigits;
  return text;
}

bool IsTruthWord(const ustring& word) {
  static constexpr std::u16string_view kTruthWords[] = {
      u"JA",      u"YES",   u"OK",  u"1",       u"X",   u"TRUE", u"WAHR", u"RICHTIG", u"KORREKT", u"RIGHT", u"YAP",
      u"OUI",     u"CORRECT", u"JAU", u"YO",    u"JO",  u"YEP",  u"YEPP", u"YAPP",    u"YUP",     u"Y"};
  return std::find(std::begin(kTruthWords), std::end(kTruthWords), word) != std::end(kTruthWords);
}

// The text's bytes up to its first zero byte.
std::string_view UpToZero(const std::string& text) {
  return std::string_view(text).substr(0, text.find('\0'));
}

}  // namespace

int64_t StrToInt(const ustring& Str, int32_t ErrorVal) {
  if (Str.find(u'.') != ustring::npos) {
    ustring text;
    double value = 0;
    // A dotted text that is no number, a fraction and a value beyond 64
    // bits are all errors.
    if (!ReadReal(Str, text, value) || value != std::trunc(value) || !FitsInt64(value)) return ErrorVal;
    return static_cast<int64_t>(value);
  }
  if (Str.empty()) return 0;
  return ReadInteger(Str).value_or(ErrorVal);
}

std::string IntToStr(int64_t Int) { return std::to_string(Int); }

std::string RealToStr(double RVal, int Decimals) {
  const int decimals = ClampDecimals(Decimals);
  if (decimals == -1) return ScientificText(RVal);
  return FixedPointText(TvxMath::RoundTo(RVal, decimals), std::max(decimals, 0));
}

std::string FloatToStr(double Value, int32_t Decimals, int MinDecimals) {
  const int decimals = std::clamp<int32_t>(Decimals, 0, 7);
  const size_t minDecimals = static_cast<size_t>(std::clamp(MinDecimals, 0, kMaxDecimals));
  if (!std::isfinite(Value)) return FixedPointText(Value, decimals);
  return FitDecimals(FixedPointText(Value, decimals), minDecimals);
}

std::string FloatToStr(const Variant& Value) {
  if (vxVariant::IsSignedIntegerKind(Value.VarType())) return IntToStr(Value.AsInt64());
  switch (Value.VarType()) {
    case varCurrency: return FitDecimals(CurrencyFixedPointText(Value.AsCurrency()), 2);
    default: return FloatToStr(Value.AsDouble(), 7, 2);
  }
}

double StrToReal(const ustring& Str, bool RaiseException, double Default) {
  ustring text;
  double value = 0;
  if (ReadReal(Str, text, value)) return value;
  if (text.empty()) return Default;
  if (RaiseException) throw EConvertError(u"float string conversion exception for value \"" + text + u"\"");
  return Default;
}

double StrToFloat(const ustring& Str, bool RaiseException, double Default) {
  return TvxStrToFloatConverter::StrToFloat(Str, Default, RaiseException, false);
}

double LocaleStrToFloat(const ustring& Str, bool RaiseException, double Default, bool TryAlternativeConversion) {
  const TFormatSettings& settings = FormatSettings();
  ustring text = Str;
  std::erase(text, settings.ThousandSeparator);
  double value = 0;
  if (TextToFloat(text, settings.DecimalSeparator, value)) return value;
  if (TryAlternativeConversion) return StrToFloat(Str, RaiseException, Default);
  if (RaiseException) throw Exception(u"cannot convert " + Str + u" to float");
  return Default;
}

ustring BoolToStr(bool BoolVal) { return BoolVal ? u"True" : u"False"; }

ustring BoolToStrExt(bool BoolVal, const ustring& TrueStr, const ustring& FalseStr) {
  return BoolVal ? TrueStr : FalseStr;
}

bool StrToBool(const ustring& BoolStr) {
  return IsTruthWord(vxRuntime::AsciiUpper(vxRuntime::Trim(BoolStr)));
}

bool StrToBoolExt(const ustring& BoolStr, const ustring& TrueStr, const ustring& FalseStr) {
  const ustring trueWord = UpperStrW(vxRuntime::Trim(TrueStr));
  if (trueWord == UpperStrW(vxRuntime::Trim(FalseStr))) return StrToBool(BoolStr);
  return UpperStrW(vxRuntime::Trim(BoolStr)) == trueWord;
}

std::string BoolToSingleByteStr(bool BoolVal) { return BoolVal ? "1" : "0"; }

std::string BoolToSingleByteStrX(bool BoolVal) { return BoolVal ? "X" : ""; }

bool SingleByteStrToBool(const ustring& BoolVal) { return BoolVal == u"1" || BoolVal == u"X" || BoolVal == u"x"; }

int32_t BoolToInt(bool BoolVal) { return BoolVal ? 1 : 0; }

bool IntToBool(int32_t BoolInt) { return BoolInt != 0; }

ustring IntBoolToStr(int32_t BoolInt) { return BoolToStr(IntToBool(BoolInt)); }

int64_t HexToInt(const ustring& Str, int32_t ErrorVal) {
  if (Str.empty()) return 0;
  return StrToInt(u"$" + Str, ErrorVal);
}

std::string AsciiToAnsi(const std::string& AText) { return WideToAnsi(OemToWide(UpToZero(AText))); }

std::string AnsiToAscii(const std::string& AText) { return WideToOem(AnsiToWide(UpToZero(AText))); }

}  // namespace TvxConversion
