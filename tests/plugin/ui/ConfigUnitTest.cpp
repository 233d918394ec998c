// The configuration dialog on its own: its form and pages (rendered to PNG
// files), the controls in and out, the port field's keys and range, and
// the test mail against the test SMTP server.
#include "plugin/ui/ConfigUnit.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <string>
#include <vector>

#include "core/vxToolsModule.h"
#include "plugin/ui/TamselInfoPanel.h"
#include "plugin/ui/xpPages.h"
#include "plugin/vxConfigDialog.h"
#include "support/vxSmtpTestServer.h"
#include "tests/plugin/ui/vxDialogTestSupport.h"
#include "tests/plugin/ui/vxUiTestSupport.h"
#include "tests/plugin/vxReceivedMail.h"

namespace {

TvxExportSettings SampleSettings() {
  TvxExportSettings s;
  s.SMTPSERVER = u"mail.example.org";
  s.SMTPPORT = 2525;
  s.FROMADDRESS = u"export@example.org";
  s.FROMNAME = u"Export Service";
  s.RECIPIENT = u"Office <office@example.org>, archive@example.org";
  s.SUBJECT = u"Invoice %NUMBER";
  s.INSERTFLDS = true;
  s.AUTHENTICATION = true;
  s.USERNAME = u"export";
  s.PASSWORD = u"secret";
  s.USETLS = true;
  s.BODY = u"kept";
  return s;
}

std::vector<std::string> MemoLines(const TCfgForm& Form) {
  std::vector<std::string> lines;
  for (const QString& line : Form.Memo1->toPlainText().split(QLatin1Char('\n'))) lines.push_back(line.toStdString());
  return lines;
}

QImage Render(QWidget& Widget) { return Widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

}  // namespace

TEST(ConfigDialog, FormPagesAndControls) {
  TCfgForm form(nullptr);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Exportservice"));
  EXPECT_EQ(form.size(), QSize(514, 360));
  EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(form.TamselInfoPanel1->Title(), u"Configure exportservice");
  EXPECT_EQ(form.xpPageControl1->geometry(), QRect(8, 72, 497, 247));
  EXPECT_EQ(form.xpPageControl1->TabHeight(), 24);  // the styler's, over the form's 22
  ASSERT_EQ(form.xpPageControl1->PageCount(), 5);
  const char16_t* captions[] = {u"Basics", u"Advanced", u"Test", u"Info", u"About"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(form.xpPageControl1->Pages(i)->Caption(), captions[i]);
  EXPECT_FALSE(form.xpTabSheet3->TabVisible());
  EXPECT_EQ(form.xpPageControl1->ActivePage(), form.TabSheet5);
  EXPECT_EQ(form.Button1->text(), QStringLiteral("Ok"));
  EXPECT_TRUE(form.Button1->isDefault());
  EXPECT_TRUE(form.Button1->font().bold());
  EXPECT_EQ(form.Button3->text(), QStringLiteral("Test"));
  EXPECT_EQ(form.Button2->text(), QStringLiteral("Cancel"));
  EXPECT_EQ(form.CheckBox3->text(), QStringLiteral("Send EML blobs (not as attachaments)"));
  EXPECT_EQ(form.TntEdit5->echoMode(), QLineEdit::Password);
  EXPECT_TRUE(form.Memo1->isReadOnly());
  EXPECT_EQ(form.Edit42->value(), 25);
  EXPECT_EQ(form.Edit42->minimum(), 1);
  EXPECT_EQ(form.Edit42->maximum(), 65535);
  EXPECT_EQ(form.findChild<QObject*>(QStringLiteral("TntEdit4")), form.TntEdit4);
}

TEST(ConfigDialog, RendersEveryPage) {
  TCfgForm form(nullptr);
  form.SetSettings(SampleSettings());
  form.show();
  QApplication::processEvents();
  vxUiTest::SavePng(Render(form), "dialog-initial");  // as it first shows: no Test tab
  form.xpTabSheet3->SetTabVisible(true);
  form.Memo1->setPlainText(QStringLiteral("Sender...: export@example.org (Export Service)\nRecipient: a@b\n\n"
                                          "Sending test mail to mail.example.org:2525...\nMail successfully delivered"));
  const char* names[] = {"dialog-basics", "dialog-advanced", "dialog-test", "dialog-info", "dialog-about"};
  for (int i = 0; i < 5; ++i) {
    form.xpPageControl1->SetActivePage(form.xpPageControl1->Pages(i));
    QApplication::processEvents();
    const QImage image = Render(form);
    ASSERT_EQ(image.size(), QSize(514, 360));
    // The form's colour around the page control, the active page's panel.
    EXPECT_EQ(vxUiTest::PixelOf(image, 3, 340), 0xE6E6E6u) << names[i];
    vxUiTest::SavePng(image, names[i]);
  }
}

TEST(ConfigDialog, ControlsInAndOut) {
  TCfgForm form(nullptr);
  const TvxExportSettings in = SampleSettings();
  form.SetSettings(in);
  EXPECT_EQ(form.Edit42->value(), 2525);
  EXPECT_EQ(form.TntEdit5->text(), QStringLiteral("secret"));
  EXPECT_TRUE(form.CheckBox2->isChecked());
  EXPECT_FALSE(form.CheckBox1->isChecked());
  const TvxExportSettings out = form.Values();
  EXPECT_EQ(out.SMTPSERVER, in.SMTPSERVER);
  EXPECT_EQ(out.SMTPPORT, 2525);
  EXPECT_EQ(out.RECIPIENT, in.RECIPIENT);
  EXPECT_EQ(out.PASSWORD, in.PASSWORD);
  EXPECT_EQ(out.BODY, u"kept");  // no control: handed back as it came
  EXPECT_TRUE(out.USETLS);
  EXPECT_FALSE(out.USESASL);
}

TEST(ConfigDialog, PortOutsideTheFieldsRangeShowsTheFirstValue) {
  for (const int32_t port : {0, -1, 65536, 70000}) {
    TCfgForm form(nullptr);
    TvxExportSettings s;
    s.SMTPPORT = port;
    form.SetSettings(s);
    EXPECT_EQ(form.Values().SMTPPORT, 25) << port;
  }
  TCfgForm form(nullptr);
  TvxExportSettings s;
  s.SMTPPORT = 65535;
  form.SetSettings(s);
  EXPECT_EQ(form.Values().SMTPPORT, 65535);
}

TEST(ConfigDialog, PortFieldTakesDigitsAndEditingKeysOnly) {
  using vxDialogTest::Type;
  TCfgForm form(nullptr);
  form.show();
  form.Edit42->setFocus();
  form.Edit42->selectAll();
  Type(form.Edit42, Qt::Key_2, QStringLiteral("2"));
  Type(form.Edit42, Qt::Key_A, QStringLiteral("a"));
  Type(form.Edit42, Qt::Key_Minus, QStringLiteral("-"));
  Type(form.Edit42, Qt::Key_Space, QStringLiteral(" "));
  Type(form.Edit42, Qt::Key_5, QStringLiteral("5"));
  EXPECT_EQ(form.Values().SMTPPORT, 25);
  Type(form.Edit42, Qt::Key_8, QStringLiteral("8"));
  EXPECT_EQ(form.Values().SMTPPORT, 258);
  // Backspace edits (the field's own rule drops it no more).
  Type(form.Edit42, Qt::Key_Backspace, QStringLiteral("\b"));
  EXPECT_EQ(form.Values().SMTPPORT, 25);
  Type(form.Edit42, Qt::Key_Up);
  EXPECT_EQ(form.Values().SMTPPORT, 26);
  // A port above the range cannot be typed.
  form.Edit42->selectAll();
  for (const char digit : std::string("70000"))
    Type(form.Edit42, Qt::Key_0 + (digit - '0'), QString(QLatin1Char(digit)));
  EXPECT_LE(form.Values().SMTPPORT, 65535);
  EXPECT_GE(form.Values().SMTPPORT, 1);
}

TEST(ConfigDialog, TestMailReachesTheServer) {
  TSmtpTestServer server;
  TCfgForm form(vxConfigDialog::SendTestMail);
  TvxExportSettings s;
  s.SMTPSERVER = u"127.0.0.1";
  s.SMTPPORT = server.Port();
  s.FROMADDRESS = u"export@example.org";
  s.FROMNAME = u"Export";
  s.RECIPIENT = u"Office <office@example.org>,archive@example.org";
  form.SetSettings(s);
  form.show();
  form.Button3->click();
  EXPECT_TRUE(form.xpTabSheet3->TabVisible());
  EXPECT_EQ(form.xpPageControl1->ActivePage(), form.xpTabSheet3);
  const std::string port = std::to_string(server.Port());
  EXPECT_EQ(MemoLines(form), (std::vector<std::string>{"Sender...: export@example.org (Export)",
                                                        "Recipient: Office <office@example.org>,archive@example.org",
                                                        "", "Sending test mail to 127.0.0.1:" + port + "...",
                                                        "Mail successfully delivered"}));
  const auto messages = server.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].RcptTo, (std::vector<std::string>{"office@example.org", "archive@example.org"}));
  const TReceivedMail mail(messages[0].Content);
  EXPECT_EQ(mail.HeaderUtf8("Subject"), "[TEST] " + WideToUtf8(TvxTools::GetProgramDescription()));
  EXPECT_EQ(mail.BodyUtf8(), "");
  // A second press starts the log afresh.
  form.Button3->click();
  EXPECT_EQ(MemoLines(form).size(), 5u);
}

TEST(ConfigDialog, RefusedTestMailWritesTheNestedText) {
  TCfgForm form(vxConfigDialog::SendTestMail);
  TvxExportSettings s;
  s.SMTPSERVER = u"127.0.0.1";
  s.SMTPPORT = vxDialogTest::ClosedPort();
  s.RECIPIENT = u"office@example.org";
  form.SetSettings(s);
  form.Button3->click();
  const std::vector<std::string> lines = MemoLines(form);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[4].rfind("Send mail exception (send mail exception (", 0), 0u) << lines[4];
  EXPECT_EQ(lines[4].substr(lines[4].size() - 2), ")!") << lines[4];
}
