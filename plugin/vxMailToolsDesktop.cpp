// The engine's way to the desktop's mail program (in place of a MAPI
// client and the shell's send-to): a new mail opened there through
// xdg-email, for the user to finish and send.
#include "platform/base/vxCodePage.h"
#include "platform/files/vxFileSystem.h"
#include "platform/mail/vxMailAddress.h"
#include "platform/process/vxMailProgram.h"
#include "plugin/vxMailTools.h"

namespace {

// The recipient as a mailto URI carries it: 'box@host', or '"Name"
// <box@host>' with the name in plain text (the URI's UTF-8, no encoded
// words). Raises EMailAddressError for a text that could break a header.
ustring RecipientText(const ustring& Name, const ustring& Address) {
  const TMailAddress box = vxMailAddress::Normalise({u"", Address});
  if (Name.empty() || Name == box.Address) return box.Address;
  ustring quoted = u"\"";
  for (const char16_t c : Name) {
    if (c < 0x20 || c == 0x7F) throw EMailAddressError("invalid recipient name '" + WideToUtf8(Name) + "'");
    if (c == u'"' || c == u'\\') quoted.push_back(u'\\');
    quoted.push_back(c);
  }
  return quoted + u"\" <" + box.Address + u">";
}

}  // namespace

bool TvxMailTools::OpenMailProgram(const ustring& Subject, const ustring& Body, const ustring& FileName,
                                   const ustring& RecepientName, const ustring& RecepientEMail) {
  try {
    vxMailProgram::TMailDraft draft;
    draft.Subject = Subject;
    draft.Body = Body;
    if (!RecepientEMail.empty()) {
      draft.To.push_back(RecipientText(RecepientName, RecepientEMail));
    }
    if (!FileName.empty()) draft.Attachments.push_back(FileName);
    ustring failure;
    return vxMailProgram::Compose(draft, vxMailProgram::DefaultTimeoutMs, failure);
  } catch (const std::exception&) {
    // An address no header can carry: the mail program is not asked.
    return false;
  }
}

bool TvxMailTools::SendMAPIMail(const std::string& Subject, const std::string& Body, const std::string& FileName,
                                const std::string& /*SenderName*/, const std::string& /*SenderEMail*/,
                                const std::string& RecepientName, const std::string& RecepientEMail) {
  return OpenMailProgram(AnsiToWide(Subject), AnsiToWide(Body), AnsiToWide(FileName), AnsiToWide(RecepientName),
                         AnsiToWide(RecepientEMail));
}

void TvxMailTools::SendMAPIMail(const ustring& FileName) { OpenMailProgram(u"", u"", FileName, u"", u""); }

void TvxMailTools::SendToMail(const TStringList& Files) {
  // The first file names the folder; an empty list fails here, before
  // anything else.
  const ustring folder = vxFileSystem::ExtractFilePath(Files[0]);
  vxMailProgram::TMailDraft draft;
  for (int32_t i = 0; i < Files.Count(); ++i) {
    const ustring& file = Files[i];
    draft.Attachments.push_back(!file.empty() && file.front() == vxFileSystem::PathDelim ? file : folder + file);
  }
  ustring failure;
  if (!vxMailProgram::Compose(draft, vxMailProgram::DefaultTimeoutMs, failure)) throw EMailProgramError(failure);
}
