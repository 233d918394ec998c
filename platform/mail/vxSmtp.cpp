// An SMTP client (RFC 5321) over TTcpConnection, with STARTTLS, AUTH LOGIN and
// pipelining.
#include "platform/mail/vxSmtp.h"

#include <algorithm>
#include <cctype>

#include "platform/base/vxCodePage.h"
#include "platform/net/vxHostName.h"
#include "platform/mail/vxMimeCodec.h"
#include "platform/base/vxRuntime.h"

namespace {

// Runs one step on the wire. A failed step leaves the session out of step
// with the server (a late reply would answer the next command), so the
// session is marked broken and the error goes on to the caller.
template <class F>
decltype(auto) OnWire(bool& Broken, F&& Step) {
  try {
    return Step();
  } catch (const Exception&) {
    Broken = true;
    throw;
  }
}

constexpr size_t kLongestReplyLine = 65536;
constexpr size_t kMostReplyLines = 1000;
constexpr size_t kPipelineBatch = 100;
constexpr int kQuitReplyMs = 10'000;

bool IsDomainName(const std::string& name) {
  if (name.empty() || name.size() > 253 || name.front() == '.' || name.back() == '.' || name.front() == '-') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
  });
}

// An envelope address may not carry anything that could end or add a command.
void CheckAddress(const std::string& address) {
  for (char ch : address) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c <= 32 || c >= 127 || c == '<' || c == '>')
      throw ESmtpError(("invalid address for the envelope: '" + address + "'").c_str());
  }
}

// The message as DATA sends it: CR LF line ends, a "." doubled at the start
// of a line, a final line end and the "." line that ends the data.
std::string DataForTransfer(const std::string& normalised) {
  std::string out;
  out.reserve(normalised.size() + normalised.size() / 64 + 8);
  bool lineStart = true;
  for (char c : normalised) {
    if (lineStart && c == '.') out.push_back('.');
    out.push_back(c);
    lineStart = c == '\n';
  }
  if (!out.empty() && !lineStart) out += "\r\n";
  out += ".\r\n";
  return out;
}

}  // namespace

std::string TSmtpReply::Text() const {
  std::string text = std::to_string(Code);
  for (const std::string& line : Lines)
    if (!line.empty()) text += " " + line;
  return text;
}

bool TSmtpCapabilities::OffersAuth(const std::string& mechanism) const {
  return std::find(AuthMechanisms.begin(), AuthMechanisms.end(), vxRuntime::AsciiUpper(mechanism)) != AuthMechanisms.end();
}

TSmtpClient::TSmtpClient() = default;

TSmtpClient::~TSmtpClient() { Disconnect(); }

// A session that failed on the wire is out of step with the server (a late
// reply would answer the next command), so it no longer counts as connected.
bool TSmtpClient::Connected() const { return FConnection.IsOpen() && !FBroken; }

bool TSmtpClient::TlsActive() const { return FConnection.IsTls(); }

void TSmtpClient::SendLine(const std::string& line) {
  OnWire(FBroken, [&] { FConnection.Write(line + "\r\n", Timeouts.ReplyMs); });
}

TSmtpReply TSmtpClient::ReadReply(int timeoutMs) {
  const auto deadline = TTcpConnection::TClock::now() + std::chrono::milliseconds(timeoutMs);
  TSmtpReply reply;
  return OnWire(FBroken, [&] {
    for (;;) {
      const std::string line = FConnection.ReadLine(deadline, kLongestReplyLine);
      const bool wellFormed = line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
                              std::isdigit(static_cast<unsigned char>(line[1])) &&
                              std::isdigit(static_cast<unsigned char>(line[2])) &&
                              (line.size() == 3 || line[3] == ' ' || line[3] == '-');
      if (!wellFormed || reply.Lines.size() >= kMostReplyLines)
        throw ESmtpError(("malformed reply from " + FConnection.PeerName() + ": '" + line.substr(0, 200) + "'").c_str());
      reply.Code = std::stoi(line.substr(0, 3));
      reply.Lines.push_back(line.size() > 4 ? line.substr(4) : std::string());
      if (line.size() == 3 || line[3] == ' ') return reply;
    }
  });
}

TSmtpReply TSmtpClient::Command(const std::string& line) {
  SendLine(line);
  return ReadReply(Timeouts.ReplyMs);
}

void TSmtpClient::Expect(const TSmtpReply& reply, int expected, const std::string& what) {
  const bool ok = expected < 10 ? reply.Code / 100 == expected : reply.Code == expected;
  if (!ok) throw ESmtpReplyError(what + ": " + reply.Text(), reply.Code);
}

std::string TSmtpClient::EffectiveHeloName() const {
  if (!HeloName.empty()) {
    // A domain or an address literal; nothing that could end the command.
    const bool printable = std::all_of(HeloName.begin(), HeloName.end(), [](char c) {
      return static_cast<unsigned char>(c) > 32 && static_cast<unsigned char>(c) < 127;
    });
    if (!printable) throw ESmtpError(("invalid name for EHLO: '" + HeloName + "'").c_str());
    return HeloName;
  }
  const std::string name = vxHostName::FullyQualifiedHostName();
  if (IsDomainName(name)) return name;
  // No usable name: the address literal of our end of the connection.
  const std::string address = FConnection.LocalAddress();
  if (address.find(':') != std::string::npos) return "[IPv6:" + address + "]";
  return address.empty() ? "localhost" : "[" + address + "]";
}

void TSmtpClient::Hello() {
  const std::string name = EffectiveHeloName();
  FCapabilities = {};
  TSmtpReply reply = Command("EHLO " + name);
  if (reply.Code / 100 == 5) {
    // An old server: plain HELO, no extensions.
    reply = Command("HELO " + name);
    Expect(reply, 250, "HELO refused");
    return;
  }
  Expect(reply, 250, "EHLO refused");
  FCapabilities.Extended = true;
  for (size_t i = 1; i < reply.Lines.size(); ++i) {
    std::string line = reply.Lines[i];
    std::replace(line.begin(), line.end(), '=', ' ');  // the old form "AUTH=LOGIN"
    const std::string upper = vxRuntime::AsciiUpper(line);
    const size_t blank = upper.find(' ');
    const std::string keyword = upper.substr(0, blank);
    const std::string argument = blank == std::string::npos ? std::string() : upper.substr(blank + 1);
    if (keyword == "STARTTLS") FCapabilities.StartTls = true;
    else if (keyword == "PIPELINING") FCapabilities.Pipelining = true;
    else if (keyword == "8BITMIME") FCapabilities.EightBitMime = true;
    else if (keyword == "SIZE") {
      FCapabilities.HasSize = true;
      try {
        FCapabilities.Size = argument.empty() ? 0 : std::stoull(argument);
      } catch (const std::exception&) {
        FCapabilities.Size = 0;
      }
    } else if (keyword == "AUTH") {
      size_t start = 0;
      while (start < argument.size()) {
        size_t end = argument.find(' ', start);
        if (end == std::string::npos) end = argument.size();
        const std::string mechanism = argument.substr(start, end - start);
        if (!mechanism.empty() && !FCapabilities.OffersAuth(mechanism)) FCapabilities.AuthMechanisms.push_back(mechanism);
        start = end + 1;
      }
    }
  }
}

void TSmtpClient::Connect() {
  Disconnect();
  FBroken = false;
  FAuthenticated = false;
  FCapabilities = {};
  FGreeting = {};
  try {
    OnWire(FBroken, [&] { FConnection.Connect(Host, Port, Timeouts.ConnectMs); });
    FGreeting = ReadReply(Timeouts.ReplyMs);
    Expect(FGreeting, 220, "the server refused the session");
    Hello();
    if (Tls == TSmtpTls::None) return;
    if (!FCapabilities.StartTls) {
      if (Tls == TSmtpTls::Required)
        throw ESmtpError(("the server " + FConnection.PeerName() + " does not offer STARTTLS").c_str());
      return;
    }
    Expect(Command("STARTTLS"), 220, "STARTTLS refused");
    // Whatever came with the plain reply must not pass for a reply under TLS.
    FConnection.DiscardBufferedData();
    OnWire(FBroken, [&] {
      FConnection.StartTls(TTlsClientOptions{TTlsVersion::Tls12, TTlsVersion::Tls12, Host}, Timeouts.ReplyMs);
    });
    Hello();
  } catch (...) {
    Disconnect();
    throw;
  }
}

void TSmtpClient::LoginAuthLogin() {
  Expect(Command("AUTH LOGIN"), 334, "login failed");
  Expect(Command(vxMimeCodec::Base64Encode(WideToUtf8(Username))), 334, "login failed");
  Expect(Command(vxMimeCodec::Base64Encode(WideToUtf8(Password))), 235, "login failed");
}

void TSmtpClient::LoginSasl() {
  if (!FCapabilities.OffersAuth("LOGIN")) {
    std::string offered;
    for (const std::string& m : FCapabilities.AuthMechanisms) offered += (offered.empty() ? "" : " ") + m;
    throw ESmtpError(("login impossible: the server " + FConnection.PeerName() + " offers no AUTH LOGIN (" +
                      (offered.empty() ? std::string("no AUTH at all") : "offered: " + offered) + ")")
                         .c_str());
  }
  const std::string user = vxMimeCodec::Base64Encode(WideToUtf8(Username));
  Expect(Command("AUTH LOGIN " + (user.empty() ? std::string("=") : user)), 334, "login failed");
  Expect(Command(vxMimeCodec::Base64Encode(WideToUtf8(Password))), 235, "login failed");
}

void TSmtpClient::Authenticate() {
  if (Login == TSmtpLogin::None || FAuthenticated) return;
  if (!Connected()) throw ESmtpError("login impossible: not connected to a server");
  if (Login == TSmtpLogin::AuthLogin) LoginAuthLogin();
  else LoginSasl();
  FAuthenticated = true;
}

void TSmtpClient::RecoverFromRefusal() noexcept {
  if (!Connected()) return;
  try {
    Command("RSET");
  } catch (const Exception&) {
  }
}

void TSmtpClient::SendMessage(const TMimeMessage& message) { SendMessage(message.Compose()); }

void TSmtpClient::SendMessage(const TRawMessage& message) {
  SendData(message.EnvelopeSender(), message.EnvelopeRecipients(), message.WireBytes());
}

void TSmtpClient::SendData(const std::string& sender, const std::vector<std::string>& recipients,
                           const std::string& data) {
  if (!Connected()) throw ESmtpError("cannot send: not connected to a server");
  if (sender.empty()) throw ESmtpError("the message has no sender address");
  if (recipients.empty()) throw ESmtpError("the message has no recipients");
  CheckAddress(sender);
  for (const std::string& r : recipients) CheckAddress(r);
  Authenticate();

  const std::string normalised = vxMimeCodec::NormaliseLineBreaks(data);
  if (FCapabilities.Size > 0 && normalised.size() > FCapabilities.Size)
    throw ESmtpError(("the message of " + std::to_string(normalised.size()) + " bytes exceeds the limit of " +
                      std::to_string(FCapabilities.Size) + " bytes of " + FConnection.PeerName())
                         .c_str());
  std::string mail = "MAIL FROM:<" + sender + ">";
  if (FCapabilities.HasSize) mail += " SIZE=" + std::to_string(normalised.size());
  const bool eightBit = std::any_of(normalised.begin(), normalised.end(), [](char c) { return c & 0x80; });
  if (eightBit && FCapabilities.EightBitMime) mail += " BODY=8BITMIME";

  struct TStep {
    std::string Line;
    std::string Refusal;
  };
  std::vector<TStep> steps;
  steps.push_back({mail, "sender <" + sender + "> refused"});
  for (const std::string& r : recipients) steps.push_back({"RCPT TO:<" + r + ">", "recipient <" + r + "> refused"});

  try {
    if (UsePipelining && FCapabilities.Pipelining) {
      for (size_t first = 0; first < steps.size(); first += kPipelineBatch) {
        const size_t last = std::min(steps.size(), first + kPipelineBatch);
        std::string batch;
        for (size_t i = first; i < last; ++i) batch += steps[i].Line + "\r\n";
        OnWire(FBroken, [&] { FConnection.Write(batch, Timeouts.ReplyMs); });
        // Every reply of the batch is read, so that the session stays in step.
        std::vector<TSmtpReply> replies;
        for (size_t i = first; i < last; ++i) replies.push_back(ReadReply(Timeouts.ReplyMs));
        for (size_t i = first; i < last; ++i) Expect(replies[i - first], 2, steps[i].Refusal);
      }
    } else {
      for (const TStep& step : steps) Expect(Command(step.Line), 2, step.Refusal);
    }
    Expect(Command("DATA"), 354, "DATA refused");
    OnWire(FBroken, [&] { FConnection.Write(DataForTransfer(normalised), Timeouts.ReplyMs); });
    Expect(ReadReply(Timeouts.DataEndMs), 2, "message refused");
  } catch (const ESmtpReplyError&) {
    RecoverFromRefusal();
    throw;
  }
}

void TSmtpClient::Disconnect() noexcept {
  if (FConnection.IsOpen() && !FBroken) {
    try {
      SendLine("QUIT");
      ReadReply(std::min(Timeouts.ReplyMs, kQuitReplyMs));
    } catch (const Exception&) {
    } catch (const std::exception&) {
    }
  }
  FConnection.Close();
  FAuthenticated = false;
}
