// What the registry's interface and its store share: the error class, the
// value data types, the raw data of text values, and the names of the key
// tree's classes (declared in platform/registry/vxRegKeyTree.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base/vxBase.h"
#include "platform/base/vxExceptions.h"

// Registry errors: a missing key or value, a value of another type, a name the
// registry cannot hold, a store file that does not parse. Failed system calls
// raise EOSError.
VX_DECLARE_EXCEPTION(ERegistryException, Exception);

// Data types of registry values. The codes are those the file format writes
// in "hex(N):"; a value may carry any other code as well.
enum TRegDataType : uint32_t {
  REG_NONE = 0,
  REG_SZ = 1,
  REG_EXPAND_SZ = 2,
  REG_BINARY = 3,
  REG_DWORD = 4,
  REG_MULTI_SZ = 7,
  REG_QWORD = 11,
};

namespace vxRegFile {

// Raw data of text values: UTF-16LE units followed by one 0 unit.
std::string EncodeText(std::u16string_view text);
// The UTF-16LE units of Data; an odd last byte is ignored.
ustring DecodeUnits(std::string_view data);

struct TRegValue;
class TRegKeyNode;

}  // namespace vxRegFile
