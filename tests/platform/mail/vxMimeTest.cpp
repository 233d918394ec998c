// Tests of platform/mail/vxMime.h: composing, saving and reading back
// Internet mail messages, and their addresses.
#include "platform/mail/vxMime.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxStream.h"

namespace {

ustring W(const std::filesystem::path& path) { return Utf8ToWide(path.string()); }

struct TTempFolder {
  std::filesystem::path Path;
  TTempFolder() {
    char pattern[] = "/tmp/vx-mime-test-XXXXXX";
    Path = ::mkdtemp(pattern);
  }
  ~TTempFolder() { std::filesystem::remove_all(Path); }
};

void WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool AllLinesWithin(const std::string& text, size_t columns) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (end - start > columns) return false;
    start = end + 2;
  }
  return true;
}

TMimeMessage SampleMessage() {
  TMimeMessage m;
  m.From = {u"Jürgen Müller", u"juergen@example.com"};
  m.Sender = m.From;
  m.ReplyTo = {{u"", u"juergen@example.com"}};
  m.To = {{u"a@example.com", u"a@example.com"}, {u"Bob, Jr.", u"bob@example.com"}};
  m.Cc = {{u"", u"c@example.com"}};
  m.Bcc = {{u"", u"hidden@example.com"}};
  m.Subject = u"Rechnung Nr. 4711 – Größe";
  m.MessageId = u"vxMAPI20240101120000000ABCDEF";
  m.Priority = TMailPriority::High;
  m.ContentType = u"multipart/related";
  m.Parts.push_back(TMimePart::TextPart(u"text/html", u"<html><body>Grüße<br>\n.a dot line</body></html>"));
  TMimePart image = TMimePart::AttachmentData(u"image/png", std::string("\x89PNG\r\n\x1a\n\0\xff", 10), u"logo.png");
  image.ContentId = u"logo1";
  image.Inline = true;
  m.Parts.push_back(image);
  m.Parts.push_back(TMimePart::AttachmentData(u"application/zip", std::string(5000, '\x01'), u"a, b.zip"));
  return m;
}

}  // namespace

TEST(MailAddresses, ParsedFromHeaderValues) {
  struct TCase {
    std::string Raw;
    TMailAddressList Expected;
  };
  const TCase cases[] = {
      {"a@example.com", {{u"", u"a@example.com"}}},
      {"A <a@example.com>, b@example.com", {{u"A", u"a@example.com"}, {u"", u"b@example.com"}}},
      {"\"Doe, John\" <john@example.com>", {{u"Doe, John", u"john@example.com"}}},
      {"\"Say \\\"hi\\\"\" <x@y>", {{u"Say \"hi\"", u"x@y"}}},
      {"Mary Smith\r\n <mary@x.test>,\r\n\tjdoe@example.org", {{u"Mary Smith", u"mary@x.test"}, {u"", u"jdoe@example.org"}}},
      {"=?UTF-8?Q?J=C3=BCrgen?= <j@x>", {{u"Jürgen", u"j@x"}}},
      {"\"=?UTF-8?Q?J=C3=BCrgen?=\" <j@x>", {{u"Jürgen", u"j@x"}}},
      {"A Group:Ed Jones <c@a.test>,joe@where.test,John <jdoe@one.test>;, after@x",
       {{u"Ed Jones", u"c@a.test"}, {u"", u"joe@where.test"}, {u"John", u"jdoe@one.test"}, {u"", u"after@x"}}},
      {"undisclosed-recipients:;", {}},
      {"jdoe@example.org (John Doe)", {{u"John Doe", u"jdoe@example.org"}}},
      {"Pete(A nice \\) chap) <pete(his account)@silly.test(his host)>", {{u"Pete", u"pete@silly.test"}}},
      {"<@route.test,@other.test:box@final.test>", {{u"", u"box@final.test"}}},
      {"\"john doe\"@example.com", {{u"", u"\"john doe\"@example.com"}}},
      {"user@[192.168.0.1]", {{u"", u"user@[192.168.0.1]"}}},
      {"a@x,,b@y , ", {{u"", u"a@x"}, {u"", u"b@y"}}},
      {"postmaster", {{u"", u"postmaster"}}},
      // Words without a dot make no mailbox; they are not joined into another one.
      {"john smith@example.com", {{u"", u"john smith@example.com"}}},
      {"john.smith@example.com", {{u"", u"john.smith@example.com"}}},
      {"", {}},
      {"<>", {}},
  };
  for (const TCase& c : cases) EXPECT_EQ(ParseAddressList(c.Raw), c.Expected) << c.Raw;
}

TEST(MailAddresses, FormattedForHeaders) {
  EXPECT_EQ(FormatAddress({u"", u"a@x"}), "a@x");
  EXPECT_EQ(FormatAddress({u"a@x", u"a@x"}), "a@x");
  EXPECT_EQ(FormatAddress({u"Ann Lee", u"a@x"}), "Ann Lee <a@x>");
  EXPECT_EQ(FormatAddress({u"Lee, Ann", u"a@x"}), "\"Lee, Ann\" <a@x>");
  EXPECT_EQ(FormatAddress({u"Jürgen", u"j@x"}), "=?UTF-8?Q?J=C3=BCrgen?= <j@x>");
  const TMailAddressList list = {{u"Lee, Ann", u"a@x"}, {u"Jürgen \"J\"", u"j@x"}, {u"", u"c@x"},
                                 {u"=?UTF-8?Q?x?=", u"d@x"}, {ustring(1200, u'n'), u"e@x"}};
  EXPECT_EQ(ParseAddressList(FormatAddressList(list)), list);
  // Even a name without blanks can be folded within a line.
  TMimeMessage m;
  m.From = list.back();
  m.To = list;
  const std::string bytes = m.Compose().ToBytes();
  EXPECT_TRUE(AllLinesWithin(bytes, 76)) << bytes;
}

TEST(RawMessage, KeepsEveryByte) {
  const std::string samples[] = {
      "From: a@x\r\nTo: b@y\r\nSubject: folded\r\n  subject\r\n\r\nBody\r\n.dot\r\n",
      "From: a@x\nTo: b@y\n\nLF only body\n",
      "From: a@x\r\nTo: b@y\r\n",
      "From: a@x\r\nTo: b@y",
      "Subject: no body\r\n\r\n",
      "\r\nbody without header",
      "",
      "From: a@x\r\nX-Eight-Bit: \xE4\xF6\xFC\r\n\r\n\x00\x01\xFF binary",
  };
  for (const std::string& bytes : samples) EXPECT_EQ(TRawMessage::FromBytes(bytes).ToBytes(), bytes);
  const TRawMessage m = TRawMessage::FromBytes(samples[0]);
  ASSERT_EQ(m.HeaderFields.size(), 3u);
  EXPECT_EQ(m.HeaderFields[2].Name(), "Subject");
  EXPECT_EQ(m.HeaderFields[2].Value(), " folded\r\n  subject");
  EXPECT_EQ(m.Body, "Body\r\n.dot\r\n");
  EXPECT_EQ(m.FieldValue("subject"), " folded\r\n  subject");
  EXPECT_TRUE(m.HasField("TO"));
  EXPECT_FALSE(m.HasField("Cc"));
}

TEST(RawMessage, WireBytesLeaveOutBccOnly) {
  const std::string bytes =
      "From: a@x\r\nBcc: secret@x,\r\n other-secret@y\r\nTo: b@y\r\nbcc:  lower@z\r\nX-Bcc-Note: stays\r\n\r\n"
      "Bcc: in the body stays\r\n";
  const TRawMessage m = TRawMessage::FromBytes(bytes);
  EXPECT_EQ(m.WireBytes(), "From: a@x\r\nTo: b@y\r\nX-Bcc-Note: stays\r\n\r\nBcc: in the body stays\r\n");
  EXPECT_EQ(m.ToBytes(), bytes);
}

TEST(RawMessage, EnvelopeFromHeaderFields) {
  const TRawMessage m = TRawMessage::FromBytes(
      "From: Author <author@x>\r\nSender: Agent <agent@x>\r\nTo: a@x, \"B\" <b@x>\r\nCc: c@x,\r\n a@x\r\n"
      "Bcc: d@x\r\nTo: e@x\r\n\r\nbody");
  EXPECT_EQ(m.EnvelopeSender(), "agent@x");
  EXPECT_EQ(m.EnvelopeRecipients(), (std::vector<std::string>{"a@x", "b@x", "c@x", "d@x", "e@x"}));
  const TRawMessage fromOnly = TRawMessage::FromBytes("From: Author <author@x>\r\n\r\n");
  EXPECT_EQ(fromOnly.EnvelopeSender(), "author@x");
  EXPECT_TRUE(fromOnly.EnvelopeRecipients().empty());
  EXPECT_EQ(TRawMessage::FromBytes("Subject: x\r\n\r\n").EnvelopeSender(), "");
}

TEST(RawMessage, FilesLoadedAndSaved) {
  TTempFolder folder;
  const std::string bytes = "From: a@x\nTo: b@y\n\nbody\n";
  WriteFile(folder.Path / "in.eml", bytes);
  const TRawMessage m = TRawMessage::LoadFromFile(W(folder.Path / "in.eml"));
  m.SaveToFile(W(folder.Path / "out.eml"));
  EXPECT_EQ(ReadFile(folder.Path / "out.eml"), bytes);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path), {}), 2);

  try {
    TRawMessage::LoadFromFile(W(folder.Path / "missing.eml"));
    FAIL() << "no error";
  } catch (const EOSError& e) {
    EXPECT_NE(std::string(e.what()).find("missing.eml"), std::string::npos);
  }
  // A folder that does not exist: an error and no file anywhere.
  EXPECT_THROW(m.SaveToFile(W(folder.Path / "no-folder" / "x.eml")), EOSError);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path), {}), 2);
}

TEST(MimeMessage, ComposedHeaders) {
  const std::string bytes = SampleMessage().Compose().ToBytes();
  const TRawMessage raw = TRawMessage::FromBytes(bytes);
  EXPECT_EQ(raw.FieldValue("From"), " =?UTF-8?Q?J=C3=BCrgen_M=C3=BCller?= <juergen@example.com>");
  EXPECT_FALSE(raw.HasField("Sender"));  // the same as From
  EXPECT_EQ(raw.FieldValue("To"), " a@example.com, \"Bob, Jr.\" <bob@example.com>");
  EXPECT_EQ(raw.FieldValue("Bcc"), " hidden@example.com");
  EXPECT_EQ(raw.FieldValue("Message-ID"), " <vxMAPI20240101120000000ABCDEF>");
  EXPECT_EQ(raw.FieldValue("MIME-Version"), " 1.0");
  EXPECT_EQ(raw.FieldValue("X-Priority"), " 2 (High)");
  EXPECT_EQ(raw.FieldValue("Importance"), " High");
  EXPECT_TRUE(raw.HasField("Date"));
  EXPECT_NE(raw.FieldValue("Content-Type").find("multipart/related; type=\"text/html\""), std::string::npos);
  EXPECT_TRUE(AllLinesWithin(bytes, 78));
  for (unsigned char c : bytes) EXPECT_LT(c, 128) << "composed messages are 7-bit";
  EXPECT_EQ(raw.WireBytes().find("hidden@example.com"), std::string::npos);
}

TEST(MimeMessage, HeaderLinesWithEncodedWordsStayWithin76Columns) {
  TMimeMessage m;
  m.From = {u"Jürgen Müller-Lüdenscheidt von der Größenänderungsabteilung", u"juergen@example.com"};
  m.To = {{u"", u"b@x"}};
  m.Body = u"text";
  const ustring subjects[] = {u"Größe", u"Übersicht über alle Größen und Längen im Jahr 2024 – Größenänderung",
                              ustring(200, u'ü'), u"Plain " + ustring(70, u'x') + u" words"};
  for (const ustring& subject : subjects) {
    m.Subject = subject;
    const TRawMessage raw = m.Compose();
    const std::string bytes = raw.ToBytes();
    EXPECT_TRUE(AllLinesWithin(bytes.substr(0, bytes.find("\r\n\r\n")), 76)) << bytes;
    const TMimeMessage back = TMimeMessage::Parse(raw);
    EXPECT_EQ(back.Subject, subject);
    EXPECT_EQ(back.From, m.From);
  }
}

// Texts that used to change on the way: blanks around a subject, file names
// a reader would cut or decode, a long subject's first encoded word.
TEST(MimeMessage, RoundTripsKeepTheText) {
  for (const ustring& subject : std::vector<ustring>{u"  padded  ", u" x", u"Gr\u00f6\u00dfe ", ustring(100, u'\u00fc'), u"y" + ustring(75, u'x')}) {
    TMimeMessage m;
    m.From = {u"", u"a@x"};
    m.To = {{u"", u"b@y"}};
    m.Subject = subject;
    for (const ustring name : {u"=?utf-8?q?invoice?=.pdf", u"a*b.pdf", u"it's.pdf"})
      m.Parts.push_back(TMimePart::AttachmentData(u"application/pdf", "data", name));
    const TRawMessage raw = m.Compose();
    const TMimeMessage back = TMimeMessage::Parse(TRawMessage::FromBytes(raw.ToBytes()));
    EXPECT_EQ(back.Subject, subject) << raw.ToBytes();
    // The subject's first word stands on the "Subject:" line.
    const std::string field = raw.FieldValue("Subject");
    EXPECT_NE(field.substr(0, field.find("\r\n")).find_first_not_of(' '), std::string::npos) << field;
    ASSERT_EQ(back.Parts.size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(back.Parts[i].FileName, m.Parts[i].FileName);
  }
}

// A display name whose blanks a plain phrase would not keep is quoted, so
// it reads back as it was (outer blanks are trimmed when composing).
TEST(MimeMessage, DisplayNamesKeepTheirBlanks) {
  for (const ustring name : {u"John  Smith", u"a   b c", u"  John Smith ", u"J\u00f6rg  M\u00fcller"}) {
    TMimeMessage m;
    m.From = {name, u"a@x"};
    m.To = {{name, u"b@y"}};
    const TRawMessage raw = m.Compose();
    const TMimeMessage back = TMimeMessage::Parse(TRawMessage::FromBytes(raw.ToBytes()));
    EXPECT_EQ(back.From.Name, vxRuntime::Trim(name)) << raw.FieldValue("From");
    ASSERT_EQ(back.To.size(), 1u);
    EXPECT_EQ(back.To[0].Name, vxRuntime::Trim(name)) << raw.FieldValue("To");
  }
  EXPECT_EQ(FormatAddress({u"John  Smith", u"a@x"}), "\"John  Smith\" <a@x>");
  EXPECT_EQ(FormatAddress({u"John Smith", u"a@x"}), "John Smith <a@x>");
}

TEST(MimeMessage, ComposedMessageReadsBack) {
  const TMimeMessage sent = SampleMessage();
  const TMimeMessage back = TMimeMessage::Parse(sent.Compose());
  EXPECT_EQ(back.From, sent.From);
  EXPECT_EQ(back.Sender, sent.From);
  EXPECT_EQ(back.To, (TMailAddressList{{u"", u"a@example.com"}, {u"Bob, Jr.", u"bob@example.com"}}));
  EXPECT_EQ(back.Cc, sent.Cc);
  EXPECT_EQ(back.Bcc, sent.Bcc);
  EXPECT_EQ(back.Subject, sent.Subject);
  EXPECT_EQ(back.MessageId, sent.MessageId);
  EXPECT_EQ(back.Priority, TMailPriority::High);
  EXPECT_EQ(back.ContentType, u"multipart/related");
  ASSERT_EQ(back.Parts.size(), 3u);
  EXPECT_EQ(back.Parts[0].Kind, TMimePartKind::Text);
  EXPECT_EQ(back.Parts[0].ContentType, u"text/html");
  EXPECT_EQ(back.Parts[0].Text, u"<html><body>Grüße<br>\r\n.a dot line</body></html>");
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(back.Parts[i].Kind, TMimePartKind::Attachment);
    EXPECT_EQ(back.Parts[i].Data, sent.Parts[i].Data);
    EXPECT_EQ(back.Parts[i].FileName, sent.Parts[i].FileName);
    EXPECT_EQ(back.Parts[i].Name, sent.Parts[i].Name);
    EXPECT_EQ(back.Parts[i].ContentType, sent.Parts[i].ContentType);
    EXPECT_EQ(back.Parts[i].ContentId, sent.Parts[i].ContentId);
    EXPECT_EQ(back.Parts[i].Inline, sent.Parts[i].Inline);
  }
}

TEST(MimeMessage, AddressesAsTheyStandAreCleanedForTheWire) {
  TMimeMessage m;
  m.From = {u"sender@x", u"sender@x"};
  // As a comma-separated list splits: blanks around, an empty entry, and a
  // 'Name <box>' entry.
  m.To = {{u"a@x", u"a@x"}, {u"", u""}, {u" b@x", u" b@x"}, {u"Carl <c@x>", u"Carl <c@x>"}};
  const TRawMessage raw = m.Compose();
  EXPECT_EQ(raw.FieldValue("To"), " a@x, b@x, Carl <c@x>");
  EXPECT_EQ(raw.FieldValue("From"), " sender@x");
  EXPECT_EQ(raw.EnvelopeRecipients(), (std::vector<std::string>{"a@x", "b@x", "c@x"}));
  EXPECT_EQ(raw.EnvelopeSender(), "sender@x");
}

TEST(MimeMessage, SenderWrittenWhenDifferent) {
  TMimeMessage m;
  m.From = {u"", u"author@x"};
  m.Sender = {u"", u"agent@x"};
  m.To = {{u"", u"r@x"}};
  const TRawMessage raw = m.Compose();
  EXPECT_EQ(raw.FieldValue("Sender"), " agent@x");
  EXPECT_EQ(raw.EnvelopeSender(), "agent@x");
}

TEST(MimeMessage, HeaderInjectionIsImpossible) {
  TMimeMessage m;
  m.From = {u"", u"a@x"};
  m.To = {{u"", u"b@x"}};
  m.Subject = u"Hello\r\nBcc: victim@x";
  m.Body = u"text";
  const TRawMessage raw = m.Compose();
  EXPECT_FALSE(raw.HasField("Bcc"));
  EXPECT_EQ(TMimeMessage::Parse(raw).Subject, u"Hello\r\nBcc: victim@x");

  // An address that would need changing to be written is refused, never
  // written as it stands nor sent to another mailbox.
  const ustring refused[] = {u"b@x\r\nBcc: victim@x", u"b@x\nX-Injected:yes", u"\"b\r\n\"@x",
                             u"john smith@example.com", u"b\t@x", u"a@x; b@y"};
  for (const ustring& address : refused) {
    TMimeMessage badTo = m;
    badTo.To = {{address, address}};
    TMimeMessage badFrom = m;
    badFrom.From = {address, address};
    for (const TMimeMessage* bad : {&badTo, &badFrom}) {
      try {
        bad->Compose();
        ADD_FAILURE() << "written: " << WideToUtf8(address);
      } catch (const EMailAddressError& e) {
        EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("invalid mail address '"), std::string::npos);
      }
    }
  }
  m.To = {{u"", u"\"john smith\"@example.com"}};  // a quoted local part may hold a blank
  EXPECT_EQ(m.Compose().EnvelopeRecipients(), (std::vector<std::string>{"\"john smith\"@example.com"}));
}

TEST(MimeMessage, SinglePartAndLongLines) {
  TMimeMessage m;
  m.From = {u"", u"a@x"};
  m.To = {{u"", u"b@x"}};
  m.ContentType = u"text/plain";
  m.Body = ustring(300, u'ü') + u"\nline two with trailing blank \n";
  const TRawMessage raw = m.Compose();
  EXPECT_EQ(raw.FieldValue("Content-Type"), " text/plain; charset=utf-8");
  EXPECT_EQ(raw.FieldValue("Content-Transfer-Encoding"), " quoted-printable");
  EXPECT_TRUE(AllLinesWithin(raw.ToBytes(), 78));
  const TMimeMessage back = TMimeMessage::Parse(raw);
  EXPECT_TRUE(back.Parts.empty());
  EXPECT_EQ(back.Body, ustring(300, u'ü') + u"\r\nline two with trailing blank \r\n");
}

TEST(MimeMessage, BodyBesideParts) {
  TMimeMessage m;
  m.From = {u"", u"a@x"};
  m.To = {{u"", u"b@x"}};
  m.ContentType = u"text/plain";  // not multipart: mixed is used for parts
  m.Body = u"first";
  m.Parts.push_back(TMimePart::AttachmentData(u"text/plain", "attached text", u"notes.txt"));
  const TRawMessage raw = m.Compose();
  EXPECT_EQ(raw.FieldValue("Content-Type").find(" multipart/mixed;"), 0u);
  const TMimeMessage back = TMimeMessage::Parse(raw);
  ASSERT_EQ(back.Parts.size(), 2u);
  EXPECT_EQ(back.Parts[0].Text, u"first");
  EXPECT_EQ(back.Parts[1].Kind, TMimePartKind::Attachment);
  EXPECT_EQ(back.Parts[1].Data, "attached text");
}

TEST(MimeMessage, AttachmentFromFileAndNonAsciiNames) {
  TTempFolder folder;
  std::string content;
  for (int i = 0; i < 3000; ++i) content.push_back(static_cast<char>(i * 7));
  WriteFile(folder.Path / "data.bin", content);
  TMimeMessage m;
  m.From = {u"", u"a@x"};
  m.To = {{u"", u"b@x"}};
  m.Parts.push_back(TMimePart::TextPart(u"text/plain", u"see attachment"));
  m.Parts.push_back(TMimePart::AttachmentFile(u"application/octet-stream", W(folder.Path / "data.bin"),
                                              u"Übersicht über alle Größen und Längen im Jahr 2024.bin"));
  m.SaveToFile(W(folder.Path / "saved.eml"));
  const TMimeMessage back = TMimeMessage::Parse(TRawMessage::LoadFromFile(W(folder.Path / "saved.eml")));
  ASSERT_EQ(back.Parts.size(), 2u);
  EXPECT_EQ(back.Parts[1].Data, content);
  EXPECT_EQ(back.Parts[1].FileName, u"Übersicht über alle Größen und Längen im Jahr 2024.bin");
  EXPECT_TRUE(AllLinesWithin(ReadFile(folder.Path / "saved.eml"), 78));

  m.Parts[1].SourceFile = W(folder.Path / "gone.bin");
  EXPECT_THROW(m.Compose(), EOSError);
}

// The attachment's file is read when the mail is written, as often as it is
// written; a file that is shorter or longer by then fails the writing, and a
// file replaced by another name is still the one opened when composing.
TEST(MimeMessage, AttachmentFileReadWhenWritten) {
  TTempFolder folder;
  const std::string content(200'000, 'x');
  WriteFile(folder.Path / "data.bin", content);
  TMimeMessage m;
  m.From = {u"", u"a@x"};
  m.To = {{u"", u"b@x"}};
  m.Parts.push_back(TMimePart::AttachmentFile(u"application/octet-stream", W(folder.Path / "data.bin"), u"d.bin"));
  const TComposedMail mail = m.ComposeMail();
  const std::string first = mail.ToBytes();
  EXPECT_EQ(mail.ToBytes(), first);
  EXPECT_EQ(TMimeMessage::Parse(TRawMessage::FromBytes(first)).Parts.at(0).Data, content);

  for (const std::string& changed : {content.substr(1), content + "y"}) {
    WriteFile(folder.Path / "data.bin", changed);
    EXPECT_THROW(mail.ToBytes(), EReadError);
    EXPECT_THROW(mail.SaveToFile(W(folder.Path / "m.eml")), EReadError);
    EXPECT_FALSE(std::filesystem::exists(folder.Path / "m.eml"));  // no partial file
  }
  WriteFile(folder.Path / "data.bin", content);
  std::filesystem::rename(folder.Path / "data.bin", folder.Path / "moved.bin");
  WriteFile(folder.Path / "data.bin", "another file");
  EXPECT_EQ(mail.ToBytes(), first);
}

TEST(MimeMessage, ForeignMessagesRead) {
  // Nested alternatives, a Latin-1 text part, an attachment named by its
  // content type only, and LF line ends.
  const std::string bytes =
      "From: =?iso-8859-1?q?J=FCrgen?= <j@x>\n"
      "To: undisclosed-recipients:;\n"
      "Subject: =?utf-8?B?R3LDvMOfZQ==?=\n"
      "Content-Type: multipart/mixed; boundary=outer\n"
      "\n"
      "preamble\n"
      "--outer\n"
      "Content-Type: multipart/alternative; boundary=\"inner\"\n"
      "\n"
      "--inner\n"
      "Content-Type: text/plain; charset=iso-8859-1\n"
      "Content-Transfer-Encoding: quoted-printable\n"
      "\n"
      "Gr=FC=DFe\n"
      "--inner\n"
      "Content-Type: text/html; charset=utf-8\n"
      "\n"
      "<p>x</p>\n"
      "--inner--\n"
      "--outer\n"
      "Content-Type: application/pdf; name=\"r.pdf\"\n"
      "Content-Transfer-Encoding: base64\n"
      "\n"
      "JVBERi0=\n"
      "--outer--\n"
      "epilogue\n";
  const TMimeMessage m = TMimeMessage::Parse(TRawMessage::FromBytes(bytes));
  EXPECT_EQ(m.From, (TMailAddress{u"Jürgen", u"j@x"}));
  EXPECT_TRUE(m.To.empty());
  EXPECT_EQ(m.Subject, u"Grüße");
  ASSERT_EQ(m.Parts.size(), 3u);
  EXPECT_EQ(m.Parts[0].Text, u"Grüße");
  EXPECT_EQ(m.Parts[1].ContentType, u"text/html");
  EXPECT_EQ(m.Parts[1].Text, u"<p>x</p>");
  EXPECT_EQ(m.Parts[2].Kind, TMimePartKind::Attachment);
  EXPECT_EQ(m.Parts[2].FileName, u"r.pdf");
  EXPECT_EQ(m.Parts[2].Data, "%PDF-");
}
