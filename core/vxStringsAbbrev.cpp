// Candidate abbreviations of a word and the currencies named in a text.
#include "core/vxStringsAbbrev.h"

#include "core/vxStringsClean.h"
#include "core/vxStringsEscape.h"
#include "core/vxStringsExtract.h"
#include "core/vxStringsPad.h"
#include "core/vxStringsReplace.h"
#include "core/vxStringsSearch.h"
#include "core/vxToolsEvo2.h"

namespace {

// The letters that make the skeleton of a word: ASCII consonants, Y included.
const char16_t kConsonants[] = u"BCDFGHJKLMNPQRSTVWXYZbcdfghjklmnpqrstvwxyz";

// Accented letters and what they fold into, applied pair by pair in this
// order. ð to "o", þ and Þ to "p" and ÿ to "yu" stand as they always did.
const char16_t* const kAccents[][2] = {
    {u"à", u"a"}, {u"á", u"a"},  {u"â", u"a"}, {u"ã", u"a"}, {u"ä", u"ae"}, {u"å", u"a"}, {u"æ", u"ae"},
    {u"ç", u"c"}, {u"è", u"e"},  {u"é", u"e"}, {u"ê", u"e"}, {u"ë", u"e"},  {u"ì", u"i"}, {u"í", u"i"},
    {u"î", u"i"}, {u"ï", u"i"},  {u"ð", u"o"}, {u"ñ", u"n"}, {u"ò", u"o"},  {u"ó", u"o"}, {u"ô", u"o"},
    {u"õ", u"o"}, {u"ö", u"oe"}, {u"ø", u"o"}, {u"ù", u"u"}, {u"ú", u"u"},  {u"û", u"u"}, {u"ü", u"ue"},
    {u"ý", u"y"}, {u"þ", u"p"},  {u"ÿ", u"yu"}, {u"ß", u"ss"}, {u"À", u"A"}, {u"Á", u"A"}, {u"Â", u"A"},
    {u"Ã", u"A"}, {u"Ä", u"Ae"}, {u"Å", u"A"}, {u"Æ", u"AE"}, {u"Ç", u"C"}, {u"È", u"E"}, {u"É", u"E"},
    {u"Ê", u"E"}, {u"Ë", u"E"},  {u"Ì", u"I"}, {u"Í", u"I"}, {u"Î", u"I"},  {u"Ï", u"I"}, {u"Ð", u"D"},
    {u"Ñ", u"N"}, {u"Ò", u"O"},  {u"Ó", u"O"}, {u"Ô", u"O"}, {u"Õ", u"O"},  {u"Ö", u"Oe"}, {u"Ø", u"O"},
    {u"Ù", u"U"}, {u"Ú", u"U"},  {u"Û", u"U"}, {u"Ü", u"Ue"}, {u"Ý", u"Y"}, {u"Þ", u"p"}, {u"Ÿ", u"Y"},
};

// The currency patterns, searched in this order in the upper-cased text.
// At each position the first alternative that matches wins, so EURO is
// found as EUR; a point stands for any character. The two alternatives
// with lower-case letters never match the upper-cased text.
const char16_t* const kCurrencyPatterns[] = {
    u"EUR|EURO|€",
    u"USD|DOLLAR|AMERIKANISCHE.DOLLAR|\\$|US\\$",
    u"CHF|(SFr.)|SFr|FRANKEN|SCHWEIZER.FRANKEN",
    u"RUB|RUBEL|RUSSISCHER.RUBEL",
    u"JPY|YEN|JAPANISCHER.YEN",
    u"CNY|CHINESISCHER.YUAN|YUAN",
};

// Currency names and their codes, replaced pair by pair in this order over
// the whole comma text (DOLLAR goes before AMERIKANISCHE.DOLLAR is looked
// for).
const char16_t kCurrencyNames[] =
    u"EURO,€,DOLLAR,AMERIKANISCHE.DOLLAR,US$,$,FRANKEN,SCHWEIZER.FRANKEN,RUBEL,RUSSISCHER.RUBEL,YEN,"
    u"JAPANISCHER.YEN,CHINESISCHER.YUAN,YUAN";
const char16_t kCurrencyCodes[] = u"EUR,EUR,USD,USD,USD,USD,CHF,CHF,RUB,RUB,JPY,JPY,CNY,CNY";

// A match as one item of the comma text: the characters up to code 32
// (which a point of a pattern may have matched between two words) become
// points, so the item is one word and matches the dotted names.
ustring Dotted(ustring match) {
  for (char16_t& c : match)
    if (c <= 32) c = u'.';
  return match;
}

}  // namespace

namespace TvxStrings {

TStrings& GetAbbreviationList(const ustring& Content, int32_t MinLength, bool UsePointAtEnd, TStrings& ResultList) {
  ustring skeleton = ApplyCharset(kConsonants, Content);
  if (!Content.empty() && (skeleton.empty() || skeleton[0] != Content[0])) skeleton.insert(0, 1, Content[0]);

  TStringList accents;
  for (const auto& pair : kAccents) accents.Add(ustring(pair[0]) + u"=" + pair[1]);
  const ustring folded = ReplaceEachElementWEx(Content, accents, false);

  const ustring suffix = UsePointAtEnd ? u"." : u"";
  TStringList candidates;
  const int64_t length = static_cast<int64_t>(Content.size());
  ustring part;
  for (int64_t k = 1; k <= length - 1; ++k) {
    part = Content.substr(0, static_cast<size_t>(k));
    if (k < MinLength) continue;
    const ustring foldedPart = folded.substr(0, static_cast<size_t>(k));
    const bool partNotBlank = IsNotEmptyW(part, true);
    if (k == static_cast<int64_t>(skeleton.size()) && partNotBlank) candidates.Add(skeleton + suffix);
    if (partNotBlank) candidates.Add(part + suffix);
    if (!EqualsW(foldedPart, part, false, false) && IsNotEmptyW(foldedPart, true) &&
        candidates.IndexOf(foldedPart + suffix) < 0)
      candidates.Add(foldedPart + suffix);
  }
  if (length - 1 < static_cast<int64_t>(skeleton.size()) && IsNotEmptyW(part, true) &&
      candidates.IndexOf(skeleton + suffix) < 0)
    ResultList.Add(skeleton + suffix);
  for (int32_t i = candidates.Count() - 1; i >= 0; --i) ResultList.Add(candidates[i]);
  return ResultList;
}

TStrings& GetAllCurrencies(const ustring& Content, TStrings& AllCurrencies) {
  const ustring text = UpperStrW(Content);
  for (const char16_t* pattern : kCurrencyPatterns) {
    TStringList matches;
    GetAllRegExResults(text, pattern, matches);
    for (int32_t i = 0; i < matches.Count(); ++i) AllCurrencies.Add(Dotted(matches[i]));
  }
  ustring codes = ReplaceEachElementW(AllCurrencies.CommaText(), kCurrencyNames, kCurrencyCodes, false);
  codes = ReplaceW(codes, u" ", u"", false);
  codes = ReplaceW(codes, u",,", u",");
  codes = DeleteFlagWhenBeginOrEnd(codes, u",", EACH_POS);
  AllCurrencies.SetCommaText(codes);
  return AllCurrencies;
}

}  // namespace TvxStrings
