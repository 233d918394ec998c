// The desktop's mail program, opened with a new mail to compose: through
// xdg-email of xdg-utils, which hands a mailto URI to the user's mail
// program. The mail program shows the mail; the user sends it.
//
// xdg-email cannot name a sender (the mail program's own account sends).
// Its exit status 0 is success; the others are told in the failure text.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/base/vxBase.h"

namespace vxMailProgram {

struct TMailDraft {
  ustring Subject;
  ustring Body;
  // Recipients as a header writes them ('box@host', 'Name <box@host>').
  std::vector<ustring> To;
  // Paths of the files to attach; each must exist.
  std::vector<ustring> Attachments;
};

// How long Compose waits for xdg-email at most: some mail programs keep it
// running until their window is closed, as a modal mail dialog would.
inline constexpr int DefaultTimeoutMs = 5 * 60 * 1000;

// The arguments of xdg-email for Draft (the program first). Empty texts are
// left out (xdg-email refuses them); every value follows its option, so a
// value that begins with "-" is still a value.
std::vector<ustring> ComposeArguments(const TMailDraft& Draft);

// Runs xdg-email (looked up on PATH) for Draft in a session of its own,
// output discarded, and waits at most TimeoutMs for its end. True when it
// ended with exit status 0; otherwise false and Failure says why. A run
// that does not end in time is stopped (the mail program it started, if
// any, stays open).
bool Compose(const TMailDraft& Draft, int TimeoutMs, ustring& Failure);

}  // namespace vxMailProgram
