// A host process for the dialog test on a real X display: it loads the
// export library, asks for the dialog (command 800) and, from a second
// thread, has the dialog accepted once it shows. It prints the result, the
// configuration string and the toolkit platform the dialog ran on.
// Usage: vxDialogPeer EXPORT_LIBRARY
#include <dlfcn.h>

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using TEntry = int32_t (*)(int32_t, char16_t*, int32_t, char16_t*);

std::string Utf8(const char16_t* Text) { return QString::fromUtf16(Text).toStdString(); }

int32_t Call(TEntry Entry, int32_t Command, const std::u16string& Input, std::string& Text, std::string& Buffer) {
  std::vector<char16_t> text(1 << 16, u'\0'), buffer(1 << 16, u'\0');
  std::copy(Input.begin(), Input.end(), text.begin());
  const int32_t result = Entry(Command, text.data(), 0, buffer.data());
  Text = Utf8(text.data());
  Buffer = Utf8(buffer.data());
  return result;
}

std::string Platform;

// On the application's thread: accept the dialog when it shows, else look
// again a little later.
void AcceptWhenShown(int Tries) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QStringLiteral("CfgForm") && widget->isVisible()) {
      Platform = QGuiApplication::platformName().toStdString();
      static_cast<QDialog*>(widget)->accept();
      return;
    }
  }
  if (Tries > 0) QTimer::singleShot(50, [Tries] { AcceptWhenShown(Tries - 1); });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return 3;
  const auto entry = reinterpret_cast<TEntry>(dlsym(library, "vxWideExport"));
  if (entry == nullptr) return 3;
  std::string text, buffer;
  Call(entry, 100, u"", text, buffer);
  Call(entry, 110, u"<CONFIG><SMTPSERVER=relay1><SMTPPORT=2525></CONFIG>", text, buffer);
  // The library makes the application object on this thread when 800
  // starts; the helper waits for it (twenty seconds at most) and hands the
  // acceptance over to that thread.
  std::atomic<bool> done{false};
  std::thread helper([&done] {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done && std::chrono::steady_clock::now() < until) {
      if (QCoreApplication* application = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(application, [] { AcceptWhenShown(400); }, Qt::QueuedConnection);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  const int32_t result = Call(entry, 800, u"", text, buffer);
  done = true;
  helper.join();
  std::cout << result << "|" << text << "|" << buffer << "|" << Platform << "\n";
  Call(entry, 900, u"", text, buffer);
  // The unload ends the application object the library made.
  dlclose(library);
  std::cout << "unloaded\n";
  return 0;
}
