// The export document on its own: the package hash, what each format
// version and encoding writes (read back by Python's xml.etree as an
// independent reader), the header and content read back, adding to an
// existing package file, and documents that are bad input.
#include "configstore/vxExportDocument.h"

#include <gtest/gtest.h>

#include "configstore/vxConfigManager.h"
#include "core/vxStringsIds.h"
#include "core/vxTypesValues.h"
#include "foundation/vxBase64.h"
#include "platform/base/vxCodePage.h"
#include "platform/time/vxDateUtils.h"
#include "support/vxRaisedMessage.h"
#include "support/vxRunProgram.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

using namespace vxExportDocument;

constexpr char16_t Id[] = u"0123456789ABCDEF0123456789ABCDEF";

TDateTime Changed() { return vxRuntime::EncodeDateTime(2024, 2, 29, 13, 14, 15, 0); }

TPackageHeader Header() { return {u"\u00C4-Paket", u"1.0.0.0", u"2024-01-31 12:00:00", Id, u"5.0.0.0"}; }

// A package of every kind of value: a text with a line break and letters
// beyond ASCII (with change information), a number, a Boolean, a date, the
// binary "abc", an empty binary value, and a filtered child node.
std::string SamplePackage(TvxExportFormatVersion Version, TCharEncodeType Encoding) {
  TDocumentWriter writer(Version, Encoding, true);
  const TPackageHeader header = Header();
  writer.StartNew(&header, u"Zeile 1\r\nZeile 2", vxPDT_PlainText);
  TXMLNode content = writer.AddContent(u"/varlo/Software/X", false);
  writer.AddProperty(content, {u"Gr\u00F6\u00DFe", u"UCS2STR", Variant(u"\u00C1\r\nb"), u"admin", Changed()});
  writer.AddProperty(content, {u"Port", u"INT", Variant(int64_t(25)), u"", 0});
  writer.AddProperty(content, {u"On", u"BOOLEAN", Variant(true), u"", 0});
  writer.AddProperty(content, {u"When", u"DATE", Variant::FromDate(Changed()), u"", 0});
  writer.AddProperty(content, {u"Blob", u"BINARY", Variant(u"YWJj"), u"", 0});
  writer.AddProperty(content, {u"Nothing", u"BINARY", Variant(u""), u"", 0});
  TXMLNode node = writer.AddNode(content, u"Sub%2FNode", true);
  writer.AddProperty(node, {u"x", u"UCS4STR", Variant(u"y"), u"", 0});
  return writer.Save();
}

// Every element of each file, depth first: its tag, its attributes in
// document order and the text of a leaf (compressed values inflated); then
// whether the hash is the MD5 of the header texts, and the file's encoding.
constexpr char kReader[] = R"PY(
import base64, hashlib, json, sys, zlib
import xml.etree.ElementTree as ET
for path in sys.argv[1:]:
    raw = open(path, 'rb').read()
    print('utf-16 bom' if raw[:2] == b'\xff\xfe' else 'no bom')
    root = ET.parse(path).getroot()
    def walk(e, depth):
        text = json.dumps(e.text if len(e) == 0 else None)
        if e.get('Compressed') == 'true':
            data = zlib.decompress(base64.b64decode(e.text))
            text = 'inflated %s of length %d' % (json.dumps(data[4:].decode('latin-1')), int.from_bytes(data[:4], 'little'))
        print('  ' * depth + e.tag + ' ' + json.dumps(list(e.attrib.items())) + ' ' + text)
        for child in e:
            walk(child, depth + 1)
    walk(root, 0)
    joined = root.get('PackageName') + root.get('PackageVersion') + root.get('PackageId') + root.get('PackageDate')
    print('hash ok' if hashlib.md5(joined.encode('utf-8')).hexdigest().upper() == root.get('Hash') else 'hash differs')
)PY";

std::string HeaderLines(const char* Version) {
  return std::string("k7Document [[\"FormatVersion\", \"") + Version +
         "\"], [\"Type\", \"Package\"], [\"PackageName\", \"\\u00c4-Paket\"], [\"PackageVersion\", \"1.0.0.0\"], "
         "[\"PackageDate\", \"2024-01-31 12:00:00\"], [\"PackageId\", \"0123456789ABCDEF0123456789ABCDEF\"], "
         "[\"Hash\", \"5F6F370C6B661B46D992175C09801DC3\"], [\"ReleaseRequired\", \"5.0.0.0\"]] null\n"
         "  Info [[\"Contains\", \"PlainText\"]] \"Zeile 1\\r\\nZeile 2\"\n"
         "  Content [[\"RootNode\", \"/varlo/Software/X\"]] null\n";
}

TEST(ExportDocument, PackageHashIsTheMd5OfTheUtf8HeaderTexts) {
  EXPECT_EQ(PackageHash(u"P", u"1.0.0.0", Id, u"2024-01-31 12:00:00"), "E3C4C8839212F88C2CE8BDB203C271FA");
  EXPECT_EQ(PackageHash(u"\u00C4-Paket", u"1.0.0.0", Id, u"2024-01-31 12:00:00"), "5F6F370C6B661B46D992175C09801DC3");
  // The date text has ":" between the time parts whatever the locale says.
  vxTest::TFormatSettingsGuard settings;
  FormatSettings().TimeSeparator = u'.';
  FormatSettings().DateSeparator = u'/';
  const TDateTime date = vxRuntime::EncodeDateTime(2024, 1, 31, 12, 0, 0, 0);
  EXPECT_EQ(DateText(date), u"2024-01-31 12:00:00");
  EXPECT_EQ(ReadDateText(u"2024-01-31 12:00:00"), date);
  EXPECT_EQ(ReadDateText(u"31.01.2024"), 0);
}

TEST(ExportDocument, EveryFormatAndEncodingAsPythonReadsIt) {
  TTestTempDir dir;
  struct TCase {
    TvxExportFormatVersion Version;
    TCharEncodeType Encoding;
    std::string Expected;
  };
  const std::string modern =
      "    Property [[\"Name\", \"Gr\\u00f6\\u00dfe\"], [\"DataType\", \"UCS2STR\"], [\"User\", \"admin\"], "
      "[\"Date\", \"2024-02-29 13:14:15\"]] \"\\u00c1\\r\\nb\"\n"
      "    Property [[\"Name\", \"Port\"], [\"DataType\", \"INT\"]] \"25\"\n"
      "    Property [[\"Name\", \"On\"], [\"DataType\", \"BOOLEAN\"]] \"True\"\n"
      "    Property [[\"Name\", \"When\"], [\"DataType\", \"DATE\"]] \"2024-02-29 13:14:15\"\n"
      "    Property [[\"Name\", \"Blob\"], [\"DataType\", \"BINARY\"], [\"Compressed\", \"true\"]] "
      "inflated \"abc\" of length 3\n"
      "    Property [[\"Name\", \"Nothing\"], [\"DataType\", \"BINARY\"]] null\n"
      "    Node [[\"Name\", \"Sub%2FNode\"], [\"Complete\", \"false\"]] null\n"
      "      Property [[\"Name\", \"x\"], [\"DataType\", \"UCS4STR\"]] \"y\"\n"
      "hash ok\n";
  // Format 1.2: no change information, dates as hexadecimal stamps, binary
  // values as stored; in UTF-8 each UTF-8 byte of a text is one character.
  const auto legacy = [](const std::string& Name, const std::string& Text) {
    return "    Property [[\"Name\", \"" + Name + "\"], [\"DataType\", \"UCS2STR\"]] \"" + Text + "\"\n" +
           "    Property [[\"Name\", \"Port\"], [\"DataType\", \"INT\"]] \"25\"\n"
           "    Property [[\"Name\", \"On\"], [\"DataType\", \"BOOLEAN\"]] \"True\"\n"
           "    Property [[\"Name\", \"When\"], [\"DataType\", \"DATE\"]] \"000B4681h02D72858h\"\n"
           "    Property [[\"Name\", \"Blob\"], [\"DataType\", \"BINARY\"]] \"YWJj\"\n"
           "    Property [[\"Name\", \"Nothing\"], [\"DataType\", \"BINARY\"]] null\n"
           "    Node [[\"Name\", \"Sub%2FNode\"], [\"Complete\", \"false\"]] null\n"
           "      Property [[\"Name\", \"x\"], [\"DataType\", \"UCS4STR\"]] \"y\"\n"
           "hash ok\n";
  };
  const TCase cases[] = {
      {vxEFV_V1_5, vxCE_UTF8, "no bom\n" + HeaderLines("1.5") + modern},
      {vxEFV_V1_4, vxCE_UTF16, "utf-16 bom\n" + HeaderLines("1.4") + modern},
      {vxEFV_V1_3, vxCE_UTF8, "no bom\n" + HeaderLines("1.3") + modern},
      {vxEFV_Unknown, vxCE_UTF16, "utf-16 bom\n" + HeaderLines("1.5") + modern},
      {vxEFV_V1_2, vxCE_UTF8,
       "no bom\n" + HeaderLines("1.2") + legacy("Gr\\u00c3\\u00b6\\u00c3\\u0178e", "\\u00c3\\u0081\\r\\nb")},
      {vxEFV_V1_2, vxCE_UTF16, "utf-16 bom\n" + HeaderLines("1.2") + legacy("Gr\\u00f6\\u00dfe", "\\u00c1\\r\\nb")},
  };
  for (const TCase& c : cases) {
    const std::string file = dir.File("package.xml");
    TTestTempDir::WriteBytes(file, SamplePackage(c.Version, c.Encoding));
    const vxTest::TProgramResult run = vxTest::RunProgram({"/usr/bin/python3", "-c", kReader, file});
    EXPECT_EQ(run.ExitStatus, 0) << run.Output;
    EXPECT_EQ(run.Output, c.Expected) << int(c.Version) << " " << int(c.Encoding);
  }
}

TEST(ExportDocument, BinaryAbcIsWrittenAsTheBase64OfItsCompressedForm) {
  const std::string bytes = SamplePackage(vxEFV_V1_5, vxCE_UTF8);
  const std::string expected = TvxBase64::StrToBase64(TvxStrings::CompressString("abc"), false);
  EXPECT_NE(bytes.find("<Property Name=\"Blob\" DataType=\"BINARY\" Compressed=\"true\">" + expected + "</Property>"),
            std::string::npos)
      << bytes;
  EXPECT_NE(bytes.find("<Property Name=\"Nothing\" DataType=\"BINARY\"/>"), std::string::npos) << bytes;
}

TEST(ExportDocument, HeaderReadsBackAndAChangedNameBreaksTheHash) {
  TXMLDocument doc;
  doc.LoadFromXML(SamplePackage(vxEFV_V1_5, vxCE_UTF16));
  Tk7PackageInformation info;
  ASSERT_EQ(ReadHeader(doc, info), THeaderState::Read);
  EXPECT_EQ(info.Id.WideStr(), Id);
  EXPECT_EQ(info.Hash.Str(), "5F6F370C6B661B46D992175C09801DC3");
  EXPECT_EQ(info.Name, u"\u00C4-Paket");
  EXPECT_EQ(info.Date, vxRuntime::EncodeDateTime(2024, 1, 31, 12, 0, 0, 0));
  EXPECT_TRUE(info.IsPackage);
  EXPECT_EQ(info.Version, (TvxVersion{1, 0, 0, 0}));
  EXPECT_EQ(info.ReleaseRequired, (TvxVersion{5, 0, 0, 0}));
  EXPECT_EQ(info.FormatVersion, vxEFV_V1_5);
  EXPECT_EQ(info.Description, u"Zeile 1\r\nZeile 2");
  EXPECT_EQ(info.DescriptionType, vxPDT_PlainText);

  // Line breaks of a file written elsewhere (LF alone), and a changed name.
  doc.DocumentElement().FindChildElement(u"Info").SetText(u"Zeile 1\nZeile 2");
  doc.DocumentElement().SetAttribute(u"PackageName", u"Other");
  Tk7PackageInformation changed;
  EXPECT_EQ(ReadHeader(doc, changed), THeaderState::HashMismatch);
  EXPECT_EQ(changed.Name, u"Other");
  EXPECT_EQ(changed.Description, u"Zeile 1\nZeile 2");  // as read, not normalised

  // A hash that is blank is not checked; a plain export has none.
  doc.DocumentElement().SetAttribute(u"Hash", u"  ");
  EXPECT_EQ(ReadHeader(doc, changed), THeaderState::Read);

  TXMLDocument other;
  other.LoadFromXML("<K7Document FormatVersion=\"1.5\"/>");
  Tk7PackageInformation none;
  EXPECT_EQ(ReadHeader(other, none), THeaderState::UnknownFileType);
  EXPECT_EQ(none.FormatVersion, vxEFV_Unknown);
}

TEST(ExportDocument, DescriptionTypeIsMarkDownUnlessTheInfoSaysOtherwise) {
  const std::pair<const char*, TvxPackageDescriptionType> cases[] = {
      {"<k7Document/>", vxPDT_MarkDown},
      {"<k7Document><Info>t</Info></k7Document>", vxPDT_MarkDown},
      {"<k7Document><Info Contains=\"\">t</Info></k7Document>", vxPDT_Unknown},
      {"<k7Document><Info Contains=\"richtext\">t</Info></k7Document>", vxPDT_RichText},
  };
  for (const auto& [text, type] : cases) {
    TXMLDocument doc;
    doc.LoadFromXML(text);
    Tk7PackageInformation info;
    EXPECT_EQ(ReadHeader(doc, info), THeaderState::Read) << text;
    EXPECT_EQ(info.DescriptionType, type) << text;
    EXPECT_FALSE(info.IsPackage);
  }
}

TEST(ExportDocument, ContentReadsBackInEveryFormatAndEncoding) {
  for (const TvxExportFormatVersion version : {vxEFV_V1_2, vxEFV_V1_3, vxEFV_V1_4, vxEFV_V1_5}) {
    for (const TCharEncodeType encoding : {vxCE_UTF8, vxCE_UTF16}) {
      SCOPED_TRACE(std::to_string(version) + "/" + std::to_string(encoding));
      TXMLDocument doc;
      doc.LoadFromXML(SamplePackage(version, encoding));
      Tk7PackageInformation info;
      ASSERT_EQ(ReadHeader(doc, info), THeaderState::Read);
      const std::vector<TXMLNode> contents = ContentElements(doc);
      ASSERT_EQ(contents.size(), 1u);
      ustring infoText = u"unchanged";
      const std::vector<TContentItem> items =
          ReadContent(contents[0], u"target/", info.FormatVersion, TPropertyReading::Values, infoText);
      EXPECT_EQ(infoText, u"unchanged");
      ASSERT_EQ(items.size(), 2u);
      EXPECT_EQ(items[0].Key, u"target/");
      EXPECT_TRUE(items[0].RootNode && items[0].Complete && items[0].HasSubNodes);
      EXPECT_EQ(items[1].Key, u"target/Sub%2FNode/");
      EXPECT_TRUE(!items[1].RootNode && !items[1].Complete && !items[1].HasSubNodes);

      const std::vector<TDocumentProperty>& p = items[0].Properties;
      ASSERT_EQ(p.size(), 6u);
      const bool legacy = version == vxEFV_V1_2;
      EXPECT_EQ(p[0].Name, u"Gr\u00F6\u00DFe");
      EXPECT_EQ(p[0].DataType, u"UCS2STR");
      EXPECT_EQ(p[0].Value.AsString(), u"\u00C1\r\nb");
      EXPECT_EQ(p[0].User, legacy ? u"" : u"admin");
      EXPECT_EQ(p[0].Changed, legacy ? 0 : Changed());
      EXPECT_EQ(p[1].Value.AsInt64(), 25);
      EXPECT_EQ(p[2].Value.VarType(), varBoolean);
      EXPECT_TRUE(p[2].Value.AsBoolean());
      EXPECT_EQ(p[3].Value.VarType(), varDate);
      EXPECT_EQ(p[3].Value.AsDateTime(), Changed());
      EXPECT_EQ(p[4].DataType, u"BINARY");
      EXPECT_EQ(p[4].Value.AsString(), u"YWJj");
      EXPECT_EQ(p[5].Value.AsString(), u"");
      ASSERT_EQ(items[1].Properties.size(), 1u);
      EXPECT_EQ(items[1].Properties[0].Value.AsString(), u"y");
    }
  }
}

TEST(ExportDocument, LineBreaksAndTypeNamesAsTheReaderTakesThem) {
  TXMLDocument doc;
  doc.LoadFromXML(
      "<k7Document FormatVersion=\"1.5\"><Content RootNode=\"/r\">"
      "<property Name=\"lf\" DataType=\" ucs2str \">a\nb</property>"
      "<Property Name=\"crlf\" DataType=\"UCS4STR\">a&#13;\nb\nc</Property>"
      "<Property Name=\"other\" DataType=\"CUSTOMTYPE\">a\nb</Property>"
      "<Property Name=\"plain\" DataType=\"BINARY\">YWJj</Property>"
      "<Info>first</Info><node Name=\"n\"><Info>second</Info></node>"
      "<Unknown/></Content></k7Document>");
  ustring infoText;
  const auto items = ReadContent(ContentElements(doc).at(0), u"r/", vxEFV_V1_5, TPropertyReading::Values, infoText);
  EXPECT_EQ(infoText, u"second");
  ASSERT_EQ(items.size(), 2u);
  const auto& p = items[0].Properties;
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(p[0].DataType, u"UCS2STR");
  EXPECT_EQ(p[0].Value.AsString(), u"a\r\nb");
  EXPECT_EQ(p[1].Value.AsString(), u"a\r\nb\nc");  // holds a CR LF already: as it is
  EXPECT_EQ(p[2].DataType, u"CUSTOMTY");            // 8 characters at most
  EXPECT_EQ(p[2].Value.AsString(), u"a\nb");        // not a text type
  EXPECT_EQ(p[3].Value.AsString(), u"YWJj");        // not compressed: the text itself

  // Names only: values are not looked at.
  ustring ignored;
  const auto names = ReadContent(ContentElements(doc).at(0), u"r/", vxEFV_V1_5, TPropertyReading::Names, ignored);
  EXPECT_TRUE(names[0].Properties[0].Value.IsEmpty());
  const auto none = ReadContent(ContentElements(doc).at(0), u"r/", vxEFV_Unknown, TPropertyReading::None, ignored);
  EXPECT_TRUE(none[0].Properties.empty());
}

TEST(ExportDocument, ContentThatIsBadInputIsRefusedWithItsReason) {
  struct TCase {
    const char* Text;
    TvxExportFormatVersion Version;
    std::string Message;
  };
  const TCase cases[] = {
      {"<Content><Property Name=\"a\" DataType=\"INT\">1</Property></Content>", vxEFV_Unknown,
       "unknown k7 import format version"},
      {"<Content><Node Name=\"a\"/><Node Name=\"a\"/></Content>", vxEFV_V1_5,
       "the document names the configuration node /r/a twice"},
      {"<Content><Node Name=\"a/b\"/><Node Name=\"a\"><Node Name=\"b\"/></Node></Content>", vxEFV_V1_5,
       "the document names the configuration node /r/a/b twice"},
      {"<Content><Property Name=\"p\" DataType=\"INT\">1</Property><Property Name=\" p\" DataType=\"INT\">2"
       "</Property></Content>",
       vxEFV_V1_5, "the document names the property  p of the configuration node /r twice"},
      {"<Content><Node Name=\" \"/></Content>", vxEFV_V1_5,
       "a Node element below the configuration node /r has no name"},
      {"<Content><Node/></Content>", vxEFV_V1_5, "a Node element below the configuration node /r has no name"},
      {"<Content><Property Name=\"p\" DataType=\"INT\">1<b/></Property></Content>", vxEFV_V1_5,
       "element does not contain a single text node"},
  };
  for (const TCase& c : cases) {
    TXMLDocument doc;
    doc.LoadFromXML(c.Text);
    ustring info;
    EXPECT_EQ(vxTest::RaisedMessage([&] {
                ReadContent(doc.DocumentElement(), u"r/", c.Version, TPropertyReading::Values, info);
              }),
              c.Message)
        << c.Text;
  }
  // A damaged compressed value.
  TXMLDocument doc;
  doc.LoadFromXML("<Content><Property Name=\"b\" DataType=\"BINARY\" Compressed=\"true\">YWJj</Property></Content>");
  ustring info;
  EXPECT_NE(vxTest::RaisedMessage(
                [&] { ReadContent(doc.DocumentElement(), u"r/", vxEFV_V1_4, TPropertyReading::Values, info); }),
            "(nothing raised)");
}

TEST(ExportDocument, AddingToAPackageKeepsItsHeaderAndItsFormat) {
  TDocumentWriter writer(vxEFV_V1_5, vxCE_UTF8, false);
  writer.Continue(SamplePackage(vxEFV_V1_2, vxCE_UTF16));
  EXPECT_EQ(writer.FormatVersion(), vxEFV_V1_2);
  TXMLNode content = writer.AddContent(u"/second", false);
  writer.AddProperty(content, {u"\u00C1", u"UCS2STR", Variant(u"\u00C1"), u"u", Changed()});
  TXMLDocument doc;
  doc.LoadFromXML(writer.Save());
  Tk7PackageInformation info;
  ASSERT_EQ(ReadHeader(doc, info), THeaderState::Read);
  EXPECT_EQ(info.Hash.Str(), "5F6F370C6B661B46D992175C09801DC3");
  EXPECT_EQ(info.FormatVersion, vxEFV_V1_2);
  const auto contents = ContentElements(doc);
  ASSERT_EQ(contents.size(), 2u);
  ustring ignored;
  const auto items = ReadContent(contents[1], u"second/", info.FormatVersion, TPropertyReading::Values, ignored);
  ASSERT_EQ(items.at(0).Properties.size(), 1u);
  EXPECT_EQ(items[0].Properties[0].Name, u"\u00C1");
  EXPECT_EQ(items[0].Properties[0].Value.AsString(), u"\u00C1");

  TDocumentWriter foreign(vxEFV_V1_5, vxCE_UTF8, false);
  EXPECT_EQ(vxTest::RaisedMessage([&] { foreign.Continue("<other/>"); }), "Unknown XML filetype!");
  EXPECT_NE(vxTest::RaisedMessage([&] { foreign.Continue("<k7Document>"); }), "(nothing raised)");
}

TEST(ExportDocument, ACharacterXmlCannotCarryFailsTheWrite) {
  TDocumentWriter writer(vxEFV_V1_5, vxCE_UTF8, false);
  writer.StartNew(nullptr, u"", vxPDT_Unknown);
  TXMLNode content = writer.AddContent(u"/r", false);
  EXPECT_EQ(vxTest::RaisedMessage(
                [&] { writer.AddProperty(content, {u"p", u"UCS2STR", Variant(u"a\u0001b"), u"", 0}); }),
            "a character outside the XML ranges in a text");
  // A plain export has no package header and no Info.
  TXMLDocument doc;
  doc.LoadFromXML(writer.Save());
  EXPECT_EQ(doc.DocumentElement().Attributes(),
            (std::vector<TXMLAttribute>{{u"FormatVersion", u"1.5"}, {u"Type", u"Default"}}));
  EXPECT_TRUE(doc.DocumentElement().FindChildElement(u"Info").IsNil());
}

}  // namespace
