// Test access to the start-up routine: forgetting its outcome, so that a
// test can run the start-up again. Not part of the library's interface.
#pragma once

namespace vxStartup {

// Forgets the outcome, so that tests can run the start-up again.
void ResetForTests();

}  // namespace vxStartup
