// The Qt application of the desktop operations.
#include "desktop/platform/vxGuiApplication.h"

#include <stdlib.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QThread>
#include <clocale>
#include <memory>
#include <string_view>

namespace vxGuiApplication {

namespace {

// The platform plugin Qt would load: QT_QPA_PLATFORM up to its options, else
// the X11 plugin (the only desktop one built here).
std::string PlatformName() {
  const char* chosen = getenv("QT_QPA_PLATFORM");
  std::string name = chosen && *chosen ? chosen : "xcb";
  return name.substr(0, name.find(':'));
}

}  // namespace

bool DisplayUsable(std::string& Reason) {
  const std::string platform = PlatformName();
  if (platform == "offscreen" || platform == "minimal") return true;
  if (platform != "xcb") {
    Reason = "the Qt platform '" + platform + "' is not available";
    return false;
  }
  const char* display = getenv("DISPLAY");
  if (!display || !*display) {
    Reason = "no display (DISPLAY is not set)";
    return false;
  }
  // Qt ends the process when its X11 plugin cannot connect: try first.
  xcb_connection_t* connection = xcb_connect(display, nullptr);
  const bool failed = xcb_connection_has_error(connection) != 0;
  xcb_disconnect(connection);  // also frees a connection in error
  if (failed) {
    Reason = std::string("the display '") + display + "' cannot be opened";
    return false;
  }
  return true;
}

bool Acquire(std::string& Reason) {
  if (!QCoreApplication::instance()) {
    if (!DisplayUsable(Reason)) return false;
    // The application keeps references to its arguments for its life.
    static int argc = 1;
    static char name[] = "vxdesktop";
    static char* argv[] = {name, nullptr};
    // Qt sets the C locale from the environment; the host's stays as it was.
    const std::string locale = std::setlocale(LC_ALL, nullptr);
    // Made once and never destroyed: Qt's own process-wide objects may be
    // gone by the time static destructors run, and the host may still use it.
    static QApplication* application = std::make_unique<QApplication>(argc, argv).release();
    std::setlocale(LC_ALL, locale.c_str());
    (void)application;
  }
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
    Reason = "the process's Qt application has no widgets";
    return false;
  }
  if (QThread::currentThread() != QCoreApplication::instance()->thread()) {
    Reason = "not called on the thread of the Qt application";
    return false;
  }
  return true;
}

}  // namespace vxGuiApplication
