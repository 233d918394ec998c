// Tests of the zip layer's entry-name rules and of reading archives from
// bytes.
#include "platform/zip/vxZip.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/vxTestTempDir.h"

namespace {

TEST(ZipEntryNameTest, SafeNames) {
  for (const char* name : {"a.txt", "sub/a.txt", "sub/", "a..b", "...", ".hidden", "x/.y/z"})
    EXPECT_TRUE(vxZip::IsSafeEntryName(name)) << name;
  for (const char* name : {"", "/", "/etc/x", "../x", "a/../../x", "a/..", "./a", "a/./b", "a//b", "..\\x",
                           "a\\b", "a\nb", "a\x7f"})
    EXPECT_FALSE(vxZip::IsSafeEntryName(name)) << name;
  EXPECT_FALSE(vxZip::IsSafeEntryName(std::string("a\0b", 3)));
}

TEST(ZipEntryNameTest, FreeNames) {
  std::set<std::string> taken{"a.pdf", "a-2.pdf", "noext", "d.x/file"};
  const auto isTaken = [&taken](const std::string& n) { return taken.count(n) > 0; };
  EXPECT_EQ(vxZip::FreeEntryName("b.pdf", isTaken), "b.pdf");
  EXPECT_EQ(vxZip::FreeEntryName("a.pdf", isTaken), "a-3.pdf");
  EXPECT_EQ(vxZip::FreeEntryName("noext", isTaken), "noext-2");
  EXPECT_EQ(vxZip::FreeEntryName("d.x/file", isTaken), "d.x/file-2");
}

TEST(ZipReaderTest, BytesRoundTripAndGarbage) {
  TTestTempDir dir;
  const std::string big(300000, 'z');
  vxZip::AddEntries(dir.WideFile("x.zip"), {{"one", "1"}, {"big", big}});
  const vxZip::TZipReader reader = vxZip::TZipReader::OpenBytes(TTestTempDir::ReadBytes(dir.File("x.zip")));
  ASSERT_EQ(reader.Count(), 2);
  EXPECT_EQ(reader.Name(1), "big");
  EXPECT_EQ(reader.Read(1), big);
  EXPECT_THROW(reader.Read(2), EZipError);
  EXPECT_THROW(vxZip::TZipReader::OpenBytes("PK\x03\x04 not really"), EZipError);
  // An archive without entries is written as its end record alone.
  vxZip::AddEntries(dir.WideFile("empty.zip"), {});
  EXPECT_EQ(vxZip::TZipReader::OpenFile(dir.WideFile("empty.zip")).Count(), 0);
}

}  // namespace
