// The module state of the export library: the settings of the mail, the
// current document's fields and files, the configuration string and the
// texts the commands keep. One instance per loaded library, used from one
// thread at a time (the host must not call in from two threads at once).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/vxBase.h"

// The settings of the mail, each named by its configuration key (BODY, CC
// and BCC have none: only the fields of a document set them).
struct TvxExportSettings {
  ustring SMTPSERVER;
  int32_t SMTPPORT = 0;
  bool ZIPMAILATM = false;
  bool INSERTFLDS = false;
  bool SENDEMLS = false;
  ustring FROMADDRESS;
  ustring FROMNAME;
  ustring RECIPIENT;  // addresses separated by ","
  ustring SUBJECT;
  ustring BODY;
  ustring CC;
  ustring BCC;
  bool AUTHENTICATION = false;
  ustring USERNAME;
  ustring PASSWORD;  // plain
  bool USETLS = false;
  bool USESASL = false;
};

// The sender address that command 100 sets is the mail engine's default
// (TvxMailTools::DefaultSender). The sender name that command 100 sets:
inline constexpr char16_t vxDefaultFromName[] = u"varlo Services";

struct TvxExportState {
  std::string ConfigString;  // 8-bit, system code page
  // Absent before command 100 and after command 900.
  std::optional<std::vector<ustring>> DocumentFields;  // "name=value" per command 400
  std::optional<std::vector<ustring>> DocumentFiles;   // one path per command 500
  ustring FieldListText;
  ustring InitText;
  ustring DocumentText;
  ustring UserName;
  ustring HostName;
  TvxExportSettings ExportSettings;

  // What unload does: every text emptied, the lists released.
  void Clear();
};

// The state of this library.
TvxExportState& vxExportState();
