// The relay's header rewrite: the new field texts are made first (so a
// refused address changes nothing), then every field of the six names is
// replaced whole.
#include "plugin/vxMailToolsRewrite.h"

#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/mail/vxMailAddress.h"

namespace vxMailRewrite {

namespace {

// The addresses of Text as a header writes them; refused when Text could
// smuggle a line into the header or names nobody.
std::string HeaderAddresses(const ustring& Text, const char* What) {
  if (Text.find_first_of(u"\r\n") != ustring::npos)
    throw EMailAddressError(std::string("the ") + What + " holds a line break");
  const TMailAddressList list = vxMailAddress::NormaliseList(ParseAddressList(WideToUtf8(Text)));
  if (list.empty()) throw EMailAddressError(std::string("no ") + What + " address in '" + WideToUtf8(Text) + "'");
  return FormatAddressList(list);
}

}  // namespace

void RewriteRelayHeader(TRawMessage& Mail, const ustring& Sender, const ustring& Recipient) {
  const std::string sender = HeaderAddresses(Sender, "sender");
  const std::string recipient = HeaderAddresses(Recipient, "recipient");
  struct TRule {
    const char* Name;
    std::string Text;
  };
  const TRule rules[] = {
      {"From", "From: " + sender}, {"Sender", "Sender: " + sender}, {"Reply-To", "Reply-To: " + sender},
      {"To", "To: " + recipient},  {"Cc", "CC:"},                   {"Bcc", "BCC:"},
  };
  for (TRawHeaderField& field : Mail.HeaderFields) {
    const std::string name = field.Name();
    for (const TRule& rule : rules) {
      if (!vxRuntime::SameTextAscii(name, rule.Name)) continue;
      field.Text = rule.Text;
      break;
    }
  }
}

}  // namespace vxMailRewrite
