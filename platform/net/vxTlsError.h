// The text of OpenSSL's error queue, for the messages of TLS failures.
#pragma once

#include <string>

namespace vxTlsError {

// The queued errors of this thread as one text ("; " between them), taking
// them off the queue; "unknown TLS failure" when it is empty.
std::string TakeErrorText();

}  // namespace vxTlsError
