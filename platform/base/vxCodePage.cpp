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

// The length of the UTF-8 sequence that starts with lead (1 for a stray byte).
static size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

bool IsUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    const size_t length = Utf8SequenceLength(lead);
    if (length == 1 || i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    const unsigned char second = static_cast<unsigned char>(bytes[i + 1]);
    // Overlong forms, surrogates and code points beyond U+10FFFF.
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second > 0x8F))
      return false;
    i += length;
  }
  return true;
}

ustring UnknownBytesToWide(std::string_view bytes) { return IsUtf8(bytes) ? Utf8ToWide(bytes) : AnsiToWide(bytes); }

static ustring Utf16FromBytes(std::string_view bytes, bool bigEndian) {
  ustring text;
  text.reserve(bytes.size() / 2 + 1);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    text.push_back(static_cast<char16_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0));
  }
  if (bytes.size() % 2 != 0) text.push_back(u'\uFFFD');
  return text;
}

ustring Utf16LEToWide(std::string_view bytes) { return Utf16FromBytes(bytes, false); }
ustring Utf16BEToWide(std::string_view bytes) { return Utf16FromBytes(bytes, true); }

std::string WideToUtf16LE(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

size_t FindLoneSurrogate(std::u16string_view text, size_t from) {
  for (size_t i = from; i < text.size(); ++i) {
    if (U16_IS_LEAD(text[i]) && i + 1 < text.size() && U16_IS_TRAIL(text[i + 1])) {
      ++i;
    } else if (U16_IS_SURROGATE(text[i])) {
      return i;
    }
  }
  return std::u16string_view::npos;
}
