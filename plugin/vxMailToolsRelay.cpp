// The engine's relays: the client both relays share, and the relay of an
// ".eml" file to a new recipient with its header rewritten.
#include "platform/base/vxCodePage.h"
#include "plugin/vxMailTools.h"
#include "plugin/vxMailToolsFailure.h"
#include "plugin/vxMailToolsRewrite.h"

using vxMailToolsFailure::FailureClass;
using vxMailToolsFailure::FailureText;

void TvxMailTools::SetUpRelayClient(TSmtpClient& Client) const {
  Client.Host = WideToUtf8(SMTPServer);
  Client.Port = static_cast<uint16_t>(SMTPPort & 0xFFFF);
  Client.Login = TSmtpLogin::None;
  Client.Username.clear();
  Client.Password.clear();
  Client.UsePipelining = true;
  Client.Tls = UseTLS ? TSmtpTls::Required : TSmtpTls::None;
  Client.Timeouts = Timeouts;
}

bool TvxMailTools::SendMail(const ustring& EMLFile, const ustring& Recipient) {
  try {
    // The file is read and rewritten before any connection: a file that
    // cannot be read, or an address that cannot be written, costs no
    // session.
    TRawMessage mail = TRawMessage::LoadFromFile(EMLFile);
    vxMailRewrite::RewriteRelayHeader(mail, Sender, Recipient);
    TSmtpClient client;
    SetUpRelayClient(client);
    client.Connect();
    client.SendMessage(mail);
    client.Disconnect();
    Message.clear();
    return true;
  } catch (const std::exception& e) {
    Message = u"sendmail exception (" + Utf8ToWide(FailureClass(e)) + u" - " + FailureText(e) + u")";
    return false;
  }
}
