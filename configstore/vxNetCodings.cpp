// TvxNet: the four percent codings of URL text and their decoders, each
// in one pass over the text.
#include <array>
#include <cstring>

#include "configstore/vxNet.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"

namespace {

using vxRuntime::IsAsciiAlnum;

// Which bytes a coding writes as they are.
using TKeepSet = std::array<bool, 256>;

TKeepSet KeepSet(const char* Extra) {
  TKeepSet keep{};
  for (int c = 0; c < 256; ++c) keep[static_cast<size_t>(c)] = IsAsciiAlnum(static_cast<char32_t>(c));
  for (const char* c = Extra; *c != '\0'; ++c) keep[static_cast<unsigned char>(*c)] = true;
  return keep;
}

const TKeepSet& UrlPartKeep() {
  static const TKeepSet keep = KeepSet("-._");
  return keep;
}
const TKeepSet& UrlPartWKeep() {
  static const TKeepSet keep = KeepSet("*-._");
  return keep;
}
const TKeepSet& PercentKeep() {
  static const TKeepSet keep = KeepSet("-./:_~");
  return keep;
}

constexpr char kHex[] = "0123456789ABCDEF";

std::string Escape(std::string_view Bytes, const TKeepSet& Keep) {
  std::string out;
  out.reserve(Bytes.size() * 3);
  for (const char c : Bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (Keep[byte]) {
      out.push_back(c);
    } else {
      const char escape[3] = {'%', kHex[byte >> 4], kHex[byte & 15]};
      out.append(escape, 3);
    }
  }
  return out;
}

// The value of an upper-case hexadecimal digit, -1 for anything else
// (DecodeUrlPart leaves lower-case escapes alone).
int UpperHexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// DecodeUrlPart's meaning is a replacement of every "%XX" for each code from
// 255 down to 0, one code after the other; a byte decoded in the step for
// one code can complete an escape of a lower code with its neighbours ("%25"
// followed by "20" gives a blank), never one of its own or a higher code.
// The decoder gets the same result in one pass: the output works as a stack
// whose top three bytes are reduced whenever they form an escape of a code
// lower than the step every one of them was made in (the text's own bytes
// exist from the start). Only a decoded "%" or hexadecimal digit can take
// part in a later escape, so only those are remembered with their step.
class TUrlPartDecoder {
 public:
  // The output is never longer than the input: room for all of it at once.
  explicit TUrlPartDecoder(size_t Size) : FOut(Size, '\0') {}

  void Push(char c) {
    FOut[FLength++] = c;
    Reduce();
  }
  // A byte that completes no escape.
  void Put(char c) { FOut[FLength++] = c; }
  // Whether a "%" stands in the last two bytes, so that the next byte may
  // complete an escape.
  bool EscapeOpen() const {
    return (FLength >= 1 && FOut[FLength - 1] == '%') || (FLength >= 2 && FOut[FLength - 2] == '%');
  }
  std::string Take() {
    FOut.resize(FLength);
    return std::move(FOut);
  }

 private:
  struct TDecoded {
    size_t Position;
    int Step;
  };

  int StepAt(size_t Position) const {
    for (auto it = FDecoded.rbegin(); it != FDecoded.rend() && it->Position >= Position; ++it)
      if (it->Position == Position) return it->Step;
    return 256;
  }

  void Reduce() {
    while (FLength >= 3) {
      const size_t p = FLength - 3;
      if (FOut[p] != '%') return;
      const int high = UpperHexDigit(FOut[p + 1]);
      const int low = UpperHexDigit(FOut[p + 2]);
      if (high < 0 || low < 0) return;
      const int code = high * 16 + low;
      if (code >= StepAt(p) || code >= StepAt(p + 1) || code >= StepAt(p + 2)) return;
      while (!FDecoded.empty() && FDecoded.back().Position >= p) FDecoded.pop_back();
      const char byte = static_cast<char>(code);
      FOut[p] = byte;
      FLength = p + 1;
      if (byte == '%' || UpperHexDigit(byte) >= 0) FDecoded.push_back({p, code});
    }
  }

  std::string FOut;
  size_t FLength = 0;
  std::vector<TDecoded> FDecoded;
};

// Appends the UTF-8 form of one code point (surrogate halves too, as three
// bytes each, which the UTF-8 reader later takes as malformed).
void AppendUtf8(std::string& Out, uint32_t Code) {
  if (Code < 0x80) {
    Out.push_back(static_cast<char>(Code));
  } else if (Code < 0x800) {
    Out.push_back(static_cast<char>(0xC0 | (Code >> 6)));
    Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
  } else if (Code < 0x10000) {
    Out.push_back(static_cast<char>(0xE0 | (Code >> 12)));
    Out.push_back(static_cast<char>(0x80 | ((Code >> 6) & 0x3F)));
    Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
  } else {
    Out.push_back(static_cast<char>(0xF0 | (Code >> 18)));
    Out.push_back(static_cast<char>(0x80 | ((Code >> 12) & 0x3F)));
    Out.push_back(static_cast<char>(0x80 | ((Code >> 6) & 0x3F)));
    Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
  }
}

// The value of Count hexadecimal digits (either case) at Text[At], -1 when
// one of them is none.
int HexValue(std::string_view Text, size_t At, size_t Count) {
  int value = 0;
  for (size_t i = 0; i < Count; ++i) {
    const int digit = vxRuntime::HexDigitValue(static_cast<unsigned char>(Text[At + i]));
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

// The UTF-16 unit of a "%uXXXX" escape at Text[At], -1 when there is none.
int UnicodeEscape(std::string_view Text, size_t At) {
  if (At + 6 > Text.size() || Text[At] != '%' || (Text[At + 1] != 'u' && Text[At + 1] != 'U')) return -1;
  return HexValue(Text, At + 2, 4);
}

}  // namespace

namespace TvxNet {

std::string EncodeUrlPart(const std::string& Url) { return Escape(Url, UrlPartKeep()); }

std::string EncodeUrlPartW(const ustring& Url) {
  const TKeepSet& keep = UrlPartWKeep();
  std::string bytes;
  bytes.reserve(Url.size());
  for (const char16_t unit : Url) AppendUtf8(bytes, unit);
  std::string out;
  out.reserve(bytes.size() * 3);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (keep[byte]) {
      out.push_back(c);
      continue;
    }
    // The codes below "%" are escaped before "%" is, so their "%" is
    // escaped once more: a blank is "%2520".
    if (byte < '%') out.append("%25");
    else out.push_back('%');
    out.push_back(kHex[byte >> 4]);
    out.push_back(kHex[byte & 15]);
  }
  return out;
}

std::string DecodeUrlPart(const std::string& Text) {
  TUrlPartDecoder decoder(Text.size());
  const std::string_view text(Text);
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const char c = text[i];
    if (c != '%') {
      // Outside escapes bytes go out as they are.
      if (decoder.EscapeOpen()) decoder.Push(c);
      else decoder.Put(c);
      ++i;
      continue;
    }
    if (i + 2 < n) {
      const int high = UpperHexDigit(text[i + 1]);
      const int low = UpperHexDigit(text[i + 2]);
      if (high >= 0 && low >= 0) {
        const int code = high * 16 + low;
        // The common escape: a byte that is neither "%" nor a hexadecimal
        // digit can take part in no further escape, so it goes straight out.
        if (code != '%' && UpperHexDigit(static_cast<char>(code)) < 0) {
          decoder.Put(static_cast<char>(code));
          i += 3;
          continue;
        }
        // The doubled escape of a code below "%" ("%2520"): the "%" decoded
        // from "%25" and the two digits after it give that byte.
        if (code == '%' && i + 4 < n) {
          const int high2 = UpperHexDigit(text[i + 3]);
          const int low2 = UpperHexDigit(text[i + 4]);
          if (high2 >= 0 && low2 >= 0 && high2 * 16 + low2 < '%') {
            decoder.Put(static_cast<char>(high2 * 16 + low2));
            i += 5;
            continue;
          }
        }
      }
    }
    decoder.Push(c);
    ++i;
  }
  return decoder.Take();
}

std::string PercentEncode(const ustring& Text) { return Escape(WideToUtf8(Text), PercentKeep()); }

ustring PercentDecode(const std::string& Text) {
  const std::string_view text(Text);
  std::string bytes;
  bytes.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const size_t percent = text.find('%', i);
    if (percent == std::string_view::npos) {
      bytes.append(text.substr(i));
      break;
    }
    bytes.append(text.substr(i, percent - i));
    const size_t following = text.size() - percent - 1;
    const int unit = UnicodeEscape(text, percent);
    if (unit >= 0) {
      // A high and a low surrogate, escaped one after the other, are one
      // character.
      const int low = unit >= 0xD800 && unit <= 0xDBFF ? UnicodeEscape(text, percent + 6) : -1;
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(bytes, 0x10000 + ((static_cast<uint32_t>(unit) - 0xD800) << 10) + (static_cast<uint32_t>(low) - 0xDC00));
        i = percent + 12;
      } else {
        AppendUtf8(bytes, static_cast<uint32_t>(unit));
        i = percent + 6;
      }
      continue;
    }
    const size_t digits = following < 2 ? following : 2;
    const int value = digits > 0 ? HexValue(text, percent + 1, digits) : -1;
    if (value >= 0) {
      bytes.push_back(static_cast<char>(value));
      i = percent + 1 + digits;
    } else {
      bytes.push_back('%');
      i = percent + 1;
    }
  }
  return Utf8ToWide(bytes);
}

}  // namespace TvxNet
