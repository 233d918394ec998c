// Where an executable file keeps its version block, and reading and
// rewriting that block. Two containers are known:
//   PE files (Windows executables): the resource of type 16 (RT_VERSION),
//     name 1, the first language found;
//   ELF files (our own modules): the section ".vxversioninfo", which the
//     build makes from the project's version.
// A file of either kind without that resource or section is unversioned.
// Every offset and length read from the file is checked against the file,
// so a damaged file is unversioned, never read outside its bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/vxBase.h"

namespace vxVersionFile {

// The ELF section that holds our modules' version block.
inline constexpr char VersionSectionName[] = ".vxversioninfo";

// The block's place in a file's bytes.
struct TBlockPlace {
  size_t Offset = 0;
  size_t Size = 0;
};

// The version block's place in the bytes of a PE or ELF file.
std::optional<TBlockPlace> FindVersionBlock(std::string_view FileBytes);
// The bytes of the ELF section Name; nothing when the file is no ELF file
// or lacks that section.
std::optional<TBlockPlace> FindElfSection(std::string_view FileBytes, std::string_view Name);

// The whole content of a file (links followed); False when it cannot be
// read.
bool ReadFileBytes(const ustring& FileName, std::string& Bytes);

// A copy of the file's version block; False for a missing, unreadable or
// unversioned file.
bool ReadVersionBlock(const ustring& FileName, std::string& Block);

// Puts Block in place of the file's version block, which must have the
// same size: the file is patched in place (its other bytes stay as they
// are) and replaced in one step, so a failure leaves it as it was. False
// when the file has no version block of that size or cannot be written.
bool WriteVersionBlock(const ustring& FileName, std::string_view Block);

}  // namespace vxVersionFile
