// Composing, saving and reading back Internet mail messages.
#include "platform/mail/vxMime.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <set>

#include "platform/base/vxCodePage.h"
#include "platform/mail/vxMimeCodec.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxStream.h"
#include "platform/text/vxNumberText.h"

using namespace vxMimeCodec;

namespace {

// Lines that hold encoded words may not be longer than 76 characters.
constexpr size_t kFoldColumn = 76;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// ------------------------------------------------------------ files

std::string ReadWholeFile(const ustring& fileName) {
  TFileStream file(fileName, fmOpenRead);
  return file.ReadToEnd();
}

void WriteWholeFile(const ustring& fileName, const std::string& content) {
  TAtomicFileStream file(fileName);
  file.WriteBuffer(content);
  file.Commit();
}

// Input bytes of one block of Base64 lines: 2048 lines.
constexpr size_t kLinesBlock = Base64LinePieceBytes(2048);

// A sink into a string of the final length, made beforehand.
class TStringSink : public TMailSink {
 public:
  explicit TStringSink(std::string& Out) : FOut(Out) {}
  void Write(std::string_view Bytes) override {
    std::memcpy(Room(Bytes.size()), Bytes.data(), Bytes.size());
    Commit(Bytes.size());
  }
  char* Room(size_t Size) override {
    if (FUsed + Size > FOut.size()) throw EWriteError("the mail is longer than announced");
    return FOut.data() + FUsed;
  }
  void Commit(size_t Size) override { FUsed += Size; }
  size_t Used() const { return FUsed; }

 private:
  std::string& FOut;
  size_t FUsed = 0;
};

// ------------------------------------------------------------ composing

// "Name: value" folded at blanks so that lines stay within kFoldColumn
// where the words allow it. A first word too long for the line of the name
// goes on a line of its own (a text field avoids that: see SubjectText).
std::string FoldField(std::string_view name, std::string_view value) {
  const std::string blankAndValue = " " + std::string(value);
  const std::string_view rest = blankAndValue;
  std::string out(name);
  out += ":";
  size_t column = out.size();
  size_t i = 0;
  while (i < rest.size()) {
    size_t next = rest.find(' ', i + 1);
    if (next == std::string_view::npos) next = rest.size();
    const std::string_view word = rest.substr(i, next - i);  // with its blank
    const bool first = i == 0;
    if (column + word.size() > kFoldColumn && (!first || word.size() <= kFoldColumn)) {
      out += "\r\n";
      column = 0;
    }
    out += word;
    column += word.size();
    i = next;
  }
  return out;
}

std::string MailDate(TDateTime date) {
  std::time_t seconds;
  if (date == 0) {
    seconds = std::time(nullptr);
  } else {
    // TDateTime counts local days from 1899-12-30; 25569 is 1970-01-01.
    const double local = std::round((date - 25569.0) * 86400.0);
    const std::time_t asIfUtc = static_cast<std::time_t>(local);
    std::tm fields{};
    gmtime_r(&asIfUtc, &fields);
    fields.tm_isdst = -1;
    seconds = std::mktime(&fields);
  }
  std::tm local{};
  localtime_r(&seconds, &local);
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const long offset = local.tm_gmtoff / 60;
  using vxNumberText::IntText;
  return std::string(kDays[local.tm_wday]) + ", " + IntText(local.tm_mday) + " " + kMonths[local.tm_mon] + " " +
         IntText(local.tm_year + 1900, 4) + " " + IntText(local.tm_hour, 2) + ":" + IntText(local.tm_min, 2) + ":" +
         IntText(local.tm_sec, 2) + " " + (offset < 0 ? "-" : "+") + IntText(std::labs(offset) / 60, 2) +
         IntText(std::labs(offset) % 60, 2);
}

std::string RandomBoundary() {
  thread_local std::mt19937_64 generator{std::random_device{}()};
  std::string text = "=_vx" + vxNumberText::HexText(generator(), 16);
  text += vxNumberText::HexText(generator() & 0xFFFFFFFFu, 8);
  // "=_" never occurs in quoted-printable or Base64 output, so the boundary
  // cannot appear in the parts.
  return text;
}

// Content types come from callers; keep only what a token list may hold.
std::string CleanContentType(std::u16string_view type, const char* fallback) {
  std::string out;
  for (char16_t c : type)
    if (c > 32 && c < 127 && c != u';' && c != u'"') out.push_back(static_cast<char>(c));
  return out.empty() ? fallback : vxRuntime::AsciiLower(out);
}

std::string AngleId(std::u16string_view id) {
  std::string text = vxRuntime::Trim<char>(WideToUtf8(id));
  text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; }),
             text.end());
  if (text.size() >= 2 && text.front() == '<' && text.back() == '>') return text;
  return "<" + text + ">";
}

void AddField(TRawMessage& message, std::string_view name, std::string_view value) {
  message.HeaderFields.push_back({FoldField(name, value), "\r\n"});
}

std::string ComposeTextPart(std::u16string_view contentType, std::u16string_view text) {
  std::string part = FoldField("Content-Type", CleanContentType(contentType, "text/plain") + "; charset=utf-8");
  part += "\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n";
  part += QuotedPrintableEncode(NormaliseLineBreaks(WideToUtf8(text)));
  return part;
}

// The header of an attachment's part, up to the empty line; its Base64
// lines follow.
std::string AttachmentPartHeader(const TMimePart& p) {
  std::string type = CleanContentType(p.ContentType, "application/octet-stream");
  const ustring name = p.Name.empty() ? p.FileName : p.Name;
  if (!name.empty()) type += "; " + FormatParameter("name", name);
  std::string part = FoldField("Content-Type", type) + "\r\n";
  part += "Content-Transfer-Encoding: base64\r\n";
  std::string disposition = p.Inline ? "inline" : "attachment";
  if (!p.FileName.empty()) disposition += "; " + FormatParameter("filename", p.FileName);
  part += FoldField("Content-Disposition", disposition) + "\r\n";
  if (!p.ContentId.empty()) part += FoldField("Content-ID", AngleId(p.ContentId)) + "\r\n";
  part += "\r\n";
  return part;
}

const char* PriorityNumber(TMailPriority priority) {
  switch (priority) {
    case TMailPriority::Highest: return "1 (Highest)";
    case TMailPriority::High: return "2 (High)";
    case TMailPriority::Normal: return "3 (Normal)";
    case TMailPriority::Low: return "4 (Low)";
    case TMailPriority::Lowest: return "5 (Lowest)";
  }
  return "3 (Normal)";
}

// ------------------------------------------------------------ reading back

struct TEntity {
  std::vector<TRawHeaderField> Fields;
  std::string_view Body;
};

std::string FieldOf(const std::vector<TRawHeaderField>& fields, std::string_view name) {
  for (const TRawHeaderField& f : fields)
    if (vxRuntime::SameTextAscii(f.Name(), name)) return f.Value();
  return {};
}

// The parts between the boundary lines of a multipart body.
std::vector<std::string_view> SplitMultipart(std::string_view body, const std::string& boundary) {
  std::vector<std::string_view> parts;
  const std::string delimiter = "--" + boundary;
  size_t partStart = std::string_view::npos;
  size_t lineStart = 0;
  while (lineStart < body.size()) {
    size_t lineEnd = body.find('\n', lineStart);
    const size_t next = lineEnd == std::string_view::npos ? body.size() : lineEnd + 1;
    if (lineEnd == std::string_view::npos) lineEnd = body.size();
    std::string_view line = body.substr(lineStart, lineEnd - lineStart);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.substr(0, delimiter.size()) == delimiter) {
      std::string_view rest = line.substr(delimiter.size());
      const bool closing = rest.substr(0, 2) == "--";
      if (closing) rest.remove_prefix(2);
      if (std::all_of(rest.begin(), rest.end(), IsBlank)) {
        if (partStart != std::string_view::npos) {
          // The line break before a delimiter belongs to the delimiter.
          size_t partEnd = lineStart;
          if (partEnd > partStart && body[partEnd - 1] == '\n') --partEnd;
          if (partEnd > partStart && body[partEnd - 1] == '\r') --partEnd;
          parts.push_back(body.substr(partStart, partEnd - partStart));
        }
        if (closing) return parts;
        partStart = next;
      }
    }
    lineStart = next;
  }
  if (partStart != std::string_view::npos && partStart < body.size()) parts.push_back(body.substr(partStart));
  return parts;
}

std::string DecodeTransfer(std::string_view body, const std::string& encoding) {
  const std::string e = vxRuntime::AsciiLower(vxRuntime::Trim<char>(encoding));
  if (e == "base64") return Base64Decode(body);
  if (e == "quoted-printable") return QuotedPrintableDecode(body);
  return std::string(body);
}

void ReadLeaves(const std::vector<TRawHeaderField>& fields, std::string_view body, std::vector<TMimePart>& parts,
                int depth) {
  const THeaderParameters type = ParseHeaderParameters(FieldOf(fields, "Content-Type"));
  const std::string mediaType = type.Value.empty() ? "text/plain" : vxRuntime::AsciiLower(type.Value);
  const std::string boundary = WideToUtf8(type.Get("boundary"));
  if (mediaType.rfind("multipart/", 0) == 0 && !boundary.empty() && depth < 32) {
    for (std::string_view partBytes : SplitMultipart(body, boundary)) {
      const TRawMessage part = TRawMessage::FromBytes(partBytes);
      ReadLeaves(part.HeaderFields, part.Body, parts, depth + 1);
    }
    return;
  }
  const THeaderParameters disposition = ParseHeaderParameters(FieldOf(fields, "Content-Disposition"));
  const std::string dispositionType = vxRuntime::AsciiLower(disposition.Value);
  TMimePart part;
  part.ContentType = Utf8ToWide(mediaType);
  part.Name = type.Get("name");
  part.FileName = disposition.Get("filename");
  if (part.FileName.empty()) part.FileName = part.Name;
  part.Inline = dispositionType == "inline";
  std::string id = vxRuntime::Trim<char>(FieldOf(fields, "Content-ID"));
  if (id.size() >= 2 && id.front() == '<' && id.back() == '>') id = id.substr(1, id.size() - 2);
  part.ContentId = UnknownBytesToWide(id);
  const std::string content = DecodeTransfer(body, FieldOf(fields, "Content-Transfer-Encoding"));
  const bool text = mediaType.rfind("text/", 0) == 0 && dispositionType != "attachment" && part.FileName.empty();
  if (text) {
    part.Kind = TMimePartKind::Text;
    part.Text = CharsetToWide(WideToUtf8(type.Get("charset")), content);
  } else {
    part.Kind = TMimePartKind::Attachment;
    part.Data = content;
  }
  parts.push_back(std::move(part));
}

}  // namespace

// ------------------------------------------------------------ raw messages

std::string TRawHeaderField::Name() const {
  const size_t colon = Text.find(':');
  std::string name = Text.substr(0, colon == std::string::npos ? Text.size() : colon);
  while (!name.empty() && IsBlank(name.back())) name.pop_back();
  return name;
}

std::string TRawHeaderField::Value() const {
  const size_t colon = Text.find(':');
  return colon == std::string::npos ? std::string() : Text.substr(colon + 1);
}

TRawMessage TRawMessage::FromBytes(std::string_view bytes) {
  TRawMessage message;
  message.Separator.clear();
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t lineEnd = bytes.find('\n', pos);
    const size_t next = lineEnd == std::string_view::npos ? bytes.size() : lineEnd + 1;
    if (lineEnd == std::string_view::npos) lineEnd = bytes.size();
    size_t textEnd = lineEnd;
    if (textEnd > pos && bytes[textEnd - 1] == '\r') --textEnd;
    const std::string_view text = bytes.substr(pos, textEnd - pos);
    const std::string_view lineBreak = bytes.substr(textEnd, next - textEnd);
    if (text.empty() && !lineBreak.empty()) {
      message.Separator = std::string(lineBreak);
      message.Body = std::string(bytes.substr(next));
      return message;
    }
    if (IsBlank(text.front()) && !message.HeaderFields.empty()) {
      TRawHeaderField& field = message.HeaderFields.back();
      field.Text += field.LineEnd;
      field.Text += text;
      field.LineEnd = std::string(lineBreak);
    } else {
      message.HeaderFields.push_back({std::string(text), std::string(lineBreak)});
    }
    pos = next;
  }
  return message;
}

TRawMessage TRawMessage::LoadFromFile(const ustring& fileName) {
  return FromBytes(ReadWholeFile(fileName));
}

std::string TRawMessage::ToBytes() const {
  std::string out;
  size_t size = Separator.size() + Body.size();
  for (const TRawHeaderField& f : HeaderFields) size += f.Text.size() + f.LineEnd.size();
  out.reserve(size);
  for (const TRawHeaderField& f : HeaderFields) {
    out += f.Text;
    out += f.LineEnd;
  }
  out += Separator;
  out += Body;
  return out;
}

void TRawMessage::SaveToFile(const ustring& fileName) const { WriteWholeFile(fileName, ToBytes()); }

std::string TRawMessage::FieldValue(std::string_view name) const { return FieldOf(HeaderFields, name); }

bool TRawMessage::HasField(std::string_view name) const {
  return std::any_of(HeaderFields.begin(), HeaderFields.end(),
                     [&](const TRawHeaderField& f) { return vxRuntime::SameTextAscii(f.Name(), name); });
}

std::string TRawMessage::WireHeader() const {
  std::string out;
  for (const TRawHeaderField& f : HeaderFields) {
    if (vxRuntime::SameTextAscii(f.Name(), "Bcc")) continue;
    out += f.Text;
    out += f.LineEnd;
  }
  out += Separator;
  return out;
}

std::string TRawMessage::WireBytes() const {
  std::string out = WireHeader();
  out.reserve(out.size() + Body.size());
  out += Body;
  return out;
}

std::string TRawMessage::EnvelopeSender() const {
  for (const char* name : {"Sender", "From"}) {
    for (const TRawHeaderField& f : HeaderFields) {
      if (!vxRuntime::SameTextAscii(f.Name(), name)) continue;
      const TMailAddressList boxes = ParseAddressList(f.Value());
      if (!boxes.empty()) return WideToUtf8(boxes.front().Address);
    }
  }
  return {};
}

std::vector<std::string> TRawMessage::EnvelopeRecipients() const {
  std::vector<std::string> result;
  std::set<std::string> seen;
  for (const TRawHeaderField& f : HeaderFields) {
    const std::string name = f.Name();
    if (!vxRuntime::SameTextAscii(name, "To") && !vxRuntime::SameTextAscii(name, "Cc") && !vxRuntime::SameTextAscii(name, "Bcc")) continue;
    for (const TMailAddress& a : ParseAddressList(f.Value())) {
      std::string box = WideToUtf8(a.Address);
      if (seen.insert(box).second) result.push_back(std::move(box));
    }
  }
  return result;
}

// ------------------------------------------------------------ composed mails

TBufferedMailSink::TBufferedMailSink(std::function<void(std::string_view)> Output, size_t BufferSize)
    : FOutput(std::move(Output)), FBuffer(BufferSize) {}

void TBufferedMailSink::Write(std::string_view Bytes) {
  if (Bytes.size() >= FBuffer.size()) {
    Flush();
    FOutput(Bytes);
    return;
  }
  std::memcpy(Room(Bytes.size()), Bytes.data(), Bytes.size());
  Commit(Bytes.size());
}

char* TBufferedMailSink::Room(size_t Size) {
  if (FUsed + Size > FBuffer.size()) Flush();
  if (Size > FBuffer.size()) FBuffer.resize(Size);
  return FBuffer.data() + FUsed;
}

void TBufferedMailSink::Commit(size_t Size) { FUsed += Size; }

void TBufferedMailSink::Flush() {
  if (FUsed == 0) return;
  FOutput(std::string_view(FBuffer.data(), FUsed));
  FUsed = 0;
}

// A text, or Base64 lines of Data or of the open File of Size bytes.
struct TComposedMail::TPiece {
  std::string Text;
  bool Lines = false;
  std::string Data;
  std::unique_ptr<TFileStream> File;
  ustring FileName;
  uint64_t Size = 0;  // the bytes the lines encode

  uint64_t Length() const { return Lines ? Base64LinesLength(Size) : Text.size(); }
};

TComposedMail::TComposedMail() = default;
TComposedMail::~TComposedMail() = default;
TComposedMail::TComposedMail(TComposedMail&&) noexcept = default;
TComposedMail& TComposedMail::operator=(TComposedMail&&) noexcept = default;

void TComposedMail::AddText(std::string_view Text) {
  if (FPieces.empty() || FPieces.back().Lines) FPieces.emplace_back();
  FPieces.back().Text += Text;
}

void TComposedMail::AddData(std::string Data) {
  TPiece& piece = FPieces.emplace_back();
  piece.Lines = true;
  piece.Size = Data.size();
  piece.Data = std::move(Data);
}

void TComposedMail::AddFile(const ustring& FileName) {
  auto file = std::make_unique<TFileStream>(FileName, fmOpenRead);
  const int64_t size = file->Size();
  TPiece& piece = FPieces.emplace_back();
  piece.Lines = true;
  piece.Size = static_cast<uint64_t>(std::max<int64_t>(size, 0));
  piece.File = std::move(file);
  piece.FileName = FileName;
}

std::vector<TComposedMail::TPieceShape> TComposedMail::BodyShape() const {
  std::vector<TPieceShape> shape;
  for (const TPiece& p : FPieces) {
    if (p.Lines) {
      if (p.Size > 0) shape.push_back({std::string_view(), p.Length()});
    } else if (!p.Text.empty()) {
      shape.push_back({p.Text, 0});
    }
  }
  return shape;
}

uint64_t TComposedMail::BodySize() const {
  uint64_t size = 0;
  for (const TPiece& p : FPieces) size += p.Length();
  return size;
}

void TComposedMail::WriteBody(TMailSink& Sink) const {
  // The file's bytes of one block (not cleared: each is read before use).
  std::unique_ptr<char[]> block;
  size_t blockSize = 0;
  for (const TPiece& p : FPieces) {
    if (!p.Lines) {
      if (!p.Text.empty()) Sink.Write(p.Text);
      continue;
    }
    const auto encode = [&Sink](std::string_view bytes) {
      const size_t length = Base64LinesLength(bytes.size());
      char* out = Sink.Room(length);
      Base64EncodeLinesTo(out, bytes);
      Sink.Commit(length);
    };
    if (!p.File) {
      const std::string_view data = p.Data;
      for (size_t at = 0; at < data.size(); at += kLinesBlock) encode(data.substr(at, kLinesBlock));
      continue;
    }
    // The file block by block, exactly the size it had when composed.
    const auto changed = [&p] {
      return EReadError(u"the file " + p.FileName + u" changed while the mail was being written");
    };
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(p.Size, kLinesBlock));
    if (blockSize < wanted) {
      block = std::make_unique_for_overwrite<char[]>(wanted);
      blockSize = wanted;
    }
    p.File->Seek(0, soBeginning);
    for (uint64_t left = p.Size; left > 0;) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(left, kLinesBlock));
      size_t got = 0;
      while (got < want) {
        const int64_t n = p.File->Read(block.get() + got, static_cast<int64_t>(want - got));
        if (n <= 0) throw changed();
        got += static_cast<size_t>(n);
      }
      encode(std::string_view(block.get(), got));
      left -= got;
    }
    char more;
    if (p.File->Read(&more, 1) != 0) throw changed();
  }
}

void TComposedMail::WriteTo(TMailSink& Sink, bool WithoutBcc) const {
  Sink.Write(WithoutBcc ? Header.WireHeader() : Header.ToBytes());
  WriteBody(Sink);
}

std::string TComposedMail::ToBytes() const {
  const std::string header = Header.ToBytes();
  std::string out(header.size() + BodySize(), '\0');
  TStringSink sink(out);
  sink.Write(header);
  WriteBody(sink);
  out.resize(sink.Used());
  return out;
}

TRawMessage TComposedMail::ToRawMessage() const {
  TRawMessage raw = Header;
  raw.Body.resize(BodySize());
  TStringSink sink(raw.Body);
  WriteBody(sink);
  raw.Body.resize(sink.Used());
  return raw;
}

void TComposedMail::SaveToFile(const ustring& FileName) const {
  TAtomicFileStream file(FileName);
  TBufferedMailSink sink([&file](std::string_view bytes) {
    file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  });
  WriteTo(sink, /*WithoutBcc=*/false);
  sink.Flush();
  file.Commit();
}

// ------------------------------------------------------------ parts

TMimePart TMimePart::TextPart(ustring contentType, ustring text) {
  TMimePart part;
  part.Kind = TMimePartKind::Text;
  part.ContentType = std::move(contentType);
  part.Text = std::move(text);
  return part;
}

TMimePart TMimePart::AttachmentFile(ustring contentType, ustring sourceFile, ustring fileName) {
  TMimePart part;
  part.Kind = TMimePartKind::Attachment;
  part.ContentType = std::move(contentType);
  part.SourceFile = std::move(sourceFile);
  part.Name = fileName;
  part.FileName = std::move(fileName);
  return part;
}

TMimePart TMimePart::AttachmentData(ustring contentType, std::string data, ustring fileName) {
  TMimePart part;
  part.Kind = TMimePartKind::Attachment;
  part.ContentType = std::move(contentType);
  part.Data = std::move(data);
  part.Name = fileName;
  part.FileName = std::move(fileName);
  return part;
}

// ------------------------------------------------------------ messages

TComposedMail TMimeMessage::ComposeMail() const {
  TComposedMail mail;
  TRawMessage& m = mail.Header;
  const TMailAddress from = vxMailAddress::Normalise(From);
  const TMailAddress sender = vxMailAddress::Normalise(Sender);
  if (!from.Address.empty()) AddField(m, "From", FormatAddress(from));
  if (!sender.Address.empty() && sender != from) AddField(m, "Sender", FormatAddress(sender));
  const std::pair<const char*, const TMailAddressList*> lists[] = {
      {"Reply-To", &ReplyTo}, {"To", &To}, {"Cc", &Cc}, {"Bcc", &Bcc}};
  for (const auto& [name, list] : lists) {
    const TMailAddressList clean = vxMailAddress::NormaliseList(*list);
    if (!clean.empty()) AddField(m, name, FormatAddressList(clean));
  }
  // The first encoded word fits the "Subject:" line: readers take a subject
  // that starts on a continuation line to start with a blank.
  if (!Subject.empty()) AddField(m, "Subject", EncodeHeaderText(Subject, std::string_view("Subject:").size()));
  AddField(m, "Date", MailDate(Date));
  if (!MessageId.empty()) AddField(m, "Message-ID", AngleId(MessageId));
  AddField(m, "MIME-Version", "1.0");
  if (Priority != TMailPriority::Normal) {
    AddField(m, "X-Priority", PriorityNumber(Priority));
    const bool high = Priority == TMailPriority::Highest || Priority == TMailPriority::High;
    AddField(m, "Importance", high ? "High" : "Low");
  }

  std::vector<const TMimePart*> parts;
  TMimePart bodyPart;
  if (!Body.empty() && !Parts.empty()) {
    bodyPart = TMimePart::TextPart(u"text/plain", Body);
    parts.push_back(&bodyPart);
  }
  for (const TMimePart& p : Parts) parts.push_back(&p);

  if (parts.empty()) {
    const std::string type = CleanContentType(ContentType, "text/plain");
    const ustring textType = type.rfind("text/", 0) == 0 ? Utf8ToWide(type) : u"text/plain";
    const TRawMessage single = TRawMessage::FromBytes(ComposeTextPart(textType, Body));
    m.HeaderFields.insert(m.HeaderFields.end(), single.HeaderFields.begin(), single.HeaderFields.end());
    mail.AddText(single.Body);
    return mail;
  }

  std::string type = CleanContentType(ContentType, "multipart/mixed");
  if (type.rfind("multipart/", 0) != 0) type = "multipart/mixed";
  const std::string boundary = RandomBoundary();
  std::string typeValue = type;
  // A related message names the type of its root part.
  if (type == "multipart/related")
    typeValue += "; " + FormatParameter("type", Utf8ToWide(CleanContentType(parts.front()->ContentType, "text/plain")));
  typeValue += "; " + FormatParameter("boundary", Utf8ToWide(boundary));
  AddField(m, "Content-Type", typeValue);
  mail.AddText("This is a multi-part message in MIME format.\r\n");
  for (const TMimePart* p : parts) {
    mail.AddText("\r\n--" + boundary + "\r\n");
    if (p->Kind == TMimePartKind::Text) {
      mail.AddText(ComposeTextPart(p->ContentType, p->Text));
      continue;
    }
    mail.AddText(AttachmentPartHeader(*p));
    if (p->SourceFile.empty())
      mail.AddData(p->Data);
    else
      mail.AddFile(p->SourceFile);
  }
  mail.AddText("\r\n--" + boundary + "--\r\n");
  return mail;
}

TRawMessage TMimeMessage::Compose() const { return ComposeMail().ToRawMessage(); }

void TMimeMessage::SaveToFile(const ustring& fileName) const { ComposeMail().SaveToFile(fileName); }

TMimeMessage TMimeMessage::Parse(const TRawMessage& raw) {
  TMimeMessage m;
  const TMailAddressList from = ParseAddressList(raw.FieldValue("From"));
  if (!from.empty()) m.From = from.front();
  const TMailAddressList sender = ParseAddressList(raw.FieldValue("Sender"));
  m.Sender = sender.empty() ? m.From : sender.front();
  m.ReplyTo = ParseAddressList(raw.FieldValue("Reply-To"));
  for (const TRawHeaderField& f : raw.HeaderFields) {
    const std::string name = f.Name();
    if (vxRuntime::SameTextAscii(name, "To")) for (auto& a : ParseAddressList(f.Value())) m.To.push_back(a);
    if (vxRuntime::SameTextAscii(name, "Cc")) for (auto& a : ParseAddressList(f.Value())) m.Cc.push_back(a);
    if (vxRuntime::SameTextAscii(name, "Bcc")) for (auto& a : ParseAddressList(f.Value())) m.Bcc.push_back(a);
  }
  // Only the blank after the colon goes: the subject's own blanks stay.
  std::string subject = vxMimeCodec::Unfold(raw.FieldValue("Subject"));
  if (!subject.empty() && (subject.front() == ' ' || subject.front() == '\t')) subject.erase(0, 1);
  m.Subject = DecodeHeaderText(subject);
  std::string id = vxRuntime::Trim<char>(Unfold(raw.FieldValue("Message-ID")));
  if (id.size() >= 2 && id.front() == '<' && id.back() == '>') id = id.substr(1, id.size() - 2);
  m.MessageId = UnknownBytesToWide(id);
  const std::string priority = vxRuntime::Trim<char>(raw.FieldValue("X-Priority"));
  if (!priority.empty() && priority[0] >= '1' && priority[0] <= '5')
    m.Priority = static_cast<TMailPriority>(priority[0] - '1');

  const THeaderParameters type = ParseHeaderParameters(raw.FieldValue("Content-Type"));
  const std::string mediaType = type.Value.empty() ? "text/plain" : vxRuntime::AsciiLower(type.Value);
  m.ContentType = Utf8ToWide(mediaType);
  std::vector<TMimePart> leaves;
  ReadLeaves(raw.HeaderFields, raw.Body, leaves, 0);
  if (mediaType.rfind("multipart/", 0) != 0 && leaves.size() == 1 && leaves.front().Kind == TMimePartKind::Text) {
    m.Body = leaves.front().Text;
  } else {
    m.Parts = std::move(leaves);
  }
  return m;
}
