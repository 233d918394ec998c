// Helpers of the dialog tests: working the modal configuration dialog from
// inside its own loop, a port where nothing listens, and typing keys.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "plugin/ui/ConfigUnit.h"

namespace vxDialogTest {

// The dialog on screen, if any.
inline TCfgForm* OpenDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* form = dynamic_cast<TCfgForm*>(widget); form != nullptr && form->isVisible()) return form;
  return nullptr;
}

// Runs Action on the dialog once it shows (looking for it for up to ten
// seconds); the dialog is closed with Cancel afterwards unless Action
// closed it. Schedule it, then run the code that opens the dialog.
inline void WhenDialogShows(std::function<void(TCfgForm&)> Action) {
  auto tries = std::make_shared<int>(0);
  auto step = std::make_shared<std::function<void()>>();
  *step = [Action, tries, step] {
    if (TCfgForm* form = OpenDialog()) {
      Action(*form);
      if (form->isVisible()) form->reject();
      *step = nullptr;  // ends the cycle of the shared pointers
      return;
    }
    if (++*tries < 200) {
      QTimer::singleShot(50, [step] { if (*step) (*step)(); });
    } else {
      *step = nullptr;
    }
  };
  QTimer::singleShot(0, [step] { if (*step) (*step)(); });
}

// A port on 127.0.0.1 where nothing listens: taken and released again.
inline uint16_t ClosedPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t n = sizeof a;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
  ::close(s);
  return ntohs(a.sin_port);
}

// One key typed into Target: pressed and released.
inline void Type(QWidget* Target, int Key, const QString& Text = QString()) {
  QKeyEvent press(QEvent::KeyPress, Key, Qt::NoModifier, Text);
  QApplication::sendEvent(Target, &press);
  QKeyEvent release(QEvent::KeyRelease, Key, Qt::NoModifier, Text);
  QApplication::sendEvent(Target, &release);
}

}  // namespace vxDialogTest
