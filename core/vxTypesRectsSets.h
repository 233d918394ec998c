// TvxTypes: the rectangle records and their comma-separated texts, sets of
// enumeration members as text, and the locale's short date format as 8-bit
// text.
//
// Rectangles follow one of two conventions, and which one is part of each
// operation: exclusive (Width = Right - Left) or inclusive (Right = Left +
// Width - 1 when Width is above 0, else Left + Width; the same for Top,
// Height and Bottom). Edges are 32-bit: sums beyond that range wrap, and
// floats round (halves to the even neighbour) to the nearest 32-bit value.
// None of these operations raises.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// The records of the unit; that header includes this one at its end, so
// either may be included first.
#include "core/vxTypes.h"
#include "platform/base/vxBase.h"
#include "platform/base/vxGeometry.h"
#include "platform/values/vxTypeInfo.h"

namespace TvxTypes {

// ---- Rectangles --------------------------------------------------------------

// The edges; Width and Height exclusive.
TRelRect FloatRect(double Left, double Top, double Right, double Bottom);
// The edges; Width and Height as Right - Left + 1 and Bottom - Top + 1.
TAdvRect AdvRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom);

// Left, Top, Width and Height rounded; Right and Bottom inclusive from
// them (the float rectangle's own Right and Bottom are not read).
TAdvRect FloatRectToAdvRect(const TRelRect& Rect);
// Left and Top rounded; Right and Bottom inclusive from the rounded Width
// and Height.
TRect FloatRectToTRect(const TRelRect& Rect);
// Left and Top; Width and Height exclusive from the rectangle; Right and
// Bottom then inclusive (10,10,20,20 gives Right and Bottom 19).
TRelRect TRectToFloatRect(const TRect& Rect);

// The readers split the text at ","; missing parts count as empty, parts
// after the fourth are ignored.
// "Left,Top,Right,Bottom", decimal numbers with "." or "," (empty or
// unreadable parts give 0); Width and Height exclusive.
TRelRect StrToFloatRect(const ustring& Rect);
// "Left,Top,Width,Height" read the same way; Right and Bottom inclusive.
TRelRect StrToFloatRectLTWH(const ustring& Rect);
// "Left,Top,Right,Bottom" as 32-bit integers (blanks before a number,
// nothing after it, "$" or "0x" for hexadecimal; empty or unreadable parts
// give 0); Width and Height exclusive.
TAdvRect StrToAdvRect(const ustring& Rect);
// Read as StrToAdvRect, but an empty or unreadable part gives -1 and edges
// without a part stay 0.
TRect StrToRect(const ustring& Size);
// "Left,Top,Right,Bottom" in decimal (width and height are not written).
std::string AdvRectToStr(const TAdvRect& Rect);
std::string RectToStr(const TRect& Rect);

// Whether every field is 0 (Width and Height included).
bool IsRectEmpty(const TRect& Rect);
bool IsRectEmpty(const TRelRect& Rect);
bool IsRectEmpty(const TAdvRect& Rect);

// ---- Sets ------------------------------------------------------------------
//
// SetParam is the set's storage: Info.StorageSize() bytes, bit n (counted
// from the first byte's lowest bit) standing for the member of ordinal n.
// Only sets of 1, 2 or 4 bytes are written and read; a storage of another
// length than the description gives counts as a set of another size.

// The names of the members in the set, in ordinal order, joined by ","
// ('vxC_Red,vxC_Blue'); with Brackets enclosed in "[" and "]". An empty set,
// and a set of another size, gives the empty text ('[]' with Brackets).
// Bits without a member are left out.
std::string SetToString(const TvxSetTypeInfo& Info, std::span<const std::byte> SetParam, bool Brackets);
// Reads member names separated by blanks, "," or "]" after an optional
// "[" ('[ first , second ]'), the letters A-Z in any case, into the
// storage, which is cleared first. An unknown name leaves the set empty.
// False, with the storage untouched, only for a set of another size.
bool StringToSet(const TvxSetTypeInfo& Info, std::span<std::byte> SetParam, const std::string& Value);

}  // namespace TvxTypes

// The short date format of the process's format settings as they hold it
// ("/" standing for the locale's date separator), as 8-bit text.
std::string DefaultShortDateFormatA();
