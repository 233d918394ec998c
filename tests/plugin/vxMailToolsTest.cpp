// The mail engine against a real SMTP server (scripts/smtp_server.py): what
// arrived is read back with Python's email package (policy default), so the
// messages are checked by a reader other than our own.
#include "plugin/vxMailTools.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "core/vxMD5.h"
#include "platform/base/vxCodePage.h"
#include "support/vxRunProgram.h"
#include "support/vxScopedEnv.h"
#include "support/vxSmtpTestServer.h"
#include "support/vxTestTempDir.h"
#include "tests/plugin/vxPythonMailReader.h"

namespace {

namespace fs = std::filesystem;

std::string Md5(const std::string& bytes) { return TvxMD5::GetMD5FromString(bytes); }

// The raw value of a header field in the bytes as they arrived.
std::string RawField(const std::string& content, const std::string& name) {
  return TRawMessage::FromBytes(content).FieldValue(name);
}

class MailToolsTest : public ::testing::Test {
 protected:
  TTestTempDir Files;
  TTestTempDir Temp;  // the system temporary folder for the test: zip archives go there
  vxTest::TScopedEnv TempEnv{"TMPDIR", Temp.Path().string()};

  void Point(TvxMailTools& mail, const TSmtpTestServer& server) {
    mail.SMTPServer = u"127.0.0.1";
    mail.SMTPPort = server.Port();
    mail.Sender = u"sender@example.com";
    mail.Timeouts.ConnectMs = 10'000;
    mail.Timeouts.ReplyMs = 30'000;
  }
  std::string Make(const std::string& name, const std::string& content) {
    TTestTempDir::WriteBytes(Files.File(name), content);
    return content;
  }
  ustring F(const std::string& name) const { return Files.WideFile(name); }
};

TEST_F(MailToolsTest, FreshObject) {
  TvxMailTools mail;
  EXPECT_EQ(mail.Version, "2.2.0");
  EXPECT_EQ(mail.SMTPServer, u"localhost");
  EXPECT_EQ(mail.SMTPPort, 25);
  EXPECT_EQ(mail.Sender, TvxMailTools::DefaultSender);
  EXPECT_EQ(mail.ContentType, u"multipart/related");
  EXPECT_EQ(mail.Priority, vxMP_Normal);
  EXPECT_EQ(mail.Timeouts.ConnectMs, 30'000);
  EXPECT_EQ(mail.Timeouts.ReplyMs, 120'000);

  EXPECT_FALSE(mail.AddAttachment(u"", "", u"name", false, u""));
  EXPECT_EQ(mail.Message, u"empty params");
  EXPECT_TRUE(mail.AddAttachment(u"", "data only", u"", false, u""));
  EXPECT_EQ(mail.Message, u"");
  EXPECT_TRUE(mail.ClearAttachments());

  EXPECT_FALSE(mail.SendMail(u"a@example.com", u"", u"", u"s", u"b", vxMT_VXENTERPRISE));
  EXPECT_EQ(mail.Message.rfind(u"send xml mail exception (", 0), 0u);
}

TEST_F(MailToolsTest, TextPartKindAndHeaders) {
  TSmtpTestServer server;
  const struct {
    const char16_t* Body;
    const char* Type;
  } cases[] = {
      {u"<HTML><body><p>Hallo</p></body></html>", "text/html"},
      {u" <html><body>leading blank</body></html>", "text/plain"},
      {u"text first <html>inside</html>", "text/plain"},
      {u"", "text/plain"},
  };
  for (const auto& c : cases) {
    TvxMailTools mail;
    Point(mail, server);
    ASSERT_TRUE(mail.SendMail(u"to@example.com", u"", u"", u"Betreff äöü", c.Body, vxMT_SMTP)) << WideToUtf8(mail.Message);
    EXPECT_EQ(mail.Message, u"");
  }
  const auto received = server.Messages();
  ASSERT_EQ(received.size(), std::size(cases));
  for (size_t i = 0; i < received.size(); ++i) {
    SCOPED_TRACE(i);
    const TReadMail m = ReadMail(received[i].Content);
    EXPECT_EQ(m.Type, "multipart/related");  // also with the text part alone
    ASSERT_EQ(m.Parts.size(), 1u);
    EXPECT_EQ(m.Parts[0].Type, cases[i].Type);
    EXPECT_EQ(m.Parts[0].Text, "\"" + WideToUtf8(cases[i].Body) + "\"");
    EXPECT_EQ(m.Headers.at("Subject"), "Betreff äöü");
    EXPECT_EQ(m.Headers.at("Reply-To"), "sender@example.com");
    EXPECT_EQ(m.Headers.at("MIME-Version"), "1.0");
    EXPECT_TRUE(m.Headers.count("Date"));
    EXPECT_TRUE(std::regex_match(m.Headers.at("Message-ID"), std::regex("<vxMAPI[0-9]{17}[0-9A-F]{32}>")))
        << m.Headers.at("Message-ID");
    EXPECT_EQ(received[i].MailFrom, "sender@example.com");
  }
}

TEST_F(MailToolsTest, LongHtmlLinesStayUnderTheLineLimit) {
  TSmtpTestServer server;
  TvxMailTools mail;
  Point(mail, server);
  const ustring body = u"<html><body>" + ustring(5000, u'x') + u"</body></html>";
  ASSERT_TRUE(mail.SendMail(u"to@example.com", u"", u"", u"s", body, vxMT_SMTP)) << WideToUtf8(mail.Message);
  const std::string content = server.Messages().at(0).Content;
  std::stringstream lines(content);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 998u);
  EXPECT_EQ(ReadMail(content).Parts.at(0).Text, "\"" + WideToUtf8(body) + "\"");
}

TEST_F(MailToolsTest, AddressListsAndTheSenderName) {
  TSmtpTestServer server;
  TvxMailTools mail;
  Point(mail, server);
  // Blanks around addresses, a stray comma, an empty item in the middle.
  ASSERT_TRUE(mail.SendMail(u"a@example.com, b@example.com,", u"c@example.com,,d@example.com", u" hidden@example.com ",
                            u"s", u"b", vxMT_SMTP))
      << WideToUtf8(mail.Message);
  // An empty sender name takes the sender and keeps it.
  EXPECT_EQ(mail.SenderName, u"sender@example.com");
  mail.SenderName = u"Mail Robot";
  ASSERT_TRUE(mail.SendMail(u"a@example.com", u"", u"", u"s", u"b", vxMT_SMTP)) << WideToUtf8(mail.Message);

  const auto received = server.Messages();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].RcptTo, (std::vector<std::string>{"a@example.com", "b@example.com", "c@example.com",
                                                          "d@example.com", "hidden@example.com"}));
  EXPECT_EQ(RawField(received[0].Content, "From"), " \"sender@example.com\" <sender@example.com>");
  EXPECT_EQ(RawField(received[0].Content, "Sender"), " \"sender@example.com\" <sender@example.com>");
  const TReadMail first = ReadMail(received[0].Content);
  EXPECT_EQ(first.Headers.at("To"), "a@example.com, b@example.com");
  EXPECT_EQ(first.Headers.at("Cc"), "c@example.com, d@example.com");
  EXPECT_FALSE(first.Headers.count("Bcc"));
  EXPECT_EQ(received[0].Content.find("hidden@example.com"), std::string::npos);

  const TReadMail second = ReadMail(received[1].Content);
  EXPECT_EQ(second.Headers.at("From"), "Mail Robot <sender@example.com>");
  EXPECT_EQ(second.Headers.at("Sender"), "Mail Robot <sender@example.com>");
  EXPECT_FALSE(second.Headers.count("Cc"));
}

TEST_F(MailToolsTest, AttachmentsByteForByte) {
  TSmtpTestServer server;
  TvxMailTools mail;
  Point(mail, server);
  std::string binary;
  for (int i = 0; i < 100000; ++i) binary.push_back(static_cast<char>((i * 7919) % 256));
  const std::string pdf = Make("report.pdf", binary);
  const std::string logo = Make("logo.png", "\x89PNG\r\n\x1a\n not really");
  const std::string odd = Make("data.vxunknownext", "plain data\r\n");
  ASSERT_TRUE(mail.AddAttachment(F("report.pdf"), "", u"Prüfbericht, Q1", false, u""));
  ASSERT_TRUE(mail.AddAttachment(F("logo.png"), "", u"", true, u"logo@cid"));
  ASSERT_TRUE(mail.AddAttachment(F("data.vxunknownext"), "", u"", false, u""));
  ASSERT_TRUE(mail.AddAttachment(F("missing.txt"), "", u"", false, u""));  // skipped without a word
  ASSERT_TRUE(mail.AddAttachment(u"", "data only is never sent", u"x", false, u""));
  ASSERT_TRUE(mail.SendMail(u"to@example.com", u"", u"", u"s", u"<html><img src=\"cid:logo@cid\"></html>", vxMT_SMTP))
      << WideToUtf8(mail.Message);

  const TReadMail m = ReadMail(server.Messages().at(0).Content);
  ASSERT_EQ(m.Parts.size(), 4u);
  EXPECT_EQ(m.Parts[0].Type, "text/html");
  EXPECT_EQ(m.Parts[1].Type, "application/pdf");
  EXPECT_EQ(m.Parts[1].Disposition, "attachment");
  EXPECT_EQ(m.Parts[1].FileName, "Prüfbericht, Q1.pdf");
  EXPECT_EQ(m.Parts[1].Md5, Md5(pdf));
  EXPECT_EQ(m.Parts[2].Type, "image/png");
  EXPECT_EQ(m.Parts[2].Disposition, "inline");
  EXPECT_EQ(m.Parts[2].FileName, "logo.png");
  EXPECT_EQ(m.Parts[2].ContentId, "<logo@cid>");
  EXPECT_EQ(m.Parts[2].Md5, Md5(logo));
  EXPECT_EQ(m.Parts[3].Type, "text/plain");  // no known type
  EXPECT_EQ(m.Parts[3].FileName, "data.vxunknownext");
  EXPECT_EQ(m.Parts[3].Md5, Md5(odd));
}

TEST_F(MailToolsTest, ZipPacksTheFilesAndLeavesNoArchive) {
  TSmtpTestServer server;
  TvxMailTools mail;
  Point(mail, server);
  mail.ZipAttachments = true;
  const std::string a = Make("alpha.pdf", "alpha content");
  const std::string b = Make("beta.txt", "beta content");
  const std::string logo = Make("logo.png", "png bytes");
  fs::create_directories(Files.File("other"));
  const std::string a2 = Make("other/alpha.pdf", "a second alpha");
  ASSERT_TRUE(mail.AddAttachment(F("alpha.pdf"), "", u"", false, u""));
  ASSERT_TRUE(mail.AddAttachment(F("beta.txt"), "", u"", false, u""));
  ASSERT_TRUE(mail.AddAttachment(F("other/alpha.pdf"), "", u"", false, u""));
  ASSERT_TRUE(mail.AddAttachment(F("logo.png"), "", u"", true, u"logo"));
  ASSERT_TRUE(mail.SendMail(u"to@example.com", u"", u"", u"s", u"b", vxMT_SMTP)) << WideToUtf8(mail.Message);

  const TReadMail m = ReadMail(server.Messages().at(0).Content);
  ASSERT_EQ(m.Parts.size(), 3u);
  EXPECT_EQ(m.Parts[1].Type, "image/png");  // embedded: never zipped
  EXPECT_EQ(m.Parts[1].Disposition, "inline");
  EXPECT_EQ(m.Parts[2].Type, "application/zip");
  EXPECT_EQ(m.Parts[2].FileName, "alpha, beta, alpha.zip");
  // A name taken inside the archive gets a free one: no file is dropped.
  EXPECT_EQ(m.ZipEntries, (std::vector<std::pair<std::string, std::string>>{
                              {"alpha.pdf", Md5(a)}, {"beta.txt", Md5(b)}, {"alpha-2.pdf", Md5(a2)}}));
  EXPECT_EQ(Temp.Listing(), "");
}

TEST_F(MailToolsTest, ZipWithNamedArchiveAndWithNothingToPack) {
  TSmtpTestServer server;
  {
    TvxMailTools mail;
    Point(mail, server);
    mail.ZipAttachments = true;
    mail.ZipFileName = u"Belege.zip";
    Make("one.txt", "1");
    TTestTempDir::WriteBytes(Temp.File("Belege.zip"), "someone else's file");
    ASSERT_TRUE(mail.AddAttachment(F("one.txt"), "", u"", false, u""));
    ASSERT_TRUE(mail.SendMail(u"to@example.com", u"", u"", u"s", u"b", vxMT_SMTP)) << WideToUtf8(mail.Message);
    // The archive is made in a folder of the send's own: someone else's
    // file of that name stays as it was, and nothing of ours is left.
    EXPECT_EQ(Temp.Listing(), "Belege.zip;");
    EXPECT_EQ(TTestTempDir::ReadBytes(Temp.File("Belege.zip")), "someone else's file");
  }
  {
    TvxMailTools mail;
    Point(mail, server);
    mail.ZipAttachments = true;
    ASSERT_TRUE(mail.AddAttachment(F("missing.txt"), "", u"", false, u""));
    ASSERT_TRUE(mail.SendMail(u"to@example.com", u"", u"", u"s", u"b", vxMT_SMTP)) << WideToUtf8(mail.Message);
  }
  const auto received = server.Messages();
  ASSERT_EQ(received.size(), 2u);
  const TReadMail named = ReadMail(received[0].Content);
  ASSERT_EQ(named.Parts.size(), 2u);
  EXPECT_EQ(named.Parts[1].FileName, "Belege.zip");
  // Nothing to pack: no archive, only the text part.
  EXPECT_EQ(ReadMail(received[1].Content).Parts.size(), 1u);
  EXPECT_EQ(Temp.Listing(), "Belege.zip;");
}

TEST_F(MailToolsTest, FileThatCannotBeZippedStaysAnAttachment) {
  TSmtpTestServer server;
  TvxMailTools mail;
  Point(mail, server);
  mail.ZipAttachments = true;
  mail.ZipFileName = u"no such folder/x.zip";  // the archive cannot be written
  const std::string a = Make("a.txt", "content of a");
  ASSERT_TRUE(mail.AddAttachment(F("a.txt"), "", u"", false, u""));
  ASSERT_TRUE(mail.SendMail(u"to@example.com", u"", u"", u"s", u"b", vxMT_SMTP)) << WideToUtf8(mail.Message);
  const TReadMail m = ReadMail(server.Messages().at(0).Content);
  ASSERT_EQ(m.Parts.size(), 2u);
  EXPECT_EQ(m.Parts[1].FileName, "a.txt");
  EXPECT_EQ(m.Parts[1].Md5, Md5(a));
}

TEST_F(MailToolsTest, StartTlsWithAuthLoginOnBothPaths) {
  TSmtpTestServer server(TSmtpTestServer::TOptions().StartTls().Auth("robot", "s3cret"));
  for (const bool sasl : {false, true}) {
    SCOPED_TRACE(sasl);
    TvxMailTools mail;
    Point(mail, server);
    mail.Authentication = true;
    mail.Username = u"robot";
    mail.Password = u"s3cret";
    ASSERT_TRUE(mail.SendMail(u"127.0.0.1", server.Port(), u"sender@example.com", u"to@example.com", u"", u"", u"s",
                              u"b", true, sasl))
        << WideToUtf8(mail.Message);
  }
  const auto received = server.Messages();
  ASSERT_EQ(received.size(), 2u);
  for (const auto& r : received) {
    EXPECT_EQ(r.Tls, "TLSv1.2");
    EXPECT_EQ(r.Login, "robot");
  }
  // A wrong password fails the send with the server's reply.
  TvxMailTools mail;
  Point(mail, server);
  mail.Authentication = true;
  mail.Username = u"robot";
  mail.Password = u"wrong";
  mail.UseTLS = true;
  EXPECT_FALSE(mail.SendMail(u"to@example.com", u"", u"", u"s", u"b", vxMT_SMTP));
  EXPECT_EQ(mail.Message.rfind(u"send mail exception (", 0), 0u);
  EXPECT_NE(mail.Message.find(u"535"), ustring::npos) << WideToUtf8(mail.Message);
}

TEST_F(MailToolsTest, PortIsUsedAsItsLow16Bits) {
  TSmtpTestServer server;
  TvxMailTools mail;
  Point(mail, server);
  mail.SMTPPort = server.Port() + 65536;
  ASSERT_TRUE(mail.SendMail(u"to@example.com", u"", u"", u"s", u"b", vxMT_SMTP)) << WideToUtf8(mail.Message);
  EXPECT_EQ(server.Messages().size(), 1u);
}

TEST_F(MailToolsTest, RefusedRecipientFailsAndTheMailIsSaved) {
  TSmtpTestServer server(TSmtpTestServer::TOptions().Refuse("nobody@example.com"));
  TvxMailTools mail;
  Point(mail, server);
  mail.SaveFailedMails = true;
  mail.SavePath = Files.WideFile("failed/deeper");
  mail.ZipAttachments = true;
  Make("a.txt", "attached");
  ASSERT_TRUE(mail.AddAttachment(F("a.txt"), "", u"", false, u""));
  EXPECT_FALSE(mail.SendMail(u"to@example.com, nobody@example.com", u"", u"blind@example.com", u"s", u"b", vxMT_SMTP));
  EXPECT_EQ(mail.Message.rfind(u"send mail exception (", 0), 0u);
  EXPECT_NE(mail.Message.find(u"550"), ustring::npos) << WideToUtf8(mail.Message);
  EXPECT_NE(mail.Message.find(u"nobody@example.com"), ustring::npos) << WideToUtf8(mail.Message);
  EXPECT_TRUE(server.Messages().empty());
  EXPECT_EQ(mail.SavePath, Files.WideFile("failed/deeper") + u"/");
  // The archive is deleted after a failure too.
  EXPECT_EQ(Temp.Listing(), "");

  std::vector<fs::path> saved;
  for (const auto& e : fs::directory_iterator(Files.File("failed/deeper"))) saved.push_back(e.path());
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_TRUE(std::regex_match(saved[0].filename().string(), std::regex("vxMAPI[0-9]{17}[0-9A-F]{32}\\.eml")));
  // The engine names the copy it kept, readable by its owner alone.
  EXPECT_EQ(WideToUtf8(mail.SavedMailFile), saved[0].string());
  EXPECT_EQ(fs::status(saved[0]).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  const std::string copy = TTestTempDir::ReadBytes(saved[0].string());
  const TReadMail m = ReadMail(copy);
  EXPECT_EQ(m.Headers.at("To"), "to@example.com, nobody@example.com");
  // The copy keeps its blind recipients, so that relaying it later reaches them.
  EXPECT_EQ(m.Headers.at("Bcc"), "blind@example.com");
  EXPECT_EQ(m.Parts.size(), 2u);
  EXPECT_EQ(m.Parts[1].Type, "application/zip");
}

// A port with nothing listening, and a server that accepts but never greets.
TEST_F(MailToolsTest, DeadServersFailWithinTheTimeOuts) {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  socklen_t length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  const int silentPort = ntohs(address.sin_port);

  int closed = socket(AF_INET, SOCK_STREAM, 0);
  address.sin_port = 0;
  ASSERT_EQ(bind(closed, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  getsockname(closed, reinterpret_cast<sockaddr*>(&address), &length);
  const int closedPort = ntohs(address.sin_port);
  close(closed);

  for (const int port : {closedPort, silentPort}) {
    SCOPED_TRACE(port);
    TvxMailTools mail;
    mail.SMTPServer = u"127.0.0.1";
    mail.SMTPPort = port;
    mail.Timeouts.ConnectMs = 2'000;
    mail.Timeouts.ReplyMs = 300;
    EXPECT_FALSE(mail.SendMail(u"to@example.com", u"", u"", u"s", u"b", vxMT_SMTP));
    EXPECT_EQ(mail.Message.rfind(u"send mail exception (", 0), 0u) << WideToUtf8(mail.Message);
    EXPECT_FALSE(mail.SendMail(F("none.eml")));
    EXPECT_EQ(mail.Message.rfind(u"sendmail exception (", 0), 0u) << WideToUtf8(mail.Message);
  }
  close(listener);
}

TEST_F(MailToolsTest, RelayOfAnEmlFile) {
  TSmtpTestServer server(TSmtpTestServer::TOptions().Pipelining());
  const std::string head = "From: Someone <someone@example.com>\r\nTo: to@example.com\r\n";
  const std::string bcc = "Bcc: blind@example.com,\r\n other@example.com\r\n";
  const std::string rest =
      "Subject: =?utf-8?q?Gr=C3=BC=C3=9Fe?=\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n"
      "Content-Transfer-Encoding: 8bit\r\n\r\n\xC3\xA4 body\r\n.\r\n..two dots\r\nend\r\n";
  TTestTempDir::WriteBytes(Files.File("mail.eml"), head + bcc + rest);
  TvxMailTools mail;
  Point(mail, server);
  ASSERT_TRUE(mail.SendMail(F("mail.eml"))) << WideToUtf8(mail.Message);
  EXPECT_EQ(mail.Message, u"");
  const auto received = server.Messages();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].Content, head + rest);  // Bcc stripped, every other byte unchanged
  EXPECT_EQ(received[0].MailFrom, "someone@example.com");
  EXPECT_EQ(received[0].RcptTo,
            (std::vector<std::string>{"to@example.com", "blind@example.com", "other@example.com"}));

  // A missing file, and TLS required where the server offers none.
  EXPECT_FALSE(mail.SendMail(F("missing.eml")));
  EXPECT_EQ(mail.Message.rfind(u"sendmail exception (EFOpenError - ", 0), 0u) << WideToUtf8(mail.Message);
  mail.UseTLS = true;
  EXPECT_FALSE(mail.SendMail(F("mail.eml")));
  EXPECT_EQ(mail.Message.rfind(u"sendmail exception (ESmtpError - ", 0), 0u) << WideToUtf8(mail.Message);
  EXPECT_EQ(server.Messages().size(), 1u);
}

}  // namespace
