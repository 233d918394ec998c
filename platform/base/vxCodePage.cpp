// Code page conversions (Windows-1252, 850, UTF-8, UTF-16LE bytes) and the
// unpaired-surrogate scan.
#include "platform/base/vxCodePage.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <array>
#include <climits>
#include <string>

#include "platform/base/vxExceptions.h"

namespace {

// A single-byte code page as two lookup tables, built once from the ICU
// converter, so that conversions need no converter state and no locking.
class SingleByteCodePage {
 public:
  explicit SingleByteCodePage(const char* icuName) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(icuName, &status);
    if (U_FAILURE(status)) throw Exception(std::string("code page not available: ") + icuName);
    FFromWide.fill(0);
    for (int byte = 0; byte < 256; ++byte) {
      const char in = static_cast<char>(byte);
      UChar out[4];
      status = U_ZERO_ERROR;
      ucnv_reset(converter);
      const int32_t n = ucnv_toUChars(converter, out, 4, &in, 1, &status);
      const char16_t unit = (U_SUCCESS(status) && n == 1) ? static_cast<char16_t>(out[0]) : static_cast<char16_t>(byte);
      FToWide[byte] = unit;
      if (FFromWide[unit] == 0) FFromWide[unit] = static_cast<unsigned char>(byte);
    }
    ucnv_close(converter);
  }

  ustring ToWide(std::string_view bytes) const {
    ustring result(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i) result[i] = FToWide[static_cast<unsigned char>(bytes[i])];
    return result;
  }

  std::string FromWide(std::u16string_view text) const {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      const char16_t unit = text[i];
      if (U16_IS_LEAD(unit) && i + 1 < text.size() && U16_IS_TRAIL(text[i + 1])) {
        result.push_back('?');  // one replacement for the whole pair
        ++i;
        continue;
      }
      const unsigned char byte = FFromWide[unit];
      result.push_back(byte != 0 || unit == 0 ? static_cast<char>(byte) : '?');
    }
    return result;
  }

 private:
  std::array<char16_t, 256> FToWide{};
  std::array<unsigned char, 65536> FFromWide{};
};

const SingleByteCodePage& Ansi() {
  static const SingleByteCodePage page("windows-1252");
  return page;
}

const SingleByteCodePage& Oem() {
  static const SingleByteCodePage page("ibm-850");
  return page;
}

}  // namespace

ustring AnsiToWide(std::string_view bytes) { return Ansi().ToWide(bytes); }
std::string WideToAnsi(std::u16string_view text) { return Ansi().FromWide(text); }
ustring OemToWide(std::string_view bytes) { return Oem().ToWide(bytes); }
std::string WideToOem(std::u16string_view text) { return Oem().FromWide(text); }

// ICU takes 32-bit lengths.
static void CheckLength(size_t size) {
  if (size > static_cast<size_t>(INT32_MAX) / 3) throw Exception("text too long for conversion");
}

ustring Utf8ToWide(std::string_view bytes) {
  if (bytes.empty()) return {};
  CheckLength(bytes.size());
  ustring result(bytes.size(), u'\0');  // never more units than bytes
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(result.data()), static_cast<int32_t>(result.size()), &length,
                       bytes.data(), static_cast<int32_t>(bytes.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) throw Exception("UTF-8 conversion failed");
  result.resize(static_cast<size_t>(length));
  return result;
}

std::string WideToUtf8(std::u16string_view text) {
  if (text.empty()) return {};
  CheckLength(text.size());
  std::string result(text.size() * 3, '\0');  // at most 3 bytes per unit
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(result.data(), static_cast<int32_t>(result.size()), &length,
                     reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()), 0xFFFD, nullptr,
                     &status);
  if (U_FAILURE(status)) throw Exception("UTF-16 conversion failed");
  result.resize(static_cast<size_t>(length));
  return result;
}

std::string vxCodePage::WideToUtf16LeBytes(std::u16string_view Text) {
  std::string bytes;
  bytes.reserve(Text.size() * 2);
  for (const char16_t unit : Text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

ustring vxCodePage::Utf16BytesToWide(std::string_view Bytes, bool BigEndian) {
  ustring units(Bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    const auto b0 = static_cast<unsigned char>(Bytes[2 * i]);
    const auto b1 = static_cast<unsigned char>(Bytes[2 * i + 1]);
    units[i] = static_cast<char16_t>(BigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0);
  }
  return units;
}

size_t vxCodePage::FindLoneSurrogate(std::u16string_view Text, size_t From) {
  for (size_t i = From; i < Text.size(); ++i) {
    if (U16_IS_LEAD(Text[i]) && i + 1 < Text.size() && U16_IS_TRAIL(Text[i + 1])) {
      ++i;
    } else if (U16_IS_SURROGATE(Text[i])) {
      return i;
    }
  }
  return std::u16string_view::npos;
}
