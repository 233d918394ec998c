// TvxStrings: finding dates in running text and cleaning the found texts
// into dates (see vxStringsDates.h). The patterns and the month tables are
// data, kept exactly as the stored texts.
#include "core/vxStringsDates.h"

#include <cmath>
#include <limits>
#include <string_view>
#include <utility>

#include "core/vxDateTimeParse.h"
#include "core/vxStringsPad.h"
#include "core/vxStringsReplace.h"
#include "core/vxStringsSearch.h"
#include "core/vxToolsEvo2.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxRuntime.h"
#include "platform/text/vxNumberText.h"
#include "platform/text/vxRegExpr.h"
#include "platform/time/vxDateUtils.h"

namespace TvxStrings {
namespace {

// The pieces of the date patterns. A piece that follows another starts with
// "|", so that a pattern is one alternation; 8 has no "|", and 5, 9 and 11
// also serve without it as a pattern's first piece.
// Day, month, four-digit year starting with 1 or 2.
constexpr std::u16string_view kPiece1 = uR"re(([0-9]{1,2}[./\-]{1,1}[0-9]{1,2}[./\-]{1,1}(1|2)[0-9]{3,3}))re";
// Day, month, two-digit year.
constexpr std::u16string_view kPiece2 = uR"re(|([0-9]{1,2}[./\-]{1,1}[0-9]{1,2}[./\-]{1,1}[0-9]{2,2}))re";
// German month names, up to two separators or none.
constexpr std::u16string_view kPiece3 =
    uR"re(|([0-9]{1,2}[./\- ]{0,2}(januar|febuar|märz|april|mai|juni|juli|august|september|oktober|november|dezember)[./\- ]{0,2}(1|2)[0-9]{3,3}))re";
// French abbreviations, up to two separators or none.
constexpr std::u16string_view kPiece4 =
    uR"re(|([0-9]{1,2}[./\- ]{0,2}(jan|fév|mar|avr|mai|jui|jul|aoû|sep|oct|nov|déc)[./\- ]{0,2}(1|2)[0-9]{3,3}))re";
// French month names.
constexpr std::u16string_view kPiece5 =
    uR"re(|([0-9]{1,2}[./\-]{1,1}(janvier|février|mars|avril|mai|juin|juillet|août|septembre|octobre|novembre|décembre)[./\- ]{1,1}(1|2)[0-9]{3,3}))re";
constexpr std::u16string_view kPiece5First = kPiece5.substr(1);
// English abbreviations.
constexpr std::u16string_view kPiece6 =
    uR"re(|([0-9]{1,2}[./\-]{1,1}(jan|feb|mar|apr|may|jun|jul|aug|sep|oct|nov|dec)[./\- ]{1,2}(1|2)[0-9]{3,3}))re";
// English month names.
constexpr std::u16string_view kPiece7 =
    uR"re(|([0-9]{1,2}[./\-]{1,1}(january|febuary|marche|april|may|juni|juli|august|september|october|november|december)[./\- ]{1,1}(1|2)[0-9]{3,3}))re";
// Four-digit year, month, day.
constexpr std::u16string_view kPiece8 = uR"re(((1|2)[0-9]{3,3}[./\-]{1,1}[0-9]{1,2}[./\-]{1,1}[0-9]{1,2}))re";
// Italian month names.
constexpr std::u16string_view kPiece9 =
    uR"re(|([0-9]{1,2}[./\-]{1,1}(gennaio|febbraio|marzo|aprile|maggio|giugno|luglio|agosto|settembre|ottobre|novembre|dicembre)[./\- ]{1,1}(1|2)[0-9]{3,3}))re";
constexpr std::u16string_view kPiece9First = kPiece9.substr(1);
// Spanish abbreviations.
constexpr std::u16string_view kPiece10 =
    uR"re(|([0-9]{1,2}[./\-]{1,1}(ene|feb|mar|abr|may|jun|jul|ago|sep|oct|nov|dic)[./\- ]{1,2}(1|2)[0-9]{3,3}))re";
// Spanish month names.
constexpr std::u16string_view kPiece11 =
    uR"re(|([0-9]{1,2}[./\-]{1,1}(enero|febrero|marzo|abril|mayo|junio|julio|agosto|septiembre|octubre|noviembre|diciembre)[./\- ]{1,1}(1|2)[0-9]{3,3}))re";
constexpr std::u16string_view kPiece11First = kPiece11.substr(1);

ustring Joined(std::initializer_list<std::u16string_view> Pieces) {
  ustring pattern;
  for (std::u16string_view piece : Pieces) pattern += piece;
  return pattern;
}

// The patterns of a country id, compared trimmed and ignoring case; the
// first id that matches wins.
std::vector<ustring> PatternsFor(const ustring& CountryId) {
  const auto is = [&](const char16_t* Id) { return EqualsW(CountryId, Id, true, true); };
  if (is(u"de")) return {Joined({kPiece1, kPiece2, kPiece3, kPiece4})};
  if (is(u"fr")) return {Joined({kPiece1, kPiece2, kPiece5, kPiece6})};
  if (is(u"en")) return {Joined({kPiece1, kPiece2, kPiece7, kPiece6})};
  if (is(u"us")) return {Joined({kPiece8, kPiece2, kPiece7, kPiece6})};
  if (is(u"it")) return {Joined({kPiece1, kPiece2, kPiece9, kPiece10})};
  if (is(u"es")) return {Joined({kPiece1, kPiece2, kPiece11, kPiece10})};
  return {Joined({kPiece1, kPiece2, kPiece3, kPiece4}), Joined({kPiece1, kPiece2, kPiece7, kPiece6}),
          Joined({kPiece5First, kPiece6}), Joined({kPiece9First, kPiece10}), Joined({kPiece11First, kPiece10})};
}

// The month name list and the month number list: ten groups of twelve
// comma-text entries each; entry i of the names stands for entry i of the
// numbers. The comma-text rules drop the blanks after the commas of group 3.
constexpr std::u16string_view kMonthNames[] = {
    u"januar,febuar,märz,april,mai,juni,juli,august,september,oktober,november,dezember",
    u"jan.,feb.,mär.,apr.,mai.,jun.,jul.,aug.,sep.,okt.,nov.,dez.",
    u"january, febuary, marche, april, may, juni, juli, august, september, october, november, december",
    u"jan.,feb.,mar.,apr.,may.,jun.,jul.,aug.,sep.,oct.,nov.,dec.",
    u"janvier,février,mars,avril,mai,juin,juillet,août,septembre,octobre,novembre,décembre",
    u"jan.,fév.,mar.,avr.,mai.,jui.,jul.,aoû.,sep.,oct.,nov.,déc.",
    u"enero,febrero,marzo,abril,mayo,junio,julio,agosto,septiembre,octubre,noviembre,diciembre",
    u"ene.,feb.,mar.,abr.,may.,jun.,jul.,ago.,sep.,oct.,nov.,dic.",
    u"gennaio,febbraio,marzo,aprile,maggio,giugno,luglio,agosto,settembre,ottobre,novembre,dicembre",
    u"gen.,feb.,mar.,apr.,mag.,giu.,lug.,ago.,set.,ott.,nov.,dic.",
};
constexpr std::u16string_view kNumbersWithDot = u"01.,02.,03.,04.,05.,06.,07.,08.,09.,10.,11.,12.";
constexpr std::u16string_view kNumbers = u"01,02,03,04,05,06,07,08,09,10,11,12";
// German and English groups (1 to 4) give numbers with a dot.
constexpr std::u16string_view kMonthNumbers[] = {kNumbersWithDot, kNumbersWithDot, kNumbersWithDot, kNumbersWithDot,
                                                 kNumbers,        kNumbers,        kNumbers,        kNumbers,
                                                 kNumbers,        kNumbers};

using TMonthTable = std::vector<std::pair<ustring, ustring>>;

// The 120 (name, number) pairs, built once from the comma texts.
const TMonthTable& MonthTable() {
  static const TMonthTable table = [] {
    constexpr size_t groups = std::size(kMonthNames);
    static_assert(groups == std::size(kMonthNumbers));
    ustring names, numbers;
    for (size_t i = 0; i < groups; ++i) {
      if (i > 0) names += u',', numbers += u',';
      names += kMonthNames[i];
      numbers += kMonthNumbers[i];
    }
    TStringList nameList, numberList;
    nameList.SetCommaText(names);
    numberList.SetCommaText(numbers);
    TMonthTable result;
    for (int32_t i = 0; i < nameList.Count() && i < numberList.Count(); ++i)
      result.emplace_back(nameList[i], numberList[i]);
    return result;
  }();
  return table;
}

// At each place the longest name standing there is replaced by its number;
// of equal names the first entry wins. Replaced text is not searched again.
ustring ReplaceMonthNames(const ustring& Text) {
  const TMonthTable& table = MonthTable();
  ustring result;
  size_t at = 0;
  while (at < Text.size()) {
    const std::pair<ustring, ustring>* best = nullptr;
    for (const auto& entry : table) {
      const ustring& name = entry.first;
      if (name.empty() || (best && name.size() <= best->first.size())) continue;
      if (Text.compare(at, name.size(), name) == 0) best = &entry;
    }
    if (best) {
      result += best->second;
      at += best->first.size();
    } else {
      result += Text[at++];
    }
  }
  return result;
}

ustring WithoutBlanks(ustring Text) {
  std::erase(Text, u' ');
  return Text;
}

// Runs every pattern of the country over the lower-cased text and hands
// each whole match, and its normalised form, to Append.
template <class F>
void FindDates(const ustring& Content, const ustring& CountryId, bool GetWithOutNames, F&& Append) {
  const ustring content = LowerStrW(Content);
  for (const ustring& pattern : PatternsFor(CountryId)) {
    TvxRegExpr expression(pattern);
    for (bool found = expression.Exec(content); found; found = expression.ExecNext()) {
      const ustring m = expression.Match();
      Append(m, GetWithOutNames ? WithoutBlanks(ReplaceMonthNames(m)) : m);
    }
  }
}

// A found text split into day, month and year, and its date (0 when the
// pieces are no valid date).
struct TCleanDate {
  ustring Day, Month, Year;
  TDateTime Date = 0;
  ustring CleanText() const { return Year + u'-' + Month + u'-' + Day; }
};

// False when the text is passed over (no separator, not three pieces).
// Raises EConvertError when a two-character year is not a number.
bool CleanDate(const ustring& Text, TCleanDate& Result) {
  ustring separator;
  for (const char16_t* candidate : {u".", u"/", u"\\", u"-"}) {
    if (Contains(Text, candidate, false)) {
      separator = candidate;
      break;
    }
  }
  if (separator.empty()) return false;
  TStringList pieces;
  SplitStringW(Text, separator, pieces);
  if (pieces.Count() != 3) return false;
  Result.Day = FillStrNullW(pieces[0], 2);
  Result.Month = FillStrNullW(pieces[1], 2);
  Result.Year = pieces[2];
  // The pivot: two-digit years up to 70 are 20xx, later ones 19xx.
  constexpr int32_t kCenturyPivot = 70;
  if (Result.Year.size() == 2)
    Result.Year = (vxRuntime::StrToInt(Result.Year) <= kCenturyPivot ? u"20" : u"19") + Result.Year;
  Result.Date = TvxDateTime::StrToDateExt(Result.Day + u'-' + Result.Month + u'-' + Result.Year,
                                          std::vector<ustring>{u"dd-mm-yyyy"}, 0);
  return true;
}

bool Kept(TFUTURE_TYPE FutureType, TDateTime Date, TDateTime Now) {
  switch (FutureType) {
    case NOT_IN_FUTURE:
      return Date <= Now;
    case IN_FUTURE:
      return Date > Now;
    default:
      return true;
  }
}

void SetSortedWithoutDuplicates(TStringList& List) {
  List.SetSorted(true);
  List.SetDuplicates(dupIgnore);
}

// The newest (from the end) or oldest (from the start) clean text of the
// sorted list that has the "yyyy-mm-dd" form and reads as a date; 0 when
// none does. Only in that form is the sort order the date order: the clean
// text of pieces that are no date ('2015-03-2020') would otherwise be
// rebuilt into some other date, or into none while valid dates are kept.
TDateTime PickFromCleanList(const TStringList& CleanList, bool Newest) {
  const int32_t count = CleanList.Count();
  for (int32_t k = 0; k < count; ++k) {
    const ustring& entry = CleanList[Newest ? count - 1 - k : k];
    if (entry.size() != 10 || entry[4] != u'-' || entry[7] != u'-') continue;
    // "yyyy-mm-dd" rebuilt as "dd-mm-yyyy".
    const ustring text = vxRuntime::Copy(entry, 9, 2) + u'-' + vxRuntime::Copy(entry, 6, 2) + u'-' +
                         vxRuntime::Copy(entry, 1, 4);
    constexpr TDateTime unread = std::numeric_limits<TDateTime>::quiet_NaN();
    const TDateTime date = TvxDateTime::StrToDateExt(text, std::vector<ustring>{u"dd-mm-yyyy"}, unread);
    if (!std::isnan(date)) return date;
  }
  return 0;
}

}  // namespace

TStrings& GetAllDatesW(const ustring& Content, const ustring& CountryId, bool GetWithOutNames,
                       TStrings& AllDatesList) {
  FindDates(Content, CountryId, GetWithOutNames,
            [&](const ustring&, const ustring& Normalised) { AllDatesList.Add(Normalised); });
  return AllDatesList;
}

THashedStringList& GetAllDatesW(const ustring& Content, const ustring& CountryId, bool GetWithOutNames,
                                THashedStringList& AllDatesList) {
  FindDates(Content, CountryId, GetWithOutNames, [&](const ustring& Found, const ustring& Normalised) {
    AllDatesList.Add(Found + u'=' + Normalised);
  });
  return AllDatesList;
}

TDateTimes GetCleanDates(TFUTURE_TYPE FutureType, const TStrings& AllDatesList) {
  const TDateTime now = vxRuntime::Now();
  TDateTimes dates;
  dates.reserve(static_cast<size_t>(AllDatesList.Count()));
  try {
    for (int32_t i = 0; i < AllDatesList.Count(); ++i) {
      TCleanDate clean;
      if (CleanDate(AllDatesList[i], clean) && Kept(FutureType, clean.Date, now)) dates.push_back(clean.Date);
    }
  } catch (const EConvertError&) {
    // A year that is not a number ends the scan; what was kept stays.
  }
  return dates;
}

TStringList& GetCleanDateWideStringList(TFUTURE_TYPE FutureType, const TStrings& AllDatesList,
                                        TStringList& ResultWideStringList) {
  // Read before the result list changes: it may be the same list.
  std::vector<ustring> found;
  for (int32_t i = 0; i < AllDatesList.Count(); ++i) found.push_back(AllDatesList[i]);
  SetSortedWithoutDuplicates(ResultWideStringList);
  const TDateTime now = vxRuntime::Now();
  try {
    for (const ustring& text : found) {
      TCleanDate clean;
      if (CleanDate(text, clean) && Kept(FutureType, clean.Date, now)) ResultWideStringList.Add(clean.CleanText());
    }
  } catch (const EConvertError&) {
  }
  return ResultWideStringList;
}

THashedStringList& GetCleanDateHashedStringList(TFUTURE_TYPE FutureType, const THashedStringList& AllDatesList,
                                                THashedStringList& ResultWideStringList) {
  // Each line's name and the value stored under that name (the first line
  // of the name), read before the result list changes.
  std::vector<std::pair<ustring, ustring>> found;
  for (int32_t i = 0; i < AllDatesList.Count(); ++i) {
    ustring name = AllDatesList.Names(i);
    ustring value = AllDatesList.Values(name);
    found.emplace_back(std::move(name), std::move(value));
  }
  SetSortedWithoutDuplicates(ResultWideStringList);
  const TDateTime now = vxRuntime::Now();
  try {
    for (const auto& [name, value] : found) {
      TCleanDate clean;
      if (CleanDate(value, clean) && Kept(FutureType, clean.Date, now))
        ResultWideStringList.Add(name + u'=' + clean.CleanText());
    }
  } catch (const EConvertError&) {
  }
  return ResultWideStringList;
}

TDateTime GetNewestDate(TFUTURE_TYPE FutureType, const TStrings& AllDatesList) {
  TStringList clean;
  GetCleanDateWideStringList(FutureType, AllDatesList, clean);
  return PickFromCleanList(clean, true);
}

TDateTime GetOldestDate(TFUTURE_TYPE FutureType, const TStrings& AllDatesList) {
  TStringList clean;
  GetCleanDateWideStringList(FutureType, AllDatesList, clean);
  return PickFromCleanList(clean, false);
}

TDateTime GetNewestDate(TFUTURE_TYPE FutureType, bool IsCleanlist, const THashedStringList& AllDatesList) {
  THashedStringList cleaned;
  const THashedStringList* list = &AllDatesList;
  if (!IsCleanlist) {
    GetCleanDateHashedStringList(FutureType, AllDatesList, cleaned);
    list = &cleaned;
  }
  const TDateTime now = vxRuntime::Now();
  TDateTime best = 0;
  for (int32_t i = 0; i < list->Count(); ++i) {
    const TDateTime date =
        TvxDateTime::StrToDateExt(list->ValueFromIndex(i), std::vector<ustring>{u"yyyy-mm-dd"}, 0);
    if (FutureType == NOT_IN_FUTURE && date > now) continue;
    if (date > best) best = date;  // of equal dates the first stays
  }
  return best;
}

}  // namespace TvxStrings
