// The mail engine against golden mails: a table of documents sent to the
// local SMTP server, whose mails were received and kept in
// tests/plugin/golden/ when the whole mail was still composed as one string
// (the long one as its size and MD5 digest). The engine now makes the mail
// as it sends it; what arrives must be those bytes, announced with their
// size (SIZE), and a mail the server refuses must be kept as the same bytes
// (its Bcc field besides). The date and message id come from the clock and
// the boundary is random: those are made the same before comparing.
// Python's email package reads each golden mail and the mail received now
// as the same message.
#include "plugin/vxMailTools.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/vxMD5.h"
#include "platform/base/vxCodePage.h"
#include "support/vxMailGolden.h"
#include "support/vxScopedEnv.h"
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

struct TDocument {
  std::string Name;
  // Fills the engine (attachments, fields) and sends; the files it names
  // are made in the folder given.
  std::function<bool(TvxMailTools&, const TTestTempDir&)> Send;
  size_t Size = 0;  // the long one: size and digest instead of a file
  std::string Digest;
};

ustring File(const TTestTempDir& folder, const std::string& name, size_t size) {
  TTestTempDir::WriteBytes(folder.File(name), Pattern(size, static_cast<unsigned>(size)));
  return folder.WideFile(name);
}

const std::vector<TDocument>& Documents() {
  static const std::vector<TDocument> documents = {
      {"field-list-and-file",
       [](TvxMailTools& m, const TTestTempDir& f) {
         m.SenderName = u"Buchhaltung Müller & Söhne";
         m.AddAttachment(File(f, "Rechnung März.pdf", 5000), "", u"", false, u"");
         return m.SendMail(u"kunde@example.org", u"chef@example.org, ablage@example.org", u"geheim@example.org",
                           u"Rechnung 4711 – bitte prüfen",
                           u"NR..................: 4711\r\nKUNDE...............: Müller\r\n\r\n\r\nSehr geehrte Damen "
                           u"und Herren,\r\nanbei die Rechnung.\r\n",
                           vxMT_SMTP);
       },
       0, ""},
      {"html-two-files",
       [](TvxMailTools& m, const TTestTempDir& f) {
         m.AddAttachment(File(f, "a.txt", 10), "", u"", false, u"");
         m.AddAttachment(File(f, "b.jpeg", 3000), "", u"Bild", false, u"");
         return m.SendMail(u"to@example.com", u"", u"", u"HTML", u"<HTML><body><p>Grüße</p></body></html>", vxMT_SMTP);
       },
       0, ""},
      {"addresses-and-quotes",
       [](TvxMailTools& m, const TTestTempDir&) {
         m.SenderName = u"The \"Robot\" \\ Mailer";
         return m.SendMail(u"a@example.com,,b@example.com", u"", u"", u"", u"", vxMT_SMTP);
       },
       0, ""},
      {"skipped-and-empty-files",
       [](TvxMailTools& m, const TTestTempDir& f) {
         m.AddAttachment(f.WideFile("missing.pdf"), "", u"", false, u"");
         m.AddAttachment(File(f, "empty.dat", 0), "", u"", false, u"");
         m.AddAttachment(u"", "data only, never sent", u"data", false, u"");
         return m.SendMail(u"to@example.com", u"", u"", u"Files", u"Body", vxMT_SMTP);
       },
       0, ""},
      {"embedded-with-content-id",
       [](TvxMailTools& m, const TTestTempDir& f) {
         m.Priority = vxMP_High;
         m.AddAttachment(File(f, "logo.png", 700), "", u"Logo", true, u"logo@example");
         return m.SendMail(u"to@example.com", u"", u"", u"Logo", u"<html><img src=\"cid:logo@example\"></html>",
                           vxMT_SMTP);
       },
       0, ""},
      {"long-file",
       [](TvxMailTools& m, const TTestTempDir& f) {
         m.AddAttachment(File(f, "scan.tif", 700001), "", u"", false, u"");
         return m.SendMail(u"to@example.com", u"", u"", u"Scan", u"The scan.", vxMT_SMTP);
       },
       958588, "85FC733788DA546EA20F696D3748D982"},
  };
  return documents;
}

// The mail as a server receives it: without the Bcc field.
std::string WithoutBcc(const std::string& Mail) {
  const size_t headerEnd = Mail.find("\r\n\r\n");
  std::string out;
  bool dropping = false;
  for (size_t pos = 0; pos < headerEnd + 2;) {
    const size_t end = Mail.find("\r\n", pos) + 2;
    const std::string line = Mail.substr(pos, end - pos);
    if (line[0] != ' ' && line[0] != '\t') dropping = line.compare(0, 4, "Bcc:") == 0;
    if (!dropping) out += line;
    pos = end;
  }
  return out + Mail.substr(headerEnd + 2);
}

}  // namespace

TEST(MailToolsGolden, TheDocumentsGiveTheGoldenMails) {
  const TTimeZoneGuard zone("Europe/Berlin");
  TTestTempDir files("vx-engine-golden");
  TTestTempDir temp("vx-engine-golden-tmp");
  TTestTempDir failed("vx-engine-golden-failed");
  const vxTest::TScopedEnv tempEnv("TMPDIR", temp.Path().string());
  TSmtpTestServer server;
  TSmtpTestServer refusing(TSmtpTestServer::TOptions().RefuseData());
  std::vector<std::pair<std::string, std::string>> pairs;
  std::vector<std::string> names;
  for (const TDocument& d : Documents()) {
    SCOPED_TRACE(d.Name);
    TvxMailTools mail;
    mail.SMTPServer = u"127.0.0.1";
    mail.SMTPPort = server.Port();
    mail.Sender = u"sender@example.com";
    ASSERT_TRUE(d.Send(mail, files)) << WideToUtf8(mail.Message);
    const TSmtpTestServer::TReceived arrived = server.Messages().back();
    EXPECT_EQ(arrived.MailOptions, "SIZE=" + std::to_string(arrived.Content.size()));
    const std::string received = vxTest::SameClockFields(vxTest::SameBoundaries(arrived.Content));

    TvxMailTools refused;
    refused.SMTPServer = u"127.0.0.1";
    refused.SMTPPort = refusing.Port();
    refused.Sender = u"sender@example.com";
    refused.SaveFailedMails = true;
    refused.SavePath = failed.WideFile(d.Name);
    ASSERT_FALSE(d.Send(refused, files));
    ASSERT_FALSE(refused.SavedMailFile.empty()) << WideToUtf8(refused.Message);
    const std::string kept = TTestTempDir::ReadBytes(WideToUtf8(refused.SavedMailFile));
    EXPECT_EQ(vxTest::SameClockFields(vxTest::SameBoundaries(WithoutBcc(kept))), received);

    if (!d.Digest.empty()) {
      EXPECT_EQ(received.size(), d.Size);
      EXPECT_EQ(TvxMD5::GetMD5FromString(received), d.Digest);
      continue;
    }
    const std::string golden = vxTest::ReadGolden("plugin/golden/" + d.Name + ".eml");
    EXPECT_EQ(received, golden);
    pairs.emplace_back(golden, received);
    names.push_back(d.Name);
  }
  std::string expected;
  for (const std::string& name : names) expected += "same " + name + "\n";
  EXPECT_EQ(vxTest::PythonComparesMails(pairs, names), expected);
}
