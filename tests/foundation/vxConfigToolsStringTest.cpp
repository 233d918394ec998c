// Tests of the XML configuration string: the layout written, reading back
// (format versions, compression, binary values, text outside the BMP), the
// change-protection hash, bad input, and saving and loading as a file.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/vxStrings.h"
#include "foundation/vxConfigTools.h"
#include "platform/base/vxCodePage.h"
#include "platform/mail/vxMimeCodec.h"
#include "support/vxTestTempDir.h"

namespace {

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

// The compressed text of "hi" in Base64, as a compressed list holds it.
std::string PackedHi() { return vxMimeCodec::Base64Encode(TvxStrings::CompressString("hi")); }

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

TEST(ConfigString, PlainLayout) {
  TvxConfigTools t;
  t.AddConfigParam(u"Sender", Variant(ustring(u"a")), false, false);
  t.AddConfigParam(u"Subject", Variant(ustring(u"b")), false, false);
  EXPECT_EQ(t.BuiltConfigString(u"vxMail", false, false, false),
            kDecl + "<vxMail FormatVersion=\"2.0\" Compressed=\"false\" Encoding=\"none\">"
                    "<Sender>a</Sender><Subject>b</Subject></vxMail>");
}

// Built layouts, one list per case, as (path, value) pairs.
TEST(ConfigString, BuiltLayouts) {
  struct Case {
    const char* what;
    std::vector<std::pair<ustring, Variant>> entries;
    bool enhanced, byAttrib;
    std::string body;
  } cases[] = {
      {"enhanced integer", {{u"Port", Variant(5)}}, true, false, "<Port Type=\"INT\">5</Port>"},
      {"plain integer", {{u"Port", Variant(5)}}, false, false, "<Port>5</Port>"},
      {"nested path with a blank",
       {{u"Mail/Smtp Server", Variant(ustring(u"s"))}},
       false,
       false,
       "<Mail><Smtp_Server Name=\"Smtp Server\">s</Smtp_Server></Mail>"},
      {"equal one-part keys are siblings",
       {{u"Node", Variant(ustring(u"1"))}, {u"Node", Variant(ustring(u"2"))}},
       false,
       false,
       "<Node>1</Node><Node>2</Node>"},
      {"equal nested paths share an element",
       {{u"A/b", Variant(ustring(u"1"))}, {u"A/b", Variant(ustring(u"2"))}},
       false,
       false,
       "<A><b>2</b></A>"},
      {"names by attribute", {{u"x y", Variant(ustring(u"v"))}}, false, true, "<Field Name=\"x y\">v</Field>"},
      {"digit and XML prefixes",
       {{u"1st", Variant(ustring(u"a"))}, {u"xmlData", Variant(ustring(u"b"))}},
       false,
       false,
       "<_1st Name=\"1st\">a</_1st><_xmlData Name=\"xmlData\">b</_xmlData>"},
      {"markup is escaped, control characters blanked",
       {{u"T", Variant(ustring(u"<a&b>\u0001"))}},
       false,
       false,
       "<T>&lt;a&amp;b&gt; </T>"},
      {"fixed forms of numbers, Booleans and dates",
       {{u"D", Variant(1.5)},
        {u"S", Variant::FromSingle(0.1f)},
        {u"C", Variant(Currency{25000})},
        {u"B", Variant(true)},
        {u"T", Variant::FromDate(45000.5)},
        {u"N", Variant::Null()}},
       false,
       false,
       "<D>1.5</D><S>0.1</S><C>2.5</C><B>true</B><T>2023-03-15 12:00:00</T><N/>"},
      {"enhanced Boolean and date",
       {{u"B", Variant(true)}, {u"T", Variant::FromDate(45000.0)}},
       true,
       false,
       "<B Type=\"BOOLEAN\">True</B><T Type=\"DATE\">2023-03-15</T>"},
  };
  for (const Case& c : cases) {
    TvxConfigTools t;
    for (const auto& [path, value] : c.entries) t.AddConfigParam(path, value, false, false);
    EXPECT_EQ(t.BuiltConfigString(u"r", false, c.enhanced, c.byAttrib),
              kDecl + "<r FormatVersion=\"2.0\" Compressed=\"false\" Encoding=\"none\">" + c.body + "</r>")
        << c.what;
  }
}

TEST(ConfigString, ExtraAttributesInOrder) {
  TvxConfigTools t;
  const int32_t i = t.AddConfigParam(u"E", Variant(ustring(u"v")), false, false);
  t.AddAttribute(i, u"s", Variant(ustring(u"x\u0002\"")));
  t.AddAttribute(i, u"n", Variant(2.5));
  t.AddAttribute(i, u"b", Variant(false));
  t.AddAttribute(i, u"z", Variant::Null());
  EXPECT_EQ(t.BuiltConfigString(u"r", false, true, false),
            kDecl + "<r FormatVersion=\"2.0\" Compressed=\"false\" Encoding=\"none\">"
                    "<E Type=\"UCS4STR\" s=\"x &quot;\" n=\"2.5\" b=\"false\">v</E></r>");
  TvxConfigTools back;
  ASSERT_TRUE(back.ParseConfigString(t.BuiltConfigString(u"r", false, true, false)));
  ASSERT_EQ(back.ConfigList[0].Attributes.size(), 3u);
  EXPECT_EQ(back.GetAttribute(0, u"n", Variant(), false), Variant(ustring(u"2.5")));
}

TEST(ConfigString, NodeNameByAttribWithPathFails) {
  TvxConfigTools t;
  t.AddConfigParam(u"a/b", Variant(1), false, false);
  try {
    (void)t.BuiltConfigString(u"r", false, false, true);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"node paths and nodenamebyattribute is not supported");
  }
  EXPECT_EQ(t.Message, u"node paths and nodenamebyattribute is not supported");
  (void)t.BuiltConfigString(u"r", false, false, false);
  EXPECT_TRUE(t.Message.empty());
}

TEST(ConfigString, DomErrorsOfTheBuildRaise) {
  TvxConfigTools t;
  t.AddConfigParam(u"a(b", Variant(1), false, false);
  EXPECT_THROW((void)t.BuiltConfigString(u"r", false, false, false), Exception);
  EXPECT_FALSE(t.Message.empty());
  TvxConfigTools root;
  EXPECT_THROW((void)root.BuiltConfigString(u"", false, false, false), Exception);
}

TEST(ConfigString, RoundTrips) {
  const ustring outsideBmp = u"caf\u00E9 \u20AC \U0001F600 \u4E2D\u6587";
  for (bool compress : {false, true}) {
    TvxConfigTools t;
    t.AddConfigParam(u"Text", Variant(outsideBmp), false, false);
    t.AddConfigParam(u"Mail/Smtp Server", Variant(ustring(u"smtp")), false, false);
    t.AddConfigParam(u"Port", Variant(5), false, false);
    t.AddConfigParam(u"Bin", Variant(AllBytes()), true, false);
    t.AddConfigParam(u"Multi", Variant(ustring(u"l1\r\nl2")), false, false);
    t.AddConfigParam(u"LoneCR", Variant(ustring(u"a\rb")), false, false);
    t.AddConfigParam(u"Mixed", Variant(ustring(u"a\r\nb\nc\r")), false, false);
    const std::string s = t.BuiltConfigString(u"vxConfig", compress, true, false);
    if (compress) {
      EXPECT_NE(s.find("Compressed=\"true\" Encoding=\"Base64\""), std::string::npos);
      EXPECT_EQ(s.find("smtp"), std::string::npos);
    }
    TvxConfigTools back;
    ASSERT_TRUE(back.ParseConfigString(s)) << WideToUtf8(back.Message);
    EXPECT_EQ(back.RootNodeName, u"vxConfig");
    EXPECT_EQ(back.GetConfigParam(u"Text"), Variant(outsideBmp)) << compress;
    EXPECT_EQ(back.GetConfigParam(u"mail/smtp server"), Variant(ustring(u"smtp")));
    EXPECT_TRUE(back.ConfigParamExists(u"Mail"));
    EXPECT_EQ(back.GetConfigParam(u"Multi").AsString(), u"l1\r\nl2");
    EXPECT_EQ(back.GetConfigParam(u"LoneCR").AsString(), u"a\rb") << compress;
    EXPECT_EQ(back.GetConfigParam(u"Mixed").AsString(), u"a\r\nb\nc\r") << compress;
    const int32_t bin = back.GetConfigParamListId(u"Bin");
    ASSERT_GE(bin, 0);
    EXPECT_TRUE(back.ConfigList[static_cast<size_t>(bin)].Binary);
    EXPECT_EQ(back.ConfigList[static_cast<size_t>(bin)].Value, Variant(AllBytes())) << compress;
    if (compress) {
      EXPECT_EQ(back.GetConfigParam(u"Port"), Variant(ustring(u"5")));
    } else {
      EXPECT_EQ(back.GetConfigParam(u"Port").AsInteger(), 5);
      EXPECT_NE(back.GetConfigParam(u"Port").VarType(), varUString);
    }
  }
}

TEST(ConfigString, Base64LinesAreAtMost76Characters) {
  TvxConfigTools t;
  t.AddConfigParam(u"Bin", Variant(AllBytes()), true, false);
  const std::string s = t.BuiltConfigString(u"r", false, false, false);
  const size_t open = s.find("<Bin Type=\"BINARY\">") + 19;
  const std::string text = s.substr(open, s.find("</Bin>") - open);
  // Each CR LF stands as "&#13;" and LF, so that the CR reads back.
  const std::string lineBreak = "&#13;\n";
  size_t start = 0;
  for (size_t at = text.find(lineBreak); at != std::string::npos; at = text.find(lineBreak, start)) {
    EXPECT_EQ(at - start, 76u);
    start = at + lineBreak.size();
  }
  EXPECT_GT(start, 0u);
  EXPECT_LE(text.size() - start, 76u);
  EXPECT_NE(text.back(), '\n');
}

TEST(ConfigString, ParsingBlankAndBadStrings) {
  TvxConfigTools t;
  t.Message = u"old";
  t.RootNodeName = u"keep";
  for (const std::string& blank : {std::string(), std::string(" \r\n\t"), std::string("\x01 ")}) {
    ustring root = u"keep";
    EXPECT_TRUE(t.ParseConfigString(t.ConfigList, blank, root, true));
    EXPECT_EQ(root, u"keep");
    EXPECT_EQ(t.Message, u"old");
    EXPECT_TRUE(t.ConfigList.empty());
  }
  EXPECT_FALSE(t.ParseConfigString("not xml"));
  EXPECT_FALSE(t.Message.empty());
  ustring root;
  EXPECT_THROW(t.ParseConfigString("not xml", root, true), Exception);
  EXPECT_FALSE(t.ParseConfigString("<!DOCTYPE a [<!ENTITY b \"c\">]><a>&b;</a>"));
  EXPECT_NE(t.Message.find(u"document type"), ustring::npos);
}

TEST(ConfigString, FormatVersionsAndCompressedWords) {
  const std::string body = "<A Name=\"Alpha\" x=\"1\"><b Name=\"Beta\">v</b></A>";
  struct Case {
    const char* version;
    std::vector<ustring> params;
    bool attributes;
  } cases[] = {
      {"", {u"Alpha", u"Alpha/Beta"}, true},
      {" FormatVersion=\"2.1\"", {u"Alpha", u"Alpha/Beta"}, true},
      {" FormatVersion=\"1.6\"", {u"Alpha", u"Alpha/Beta"}, true},
      {" FormatVersion=\"1.2\"", {u"A", u"b"}, false},
      {" FormatVersion=\"1.3\"", {u"A", u"b"}, true},
      {" FormatVersion=\"1.4\"", {u"Alpha", u"Beta"}, true},
      {" FormatVersion=\"1.5\"", {u"Alpha", u"Beta"}, true},
  };
  for (const Case& c : cases) {
    TvxConfigTools t;
    ASSERT_TRUE(t.ParseConfigString(std::string("<r") + c.version + ">" + body + "</r>")) << c.version;
    ASSERT_EQ(t.GetListSize(), 2) << c.version;
    EXPECT_EQ(t.ConfigList[0].Param, c.params[0]) << c.version;
    EXPECT_EQ(t.ConfigList[1].Param, c.params[1]) << c.version;
    EXPECT_EQ(t.ConfigList[1].Value, Variant(ustring(u"v")));
    EXPECT_EQ(t.ConfigList[0].Attributes.size(), c.attributes ? 1u : 0u) << c.version;
  }
  for (const char* word : {"True", "yes", "1", "TRUE"}) {
    TvxConfigTools t;
    ASSERT_TRUE(t.ParseConfigString(std::string("<r Compressed=\"") + word + "\"><v>" + PackedHi() + "</v></r>"))
        << word << " " << WideToUtf8(t.Message);
    EXPECT_EQ(t.GetConfigParam(u"v"), Variant(ustring(u"hi"))) << word;
  }
  EXPECT_EQ(TvxConfigTools::GetConfigFormatVersion(u"2.1"), vxFV_21);
  EXPECT_EQ(TvxConfigTools::GetConfigFormatVersion(u"1.0"), vxFV_10);
  EXPECT_EQ(TvxConfigTools::GetConfigFormatVersion(u" 2.0"), vxFV_Unknown);
  EXPECT_EQ(TvxConfigTools::GetConfigFormatVersion(u"2.00"), vxFV_Unknown);
}

TEST(ConfigString, FailedParseKeepsWhatWasRead) {
  TvxConfigTools t;
  // The second value is no compressed text.
  const std::string s = "<r Compressed=\"true\"><a>" + PackedHi() + "</a><b>AAAA</b><c/></r>";
  EXPECT_FALSE(t.ParseConfigString(s));
  EXPECT_FALSE(t.Message.empty());
  EXPECT_EQ(t.GetListSize(), 2);
  EXPECT_EQ(t.ConfigList.size(), 2u);  // trimmed
  EXPECT_EQ(t.GetConfigParam(u"a"), Variant(ustring(u"hi")));
}

// A grouping element of a compressed list has no value of its own; the
// reader takes it as empty instead of failing on every nested path.
TEST(ConfigString, CompressedNestedPathsReadBack) {
  TvxConfigTools t;
  t.AddConfigParam(u"Mail/Server", Variant(ustring(u"smtp")), false, false);
  t.AddConfigParam(u"Mail/Port", Variant(25), false, false);
  TvxConfigTools back;
  ASSERT_TRUE(back.ParseConfigString(t.BuiltConfigString(u"r", true, false, false))) << WideToUtf8(back.Message);
  EXPECT_EQ(back.GetConfigParam(u"Mail"), Variant(ustring()));
  EXPECT_EQ(back.GetConfigParam(u"Mail/Server"), Variant(ustring(u"smtp")));
  EXPECT_EQ(back.GetConfigParam(u"Mail/Port"), Variant(ustring(u"25")));

  // A value and a longer path under the same name share the element.
  TvxConfigTools mixed;
  mixed.AddConfigParam(u"A", Variant(ustring(u"x")), false, false);
  mixed.AddConfigParam(u"A/b", Variant(ustring(u"y")), false, false);
  for (bool compress : {false, true}) {
    TvxConfigTools r;
    ASSERT_TRUE(r.ParseConfigString(mixed.BuiltConfigString(u"r", compress, false, false))) << WideToUtf8(r.Message);
    EXPECT_EQ(r.GetConfigParam(u"A"), Variant(ustring(u"x"))) << compress;
    EXPECT_EQ(r.GetConfigParam(u"A/b"), Variant(ustring(u"y"))) << compress;
  }
}

TEST(ConfigString, ChangeProtection) {
  TvxConfigTools t;
  t.ChangeProtection = true;
  t.AddConfigParam(u"Sender", Variant(ustring(u"a")), false, false);
  t.AddConfigParam(u"Subject", Variant(ustring(u"b")), false, false);
  const std::string s = t.BuiltConfigString(u"vxMail", false, false, false);
  // The golden hash freezes the salt: stored strings rely on it.
  EXPECT_EQ(s, kDecl + "<vxMail FormatVersion=\"2.0\" Compressed=\"false\" Encoding=\"none\" "
                       "Hash=\"C6093AE767DEF3FC25D36F487E8FA18C\"><Sender>a</Sender><Subject>b</Subject></vxMail>");

  TvxConfigTools reader;
  reader.ChangeProtection = true;
  EXPECT_TRUE(reader.ParseConfigString(s)) << WideToUtf8(reader.Message);

  const auto expectMismatch = [&](std::string changed) {
    TvxConfigTools r;
    r.ChangeProtection = true;
    EXPECT_FALSE(r.ParseConfigString(changed)) << changed;
    EXPECT_EQ(r.Message, u"change protection hash mismatch") << changed;
  };
  std::string value = s;
  value.replace(value.find(">a<"), 3, ">x<");
  expectMismatch(value);
  std::string param = s;
  param.replace(param.find("<Sender>"), 8, "<Sendor>").replace(param.find("</Sender>"), 9, "</Sendor>");
  expectMismatch(param);
  std::string noHash = s;
  noHash.erase(noHash.find(" Hash="), 40);
  expectMismatch(noHash);
  std::string lower = s;
  const size_t h = lower.find("Hash=\"") + 6;
  for (size_t k = h; k < h + 32; ++k)
    if (lower[k] >= 'A' && lower[k] <= 'F') lower[k] = static_cast<char>(lower[k] - 'A' + 'a');
  if (lower != s) expectMismatch(lower);
}

// Writer and reader agree for nested paths, typed values, compression and
// extra attributes; a changed attribute still fails.
TEST(ConfigString, ChangeProtectionWriterAndReaderAgree) {
  for (bool compress : {false, true})
    for (bool enhanced : {false, true}) {
      TvxConfigTools t;
      t.ChangeProtection = true;
      t.AddConfigParam(u"Mail/Smtp Server", Variant(ustring(u"s")), false, false);
      t.AddConfigParam(u"Flag", Variant(true), false, false);
      t.AddConfigParam(u"When", Variant::FromDate(45000.25), false, false);
      t.AddConfigParam(u"Bin", Variant(AllBytes()), true, false);
      t.AddConfigParam(u"Cr", Variant(ustring(u"c\rd")), false, false);
      const int32_t i = t.AddConfigParam(u"Lines", Variant(ustring(u"a\nb")), false, false);
      t.AddAttribute(i, u"extra", Variant(ustring(u"e")));
      const std::string s = t.BuiltConfigString(u"r", compress, enhanced, false);
      TvxConfigTools reader;
      reader.ChangeProtection = true;
      EXPECT_TRUE(reader.ParseConfigString(s)) << compress << enhanced << " " << WideToUtf8(reader.Message);
      std::string changed = s;
      changed.replace(changed.find("extra=\"e\""), 9, "extra=\"f\"");
      TvxConfigTools r2;
      r2.ChangeProtection = true;
      EXPECT_FALSE(r2.ParseConfigString(changed));
      EXPECT_EQ(r2.Message, u"change protection hash mismatch");
    }
}

TEST(ConfigString, SaveAndLoadFile) {
  TTestTempDir dir;
  const ustring file = dir.WideFile("config.xml");
  TvxConfigTools t;
  t.AddConfigParam(u"Font/Name", Variant(ustring(u"Sans \U0001F600")), false, false);
  t.AddConfigParam(u"Bin", Variant(AllBytes()), true, false);
  ASSERT_TRUE(t.SaveConfig(file, u"vxStyle", true, true));
  TvxConfigTools back;
  ASSERT_TRUE(back.LoadConfig(file));
  EXPECT_EQ(back.RootNodeName, u"vxStyle");
  EXPECT_EQ(back.GetConfigParam(u"font/name"), Variant(ustring(u"Sans \U0001F600")));
  EXPECT_EQ(back.ConfigList[static_cast<size_t>(back.GetConfigParamListId(u"Bin"))].Value, Variant(AllBytes()));

  // A failing build raises and leaves the file as it was; nothing stays beside it.
  const std::string before = TTestTempDir::ReadBytes(dir.File("config.xml"));
  TvxConfigTools bad;
  bad.AddConfigParam(u"a(b", Variant(1), false, false);
  EXPECT_THROW(bad.SaveConfig(file, u"r", false, false), Exception);
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("config.xml")), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);

  EXPECT_FALSE(t.SaveConfig(dir.WideFile("no/such/folder/c.xml"), u"r", false, false));
  EXPECT_FALSE(back.LoadConfig(dir.WideFile("missing.xml")));
  TTestTempDir::WriteBytes(dir.File("bad.xml"), "<r><a></r>");
  EXPECT_FALSE(back.LoadConfig(dir.WideFile("bad.xml")));
}

}  // namespace
