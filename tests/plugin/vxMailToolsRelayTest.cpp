// The relay of an ".eml" file to a new recipient, at a real SMTP server
// (scripts/smtp_server.py): the envelope the server saw and the header
// fields Python's email package reads from what arrived. Nobody the file
// named before gets the mail, folded fields included.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "plugin/vxMailTools.h"
#include "support/vxSmtpTestServer.h"
#include "support/vxTestTempDir.h"
#include "tests/plugin/vxPythonMailReader.h"

namespace {

using Boxes = std::vector<std::string>;

const char* const kOldAddresses[] = {"old@example.com",   "first@example.org", "second@example.org",
                                     "third@example.org", "copy@example.org",  "copy2@example.org",
                                     "blind@example.org", "blind2@example.org", "reply@example.com"};

class MailToolsRelayTest : public ::testing::Test {
 protected:
  TTestTempDir Files;

  void Point(TvxMailTools& Mail, const TSmtpTestServer& Server) {
    Mail.SMTPServer = u"127.0.0.1";
    Mail.SMTPPort = Server.Port();
    Mail.Sender = u"relay@example.net";
    Mail.Timeouts.ConnectMs = 10'000;
    Mail.Timeouts.ReplyMs = 30'000;
  }
  ustring Write(const std::string& Name, const std::string& Content) {
    TTestTempDir::WriteBytes(Files.File(Name), Content);
    return Files.WideFile(Name);
  }
};

TEST_F(MailToolsRelayTest, FoldedRecipientFieldsAreRewrittenWhole) {
  const std::string body = "Hello,\r\n\r\nthe report.\r\n.\r\n";
  const struct {
    const char* Name;
    std::string Header;
  } cases[] = {
      {"folded To, Cc and Bcc",
       "From: Old Sender <old@example.com>\r\n"
       "To: First <first@example.org>,\r\n second@example.org,\r\n\tthird@example.org\r\n"
       "Cc: copy@example.org,\r\n  copy2@example.org\r\n"
       "Bcc: blind@example.org,\r\n blind2@example.org\r\n"
       "Reply-To: reply@example.com\r\nSubject: Report\r\n"},
      {"other letter case, blanks before the colon, LF line ends",
       "FROM: old@example.com\nto : first@example.org,\n second@example.org\nsender: old@example.com\n"
       "cc:copy@example.org\n\tcopy2@example.org\nBCC : blind@example.org\nreply-to: reply@example.com\n"
       "Subject: Report\n"},
      {"two To fields",
       "From: old@example.com\r\nTo: first@example.org\r\nSubject: Report\r\nTo: second@example.org,\r\n"
       " third@example.org\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TSmtpTestServer server(TSmtpTestServer::TOptions().Pipelining());
    const std::string separator = c.Header.find("\r\n") == std::string::npos ? "\n" : "\r\n";
    TvxMailTools mail;
    Point(mail, server);
    ASSERT_TRUE(mail.SendMail(Write("mail.eml", c.Header + separator + body), u"New One <new@example.com>"))
        << WideToUtf8(mail.Message);
    EXPECT_EQ(mail.Message, u"");
    const auto received = server.Messages();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].RcptTo, Boxes{"new@example.com"});
    EXPECT_EQ(received[0].MailFrom, "relay@example.net");
    for (const char* old : kOldAddresses) EXPECT_EQ(received[0].Content.find(old), std::string::npos) << old;
    const TReadMail read = ReadMail(received[0].Content);
    EXPECT_EQ(read.Headers.at("From"), "relay@example.net");
    EXPECT_EQ(read.Headers.at("To"), "New One <new@example.com>");
    EXPECT_EQ(read.Headers.count("Bcc"), 0u);
    EXPECT_EQ(read.Headers.at("Subject"), "Report");
    EXPECT_EQ(received[0].Content.substr(received[0].Content.size() - body.size()), body);
    // Fields the file had are there with the new texts, and only those.
    for (const auto& [field, text] : {std::pair<std::string, std::string>{"Cc", ""},
                                      {"Sender", "relay@example.net"},
                                      {"Reply-To", "relay@example.net"}}) {
      const bool had = TRawMessage::FromBytes(c.Header).HasField(field);
      EXPECT_EQ(read.Headers.count(field), had ? 1u : 0u) << field;
      if (had) {
        EXPECT_EQ(read.Headers.at(field), text) << field;
      }
    }
  }
}

TEST_F(MailToolsRelayTest, TheRecipientMayBeAListAndTheFileStaysAsItWas) {
  TSmtpTestServer server(TSmtpTestServer::TOptions().Pipelining());
  const std::string content = "From: x@example.com\r\nTo: y@example.com\r\nCc: z@example.com\r\n\r\nbody\r\n";
  const ustring file = Write("mail.eml", content);
  TvxMailTools mail;
  Point(mail, server);
  ASSERT_TRUE(mail.SendMail(file, u"a@example.com, \"B, the second\" <b@example.com>")) << WideToUtf8(mail.Message);
  const auto received = server.Messages();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].RcptTo, (Boxes{"a@example.com", "b@example.com"}));
  EXPECT_EQ(received[0].Content,
            "From: relay@example.net\r\nTo: a@example.com, \"B, the second\" <b@example.com>\r\nCC:\r\n\r\nbody\r\n");
  EXPECT_EQ(TTestTempDir::ReadBytes(Files.File("mail.eml")), content);
}

TEST_F(MailToolsRelayTest, FailuresSendNothing) {
  TSmtpTestServer server(TSmtpTestServer::TOptions().Pipelining());
  const ustring file = Write("mail.eml", "From: x@example.com\r\nTo: y@example.com\r\n\r\nbody\r\n");
  const struct {
    const char* Name;
    ustring File, Recipient, Sender;
    const char16_t* Message;
  } cases[] = {
      {"missing file", Files.WideFile("missing.eml"), u"a@example.com", u"relay@example.net",
       u"sendmail exception (EFOpenError - "},
      {"a line break in the recipient", file, u"a@example.com\r\nBcc: evil@example.com", u"relay@example.net",
       u"sendmail exception (EMailAddressError - the recipient holds a line break)"},
      {"no recipient", file, u" , ", u"relay@example.net",
       u"sendmail exception (EMailAddressError - no recipient address in ' , ')"},
      {"no sender", file, u"a@example.com", u"", u"sendmail exception (EMailAddressError - no sender address in '')"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TvxMailTools mail;
    Point(mail, server);
    mail.Sender = c.Sender;
    EXPECT_FALSE(mail.SendMail(c.File, c.Recipient));
    EXPECT_EQ(mail.Message.rfind(c.Message, 0), 0u) << WideToUtf8(mail.Message);
  }
  // TLS required where the server offers none.
  TvxMailTools mail;
  Point(mail, server);
  mail.UseTLS = true;
  EXPECT_FALSE(mail.SendMail(file, u"a@example.com"));
  EXPECT_EQ(mail.Message.rfind(u"sendmail exception (ESmtpError - ", 0), 0u) << WideToUtf8(mail.Message);
  EXPECT_TRUE(server.Messages().empty());
}

}  // namespace
