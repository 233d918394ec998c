// The overwriting step of wiping a file, on its own so that tests can look
// at what it leaves. Not part of the library's interface.
#pragma once

#include <cstdint>

#include "platform/base/vxBase.h"

namespace vxFilesContent {

// The overwriting that WipeFile does before it renames and deletes the file:
// every block written over RewrittenTimes times, then flushed to disk.
// Opened tells whether the file could be opened for reading and writing; the
// result whether every step succeeded.
bool OverwriteBlocks(const ustring& FileName, int32_t RewrittenTimes, bool& Opened);

}  // namespace vxFilesContent
