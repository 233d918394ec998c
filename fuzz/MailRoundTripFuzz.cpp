// Fuzzes composing then parsing: a message built from the input's fields
// (names, addresses, subject, body, an attachment) is written and read back;
// what is read back is what was written.
#include "fuzz/FuzzInput.h"
#include "platform/base/vxRuntime.h"
#include "platform/mail/vxMime.h"

namespace {

// Texts a header can carry as given: no control characters or lone
// surrogates (a composer may refuse or replace them).
bool Printable(const ustring& text) {
  for (char16_t c : text)
    if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> f = vxFuzz::Fields(Data, Size, 6);
  TMimeMessage message;
  message.From = {vxFuzz::Wide(f[0]), u"from@example.org"};
  message.To = {{vxFuzz::Wide(f[1]), u"to@example.org"}};
  message.Subject = vxFuzz::Wide(f[2]);
  message.Body = vxFuzz::Wide(f[3]);
  message.MessageId = u"id@example.org";
  if (!f[4].empty()) message.Parts.push_back(TMimePart::AttachmentData(u"application/octet-stream", f[5], vxFuzz::Wide(f[4])));
  TRawMessage raw;
  try {
    raw = message.Compose();
  } catch (const EMailAddressError&) {
    return 0;
  }
  const TMimeMessage back = TMimeMessage::Parse(TRawMessage::FromBytes(raw.ToBytes()));
  vxFuzz::Check(back.From.Address == message.From.Address);
  vxFuzz::Check(back.To.size() == 1 && back.To[0].Address == message.To[0].Address);
  // Names come back as given, less the blanks around them (trimmed when
  // composing); a name equal to its address is dropped.
  for (const auto& [sent, read] : {std::pair{message.From, back.From}, std::pair{message.To[0], back.To[0]}}) {
    const ustring name = vxRuntime::Trim(sent.Name);
    if (Printable(name) && name != sent.Address) vxFuzz::Check(read.Name == name);
  }
  if (Printable(message.Subject)) vxFuzz::Check(back.Subject == message.Subject);
  if (!message.Parts.empty()) {
    const TMimePart* attachment = nullptr;
    for (const TMimePart& p : back.Parts)
      if (p.Kind == TMimePartKind::Attachment) attachment = &p;
    vxFuzz::Check(attachment != nullptr && attachment->Data == f[5]);
    if (Printable(message.Parts[0].FileName)) vxFuzz::Check(attachment->FileName == message.Parts[0].FileName);
  }
  return 0;
}
