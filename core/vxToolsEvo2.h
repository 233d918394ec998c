// The library's case mapping: every UTF-16 unit mapped by itself to its
// simple upper- or lower-case partner. The length never changes, surrogate
// halves and characters without a partner stay as they are, and no locale
// is involved. Case-insensitive name comparisons all over the system mean
// "equal after UpperStrW on both sides".
#pragma once

#include "platform/base/vxBase.h"

ustring UpperStrW(const ustring& Text);
ustring LowerStrW(const ustring& Text);
