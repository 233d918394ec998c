// TvxNet: the parts of a "multipart/form-data" body and their look-ups.
#include "configstore/vxNetWeb.h"
#include "core/vxStringsReplace.h"
#include "core/vxToolsEvo2.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"

namespace {

using vxRuntime::AsciiUpper;
using vxRuntime::Trim;

bool IsTokenChar(char c) { return vxRuntime::IsAsciiAlnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'; }

// The value of the parameter Name (upper-case, "=" included) of a header
// line: the first place where it stands as a parameter of its own, not as
// the end of a longer one ("NAME=" inside "FILENAME="). A quoted value runs
// to the next quote (none: no value); an unquoted one to the next ";".
// False when the parameter is missing.
bool ParameterValue(const std::string& Line, const std::string& UpperLine, const std::string& Name,
                    std::string& Value) {
  for (size_t at = UpperLine.find(Name); at != std::string::npos; at = UpperLine.find(Name, at + 1)) {
    if (at > 0 && IsTokenChar(UpperLine[at - 1])) continue;
    const size_t start = at + Name.size();
    if (start < Line.size() && Line[start] == '"') {
      const size_t close = Line.find('"', start + 1);
      Value = close == std::string::npos ? std::string() : Line.substr(start + 1, close - start - 1);
    } else {
      const size_t semicolon = Line.find(';', start);
      Value = Trim(Line.substr(start, semicolon == std::string::npos ? std::string::npos : semicolon - start));
    }
    return true;
  }
  return false;
}

// Header bytes as text: UTF-8 when they are well-formed UTF-8 (what forms
// send), else the system code page.
ustring HeaderText(const std::string& Bytes) { return UnknownBytesToWide(Bytes); }

void ReadHeaderLine(const std::string& Line, TMultiPart& Part, bool LowerCaseContentType) {
  const size_t colon = Line.find(':');
  if (colon == std::string::npos) return;
  const std::string key = Trim(Line.substr(0, colon));
  if (key.empty()) return;
  const std::string value = Trim(Line.substr(colon + 1));
  const ustring upperKey = UpperStrW(HeaderText(key));
  Part.Header.push_back({upperKey, HeaderText(value)});
  if (upperKey == u"CONTENT-DISPOSITION") {
    const std::string upperLine = AsciiUpper(Line);
    std::string name, fileName;
    ParameterValue(Line, upperLine, "NAME=", name);
    ParameterValue(Line, upperLine, "FILENAME=", fileName);
    Part.Name = name;
    Part.SORTL = AsciiUpper(name);
    Part.FileName = HeaderText(fileName);
  } else if (upperKey == u"CONTENT-TYPE") {
    Part.CType = LowerCaseContentType ? vxRuntime::AsciiLower(value) : value;
  }
}

}  // namespace

namespace TvxNet {

bool ParseMultiPartData(const std::string& Data, TMultiParts& MultiParts, bool LowerCaseContentType) {
  if (Data.empty()) return false;
  MultiParts.clear();
  const size_t firstLineEnd = Data.find('\n');
  const std::string delimiter =
      Trim(firstLineEnd == std::string::npos ? Data : Data.substr(0, firstLineEnd + 1));
  if (delimiter.empty()) return false;
  const int32_t occurrences = TvxStrings::GetStrCount(Data, delimiter);
  if (occurrences > 1) MultiParts.reserve(static_cast<size_t>(occurrences - 1));

  size_t p = 0;  // just after the last delimiter (the start at first)
  while (p + delimiter.size() + 1 < Data.size() && Data.find(delimiter, p) != std::string::npos) {
    // The header lines begin on the line after the delimiter.
    const size_t lineEnd = Data.find('\n', p);
    if (lineEnd == std::string::npos) return false;
    p = lineEnd + 1;
    // Searching from the delimiter line's own line break finds the empty
    // line of a part without headers as well.
    const size_t blankLine = Data.find("\r\n\r\n", p >= 2 ? p - 2 : 0);
    const size_t nextDelimiter = Data.find(delimiter, p);
    if (blankLine == std::string::npos || nextDelimiter == std::string::npos || nextDelimiter < blankLine)
      return false;
    const size_t contentStart = blankLine + 4;
    const size_t contentEnd = Data.find(delimiter, contentStart);
    if (contentEnd == std::string::npos) return false;

    TMultiPart& part = MultiParts.emplace_back();
    std::string headers = blankLine > p ? Data.substr(p, blankLine - p) : std::string();
    headers += '\n';
    size_t lineStart = 0;
    for (size_t end = headers.find('\n'); end != std::string::npos; end = headers.find('\n', lineStart)) {
      ReadHeaderLine(Trim(headers.substr(lineStart, end + 1 - lineStart)), part, LowerCaseContentType);
      lineStart = end + 1;
    }
    // The content without the CR LF in front of the delimiter.
    part.Data = contentEnd >= contentStart + 2 ? Data.substr(contentStart, contentEnd - contentStart - 2) : std::string();
    p = contentEnd + delimiter.size();
  }
  // After the last delimiter comes its closing "--" or nothing but line
  // ends; anything else is a part cut off before its delimiter line.
  return Data.compare(p, 2, "--") == 0 || vxRuntime::Trim(Data.substr(p)).empty();
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
