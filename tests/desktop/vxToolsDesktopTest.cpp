// Tests of the desktop operations on a virtual X server: screen shots, the
// clipboard as another X client reads it, the dialogs driven by a timer,
// the application's windows; and every operation without a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <random>

#include "desktop/platform/vxClipboard.h"
#include "desktop/platform/vxDialogs.h"
#include "desktop/platform/vxGuiApplication.h"
#include "desktop/vxToolsDesktop.h"
#include "desktop/vxXcbClipboardReader.h"
#include "support/vxRaisedMessage.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"
#include "support/vxXvfb.h"

// Under LeakSanitizer: what D-Bus and fontconfig keep for the process's life
// once Qt has used them is not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\nleak:libfontconfig.so\n"; }

namespace {

// Runs the event loop until Condition holds (checked every 10 ms), at most
// five seconds; whether it came to hold.
bool WaitUntil(const std::function<bool()>& Condition) {
  if (Condition()) return true;
  QEventLoop loop;
  QTimer check, limit;
  QObject::connect(&check, &QTimer::timeout, [&] {
    if (Condition()) loop.quit();
  });
  QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
  check.start(10);
  limit.setSingleShot(true);
  limit.start(5000);
  loop.exec();
  return Condition();
}

// Acts on the next modal dialog once it is open, from the dialog's own event
// loop (as a user would). The timer belongs to the application and goes
// once it has acted.
void WhenModal(std::function<void(QWidget*)> Act) {
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [timer, Act] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      Act(dialog);
    }
  });
  timer->start(10);
}

// A top-level window of one colour, or of noise, at the screen's top left.
std::unique_ptr<QLabel> ShowWindow(const QString& Title, QColor Colour, bool Noise = false) {
  QImage image(400, 300, QImage::Format_RGB32);
  image.fill(Colour);
  if (Noise) {
    std::mt19937 random(7);
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, random() & 0xFFFFFF);
  }
  auto window = std::make_unique<QLabel>();
  window->setWindowTitle(Title);
  window->setPixmap(QPixmap::fromImage(image));
  window->setContentsMargins(0, 0, 0, 0);
  window->setFixedSize(image.size());
  window->move(0, 0);
  window->show();
  if (!WaitUntil([&] { return window->windowHandle() && window->windowHandle()->isExposed(); })) return nullptr;
  return window;
}

bool Activate(QWidget& Window) {
  Window.activateWindow();
  return WaitUntil([&] { return QGuiApplication::focusWindow() == Window.windowHandle(); });
}

bool Near(QRgb Pixel, QColor Colour) {
  return std::abs(qRed(Pixel) - Colour.red()) < 24 && std::abs(qGreen(Pixel) - Colour.green()) < 24 &&
         std::abs(qBlue(Pixel) - Colour.blue()) < 24;
}

class Desktop : public testing::Test {
 protected:
  void SetUp() override {
    if (!vxTest::SharedXvfb())
      GTEST_SKIP() << "no display for the desktop tests: Xvfb could not start (" << vxTest::SharedXvfbFailure() << ")";
    std::string reason;
    ASSERT_TRUE(vxGuiApplication::Acquire(reason)) << reason;
  }

  TTestTempDir FDir{"vxdesktop"};
};

TEST_F(Desktop, ScreenShotOfTheWholeScreenIsAJpegOfItsSize) {
  const auto window = ShowWindow("red", QColor(200, 40, 40));
  ASSERT_TRUE(window);
  const std::string file = FDir.File("screen.jpg");
  ASSERT_TRUE(TvxTools::TakeScreenShot(FDir.WideFile("screen.jpg"), false, 90));
  EXPECT_EQ(TTestTempDir::ReadBytes(file).substr(0, 3), "\xFF\xD8\xFF");
  QImageReader reader(QString::fromStdString(file));
  EXPECT_EQ(reader.format(), "jpeg");
  const QImage image = reader.read();
  EXPECT_EQ(image.size(), QSize(1024, 768));
  EXPECT_EQ(image.size(), QGuiApplication::primaryScreen()->size());
  // The window is in it, the empty screen beside it.
  EXPECT_TRUE(Near(image.pixel(200, 150), QColor(200, 40, 40)));
  EXPECT_TRUE(Near(image.pixel(800, 600), QColor(0, 0, 0)));
}

TEST_F(Desktop, ScreenShotOfTheActiveWindowHasTheWindowsSize) {
  const auto window = ShowWindow("green", QColor(40, 200, 40));
  ASSERT_TRUE(window);
  ASSERT_TRUE(Activate(*window));
  ASSERT_TRUE(TvxTools::TakeScreenShot(FDir.WideFile("window.jpg"), true, 90));
  const QImage image(QString::fromStdString(FDir.File("window.jpg")));
  EXPECT_EQ(image.size(), window->windowHandle()->frameGeometry().size());
  EXPECT_TRUE(Near(image.pixel(10, 10), QColor(40, 200, 40)));
  EXPECT_TRUE(Near(image.pixel(390, 290), QColor(40, 200, 40)));
}

TEST_F(Desktop, ScreenShotWithoutAnActiveWindowTakesTheScreen) {
  ASSERT_EQ(QGuiApplication::focusWindow(), nullptr);
  ASSERT_TRUE(TvxTools::TakeScreenShot(FDir.WideFile("screen.jpg"), true, 50));
  EXPECT_EQ(QImage(QString::fromStdString(FDir.File("screen.jpg"))).size(), QSize(1024, 768));
}

TEST_F(Desktop, ScreenShotQualityChangesTheJpeg) {
  const auto window = ShowWindow("noise", Qt::black, true);
  ASSERT_TRUE(window);
  ASSERT_TRUE(TvxTools::TakeScreenShot(FDir.WideFile("low.jpg"), false, 10));
  ASSERT_TRUE(TvxTools::TakeScreenShot(FDir.WideFile("high.jpg"), false, 95));
  EXPECT_GT(TTestTempDir::ReadBytes(FDir.File("high.jpg")).size(),
            2 * TTestTempDir::ReadBytes(FDir.File("low.jpg")).size());
  // Out of range qualities are taken as the nearest of 1..100.
  ASSERT_TRUE(TvxTools::TakeScreenShot(FDir.WideFile("zero.jpg"), false, 0));
  ASSERT_TRUE(TvxTools::TakeScreenShot(FDir.WideFile("one.jpg"), false, 1));
  EXPECT_EQ(TTestTempDir::ReadBytes(FDir.File("zero.jpg")), TTestTempDir::ReadBytes(FDir.File("one.jpg")));
  ASSERT_TRUE(TvxTools::TakeScreenShot(FDir.WideFile("huge.jpg"), false, 1000));
  ASSERT_TRUE(TvxTools::TakeScreenShot(FDir.WideFile("hundred.jpg"), false, 100));
  EXPECT_EQ(TTestTempDir::ReadBytes(FDir.File("huge.jpg")), TTestTempDir::ReadBytes(FDir.File("hundred.jpg")));
}

TEST_F(Desktop, ScreenShotIntoAMissingFolderFailsAndLeavesNothing) {
  EXPECT_FALSE(TvxTools::TakeScreenShot(FDir.WideFile("missing/shot.jpg"), false, 90));
  EXPECT_FALSE(TvxTools::TakeScreenShot(u"", false, 90));
  EXPECT_EQ(FDir.Listing(), "");
}

TEST_F(Desktop, ClipboardOffersHtmlTheBlockAndPlainTextToOtherClients) {
  ASSERT_TRUE(TvxTools::CopyHTMLToClipBoard(u"plain \u00E4", u"<b>x</b>"));
  EXPECT_EQ(vxTest::ReadClipboardAs("UTF8_STRING"), "plain \xC3\xA4");
  EXPECT_EQ(vxTest::ReadClipboardAs("text/plain"), "plain \xC3\xA4");
  EXPECT_EQ(vxTest::ReadClipboardAs("text/html"), "<b>x</b>");
  const std::optional<std::string> block = vxTest::ReadClipboardAs("HTML Format");
  ASSERT_TRUE(block);
  EXPECT_EQ(block->size(), 92u);
  EXPECT_NE(block->find("EndFragment:000091\r\n<b>x</b>\r\n"), std::string::npos);
  EXPECT_EQ(block->back(), '\0');
  // In this process too.
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->text().toStdU16String(), u"plain \u00E4");

  // A second copy replaces all of it.
  ASSERT_TRUE(TvxTools::CopyHTMLToClipBoard(u"second", u"<i>y</i>"));
  EXPECT_EQ(vxTest::ReadClipboardAs("UTF8_STRING"), "second");
  EXPECT_EQ(vxTest::ReadClipboardAs("text/html"), "<i>y</i>");
}

TEST_F(Desktop, ShowMessageShowsTheVariantsTextAndReturnsWhenClosed) {
  struct Case {
    Variant Value;
    QString Text;
  };
  const Case cases[] = {{Variant(int32_t{42}), "42"}, {Variant(u"Hallo \u00E4"), QString::fromUtf8("Hallo ä")},
                        {Variant(), ""}};
  for (const Case& c : cases) {
    QString shown;
    qsizetype buttons = -1;
    WhenModal([&](QWidget* dialog) {
      auto* box = qobject_cast<QMessageBox*>(dialog);
      if (!box) return dialog->close();
      shown = box->text();
      buttons = box->buttons().size();
      box->button(QMessageBox::Ok)->click();
      return true;
    });
    EXPECT_TRUE(TvxTools::ShowMessage(c.Value));
    EXPECT_EQ(shown, c.Text);
    EXPECT_EQ(buttons, 1);
  }
  // What the variant cannot give as text is raised before anything shows.
  EXPECT_THROW(TvxTools::ShowMessage(Variant::Null()), EVariantTypeCastError);
}

// What the dialog showed, and what the test typed into it.
struct TCredentialsSeen {
  QString Title, UserName, Password;
  bool PasswordHidden = false;
  bool MessageShown = false;
};

void AnswerCredentials(TCredentialsSeen& Seen, std::optional<std::pair<QString, QString>> Typed, bool Confirm) {
  WhenModal([&Seen, Typed, Confirm](QWidget* dialog) {
    auto* user = dialog->findChild<QLineEdit*>(vxDialogs::UserNameField);
    auto* password = dialog->findChild<QLineEdit*>(vxDialogs::PasswordField);
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    if (!user || !password || !buttons) return dialog->close();
    Seen.Title = dialog->windowTitle();
    Seen.UserName = user->text();
    Seen.Password = password->text();
    Seen.PasswordHidden = password->echoMode() == QLineEdit::Password;
    for (const QLabel* label : dialog->findChildren<QLabel*>()) Seen.MessageShown |= label->text() == "Please log in";
    if (Typed) {
      user->setText(Typed->first);
      password->setText(Typed->second);
    }
    buttons->button(Confirm ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    return true;
  });
}

TEST_F(Desktop, CredentialsConfirmedGiveWhatWasEntered) {
  ustring user = u"alice", password = u"old";
  TCredentialsSeen seen;
  AnswerCredentials(seen, std::pair<QString, QString>("bob", QString::fromUtf8("s\u00E9cret")), true);
  EXPECT_TRUE(TvxTools::PromptForCredentials(u"Mail server", u"Please log in", user, password));
  EXPECT_EQ(seen.Title, "Mail server");
  EXPECT_TRUE(seen.MessageShown);
  EXPECT_EQ(seen.UserName, "alice");
  EXPECT_EQ(seen.Password, "old");
  EXPECT_TRUE(seen.PasswordHidden);
  EXPECT_EQ(user, u"bob");
  EXPECT_EQ(password, u"s\u00E9cret");
}

TEST_F(Desktop, CredentialsCancelledKeepWhatWasGiven) {
  ustring user = u"alice", password = u"old";
  TCredentialsSeen seen;
  AnswerCredentials(seen, std::pair<QString, QString>("mallory", "guess"), false);
  EXPECT_FALSE(TvxTools::PromptForCredentials(u"Mail server", u"Please log in", user, password));
  EXPECT_EQ(user, u"alice");
  EXPECT_EQ(password, u"old");
}

// Texts longer than the fields take when typing are kept whole, confirmed
// unchanged or cancelled.
TEST_F(Desktop, CredentialsLongerThanTheFieldsAreKeptWhole) {
  for (bool confirm : {true, false}) {
    ustring user(2000, u'u'), password(700, u'p');
    TCredentialsSeen seen;
    AnswerCredentials(seen, std::nullopt, confirm);
    EXPECT_EQ(TvxTools::PromptForCredentials(u"c", u"m", user, password), confirm);
    EXPECT_EQ(seen.UserName.size(), 2000);
    EXPECT_EQ(user, ustring(2000, u'u'));
    EXPECT_EQ(password, ustring(700, u'p'));
  }
}

TEST_F(Desktop, ActiveWindowTitleAndBringingTheApplicationToTheFront) {
  EXPECT_EQ(TvxTools::GetActiveWindowTitle(), u"");
  EXPECT_TRUE(TvxTools::PushApplicationToFront());  // no window: nothing to do
  const auto window = ShowWindow(QString::fromUtf8("Bericht \u00FCber M\u00E4rz"), Qt::blue);
  ASSERT_TRUE(window);
  EXPECT_TRUE(TvxTools::PushApplicationToFront());
  ASSERT_TRUE(WaitUntil([&] { return QGuiApplication::focusWindow() == window->windowHandle(); }));
  EXPECT_EQ(TvxTools::GetActiveWindowTitle(), u"Bericht \u00FCber M\u00E4rz");
  window->close();
  ASSERT_TRUE(WaitUntil([] { return QGuiApplication::focusWindow() == nullptr; }));
  EXPECT_EQ(TvxTools::GetActiveWindowTitle(), u"");
}

TEST(DesktopKeyboard, ThereIsNoKeyboardQueueToEmpty) { EXPECT_EQ(TvxTools::ClearKeyboardBuffer(), 0); }

// Without a usable display nothing aborts the process and no Qt application
// is made: each operation gives its failure.
TEST(DesktopWithoutDisplay, EveryOperationFailsCleanly) {
  if (QCoreApplication::instance())
    GTEST_SKIP() << "a Qt application already runs in this process; run this test in a process of its own";
  struct Case {
    std::optional<std::string> Display, Platform;
    std::string Reason;
  };
  const Case cases[] = {
      {std::nullopt, std::nullopt, "no display (DISPLAY is not set)"},
      {":65000", std::nullopt, "the display ':65000' cannot be opened"},
      {":65000", "xcb", "the display ':65000' cannot be opened"},
      {std::nullopt, "wayland", "the Qt platform 'wayland' is not available"},
  };
  TTestTempDir dir("vxdesktop");
  for (const Case& c : cases) {
    vxTest::TScopedEnv display("DISPLAY", c.Display);
    vxTest::TScopedEnv platform("QT_QPA_PLATFORM", c.Platform);
    std::string reason;
    EXPECT_FALSE(vxGuiApplication::Acquire(reason));
    EXPECT_EQ(reason, c.Reason);
    EXPECT_FALSE(TvxTools::TakeScreenShot(dir.WideFile("shot.jpg"), false, 90));
    ustring user = u"alice", password = u"old";
    EXPECT_FALSE(TvxTools::PromptForCredentials(u"c", u"m", user, password));
    EXPECT_EQ(user, u"alice");
    EXPECT_EQ(password, u"old");
    EXPECT_EQ(vxTest::RaisedMessage([] { TvxTools::ShowMessage(u"hello"); }), "Cannot show a message: " + c.Reason);
    EXPECT_EQ(vxTest::RaisedMessage([] { TvxTools::CopyHTMLToClipBoard(u"p", u"<b>x</b>"); }),
              "Cannot open clipboard: " + c.Reason);
    EXPECT_THROW(TvxTools::CopyHTMLToClipBoard(u"p", u"<b>x</b>"), EClipboardException);
    EXPECT_EQ(TvxTools::GetActiveWindowTitle(), u"");
    EXPECT_TRUE(TvxTools::PushApplicationToFront());
    EXPECT_EQ(TvxTools::ClearKeyboardBuffer(), 0);
    EXPECT_EQ(dir.Listing(), "");
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
  }
}

}  // namespace
