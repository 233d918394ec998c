// The export of one document: resolve, relay, compose, send, clean up.
#include "plugin/vxExportDocument.h"

#include <array>
#include <exception>
#include <utility>

#include "core/vxFiles.h"
#include "core/vxStrings.h"
#include "core/vxToolsEvo2.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileSystem.h"
#include "platform/files/vxPrivateFolder.h"
#include "plugin/vxFailedMails.h"
#include "plugin/vxMailTools.h"

namespace vxExportDocument {
namespace {

// One field of the document: the text before the first "=" and after it; a
// field without "=" has no name and its whole text as value.
struct TField {
  ustring Name, Value;
};

TField SplitField(const ustring& Entry) {
  const size_t eq = Entry.find(u'=');
  if (eq == ustring::npos) return {ustring(), Entry};
  return {Entry.substr(0, eq), Entry.substr(eq + 1)};
}

// The reserved field names and the setting each one sets.
ustring* ReservedSetting(TvxExportSettings& S, const ustring& UpperName) {
  if (UpperName == u"SUBJECT") return &S.SUBJECT;
  if (UpperName == u"BODY") return &S.BODY;
  if (UpperName == u"RECIPIENT") return &S.RECIPIENT;
  if (UpperName == u"CC") return &S.CC;
  if (UpperName == u"BCC") return &S.BCC;
  if (UpperName == u"FROM") return &S.FROMADDRESS;
  if (UpperName == u"FROMNAME") return &S.FROMNAME;
  return nullptr;
}

// The export's seven values in the order their placeholders are replaced.
std::array<ustring*, 7> SevenValues(TvxExportSettings& S) {
  return {&S.SUBJECT, &S.BODY, &S.RECIPIENT, &S.CC, &S.BCC, &S.FROMADDRESS, &S.FROMNAME};
}

// Reserved fields set their values; "%" + a field's name takes its value.
void ResolveFields(TvxExportState& State) {
  TvxExportSettings& S = State.ExportSettings;
  for (const ustring& entry : *State.DocumentFields) {
    const TField field = SplitField(entry);
    if (ustring* setting = ReservedSetting(S, UpperStrW(field.Name))) *setting = field.Value;
    const ustring placeholder = u"%" + field.Name;
    for (ustring* value : SevenValues(S)) *value = TvxStrings::ReplaceW(*value, placeholder, field.Value, true);
  }
  S.SUBJECT = TvxStrings::CheckDefaultPlaceHolders(S.SUBJECT, State.UserName, State.HostName);
  S.BODY = TvxStrings::CheckDefaultPlaceHolders(S.BODY, State.UserName, State.HostName);
}

// One line per field that is not reserved: the name, dots up to 20
// characters, ": ", the value on one line.
ustring FieldList(const std::vector<ustring>& Fields) {
  constexpr size_t width = 20;
  TvxExportSettings probe;
  ustring list;
  for (const ustring& entry : Fields) {
    const TField field = SplitField(entry);
    if (ReservedSetting(probe, UpperStrW(field.Name)) != nullptr) continue;
    list += field.Name;
    if (field.Name.size() < width) list.append(width - field.Name.size(), u'.');
    list += u": " + TvxStrings::Breaks2BlanksW(field.Value) + u"\r\n";
  }
  return list;
}

// Engine settings shared by the relay and the mail.
void SetServer(TvxMailTools& Engine, const TvxExportSettings& S) {
  Engine.SMTPServer = S.SMTPSERVER;
  Engine.SMTPPort = S.SMTPPORT;
  Engine.Authentication = S.AUTHENTICATION;
  Engine.Username = S.USERNAME;
  Engine.Password = S.PASSWORD;
  Engine.UseTLS = S.USETLS;
  Engine.UseSASL = S.USESASL;
}

bool IsEmlFile(const ustring& Path) {
  return LowerStrW(vxFileSystem::ExtractFileExt(Path)) == u".eml";
}

// Relays the ".eml" files of the document and removes them from the list.
// True when the export ends here: every file was relayed.
bool RelayEmlFiles(TvxExportState& State) {
  std::vector<ustring>& files = *State.DocumentFiles;
  int relayed = 0;
  for (size_t i = 0; i < files.size();) {
    if (!IsEmlFile(files[i])) {
      ++i;
      continue;
    }
    TvxMailTools engine;
    SetServer(engine, State.ExportSettings);
    if (!engine.SendMail(files[i])) throw Exception(u"send eml exception (" + engine.Message + u")!");
    ++relayed;
    files.erase(files.begin() + static_cast<std::ptrdiff_t>(i));
  }
  return files.empty() && relayed > 0;
}

// Sends the document's mail. A mail that cannot be delivered is kept in the
// failed-mails folder (written first in WorkFolder, the export's own, then
// moved there); Kept tells whether it was, before the failure is raised.
void SendDocumentMail(TvxExportState& State, const vxFileSystem::TPrivateFolder& WorkFolder, bool& Kept) {
  TvxExportSettings& S = State.ExportSettings;
  if (S.INSERTFLDS) State.FieldListText = FieldList(*State.DocumentFields);
  if (LowerStrW(S.BODY).find(u"<html>") != ustring::npos)
    State.FieldListText.clear();
  else if (!State.FieldListText.empty())
    State.FieldListText += u"\r\n\r\n";

  TvxMailTools engine;
  SetServer(engine, S);
  engine.Sender = S.FROMADDRESS;
  engine.SenderName = S.FROMNAME;
  engine.ZipAttachments = S.ZIPMAILATM;
  engine.SaveFailedMails = WorkFolder.Valid();
  engine.SavePath = WorkFolder.Path();
  for (const ustring& file : *State.DocumentFiles) engine.AddAttachment(file, std::string(), ustring(), false, ustring());
  if (!engine.SendMail(S.RECIPIENT, S.CC, S.BCC, S.SUBJECT, State.FieldListText + S.BODY, vxMT_SMTP)) {
    Kept = !engine.SavedMailFile.empty() && !vxFailedMails::Keep(engine.SavedMailFile).empty();
    throw Exception(u"send mail exception (" + engine.Message + u")");
  }
}

}  // namespace

int32_t Export(TvxExportState& State, ustring& FailureText) {
  int32_t result = 0;
  // The document's files go only when its mail went out or was kept: a
  // failed export never loses the document.
  bool filesMayGo = false;
  {
    // What this export makes lives here until it ends (two exports at once
    // never share a file).
    const vxFileSystem::TPrivateFolder workFolder(TvxFiles::GetTempPath(), u"vxexport-");
    try {
      State.FieldListText.clear();
      State.ExportSettings.BODY.clear();
      State.ExportSettings.CC.clear();
      State.ExportSettings.BCC.clear();
      ResolveFields(State);
      if (State.ExportSettings.SENDEMLS && RelayEmlFiles(State)) return 0;
      SendDocumentMail(State, workFolder, filesMayGo);
      filesMayGo = true;
    } catch (const Exception& e) {
      FailureText = e.Message();
      result = -1;
    } catch (const std::exception& e) {
      FailureText = Utf8ToWide(e.what());
      result = -1;
    } catch (...) {
      FailureText = u"unknown exception";
      result = -1;
    }
  }
  if (filesMayGo)
    for (const ustring& file : *State.DocumentFiles) vxFileSystem::DeleteFile(file);
  return result;
}

}  // namespace vxExportDocument
