// The logging console's start parameters (named arguments of the command
// line with an INI fallback), its console window and its named mutexes.
#include <algorithm>
#include <mutex>

#include "core/vxConversion.h"
#include "core/vxFiles.h"
#include "core/vxToolsEvo2.h"
#include "core/vxTypes.h"
#include "foundation/vxConsoleTools.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/base/vxSystemInfo.h"
#include "platform/files/vxIniFile.h"
#include "platform/process/vxCommandLine.h"
#include "platform/process/vxConsole.h"
#include "platform/process/vxNamedMutex.h"
#include "platform/registry/vxRegistry.h"

namespace {

std::mutex& SourceLock() {
  static std::mutex lock;
  return lock;
}
TvxConsoleTools::TArgumentSource& Source() {
  static TvxConsoleTools::TArgumentSource source;
  return source;
}

// The process's arguments as it was started, program first.
std::vector<ustring> Arguments() {
  TvxConsoleTools::TArgumentSource source;
  {
    std::lock_guard<std::mutex> lock(SourceLock());
    source = Source();
  }
  return source ? source() : vxCommandLine::ProcessArguments();
}

// The values of the arguments 1 .. n whose text before the first
// Separator, upper-cased, is Prefix + UpperStrW(Name), in order.
std::vector<ustring> MatchingValues(const ustring& Name, const std::string& Prefix, const ustring& Separator,
                                    bool FirstOnly) {
  std::vector<ustring> values;
  const ustring key = AnsiToWide(Prefix) + UpperStrW(Name);
  const std::vector<ustring> arguments = Arguments();
  for (size_t i = 1; i < arguments.size(); ++i) {
    const ustring& argument = arguments[i];
    const size_t at = Separator.empty() ? ustring::npos : argument.find(Separator);
    if (at == ustring::npos) continue;  // no separator: an empty name part, which never matches
    if (UpperStrW(argument.substr(0, at)) != key) continue;
    values.push_back(argument.substr(at + Separator.size()));
    if (FirstOnly) break;
  }
  return values;
}

bool IsIntegerType(TVarType Type) {
  return Type == varSmallint || Type == varInteger || (Type >= varShortInt && Type <= varInt64);
}

// Value in the number kind Type names: StrToVarExt reads every integer kind
// as Int64 and every float kind as Double, but the caller asked for its own
// kind. A value that does not fit that kind (300 for a Byte) stays as read.
Variant InKind(const Variant& Value, TVarType Type) {
  const bool number = vxVariant::IsSignedIntegerKind(Type) || Type == varSingle || Type == varCurrency;
  if (!number || Value.VarType() == Type || !(TvxTypes::IsNumericVariant(Value) || TvxTypes::IsFloatVariant(Value))) return Value;
  try {
    return Value.AsType(Type);
  } catch (const std::exception&) {
    return Value;
  }
}

}  // namespace

void TvxConsoleTools::SetArgumentSource(TArgumentSource NewSource) {
  std::lock_guard<std::mutex> lock(SourceLock());
  Source() = std::move(NewSource);
}

ustring TvxConsoleTools::ParamStrW(int32_t Index) {
  if (Index == 0) return vxSystemInfo::ExecutablePath();
  if (Index < 0) ++Index;  // -1 selects the program as it was named
  if (Index < 0) return {};
  const std::vector<ustring> arguments = Arguments();
  return static_cast<size_t>(Index) < arguments.size() ? arguments[static_cast<size_t>(Index)] : ustring();
}

int32_t TvxConsoleTools::ParamCount() {
  const size_t count = Arguments().size();
  return count == 0 ? 0 : static_cast<int32_t>(count - 1);
}

ustring TvxConsoleTools::GetOwnCommandLine() {
  ustring line;
  const int32_t count = ParamCount();
  for (int32_t i = 0; i <= count; ++i) {
    line += ParamStrW(i);
    line.push_back(u' ');
  }
  return vxRuntime::Trim(line);
}

bool TvxConsoleTools::GetStartParams(const ustring& Name, std::unique_ptr<TStringList>& Values,
                                     const std::string& Prefix) {
  if (!Values) Values = std::make_unique<TStringList>();
  Values->Clear();
  for (ustring& value : MatchingValues(Name, Prefix, u"=", false)) Values->Add(std::move(value));
  return true;
}

Variant TvxConsoleTools::GetStartParam(const ustring& Name, const Variant& Default, const std::string& Prefix) {
  const std::vector<ustring> values = MatchingValues(Name, Prefix, u"=", true);
  return values.empty() ? Default : Variant(values.front());
}

Variant TvxConsoleTools::GetStartParamEx(const ustring& Name, const Variant& Default, const std::string& Prefix,
                                         TVarType ResultType) {
  const std::vector<ustring> values = MatchingValues(Name, Prefix, u"=", true);
  if (values.empty()) return Default;
  const TVarType type = ResultType == varNull ? TvxTypes::GetVarType(Default) : ResultType;
  return InKind(TvxTypes::StrToVarExt(values.front(), type), type);
}

bool TvxConsoleTools::GetHelpStartParamState() {
  const std::vector<ustring> arguments = Arguments();
  if (arguments.size() != 2) return false;
  return arguments[1] == u"/?" || arguments[1] == u"-?" || arguments[1] == u"--?";
}

ustring TvxConsoleTools::BuildParamString(const std::vector<ustring>& Params, const std::string& Prefix) {
  const ustring prefix = AnsiToWide(Prefix);
  ustring result;
  for (const ustring& param : Params) {
    result.push_back(u'"');
    result += prefix;
    result += param;
    result += u"\" ";
  }
  return vxRuntime::Trim(result);
}

bool TvxConsoleTools::KeyPressed() { return vxConsole::KeyPressed(0); }

bool TvxConsoleTools::WaitForKeypressed(int32_t WaitSeconds) {
  // Without a terminal no key can ever come: no endless wait.
  if (!vxConsole::IsTerminal(0)) return true;
  double elapsed = 0;
  for (;;) {
    vxConsole::WaitForInput(0, 500);
    elapsed += 0.5;
    if (KeyPressed()) break;
    if (WaitSeconds > 0 && elapsed > WaitSeconds) break;
  }
  return true;
}

bool TvxConsoleTools::ClsConsole() {
  try {
    vxConsole::ClearScreen(1);  // without a terminal nothing happens
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

Variant TvxConsoleTools::GetStartParameter(const ustring& Name, const Variant& Default, const std::string& ParamPrefix,
                                           const std::string& ParamValueSeparator) {
  Variant result = Default;
  Message = ustring();
  try {
    const std::vector<ustring> values = MatchingValues(Name, ParamPrefix, AnsiToWide(ParamValueSeparator), true);
    const TVarType type = TvxTypes::GetVarType(Default);
    if (!values.empty()) {
      result = InKind(TvxTypes::StrToVarExt(values.front(), type), type);
      return result;
    }
    const ustring ini = DefaultStartParamIni;
    if (ini.empty() || !TvxFiles::FileExists(ini)) return result;
    const TIniFile file(ini);
    if (!file.ValueExists(u"Parameters", Name)) return result;
    if (type == varBoolean) {
      result = file.ReadBool(u"Parameters", Name, TvxTypes::VarToStrExt(Default) == u"True");
    } else if (IsIntegerType(type)) {
      const int64_t fallback = TvxConversion::StrToInt(TvxTypes::VarToStr(Default), 0);
      result = InKind(Variant(file.ReadInteger(u"Parameters", Name, static_cast<int32_t>(fallback))), type);
    } else {
      result = file.ReadString(u"Parameters", Name, TvxTypes::VarToStr(Default));
    }
  } catch (const std::exception& e) {
    Message = Utf8ToWide(e.what());
  }
  return result;
}

bool TvxConsoleTools::GetStartParameters(const ustring& Name, std::unique_ptr<TStringList>& Values,
                                         const std::string& Prefix) {
  try {
    GetStartParams(Name, Values, Prefix);
  } catch (const std::exception&) {
  }
  return true;
}

ustring TvxConsoleTools::ConsoleSettingsKey() {
  ustring path = vxSystemInfo::ExecutablePath();
  std::replace(path.begin(), path.end(), u'/', u'_');
  std::replace(path.begin(), path.end(), u'\\', u'_');
  return u"Console\\" + path;
}

bool TvxConsoleTools::RegisterConsoleSettings() {
  try {
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (!registry.OpenKey(ConsoleSettingsKey(), true)) return false;
    registry.WriteString(u"FaceName", u"Consolas");
    registry.WriteInteger(u"CodePage", 65001);
    registry.WriteInteger(u"FontSize", 917510);
    registry.WriteInteger(u"HistoryNoDup", 1);
    registry.WriteInteger(u"ScreenBufferSize", 65536150);
    registry.WriteInteger(u"ScreenColors", 15);
    registry.WriteInteger(u"WindowSize", 2162838);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

ustring TvxConsoleTools::ConsoleTitle() const {
  ustring title = ServerName;
  const int32_t instance = InstanceId;
  if (instance > 0) {
    const std::string n = std::to_string(instance);
    title += u" (instance id " + ustring(n.begin(), n.end()) + u")";
  }
  return title;
}

bool TvxConsoleTools::SetConsoleTitle() { return vxConsole::SetTitle(StdOutputHandle, WideToUtf8(ConsoleTitle())); }

bool TvxConsoleTools::IsMutexActive(const ustring& Name) {
  try {
    return vxNamedMutex::Exists(Name);
  } catch (const std::exception&) {
    return false;
  }
}

bool TvxConsoleTools::RegisterMutex(const ustring& Name) {
  try {
    return vxNamedMutex::Create(Name);
  } catch (const std::exception&) {
    return false;
  }
}

bool TvxConsoleTools::WaitForMutex(const ustring& Name, int32_t Wait) {
  try {
    return vxNamedMutex::Wait(Name, Wait) != vxNamedMutex::TWaitResult::Failed;
  } catch (const std::exception&) {
    return false;
  }
}

bool TvxConsoleTools::CloseMutex(const ustring& Name) {
  try {
    if (!vxNamedMutex::Exists(Name)) return false;
    vxNamedMutex::Release(Name);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}
