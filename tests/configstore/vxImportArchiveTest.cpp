// Unpacking an imported zip archive: entries land by base name in a fresh
// private folder whatever their names hold (archives made by Python's
// zipfile), and what an archive may unpack to is bounded.
#include "configstore/vxImportArchive.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/base/vxCodePage.h"
#include "platform/zip/vxZip.h"
#include "support/vxRaisedMessage.h"
#include "support/vxRunProgram.h"
#include "support/vxTestTempDir.h"

namespace {

using vxImportArchive::TImportArchive;

// Makes the archive Path with Python's zipfile from the script's entries.
void MakeZip(const std::string& Path, const std::string& Entries) {
  const std::string script = "import sys, zipfile, stat\nz = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)\n" +
                             Entries + "z.close()\n";
  const vxTest::TProgramResult run = vxTest::RunProgram({"/usr/bin/python3", "-c", script, Path});
  ASSERT_EQ(run.ExitStatus, 0) << run.Output;
}

// The names of the entries of a folder, sorted, each followed by ";".
std::string Listing(const std::string& Folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(Folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  std::string text;
  for (const std::string& name : names) text += name + ";";
  return text;
}

TEST(ImportArchive, EntriesLandByBaseNameInsideAFolderOfTheirOwn) {
  TTestTempDir dir;
  const std::string zip = dir.File("in.zip");
  MakeZip(zip,
          "z.writestr('../../escape.xml', 'a')\n"
          "z.writestr('/etc/absolute.xml', 'b')\n"
          "z.writestr('sub/dir/', '')\n"
          "z.writestr('sub/dir/a.xml', 'c')\n"
          "z.writestr('a.xml', 'd')\n"
          "z.writestr('..\\\\..\\\\windows.xml', 'e')\n"
          "z.writestr('..', 'f')\n"
          "link = zipfile.ZipInfo('link.xml')\n"
          "link.external_attr = (stat.S_IFLNK | 0o777) << 16\n"
          "z.writestr(link, '/etc/passwd')\n");
  const std::string temp = dir.File("temp");
  std::filesystem::create_directories(temp);
  std::string folder;
  {
    TImportArchive archive(Utf8ToWide(zip), Utf8ToWide(temp));
    folder = WideToUtf8(archive.Folder());
    EXPECT_EQ(folder.substr(0, temp.size() + 1), temp + "/");
    struct stat status {};
    ASSERT_EQ(stat(folder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    std::vector<std::string> files;
    for (const ustring& file : archive.Files()) files.push_back(WideToUtf8(file));
    const std::vector<std::string> expected = {folder + "escape.xml", folder + "absolute.xml", folder + "a.xml",
                                               folder + "a-2.xml",    folder + "windows.xml",  folder + "entry",
                                               folder + "link.xml"};
    EXPECT_EQ(files, expected);
    EXPECT_EQ(TTestTempDir::ReadBytes(folder + "a-2.xml"), "d");
    // The link's entry is a plain file holding the link's text.
    EXPECT_FALSE(std::filesystem::is_symlink(folder + "link.xml"));
    EXPECT_EQ(TTestTempDir::ReadBytes(folder + "link.xml"), "/etc/passwd");
    // Nothing was written beside the folder, nor above it.
    EXPECT_EQ(Listing(temp), std::filesystem::path(folder).parent_path().filename().string() + ";");
    EXPECT_EQ(Listing(dir.Path().string()), "in.zip;temp;");
  }
  EXPECT_FALSE(std::filesystem::exists(folder));
  EXPECT_EQ(Listing(temp), "");
}

TEST(ImportArchive, WhatAnArchiveMayUnpackToIsBounded) {
  TTestTempDir dir;
  const std::string temp = dir.File("temp");
  const std::string bomb = dir.File("bomb.zip");
  const std::string small(1000, 'x'), zeros(8 << 20, '\0');
  vxZip::AddEntries(Utf8ToWide(bomb), {{"a.xml", small}, {"b.xml", zeros}});
  EXPECT_EQ(vxTest::RaisedMessage([&] { TImportArchive(Utf8ToWide(bomb), Utf8ToWide(temp), 1 << 20); }),
            "the archive " + bomb + " unpacks to more than 1048576 bytes");
  EXPECT_EQ(Listing(temp), "");  // the first entry went with the folder
  // Within the bound it unpacks.
  EXPECT_EQ(TImportArchive(Utf8ToWide(bomb), Utf8ToWide(temp), 9 << 20).Files().size(), 2u);

  const std::string many = dir.File("many.zip");
  std::vector<vxZip::TZipNewEntry> entries;
  for (int i = 0; i <= 10000; ++i) entries.push_back({"f" + std::to_string(i), ""});
  vxZip::AddEntries(Utf8ToWide(many), entries);
  EXPECT_EQ(vxTest::RaisedMessage([&] { TImportArchive(Utf8ToWide(many), Utf8ToWide(temp)); }),
            "the archive " + many + " holds more than 10000 entries");

  TTestTempDir::WriteBytes(dir.File("broken.zip"), "PK\x03\x04 not really");
  EXPECT_NE(vxTest::RaisedMessage([&] { TImportArchive(Utf8ToWide(dir.File("broken.zip")), Utf8ToWide(temp)); }),
            "(nothing raised)");
  EXPECT_EQ(Listing(temp), "");
}

TEST(ImportArchive, EntryFileNames) {
  const std::pair<std::string, ustring> cases[] = {
      {"a/b/c.xml", u"c.xml"}, {"c.xml", u"c.xml"},     {"a\\b.xml", u"b.xml"}, {"dir/", u"entry"},
      {".", u"entry"},         {"x/..", u"entry"},      {"", u"entry"},         {std::string(201, 'n'), u"entry"},
      {"\xC3\x84.xml", u"\u00C4.xml"},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(vxImportArchive::EntryFileName(name), expected) << name;
}

}  // namespace
