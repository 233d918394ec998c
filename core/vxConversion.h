// Conversions between texts and integers, floats and Booleans, with
// caller-chosen defaults. These are the system's standard readers of
// numbers and switches in configuration strings, the registry and stored
// typed values, so their rules are part of the stored formats. Numbers are
// written with "." whatever the locale; the readers take "," and ".".
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/vxBase.h"
#include "platform/values/vxVariant.h"

namespace TvxConversion {

// The 64-bit value of Str, never raising. The empty text gives 0; a text
// holding "." is read as a real and gives its value when the fraction is 0;
// any other text is read as a decimal or ("$", "x", "0x" after the sign)
// hexadecimal integer: blanks at the start are skipped, nothing may follow.
// Every text that is no such number, and every value beyond the 64-bit
// range, gives ErrorVal.
int64_t StrToInt(const ustring& Str, int32_t ErrorVal);
// The decimal text of Int (8-bit).
std::string IntToStr(int64_t Int);
// RVal written with Decimals decimals after rounding half away from zero
// (Decimals within -37..37); Decimals -1 gives the scientific form
// " 1.50000000000000E+0000" (a blank or "-" first).
std::string RealToStr(double RVal, int Decimals);
// Value with at most Decimals (up to 7) decimals, trailing zeros removed
// down to MinDecimals decimals, and zeros added up to MinDecimals.
std::string FloatToStr(double Value, int32_t Decimals, int MinDecimals);
// The number a variant holds: integer kinds in decimal, currency with up to
// four decimals (written from its integer), everything else converted to a
// double and written with up to seven; at least two decimals but for
// integers. A value without a double raises the variant's conversion error.
std::string FloatToStr(const Variant& Value);
// A decimal float with "," or "." as the decimal separator (a single ","
// counts as the separator, "1.234,56" and "1,234.56" as thousands forms).
// The empty or unreadable text gives Default, or with RaiseException an
// EConvertError; the empty text never raises.
double StrToReal(const ustring& Str, bool RaiseException, double Default);
// The float converter of vxStrToFloatConverter, without OCR repairs.
double StrToFloat(const ustring& Str, bool RaiseException, double Default);
// Str read with the separators of the format settings; on failure the float
// converter when TryAlternativeConversion, else Default or (with
// RaiseException) an Exception.
double LocaleStrToFloat(const ustring& Str, bool RaiseException, double Default, bool TryAlternativeConversion);

ustring BoolToStr(bool BoolVal);
ustring BoolToStrExt(bool BoolVal, const ustring& TrueStr, const ustring& FalseStr);
// True for the truth words ("JA", "YES", "OK", "1", "X", "TRUE", ...) after
// trimming, letters a-z upper-cased.
bool StrToBool(const ustring& BoolStr);
// True when BoolStr equals TrueStr, both trimmed and upper-cased; when
// TrueStr and FalseStr are alike, StrToBool decides.
bool StrToBoolExt(const ustring& BoolStr, const ustring& TrueStr, const ustring& FalseStr);
std::string BoolToSingleByteStr(bool BoolVal);
std::string BoolToSingleByteStrX(bool BoolVal);
bool SingleByteStrToBool(const ustring& BoolVal);
int32_t BoolToInt(bool BoolVal);
bool IntToBool(int32_t BoolInt);
ustring IntBoolToStr(int32_t BoolInt);

// StrToInt of "$" + Str: hexadecimal digits whose value fits 64 bits (at
// most 16 digits after any leading zeros, which may be as many as they
// like); the empty text gives 0, anything else ErrorVal.
int64_t HexToInt(const ustring& Str, int32_t ErrorVal);

// 8-bit text from the OEM code page (850) to the system code page
// (Windows-1252) and back; a text ends at its first zero byte.
std::string AsciiToAnsi(const std::string& AText);
std::string AnsiToAscii(const std::string& AText);

}  // namespace TvxConversion
