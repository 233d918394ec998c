// Reads numbers written with either decimal separator, with or without
// thousands separators, as recognised documents and foreign locales write them.
#include "core/vxStrToFloatConverter.h"

#include <optional>
#include <utility>

#include "platform/base/vxExceptions.h"
#include "platform/text/vxNumberText.h"
#include "platform/base/vxRuntime.h"

namespace TvxStrToFloatConverter {
namespace {

// The outcome of the separator analysis: an error text, or the text without
// its thousands separators and the decimal separator it keeps.
struct TAnalysis {
  ustring Error;  // empty on success
  ustring Text;
  char16_t DecimalSeparator = u',';
};

TAnalysis Fail(ustring error) { return TAnalysis{std::move(error), {}, u','}; }

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Characters that OCR reads in place of digits, replaced in this order.
void ReplaceImprecisionChars(ustring& text) {
  static constexpr std::pair<char16_t, char16_t> kReplacements[] = {
      {u'|', u'1'}, {u'!', u'1'}, {u'i', u'1'}, {u'I', u'1'}, {u'O', u'0'}, {u'o', u'0'}, {u's', u'5'}, {u'S', u'5'}};
  for (const auto& [from, to] : kReplacements) {
    for (char16_t& c : text) {
      if (c == from) c = to;
    }
  }
}

bool IsAllowedThousandSeparator(char16_t c) {
  return c == u',' || c == u'.' || c == u' ' || c == u'\'' || c == u'\u2019';
}

void RemoveAll(ustring& text, char16_t c) { std::erase(text, c); }

// Removes every c but the last one.
void RemoveAllButLast(ustring& text, char16_t c) {
  const size_t last = text.rfind(c);
  if (last == ustring::npos) return;
  ustring result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != c || i == last) result += text[i];
  }
  text = std::move(result);
}

TvxSeparationArray Separators(const ustring& text) {
  TvxSeparationArray separators;
  const int32_t length = static_cast<int32_t>(text.size());
  for (int32_t i = length - 1; i >= 0; --i) {
    if (!IsDigit(text[static_cast<size_t>(i)])) separators.push_back({text[static_cast<size_t>(i)], length - 1 - i});
  }
  return separators;
}

TAnalysis Analyse(const ustring& floatStr, bool replaceImprecisions) {
  static const ustring kDiffers = u"Thousand separator differs from previous thousand separator";

  ustring text = vxRuntime::Trim(floatStr);
  if (text.empty()) return Fail(u"FloatStr is empty");
  bool negative = false;
  if (text.front() == u'-') {
    negative = true;
    text.erase(0, 1);
  } else if (text.back() == u'-') {
    negative = true;
    text.pop_back();
  } else if (text.front() == u'+') {
    text.erase(0, 1);
  } else if (text.back() == u'+') {
    text.pop_back();
  }
  text = vxRuntime::Trim(text);
  // A sign alone is no number either.
  if (text.empty()) return Fail(u"FloatStr is empty");
  if (replaceImprecisions) ReplaceImprecisionChars(text);

  const int32_t length = static_cast<int32_t>(text.size());
  const TvxSeparationArray separators = Separators(text);
  std::optional<char16_t> thousand;
  char16_t decimal = u',';
  bool isInteger = separators.empty();
  bool splitAtLast = false;  // the last thousands character is the decimal separator

  if (!separators.empty()) {
    const int32_t rightmost = separators[0].Distance;
    bool ambiguous = false;          // the rightmost may also end a group of three
    bool equal = false;              // the two rightmost separators are the same character
    bool probableThousands = false;  // ambiguous and equal: the rightmost ends a group
    const size_t n = separators.size();
    for (size_t k = 0; k < n; ++k) {
      const auto [c, distance] = separators[k];
      if (k == 0) {
        if (distance == 0) return Fail(u"Separation char is on the far right");
        decimal = c;
        ambiguous = distance == 3;
        if (distance == length - 1) text.insert(0, 1, u'0');  // '.5' reads as '0.5'
      } else {
        if (k == 1) {
          thousand = c;
          if (c == decimal) {
            equal = true;
            probableThousands = ambiguous;
          }
        } else if (k + 1 < n && c != *thousand) {
          return Fail(kDiffers);
        }
        if (k + 1 == n) {  // the leftmost
          if (c != *thousand) {
            if (!equal) return Fail(kDiffers);
            decimal = c;
          } else if (equal) {
            if (probableThousands) isInteger = true;
            else splitAtLast = true;
          }
          if (distance == length - 1) {
            if (!equal) return Fail(u"Separation char is on the far left");
            text.insert(0, 1, u'0');
          }
        }
      }
      if ((distance - rightmost) % 4 != 0) return Fail(u"Distance between separators invalid");
    }
  }

  if (isInteger) decimal = u',';
  if (thousand && !IsAllowedThousandSeparator(*thousand)) {
    return Fail(u"Invalid thousand separator: " + ustring(1, *thousand) + u" in FloatStr");
  }
  if (thousand) {
    if (splitAtLast) RemoveAllButLast(text, *thousand);
    else RemoveAll(text, *thousand);
  }
  if (decimal != u',' && decimal != u'.') {
    return Fail(u"Invalid decimal separator: " + ustring(1, decimal) + u" in FloatStr");
  }
  if (negative) text.insert(0, 1, u'-');
  return TAnalysis{{}, std::move(text), decimal};
}

}  // namespace

double StrToFloat(const ustring& FloatStr, double Default, bool RaiseException, bool ReplaceImprecisions) {
  const TAnalysis analysis = Analyse(FloatStr, ReplaceImprecisions);
  if (!analysis.Error.empty()) {
    if (RaiseException) throw EConvertError(analysis.Error);
    return Default;
  }
  double value = 0;
  if (!TextToFloat(analysis.Text, analysis.DecimalSeparator, value)) {
    if (RaiseException) throw EConvertError("Failed to convert String To Extended");
    return Default;
  }
  return value;
}

Currency StrToCurrency(const ustring& CurrencyStr, Currency Default, bool RaiseException, bool ReplaceImprecisions) {
  const TAnalysis analysis = Analyse(CurrencyStr, ReplaceImprecisions);
  if (!analysis.Error.empty()) {
    if (RaiseException) throw EConvertError(analysis.Error);
    return Default;
  }
  Currency value;
  if (!TextToCurrency(analysis.Text, analysis.DecimalSeparator, value)) {
    if (RaiseException) throw EConvertError("Failed to convert String To Currency");
    return Default;
  }
  return value;
}

bool CheckFloatString(const ustring& FloatStr, bool ReplaceImprecisions) {
  return Analyse(FloatStr, ReplaceImprecisions).Error.empty();
}

}  // namespace TvxStrToFloatConverter
