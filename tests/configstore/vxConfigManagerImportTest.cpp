// The import on both databases: round trips through every format version,
// what is kept and what is replaced, packages with their records and the
// release they require, zip archives in archive order, and bad input that
// leaves the store as it was (one transaction) and no unpacked file behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "configstore/vxConfigManager.h"
#include "configstore/vxExportDocument.h"
#include "foundation/vxBase64.h"
#include "foundation/vxVarloSeams.h"
#include "platform/time/vxDateUtils.h"
#include "platform/version/vxVersionBlock.h"
#include "support/vxPeBuilder.h"
#include "support/vxRaisedMessage.h"
#include "support/vxRunProgram.h"
#include "support/vxScopedEnv.h"
#include "tests/configstore/vxConfigStoreFixture.h"
#include "tests/configstore/vxExportTestSupport.h"

namespace {

using namespace vxStoreTest;

std::string Text(const ustring& Value) { return WideToUtf8(Value); }

const TDateTime When = vxRuntime::EncodeDateTime(2024, 2, 29, 13, 14, 15, 0);

// A document of Content given as XML text, with the root's attributes.
std::string Document(const std::string& Content, const std::string& RootAttributes = "FormatVersion=\"1.5\" Type=\"Default\"") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><k7Document " + RootAttributes + ">" + Content + "</k7Document>";
}

// The root attributes of a package whose hash matches.
std::string PackageAttributes(const std::string& Name, const std::string& Version, const std::string& Release) {
  const std::string id = "0123456789ABCDEF0123456789ABCDEF";
  const std::string date = "2024-01-31 12:00:00";
  const std::string hash = vxExportDocument::PackageHash(Utf8ToWide(Name), Utf8ToWide(Version), Utf8ToWide(id),
                                                         Utf8ToWide(date));
  return "FormatVersion=\"1.5\" Type=\"Package\" PackageName=\"" + Name + "\" PackageVersion=\"" + Version +
         "\" PackageDate=\"" + date + "\" PackageId=\"" + id + "\" Hash=\"" + hash + "\" ReleaseRequired=\"" +
         Release + "\"";
}

class ConfigImport : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    if (IsSkipped()) return;
    Store = OpenStore();
  }
  ustring File(const std::string& Name) const { return Utf8ToWide(Dir.File(Name)); }
  void Set(const ustring& Key, const ustring& Name, const Variant& Value, const char16_t* Type = nullptr) {
    const bool done = Type ? Store->SetConfigValue(Key, Name, Value, TDataTypeStr(std::u16string_view(Type)))
                           : Store->SetConfigValue(Key, Name, Value);
    ASSERT_TRUE(done) << Text(Store->Message.Get());
  }
  ustring Get(const ustring& Key, const ustring& Name) {
    return TvxTypes::VarToStr(Store->GetConfigValue(Key, Name, Variant(u"<missing>"), false));
  }
  bool Export(TExportArguments Arguments) {
    if (Arguments.FileName.empty()) Arguments.FileName = File("out.xml");
    return RunExport(*Store, Arguments);
  }
  struct TImportArguments {
    ustring RootKey{};
    bool Overwrite = true;
    bool UploadPackageData = false;
    bool OnlyNodeCallback = false;
    bool KeepUserContent = false;
    bool IgnoreReleaseWarning = false;
    TProgressCallBackProc CallBack{};
  };
  bool Import(const std::string& Name, const TImportArguments& A) {
    InfoText = u"stale";
    return Store->Import(A.RootKey, File(Name), InfoText, A.CallBack, A.Overwrite, A.UploadPackageData,
                         A.OnlyNodeCallback, A.KeepUserContent, A.IgnoreReleaseWarning);
  }
  bool Import(const std::string& Name) { return Import(Name, TImportArguments{}); }
  void Write(const std::string& Name, const std::string& Bytes) { TTestTempDir::WriteBytes(Dir.File(Name), Bytes); }
  // Every row of the table, one a line.
  std::string Rows() {
    std::string out;
    const vxData::TDataResult result = Database().Query(
        u"SELECT ID, PARENTID, KEYNAME, DATATYPE, KEYVALUE, CHANGEUSER, CHANGEDATE FROM vx_configuration ORDER BY ID");
    for (const auto& row : result.Rows) {
      for (const Variant& v : row) out += (v.IsNull() ? std::string("<null>") : Text(v.AsString())) + "|";
      out += "\n";
    }
    return out;
  }
  // A zip archive of the entries, written by Python's zipfile.
  void Zip(const std::string& Name, const std::vector<std::pair<std::string, std::string>>& Entries) {
    std::vector<std::string> args = {"/usr/bin/python3", "-c",
                                     "import sys, zipfile\n"
                                     "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
                                     "  for i in range(2, len(sys.argv), 2):\n"
                                     "    z.writestr(sys.argv[i], open(sys.argv[i + 1], 'rb').read())\n",
                                     Dir.File(Name)};
    int n = 0;
    for (const auto& [entry, bytes] : Entries) {
      const std::string source = Temp.File("entry" + std::to_string(n++));
      TTestTempDir::WriteBytes(source, bytes);
      args.push_back(entry);
      args.push_back(source);
    }
    const vxTest::TProgramResult made = vxTest::RunProgram(args);
    ASSERT_EQ(made.ExitStatus, 0) << made.Output;
    for (int i = 0; i < n; ++i) std::filesystem::remove(Temp.File("entry" + std::to_string(i)));
  }

  TTestTempDir Dir;
  // The temporary folder the import unpacks archives into (the database's
  // folder is made there too).
  TTestTempDir Temp{"vximporttmp"};
  vxTest::TScopedEnv TmpDir{"TMPDIR", Temp.File("")};
  std::unique_ptr<TvxConfigManager> Store;
  ustring InfoText;
};

// Export, import below another node, export again: the same document, in
// every format version and both encodings; values read back as stored.
TEST_P(ConfigImport, RoundTripsInEveryFormatVersionLoseNothing) {
  Store->TrackChanges = true;
  Store->Username = ustring(u"admin");
  Set(u"/src", u"Text", Variant(u"\u00C1-Wert\r\nzwei"));
  Set(u"/src", u"Port", Variant(42));
  Set(u"/src", u"On", Variant(true));
  Set(u"/src", u"When", Variant::FromDate(When));
  Set(u"/src", u"Blob", Variant(u"YWJj"), u"BINARY");
  Set(u"/src", u"Nothing", Variant(u""), u"BINARY");
  Set(u"/src/Gr\u00FC\u00DFe", u"x", Variant(u"y"));
  Set(u"/src/Gr\u00FC\u00DFe/deep/er", u"Wide", Variant(u"\U0001F600"));
  Set(u"/src/a", u"n", Variant(1));
  Set(u"/src/A", u"n", Variant(2));
  Store->TrackChanges = false;
  Store->Username = ustring();

  struct TCase {
    TvxExportFormatVersion Version;
    TCharEncodeType Encoding;
  } cases[] = {{vxEFV_V1_2, vxCE_UTF8}, {vxEFV_V1_2, vxCE_UTF16}, {vxEFV_V1_3, vxCE_UTF8},
               {vxEFV_V1_4, vxCE_UTF16}, {vxEFV_V1_5, vxCE_UTF8}};
  int n = 0;
  for (const TCase& c : cases) {
    const ustring target = u"/dst" + Utf8ToWide(std::to_string(n++));
    const std::string label = Text(TvxConfigManager::GetExportFormatVersionStr(c.Version)) +
                              (c.Encoding == vxCE_UTF16 ? " UTF-16" : " UTF-8");
    ASSERT_TRUE(Export({.RootKey = u"/src", .FileName = File("a.xml"), .Encoding = c.Encoding,
                        .IncludeChangeInfos = true, .FormatVersion = c.Version}))
        << Text(Store->Message.Get());
    ASSERT_TRUE(Import("a.xml", {.RootKey = target})) << label << ": " << Text(Store->Message.Get());
    EXPECT_EQ(Store->Message.Get(), u"");
    ASSERT_TRUE(Export({.RootKey = target, .FileName = File("b.xml"), .Encoding = c.Encoding,
                        .IncludeChangeInfos = true, .FormatVersion = c.Version}));
    const std::string outline = Outline(Dir.File("a.xml"), {u"RootNode"});
    EXPECT_EQ(Outline(Dir.File("b.xml"), {u"RootNode"}), outline) << label;
    // Change information travels from format 1.3 on.
    EXPECT_EQ(outline.find("User=admin") != std::string::npos, c.Version != vxEFV_V1_2) << label;

    EXPECT_EQ(Get(target, u"Text"), u"\u00C1-Wert\r\nzwei") << label;
    EXPECT_EQ(Get(target, u"Blob"), u"YWJj") << label;
    EXPECT_EQ(Get(target, u"Nothing"), u"") << label;
    EXPECT_EQ(Store->GetConfigValue(target, u"When", Variant(), false).AsDateTime(), When) << label;
    EXPECT_EQ(Store->GetConfigValue(target, u"Port", Variant(), false).AsInteger(), 42) << label;
    EXPECT_EQ(Get(target + u"/Gr\u00FC\u00DFe/deep/er", u"Wide"), u"\U0001F600") << label;
    EXPECT_EQ(Get(target + u"/a", u"n"), u"1") << label;
    EXPECT_EQ(Get(target + u"/A", u"n"), u"2") << label;
  }
  // The document's own user, not the importer's: the source and the three
  // copies through formats 1.3 to 1.5.
  EXPECT_EQ(Database().Count(u"KEYNAME = 'Text' AND CHANGEUSER = 'admin'"), 1 + 3);
}

// Without Overwrite only missing values are added; with it every value is
// replaced unless KeepUserContent keeps those a user changed. The progress
// callback hears of each node or of each value written.
TEST_P(ConfigImport, WhatIsKeptAndWhatIsReplaced) {
  Store->TrackChanges = true;
  Store->Username = ustring(u"someone");
  Set(u"/t", u"byUser", Variant(u"old"));
  Store->TrackChanges = false;
  Store->Username = ustring();
  Set(u"/t", u"plain", Variant(u"old"));
  Write("in.xml", Document("<Content RootNode=\"/t\">"
                           "<Property Name=\"byUser\" DataType=\"UCS2STR\">new</Property>"
                           "<Property Name=\"plain\" DataType=\"UCS2STR\">new</Property>"
                           "<Property Name=\"added\" DataType=\"INT\">7</Property>"
                           "<Node Name=\"sub\"><Property Name=\"p\" DataType=\"UCS2STR\">v</Property></Node>"
                           "</Content>"));
  std::vector<std::string> heard;
  const TProgressCallBackProc hear = [&](const ustring& Key) { heard.push_back(Text(Key)); };

  ASSERT_TRUE(Import("in.xml", {.Overwrite = false, .OnlyNodeCallback = true, .CallBack = hear}));
  EXPECT_EQ(Get(u"/t", u"byUser"), u"old");
  EXPECT_EQ(Get(u"/t", u"plain"), u"old");
  EXPECT_EQ(Get(u"/t", u"added"), u"7");
  EXPECT_EQ(heard, (std::vector<std::string>{"/t", "/t/sub"}));

  heard.clear();
  ASSERT_TRUE(Import("in.xml", {.KeepUserContent = true, .CallBack = hear}));
  EXPECT_EQ(Get(u"/t", u"byUser"), u"old");
  EXPECT_EQ(Get(u"/t", u"plain"), u"new");
  EXPECT_EQ(heard, (std::vector<std::string>{"/t/plain", "/t/added", "/t/sub/p"}));

  ASSERT_TRUE(Import("in.xml"));
  EXPECT_EQ(Get(u"/t", u"byUser"), u"new");
  EXPECT_EQ(InfoText, u"");
}

// A package lands at its own root whatever RootKey says, a plain document
// below RootKey; the package is recorded, its description is handed out,
// script nodes lose their includes and never take a redirection, and a
// Description value becomes the node's context help.
TEST_P(ConfigImport, PackagesAreRecordedAndLandAtTheirOwnRoot) {
  Set(u"/varlo/Scripts/S", u"Include1", Variant(u"old include"));
  Set(u"/varlo/Scripts/S", u"IncludeX", Variant(u"old include"));
  Set(u"/varlo/Scripts/S", u"Keep", Variant(u"kept"));
  const std::string content =
      "<Info Contains=\"PlainText\">About\nit</Info>"
      "<Content RootNode=\"/pkg/one\"><Property Name=\"Description\" DataType=\"UCS2STR\">Help text</Property>"
      "</Content>"
      "<Content RootNode=\"/varlo/Scripts/S\"><Property Name=\"Script\" DataType=\"UCS2STR\">run</Property>"
      "<Property Name=\"Redirect\" DataType=\"UCS2STR\">elsewhere</Property>"
      "<Node Name=\"Sub\"><Property Name=\"Redirect\" DataType=\"UCS2STR\">elsewhere</Property></Node>"
      "</Content>";
  const std::string package = Document(content, PackageAttributes("Pkg", "1.2.0.0", ""));
  Write("p.xml", package);
  ASSERT_TRUE(Import("p.xml", {.RootKey = u"/ignored", .UploadPackageData = true})) << Text(Store->Message.Get());
  EXPECT_EQ(InfoText, u"About\r\nit");
  EXPECT_EQ(Get(u"/pkg/one", u"Description"), u"Help text");
  EXPECT_EQ(Get(u"/varlo/Classes/Help/Context/Customer", u"/pkg/one/"), u"Help text");
  EXPECT_EQ(Database().Count(u"KEYNAME = 'ignored'"), 0);
  EXPECT_EQ(Get(u"/varlo/Scripts/S", u"Include1"), u"<missing>");
  EXPECT_EQ(Get(u"/varlo/Scripts/S", u"IncludeX"), u"<missing>");
  EXPECT_EQ(Get(u"/varlo/Scripts/S", u"Keep"), u"kept");
  EXPECT_EQ(Get(u"/varlo/Scripts/S", u"Script"), u"run");
  EXPECT_EQ(Database().Count(u"KEYNAME = 'Redirect'"), 0);

  const ustring details = u"/varlo/Classes/Packages/Details/Pkg/1.2.0.0";
  EXPECT_EQ(Get(details, u"PackageName"), u"Pkg");
  EXPECT_EQ(Get(details, u"PackageVersion"), u"1.2.0.0");
  EXPECT_EQ(Get(details, u"PackageId"), u"0123456789ABCDEF0123456789ABCDEF");
  EXPECT_EQ(Get(details, u"RootNode"), u"/varlo/Scripts/S");
  EXPECT_LT(std::abs(Store->GetConfigValue(details, u"ImportDate", Variant(), false).AsDateTime() - vxRuntime::Now()),
            1.0 / 24);
  EXPECT_EQ(TvxBase64::Base64ToStr(WideToAnsi(Get(details, u"PackageData"))), package);
  EXPECT_EQ(Get(u"/varlo/Classes/Packages/Summary", u"Pkg"), u"1.2.0.0");

  // A later version: its own details, the summary names it.
  Write("p2.xml", Document(content, PackageAttributes("Pkg", "1.3", "")));
  ASSERT_TRUE(Import("p2.xml")) << Text(Store->Message.Get());
  EXPECT_EQ(Get(u"/varlo/Classes/Packages/Summary", u"Pkg"), u"1.3.0.0");
  EXPECT_EQ(Get(u"/varlo/Classes/Packages/Details/Pkg/1.3.0.0", u"PackageData"), u"<missing>");
  EXPECT_EQ(Get(details, u"PackageName"), u"Pkg");

  // A plain document lands below RootKey.
  Write("plain.xml", Document("<Content RootNode=\"/elsewhere\"><Property Name=\"v\" DataType=\"INT\">1</Property>"
                              "<Node Name=\"c\"><Property Name=\"w\" DataType=\"INT\">2</Property></Node></Content>"));
  ASSERT_TRUE(Import("plain.xml", {.RootKey = u"a/b"}));
  EXPECT_EQ(Get(u"/a/b", u"v"), u"1");
  EXPECT_EQ(Get(u"/a/b/c", u"w"), u"2");
  EXPECT_EQ(Database().Count(u"KEYNAME = 'elsewhere'"), 0);
}

// A package file added to by a second export keeps its header; importing it
// brings both contents, the record naming the last one.
TEST_P(ConfigImport, AnAddedToPackageImportsEveryContent) {
  Set(u"/p/one", u"v", Variant(1));
  Set(u"/p/two", u"v", Variant(2));
  ASSERT_TRUE(Export({.RootKey = u"/p/one", .AsPackage = true, .PackageName = u"Pkg", .PackageVersion = u"2.0"}));
  ASSERT_TRUE(Export({.RootKey = u"/p/two", .AsPackage = true, .PackageName = u"Other", .PackageVersion = u"9"}));
  const Tk7PackageInformation details = Store->GetPackageDetails(File("out.xml"), true);
  EXPECT_EQ(Store->Message.Get(), u"");
  EXPECT_EQ(details.Name, u"Pkg");
  ASSERT_EQ(details.NodeList.size(), 2u);
  EXPECT_EQ(details.NodeList[1].NodeName, u"p/two/");
  Set(u"/p/one", u"v", Variant(10));
  Set(u"/p/two", u"v", Variant(20));
  ASSERT_TRUE(Import("out.xml")) << Text(Store->Message.Get());
  EXPECT_EQ(Get(u"/p/one", u"v"), u"1");
  EXPECT_EQ(Get(u"/p/two", u"v"), u"2");
  EXPECT_EQ(Get(u"/varlo/Classes/Packages/Details/Pkg/2.0.0.0", u"RootNode"), u"/p/two");
  EXPECT_EQ(Get(u"/varlo/Classes/Packages/Summary", u"Other"), u"<missing>");
}

// The product's release against the one a package requires.
TEST_P(ConfigImport, APackageRequiringANewerReleaseIsRefused) {
  TTestTempDir module;
  vxVersionBlock::TBlockContent version;
  vxVersionBlock::TStringTable table;
  table.Values = {{u"ProductVersion", u"5.6.0.0"}};
  version.StringTables = {table};
  version.TranslationList = {{table.Language, table.CodePage}};
  TTestTempDir::WriteBytes(module.File("module.dll"),
                           vxTest::TPeBuilder::Build(true, {{16, 1, 0, vxVersionBlock::Build(version)}}).Bytes);
  vxVarloSeams::SetModuleSource([&module] { return module.WideFile("module.dll"); });
  struct TModuleReset {
    ~TModuleReset() { vxVarloSeams::SetModuleSource({}); }
  } reset;

  const auto package = [](const std::string& Release, const std::string& Value) {
    return Document("<Content RootNode=\"/r\"><Property Name=\"v\" DataType=\"UCS2STR\">" + Value +
                        "</Property></Content>",
                    PackageAttributes("R", "1.0.0.0", Release));
  };
  Write("old.xml", package("5.0.0.0", "five"));
  ASSERT_TRUE(Import("old.xml")) << Text(Store->Message.Get());
  EXPECT_EQ(Get(u"/r", u"v"), u"five");
  Write("none.xml", package("", "none"));
  ASSERT_TRUE(Import("none.xml")) << Text(Store->Message.Get());
  EXPECT_EQ(Get(u"/r", u"v"), u"none");

  Write("new.xml", package("6.0.0.0", "six"));
  const std::string before = Rows();
  EXPECT_FALSE(Import("new.xml"));
  EXPECT_EQ(Text(Store->Message.Get()), "importing this package requires release 6.0.0.0 or higher!");
  EXPECT_EQ(Rows(), before);
  ASSERT_TRUE(Import("new.xml", {.IgnoreReleaseWarning = true}));
  EXPECT_EQ(Get(u"/r", u"v"), u"six");
}

// A silent hash mismatch without RaiseExceptions imports the package (and a
// successful import ends with Message empty); with it the import fails.
TEST_P(ConfigImport, AHashMismatchFailsOnlyWhenRaised) {
  std::string attributes = PackageAttributes("H", "1.0.0.0", "");
  const size_t hash = attributes.find("Hash=\"") + 6;
  const std::string wrong = attributes.substr(hash, 32) == std::string(32, '0') ? "1" : "0";
  attributes.replace(hash, 32, std::string(32, wrong[0]));
  Write("h.xml", Document("<Content RootNode=\"/h\"><Property Name=\"v\" DataType=\"INT\">1</Property></Content>",
                          attributes));
  const std::string before = Rows();
  Store->RaiseExceptions = true;
  EXPECT_EQ(vxTest::RaisedMessage([&] { Import("h.xml"); }), "Package hash mismatch (" + std::string(32, wrong[0]) + ")!");
  EXPECT_EQ(Rows(), before);
  Store->RaiseExceptions = false;
  ASSERT_TRUE(Import("h.xml"));
  EXPECT_EQ(Store->Message.Get(), u"");
  EXPECT_EQ(Get(u"/h", u"v"), u"1");
}

// Bad input of every kind: the import fails with the reason, the store is
// as it was (what was written before the failure is taken back) and no
// unpacked file stays.
TEST_P(ConfigImport, BadInputLeavesTheStoreAsItWas) {
  Set(u"/keep", u"v", Variant(u"before"));
  const std::string good = Document(
      "<Content RootNode=\"/keep\"><Property Name=\"v\" DataType=\"UCS2STR\">after</Property>"
      "<Node Name=\"new\"><Property Name=\"x\" DataType=\"INT\">1</Property></Node></Content>");
  const std::string hugeName(300, 'n');
  const std::string laughs =
      "<?xml version=\"1.0\"?><!DOCTYPE k7Document [<!ENTITY a \"aaaaaaaaaa\">"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]>"
      "<k7Document FormatVersion=\"1.5\" Type=\"Default\"><Content RootNode=\"/keep\">"
      "<Property Name=\"v\" DataType=\"UCS2STR\">&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;</Property></Content></k7Document>";
  struct TCase {
    std::string Name;
    std::string Bytes;
    std::string Message;  // its beginning
  } cases[] = {
      {"truncated.xml", good.substr(0, good.size() / 2), "XML"},
      {"malformed.xml",
       Document("<Content RootNode=\"/keep\"><Property Name=\"v\" DataType=\"UCS2STR\">after</Property>"
                "<Node Name=\"a\"></Content>"),
       "XML"},
      {"laughs.xml", laughs, "XML"},
      {"foreign.xml", "<html><body/></html>", "Unknown XML filetype!"},
      {"unknown.xml",
       Document("<Content RootNode=\"/keep\"><Property Name=\"v\" DataType=\"UCS2STR\">after</Property></Content>",
                "FormatVersion=\"1.6\" Type=\"Default\""),
       "unknown k7 import format version"},
      {"twice.xml",
       Document("<Content RootNode=\"/keep\"><Property Name=\"v\" DataType=\"UCS2STR\">after</Property>"
                "<Node Name=\"a\"/><Node Name=\"a\"/></Content>"),
       "the document names the configuration node /keep/a twice"},
      {"twicevalue.xml",
       Document("<Content RootNode=\"/keep\"><Property Name=\"v\" DataType=\"UCS2STR\">after</Property>"
                "<Property Name=\"v\" DataType=\"INT\">1</Property></Content>"),
       "the document names the property v of the configuration node /keep twice"},
      // Written in part before the store refuses the name: taken back.
      {"longname.xml",
       Document("<Content RootNode=\"/keep\"><Property Name=\"v\" DataType=\"UCS2STR\">after</Property>"
                "<Node Name=\"fine\"><Property Name=\"x\" DataType=\"INT\">1</Property></Node>"
                "<Node Name=\"" + hugeName + "\"/></Content>"),
       ""},
      {"hugeattribute.xml",
       Document("<Content RootNode=\"/keep\"><Property Name=\"v\" DataType=\"UCS2STR\">after</Property>"
                "<Property Name=\"" + std::string(8 << 20, 'h') + "\" DataType=\"INT\">1</Property></Content>"),
       ""},
      {"notazip.zip", "PK\x03\x04 this is no archive", ""},
  };
  const std::string before = Rows();
  for (const TCase& c : cases) {
    Write(c.Name, c.Bytes);
    EXPECT_FALSE(Import(c.Name)) << c.Name;
    const std::string message = Text(Store->Message.Get());
    EXPECT_FALSE(message.empty()) << c.Name;
    EXPECT_EQ(message.substr(0, c.Message.size()), c.Message) << c.Name << ": " << message.substr(0, 200);
    EXPECT_EQ(Rows(), before) << c.Name;
  }

  // An archive whose second member is no XML document: the first is not
  // imported either.
  Zip("mixed.zip", {{"first.xml", good}, {"readme.txt", "just some words"}});
  EXPECT_FALSE(Import("mixed.zip"));
  EXPECT_EQ(Text(Store->Message.Get()).substr(0, 3), "XML");
  EXPECT_EQ(Rows(), before);
  EXPECT_EQ(Temp.Listing().find("vximport-"), std::string::npos) << Temp.Listing();

  // With RaiseExceptions the failure is raised, the store as it was.
  Store->RaiseExceptions = true;
  EXPECT_EQ(vxTest::RaisedMessage([&] { Import("twice.xml"); }),
            "the document names the configuration node /keep/a twice");
  Store->RaiseExceptions = false;
  EXPECT_EQ(Rows(), before);

  // The store still works, and a good document goes in.
  Write("good.xml", good);
  ASSERT_TRUE(Import("good.xml")) << Text(Store->Message.Get());
  EXPECT_EQ(Get(u"/keep", u"v"), u"after");
  EXPECT_EQ(Get(u"/keep/new", u"x"), u"1");
  // A missing file: False, and nothing else.
  Store->Message = ustring(u"earlier");
  EXPECT_FALSE(Import("missing.xml"));
  EXPECT_EQ(Store->Message.Get(), u"earlier");
}

// The documents of an archive in archive order, whatever their entry names
// say about folders; nothing unpacked stays.
TEST_P(ConfigImport, AnArchiveImportsItsDocumentsInArchiveOrder) {
  const auto document = [](const std::string& Value) {
    return Document("<Content RootNode=\"/z\"><Property Name=\"v\" DataType=\"UCS2STR\">" + Value +
                    "</Property><Property Name=\"" + Value + "\" DataType=\"INT\">1</Property></Content>");
  };
  Zip("two.zip", {{"../../outside/one.xml", document("one")}, {"/abs/two.xml", document("two")}});
  ASSERT_TRUE(Import("two.zip")) << Text(Store->Message.Get());
  EXPECT_EQ(Get(u"/z", u"v"), u"two");
  EXPECT_EQ(Get(u"/z", u"one"), u"1");
  EXPECT_EQ(Get(u"/z", u"two"), u"1");
  EXPECT_EQ(Temp.Listing().find("vximport-"), std::string::npos) << Temp.Listing();
  EXPECT_EQ(Dir.Listing(), "two.zip;");
}

INSTANTIATE_TEST_SUITE_P(Backends, ConfigImport, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL),
                         BackendName);

}  // namespace
