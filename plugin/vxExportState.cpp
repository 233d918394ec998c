// The module state of the export library and its clearing at unload.
#include "plugin/vxExportState.h"

void TvxExportState::Clear() {
  // The sixteen texts of the module, and the lists with them.
  DocumentText.clear();
  InitText.clear();
  ExportSettings.SUBJECT.clear();
  ExportSettings.BODY.clear();
  ExportSettings.RECIPIENT.clear();
  ExportSettings.CC.clear();
  ExportSettings.BCC.clear();
  ExportSettings.FROMADDRESS.clear();
  ExportSettings.FROMNAME.clear();
  FieldListText.clear();
  ConfigString.clear();
  ExportSettings.SMTPSERVER.clear();
  ExportSettings.USERNAME.clear();
  ExportSettings.PASSWORD.clear();
  UserName.clear();
  HostName.clear();
  DocumentFields.reset();
  DocumentFiles.reset();
}

TvxExportState& vxExportState() {
  static TvxExportState state;
  return state;
}
