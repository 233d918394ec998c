// Reading and building the configuration string of the export library.
#include "plugin/vxExportConfig.h"

#include <utility>
#include <vector>

#include "core/vxConversion.h"
#include "foundation/vxCipherToolsEvo3.h"
#include "foundation/vxComTools.h"
#include "platform/base/vxCodePage.h"

namespace vxExportConfig {
namespace {

const char* BoolText(bool Value) { return Value ? "True" : "False"; }

}  // namespace

bool ReadConfigString(const std::string& ConfigString, TvxExportSettings& Settings) {
  std::string type;
  TComResExt items;
  if (!TvxComTools::ParseComAnswer(ConfigString, type, items, true)) return false;
  const auto text = [&](const char* Key) { return AnsiToWide(TvxComTools::GetComParam(items, Key)); };
  const auto flag = [&](const char* Key) { return TvxConversion::StrToBool(text(Key)); };
  // The keys in the order they are read.
  Settings.SMTPSERVER = text("SMTPSERVER");
  Settings.SMTPPORT = static_cast<int32_t>(TvxConversion::StrToInt(text("SMTPPORT"), -1));
  Settings.ZIPMAILATM = flag("ZIPMAILATM");
  Settings.INSERTFLDS = flag("INSERTFLDS");
  Settings.SENDEMLS = flag("SENDEMLS");
  Settings.FROMADDRESS = text("FROMADDRESS");
  Settings.FROMNAME = text("FROMNAME");
  Settings.RECIPIENT = text("RECIPIENT");
  Settings.SUBJECT = text("SUBJECT");
  Settings.USETLS = flag("USETLS");
  Settings.USESASL = flag("USESASL");
  Settings.AUTHENTICATION = flag("AUTHENTICATION");
  Settings.USERNAME = text("USERNAME");
  Settings.PASSWORD = AnsiToWide(TvxCipher::DecodeLogon(TvxComTools::GetComParam(items, "PASSWORD")));
  return true;
}

std::string BuildConfigString(const TvxExportSettings& Settings) {
  const TvxExportSettings& S = Settings;
  std::vector<std::pair<const char*, std::string>> items = {
      {"SMTPSERVER", WideToAnsi(S.SMTPSERVER)},
      {"SMTPPORT", TvxConversion::IntToStr(S.SMTPPORT)},
      {"FROMADDRESS", WideToAnsi(S.FROMADDRESS)},
      {"FROMNAME", WideToAnsi(S.FROMNAME)},
      {"RECIPIENT", WideToAnsi(S.RECIPIENT)},
      {"SUBJECT", WideToAnsi(S.SUBJECT)},
      {"ZIPMAILATM", BoolText(S.ZIPMAILATM)},
      {"INSERTFLDS", BoolText(S.INSERTFLDS)},
      {"SENDEMLS", BoolText(S.SENDEMLS)},
      {"AUTHENTICATION", BoolText(S.AUTHENTICATION)},
      {"USERNAME", WideToAnsi(S.USERNAME)},
      {"PASSWORD", TvxCipher::EncodeLogon(WideToAnsi(S.PASSWORD))},
      {"USETLS", BoolText(S.USETLS)},
      {"USESASL", BoolText(S.USESASL)},
  };
  bool holdsBracket = false;
  for (const auto& item : items) holdsBracket = holdsBracket || item.second.find('>') != std::string::npos;
  if (holdsBracket) {
    // A ">" would end its item early: every item goes in its Base64 form.
    TComRes list;
    for (const auto& item : items) TvxComTools::AddComParam(item.first, item.second, list);
    return TvxComTools::BuiltComString("CONFIG", true, false, list);
  }
  std::string result = "<CONFIG>";
  for (const auto& item : items) {
    result.append("<").append(item.first).append("=").append(item.second).append(">");
  }
  result.append("</CONFIG>");
  return result;
}

}  // namespace vxExportConfig
