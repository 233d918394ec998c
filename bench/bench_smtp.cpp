// Mail throughput: composing messages of 100 KiB with one attachment each,
// alone and with one SMTP session per message to the local test server
// (scripts/smtp_server.py on 127.0.0.1), beside Python's email and smtplib
// doing the same; sending an already composed message of 68 MB to a sink of
// our own beside a raw send() of the same bytes to it; reading header text
// full of encoded-word starts that never end, which must stay linear.
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <random>
#include <thread>

#include "tests/support/vxRunProgram.h"

#include "platform/mail/vxMime.h"
#include "platform/mail/vxMimeCodec.h"
#include "platform/mail/vxSmtp.h"
#include "tests/support/vxSmtpTestServer.h"

namespace {

const std::string& AttachmentContent() {
  static const std::string content = [] {
    std::mt19937 generator(42);
    std::string bytes(100 * 1024, '\0');
    for (char& c : bytes) c = static_cast<char>(generator());
    return bytes;
  }();
  return content;
}

TMimeMessage MakeMessage(int number) {
  TMimeMessage m;
  m.From = {u"Benchmark Sender", u"sender@example.com"};
  m.Sender = m.From;
  m.ReplyTo = {m.From};
  m.To = {{u"", u"to@example.com"}};
  m.Cc = {{u"", u"cc@example.com"}};
  m.Subject = u"Rechnung " + ustring(std::to_string(number).begin(), std::to_string(number).end()) + u" – Übersicht";
  m.MessageId = u"vxMAPI20240101000000000BENCH";
  m.ContentType = u"multipart/related";
  m.Parts.push_back(TMimePart::TextPart(u"text/html", u"<html><body>Grüße aus dem Benchmark.</body></html>"));
  m.Parts.push_back(TMimePart::AttachmentData(u"application/octet-stream", AttachmentContent(), u"daten, 2024.bin"));
  return m;
}

void BM_ComposeOnly(benchmark::State& state) {
  int number = 0;
  for (auto _ : state) benchmark::DoNotOptimize(MakeMessage(++number).Compose().WireBytes());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ComposeOnly)->Unit(benchmark::kMillisecond);

void BM_ComposeAndSend(benchmark::State& state) {
  static TSmtpTestServer server;
  int number = 0;
  for (auto _ : state) {
    TSmtpClient client;
    client.Host = "127.0.0.1";
    client.HeloName = "client.test";
    client.Port = server.Port();
    client.Connect();
    client.SendMessage(MakeMessage(++number));
    client.Disconnect();
  }
  state.SetItemsProcessed(state.iterations());
  if (server.Messages().size() != static_cast<size_t>(number)) state.SkipWithError("messages were lost");
}
// Wall-clock time: most of a session is spent waiting for the server.
BENCHMARK(BM_ComposeAndSend)->Name("ComposeAndSend:ours")->Iterations(200)->UseRealTime()->Unit(benchmark::kMillisecond);

// Python's email and smtplib composing the same kind of message and sending
// it in one session each to the same server; the script times its own loop
// (without the interpreter's start) and the time per message is reported.
void BM_ComposeAndSendPython(benchmark::State& state) {
  static TSmtpTestServer server;
  const int count = static_cast<int>(state.max_iterations);
  const std::string script = R"(
import os, smtplib, sys, time
from email.message import EmailMessage
port, count = int(sys.argv[1]), int(sys.argv[2])
content = os.urandom(100 * 1024)
start = time.perf_counter()
for number in range(1, count + 1):
    m = EmailMessage()
    m["From"] = "Benchmark Sender <sender@example.com>"
    m["Sender"] = "Benchmark Sender <sender@example.com>"
    m["Reply-To"] = "Benchmark Sender <sender@example.com>"
    m["To"] = "to@example.com"
    m["Cc"] = "cc@example.com"
    m["Subject"] = "Rechnung %d \u2013 \u00dcbersicht" % number
    m["Message-ID"] = "<vxMAPI20240101000000000BENCH>"
    m.set_content("<html><body>Gr\u00fc\u00dfe aus dem Benchmark.</body></html>", subtype="html")
    m.add_attachment(content, maintype="application", subtype="octet-stream", filename="daten, 2024.bin")
    with smtplib.SMTP("127.0.0.1", port) as s:
        s.send_message(m)
print(time.perf_counter() - start)
)";
  double perMessage = 0;
  for (auto _ : state) {
    if (perMessage == 0) {
      const vxTest::TProgramResult r =
          vxTest::RunProgram({"/usr/bin/python3", "-c", script, std::to_string(server.Port()), std::to_string(count)},
                             std::chrono::seconds(300));
      double total = 0;
      if (r.ExitStatus == 0) total = std::stod(r.Output);
      if (total <= 0) {
        state.SkipWithError(("python failed: " + r.Output).c_str());
        break;
      }
      perMessage = total / count;
    }
    state.SetIterationTime(perMessage);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ComposeAndSendPython)->Name("ComposeAndSend:python_smtplib")->Iterations(200)->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A fast local sink of our own: answers an SMTP session at once and throws
// the data away, scanning only for the line that ends it. A session that
// opens with "RAW" skips the commands: data at once, one reply at its end.
class TSink {
 public:
  TSink() {
    FListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    if (::bind(FListener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(FListener, 8) != 0 ||
        ::getsockname(FListener, reinterpret_cast<sockaddr*>(&a), &length) != 0)
      throw std::runtime_error("sink: cannot listen");
    FPort = ntohs(a.sin_port);
    FThread = std::thread([this] { Run(); });
  }
  ~TSink() {
    FStop = true;
    FThread.join();
    ::close(FListener);
  }
  uint16_t Port() const { return FPort; }

 private:
  int FListener = -1;
  uint16_t FPort = 0;
  std::atomic<bool> FStop{false};
  std::thread FThread;

  static void Say(int fd, const char* text) { ::send(fd, text, std::strlen(text), MSG_NOSIGNAL); }

  void Run() {
    std::vector<char> buffer(1 << 20);
    while (!FStop) {
      pollfd p{FListener, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int fd = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      Serve(fd, buffer);
      ::close(fd);
    }
  }

  // Reads commands line by line; after DATA (or RAW) reads until CR LF "."
  // CR LF, keeping only the last bytes of each read.
  void Serve(int fd, std::vector<char>& buffer) {
    Say(fd, "220 sink\r\n");
    std::string line, tail;
    bool data = false;
    for (;;) {
      const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
      if (n <= 0) return;
      size_t i = 0;
      while (i < static_cast<size_t>(n)) {
        if (data) {
          // Only the end of this read and the bytes before it matter.
          const size_t keep = std::min<size_t>(static_cast<size_t>(n) - i, 8);
          tail.append(buffer.data() + static_cast<size_t>(n) - keep, keep);
          if (tail.size() > 8) tail.erase(0, tail.size() - 8);
          i = static_cast<size_t>(n);
          if (tail.size() >= 5 && tail.compare(tail.size() - 5, 5, "\r\n.\r\n") == 0) {
            Say(fd, "250 queued\r\n");
            data = false;
            tail.clear();
          }
          continue;
        }
        const char c = buffer[i++];
        if (c != '\n') {
          line += c;
          continue;
        }
        if (line.rfind("EHLO", 0) == 0) Say(fd, "250-sink\r\n250-PIPELINING\r\n250-8BITMIME\r\n250 SIZE\r\n");
        else if (line.rfind("DATA", 0) == 0) {
          Say(fd, "354 go ahead\r\n");
          data = true;
          tail = "\r\n";
        } else if (line.rfind("RAW", 0) == 0) {
          data = true;
          tail = "\r\n";
        } else if (line.rfind("QUIT", 0) == 0) {
          Say(fd, "221 bye\r\n");
          return;
        } else Say(fd, "250 ok\r\n");
        line.clear();
      }
    }
  }
};

// 68 MB on the wire: a 50 MB attachment, base64 in lines of 76.
const TRawMessage& LargeMessage() {
  static const TRawMessage message = [] {
    std::mt19937 generator(7);
    std::string bytes(50'000'000, '\0');
    for (char& c : bytes) c = static_cast<char>(generator());
    TMimeMessage m;
    m.From = {u"", u"sender@example.com"};
    m.To = {{u"", u"to@example.com"}};
    m.Subject = u"large";
    m.Parts.push_back(TMimePart::TextPart(u"text/plain", u"see the attachment"));
    m.Parts.push_back(TMimePart::AttachmentData(u"application/octet-stream", bytes, u"large.bin"));
    return m.Compose();
  }();
  return message;
}

void BM_SendComposed(benchmark::State& state) {
  static TSink sink;
  const TRawMessage& message = LargeMessage();
  for (auto _ : state) {
    TSmtpClient client;
    client.Host = "127.0.0.1";
    client.Port = sink.Port();
    client.HeloName = "bench.test";
    client.Connect();
    client.SendMessage(message);
    client.Disconnect();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(message.Body.size()));
}
BENCHMARK(BM_SendComposed)->Name("SendComposed68MB:ours")->UseRealTime()->Unit(benchmark::kMillisecond);

// The peer: the same bytes as they go out in DATA, sent by one send() loop
// on a fresh connection to the same sink, waiting for its one reply.
void BM_RawSend(benchmark::State& state) {
  static TSink sink;
  const TRawMessage& message = LargeMessage();
  const std::string wire = "RAW\r\n" + message.WireBytes() + ".\r\n";
  for (auto _ : state) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // Set up as our connection is (no delay for small segments).
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(sink.Port());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      state.SkipWithError("cannot connect");
      ::close(fd);
      break;
    }
    char reply[256];
    ::recv(fd, reply, sizeof reply, 0);  // the greeting
    for (size_t sent = 0; sent < wire.size();) {
      const ssize_t n = ::send(fd, wire.data() + sent, wire.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<size_t>(n);
    }
    ::recv(fd, reply, sizeof reply, 0);  // "250 queued"
    ::close(fd);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(message.Body.size()));
}
BENCHMARK(BM_RawSend)->Name("SendComposed68MB:raw_send")->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_DecodeHeaderTextWithoutWords(benchmark::State& state) {
  std::string text;
  while (text.size() < static_cast<size_t>(state.range(0))) text += "=?a?Q?x";
  for (auto _ : state) benchmark::DoNotOptimize(vxMimeCodec::DecodeHeaderText(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_DecodeHeaderTextWithoutWords)->Range(1 << 12, 1 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
