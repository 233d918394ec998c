// INI files read and written as the original platform's profile files are,
// kept line by line so that comments and order survive a write.
#include "platform/files/vxIniFile.h"

#include <charconv>
#include <cstdint>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxFileSystem.h"
#include "platform/files/vxStream.h"
#include "platform/text/vxCaseMap.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEMark = "\xFF\xFE";
constexpr std::string_view kUtf16BEMark = "\xFE\xFF";

enum class TLineKind { Other, Section, Key };

// One line taken apart: a section header's name, or a key's name and value.
struct TLine {
  TLineKind Kind = TLineKind::Other;
  ustring Name;
  ustring Value;
};

TLine ParseLine(const ustring& raw) {
  TLine line;
  const ustring text = vxRuntime::Trim(raw);
  if (text.empty() || text[0] == u';') return line;
  if (text[0] == u'[') {
    const size_t close = text.rfind(u']');
    if (close != ustring::npos && close > 0) {
      line.Kind = TLineKind::Section;
      line.Name = vxRuntime::Trim(text.substr(1, close - 1));
      return line;
    }
  }
  line.Kind = TLineKind::Key;
  const size_t eq = text.find(u'=');
  if (eq == ustring::npos) {
    line.Name = text;
    return line;
  }
  line.Name = vxRuntime::Trim(text.substr(0, eq));
  line.Value = vxRuntime::Trim(text.substr(eq + 1));
  const size_t n = line.Value.size();
  if (n > 1 && (line.Value[0] == u'"' || line.Value[0] == u'\'') && line.Value[n - 1] == line.Value[0])
    line.Value = line.Value.substr(1, n - 2);
  return line;
}

bool SameName(const ustring& a, const ustring& b) {
  return a.size() == b.size() && vxCaseMap::Upper(a) == vxCaseMap::Upper(b);
}

bool HasLineBreak(const ustring& text) { return text.find_first_of(u"\r\n") != ustring::npos; }

}  // namespace

TIniFile::TIniFile(const ustring& FileName) : FFileName(FileName) {
  if (!vxFileSystem::FileExists(FileName)) return;
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  *this = FromBytes(stream.ReadToEnd());
  FFileName = FileName;
}

TIniFile TIniFile::FromBytes(std::string_view Bytes) {
  TIniFile ini;
  ustring text;
  if (Bytes.starts_with(kUtf16LEMark)) {
    ini.FEncoding = TIniEncoding::Utf16LEMark;
    text = Utf16LEToWide(Bytes.substr(kUtf16LEMark.size()));
  } else if (Bytes.starts_with(kUtf16BEMark)) {
    ini.FEncoding = TIniEncoding::Utf16LEMark;  // written back little endian
    text = Utf16BEToWide(Bytes.substr(kUtf16BEMark.size()));
  } else if (Bytes.starts_with(kUtf8Mark)) {
    ini.FEncoding = TIniEncoding::Utf8Mark;
    text = Utf8ToWide(Bytes.substr(kUtf8Mark.size()));
  } else if (IsUtf8(Bytes)) {
    ini.FEncoding = TIniEncoding::Utf8;
    text = Utf8ToWide(Bytes);
  } else {
    ini.FEncoding = TIniEncoding::Ansi;
    text = AnsiToWide(Bytes);
  }
  ini.Parse(text);
  return ini;
}

TIniFile TIniFile::FromText(const ustring& Text, TIniEncoding Encoding) {
  TIniFile ini;
  ini.FEncoding = Encoding;
  ini.Parse(Text);
  return ini;
}

void TIniFile::Parse(const ustring& Text) {
  FLines.clear();
  size_t start = 0;
  while (start < Text.size()) {
    size_t end = Text.find_first_of(u"\r\n", start);
    if (end == ustring::npos) {
      FLines.push_back(Text.substr(start));
      break;
    }
    FLines.push_back(Text.substr(start, end - start));
    start = end + ((Text[end] == u'\r' && end + 1 < Text.size() && Text[end + 1] == u'\n') ? 2 : 1);
  }
}

bool TIniFile::FindSection(const ustring& Section, size_t& Header, size_t& End) const {
  for (size_t i = 0; i < FLines.size(); ++i) {
    const TLine line = ParseLine(FLines[i]);
    if (line.Kind != TLineKind::Section || !SameName(line.Name, Section)) continue;
    Header = i;
    End = i + 1;
    for (size_t k = i + 1; k < FLines.size(); ++k) {
      const TLine next = ParseLine(FLines[k]);
      if (next.Kind == TLineKind::Section) break;
      if (next.Kind == TLineKind::Key) End = k + 1;
    }
    return true;
  }
  return false;
}

size_t TIniFile::FindKey(const ustring& Section, const ustring& Ident) const {
  size_t header = 0, end = 0;
  if (!FindSection(Section, header, end)) return ustring::npos;
  for (size_t k = header + 1; k < end; ++k) {
    const TLine line = ParseLine(FLines[k]);
    if (line.Kind == TLineKind::Key && SameName(line.Name, Ident)) return k;
  }
  return ustring::npos;
}

bool TIniFile::SectionExists(const ustring& Section) const {
  size_t header = 0, end = 0;
  return FindSection(Section, header, end);
}

bool TIniFile::ValueExists(const ustring& Section, const ustring& Ident) const {
  return FindKey(Section, Ident) != ustring::npos;
}

ustring TIniFile::ReadString(const ustring& Section, const ustring& Ident, const ustring& Default) const {
  const size_t k = FindKey(Section, Ident);
  return k == ustring::npos ? Default : ParseLine(FLines[k]).Value;
}

int32_t TIniFile::ReadInteger(const ustring& Section, const ustring& Ident, int32_t Default) const {
  const std::string text = WideToUtf8(ReadString(Section, Ident, ustring()));
  std::string_view digits = text;
  bool negative = false;
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  int base = 10;
  if (digits.starts_with("0x") || digits.starts_with("0X")) {
    base = 16;
    digits.remove_prefix(2);
  } else if (digits.starts_with("$")) {
    base = 16;
    digits.remove_prefix(1);
  }
  if (digits.empty() || digits[0] == '-' || digits[0] == '+') return Default;
  int64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (error != std::errc() || end != digits.data() + digits.size()) return Default;
  if (negative) value = -value;
  // Hexadecimal may name the bit pattern of a negative number ("0xFFFFFFFF").
  if (base == 16 && !negative && value > INT32_MAX && value <= UINT32_MAX) return static_cast<int32_t>(static_cast<uint32_t>(value));
  if (value < INT32_MIN || value > INT32_MAX) return Default;
  return static_cast<int32_t>(value);
}

bool TIniFile::ReadBool(const ustring& Section, const ustring& Ident, bool Default) const {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TIniFile::WriteString(const ustring& Section, const ustring& Ident, const ustring& Value) {
  if (HasLineBreak(Section) || HasLineBreak(Ident) || HasLineBreak(Value))
    throw EConvertError("an INI section, key or value cannot hold a line break");
  const ustring line = Ident + u"=" + Value;
  if (const size_t k = FindKey(Section, Ident); k != ustring::npos) {
    FLines[k] = line;
    return;
  }
  size_t header = 0, end = 0;
  if (FindSection(Section, header, end)) {
    FLines.insert(FLines.begin() + static_cast<std::ptrdiff_t>(end), line);
    return;
  }
  if (!FLines.empty() && !vxRuntime::Trim(FLines.back()).empty()) FLines.push_back(ustring());
  FLines.push_back(u"[" + Section + u"]");
  FLines.push_back(line);
}

ustring TIniFile::Text() const {
  ustring text;
  for (const ustring& line : FLines) text += line + u"\r\n";
  return text;
}

std::string TIniFile::Bytes() const {
  const ustring text = Text();
  const bool lone = FindLoneSurrogate(text) != std::u16string_view::npos;
  TIniEncoding encoding = FEncoding;
  if (encoding == TIniEncoding::Ansi) {
    // Kept only when the bytes read back as the same text.
    std::string ansi = WideToAnsi(text);
    if (!ansi.starts_with(kUtf8Mark) && !ansi.starts_with(kUtf16LEMark) && !ansi.starts_with(kUtf16BEMark) &&
        (IsUtf8(ansi) ? Utf8ToWide(ansi) : AnsiToWide(ansi)) == text)
      return ansi;
    encoding = TIniEncoding::Utf8Mark;
  }
  if (lone || encoding == TIniEncoding::Utf16LEMark) return std::string(kUtf16LEMark) + WideToUtf16LE(text);
  // A text that begins with U+FEFF would lose it to the mark test on reading.
  if (encoding == TIniEncoding::Utf8 && text.starts_with(u'\uFEFF')) encoding = TIniEncoding::Utf8Mark;
  const std::string utf8 = WideToUtf8(text);
  return encoding == TIniEncoding::Utf8Mark ? std::string(kUtf8Mark) + utf8 : utf8;
}

void TIniFile::UpdateFile() const {
  if (!FFileName.empty()) SaveToFile(FFileName);
}

void TIniFile::SaveToFile(const ustring& FileName) const {
  TAtomicFileStream stream(FileName);
  stream.WriteBuffer(Bytes());
  stream.Commit();
}
