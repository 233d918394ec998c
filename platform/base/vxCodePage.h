// Conversions between UTF-16 and 8-bit text. The system code page is
// Windows-1252 and the OEM (console) code page is 850; a character that a
// code page lacks becomes "?" on the way to 8-bit text.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/vxBase.h"

// System code page (Windows-1252).
ustring AnsiToWide(std::string_view bytes);
std::string WideToAnsi(std::u16string_view text);

// OEM code page (850).
ustring OemToWide(std::string_view bytes);
std::string WideToOem(std::u16string_view text);

// UTF-8. Malformed input becomes U+FFFD; unpaired surrogates become U+FFFD.
ustring Utf8ToWide(std::string_view bytes);
std::string WideToUtf8(std::u16string_view text);

// True when bytes are well-formed UTF-8 (plain ASCII included).
bool IsUtf8(std::string_view bytes);
// 8-bit text of unknown encoding: UTF-8 when it is well formed, else
// Windows-1252.
ustring UnknownBytesToWide(std::string_view bytes);

// UTF-16 as bytes, little- or big-endian, without a byte-order mark. A
// stray last byte is no character and reads as U+FFFD.
ustring Utf16LEToWide(std::string_view bytes);
ustring Utf16BEToWide(std::string_view bytes);
std::string WideToUtf16LE(std::u16string_view text);

// The position of the first unpaired surrogate at or after From (a high
// surrogate not followed by a low one, or a low one not preceded by a high
// one), or npos.
size_t FindLoneSurrogate(std::u16string_view text, size_t from = 0);
