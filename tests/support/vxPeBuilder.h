// Builds small PE files (PE32 and PE32+) in test code: headers, one
// resource section and, in it, resources given as (type, name, language,
// bytes). Tests of the version reader make their fixtures with it, and
// damage them on purpose through the offsets it reports.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace vxTest {

struct TPeResource {
  uint32_t Type = 16;
  uint32_t Name = 1;
  uint32_t Language = 0;
  std::string Data;
};

struct TPeImage {
  std::string Bytes;
  size_t PeHeader = 0;          // offset of "PE\0\0"
  size_t ResourceDirectory = 0; // file offset of the resource directory entry (RVA, size)
  size_t SectionTable = 0;
  size_t ResourceRoot = 0;      // file offset of the root resource directory
  std::vector<size_t> DataOffsets;  // file offset of each resource's bytes
};

class TPeBuilder {
 public:
  static TPeImage Build(bool Pe32Plus, const std::vector<TPeResource>& Resources) {
    constexpr uint32_t sectionRva = 0x1000;
    constexpr uint32_t fileAlign = 0x200;
    TPeImage image;
    std::string& b = image.Bytes;
    b.assign(0x40, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    image.PeHeader = 0x80;
    Put32(b, 0x3C, static_cast<uint32_t>(image.PeHeader));
    b.resize(image.PeHeader, '\0');
    b += std::string("PE\0\0", 4);
    // COFF header: machine, one section, optional header size.
    const uint16_t optionalSize = Pe32Plus ? 240 : 224;
    std::string coff(20, '\0');
    Put16(coff, 0, Pe32Plus ? 0x8664 : 0x014C);
    Put16(coff, 2, 1);
    Put16(coff, 16, optionalSize);
    Put16(coff, 18, 0x2102);
    b += coff;
    const size_t optional = b.size();
    b.append(optionalSize, '\0');
    Put16(b, optional, Pe32Plus ? 0x20B : 0x10B);
    Put32(b, optional + 32, 0x1000);     // section alignment
    Put32(b, optional + 36, fileAlign);  // file alignment
    const size_t countAt = optional + (Pe32Plus ? 108 : 92);
    Put32(b, countAt, 16);
    image.ResourceDirectory = optional + (Pe32Plus ? 112 : 96) + 16;
    image.SectionTable = b.size();
    b.append(40, '\0');
    b.resize(fileAlign, '\0');

    // The resource tree: root by type, then by name, then by language.
    std::string tree;
    std::vector<uint32_t> types;
    for (const TPeResource& r : Resources)
      if (std::find(types.begin(), types.end(), r.Type) == types.end()) types.push_back(r.Type);
    // Directory layout: root, one directory per type, one per (type,
    // name) pair with one language entry each, then data entries, then data.
    tree = Directory(static_cast<uint16_t>(types.size()));
    std::vector<size_t> typeEntry(types.size());
    for (size_t t = 0; t < types.size(); ++t) {
      typeEntry[t] = tree.size();
      tree.append(8, '\0');
    }
    std::vector<size_t> dataEntryRef(Resources.size());
    for (size_t t = 0; t < types.size(); ++t) {
      std::vector<size_t> members;
      for (size_t i = 0; i < Resources.size(); ++i)
        if (Resources[i].Type == types[t]) members.push_back(i);
      Put32(tree, typeEntry[t], types[t]);
      Put32(tree, typeEntry[t] + 4, 0x80000000u | static_cast<uint32_t>(tree.size()));
      tree += Directory(static_cast<uint16_t>(members.size()));
      std::vector<size_t> nameEntry;
      for (size_t m = 0; m < members.size(); ++m) {
        nameEntry.push_back(tree.size());
        tree.append(8, '\0');
      }
      for (size_t m = 0; m < members.size(); ++m) {
        const TPeResource& r = Resources[members[m]];
        Put32(tree, nameEntry[m], r.Name);
        Put32(tree, nameEntry[m] + 4, 0x80000000u | static_cast<uint32_t>(tree.size()));
        tree += Directory(1);
        // The one language entry: its id, then its data entry's offset (set below).
        Put32(tree, tree.size(), r.Language);
        dataEntryRef[members[m]] = tree.size() - 4;
        tree.append(4, '\0');
      }
    }
    // Data entries.
    std::vector<size_t> dataEntry(Resources.size());
    for (size_t i = 0; i < Resources.size(); ++i) {
      Put32(tree, dataEntryRef[i] + 4, static_cast<uint32_t>(tree.size()));
      dataEntry[i] = tree.size();
      tree.append(16, '\0');
    }
    for (size_t i = 0; i < Resources.size(); ++i) {
      while (tree.size() % 8 != 0) tree.push_back('\0');
      Put32(tree, dataEntry[i], sectionRva + static_cast<uint32_t>(tree.size()));
      Put32(tree, dataEntry[i] + 4, static_cast<uint32_t>(Resources[i].Data.size()));
      image.DataOffsets.push_back(fileAlign + tree.size());
      tree += Resources[i].Data;
    }
    image.ResourceRoot = fileAlign;
    const uint32_t rawSize = static_cast<uint32_t>((tree.size() + fileAlign - 1) / fileAlign * fileAlign);
    tree.resize(rawSize, '\0');
    b += tree;

    Put32(b, image.ResourceDirectory, sectionRva);
    Put32(b, image.ResourceDirectory + 4, static_cast<uint32_t>(tree.size()));
    const size_t s = image.SectionTable;
    b.replace(s, 5, ".rsrc");
    Put32(b, s + 8, static_cast<uint32_t>(tree.size()));  // virtual size
    Put32(b, s + 12, sectionRva);
    Put32(b, s + 16, rawSize);
    Put32(b, s + 20, fileAlign);
    Put32(b, s + 36, 0x40000040);  // initialised data, readable
    return image;
  }

  static void Put16(std::string& b, size_t at, uint16_t v) {
    if (b.size() < at + 2) b.resize(at + 2, '\0');
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
  }
  static void Put32(std::string& b, size_t at, uint32_t v) {
    if (b.size() < at + 4) b.resize(at + 4, '\0');
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  }

 private:
  // A directory header for Count id entries (the entries follow it).
  static std::string Directory(uint16_t Count) {
    std::string d(16, '\0');
    Put16(d, 14, Count);
    return d;
  }
};

}  // namespace vxTest
