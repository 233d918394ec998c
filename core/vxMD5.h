// MD5 digests (RFC 1321) of memory, of 8-bit strings and of files, always as
// 32 upper-case hexadecimal digits. The unit runs a fixed self test when the
// library starts and again before every string and file digest.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/vxBase.h"

namespace TvxMD5 {

// Digest of BufSize bytes at Buffer; BufSize 0 gives the empty input's
// digest. A negative BufSize, or no Buffer for a positive one, raises.
std::string GetMD5(const void* Buffer, int32_t BufSize);

// Digest of the bytes of Text, after the self test.
std::string GetMD5FromString(const std::string& Text);

// Digest of the whole file, read in pieces with AccessMode as the open mode
// (the runtime's modes; 32 lets others read but not write). Raises
// "file " + FileName + " not found" when the file does not exist (the
// system's existence test: a file that is not a folder, hidden or a system
// file), and "file " + FileName + " cannot be read (" + the reason + ")"
// when it exists but cannot be opened or read to its end: an unreadable file
// never passes for the empty one.
std::string GetMD5FromFile(const ustring& FileName, uint16_t AccessMode);

// True when the digest of the empty input is the standard's.
bool MD5SelfTest();

}  // namespace TvxMD5

namespace vxMD5 {

// The unit's start-up step: raises "MD5 self test failed!" when the self
// test fails.
void Initialize();

}  // namespace vxMD5
