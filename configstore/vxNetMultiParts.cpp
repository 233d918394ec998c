// TvxNet: the parts of a "multipart/form-data" body and their look-ups.
#include <algorithm>
#include <string_view>

#include "configstore/vxNetWeb.h"
#include "core/vxToolsEvo2.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"

namespace {

using vxRuntime::AsciiUpper;

// Trimmed views: the header lines are read in place, without copies.
std::string_view TrimView(std::string_view Text) {
  size_t b = 0, e = Text.size();
  while (b < e && vxRuntime::IsTrimChar(Text[b])) ++b;
  while (e > b && vxRuntime::IsTrimChar(Text[e - 1])) --e;
  return Text.substr(b, e - b);
}

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The first place at or after From where the upper-case Needle stands in
// Text with a to z compared without case.
size_t FindNoCase(std::string_view Text, std::string_view Needle, size_t From) {
  for (size_t at = From; at + Needle.size() <= Text.size(); ++at) {
    size_t k = 0;
    while (k < Needle.size() && UpperAscii(Text[at + k]) == Needle[k]) ++k;
    if (k == Needle.size()) return at;
  }
  return std::string_view::npos;
}

bool IsTokenChar(char c) { return vxRuntime::IsAsciiAlnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'; }

// The value of the parameter Name (upper-case, "=" included) of a header
// line: the first place where it stands as a parameter of its own, not as
// the end of a longer one ("NAME=" inside "FILENAME="). A quoted value runs
// to the next quote (none: no value); an unquoted one to the next ";".
std::string_view ParameterValue(std::string_view Line, std::string_view Name) {
  for (size_t at = FindNoCase(Line, Name, 0); at != std::string_view::npos; at = FindNoCase(Line, Name, at + 1)) {
    if (at > 0 && IsTokenChar(Line[at - 1])) continue;
    const size_t start = at + Name.size();
    if (start < Line.size() && Line[start] == '"') {
      const size_t close = Line.find('"', start + 1);
      return close == std::string_view::npos ? std::string_view() : Line.substr(start + 1, close - start - 1);
    }
    return TrimView(Line.substr(start, Line.find(';', start) - start));
  }
  return {};
}

bool IsAscii(std::string_view Bytes) {
  for (const char c : Bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Header bytes as text: UTF-8 when they are well-formed UTF-8 (what forms
// send), else the system code page. Plain ASCII, the common case, is
// widened directly.
ustring HeaderText(std::string_view Bytes) {
  if (IsAscii(Bytes)) return ustring(Bytes.begin(), Bytes.end());
  return UnknownBytesToWide(Bytes);
}

// A header name upper-cased as UpperStrW does it; for ASCII that is a to z.
ustring HeaderKey(std::string_view Bytes) {
  if (!IsAscii(Bytes)) return UpperStrW(UnknownBytesToWide(Bytes));
  ustring key(Bytes.size(), u'\0');
  for (size_t i = 0; i < Bytes.size(); ++i) key[i] = static_cast<char16_t>(UpperAscii(Bytes[i]));
  return key;
}

void ReadHeaderLine(std::string_view Line, TMultiPart& Part, bool LowerCaseContentType) {
  const size_t colon = Line.find(':');
  if (colon == std::string_view::npos) return;
  const std::string_view key = TrimView(Line.substr(0, colon));
  if (key.empty()) return;
  const std::string_view value = TrimView(Line.substr(colon + 1));
  TvxKeyValue& header = Part.Header.emplace_back(TvxKeyValue{HeaderKey(key), HeaderText(value)});
  if (header.Key == u"CONTENT-DISPOSITION") {
    const std::string_view name = ParameterValue(Line, "NAME=");
    Part.Name.assign(name);
    Part.SORTL = AsciiUpper(Part.Name);
    Part.FileName = HeaderText(ParameterValue(Line, "FILENAME="));
  } else if (header.Key == u"CONTENT-TYPE") {
    Part.CType = LowerCaseContentType ? vxRuntime::AsciiLower(value) : std::string(value);
  }
}

}  // namespace

namespace TvxNet {

bool ParseMultiPartData(const std::string& Data, TMultiParts& MultiParts, bool LowerCaseContentType) {
  if (Data.empty()) return false;
  MultiParts.clear();
  const size_t firstLineEnd = Data.find('\n');
  const size_t firstLineLength = firstLineEnd == std::string::npos ? Data.size() : firstLineEnd + 1;
  const std::string delimiter(TrimView(std::string_view(Data).substr(0, firstLineLength)));
  if (delimiter.empty()) return false;

  size_t p = 0;  // just after the last delimiter (the start at first)
  // Each part's content is scanned once: the delimiter after it is found by
  // the loop's test and reused as long as it lies beyond the part's start.
  size_t next = p + delimiter.size() + 1 < Data.size() ? Data.find(delimiter, p) : std::string::npos;
  while (next != std::string::npos) {
    // The header lines begin on the line after the delimiter.
    const size_t lineEnd = Data.find('\n', p);
    if (lineEnd == std::string::npos) return false;
    p = lineEnd + 1;
    // Searching from the delimiter line's own line break finds the empty
    // line of a part without headers as well.
    const size_t blankLine = Data.find("\r\n\r\n", p >= 2 ? p - 2 : 0);
    if (next < p) next = Data.find(delimiter, p);
    if (blankLine == std::string::npos || next == std::string::npos || next < blankLine) return false;
    const size_t contentStart = blankLine + 4;
    const size_t contentEnd = next >= contentStart ? next : Data.find(delimiter, contentStart);
    if (contentEnd == std::string::npos) return false;

    TMultiPart& part = MultiParts.emplace_back();
    part.Header.reserve(4);
    // The header lines, each through its line feed, the last one ended by
    // the empty line.
    const std::string_view headers(Data.data() + p, blankLine > p ? blankLine - p : 0);
    size_t lineStart = 0;
    while (lineStart <= headers.size()) {
      const size_t end = std::min(headers.find('\n', lineStart), headers.size());
      ReadHeaderLine(TrimView(headers.substr(lineStart, end - lineStart)), part, LowerCaseContentType);
      lineStart = end + 1;
    }
    // The content without the CR LF in front of the delimiter.
    if (contentEnd >= contentStart + 2) part.Data.assign(Data, contentStart, contentEnd - contentStart - 2);
    p = contentEnd + delimiter.size();
    next = p + delimiter.size() + 1 < Data.size() ? Data.find(delimiter, p) : std::string::npos;
  }
  // After the last delimiter comes its closing "--" or nothing but line
  // ends; anything else is a part cut off before its delimiter line.
  return Data.compare(p, 2, "--") == 0 || TrimView(std::string_view(Data).substr(p)).empty();
}

int32_t GetMultiPartId(const TMultiParts& MultiParts, const std::string& Param) {
  const std::string key = AsciiUpper(Param);
  for (size_t i = 0; i < MultiParts.size(); ++i)
    if (MultiParts[i].SORTL == key) return static_cast<int32_t>(i);
  return -1;
}

std::string GetMultiPartData(const TMultiParts& MultiParts, const std::string& Param, const std::string& Default) {
  const int32_t index = GetMultiPartId(MultiParts, Param);
  return index < 0 ? Default : MultiParts[static_cast<size_t>(index)].Data;
}

ustring GetMultiPartHeaderValue(const TMultiPart& MultiPart, const ustring& HeaderKey, const ustring& Default) {
  const ustring key = UpperStrW(HeaderKey);
  for (const TvxKeyValue& header : MultiPart.Header)
    if (header.Key == key) return header.Value;
  return Default;
}

}  // namespace TvxNet
