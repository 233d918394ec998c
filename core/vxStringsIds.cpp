// Identifiers, the compressed text format and the default placeholders.
#include "core/vxStringsIds.h"

#include <cstdint>
#include <optional>

#include "core/vxDateTimeStamps.h"
#include "core/vxStringsReplace.h"
#include "core/vxToolsSystem.h"
#include "platform/base/vxCodePage.h"
#include "core/vxToolsEvo2.h"
#include "platform/time/vxDateUtils.h"

namespace TvxStrings {
namespace {

constexpr int kBestCompression = 9;
constexpr size_t kLengthBytes = 4;
constexpr uint32_t kMaxTextLength = 0x7FFFFFFF;  // the length field stays below 2^31

// One placeholder value, worked out on first use and kept for the call.
class TLazyText {
 public:
  explicit TLazyText(std::function<ustring()> make) : FMake(std::move(make)) {}
  const ustring& Get() {
    if (!FValue) FValue = FMake();
    return *FValue;
  }

 private:
  std::function<ustring()> FMake;
  std::optional<ustring> FValue;
};

}  // namespace

std::string CreateGuidStr() { return TvxTools::CreateGuidStr(); }

TIdType CreateId() { return TvxTools::CreateId(); }

TPlaceholderSources TPlaceholderSources::System() {
  TPlaceholderSources s;
  s.Now = [] { return vxRuntime::Now(); };
  s.UserName = [] { return TvxTools::GetUserName(); };
  s.ComputerName = [] { return TvxTools::GetComputerName(); };
  s.UserPrincipalName = [] { return TvxTools::GetUserNameEx(8); };
  s.FullyQualifiedHostName = [] { return TvxTools::GetComputerNameEx(3); };
  s.NewGuid = [] { return TvxTools::CreateGuidStr(); };
  s.Settings = []() -> const TFormatSettings& { return FormatSettings(); };
  return s;
}

ustring CheckDefaultPlaceHolders(const ustring& Text, const ustring& UserName, const ustring& HostName) {
  if (Text.find(u'%') == ustring::npos) return Text;
  return CheckDefaultPlaceHolders(Text, UserName, HostName, TPlaceholderSources::System());
}

ustring CheckDefaultPlaceHolders(const ustring& Text, const ustring& UserName, const ustring& HostName,
                                 const TPlaceholderSources& Sources) {
  if (Text.find(u'%') == ustring::npos) return Text;

  const TFormatSettings& settings = Sources.Settings();
  // The clock is read anew for each placeholder.
  auto now = [&](const char16_t* pattern) {
    return [&, pattern] { return vxRuntime::FormatDateTime(pattern, Sources.Now(), settings); };
  };
  TLazyText user([&] { return UserName.empty() ? Sources.UserName() : UserName; });
  TLazyText host([&] { return HostName.empty() ? Sources.ComputerName() : HostName; });
  auto userValue = [&] { return user.Get(); };
  auto hostValue = [&] { return host.Get(); };

  struct TPlaceholder {
    const char16_t* Name;  // as written, all lower case
    std::function<ustring()> Value;
  };
  const TPlaceholder placeholders[] = {
      {u"%timestamp", now(u"yyyymmddhhnnsszzz")},
      {u"%date", now(u"ddddd")},
      {u"%longdate", now(u"dddddd")},
      {u"%shortdate", now(u"ddddd")},
      {u"%time", now(u"tt")},
      {u"%shorttime", now(u"t")},
      {u"%longtime", now(u"tt")},
      {u"%dayname", now(u"dddd")},
      {u"%day", now(u"dddd")},
      {u"%month", now(u"mmmm")},
      {u"%year", now(u"yyyy")},
      {u"%hour", now(u"hh")},
      {u"%minute", now(u"nn")},
      {u"%dddddd", now(u"dddddd")},
      {u"%ddddd", now(u"ddddd")},
      {u"%dddd", now(u"dddd")},
      {u"%ddd", now(u"ddd")},
      {u"%dd", now(u"dd")},
      {u"%d", now(u"d")},
      {u"%mmmm", now(u"mmmm")},
      {u"%mmm", now(u"mmm")},
      {u"%mm", now(u"mm")},
      {u"%m", now(u"m")},
      {u"%yyyy", now(u"yyyy")},
      {u"%yy", now(u"yy")},
      {u"%hh", now(u"hh")},
      {u"%nn", now(u"nn")},
      {u"%ss", now(u"ss")},
      {u"%zzz", now(u"zzz")},
      {u"%quarter", [&] { return Utf8ToWide(std::to_string(TvxDateTime::GetQuarter(Sources.Now()))); }},
      {u"%id", [&] { return AnsiToWide(TvxTools::GuidStrToId(Sources.NewGuid()).Str()); }},
      {u"%guid", [&] { return AnsiToWide(Sources.NewGuid()); }},
      {u"%username", userValue},
      {u"%userprincipal", [&] { return Sources.UserPrincipalName(); }},
      {u"%user", userValue},
      {u"%computername", hostValue},
      {u"%computer", hostValue},
      {u"%hostdnsfullqualified", [&] { return Sources.FullyQualifiedHostName(); }},
      {u"%host", hostValue},
  };

  ustring text = Text;
  for (const TPlaceholder& placeholder : placeholders) {
    const ustring lower = placeholder.Name;
    const ustring upper = UpperStrW(lower);
    const bool hasLower = text.find(lower) != ustring::npos;
    if (!hasLower && text.find(upper) == ustring::npos) continue;
    // Not ReplaceW: its equal-ignoring-case shortcut would skip this step.
    if (hasLower) text = ReplaceExactW(text, lower, upper);
    text = ReplaceExactW(text, upper, placeholder.Value());
    // Every placeholder begins with "%": none can occur any more.
    if (text.find(u'%') == ustring::npos) break;
  }
  return text;
}

std::string CompressString(const std::string& S) {
  if (S.size() > kMaxTextLength) throw EZCompressionError("compression error: the text is 2 GiB or longer");
  const auto n = static_cast<uint32_t>(S.size());
  const char length[kLengthBytes] = {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                                     static_cast<char>((n >> 16) & 0xFF), static_cast<char>((n >> 24) & 0xFF)};
  return vxZlib::Deflate({std::string_view(length, kLengthBytes), S}, kBestCompression, vxZlib::kZlibWindow);
}

std::string DecompressString(const std::string& S) {
  vxZlib::TInflater inflater(S);
  std::string field;
  if (inflater.Read(field, kLengthBytes) != kLengthBytes)
    throw EZDecompressionError("decompression error: the stream holds no length");
  const auto* b = reinterpret_cast<const unsigned char*>(field.data());
  const uint32_t n = uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
  // The text grows with what the stream delivers; the length field alone
  // never decides an allocation.
  std::string text;
  if (inflater.Read(text, n) != n)
    throw EZDecompressionError("decompression error: the length field does not match the stream");
  // Content past the first n bytes is not part of the text; the stream is
  // still run to its end in small pieces, so a cut or damaged stream raises.
  std::string rest;
  while (!inflater.AtEnd()) {
    rest.clear();
    if (inflater.Read(rest, 1 << 16) == 0 && !inflater.AtEnd())
      throw EZDecompressionError("decompression error: the length field does not match the stream");
  }
  return text;
}

}  // namespace TvxStrings
