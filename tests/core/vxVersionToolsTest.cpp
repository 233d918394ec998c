// TvxVersionTools: version numbers as text and records, and the version
// blocks of PE files built here (read, fixed versions and string values
// rewritten in place).
#include "core/vxVersionTools.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/vxToolsModule.h"
#include "platform/version/vxVersionBlock.h"
#include "support/vxPeBuilder.h"
#include "support/vxTestTempDir.h"

namespace {

using namespace TvxVersionTools;

TEST(VersionTools, VersionsFromText) {
  struct Case {
    const char16_t* Text;
    TvxVersion Version;
    bool ValidString;
  };
  const Case cases[] = {
      {u"1.2", {1, 2, 0, 0}, true},
      {u"", {0, 0, 0, 0}, true},
      {u"1.2.3.4.5", {1, 2, 3, 4}, true},
      {u"x.2", {0, 2, 0, 0}, false},
      {u"1", {1, 0, 0, 0}, true},
      {u"1..3", {1, 0, 3, 0}, true},
      {u"1.x", {1, 0, 0, 0}, false},
      {u"-1", {4294967295u, 0, 0, 0}, false},
      {u"5.2.0.118", {5, 2, 0, 118}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Text, c.Text + std::char_traits<char16_t>::length(c.Text)));
    EXPECT_EQ(GetVersionFromStr(c.Text), c.Version);
    EXPECT_EQ(IsValidVersionString(c.Text), c.ValidString);
  }
  EXPECT_EQ(GetVersionStr(GetVersionFromStr(u"-1")), u"4294967295.0.0.0");
  EXPECT_EQ(GetVersionStr({5, 2, 0, 118}), u"5.2.0.118");
  EXPECT_EQ(InitVersion(), (TvxVersion{0, 0, 0, 0}));
}

TEST(VersionTools, ValidityAndComparison) {
  EXPECT_FALSE(IsValidVersion(TvxVersion{0, 0, 0, 0}));
  EXPECT_FALSE(IsValidVersion(TvxVersion{99999, 99999, 99999, 99999}));
  EXPECT_TRUE(IsValidVersion(TvxVersion{99999, 99999, 99999, 99998}));
  EXPECT_FALSE(IsValidVersion(u"99999.99999.99999.99999"));
  EXPECT_TRUE(IsValidVersion(u"0.0.0.1"));

  struct Case {
    const char16_t* Test;
    const char16_t* Reference;
    TvxVersionComparison Expected;
  };
  const Case cases[] = {
      {u"1.2.3.4", u"1.2.3.4", vxVC_Identical}, {u"2", u"10", vxVC_Older},
      {u"1.10", u"1.9", vxVC_Newer},            {u"1.2", u"1.2.0", vxVC_Identical},
      {u"0.0.0.0", u"1", vxVC_Unknown},         {u"1", u"0.0.0.0", vxVC_Unknown},
      {u"-1", u"4294967294", vxVC_Newer},       {u"1.2.3.5", u"1.2.4", vxVC_Older},
  };
  for (const Case& c : cases) EXPECT_EQ(CompareVersions(c.Test, c.Reference), c.Expected);
}

// A PE file with a version block of two translations, in a fresh folder.
class VersionFileTest : public ::testing::Test {
 protected:
  static vxVersionBlock::TBlockContent Content(bool WithTranslations = true) {
    vxVersionBlock::TBlockContent content;
    const uint16_t file[4] = {5, 2, 0, 118}, product[4] = {5, 2, 1, 0};
    std::copy(file, file + 4, content.FileVersion);
    std::copy(product, product + 4, content.ProductVersion);
    for (uint16_t language : {uint16_t{0x0407}, uint16_t{0x0409}}) {
      vxVersionBlock::TStringTable table;
      table.Language = language;
      table.Values = {{u"CompanyName", u"ACME"}, {u"ProductName", u"Product"}, {u"Comment", u"note"}};
      content.StringTables.push_back(table);
      content.TranslationList.emplace_back(language, table.CodePage);
    }
    content.WithTranslations = WithTranslations;
    return content;
  }

  ustring Write(const std::string& Name, bool Plus, const vxVersionBlock::TBlockContent& C) {
    Image = vxTest::TPeBuilder::Build(Plus, {{16, 1, 0, vxVersionBlock::Build(C)}});
    TTestTempDir::WriteBytes(Dir.File(Name), Image.Bytes);
    return Dir.WideFile(Name);
  }

  TTestTempDir Dir;
  vxTest::TPeImage Image;
};

TEST_F(VersionFileTest, ReadsTheFixedFileVersion) {
  for (bool plus : {false, true}) {
    const ustring file = Write("a.exe", plus, Content());
    uint16_t a, b, c, d;
    ASSERT_TRUE(GetInternalFileVersion(file, a, b, c, d));
    EXPECT_EQ((std::vector<int>{a, b, c, d}), (std::vector<int>{5, 2, 0, 118}));
    EXPECT_EQ(GetInternalFileVersionStr(file), "5.2.0.118");
    EXPECT_EQ(GetBuild(file), 118);
  }
  for (const char* name : {"missing.exe", "text.txt", "bare.exe"}) {
    if (std::string(name) == "text.txt") TTestTempDir::WriteBytes(Dir.File(name), "no executable");
    if (std::string(name) == "bare.exe") TTestTempDir::WriteBytes(Dir.File(name), vxTest::TPeBuilder::Build(false, {}).Bytes);
    uint16_t a = 9, b = 9, c = 9, d = 9;
    EXPECT_FALSE(GetInternalFileVersion(Dir.WideFile(name), a, b, c, d)) << name;
    EXPECT_EQ(a + b + c + d, 0);
    EXPECT_EQ(GetInternalFileVersionStr(Dir.WideFile(name)), "Unknown");
    EXPECT_EQ(GetBuild(Dir.WideFile(name)), 0);
  }
  // A version resource too short for the fixed version is none.
  TTestTempDir::WriteBytes(Dir.File("short.exe"), vxTest::TPeBuilder::Build(false, {{16, 1, 0, std::string(50, 'x')}}).Bytes);
  EXPECT_EQ(GetInternalFileVersionStr(Dir.WideFile("short.exe")), "Unknown");
}

TEST_F(VersionFileTest, ChangeInternalFileVersionSetsFileAndProductVersion) {
  const ustring file = Write("a.dll", true, Content());
  ASSERT_TRUE(ChangeInternalFileVersion(file, 6, 0, 3, 9));
  EXPECT_EQ(GetInternalFileVersionStr(file), "6.0.3.9");
  const std::string after = TTestTempDir::ReadBytes(Dir.File("a.dll"));
  ASSERT_EQ(after.size(), Image.Bytes.size());
  EXPECT_EQ(vxVersionBlock::ReadDWord(after, Image.DataOffsets[0] + 56), 0x00060000u);
  EXPECT_EQ(vxVersionBlock::ReadDWord(after, Image.DataOffsets[0] + 60), 0x00030009u);
  TvxFileInfo info;
  ASSERT_TRUE(ReadFileInfo(file, info));
  EXPECT_EQ(info.CompanyName, u"ACME");  // string values stay
  EXPECT_FALSE(ChangeInternalFileVersion(Dir.WideFile("missing.dll"), 1, 2, 3, 4));
}

TEST_F(VersionFileTest, ChangeStringValueCutsToItsSlotInEveryTranslation) {
  const ustring file = Write("a.exe", false, Content());
  chmod(Dir.File("a.exe").c_str(), 0750);
  ASSERT_TRUE(ChangeFileVersionInformation(file, u"CompanyName", u"A much longer maker"));
  const std::string after = TTestTempDir::ReadBytes(Dir.File("a.exe"));
  EXPECT_EQ(after.size(), Image.Bytes.size());
  struct stat st {};
  stat(Dir.File("a.exe").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0750u);
  EXPECT_EQ(GetInternalFileVersionStr(file), "1.1.1.1");
  EXPECT_EQ(vxVersionBlock::ReadDWord(after, Image.DataOffsets[0] + 56), 0x00050002u);  // product version stays
  TvxFileInfo info;
  ASSERT_TRUE(ReadFileInfo(file, info));
  EXPECT_EQ(info.CompanyName, u"A mu");  // "ACME" had a slot of 5
  EXPECT_EQ(info.ProductName, u"Product");
  // The second translation got the same value.
  std::string block;
  vxVersionBlock::TValuePlace place;
  block = after.substr(Image.DataOffsets[0]);
  ASSERT_TRUE(vxVersionBlock::QueryValue(block, vxVersionBlock::StringPath(0x0409, 0x04B0, u"CompanyName"), place));
  EXPECT_EQ(block.substr(place.Offset, 10), std::string("A\0 \0m\0u\0\0\0", 10));

  // An empty value empties the slot; a key the block lacks is not added.
  ASSERT_TRUE(ChangeFileVersionInformation(file, u"ProductName", u""));
  ASSERT_TRUE(ChangeFileVersionInformation(file, u"LegalTrademarks", u"TM"));
  ASSERT_TRUE(ReadFileInfo(file, info));
  EXPECT_EQ(info.ProductName, u"");
  EXPECT_EQ(info.LegalTrademarks, u"");
  EXPECT_EQ(TTestTempDir::ReadBytes(Dir.File("a.exe")).size(), Image.Bytes.size());
}

TEST_F(VersionFileTest, ChangeAllTenTexts) {
  const ustring file = Write("a.exe", true, Content());
  TvxFileInfo values;
  values.CompanyName = u"Co";
  values.ProductName = u"Prod";
  values.Comment = u"xy";
  ASSERT_TRUE(ChangeFileVersionInformation(file, values));
  TvxFileInfo info;
  ASSERT_TRUE(ReadFileInfo(file, info));
  EXPECT_EQ(info.CompanyName, u"Co");
  EXPECT_EQ(info.ProductName, u"Prod");
  EXPECT_EQ(info.Comment, u"xy");
  EXPECT_EQ(GetInternalFileVersionStr(file), "1.1.1.1");
}

TEST_F(VersionFileTest, WithoutTranslationListOnlyTheFixedVersionChanges) {
  const ustring file = Write("a.exe", false, Content(false));
  const std::string before = TTestTempDir::ReadBytes(Dir.File("a.exe"));
  ASSERT_TRUE(ChangeFileVersionInformation(file, u"CompanyName", u"Other"));
  EXPECT_EQ(GetInternalFileVersionStr(file), "1.1.1.1");
  std::string after = TTestTempDir::ReadBytes(Dir.File("a.exe"));
  // Only the eight bytes of the fixed file version differ.
  int differing = 0;
  for (size_t i = 0; i < before.size(); ++i) differing += before[i] != after[i];
  EXPECT_LE(differing, 8);
  EXPECT_NE(after.find(std::string("A\0C\0M\0E\0", 8)), std::string::npos);
  EXPECT_FALSE(ChangeFileVersionInformation(Dir.WideFile("missing.exe"), u"CompanyName", u"x"));
}

}  // namespace
