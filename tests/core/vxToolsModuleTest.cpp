// TvxTools' module texts: the ten version texts of PE files built here,
// the comparison of version texts, and the own module, both as the test
// program (unversioned) and as a shared library with its version section.
#include "core/vxToolsModule.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include "core/vxVersionTools.h"
#include "platform/base/vxCodePage.h"
#include "platform/version/vxVersionBlock.h"
#include "support/vxPeBuilder.h"
#include "support/vxTestTempDir.h"

namespace {

ustring WriteFixture(TTestTempDir& Dir, const std::string& Name,
                     std::vector<std::pair<ustring, ustring>> Values, bool WithTranslations = true) {
  vxVersionBlock::TBlockContent content;
  const uint16_t file[4] = {5, 2, 0, 118};
  std::copy(file, file + 4, content.FileVersion);
  vxVersionBlock::TStringTable table;
  table.Values = std::move(Values);
  content.StringTables = {table};
  content.TranslationList = {{table.Language, table.CodePage}};
  content.WithTranslations = WithTranslations;
  TTestTempDir::WriteBytes(Dir.File(Name),
                           vxTest::TPeBuilder::Build(false, {{16, 1, 0, vxVersionBlock::Build(content)}}).Bytes);
  return Dir.WideFile(Name);
}

TEST(ToolsModule, ReadFileInfoGivesTheTenTextsTrimmed) {
  TTestTempDir dir;
  const ustring file = WriteFixture(dir, "a.exe",
                                    {{u"CompanyName", u"  Maker \t"},
                                     {u"FileDescription", u"Desc"},
                                     {u"FileVersion", u"5.2.0.118"},
                                     {u"InternalName", u"int"},
                                     {u"LegalCopyright", u"(c) Maker"},
                                     {u"LegalTrademarks", u"TM"},
                                     {u"OriginalFilename", u"a.exe"},
                                     {u"ProductName", u"Prod"},
                                     {u"ProductVersion", u" 5.2.0 "},
                                     {u"Comments", u"not the key read"}});
  TvxFileInfo info;
  ASSERT_TRUE(ReadFileInfo(file, info));
  const TvxFileInfo expected{u"Maker", u"Desc", u"5.2.0.118", u"int", u"(c) Maker", u"TM", u"a.exe", u"Prod",
                             u"5.2.0", u""};
  EXPECT_EQ(info, expected);
  TvxFileInfo again;
  EXPECT_TRUE(TvxTools::GetFileInfo(file, again));
  EXPECT_EQ(again, expected);
  EXPECT_EQ(TvxTools::GetProgramVersion(file), u"5.2.0 (build 5.2.0.118)");
  EXPECT_EQ(TvxTools::GetFileBuild(file), u"5.2.0.118");
  uint16_t a, b, c, d;
  EXPECT_TRUE(TvxTools::GetProgramVersion(file, a, b, c, d));
  EXPECT_EQ(d, 118);
}

TEST(ToolsModule, UnversionedFiles) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("bare.exe"), vxTest::TPeBuilder::Build(true, {}).Bytes);
  const TvxFileInfo unknown{u"Unknown", u"Unknown", u"Unknown", u"Unknown", u"Unknown",
                            u"Unknown", u"Unknown", u"Unknown", u"Unknown", u"Unknown"};
  for (const char* name : {"bare.exe", "missing.exe"}) {
    TvxFileInfo info;
    EXPECT_FALSE(ReadFileInfo(dir.WideFile(name), info));
    EXPECT_EQ(info, unknown);
    EXPECT_EQ(TvxTools::GetProgramVersion(dir.WideFile(name)), u"Unknown");
    EXPECT_EQ(TvxTools::GetFileBuild(dir.WideFile(name)), u"Unknown");
  }
  // Without a translation list: False, the fields as they were.
  const ustring file = WriteFixture(dir, "nolist.exe", {{u"CompanyName", u"Maker"}}, false);
  TvxFileInfo info;
  info.CompanyName = u"before";
  EXPECT_FALSE(ReadFileInfo(file, info));
  EXPECT_EQ(info.CompanyName, u"before");
}

TEST(ToolsModule, CompareVersionTexts) {
  struct Case {
    const char16_t* Ver1;
    const char16_t* Ver2;
    int32_t Expected;
  };
  const Case cases[] = {
      {u"1.10", u"1.9", 1}, {u"1.9", u"1.10", 2},     {u"1.2", u"1.2.0", 2}, {u" 1, 2 ", u"1.2", 0},
      {u"5.2.118", u"5.2.118", 0}, {u"", u"", 0},     {u"1.a", u"1.b", 2},   {u"12345678901", u"9", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(TvxTools::CompareVersions(c.Ver1, c.Ver2), c.Expected);
}

TEST(ToolsModule, TheTestProgramIsUnversioned) {
  EXPECT_EQ(TvxTools::GetProgramVersion(), u"Unknown");
  EXPECT_EQ(TvxTools::GetProgramCopyright(), u"Unknown");
  EXPECT_EQ(TvxTools::GetProgramProductString(), u"Unknown");
  EXPECT_EQ(TvxTools::GetProgramDescription(), u"Unknown");
  const ustring module = TvxTools::GetModuleFileName();
  EXPECT_EQ(module.substr(module.rfind(u'/') + 1), u"test_core");
  EXPECT_EQ(TvxTools::GetModuleFileNameInfo(), module);
  const std::string path = TvxTools::GetModulePath();
  EXPECT_EQ(AnsiToWide(path), module.substr(0, module.rfind(u'/') + 1));
  EXPECT_THROW(TvxTools::GetResource(u"GREETING", u"TEXT"), EResNotFound);
}

// The shared library built with vx_add_version_resource, loaded here: the
// routines linked into it read its own version section.
class VersionedModule : public ::testing::Test {
 protected:
  void SetUp() override {
    FHandle = dlopen(VX_VERSIONED_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(FHandle, nullptr) << dlerror();
    FQuery = reinterpret_cast<Query>(dlsym(FHandle, "vxVersionedModuleQuery"));
    ASSERT_NE(FQuery, nullptr);
  }
  void TearDown() override {
    if (FHandle) dlclose(FHandle);
  }
  ustring Ask(int32_t What) {
    char16_t buffer[1024];
    FQuery(What, buffer, 1024);
    return buffer;
  }

  using Query = int32_t (*)(int32_t, char16_t*, int32_t);
  void* FHandle = nullptr;
  Query FQuery = nullptr;
};

TEST_F(VersionedModule, ReadsItsOwnVersionSection) {
  const ustring file = Utf8ToWide(VX_VERSIONED_MODULE);
  EXPECT_EQ(Ask(0), u"7.3 beta (build 7.3.0.42)");
  EXPECT_EQ(Ask(1), u"(c) Test Company");
  EXPECT_EQ(Ask(2), u"Test Product");
  EXPECT_EQ(Ask(3), u"Versioned test module");
  EXPECT_EQ(Ask(4), file);
  EXPECT_EQ(Ask(5), file.substr(0, file.rfind(u'/') + 1));
  EXPECT_EQ(Ask(6), u"Gr\u00fc\u00dfe aus dem Modul");
  // The same file read from outside, through the same calls as a PE file.
  TvxFileInfo info;
  ASSERT_TRUE(ReadFileInfo(file, info));
  EXPECT_EQ(info.CompanyName, u"Test Company");
  EXPECT_EQ(info.FileVersion, u"7.3.0.42");
  EXPECT_EQ(info.OriginalFilename, u"libvxversionedmodule.so");
  EXPECT_EQ(info.Comment, u"built by the tests");
  EXPECT_EQ(TvxVersionTools::GetInternalFileVersionStr(file), "7.3.0.42");
}

TEST(ToolsModule, VersionOffsetsHoldForOurModule) {
  // The section of our module is a block whose fixed part is at byte 40,
  // file version at 48/52 and product version at 56/60, as in a PE file.
  TTestTempDir dir;
  const std::string copy = dir.File("copy.so");
  TTestTempDir::WriteBytes(copy, TTestTempDir::ReadBytes(VX_VERSIONED_MODULE));
  ASSERT_TRUE(TvxVersionTools::ChangeInternalFileVersion(Utf8ToWide(copy), 8, 1, 0, 7));
  EXPECT_EQ(TvxVersionTools::GetInternalFileVersionStr(Utf8ToWide(copy)), "8.1.0.7");
  ASSERT_TRUE(TvxVersionTools::ChangeFileVersionInformation(Utf8ToWide(copy), u"ProductName", u"Renamed"));
  TvxFileInfo info;
  ASSERT_TRUE(ReadFileInfo(Utf8ToWide(copy), info));
  EXPECT_EQ(info.ProductName, u"Renamed");
  EXPECT_EQ(TvxVersionTools::GetInternalFileVersionStr(Utf8ToWide(copy)), "1.1.1.1");
}

}  // namespace
