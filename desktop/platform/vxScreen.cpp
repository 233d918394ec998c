// The screen and the application's windows on Qt.
#include "desktop/platform/vxScreen.h"

#include <QApplication>
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include "desktop/platform/vxGuiApplication.h"

namespace vxScreen {

bool GrabJpeg(bool ActiveWindow, int Quality, std::string& Jpeg, std::string& Reason) {
  if (!vxGuiApplication::Acquire(Reason)) return false;
  QWindow* window = ActiveWindow ? QGuiApplication::focusWindow() : nullptr;
  QScreen* screen = window ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) {
    Reason = "no screen";
    return false;
  }
  QPixmap pixmap;
  if (window) {
    // The area the window covers on its screen, frame included.
    const QRect frame = window->frameGeometry().translated(-screen->geometry().topLeft());
    pixmap = screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
  } else {
    pixmap = screen->grabWindow(0);
  }
  if (pixmap.isNull()) {
    Reason = "the screen could not be grabbed";
    return false;
  }
  const QImage image = pixmap.toImage().convertToFormat(QImage::Format_RGB888);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setQuality(std::clamp(Quality, 1, 100));
  if (!writer.write(image)) {
    Reason = "JPEG encoding failed: " + writer.errorString().toStdString();
    return false;
  }
  Jpeg.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
  return true;
}

ustring ActiveWindowTitle() {
  std::string reason;
  if (!vxGuiApplication::Acquire(reason)) return {};
  const QWindow* window = QGuiApplication::focusWindow();
  return window ? window->title().toStdU16String() : ustring();
}

void RaiseApplication() {
  std::string reason;
  if (!vxGuiApplication::Acquire(reason)) return;
  QWidget* target = QApplication::activeWindow();
  if (!target) {
    const auto windows = QApplication::topLevelWidgets();
    const auto visible = std::find_if(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); });
    if (visible == windows.end()) return;
    target = *visible;
  }
  target->raise();
  target->activateWindow();
}

}  // namespace vxScreen
