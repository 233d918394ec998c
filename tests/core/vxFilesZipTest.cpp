// Tests of the zip operations (against Debian's zip and unzip as peers) and
// the MIME type lookups of TvxFiles.
#include "core/vxFilesZip.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/vxConstantsMime.h"
#include "core/vxRegistry.h"
#include "platform/base/vxCodePage.h"
#include "platform/zip/vxZip.h"
#include "support/vxRunProgram.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

namespace fs = std::filesystem;

// Entry names and contents of an archive, in order.
std::vector<std::pair<std::string, std::string>> Entries(const std::string& zipFile) {
  std::vector<std::pair<std::string, std::string>> result;
  const vxZip::TZipReader reader = vxZip::TZipReader::OpenFile(Utf8ToWide(zipFile));
  for (int64_t i = 0; i < reader.Count(); ++i) result.emplace_back(reader.Name(i), reader.Read(i));
  return result;
}

using TEntries = std::vector<std::pair<std::string, std::string>>;

std::vector<std::string> Listed(const TStrings& list) {
  std::vector<std::string> result;
  for (int32_t i = 0; i < list.Count(); ++i) result.push_back(WideToUtf8(list.Strings(i)));
  return result;
}

class ZipTest : public ::testing::Test {
 protected:
  TTestTempDir Dir;

  std::string Make(const std::string& name, const std::string& content) {
    fs::create_directories(fs::path(Dir.File(name)).parent_path());
    TTestTempDir::WriteBytes(Dir.File(name), content);
    return Dir.File(name);
  }
  ustring W(const std::string& name) const { return Dir.WideFile(name); }
};

TEST_F(ZipTest, AddedFilesPassUnzipTestAndKeepOldEntries) {
  // Ten thousand lines, so that deflate has real work.
  std::string big;
  for (int i = 0; i < 10000; ++i) big += "line " + std::to_string(i) + "\r\n";
  Make("in/report.pdf", "%PDF-1.4 binary \x01\x02\xff");
  Make("in/big.txt", big);

  ASSERT_TRUE(TvxFiles::AddFileToZip(W("in/report.pdf"), W("out.zip"), ""));
  ASSERT_TRUE(TvxFiles::AddFileToZip(W("in/big.txt"), W("out.zip"), ""));
  // Data instead of a file: the file need not exist.
  ASSERT_TRUE(TvxFiles::AddFileToZip(W("nowhere/note.txt"), W("out.zip"), "given bytes"));

  EXPECT_EQ(Entries(Dir.File("out.zip")),
            (TEntries{{"report.pdf", "%PDF-1.4 binary \x01\x02\xff"}, {"big.txt", big}, {"note.txt", "given bytes"}}));
  const vxTest::TProgramResult unzip = vxTest::RunProgram({"/usr/bin/unzip", "-t", Dir.File("out.zip")});
  EXPECT_EQ(unzip.ExitStatus, 0) << unzip.Output;
  EXPECT_NE(unzip.Output.find("No errors detected"), std::string::npos) << unzip.Output;
  // No temporary file is left beside the archive.
  EXPECT_EQ(Dir.Listing(), "in;out.zip;");
}

TEST_F(ZipTest, SameNameGetsAFreeNameInsteadOfDroppingAnAttachment) {
  Make("one/a.pdf", "first");
  Make("two/a.pdf", "second");
  Make("three/a.pdf", "third");
  ASSERT_TRUE(TvxFiles::AddFileToZip(W("one/a.pdf"), W("x.zip"), ""));
  ASSERT_TRUE(TvxFiles::AddFileToZip(W("two/a.pdf"), W("x.zip"), ""));
  TStringList list;
  list.Add(W("three/a.pdf"));
  list.Add(W("one/a.pdf"));
  ASSERT_TRUE(TvxFiles::AddFilesToZip(list, W("x.zip")));
  EXPECT_EQ(Entries(Dir.File("x.zip")),
            (TEntries{{"a.pdf", "first"}, {"a-2.pdf", "second"}, {"a-3.pdf", "third"}, {"a-4.pdf", "first"}}));
}

TEST_F(ZipTest, FailuresLeaveTheArchiveAsItWas) {
  Make("a.txt", "A");
  ASSERT_TRUE(TvxFiles::AddFileToZip(W("a.txt"), W("x.zip"), ""));
  const std::string before = TTestTempDir::ReadBytes(Dir.File("x.zip"));

  // A missing file with blank data.
  EXPECT_FALSE(TvxFiles::AddFileToZip(W("missing.txt"), W("x.zip"), " \t\r\n"));
  EXPECT_FALSE(TvxFiles::AddFileToZip(W("missing.txt"), W("new.zip"), ""));
  EXPECT_FALSE(fs::exists(Dir.File("new.zip")));
  // A list with one unreadable file fails whole.
  TStringList list;
  list.Add(W("a.txt"));
  list.Add(W("missing.txt"));
  EXPECT_FALSE(TvxFiles::AddFilesToZip(list, W("x.zip")));
  // Data without any file name gives no entry name.
  EXPECT_FALSE(TvxFiles::AddFileToZip(u"", W("x.zip"), "data"));
  EXPECT_EQ(TTestTempDir::ReadBytes(Dir.File("x.zip")), before);

  // An archive file that is no archive is not overwritten.
  Make("junk.zip", "this is not a zip file at all");
  EXPECT_FALSE(TvxFiles::AddFileToZip(W("a.txt"), W("junk.zip"), ""));
  EXPECT_EQ(TTestTempDir::ReadBytes(Dir.File("junk.zip")), "this is not a zip file at all");
  EXPECT_EQ(Dir.Listing(), "a.txt;junk.zip;x.zip;");
}

TEST_F(ZipTest, ArchiveMadeByZipOpensWithSubFolders) {
  Make("src/top.txt", "top");
  Make("src/sub/inner.bin", std::string("\0\1\2", 3));
  fs::create_directories(Dir.File("src/empty"));
  const vxTest::TProgramResult zip =
      vxTest::RunProgram({"/bin/sh", "-c", "cd '" + Dir.File("src") + "' && /usr/bin/zip -q -r ../made.zip top.txt sub empty"});
  ASSERT_EQ(zip.ExitStatus, 0) << zip.Output;

  std::unique_ptr<TStrings> files;
  ASSERT_TRUE(TvxFiles::GetFilesFromZip(W("made.zip"), W("out"), files));
  ASSERT_TRUE(files);
  EXPECT_EQ(Listed(*files), (std::vector<std::string>{Dir.File("out/top.txt"), Dir.File("out/sub/inner.bin")}));
  EXPECT_EQ(TTestTempDir::ReadBytes(Dir.File("out/sub/inner.bin")), std::string("\0\1\2", 3));
  EXPECT_TRUE(fs::is_directory(Dir.File("out/empty")));

  ASSERT_TRUE(TvxFiles::GetFileFromZip(W("first.txt"), W("made.zip")));
  EXPECT_EQ(TTestTempDir::ReadBytes(Dir.File("first.txt")), "top");
}

TEST_F(ZipTest, ExtractionNeverOverwritesATakenName) {
  Make("a.txt", "new");
  ASSERT_TRUE(TvxFiles::AddFileToZip(W("a.txt"), W("x.zip"), ""));
  Make("out/a.txt", "old");
  Make("out/a-2.txt", "older");
  TStringList files;
  files.Add(u"stale entry");
  ASSERT_TRUE(TvxFiles::GetFilesFromZip(W("x.zip"), W("out"), files));
  EXPECT_EQ(Listed(files), (std::vector<std::string>{Dir.File("out/a-3.txt")}));
  EXPECT_EQ(TTestTempDir::ReadBytes(Dir.File("out/a.txt")), "old");
  EXPECT_EQ(TTestTempDir::ReadBytes(Dir.File("out/a-2.txt")), "older");
  EXPECT_EQ(TTestTempDir::ReadBytes(Dir.File("out/a-3.txt")), "new");
  // GetFileFromZip writes exactly the given path.
  ASSERT_TRUE(TvxFiles::GetFileFromZip(W("out/a.txt"), W("x.zip")));
  EXPECT_EQ(TTestTempDir::ReadBytes(Dir.File("out/a.txt")), "new");
}

TEST_F(ZipTest, EntryNamesLeadingOutOfTheFolderAreRefused) {
  const std::string outside = Dir.File("outside.txt");
  for (const std::string& evil : {std::string("../outside.txt"), outside, std::string("sub/../../outside.txt"),
                                  std::string("..\\outside.txt")}) {
    SCOPED_TRACE(evil);
    const std::string content = "harmless";
    fs::remove(Dir.File("slip.zip"));
    vxZip::AddEntries(W("slip.zip"), {{"first.txt", content}, {evil, content}});
    TStringList files;
    EXPECT_FALSE(TvxFiles::GetFilesFromZip(W("slip.zip"), W("target"), files));
    EXPECT_EQ(files.Count(), 0);
    EXPECT_FALSE(fs::exists(outside));
    // Nothing at all is written: the archive is refused before extracting.
    EXPECT_TRUE(fs::is_empty(Dir.File("target")));
  }
}

TEST_F(ZipTest, TruncatedOrDamagedArchivesGiveFalse) {
  std::string content;
  for (int i = 0; i < 2000; ++i) content += "entry content " + std::to_string(i) + "\n";
  Make("a.txt", content);
  Make("b.txt", "b");
  ASSERT_TRUE(TvxFiles::AddFileToZip(W("a.txt"), W("x.zip"), ""));
  ASSERT_TRUE(TvxFiles::AddFileToZip(W("b.txt"), W("x.zip"), ""));
  const std::string whole = TTestTempDir::ReadBytes(Dir.File("x.zip"));

  for (const size_t keep : {size_t{0}, size_t{10}, whole.size() / 2, whole.size() - 1}) {
    SCOPED_TRACE(keep);
    Make("cut.zip", whole.substr(0, keep));
    TStringList files;
    EXPECT_FALSE(TvxFiles::GetFilesFromZip(W("cut.zip"), W("out"), files));
    EXPECT_FALSE(TvxFiles::GetFileFromZip(W("one.txt"), W("cut.zip")));
    if (keep > 0) {
      EXPECT_FALSE(TvxFiles::AddFileToZip(W("b.txt"), W("cut.zip"), ""));
      EXPECT_EQ(TTestTempDir::ReadBytes(Dir.File("cut.zip")), whole.substr(0, keep));
    }
  }
  // A flipped byte inside the compressed data fails its checksum: no
  // half-written file is left.
  std::string damaged = whole;
  damaged[30 + 5 + 40] ^= 0x55;
  Make("damaged.zip", damaged);
  EXPECT_FALSE(TvxFiles::GetFileFromZip(W("one.txt"), W("damaged.zip")));
  EXPECT_FALSE(fs::exists(Dir.File("one.txt")));
  EXPECT_FALSE(TvxFiles::GetFileFromZip(W("one.txt"), W("missing.zip")));
}

// ---- MIME types ----

TEST(MimeTypeTableTest, RowsAsGiven) {
  EXPECT_EQ(MimeTypeTable.size(), 206u);
  EXPECT_EQ(MimeTypeTable[0].Extension, "");
  EXPECT_EQ(MimeTypeTable[0].MimeType, "application/octet-stream");
  EXPECT_EQ(MimeTypeTable[205].Extension, "odt");
  for (const TMimeTypeRow& row : MimeTypeTable)
    for (const char c : row.Extension) EXPECT_FALSE(c >= 'A' && c <= 'Z') << row.Extension;
}

class MimeTypeTest : public ::testing::Test {
 protected:
  TTestTempDir Registry;
  vxTest::TScopedEnv Env{"VARLO_REGISTRY", Registry.Path().string()};
};

TEST_F(MimeTypeTest, TypeOfFileName) {
  const struct {
    const char16_t* File;
    const char16_t* Type;
  } cases[] = {
      {u"/data/readme", u"application/octet-stream"},  // no extension: row 0
      {u"/data.d/readme", u"application/octet-stream"},
      {u"/data/scan.2024.PDF", u"application/pdf"},
      {u"mail.msg", u"application/vnd.ms-outlook"},     // the first of two rows
      {u"x.cdf", u"application/x-cdf"},
      {u"x.zip", u"application/zip"},
      {u"cert.pko", u"application/ynd.ms-pkipko"},
      {u"any.*", u"application/octet-stream"},
      {u"photo.JPEG", u"image/jpeg"},
      {u"clip.webm", u"video/webm"},                    // /etc/mime.types
      {u"unknown.nosuchextension", u"fallback/type"},   // Default
  };
  for (const auto& c : cases) EXPECT_EQ(TvxFiles::GetMIMEType(c.File, u"fallback/type"), c.Type) << WideToUtf8(c.File);

  // The registry's content type comes before the system list.
  ASSERT_TRUE(TvxRegistry::SetValue(HKEY_CLASSES_ROOT, u".webm", u"Content Type", Variant(u"video/x-ours"), false));
  EXPECT_EQ(TvxFiles::GetMIMEType(u"clip.WEBM", u""), u"video/x-ours");
}

TEST_F(MimeTypeTest, ExtensionOfType) {
  const struct {
    const char16_t* Type;
    const char16_t* Extension;
  } cases[] = {
      {u"IMAGE/TIFF", u"tif"},      {u"image/jpeg", u"jpg"},          {u"text/plain", u"txt"},
      {u"message/rfc822", u"eml"},  {u"application/x-msg", u"msg"},   {u"application/x-netcdf", u"cdf"},
      {u"application/x-zip-compressed", u"zip"}, {u"application/octet-stream", u""}, {u"no/such-type", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(TvxFiles::GetExtensionFromMimeType(c.Type), c.Extension) << WideToUtf8(c.Type);

  // The installation's own assignments fill the gaps.
  const ustring key = u"SOFTWARE\\varlo\\System\\ContentTypes";
  ASSERT_TRUE(TvxRegistry::SetValue(HKEY_LOCAL_MACHINE, key, u"no/such-type", Variant(u"nst"), false));
  ASSERT_TRUE(TvxRegistry::SetValue(HKEY_LOCAL_MACHINE, key, u"application/octet-stream", Variant(u"bin"), false));
  EXPECT_EQ(TvxFiles::GetExtensionFromMimeType(u"No/Such-Type"), u"nst");
  EXPECT_EQ(TvxFiles::GetExtensionFromMimeType(u"application/octet-stream"), u"bin");
}

}  // namespace
