// TvxStrings: dates written in running text. Finds numeric dates and dates
// with German, English, French, Italian or Spanish month names by regular
// expressions chosen by a country id, turns month names into numbers,
// cleans the found texts into dates or "yyyy-mm-dd" texts filtered against
// the current moment, and picks the newest or the oldest of them.
//
// Lists are the caller's and are appended to, never cleared; the cleaning
// operations switch their result list to sorted with duplicates ignored.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/lists/vxHashedStringList.h"
#include "platform/lists/vxStringList.h"

// Which dates a cleaning step keeps: those not after the current local date
// and time, those after it, or all.
enum TFUTURE_TYPE : int32_t { NOT_IN_FUTURE = 0, IN_FUTURE = 1, OLD_AND_FUTURE = 2 };

using TDateTimes = std::vector<TDateTime>;

namespace TvxStrings {

// Appends every date-like text of the lower-cased Content, pattern by
// pattern of the country (CountryId compared trimmed, ignoring case: "de",
// "fr", "en", "us", "it", "es"; any other id uses five patterns, so a date
// may be listed more than once), matches in text order. With
// GetWithOutNames each found text has its month names replaced by month
// numbers and every blank removed ('15. märz 2020' gives '15.03.2020').
TStrings& GetAllDatesW(const ustring& Content, const ustring& CountryId, bool GetWithOutNames,
                       TStrings& AllDatesList);
// The same, one line per find: the found text, "=", and the text as above
// (the found text again without GetWithOutNames).
THashedStringList& GetAllDatesW(const ustring& Content, const ustring& CountryId, bool GetWithOutNames,
                                THashedStringList& AllDatesList);

// The kept dates of the found texts, in list order. A found text is split at
// its first separator of ".", "/", "\", "-" into day, month and year (other
// texts are passed over; a two-digit year up to 70 is 20xx, above it 19xx)
// and read in day-month-year order; a text that is no valid date gives 0.
// A two-character year that is not a number ends the scan, keeping what was
// collected.
TDateTimes GetCleanDates(TFUTURE_TYPE FutureType, const TStrings& AllDatesList);
// The kept dates as "yyyy-mm-dd" texts made from the pieces (also when they
// are no valid date), added to the sorted result list.
TStringList& GetCleanDateWideStringList(TFUTURE_TYPE FutureType, const TStrings& AllDatesList,
                                        TStringList& ResultWideStringList);
// The same for "found=normalised" lines: the normalised text is cleaned and
// the line found + "=" + clean text added.
THashedStringList& GetCleanDateHashedStringList(TFUTURE_TYPE FutureType, const THashedStringList& AllDatesList,
                                                THashedStringList& ResultWideStringList);

// The newest or the oldest kept date of the found texts, 0 when none: the
// last or the first clean text in sort order that is a "yyyy-mm-dd" date
// (clean texts of pieces that are no date are passed over).
TDateTime GetNewestDate(TFUTURE_TYPE FutureType, const TStrings& AllDatesList);
TDateTime GetOldestDate(TFUTURE_TYPE FutureType, const TStrings& AllDatesList);
// The newest date of a found-date list (cleaned first) or, with
// IsCleanlist, of a clean list whose values are "yyyy-mm-dd" texts; only
// NOT_IN_FUTURE passes over dates after now. 0 when no line gives a date.
TDateTime GetNewestDate(TFUTURE_TYPE FutureType, bool IsCleanlist, const THashedStringList& AllDatesList);

}  // namespace TvxStrings
