// TvxMailTools, the mail engine: one object per mail, filled through its
// fields and attachment list, asked to send once. It composes a MIME
// message (a text part, then one part per file, optionally with the files
// packed into one zip archive), delivers it over SMTP with optional login
// and STARTTLS, and relays ready-made ".eml" files byte for byte. Its other
// channels: the mail as an XML document put to the enterprise service over
// HTTP, the relay of an ".eml" file to a new recipient, the desktop's mail
// program (through xdg-email, in place of a MAPI client and the shell's
// send-to), and the shared SMTP settings of the configuration store.
//
// The mail is made as it is sent: its attachments are read block by block
// into the send buffer, never held whole, and a copy of a failed mail is
// made the same way into its file.
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
#include "platform/lists/vxStringList.h"
#include "platform/mail/vxMime.h"
#include "platform/mail/vxSmtp.h"

enum TvxMsgPriority { vxMP_Highest, vxMP_High, vxMP_Normal, vxMP_Low, vxMP_Lowest };

enum TvxSendMailTarget { vxMT_SMTP, vxMT_VXENTERPRISE };

// The desktop's mail program could not take a mail (SendToMail).
VX_DECLARE_EXCEPTION(EMailProgramError, Exception);

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
  // and UseSASL. vxMT_VXENTERPRISE: the XML mail (CreateXMLMail) put to
  // vxEnterpriseUrl over HTTP (redirects followed, at most 5; 5 s to
  // connect, 10 s without data); only "201 Created" is success. False with
  // "send xml mail exception (" + reason + ")", the reason for another
  // status "http put exception (" + status line + ")".
  bool SendMail(const ustring& Recipients, const ustring& CCs, const ustring& BCCs, const ustring& Subject,
                const ustring& Body, TvxSendMailTarget Target);
  // Relays an ".eml" file as it stands (without its Bcc fields), to the
  // envelope its own header fields give; no login; with UseTLS STARTTLS is
  // required. False with "sendmail exception (" + class name + " - " +
  // reason + ")".
  bool SendMail(const ustring& EMLFile);
  // Relays an ".eml" file to Recipient alone: every From, Sender and
  // Reply-To field names Sender, every To field Recipient, Cc and Bcc are
  // emptied, each field replaced whole (folded lines included), so nobody
  // the file named before gets the mail. Server, port and TLS as the relay
  // above. False with "sendmail exception (" + class name + " - " + reason
  // + ")".
  bool SendMail(const ustring& EMLFile, const ustring& Recipient);

  // The mail as an XML configuration string of type "vxMail": Sender,
  // SenderName, Recipients, CC, BCC, Subject, Body and Priority as texts.
  std::string CreateXMLMail(const ustring& Recipients, const ustring& CC, const ustring& BCC,
                            const ustring& Subject, const ustring& Body);

  // Fills the SMTP fields from the shared settings of the configuration
  // store (node "/varlo/Software/Basics/SMTP" of table "vx_configuration",
  // made when missing, on the host's data link) and vxEnterpriseUrl from
  // the main daemon's URL; the result is the settings' Active flag. False
  // with "loading k7 smtp config exception (" + reason + ")" when the host
  // is not installed or the store fails; fields filled before a failure
  // keep their new values.
  bool LoadK7SMTPConfig();

  // Opens the desktop's mail program with a new mail: the subject, the
  // body, one recipient (RecepientEMail, named RecepientName) and one
  // attached file, each when not empty. The sender cannot be chosen there
  // (the mail program's account sends): SenderName and SenderEMail are not
  // used. Texts in the system code page. True when the mail program took
  // the mail; Message is not touched.
  static bool SendMAPIMail(const std::string& Subject, const std::string& Body, const std::string& FileName,
                           const std::string& SenderName, const std::string& SenderEMail,
                           const std::string& RecepientName, const std::string& RecepientEMail);
  // The same with only a file attached; the result is not told.
  static void SendMAPIMail(const ustring& FileName);
  // Opens the mail program with the files attached; a relative path is
  // taken in the folder of the first file. Raises EStringListError for an
  // empty list and EMailProgramError when the mail program cannot take the
  // files.
  static void SendToMail(const TStringList& Files);

 private:
  TvxAttachmentList Attachments;
  std::unique_ptr<TSmtpClient> SMTP;
  // What a send makes (the zip archive) lives in a folder of its own below
  // the temporary folder, so two sends at once never share a file; it goes
  // when the send ends.
  vxFileSystem::TPrivateFolder WorkFolder;

  // The zip archive of the attachments, in WorkFolder (empty: none was made).
  ustring PackAttachments();
  TComposedMail ComposeMessage(const ustring& FromAddress, const ustring& Recipients, const ustring& CCs,
                               const ustring& BCCs, const ustring& Subject, const ustring& Body,
                               const ustring& MessageId) const;
  // The path of the copy written, the bytes the wire carried plus the Bcc
  // field; empty when it could not be written. Raises when an attachment's
  // file changed since composing.
  ustring SaveFailedMail(const TComposedMail& Mail, const ustring& MessageId);
  // SendMAPIMail on wide texts, so a file name keeps every character.
  static bool OpenMailProgram(const ustring& Subject, const ustring& Body, const ustring& FileName,
                              const ustring& RecepientName, const ustring& RecepientEMail);
  // The XML mail over HTTP (SendMail with vxMT_VXENTERPRISE).
  bool SendXMLMail(const ustring& Recipients, const ustring& CCs, const ustring& BCCs, const ustring& Subject,
                   const ustring& Body);
  // A client for the relays: this object's server and port, no login,
  // pipelining, TLS required with UseTLS.
  void SetUpRelayClient(TSmtpClient& Client) const;
};
