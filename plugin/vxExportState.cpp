// The module state of the export library and its clearing at unload.
#include "plugin/vxExportState.h"

#include <type_traits>

#include "platform/base/vxNeverDestroyed.h"

void TvxExportState::Clear() {
  // The sixteen texts of the module, and the lists with them; each emptied
  // with its memory given back, so that an unloaded library leaves nothing.
  const auto empty = [](auto& Text) { std::remove_reference_t<decltype(Text)>().swap(Text); };
  empty(DocumentText);
  empty(InitText);
  empty(ExportSettings.SUBJECT);
  empty(ExportSettings.BODY);
  empty(ExportSettings.RECIPIENT);
  empty(ExportSettings.CC);
  empty(ExportSettings.BCC);
  empty(ExportSettings.FROMADDRESS);
  empty(ExportSettings.FROMNAME);
  empty(FieldListText);
  empty(ConfigString);
  empty(ExportSettings.SMTPSERVER);
  empty(ExportSettings.USERNAME);
  empty(ExportSettings.PASSWORD);
  empty(UserName);
  empty(HostName);
  DocumentFields.reset();
  DocumentFiles.reset();
}

TvxExportState& vxExportState() {
  // Never destroyed: the unload empties it, and a host that ends without
  // unloading the library runs the unload after the static destructors.
  static TNeverDestroyed<TvxExportState> state;
  return state.Get();
}
