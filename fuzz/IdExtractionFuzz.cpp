// Fuzzes the extraction of identifiers, numbers, expression matches and
// groups, spaced words, the counts and the decimal-sign vote: expressions
// from the input may raise ERegExprError (and a group number outside the
// groups our Exception), nothing else; what is appended obeys its rule.
#include "core/vxStringsExtract.h"
#include "fuzz/FuzzInput.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/text/vxRegExpr.h"

using namespace TvxStrings;

namespace {

bool Blank(const ustring& S) {
  for (char16_t c : S)
    if (c > 32) return false;
  return true;
}

void Ids(const ustring& Content, const ustring& Begin, const ustring& End, const ustring& Ignore, int32_t Min,
         int32_t Max) {
  TStringList ids;
  try {
    GetAllIDs(Content, Begin, End, Ignore, Min, Max, ids);
  } catch (const ERegExprError&) {
    return;
  }
  ustring ignoreChars = Ignore;
  std::erase(ignoreChars, u',');
  for (int32_t i = 0; i < ids.Count(); ++i) {
    const auto length = static_cast<int32_t>(ids[i].size());
    vxFuzz::Check(length >= Min && length <= Max);
    vxFuzz::Check(ignoreChars.empty() || ids[i].find_first_of(ignoreChars) == ustring::npos);
  }
}

void Numbers(const ustring& Content, bool WithPoint, bool WithComma) {
  TStringList numbers;
  GetAllNumbers(Content, WithPoint, WithComma, numbers);
  for (int32_t i = 0; i < numbers.Count(); ++i) {
    const ustring& n = numbers[i];
    vxFuzz::Check(!n.empty() && n.size() <= 201 && n[0] >= u'0' && n[0] <= u'9');
    for (char16_t c : n)
      vxFuzz::Check((c >= u'0' && c <= u'9') || (WithPoint && c == u'.') || (WithComma && c == u','));
  }
}

void Expressions(const ustring& Content, const ustring& RegEx, int32_t ElementNo) {
  try {
    TStringList results;
    GetAllRegExResults(Content, RegEx, results);
    for (int32_t i = 0; i < results.Count(); ++i) vxFuzz::Check(!Blank(results[i]));
    vxFuzz::Check(CheckRegularExpressionOnStr(RegEx, Content) == (results.Count() > 0));
  } catch (const ERegExprError&) {
  }
  TStringList phases;
  phases.SetText(RegEx);
  try {
    int32_t index = 0;
    const ustring first = GetFirstRegExResultAndIndexFromList(Content, phases, ElementNo % 4, index);
    vxFuzz::Check(first.empty() ? index == -1 : (index >= 0 && index < phases.Count() && !Blank(first)));
  } catch (const ERegExprError&) {
  }
  TStringList groups;
  groups.Add(u"RE-1");
  try {
    GetFromRegularExpressionEx(RegEx, Content, ElementNo, 0, 0, groups);
  } catch (const Exception&) {
    // ERegExprError or the group number outside the groups.
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 3) return 0;
  const uint8_t flags = Data[0];
  const int32_t min = static_cast<int8_t>(Data[1]) / 4, max = static_cast<int8_t>(Data[2]);
  const std::vector<std::string> f = vxFuzz::Fields(Data + 3, Size - 3, 5);
  const ustring content = (flags & 0x80) ? vxFuzz::Units(f[0]) : vxFuzz::Wide(f[0]);
  const ustring begin = vxFuzz::Wide(f[1]), end = vxFuzz::Wide(f[2]), ignore = vxFuzz::Wide(f[3]);
  const ustring regEx = vxFuzz::Wide(f[4]);

  Ids(content, begin, end, ignore, min, max);
  Numbers(content, flags & 1, flags & 2);
  Expressions(content, regEx, static_cast<int8_t>(Data[1]) % 6);

  // The 8-bit forms on the raw bytes.
  try {
    TAnsiStringList ansi;
    GetAllRegExResults(f[0], f[4], ansi);
    TStringList groups;
    GetFromRegularExpressionEx(f[4], f[0], 1 + (flags & 3), 0, 0, groups);
  } catch (const Exception&) {
  }

  TStringList words, found;
  words.SetText(end);
  FindSpacedWritingWords(content, (flags & 4) ? &words : nullptr, found);
  for (int32_t i = 0; i < found.Count(); ++i)
    vxFuzz::Check((flags & 4) && words.Count() > 0 ? words.IndexOf(found[i]) >= 0 : found[i].size() > 2);

  const int32_t length = GetLengthIgnoreLetters(content, ignore, flags & 8);
  vxFuzz::Check(length >= 0 && length <= static_cast<int32_t>(content.size()));
  TStringList elements;
  elements.SetText(begin);
  const int32_t included = GetIncludedElementCountW(content, elements);
  vxFuzz::Check(included >= 0 && included <= elements.Count());

  const ustring sign = GetDezimalSign(content, flags & 16, flags & 32, flags & 64);
  vxFuzz::Check(sign == u"." || sign == u",");
  return 0;
}
