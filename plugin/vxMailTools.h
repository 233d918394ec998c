// TvxMailTools, the mail engine: one object per mail, filled through its
// fields and attachment list, asked to send once. It composes a MIME
// message (a text part, then one part per file, optionally with the files
// packed into one zip archive), delivers it over SMTP with optional login
// and STARTTLS, and relays ready-made ".eml" files byte for byte.
//
// A zip archive is made in a folder private to the send (below the
// temporary folder) and removed with it when the send ends.
//
// Every SendMail catches every failure and reports False with the reason in
// Message; nothing raises. Sessions are bounded by Timeouts (the SMTP
// layer's: 30 s to connect, 2 minutes per reply). Blind copies never go on
// the wire: the Bcc field is left out of what is sent, its addresses only
// reach the envelope.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/files/vxPrivateFolder.h"
#include "platform/mail/vxMime.h"
#include "platform/mail/vxSmtp.h"

enum TvxMsgPriority { vxMP_Highest, vxMP_High, vxMP_Normal, vxMP_Low, vxMP_Lowest };

enum TvxSendMailTarget { vxMT_SMTP, vxMT_VXENTERPRISE };

struct TvxAttachment {
  bool Active = true;     // still to be sent as a file of its own; cleared when packed into the zip
  ustring FileName;       // path of the file
  std::string Data;       // content given instead of a file: kept, but only files are sent
  ustring DisplayName;    // name shown for the attachment
  bool Embedded = false;  // shown inline, never zipped
  ustring ContentId;      // for references from an HTML body
};
using TvxAttachmentList = std::vector<TvxAttachment>;

class TvxMailTools {
 public:
  // The sender address of a new object.
  static constexpr char16_t DefaultSender[] = u"varlo@localhost";

  std::string Version = "2.2.0";
  ustring Message;  // text of the last failure; emptied by every success
  ustring SMTPServer = u"localhost";
  int32_t SMTPPort = 25;  // used as its low 16 bits
  ustring Sender = DefaultSender;
  ustring SenderName;  // empty: the sender address, stored here at the first send
  bool ZipAttachments = false;
  ustring ZipFileName;  // empty: derived from the files' names
  bool Authentication = false;
  ustring Username;
  ustring Password;
  bool SaveFailedMails = false;  // keep a ".eml" copy of a mail that could not be delivered
  ustring SavePath;              // folder of those copies
  ustring SavedMailFile;         // the copy the last send kept (mode 0600); empty when it kept none
  TvxMsgPriority Priority = vxMP_Normal;
  ustring ContentType = u"multipart/related";
  ustring vxEnterpriseUrl;
  bool UseTLS = false;   // STARTTLS when the server offers it (required by the relay)
  bool UseSASL = false;  // log in through the SASL LOGIN mechanism
  TSmtpTimeouts Timeouts;

  TvxMailTools();
  ~TvxMailTools();
  TvxMailTools(const TvxMailTools&) = delete;
  TvxMailTools& operator=(const TvxMailTools&) = delete;

  // One more active attachment when FileName or Data is not empty (the
  // file's existence is checked when sending). An empty Displayname takes
  // the file's name without folder and extension. False with "empty params"
  // when both are empty.
  bool AddAttachment(const ustring& FileName, const std::string& Data, const ustring& Displayname, bool Embedded,
                     const ustring& ContentId);
  bool ClearAttachments();

  // Composes and delivers one message. Recipients, CCs and BCCs are lists
  // of addresses separated by ","; blanks around an address and empty items
  // are ignored. False with "send mail exception (" + reason + ")".
  bool SendMail(const ustring& SMTPServer, int32_t SMTPPort, const ustring& Sender, const ustring& Recipients,
                const ustring& CCs, const ustring& BCCs, const ustring& Subject, const ustring& Body, bool UseTLS,
                bool UseSASL);
  // vxMT_SMTP: the above with this object's server, port, sender, UseTLS
  // and UseSASL. vxMT_VXENTERPRISE is not available yet: False.
  bool SendMail(const ustring& Recipients, const ustring& CCs, const ustring& BCCs, const ustring& Subject,
                const ustring& Body, TvxSendMailTarget Target);
  // Relays an ".eml" file as it stands (without its Bcc fields), to the
  // envelope its own header fields give; no login; with UseTLS STARTTLS is
  // required. False with "sendmail exception (" + class name + " - " +
  // reason + ")".
  bool SendMail(const ustring& EMLFile);

 private:
  TvxAttachmentList Attachments;
  std::unique_ptr<TSmtpClient> SMTP;
  // What a send makes (the zip archive) lives in a folder of its own below
  // the temporary folder, so two sends at once never share a file; it goes
  // when the send ends.
  vxFileSystem::TPrivateFolder WorkFolder;

  // The zip archive of the attachments, in WorkFolder (empty: none was made).
  ustring PackAttachments();
  TRawMessage ComposeMessage(const ustring& FromAddress, const ustring& Recipients, const ustring& CCs,
                             const ustring& BCCs, const ustring& Subject, const ustring& Body,
                             const ustring& MessageId) const;
  // The path of the copy written; empty when it could not be written.
  ustring SaveFailedMail(const TRawMessage& Mail, const ustring& MessageId);
};
