// The mail engine: composition on the MIME layer, delivery and relay on the
// SMTP client, attachments packed with the library's zip operations.
#include "plugin/vxMailTools.h"

#include <cerrno>
#include <utility>

#include "core/vxFiles.h"
#include "core/vxStrings.h"
#include "core/vxToolsEvo2.h"
#include "core/vxToolsSystem.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxFileHandle.h"
#include "platform/files/vxFileSystem.h"
#include "platform/time/vxDateUtils.h"

namespace {

TMailPriority MailPriority(TvxMsgPriority Priority) {
  switch (Priority) {
    case vxMP_Highest: return TMailPriority::Highest;
    case vxMP_High: return TMailPriority::High;
    case vxMP_Normal: return TMailPriority::Normal;
    case vxMP_Low: return TMailPriority::Low;
    case vxMP_Lowest: return TMailPriority::Lowest;
  }
  return TMailPriority::Normal;
}

// A list of addresses separated by ",": every item as it stands, the empty
// ones included ('a,,b' gives three); a trailing "," ends the last item.
TMailAddressList AddressItems(const ustring& List) {
  TMailAddressList items;
  ustring rest = TvxStrings::CheckStringSuffixW(List, u",");
  while (!rest.empty()) {
    const size_t comma = rest.find(u',');
    const ustring item = rest.substr(0, comma);
    items.push_back({item, item});
    rest.erase(0, comma == ustring::npos ? rest.size() : comma + 1);
  }
  return items;
}

// 'Name' quoted for a header field, as a quoted string.
std::string QuotedName(const ustring& Name) {
  std::string out = "\"";
  for (const char c : WideToUtf8(Name)) {
    if (c == '"' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  return out + "\"";
}

// The layer leaves out a display name that equals its address and writes
// Sender only when it differs from From. The engine names the sender in
// both fields: From and Sender read '"box@host" <box@host>' when the name
// is the address itself.
void NameTheSender(TRawMessage& Mail, const ustring& SenderName) {
  auto from = Mail.HeaderFields.begin();
  while (from != Mail.HeaderFields.end() && !vxRuntime::SameTextAscii(from->Name(), "From")) ++from;
  if (from == Mail.HeaderFields.end()) return;
  const TMailAddressList parsed = ParseAddressList(from->Value());
  const ustring name = vxRuntime::Trim(SenderName);
  if (parsed.size() == 1 && parsed.front().Name.empty() && !name.empty() && name == parsed.front().Address)
    from->Text = "From: " + QuotedName(name) + " <" + WideToUtf8(parsed.front().Address) + ">";
  if (!Mail.HasField("Sender")) {
    TRawHeaderField sender = *from;
    sender.Text = "Sender:" + from->Text.substr(from->Text.find(':') + 1);
    Mail.HeaderFields.insert(from + 1, std::move(sender));
  }
}

ustring FailureText(const std::exception& Failure) {
  if (const auto* e = dynamic_cast<const Exception*>(&Failure)) return e->Message();
  return Utf8ToWide(Failure.what());
}

const char* FailureClass(const std::exception& Failure) {
  if (const auto* e = dynamic_cast<const Exception*>(&Failure)) return e->ClassName();
  return "Exception";
}

}  // namespace

TvxMailTools::TvxMailTools() : SMTP(std::make_unique<TSmtpClient>()) {}

TvxMailTools::~TvxMailTools() = default;

bool TvxMailTools::AddAttachment(const ustring& FileName, const std::string& Data, const ustring& Displayname,
                                 bool Embedded, const ustring& ContentId) {
  try {
    if (FileName.empty() && Data.empty()) {
      Message = u"empty params";
      return false;
    }
    TvxAttachment attachment;
    attachment.FileName = FileName;
    attachment.Data = Data;
    attachment.DisplayName = Displayname.empty() ? TvxFiles::ExtractPureFileName(FileName) : Displayname;
    attachment.Embedded = Embedded;
    attachment.ContentId = ContentId;
    Attachments.push_back(std::move(attachment));
    Message.clear();
    return true;
  } catch (const std::exception& e) {
    Message = u"add attachment exception (" + FailureText(e) + u")";
    return false;
  }
}

bool TvxMailTools::ClearAttachments() {
  Attachments.clear();
  Message.clear();
  return true;
}

ustring TvxMailTools::PackAttachments() {
  // Files only: an entry with data alone is never sent.
  std::vector<TvxAttachment*> packable;
  for (TvxAttachment& a : Attachments)
    if (a.Active && !a.Embedded && !a.FileName.empty()) packable.push_back(&a);
  if (packable.empty()) return {};

  // The archive's name is free in a folder nobody else uses: two sends at
  // once (two processes, two copies of the library) never fill one archive.
  WorkFolder = vxFileSystem::TPrivateFolder(TvxFiles::GetTempPath(), u"vxmail-");
  if (!WorkFolder.Valid()) return {};
  const ustring& temp = WorkFolder.Path();
  ustring archive;
  if (!ZipFileName.empty()) {
    archive = TvxFiles::GetFreeFileName(temp + ZipFileName, 99999999, u"-", false, false);
  } else {
    TStringList names;
    for (const TvxAttachment* a : packable) names.Add(a->FileName);
    archive = TvxFiles::DetermineNewFilename(temp, names, u"*", u".zip", 20, 60);
  }
  for (TvxAttachment* a : packable)
    // A file that cannot be packed stays an attachment of its own.
    if (TvxFiles::AddFileToZip(a->FileName, archive, "")) a->Active = false;
  if (vxFileSystem::FileExists(archive))
    AddAttachment(archive, "", TvxFiles::ExtractPureFileName(archive), false, u"");
  return archive;
}

TRawMessage TvxMailTools::ComposeMessage(const ustring& FromAddress, const ustring& Recipients, const ustring& CCs,
                                         const ustring& BCCs, const ustring& Subject, const ustring& Body,
                                         const ustring& MessageId) const {
  TMimeMessage mail;
  mail.MessageId = MessageId;
  mail.ReplyTo = ParseAddressList(WideToUtf8(FromAddress));
  mail.From = {SenderName, FromAddress};
  mail.Sender = mail.From;
  mail.Subject = Subject;
  mail.ContentType = ContentType;
  mail.Priority = MailPriority(Priority);
  const bool html = LowerStrW(Body).rfind(u"<html>", 0) == 0;
  mail.Parts.push_back(TMimePart::TextPart(html ? u"text/html" : u"text/plain", Body));
  mail.To = AddressItems(Recipients);
  mail.Cc = AddressItems(CCs);
  mail.Bcc = AddressItems(BCCs);
  for (const TvxAttachment& a : Attachments) {
    // Missing files are left out without a word.
    if (!a.Active || a.FileName.empty() || !TvxFiles::FileExists(a.FileName)) continue;
    TMimePart part = TMimePart::AttachmentFile(TvxFiles::GetMIMEType(a.FileName, u"text/plain"), a.FileName,
                                               a.DisplayName + vxFileSystem::ExtractFileExt(a.FileName));
    part.Name = a.DisplayName;
    part.ContentId = a.ContentId;
    part.Inline = a.Embedded;
    mail.Parts.push_back(std::move(part));
  }
  TRawMessage raw = mail.Compose();
  NameTheSender(raw, SenderName);
  return raw;
}

ustring TvxMailTools::SaveFailedMail(const TRawMessage& Mail, const ustring& MessageId) {
  SavePath = TvxFiles::CheckPathExt(SavePath);
  TvxFiles::CreatePath(SavePath, true);
  const std::string bytes = Mail.ToBytes();
  const ustring wanted = SavePath + TvxFiles::ConvertToFileName(MessageId) + u".eml";
  // Written whole under a name nobody took meanwhile, never over a file;
  // readable by its owner alone, as the document it carries.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const ustring name = TvxFiles::GetFreeFileName(wanted, 99999999, u"-", false, false);
    vxFileSystem::TAtomicFileWriter writer(name);
    if (!writer.Valid() || !writer.Write(bytes) || !writer.SetMode(0600)) return {};
    if (writer.Commit(false)) return name;
    if (errno != EEXIST) return {};
  }
  return {};
}

bool TvxMailTools::SendMail(const ustring& SMTPServer, int32_t SMTPPort, const ustring& Sender,
                            const ustring& Recipients, const ustring& CCs, const ustring& BCCs, const ustring& Subject,
                            const ustring& Body, bool UseTLS, bool UseSASL) {
  ustring archive;
  bool result = false;
  SavedMailFile.clear();
  try {
    if (SenderName.empty()) SenderName = Sender;
    const ustring messageId = u"vxMAPI" + vxRuntime::FormatDateTime(u"yyyymmddhhnnsszzz", vxRuntime::Now()) +
                              TvxTools::CreateId().WideStr();
    if (ZipAttachments) archive = PackAttachments();
    const TRawMessage mail = ComposeMessage(Sender, Recipients, CCs, BCCs, Subject, Body, messageId);

    TSmtpClient& client = *SMTP;
    client.Login = !Authentication ? TSmtpLogin::None : UseSASL ? TSmtpLogin::SaslLogin : TSmtpLogin::AuthLogin;
    client.Username = Authentication ? Username : ustring();
    client.Password = Authentication ? Password : ustring();
    client.Host = WideToUtf8(SMTPServer);
    client.Port = static_cast<uint16_t>(SMTPPort & 0xFFFF);
    client.Tls = UseTLS ? TSmtpTls::WhenOffered : TSmtpTls::None;
    client.UsePipelining = false;
    client.Timeouts = Timeouts;
    try {
      client.Connect();
      if (Authentication) client.Authenticate();
      client.SendMessage(mail);
      client.Disconnect();
    } catch (...) {
      client.Disconnect();
      if (SaveFailedMails) {
        try {
          SavedMailFile = SaveFailedMail(mail, messageId);
        } catch (...) {
          // A copy that cannot be saved is no reason of its own to fail.
        }
      }
      throw;
    }
    Message.clear();
    result = true;
  } catch (const std::exception& e) {
    SMTP->Disconnect();
    Message = u"send mail exception (" + FailureText(e) + u")";
  }
  if (ZipAttachments && !archive.empty() && vxFileSystem::FileExists(archive)) TvxFiles::ForceDeleteFile(archive);
  WorkFolder.Remove();
  return result;
}

bool TvxMailTools::SendMail(const ustring& Recipients, const ustring& CCs, const ustring& BCCs, const ustring& Subject,
                            const ustring& Body, TvxSendMailTarget Target) {
  if (Target == vxMT_SMTP)
    return SendMail(SMTPServer, SMTPPort, Sender, Recipients, CCs, BCCs, Subject, Body, UseTLS, UseSASL);
  Message = u"send xml mail exception (mail to the enterprise service is not available in this version)";
  return false;
}

bool TvxMailTools::SendMail(const ustring& EMLFile) {
  try {
    TSmtpClient client;
    client.Host = WideToUtf8(SMTPServer);
    client.Port = static_cast<uint16_t>(SMTPPort & 0xFFFF);
    client.Login = TSmtpLogin::None;
    client.UsePipelining = true;
    client.Tls = UseTLS ? TSmtpTls::Required : TSmtpTls::None;
    client.Timeouts = Timeouts;
    client.Connect();
    client.SendMessage(TRawMessage::LoadFromFile(EMLFile));
    client.Disconnect();
    Message.clear();
    return true;
  } catch (const std::exception& e) {
    Message = u"sendmail exception (" + Utf8ToWide(FailureClass(e)) + u" - " + FailureText(e) + u")";
    return false;
  }
}
