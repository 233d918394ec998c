// vxhost end to end: the program run as a user runs it, against the export
// library and the real SMTP server, its exit status and its texts.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/vxRunProgram.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"
#include "support/vxSmtpTestServer.h"

namespace {

struct THostRun {
  int Status = -1;
  std::string Out, Err;
};

THostRun RunHost(const std::vector<std::string>& Args) {
  std::vector<std::string> all = {VX_HOST_PROGRAM};
  all.insert(all.end(), Args.begin(), Args.end());
  const vxTest::TProgramResult result = vxTest::RunProgram(all, std::chrono::seconds(120), true);
  return {result.ExitStatus, result.Output, result.Errors};
}

TEST(Host, HelpAndWrongCommandLines) {
  const THostRun help = RunHost({"--help"});
  EXPECT_EQ(help.Status, 0);
  EXPECT_EQ(help.Out.rfind("Usage: vxhost", 0), 0u);
  struct TCase {
    std::vector<std::string> Args;
    std::string Err;
  };
  const TCase cases[] = {
      {{"--bogus"}, "vxhost: unknown option --bogus (see --help)\n"},
      {{"--server"}, "vxhost: --server needs a value\n"},
      {{"--password=x"}, "vxhost: --password is not taken"},
      {{"--config", "/nonexistent/config"}, "vxhost: cannot read the configuration file /nonexistent/config\n"},
      {{"/nonexistent/file.pdf"}, "vxhost: not a file: /nonexistent/file.pdf\n"},
      {{"--server", "h", "--port", "70000"}, "vxhost: --port needs a port number (1 to 65535): 70000\n"},
      {{"--config", "x", "--server", "h"}, "vxhost: --config and the setting flags"},
  };
  for (const TCase& c : cases) {
    const THostRun run = RunHost(c.Args);
    EXPECT_EQ(run.Status, 2) << c.Args[0];
    EXPECT_EQ(run.Err.rfind(c.Err, 0), 0u) << run.Err;
  }
}

// A refused FILE (missing, or a folder) after good ones: the copies already
// made of the good ones go with the hand-over folder.
TEST(Host, RefusedFileLeavesNoCopiesBehind) {
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("first.txt"), "first");
  TTestTempDir::WriteBytes(dir.File("second.txt"), "second");
  std::filesystem::create_directory(dir.File("folder"));
  std::filesystem::create_directory(dir.File("temp"));
  vxTest::TScopedEnv tmpdir("TMPDIR", dir.File("temp"));
  for (const std::string& refused : {dir.File("missing.pdf"), dir.File("folder")}) {
    const THostRun run = RunHost({"--server", "127.0.0.1", dir.File("first.txt"), dir.File("second.txt"), refused});
    EXPECT_EQ(run.Status, 2) << refused;
    EXPECT_EQ(run.Err, "vxhost: not a file: " + refused + "\n");
    EXPECT_TRUE(std::filesystem::is_empty(dir.File("temp"))) << refused;
  }
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("first.txt")), "first");
}

TEST(Host, ExportsADocumentAndKeepsTheUsersFiles) {
  TSmtpTestServer server;
  TTestTempDir dir;
  TTestTempDir::WriteBytes(dir.File("invoice.txt"), "invoice");
  TTestTempDir::WriteBytes(dir.File("items.csv"), "a;b");
  const THostRun run = RunHost({"--server", "127.0.0.1", "--port", std::to_string(server.Port()), "--sender",
                                "exports@example.com", "--recipients", "to@example.com,cc@example.com", "--subject",
                                "Invoice %NR", "--zip", "--field", "NR=4711", "--field", "BODY=see attached",
                                dir.File("invoice.txt"), dir.File("items.csv")});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out, "exported\n");
  const auto messages = server.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].MailFrom, "exports@example.com");
  EXPECT_EQ(messages[0].RcptTo, (std::vector<std::string>{"to@example.com", "cc@example.com"}));
  EXPECT_NE(messages[0].Content.find("Subject: Invoice 4711\r\n"), std::string::npos);
  EXPECT_NE(messages[0].Content.find(".zip"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir.File("invoice.txt")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("items.csv")));
}

TEST(Host, ConfigFileAndShowConfig) {
  TSmtpTestServer server;
  TTestTempDir dir;
  const std::string config = "<CONFIG><SMTPSERVER=127.0.0.1><SMTPPORT=" + std::to_string(server.Port()) +
                             "><FROMADDRESS=f@example.com><RECIPIENT=to@example.com><SUBJECT=from the file></CONFIG>";
  TTestTempDir::WriteBytes(dir.File("config"), config + "\n");
  const THostRun run = RunHost({"--config", dir.File("config"), "--show-config"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out, config + "\nexported\n");
  ASSERT_EQ(server.Messages().size(), 1u);
  EXPECT_NE(server.Messages()[0].Content.find("Subject: from the file\r\n"), std::string::npos);
}

TEST(Host, PasswordFromTheEnvironmentOrAFile) {
  TSmtpTestServer server(TSmtpTestServer::TOptions().Auth("clerk", "pa ss").AuthWithoutTls());
  TTestTempDir dir;
  // The failed export keeps its mail in the user's data folder.
  vxTest::TScopedEnv data("XDG_DATA_HOME", dir.File("data"));
  const std::vector<std::string> args = {"--server", "127.0.0.1", "--port", std::to_string(server.Port()),
                                         "--recipients", "to@example.com", "--login", "clerk"};
  {
    vxTest::TScopedEnv password("VXHOST_PASSWORD", "pa ss");
    const THostRun run = RunHost(args);
    ASSERT_EQ(run.Status, 0) << run.Err;
  }
  {
    vxTest::TScopedEnv password("VXHOST_PASSWORD", std::nullopt);
    TTestTempDir::WriteBytes(dir.File("password"), "pa ss\n");
    std::vector<std::string> withFile = args;
    withFile.insert(withFile.end(), {"--password-file", dir.File("password")});
    const THostRun run = RunHost(withFile);
    ASSERT_EQ(run.Status, 0) << run.Err;
    // Without the password the login fails, and the text says why.
    const THostRun without = RunHost(args);
    EXPECT_EQ(without.Status, 1);
    EXPECT_EQ(without.Err.rfind("vxhost: command 600 failed (-1): send mail exception (send mail exception (", 0), 0u)
        << without.Err;
  }
  const auto messages = server.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].Login, "clerk");
  EXPECT_EQ(messages[1].Login, "clerk");
}

// What the README says to do with a failed mail: it is kept in the user's
// data folder, and vxhost sends it again with the relay.
TEST(Host, FailedMailIsKeptAndSentAgainWithTheRelay) {
  TTestTempDir dir;
  vxTest::TScopedEnv data("XDG_DATA_HOME", dir.File("data"));
  TTestTempDir::WriteBytes(dir.File("invoice.txt"), "invoice");
  // A port where nothing listens: taken from a server that is gone again.
  std::string closedPort;
  {
    const TSmtpTestServer gone;
    closedPort = std::to_string(gone.Port());
  }
  const std::vector<std::string> document = {"--sender", "exports@example.com", "--recipients", "to@example.com",
                                             "--subject", "kept", dir.File("invoice.txt")};
  std::vector<std::string> failing = {"--server", "127.0.0.1", "--port", closedPort};
  failing.insert(failing.end(), document.begin(), document.end());
  const THostRun failed = RunHost(failing);
  EXPECT_EQ(failed.Status, 1);
  EXPECT_EQ(failed.Err.rfind("vxhost: command 600 failed (-1): send mail exception (send mail exception (", 0), 0u)
      << failed.Err;
  const std::filesystem::path folder =
      std::filesystem::path(dir.File("data")) / "varlo/plugins/work/libvxsmtpexport-000~~~/Win64/failed-mails";
  std::vector<std::string> kept;
  if (std::filesystem::is_directory(folder))
    for (const auto& e : std::filesystem::directory_iterator(folder)) kept.push_back(e.path().string());
  ASSERT_EQ(kept.size(), 1u);

  TSmtpTestServer server;
  const THostRun resent = RunHost({"--server", "127.0.0.1", "--port", std::to_string(server.Port()), "--send-eml",
                                   kept[0]});
  ASSERT_EQ(resent.Status, 0) << resent.Err;
  const auto messages = server.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].Content, TTestTempDir::ReadBytes(kept[0]));
  EXPECT_EQ(messages[0].RcptTo, std::vector<std::string>{"to@example.com"});
  EXPECT_NE(messages[0].Content.find("Subject: kept\r\n"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(kept[0]));  // vxhost hands the library a copy
  EXPECT_TRUE(std::filesystem::exists(dir.File("invoice.txt")));
}

TEST(Host, QuestionsAloneExportNothing) {
  TTestTempDir dir;
  vxTest::TScopedEnv registry("VARLO_REGISTRY", dir.File("registry"));
  vxTest::TScopedEnv system("VARLOSYS", std::nullopt);
  std::filesystem::create_directory(dir.File("temp"));
  vxTest::TScopedEnv tmpdir("TMPDIR", dir.File("temp") + "/");
  const THostRun run = RunHost({"--version-text", "--temp-path", "--show-config"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  const size_t first = run.Out.find('\n');
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(run.Out.find(" release "), std::string::npos) << run.Out;
  // The temporary folder, then the (empty) configuration string; no "exported".
  EXPECT_EQ(run.Out.substr(first + 1), dir.File("temp") + "/\n\n");
}

TEST(Host, ConfigureWithoutDisplayFailsWithItsText) {
  TTestTempDir dir;
  vxTest::TScopedEnv registry("VARLO_REGISTRY", dir.File("registry"));
  vxTest::TScopedEnv x("DISPLAY", std::nullopt);
  vxTest::TScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
  vxTest::TScopedEnv platform("QT_QPA_PLATFORM", std::nullopt);
  const THostRun run = RunHost({"--server", "relay1", "--configure"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Out, "");
  EXPECT_EQ(run.Err,
            "vxhost: command 800 failed (-1): unexpected process exception (the configuration dialog cannot be "
            "shown: no display: none of DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM is set)\n");
}

TEST(Host, FailedStartupIsReported) {
  const THostRun run = RunHost({"--library", VX_EXPORT_LIBRARY_STARTFAIL, "--field", "A=1"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err, "vxhost: command 100 failed (-1): unexpected process exception (injected start-up failure)\n");
  const THostRun missing = RunHost({"--library", "/nonexistent/lib.so"});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_EQ(missing.Err.rfind("vxhost: cannot load the export library: ", 0), 0u);
}

}  // namespace
