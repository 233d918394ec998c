// The text format of a registry file: writing a key tree, and parsing one
// with errors that name the file and the line.
#include "platform/registry/vxRegText.h"

#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <utility>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/text/vxCaseMap.h"

namespace vxRegFile {

// ---------------------------------------------------------------- writing

namespace {

void AppendHex(std::string& out, uint64_t number, int minDigits) { vxRuntime::AppendHex(out, number, minDigits, false); }

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// Text in quotation marks, escaped so that any UTF-16 text comes back as it
// was, written straight as UTF-8. Unit(i) gives the i-th of Count units.
template <class UnitAt>
void AppendQuotedUnits(std::string& out, size_t count, UnitAt unitAt) {
  out.push_back('"');
  for (size_t i = 0; i < count; ++i) {
    const char16_t unit = unitAt(i);
    switch (unit) {
      case u'\\': out += "\\\\"; continue;
      case u'"': out += "\\\""; continue;
      case u'\n': out += "\\n"; continue;
      case u'\r': out += "\\r"; continue;
      case u'\t': out += "\\t"; continue;
      case u'\0': out += "\\0"; continue;
      default: break;
    }
    if (U16_IS_LEAD(unit) && i + 1 < count && U16_IS_TRAIL(unitAt(i + 1))) {
      AppendUtf8(out, U16_GET_SUPPLEMENTARY(unit, unitAt(i + 1)));
      ++i;
    } else if (IsControlUnit(unit) || U16_IS_SURROGATE(unit)) {
      out += "\\x";
      AppendHex(out, unit, 4);
    } else {
      AppendUtf8(out, unit);
    }
  }
  out.push_back('"');
}

void AppendQuoted(std::string& out, std::u16string_view text) {
  AppendQuotedUnits(out, text.size(), [text](size_t i) { return text[i]; });
}

void AppendHexList(std::string& out, std::string_view data) {
  for (size_t i = 0; i < data.size(); ++i) {
    if (i > 0) out.push_back(',');
    AppendHex(out, static_cast<unsigned char>(data[i]), 2);
  }
}

// Text data that the quoted form can carry: whole units ending in one 0 unit.
bool IsTextData(std::string_view data) {
  return data.size() >= 2 && data.size() % 2 == 0 && data[data.size() - 1] == '\0' && data[data.size() - 2] == '\0';
}

void AppendData(std::string& out, const TRegValue& value) {
  const std::string& data = value.Data;
  if ((value.Type == REG_SZ || value.Type == REG_EXPAND_SZ || value.Type == REG_MULTI_SZ) && IsTextData(data)) {
    if (value.Type != REG_SZ) {
      out += "str(";
      AppendHex(out, value.Type, 1);
      out += "):";
    }
    // The UTF-16LE units without the final 0, read in place.
    AppendQuotedUnits(out, data.size() / 2 - 1, [&data](size_t i) {
      return static_cast<char16_t>(static_cast<unsigned char>(data[2 * i]) |
                                   (static_cast<unsigned char>(data[2 * i + 1]) << 8));
    });
  } else if (value.Type == REG_DWORD && data.size() == 4) {
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(data[static_cast<size_t>(i)]);
    out += "dword:";
    AppendHex(out, number, 8);
  } else if (value.Type == REG_BINARY) {
    out += "hex:";
    AppendHexList(out, data);
  } else {
    out += "hex(";
    AppendHex(out, value.Type, 1);
    out += "):";
    AppendHexList(out, data);
  }
}

void AppendValueLine(std::string& out, const TRegValue& value) {
  if (value.Name.empty()) {
    out.push_back('@');
  } else {
    AppendQuoted(out, value.Name);
  }
  out.push_back('=');
  AppendData(out, value);
  out.push_back('\n');
}

// Writes a tree; with Previous (the text the values' positions refer to) the
// lines of unchanged values are copied from it, runs of them at once, and
// every value's position is moved to the new text.
class TFormatter {
 public:
  TFormatter(std::string_view previous, bool keepPositions, std::string buffer)
      : FPrevious(previous), FKeepPositions(keepPositions), FOut(std::move(buffer)) {
    FOut.clear();
    FOut.reserve(previous.size() + 4096);
  }

  std::string Format(const TRegKeyNode& root) {
    FOut += "REGEDIT4\n";
    std::string path = WideToUtf8(root.Name());
    AppendKey(root, path, true);
    Flush();
    return std::move(FOut);
  }

 private:
  void AppendKey(const TRegKeyNode& key, std::string& path, bool isRoot) {
    if (!isRoot || !key.Values().empty()) {
      Flush();
      FOut += "\n[";
      FOut += path;
      FOut += "]\n";
      for (const TRegValue& value : key.Values()) AppendValue(value);
    }
    for (const auto& sub : key.SubKeys()) {
      const size_t length = path.size();
      path.push_back('\\');
      path += WideToUtf8(sub->Name());
      AppendKey(*sub, path, false);
      path.resize(length);
    }
  }

  void AppendValue(const TRegValue& value) {
    // Where the line will stand in the new text, once pending copies are made.
    const size_t at = FOut.size() + FRunLength;
    if (FKeepPositions && value.TextLength != 0 && value.TextOffset <= FPrevious.size() &&
        value.TextLength <= FPrevious.size() - value.TextOffset) {
      if (FRunLength == 0 || FRunStart + FRunLength != value.TextOffset) {
        Flush();
        FRunStart = value.TextOffset;
      }
      FRunLength += value.TextLength;
    } else {
      Flush();
      AppendValueLine(FOut, value);
    }
    if (FKeepPositions) {
      // The tree is the caller's own (FormatRegText with a previous text).
      TRegValue& kept = const_cast<TRegValue&>(value);
      kept.TextLength = FOut.size() + FRunLength - at;
      kept.TextOffset = at;
    }
  }

  void Flush() {
    if (FRunLength != 0) FOut.append(FPrevious.substr(FRunStart, FRunLength));
    FRunLength = 0;
  }

  std::string_view FPrevious;
  bool FKeepPositions;
  std::string FOut;
  size_t FRunStart = 0;
  size_t FRunLength = 0;
};

}  // namespace

std::string FormatRegText(const TRegKeyNode& root) { return TFormatter({}, false, {}).Format(root); }

std::string FormatRegText(TRegKeyNode& root, std::string_view previous, std::string buffer) {
  return TFormatter(previous, true, std::move(buffer)).Format(root);
}

// ---------------------------------------------------------------- reading

namespace {

bool IsBlank(char16_t unit) { return unit == u' ' || unit == u'\t'; }

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

using vxRuntime::HexDigitValue;

// Reads a number of 1 to MaxDigits hex digits that makes up all of Text.
bool ParseHexNumber(std::u16string_view text, size_t maxDigits, uint64_t& number) {
  if (text.empty() || text.size() > maxDigits) return false;
  number = 0;
  for (const char16_t unit : text) {
    const int digit = HexDigitValue(unit);
    if (digit < 0) return false;
    number = (number << 4) | static_cast<uint64_t>(digit);
  }
  return true;
}

class TParser {
 public:
  TParser(std::string_view text, const ustring& rootName, const std::string& fileName)
      : FStart(text.data()), FText(text), FRootName(rootName), FFileName(fileName) {}

  std::unique_ptr<TRegKeyNode> Parse() {
    auto root = std::make_unique<TRegKeyNode>(FRootName);
    if (FText.substr(0, 3) == "\xEF\xBB\xBF") FText.remove_prefix(3);
    bool sawHeader = false;
    TRegKeyNode* key = nullptr;
    ustring line;
    while (NextLine(line)) {
      const std::u16string_view text = TrimBlanks(line);
      if (text.empty() || text.front() == u';') continue;
      if (!sawHeader) {
        if (text != u"REGEDIT4") Fail("the file does not start with \"REGEDIT4\"");
        sawHeader = true;
      } else if (text.front() == u'[') {
        key = &ParseKeyLine(*root, text);
      } else if (key == nullptr) {
        Fail("a value before the first key");
      } else {
        ParseValueLine(*key, text);
      }
    }
    return root;
  }

 private:
  // The next line as UTF-16, without its line break; false at the end.
  bool NextLine(ustring& line) {
    if (FText.empty()) return false;
    ++FLineNumber;
    size_t end = FText.find('\n');
    std::string_view bytes = FText.substr(0, end);
    // The line with its line feed, as the writer would have written it.
    FLine = end == std::string_view::npos ? std::string_view() : FText.substr(0, end + 1);
    FText.remove_prefix(end == std::string_view::npos ? FText.size() : end + 1);
    if (!bytes.empty() && bytes.back() == '\r') bytes.remove_suffix(1);
    line.assign(bytes.size(), u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(reinterpret_cast<UChar*>(line.data()), static_cast<int32_t>(line.size()), &length, bytes.data(),
                  static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status)) Fail("the line is not valid UTF-8");
    line.resize(static_cast<size_t>(length));
    return true;
  }

  [[noreturn]] void Fail(const std::string& what) const {
    throw ERegistryException(("registry file \"" + FFileName + "\", line " + std::to_string(FLineNumber) + ": " + what)
                                 .c_str());
  }

  TRegKeyNode& ParseKeyLine(TRegKeyNode& root, std::u16string_view text) {
    if (text.size() < 2 || text.back() != u']') Fail("a key line that does not end with \"]\"");
    std::u16string_view path = text.substr(1, text.size() - 2);
    const size_t rootEnd = path.find(u'\\');
    if (vxCaseMap::Upper(path.substr(0, rootEnd)) != vxCaseMap::Upper(FRootName)) {
      Fail("a key that is not under " + WideToUtf8(FRootName));
    }
    std::vector<ustring> names;
    if (rootEnd != std::u16string_view::npos) {
      path.remove_prefix(rootEnd + 1);
      while (true) {
        const size_t end = path.find(u'\\');
        names.emplace_back(path.substr(0, end));
        if (end == std::u16string_view::npos) break;
        path.remove_prefix(end + 1);
      }
    }
    try {
      bool created = false;
      return root.ObtainPath(names, created);
    } catch (const ERegistryException& error) {
      Fail(error.what());
    }
  }

  void ParseValueLine(TRegKeyNode& key, std::u16string_view text) {
    const std::string_view line = FLine;
    size_t position = 0;
    ustring name;
    if (text.front() == u'@') {
      position = 1;
    } else if (text.front() == u'"') {
      name = ReadQuoted(text, position);
    } else {
      Fail("a line that is neither a key nor a value");
    }
    if (position >= text.size() || text[position] != u'=') Fail("a value name without \"=\"");
    std::u16string_view data = text.substr(position + 1);

    uint32_t type = REG_NONE;
    std::string bytes;
    if (!data.empty() && data.front() == u'"') {
      type = REG_SZ;
      bytes = ReadWholeQuoted(data);
    } else if (data.starts_with(u"str(")) {
      type = ReadTypeCode(data, 4);
      bytes = ReadWholeQuoted(data);
    } else if (data.starts_with(u"dword:")) {
      uint64_t number = 0;
      if (!ParseHexNumber(data.substr(6), 8, number)) Fail("dword data that is not 1 to 8 hex digits");
      for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((number >> (8 * i)) & 0xFF));
      type = REG_DWORD;
    } else if (data.starts_with(u"hex:")) {
      type = REG_BINARY;
      bytes = ReadHexList(data.substr(4));
    } else if (data.starts_with(u"hex(")) {
      type = ReadTypeCode(data, 4);
      bytes = ReadHexList(data);
    } else {
      Fail("value data of an unknown form");
    }
    TRegValue& value = key.SetValue(name, type, std::move(bytes));
    // A line in the writer's own form is copied, not written again, when the
    // tree is written next.
    FCanonical.clear();
    AppendValueLine(FCanonical, value);
    if (FCanonical == line) {
      value.TextOffset = static_cast<size_t>(line.data() - FStart);
      value.TextLength = line.size();
    } else {
      value.TextLength = 0;
    }
  }

  // Reads the "N):" of "str(N):" or "hex(N):" from Data at Position and
  // leaves Data after the colon.
  uint32_t ReadTypeCode(std::u16string_view& data, size_t position) {
    const size_t close = data.find(u"):", position);
    uint64_t code = 0;
    if (close == std::u16string_view::npos || !ParseHexNumber(data.substr(position, close - position), 8, code)) {
      Fail("a type code that is not 1 to 8 hex digits");
    }
    data.remove_prefix(close + 2);
    return static_cast<uint32_t>(code);
  }

  // A quoted text that makes up all of Data, as text data.
  std::string ReadWholeQuoted(std::u16string_view data) {
    if (data.empty() || data.front() != u'"') Fail("text data without its opening quotation mark");
    size_t position = 0;
    const ustring text = ReadQuoted(data, position);
    if (position != data.size()) Fail("characters after the closing quotation mark");
    return EncodeText(text);
  }

  // The quoted text at Position; Position moves past its closing mark.
  ustring ReadQuoted(std::u16string_view text, size_t& position) {
    ustring result;
    ++position;  // the opening mark
    while (true) {
      if (position >= text.size()) Fail("a text without its closing quotation mark");
      const char16_t unit = text[position++];
      if (unit == u'"') return result;
      if (unit != u'\\') {
        result.push_back(unit);
        continue;
      }
      if (position >= text.size()) Fail("a text without its closing quotation mark");
      const char16_t escape = text[position++];
      switch (escape) {
        case u'\\': result.push_back(u'\\'); break;
        case u'"': result.push_back(u'"'); break;
        case u'n': result.push_back(u'\n'); break;
        case u'r': result.push_back(u'\r'); break;
        case u't': result.push_back(u'\t'); break;
        case u'0': result.push_back(u'\0'); break;
        case u'x': {
          uint64_t unitCode = 0;
          if (position + 4 > text.size() || !ParseHexNumber(text.substr(position, 4), 4, unitCode)) {
            Fail("\"\\x\" not followed by four hex digits");
          }
          result.push_back(static_cast<char16_t>(unitCode));
          position += 4;
          break;
        }
        default: Fail("an unknown escape in a text");
      }
    }
  }

  // Hex bytes separated by commas; a line ending in "\" goes on in the next.
  std::string ReadHexList(std::u16string_view first) {
    ustring list(first);
    while (!list.empty() && list.back() == u'\\') {
      list.pop_back();
      ustring next;
      if (!NextLine(next)) Fail("a hex list that goes on past the end of the file");
      list += TrimBlanks(next);
    }
    std::string bytes;
    std::u16string_view rest = TrimBlanks(list);
    while (!rest.empty()) {
      const size_t comma = rest.find(u',');
      uint64_t byte = 0;
      if (!ParseHexNumber(TrimBlanks(rest.substr(0, comma)), 2, byte)) Fail("a hex list item that is not a byte");
      bytes.push_back(static_cast<char>(byte));
      if (comma == std::u16string_view::npos) break;
      rest.remove_prefix(comma + 1);
      if (TrimBlanks(rest).empty()) Fail("a hex list that ends with a comma");
    }
    return bytes;
  }

  const char* FStart;     // the whole text, for the positions of lines
  std::string_view FText;  // what is left to read
  std::string_view FLine;  // the last line read, with its line feed (empty without)
  std::string FCanonical;
  const ustring& FRootName;
  const std::string& FFileName;
  size_t FLineNumber = 0;
};

}  // namespace

std::unique_ptr<TRegKeyNode> ParseRegText(std::string_view text, const ustring& rootName,
                                          const std::string& fileName) {
  return TParser(text, rootName, fileName).Parse();
}

}  // namespace vxRegFile
