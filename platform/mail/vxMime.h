// Internet mail messages.
//
// TMimeMessage is a message to compose: addresses, subject, priority, text
// parts and attachments. ComposeMail() turns it into TComposedMail: the
// header fields and a body that is written out piece by piece into a sink
// (a socket's send buffer, a file), its attachments read and encoded block
// by block as they go, so that a mail of any size takes little memory; its
// length is known before it is written. Compose() gives the same bytes as
// TRawMessage, the message held in memory: header fields kept as they stand
// and the body. A raw message is what ".eml" files hold; it is loaded and
// saved without re-encoding, so a file comes back byte for byte, and its
// envelope (sender and recipients) is read from its own header fields.
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

#include <cstdint>
#include <functional>
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

// Where a composed mail is written, piece by piece.
class TMailSink {
 public:
  virtual ~TMailSink() = default;
  // Bytes as they stand.
  virtual void Write(std::string_view Bytes) = 0;
  // Room for Size bytes of whole lines that need nothing done to them on
  // the way (CR LF line ends, 7-bit, none opening with "."), valid until
  // Commit(Size) takes them once the caller has filled them.
  virtual char* Room(size_t Size) = 0;
  virtual void Commit(size_t Size) = 0;
};

// A sink that gathers what is written in a buffer of its own and hands it
// on in large pieces to Output (which raises when it fails). Flush hands
// on the rest; the destructor does not.
class TBufferedMailSink : public TMailSink {
 public:
  explicit TBufferedMailSink(std::function<void(std::string_view)> Output, size_t BufferSize = 256 * 1024);
  void Write(std::string_view Bytes) override;
  char* Room(size_t Size) override;
  void Commit(size_t Size) override;
  void Flush();

 private:
  std::function<void(std::string_view)> FOutput;
  std::vector<char> FBuffer;
  size_t FUsed = 0;
};

class TFileStream;

// A composed message: its header fields (Header, whose Body stays empty)
// and its body, as texts and the Base64 lines of attachments. The source
// files of attachments are opened when composing and read each time the
// mail is written; a file that no longer has the size it had then fails the
// writing with EReadError rather than giving a mail other than the one
// announced. Written by one writer at a time.
class TComposedMail {
 public:
  TRawMessage Header;

  TComposedMail();
  ~TComposedMail();
  TComposedMail(TComposedMail&&) noexcept;
  TComposedMail& operator=(TComposedMail&&) noexcept;

  // The pieces of the body, in order: a text as it stands, or (Text empty)
  // LinesSize bytes of Base64 lines, which need nothing done to them on the
  // way (see TMailSink::Room).
  struct TPieceShape {
    std::string_view Text;
    uint64_t LinesSize = 0;
  };
  std::vector<TPieceShape> BodyShape() const;
  uint64_t BodySize() const;

  void WriteBody(TMailSink& Sink) const;
  // The header fields (less the Bcc fields with WithoutBcc), the separator
  // and the body.
  void WriteTo(TMailSink& Sink, bool WithoutBcc) const;

  // The whole message in memory, Bcc included.
  TRawMessage ToRawMessage() const;
  std::string ToBytes() const;
  // Writes the file whole or not at all (TAtomicFileStream).
  void SaveToFile(const ustring& FileName) const;

 private:
  friend class TMimeMessage;
  struct TPiece;
  std::vector<TPiece> FPieces;

  void AddText(std::string_view Text);
  void AddData(std::string Data);
  // Raises EFOpenError when the file cannot be opened.
  void AddFile(const ustring& FileName);
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

  // The message to be written, Bcc field included. Raises EFOpenError (an
  // EOSError) when an attachment's source file cannot be opened, and
  // EMailAddressError for an address it cannot write.
  TComposedMail ComposeMail() const;
  // The same message held in memory as bytes.
  TRawMessage Compose() const;
  void SaveToFile(const ustring& fileName) const;

  // Reads a message back: addresses, subject, message id, priority, content
  // type, and the leaf parts of its MIME tree with their content decoded.
  // The Date is not read back.
  static TMimeMessage Parse(const TRawMessage& message);
};
