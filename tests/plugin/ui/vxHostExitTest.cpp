// A host that ends without unloading the export library: the library's
// unload runs after the process's exit handlers (the C++ static destructors
// of every loaded module among them), and must still end cleanly, after an
// export and after the dialog was shown. The host is a program of its own
// that links no toolkit; its exit status tells.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "support/vxRunProgram.h"
#include "support/vxScopedEnv.h"
#include "support/vxSmtpTestServer.h"
#include "support/vxTestTempDir.h"
#include "support/vxXvfb.h"

namespace {

struct THostExit {
  vxTest::TProgramResult Run;
  size_t Delivered = 0;
};

// Runs the host against a fresh SMTP server, with its own temporary and
// data folders.
THostExit RunExitingHost(bool Configure) {
  TSmtpTestServer server;
  TTestTempDir dir;
  const vxTest::TScopedEnv temp("TMPDIR", dir.Path().string());
  const vxTest::TScopedEnv data("XDG_DATA_HOME", dir.File("data"));
  // Under the leak checker: what the session bus and font libraries keep is
  // their own.
  const vxTest::TScopedEnv leaks("LSAN_OPTIONS", std::string("suppressions=") + VX_EXITING_HOST_LSAN);
  TTestTempDir::WriteBytes(dir.File("invoice.txt"), "invoice");
  std::vector<std::string> args = {VX_EXITING_HOST, VX_EXPORT_LIBRARY, std::to_string(server.Port()),
                                   dir.File("invoice.txt")};
  if (Configure) args.push_back("--configure");
  THostExit result;
  result.Run = vxTest::RunProgram(args, std::chrono::seconds(90), true);
  result.Delivered = server.Messages().size();
  return result;
}

TEST(HostExit, AfterAnExportWithoutUnloading) {
  const THostExit exit = RunExitingHost(false);
  EXPECT_EQ(exit.Run.ExitStatus, 0) << exit.Run.Output << exit.Run.Errors;
  EXPECT_NE(exit.Run.Output.find("\n600 0 \n"), std::string::npos) << exit.Run.Output;
  EXPECT_NE(exit.Run.Output.find("leaving\n"), std::string::npos) << exit.Run.Output;
  EXPECT_EQ(exit.Delivered, 1u);
}

// The dialog makes the toolkit's application object in the user-interface
// library; the process's end must not tear it down behind the toolkit.
TEST(HostExit, AfterTheDialogOnAnXDisplayWithoutUnloading) {
  vxTest::TXvfbServer xvfb(800, 600);
  if (!xvfb.Running()) GTEST_SKIP() << "no virtual X server: " << xvfb.Failure();
  const vxTest::TScopedEnv display("DISPLAY", xvfb.Display());
  const vxTest::TScopedEnv platform("QT_QPA_PLATFORM", std::nullopt);
  const vxTest::TScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
  const THostExit exit = RunExitingHost(true);
  EXPECT_EQ(exit.Run.ExitStatus, 0) << exit.Run.Output << exit.Run.Errors;
  EXPECT_NE(exit.Run.Output.find("\n600 0 \n"), std::string::npos) << exit.Run.Output;
  // Closed by the window manager's request: not OK, the string handed back.
  EXPECT_NE(exit.Run.Output.find("\n800 1 <CONFIG><SMTPSERVER=127.0.0.1>"), std::string::npos) << exit.Run.Output;
  EXPECT_NE(exit.Run.Output.find("leaving\n"), std::string::npos) << exit.Run.Output;
  EXPECT_EQ(exit.Delivered, 1u);
}

}  // namespace
