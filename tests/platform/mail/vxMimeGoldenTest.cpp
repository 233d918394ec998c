// The composer against golden mails: a table of messages (fixed date, ids
// and time zone) whose mails were composed and kept as files in
// tests/platform/mail/golden/ when the whole mail was still composed as one
// string; the long ones are kept as their size and MD5 digest. Every way a
// mail leaves the composer (as bytes, saved as ".eml", written piece by
// piece into a sink, sent over SMTP) must give those bytes, and Python's
// email package must read the same message from both.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxMD5Digest.h"
#include "platform/mail/vxMime.h"
#include "platform/mail/vxSmtp.h"
#include "platform/time/vxDateUtils.h"
#include "support/vxMailGolden.h"
#include "support/vxSmtpTestServer.h"
#include "support/vxTestTempDir.h"
#include "support/vxTimeZoneGuard.h"

namespace {

std::string Pattern(size_t size, unsigned seed) {
  std::string data(size, '\0');
  uint32_t x = seed * 2654435761u + 1;
  for (char& c : data) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x);
  }
  return data;
}

std::string Md5(const std::string& bytes) {
  TMD5Digest digest;
  digest.Update(bytes.data(), bytes.size());
  return digest.HexText();
}

struct TGolden {
  std::string Name;
  TMimeMessage Message;
  size_t Size = 0;  // the long ones: size and digest instead of a file
  std::string Digest;
};

TMimeMessage Base(const std::u16string& subject) {
  TMimeMessage m;
  m.From = {u"Jürgen Müller", u"juergen@example.com"};
  m.Sender = m.From;
  m.ReplyTo = {{u"", u"juergen@example.com"}};
  m.To = {{u"", u"a@example.com"}, {u"Bob, Jr.", u"bob@example.com"}};
  m.Subject = subject;
  m.MessageId = u"vxMAPI20240315123456789" u"0123456789ABCDEF0123456789ABCDEF";
  m.Date = vxRuntime::EncodeDate(2024, 3, 15) + 0.5 + 7.0 / 86400.0;
  return m;
}

// Attachment files are written in Folder, their contents fixed by their sizes.
std::vector<TGolden> Table(const TTestTempDir& Folder) {
  const auto file = [&](const std::string& name, size_t size) {
    TTestTempDir::WriteBytes(Folder.File(name), Pattern(size, static_cast<unsigned>(size)));
    return Folder.WideFile(name);
  };
  std::vector<TGolden> table;

  {
    TMimeMessage m = Base(u"Plain text");
    m.Body = u"Grüße aus München.\r\nA line ending in LF alone\n.a line opening with a dot\r\n"
             u"A line far longer than a line of quoted-printable may be, so that it is broken with soft line "
             u"breaks, trailing blank \r\n\r\nEnd.";
    table.push_back({"plain-text", m, 0, ""});
  }
  {
    TMimeMessage m = Base(u"HTML alone");
    m.ContentType = u"text/html";
    m.Body = u"<html><body><p>Grüße</p></body></html>";
    m.Priority = TMailPriority::Low;
    table.push_back({"html-alone", m, 0, ""});
  }
  {
    TMimeMessage m = Base(u"Rechnung Nr. 4711 – Größe und Übersicht über alle Anlagen, die diesem Schreiben beiliegen");
    m.ContentType = u"multipart/mixed";
    m.Cc = {{u"", u"c@example.com"}};
    m.Bcc = {{u"", u"hidden@example.com"}};
    m.Priority = TMailPriority::Highest;
    m.Body = u"Anbei die Dateien.";
    for (size_t size : {0u, 1u, 2u, 3u, 56u, 57u, 58u, 114u})
      m.Parts.push_back(TMimePart::AttachmentData(u"application/octet-stream", Pattern(size, static_cast<unsigned>(size)),
                                                  u"data-" + Utf8ToWide(std::to_string(size)) + u".bin"));
    m.Parts.push_back(TMimePart::AttachmentFile(u"application/pdf", file("a.pdf", 1000), u"Rechnung März 2024.pdf"));
    m.Parts.push_back(TMimePart::AttachmentFile(
        u"text/plain", file("b.txt", 171),
        u"A file name far too long for one line of a header, with blanks, commas, and \"quotes\" in it.txt"));
    table.push_back({"mixed-attachments", m, 0, ""});
  }
  {
    TMimeMessage m = Base(u"Related");
    m.Sender = {u"Office", u"office@example.com"};
    m.ContentType = u"multipart/related";
    m.Priority = TMailPriority::Lowest;
    m.Parts.push_back(TMimePart::TextPart(u"text/html", u"<html><body><img src=\"cid:logo1\"> Grüße</body></html>"));
    TMimePart image = TMimePart::AttachmentData(u"image/png", Pattern(300, 9), u"logo.png");
    image.ContentId = u"logo1";
    image.Inline = true;
    m.Parts.push_back(image);
    TMimePart named = TMimePart::AttachmentFile(u"image/jpeg", file("c.jpg", 2048), u"photo.jpg");
    named.Name = u"Das Foto";
    m.Parts.push_back(named);
    table.push_back({"related-inline", m, 0, ""});
  }
  {
    TMimeMessage m = Base(u"");
    m.Parts.push_back(TMimePart::AttachmentFile(u"application/zip", file("d.zip", 4000), u"d.zip"));
    table.push_back({"attachment-alone", m, 0, ""});
  }
  // Long attachments, across every size a piece of the work may have.
  {
    TMimeMessage m = Base(u"Long file");
    m.Body = u"See the file.";
    m.Parts.push_back(TMimePart::AttachmentFile(u"application/pdf", file("long1.pdf", 65543), u"long1.pdf"));
    m.Parts.push_back(TMimePart::AttachmentFile(u"application/pdf", file("long2.pdf", 300001), u"long2.pdf"));
    table.push_back({"long-files", m, 501151, "7AB7A214252F1AE1DFFC758A7D2EB753"});
  }
  {
    TMimeMessage m = Base(u"Long data");
    m.Parts.push_back(TMimePart::AttachmentData(u"application/octet-stream", Pattern(1048583, 3), u"long.bin"));
    m.Parts.push_back(TMimePart::AttachmentFile(u"application/octet-stream", file("long3.bin", 1048576 * 2 + 1),
                                                u"long3.bin"));
    table.push_back({"long-data", m, 4305504, "6F55428F678F491D73D65006A2761C54"});
  }
  return table;
}

// What a server receives of a mail: no Bcc field, and the data ends with a
// line end (DATA adds one where the mail has none).
std::string OnTheWire(const std::string& mail) {
  const size_t headerEnd = mail.find("\r\n\r\n");
  std::string out;
  bool dropping = false;
  for (size_t pos = 0; pos < headerEnd + 2;) {
    const size_t end = mail.find("\r\n", pos) + 2;
    const std::string line = mail.substr(pos, end - pos);
    if (line[0] != ' ' && line[0] != '\t') dropping = line.compare(0, 4, "Bcc:") == 0;
    if (!dropping) out += line;
    pos = end;
  }
  out += mail.substr(headerEnd + 2);
  if (out.size() < 2 || out.compare(out.size() - 2, 2, "\r\n") != 0) out += "\r\n";
  return out;
}

}  // namespace

TEST(MimeGolden, EveryWayOutGivesTheGoldenBytes) {
  const TTimeZoneGuard zone("Europe/Berlin");
  TTestTempDir folder("vx-mime-golden");
  TSmtpTestServer server;
  std::vector<std::pair<std::string, std::string>> pairs;
  std::vector<std::string> names;
  for (const TGolden& g : Table(folder)) {
    SCOPED_TRACE(g.Name);
    const std::string composed = vxTest::SameBoundaries(g.Message.Compose().ToBytes());
    g.Message.SaveToFile(folder.WideFile(g.Name + ".eml"));
    const std::string saved = vxTest::SameBoundaries(TTestTempDir::ReadBytes(folder.File(g.Name + ".eml")));
    std::string golden;
    if (g.Digest.empty()) {
      golden = vxTest::ReadGolden("platform/mail/golden/" + g.Name + ".eml");
      EXPECT_EQ(composed, golden);
      pairs.emplace_back(golden, saved);
      names.push_back(g.Name);
    } else {
      EXPECT_EQ(composed.size(), g.Size);
      EXPECT_EQ(Md5(composed), g.Digest);
    }
    EXPECT_EQ(saved, composed);
    // Written through a small buffer, in the pieces the sink gets; the length
    // known beforehand.
    const TComposedMail mail = g.Message.ComposeMail();
    std::string streamed;
    TBufferedMailSink sink([&streamed](std::string_view piece) { streamed += piece; }, 4096);
    mail.WriteTo(sink, /*WithoutBcc=*/false);
    sink.Flush();
    EXPECT_EQ(vxTest::SameBoundaries(streamed), composed);
    EXPECT_EQ(mail.Header.ToBytes().size() + mail.BodySize(), composed.size());
    EXPECT_EQ(vxTest::SameBoundaries(mail.ToBytes()), composed);

    TSmtpClient client;
    client.Host = "127.0.0.1";
    client.Port = server.Port();
    client.HeloName = "client.test";
    client.Connect();
    client.SendMessage(g.Message);
    client.Disconnect();
    const std::string sent = vxTest::SameBoundaries(server.Messages().back().Content);
    EXPECT_EQ(sent, OnTheWire(g.Digest.empty() ? golden : composed));
  }
  const std::string verdicts = vxTest::PythonComparesMails(pairs, names);
  std::string expected;
  for (const std::string& name : names) expected += "same " + name + "\n";
  EXPECT_EQ(verdicts, expected);
}
