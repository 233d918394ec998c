// The INI reader and writer: names without regard to case, values as the
// profile files give them, the encodings, and writes that keep the rest.
#include "platform/files/vxIniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxStream.h"
#include "support/vxTestTempDir.h"

namespace {

const char kSample[] =
    "; leading comment\r\n"
    "orphan=before any section\r\n"
    "[Parameters]\r\n"
    "  Port = 25  \r\n"
    "Name=\"quoted value\"\r\n"
    "Single='one'\r\n"
    "Half=\"open\r\n"
    "Flag=1\r\n"
    "Hex=0x1F\r\n"
    "Dollar=$10\r\n"
    "Bad=12abc\r\n"
    "Big=4294967296\r\n"
    "Negative=-7\r\n"
    "NoEquals\r\n"
    "Port=second\r\n"
    "[ other ]\n"
    "key=a=b;c\n"
    "[PARAMETERS]\r\n"
    "Late=hidden by the first section\r\n";

TEST(IniFile, ReadsAsProfileFilesDo) {
  const TIniFile ini = TIniFile::FromBytes(kSample);
  EXPECT_TRUE(ini.SectionExists(u"parameters"));
  EXPECT_TRUE(ini.SectionExists(u"OTHER"));
  EXPECT_FALSE(ini.SectionExists(u"missing"));
  struct Case {
    const char16_t* Section;
    const char16_t* Key;
    const char16_t* Expected;
  } cases[] = {
      {u"parameters", u"PORT", u"25"},             // trimmed, first key of the name
      {u"Parameters", u"name", u"quoted value"},   // quotes dropped
      {u"Parameters", u"single", u"one"},
      {u"Parameters", u"half", u"\"open"},         // no matching end quote
      {u"Parameters", u"NoEquals", u""},
      {u"other", u"KEY", u"a=b;c"},                // the first "=" splits
      {u"Parameters", u"Late", u"<default>"},      // only the first section counts
      {u"Parameters", u"orphan", u"<default>"},
      {u"Parameters", u"; leading comment", u"<default>"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ini.ReadString(c.Section, c.Key, u"<default>"), c.Expected) << WideToUtf8(c.Key);
  EXPECT_TRUE(ini.ValueExists(u"PARAMETERS", u"noequals"));
  EXPECT_FALSE(ini.ValueExists(u"other", u"port"));
}

TEST(IniFile, NumbersAndTruth) {
  const TIniFile ini = TIniFile::FromBytes(kSample);
  EXPECT_EQ(ini.ReadInteger(u"Parameters", u"Flag", 5), 1);
  EXPECT_EQ(ini.ReadInteger(u"Parameters", u"Hex", 5), 31);
  EXPECT_EQ(ini.ReadInteger(u"Parameters", u"Dollar", 5), 16);
  EXPECT_EQ(ini.ReadInteger(u"Parameters", u"Negative", 5), -7);
  EXPECT_EQ(ini.ReadInteger(u"Parameters", u"Bad", 5), 5);
  EXPECT_EQ(ini.ReadInteger(u"Parameters", u"Big", 5), 5);
  EXPECT_EQ(ini.ReadInteger(u"Parameters", u"Missing", 5), 5);
  EXPECT_TRUE(ini.ReadBool(u"Parameters", u"Flag", false));
  EXPECT_TRUE(ini.ReadBool(u"Parameters", u"Negative", false));
  EXPECT_TRUE(ini.ReadBool(u"Parameters", u"Missing", true));
  EXPECT_FALSE(ini.ReadBool(u"Parameters", u"Name", false));  // not a number: the default
}

TEST(IniFile, Encodings) {
  const ustring text = u"[S\u00C4]\r\nK\u00E4y=\u20AC \U0001F600\r\n";
  struct Case {
    std::string Bytes;
    TIniEncoding Encoding;
  } cases[] = {
      {"\xFF\xFE" + WideToUtf16LE(text), TIniEncoding::Utf16LEMark},
      {"\xEF\xBB\xBF" + WideToUtf8(text), TIniEncoding::Utf8Mark},
      {WideToUtf8(text), TIniEncoding::Utf8},
  };
  for (const Case& c : cases) {
    const TIniFile ini = TIniFile::FromBytes(c.Bytes);
    EXPECT_EQ(ini.Encoding(), c.Encoding);
    // Case-insensitive beyond ASCII: UpperStrW on both sides.
    EXPECT_EQ(ini.ReadString(u"s\u00E4", u"K\u00C4Y", u""), u"\u20AC \U0001F600");
    EXPECT_EQ(ini.Bytes(), c.Bytes);  // written back as read
  }
  const TIniFile ansi = TIniFile::FromBytes("[s]\r\nk=\xE4\x80\r\n");
  EXPECT_EQ(ansi.Encoding(), TIniEncoding::Ansi);
  EXPECT_EQ(ansi.ReadString(u"S", u"K", u""), u"\u00E4\u20AC");
  EXPECT_EQ(ansi.Bytes(), "[s]\r\nk=\xE4\x80\r\n");
  EXPECT_EQ(TIniFile::FromBytes(std::string("\xFE\xFF\0[\0s\0]", 8)).SectionExists(u"S"), true);
}

TEST(IniFile, WritingKeepsEverythingElseAndLosesNoCharacter) {
  TIniFile ini = TIniFile::FromBytes("; note\r\n[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n");
  ini.WriteString(u"A", u"X", u"one");   // rewritten in place, name as given
  ini.WriteString(u"a", u"z", u"new");   // after the section's last key
  ini.WriteString(u"c", u"w", u"3");     // a new section at the end
  EXPECT_EQ(ini.Text(), u"; note\r\n[a]\r\nX=one\r\nz=new\r\n\r\n[b]\r\ny=2\r\n\r\n[c]\r\nw=3\r\n");
  EXPECT_THROW(ini.WriteString(u"a", u"x", u"two\r\nlines"), EConvertError);

  // An ANSI file that gets a character outside the code page becomes UTF-8.
  TIniFile ansi = TIniFile::FromBytes("[s]\r\nk=\xE4\r\n");
  ansi.WriteString(u"s", u"k", u"\u0416");
  EXPECT_EQ(ansi.Bytes(), "\xEF\xBB\xBF[s]\r\nk=\xD0\x96\r\n");
  // A text that begins with U+FEFF keeps it: the bytes get a mark of their own.
  TIniFile bom = TIniFile::FromText(u"\uFEFF[s]\r\nk=v\r\n", TIniEncoding::Utf8);
  EXPECT_EQ(TIniFile::FromBytes(bom.Bytes()).Text(), bom.Text());
  // A lone surrogate only UTF-16 carries.
  TIniFile utf8 = TIniFile::FromBytes("[s]\n");
  utf8.WriteString(u"s", u"k", ustring(1, u'\xD800'));
  EXPECT_EQ(TIniFile::FromBytes(utf8.Bytes()).ReadString(u"s", u"k", u""), ustring(1, u'\xD800'));
}

TEST(IniFile, FilesRoundTripAndFailuresLeaveTheOldFile) {
  TTestTempDir dir;
  const ustring name = dir.WideFile("settings.ini");
  {
    TIniFile missing(name);  // a missing file is an empty one
    EXPECT_FALSE(missing.SectionExists(u"Parameters"));
    missing.WriteString(u"Parameters", u"instanceid", u"3");
    missing.UpdateFile();
  }
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("settings.ini")), "[Parameters]\r\ninstanceid=3\r\n");
  EXPECT_EQ(TIniFile(name).ReadInteger(u"parameters", u"INSTANCEID", 0), 3);
  EXPECT_EQ(dir.Listing(), "settings.ini;");  // no temporary file left

  const TIniFile other = TIniFile::FromText(u"[x]\r\ny=1\r\n", TIniEncoding::Utf8);
  EXPECT_THROW(other.SaveToFile(dir.WideFile("no-such-folder/file.ini")), EFOpenError);
  chmod(dir.File("settings.ini").c_str(), 0444);
  EXPECT_THROW(TIniFile(name).SaveToFile(name), EStreamError);
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("settings.ini")), "[Parameters]\r\ninstanceid=3\r\n");
}

}  // namespace
