// TvxStrings: identifiers, numbers, expression matches and groups, spaced
// words, small counts and the decimal-sign vote (see vxStringsExtract.h).
// The expression templates and the decimal-sign patterns are data, kept
// exactly as the stored texts.
#include "core/vxStringsExtract.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "core/vxConversion.h"
#include "core/vxMath.h"
#include "core/vxStringsLists.h"
#include "core/vxStringsPad.h"
#include "core/vxStringsReplace.h"
#include "core/vxStringsSearch.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxRuntime.h"
#include "platform/text/vxRegExpr.h"

namespace TvxStrings {
namespace {

// The whole line of a list item, for the list replacements.
constexpr const char16_t* kWholeItem = u"NAMES_AND_VALUES";

// Calls Visit with each match of Expression in Content that is not blank,
// in text order; Visit returns false to stop.
template <class F>
void ForEachNonBlankMatch(TvxRegExpr& Expression, const ustring& Content, F&& Visit) {
  for (bool found = Expression.Exec(Content); found; found = Expression.ExecNext()) {
    ustring match = Expression.Match();
    if (IsNotEmptyW(match, true) && !Visit(std::move(match))) return;
  }
}

ustring FirstNonBlankMatch(TvxRegExpr& Expression, const ustring& Content) {
  ustring first;
  ForEachNonBlankMatch(Expression, Content, [&](ustring Match) {
    first = std::move(Match);
    return false;
  });
  return first;
}

// A character as itself inside a character class: ASCII punctuation ("]",
// "\", "-", "^" among them) gets a backslash, which PCRE2 always reads as
// the literal character; letters and digits would turn into escapes.
ustring ClassLiteral(char16_t C) {
  const bool punctuation = C < 128 && !((C >= u'0' && C <= u'9') || (C >= u'a' && C <= u'z') ||
                                        (C >= u'A' && C <= u'Z'));
  return punctuation ? ustring{u'\\', C} : ustring{C};
}

// The expression engine refuses repeat counts above this.
constexpr int64_t kMaxRepeat = 65535;

// The four decimal-sign patterns, exactly as stored.
constexpr std::u16string_view kSignPatternOAndL =
    uR"re((([0-9]{1,1})|([l-]{1,1}))(([0-9lO\,\.]{0,19})|([0-9lO\.\,]{0,19}))(([ ]{0,1}[.,]{1,1}[ ]{0,1})([0-9]{0,5})|[ ]{0,1}))re";
constexpr std::u16string_view kSignPatternO =
    uR"re((([0-9]{1,1})|([O]{1,1}))(([0-9O\.\,]{0,19})|([0-9O\,\.]{0,19}))(([ ]{0,1}[.,]{1,1}[ ]{0,1})([0-9O]{0,5})|[ ]{0,1}))re";
constexpr std::u16string_view kSignPatternL =
    uR"re((([0-9]{1,1})|([l-]{1,1}))(([0-9lO\,\.]{0,19})|([0-9l\,\.]{0,19}))(([ ]{0,1}[.,]{1,1}[ ]{0,1})([0-9]{0,5})|[ ]{0,1}))re";
constexpr std::u16string_view kSignPatternPlain = uR"re(([0-9]{1,1})([0-9,\.]{0,200}))re";

// A letter read as a digit: items that are the letter alone or doubled are
// no numbers and become empty; in the others the letter becomes the digit.
void LetterAsDigit(TStrings& Items, const ustring& Letter, const ustring& Digit) {
  for (int32_t i = 0; i < Items.Count(); ++i)
    if (Items[i] == Letter || Items[i] == Letter + Letter) Items.Put(i, ustring());
  TvxStringLists::ReplaceInWideStringList(Items, Letter, Digit, false, false, kWholeItem);
}

}  // namespace

TStrings& GetAllIDs(const ustring& Content, const ustring& BeginWith, const ustring& EndWith,
                    const ustring& IgnoreCharsCommaList, int32_t MinLength, int32_t MaxLength, TStrings& AllIDs) {
  // No identifier is at most a negative length long.
  if (MaxLength < 0) return AllIDs;
  ustring ignore = IgnoreCharsCommaList;
  std::erase(ignore, u',');
  ustring ignoreClass;
  for (char16_t c : ignore) ignoreClass += ClassLiteral(c);
  const int64_t repeat = std::min<int64_t>(int64_t{MaxLength} + 20, kMaxRepeat);
  const ustring expression = u"(" + BeginWith + u")" + u"([" + u"0-9" + ignoreClass + u"]{" + u"1" + u"," +
                             AnsiToWide(TvxConversion::IntToStr(repeat)) + u"})" + EndWith;
  TvxRegExpr regExpr(expression);
  for (bool found = regExpr.Exec(Content); found; found = regExpr.ExecNext()) {
    ustring id = regExpr.Match();
    std::erase_if(id, [&](char16_t c) { return ignore.find(c) != ustring::npos; });
    const auto length = static_cast<int64_t>(id.size());
    if (length >= MinLength && length <= MaxLength) AllIDs.Add(std::move(id));
  }
  return AllIDs;
}

TStrings& GetAllNumbers(const ustring& Content, bool WithPoint, bool WithComma, TStrings& NumberList) {
  ustring numberClass = u"0-9";
  if (WithPoint) numberClass += u'.';
  if (WithComma) numberClass += u',';
  TvxRegExpr regExpr(u"[0-9]{1,1}[" + numberClass + u"]{0,200}");
  for (bool found = regExpr.Exec(Content); found; found = regExpr.ExecNext()) {
    ustring number = regExpr.Match();
    if (!number.empty() && (number.back() == u'.' || number.back() == u',')) {
      number.pop_back();
      number = vxRuntime::Trim(number);
    }
    NumberList.Add(std::move(number));
  }
  return NumberList;
}

bool CheckRegularExpressionOnStr(const ustring& Pattern, const ustring& Content) {
  TvxRegExpr regExpr(Pattern);
  bool any = false;
  ForEachNonBlankMatch(regExpr, Content, [&](ustring) {
    any = true;
    return false;
  });
  return any;
}

TStrings& GetAllRegExResults(const ustring& Content, const ustring& RegEx, TStrings& Results) {
  TvxRegExpr regExpr(RegEx);
  ForEachNonBlankMatch(regExpr, Content, [&](ustring Match) {
    Results.Add(std::move(Match));
    return true;
  });
  return Results;
}

TAnsiStrings& GetAllRegExResults(const std::string& Content, const std::string& RegEx, TAnsiStrings& Results) {
  TvxRegExpr regExpr(AnsiToWide(RegEx));
  ForEachNonBlankMatch(regExpr, AnsiToWide(Content), [&](ustring Match) {
    Results.Add(WideToAnsi(Match));
    return true;
  });
  return Results;
}

ustring GetFirstRegExResultAndIndexFromList(const ustring& Content, const TStrings& RegExPhases, int32_t StartIndex,
                                            int32_t& FoundIndex) {
  FoundIndex = -1;
  for (int32_t i = std::max(StartIndex, 0); i < RegExPhases.Count(); ++i) {
    if (!IsNotEmptyW(RegExPhases[i], true)) continue;
    TvxRegExpr regExpr(RegExPhases[i]);
    ustring match = FirstNonBlankMatch(regExpr, Content);
    if (!match.empty()) {
      FoundIndex = i;
      return match;
    }
  }
  return ustring();
}

ustring GetFirstRegExResultAndIndexFromList(const ustring& Content, const TStrings& RegExPhases,
                                            int32_t& FoundIndex) {
  return GetFirstRegExResultAndIndexFromList(Content, RegExPhases, 0, FoundIndex);
}

TStrings& GetFromRegularExpressionEx(const ustring& SearchFragment, const ustring& Content, int32_t ElementNo,
                                     int32_t /*FromCharNumber*/, int32_t /*ToCharNumber*/, TStrings& Results) {
  // The groups: an opening parenthesis, one to 50 characters other than
  // "(", a closing parenthesis.
  std::vector<ustring> groups;
  {
    TvxRegExpr groupExpr(u"[(]{1,1}[^(]{1,50}[)]{1,1}");
    ForEachNonBlankMatch(groupExpr, SearchFragment, [&](ustring Group) {
      groups.push_back(std::move(Group));
      return true;
    });
  }
  // Group 0 or below does not exist any more than one behind the last.
  if (ElementNo < 1 || static_cast<size_t>(ElementNo) > groups.size()) throw Exception("elementNo not found...");
  ustring prefix, suffix;
  for (size_t g = 0; g < groups.size(); ++g) {
    if (g + 1 < static_cast<size_t>(ElementNo)) prefix += groups[g];
    if (g + 1 > static_cast<size_t>(ElementNo)) suffix += groups[g];
  }
  // Every expression compiles before Results changes.
  TvxRegExpr fragmentExpr(SearchFragment);
  std::optional<TvxRegExpr> prefixExpr, suffixExpr;
  if (!prefix.empty()) prefixExpr.emplace(prefix);
  if (!suffix.empty()) suffixExpr.emplace(suffix);

  ForEachNonBlankMatch(fragmentExpr, Content, [&](ustring Match) {
    Results.Add(std::move(Match));
    return true;
  });
  for (int32_t i = 0; i < Results.Count(); ++i) {
    ustring entry = Results[i];
    if (prefixExpr) entry = DeleteFlagWhenBeginOrEnd(entry, FirstNonBlankMatch(*prefixExpr, entry), FIRST_POS);
    if (suffixExpr) entry = DeleteFlagWhenBeginOrEnd(entry, FirstNonBlankMatch(*suffixExpr, entry), LAST_POS);
    Results.Put(i, std::move(entry));
  }
  return Results;
}

TStrings& GetFromRegularExpressionEx(const std::string& SearchFragment, const std::string& Content,
                                     int32_t ElementNo, int32_t FromCharNumber, int32_t ToCharNumber,
                                     TStrings& Results) {
  return GetFromRegularExpressionEx(AnsiToWide(SearchFragment), AnsiToWide(Content), ElementNo, FromCharNumber,
                                    ToCharNumber, Results);
}

TStrings& FindSpacedWritingWords(const ustring& Content, const TStrings* SearchWords, TStrings& FoundWords) {
  const bool withWords = SearchWords && SearchWords->Count() > 0;
  const auto judge = [&](const ustring& Run) {
    if (Run.size() <= 2) return;
    if (!withWords) {
      FoundWords.Add(Run);
      return;
    }
    for (int32_t i = 0; i < SearchWords->Count(); ++i) {
      const ustring& word = (*SearchWords)[i];
      // The threshold divides by the word's length: an empty word is no
      // candidate.
      if (word.empty()) continue;
      const double threshold = 100.0 - 300.0 / static_cast<double>(word.size());
      if (TvxMath::GetDamerauLevenshteinAccuracy(Run, word) >= threshold) {
        FoundWords.Add(word);
        return;
      }
    }
  };
  TStringList tokens;
  SplitStringW(RemoveMoreThenOneBlanks(Content), u" ", tokens);
  ustring run;
  for (int32_t i = 0; i < tokens.Count(); ++i) {
    const ustring& token = tokens[i];
    if (token.size() == 1) {
      run += token;
    } else if (token.size() >= 2) {
      judge(run);
      run.clear();
    }
  }
  judge(run);
  return FoundWords;
}

int32_t GetLengthIgnoreLetters(const ustring& Content, const ustring& CommaSeparatedLetters, bool TrimBefore) {
  ustring text = TrimBefore ? vxRuntime::Trim(Content) : Content;
  TStringList letters;
  letters.SetCommaText(CommaSeparatedLetters);
  for (int32_t i = 0; i < letters.Count(); ++i) text = ReplaceW(text, letters[i], ustring());
  return static_cast<int32_t>(text.size());
}

int32_t GetIncludedElementCountW(const ustring& Content, const TStrings& SearchElements) {
  int32_t count = 0;
  for (int32_t i = 0; i < SearchElements.Count(); ++i)
    if (Contains(Content, SearchElements[i], true)) ++count;
  return count;
}

ustring GetDezimalSign(const ustring& Content, bool ReplaceO, bool Replacel, bool /*WithoutMinusValues*/) {
  std::u16string_view pattern = kSignPatternPlain;
  if (ReplaceO && Replacel)
    pattern = kSignPatternOAndL;
  else if (ReplaceO)
    pattern = kSignPatternO;
  else if (Replacel)
    pattern = kSignPatternL;
  TStringList items;
  GetAllRegExResults(Content, ustring(pattern), items);
  if (ReplaceO) LetterAsDigit(items, u"O", u"0");
  if (Replacel) LetterAsDigit(items, u"l", u"1");
  // Blanks around a separator go; the comma becomes "*".
  constexpr std::pair<const char16_t*, const char16_t*> kSteps[] = {
      {u" , ", u","}, {u" ,", u","}, {u", ", u","}, {u" . ", u"."}, {u" .", u"."}, {u". ", u"."}, {u",", u"*"}};
  for (const auto& [from, to] : kSteps) TvxStringLists::ReplaceInWideStringList(items, from, to, false, false, kWholeItem);
  TvxStringLists::DeleteWhenEqualsInWideStringList(items, ustring(), false, true, kWholeItem);

  int32_t dots = 0, commas = 0;
  for (int32_t i = 0; i < items.Count(); ++i) {
    const ustring& item = items[i];
    const auto lastPos = [&](char16_t c) {
      const size_t at = item.rfind(c);
      return at == ustring::npos ? size_t{0} : at + 1;
    };
    const size_t comma = lastPos(u'*'), dot = lastPos(u'.');
    // Exactly two characters behind the sign: the usual two decimals.
    if (comma < dot) {
      if (std::count(item.begin(), item.end(), u'.') == 1) dots += item.size() - dot == 2 ? 2 : 1;
    } else if (std::count(item.begin(), item.end(), u'*') == 1) {
      commas += item.size() - comma == 2 ? 2 : 1;
    }
  }
  return dots > commas ? u"." : u",";
}

}  // namespace TvxStrings
