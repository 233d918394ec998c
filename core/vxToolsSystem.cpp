// TvxTools: the running system, its user and fresh identifiers.
#include "core/vxToolsSystem.h"

#include <cerrno>
#include <cstdlib>

#include "core/vxToolsEvo2.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxGuid.h"
#include "platform/net/vxHostName.h"
#include "platform/base/vxRuntime.h"
#include "platform/base/vxSystemInfo.h"

namespace TvxTools {
namespace {

std::string ShortName(const std::string& name) { return name.substr(0, name.find('.')); }

}  // namespace

std::string CreateGuidStr() { return GuidToString(NewGuid()); }

TIdType CreateId() { return GuidStrToId(CreateGuidStr()); }

TIdType GuidStrToId(const std::string& GuidStr) {
  std::string digits;
  for (char c : GuidStr)
    if (c != '{' && c != '}' && c != '-') digits.push_back(c);
  return TIdType(digits);
}

ustring GetComputerName() { return Utf8ToWide(ShortName(vxHostName::HostName())); }

ustring GetComputerNameEx(uint32_t Format) {
  if (Format > 8) throw Exception("unknown format descriptor");
  switch (Format % 4) {
    case 0:
    case 1:
      return Format == 8 ? ustring() : GetComputerName();
    case 2: {
      const std::string full = vxHostName::FullyQualifiedHostName();
      const size_t dot = full.find('.');
      return dot == std::string::npos ? ustring() : Utf8ToWide(full.substr(dot + 1));
    }
    default:
      return Utf8ToWide(vxHostName::FullyQualifiedHostName());
  }
}

ustring GetUserName() { return vxRuntime::Trim(vxSystemInfo::GetLoginName()); }

ustring GetUserNameEx(uint32_t Format) {
  // The display name is the one format this system can answer itself.
  if (Format == 3) {
    const auto entry = vxSystemInfo::CurrentUserEntry();
    const ustring display = entry ? vxRuntime::Trim(Utf8ToWide(entry->FullName)) : ustring();
    if (!display.empty()) return display;
  }
  switch (Format) {
    case 0: case 3: case 7: case 9:
      return GetUserName();
    case 1: case 2: case 8: case 10: case 11:
      return UpperStrW(GetComputerName()) + u"\\" + GetUserName();
    case 6:
      return {};
    default:
      throw Exception("invalid format type");
  }
}

ustring GetEnvironmentString(const ustring& EnvironmentStr) {
  const char* value = std::getenv(WideToUtf8(EnvironmentStr).c_str());
  return value ? Utf8ToWide(value) : ustring();
}

Variant GetEnvironmentStringEx(const ustring& EnvironmentStr, const Variant& Default, TVarType ResultType) {
  const ustring value = GetEnvironmentString(EnvironmentStr);
  if (value.empty()) return Default;
  if (ResultType == varNull) ResultType = TvxTypes::GetVarType(Default);
  return TvxTypes::StrToVarExt(value, ResultType);
}

ustring GetLastErrorMessage() {
  const int code = errno;  // before anything else can replace it
  return vxRuntime::Trim(vxSystemInfo::GetErrorMessage(code));
}

bool IsRemoteSession() {
  const char* connection = std::getenv("SSH_CONNECTION");
  return connection != nullptr && *connection != '\0';
}

bool IsRDPSession() { return IsRemoteSession(); }

uint32_t GetTickCount() { return vxSystemInfo::GetTickCount(); }

int32_t GetNumberOfProcessors() { return vxSystemInfo::GetProcessorCount(); }

int32_t GetMemoryUsage() {
  return static_cast<int32_t>(static_cast<uint32_t>(vxSystemInfo::GetResidentSetSize(vxSystemInfo::GetCurrentProcessId())));
}

uint32_t GetProcessMemoryUsage(uint32_t ProcessId) {
  return static_cast<uint32_t>(vxSystemInfo::GetResidentSetSize(static_cast<pid_t>(ProcessId)));
}

}  // namespace TvxTools
