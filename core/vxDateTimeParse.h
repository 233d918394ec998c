// TvxDateTime: reading dates, times and date-times by lists of formats, and
// the fixed layouts. A format gives only its field order and its separator
// (the first character that is not one of its field letters); years of one
// or two digits are completed within 70 years before the current one.
// The list readers never raise: a text no format reads gives Default.
#pragma once

#include <string>
#include <vector>

#include "platform/base/vxBase.h"

namespace TvxDateTime {

// Str read as a date by the process format settings; Default when it does
// not read.
TDateTime StrToDate(const ustring& Str, TDateTime Default);

// The trimmed Str read as a date alone by the first format that reads it.
// A format two characters longer than the text reads "yyyy" as "yy".
TDateTime StrToDateExt(const ustring& Str, const std::vector<ustring>& Formats, TDateTime Default);
TDateTime StrToDateExt(const ustring& Str, const std::vector<std::string>& Formats, TDateTime Default);

// The trimmed Str read as a time alone ("10:20 pm") by the first format
// that reads it. A format with milliseconds ("hh:nn:ss.zzz") reads a
// fraction of a second behind the character before its z.
TDateTime StrToTimeExt(const ustring& Str, const std::vector<ustring>& Formats, TDateTime Default);

// The trimmed Str read as a date and time by the first pair of formats that
// reads it (date formats outside, time formats inside); text before the
// date and after the time is ignored, and a text without a date is read as
// a time alone.
TDateTime StrToDateTimeExt(const ustring& Str, const std::vector<ustring>& DateFormats,
                           const std::vector<ustring>& TimeFormats, TDateTime Default);
TDateTime StrToDateTimeExt(const ustring& Str, const std::vector<std::string>& DateFormats,
                           const std::vector<std::string>& TimeFormats, TDateTime Default);

// "yyyy-mm-dd", and that with "hh:nn:ss"; 0 when the text does not read.
TDateTime StrToDate_ISO(const ustring& Str);
TDateTime StrToDateTime_ISO(const ustring& Str);

// The date in characters 1 to 8; a part that is not an integer raises
// "'%s' ist kein gültiger Integerwert", a date that does not exist
// "Ungültiges Argument zum Codieren des Datums".
TDateTime StrToDateTime_YYYYMMDD(const ustring& Str);

// How StrToDateTime_YYYYMMDDHHNNSS reads its six parts: leniently (a part
// that is no number counts as 0) or strictly (it raises the integer error).
enum class TvxDatePartReading { Lenient, Strict };

// The date and time in characters 1 to 14, milliseconds 0; an invalid date
// or time raises "'%s' ist keine gültige Datums- und Uhrzeitangabe".
TDateTime StrToDateTime_YYYYMMDDHHNNSS(const ustring& Str,
                                       TvxDatePartReading Reading = TvxDatePartReading::Lenient);

}  // namespace TvxDateTime
