// Finding the version block in PE resources and ELF sections, with every
// offset checked against the file, and patching it in place.
#include "platform/version/vxVersionFile.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/files/vxFileHandle.h"

namespace vxVersionFile {
namespace {

constexpr uint32_t RT_VERSION = 16;
constexpr uint32_t VersionName = 1;
constexpr uint32_t HighBit = 0x80000000u;
constexpr size_t MaxFileSize = size_t{1} << 31;

// Little-endian reads that fail instead of reading past the bytes.
struct TReader {
  std::string_view Bytes;
  bool Has(uint64_t At, uint64_t Count) const { return At <= Bytes.size() && Count <= Bytes.size() - At; }
  uint64_t Get(uint64_t At, int Count) const {
    uint64_t v = 0;
    for (int i = Count - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(Bytes[At + i]);
    return v;
  }
  bool U16(uint64_t At, uint32_t& v) const {
    if (!Has(At, 2)) return false;
    v = static_cast<uint32_t>(Get(At, 2));
    return true;
  }
  bool U32(uint64_t At, uint32_t& v) const {
    if (!Has(At, 4)) return false;
    v = static_cast<uint32_t>(Get(At, 4));
    return true;
  }
  bool U64(uint64_t At, uint64_t& v) const {
    if (!Has(At, 8)) return false;
    v = Get(At, 8);
    return true;
  }
};

struct TSection {
  uint32_t VirtualAddress, VirtualSize, RawSize, RawOffset;
};

// The file offset of a relative virtual address through the section table.
std::optional<uint64_t> RvaToOffset(const std::vector<TSection>& Sections, uint32_t Rva) {
  for (const TSection& s : Sections) {
    const uint64_t span = std::max(s.VirtualSize, s.RawSize);
    if (Rva >= s.VirtualAddress && Rva - s.VirtualAddress < span) {
      const uint64_t delta = Rva - s.VirtualAddress;
      if (delta >= s.RawSize) return std::nullopt;  // not backed by file bytes
      return static_cast<uint64_t>(s.RawOffset) + delta;
    }
  }
  return std::nullopt;
}

// The entry of a resource directory with the numeric Id (any entry when
// Id is empty); its offset field. Only the three fixed levels are walked,
// so a directory that points back to itself cannot make a loop.
std::optional<uint32_t> FindEntry(const TReader& r, uint64_t Directory, std::optional<uint32_t> Id) {
  uint32_t named = 0, ids = 0;
  if (!r.U16(Directory + 12, named) || !r.U16(Directory + 14, ids)) return std::nullopt;
  const uint64_t first = Directory + 16;
  for (uint32_t i = 0; i < named + ids; ++i) {
    uint32_t name = 0, offset = 0;
    if (!r.U32(first + 8ull * i, name) || !r.U32(first + 8ull * i + 4, offset)) return std::nullopt;
    if (Id && ((name & HighBit) != 0 || name != *Id)) continue;
    return offset;
  }
  return std::nullopt;
}

std::optional<TBlockPlace> FindPeVersion(std::string_view Bytes) {
  const TReader r{Bytes};
  if (Bytes.size() < 2 || Bytes[0] != 'M' || Bytes[1] != 'Z') return std::nullopt;
  uint32_t pe = 0;
  if (!r.U32(0x3C, pe) || !r.Has(pe, 24) || Bytes.substr(pe, 4) != std::string_view("PE\0\0", 4)) return std::nullopt;
  uint32_t sectionCount = 0, optionalSize = 0, magic = 0;
  if (!r.U16(pe + 6, sectionCount) || !r.U16(pe + 20, optionalSize)) return std::nullopt;
  const uint64_t optional = pe + 24ull;
  if (!r.U16(optional, magic)) return std::nullopt;
  uint64_t directories = 0;
  uint32_t directoryCount = 0;
  if (magic == 0x10B) {  // PE32
    directories = optional + 96;
    if (!r.U32(optional + 92, directoryCount)) return std::nullopt;
  } else if (magic == 0x20B) {  // PE32+
    directories = optional + 112;
    if (!r.U32(optional + 108, directoryCount)) return std::nullopt;
  } else {
    return std::nullopt;
  }
  if (directoryCount < 3 || directories + 24 > optional + optionalSize) return std::nullopt;
  uint32_t resourceRva = 0, resourceSize = 0;
  if (!r.U32(directories + 16, resourceRva) || !r.U32(directories + 20, resourceSize)) return std::nullopt;
  if (resourceRva == 0) return std::nullopt;

  std::vector<TSection> sections;
  const uint64_t table = optional + optionalSize;
  for (uint32_t i = 0; i < sectionCount; ++i) {
    const uint64_t at = table + 40ull * i;
    TSection s{};
    if (!r.U32(at + 8, s.VirtualSize) || !r.U32(at + 12, s.VirtualAddress) || !r.U32(at + 16, s.RawSize) ||
        !r.U32(at + 20, s.RawOffset))
      return std::nullopt;
    sections.push_back(s);
  }
  const std::optional<uint64_t> root = RvaToOffset(sections, resourceRva);
  if (!root) return std::nullopt;

  // Type 16, then name 1, then the first language: two directories and a
  // data entry.
  std::optional<uint32_t> entry = FindEntry(r, *root, RT_VERSION);
  if (!entry || !(*entry & HighBit)) return std::nullopt;
  entry = FindEntry(r, *root + (*entry & ~HighBit), VersionName);
  if (!entry || !(*entry & HighBit)) return std::nullopt;
  entry = FindEntry(r, *root + (*entry & ~HighBit), std::nullopt);
  if (!entry || (*entry & HighBit)) return std::nullopt;
  uint32_t dataRva = 0, dataSize = 0;
  if (!r.U32(*root + *entry, dataRva) || !r.U32(*root + *entry + 4, dataSize)) return std::nullopt;
  const std::optional<uint64_t> data = RvaToOffset(sections, dataRva);
  if (!data || dataSize == 0 || !r.Has(*data, dataSize)) return std::nullopt;
  return TBlockPlace{static_cast<size_t>(*data), dataSize};
}

}  // namespace

std::optional<TBlockPlace> FindElfSection(std::string_view Bytes, std::string_view Name) {
  const TReader r{Bytes};
  if (Bytes.size() < 0x34 || Bytes.substr(0, 4) != "\x7F" "ELF") return std::nullopt;
  const bool is64 = Bytes[4] == 2;
  if ((Bytes[4] != 1 && !is64) || Bytes[5] != 1) return std::nullopt;  // little-endian only
  uint64_t tableOffset = 0;
  uint32_t entrySize = 0, count = 0, names = 0, small = 0;
  if (is64) {
    if (!r.U64(0x28, tableOffset) || !r.U16(0x3A, entrySize) || !r.U16(0x3C, count) || !r.U16(0x3E, names))
      return std::nullopt;
  } else {
    if (!r.U32(0x20, small) || !r.U16(0x2E, entrySize) || !r.U16(0x30, count) || !r.U16(0x32, names))
      return std::nullopt;
    tableOffset = small;
  }
  if (entrySize < (is64 ? 0x40u : 0x28u) || names >= count) return std::nullopt;
  // One section header: its name index, type, file offset and size.
  auto header = [&](uint32_t i, uint32_t& name, uint32_t& type, uint64_t& offset, uint64_t& size) {
    const uint64_t at = tableOffset + static_cast<uint64_t>(entrySize) * i;
    if (!r.U32(at, name) || !r.U32(at + 4, type)) return false;
    if (is64) return r.U64(at + 0x18, offset) && r.U64(at + 0x20, size);
    uint32_t o = 0, s = 0;
    if (!r.U32(at + 0x10, o) || !r.U32(at + 0x14, s)) return false;
    offset = o;
    size = s;
    return true;
  };
  uint32_t ignored = 0, type = 0;
  uint64_t namesOffset = 0, namesSize = 0;
  if (!header(names, ignored, type, namesOffset, namesSize) || !r.Has(namesOffset, namesSize)) return std::nullopt;
  const std::string_view nameTable = Bytes.substr(namesOffset, namesSize);
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t name = 0;
    uint64_t offset = 0, size = 0;
    if (!header(i, name, type, offset, size)) return std::nullopt;
    if (type == 8 || name >= nameTable.size()) continue;  // SHT_NOBITS holds no file bytes
    const std::string_view rest = nameTable.substr(name);
    const size_t end = rest.find('\0');
    if (end == std::string_view::npos || rest.substr(0, end) != Name) continue;
    if (!r.Has(offset, size)) return std::nullopt;
    return TBlockPlace{static_cast<size_t>(offset), static_cast<size_t>(size)};
  }
  return std::nullopt;
}

std::optional<TBlockPlace> FindVersionBlock(std::string_view FileBytes) {
  if (std::optional<TBlockPlace> pe = FindPeVersion(FileBytes)) return pe;
  std::optional<TBlockPlace> elf = FindElfSection(FileBytes, VersionSectionName);
  if (elf && elf->Size == 0) return std::nullopt;
  return elf;
}

bool ReadFileBytes(const ustring& FileName, std::string& Bytes) {
  const vxFileSystem::TFileHandle file = vxFileSystem::TFileHandle::Open(FileName, fmOpenRead | fmShareDenyNone);
  if (!file.Valid()) return false;
  const int64_t size = file.Size();
  if (size < 0 || static_cast<uint64_t>(size) > MaxFileSize) return false;
  Bytes.assign(static_cast<size_t>(size), '\0');
  const ssize_t got = file.Read(Bytes.data(), Bytes.size());
  if (got < 0) return false;
  Bytes.resize(static_cast<size_t>(got));
  return true;
}

bool ReadVersionBlock(const ustring& FileName, std::string& Block) {
  std::string bytes;
  if (!ReadFileBytes(FileName, bytes)) return false;
  const std::optional<TBlockPlace> place = FindVersionBlock(bytes);
  if (!place) return false;
  Block.assign(bytes, place->Offset, place->Size);
  return true;
}

bool WriteVersionBlock(const ustring& FileName, std::string_view Block) {
  std::string bytes;
  if (!ReadFileBytes(FileName, bytes)) return false;
  const std::optional<TBlockPlace> place = FindVersionBlock(bytes);
  if (!place || place->Size != Block.size()) return false;
  bytes.replace(place->Offset, place->Size, Block);
  return vxFileSystem::ReplaceFileContent(FileName, bytes);
}

}  // namespace vxVersionFile
