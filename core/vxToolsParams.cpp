// Truth words, parameter strings and start parameters.
#include "core/vxToolsParams.h"

#include "core/vxToolsEvo2.h"
#include "core/vxTypesValues.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/process/vxCommandLine.h"

const std::array<std::string_view, 20> TrueWords = {
    "JA",   "YES", "OK",    "1",     "X",   "TRUE", "WAHR", "RICHTIG", "KORREKT", "RIGHT",
    "YAP",  "OUI", "CORRECT", "JAU", "YO",  "JO",   "YEP",  "YEPP",    "YAPP",    "YUP",
};

bool StrIsTrue(const std::string& S) {
  const std::string upper = vxRuntime::AsciiUpper(S);
  for (std::string_view word : TrueWords)
    if (upper == word) return true;
  return false;
}

namespace TvxTools {
namespace {

// Calls onItem(key, value) for each item of the parameter string in order
// until it returns False; keys come with their letters a-z upper-cased.
template <class F>
void ForEachItem(const ustring& ConfigString, F onItem) {
  const std::string text = WideToAnsi(ConfigString);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();  // the ";" the scan appends
    const std::string item = vxRuntime::Trim(text.substr(start, end - start));
    start = end + 1;
    const size_t eq = item.find('=');
    const std::string key = eq == std::string::npos ? std::string() : item.substr(0, eq);
    const std::string value = eq == std::string::npos ? item : item.substr(eq + 1);
    if (!onItem(vxRuntime::AsciiUpper(key), value)) return;
  }
}

}  // namespace

ustring GetConfigStringParameter(const ustring& ConfigString, const ustring& Parameter, const ustring& Default) {
  const std::string wanted = vxRuntime::AsciiUpper(WideToAnsi(Parameter));
  ustring result = Default;
  ForEachItem(ConfigString, [&](const std::string& key, const std::string& value) {
    if (key != wanted) return true;
    result = AnsiToWide(value);
    return false;
  });
  return result;
}

bool GetConfigStringParameters(const ustring& ConfigString, const ustring& Parameter, TStrings& Values) {
  const std::string wanted = vxRuntime::AsciiUpper(WideToAnsi(Parameter));
  ForEachItem(ConfigString, [&](const std::string& key, const std::string& value) {
    if (wanted.empty() || key == wanted) Values.Add(AnsiToWide(value));
    return true;
  });
  return true;
}

Variant GetStartParam(const ustring& Name, const Variant& Default, const std::string& Prefix, TVarType ResultType) {
  const ustring key = AnsiToWide(Prefix) + UpperStrW(Name);
  const std::vector<ustring> arguments = vxCommandLine::ProcessArguments();
  for (size_t i = 1; i < arguments.size(); ++i) {
    const ustring& argument = arguments[i];
    const size_t eq = argument.find(u'=');
    const ustring name = eq == ustring::npos ? ustring() : argument.substr(0, eq);
    if (UpperStrW(name) != key) continue;
    if (ResultType == varNull) ResultType = TvxTypes::GetVarType(Default);
    return TvxTypes::StrToVarExt(eq == ustring::npos ? ustring() : argument.substr(eq + 1), ResultType);
  }
  return Default;
}

}  // namespace TvxTools
