// The small encodings of Internet mail: Base64 and quoted-printable bodies (RFC
// 2045), encoded words in header text (RFC 2047).
#include "platform/mail/vxMimeCodec.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <charconv>
#include <memory>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/text/vxBase64Codec.h"

namespace vxMimeCodec {

namespace {

constexpr size_t kBase64LineLength = 76;
constexpr size_t kQuotedPrintableLineLength = 76;
// "=?UTF-8?Q?" + "?=" leave 63 characters of a 75-character encoded word.
constexpr size_t kEncodedWordPayload = 75 - 12;
// Longer runs without a blank cannot be folded within a header line.
constexpr size_t kLongestPlainHeaderWord = 70;
// An encoded word cannot span lines; longer ones than a line are not read.
constexpr size_t kLongestEncodedWord = 998;


bool IsBlank(char c) { return c == ' ' || c == '\t'; }


// The length of the UTF-8 sequence that starts with lead (1 for a stray byte).
size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

// A byte that may stand for itself in a Q-encoded word of a display name.
bool IsQSafe(unsigned char c) {
  return vxRuntime::IsAsciiAlnum(c) || c == '!' || c == '*' || c == '+' || c == '-' || c == '/';
}

// A byte that may stand for itself in an RFC 2231 extended value.
bool IsAttributeChar(unsigned char c) {
  return vxRuntime::IsAsciiAlnum(c) || std::string_view("!#$&+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

// A byte that may stand in a MIME token (RFC 2045) and so needs no quotes.
bool IsTokenChar(unsigned char c) {
  return c > 32 && c < 127 && std::string_view("()<>@,;:\\\"/[]?=").find(static_cast<char>(c)) == std::string_view::npos;
}

std::string PercentDecode(std::string_view s) {
  std::string result;
  result.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      const int byte = vxRuntime::HexPairValue(s[i + 1], s[i + 2]);
      if (byte >= 0) {
        result.push_back(static_cast<char>(byte));
        i += 2;
        continue;
      }
    }
    result.push_back(s[i]);
  }
  return result;
}

struct TConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};

}  // namespace

// ---------------------------------------------------------------- Base64

std::string Base64Encode(std::string_view data) { return vxBase64Codec::Encode(data); }

std::string Base64EncodeLines(std::string_view data) {
  return vxBase64Codec::EncodeLines(data, kBase64LineLength, /*TrailingBreak=*/true);
}

size_t Base64LinesLength(uint64_t Size) {
  return vxBase64Codec::EncodedLinesLength(static_cast<size_t>(Size), kBase64LineLength, /*TrailingBreak=*/true);
}

char* Base64EncodeLinesTo(char* Out, std::string_view data) {
  static_assert(vxBase64Codec::LineBytes(kBase64LineLength) == Base64LinePieceBytes(1));
  return vxBase64Codec::EncodeLinesTo(Out, data, kBase64LineLength, /*TrailingBreak=*/true);
}

std::string Base64Decode(std::string_view text) { return vxBase64Codec::Decode(text, /*StopAtPadding=*/true); }

// ---------------------------------------------------------------- line breaks

std::string NormaliseLineBreaks(std::string_view data) {
  std::string out;
  out.reserve(data.size() + data.size() / 32);
  for (size_t i = 0; i < data.size(); ++i) {
    const char c = data[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < data.size() && data[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// ---------------------------------------------------------------- quoted-printable

std::string QuotedPrintableEncode(std::string_view data) {
  std::string out;
  out.reserve(data.size() + data.size() / 8);
  size_t lineStart = 0;
  while (lineStart <= data.size()) {
    size_t lineEnd = data.find("\r\n", lineStart);
    const bool hardBreak = lineEnd != std::string_view::npos;
    if (!hardBreak) lineEnd = data.size();
    size_t column = 0;
    for (size_t i = lineStart; i < lineEnd; ++i) {
      const unsigned char c = static_cast<unsigned char>(data[i]);
      const bool last = i + 1 == lineEnd;
      std::string token;
      // Blanks stay literal unless they would end the line, where transports may strip them.
      const bool literal = (c >= 33 && c <= 126 && c != '=') || (IsBlank(static_cast<char>(c)) && !last);
      if (literal) {
        token.push_back(static_cast<char>(c));
      } else {
        token.push_back('=');
        vxRuntime::AppendHexByte(token, c);
      }
      const size_t tokenLength = token.size();
      // A soft break "=" needs one column, except after the line's last token.
      const size_t limit = last ? kQuotedPrintableLineLength : kQuotedPrintableLineLength - 1;
      if (column + tokenLength > limit) {
        out += "=\r\n";
        column = 0;
      }
      out += token;
      column += tokenLength;
    }
    if (!hardBreak) break;
    out += "\r\n";
    lineStart = lineEnd + 2;
  }
  return out;
}

std::string QuotedPrintableDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t pendingBlanks = 0;  // blanks are held back: those that end a line are dropped
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsBlank(c)) {
      ++pendingBlanks;
      continue;
    }
    if (c == '\r' || c == '\n') {
      pendingBlanks = 0;
      out.push_back(c);
      continue;
    }
    // Blanks followed by something else are kept.
    if (pendingBlanks > 0) {
      out.append(text.substr(i - pendingBlanks, pendingBlanks));
      pendingBlanks = 0;
    }
    if (c != '=') {
      out.push_back(c);
      continue;
    }
    // Soft line break: "=" followed by optional blanks and a line end.
    size_t j = i + 1;
    while (j < text.size() && IsBlank(text[j])) ++j;
    if (j < text.size() && (text[j] == '\r' || text[j] == '\n')) {
      if (text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
      i = j;
      continue;
    }
    if (j == text.size()) {
      i = j;
      continue;
    }
    if (i + 2 < text.size()) {
      const int byte = vxRuntime::HexPairValue(text[i + 1], text[i + 2]);
      if (byte >= 0) {
        out.push_back(static_cast<char>(byte));
        i += 2;
        continue;
      }
    }
    out.push_back('=');
  }
  return out;
}

// ---------------------------------------------------------------- charsets

ustring CharsetToWide(std::string_view charset, std::string_view bytes) {
  std::string name = vxRuntime::AsciiLower(charset);
  // RFC 2231 lets a language follow the charset: "utf-8*de".
  if (const size_t star = name.find('*'); star != std::string::npos) name.resize(star);
  if (name == "utf-8" || name == "utf8" || name == "us-ascii" || name == "ascii" || name.empty())
    return UnknownBytesToWide(bytes);
  if (name == "iso-8859-1" || name == "latin1" || name == "windows-1252" || name == "cp1252") return AnsiToWide(bytes);
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, TConverterCloser> converter(ucnv_open(name.c_str(), &status));
  if (U_FAILURE(status) || !converter) return UnknownBytesToWide(bytes);
  ustring out(bytes.size() * 2 + 4, u'\0');
  status = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                            bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    out.assign(static_cast<size_t>(n) + 1, u'\0');
    status = U_ZERO_ERROR;
    ucnv_reset(converter.get());
    n = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                      bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  }
  if (U_FAILURE(status)) return UnknownBytesToWide(bytes);
  out.resize(static_cast<size_t>(n));
  return out;
}

// ---------------------------------------------------------------- encoded words

namespace {

// Encodes UTF-8 text one character at a time: encodeByte writes each byte
// of a character into its piece, take receives the pieces in order, so a
// caller can break lines or sections between characters only.
template <class EncodeByte, class Take>
void ForEachEncodedCharacter(std::string_view utf8, EncodeByte encodeByte, Take take) {
  size_t i = 0;
  while (i < utf8.size()) {
    const size_t length = std::min(Utf8SequenceLength(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
    std::string piece;
    for (size_t k = 0; k < length; ++k) encodeByte(piece, static_cast<unsigned char>(utf8[i + k]));
    take(piece);
    i += length;
  }
}

}  // namespace

std::string EncodeHeaderText(std::u16string_view text, size_t FirstLineUsed) {
  bool plain = text.find(u"=?") == std::u16string_view::npos;
  // With FirstLineUsed, the first plain word must fit the first line too.
  const size_t firstPlainWord = FirstLineUsed > 0 && FirstLineUsed + 1 < 76 ? 76 - FirstLineUsed - 1 : 0;
  size_t run = 0;
  bool firstWord = true;
  for (size_t i = 0; plain && i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 32 || c > 126) plain = false;
    if (c == u' ' && run > 0) firstWord = false;
    run = c == u' ' ? 0 : run + 1;
    if (run > kLongestPlainHeaderWord || (firstWord && firstPlainWord > 0 && run > firstPlainWord)) plain = false;
  }
  if (plain) return std::string(text.begin(), text.end());

  const std::string utf8 = WideToUtf8(text);
  std::string out;
  std::string word;
  auto flush = [&]() {
    if (word.empty()) return;
    if (!out.empty()) out.push_back(' ');
    out += "=?UTF-8?Q?";
    out += word;
    out += "?=";
    word.clear();
  };
  // One character at a time, so that no word splits a UTF-8 sequence.
  ForEachEncodedCharacter(
      utf8,
      [](std::string& piece, unsigned char c) {
        if (c == ' ') {
          piece.push_back('_');
        } else if (IsQSafe(c)) {
          piece.push_back(static_cast<char>(c));
        } else {
          piece.push_back('=');
          vxRuntime::AppendHexByte(piece, c);
        }
      },
      [&](const std::string& piece) {
        // The first word's room: 76 columns less the line's start, its
        // blank and the word's "=?UTF-8?Q?" and "?=" (never below 12).
        const size_t firstRoom = FirstLineUsed == 0 || FirstLineUsed > 76 - 1 - 12 - 12
                                     ? kEncodedWordPayload
                                     : std::min(kEncodedWordPayload, 76 - FirstLineUsed - 1 - 12);
        const size_t room = out.empty() ? firstRoom : kEncodedWordPayload;
        if (!word.empty() && word.size() + piece.size() > room) flush();
        word += piece;
      });
  flush();
  return out;
}

namespace {

// Reads one encoded word at raw[pos] ("=?charset?B|Q?text?="); on success
// sets its decoded text and the position after it.
bool ReadEncodedWord(std::string_view raw, size_t pos, ustring& text, size_t& end) {
  // Searching no further keeps decoding linear on text full of "=?".
  raw = raw.substr(0, std::min(raw.size(), pos + kLongestEncodedWord));
  if (raw.compare(pos, 2, "=?") != 0) return false;
  const size_t q1 = raw.find('?', pos + 2);
  if (q1 == std::string_view::npos || q1 + 2 >= raw.size() || raw[q1 + 2] != '?') return false;
  const char encoding = vxRuntime::AsciiUpper(std::string(1, raw[q1 + 1]))[0];
  if (encoding != 'B' && encoding != 'Q') return false;
  const size_t close = raw.find("?=", q1 + 3);
  if (close == std::string_view::npos) return false;
  const std::string_view charset = raw.substr(pos + 2, q1 - pos - 2);
  const std::string_view payload = raw.substr(q1 + 3, close - q1 - 3);
  if (charset.empty() || payload.find(' ') != std::string_view::npos) return false;
  std::string bytes;
  if (encoding == 'B') {
    bytes = Base64Decode(payload);
  } else {
    // Q: "_" is a blank, "=XX" a byte; blanks at the end are kept.
    for (size_t k = 0; k < payload.size(); ++k) {
      if (payload[k] == '_') {
        bytes.push_back(' ');
      } else if (payload[k] == '=' && k + 2 < payload.size() &&
                 vxRuntime::HexPairValue(payload[k + 1], payload[k + 2]) >= 0) {
        bytes.push_back(static_cast<char>(vxRuntime::HexPairValue(payload[k + 1], payload[k + 2])));
        k += 2;
      } else {
        bytes.push_back(payload[k]);
      }
    }
  }
  text = CharsetToWide(charset, bytes);
  end = close + 2;
  return true;
}

}  // namespace

ustring DecodeHeaderText(std::string_view rawFolded) {
  const std::string raw = Unfold(rawFolded);
  ustring out;
  std::string plain;  // bytes since the last encoded word, decoded together
  bool onlyBlanksSinceWord = false;
  size_t i = 0;
  while (i < raw.size()) {
    ustring word;
    size_t end = 0;
    if (raw[i] == '=' && ReadEncodedWord(raw, i, word, end)) {
      // Blanks between two encoded words are dropped.
      if (onlyBlanksSinceWord) plain.clear();
      out += UnknownBytesToWide(plain);
      plain.clear();
      out += word;
      onlyBlanksSinceWord = true;
      i = end;
      continue;
    }
    if (!IsBlank(raw[i])) onlyBlanksSinceWord = false;
    plain.push_back(raw[i]);
    ++i;
  }
  out += UnknownBytesToWide(plain);
  return out;
}

// ---------------------------------------------------------------- parameters

std::string FormatParameter(std::string_view name, std::u16string_view value) {
  bool ascii = true;
  for (char16_t c : value)
    if (c < 32 || c > 126) ascii = false;
  const size_t shortValue = 60;
  // A quoted value that looks like an encoded word would be decoded by its
  // readers (ours too): such a value takes the RFC 2231 form.
  const std::u16string_view::size_type open = value.find(u"=?");
  const bool looksEncoded = open != std::u16string_view::npos && value.find(u"?=", open + 2) != std::u16string_view::npos;
  if (ascii && value.size() <= shortValue && !looksEncoded) {
    std::string out(name);
    out.push_back('=');
    // "*", "'" and "%" are RFC 2231's own signs: common mail readers cut an
    // unquoted value at them, so a value holding them is quoted.
    const bool token = !value.empty() && std::all_of(value.begin(), value.end(), [](char16_t c) {
      return IsTokenChar(static_cast<unsigned char>(c)) && c != u'*' && c != u'\'' && c != u'%';
    });
    if (token) {
      out.append(value.begin(), value.end());
      return out;
    }
    out.push_back('"');
    for (char16_t c : value) {
      if (c == u'"' || c == u'\\') out.push_back('\\');
      out.push_back(static_cast<char>(c));
    }
    out.push_back('"');
    return out;
  }
  // RFC 2231: percent-encoded UTF-8, split into numbered sections when long,
  // each section short enough for a header line of its own.
  const std::string utf8 = WideToUtf8(value);
  const size_t lineBudget = 72 > name.size() + 12 ? 72 - name.size() - 12 : 24;
  std::vector<std::string> sections(1);
  // A character at a time: no section ends inside a UTF-8 sequence, so each
  // one decodes on its own, as some readers do.
  ForEachEncodedCharacter(
      utf8,
      [](std::string& piece, unsigned char c) {
        if (IsAttributeChar(c)) {
          piece.push_back(static_cast<char>(c));
        } else {
          piece.push_back('%');
          vxRuntime::AppendHexByte(piece, c);
        }
      },
      [&](const std::string& piece) {
        const size_t budget = sections.size() == 1 ? lineBudget - 7 : lineBudget;  // the first holds "UTF-8''"
        if (!sections.back().empty() && sections.back().size() + piece.size() > budget) sections.emplace_back();
        sections.back() += piece;
      });
  std::string out;
  for (size_t k = 0; k < sections.size(); ++k) {
    if (k > 0) out += "; ";
    out += name;
    if (sections.size() > 1) {
      out.push_back('*');
      out += std::to_string(k);
    }
    out += "*=";
    if (k == 0) out += "UTF-8''";
    out += sections[k];
  }
  return out;
}

ustring THeaderParameters::Get(const std::string& lowerCaseName) const {
  const auto it = Parameters.find(lowerCaseName);
  return it == Parameters.end() ? ustring() : it->second;
}

THeaderParameters ParseHeaderParameters(std::string_view rawFolded) {
  const std::string raw = Unfold(rawFolded);
  THeaderParameters result;
  size_t i = 0;
  auto skipBlanks = [&]() {
    while (i < raw.size() && IsBlank(raw[i])) ++i;
  };
  skipBlanks();
  size_t valueEnd = raw.find(';', i);
  if (valueEnd == std::string::npos) valueEnd = raw.size();
  result.Value = std::string(raw.substr(i, valueEnd - i));
  while (!result.Value.empty() && IsBlank(result.Value.back())) result.Value.pop_back();
  i = valueEnd;

  // Sections of RFC 2231 values: name -> (section number -> (extended, text)).
  struct TSection {
    bool Extended;
    std::string Text;
  };
  std::map<std::string, std::map<int, TSection>> sections;
  while (i < raw.size()) {
    ++i;  // the ";"
    skipBlanks();
    const size_t nameStart = i;
    while (i < raw.size() && raw[i] != '=' && raw[i] != ';') ++i;
    std::string name = vxRuntime::AsciiLower(raw.substr(nameStart, i - nameStart));
    while (!name.empty() && IsBlank(name.back())) name.pop_back();
    if (i >= raw.size() || raw[i] == ';') continue;  // a parameter without "=" is ignored
    ++i;  // the "="
    skipBlanks();
    std::string value;
    bool quoted = false;
    if (i < raw.size() && raw[i] == '"') {
      quoted = true;
      ++i;
      while (i < raw.size() && raw[i] != '"') {
        if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
        value.push_back(raw[i]);
        ++i;
      }
      if (i < raw.size()) ++i;  // the closing quote
      while (i < raw.size() && raw[i] != ';') ++i;
    } else {
      const size_t start = i;
      while (i < raw.size() && raw[i] != ';') ++i;
      value = raw.substr(start, i - start);
      while (!value.empty() && IsBlank(value.back())) value.pop_back();
    }
    if (name.empty()) continue;
    // "name*", "name*N" and "name*N*" are sections of an RFC 2231 value.
    const size_t star = name.find('*');
    if (star == std::string::npos) {
      result.Parameters[name] = quoted || value.find("=?") != std::string::npos ? DecodeHeaderText(value)
                                                                               : UnknownBytesToWide(value);
      continue;
    }
    const std::string base = name.substr(0, star);
    std::string rest = name.substr(star + 1);
    const bool extended = !rest.empty() && rest.back() == '*';
    if (extended) rest.pop_back();
    int number = 0;
    if (rest.empty()) {
      number = 0;
    } else if (std::all_of(rest.begin(), rest.end(), [](char c) { return vxRuntime::IsAsciiDigit(c); }) &&
               rest.size() < 6) {
      std::from_chars(rest.data(), rest.data() + rest.size(), number);
    } else {
      continue;
    }
    // "name*" alone is an extended single section.
    sections[base][number] = TSection{extended || rest.empty(), value};
  }
  for (const auto& [name, parts] : sections) {
    std::string charset;
    std::string bytes;
    bool first = true;
    for (const auto& [number, section] : parts) {
      std::string text = section.Text;
      if (section.Extended) {
        if (first) {
          // charset'language'value
          const size_t q1 = text.find('\'');
          const size_t q2 = q1 == std::string::npos ? std::string::npos : text.find('\'', q1 + 1);
          if (q2 != std::string::npos) {
            charset = text.substr(0, q1);
            text = text.substr(q2 + 1);
          }
        }
        bytes += PercentDecode(text);
      } else {
        bytes += text;
      }
      first = false;
    }
    result.Parameters[name] = CharsetToWide(charset, bytes);
  }
  return result;
}

std::string Unfold(std::string_view raw) {
  std::string result;
  result.reserve(raw.size());
  for (char c : raw)
    if (c != '\r' && c != '\n') result.push_back(c);
  return result;
}

}  // namespace vxMimeCodec
