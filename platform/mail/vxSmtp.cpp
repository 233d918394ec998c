// An SMTP client (RFC 5321) over TTcpConnection, with STARTTLS, AUTH LOGIN and
// pipelining.
#include "platform/mail/vxSmtp.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

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

// What one reply may hold. RFC 5321 allows a reply line 512 octets with its
// line end; these limits leave real servers far inside them and still bound
// what a hostile one can make the client take: a line of 64 KiB (its line
// end not counted), 1000 lines, 1 MiB in all. Past them the session fails
// with a text that says which.
constexpr size_t kLongestReplyLine = 64 * 1024;
constexpr size_t kMostReplyLines = 1000;
constexpr size_t kLongestReply = 1024 * 1024;
// The text kept of one reply: a longer reply is still read whole (to stay in
// step) but its further lines are dropped (its last line always kept), so
// a batch of pipelined replies keeps little.
constexpr size_t kMostReplyBytes = 64 * 1024;
constexpr size_t kPipelineBatch = 100;
constexpr int kQuitReplyMs = 10'000;

bool IsDomainName(const std::string& name) {
  if (name.empty() || name.size() > 253 || name.front() == '.' || name.back() == '.' || name.front() == '-') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return vxRuntime::IsAsciiAlnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
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

// The byte pairs (p[i], p[i+1]) for i < n, n at most kPairBlock: how many
// hold a line end outside a CR LF pair (a CR not followed by LF, or an LF
// not preceded by CR: each such line end is counted by exactly one pair), and
// whether a "." follows a CR or an LF (it opens a line). The bytes p[0 ..
// n-1] are OR-ed into high. Branch-free over bytes, so that the compiler
// runs it on whole vectors; a count of at most kPairBlock fits in a byte.
constexpr size_t kPairBlock = 128;

struct TPairFlags {
  unsigned Lone = 0;
  bool Dot = false;
};

inline TPairFlags PairFlags(const unsigned char* p, size_t n, unsigned char& high) {
  unsigned char lone = 0, dot = 0, bits = 0;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char a = p[i], b = p[i + 1];
    const unsigned char cr = a == '\r', eol = cr | (a == '\n');
    lone = static_cast<unsigned char>(lone + (cr ^ (b == '\n')));
    dot |= eol & (b == '.');
    bits |= a;
  }
  high |= bits;
  return {lone, dot != 0};
}

// What DATA will carry, learnt in one read-only pass before MAIL FROM: the
// size once line ends are CR LF, whether any byte has its high bit set, and
// whether the bytes can go out as they stand (no line end to mend, no dot to
// double). The pieces are one message, one after the other.
struct TDataShape {
  size_t NormalisedSize = 0;
  bool EightBit = false;
  bool AsTheyStand = false;
};

TDataShape ShapeOf(const std::vector<std::string_view>& pieces) {
  size_t size = 0, lone = 0;
  bool dot = false;
  unsigned char high = 0;
  // The data starts a line: as if an LF came before it (so an LF opening
  // it is a lone one and a "." opening it is doubled).
  unsigned char previous = '\n';
  const auto pair = [&](unsigned char a, unsigned char b) {
    lone += (a == '\r') != (b == '\n');
    dot = dot || ((a == '\r' || a == '\n') && b == '.');
  };
  for (const std::string_view piece : pieces) {
    if (piece.empty()) continue;
    const auto* p = reinterpret_cast<const unsigned char*>(piece.data());
    const size_t n = piece.size();
    size += n;
    pair(previous, p[0]);
    // The pairs inside the piece, a block at a time.
    for (size_t i = 0; i + 1 < n; i += kPairBlock) {
      const TPairFlags flags = PairFlags(p + i, std::min(kPairBlock, n - 1 - i), high);
      lone += flags.Lone;
      dot = dot || flags.Dot;
    }
    previous = p[n - 1];
    high |= previous;
  }
  pair(previous, 0);  // a CR ending the data is a lone one
  // A CR LF pair stays two bytes; a lone CR or a lone LF becomes two.
  return {size + lone, (high & 0x80) != 0, lone == 0 && !dot};
}

// Writes the message as DATA sends it, in one pass over the caller's bytes:
// CR LF line ends, a "." doubled at the start of a line, a final line end
// and the "." line that ends the data. Stretches that need no change go to
// the socket straight from the caller's bytes when they are large, else
// through a buffer; every write but the last is large.
class TDataWriter {
 public:
  TDataWriter(TTcpConnection& Connection, int IdleTimeoutMs) : FConnection(Connection), FTimeoutMs(IdleTimeoutMs) {
    FBuffer.reserve(kChunk);
  }

  // Bytes that need no change (ShapeOf found nothing to mend): sent as they are.
  void FeedAsItStands(std::string_view data) {
    if (data.empty()) return;
    Emit(data);
    FLineStart = data.back() == '\n';
  }

  void Feed(std::string_view data) {
    const char* const end = data.data() + data.size();
    const char* p = data.data();
    // A CR that ended the piece before: a pair when this one opens with LF.
    if (FPendingCr && p < end && *p == '\n') ++p;
    FPendingCr = false;
    const char* run = p;  // [run, p) goes out unchanged
    unsigned char high = 0;
    while (p < end) {
      if (FLineStart && *p == '.') {
        Emit(run, p);
        Emit(".");
        run = p;
      }
      // Whole blocks with nothing to change are passed over. An LF here is a
      // lone one (a pair's LF is never where a line is looked at), which the
      // block's pairs do not see; every other change would show in them.
      if (*p != '\n' && static_cast<size_t>(end - p) > kPairBlock) {
        const TPairFlags flags = PairFlags(reinterpret_cast<const unsigned char*>(p), kPairBlock, high);
        if (flags.Lone == 0 && !flags.Dot) {
          p += kPairBlock;
          if (p[-1] == '\r') ++p;  // the block ended inside a CR LF pair
          FLineStart = p[-1] == '\n';
          continue;
        }
      }
      // The end of this line: the first CR or LF.
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
      if (!lf) lf = end;
      const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(lf - p)));
      if (!cr) {
        if (lf == end) {
          FLineStart = false;
          p = end;
          break;
        }
        // A lone LF.
        Emit(run, lf);
        Emit("\r\n");
        p = run = lf + 1;
      } else if (cr + 1 < end && cr[1] == '\n') {
        p = cr + 2;  // a CR LF pair, unchanged
      } else {
        // A lone CR, unless the next piece opens with LF.
        Emit(run, cr);
        Emit("\r\n");
        p = run = cr + 1;
        FPendingCr = p == end;
      }
      FLineStart = true;
    }
    Emit(run, end);
  }

  void Finish() {
    Emit(FLineStart ? ".\r\n" : "\r\n.\r\n");
    Flush();
  }

 private:
  static constexpr size_t kChunk = 256 * 1024;

  void Emit(const char* first, const char* last) { Emit(std::string_view(first, static_cast<size_t>(last - first))); }

  void Emit(std::string_view piece) {
    if (FBuffer.size() + piece.size() <= kChunk) {
      FBuffer.append(piece);
      return;
    }
    // The buffer is filled up and sent, whole chunks of the rest go out
    // straight from the caller's bytes, and what is left starts the next
    // buffer: no small write in between.
    const size_t fill = kChunk - FBuffer.size();
    FBuffer.append(piece.substr(0, fill));
    Flush();
    piece.remove_prefix(fill);
    const size_t straight = piece.size() - piece.size() % kChunk;
    if (straight > 0) FConnection.WriteUntilAnswered(piece.substr(0, straight), FTimeoutMs);
    FBuffer.append(piece.substr(straight));
  }

  void Flush() {
    if (FBuffer.empty()) return;
    FConnection.WriteUntilAnswered(FBuffer, FTimeoutMs);
    FBuffer.clear();
  }

  TTcpConnection& FConnection;
  const int FTimeoutMs;
  std::string FBuffer;
  bool FLineStart = true;
  bool FPendingCr = false;
};

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
  size_t lines = 0, kept = 0, total = 0;
  return OnWire(FBroken, [&] {
    for (;;) {
      const std::string line = FConnection.ReadLine(deadline, kLongestReplyLine);
      const bool wellFormed = line.size() >= 3 && vxRuntime::IsAsciiDigit(static_cast<unsigned char>(line[0])) &&
                              vxRuntime::IsAsciiDigit(static_cast<unsigned char>(line[1])) &&
                              vxRuntime::IsAsciiDigit(static_cast<unsigned char>(line[2])) &&
                              (line.size() == 3 || line[3] == ' ' || line[3] == '-');
      if (!wellFormed)
        throw ESmtpError(("malformed reply from " + FConnection.PeerName() + ": '" + line.substr(0, 200) + "'").c_str());
      total += line.size();
      if (total > kLongestReply)
        throw ESmtpError(("the reply from " + FConnection.PeerName() + " is longer than " +
                          std::to_string(kLongestReply) + " bytes")
                             .c_str());
      if (lines >= kMostReplyLines)
        throw ESmtpError(("the reply from " + FConnection.PeerName() + " has more than " +
                          std::to_string(kMostReplyLines) + " lines")
                             .c_str());
      reply.Code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
      const bool last = line.size() == 3 || line[3] == ' ';
      if (kept + line.size() <= kMostReplyBytes || reply.Lines.empty() || last) {
        reply.Lines.push_back(line.size() > 4 ? line.substr(4) : std::string());
        kept += line.size();
      }
      ++lines;
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
      // The leading digits; no number (or one past 64 bits) is no limit.
      uint64_t size = 0;
      if (std::from_chars(argument.data(), argument.data() + argument.size(), size).ec != std::errc()) size = 0;
      FCapabilities.Size = size;
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
    // Capped as QUIT is: a server that does not answer is not waited for long.
    SendLine("RSET");
    ReadReply(std::min(Timeouts.ReplyMs, kQuitReplyMs));
  } catch (const Exception&) {
  }
}

void TSmtpClient::SendMessage(const TMimeMessage& message) { SendMessage(message.Compose()); }

// The header goes out from a copy of its own, the body straight from the
// message: no second copy of a large message.
void TSmtpClient::SendMessage(const TRawMessage& message) {
  const std::string header = message.WireHeader();
  SendPieces(message.EnvelopeSender(), message.EnvelopeRecipients(), {header, message.Body});
}

void TSmtpClient::SendData(const std::string& sender, const std::vector<std::string>& recipients,
                           const std::string& data) {
  SendPieces(sender, recipients, {data});
}

void TSmtpClient::SendPieces(const std::string& sender, const std::vector<std::string>& recipients,
                             const std::vector<std::string_view>& pieces) {
  if (!Connected()) throw ESmtpError("cannot send: not connected to a server");
  if (sender.empty()) throw ESmtpError("the message has no sender address");
  if (recipients.empty()) throw ESmtpError("the message has no recipients");
  CheckAddress(sender);
  for (const std::string& r : recipients) CheckAddress(r);
  Authenticate();

  const TDataShape shape = ShapeOf(pieces);
  if (FCapabilities.Size > 0 && shape.NormalisedSize > FCapabilities.Size)
    throw ESmtpError(("the message of " + std::to_string(shape.NormalisedSize) + " bytes exceeds the limit of " +
                      std::to_string(FCapabilities.Size) + " bytes of " + FConnection.PeerName())
                         .c_str());
  std::string mail = "MAIL FROM:<" + sender + ">";
  if (FCapabilities.HasSize) mail += " SIZE=" + std::to_string(shape.NormalisedSize);
  if (shape.EightBit && FCapabilities.EightBitMime) mail += " BODY=8BITMIME";

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
        // Every reply of the batch is read, so that the session stays in
        // step; only the first refusal is kept.
        std::optional<std::pair<size_t, TSmtpReply>> refusal;
        for (size_t i = first; i < last; ++i) {
          TSmtpReply reply = ReadReply(Timeouts.ReplyMs);
          if (!refusal && reply.Code / 100 != 2) refusal.emplace(i, std::move(reply));
        }
        if (refusal) Expect(refusal->second, 2, steps[refusal->first].Refusal);
      }
    } else {
      for (const TStep& step : steps) Expect(Command(step.Line), 2, step.Refusal);
    }
    Expect(Command("DATA"), 354, "DATA refused");
    try {
      TDataWriter writer(FConnection, Timeouts.ReplyMs);
      for (const std::string_view piece : pieces) {
        if (shape.AsTheyStand) writer.FeedAsItStands(piece);
        else writer.Feed(piece);
      }
      writer.Finish();
    } catch (const Exception&) {
      FBroken = true;
      // A server that answers early (554, then closes or stops reading) has
      // said why: its reply is the error to report, when it can be read.
      std::optional<TSmtpReply> early;
      try {
        early = ReadReply(std::min(Timeouts.ReplyMs, kQuitReplyMs));
      } catch (const Exception&) {
      }
      if (early && early->Code / 100 != 2) Expect(*early, 2, "message refused");
      throw;
    }
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
