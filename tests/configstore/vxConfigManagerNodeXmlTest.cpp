// Node XML on both databases: a node's properties and lists of nodes as XML
// configuration strings, read back by the configuration tools and by
// Python's XML parser, round trips into another node, and the key parts,
// short paths and namespace nodes.
#include <gtest/gtest.h>

#include <fstream>

#include "configstore/vxConfigManager.h"
#include "foundation/vxConfigTools.h"
#include "platform/time/vxDateUtils.h"
#include "support/vxRunProgram.h"
#include "tests/configstore/vxConfigStoreFixture.h"

namespace {

using namespace vxStoreTest;

// The active entries of an XML configuration string as "Param=text" lines,
// and its root name.
std::vector<ustring> EntriesOf(const std::string& Xml, ustring& Root) {
  TvxConfigTools tools;
  std::string text = Xml;
  EXPECT_TRUE(tools.ParseConfigString(text, Root, false)) << WideToUtf8(tools.Message);
  std::vector<ustring> entries;
  for (const TvxConfigPart& part : tools.ConfigList)
    if (part.Active) entries.push_back(part.Param + u"=" + part.Value.AsString());
  return entries;
}

class ConfigNodeXml : public StoreTest {};

TEST_P(ConfigNodeXml, ANodesPropertiesGoOutTypedAndComeBackIntoAnotherNode) {
  auto store = OpenStore();
  const TDateTime when = vxRuntime::EncodeDateTime(2024, 2, 29, 13, 14, 15, 0);
  ASSERT_TRUE(store->SetConfigValue(u"/src", u"Port", Variant(25)));
  ASSERT_TRUE(store->SetConfigValue(u"/src", u"Smtp Server", Variant(u"mail.example.org <&>")));
  ASSERT_TRUE(store->SetConfigValue(u"/src", u"1st", Variant(1.25)));
  ASSERT_TRUE(store->SetConfigValue(u"/src", u"When", Variant::FromDate(when)));
  ASSERT_TRUE(store->SetConfigValue(u"/src", u"Flag", Variant(true)));
  ASSERT_TRUE(store->SetConfigValue(u"/src", u"Name", Variant(u"lower")));
  ASSERT_TRUE(store->SetConfigValue(u"/src", u"NAME", Variant(u"upper \u00e9\U0001F600")));
  ASSERT_TRUE(store->SetConfigValue(u"/src", u"Blob", Variant(u"QUJDRA=="), "BINARY"));
  ASSERT_TRUE(store->SetConfigValue(u"/src/child", u"ignored", Variant(1)));

  const std::string xml = store->GetNodeXML(u"/src");
  ASSERT_FALSE(xml.empty()) << WideToUtf8(store->Message.Get());
  ustring root;
  const std::vector<ustring> entries = EntriesOf(xml, root);
  EXPECT_EQ(root, u"vxConfig");
  EXPECT_EQ(entries.size(), 8u);
  // Integer kinds are read as 64-bit numbers and written so.
  EXPECT_NE(xml.find("<Port Type=\"INT64\">25</Port>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("Type=\"BINARY\""), std::string::npos) << xml;
  EXPECT_EQ(xml.find("ignored"), std::string::npos);

  // Python reads the same document: root, names and texts.
  const std::string file = Database().Folder().File("node.xml");
  std::ofstream(file, std::ios::binary) << xml;
  const vxTest::TProgramResult python = vxTest::RunProgram(
      {"/usr/bin/python3", "-c",
       "import sys, xml.etree.ElementTree as E\n"
       "r = E.parse(sys.argv[1]).getroot()\n"
       "print(r.tag, r.get('FormatVersion'), r.get('Compressed'))\n"
       "for e in r: print(e.get('Name') or e.tag, e.get('Type'), e.text or '')\n",
       file});
  ASSERT_EQ(python.ExitStatus, 0) << python.Output;
  EXPECT_NE(python.Output.find("vxConfig 2.0 false\n"), std::string::npos) << python.Output;
  EXPECT_NE(python.Output.find("Smtp Server UCS4STR mail.example.org <&>\n"), std::string::npos) << python.Output;
  EXPECT_NE(python.Output.find("1st DOUBLE 1.25\n"), std::string::npos) << python.Output;
  EXPECT_NE(python.Output.find("Port INT64 25\n"), std::string::npos) << python.Output;

  std::string copy = xml;
  ASSERT_TRUE(store->SaveNodeXML(u"/dst", copy));
  TProperties from, to;
  ASSERT_TRUE(store->GetNodeProperties(u"/src", from, true, true, false, u"", "", false, true, false));
  ASSERT_TRUE(store->GetNodeProperties(u"/dst", to, true, true, false, u"", "", false, true, false));
  ASSERT_EQ(from.size(), to.size());
  for (size_t i = 0; i < from.size(); ++i) {
    EXPECT_EQ(to[i].Name, from[i].Name);
    EXPECT_EQ(to[i].DataType.Str(), from[i].DataType.Str() == "INT" ? "INT64" : from[i].DataType.Str())
        << WideToUtf8(from[i].Name);
    EXPECT_EQ(to[i].Value.AsString(), from[i].Value.AsString()) << WideToUtf8(from[i].Name);
  }
  // And out again: the same document.
  EXPECT_EQ(store->GetNodeXML(u"/dst"), xml);
}

TEST_P(ConfigNodeXml, EmptyMissingAndBadDocuments) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/only/child", u"v", Variant(1)));
  for (const char16_t* key : {u"/only", u"/missing"}) {
    ustring root;
    EXPECT_TRUE(EntriesOf(store->GetNodeXML(key), root).empty()) << WideToUtf8(key);
    EXPECT_EQ(root, u"vxConfig");
  }
  EXPECT_FALSE(store->NodeExists(u"/missing", false));

  ASSERT_TRUE(store->SetConfigValue(u"/target", u"kept", Variant(u"as it was")));
  std::string bad = "not xml";
  EXPECT_FALSE(store->SaveNodeXML(u"/target", bad));
  std::string cut = "<vxConfig FormatVersion=\"2.0\"><a>1</a>";
  EXPECT_FALSE(store->SaveNodeXML(u"/target", cut));
  TProperties props;
  ASSERT_TRUE(store->GetNodeProperties(u"/target", props, true, false, false, u"", "", false, true, false));
  ASSERT_EQ(props.size(), 1u);
  EXPECT_EQ(props[0].Value.AsString(), u"as it was");
  std::string blank = " \r\n";
  EXPECT_TRUE(store->SaveNodeXML(u"/target", blank));

  // Nested elements arrive as names with "/" between the levels.
  std::string nested =
      "<?xml version=\"1.0\"?><vxConfig FormatVersion=\"2.0\"><Mail><Smtp_Server Name=\"Smtp Server\" "
      "Type=\"INT\">7</Smtp_Server></Mail></vxConfig>";
  ASSERT_TRUE(store->SaveNodeXML(u"/nested", nested));
  EXPECT_EQ(store->GetConfigValue(u"/nested", u"Mail/Smtp Server", Variant(), false).AsInteger(), 7);
  EXPECT_TRUE(store->ConfigValueExists(u"/nested", u"Mail"));
}

TEST_P(ConfigNodeXml, NodeListsByKeyNameOrRelativeKey) {
  auto store = OpenStore();
  ASSERT_TRUE(store->SetConfigValue(u"/list/b/grand", u"v", Variant(1)));
  ASSERT_TRUE(store->SetConfigValue(u"/list/a", u"v", Variant(1)));
  struct Case {
    bool Recursive, Relative, JustNames;
    std::vector<ustring> Entries;
  } cases[] = {
      {false, true, true, {u"Node=a", u"Node=b"}},
      {false, false, false, {u"Node=list/a/", u"Node=list/b/"}},
      {true, true, false, {u"Node=a", u"Node=b", u"Node=b/grand"}},
      {true, true, true, {u"Node=a", u"Node=b", u"Node=grand"}},
      {true, false, true, {u"Node=list/a/", u"Node=list/b/", u"Node=list/b/grand/"}},
  };
  for (const Case& c : cases) {
    ustring root;
    EXPECT_EQ(EntriesOf(store->GetNodesXML(u"/list", c.Recursive, c.Relative, c.JustNames), root), c.Entries)
        << c.Recursive << c.Relative << c.JustNames;
    EXPECT_EQ(root, u"vxNodes");
  }
  ustring root;
  EXPECT_TRUE(EntriesOf(store->GetNodesXML(u"/list/a", false, true, true), root).empty());
  EXPECT_TRUE(EntriesOf(store->GetNodesXML(u"/nowhere", false, true, true), root).empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, ConfigNodeXml, ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL), BackendName);

// --- Keys without a database -------------------------------------------------------

TEST(ConfigKeyParts, TheNamesOfAKeyWhateverItsSlashes) {
  for (const char16_t* key : {u"/a/b/c", u"a/b/c/", u"/a/b/c/", u"a/b/c", u"  /a/b/c  "}) {
    TStringList parts;
    parts.Add(u"stale");
    ASSERT_TRUE(TvxConfigManager::GetNodeParts(key, parts));
    ASSERT_EQ(parts.Count(), 3) << WideToUtf8(key);
    EXPECT_EQ(parts[0], u"a");
    EXPECT_EQ(parts[1], u"b");
    EXPECT_EQ(parts[2], u"c");
    EXPECT_EQ(TvxConfigManager::GetTopNodeName(key), u"c");
  }
  TStringList parts;
  ASSERT_TRUE(TvxConfigManager::GetNodeParts(u"/in%2Fout//x", parts));
  ASSERT_EQ(parts.Count(), 3);
  EXPECT_EQ(parts[0], u"in%2Fout");
  EXPECT_EQ(parts[1], u"");
  EXPECT_EQ(TvxConfigManager::GetTopNodeName(u"/in%2Fout"), u"in%2Fout");
  for (const char16_t* key : {u"", u"/", u"  "}) {
    ASSERT_TRUE(TvxConfigManager::GetNodeParts(key, parts));
    EXPECT_EQ(parts.Count(), 0);
    EXPECT_EQ(TvxConfigManager::GetTopNodeName(key), u"");
  }
}

TEST(ConfigKeyParts, AShortPathKeepsTheFirstNamesThatFitAndTheLast) {
  struct Case {
    const char16_t* Path;
    int32_t MaxLen;
    const char16_t* Short;
  } cases[] = {
      // 27 characters: "/" and names of 5, 8, 6 and 4.
      {u"/aaaaa/bbbbbbbb/cccccc/dddd", 20, u"/aaaaa/.../dddd"},
      {u"/aaaaa/bbbbbbbb/cccccc/dddd", 27, u"/aaaaa/bbbbbbbb/cccccc/dddd"},
      {u"/aaaaa/bbbbbbbb/cccccc/dddd", 26, u"/aaaaa/bbbbbbbb/.../dddd"},
      {u"/aaaaa/bbbbbbbb/cccccc/dddd", 10, u"/.../dddd"},
      {u"/aaaaa/bbbbbbbb/cccccc/dddd", 5, u".../dddd"},
      {u"/aaaaa/bbbbbbbb/cccccc/dddd", -1, u".../dddd"},
      {u"/a/averyveryverylongname", 10, u".../averyveryverylongname"},
      {u"", 0, u""},
  };
  for (const Case& c : cases) {
    const ustring shortened = TvxConfigManager::GetShortPath(c.Path, c.MaxLen);
    EXPECT_EQ(shortened, c.Short) << WideToUtf8(c.Path) << " " << c.MaxLen;
  }
  EXPECT_EQ(TvxConfigManager::GetShortPath(u"/aaaaa/bbbbbbbb/cccccc/dddd", 20).size(), 15u);
}

TEST(ConfigKeyParts, NamespaceNodesAreTheRootsAndTheNodesOnTheWay) {
  struct Case {
    const char16_t* Key;
    bool NameSpace;
  } cases[] = {
      {u"VARLO/SCRIPTS/ADDINS/", true},  {u"/varlo/scripts/addins", true}, {u"/Varlo/Scripts/AddIns/", true},
      {u"/varlo", true},                 {u"/varlo/scripts", true},        {u"/varlo/resources", true},
      {u"/varlo/scripts/process", true}, {u"/varlo/scripts/addins/x", false}, {u"/varlo/classes", false},
      {u"/other", false},                {u"", false},                     {u"/", false},
      {u"/varlo/scripts/add", false},
  };
  for (const Case& c : cases) EXPECT_EQ(TvxConfigManager::IsNameSpaceNode(c.Key), c.NameSpace) << WideToUtf8(c.Key);
}

}  // namespace
