// Fuzzes the relay's header rewrite on any ".eml" bytes, sender and
// recipient (three fields): it raises nothing but EMailAddressError, which
// leaves the mail as it was; otherwise, read back from its bytes, the mail
// goes to the addresses its To fields name and to nobody else, every To
// field names the same, Cc and Bcc are empty, the sender is the one given,
// and the body and the number of fields are unchanged.
#include <algorithm>

#include "fuzz/FuzzInput.h"
#include "platform/base/vxRuntime.h"
#include "platform/mail/vxMailAddress.h"
#include "platform/mail/vxMime.h"
#include "plugin/vxMailToolsRewrite.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> fields = vxFuzz::Fields(Data, Size, 3);
  const TRawMessage original = TRawMessage::FromBytes(fields[0]);
  TRawMessage mail = original;
  try {
    vxMailRewrite::RewriteRelayHeader(mail, vxFuzz::Wide(fields[1]), vxFuzz::Wide(fields[2]));
  } catch (const EMailAddressError&) {
    vxFuzz::Check(mail.ToBytes() == original.ToBytes());
    return 0;
  }
  const TRawMessage sent = TRawMessage::FromBytes(mail.ToBytes());
  vxFuzz::Check(sent.HeaderFields.size() == original.HeaderFields.size());
  vxFuzz::Check(sent.Body == original.Body);

  std::vector<std::string> named;
  std::string toText;
  for (const TRawHeaderField& field : sent.HeaderFields) {
    const std::string name = field.Name();
    if (vxRuntime::SameTextAscii(name, "To")) {
      vxFuzz::Check(toText.empty() || field.Text == toText);
      toText = field.Text;
      for (const TMailAddress& a : ParseAddressList(field.Value())) named.push_back(WideToUtf8(a.Address));
    } else if (vxRuntime::SameTextAscii(name, "Cc") || vxRuntime::SameTextAscii(name, "Bcc")) {
      vxFuzz::Check(ParseAddressList(field.Value()).empty());
    }
  }
  for (const std::string& box : sent.EnvelopeRecipients())
    vxFuzz::Check(std::find(named.begin(), named.end(), box) != named.end());

  const std::string sender = sent.EnvelopeSender();
  if (!sender.empty()) {
    const TMailAddressList given = ParseAddressList(WideToUtf8(vxFuzz::Wide(fields[1])));
    vxFuzz::Check(std::any_of(given.begin(), given.end(), [&](const TMailAddress& a) {
      return WideToUtf8(vxMailAddress::Normalise(a).Address) == sender;
    }));
  }
  return 0;
}
