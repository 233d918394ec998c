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

namespace vxCodePage {

// UTF-16 as bytes, each unit little-endian (UTF-16LE, as files and registry
// data hold it); no byte-order mark is added.
std::string WideToUtf16LeBytes(std::u16string_view Text);
// The UTF-16 units of Bytes, little-endian or big-endian; an odd last byte
// is left out (the caller decides what it stands for).
ustring Utf16BytesToWide(std::string_view Bytes, bool BigEndian = false);

// The position of the first unpaired surrogate in Text at or after From;
// npos when there is none.
size_t FindLoneSurrogate(std::u16string_view Text, size_t From = 0);

}  // namespace vxCodePage
