// The bytes of a UTF-16 list's file: reading them by their byte-order mark,
// writing the narrowest form that keeps every character.
#include "platform/lists/vxFileText.h"

#include "platform/base/vxCodePage.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// A stray last byte is no character and reads as U+FFFD.
ustring Utf16FromBytes(std::string_view bytes, bool bigEndian) {
  return bigEndian ? Utf16BEToWide(bytes) : Utf16LEToWide(bytes);
}

bool HasLoneSurrogate(std::u16string_view text) {
  return FindLoneSurrogate(text) != std::u16string_view::npos;
}

bool StartsWithMark(std::string_view bytes) {
  return bytes.starts_with(kUtf8Mark) || bytes.starts_with(kUtf16LeMark) || bytes.starts_with(kUtf16BeMark);
}

}  // namespace

namespace vxFileText {

ustring DecodeFileText(std::string_view Bytes) {
  if (Bytes.starts_with(kUtf8Mark)) return Utf8ToWide(Bytes.substr(kUtf8Mark.size()));
  if (Bytes.starts_with(kUtf16LeMark)) return Utf16FromBytes(Bytes.substr(kUtf16LeMark.size()), false);
  if (Bytes.starts_with(kUtf16BeMark)) return Utf16FromBytes(Bytes.substr(kUtf16BeMark.size()), true);
  return AnsiToWide(Bytes);
}

// Windows-1252 when that keeps every character and reads back the same,
// else UTF-8 with a mark; UTF-16 with a mark for what UTF-8 cannot carry.
std::string EncodeFileText(std::u16string_view Text) {
  if (HasLoneSurrogate(Text)) return std::string(kUtf16LeMark) + WideToUtf16LE(Text);
  std::string ansi = WideToAnsi(Text);
  if (!StartsWithMark(ansi) && AnsiToWide(ansi) == Text) return ansi;
  return std::string(kUtf8Mark) + WideToUtf8(Text);
}

}  // namespace vxFileText
