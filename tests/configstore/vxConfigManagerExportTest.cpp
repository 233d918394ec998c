// The export on both databases: the file and its place, packages and adding
// to them, exclusions and defaults, binary values and dates by format,
// property filters, locked scripts, change information, the progress
// callback, and failures that leave the old file as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "configstore/vxConfigManager.h"
#include "core/vxMD5.h"
#include "foundation/internal/vxScriptTools.h"
#include "platform/time/vxDateUtils.h"
#include "support/vxRaisedMessage.h"
#include "tests/configstore/vxConfigStoreFixture.h"
#include "tests/configstore/vxExportTestSupport.h"

namespace {

using namespace vxStoreTest;

std::string Text(const ustring& Value) { return WideToUtf8(Value); }

class ConfigExport : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    if (IsSkipped()) return;
    Store = OpenStore();
  }
  ustring File(const std::string& Name) const { return Utf8ToWide(Dir.File(Name)); }
  void Set(const ustring& Key, const ustring& Name, const Variant& Value) {
    ASSERT_TRUE(Store->SetConfigValue(Key, Name, Value)) << Text(Store->Message.Get());
  }
  void SetTyped(const ustring& Key, const ustring& Name, const Variant& Value, const char16_t* Type) {
    ASSERT_TRUE(Store->SetConfigValue(Key, Name, Value, TDataTypeStr(std::u16string_view(Type))))
        << Text(Store->Message.Get());
  }
  bool Export(TExportArguments Arguments) {
    if (Arguments.FileName.empty()) Arguments.FileName = File("out.xml");
    return RunExport(*Store, Arguments);
  }

  TTestTempDir Dir;
  std::unique_ptr<TvxConfigManager> Store;
};

TEST_P(ConfigExport, WritesTheSubtreeInNameOrderIntoAnXmlFileInAFolderItMakes) {
  Set(u"/a/b", u"Port", Variant(25));
  Set(u"/a/b", u"Host", Variant(u"mail"));
  Set(u"/a/b/z", u"On", Variant(true));
  Set(u"/a/b/c%2Fd", u"x", Variant(1.5));
  Set(u"/a/b/c%2Fd/e", u"y", Variant(u"\u00C1\r\nb"));
  const ustring file = File("out/sub/tree.txt");
  std::vector<ustring> visited;
  ASSERT_TRUE(Export({.RootKey = u"a/b/", .FileName = file, .CallBack = [&](const ustring& Key) {
                        visited.push_back(Key);
                      }}))
      << Text(Store->Message.Get());
  EXPECT_EQ(Store->Message.Get(), u"");
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out/sub/tree.txt")));
  EXPECT_EQ(Outline(Dir.File("out/sub/tree.xml")),
            "Content RootNode=/a/b\n"
            "  Property Name=Host DataType=UCS4STR: mail\n"
            "  Property Name=Port DataType=INT: 25\n"
            "  Node Name=c%2Fd\n"
            "    Property Name=x DataType=DOUBLE: 1.50\n"
            "    Node Name=e\n"
            "      Property Name=y DataType=UCS4STR: \u00C1\r\nb\n"
            "  Node Name=z\n"
            "    Property Name=On DataType=BOOLEAN: True\n");
  EXPECT_EQ(visited, (std::vector<ustring>{u"/a/b", u"/a/b/c%2Fd", u"/a/b/c%2Fd/e", u"/a/b/z"}));
  // The document element: a plain export of format 1.5.
  TXMLDocument doc;
  doc.LoadFromXML(TTestTempDir::ReadBytes(Dir.File("out/sub/tree.xml")));
  EXPECT_EQ(doc.DocumentElement().NodeName(), u"k7Document");
  EXPECT_EQ(doc.DocumentElement().Attributes(),
            (std::vector<TXMLAttribute>{{u"FormatVersion", u"1.5"}, {u"Type", u"Default"}}));

  // Without subnodes, the node's own properties alone.
  ASSERT_TRUE(Export({.RootKey = u"/a/b", .SubNodes = false}));
  EXPECT_EQ(Outline(Dir.File("out.xml")),
            "Content RootNode=/a/b\n"
            "  Property Name=Host DataType=UCS4STR: mail\n"
            "  Property Name=Port DataType=INT: 25\n");
}

TEST_P(ConfigExport, APackageIsAddedToUnlessOverwrittenAndAPlainExportAlwaysReplaces) {
  Set(u"/p/one", u"v", Variant(1));
  Set(u"/p/two", u"v", Variant(2));
  const std::vector<ustring> changing = {u"PackageDate", u"PackageId", u"Hash"};
  ASSERT_TRUE(Export({.RootKey = u"/p/one", .AsPackage = true, .PackageName = u"Pkg", .PackageVersion = u"1.2.0.0",
                      .InfoText = u"About\r\nit", .InfoTextType = vxPDT_MarkDown, .ReleaseRequired = u"5.0.0.0"}))
      << Text(Store->Message.Get());
  const Tk7PackageInformation first = Store->GetPackageInformation(File("out.xml"));
  EXPECT_EQ(Store->Message.Get(), u"");
  EXPECT_TRUE(first.IsPackage);
  EXPECT_EQ(first.Name, u"Pkg");
  EXPECT_EQ(first.Description, u"About\r\nit");
  EXPECT_EQ(first.DescriptionType, vxPDT_MarkDown);
  EXPECT_EQ(first.ReleaseRequired, (TvxVersion{5, 0, 0, 0}));
  EXPECT_FALSE(TvxConfigManager::IsTIdStringEmpty(first.Hash));
  EXPECT_LT(std::abs(first.Date - vxRuntime::Now()), 1.0 / 24);

  // Added to: the header, the Info and the first Hash stay.
  ASSERT_TRUE(Export({.RootKey = u"/p/two", .AsPackage = true, .PackageName = u"Other", .PackageVersion = u"9",
                      .InfoText = u"ignored"}));
  const Tk7PackageInformation second = Store->GetPackageInformation(File("out.xml"));
  EXPECT_EQ(second.Name, u"Pkg");
  EXPECT_EQ(second.Hash, first.Hash);
  EXPECT_EQ(second.Id, first.Id);
  EXPECT_EQ(Outline(Dir.File("out.xml"), changing),
            "Info Contains=MarkDown: About\r\nit\n"
            "Content RootNode=/p/one\n"
            "  Property Name=v DataType=INT: 1\n"
            "Content RootNode=/p/two\n"
            "  Property Name=v DataType=INT: 2\n");

  // Overwritten: a new package of its own.
  ASSERT_TRUE(Export({.RootKey = u"/p/two", .AsPackage = true, .PackageName = u"Other", .PackageVersion = u"9",
                      .OverwritePackage = true}));
  const Tk7PackageInformation third = Store->GetPackageInformation(File("out.xml"));
  EXPECT_EQ(Store->Message.Get(), u"");
  EXPECT_EQ(third.Name, u"Other");
  EXPECT_NE(third.Id, first.Id);
  EXPECT_EQ(Outline(Dir.File("out.xml"), changing), "Content RootNode=/p/two\n  Property Name=v DataType=INT: 2\n");

  // A plain export replaces a package file that stands there.
  ASSERT_TRUE(Export({.RootKey = u"/p/one"}));
  EXPECT_EQ(Outline(Dir.File("out.xml")), "Content RootNode=/p/one\n  Property Name=v DataType=INT: 1\n");
  EXPECT_FALSE(Store->GetPackageInformation(File("out.xml")).IsPackage);
}

TEST_P(ConfigExport, ExclusionsIgnoreLetterCaseAndDefaultsReplaceValues) {
  Set(u"/varlo/Software/X", u"Password", Variant(u"secret"));
  Set(u"/varlo/Software/X", u"Passwords", Variant(u"kept"));
  Set(u"/varlo/Software/X", u"Port", Variant(25));
  Set(u"/varlo/Software/X", u"Host", Variant(u"mail.example.com"));
  Set(u"/varlo/Software/X/Cache", u"Size", Variant(5));
  Set(u"/varlo/Software/X/Kept", u"Size", Variant(6));
  Set(u"/varlo/Scripts/S", u"Redirect", Variant(u"/elsewhere"));
  Set(u"/varlo/Scripts/S", u"Script", Variant(u"print 1"));
  Set(u"/varlo/Software/X", u"Redirect", Variant(u"stays outside the scripts"));
  const ustring exclusions = u"/varlo/Classes/Behaviour/Export/Exclusions";
  Set(exclusions, u"/VARLO/software/x/password", Variant(u""));
  Set(exclusions, u"/varlo/Software/X/cache/", Variant(u""));
  const ustring defaults = u"/varlo/Classes/Behaviour/Export/Defaults";
  Set(defaults, u"/varlo/software/X/port", Variant(u"587"));  // a text in place of a number
  Set(defaults, u"/varlo/Software/X/Password", Variant(u"default password"));  // excluded: no effect

  ASSERT_TRUE(Export({.RootKey = u"/varlo/Software"})) << Text(Store->Message.Get());
  EXPECT_EQ(Outline(Dir.File("out.xml")),
            "Content RootNode=/varlo/Software\n"
            "  Node Name=X\n"
            "    Property Name=Host DataType=UCS4STR: mail.example.com\n"
            "    Property Name=Passwords DataType=UCS4STR: kept\n"
            "    Property Name=Port DataType=UCS4STR: 587\n"
            "    Property Name=Redirect DataType=UCS4STR: stays outside the scripts\n"
            "    Node Name=Kept\n"
            "      Property Name=Size DataType=INT: 6\n");
  ASSERT_TRUE(Export({.RootKey = u"/varlo/Scripts"})) << Text(Store->Message.Get());
  EXPECT_EQ(Outline(Dir.File("out.xml")),
            "Content RootNode=/varlo/Scripts\n"
            "  Node Name=S\n"
            "    Property Name=Script DataType=UCS4STR: print 1\n");
  // The exported node itself may be excluded: an empty Content.
  ASSERT_TRUE(Export({.RootKey = u"/varlo/Software/X/Cache"}));
  EXPECT_EQ(Outline(Dir.File("out.xml")), "Content RootNode=/varlo/Software/X/Cache\n");
}

TEST_P(ConfigExport, BinaryValuesAndDatesByFormatVersion) {
  SetTyped(u"/b", u"abc", Variant(u"YWJj"), u"BINARY");
  SetTyped(u"/b", u"empty", Variant(u""), u"BINARY");
  Set(u"/b", u"when", Variant::FromDate(vxRuntime::EncodeDateTime(2024, 2, 29, 13, 14, 15, 0)));
  Set(u"/b", u"\u00C1", Variant(u"\u00C1"));
  ASSERT_TRUE(Export({.RootKey = u"/b"})) << Text(Store->Message.Get());
  EXPECT_EQ(Outline(Dir.File("out.xml")),
            "Content RootNode=/b\n"
            "  Property Name=abc DataType=BINARY Compressed=true: eNpjZmBgSExKBgACZgEq\n"
            "  Property Name=empty DataType=BINARY\n"
            "  Property Name=when DataType=DATE: 2024-02-29 13:14:15\n"
            "  Property Name=\u00C1 DataType=UCS4STR: \u00C1\n");
  ASSERT_TRUE(Export({.RootKey = u"/b", .FormatVersion = vxEFV_V1_2}));
  EXPECT_EQ(Outline(Dir.File("out.xml")),
            "Content RootNode=/b\n"
            "  Property Name=abc DataType=BINARY: YWJj\n"
            "  Property Name=empty DataType=BINARY\n"
            "  Property Name=when DataType=DATE: 000B4681h02D72858h\n"
            "  Property Name=\u00C3\u0081 DataType=UCS4STR: \u00C3\u0081\n");
}

TEST_P(ConfigExport, APropertyFilterMarksEveryElementIncomplete) {
  Set(u"/f", u"Port", Variant(25));
  Set(u"/f", u"Host", Variant(u"h"));
  Set(u"/f/g", u"port", Variant(26));
  TStringList none;
  ASSERT_TRUE(Export({.RootKey = u"/f", .ValidProperties = &none}));
  EXPECT_EQ(Outline(Dir.File("out.xml")), "Content RootNode=/f Complete=false\n  Node Name=g Complete=false\n");
  TStringList port;
  port.Add(u"PORT");  // the list's own lookup ignores letter case
  ASSERT_TRUE(Export({.RootKey = u"/f", .ValidProperties = &port}));
  EXPECT_EQ(Outline(Dir.File("out.xml")),
            "Content RootNode=/f Complete=false\n"
            "  Property Name=Port DataType=INT: 25\n"
            "  Node Name=g Complete=false\n"
            "    Property Name=port DataType=INT: 26\n");
}

TEST_P(ConfigExport, ScriptsLoseTheirEditingStateAndAreLockedInTheFileOnly) {
  const ustring open = u"/varlo/Scripts/Open", locked = u"/varlo/scripts/Locked";
  Set(open, u"Script", Variant(u"print 1"));
  Set(open, u"Secured", Variant(false));
  for (const char16_t* name : {u"ScriptBackup", u"LockDate", u"LockUser", u"markers"}) Set(open, name, Variant(u"x"));
  Set(locked, u"Script", Variant(u"already locked"));
  Set(locked, u"Secured", Variant(true));
  Set(u"/varlo/Software/S", u"Script", Variant(u"no script node"));
  Set(u"/varlo/Software/S", u"LockUser", Variant(u"stays"));

  ASSERT_TRUE(Export({.RootKey = u"/varlo", .PWProtectScripts = true, .ScriptPassword = "pw"}))
      << Text(Store->Message.Get());
  TXMLDocument doc;
  doc.LoadFromXML(TTestTempDir::ReadBytes(Dir.File("out.xml")));
  Tk7PackageInformation info;
  ASSERT_EQ(vxExportDocument::ReadHeader(doc, info), vxExportDocument::THeaderState::Read);
  ustring ignored;
  const auto items = vxExportDocument::ReadContent(vxExportDocument::ContentElements(doc).at(0), u"varlo/",
                                                   info.FormatVersion, vxExportDocument::TPropertyReading::Values,
                                                   ignored);
  std::map<ustring, std::vector<vxExportDocument::TDocumentProperty>> byKey;
  for (const auto& item : items) byKey[item.Key] = item.Properties;
  const auto& openProps = byKey[u"varlo/Scripts/Open/"];
  ASSERT_EQ(openProps.size(), 2u);
  EXPECT_EQ(openProps[0].Name, u"Script");
  EXPECT_EQ(openProps[0].DataType, u"STRING");
  const std::string lockedText = WideToAnsi(openProps[0].Value.AsString());
  EXPECT_TRUE(vxInternal::TvxScriptTools::VerifySecuredScript(lockedText));
  EXPECT_EQ(vxInternal::TvxScriptTools::GetScriptPassword(lockedText), TvxMD5::GetMD5FromString("pw"));
  EXPECT_EQ(vxInternal::TvxScriptTools::UnlockScript(lockedText, true), "print 1");
  EXPECT_EQ(openProps[1].Name, u"Secured");
  EXPECT_EQ(openProps[1].DataType, u"BOOLEAN");
  EXPECT_TRUE(openProps[1].Value.AsBoolean());
  const auto& lockedProps = byKey[u"varlo/scripts/Locked/"];
  ASSERT_EQ(lockedProps.size(), 2u);
  EXPECT_EQ(lockedProps[0].Value.AsString(), u"already locked");
  EXPECT_EQ(byKey[u"varlo/Software/S/"].size(), 2u);
  // The store keeps the open script as it was.
  EXPECT_EQ(Store->GetConfigValue(open, u"Script", Variant(), false).AsString(), u"print 1");
  EXPECT_FALSE(Store->GetConfigValue(open, u"Secured", Variant(), false).AsBoolean());
  EXPECT_TRUE(Store->ConfigValueExists(open, u"ScriptBackup"));
}

TEST_P(ConfigExport, ChangeInformationOnRequestAndInFormatsFromVersion13) {
  Store->TrackChanges = true;
  Store->Username = u"admin@example.com";
  SetTyped(u"/c", u"tracked", Variant(u"t"), u"UCS2STR");
  Store->TrackChanges = false;
  Set(u"/c", u"untracked", Variant(u"u"));
  ASSERT_TRUE(Export({.RootKey = u"/c", .IncludeChangeInfos = true}));
  const std::string outline = Outline(Dir.File("out.xml"));
  const size_t user = outline.find("Property Name=tracked DataType=UCS2STR User=admin@example.com Date=");
  EXPECT_NE(user, std::string::npos) << outline;
  EXPECT_NE(outline.find("Property Name=untracked DataType=UCS4STR: u\n"), std::string::npos) << outline;
  ASSERT_TRUE(Export({.RootKey = u"/c", .IncludeChangeInfos = true, .FormatVersion = vxEFV_V1_2}));
  EXPECT_EQ(Outline(Dir.File("out.xml")),
            "Content RootNode=/c\n"
            "  Property Name=tracked DataType=UCS2STR: t\n"
            "  Property Name=untracked DataType=UCS4STR: u\n");
}

TEST_P(ConfigExport, AFailedExportLeavesTheOldFileAndNothingBeside) {
  Set(u"/e", u"good", Variant(u"fine"));
  ASSERT_TRUE(Export({.RootKey = u"/e"}));
  const std::string before = TTestTempDir::ReadBytes(Dir.File("out.xml"));
  Set(u"/e", u"bad", Variant(u"a\u0001b"));
  EXPECT_FALSE(Export({.RootKey = u"/e"}));
  EXPECT_EQ(Text(Store->Message.Get()),
            "property bad of /e: a character outside the XML ranges in a text");
  EXPECT_EQ(TTestTempDir::ReadBytes(Dir.File("out.xml")), before);
  EXPECT_EQ(Dir.Listing(), "out.xml;");
  // With RaiseExceptions the failure is raised.
  Store->RaiseExceptions = true;
  EXPECT_EQ(vxTest::RaisedMessage([&] { Export({.RootKey = u"/e"}); }),
            "property bad of /e: a character outside the XML ranges in a text");
  Store->RaiseExceptions = false;

  // A file in the target's place that cannot be replaced: a folder.
  std::filesystem::create_directories(Dir.File("taken.xml"));
  Set(u"/e", u"bad", Variant(u"b"));
  EXPECT_FALSE(Export({.RootKey = u"/e", .FileName = File("taken.txt")}));
  EXPECT_EQ(Text(Store->Message.Get()), "file " + Dir.File("taken.xml") + " is in use");
  // Adding to a file that is no export document.
  TTestTempDir::WriteBytes(Dir.File("foreign.xml"), "<html/>");
  EXPECT_FALSE(Export({.RootKey = u"/e", .FileName = File("foreign.xml"), .AsPackage = true}));
  EXPECT_EQ(Text(Store->Message.Get()), "Unknown XML filetype!");
  EXPECT_EQ(TTestTempDir::ReadBytes(Dir.File("foreign.xml")), "<html/>");
  // A read-only file is replaced, as a deletion would have done.
  std::filesystem::permissions(Dir.File("out.xml"), std::filesystem::perms::owner_read);
  ASSERT_TRUE(Export({.RootKey = u"/e"})) << Text(Store->Message.Get());
  EXPECT_NE(TTestTempDir::ReadBytes(Dir.File("out.xml")), before);
}

TEST_P(ConfigExport, UTF16FilesAndTheExportedKeyInAnyForm) {
  Set(u"/u/\u00C4", u"\u00D6", Variant(u"\U0001F600"));
  ASSERT_TRUE(Export({.RootKey = u" u/ ", .Encoding = vxCE_UTF16}));
  const std::string bytes = TTestTempDir::ReadBytes(Dir.File("out.xml"));
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(Outline(Dir.File("out.xml")),
            "Content RootNode=/u\n  Node Name=\u00C4\n    Property Name=\u00D6 DataType=UCS4STR: \U0001F600\n");
}

INSTANTIATE_TEST_SUITE_P(Backends, ConfigExport, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL),
                         BackendName);

}  // namespace
