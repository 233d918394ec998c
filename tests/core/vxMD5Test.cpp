// Tests of core/vxMD5.h: MD5 digests (RFC 1321) of memory, of 8-bit strings and
// of files, always as 32 upper-case hexadecimal digits.
#include "core/vxMD5.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "core/vxStartup.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileHandle.h"
#include "support/vxChildProcess.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"


namespace {

// Bytes that differ from one position to the next.
std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + 7) & 0xFF);
  return bytes;
}

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

TEST(MD5, TheStandardsTestSuite) {
  struct Case {
    const char* text;
    const char* digest;
  };
  const Case cases[] = {
      {"", "D41D8CD98F00B204E9800998ECF8427E"},
      {"a", "0CC175B9C0F1B6A831C399E269772661"},
      {"abc", "900150983CD24FB0D6963F7D28E17F72"},
      {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
      {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "D174AB98D277D9F5A5611C2C9F419D9F"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57EDF4A22BE3C955AC49DA2E2107B67A"},
  };
  for (const Case& c : cases) {
    const std::string text = c.text;
    EXPECT_EQ(TvxMD5::GetMD5FromString(text), c.digest) << c.text;
    EXPECT_EQ(TvxMD5::GetMD5(text.data(), static_cast<int32_t>(text.size())), c.digest) << c.text;
  }
  EXPECT_EQ(TvxMD5::GetMD5(nullptr, 0), "D41D8CD98F00B204E9800998ECF8427E");
}

TEST(MD5, BlockAndPieceBoundaries) {
  struct Case {
    size_t size;
    const char* digest;
  };
  const Case cases[] = {
      {55, "C9E512626618C9980EF21A96597AF94C"},       {56, "ECDE7CAA08E9F5657C863DF107CAC60A"},
      {63, "2F0301069E1C40AF7F6C8F843B1B13F2"},       {64, "B6BF87C24B1BC334E2541387A92B981B"},
      {65, "F168246F08B6134D66BD2A10343FA9F1"},       {16384, "403EE5C6A11B3D1368172327CB627A97"},
      {16385, "6BCEEB7F9BED214AB49B8845EF9CD6AE"},    {100000, "7354F16D06A013232DAA23CFA7A092DF"},
  };
  for (const Case& c : cases) {
    const std::string bytes = Pattern(c.size);
    EXPECT_EQ(TvxMD5::GetMD5(bytes.data(), static_cast<int32_t>(bytes.size())), c.digest) << c.size;
    EXPECT_EQ(TvxMD5::GetMD5FromString(bytes), c.digest) << c.size;
  }
}

TEST(MD5, InvalidBufferRaises) {
  const char byte = 'x';
  EXPECT_EQ(RaisedMessage([&] { TvxMD5::GetMD5(&byte, -1); }), u"invalid buffer for an MD5 digest");
  EXPECT_EQ(RaisedMessage([] { TvxMD5::GetMD5(nullptr, 1); }), u"invalid buffer for an MD5 digest");
}

TEST(MD5, FileReadInPieces) {
  TTestTempDir dir;
  // Larger than the read piece and not a multiple of it.
  TTestTempDir::WriteBytes(dir.File("data.bin"), Pattern(1048583));
  EXPECT_EQ(TvxMD5::GetMD5FromFile(dir.WideFile("data.bin"), 32), "CBD872011034AEAC1BC122B14A389F88");
  TTestTempDir::WriteBytes(dir.File("empty.bin"), "");
  EXPECT_EQ(TvxMD5::GetMD5FromFile(dir.WideFile("empty.bin"), 32), "D41D8CD98F00B204E9800998ECF8427E");
  TTestTempDir::WriteBytes(dir.File("ro.bin"), "abc");
  chmod(dir.File("ro.bin").c_str(), 0444);
  EXPECT_EQ(TvxMD5::GetMD5FromFile(dir.WideFile("ro.bin"), 32), "900150983CD24FB0D6963F7D28E17F72");
}

TEST(MD5, MissingFileRaisesNotFound) {
  TTestTempDir dir;
  std::filesystem::create_directories(dir.File("folder"));
  TTestTempDir::WriteBytes(dir.File(".hidden"), "abc");
  for (const char* name : {"missing.bin", "folder", ".hidden"}) {
    const ustring path = dir.WideFile(name);
    EXPECT_EQ(RaisedMessage([&] { TvxMD5::GetMD5FromFile(path, 32); }), u"file " + path + u" not found") << name;
  }
}

TEST(MD5, UnreadableFileIsNeverTheEmptyInput) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("locked.bin"), "content");
  const ustring locked = dir.WideFile("locked.bin");
  // Another process holds the file exclusively.
  vxFileSystem::TFileHandle held;
  vxTest::TChildHolding child([&] {
    held = vxFileSystem::TFileHandle::Open(locked, fmOpenReadWrite | fmShareExclusive);
    return held.Valid();
  });
  ASSERT_TRUE(child.Taken());
  EXPECT_EQ(RaisedMessage([&] { TvxMD5::GetMD5FromFile(locked, 32); }),
            u"file " + locked + u" cannot be read (in use by another process)");
  child.Release();
  EXPECT_EQ(TvxMD5::GetMD5FromFile(locked, 32), "9A0364B9E99BB480DD25E1F0284C8555");

  // A mask finds a file, but no file has the masked name itself.
  const ustring masked = dir.WideFile("*.bin");
  EXPECT_EQ(RaisedMessage([&] { TvxMD5::GetMD5FromFile(masked, 32); }),
            u"file " + masked + u" cannot be read (No such file or directory)");

  if (geteuid() != 0) {  // the owner's read bit does not stop root
    TTestTempDir::WriteBytes(dir.File("closed.bin"), "content");
    chmod(dir.File("closed.bin").c_str(), 0);
    const ustring closed = dir.WideFile("closed.bin");
    EXPECT_EQ(RaisedMessage([&] { TvxMD5::GetMD5FromFile(closed, 32); }),
              u"file " + closed + u" cannot be read (Permission denied)");
  }
}

TEST(MD5, SelfTestRunsAtStartUp) {
  EXPECT_TRUE(TvxMD5::MD5SelfTest());
  bool found = false;
  for (const vxStartup::TStartupStep& step : vxStartup::CoreSteps()) {
    if (std::string(step.Unit) != "vxMD5") continue;
    found = true;
    EXPECT_NO_THROW(step.Initialize());
  }
  EXPECT_TRUE(found);
}

}  // namespace
