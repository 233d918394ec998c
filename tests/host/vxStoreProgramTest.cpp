// vxstore end to end: an empty store made on a SQLite file (named directly or
// through a data-link file) and on a PostgreSQL database, a subtree moved
// from one to the other by export and import, its exit statuses and texts,
// and the help.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/vxADO.h"
#include "platform/base/vxCodePage.h"
#include "support/vxPostgresServer.h"
#include "support/vxRunProgram.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

struct TStoreRun {
  int Status = -1;
  std::string Out, Err;
};

TStoreRun RunStore(const std::vector<std::string>& Args) {
  std::vector<std::string> all = {VX_STORE_PROGRAM};
  all.insert(all.end(), Args.begin(), Args.end());
  const vxTest::TProgramResult result = vxTest::RunProgram(all, std::chrono::seconds(120), true);
  return {result.ExitStatus, result.Output, result.Errors};
}

// The columns of the table, upper-cased, in order.
std::vector<std::string> Columns(const ustring& Connection, const ustring& Table) {
  TADOConnection connection(Connection);
  const vxData::TDataResult result = connection.Session().Query(u"SELECT * FROM " + Table + u" WHERE 1 = 0", {}, 10);
  std::vector<std::string> names;
  for (const auto& column : result.Columns) {
    std::string name = WideToUtf8(column.Name);
    for (char& c : name)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    names.push_back(name);
  }
  return names;
}

const std::vector<std::string> V2 = {"ID", "PARENTID", "KEYNAME", "DIMENSION", "DATATYPE", "KEYVALUE", "CHANGEUSER", "CHANGEDATE"};
const std::vector<std::string> V1 = {"ID", "PARENTID", "KEYNAME", "DATATYPE", "KEYVALUE"};

TEST(StoreProgram, HelpAndWrongCommandLines) {
  const TStoreRun help = RunStore({"help"});
  EXPECT_EQ(help.Status, 0);
  EXPECT_EQ(help.Out.rfind("usage: vxstore COMMAND", 0), 0u) << help.Out;
  EXPECT_NE(help.Out.find("  create    "), std::string::npos);
  const TStoreRun create = RunStore({"help", "create"});
  EXPECT_EQ(create.Status, 0);
  EXPECT_EQ(create.Out.rfind("vxstore create [--connection STRING | --udl FILE]", 0), 0u) << create.Out;
  struct TCase {
    std::vector<std::string> Args;
    std::string Err;
  } cases[] = {
      {{}, "usage: vxstore COMMAND"},
      {{"bogus"}, "vxstore: unknown command 'bogus'"},
      {{"help", "bogus"}, "vxstore: unknown command 'bogus'"},
      {{"create", "--layout", "V3"}, "vxstore create: --layout is V1 or V2, not 'V3'"},
      {{"create", "--table", "a;b"}, "vxstore create: 'a;b' cannot name the table"},
      {{"create", "--connection"}, "vxstore create: --connection needs a value"},
      {{"create", "--what", "x"}, "vxstore create: unknown argument '--what'"},
      {{"create", "--udl", "a", "--connection", "b"}, "vxstore create: give --connection or --udl, not both"},
  };
  for (const TCase& c : cases) {
    const TStoreRun run = RunStore(c.Args);
    EXPECT_EQ(run.Status, 2) << c.Err;
    EXPECT_EQ(run.Err.rfind(c.Err, 0), 0u) << run.Err;
  }
}

TEST(StoreProgram, MakesAnEmptyStoreOnASQLiteFileOnceAndOnly) {
  TTestTempDir folder;
  const std::string connection = "Provider=SQLite;Data Source=" + folder.File("store.db");
  const TStoreRun made = RunStore({"create", "--connection", connection});
  ASSERT_EQ(made.Status, 0) << made.Err;
  EXPECT_EQ(made.Out, "created the configuration table vx_configuration (layout V2) in the SQLite database\n");
  EXPECT_EQ(Columns(Utf8ToWide(connection), u"vx_configuration"), V2);
  const TStoreRun again = RunStore({"create", "--connection", connection});
  EXPECT_EQ(again.Status, 1);
  EXPECT_NE(again.Err.find("already exists"), std::string::npos) << again.Err;
  EXPECT_EQ(Columns(Utf8ToWide(connection), u"vx_configuration"), V2);

  // The older layout under another name, through a data-link file.
  const std::u16string link = u"[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n" + Utf8ToWide(connection) + u"\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : link) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  TTestTempDir::WriteBytes(folder.File("store.udl"), bytes);
  const TStoreRun old = RunStore({"create", "--udl", folder.File("store.udl"), "--layout", "v1", "--table", "old_cfg"});
  ASSERT_EQ(old.Status, 0) << old.Err;
  EXPECT_EQ(Columns(Utf8ToWide(connection), u"old_cfg"), V1);
}

TEST(StoreProgram, WithoutAConnectionTheHostsDataLinkFileIsUsed) {
  TTestTempDir folder;
  vxTest::TScopedEnv registry("VARLO_REGISTRY", folder.File("registry"));
  vxTest::TScopedEnv system("VARLOSYS", folder.File("sys") + "/");
  const std::string connection = "Provider=SQLite;Data Source=" + folder.File("host.db");
  std::filesystem::create_directories(folder.Path() / "sys" / "cfg");
  std::string bytes = "\xFF\xFE";
  for (char16_t c : u"[oledb]\r\n" + Utf8ToWide(connection) + u"\r\n") {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  TTestTempDir::WriteBytes(folder.File("sys/cfg/vxsyscfg.udl"), bytes);
  const TStoreRun made = RunStore({"create"});
  ASSERT_EQ(made.Status, 0) << made.Err;
  EXPECT_EQ(Columns(Utf8ToWide(connection), u"vx_configuration"), V2);
}

TEST(StoreProgram, MakesAnEmptyStoreOnAPostgreSQLDatabase) {
  std::string why;
  vxTest::TPostgresServer* server = vxTest::TPostgresServer::Shared(why);
  if (!server) GTEST_SKIP() << why;
  vxTest::TPostgresDatabase database(*server);
  const TStoreRun made = RunStore({"create", "--connection", WideToUtf8(database.ConnectionString())});
  ASSERT_EQ(made.Status, 0) << made.Err;
  EXPECT_EQ(made.Out, "created the configuration table vx_configuration (layout V2) in the PostgreSQL database\n");
  EXPECT_EQ(Columns(database.ConnectionString(), u"vx_configuration"), V2);
  const TStoreRun refused = RunStore({"create", "--connection", "Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=x"});
  EXPECT_EQ(refused.Status, 1);
  EXPECT_EQ(refused.Err.rfind("vxstore create: cannot connect to the database", 0), 0u) << refused.Err;
}

// A subtree written into the SQLite store by an import, exported, read by
// Python's xml.etree, imported into PostgreSQL and exported from there: the
// same file; a package keeps its header; bad input changes nothing.
TEST(StoreProgram, ExportsASubtreeAndImportsItAgainOnBothDatabases) {
  TTestTempDir folder;
  vxTest::TScopedEnv registry("VARLO_REGISTRY", folder.File("registry"));
  const std::string sqlite = "Provider=SQLite;Data Source=" + folder.File("store.db");
  ASSERT_EQ(RunStore({"create", "--connection", sqlite}).Status, 0);
  TTestTempDir::WriteBytes(
      folder.File("in.xml"),
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><k7Document FormatVersion=\"1.5\" Type=\"Default\">"
      "<Content RootNode=\"/cfg\"><Property Name=\"Name\" DataType=\"UCS2STR\">\xC3\x81rger</Property>"
      "<Node Name=\"mail\"><Property Name=\"Port\" DataType=\"INT\">25</Property>"
      "<Node Name=\"tls\"><Property Name=\"On\" DataType=\"BOOLEAN\">True</Property></Node></Node>"
      "</Content></k7Document>");
  const TStoreRun imported = RunStore({"import", "--connection", sqlite, "--file", folder.File("in.xml")});
  ASSERT_EQ(imported.Status, 0) << imported.Err;
  EXPECT_EQ(imported.Out, "imported 3 nodes from " + folder.File("in.xml") + "\n");
  EXPECT_EQ(imported.Err.rfind("importing 1: /cfg\n", 0), 0u) << imported.Err;

  const TStoreRun exported =
      RunStore({"export", "--connection", sqlite, "--key", "cfg", "--file", folder.File("out/first.txt")});
  ASSERT_EQ(exported.Status, 0) << exported.Err;
  EXPECT_EQ(exported.Out, "exported 3 nodes of /cfg to " + folder.File("out/first.xml") + "\n");
  EXPECT_EQ(exported.Err.rfind("exporting 1: /cfg\n", 0), 0u) << exported.Err;
  const vxTest::TProgramResult read = vxTest::RunProgram(
      {"/usr/bin/python3", "-c",
       "import sys, xml.etree.ElementTree as E\n"
       "for e in E.parse(sys.argv[1]).getroot().iter():\n"
       "  print(e.tag, sorted(e.attrib.items()), ascii((e.text or '').strip()))\n",
       folder.File("out/first.xml")});
  ASSERT_EQ(read.ExitStatus, 0) << read.Output;
  EXPECT_EQ(read.Output,
            "k7Document [('FormatVersion', '1.5'), ('Type', 'Default')] ''\n"
            "Content [('RootNode', '/cfg')] ''\n"
            "Property [('DataType', 'UCS2STR'), ('Name', 'Name')] '\\xc1rger'\n"
            "Node [('Name', 'mail')] ''\n"
            "Property [('DataType', 'INT'), ('Name', 'Port')] '25'\n"
            "Node [('Name', 'tls')] ''\n"
            "Property [('DataType', 'BOOLEAN'), ('Name', 'On')] 'True'\n");

  // A package of the node alone, with its header.
  const TStoreRun package = RunStore({"export", "--connection", sqlite, "--key", "/cfg/mail", "--node-only",
                                      "--file", folder.File("pkg.xml"), "--package", "Mail", "--version", "1.2",
                                      "--release", "5.0.0.0", "--info", "About it", "--format", "1.3"});
  ASSERT_EQ(package.Status, 0) << package.Err;
  const std::string packageText = TTestTempDir::ReadBytes(folder.File("pkg.xml"));
  EXPECT_NE(packageText.find("FormatVersion=\"1.3\" Type=\"Package\" PackageName=\"Mail\" PackageVersion=\"1.2\""),
            std::string::npos) << packageText;
  EXPECT_EQ(packageText.find("tls"), std::string::npos);
  // Its name changed, the hash no longer matches: refused.
  std::string renamed = packageText;
  renamed.replace(renamed.find("PackageName=\"Mail\""), 18, "PackageName=\"Mail2\"");
  TTestTempDir::WriteBytes(folder.File("renamed.xml"), renamed);
  const TStoreRun mismatch = RunStore({"import", "--connection", sqlite, "--file", folder.File("renamed.xml")});
  EXPECT_EQ(mismatch.Status, 1);
  EXPECT_EQ(mismatch.Err.rfind("vxstore import: Package hash mismatch (", 0), 0u) << mismatch.Err;

  // Bad input: refused with the reason, nothing changed.
  TTestTempDir::WriteBytes(folder.File("bad.xml"), "<k7Document FormatVersion=\"1.5\"><Content RootNode=\"/x\">");
  const TStoreRun bad = RunStore({"import", "--connection", sqlite, "--file", folder.File("bad.xml")});
  EXPECT_EQ(bad.Status, 1);
  EXPECT_EQ(bad.Err.rfind("vxstore import: XML", 0), 0u) << bad.Err;
  const TStoreRun missing = RunStore({"import", "--connection", sqlite, "--file", folder.File("none.xml")});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_EQ(missing.Err, "vxstore import: the file " + folder.File("none.xml") + " does not exist\n");
  struct TCase {
    std::vector<std::string> Args;
    std::string Err;
  } wrong[] = {
      {{"export", "--file", "x.xml"}, "vxstore export: --key is missing"},
      {{"export", "--key", "/a", "--file", "x", "--format", "1.6"}, "vxstore export: --format is 1.2, 1.3, 1.4 or 1.5, not '1.6'"},
      {{"export", "--key", "/a", "--file", "x", "--version", "1"}, "vxstore export: --version belongs to a --package"},
      {{"export", "--key", "/a", "--file", "x", "--package", "P"}, "vxstore export: --version is missing"},
      {{"import", "--file", "x", "--keep-user-content"}, "vxstore import: --keep-user-content goes with --overwrite"},
      {{"import", "--file", "x", "--overwrite", "--overwrite"}, "vxstore import: --overwrite is given twice"},
  };
  for (const TCase& c : wrong) {
    const TStoreRun run = RunStore(c.Args);
    EXPECT_EQ(run.Status, 2) << c.Err;
    EXPECT_EQ(run.Err.rfind(c.Err, 0), 0u) << run.Err;
  }

  std::string why;
  vxTest::TPostgresServer* server = vxTest::TPostgresServer::Shared(why);
  if (!server) GTEST_SKIP() << why;
  vxTest::TPostgresDatabase database(*server);
  const std::string postgres = WideToUtf8(database.ConnectionString());
  ASSERT_EQ(RunStore({"create", "--connection", postgres}).Status, 0);
  const TStoreRun moved = RunStore({"import", "--connection", postgres, "--file", folder.File("out/first.xml")});
  ASSERT_EQ(moved.Status, 0) << moved.Err;
  const TStoreRun again =
      RunStore({"export", "--connection", postgres, "--key", "/cfg", "--file", folder.File("second.xml")});
  ASSERT_EQ(again.Status, 0) << again.Err;
  EXPECT_EQ(TTestTempDir::ReadBytes(folder.File("second.xml")), TTestTempDir::ReadBytes(folder.File("out/first.xml")));
}

}  // namespace
