// Internet mail messages.
//
// TMimeMessage is a message to compose: addresses, subject, priority, text
// parts and attachments. Compose() turns it into TRawMessage, the message
// as bytes: header fields kept as they stand and the body. A raw message is
// what ".eml" files hold; it is loaded and saved without re-encoding, so a
// file comes back byte for byte, and its envelope (sender and recipients) is
// read from its own header fields.
//
// What the composer writes:
// - From, Sender (only when it differs from From), Reply-To, To, Cc, Bcc,
//   Subject, Date, Message-ID (the given id in angle brackets), MIME-Version
//   and, unless the priority is normal, X-Priority and Importance.
// - Header text outside printable ASCII in UTF-8 encoded words; fields folded
//   at blanks to 76 columns (the limit of lines with encoded words) where
//   they can be.
// - Text parts as UTF-8 in quoted-printable with CR LF line ends;
//   attachments in Base64 of 76 columns with their name and file name
//   (RFC 2231 when needed), content id and inline or attachment disposition.
// - Bcc is a field of the composed message (so a saved copy keeps its blind
//   recipients), but WireBytes() never sends it.
// - Addresses are trimmed, empty ones are left out, and an address text of
//   the form 'Name <box@host>' is read as that name and mailbox. A mailbox
//   with a control character, a blank or an angle bracket (outside a quoted
//   local part) or a quote left open is
//   refused with EMailAddressError rather than changed or written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/base/vxExceptions.h"
#include "platform/mail/vxMailAddress.h"

enum class TMailPriority { Highest, High, Normal, Low, Lowest };

// One header field as it stands in the file, possibly folded over lines.
struct TRawHeaderField {
  std::string Text;               // "Name: value", inner line breaks included
  std::string LineEnd = "\r\n";   // the line end after it, as read

  // The text before the first ":", trailing blanks removed.
  std::string Name() const;
  // The text after the first ":", still folded.
  std::string Value() const;
};

class TRawMessage {
 public:
  std::vector<TRawHeaderField> HeaderFields;
  std::string Separator = "\r\n";  // the empty line after the header; empty when the file has none
  std::string Body;

  // Splits bytes into header fields and body, keeping every byte.
  static TRawMessage FromBytes(std::string_view bytes);
  // Raises EFOpenError (an EOSError) naming the file when it cannot be
  // opened, EReadError when it cannot be read.
  static TRawMessage LoadFromFile(const ustring& fileName);
  std::string ToBytes() const;
  // Writes the file whole or not at all (TAtomicFileStream).
  void SaveToFile(const ustring& fileName) const;

  // The raw value of the first field of that name (case-insensitive), empty
  // when there is none.
  std::string FieldValue(std::string_view name) const;
  bool HasField(std::string_view name) const;

  // The bytes to transmit: all of them as they stand, except the Bcc fields,
  // so that no recipient learns the blind ones.
  std::string WireBytes() const;
  // The header fields and the separator of WireBytes(): WireBytes() is this
  // followed by Body.
  std::string WireHeader() const;
  // The envelope from the header fields: the sender is the first mailbox of
  // Sender, else of From (empty when neither has one); the recipients are
  // the mailboxes of every To, Cc and Bcc field, each once, in order.
  std::string EnvelopeSender() const;
  std::vector<std::string> EnvelopeRecipients() const;
};

enum class TMimePartKind { Text, Attachment };

struct TMimePart {
  TMimePartKind Kind = TMimePartKind::Text;
  ustring ContentType = u"text/plain";  // type/subtype without parameters
  ustring Text;                         // text parts
  std::string Data;                     // attachments: the content...
  ustring SourceFile;                   // ...or, when set, the file read for it at composing
  ustring Name;                         // attachments: name shown (content type "name")
  ustring FileName;                     // attachments: file name (disposition "filename")
  ustring ContentId;                    // without angle brackets
  bool Inline = false;                  // disposition inline instead of attachment

  static TMimePart TextPart(ustring contentType, ustring text);
  static TMimePart AttachmentFile(ustring contentType, ustring sourceFile, ustring fileName);
  static TMimePart AttachmentData(ustring contentType, std::string data, ustring fileName);
};

class TMimeMessage {
 public:
  TMailAddress From;
  TMailAddress Sender;
  TMailAddressList ReplyTo, To, Cc, Bcc;
  ustring Subject;
  ustring MessageId;  // written as "<" + MessageId + ">"
  TDateTime Date = 0;  // local time; 0 means the time of composing
  TMailPriority Priority = TMailPriority::Normal;
  // The type of a message with parts ("multipart/related", ...); a type
  // that is not multipart gives "multipart/mixed" when there are parts.
  ustring ContentType = u"multipart/mixed";
  // Text of the message: the whole text/plain body when there are no parts,
  // else a first text part of its own (when not empty).
  ustring Body;
  std::vector<TMimePart> Parts;

  // The message as bytes, Bcc field included. Raises EFOpenError (an
  // EOSError) when an attachment's source file cannot be opened, and
  // EMailAddressError for an address it cannot write.
  TRawMessage Compose() const;
  void SaveToFile(const ustring& fileName) const;

  // Reads a message back: addresses, subject, message id, priority, content
  // type, and the leaf parts of its MIME tree with their content decoded.
  // The Date is not read back.
  static TMimeMessage Parse(const TRawMessage& message);
};
