// The header rewrite of the relay with a new recipient: a ready-made mail
// goes to one recipient from the engine's sender, and nobody it named
// before gets it.
#pragma once

#include "platform/base/vxBase.h"
#include "platform/mail/vxMime.h"

namespace vxMailRewrite {

// Rewrites the header fields of Mail in place, whole fields with their
// folded lines, names compared without regard to case (blanks before the
// ":" allowed): From, Sender and Reply-To name Sender; every To names
// Recipient; Cc and Bcc are emptied. Other fields and the body stay byte
// for byte. Sender is one mailbox, Recipient a list of addresses ('a@x',
// 'Name <a@x>', separated by ","). Raises EMailAddressError when Sender or
// Recipient holds a line break, names no mailbox, or names one a header
// cannot carry; Mail is then unchanged.
void RewriteRelayHeader(TRawMessage& Mail, const ustring& Sender, const ustring& Recipient);

}  // namespace vxMailRewrite
