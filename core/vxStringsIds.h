// Identifiers and the compressed text format.
//
// Compressed text: one zlib stream (deflate level 9, 15-bit window, memory
// level 8, default strategy; header 0x78 0xDA) whose content is the text's
// byte length as 4 bytes little-endian, then the text's bytes. The
// compressed bytes travel as 8-bit text; stored files and peers rely on them.
#pragma once

#include <string>

#include "platform/vxBase.h"
#include "platform/vxZlib.h"

namespace TvxStrings {

// The compressed text of S. Raises EZCompressionError for a text of 2 GiB
// or more, whose length the format cannot hold.
std::string CompressString(const std::string& S);

// The text that CompressString packed into S. Raises EZDecompressionError
// when S is not such a stream: damaged data, a stream that ends early, or a
// length field that does not match what the stream holds.
std::string DecompressString(const std::string& S);

}  // namespace TvxStrings
