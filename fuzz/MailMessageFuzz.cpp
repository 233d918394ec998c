// Fuzzes the ".eml" reader: splitting bytes into header fields and body keeps
// every byte, and reading the MIME tree of any bytes never raises anything
// but our Exception; what it reads composes and reads back again.
#include "fuzz/FuzzInput.h"
#include "platform/base/vxExceptions.h"
#include "platform/mail/vxMime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view bytes(reinterpret_cast<const char*>(Data), Size);
  const TRawMessage raw = TRawMessage::FromBytes(bytes);
  vxFuzz::Check(raw.ToBytes() == bytes);
  (void)raw.EnvelopeSender();
  (void)raw.EnvelopeRecipients();
  (void)raw.WireBytes();
  TMimeMessage message;
  try {
    message = TMimeMessage::Parse(raw);
  } catch (const Exception&) {
    return 0;
  }
  try {
    (void)TMimeMessage::Parse(message.Compose());
  } catch (const EMailAddressError&) {
  }
  return 0;
}
