// The user-interface library's two exported functions: the dialog for the
// export library's command 800, on the caller's thread, with the
// application object found or made there and kept until release.
#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QThread>
#include <memory>
#include <string>
#include <utility>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "plugin/ui/ConfigUnit.h"
#include "plugin/ui/vxStyler.h"
#include "plugin/ui/xpPages.h"
#include "plugin/vxConfigDialogCall.h"

namespace {

// The application object this library made (none when the host has its
// own); its arguments must outlive it.
struct TOwnApplication {
  int Argc = 1;
  std::string Name = "vxsmtpexport";
  std::string PlatformFlag = "-platform";
  std::string Platform;
  char* Argv[4] = {};
  std::unique_ptr<QApplication> Application;
};

// Owned, made by NeedApplication and ended by vxUiRelease (on a real
// unload only): a plain pointer, so that no static destructor of its own
// runs at some unknown point of the unload or the process's end.
TOwnApplication* OwnApplication = nullptr;

// Whether the toolkit carries the platform plugin Platform asks for (the
// toolkit would end the process when it does not).
bool PlatformInstalled(const std::string& Platform) {
  const QDir folder(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
  const QString pattern = QStringLiteral("libq") + QString::fromStdString(Platform) + QStringLiteral("*.so");
  return !folder.entryList({pattern}, QDir::Files).isEmpty();
}

// The application of the calling thread: the host's when it has one (it
// must be a widget application on this thread), else one made here.
void NeedApplication(const std::string& Platform) {
  if (QCoreApplication* existing = QCoreApplication::instance()) {
    if (qobject_cast<QApplication*>(existing) == nullptr)
      throw Exception(u"the host's application object has no widgets: the dialog cannot be shown");
    if (existing->thread() != QThread::currentThread())
      throw Exception(u"the dialog can only be shown on the thread of the host's application object");
    return;
  }
  if (!Platform.empty() && !PlatformInstalled(Platform))
    throw Exception(u"no display: the toolkit's platform plugin \"" + Utf8ToWide(Platform) + u"\" is not installed");
  auto own = std::make_unique<TOwnApplication>();
  own->Argv[0] = own->Name.data();
  if (!Platform.empty()) {
    own->Platform = Platform;
    own->Argv[1] = own->PlatformFlag.data();
    own->Argv[2] = own->Platform.data();
    own->Argc = 3;
  }
  own->Application = std::make_unique<QApplication>(own->Argc, own->Argv);
  OwnApplication = own.release();
}

// The styler ends with the application object it was started under.
void StylerEnds() { vxStyler::Finalize(); }

void NeedStyler() {
  if (vxStyler::Initialized()) return;
  vxStyler::Initialize();
  qAddPostRoutine(StylerEnds);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t vxUiConfigure(TvxConfigDialogCall* Call) noexcept {
  if (Call == nullptr) return -1;
  try {
    NeedApplication(Call->Platform);
    NeedStyler();
    TCfgForm form(Call->SendTestMail);
    form.SetSettings(Call->Settings);
    form.xpPageControl1->SetActivePage(form.TabSheet5);
    if (form.exec() != QDialog::Accepted) return 1;
    Call->Settings = form.Values();
    return 0;
  } catch (const Exception& e) {
    Call->Error = e.Message();
  } catch (const std::exception& e) {
    Call->Error = Utf8ToWide(e.what());
  } catch (...) {
    Call->Error = u"unknown exception";
  }
  return -1;
}

extern "C" __attribute__((visibility("default"))) void vxUiRelease() noexcept {
  try {
    if (vxStyler::Initialized()) {
      qRemovePostRoutine(StylerEnds);
      vxStyler::Finalize();
    }
    std::unique_ptr<TOwnApplication> own(std::exchange(OwnApplication, nullptr));
    own.reset();
  } catch (...) {
  }
}

// No finaliser of this library ends the application object. The export
// library calls vxUiRelease before it unloads this one; at the end of a
// process that never unloaded it, this library's finaliser would run after
// the toolkit's own static objects were destroyed, and ending the
// application object then crashes the process: it goes with the process.
