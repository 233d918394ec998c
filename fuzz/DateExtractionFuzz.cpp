// Fuzzes finding dates in running text and cleaning found texts: nothing
// raises; a found text (without month-name replacement) stands in the
// lower-cased text; the hashed lines carry the same finds; clean lists are
// sorted; the newest date of the finds is not older than the oldest.
#include <cmath>

#include "core/vxStringsDates.h"
#include "core/vxToolsEvo2.h"
#include "fuzz/FuzzInput.h"

using namespace TvxStrings;

namespace {

const char16_t* const kCountries[] = {u"de", u"fr", u"en", u"us", u"it", u"es", u"xx", u" De "};

bool SortedList(const TStringList& L) {
  for (int32_t i = 1; i < L.Count(); ++i)
    if (L.CompareItems(L[i - 1], L[i]) > 0) return false;
  return true;
}

void CheckClean(TFUTURE_TYPE Type, const TStrings& Found) {
  const TDateTimes dates = GetCleanDates(Type, Found);
  vxFuzz::Check(dates.size() <= static_cast<size_t>(Found.Count()));
  for (TDateTime d : dates) vxFuzz::Check(std::isfinite(d));
  TStringList clean;
  GetCleanDateWideStringList(Type, Found, clean);
  vxFuzz::Check(SortedList(clean) && clean.Count() <= Found.Count());
  vxFuzz::Check(std::isfinite(GetNewestDate(Type, Found)) && std::isfinite(GetOldestDate(Type, Found)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  const uint8_t flags = Data[0];
  const ustring country = kCountries[flags & 7];
  const bool withoutNames = flags & 8;
  const auto type = static_cast<TFUTURE_TYPE>((flags >> 4) % 3);
  const std::vector<std::string> f = vxFuzz::Fields(Data + 1, Size - 1, 2);
  const ustring content = (flags & 0x80) ? vxFuzz::Units(f[0]) : vxFuzz::Wide(f[0]);

  TStringList found;
  GetAllDatesW(content, country, withoutNames, found);
  THashedStringList hashed;
  GetAllDatesW(content, country, withoutNames, hashed);
  vxFuzz::Check(found.Count() == hashed.Count());
  const ustring lower = LowerStrW(content);
  for (int32_t i = 0; i < found.Count(); ++i) {
    const ustring& line = hashed[i];
    const size_t equals = line.find(u'=');
    vxFuzz::Check(equals != ustring::npos && line.substr(equals + 1) == found[i]);
    vxFuzz::Check(lower.find(line.substr(0, equals)) != ustring::npos);
    if (!withoutNames) vxFuzz::Check(found[i] == line.substr(0, equals));
  }
  CheckClean(type, found);
  const TDateTime newest = GetNewestDate(OLD_AND_FUTURE, found), oldest = GetOldestDate(OLD_AND_FUTURE, found);
  vxFuzz::Check(newest == 0 || oldest == 0 || newest >= oldest);

  THashedStringList cleanHashed;
  GetCleanDateHashedStringList(type, hashed, cleanHashed);
  vxFuzz::Check(SortedList(cleanHashed));
  vxFuzz::Check(std::isfinite(GetNewestDate(type, false, hashed)) &&
                std::isfinite(GetNewestDate(type, true, cleanHashed)));

  // Found texts of any shape, one per line, and as a hashed list.
  TStringList lines;
  lines.SetText(vxFuzz::Wide(f[1]));
  CheckClean(type, lines);
  THashedStringList hashedLines, cleanLines;
  hashedLines.SetText(vxFuzz::Wide(f[1]));
  GetCleanDateHashedStringList(type, hashedLines, cleanLines);
  vxFuzz::Check(std::isfinite(GetNewestDate(type, true, hashedLines)));
  return 0;
}
