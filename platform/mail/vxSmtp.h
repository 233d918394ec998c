// An SMTP client (RFC 5321) over TTcpConnection, with STARTTLS, AUTH LOGIN
// and pipelining.
//
// A session: Connect() reads the 220 greeting and sends EHLO with HeloName
// (the machine's fully qualified name unless set; HELO when EHLO is
// refused), then, as Tls asks, STARTTLS and EHLO again; Authenticate() logs
// in as Login asks; SendMessage() sends one message; Disconnect() sends QUIT
// whenever the connection still works, and the destructor disconnects.
// After a failure on the wire (a time-out, a dropped connection, a
// malformed reply) the session is out of step and takes no more commands;
// connect again.
//
// On the wire:
// - STARTTLS runs TLS 1.2 exactly, with server name indication and without
//   certificate verification. TSmtpTls::WhenOffered goes on unencrypted when
//   the server does not offer STARTTLS; Required fails then. A server that
//   offers STARTTLS and refuses it fails the session in both modes. Bytes
//   received before TLS are never read as replies after it.
// - TSmtpLogin::AuthLogin, the client's own exchange: "AUTH LOGIN", then on
//   each 334 the user and the password in Base64; whatever the server
//   advertises (a server that refuses it fails the login with its reply).
//   TSmtpLogin::SaslLogin, the SASL LOGIN mechanism: the server must
//   advertise LOGIN among its AUTH mechanisms, else the login fails before
//   anything is sent; it sends the user as the initial response
//   ("AUTH LOGIN " + Base64 user, "=" for an empty user) and the password on
//   the 334 that follows. Both expect 235. A login that Login asks for is
//   never skipped: SendMessage() logs in first when Authenticate() was not
//   called, and any failure raises.
// - MAIL FROM carries SIZE= when the server announced SIZE (a message over
//   the announced limit fails before MAIL) and BODY=8BITMIME when the message
//   has 8-bit bytes and the server offers 8BITMIME. Every recipient gets its
//   RCPT TO; a single refused recipient fails the send. With UsePipelining
//   and PIPELINING offered, MAIL FROM and the RCPT TO commands go in batches
//   of up to 100 commands, each batch's replies read in order before the
//   next; DATA is sent alone after all recipients were accepted, so a
//   refused recipient never lets a message through. After a refused command of
//   a mail transaction RSET is sent, so the session can be used again.
// - The message goes out normalised to CR LF line ends and dot-stuffed.
// - Addresses must be ASCII without blanks, control characters or angle
//   brackets (no command can be smuggled into the session).
//
// What a reply may hold is bounded (RFC 5321 allows a reply line 512
// octets; these limits are far above it): a line of 64 KiB (without its
// line end), 1000 lines and 1 MiB in all. A reply past them fails the
// session with a text saying which ("a line from HOST:PORT is longer than
// 65536 bytes", "the reply from HOST:PORT is longer than 1048576 bytes",
// "... has more than 1000 lines"). Of a long reply the client keeps 64 KiB
// of text (its last line always); received bytes are let go as lines are
// taken, so a hostile server's flood of replies takes bounded memory.
//
// Time-outs (all finite; tests make them short): connect 30 s, each reply
// 2 minutes (greeting included) and the reply after the message data
// 10 minutes; sending waits at most the reply time-out without progress.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/vxExceptions.h"
#include "platform/mail/vxMime.h"
#include "platform/net/vxTcpConnection.h"

// The session cannot go on: no STARTTLS where it is required, no LOGIN for
// SASL, a malformed reply, a message without sender or recipients, a bad
// address, a message over the server's size limit.
VX_DECLARE_EXCEPTION(ESmtpError, Exception);

// The server refused a command; the message holds what the client asked,
// the reply code and the server's text.
class ESmtpReplyError : public ESmtpError {
 public:
  ESmtpReplyError(const std::string& utf8Message, int replyCode) : ESmtpError(utf8Message.c_str()), ReplyCode(replyCode) {}
  const char* ClassName() const noexcept override { return "ESmtpReplyError"; }
  int ReplyCode;
};

enum class TSmtpTls { None, WhenOffered, Required };
enum class TSmtpLogin { None, AuthLogin, SaslLogin };

struct TSmtpTimeouts {
  int ConnectMs = 30'000;
  int ReplyMs = 120'000;
  int DataEndMs = 600'000;
};

struct TSmtpReply {
  int Code = 0;
  std::vector<std::string> Lines;  // the texts after the code
  // The code and the lines, joined by blanks: "550 5.1.1 no such user".
  std::string Text() const;
};

struct TSmtpCapabilities {
  bool Extended = false;  // EHLO was accepted
  bool StartTls = false;
  bool Pipelining = false;
  bool EightBitMime = false;
  bool HasSize = false;
  uint64_t Size = 0;  // 0: no limit announced
  std::vector<std::string> AuthMechanisms;  // upper case

  bool OffersAuth(const std::string& mechanism) const;
};

class TSmtpClient {
 public:
  std::string Host = "localhost";
  uint16_t Port = 25;
  TSmtpTls Tls = TSmtpTls::None;
  TSmtpLogin Login = TSmtpLogin::None;
  ustring Username;
  ustring Password;
  bool UsePipelining = false;
  TSmtpTimeouts Timeouts;
  std::string HeloName;  // empty: the machine's fully qualified name; printable ASCII without blanks

  TSmtpClient();
  ~TSmtpClient();
  TSmtpClient(const TSmtpClient&) = delete;
  TSmtpClient& operator=(const TSmtpClient&) = delete;

  void Connect();
  void Authenticate();
  // Sends a message as it stands (Bcc fields left out), to the envelope its
  // header fields give.
  void SendMessage(const TRawMessage& message);
  void SendMessage(const TMimeMessage& message);
  // Sends data (a whole message) to an explicit envelope.
  void SendData(const std::string& sender, const std::vector<std::string>& recipients, const std::string& data);
  void Disconnect() noexcept;

  // Connected, and no failure on the wire since.
  bool Connected() const;
  bool TlsActive() const;
  bool Authenticated() const { return FAuthenticated; }
  const TSmtpCapabilities& Capabilities() const { return FCapabilities; }
  const TSmtpReply& Greeting() const { return FGreeting; }

 private:
  TTcpConnection FConnection;
  TSmtpCapabilities FCapabilities;
  TSmtpReply FGreeting;
  bool FAuthenticated = false;
  bool FBroken = false;  // the connection failed; QUIT would be pointless

  void Hello();
  // SendData for a message given as pieces that follow one another.
  void SendPieces(const std::string& sender, const std::vector<std::string>& recipients,
                  const std::vector<std::string_view>& pieces);
  std::string EffectiveHeloName() const;
  void SendLine(const std::string& line);
  TSmtpReply ReadReply(int timeoutMs);
  TSmtpReply Command(const std::string& line);
  // Raises ESmtpReplyError when the reply's code is not expected (2 = any
  // 2xx, otherwise the exact code).
  static void Expect(const TSmtpReply& reply, int expected, const std::string& what);
  void RecoverFromRefusal() noexcept;
  void LoginAuthLogin();
  void LoginSasl();
};
