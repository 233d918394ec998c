// The request/answer string: builder, parser and lookups. The parser walks
// the text once with positions (no repeated cutting of the remaining text),
// so a long or deeply bracketed string costs linear time.
#include "foundation/vxComTools.h"

#include <string_view>
#include <utility>

#include "core/vxConversion.h"
#include "core/vxFilesContent.h"
#include "core/vxStringsFold.h"
#include "core/vxStringsIds.h"
#include "core/vxToolsEvo2.h"
#include "foundation/vxBase64.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxFileSystem.h"

namespace TvxComTools {

namespace {

using vxStringsFold::UpperThroughWide;

std::string LowerThroughWide(std::string_view text) { return WideToAnsi(LowerStrW(AnsiToWide(text))); }

// The texts of the tags between "<" and ">", as the parser's first step
// cuts them: views into Request.
std::vector<std::string_view> CutTokens(std::string_view text) {
  std::vector<std::string_view> tokens;
  constexpr auto npos = std::string_view::npos;
  size_t pos = 0;
  bool noMoreOpen = false;  // no "<" at or after pos: none will come
  for (;;) {
    size_t close = text.find('>', pos);
    if (close == npos) break;
    if (!noMoreOpen) {
      const size_t open = text.find('<', pos);
      if (open == npos) {
        noMoreOpen = true;
      } else {
        pos = open + 1;
        if (close < pos) close = text.find('>', pos);
        if (close == npos) break;
      }
    }
    if (close > pos) tokens.push_back(text.substr(pos, close - pos));
    pos = close + 1;
  }
  return tokens;
}

// Name and value of an item text: before and after its first "=".
std::pair<std::string_view, std::string_view> SplitItem(std::string_view item) {
  const size_t eq = item.find('=');
  if (eq == std::string_view::npos) return {std::string_view(), std::string_view()};
  return {item.substr(0, eq), item.substr(eq + 1)};
}

// Only a name of the tag's length can lower-case to it.
bool IsTagName(std::string_view name, std::string_view tag) {
  return name.size() == tag.size() && LowerThroughWide(name) == tag;
}

}  // namespace

bool AddComParam(const std::string& Param, const std::string& Value, TComRes& ComList) {
  try {
    ComList.push_back(Param + "=" + Value);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

namespace {

std::string ObjectKey(const std::string& filename) {
  ustring extension = vxFileSystem::ExtractFileExt(AnsiToWide(filename));
  if (!extension.empty()) extension.erase(0, 1);
  return "obj(" + WideToAnsi(LowerStrW(extension)) + ")";
}

}  // namespace

bool AddObjectComParam(const std::string& filename, TComRes& ComList) {
  try {
    std::string content;
    if (!TvxFiles::LoadFileToString(AnsiToWide(filename), content)) return false;
    ComList.push_back(ObjectKey(filename) + "=" + content);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool AddObjectContentComParam(const std::string& filename, const std::string& content, TComRes& ComList) {
  try {
    ComList.push_back(ObjectKey(filename) + "=" + content);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::string BuiltComString(const std::string& ComTyp, bool encode, bool compress, TComRes& ComList) {
  if (compress) encode = true;
  // Encode into a copy first, so a failure leaves the caller's list as it was.
  TComRes written = ComList;
  std::string items;
  for (std::string& element : written) {
    if (compress) element = TvxStrings::CompressString(element);
    if (encode) element = TvxBase64::StrToBase64(element, false);
    items += '<';
    items += element;
    items += '>';
  }
  std::string result = "<" + ComTyp + ">";
  result += encode ? "<enc=mime>" : "<enc=none>";
  result += compress ? "<comp=true>" : "<comp=false>";
  result += items;
  result += "</" + ComTyp + ">";
  ComList = std::move(written);
  return result;
}

bool ParseComAnswer(const std::string& Request, std::string& ComTyp, TComResExt& ComList, bool ParseParVal) {
  std::vector<std::string_view> tokens = CutTokens(Request);
  if (tokens.size() < 2) return false;
  const std::string type = UpperThroughWide(std::string(tokens.front()));
  // The closing tag must be "/" + type; compare lengths before folding a long last tag.
  if (tokens.back().size() != type.size() + 1 || "/" + type != UpperThroughWide(std::string(tokens.back())))
    return false;
  tokens.erase(tokens.begin());
  tokens.pop_back();

  bool encoded = false;
  bool compressed = false;
  if (ParseParVal) {
    int tagsTaken = 0;
    for (size_t i = 0; i < tokens.size() && tagsTaken < 2;) {
      const auto [name, value] = SplitItem(tokens[i]);
      if (IsTagName(name, "comp")) {
        compressed = TvxConversion::StrToBool(AnsiToWide(value));
      } else if (IsTagName(name, "enc")) {
        if (IsTagName(value, "mime")) encoded = true;
      } else {
        ++i;
        continue;
      }
      tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i));
      ++tagsTaken;
    }
  }

  TComResExt parts;
  parts.reserve(tokens.size());
  for (size_t i = 0; i < tokens.size(); ++i) {
    TComPart part;
    if (!ParseParVal) {
      part.Param = TvxConversion::IntToStr(static_cast<int64_t>(i));
      part.Value = tokens[i];
    } else {
      std::string text(tokens[i]);
      if (encoded) text = TvxBase64::Base64ToStr(text);
      if (compressed) text = TvxStrings::DecompressString(text);
      const size_t eq = text.find('=');
      if (eq != std::string::npos) {
        part.OrgParam = text.substr(0, eq);
        part.Value = text.substr(eq + 1);
        part.Param = UpperThroughWide(part.OrgParam);
      } else {
        part.Value = tokens[i];  // as it stood, not decoded
      }
    }
    parts.push_back(std::move(part));
  }
  ComTyp = type;
  ComList = std::move(parts);
  return true;
}

std::string GetComType(const std::string& Request) {
  std::string_view rest = Request;
  const size_t open = rest.find('<');
  if (open != std::string_view::npos) rest.remove_prefix(open + 1);
  const size_t close = rest.find('>');
  if (close == std::string_view::npos) return {};
  return UpperThroughWide(vxRuntime::Trim<char>(rest.substr(0, close)));
}

int32_t GetComParamId(const TComResExt& ComList, const std::string& Param) {
  const std::string key = UpperThroughWide(Param);
  for (size_t i = 0; i < ComList.size(); ++i)
    if (ComList[i].Param == key) return static_cast<int32_t>(i);
  return -1;
}

std::string GetComParamExt(const TComResExt& ComList, const std::string& Param, const std::string& Default) {
  const int32_t id = GetComParamId(ComList, Param);
  return id < 0 ? Default : ComList[static_cast<size_t>(id)].Value;
}

std::string GetComParam(const TComResExt& ComList, const std::string& Param) {
  return GetComParamExt(ComList, Param, std::string());
}

uint32_t GetComParamSize(const TComResExt& ComList, const std::string& Param) {
  const int32_t id = GetComParamId(ComList, Param);
  return id < 0 ? 0 : static_cast<uint32_t>(ComList[static_cast<size_t>(id)].Value.size());
}

bool ComParamExists(const TComResExt& ComList, const std::string& Param) {
  const std::string key = UpperThroughWide(Param);
  for (const TComPart& part : ComList)
    if (UpperThroughWide(part.Param) == key) return true;
  return false;
}

int32_t GetFreeComParam(const TComResExt& ComList) {
  for (size_t i = 0; i < ComList.size(); ++i)
    if (ComList[i].Param.empty()) return static_cast<int32_t>(i);
  return -1;
}

std::string GetComListParamExt(const TComRes& ComList, const std::string& Param, const std::string& Default) {
  const std::string key = UpperThroughWide(Param);
  for (const std::string& element : ComList) {
    // An element without "=" has an empty key and its whole text as value.
    const size_t eq = element.find('=');
    const std::string_view name = eq == std::string::npos ? std::string_view() : std::string_view(element).substr(0, eq);
    if (name == key) return eq == std::string::npos ? element : element.substr(eq + 1);
  }
  return Default;
}

}  // namespace TvxComTools
