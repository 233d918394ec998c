// The HTTP transfers of TvxIndy (the factory's client) and TvxNet (the plain
// transfers) moving 100 MiB each way, beside curl the command moving the
// same bytes to and from the same server:
//   IndyDownload100MiB, NetDownload100MiB   GET of a file our server sends
//                                            (TvxIndy into a file stream,
//                                            TvxNet into memory, also beside
//                                            curl writing into memory and a
//                                            plain loop filling a string);
//   IndyUpload100MiB, NetUpload100MiB       PUT of a file to Python's
//                                            http.server (TvxIndy from a file
//                                            stream, TvxNet's chunked upload).
// The counter "peak_MiB" is how far the process's peak resident memory rose
// during the run; the streamed forms are run at 10 MiB too
// ("...10MiB:ours"), whose peak should match the 100 MiB one.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>

#include "configstore/vxClassFactory.h"
#include "configstore/vxIndy.h"
#include "configstore/vxNetTransfers.h"
#include "platform/base/vxCodePage.h"
#include "platform/files/vxStream.h"
#include "platform/http/vxHttpServer.h"
#include "tests/support/vxHttpTestPeer.h"
#include "tests/support/vxRunProgram.h"
#include "tests/support/vxTestTempDir.h"

namespace {

constexpr uint64_t MiB = 1024 * 1024;

// Everything the benchmarks share, made once: a folder with the files, the
// process's factory, our server sending the files and Python's taking PUTs.
struct TSetting {
  TSetting() {
    ::setenv("VARLO_REGISTRY", Dir.File("registry").c_str(), 1);
    vxGlobalClassFactory::Initialize();
    for (const uint64_t size : {10 * MiB, 100 * MiB}) {
      std::ofstream out(File(size), std::ios::binary);
      std::string block(MiB, '\0');
      for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + (i >> 9));
      for (uint64_t i = 0; i < size / MiB; ++i) out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    THttpServerOptions options;
    options.Bindings = {{"127.0.0.1", Id_IPv4, 0}};
    Server = std::make_unique<THttpServer>(options);
    Server->SetHandler([this](const THttpServerRequest& request, THttpServerResponse& response) {
      response.SetBodyFile(Dir.File(request.Path.substr(1)));
    });
    Server->Start();
  }

  std::string File(uint64_t Size) const { return Dir.File(std::to_string(Size / MiB) + ".bin"); }
  std::string DownloadUrl(uint64_t Size) const {
    return "http://127.0.0.1:" + std::to_string(Server->BoundBindings().at(0).Port) + "/" +
           std::to_string(Size / MiB) + ".bin";
  }
  std::string UploadUrl() const { return Peer.Url("/echo"); }

  TTestTempDir Dir{"vxbench-transfers"};
  std::unique_ptr<THttpServer> Server;
  vxTest::THttpTestPeer Peer;
};

TSetting& Setting() {
  static TSetting setting;
  return setting;
}

// The process's peak resident memory in bytes, and its reset to the
// current resident size.
uint64_t PeakResident() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) {
      uint64_t kib = 0;
      for (const char c : line)
        if (c >= '0' && c <= '9') kib = kib * 10 + static_cast<uint64_t>(c - '0');
      return kib * 1024;
    }
  return 0;
}
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// Runs Transfer once per iteration; reports the bytes and the peak's rise.
template <class F>
void Measure(benchmark::State& state, uint64_t Size, F&& Transfer) {
  Setting();
  ResetPeak();
  const uint64_t before = PeakResident();
  for (auto _ : state)
    if (!Transfer()) return state.SkipWithError("the transfer was not whole");
  state.counters["peak_MiB"] = static_cast<double>(PeakResident() - before) / MiB;
  state.SetBytesProcessed(static_cast<int64_t>(static_cast<uint64_t>(state.iterations()) * Size));
}

bool Curl(const std::vector<std::string>& Arguments) {
  std::vector<std::string> command = {"/usr/bin/curl", "-sSf", "-o", "/dev/null"};
  command.insert(command.end(), Arguments.begin(), Arguments.end());
  return vxTest::RunProgram(command).ExitStatus == 0;
}

void IndyDownload(benchmark::State& state, uint64_t Size) {
  Measure(state, Size, [&] {
    TFileStream sink(u"/dev/null", fmOpenWrite);
    int32_t code = 0;
    std::string header;
    return TvxIndy::HTTPGet(Utf8ToWide(Setting().DownloadUrl(Size)), sink, code, header, vxHHT_Raw) && code == 200;
  });
}
void IndyUpload(benchmark::State& state, uint64_t Size) {
  Measure(state, Size, [&] {
    TFileStream source(Utf8ToWide(Setting().File(Size)), fmOpenRead);
    int32_t code = 0;
    return TvxIndy::HTTPPut(Utf8ToWide(Setting().UploadUrl()), source, u"application/octet-stream", code)
               .find("\"body_length\": " + std::to_string(Size)) != std::string::npos;
  });
}
void NetUpload(benchmark::State& state, uint64_t Size) {
  Measure(state, Size, [&] {
    int32_t code = 0;
    return TvxNet::HTTPPutFile(Utf8ToWide(Setting().UploadUrl()), Utf8ToWide(Setting().File(Size)), code, nullptr,
                               false) &&
           code == 200;
  });
}

void BM_IndyDownload100(benchmark::State& state) { IndyDownload(state, 100 * MiB); }
void BM_IndyDownload10(benchmark::State& state) { IndyDownload(state, 10 * MiB); }
void BM_NetDownload100(benchmark::State& state) {
  Measure(state, 100 * MiB, [] {
    int32_t code = 0;
    return TvxNet::HTTPGet(Utf8ToWide(Setting().DownloadUrl(100 * MiB)), code).size() == 100 * MiB;
  });
}
void BM_CurlDownload100(benchmark::State& state) {
  Measure(state, 100 * MiB, [] { return Curl({Setting().DownloadUrl(100 * MiB)}); });
}
// The plain loop under the in-memory form: 100 MiB of received pieces
// appended to one string reserved for them (fresh memory is what costs).
void BM_StringFill100(benchmark::State& state) {
  Measure(state, 100 * MiB, [] {
    const std::string piece(16 * 1024, 'x');
    std::string body;
    body.reserve(100 * MiB);
    while (body.size() < 100 * MiB) body.append(piece);
    benchmark::DoNotOptimize(body.data());
    return body.size() == 100 * MiB;
  });
}
// The body kept in memory as TvxNet keeps it: curl writing into a file of
// the memory file system, which needs as many fresh pages.
void BM_CurlDownloadToMemory100(benchmark::State& state) {
  const std::string target = "/dev/shm/vxbench-transfers-" + std::to_string(::getpid());
  Measure(state, 100 * MiB, [&] {
    const bool done = vxTest::RunProgram({"/usr/bin/curl", "-sSf", "-o", target, Setting().DownloadUrl(100 * MiB)})
                          .ExitStatus == 0;
    ::unlink(target.c_str());
    return done;
  });
}
void BM_IndyUpload100(benchmark::State& state) { IndyUpload(state, 100 * MiB); }
void BM_IndyUpload10(benchmark::State& state) { IndyUpload(state, 10 * MiB); }
void BM_NetUpload100(benchmark::State& state) { NetUpload(state, 100 * MiB); }
void BM_NetUpload10(benchmark::State& state) { NetUpload(state, 10 * MiB); }
void BM_CurlUpload100(benchmark::State& state) {
  Measure(state, 100 * MiB, [] { return Curl({"-T", Setting().File(100 * MiB), Setting().UploadUrl()}); });
}

#define VX_TRANSFER_BENCHMARK(Function, Label) \
  BENCHMARK(Function)->Name(Label)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond)

VX_TRANSFER_BENCHMARK(BM_IndyDownload100, "IndyDownload100MiB:ours");
VX_TRANSFER_BENCHMARK(BM_CurlDownload100, "IndyDownload100MiB:curl");
VX_TRANSFER_BENCHMARK(BM_IndyDownload10, "IndyDownload10MiB:ours");
VX_TRANSFER_BENCHMARK(BM_NetDownload100, "NetDownload100MiB:ours");
VX_TRANSFER_BENCHMARK(BM_CurlDownload100, "NetDownload100MiB:curl");
VX_TRANSFER_BENCHMARK(BM_CurlDownloadToMemory100, "NetDownload100MiB:curl_into_memory");
VX_TRANSFER_BENCHMARK(BM_StringFill100, "NetDownload100MiB:string_fill");
VX_TRANSFER_BENCHMARK(BM_IndyUpload100, "IndyUpload100MiB:ours");
VX_TRANSFER_BENCHMARK(BM_CurlUpload100, "IndyUpload100MiB:curl");
VX_TRANSFER_BENCHMARK(BM_IndyUpload10, "IndyUpload10MiB:ours");
VX_TRANSFER_BENCHMARK(BM_NetUpload100, "NetUpload100MiB:ours");
VX_TRANSFER_BENCHMARK(BM_CurlUpload100, "NetUpload100MiB:curl");
VX_TRANSFER_BENCHMARK(BM_NetUpload10, "NetUpload10MiB:ours");

}  // namespace
