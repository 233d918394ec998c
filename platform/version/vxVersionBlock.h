// The version block of executables (VS_VERSIONINFO): looking values up by
// their query path, as the original platform's value query does, and
// building a block from its parts. The reader checks every length against
// the block, so a damaged block gives "not found", never a read outside it.
//
// A block is a tree of nodes; each node is
//   WORD length, WORD value length, WORD type (1 text, 0 binary),
//   the key as UTF-16 with a NUL, padding to 4 bytes, the value,
//   padding to 4 bytes, the children.
// The value length counts UTF-16 characters for text nodes, bytes for
// binary ones. The root's key is "VS_VERSION_INFO" and its value the fixed
// part, which therefore starts at byte 40.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/base/vxBase.h"

namespace vxVersionBlock {

// Byte offsets in a block that starts with the root node.
inline constexpr size_t FixedPartOffset = 40;
inline constexpr size_t FileVersionMSOffset = 48;
inline constexpr size_t FileVersionLSOffset = 52;
inline constexpr size_t ProductVersionMSOffset = 56;
inline constexpr size_t ProductVersionLSOffset = 60;
inline constexpr uint32_t FixedSignature = 0xFEEF04BD;

// Where a queried value lies in the block: its first byte and its length
// as the query reports it (characters for text, bytes for binary values).
// The Length characters or bytes lie wholly inside the block.
struct TValuePlace {
  size_t Offset = 0;
  uint32_t Length = 0;
  bool IsText = false;
};

// Looks SubBlock up: "\" is the root's value (the fixed part), otherwise
// the keys separated by "\" from the root's children down, compared
// without regard to ASCII case. False when a node is missing, has no
// value or the block is damaged on the way.
bool QueryValue(std::string_view Block, std::u16string_view SubBlock, TValuePlace& Place);

// Little-endian access inside a block; the caller has checked the bounds.
uint32_t ReadDWord(std::string_view Block, size_t Offset);
void WriteDWord(std::string& Block, size_t Offset, uint32_t Value);

// The "\VarFileInfo\Translation" entries as (language, code page) pairs;
// empty when the list is missing or empty.
std::vector<std::pair<uint16_t, uint16_t>> Translations(std::string_view Block);
// "\StringFileInfo\" + language and code page as 4 upper-case hexadecimal
// digits each + "\" + Key.
ustring StringPath(uint16_t Language, uint16_t CodePage, const ustring& Key);

// The parts of a block to build.
struct TStringTable {
  uint16_t Language = 0x0409;
  uint16_t CodePage = 0x04B0;
  std::vector<std::pair<ustring, ustring>> Values;  // key, value
};
struct TBlockContent {
  uint16_t FileVersion[4] = {0, 0, 0, 0};  // Major, Minor, Revision, Build
  uint16_t ProductVersion[4] = {0, 0, 0, 0};
  std::vector<TStringTable> StringTables;
  // Written as "\VarFileInfo\Translation" unless WithTranslations is False.
  std::vector<std::pair<uint16_t, uint16_t>> TranslationList;
  bool WithTranslations = true;
};

// The whole block. Each text value takes its characters and a NUL; its
// value length counts both.
std::string Build(const TBlockContent& Content);

}  // namespace vxVersionBlock
