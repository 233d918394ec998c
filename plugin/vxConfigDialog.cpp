// The export library's half of the configuration dialog: finding and
// loading the user-interface library, the call into it, and the test mail.
#include "plugin/vxConfigDialog.h"

#include "core/vxStartup.h"
#include "core/vxToolsModule.h"
#include "platform/base/vxNeverDestroyed.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileSystem.h"
#include "platform/process/vxDisplay.h"
#include "platform/version/vxModule.h"
#include "platform/version/vxModuleLoader.h"
#include "plugin/vxConfigDialogCall.h"
#include "plugin/vxExportConfig.h"
#include "plugin/vxMailTools.h"

namespace vxConfigDialog {
namespace {

// The user-interface library, loaded on first use and kept until unload.
struct TUiLibrary {
  TModuleLoader Module;
  TvxUiConfigure Configure = nullptr;
  TvxUiRelease Release = nullptr;
};

// Never destroyed: its destructor would unload the user-interface library
// among the exit handlers, under the toolkit's feet, and Release may run
// after them (a host that ends without unloading this library).
TNeverDestroyed<TUiLibrary>& UiLibraryHolder() {
  static TNeverDestroyed<TUiLibrary> holder;
  return holder;
}

TUiLibrary& UiLibrary() { return UiLibraryHolder().Get(); }

TUiLibrary& LoadUiLibrary() {
  TUiLibrary& library = UiLibrary();
  if (library.Module.Loaded()) return library;
  const ustring folder = vxFileSystem::ExtractFilePath(vxModule::OwnModuleFileName());
  library.Module.Load(folder + vxUiLibraryName);
  try {
    library.Configure = reinterpret_cast<TvxUiConfigure>(library.Module.Symbol(vxUiConfigureName));
    library.Release = reinterpret_cast<TvxUiRelease>(library.Module.Symbol(vxUiReleaseName));
  } catch (...) {
    library.Module.Unload();
    throw;
  }
  return library;
}

}  // namespace

int32_t Configure(TvxExportState& State) {
  // Without a display the toolkit would end the whole process: the check
  // comes before the library (and the toolkit with it) is even loaded.
  const TDisplayCheck display = vxDisplay::CheckDisplay();
  if (!display.Usable) throw Exception(u"the configuration dialog cannot be shown: " + display.Reason);
  TUiLibrary& library = LoadUiLibrary();
  TvxConfigDialogCall call;
  call.Settings = State.ExportSettings;
  call.SendTestMail = SendTestMail;
  call.Platform = display.Platform;
  const int32_t result = library.Configure(&call);
  if (result < 0) throw Exception(call.Error);
  if (result == 0) State.ConfigString = vxExportConfig::BuildConfigString(call.Settings);
  return result == 0 ? 0 : 1;
}

bool SendTestMail(const TvxExportSettings& Values, ustring& Message) {
  TvxMailTools mail;
  mail.SMTPServer = Values.SMTPSERVER;
  mail.SMTPPort = Values.SMTPPORT;
  mail.Sender = Values.FROMADDRESS;
  mail.SenderName = Values.FROMNAME;
  mail.Authentication = Values.AUTHENTICATION;
  mail.Username = Values.USERNAME;
  mail.Password = Values.PASSWORD;
  mail.UseTLS = Values.USETLS;
  mail.UseSASL = Values.USESASL;
  const bool sent =
      mail.SendMail(Values.RECIPIENT, u"", u"", u"[TEST] " + TvxTools::GetProgramDescription(), u"", vxMT_SMTP);
  Message = mail.Message;
  return sent;
}

void Release() noexcept {
  // When the process is ending, the toolkit's own static objects are gone
  // already: ending its application object now would crash the process.
  // The user-interface library stays loaded and its application object
  // goes with the process.
  if (vxStartup::ProcessEnding()) return;
  TUiLibrary& library = UiLibrary();
  if (!library.Module.Loaded()) return;
  if (library.Release != nullptr) library.Release();
  library.Configure = nullptr;
  library.Release = nullptr;
  library.Module.Unload();
  UiLibraryHolder().Reset();
}

}  // namespace vxConfigDialog
