// The command protocol of the export library: the guard, the start-up
// outcome and one handler per command code.
#include "plugin/vxExportCommands.h"

#include <exception>
#include <vector>

#include "core/vxToolsSystem.h"
#include "configstore/vxConfigStoreStartup.h"
#include "foundation/vxVarlo.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "plugin/vxConfigDialog.h"
#include "plugin/vxExportConfig.h"
#include "plugin/vxExportDocument.h"
#include "plugin/vxExportState.h"
#include "plugin/vxMailTools.h"

// Named when the export library is linked, so that the linker takes this
// unit (and everything under it) before the library's entry.
extern "C" const char vxExportCommandsAnchor = 0;

namespace vxExportCommands {
namespace {

ustring ReadText(const char16_t* Text) { return Text ? ustring(Text) : ustring(); }

// Copies Value into the caller's buffer up to its first NUL, then a NUL.
void WriteText(char16_t* Target, const ustring& Value) noexcept {
  if (Target == nullptr) return;
  size_t n = 0;
  for (; n < Value.size() && Value[n] != u'\0'; ++n) Target[n] = Value[n];
  Target[n] = u'\0';
}

int32_t Fail(char16_t* Buffer, const ustring& Text) noexcept {
  WriteText(Buffer, Text);
  return -1;
}

ustring Unexpected(const ustring& Message) { return u"unexpected process exception (" + Message + u")"; }

// Commands 200 to 600 work on the lists that 100 makes and 900 releases.
void NeedLists(const TvxExportState& State) {
  if (!State.DocumentFields || !State.DocumentFiles)
    throw Exception(u"no document lists: command 100 (init) must come first, and again after command 900 (done)");
}

void Init(TvxExportState& State, const ustring& Text) {
  State.InitText = Text;
  State.DocumentFields.emplace();
  State.DocumentFiles.emplace();
  State.ConfigString.clear();
  TvxExportSettings& S = State.ExportSettings;
  S.SMTPSERVER.clear();
  S.SMTPPORT = 25;
  S.ZIPMAILATM = false;
  S.INSERTFLDS = true;
  S.FROMADDRESS = TvxMailTools::DefaultSender;
  S.FROMNAME = vxDefaultFromName;
  S.AUTHENTICATION = false;
  S.USERNAME.clear();
  S.PASSWORD.clear();
  S.USETLS = false;
  S.USESASL = false;
  // The user principal name and the fully qualified DNS name of the computer.
  State.UserName = TvxTools::GetUserNameEx(8);
  State.HostName = TvxTools::GetComputerNameEx(3);
}

int32_t SetConfig(TvxExportState& State, const ustring& Text) {
  State.ConfigString = WideToAnsi(Text);
  return vxExportConfig::ReadConfigString(State.ConfigString, State.ExportSettings) ? 0 : -1;
}

int32_t Run(int32_t Command, char16_t* Text, char16_t* Buffer) {
  TvxExportState& State = vxExportState();
  switch (Command) {
    case cmdInit:
      Init(State, ReadText(Text));
      return 0;
    case cmdGetVersion:
      WriteText(Text, TvxVarlo::GetProgramVersionString());
      return 0;
    case cmdSetConfig:
      return SetConfig(State, ReadText(Text));
    case cmdGetTempPath:
      WriteText(Text, TvxVarlo::GetTempPath(true, false));
      return 0;
    case cmdSetRecipient:
      if (const ustring recipient = ReadText(Text); !recipient.empty()) State.ExportSettings.RECIPIENT = recipient;
      return 0;
    case cmdNewDocument:
      NeedLists(State);
      State.DocumentFiles->clear();
      State.DocumentFields->clear();
      State.DocumentText.clear();
      return 0;
    case cmdSetText:
      State.DocumentText = ReadText(Text);
      return 0;
    case cmdAddField:
      NeedLists(State);
      State.DocumentFields->push_back(ReadText(Text));
      return 0;
    case cmdAddFile:
      NeedLists(State);
      State.DocumentFiles->push_back(ReadText(Text));
      return 0;
    case cmdExport: {
      NeedLists(State);
      ustring failure;
      const int32_t result = vxExportDocument::Export(State, failure);
      if (result != 0) return Fail(Buffer, failure);
      return 0;
    }
    case cmdConfigure: {
      // The host gets the configuration string back whatever the dialog did.
      int32_t result = 0;
      try {
        result = vxConfigDialog::Configure(State);
      } catch (...) {
        WriteText(Text, AnsiToWide(State.ConfigString));
        throw;
      }
      WriteText(Text, AnsiToWide(State.ConfigString));
      return result;
    }
    case cmdGetConfig:
      WriteText(Text, AnsiToWide(State.ConfigString));
      return 0;
    case cmdDone:
      State.DocumentFields.reset();
      State.DocumentFiles.reset();
      return 0;
    default:
      return 0;
  }
}

int32_t Guarded(int32_t Command, char16_t* Text, char16_t* Buffer) {
  try {
    if (vxStartup::Failed()) return Fail(Buffer, Unexpected(vxStartup::FailureMessage()));
    return Run(Command, Text, Buffer);
  } catch (const Exception& e) {
    return Fail(Buffer, Unexpected(e.Message()));
  } catch (const std::exception& e) {
    return Fail(Buffer, Unexpected(Utf8ToWide(e.what())));
  } catch (...) {
    return Fail(Buffer, u"unexpected process exception (unknown exception)");
  }
}

}  // namespace

int32_t Execute(int32_t Command, char16_t* Text, int32_t /*Value*/, char16_t* Buffer) noexcept {
  try {
    return Guarded(Command, Text, Buffer);
  } catch (...) {
    // Even the failure text could not be made (no memory left).
    return -1;
  }
}

void Startup(std::span<const vxStartup::TStartupStep> ExtraSteps) noexcept {
  try {
    const std::span<const vxStartup::TStartupStep> units = vxConfigStoreStartup::LibrarySteps();
    std::vector<vxStartup::TStartupStep> steps(units.begin(), units.end());
    steps.insert(steps.end(), ExtraSteps.begin(), ExtraSteps.end());
    // The units started before a failing one are finalised at once.
    if (!vxStartup::Run(steps)) vxStartup::Shutdown();
  } catch (...) {
    // Run records a failing step itself; only memory can fail here.
  }
}

void Shutdown() noexcept {
  vxConfigDialog::Release();
  vxStartup::Shutdown();
  vxExportState().Clear();
  vxStartup::Release();
}

}  // namespace vxExportCommands
