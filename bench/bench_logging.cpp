// Entries per second through the logging console into a daily file, from
// one and from eight threads (queue, log thread and file included: each
// iteration ends when the console has written everything), against one
// thread writing the same formatted lines with fwrite.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "foundation/vxConsoleTools.h"
#include "platform/base/vxCodePage.h"
#include "platform/time/vxDateUtils.h"

namespace {

constexpr int Entries = 200000;

// A folder of its own, removed at exit.
const std::string& Folder() {
  static const struct TFolder {
    std::string path;
    TFolder() {
      const char* tmp = getenv("TMPDIR");
      path = std::string(tmp && *tmp ? tmp : "/tmp") + "/vxbench-logging-" + std::to_string(getpid());
      std::filesystem::create_directories(path);
    }
    ~TFolder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  } folder;
  return folder.path;
}

ustring Message(int i) { return Utf8ToWide("entry number " + std::to_string(i) + " of the benchmark run"); }

void LogEntries(benchmark::State& state, int threads) {
  const std::vector<ustring> messages = [] {
    std::vector<ustring> m;
    for (int i = 0; i < Entries; ++i) m.push_back(Message(i));
    return m;
  }();
  for (auto _ : state) {
    std::filesystem::remove_all(Folder() + "/ours");
    TvxConsoleTools console(false);
    console.AsService = true;
    console.LogFile = Utf8ToWide(Folder() + "/ours/svc");
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
      workers.emplace_back([&, t] {
        for (int i = t; i < Entries; i += threads) console.Log(u"info", messages[static_cast<size_t>(i)], u"10.0.0.5");
      });
    for (auto& w : workers) w.join();
    console.LogThread->Terminate();  // the last pass writes the rest
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * Entries);
}

void Ours1(benchmark::State& state) { LogEntries(state, 1); }
void Ours8(benchmark::State& state) { LogEntries(state, 8); }

void Fwrite(benchmark::State& state) {
  const TDateTime now = vxRuntime::Now();
  std::vector<std::string> lines;
  for (int i = 0; i < Entries; ++i)
    lines.push_back(WideToAnsi(TvxConsoleTools::CreateLogTextW(u"info", Message(i), now, u"10.0.0.5", true)) + "\r\n");
  const std::string file = Folder() + "/fwrite.txt";
  for (auto _ : state) {
    FILE* out = std::fopen(file.c_str(), "wb");
    for (const std::string& line : lines) std::fwrite(line.data(), 1, line.size(), out);
    std::fclose(out);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * Entries);
}

BENCHMARK(Ours1)->Name("Log200k:ours")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Fwrite)->Name("Log200k:fwrite")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Ours8)->Name("Log200kThreads8:ours")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Fwrite)->Name("Log200kThreads8:fwrite")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
