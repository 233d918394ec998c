// The version block reader and builder, and finding the block in PE files
// built here and in ELF files, damaged ones included.
#include <gtest/gtest.h>

#include <string>

#include "platform/version/vxModule.h"
#include "platform/version/vxVersionBlock.h"
#include "platform/version/vxVersionFile.h"
#include "support/vxPeBuilder.h"
#include "support/vxTestTempDir.h"

namespace {

using vxVersionBlock::TValuePlace;

vxVersionBlock::TBlockContent SampleContent() {
  vxVersionBlock::TBlockContent content;
  content.FileVersion[0] = 5;
  content.FileVersion[1] = 2;
  content.FileVersion[3] = 118;
  content.ProductVersion[0] = 5;
  content.ProductVersion[1] = 3;
  vxVersionBlock::TStringTable table;
  table.Language = 0x0407;
  table.CodePage = 0x04E4;
  table.Values = {{u"CompanyName", u"Maker"}, {u"ProductVersion", u"5.2.0"}};
  content.StringTables.push_back(table);
  content.TranslationList = {{0x0407, 0x04E4}, {0x0409, 0x04B0}};
  return content;
}

ustring TextAt(const std::string& block, const TValuePlace& place) {
  ustring text;
  for (uint32_t i = 0; i < place.Length; ++i) {
    const size_t at = place.Offset + 2 * i;
    text.push_back(static_cast<char16_t>(static_cast<unsigned char>(block[at]) |
                                         (static_cast<unsigned char>(block[at + 1]) << 8)));
  }
  return text;
}

TEST(VersionBlock, QueriesTheFixedPartStringsAndTranslations) {
  const std::string block = vxVersionBlock::Build(SampleContent());
  TValuePlace fixed;
  ASSERT_TRUE(vxVersionBlock::QueryValue(block, u"\\", fixed));
  EXPECT_EQ(fixed.Offset, vxVersionBlock::FixedPartOffset);
  EXPECT_EQ(fixed.Length, 52u);
  EXPECT_FALSE(fixed.IsText);
  EXPECT_EQ(vxVersionBlock::ReadDWord(block, 40), vxVersionBlock::FixedSignature);
  EXPECT_EQ(vxVersionBlock::ReadDWord(block, 48), 0x00050002u);
  EXPECT_EQ(vxVersionBlock::ReadDWord(block, 52), 118u);
  EXPECT_EQ(vxVersionBlock::ReadDWord(block, 56), 0x00050003u);
  EXPECT_EQ(vxVersionBlock::ReadDWord(block, 60), 0u);

  TValuePlace company;
  ASSERT_TRUE(vxVersionBlock::QueryValue(block, vxVersionBlock::StringPath(0x0407, 0x04E4, u"CompanyName"), company));
  EXPECT_TRUE(company.IsText);
  EXPECT_EQ(TextAt(block, company), ustring(u"Maker\0", 6));  // the slot counts the NUL
  // Keys compare without regard to ASCII case; absent keys are not found.
  EXPECT_TRUE(vxVersionBlock::QueryValue(block, u"\\stringfileinfo\\040704e4\\companyname", company));
  EXPECT_FALSE(vxVersionBlock::QueryValue(block, vxVersionBlock::StringPath(0x0407, 0x04E4, u"Comment"), company));
  EXPECT_FALSE(vxVersionBlock::QueryValue(block, vxVersionBlock::StringPath(0x0409, 0x04B0, u"CompanyName"), company));

  const auto translations = vxVersionBlock::Translations(block);
  ASSERT_EQ(translations.size(), 2u);
  EXPECT_EQ(translations[0], (std::pair<uint16_t, uint16_t>{0x0407, 0x04E4}));
  EXPECT_EQ(translations[1], (std::pair<uint16_t, uint16_t>{0x0409, 0x04B0}));
  EXPECT_EQ(vxVersionBlock::StringPath(0x0407, 0x04E4, u"Comment"), u"\\StringFileInfo\\040704E4\\Comment");
}

TEST(VersionBlock, WithoutTranslationListGivesNoEntries) {
  vxVersionBlock::TBlockContent content = SampleContent();
  content.WithTranslations = false;
  EXPECT_TRUE(vxVersionBlock::Translations(vxVersionBlock::Build(content)).empty());
  content.WithTranslations = true;
  content.TranslationList.clear();
  EXPECT_TRUE(vxVersionBlock::Translations(vxVersionBlock::Build(content)).empty());
}

// Every prefix of a block and every single damaged byte: look-ups may fail
// but stay inside the bytes (AddressSanitizer watches the copies).
TEST(VersionBlock, DamagedBlocksNeverReadOutside) {
  const std::string block = vxVersionBlock::Build(SampleContent());
  const ustring paths[] = {u"\\", vxVersionBlock::StringPath(0x0407, 0x04E4, u"ProductVersion"),
                           u"\\VarFileInfo\\Translation"};
  for (size_t n = 0; n < block.size(); ++n) {
    const std::string cut(block.data(), n);  // its own allocation, so overreads are caught
    for (const ustring& path : paths) {
      TValuePlace place;
      if (vxVersionBlock::QueryValue(cut, path, place)) {
        EXPECT_LE(place.Offset + (place.IsText ? 2 : 1) * size_t{place.Length}, n);
      }
    }
    vxVersionBlock::Translations(cut);
  }
  for (size_t i = 0; i < block.size(); ++i) {
    for (unsigned char value : {0x00, 0x03, 0xFF}) {
      std::string damaged = block;
      damaged[i] = static_cast<char>(value);
      for (const ustring& path : paths) {
        TValuePlace place;
        if (vxVersionBlock::QueryValue(damaged, path, place)) {
          EXPECT_LE(place.Offset + (place.IsText ? 2 : 1) * size_t{place.Length}, damaged.size());
        }
      }
    }
  }
}

TEST(VersionFile, FindsTheResourceInPe32AndPe32Plus) {
  const std::string block = vxVersionBlock::Build(SampleContent());
  for (bool plus : {false, true}) {
    SCOPED_TRACE(plus ? "PE32+" : "PE32");
    const vxTest::TPeImage image = vxTest::TPeBuilder::Build(
        plus, {{24, 1, 0, "<manifest/>"}, {16, 1, 0x0407, block}, {10, 7, 0, "other"}});
    const auto place = vxVersionFile::FindVersionBlock(image.Bytes);
    ASSERT_TRUE(place);
    EXPECT_EQ(place->Offset, image.DataOffsets[1]);
    EXPECT_EQ(image.Bytes.substr(place->Offset, place->Size), block);
  }
}

TEST(VersionFile, UnversionedFiles) {
  const std::string block = vxVersionBlock::Build(SampleContent());
  const std::string cases[] = {
      "",
      "MZ",
      "plain text, no executable",
      vxTest::TPeBuilder::Build(false, {}).Bytes,
      vxTest::TPeBuilder::Build(true, {{10, 1, 0, "data"}}).Bytes,
      vxTest::TPeBuilder::Build(false, {{16, 2, 0, block}}).Bytes,  // name 2 is not the version
  };
  for (const std::string& bytes : cases) EXPECT_FALSE(vxVersionFile::FindVersionBlock(bytes)) << bytes.size();
}

TEST(VersionFile, DamagedPeFilesAreUnversioned) {
  const std::string block = vxVersionBlock::Build(SampleContent());
  const vxTest::TPeImage image = vxTest::TPeBuilder::Build(false, {{16, 1, 0, block}});
  ASSERT_TRUE(vxVersionFile::FindVersionBlock(image.Bytes));
  // Every truncation: found only when the whole block is still there.
  for (size_t n = 0; n < image.Bytes.size(); ++n) {
    const std::string cut(image.Bytes.data(), n);
    const auto place = vxVersionFile::FindVersionBlock(cut);
    if (place) {
      EXPECT_LE(place->Offset + place->Size, n);
    }
  }
  using vxTest::TPeBuilder;
  struct Case {
    const char* What;
    size_t At;
    uint32_t Value;
  };
  const size_t root = image.ResourceRoot;
  const Case cases[] = {
      {"header offset past the end", 0x3C, 0x7FFFFFF0},
      {"resource directory outside every section", image.ResourceDirectory, 0x90000},
      {"section bytes past the end", image.SectionTable + 20, 0x7FFFFF00},
      {"type directory points back to the root", root + 16 + 4, 0x80000000u},
      {"type entry is no directory", root + 16 + 4, 0x20},
      {"entry count beyond the file", root + 14, 0xFFFF},
      {"data past the end", 0, 0},  // its size field is found below
  };
  for (const Case& c : cases) {
    std::string damaged = image.Bytes;
    if (std::string(c.What) == "data past the end") {
      // The data entry: its RVA and size are known.
      bool patched = false;
      for (size_t at = root; at + 8 <= image.DataOffsets[0]; at += 4) {
        if (vxVersionBlock::ReadDWord(damaged, at + 4) == block.size() &&
            vxVersionBlock::ReadDWord(damaged, at) == 0x1000 + (image.DataOffsets[0] - root)) {
          TPeBuilder::Put32(damaged, at + 4, 0x00FFFFFF);
          patched = true;
        }
      }
      ASSERT_TRUE(patched);
    } else {
      TPeBuilder::Put32(damaged, c.At, c.Value);
    }
    EXPECT_FALSE(vxVersionFile::FindVersionBlock(damaged)) << c.What;
  }
}

TEST(VersionFile, ElfSectionsOfTheTestProgram) {
  std::string bytes;
  ASSERT_TRUE(vxVersionFile::ReadFileBytes(vxModule::ExecutableFileName(), bytes));
  EXPECT_TRUE(vxVersionFile::FindElfSection(bytes, ".text"));
  // The test program carries no version section: unversioned.
  EXPECT_FALSE(vxVersionFile::FindVersionBlock(bytes));
  // Damaged copies never read outside.
  for (size_t n : {size_t{0}, size_t{4}, size_t{0x34}, size_t{0x40}, bytes.size() / 2}) {
    const std::string cut(bytes.data(), n);
    EXPECT_FALSE(vxVersionFile::FindVersionBlock(cut));
    vxVersionFile::FindElfSection(cut, ".text");
  }
}

TEST(VersionFile, WritesInPlaceOnlyABlockOfTheSameSize) {
  TTestTempDir dir;
  const std::string block = vxVersionBlock::Build(SampleContent());
  const vxTest::TPeImage image = vxTest::TPeBuilder::Build(true, {{16, 1, 0, block}});
  const std::string file = dir.File("app.exe");
  TTestTempDir::WriteBytes(file, image.Bytes);
  std::string changed = block;
  vxVersionBlock::WriteDWord(changed, 48, 0x00090008);
  EXPECT_FALSE(vxVersionFile::WriteVersionBlock(dir.WideFile("app.exe"), changed + "xxxx"));
  EXPECT_EQ(TTestTempDir::ReadBytes(file), image.Bytes);
  ASSERT_TRUE(vxVersionFile::WriteVersionBlock(dir.WideFile("app.exe"), changed));
  std::string expected = image.Bytes;
  expected.replace(image.DataOffsets[0], block.size(), changed);
  EXPECT_EQ(TTestTempDir::ReadBytes(file), expected);
  std::string read;
  EXPECT_TRUE(vxVersionFile::ReadVersionBlock(dir.WideFile("app.exe"), read));
  EXPECT_EQ(read, changed);
  EXPECT_FALSE(vxVersionFile::ReadVersionBlock(dir.WideFile("missing.exe"), read));
  EXPECT_FALSE(vxVersionFile::WriteVersionBlock(dir.WideFile("missing.exe"), changed));
}

TEST(Module, PathsOfTheProgram) {
  const ustring exe = vxModule::ExecutableFileName();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe.substr(exe.rfind(u'/') + 1), u"test_platform");
  // Linked into the program, this code's module is the program itself.
  EXPECT_EQ(vxModule::OwnModuleFileName(), exe);
  EXPECT_EQ(vxModule::ModuleFileNameOf(nullptr), u"");
}

}  // namespace
