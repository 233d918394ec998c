// vxstore end to end: an empty store made on a SQLite file (named directly or
// through a data-link file) and on a PostgreSQL database, its exit statuses
// and texts, and the help.
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

}  // namespace
