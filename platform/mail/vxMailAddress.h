// Mail addresses as header fields carry them (RFC 5322): the address
// record, reading an address list, writing addresses, and the normalising
// the composer applies before it writes one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/base/vxExceptions.h"

// An address that no header field can carry.
VX_DECLARE_EXCEPTION(EMailAddressError, Exception);

struct TMailAddress {
  ustring Name;     // display name; may be empty
  ustring Address;  // mailbox, "box@host"

  bool operator==(const TMailAddress&) const = default;
};
using TMailAddressList = std::vector<TMailAddress>;

// Reads an address list of a header field (RFC 5322): display names (also
// in encoded words), quoted strings, comments, angle addresses, groups
// (their members; an empty group gives nothing) and folded lines. Lenient:
// what is not understood is skipped, nothing raises.
TMailAddressList ParseAddressList(std::string_view rawValue);
// An address as a header writes it: 'box@host' or 'Name <box@host>', the
// name quoted or encoded when needed.
std::string FormatAddress(const TMailAddress& address);
std::string FormatAddressList(const TMailAddressList& addresses);

namespace vxMailAddress {

// The address as the wire should carry it: trimmed, an address text of the
// form 'Name <box@host>' read as that name and mailbox, a name equal to the
// mailbox dropped. Raises EMailAddressError ("invalid mail address '...'")
// for a mailbox with a control character or a blank outside a quoted local
// part.
TMailAddress Normalise(const TMailAddress& Given);
// Normalise for each address; empty ones are left out.
TMailAddressList NormaliseList(const TMailAddressList& List);

}  // namespace vxMailAddress
