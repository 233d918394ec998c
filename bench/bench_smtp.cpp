// Mail throughput: composing messages of 100 KiB with one attachment each,
// alone and with one SMTP session per message to the local test server
// (scripts/smtp_server.py on 127.0.0.1); reading header text full of
// encoded-word starts that never end, which must stay linear.
#include <benchmark/benchmark.h>

#include <random>

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
BENCHMARK(BM_ComposeAndSend)->Iterations(200)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_DecodeHeaderTextWithoutWords(benchmark::State& state) {
  std::string text;
  while (text.size() < static_cast<size_t>(state.range(0))) text += "=?a?Q?x";
  for (auto _ : state) benchmark::DoNotOptimize(vxMimeCodec::DecodeHeaderText(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_DecodeHeaderTextWithoutWords)->Range(1 << 12, 1 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
