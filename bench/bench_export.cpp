// One export through vxWideExport (a document with a 100 KiB attachment) to
// a fast local SMTP sink of our own, beside (a) the raw SMTP transfer of the
// same message bytes over one socket and (b) Python's smtplib and email
// composing and sending such a mail to the same sink. The shared main prints
// the ratios (goals: at most 1.2x the raw transfer, at least 5x faster than
// Python).
#include <benchmark/benchmark.h>
#include <arpa/inet.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

// A minimal SMTP server on 127.0.0.1 that answers every command at once and
// keeps the last message: fast enough that the client's cost shows.
class TSmtpSink {
 public:
  TSmtpSink() {
    FListener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(FListener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(FListener, 16) != 0)
      throw std::runtime_error("the sink cannot listen");
    socklen_t length = sizeof address;
    ::getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length);
    FPort = ntohs(address.sin_port);
    FThread = std::thread([this] { Serve(); });
  }
  ~TSmtpSink() {
    FStop = true;
    FThread.join();
    ::close(FListener);
  }
  uint16_t Port() const { return FPort; }
  size_t Count() const { return FCount; }
  std::string LastMessage() {
    std::lock_guard<std::mutex> lock(FMutex);
    return FLast;
  }

 private:
  int FListener = -1;
  uint16_t FPort = 0;
  std::thread FThread;
  std::atomic<bool> FStop{false};
  std::atomic<size_t> FCount{0};
  std::mutex FMutex;
  std::string FLast;

  static void Send(int fd, const char* text) {
    const size_t n = std::char_traits<char>::length(text);
    if (::send(fd, text, n, MSG_NOSIGNAL) != static_cast<ssize_t>(n)) throw std::runtime_error("sink send");
  }

  void Serve() {
    while (!FStop) {
      pollfd p{FListener, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int fd = ::accept(FListener, nullptr, nullptr);
      if (fd < 0) continue;
      try {
        Session(fd);
      } catch (const std::exception&) {
      }
      ::close(fd);
    }
  }

  void Session(int fd) {
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    Send(fd, "220 sink ready\r\n");
    std::string buffer;
    bool inData = false;
    size_t scanned = 0;
    char chunk[65536];
    for (;;) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 10000) <= 0) return;
      const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
      if (got <= 0) return;
      buffer.append(chunk, static_cast<size_t>(got));
      for (;;) {
        if (inData) {
          const size_t end = buffer.find("\r\n.\r\n", scanned > 4 ? scanned - 4 : 0);
          if (end == std::string::npos) {
            scanned = buffer.size();
            break;
          }
          {
            std::lock_guard<std::mutex> lock(FMutex);
            FLast = buffer.substr(0, end + 2);
          }
          ++FCount;
          buffer.erase(0, end + 5);
          inData = false;
          scanned = 0;
          Send(fd, "250 2.0.0 accepted\r\n");
          continue;
        }
        const size_t eol = buffer.find("\r\n");
        if (eol == std::string::npos) break;
        std::string verb = buffer.substr(0, 4);
        for (char& c : verb) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        buffer.erase(0, eol + 2);
        if (verb == "EHLO" || verb == "HELO") Send(fd, "250 sink\r\n");
        else if (verb == "DATA") {
          Send(fd, "354 go on\r\n");
          inData = true;
          scanned = 0;
        } else if (verb == "QUIT") {
          Send(fd, "221 bye\r\n");
          return;
        } else Send(fd, "250 OK\r\n");
      }
    }
  }
};

TSmtpSink& Sink() {
  static TSmtpSink sink;
  return sink;
}

const std::string& AttachmentContent() {
  static const std::string content = [] {
    std::mt19937 generator(7);
    std::string bytes(100 * 1024, '\0');
    for (char& c : bytes) c = static_cast<char>(generator());
    return bytes;
  }();
  return content;
}

// A folder for the attachment files, removed at the end of the program.
class TWorkFolder {
 public:
  TWorkFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vx-bench-export.XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
    FPath = pattern;
  }
  ~TWorkFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
  }
  const std::filesystem::path& Path() const { return FPath; }

 private:
  std::filesystem::path FPath;
};

std::filesystem::path WorkFolder() {
  static const TWorkFolder folder;
  return folder.Path();
}

void WriteAttachment(const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(AttachmentContent().data(), static_cast<std::streamsize>(AttachmentContent().size()));
}

// ---- the export through the library ----

using TEntry = int32_t (*)(int32_t, char16_t*, int32_t, char16_t*);

int32_t Call(TEntry entry, int32_t command, const std::u16string& text) {
  std::vector<char16_t> t(4096, u'\0'), b(4096, u'\0');
  std::copy(text.begin(), text.end(), t.begin());
  return entry(command, t.data(), 0, b.data());
}

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

void BM_ExportThroughLibrary(benchmark::State& state) {
  void* handle = dlopen(VX_EXPORT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  if (!handle) return state.SkipWithError(dlerror());
  const auto entry = reinterpret_cast<TEntry>(dlsym(handle, "vxWideExport"));
  Call(entry, 100, u"");
  Call(entry, 110, Wide("<CONFIG><SMTPSERVER=127.0.0.1><SMTPPORT=" + std::to_string(Sink().Port()) +
                        "><FROMADDRESS=sender@example.com><FROMNAME=Benchmark Sender>"
                        "<RECIPIENT=to@example.com><SUBJECT=Invoice %NR><INSERTFLDS=True></CONFIG>"));
  const std::string file = (WorkFolder() / "invoice.pdf").string();
  for (auto _ : state) {
    state.PauseTiming();
    WriteAttachment(file);  // the export deletes the document's files
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    Call(entry, 200, u"");
    Call(entry, 400, u"NR=4711");
    Call(entry, 400, u"BODY=Please find the invoice attached.");
    Call(entry, 500, Wide(file));
    if (Call(entry, 600, u"") != 0) {
      state.SkipWithError("the export failed");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  Call(entry, 900, u"");
  dlclose(handle);
}
// All three sides run the same number of mails, timed by hand, so that the
// shared main pairs them by name.
constexpr int Mails = 50;

BENCHMARK(BM_ExportThroughLibrary)->Name("Export:ours")->Iterations(Mails)->UseManualTime()->Unit(benchmark::kMicrosecond);

// ---- (a) the same bytes over one socket ----

class TRawClient {
 public:
  explicit TRawClient(uint16_t port) {
    FFd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(FFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
      throw std::runtime_error("connect");
    const int one = 1;
    ::setsockopt(FFd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    Reply();
  }
  ~TRawClient() { ::close(FFd); }
  void Command(const std::string& line) {
    SendAll(line);
    Reply();
  }
  void SendAll(const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
      const ssize_t n = ::send(FFd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) throw std::runtime_error("send");
      sent += static_cast<size_t>(n);
    }
  }
  // Reads up to the last line of a reply ("NNN " and CR LF).
  void Reply() {
    std::string reply;
    char chunk[512];
    for (;;) {
      const ssize_t n = ::recv(FFd, chunk, sizeof chunk, 0);
      if (n <= 0) throw std::runtime_error("recv");
      reply.append(chunk, static_cast<size_t>(n));
      if (reply.size() >= 2 && reply.compare(reply.size() - 2, 2, "\r\n") == 0) {
        const size_t last = reply.rfind("\r\n", reply.size() - 3);
        const size_t begin = last == std::string::npos ? 0 : last + 2;
        if (reply.size() > begin + 3 && reply[begin + 3] == ' ') return;
      }
    }
  }

 private:
  int FFd = -1;
};

void BM_RawSmtpTransfer(benchmark::State& state) {
  const std::string message = Sink().LastMessage();  // what the export sent
  if (message.empty()) return state.SkipWithError("run the export first");
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    TRawClient client(Sink().Port());
    client.Command("EHLO bench\r\n");
    client.Command("MAIL FROM:<sender@example.com>\r\n");
    client.Command("RCPT TO:<to@example.com>\r\n");
    client.Command("DATA\r\n");
    client.SendAll(message);
    client.Command(".\r\n");
    client.Command("QUIT\r\n");
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(message.size()));
}
BENCHMARK(BM_RawSmtpTransfer)->Name("Export:raw_smtp_same_bytes")->Iterations(Mails)->UseManualTime()->Unit(benchmark::kMicrosecond);

// ---- (b) Python's smtplib and email ----

const char* PythonScript = R"(
import sys, time, smtplib
from email.message import EmailMessage
port, count, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
data = open(path, "rb").read()
start = time.perf_counter()
for n in range(count):
    m = EmailMessage()
    m["From"] = "Benchmark Sender <sender@example.com>"
    m["To"] = "to@example.com"
    m["Subject"] = "Invoice 4711"
    m.set_content("Please find the invoice attached.")
    m.add_attachment(data, maintype="application", subtype="pdf", filename="invoice.pdf")
    with smtplib.SMTP("127.0.0.1", port, local_hostname="bench") as s:
        s.send_message(m)
print(time.perf_counter() - start)
)";

void BM_PythonSmtplib(benchmark::State& state) {
  const int count = 5;  // mails per run of the interpreter, one iteration
  const std::string file = (WorkFolder() / "python-invoice.pdf").string();
  WriteAttachment(file);
  for (auto _ : state) {
    const std::string out = (WorkFolder() / "python.out").string();
    std::vector<std::string> args = {"/usr/bin/python3", "-c", PythonScript, std::to_string(Sink().Port()),
                                     std::to_string(count), file};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return state.SkipWithError("cannot start /usr/bin/python3");
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::ifstream in(out);
    double total = 0;
    if (!(in >> total) || total <= 0) return state.SkipWithError("python did not report its time");
    state.SetIterationTime(total / count);  // one mail
  }
}
BENCHMARK(BM_PythonSmtplib)->Name("Export:python_smtplib_email")->Iterations(Mails)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
