// The export of one document through vxWideExport against the real SMTP
// server: fields and placeholders, the field list, HTML bodies, the
// attachments and their deletion, zip, the ".eml" relay and the failure
// texts; and the configuration string (command 110) as the export sees it.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "plugin/vxExportCommands.h"
#include "plugin/vxExportConfig.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"
#include "support/vxSmtpTestServer.h"
#include "tests/plugin/vxExportLibrary.h"
#include "tests/plugin/vxReceivedMail.h"

namespace {

class ExportDocument : public ::testing::Test {
 protected:
  TSmtpTestServer Server;
  TTestTempDir Dir;
  // The user's data folder, where failed mails are kept.
  TTestTempDir Data;
  vxTest::TScopedEnv DataEnv{"XDG_DATA_HOME", Data.Path().string()};
  TExportLibrary Library;

  // The configuration string for the test server with Items added.
  std::string Config(const std::string& Items = "") const {
    return "<CONFIG><SMTPSERVER=127.0.0.1><SMTPPORT=" + std::to_string(Server.Port()) +
           "><FROMADDRESS=exports@example.com><FROMNAME=Exports><RECIPIENT=to@example.com>" + Items + "</CONFIG>";
  }

  void Init(const std::string& ConfigString) {
    ASSERT_EQ(Library.Call(cmdInit).Result, 0);
    ASSERT_EQ(Library.Call(cmdSetConfig, ConfigString).Result, 0);
  }

  // One document: 200, a 400 per field, a 500 per file, 600.
  TExportLibrary::TAnswer Export(const std::vector<std::string>& Fields, const std::vector<std::string>& Files = {}) {
    EXPECT_EQ(Library.Call(cmdNewDocument).Result, 0);
    for (const std::string& f : Fields) EXPECT_EQ(Library.Call(cmdAddField, f).Result, 0);
    for (const std::string& f : Files) EXPECT_EQ(Library.Call(cmdAddFile, f).Result, 0);
    return Library.Call(cmdExport);
  }

  std::string MakeFile(const std::string& Name, const std::string& Content) {
    const std::string path = Dir.File(Name);
    TTestTempDir::WriteBytes(path, Content);
    return path;
  }

  TReceivedMail OnlyMail() {
    const auto messages = Server.Messages();
    EXPECT_EQ(messages.size(), 1u);
    return TReceivedMail(messages.empty() ? std::string() : messages.back().Content);
  }
};

// Fields resolve into the subject in list order, names without regard to case.
TEST_F(ExportDocument, PlaceholdersAndReservedFields) {
  struct TCase {
    std::vector<std::string> Fields;
    std::string Subject;
  };
  const TCase cases[] = {
      {{"SUBJECT=Invoice %NR", "NR=4711"}, "Invoice 4711"},
      {{"NR=4711", "SUBJECT=Invoice %NR"}, "Invoice %NR"},  // NR ran before SUBJECT was set
      {{"subject=x %Nr %NR %nr", "Nr=7"}, "x 7 7 7"},
      {{"SUBJECT=No %DOCNO", "DOC=1", "DOCNO=2"}, "No 1NO"},
      {{"SUBJECT=a%b%c", "abc"}, "aabcbabcc"},  // a field without "=" takes every "%"
  };
  for (const TCase& c : cases) {
    Init(Config("<SUBJECT=config subject>"));
    const auto answer = Export(c.Fields);
    ASSERT_EQ(answer.Result, 0) << answer.BufferUtf8();
    const auto messages = Server.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(TReceivedMail(messages.back().Content).HeaderUtf8("Subject"), c.Subject) << c.Fields[0];
  }
}

TEST_F(ExportDocument, ReservedFieldsSetTheEnvelopeAndSender) {
  Init(Config());
  const auto answer = Export({"RECIPIENT=a@example.com,b@example.com", "CC=c@example.com", "BCC=d@example.com",
                              "FROM=%WHO@example.com", "FROMNAME=Clerk %WHO", "WHO=anna"});
  ASSERT_EQ(answer.Result, 0) << answer.BufferUtf8();
  const auto messages = Server.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].MailFrom, "anna@example.com");
  EXPECT_EQ(messages[0].RcptTo, (std::vector<std::string>{"a@example.com", "b@example.com", "c@example.com",
                                                          "d@example.com"}));
  const TReceivedMail mail(messages[0].Content);
  EXPECT_NE(mail.HeaderUtf8("From").find("Clerk anna"), std::string::npos) << mail.HeaderUtf8("From");
  EXPECT_EQ(mail.HeaderUtf8("Bcc"), "");
}

TEST_F(ExportDocument, FieldListGoesInFrontOfThePlainBody) {
  Init(Config("<INSERTFLDS=True>"));
  const auto answer = Export({"NAME=Smith", "SUBJECT=x", "BODY=Hello", "A very long field name=two\r\nlines", "abc"});
  ASSERT_EQ(answer.Result, 0) << answer.BufferUtf8();
  EXPECT_EQ(OnlyMail().BodyUtf8(),
            "NAME................: Smith\r\n"
            "A very long field name: two lines\r\n"
            "....................: abc\r\n"
            "\r\n\r\n"
            "Hello");
}

TEST_F(ExportDocument, NameAndSubjectGiveThreeLineBreaks) {
  Init(Config("<INSERTFLDS=True>"));
  ASSERT_EQ(Export({"NAME=Smith", "SUBJECT=x"}).Result, 0);
  EXPECT_EQ(OnlyMail().BodyUtf8().substr(0, 33), "NAME................: Smith\r\n\r\n\r\n");
}

TEST_F(ExportDocument, HtmlBodies) {
  struct TCase {
    std::string Body, ContentType;
  };
  // "<html>" anywhere drops the field list; only at the start it makes HTML.
  const TCase cases[] = {{"<HTML><body>Hi</body></HTML>", "text/html"}, {"<p>Hi</p><HTML>", "text/plain"}};
  for (const TCase& c : cases) {
    Init(Config("<INSERTFLDS=True>"));
    ASSERT_EQ(Export({"NAME=Smith", "BODY=" + c.Body}).Result, 0);
    const auto messages = Server.Messages();
    ASSERT_FALSE(messages.empty());
    const TReceivedMail mail(messages.back().Content);
    ASSERT_FALSE(mail.Parts().empty());
    EXPECT_EQ(mail.Parts()[0].ContentType, c.ContentType);
    EXPECT_EQ(mail.BodyUtf8(), c.Body);
  }
}

TEST_F(ExportDocument, AttachmentsAreSentAndDeletedAfterwards) {
  Init(Config());
  const std::string pdf = MakeFile("report.pdf", "%PDF-1.4 sample");
  const std::string txt = MakeFile("notes.txt", "some notes");
  const auto answer = Export({"SUBJECT=files"}, {pdf, txt, Dir.File("missing.bin")});
  ASSERT_EQ(answer.Result, 0) << answer.BufferUtf8();  // a missing file does not fail the export
  const auto attachments = OnlyMail().Attachments();
  ASSERT_EQ(attachments.size(), 2u);
  EXPECT_EQ(attachments[0].FileName, u"report.pdf");
  EXPECT_EQ(attachments[0].Content, "%PDF-1.4 sample");
  EXPECT_EQ(attachments[1].FileName, u"notes.txt");
  EXPECT_FALSE(std::filesystem::exists(pdf));
  EXPECT_FALSE(std::filesystem::exists(txt));
}

TEST_F(ExportDocument, ZippedAttachments) {
  Init(Config("<ZIPMAILATM=True>"));
  const std::string a = MakeFile("first.txt", "one");
  const std::string b = MakeFile("second.txt", "two");
  ASSERT_EQ(Export({}, {a, b}).Result, 0);
  const auto attachments = OnlyMail().Attachments();
  ASSERT_EQ(attachments.size(), 1u);
  EXPECT_EQ(WideToUtf8(attachments[0].FileName).substr(WideToUtf8(attachments[0].FileName).size() - 4), ".zip");
  EXPECT_EQ(attachments[0].Content.substr(0, 2), "PK");
  EXPECT_FALSE(std::filesystem::exists(a));
  EXPECT_FALSE(std::filesystem::exists(b));
}

std::string EmlMessage(const std::string& To, const std::string& Subject) {
  return "From: relay@example.com\r\nTo: " + To + "\r\nSubject: " + Subject +
         "\r\nMessage-ID: <relay-" + Subject + "@example.com>\r\n\r\nRelayed as it stands.\r\n";
}

TEST_F(ExportDocument, RelayThenMail) {
  Init(Config("<SENDEMLS=True>"));
  const std::string eml = MakeFile("a.eml", EmlMessage("someone@example.com", "relayed"));
  const std::string pdf = MakeFile("b.pdf", "%PDF");
  const auto answer = Export({"SUBJECT=the mail"}, {eml, pdf});
  ASSERT_EQ(answer.Result, 0) << answer.BufferUtf8();
  const auto messages = Server.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].Content, EmlMessage("someone@example.com", "relayed"));
  EXPECT_EQ(messages[0].RcptTo, std::vector<std::string>{"someone@example.com"});
  const TReceivedMail mail(messages[1].Content);
  EXPECT_EQ(mail.HeaderUtf8("Subject"), "the mail");
  ASSERT_EQ(mail.Attachments().size(), 1u);
  EXPECT_EQ(mail.Attachments()[0].FileName, u"b.pdf");
  EXPECT_TRUE(std::filesystem::exists(eml));  // relayed files stay
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(ExportDocument, RelayOnly) {
  Init(Config("<SENDEMLS=True>"));
  const std::string a = MakeFile("a.eml", EmlMessage("x@example.com", "one"));
  const std::string c = MakeFile("c.EML", EmlMessage("y@example.com", "two"));
  const auto answer = Export({"SUBJECT=never sent"}, {a, c});
  ASSERT_EQ(answer.Result, 0) << answer.BufferUtf8();
  const auto messages = Server.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].RcptTo, std::vector<std::string>{"x@example.com"});
  EXPECT_EQ(messages[1].RcptTo, std::vector<std::string>{"y@example.com"});
  EXPECT_TRUE(std::filesystem::exists(a));
  EXPECT_TRUE(std::filesystem::exists(c));
}

TEST_F(ExportDocument, WithoutRelayAnEmlFileIsAnAttachment) {
  Init(Config("<SENDEMLS=False>"));
  const std::string eml = MakeFile("a.eml", EmlMessage("x@example.com", "one"));
  ASSERT_EQ(Export({}, {eml}).Result, 0);
  const auto attachments = OnlyMail().Attachments();
  ASSERT_EQ(attachments.size(), 1u);
  EXPECT_EQ(attachments[0].FileName, u"a.eml");
  EXPECT_FALSE(std::filesystem::exists(eml));
}

TEST_F(ExportDocument, SecondExportStartsFromTheResolvedValues) {
  Init(Config("<SUBJECT=Order %NR>"));
  ASSERT_EQ(Export({"NR=1", "BODY=first"}).Result, 0);
  ASSERT_EQ(Export({"NR=2"}).Result, 0);
  const auto messages = Server.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(TReceivedMail(messages[0].Content).HeaderUtf8("Subject"), "Order 1");
  EXPECT_EQ(TReceivedMail(messages[1].Content).HeaderUtf8("Subject"), "Order 1");
  EXPECT_EQ(TReceivedMail(messages[1].Content).BodyUtf8(), "");  // BODY is emptied by every export
}

// A port where nothing listens: taken and released again.
uint16_t ClosedPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t n = sizeof a;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
  ::close(s);
  return ntohs(a.sin_port);
}

TEST_F(ExportDocument, FailedSendNestsTheEngineText) {
  ASSERT_EQ(Library.Call(cmdInit).Result, 0);
  ASSERT_EQ(Library.Call(cmdSetConfig, "<CONFIG><SMTPSERVER=127.0.0.1><SMTPPORT=" + std::to_string(ClosedPort()) +
                                           "><RECIPIENT=to@example.com></CONFIG>")
                .Result,
            0);
  const std::string file = MakeFile("kept.txt", "x");
  const auto answer = Export({}, {file});
  EXPECT_EQ(answer.Result, -1);
  EXPECT_EQ(answer.BufferUtf8().rfind("send mail exception (send mail exception (", 0), 0u) << answer.BufferUtf8();
  EXPECT_EQ(answer.BufferUtf8().substr(answer.BufferUtf8().size() - 2), "))");
  EXPECT_FALSE(std::filesystem::exists(file));  // deleted: the mail was kept
}

// No mail was composed, so nothing was kept: the document's files stay,
// the ".eml" file that failed among them.
TEST_F(ExportDocument, FailedRelayNestsTheEngineTextAndKeepsTheFiles) {
  ASSERT_EQ(Library.Call(cmdInit).Result, 0);
  ASSERT_EQ(Library.Call(cmdSetConfig, "<CONFIG><SMTPSERVER=127.0.0.1><SMTPPORT=" + std::to_string(ClosedPort()) +
                                           "><SENDEMLS=True></CONFIG>")
                .Result,
            0);
  const std::string eml = MakeFile("a.eml", EmlMessage("x@example.com", "one"));
  const std::string pdf = MakeFile("b.pdf", "%PDF");
  const auto answer = Export({}, {eml, pdf});
  EXPECT_EQ(answer.Result, -1);
  EXPECT_EQ(answer.BufferUtf8().rfind("send eml exception (sendmail exception (", 0), 0u) << answer.BufferUtf8();
  EXPECT_EQ(answer.BufferUtf8().substr(answer.BufferUtf8().size() - 3), "))!");
  EXPECT_TRUE(std::filesystem::exists(eml));
  EXPECT_TRUE(std::filesystem::exists(pdf));
}

// ---- The configuration string as the export sees it ----

TEST_F(ExportDocument, ConfigStringEmptiesWhatItDoesNotName) {
  TSmtpTestServer tlsServer(TSmtpTestServer::TOptions().StartTls());
  ASSERT_EQ(Library.Call(cmdInit).Result, 0);
  // Settings of a first string that the second one leaves out.
  ASSERT_EQ(Library.Call(cmdSetConfig, Config("<INSERTFLDS=True><SUBJECT=old>")).Result, 0);
  const std::string second = "<CONFIG><SMTPSERVER=127.0.0.1><SMTPPORT=" + std::to_string(tlsServer.Port()) +
                             "><USETLS=yes><RECIPIENT=r@example.com></CONFIG>";
  ASSERT_EQ(Library.Call(cmdSetConfig, second).Result, 0);
  EXPECT_EQ(Library.Call(cmdGetConfig).TextUtf8(), second);
  // FROMADDRESS is empty now, and a mail needs a sender.
  const auto noSender = Export({"BODY=text"});
  EXPECT_EQ(noSender.Result, -1);
  EXPECT_NE(noSender.BufferUtf8().find("sender"), std::string::npos) << noSender.BufferUtf8();
  const auto answer = Export({"NAME=Smith", "BODY=text", "FROM=f@example.com"});
  ASSERT_EQ(answer.Result, 0) << answer.BufferUtf8();
  const auto messages = tlsServer.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].Tls, "none");  // USETLS "yes"
  const TReceivedMail mail(messages[0].Content);
  EXPECT_EQ(mail.BodyUtf8(), "text");  // INSERTFLDS False
  EXPECT_EQ(mail.HeaderUtf8("Subject"), "");
  EXPECT_EQ(mail.HeaderUtf8("From"), "\"f@example.com\" <f@example.com>");  // FROMNAME empty
}

TEST_F(ExportDocument, ConfigStringPort) {
  ASSERT_EQ(Library.Call(cmdInit).Result, 0);
  // No port item: port 0; an empty one: 0; no number: -1. None connects.
  for (const char* port : {"", "<SMTPPORT=>", "<SMTPPORT=abc>"}) {
    ASSERT_EQ(Library.Call(cmdSetConfig, std::string("<CONFIG><SMTPSERVER=127.0.0.1>") + port + "</CONFIG>").Result, 0);
    const auto answer = Export({});
    EXPECT_EQ(answer.Result, -1) << port;
    EXPECT_EQ(answer.BufferUtf8().rfind("send mail exception (", 0), 0u) << answer.BufferUtf8();
  }
  EXPECT_TRUE(Server.Messages().empty());
}

TEST_F(ExportDocument, RejectedConfigStringKeepsTheSettings) {
  Init(Config("<SUBJECT=kept>"));
  for (const char* rejected : {"CONFIG", "<CONFIG><SMTPSERVER=nowhere><SMTPPORT=1>", "<CONFIG><A=1></OTHER>"}) {
    const auto answer = Library.Call(cmdSetConfig, rejected);
    EXPECT_EQ(answer.Result, -1) << rejected;
    EXPECT_EQ(answer.Buffer, u"") << rejected;  // no text
    EXPECT_EQ(Library.Call(cmdGetConfig).TextUtf8(), rejected);
  }
  ASSERT_EQ(Export({}).Result, 0);
  EXPECT_EQ(OnlyMail().HeaderUtf8("Subject"), "kept");
}

TEST_F(ExportDocument, AnyTypeOfStringIsAccepted) {
  ASSERT_EQ(Library.Call(cmdInit).Result, 0);
  const std::string other = "<OTHER><SMTPSERVER=127.0.0.1><SMTPPORT=" + std::to_string(Server.Port()) +
                            "><FROMADDRESS=f@example.com><RECIPIENT=o@example.com></OTHER>";
  ASSERT_EQ(Library.Call(cmdSetConfig, other).Result, 0);
  const auto answer = Export({});
  ASSERT_EQ(answer.Result, 0) << answer.BufferUtf8();
  EXPECT_EQ(Server.Messages().at(0).RcptTo, std::vector<std::string>{"o@example.com"});
}

TEST_F(ExportDocument, CompressedItemThatDoesNotInflateReachesTheGuard) {
  ASSERT_EQ(Library.Call(cmdInit).Result, 0);
  const auto answer = Library.Call(cmdSetConfig, "<CONFIG><enc=mime><comp=true><QUJDREVG></CONFIG>");
  EXPECT_EQ(answer.Result, -1);
  EXPECT_EQ(answer.BufferUtf8().rfind("unexpected process exception (", 0), 0u) << answer.BufferUtf8();
}

TEST_F(ExportDocument, SetRecipient) {
  Init(Config());
  EXPECT_EQ(Library.Call(cmdSetRecipient, u"").Result, 0);  // empty: unchanged
  ASSERT_EQ(Export({}).Result, 0);
  EXPECT_EQ(Library.Call(cmdSetRecipient, u"new@example.com").Result, 0);
  ASSERT_EQ(Export({}).Result, 0);
  const auto messages = Server.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].RcptTo, std::vector<std::string>{"to@example.com"});
  EXPECT_EQ(messages[1].RcptTo, std::vector<std::string>{"new@example.com"});
}

TEST_F(ExportDocument, InitAfterConfigResetsServerAndLogin) {
  Init(Config());
  ASSERT_EQ(Library.Call(cmdInit).Result, 0);
  EXPECT_EQ(Library.Call(cmdGetConfig).Text, u"");
  // The server is empty again: nothing reaches the test server.
  EXPECT_EQ(Export({}).Result, -1);
  EXPECT_TRUE(Server.Messages().empty());
}

// The password travels in its stored form and logs in.
TEST_F(ExportDocument, PasswordFromItsStoredForm) {
  TSmtpTestServer authServer(TSmtpTestServer::TOptions().Auth("clerk", "s3cret>x").AuthWithoutTls());
  TvxExportSettings s;
  s.SMTPSERVER = u"127.0.0.1";
  s.SMTPPORT = authServer.Port();
  s.FROMADDRESS = u"clerk@example.com";
  s.RECIPIENT = u"to@example.com";
  s.AUTHENTICATION = true;
  s.USERNAME = u"clerk";
  s.PASSWORD = u"s3cret>x";
  const std::string config = vxExportConfig::BuildConfigString(s);
  EXPECT_EQ(config.find("s3cret"), std::string::npos);
  ASSERT_EQ(Library.Call(cmdInit).Result, 0);
  ASSERT_EQ(Library.Call(cmdSetConfig, WideToUtf8(AnsiToWide(config))).Result, 0);
  const auto answer = Export({});
  ASSERT_EQ(answer.Result, 0) << answer.BufferUtf8();
  EXPECT_EQ(authServer.Messages().at(0).Login, "clerk");
}

// A recipient written 'Name <address>' survives the string: it is written
// in the encoded form, which 110 decodes.
TEST_F(ExportDocument, ValueWithClosingBracketSurvivesTheString) {
  TvxExportSettings s;
  s.SMTPSERVER = u"127.0.0.1";
  s.SMTPPORT = Server.Port();
  s.FROMADDRESS = u"exports@example.com";
  s.RECIPIENT = u"to@example.com";
  s.SUBJECT = u"Mail for <to@example.com>";
  const std::string config = vxExportConfig::BuildConfigString(s);
  EXPECT_EQ(config.rfind("<CONFIG><enc=mime><comp=false>", 0), 0u) << config;
  Init(WideToUtf8(AnsiToWide(config)));
  ASSERT_EQ(Export({}).Result, 0);
  EXPECT_EQ(OnlyMail().HeaderUtf8("Subject"), "Mail for <to@example.com>");
}

}  // namespace
