// TvxNet: the local host's IPv4 addresses, address patterns with wildcards
// and the listening probe of a port.
#include <limits>

#include "configstore/vxNet.h"
#include "core/vxConversion.h"
#include "core/vxStringsReplace.h"
#include "core/vxToolsEvo2.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/net/vxHostName.h"
#include "platform/net/vxPortProbe.h"

namespace {

constexpr size_t kOctets = 8;

int32_t PieceValue(const ustring& Piece, TvxIPType Type) {
  if (Piece == u"*" || Type == vxIPUnknown) return -1;
  const int64_t value =
      Type == vxIPv4 ? TvxConversion::StrToInt(Piece, -1) : TvxConversion::HexToInt(Piece, -1);
  // A number beyond the entry's range is no number here either.
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) return -1;
  return static_cast<int32_t>(value);
}

int32_t Octet(const TvxIPAddress& Address, size_t Index) {
  return Index < Address.OctetArray.size() ? Address.OctetArray[Index] : -1;
}

bool Matches(const TvxIPAddress& Pattern, const TvxIPAddress& Address) {
  for (size_t i = 0; i < kOctets; ++i) {
    const int32_t expected = Octet(Pattern, i);
    if (expected != -1 && expected != Octet(Address, i)) return false;
  }
  return true;
}

}  // namespace

namespace TvxNet {

bool GetLocalIP(TStrings* IPList) {
  try {
    std::vector<std::string> addresses;
    if (!vxHostName::HostIPv4Addresses(addresses)) return false;
    if (IPList != nullptr)
      for (const std::string& address : addresses) IPList->Add(AnsiToWide(address));
    return true;
  } catch (...) {
    return false;
  }
}

ustring GetSingleLocalIP() {
  TStringList addresses;
  if (GetLocalIP(&addresses) && addresses.Count() > 0) return addresses[0];
  return u"127.0.0.1";
}

TvxIPAddress GetIPFromStr(const ustring& IP) {
  TvxIPAddress result;
  const ustring trimmed = vxRuntime::Trim(IP);
  result.Address = trimmed;
  result.IPType = IP.find(u':') != ustring::npos ? vxIPv6 : IP.find(u'.') != ustring::npos ? vxIPv4 : vxIPUnknown;
  result.OctetArray.assign(kOctets, -1);
  ustring work = trimmed;
  for (char16_t& c : work)
    if (c == u':') c = u'.';
  work += u'.';
  size_t start = 0;
  for (size_t filled = 0; filled < kOctets; ++filled) {
    const size_t dot = work.find(u'.', start);
    if (dot == ustring::npos) break;
    result.OctetArray[filled] = PieceValue(work.substr(start, dot - start), result.IPType);
    start = dot + 1;
  }
  return result;
}

bool GetIPListFromStr(const ustring& List, TvxIPRanges& IPList) {
  IPList.clear();
  ustring text = vxRuntime::Trim(List);
  text = TvxStrings::ReplaceExactW(text, u";", u",");
  text = TvxStrings::ReplaceExactW(text, u"\r\n", u",");
  if (!text.empty()) text += u',';
  size_t start = 0;
  for (size_t comma = text.find(u','); comma != ustring::npos; comma = text.find(u',', start)) {
    IPList.push_back(GetIPFromStr(text.substr(start, comma - start)));
    start = comma + 1;
  }
  return true;
}

bool IsIPInRange(const ustring& IP, const TvxIPRanges& IPList) {
  const TvxIPAddress address = GetIPFromStr(IP);
  if (address.IPType == vxIPUnknown) return false;
  for (const TvxIPAddress& pattern : IPList) {
    if (pattern.IPType != address.IPType) continue;
    if (Matches(pattern, address)) return true;
  }
  return false;
}

bool IsLocalHost(const ustring& IP) {
  return IP == u"127.0.0.1" || IP == u"::1" || IP == u"0:0:0:0:0:0:0:1" ||
         IP == u"0000:0000:0000:0000:0000:0000:0000:0001" || LowerStrW(IP) == u"localhost";
}

bool PortIsFree(int32_t Port) {
  if (Port < 1 || Port > 65535) return false;
  return vxPortProbe::CanListen(static_cast<uint16_t>(Port));
}

}  // namespace TvxNet
