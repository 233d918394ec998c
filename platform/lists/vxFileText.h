// The file text of the UTF-16 string list: the bytes a list saves and loads.
// Reading: a UTF-8, UTF-16LE or UTF-16BE byte-order mark decides, else the
// system code page (Windows-1252). Writing: Windows-1252 when that keeps
// every character and reads back the same, else UTF-8 with a mark; UTF-16LE
// with a mark for text UTF-8 cannot carry (unpaired surrogates).
#pragma once

#include <string>
#include <string_view>

#include "platform/base/vxBase.h"

namespace vxFileText {

// The text of a file's bytes; a stray last byte of UTF-16 reads as U+FFFD.
ustring DecodeFileText(std::string_view Bytes);
// The bytes that hold Text.
std::string EncodeFileText(std::u16string_view Text);

}  // namespace vxFileText
