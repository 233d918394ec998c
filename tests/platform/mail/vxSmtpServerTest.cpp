// The SMTP client and the message model against a real SMTP server
// (scripts/smtp_server.py), each test with a server of its own.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/base/vxCodePage.h"
#include "platform/mail/vxMime.h"
#include "platform/mail/vxSmtp.h"
#include "support/vxSmtpTestServer.h"
#include "support/vxTestTempDir.h"

namespace {

void Configure(TSmtpClient& client, const TSmtpTestServer& server) {
  client.Host = "127.0.0.1";
  client.Port = server.Port();
  client.HeloName = "client.test";  // never the resolver's answer for this machine
  client.Timeouts.ConnectMs = 10'000;
  client.Timeouts.ReplyMs = 30'000;
}

TMimeMessage SimpleMessage() {
  TMimeMessage m;
  m.From = {u"Sender Name", u"sender@example.com"};
  m.Sender = m.From;
  m.ReplyTo = {m.From};
  m.To = {{u"to1@example.com", u"to1@example.com"}, {u"to2@example.com", u"to2@example.com"}};
  m.Cc = {{u"cc@example.com", u"cc@example.com"}};
  m.Bcc = {{u"hidden@example.com", u"hidden@example.com"}};
  m.Subject = u"Prüfung – test";
  m.MessageId = u"vxMAPI20240102030405006ABCDEF0123456789ABCDEF0123456789";
  m.ContentType = u"multipart/related";
  m.Parts.push_back(TMimePart::TextPart(u"text/plain", u"Hello,\nthis is the body.\n.\nEnd."));
  return m;
}

const std::vector<std::string> kSimpleRecipients = {"to1@example.com", "to2@example.com", "cc@example.com",
                                                    "hidden@example.com"};

ustring W(const std::filesystem::path& path) { return Utf8ToWide(path.string()); }

// A checked temporary folder (mkdtemp, $TMPDIR) for the files of a test.
struct TTempFolder {
  TTestTempDir Dir{"vx-smtp-files"};
  const std::filesystem::path& Path = Dir.Path();
};

void WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

}  // namespace

TEST(SmtpServer, PlainSendOfAComposedMessage) {
  TSmtpTestServer server;
  TSmtpClient client;
  Configure(client, server);
  client.Tls = TSmtpTls::WhenOffered;  // not offered here: the session stays plain
  client.Connect();
  EXPECT_FALSE(client.TlsActive());
  const TMimeMessage sent = SimpleMessage();
  client.SendMessage(sent);
  client.Disconnect();

  const auto received = server.Messages();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].MailFrom, "sender@example.com");
  EXPECT_EQ(received[0].RcptTo, kSimpleRecipients);
  EXPECT_EQ(received[0].Tls, "none");
  EXPECT_FALSE(received[0].Helo.empty());
  EXPECT_EQ(received[0].Content.find("hidden@example.com"), std::string::npos);
  const TRawMessage raw = TRawMessage::FromBytes(received[0].Content);
  EXPECT_FALSE(raw.HasField("Bcc"));
  const TMimeMessage back = TMimeMessage::Parse(raw);
  EXPECT_EQ(back.Subject, sent.Subject);
  EXPECT_EQ(back.MessageId, sent.MessageId);
  EXPECT_EQ(back.From, sent.From);
  ASSERT_EQ(back.Parts.size(), 1u);
  EXPECT_EQ(back.Parts[0].Text, u"Hello,\r\nthis is the body.\r\n.\r\nEnd.");
}

TEST(SmtpServer, StartTlsRunsTls12) {
  TSmtpTestServer server(TSmtpTestServer::TOptions().StartTls());
  for (const TSmtpTls tls : {TSmtpTls::WhenOffered, TSmtpTls::Required}) {
    TSmtpClient client;
    Configure(client, server);
    client.Tls = tls;
    client.Connect();
    EXPECT_TRUE(client.TlsActive());
    EXPECT_FALSE(client.Capabilities().StartTls);  // the second EHLO, under TLS
    client.SendMessage(SimpleMessage());
  }
  const auto received = server.Messages();
  ASSERT_EQ(received.size(), 2u);
  for (const auto& r : received) EXPECT_EQ(r.Tls, "TLSv1.2");
}

TEST(SmtpServer, ServerNameIndicationOnlyForNames) {
  TSmtpTestServer server(TSmtpTestServer::TOptions().StartTls());
  // An address, also in brackets, is never sent as a server name.
  const std::pair<std::string, std::string> hosts[] = {
      {"localhost", "localhost"}, {"127.0.0.1", ""}, {"[127.0.0.1]", ""}};
  for (const auto& [host, serverName] : hosts) {
    TSmtpClient client;
    Configure(client, server);
    client.Host = host;
    client.Tls = TSmtpTls::Required;
    client.Connect();
    client.SendMessage(SimpleMessage());
  }
  const auto received = server.Messages();
  ASSERT_EQ(received.size(), std::size(hosts));
  for (size_t i = 0; i < std::size(hosts); ++i) EXPECT_EQ(received[i].Sni, hosts[i].second) << hosts[i].first;
}

TEST(SmtpServer, Tls13OnlyServerIsRefused) {
  TSmtpTestServer server(TSmtpTestServer::TOptions().StartTls().Tls13Only());
  TSmtpClient client;
  Configure(client, server);
  client.Tls = TSmtpTls::WhenOffered;
  try {
    client.Connect();
    FAIL() << "connected over a TLS version other than 1.2";
  } catch (const ETlsError& e) {
    EXPECT_NE(std::string(e.what()).find("TLS handshake with 127.0.0.1:"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(client.Connected());
  EXPECT_TRUE(server.Messages().empty());
}

TEST(SmtpServer, AuthLoginBothPaths) {
  struct TCase {
    TSmtpLogin Login;
    bool AuthWithoutTls;
    const char16_t* Password;
  };
  const TCase cases[] = {
      {TSmtpLogin::AuthLogin, false, u"right pässword"}, {TSmtpLogin::AuthLogin, false, u"wrong"},
      {TSmtpLogin::SaslLogin, false, u"right pässword"}, {TSmtpLogin::SaslLogin, false, u"wrong"},
      {TSmtpLogin::AuthLogin, true, u"right pässword"},  {TSmtpLogin::SaslLogin, true, u"right pässword"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Login == TSmtpLogin::AuthLogin ? "AUTH LOGIN" : "SASL LOGIN") +
                 (c.AuthWithoutTls ? " without TLS" : " with TLS"));
    TSmtpTestServer server(TSmtpTestServer::TOptions()
                               .StartTls(!c.AuthWithoutTls)
                               .Auth("mailer", "right pässword")
                               .AuthWithoutTls(c.AuthWithoutTls));
    TSmtpClient client;
    Configure(client, server);
    client.Tls = c.AuthWithoutTls ? TSmtpTls::None : TSmtpTls::Required;
    client.Login = c.Login;
    client.Username = u"mailer";
    client.Password = c.Password;
    client.Connect();
    if (ustring(c.Password) == u"wrong") {
      try {
        client.Authenticate();
        FAIL() << "logged in with a wrong password";
      } catch (const ESmtpReplyError& e) {
        EXPECT_EQ(e.ReplyCode, 535);
      }
      EXPECT_THROW(client.SendMessage(SimpleMessage()), ESmtpReplyError);
      EXPECT_TRUE(server.Messages().empty());
      continue;
    }
    client.Authenticate();
    client.SendMessage(SimpleMessage());
    const auto received = server.Messages();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].Login, "mailer");
  }
}

TEST(SmtpServer, LoginImpossibleWithoutTheTlsTheServerWants) {
  TSmtpTestServer server(TSmtpTestServer::TOptions().StartTls().Auth("mailer", "pw"));
  for (const TSmtpLogin login : {TSmtpLogin::AuthLogin, TSmtpLogin::SaslLogin}) {
    TSmtpClient client;
    Configure(client, server);
    client.Login = login;
    client.Username = u"mailer";
    client.Password = u"pw";
    client.Connect();
    // The own exchange asks and is refused; SASL sees no LOGIN and asks nothing.
    EXPECT_THROW(client.SendMessage(SimpleMessage()), ESmtpError);
    EXPECT_FALSE(client.Authenticated());
  }
  EXPECT_TRUE(server.Messages().empty());
}

TEST(SmtpServer, RefusedRecipientFailsTheSend) {
  for (const bool pipelining : {false, true}) {
    SCOPED_TRACE(pipelining ? "pipelined" : "one by one");
    TSmtpTestServer server(TSmtpTestServer::TOptions().Pipelining().Refuse("nobody@example.com"));
    TSmtpClient client;
    Configure(client, server);
    client.UsePipelining = pipelining;
    client.Connect();
    EXPECT_EQ(client.Capabilities().Pipelining, true);
    TMimeMessage m = SimpleMessage();
    m.Cc.push_back({u"", u"nobody@example.com"});
    try {
      client.SendMessage(m);
      FAIL() << "sent with a refused recipient";
    } catch (const ESmtpReplyError& e) {
      EXPECT_EQ(e.ReplyCode, 550);
      EXPECT_NE(std::string(e.what()).find("recipient <nobody@example.com> refused: 550"), std::string::npos);
    }
    EXPECT_TRUE(server.Messages().empty());
    // The session is still good for the next message.
    client.SendMessage(SimpleMessage());
    ASSERT_EQ(server.Messages().size(), 1u);
    EXPECT_EQ(server.Messages()[0].RcptTo, kSimpleRecipients);
  }
}

TEST(SmtpServer, HtmlWithAttachmentsReadBack) {
  TTempFolder files;
  std::string zip;
  for (int i = 0; i < 100 * 1024; ++i) zip.push_back(static_cast<char>((i * 131) >> 3));
  const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  WriteFile(files.Path / "archive.zip", zip);
  WriteFile(files.Path / "logo.png", png);

  TMimeMessage sent = SimpleMessage();
  sent.Parts.clear();
  sent.Parts.push_back(TMimePart::TextPart(u"text/html", u"<html><body><img src=\"cid:logo\">Grüße</body></html>"));
  TMimePart logo = TMimePart::AttachmentFile(u"image/png", W(files.Path / "logo.png"), u"logo.png");
  logo.ContentId = u"logo";
  logo.Inline = true;
  sent.Parts.push_back(logo);
  sent.Parts.push_back(TMimePart::AttachmentFile(u"application/zip", W(files.Path / "archive.zip"), u"a, b.zip"));
  sent.Parts.push_back(TMimePart::AttachmentData(u"text/plain", "Übersicht", u"Übersicht.txt"));

  TSmtpTestServer server;
  TSmtpClient client;
  Configure(client, server);
  client.Connect();
  client.SendMessage(sent);
  client.Disconnect();

  const auto received = server.Messages();
  ASSERT_EQ(received.size(), 1u);
  const TMimeMessage back = TMimeMessage::Parse(TRawMessage::FromBytes(received[0].Content));
  EXPECT_EQ(back.ContentType, u"multipart/related");
  ASSERT_EQ(back.Parts.size(), 4u);
  EXPECT_EQ(back.Parts[0].ContentType, u"text/html");
  EXPECT_EQ(back.Parts[0].Text, sent.Parts[0].Text);
  EXPECT_EQ(back.Parts[1].Data, png);
  EXPECT_EQ(back.Parts[1].ContentId, u"logo");
  EXPECT_TRUE(back.Parts[1].Inline);
  EXPECT_EQ(back.Parts[2].Data, zip);
  EXPECT_EQ(back.Parts[2].FileName, u"a, b.zip");
  EXPECT_FALSE(back.Parts[2].Inline);
  EXPECT_EQ(back.Parts[3].Kind, TMimePartKind::Attachment);
  EXPECT_EQ(back.Parts[3].FileName, u"Übersicht.txt");
  EXPECT_EQ(back.Parts[3].Data, "Übersicht");
}

TEST(SmtpServer, RelayedFileArrivesByteForByteWithoutBcc) {
  const std::string head =
      "Return-Path: <bounce@example.com>\r\n"
      "From: =?UTF-8?Q?J=C3=BCrgen?= <author@example.com>\r\n"
      "Sender: relay-agent@example.com\r\n"
      "To: \"Doe, Jane\" <jane@example.com>,\r\n"
      "\tgroup: one@example.com, two@example.com;\r\n";
  const std::string bcc = "Bcc: blind@example.com,\r\n other-blind@example.com\r\n";
  const std::string rest =
      "Cc: copy@example.com\r\n"
      "Subject: relayed \xE4 as it stands\r\n"
      "\r\n"
      ".leading dot\r\n"
      "..two dots\r\n"
      "8-bit \xF6\xFC and a line\r\n"
      ".\r\n"
      "last line without end";
  TTempFolder files;
  WriteFile(files.Path / "mail.eml", head + bcc + rest);

  TSmtpTestServer server(TSmtpTestServer::TOptions().Pipelining());
  TSmtpClient client;
  Configure(client, server);
  client.UsePipelining = true;
  client.Connect();
  const TRawMessage raw = TRawMessage::LoadFromFile(W(files.Path / "mail.eml"));
  client.SendMessage(raw);
  client.Disconnect();

  const auto received = server.Messages();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].Content, head + rest + "\r\n");
  EXPECT_EQ(received[0].MailFrom, "relay-agent@example.com");
  EXPECT_EQ(received[0].RcptTo, (std::vector<std::string>{"jane@example.com", "one@example.com", "two@example.com",
                                                           "blind@example.com", "other-blind@example.com",
                                                           "copy@example.com"}));
  EXPECT_NE(received[0].MailOptions.find("BODY=8BITMIME"), std::string::npos);
  // The file itself is untouched.
  EXPECT_EQ(TSmtpTestServer::ReadFile(files.Path / "mail.eml"), head + bcc + rest);
}

TEST(SmtpServer, RelayedFileWithLfLineEndsGoesOutWithCrLf) {
  TTempFolder files;
  WriteFile(files.Path / "lf.eml", "From: a@example.com\nTo: b@example.com\n\nline\n.dot\n");
  TSmtpTestServer server;
  TSmtpClient client;
  Configure(client, server);
  client.Connect();
  client.SendMessage(TRawMessage::LoadFromFile(W(files.Path / "lf.eml")));
  ASSERT_EQ(server.Messages().size(), 1u);
  EXPECT_EQ(server.Messages()[0].Content, "From: a@example.com\r\nTo: b@example.com\r\n\r\nline\r\n.dot\r\n");
}

TEST(SmtpServer, RelayWithoutRecipientsOrSenderFails) {
  TSmtpTestServer server;
  TSmtpClient client;
  Configure(client, server);
  client.Connect();
  EXPECT_THROW(client.SendMessage(TRawMessage::FromBytes("From: a@example.com\r\nTo: undisclosed-recipients:;\r\n\r\nx")),
               ESmtpError);
  EXPECT_THROW(client.SendMessage(TRawMessage::FromBytes("To: b@example.com\r\n\r\nx")), ESmtpError);
  EXPECT_TRUE(server.Messages().empty());
}

TEST(SmtpServer, RequiredTlsAgainstServers) {
  {
    // TLS required and not offered: no message goes out in plain text.
    TSmtpTestServer server;
    TSmtpClient client;
    Configure(client, server);
    client.Tls = TSmtpTls::Required;
    client.UsePipelining = true;
    EXPECT_THROW(client.Connect(), ESmtpError);
    EXPECT_FALSE(client.Connected());
    EXPECT_TRUE(server.Messages().empty());
  }
  {
    // A server that wants STARTTLS before mail refuses a plain session.
    TSmtpTestServer server(TSmtpTestServer::TOptions().RequireStartTls());
    TSmtpClient plain;
    Configure(plain, server);
    plain.Connect();
    try {
      plain.SendMessage(SimpleMessage());
      FAIL() << "sent in plain text";
    } catch (const ESmtpReplyError& e) {
      EXPECT_EQ(e.ReplyCode, 530);
    }
    TSmtpClient secure;
    Configure(secure, server);
    secure.Tls = TSmtpTls::Required;
    secure.Connect();
    secure.SendMessage(SimpleMessage());
    ASSERT_EQ(server.Messages().size(), 1u);
    EXPECT_EQ(server.Messages()[0].Tls, "TLSv1.2");
  }
}
