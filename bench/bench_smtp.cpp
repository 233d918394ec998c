// Mail throughput: composing messages of 100 KiB with one attachment each,
// alone and with one SMTP session per message to the local test server
// (scripts/smtp_server.py on 127.0.0.1), beside Python's email and smtplib
// doing the same; sending an already composed message of 68 MB to a sink of
// our own (a process that throws the data away) beside a raw send() of the
// same bytes to it; reading header text full of encoded-word starts that
// never end, which must stay linear.
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <random>

#include "bench/support/vxBenchProcesses.h"
#include "tests/support/vxRunProgram.h"
#include "tests/support/vxTestTempDir.h"

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

// The sink both sides send the large message to: a process of its own that
// throws the data away.
vxBench::TSinkProcess& Sink() {
  static TTestTempDir folder("vx-bench-smtp");
  static vxBench::TSinkProcess sink(folder.Path());
  return sink;
}

void BM_SendComposed(benchmark::State& state) {
  vxBench::TSinkProcess& sink = Sink();
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

// Sends a command line and reads its one-line reply.
bool Exchange(int fd, const std::string& line) {
  if (!line.empty() && ::send(fd, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size()))
    return false;
  char reply[512];
  return ::recv(fd, reply, sizeof reply, 0) > 0;
}

// The peer: the same session (EHLO, MAIL, RCPT, DATA) on a fresh connection
// to the same sink, the bytes as they go out in DATA sent by one send() loop
// from memory, then the reply and QUIT.
void BM_RawSend(benchmark::State& state) {
  vxBench::TSinkProcess& sink = Sink();
  const TRawMessage& message = LargeMessage();
  const std::string wire = message.WireBytes() + ".\r\n";
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
    Exchange(fd, "");  // the greeting
    Exchange(fd, "EHLO bench.test\r\n");
    Exchange(fd, "MAIL FROM:<sender@example.com> SIZE=" + std::to_string(wire.size() - 3) + "\r\n");
    Exchange(fd, "RCPT TO:<to@example.com>\r\n");
    Exchange(fd, "DATA\r\n");
    for (size_t sent = 0; sent < wire.size();) {
      const ssize_t n = ::send(fd, wire.data() + sent, wire.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<size_t>(n);
    }
    Exchange(fd, "");  // the message's reply
    Exchange(fd, "QUIT\r\n");
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
