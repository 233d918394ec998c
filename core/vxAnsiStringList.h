// The 8-bit string list: items are bytes in the system code page
// (Windows-1252), compared as their UTF-16 form by the linguistic collation.
// It shares its implementation with the UTF-16 list; files are read and
// written as the bytes of Text, without conversion or byte-order mark.
// toTStrings copies the items into a UTF-16 list.
#pragma once

#include "platform/lists/vxStringList.h"

using TAnsiStrings = TStringsT<char>;
using TAnsiStringList = TStringListT<char>;
using TAnsiStringItem = TStringItemT<char>;
using TAnsiStringListSortCompare = TAnsiStringList::TStringListSortCompare;
using IAnsiStringsAdapter = IStringsAdapterT<char>;
