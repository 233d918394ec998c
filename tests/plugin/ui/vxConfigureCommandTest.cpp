// Command 800 as a host calls it: the export library loads the user-
// interface library beside it and shows the dialog on the test's own
// application object; the test works the dialog from inside its loop.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <string>
#include <vector>

#include "foundation/vxComTools.h"
#include "plugin/ui/ConfigUnit.h"
#include "plugin/vxExportCommands.h"
#include "support/vxRunProgram.h"
#include "support/vxScopedEnv.h"
#include "support/vxSmtpTestServer.h"
#include "support/vxXvfb.h"
#include "tests/plugin/ui/vxDialogTestSupport.h"
#include "tests/plugin/vxExportLibrary.h"
#include "tests/plugin/vxReceivedMail.h"

using vxDialogTest::WhenDialogShows;

namespace {

// The item keys of a configuration string, in order, items decoded.
std::vector<std::string> Keys(const std::string& Config) {
  std::string type;
  TComResExt items;
  if (!TvxComTools::ParseComAnswer(Config, type, items, true)) return {};
  std::vector<std::string> keys;
  for (const TComPart& item : items) keys.push_back(item.OrgParam);
  return keys;
}

}  // namespace

TEST(ConfigureCommand, CancelAnswersOneAndTheUnchangedString) {
  TExportLibrary library;
  ASSERT_EQ(library.Call(cmdInit).Result, 0);
  const std::string config = "<CONFIG><SMTPSERVER=relay1><SMTPPORT=587></CONFIG>";
  ASSERT_EQ(library.Call(cmdSetConfig, config).Result, 0);
  bool shown = false;
  WhenDialogShows([&](TCfgForm& Form) {
    shown = true;
    EXPECT_EQ(Form.Edit41->text(), QStringLiteral("relay1"));
    EXPECT_EQ(Form.Edit42->value(), 587);
    Form.Edit41->setText(QStringLiteral("changed"));
    Form.Button2->click();
  });
  const auto answer = library.Call(cmdConfigure, u"");
  EXPECT_TRUE(shown);
  EXPECT_EQ(answer.Result, 1);
  EXPECT_EQ(answer.TextUtf8(), config);
  EXPECT_EQ(library.Call(cmdGetConfig).TextUtf8(), config);
}

TEST(ConfigureCommand, OkWithoutChangesAfterInit) {
  TExportLibrary library;
  ASSERT_EQ(library.Call(cmdInit).Result, 0);
  WhenDialogShows([](TCfgForm& Form) { Form.Button1->click(); });
  const auto answer = library.Call(cmdConfigure, u"");
  ASSERT_EQ(answer.Result, 0) << answer.BufferUtf8();
  EXPECT_EQ(answer.TextUtf8(),
            "<CONFIG><SMTPSERVER=><SMTPPORT=25><FROMADDRESS=varlo@localhost><FROMNAME=varlo Services><RECIPIENT=>"
            "<SUBJECT=><ZIPMAILATM=False><INSERTFLDS=True><SENDEMLS=False><AUTHENTICATION=False><USERNAME=>"
            "<PASSWORD=><USETLS=False><USESASL=False></CONFIG>");
}

TEST(ConfigureCommand, OkWritesEveryControlAndSetConfigRestoresThem) {
  TExportLibrary library;
  ASSERT_EQ(library.Call(cmdInit).Result, 0);
  WhenDialogShows([](TCfgForm& Form) {
    Form.Edit41->setText(QStringLiteral("smtp.example.org"));
    Form.Edit42->setValue(40000);
    Form.TntEdit1->setText(QStringLiteral("from@example.org"));
    Form.TntEdit2->setText(QStringLiteral("From Name"));
    Form.TntEdit3->setText(QStringLiteral("Name <a@b>"));
    Form.TntEdit4->setText(QStringLiteral("Subject %X"));
    for (QCheckBox* box : {Form.CheckBox1, Form.CheckBox2, Form.CheckBox3, Form.CheckBox4, Form.CheckBox5,
                           Form.CheckBox6})
      box->setChecked(!box->isChecked());
    Form.TntEdit6->setText(QStringLiteral("user"));
    Form.TntEdit5->setText(QStringLiteral("pass word"));
    Form.Button1->click();
  });
  const auto first = library.Call(cmdConfigure, u"");
  ASSERT_EQ(first.Result, 0) << first.BufferUtf8();
  const std::string config = first.TextUtf8();
  // The ">" of the recipient puts every item in its encoded form.
  EXPECT_EQ(config.rfind("<CONFIG><enc=mime>", 0), 0u) << config;
  const std::vector<std::string> keys = Keys(config);
  ASSERT_EQ(keys.size(), 14u) << config;
  EXPECT_EQ(keys, (std::vector<std::string>{"SMTPSERVER", "SMTPPORT", "FROMADDRESS", "FROMNAME", "RECIPIENT", "SUBJECT",
                                            "ZIPMAILATM", "INSERTFLDS", "SENDEMLS", "AUTHENTICATION", "USERNAME",
                                            "PASSWORD", "USETLS", "USESASL"}));
  EXPECT_EQ(config.find("pass word"), std::string::npos);

  // A new start: 100, then 110 with that string; the dialog shows it all.
  ASSERT_EQ(library.Call(cmdInit).Result, 0);
  ASSERT_EQ(library.Call(cmdSetConfig, config).Result, 0);
  WhenDialogShows([](TCfgForm& Form) {
    EXPECT_EQ(Form.Edit41->text(), QStringLiteral("smtp.example.org"));
    EXPECT_EQ(Form.Edit42->value(), 40000);
    EXPECT_EQ(Form.TntEdit1->text(), QStringLiteral("from@example.org"));
    EXPECT_EQ(Form.TntEdit2->text(), QStringLiteral("From Name"));
    EXPECT_EQ(Form.TntEdit3->text(), QStringLiteral("Name <a@b>"));
    EXPECT_EQ(Form.TntEdit4->text(), QStringLiteral("Subject %X"));
    EXPECT_TRUE(Form.CheckBox1->isChecked());
    EXPECT_FALSE(Form.CheckBox2->isChecked());
    EXPECT_TRUE(Form.CheckBox3->isChecked());
    EXPECT_TRUE(Form.CheckBox4->isChecked());
    EXPECT_TRUE(Form.CheckBox5->isChecked());
    EXPECT_TRUE(Form.CheckBox6->isChecked());
    EXPECT_EQ(Form.TntEdit6->text(), QStringLiteral("user"));
    EXPECT_EQ(Form.TntEdit5->text(), QStringLiteral("pass word"));
    Form.Button1->click();
  });
  const auto second = library.Call(cmdConfigure, u"");
  ASSERT_EQ(second.Result, 0);
  // The same settings give the same string (the stored password form
  // included, whatever its salt: compare the settings read back).
  EXPECT_EQ(Keys(second.TextUtf8()), keys);
}

TEST(ConfigureCommand, TestMailFromTheDialogReachesTheServer) {
  TSmtpTestServer server;
  TExportLibrary library;
  ASSERT_EQ(library.Call(cmdInit).Result, 0);
  ASSERT_EQ(library.Call(cmdSetConfig, "<CONFIG><SMTPSERVER=127.0.0.1><SMTPPORT=" + std::to_string(server.Port()) +
                                           "><RECIPIENT=office@example.org><FROMADDRESS=export@example.org></CONFIG>")
                .Result,
            0);
  std::string lastLine;
  WhenDialogShows([&](TCfgForm& Form) {
    Form.Button3->click();
    lastLine = Form.Memo1->toPlainText().split(QLatin1Char('\n')).last().toStdString();
  });
  EXPECT_EQ(library.Call(cmdConfigure, u"").Result, 1);
  EXPECT_EQ(lastLine, "Mail successfully delivered");
  const auto messages = server.Messages();
  ASSERT_EQ(messages.size(), 1u);
  // The subject carries the export library's description.
  EXPECT_EQ(TReceivedMail(messages[0].Content).HeaderUtf8("Subject"), "[TEST] SMTP export");
}

// The whole road on a real X display: the host has no application object,
// the user-interface library makes one on the X platform, shows the dialog,
// hands back the string after OK and ends the application at unload.
TEST(ConfigureCommand, OnAnXDisplayTheLibraryMakesItsOwnApplication) {
  vxTest::TXvfbServer server(800, 600);
  if (!server.Running()) GTEST_SKIP() << "no virtual X server: " << server.Failure();
  vxTest::TScopedEnv display("DISPLAY", server.Display());
  vxTest::TScopedEnv platform("QT_QPA_PLATFORM", std::nullopt);
  vxTest::TScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
  // Under the leak checker: what the session bus library keeps is its own.
  vxTest::TScopedEnv leaks("LSAN_OPTIONS", std::string("suppressions=") + VX_DIALOG_PEER_LSAN);
  const vxTest::TProgramResult run =
      vxTest::RunProgram({VX_DIALOG_PEER, VX_EXPORT_LIBRARY}, std::chrono::seconds(60), true);
  ASSERT_EQ(run.ExitStatus, 0) << run.Output << run.Errors;
  EXPECT_EQ(run.Output.substr(0, run.Output.find('\n')),
            "0|<CONFIG><SMTPSERVER=relay1><SMTPPORT=2525><FROMADDRESS=><FROMNAME=><RECIPIENT=>"
            "<SUBJECT=><ZIPMAILATM=False><INSERTFLDS=False><SENDEMLS=False><AUTHENTICATION=False><USERNAME=>"
            "<PASSWORD=><USETLS=False><USESASL=False></CONFIG>||xcb")
      << run.Errors;
  EXPECT_NE(run.Output.find("unloaded\n"), std::string::npos);
}
