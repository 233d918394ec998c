// The engine's shared SMTP settings: read from the configuration store of
// the host installation, the node made when it is missing.
#include "configstore/vxConfigManager.h"
#include "foundation/vxCipherToolsEvo3.h"
#include "foundation/vxVarlo.h"
#include "platform/base/vxCodePage.h"
#include "plugin/vxMailTools.h"
#include "plugin/vxMailToolsFailure.h"

using vxMailToolsFailure::FailureText;

namespace {

constexpr char16_t SettingsNode[] = u"/varlo/Software/Basics/SMTP";
constexpr char16_t SettingsTable[] = u"vx_configuration";
constexpr char16_t DefaultSenderName[] = u"varlo Services";

}  // namespace

bool TvxMailTools::LoadK7SMTPConfig() {
  try {
    if (!TvxVarlo::IsVarloInstalled()) throw Exception("varlo is not installed");
    // No product initialisation and no connection string of our own: the
    // host's data link.
    TvxConfigManager store(false, u"", SettingsTable);
    TProperties settings;
    if (!store.GetNodeProperties(SettingsNode, settings, true, false, true, u"", "", false, true, false))
      throw Exception(store.Message.Get());
    auto value = [&](const char16_t* Name, const Variant& Default) {
      return store.GetPropertyValueByName(Name, Default, settings, false);
    };
    SMTPServer = value(u"Server", Variant(u"localhost")).AsString();
    SMTPPort = value(u"Port", Variant(25)).AsInteger();
    Sender = value(u"Sender", Variant(DefaultSender)).AsString();
    SenderName = value(u"SenderName", Variant(DefaultSenderName)).AsString();
    Authentication = value(u"Authentication", Variant(false)).AsBoolean();
    Username = value(u"User", Variant(u"")).AsString();
    // Kept in the stored-password form.
    Password = AnsiToWide(TvxCipher::DecodeLogon(WideToAnsi(value(u"Password", Variant(u"")).AsString())));
    vxEnterpriseUrl = store.GetServiceUrl(vxES_Daemon, 0, 0);
    return value(u"Active", Variant(true)).AsBoolean();
  } catch (const std::exception& e) {
    Message = u"loading k7 smtp config exception (" + FailureText(e) + u")";
    return false;
  }
}
