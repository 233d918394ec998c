// The SMTP client against a scripted peer: the exact commands on the wire.
#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include "platform/files/vxStream.h"
#include "platform/mail/vxMimeCodec.h"
#include "platform/mail/vxSmtp.h"
#include "support/vxChildProcess.h"
#include "support/vxTestTempDir.h"
#include "tests/platform/mail/vxScriptedSmtpServer.h"

namespace {

using TLines = std::vector<std::string>;

// Replies come at once from the scripted peer; the time-outs only matter
// where the peer is silent on purpose.
void Configure(TSmtpClient& client, const TScriptedSmtpServer& server, int replyMs = 10'000) {
  client.Host = "127.0.0.1";
  client.Port = server.Port();
  client.HeloName = "client.test";
  client.Timeouts.ConnectMs = 10'000;
  client.Timeouts.ReplyMs = replyMs;
  client.Timeouts.DataEndMs = replyMs;
}

const char* const kGreeting = "220 fake.test ESMTP";

template <class E, class F>
std::string ErrorOf(F&& step) {
  try {
    step();
  } catch (const E& e) {
    return e.what();
  } catch (const std::exception& e) {
    return std::string("wrong class: ") + e.what();
  }
  return "no error";
}

}  // namespace

TEST(SmtpWire, PlainSessionInOrder) {
  TScriptedSmtpServer server;
  server.Say(kGreeting).Read().Say("250-fake.test greets client.test\n250-SIZE 1000000\n250 HELP")
      .Read().Say("250 2.1.0 ok").Read().Say("250 2.1.5 ok").Read().Say("250 2.1.5 ok")
      .Read().Say("354 go ahead").ReadData().Say("250 2.0.0 queued").Read().Say("221 bye");
  server.Start();
  {
    TSmtpClient client;
    Configure(client, server);
    client.Connect();
    EXPECT_TRUE(client.Capabilities().Extended);
    EXPECT_EQ(client.Capabilities().Size, 1000000u);
    EXPECT_EQ(client.Greeting().Text(), "220 fake.test ESMTP");
    client.SendData("a@x", {"b@x", "c@x"}, "Subject: x\r\n\r\n.dot\n..two\nlast");
    client.Disconnect();
  }
  EXPECT_EQ(server.Received(), (TLines{"EHLO client.test", "MAIL FROM:<a@x> SIZE=31", "RCPT TO:<b@x>",
                                       "RCPT TO:<c@x>", "DATA", "Subject: x", "", "..dot", "...two", "last", ".",
                                       "QUIT"}));
}

// The bytes DATA carries: every line end CR LF (lone CR and lone LF alike),
// a "." doubled at the start of every line, a final line end where the data
// lacks one, and the SIZE announced being that of the data with CR LF line
// ends before the dots are doubled.
TEST(SmtpWire, DataBytesOnTheWire) {
  struct TCase {
    std::string Data;
    std::string Wire;
  };
  const std::string longLine(600 * 1024, 'x');
  const std::vector<TCase> cases = {
      {"", ".\r\n"},
      {"a", "a\r\n.\r\n"},
      {"a\r\n", "a\r\n.\r\n"},
      {".", "..\r\n.\r\n"},
      {"a\nb\rc\r\nd\n\re", "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n.\r\n"},
      {"\r\r\n\n", "\r\n\r\n\r\n.\r\n"},
      {".a\r\n..b\n.\r.\r\nx.y\r\n", "..a\r\n...b\r\n..\r\n..\r\nx.y\r\n.\r\n"},
      {"h\xE9\r", "h\xE9\r\n.\r\n"},
      // Longer than the chunks the writer sends, with changes on both sides.
      {"\n" + longLine + "\n." + longLine, "\r\n" + longLine + "\r\n.." + longLine + "\r\n.\r\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.Data.substr(0, 40)));
    TScriptedSmtpServer server;
    server.Say(kGreeting).Read().Say("250-fake.test\n250 SIZE")
        .Read().Say("250 ok").Read().Say("250 ok").Read().Say("354 go ahead").ReadData().Say("250 queued")
        .Read().Say("221 bye");
    server.Start();
    {
      TSmtpClient client;
      Configure(client, server);
      client.Connect();
      client.SendData("a@x", {"b@x"}, c.Data);
      client.Disconnect();
    }
    EXPECT_EQ(server.RawData(), c.Wire);
    const size_t size = vxMimeCodec::NormaliseLineBreaks(c.Data).size();
    EXPECT_EQ(server.Received().at(1), "MAIL FROM:<a@x> SIZE=" + std::to_string(size));
  }
}

// DATA as the plain rules make it, byte by byte: the reference the writer's
// block-wise pass is held against.
std::string DataAsSent(std::string_view data) {
  std::string out;
  bool lineStart = true;
  for (size_t i = 0; i < data.size(); ++i) {
    const char c = data[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
      out += "\r\n";
      lineStart = true;
      continue;
    }
    if (lineStart && c == '.') out += '.';
    out += c;
    lineStart = false;
  }
  return out + (lineStart ? ".\r\n" : "\r\n.\r\n");
}

// Clean CR LF lines longer than the blocks the writer checks at once and
// than its chunks, with one byte changed at places around those boundaries
// (into a lone LF, a lone CR, a dot or an 8-bit byte), or nothing changed;
// sent as one piece and as the body behind a header. The wire, SIZE and
// BODY=8BITMIME must be what the byte-by-byte rules give.
TEST(SmtpWire, DataChangesAroundBlockAndChunkBoundaries) {
  std::string clean;
  for (int line = 0; clean.size() < 300 * 1024; ++line)
    clean += std::string(static_cast<size_t>(60 + line % 37), static_cast<char>('a' + line % 26)) + "\r\n";
  std::vector<std::string> datas = {clean};
  const size_t chunk = 256 * 1024;
  for (const size_t at : {size_t{0}, size_t{1}, size_t{126}, size_t{127}, size_t{128}, size_t{129}, size_t{255},
                          size_t{256}, size_t{257}, chunk - 1, chunk, chunk + 1, clean.size() - 2, clean.size() - 1}) {
    for (const char c : {'\n', '\r', '.', '\xE9'}) {
      std::string data = clean;
      data[at] = c;
      datas.push_back(std::move(data));
    }
    // A dot opening the line that starts nearest behind the place.
    const size_t lineStart = clean.find("\r\n", at);
    if (lineStart != std::string::npos && lineStart + 2 < clean.size()) {
      std::string data = clean;
      data[lineStart + 2] = '.';
      datas.push_back(std::move(data));
    }
  }
  for (const std::string& data : datas) {
    for (const bool asBody : {false, true}) {
      SCOPED_TRACE(testing::Message() << "first difference at " << std::mismatch(data.begin(), data.end(), clean.begin()).first - data.begin()
                                      << (asBody ? " as a body" : " as one piece"));
      TScriptedSmtpServer server;
      server.Say(kGreeting).Read().Say("250-fake.test\n250-8BITMIME\n250 SIZE")
          .Read().Say("250 ok").Read().Say("250 ok").Read().Say("354 go ahead").ReadData().Say("250 queued")
          .Read().Say("221 bye");
      server.Start();
      const std::string header = "From: a@x\r\nTo: b@x\r\n";
      {
        TSmtpClient client;
        Configure(client, server);
        client.Connect();
        if (asBody) {
          TRawMessage m = TRawMessage::FromBytes(header + "\r\n");
          m.Body = data;
          client.SendMessage(m);
        } else {
          client.SendData("a@x", {"b@x"}, data);
        }
        client.Disconnect();
      }
      const std::string whole = asBody ? header + "\r\n" + data : data;
      EXPECT_TRUE(server.RawData() == DataAsSent(whole));
      const bool eightBit = whole.find('\xE9') != std::string::npos;
      EXPECT_EQ(server.Received().at(1), "MAIL FROM:<a@x> SIZE=" +
                                             std::to_string(vxMimeCodec::NormaliseLineBreaks(whole).size()) +
                                             (eightBit ? " BODY=8BITMIME" : ""));
    }
  }
}

// A message sent as it stands goes out as header and body one after the
// other: a CR ending the one and an LF opening the other are one line end,
// and the Bcc field stays behind.
TEST(SmtpWire, RawMessageHeaderAndBodyJoinOnTheWire) {
  TRawMessage m = TRawMessage::FromBytes("From: a@x\r\nTo: b@x\r\nBcc: c@x\r\n\r\n");
  m.Separator = "\r";
  m.Body = "\n.x\r";
  TScriptedSmtpServer server;
  server.Say(kGreeting).Read().Say("250 fake.test").Read().Say("250 ok").Read().Say("250 ok").Read().Say("250 ok")
      .Read().Say("354 go ahead").ReadData().Say("250 queued").Read().Say("221 bye");
  server.Start();
  {
    TSmtpClient client;
    Configure(client, server);
    client.Connect();
    client.SendMessage(m);
    client.Disconnect();
  }
  EXPECT_EQ(server.RawData(), "From: a@x\r\nTo: b@x\r\n\r\n..x\r\n.\r\n");
}

TEST(SmtpWire, OwnAuthLoginSendsUserAndPasswordOnPrompts) {
  TScriptedSmtpServer server;
  // LOGIN is not advertised: the client's own exchange asks all the same.
  server.Say(kGreeting).Read().Say("250-fake.test\n250 AUTH PLAIN")
      .Read().Say("334 VXNlcm5hbWU6").Read().Say("334 UGFzc3dvcmQ6").Read().Say("235 2.7.0 ok")
      .Read().Say("221 bye");
  server.Start();
  TSmtpClient client;
  Configure(client, server);
  client.Login = TSmtpLogin::AuthLogin;
  client.Username = u"user@x";
  client.Password = u"pässword";
  client.Connect();
  client.Authenticate();
  EXPECT_TRUE(client.Authenticated());
  client.Disconnect();
  EXPECT_EQ(server.Received(), (TLines{"EHLO client.test", "AUTH LOGIN", "dXNlckB4",
                                       vxMimeCodec::Base64Encode("p\xC3\xA4ssword"), "QUIT"}));
}

TEST(SmtpWire, SaslLoginSendsTheUserAsInitialResponse) {
  TScriptedSmtpServer server;
  server.Say(kGreeting).Read().Say("250-fake.test\n250-AUTH=LOGIN\n250 AUTH PLAIN LOGIN")
      .Read().Say("334 UGFzc3dvcmQ6").Read().Say("235 2.7.0 ok").Read().Say("221 bye");
  server.Start();
  TSmtpClient client;
  Configure(client, server);
  client.Login = TSmtpLogin::SaslLogin;
  client.Username = u"user";
  client.Password = u"secret";
  client.Connect();
  EXPECT_TRUE(client.Capabilities().OffersAuth("login"));
  client.Authenticate();
  client.Disconnect();
  EXPECT_EQ(server.Received(), (TLines{"EHLO client.test", "AUTH LOGIN dXNlcg==", "c2VjcmV0", "QUIT"}));
}

TEST(SmtpWire, SaslLoginWithoutLoginOfferedFailsBeforeSending) {
  TScriptedSmtpServer server;
  server.Say(kGreeting).Read().Say("250-fake.test\n250 AUTH PLAIN CRAM-MD5").Read().Say("221 bye");
  server.Start();
  TSmtpClient client;
  Configure(client, server);
  client.Login = TSmtpLogin::SaslLogin;
  client.Username = u"user";
  client.Connect();
  // Sending without the login that was asked for is not possible either.
  const std::string error = ErrorOf<ESmtpError>([&] { client.SendData("a@x", {"b@x"}, "x"); });
  EXPECT_NE(error.find("offers no AUTH LOGIN (offered: PLAIN CRAM-MD5)"), std::string::npos) << error;
  EXPECT_FALSE(client.Authenticated());
  client.Disconnect();
  EXPECT_EQ(server.Received(), (TLines{"EHLO client.test", "QUIT"}));
}

TEST(SmtpWire, LoginIsNeverSkippedBeforeMail) {
  TScriptedSmtpServer server;
  server.Say(kGreeting).Read().Say("250-fake.test\n250 AUTH LOGIN")
      .Read().Say("334 VXNlcm5hbWU6").Read().Say("334 UGFzc3dvcmQ6").Read().Say("535 5.7.8 bad credentials")
      .Read().Say("221 bye");
  server.Start();
  TSmtpClient client;
  Configure(client, server);
  client.Login = TSmtpLogin::AuthLogin;
  client.Username = u"u";
  client.Password = u"wrong";
  client.Connect();
  try {
    client.SendData("a@x", {"b@x"}, "x");
    FAIL() << "sent without login";
  } catch (const ESmtpReplyError& e) {
    EXPECT_EQ(e.ReplyCode, 535);
    EXPECT_STREQ(e.what(), "login failed: 535 5.7.8 bad credentials");
    EXPECT_STREQ(e.ClassName(), "ESmtpReplyError");
  }
  client.Disconnect();
  EXPECT_EQ(server.Received(), (TLines{"EHLO client.test", "AUTH LOGIN", "dQ==", "d3Jvbmc=", "QUIT"}));
}

TEST(SmtpWire, PipelinedBatchSentBeforeAnyReply) {
  TScriptedSmtpServer server;
  // The peer reads the whole batch before it answers: a client that waited
  // for each reply would stall here.
  server.Say(kGreeting).Read().Say("250-fake.test\n250-PIPELINING\n250 8BITMIME")
      .Read(3).Say("250 ok\n250 ok\n250 ok").Read().Say("354 go").ReadData().Say("250 queued")
      .Read().Say("221 bye");
  server.Start();
  TSmtpClient client;
  Configure(client, server);
  client.UsePipelining = true;
  client.Connect();
  client.SendData("a@x", {"b@x", "c@x"}, "Subject: \xE4\r\n\r\nbody\r\n");
  client.Disconnect();
  EXPECT_EQ(server.Received(), (TLines{"EHLO client.test", "MAIL FROM:<a@x> BODY=8BITMIME", "RCPT TO:<b@x>",
                                       "RCPT TO:<c@x>", "DATA", "Subject: \xE4", "", "body", ".", "QUIT"}));
}

TEST(SmtpWire, PipelinedBatchWithRefusedRecipientSendsNoData) {
  TScriptedSmtpServer server;
  server.Say(kGreeting).Read().Say("250-fake.test\n250 PIPELINING")
      .Read(3).Say("250 ok\n550-5.1.1 no such user\n550 5.1.1 really not\n250 ok").Read().Say("250 reset")
      .Read().Say("221 bye");
  server.Start();
  TSmtpClient client;
  Configure(client, server);
  client.UsePipelining = true;
  client.Connect();
  try {
    client.SendData("a@x", {"nobody@x", "c@x"}, "x");
    FAIL() << "a refused recipient was accepted";
  } catch (const ESmtpReplyError& e) {
    EXPECT_EQ(e.ReplyCode, 550);
    EXPECT_STREQ(e.what(), "recipient <nobody@x> refused: 550 5.1.1 no such user 5.1.1 really not");
  }
  client.Disconnect();
  EXPECT_EQ(server.Received(),
            (TLines{"EHLO client.test", "MAIL FROM:<a@x>", "RCPT TO:<nobody@x>", "RCPT TO:<c@x>", "RSET", "QUIT"}));
}

TEST(SmtpWire, PipeliningUnusedWhenNotAskedOrNotOffered) {
  for (const bool asked : {false, true}) {
    TScriptedSmtpServer server;
    const char* capabilities = asked ? "250 fake.test" : "250-fake.test\n250 PIPELINING";
    server.Say(kGreeting).Read().Say(capabilities).Read().Say("250 ok").Read().Say("250 ok")
        .Read().Say("354 go").ReadData().Say("250 queued").Read().Say("221 bye");
    server.Start();
    TSmtpClient client;
    Configure(client, server);
    client.UsePipelining = asked;
    client.Connect();
    client.SendData("a@x", {"b@x"}, "x");
    client.Disconnect();
    EXPECT_EQ(server.Received().size(), 7u);
  }
}

TEST(SmtpWire, RefusedStartTlsFailsTheSession) {
  for (const TSmtpTls tls : {TSmtpTls::WhenOffered, TSmtpTls::Required}) {
    TScriptedSmtpServer server;
    server.Say(kGreeting).Read().Say("250-fake.test\n250 STARTTLS").Read().Say("454 4.7.0 TLS not available")
        .Read().Say("221 bye");
    server.Start();
    TSmtpClient client;
    Configure(client, server);
    client.Tls = tls;
    try {
      client.Connect();
      FAIL() << "went on without TLS";
    } catch (const ESmtpReplyError& e) {
      EXPECT_EQ(e.ReplyCode, 454);
      EXPECT_STREQ(e.what(), "STARTTLS refused: 454 4.7.0 TLS not available");
    }
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(server.Received(), (TLines{"EHLO client.test", "STARTTLS", "QUIT"}));
  }
}

TEST(SmtpWire, HeloWhenEhloIsRefused) {
  TScriptedSmtpServer server;
  server.Say(kGreeting).Read().Say("502 5.5.1 command not implemented").Read().Say("250 fake.test")
      .Read().Say("250 ok").Read().Say("250 ok").Read().Say("354 go").ReadData().Say("250 queued")
      .Read().Say("221 bye");
  server.Start();
  TSmtpClient client;
  Configure(client, server);
  client.Tls = TSmtpTls::WhenOffered;  // not offered by an old server: go on in plain text
  client.Connect();
  EXPECT_FALSE(client.Capabilities().Extended);
  EXPECT_FALSE(client.TlsActive());
  client.SendData("a@x", {"b@x"}, "x");
  client.Disconnect();
  EXPECT_EQ(server.Received(), (TLines{"EHLO client.test", "HELO client.test", "MAIL FROM:<a@x>", "RCPT TO:<b@x>",
                                       "DATA", "x", ".", "QUIT"}));
}

TEST(SmtpWire, RequiredTlsNotOfferedFails) {
  TScriptedSmtpServer server;
  server.Say(kGreeting).Read().Say("250-fake.test\n250 PIPELINING").Read().Say("221 bye");
  server.Start();
  TSmtpClient client;
  Configure(client, server);
  client.Tls = TSmtpTls::Required;
  const std::string error = ErrorOf<ESmtpError>([&] { client.Connect(); });
  EXPECT_NE(error.find("does not offer STARTTLS"), std::string::npos) << error;
  EXPECT_EQ(server.Received(), (TLines{"EHLO client.test", "QUIT"}));
}

TEST(SmtpWire, DroppedConnection) {
  TScriptedSmtpServer server;
  server.Say(kGreeting).Read().Say("250 fake.test").Read().Close();
  server.Start();
  TSmtpClient client;
  Configure(client, server);
  client.Connect();
  const std::string error = ErrorOf<ESocketError>([&] { client.SendData("a@x", {"b@x"}, "x"); });
  EXPECT_NE(error.find("connection closed by 127.0.0.1:"), std::string::npos) << error;
  client.Disconnect();
  EXPECT_FALSE(client.Connected());
  EXPECT_EQ(server.Received(), (TLines{"EHLO client.test", "MAIL FROM:<a@x>"}));
}

TEST(SmtpWire, SilentServerEndsInTimeOut) {
  {
    TScriptedSmtpServer server;
    server.Hang();
    server.Start();
    TSmtpClient client;
    Configure(client, server, 300);
    const std::string error = ErrorOf<ESocketTimeout>([&] { client.Connect(); });
    EXPECT_NE(error.find("time-out waiting for data from 127.0.0.1:"), std::string::npos) << error;
    EXPECT_FALSE(client.Connected());
    EXPECT_TRUE(server.Received().empty());
  }
  {
    // Greets, then never answers EHLO; no QUIT is sent on a dead session.
    TScriptedSmtpServer server;
    server.Say(kGreeting).Hang();
    server.Start();
    TSmtpClient client;
    Configure(client, server, 300);
    EXPECT_THROW(client.Connect(), ESocketTimeout);
    EXPECT_EQ(server.Received(), (TLines{"EHLO client.test"}));
  }
}

TEST(SmtpWire, RefusedGreetingAndMalformedReplies) {
  {
    TScriptedSmtpServer server;
    server.Say("554 5.3.2 not now").Read().Say("221 bye");
    server.Start();
    TSmtpClient client;
    Configure(client, server);
    const std::string error = ErrorOf<ESmtpReplyError>([&] { client.Connect(); });
    EXPECT_EQ(error, "the server refused the session: 554 5.3.2 not now");
    EXPECT_EQ(server.Received(), (TLines{"QUIT"}));
  }
  {
    TScriptedSmtpServer server;
    server.Say("hello there");
    server.Start();
    TSmtpClient client;
    Configure(client, server);
    const std::string error = ErrorOf<ESmtpError>([&] { client.Connect(); });
    EXPECT_NE(error.find("malformed reply"), std::string::npos) << error;
  }
}

TEST(SmtpWire, EnvelopeCheckedBeforeAnythingIsSent) {
  TScriptedSmtpServer server;
  server.Say(kGreeting).Read().Say("250-fake.test\n250 SIZE 20").Read().Say("221 bye");
  server.Start();
  TSmtpClient client;
  Configure(client, server);
  client.Connect();
  const std::pair<std::string, std::vector<std::string>> envelopes[] = {
      {"", {"b@x"}}, {"a@x", {}}, {"a@x>\r\nRSET", {"b@x"}}, {"a@x", {"b@x", "c d@x"}}, {"ä@x", {"b@x"}}};
  for (const auto& [sender, recipients] : envelopes)
    EXPECT_THROW(client.SendData(sender, recipients, "x"), ESmtpError) << sender;
  const std::string error = ErrorOf<ESmtpError>([&] { client.SendData("a@x", {"b@x"}, std::string(21, 'x')); });
  EXPECT_NE(error.find("the message of 21 bytes exceeds the limit of 20 bytes"), std::string::npos) << error;
  client.Disconnect();
  EXPECT_EQ(server.Received(), (TLines{"EHLO client.test", "QUIT"}));
}

TEST(SmtpWire, ConnectionRefused) {
  uint16_t port = 0;
  {
    TScriptedSmtpServer closedAgain;  // a port that was free a moment ago
    port = closedAgain.Port();
  }
  TSmtpClient client;
  client.Host = "127.0.0.1";
  client.Port = port;
  const std::string error = ErrorOf<ESocketError>([&] { client.Connect(); });
  EXPECT_NE(error.find("connect to 127.0.0.1:" + std::to_string(port) + " failed"), std::string::npos) << error;
  client.Host = "no-such-host.invalid";
  EXPECT_THROW(client.Connect(), ESocketError);
}

TEST(SmtpWire, NoCommandAfterAFailureOnTheWire) {
  // A malformed reply leaves the session out of step: a later reply would
  // answer the wrong command, so nothing more is sent but the close.
  TScriptedSmtpServer server;
  server.Say(kGreeting).Read().Say("250 fake.test").Read().Say("garbage");
  server.Start();
  TSmtpClient client;
  Configure(client, server, 2'000);
  client.Connect();
  EXPECT_NE(ErrorOf<ESmtpError>([&] { client.SendData("a@x", {"b@x"}, "x"); }).find("malformed reply"),
            std::string::npos);
  EXPECT_FALSE(client.Connected());
  EXPECT_NE(ErrorOf<ESmtpError>([&] { client.SendData("a@x", {"b@x"}, "x"); }).find("not connected"),
            std::string::npos);
  client.Disconnect();
  EXPECT_EQ(server.Received(), (TLines{"EHLO client.test", "MAIL FROM:<a@x>"}));
}

TEST(SmtpWire, HeloNameCannotCarryACommand) {
  TScriptedSmtpServer server;
  server.Say(kGreeting).Read().Say("221 bye");
  server.Start();
  TSmtpClient client;
  Configure(client, server);
  client.HeloName = "client.test\r\nRSET";
  EXPECT_NE(ErrorOf<ESmtpError>([&] { client.Connect(); }).find("invalid name for EHLO"), std::string::npos);
  EXPECT_EQ(server.Received(), (TLines{"QUIT"}));
}

// A server that refuses the message while it is still coming (554, then it
// closes or stops reading): the client reports the server's reply, not the
// broken write, and does not wait for the write's time-out.
TEST(SmtpWire, EarlyReplyDuringDataIsReported) {
  std::string big;
  for (int i = 0; i < 400'000; ++i) big += "a line of the message that the server will not read in full\r\n";
  for (bool closes : {true, false}) {
    SCOPED_TRACE(closes ? "closes" : "stops reading");
    TScriptedSmtpServer server;
    server.Say(kGreeting).Read().Say("250 fake.test").Read().Say("250 ok").Read().Say("250 ok").Read()
        .Say("354 go ahead").Read().Say("554 5.7.1 no thanks");
    if (closes)
      server.Close();
    else
      server.Hang();
    server.Start();
    TSmtpClient client;
    // The stalled write would wait this long without the early reply.
    Configure(client, server, 120'000);
    client.Connect();
    try {
      client.SendData("a@x", {"b@x"}, big);
      ADD_FAILURE() << "no error";
    } catch (const ESmtpReplyError& e) {
      EXPECT_EQ(e.ReplyCode, 554);
      EXPECT_STREQ(e.what(), "message refused: 554 5.7.1 no thanks");
    }
    EXPECT_FALSE(client.Connected());
  }
}

// Pipelined replies: only the first refusal is kept, and of a long reply only
// a bounded part (its last line always).
TEST(SmtpWire, PipelinedRepliesAreBoundedAndOnlyTheFirstRefusalCounts) {
  TScriptedSmtpServer server;
  std::string longReply;
  for (int i = 0; i < 200; ++i) longReply += "550-" + std::string(1000, 'x') + "\n";
  longReply += "550 recipient unknown";
  server.Say(kGreeting).Read().Say("250-fake.test\n250 PIPELINING").Read(3).Say("250 ok").Say(longReply)
      .Say("551 also refused").Read().Say("250 reset").Read().Say("221 bye");
  server.Start();
  {
    TSmtpClient client;
    Configure(client, server);
    client.UsePipelining = true;
    client.Connect();
    try {
      client.SendData("a@x", {"b@x", "c@x"}, "x");
      ADD_FAILURE() << "no error";
    } catch (const ESmtpReplyError& e) {
      EXPECT_EQ(e.ReplyCode, 550);
      const std::string what = e.what();
      EXPECT_EQ(what.rfind("recipient <b@x> refused: 550", 0), 0u) << what.substr(0, 80);
      EXPECT_LE(what.size(), 70u * 1024) << "the kept reply text is bounded";
    }
    EXPECT_TRUE(client.Connected());
    client.Disconnect();
  }
  EXPECT_EQ(server.Received(), (TLines{"EHLO client.test", "MAIL FROM:<a@x>", "RCPT TO:<b@x>", "RCPT TO:<c@x>",
                                       "RSET", "QUIT"}));
}

// The RSET after a refusal is waited for no longer than QUIT (10 s), not the
// whole reply time-out: a server that goes silent does not hold the caller.
TEST(SmtpWire, ResetAfterARefusalIsCapped) {
  TScriptedSmtpServer server;
  server.Say(kGreeting).Read().Say("250 fake.test").Read().Say("550 sender refused").Read().Hang();
  server.Start();
  TSmtpClient client;
  Configure(client, server, 600'000);
  client.Connect();
  // Without the cap this would wait the ten minutes of the reply time-out.
  EXPECT_THROW(client.SendData("a@x", {"b@x"}, "x"), ESmtpReplyError);
  EXPECT_FALSE(client.Connected());
}

// Without a host name that is a domain, the client greets with the address
// literal of its end of the connection. The child has a UTS namespace of its
// own with an empty host name, so no resolver is asked.
TEST(SmtpWire, EhloFallsBackToTheAddressLiteral) {
  TScriptedSmtpServer server;
  server.Say(kGreeting).Read().Say("250 fake.test").Read().Say("221 bye");
  server.Start();  // the child connects to this process's server thread
  const vxTest::TChildOutput output = vxTest::RunInChildForText([&] {
    if (unshare(CLONE_NEWUTS) != 0 || sethostname("", 0) != 0) return std::string("skip");
    TSmtpClient client;
    Configure(client, server);
    client.HeloName.clear();
    client.Connect();
    client.Disconnect();
    return std::string("sent");
  });
  if (output.Text == "skip") {
    // Let the server's script end: nobody connects.
    TSmtpClient client;
    Configure(client, server);
    client.Connect();
    client.Disconnect();
    GTEST_SKIP() << "no UTS namespace of our own (needs root)";
  }
  EXPECT_EQ(server.Received(), (TLines{"EHLO [127.0.0.1]", "QUIT"}));
  EXPECT_EQ(output.Text, "sent");
}

// The machine's name for EHLO is taken once per load of the library: a
// session after the host name changed still greets with the first one. In
// a child with a UTS namespace of its own and numeric host names, so no
// resolver is asked.
TEST(SmtpWire, EhloNameIsTakenOncePerLoad) {
  TScriptedSmtpServer first, second;
  for (TScriptedSmtpServer* server : {&first, &second}) {
    server->Say(kGreeting).Read().Say("250 fake.test").Read().Say("221 bye");
    server->Start();
  }
  const vxTest::TChildOutput output = vxTest::RunInChildForText([&] {
    if (unshare(CLONE_NEWUTS) != 0) return std::string("skip");
    for (auto [server, name] : {std::pair{&first, "192.0.2.1"}, std::pair{&second, "192.0.2.2"}}) {
      if (sethostname(name, std::char_traits<char>::length(name)) != 0) return std::string("skip");
      TSmtpClient client;
      Configure(client, *server);
      client.HeloName.clear();
      client.Connect();
      client.Disconnect();
    }
    return std::string("sent");
  });
  if (output.Text == "skip") {
    for (TScriptedSmtpServer* server : {&first, &second}) {
      TSmtpClient client;
      Configure(client, *server);
      client.Connect();
      client.Disconnect();
    }
    GTEST_SKIP() << "no UTS namespace of our own (needs root)";
  }
  EXPECT_EQ(output.Text, "sent");
  EXPECT_EQ(first.Received(), (TLines{"EHLO 192.0.2.1", "QUIT"}));
  EXPECT_EQ(second.Received(), (TLines{"EHLO 192.0.2.1", "QUIT"}));
}

// A composed mail is made as it is sent: its Base64 lines straight into the
// send buffer. The wire must carry its bytes as the plain rules send them
// (a text part with a line opening with "." and one without), SIZE must be
// its length, and the Bcc field must stay home.
TEST(SmtpWire, ComposedMailMadeAsItIsSent) {
  TTestTempDir folder("vx-smtp-composed");
  std::string content;
  for (size_t i = 0; i < 700 * 1024; ++i) content.push_back(static_cast<char>(i * 131 + i / 977));
  TTestTempDir::WriteBytes(folder.File("big.bin"), content);
  for (const std::u16string body : {u"plain text\r\n", u"a line\r\n.a line opening with a dot\r\n"}) {
    TMimeMessage m;
    m.From = {u"", u"a@x"};
    m.To = {{u"", u"b@x"}};
    m.Bcc = {{u"", u"hidden@x"}};
    m.Body = body;
    m.Parts.push_back(TMimePart::AttachmentFile(u"application/octet-stream", folder.WideFile("big.bin"), u"big.bin"));
    m.Parts.push_back(TMimePart::AttachmentData(u"text/plain", "small data", u"small.txt"));
    const TComposedMail mail = m.ComposeMail();
    TScriptedSmtpServer server;
    server.Say(kGreeting).Read().Say("250-fake.test\n250 SIZE").Read().Say("250 ok").Read().Say("250 ok").Read().Say("250 ok")
        .Read().Say("354 go ahead").ReadData().Say("250 queued").Read().Say("221 bye");
    server.Start();
    {
      TSmtpClient client;
      Configure(client, server);
      client.Connect();
      client.SendMessage(mail);
      client.Disconnect();
    }
    const std::string expected = mail.Header.WireHeader() + TRawMessage::FromBytes(mail.ToBytes()).Body;
    EXPECT_EQ(server.RawData(), DataAsSent(expected));
    EXPECT_EQ(server.Received().at(1), "MAIL FROM:<a@x> SIZE=" + std::to_string(expected.size()));
    EXPECT_EQ(expected.find("hidden@x"), std::string::npos);
  }
}

// An attachment's file that changed between composing and sending cuts the
// message off and ends the session at once, with the reading error; the
// server never sees the end of the data.
TEST(SmtpWire, ComposedMailWhoseFileChangedEndsTheSession) {
  TTestTempDir folder("vx-smtp-changed");
  TTestTempDir::WriteBytes(folder.File("f.bin"), std::string(500 * 1024, 'a'));
  TMimeMessage m;
  m.From = {u"", u"a@x"};
  m.To = {{u"", u"b@x"}};
  m.Parts.push_back(TMimePart::AttachmentFile(u"application/octet-stream", folder.WideFile("f.bin"), u"f.bin"));
  const TComposedMail mail = m.ComposeMail();
  TTestTempDir::WriteBytes(folder.File("f.bin"), std::string(100, 'a'));
  TScriptedSmtpServer server;
  server.Say(kGreeting).Read().Say("250 fake.test").Read().Say("250 ok").Read().Say("250 ok")
      .Read().Say("354 go ahead").ReadData().Say("250 queued");
  server.Start();
  TSmtpClient client;
  Configure(client, server);
  client.Connect();
  EXPECT_THROW(client.SendMessage(mail), EReadError);
  EXPECT_FALSE(client.Connected());
  client.Disconnect();
  const std::vector<std::string> received = server.Received();
  EXPECT_NE(received.back(), ".");
}
