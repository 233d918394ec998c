// The export of one document through vxWideExport beside its peers,
// measured so that the figures can be trusted:
// - the SMTP server is vx_smtp_sink, a process of its own that throws the
//   data away: nothing the server does counts as ours;
// - the peers: (a) the very DATA bytes of our own export (captured once)
//   sent over one plain SMTP session per mail from memory; (b) Python's
//   email and smtplib composing and sending such a mail, in a worker process
//   started once (so the interpreter's start is not counted);
// - the sides take turns round by round, the order rotated each round, and
//   each reports the median of its rounds, so a busy moment of the machine
//   falls on every side alike;
// - CPU is each side's own: this process's CPU time for ours and for the
//   raw session, the worker's for Python (the ratio printer takes it from
//   the counter side_cpu_s);
// - memory: the peak above what was resident just before an export, read
//   from this process's own high-water mark (reset before each round; the
//   first round follows a malloc_trim, so memory kept from earlier work is
//   no cushion); Python's the same way in its own process.
// Cases: one document with an attachment of 100 KiB, of 10 MiB and of
// 200 MB, and a batch of 50 documents of 100 KiB each in one loaded library.
#include <benchmark/benchmark.h>
#include <arpa/inet.h>
#include <dlfcn.h>
#include <malloc.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/support/vxBenchProcesses.h"

namespace {

namespace fs = std::filesystem;

struct TCase {
  const char* Name;
  size_t AttachmentBytes;
  int Documents;  // exported one after the other in one round
  int Rounds;
  int PythonRounds;  // Python takes far longer: fewer of its rounds
};

const TCase kCases[] = {
    {"Export100KiB", 100 * 1024, 1, 61, 61},
    {"Export10MiB", 10 * 1024 * 1024, 1, 15, 9},
    {"Export200MB", 200'000'000, 1, 5, 3},
    {"Batch50x100KiB", 100 * 1024, 50, 11, 7},
};

// ---- the surroundings, made once ----

class TWorkFolder {
 public:
  TWorkFolder() {
    std::string pattern = (fs::temp_directory_path() / "vx-bench-export.XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
    FPath = pattern;
  }
  ~TWorkFolder() {
    std::error_code ignored;
    fs::remove_all(FPath, ignored);
  }
  const fs::path& Path() const { return FPath; }

 private:
  fs::path FPath;
};

using TEntry = int32_t (*)(int32_t, char16_t*, int32_t, char16_t*);

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// The export library, loaded once as a host loads it.
class TLibrary {
 public:
  TLibrary() {
    FHandle = dlopen(VX_EXPORT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!FHandle) throw std::runtime_error(dlerror());
    FEntry = reinterpret_cast<TEntry>(dlsym(FHandle, "vxWideExport"));
    if (!FEntry) throw std::runtime_error("no vxWideExport");
    if (Call(100, u"") != 0) throw std::runtime_error("command 100 failed");
  }
  ~TLibrary() {
    Call(900, u"");
    dlclose(FHandle);
  }
  int32_t Call(int32_t command, const std::u16string& text) {
    std::fill(FText.begin(), FText.end(), u'\0');
    std::copy(text.begin(), text.end(), FText.begin());
    FBuffer[0] = u'\0';
    return FEntry(command, FText.data(), 0, FBuffer.data());
  }
  std::string Failure() const { return std::string(FBuffer.begin(), std::find(FBuffer.begin(), FBuffer.end(), u'\0')); }
  void Configure(uint16_t port) {
    if (Call(110, Wide("<CONFIG><SMTPSERVER=127.0.0.1><SMTPPORT=" + std::to_string(port) +
                       "><FROMADDRESS=sender@example.com><FROMNAME=Benchmark Sender>"
                       "<RECIPIENT=to@example.com><SUBJECT=Invoice %NR><INSERTFLDS=True></CONFIG>")) != 0)
      throw std::runtime_error("command 110 failed: " + Failure());
  }
  // One document with one file; the export deletes the file.
  void Export(const std::string& file) {
    Call(200, u"");
    Call(400, u"NR=4711");
    Call(400, u"BODY=Please find the invoice attached.");
    Call(500, Wide(file));
    if (Call(600, u"") != 0) throw std::runtime_error("the export failed: " + Failure());
  }

 private:
  void* FHandle = nullptr;
  TEntry FEntry = nullptr;
  std::vector<char16_t> FText = std::vector<char16_t>(4096), FBuffer = std::vector<char16_t>(4096);
};

const char kPythonWorker[] = R"PY(
import smtplib, sys, time
from email.message import EmailMessage
def status(field):
    with open('/proc/self/status') as f:
        for line in f:
            if line.startswith(field):
                return int(line.split()[1])
    return 0
port = int(sys.argv[1])
for request in sys.stdin:
    count, path = request.rstrip('\n').split(' ', 1)
    with open('/proc/self/clear_refs', 'w') as f:
        f.write('5')
    before = status('VmRSS:')
    wall, cpu = time.perf_counter(), time.process_time()
    for n in range(int(count)):
        with open(path, 'rb') as f:
            data = f.read()
        m = EmailMessage()
        m['From'] = 'Benchmark Sender <sender@example.com>'
        m['Sender'] = 'Benchmark Sender <sender@example.com>'
        m['Reply-To'] = 'sender@example.com'
        m['To'] = 'to@example.com'
        m['Subject'] = 'Invoice 4711'
        m.set_content('NR..................: 4711\r\n\r\n\r\nPlease find the invoice attached.')
        m.add_attachment(data, maintype='application', subtype='pdf', filename='invoice.pdf')
        with smtplib.SMTP('127.0.0.1', port, local_hostname='bench') as s:
            s.send_message(m)
        del data, m
    print(time.perf_counter() - wall, time.process_time() - cpu, status('VmHWM:') - before, flush=True)
)PY";

struct TWorld {
  TWorkFolder Folder;
  vxBench::TSinkProcess Sink{Folder.Path()};
  vxBench::TChild Python{{"/usr/bin/python3", "-c", kPythonWorker, std::to_string(Sink.Port())}, true};
  TLibrary Library;
  TWorld() { Library.Configure(Sink.Port()); }
};

TWorld& World() {
  static TWorld world;
  return world;
}

// ---- the sides ----

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct TSample {
  double Wall = 0, Cpu = 0;  // seconds for the round's documents
  double PeakMiB = 0;
};

// A plain SMTP session on one socket, blocking sends from memory.
class TRawSession {
 public:
  explicit TRawSession(uint16_t port) : FFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    const int on = 1;
    ::setsockopt(FFd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(FFd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) throw std::runtime_error("connect");
    Reply();
  }
  ~TRawSession() { ::close(FFd); }
  void Command(const std::string& line) {
    Send(line);
    Reply();
  }
  void Send(const std::string& bytes) {
    for (size_t sent = 0; sent < bytes.size();) {
      const ssize_t n = ::send(FFd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) throw std::runtime_error("send");
      sent += static_cast<size_t>(n);
    }
  }
  // Up to the last line of a reply ("NNN " ... CR LF).
  void Reply() {
    std::string reply;
    char chunk[512];
    for (;;) {
      const ssize_t n = ::recv(FFd, chunk, sizeof chunk, 0);
      if (n <= 0) throw std::runtime_error("recv");
      reply.append(chunk, static_cast<size_t>(n));
      if (reply.size() < 2 || reply.compare(reply.size() - 2, 2, "\r\n") != 0) continue;
      const size_t last = reply.rfind("\r\n", reply.size() - 3);
      const size_t begin = last == std::string::npos ? 0 : last + 2;
      if (reply.size() > begin + 3 && reply[begin + 3] == ' ') return;
    }
  }

 private:
  int FFd;
};

class TCaseRun {
 public:
  explicit TCaseRun(const TCase& c) : FCase(c) {
    TWorld& world = World();
    FMaster = (world.Folder.Path() / (std::string(c.Name) + ".pdf")).string();
    FDocument = (world.Folder.Path() / "invoice.pdf").string();
    WriteRandomFile(FMaster, c.AttachmentBytes);
    Capture();
  }

  std::map<std::string, std::vector<TSample>> Run() {
    std::map<std::string, std::vector<TSample>> samples;
    // A first round of each side, not counted: the memory of ours from a
    // trimmed heap, and the peers warmed up.
    malloc_trim(0);
    Ours();
    Raw();
    Python();
    for (int round = 0; round < FCase.Rounds; ++round) {
      for (int turn = 0; turn < 3; ++turn) {
        switch ((round + turn) % 3) {
          case 0: samples["ours"].push_back(Ours()); break;
          case 1: samples["raw_smtp_same_bytes"].push_back(Raw()); break;
          case 2:
            if (round < FCase.PythonRounds) samples["python_email_smtplib"].push_back(Python());
            break;
        }
      }
    }
    for (TSample& s : samples["ours"]) s.PeakMiB = FMemoryPeakMiB;
    return samples;
  }

 private:
  static void WriteRandomFile(const std::string& path, size_t size) {
    std::mt19937_64 generator(7);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<uint64_t> block(1 << 17);
    for (size_t written = 0; written < size;) {
      for (uint64_t& w : block) w = generator();
      const size_t n = std::min(size - written, block.size() * sizeof(uint64_t));
      out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n));
      written += n;
    }
    if (!out) throw std::runtime_error("cannot write " + path);
  }

  void HandOver() {
    std::error_code ignored;
    fs::remove(FDocument, ignored);
    fs::create_hard_link(FMaster, FDocument);  // the export deletes what it is handed
  }

  // Our own export's DATA bytes, kept by a saving sink, are the raw side's.
  void Capture() {
    TWorld& world = World();
    const fs::path saved = world.Folder.Path() / "captured";
    fs::remove_all(saved);
    fs::create_directory(saved);
    {
      vxBench::TSinkProcess keeper(world.Folder.Path(), saved.string());
      world.Library.Configure(keeper.Port());
      HandOver();
      world.Library.Export(FDocument);
    }
    world.Library.Configure(world.Sink.Port());
    std::ifstream in(saved / "0001.data", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    FData = bytes.str();
    fs::remove_all(saved);
    if (FData.size() < FCase.AttachmentBytes) throw std::runtime_error("nothing captured");
  }

  TSample Ours() {
    TLibrary& library = World().Library;
    TSample s;
    vxBench::ResetPeak();
    const size_t before = vxBench::ResidentKiB();
    for (int d = 0; d < FCase.Documents; ++d) {
      HandOver();
      const double cpu = ProcessCpuSeconds();
      const auto start = std::chrono::steady_clock::now();
      library.Export(FDocument);
      s.Wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      s.Cpu += ProcessCpuSeconds() - cpu;
    }
    const double peak = static_cast<double>(vxBench::PeakKiB() - std::min(before, vxBench::PeakKiB())) / 1024.0;
    FMemoryPeakMiB = std::max(FMemoryPeakMiB, peak);
    return s;
  }

  TSample Raw() {
    const uint16_t port = World().Sink.Port();
    const std::string mail = "MAIL FROM:<sender@example.com> SIZE=" + std::to_string(FData.size()) + "\r\n";
    TSample s;
    const double cpu = ProcessCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (int d = 0; d < FCase.Documents; ++d) {
      TRawSession session(port);
      session.Command("EHLO bench\r\n");
      session.Command(mail);
      session.Command("RCPT TO:<to@example.com>\r\n");
      session.Command("DATA\r\n");
      session.Send(FData);
      session.Reply();
      session.Command("QUIT\r\n");
    }
    s.Wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    s.Cpu = ProcessCpuSeconds() - cpu;
    return s;
  }

  TSample Python() {
    vxBench::TChild& worker = World().Python;
    worker.WriteLine(std::to_string(FCase.Documents) + " " + FMaster);
    std::istringstream reply(worker.ReadLine());
    TSample s;
    double peakKiB = 0;
    if (!(reply >> s.Wall >> s.Cpu >> peakKiB)) throw std::runtime_error("python did not report");
    s.PeakMiB = peakKiB / 1024.0;
    return s;
  }

  const TCase& FCase;
  std::string FMaster, FDocument, FData;
  double FMemoryPeakMiB = 0;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct TFigures {
  double Wall = 0, Cpu = 0, PeakMiB = 0;
  size_t Rounds = 0;
};

const std::map<std::string, TFigures>& Figures(const TCase& c) {
  static std::map<std::string, std::map<std::string, TFigures>> done;
  auto found = done.find(c.Name);
  if (found != done.end()) return found->second;
  std::map<std::string, TFigures>& figures = done[c.Name];
  for (const auto& [side, samples] : TCaseRun(c).Run()) {
    std::vector<double> wall, cpu;
    double peak = 0;
    for (const TSample& s : samples) {
      wall.push_back(s.Wall);
      cpu.push_back(s.Cpu);
      peak = std::max(peak, s.PeakMiB);
    }
    figures[side] = {Median(wall), Median(cpu), peak, samples.size()};
  }
  return figures;
}

void Report(benchmark::State& state, const TCase& c, const std::string& side) {
  try {
    const TFigures f = Figures(c).at(side);
    for (auto _ : state) state.SetIterationTime(f.Wall);
    state.counters["side_cpu_s"] = f.Cpu;
    state.counters["peak_MiB"] = f.PeakMiB;
    state.SetBytesProcessed(static_cast<int64_t>(c.AttachmentBytes) * c.Documents);
    state.SetLabel("median of " + std::to_string(f.Rounds) + " rounds");
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    for (auto _ : state) state.SetIterationTime(1);
  }
}

const bool kRegistered = [] {
  for (const TCase& c : kCases)
    for (const char* side : {"ours", "raw_smtp_same_bytes", "python_email_smtplib"})
      benchmark::RegisterBenchmark((std::string(c.Name) + ":" + side).c_str(),
                                   [&c, side](benchmark::State& state) { Report(state, c, side); })
          ->Iterations(1)
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
  return true;
}();

}  // namespace
