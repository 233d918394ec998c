// Tests of core/vxFilesPaths.h: TvxFiles: folders, path texts and free file
// names.
#include "core/vxFilesPaths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/vxToolsFolders.h"
#include "core/vxWin32.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxShellFolders.h"
#include "platform/lists/vxStringList.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

using vxTest::TScopedEnv;

// The message of the Exception that Call raises; empty when none.
template <class F>
ustring RaisedMessage(F&& call) {
  try {
    call();
  } catch (const Exception& e) {
    return e.Message();
  }
  return {};
}

bool IsHexId(const ustring& s) {
  if (s.size() != 32) return false;
  for (char16_t c : s)
    if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'))) return false;
  return true;
}

// A folder path of the test's temporary folder, with its trailing "/".
ustring Folder(const TTestTempDir& dir) { return Utf8ToWide(dir.Path().string()) + u"/"; }

void Touch(const std::string& file, const std::string& bytes = "x") { TTestTempDir::WriteBytes(file, bytes); }

// ---- Folders ----

TEST(FilesFolders, TempPathFollowsTmpdir) {
  TScopedEnv tmp("TMPDIR", "  /var/tmp/vx test");
  // The variable's own blanks at the start are trimmed away, the folder gets its "/".
  EXPECT_EQ(TvxFiles::GetTempPath(), u"/var/tmp/vx test/");
  TScopedEnv unset("TMPDIR", std::nullopt);
  EXPECT_EQ(TvxFiles::GetTempPath(), u"/tmp/");
}

TEST(FilesFolders, SpecialFolderPathKeepsEveryCharacter) {
  // Characters outside any 8-bit code page, a character beyond the 16-bit plane included.
  const std::string name = "/srv/Ünïcødé \xE2\x98\x83 \xF0\x9D\x84\x9E data";
  TScopedEnv data("XDG_DATA_HOME", name);
  EXPECT_EQ(TvxTools::GetSpecialFolderPath(vxFileSystem::CSIDL_LOCAL_APPDATA), Utf8ToWide(name) + u"/");
  EXPECT_EQ(TvxFiles::GetUserTempPath(), Utf8ToWide(name) + u"/Temp/");
  EXPECT_EQ(TvxFiles::GetSpecialFolder(vxFileSystem::CSIDL_LOCAL_APPDATA), Utf8ToWide(name));
}

TEST(FilesFolders, SpecialFolderTable) {
  TScopedEnv home("HOME", "/home/tester");
  TScopedEnv config("XDG_CONFIG_HOME", "/cfg/");
  TScopedEnv data("XDG_DATA_HOME", "relative/ignored");
  TScopedEnv docs("XDG_DOCUMENTS_DIR", "/home/tester/Papers");
  struct Case {
    int32_t csidl;
    const char16_t* path;     // TvxTools::GetSpecialFolderPath
    const char16_t* folder;   // TvxFiles::GetSpecialFolder
  };
  const Case cases[] = {
      {vxFileSystem::CSIDL_APPDATA, u"/cfg/", u"/cfg"},
      {vxFileSystem::CSIDL_LOCAL_APPDATA, u"/home/tester/.local/share/", u"/home/tester/.local/share"},
      {vxFileSystem::CSIDL_PERSONAL, u"/home/tester/Papers/", u"/home/tester/Papers"},
      {vxFileSystem::CSIDL_PROFILE, u"/home/tester/", u"/home/tester"},
      {vxFileSystem::CSIDL_SYSTEM, u"/usr/bin/", u"/usr/bin"},
      {0x7777, u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TvxTools::GetSpecialFolderPath(c.csidl), c.path) << c.csidl;
    EXPECT_EQ(TvxFiles::GetSpecialFolder(c.csidl), c.folder) << c.csidl;
  }
}

TEST(FilesFolders, WindowsFolderIsTheRoot) {
  EXPECT_EQ(TvxWin32::GetWindowsDirectory(), u"/");
  EXPECT_EQ(TvxFiles::GetWinPath(false), u"/");
  EXPECT_EQ(TvxFiles::GetWinPath(true), u"/");
}

TEST(FilesFolders, CreatePathReportsTheDeepestFolder) {
  TTestTempDir dir;
  const ustring root = Folder(dir);
  EXPECT_TRUE(TvxFiles::CreatePath(root + u"x/y/z.txt", false));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("x/y")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("x/y/z.txt")));
  // Nothing missing any more: the deepest folder was not newly made.
  EXPECT_FALSE(TvxFiles::CreatePath(root + u"x/y/z.txt", false));
  EXPECT_TRUE(TvxFiles::CreatePath(root + u"x/y/z.txt", true));
  // Text after the last "/" is a file name.
  EXPECT_TRUE(TvxFiles::CreatePath(root + u"a/b", false));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("a")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("a/b")));
  EXPECT_FALSE(TvxFiles::CreatePath(u"file.txt", false));
  EXPECT_FALSE(TvxFiles::CreatePath(u"", true));
  // A file stands where a folder should be.
  Touch(dir.File("blocked"));
  EXPECT_FALSE(TvxFiles::CreatePath(root + u"blocked/sub/", true));
}

TEST(FilesFolders, PathExistsTestsTheFolderPart) {
  TTestTempDir dir;
  const ustring root = Folder(dir);
  std::filesystem::create_directories(dir.File("sub"));
  std::filesystem::create_directory_symlink(dir.File("sub"), dir.File("link"));
  struct Case {
    ustring path;
    bool exists;
  };
  const Case cases[] = {
      {root + u"sub", true},  // tests the folder above
      {root + u"sub/", true},
      {root + u"link/", true},
      {root + u"missing/", false},
      {root + u"missing/x.txt", false},
      {u"/", true},
      {u"noFolder", false},
      {u"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(TvxFiles::PathExists(c.path), c.exists) << WideToUtf8(c.path);
}

TEST(FilesFolders, FileExistsIsTheLibrarysTest) {
  TTestTempDir dir;
  const ustring root = Folder(dir);
  Touch(dir.File("plain.txt"));
  Touch(dir.File("ro.txt"));
  chmod(dir.File("ro.txt").c_str(), 0444);
  Touch(dir.File(".hidden"));
  std::filesystem::create_directories(dir.File("folder"));
  std::filesystem::create_symlink(dir.File("plain.txt"), dir.File("link.txt"));
  std::filesystem::create_symlink(dir.File("gone"), dir.File("dangling"));
  struct Case {
    const char16_t* name;
    bool exists;
  };
  const Case cases[] = {
      {u"plain.txt", true}, {u"ro.txt", true},    {u"link.txt", true},  {u".hidden", false},
      {u"folder", false},   {u"dangling", false}, {u"missing", false},  {u"pl*.txt", true},
      {u"r?.txt", true},    {u"*.pdf", false},    {u"PLAIN.TXT", false},
  };
  for (const Case& c : cases) EXPECT_EQ(TvxFiles::FileExists(root + c.name), c.exists) << WideToUtf8(c.name);
  EXPECT_FALSE(TvxFiles::FileExists(u""));
}

// ---- Path texts ----

TEST(FilesPathTexts, SlashesAndExtensions) {
  EXPECT_EQ(TvxFiles::CheckPathExt(u"  /a "), u"/a/");
  EXPECT_EQ(TvxFiles::CheckPathExt(u"/a/"), u"/a/");
  EXPECT_EQ(TvxFiles::CheckPathExt(u"\t \r"), u"");
  EXPECT_EQ(TvxFiles::CheckPathExt(u""), u"");
  EXPECT_EQ(TvxFiles::ErasePathExt(u"/a//"), u"/a/");
  EXPECT_EQ(TvxFiles::ErasePathExt(u" /a/ "), u"/a");
  EXPECT_EQ(TvxFiles::ErasePathExt(u"/a"), u"/a");
  EXPECT_EQ(TvxFiles::CheckFileExtension(u" PDF ", true), u".pdf");
  EXPECT_EQ(TvxFiles::CheckFileExtension(u" PDF ", false), u".PDF");
  EXPECT_EQ(TvxFiles::CheckFileExtension(u".Zip", true), u".zip");
  EXPECT_EQ(TvxFiles::CheckFileExtension(u"  ", true), u"");
}

TEST(FilesPathTexts, PureNamesAndExtensions) {
  struct Case {
    const char16_t* path;
    const char16_t* pure;
    const char16_t* extention;
  };
  const Case cases[] = {
      {u"/data/scan.2024.pdf", u"scan.2024", u".pdf"},
      {u"/a.b/file", u"file", u".b/file"},
      {u".profile", u"", u".profile"},
      {u"/a/file", u"file", u"/a/file"},
      {u"name.", u"name", u"."},
      {u"", u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TvxFiles::ExtractPureFileName(c.path), c.pure) << WideToUtf8(c.path);
    EXPECT_EQ(TvxFiles::GetFileExtention(c.path), c.extention) << WideToUtf8(c.path);
  }
}

TEST(FilesPathTexts, BuildPathStrExpandsPlaceholders) {
  EXPECT_EQ(TvxFiles::BuildPathStr(u"/data/%user/%host", true, u"bob", u"pc1"), u"/data/bob/pc1/");
  EXPECT_EQ(TvxFiles::BuildPathStr(u"/data/%USER/x.txt", false, u"bob", u"pc1"), u"/data/bob/x.txt");
  EXPECT_EQ(TvxFiles::BuildPathStr(u"", true, u"bob", u"pc1"), u"");
}

TEST(FilesPathTexts, ShortPathForDisplay) {
  struct Case {
    const char16_t* path;
    int32_t maxlen;
    const char16_t* shortened;
  };
  const Case cases[] = {
      {u"/c/verylongfoldername/file.txt", 30, u"/c/verylongfoldername/file.txt"},
      {u"/c/verylongfoldername/file.txt", 29, u"/c/.../file.txt"},
      {u"/c/verylongfoldername/file.txt", 14, u"/.../file.txt"},
      {u"/c/verylongfoldername/file.txt", 13, u".../file.txt"},
      {u"/a/b/c/d/e/f/name.txt", 20, u"/a/b/c/.../name.txt"},
      {u"/a/b/a-very-long-file-name.txt", 10, u".../a-very-long-file-name.txt"},
      {u"nofolder-at-all.txt", 5, u".../nofolder-at-all.txt"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TvxFiles::ShortPath(c.path, c.maxlen), c.shortened) << WideToUtf8(c.path) << " " << c.maxlen;
}

TEST(FilesPathTexts, ShortDosPathOfAnExistingPathIsThePath) {
  TTestTempDir dir;
  Touch(dir.File("Long File Name.document"));
  const ustring file = dir.WideFile("Long File Name.document");
  EXPECT_EQ(TvxFiles::GetShortDOSPath(file), file);
  EXPECT_EQ(TvxFiles::GetShortDOSPath(Folder(dir)), Folder(dir));
  const ustring missing = dir.WideFile("missing");
  EXPECT_EQ(RaisedMessage([&] { TvxFiles::GetShortDOSPath(missing); }),
            u"unable to determine short path name from " + missing);
}

TEST(FilesPathTexts, EqualsFileNameMatchesNameParts) {
  struct Case {
    const char16_t* name;
    const char16_t* mask;
    bool equal;
  };
  const Case cases[] = {
      {u"/x/Report.PDF", u"/y/*.pdf", true},  {u"/x/report.pdf", u"rep?rt.pdf", true},
      {u"/x/report.pdf", u"/x/*.txt", false}, {u"/x/a.txt.txt", u"*.txt", true},
      {u" /x/a.txt", u"/y/A.TXT ", true},     {u"/x/ab.txt", u"a?.txt", true},
      {u"/x/abc.txt", u"a?.txt", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TvxFiles::EqualsFileName(c.name, c.mask), c.equal) << WideToUtf8(c.name) << " " << WideToUtf8(c.mask);
}

// ---- File names ----

TEST(FilesNames, ConvertToFileName) {
  struct Case {
    const char16_t* text;
    const char16_t* name;
  };
  const Case cases[] = {
      {u"Re: Offer/2024", u"Re_ Offer_2024"},
      {u"__a", u"a"},
      {u"a:b*c?", u"a_b_c_"},
      {u"\u00C4rger \u20AC", u"\u00C4rger \u20AC"},
      {u"a\tb\r\nc", u"a b c"},
      {u"a    b", u"a b"},
      {u"a_<>_b", u"a_b"},
      {u"  x  ", u"x"},
      {u"\u00A7 1 (a) [b] {c} ~+^!$%&#@,;.-", u"\u00A7 1 (a) [b] {c} ~+^!$%&#@,;.-"},
      {u"Ma\u00DF\u00F6\u00FC\u00E4\u00D6\u00DC", u"Ma\u00DF\u00F6\u00FC\u00E4\u00D6\u00DC"},
      {u"\U0001F600 smile.pdf", u"smile.pdf"},
      {u"...", u"..."},
  };
  for (const Case& c : cases) EXPECT_EQ(TvxFiles::ConvertToFileName(c.text), c.name) << WideToUtf8(c.text);
}

TEST(FilesNames, ConvertToFileNameNeverEmptyNorAFolder) {
  for (const char16_t* text : {u"", u"  ", u"<>", u"_", u"\x01\x02", u".", u"..", u" .. "}) {
    const ustring name = TvxFiles::ConvertToFileName(text);
    EXPECT_TRUE(IsHexId(name)) << WideToUtf8(text) << " gave " << WideToUtf8(name);
  }
  EXPECT_NE(TvxFiles::ConvertToFileName(u""), TvxFiles::ConvertToFileName(u""));
}

TEST(FilesNames, ValidFileNameChars) {
  EXPECT_EQ(TvxFiles::ValidFileNameChars.size(), 92u);
  EXPECT_EQ(TvxFiles::ValidFileNameChars.back(), u' ');
}

TEST(FilesNames, FreeFileNameSequences) {
  struct Case {
    const char* present;       // names present, ";"-separated
    const char16_t* destination;
    uint32_t maxRetry;
    const char16_t* separator;
    bool alwaysAddId;
    bool leadingZero;
    const char16_t* expected;  // name part
  };
  const Case cases[] = {
      {"", u"a.txt", 99999999, u"-", false, false, u"a.txt"},
      {"a.txt", u"a.txt", 99999999, u"-", false, false, u"a-2.txt"},
      {"a.txt;a-2.txt", u"a.txt", 99999999, u"-", false, false, u"a-3.txt"},
      {"", u"a.txt", 99999999, u"-", true, false, u"a-1.txt"},
      {"", u"a.txt", 99999999, u"-", true, true, u"a-000001.txt"},
      {"a-000001.txt", u"a.txt", 99999999, u"_", true, true, u"a_000001.txt"},
      {"a.txt;a_000002.txt", u"a.txt", 99999999, u"_", false, true, u"a_000003.txt"},
      {"name", u"name", 99999999, u"-", false, false, u"name-2"},
      {"name;name-2", u"name", 99999999, u"-", false, false, u"name-3"},
      {"scan.2024.pdf", u"scan.2024.pdf", 99999999, u"-", false, false, u"scan.2024-2.pdf"},
      {"a.txt", u"a.txt", 3, u"-", false, false, u"a-2.txt"},
  };
  for (const Case& c : cases) {
    TTestTempDir case_dir;
    const std::string present = c.present;
    size_t start = 0;
    while (start < present.size()) {
      const size_t end = std::min(present.find(';', start), present.size());
      Touch(case_dir.File(present.substr(start, end - start)));
      start = end + 1;
    }
    const ustring folder = Folder(case_dir);
    EXPECT_EQ(TvxFiles::GetFreeFileName(folder + c.destination, c.maxRetry, c.separator, c.alwaysAddId, c.leadingZero),
              folder + c.expected)
        << c.present << " -> " << WideToUtf8(c.destination);
  }
}

// The name part is the base, the separator, 17 digits of local time and the
// extension.
void ExpectTimeStamped(const ustring& result, const ustring& base, const ustring& ext) {
  ASSERT_EQ(result.size(), base.size() + 17 + ext.size()) << WideToUtf8(result);
  EXPECT_EQ(result.substr(0, base.size()), base);
  EXPECT_EQ(result.substr(result.size() - ext.size()), ext);
  for (size_t i = base.size(); i < base.size() + 17; ++i) EXPECT_TRUE(result[i] >= u'0' && result[i] <= u'9');
  EXPECT_EQ(result.substr(base.size(), 2), u"20");
}

TEST(FilesNames, FreeFileNameFallsBackToTheTimeAfterMaxRetry) {
  TTestTempDir dir;
  const ustring root = Folder(dir);
  for (const char* name : {"a.txt", "a-2.txt", "a-3.txt"}) Touch(dir.File(name));
  const ustring result = TvxFiles::GetFreeFileName(root + u"a.txt", 3, u"-", false, false);
  ExpectTimeStamped(result, root + u"a-", u".txt");
  EXPECT_FALSE(std::filesystem::exists(WideToUtf8(result)));
  // 0 and 1 try only the first candidate.
  for (uint32_t tries : {0u, 1u})
    ExpectTimeStamped(TvxFiles::GetFreeFileName(root + u"a.txt", tries, u"-", false, false), root + u"a-", u".txt");
  EXPECT_EQ(TvxFiles::GetFreeFileName(root + u"b.txt", 0, u"-", false, false), root + u"b.txt");
}

TEST(FilesNames, AnythingUnderTheNameMakesItTaken) {
  TTestTempDir dir;
  const ustring root = Folder(dir);
  Touch(dir.File(".cfg"));
  std::filesystem::create_directories(dir.File("report.pdf"));
  std::filesystem::create_symlink(dir.File("gone"), dir.File("link.txt"));
  Touch(dir.File("ab.txt"));
  EXPECT_EQ(TvxFiles::GetFreeFileName(root + u".cfg", 99999999, u"-", false, false), root + u"-2.cfg");
  EXPECT_EQ(TvxFiles::GetFreeFileName(root + u"report.pdf", 99999999, u"-", false, false), root + u"report-2.pdf");
  EXPECT_EQ(TvxFiles::GetFreeFileName(root + u"link.txt", 99999999, u"-", false, false), root + u"link-2.txt");
  // Wildcards in a name are its own characters, not a mask.
  EXPECT_EQ(TvxFiles::GetFreeFileName(root + u"a?.txt", 99999999, u"-", false, false), root + u"a?.txt");
}

ustring FreshName(const ustring& destination, const std::vector<ustring>& files, const ustring& valid,
                  const ustring& extension, int32_t maxName, int32_t maxFinal) {
  TStringList list;
  for (const ustring& f : files) list.Add(f);
  return TvxFiles::DetermineNewFilename(destination, list, valid, extension, maxName, maxFinal);
}

TEST(FilesNames, DetermineNewFilenameOfTheMailEngine) {
  TTestTempDir dir;
  const ustring root = Folder(dir);
  const std::vector<ustring> files = {u"/in/Offer 2024.pdf", u"/in/Very long scanned contract.tif"};
  const ustring expected = u"Offer 2024, Very long scanned co...";
  EXPECT_EQ(FreshName(root, files, u"*", u".zip", 20, 60), root + expected + u".zip");
  Touch(WideToUtf8(root + expected + u".zip"));
  EXPECT_EQ(FreshName(root, files, u"*", u".zip", 20, 60), root + expected + u"-2.zip");
  // Destination's own name part is not used, only its folder.
  EXPECT_EQ(FreshName(root + u"ignored.txt", {u"/in/one.pdf"}, u"*", u"zip", 20, 60), root + u"one.zip");
}

TEST(FilesNames, DetermineNewFilenameSelectionAndCuts) {
  TTestTempDir dir;
  const ustring root = Folder(dir);
  struct Case {
    std::vector<ustring> files;
    const char16_t* valid;
    const char16_t* extension;
    int32_t maxName;
    int32_t maxFinal;
    const char16_t* expected;
  };
  const Case cases[] = {
      {{}, u"*", u"zip", 20, 60, u"Document.zip"},
      {{u"/x/e.tif"}, u"pdf", u"ZIP", 20, 60, u"Document.zip"},
      {{u"/x/a.pdf", u"/x/b.PDF", u"/x/c", u"/x/d.df", u"/x/e.tif"}, u"pdf", u".zip", 20, 200, u"a, b, c, d.zip"},
      {{u"/x/a.pdf", u"/x/b.tif", u"/x/c.doc"}, u".pdf, .tif", u".zip", 20, 200, u"a, b.zip"},
      {{u"/x/a  b   c.pdf"}, u"*", u".zip", 2, 60, u"a b  c.zip"},
      {{u"/x/abcdef.pdf", u"/x/ghi.pdf"}, u"*", u".zip", 3, 60, u"abc..., ghi.zip"},
      {{u"/x/abcdef.pdf", u"/x/ghi.pdf"}, u"*", u".zip", 3, 4, u"abc....zip"},
      {{u"/x/a single long name.pdf"}, u"*", u".zip", 3, 8, u"a single....zip"},
      {{u"/x/ab\U0001F600cd.pdf", u"/x/x.pdf"}, u"*", u".zip", 3, 60, u"ab..., x.zip"},
      {{u"/x/ab\U0001F600cd.pdf", u"/x/x.pdf"}, u"*", u".zip", 4, 60, u"ab\U0001F600..., x.zip"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FreshName(root, c.files, c.valid, c.extension, c.maxName, c.maxFinal), root + c.expected)
        << WideToUtf8(c.expected);
}

TEST(FilesNames, CreateUniqueFilenameLeavesTheSystemsFile) {
  TTestTempDir dir;
  const ustring root = Folder(dir);
  const ustring result = TvxFiles::CreateUniqueFilename(Utf8ToWide(dir.Path().string()), u"pdf");
  ASSERT_EQ(result.size(), root.size() + 12) << WideToUtf8(result);
  EXPECT_EQ(result.substr(0, root.size() + 1), root + u"~");
  EXPECT_EQ(result.substr(result.size() - 4), u".pdf");
  EXPECT_FALSE(std::filesystem::exists(WideToUtf8(result)));
  // The system's file: "~", the number's digits, ".tmp"; the result pads them with zeros.
  const std::string listing = dir.Listing();
  ASSERT_EQ(listing.substr(0, 1), "~");
  const std::string temporary = listing.substr(0, listing.size() - 1);
  ASSERT_EQ(temporary.substr(temporary.size() - 4), ".tmp");
  const std::string stem = temporary.substr(0, temporary.size() - 4);
  EXPECT_GE(stem.size(), 2u);
  EXPECT_LE(stem.size(), 5u);
  EXPECT_EQ(WideToUtf8(result.substr(root.size(), 8)), stem + std::string(8 - stem.size(), '0'));
  EXPECT_EQ(std::filesystem::file_size(dir.File(temporary)), 0u);

  const ustring missing = dir.WideFile("missing");
  EXPECT_EQ(RaisedMessage([&] { TvxFiles::CreateUniqueFilename(missing, u"pdf"); }), u"No such file or directory");
}

}  // namespace
