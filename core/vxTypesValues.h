// TvxTypes: values whose type is known only at run time (variants): the
// names of the type codes, kind tests, conversions, the typed text form and
// the bridge to BSON values.
//
// The typed text form (VarToStrExt, read back by StrToVarExt) and the type
// names (GetVarTypeStr, GetVarTypeFromStr) are stored formats: the
// configuration strings and the configuration store keep values in them.
// Numbers are written with "." and times with ":" whatever the locale.
#pragma once

#include <cstdint>
#include <vector>

// The enumerations and records of the unit; that header includes this one
// at its end, so either may be included first.
#include "core/vxTypes.h"
#include "platform/base/vxBase.h"
#include "platform/values/vxBson.h"
#include "platform/values/vxVariant.h"

namespace TvxTypes {

// ---- Type codes and their names --------------------------------------------

// The type code, flag bits included.
TVarType GetVarType(const Variant& Value);
// The stored name of exactly that code ("INT", "UCS2STR" for the wide
// string, "UCS4STR" for the ordinary string); "UNKNOWN" for any code
// without one, flagged codes included.
ustring GetVarTypeStr(TVarType VarType);
// The code of a name, trimmed and upper-cased; besides the names of
// GetVarTypeStr it knows "BOOL", "FLOAT", "REAL" and "TIME", and reads
// "UNKNOWN" as 13. Any other text gives Default.
TVarType GetVarTypeFromStr(const ustring& VarType, TVarType Default);
// Date, float, currency and Boolean fields by their kind; text, character
// and numeric fields as wide strings (numeric fields travel as text).
TVarType GetVarTypeFromFieldDataType(TvxFieldDataType DataType);

// ---- Kind tests (on the variant's own code: a reference or an array is
// none of these kinds) ---------------------------------------------------

bool IsStringVariant(const Variant& myVar);   // 8, 72, 74, 256, 258
bool IsNumericVariant(const Variant& myVar);  // integer kinds: 2, 3, 16 .. 21
bool IsMathVariant(const Variant& myVar);     // 2 .. 7, 16 .. 21 (dates included)
bool IsFloatVariant(const Variant& myVar);    // 4, 5, 6
bool IsBooleanVariant(const Variant& myVar);
bool IsDateVariant(const Variant& myVar);
// An array with at least one dimension (references are followed).
bool IsArrayVariant(const Variant& V);
// 2 .. 6, 16 .. 21 (dates not included).
bool IsMathVarType(TVarType VarType);
// Whether V, after every reference to a variant is followed, has one of
// the codes; an empty list gives false.
bool VarIsType(const Variant& V, const std::vector<int32_t>& AVarTypes);
// Empty or Null.
bool VarIsInitial(const Variant& myVar);

// ---- Conversions -----------------------------------------------------------
//
// These pass on the variant's conversion errors for values that have no
// such form (arrays, texts that are no date) or do not fit.

// References followed; Empty and Null give the empty text, everything else
// the variant's own text (locale decimal separator and date format).
ustring VarToStr(const Variant& V);
// Integer kinds as they are; floats, currency and dates rounded, halves to
// the even neighbour; texts by the lenient reading (the leading part that
// reads as a decimal number, "," or "." as the separator: '12abc' gives
// 12, 'abc' 0), then rounded; Booleans 1 or 0; Null 0. A rounded value
// beyond the result's range raises EVariantOverflowError.
int32_t VarToInteger(const Variant& V);
int64_t VarToInt64(const Variant& V);
// As VarToInteger, without rounding (a date gives its day number with
// fraction).
double VarToFloat(const Variant& V);
// Whether the value rounded to an integer is not 0: 0.4, 'abc' and the
// text 'True' give false, 0.6 and '1,5' true; a value too large for an
// integer gives true.
bool VarToBoolean(const Variant& V);
TDateTime VarToDateTime(const Variant& V);

// An object reference travelling inside a variant (code 20 holding its
// address) and taken out again.
Variant ObjectToVar(TObject* Obj);
intptr_t VarToIntObject(const Variant& V);
TObject* VarToObject(const Variant& V);

// The VarToStr texts of the elements of a one-dimensional array, from its
// low to its high bound; raises Exception "invalid array dimension" for
// anything else.
TWideStringArray VarArrayAsStringArray(const Variant& V);

// ---- The typed text form ---------------------------------------------------

// Empty and Null give the empty text; integer kinds their decimal text;
// single and double up to 7 decimals, currency up to 4, at least 2 ('3.00',
// '1.23045'); a date-time "yyyy-mm-dd hh:nn:ss", a date "yyyy-mm-dd", a time
// on day 0 "hh:nn:ss" (milliseconds are not written); Booleans "True" or
// "False"; anything else VarToStr. Never raises: a value that cannot be
// written gives the empty text.
ustring VarToStrExt(const Variant& Value);
// VarToStrExt, but a date-time with both parts is written as
// "yyyy-mm-ddThh:nn:ss.zzzZ" (the value as it is, no time-zone conversion).
ustring VarToJSONStrExt(const Variant& Value);
// The value of a text written for VarType: Empty and Null give Null for the
// empty text and else the text; integer kinds an Int64 by
// TvxConversion::StrToInt with -1 for errors; float kinds a double by
// TvxConversion::StrToReal (0 for errors); a date by the time-stamp forms,
// else by "yyyy-mm-dd", the short date format and "dd.mm.yyyy" with
// "hh:nn:ss" and the long time format (0 when none reads); Booleans by
// TvxConversion::StrToBool; every other code the text as a string. Never
// raises: a failure gives Null.
Variant StrToVarExt(const ustring& Value, TVarType VarType);
// The same for a type name: a leading "CDT_" is dropped and the rest read
// by GetVarTypeFromStr with 13 as default, so an unknown name gives the
// text as a string.
Variant StrToVarExt(const ustring& Value, const ustring& VarType);

// ---- BSON values -----------------------------------------------------------
//
// Neither direction raises: whatever fails gives the BSON null value or
// Null. Date-times are taken as UTC: no time-zone conversion.

// Empty and Null give BSON null; integer kinds a 64-bit integer; float
// kinds a double; a date the ISO 8601 text of
// TvxDateTime::DateTimeToISO8601Str when AISO8601DateStrings, else a BSON
// date-time; Booleans a Boolean; a byte array binary content; anything
// else the VarToStr text.
TvxBsonValue VarToBsonValueByRef(const Variant& AValue, bool AISO8601DateStrings);
// Null (or unassigned) gives Null; a double, Boolean or 64-bit integer the
// same; a 32-bit integer code 3; a string the text, or with AVarType 7 the
// date of TvxDateTime::ISO8601ToDateTime; binary content a byte array; an
// object id its text; a date-time a date; a timestamp its seconds (code 3,
// or code 20 from 2038 on, where they leave the 32-bit range). Every other
// kind gives Null.
Variant BsonValueToVariantByRef(const TvxBsonValue& AValue, TVarType AVarType);
Variant BsonValueToVariant(TvxBsonValue AValue, TVarType AVarType);

}  // namespace TvxTypes
