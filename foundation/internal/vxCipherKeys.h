// The one home of the cipher keys and the DCW tables. No key is stored
// whole: each is put together at run time from its pieces. Changing any
// value here makes every text enciphered before unreadable (the golden
// vectors of the tests pin them).
#pragma once

#include <string>

namespace vxInternal::vxCipherKeys {

// The security-ID constant that the public key builders ask for.
const std::string& SecurityId();

// 16 decimal digits: a stored 15-digit piece and one digit worked out here.
std::string LogonKey();
// Five integers written in decimal one after the other.
std::string MegaKey();
std::string ServiceKey();
std::string InternalKey();
std::string PrivateKeyPrefix();
// 16 characters, each worked out from its position.
std::string CommonEncryptionKey();
// The security ID with each character code shifted by one: down at odd
// positions, up at even positions (counted from 1).
std::string CommonSecurityKey();
// Decimal digits from four pieces.
std::string ScriptKey();

// DCW tables: 71 distinct input symbols (positions 1 to 71), the parallel
// output table of one- or two-byte entries, and ten key rows of eight
// decimal digits. Every entry of the output table that reads as a number is
// a single digit, so it names one of the rows.
constexpr int kDcwSize = 71;
const std::string& DcwInputAlphabet();
const std::string& DcwOutput(int Position);  // 1 .. 71
const char* DcwKeyRow(int Row);              // 0 .. 9

}  // namespace vxInternal::vxCipherKeys
