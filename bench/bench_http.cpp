// HTTP throughput against nginx on the same machine:
//   KeepAliveRequests  requests per second of our server answering a small
//                      fixed response over keep-alive connections, beside
//                      nginx answering the same bytes, both measured by wrk
//                      with the same threads and connections, both servers
//                      with the same number of worker threads (processes);
//                      the time shown is that of one request (1 / rate);
//   Fetch100MiB        our client fetching a 100 MiB file from nginx beside
//                      curl the command fetching it.
// nginx and wrk are needed only here (apt-get install nginx wrk); without
// them the benchmarks are skipped with a message saying so.
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "platform/http/vxHttpClient.h"
#include "platform/http/vxHttpServer.h"
#include "tests/support/vxRunProgram.h"
#include "tests/support/vxTestTempDir.h"
#include "tests/support/vxTcpProbe.h"

extern char** environ;

namespace {

constexpr unsigned Workers = 4;
constexpr const char* WrkThreads = "2";
constexpr const char* WrkConnections = "64";
constexpr const char* WrkDuration = "4s";
const std::string SmallBody = "Hello from the benchmark\n";

bool Installed(const char* program) { return ::access(program, X_OK) == 0; }

const char* MissingTools() {
  if (!Installed("/usr/sbin/nginx")) return "nginx is not installed (apt-get install nginx wrk): skipped";
  if (!Installed("/usr/bin/wrk")) return "wrk is not installed (apt-get install nginx wrk): skipped";
  return nullptr;
}

// nginx on a free port of 127.0.0.1 with a throw-away configuration:
// "/small" answers SmallBody, everything else comes from the folder.
class TNginx {
 public:
  TNginx() {
    FPort = vxTest::FreeTcpPort();
    const std::string root = FDir.Path().string();
    std::ofstream(FDir.File("nginx.conf"))
        // Workers of a root master would run as nobody, who may not read
        // the folder.
        << (::geteuid() == 0 ? "user root;\n" : "") << "worker_processes " << Workers << ";\n"
        << "daemon off;\npid " << root << "/nginx.pid;\nerror_log " << root << "/error.log;\n"
        << "events { worker_connections 4096; }\n"
        << "http {\n  access_log off;\n  client_body_temp_path " << root << "/body;\n"
        << "  proxy_temp_path " << root << "/proxy;\n  fastcgi_temp_path " << root << "/fastcgi;\n"
        << "  uwsgi_temp_path " << root << "/uwsgi;\n  scgi_temp_path " << root << "/scgi;\n"
        << "  keepalive_requests 1000000;\n"
        << "  server {\n    listen 127.0.0.1:" << FPort << ";\n    root " << root << ";\n"
        << "    location = /small { default_type text/plain; return 200 \"" << "Hello from the benchmark\\n" << "\"; }\n"
        << "  }\n}\n";
    std::vector<std::string> args = {"/usr/sbin/nginx", "-p", root, "-c", FDir.File("nginx.conf"), "-e",
                                     FDir.File("error.log")};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&FPid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
      throw std::runtime_error("cannot start nginx");
    if (!vxTest::WaitForTcpPort(FPort, std::chrono::seconds(10))) {
      Stop();
      throw std::runtime_error("nginx did not start: " + TTestTempDir::ReadBytes(FDir.File("error.log")));
    }
  }
  ~TNginx() { Stop(); }

  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(FPort) + path; }
  std::string File(const std::string& name) const { return FDir.File(name); }

 private:
  void Stop() {
    if (FPid > 0) {
      ::kill(FPid, SIGTERM);
      int status = 0;
      ::waitpid(FPid, &status, 0);
      FPid = -1;
    }
  }

  TTestTempDir FDir{"vxbench-nginx"};
  uint16_t FPort = 0;
  pid_t FPid = -1;
};

TNginx& Nginx() {
  static TNginx nginx;
  return nginx;
}

// wrk's requests per second for Url; 0 when it failed.
double WrkRate(const std::string& url, std::string& failure) {
  const vxTest::TProgramResult run =
      vxTest::RunProgram({"/usr/bin/wrk", "-t", WrkThreads, "-c", WrkConnections, "-d", WrkDuration, url});
  std::smatch m;
  if (run.ExitStatus != 0 || !std::regex_search(run.Output, m, std::regex(R"(Requests/sec:\s+([0-9.]+))"))) {
    failure = "wrk failed: " + run.Output;
    return 0;
  }
  if (run.Output.find("Non-2xx") != std::string::npos) {
    failure = "wrk saw failed requests: " + run.Output;
    return 0;
  }
  return std::stod(m[1]);
}

void ReportRate(benchmark::State& state, const std::string& url) {
  for (auto _ : state) {
    std::string failure;
    const double rate = WrkRate(url, failure);
    if (rate <= 0) {
      state.SkipWithError(failure.c_str());
      return;
    }
    state.SetIterationTime(1.0 / rate);
    state.counters["requests/s"] = rate;
  }
}

void BM_OurServer(benchmark::State& state) {
  if (const char* missing = MissingTools()) return state.SkipWithError(missing);
  THttpServerOptions options;
  options.Bindings = {{"127.0.0.1", Id_IPv4, 0}};
  options.ThreadCount = Workers;
  THttpServer server(options);
  server.SetHandler([](const THttpServerRequest&, THttpServerResponse& response) {
    response.AddHeader("Content-Type", "text/plain");
    response.Body = SmallBody;
  });
  server.Start();
  ReportRate(state, "http://127.0.0.1:" + std::to_string(server.BoundBindings().at(0).Port) + "/small");
}
BENCHMARK(BM_OurServer)->Name("KeepAliveRequests:ours")->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_NginxServer(benchmark::State& state) {
  if (const char* missing = MissingTools()) return state.SkipWithError(missing);
  ReportRate(state, Nginx().Url("/small"));
}
BENCHMARK(BM_NginxServer)->Name("KeepAliveRequests:nginx")->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

constexpr size_t BigSize = 100 * 1024 * 1024;

// The 100 MiB file nginx serves, made once.
std::string BigUrl() {
  static const std::string url = [] {
    std::ofstream out(Nginx().File("big.bin"), std::ios::binary);
    std::string block(1 << 20, '\0');
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + (i >> 9));
    for (size_t i = 0; i < BigSize / block.size(); ++i) out.write(block.data(), static_cast<std::streamsize>(block.size()));
    return Nginx().Url("/big.bin");
  }();
  return url;
}

void BM_OurClientFetch(benchmark::State& state) {
  if (const char* missing = MissingTools()) return state.SkipWithError(missing);
  const std::string url = BigUrl();
  THttpClient client;
  for (auto _ : state) {
    size_t received = 0;
    THttpClientRequest request;
    request.Url = url;
    request.BodySink = [&](std::string_view piece) { received += piece.size(); };
    const int32_t status = client.Perform(request).StatusCode;
    if (status != 200 || received != BigSize) return state.SkipWithError("the body was not whole");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * BigSize));
}
BENCHMARK(BM_OurClientFetch)->Name("Fetch100MiB:ours")->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_CurlFetch(benchmark::State& state) {
  if (const char* missing = MissingTools()) return state.SkipWithError(missing);
  const std::string url = BigUrl();
  for (auto _ : state) {
    const vxTest::TProgramResult run = vxTest::RunProgram({"/usr/bin/curl", "-sSf", "-o", "/dev/null", url});
    if (run.ExitStatus != 0) return state.SkipWithError(("curl failed: " + run.Output).c_str());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * BigSize));
}
BENCHMARK(BM_CurlFetch)->Name("Fetch100MiB:curl")->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
