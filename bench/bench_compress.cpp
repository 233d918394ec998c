// The compressed text format on 1 MiB of text.
#include <benchmark/benchmark.h>

#include "core/vxStringsIds.h"

namespace {

const std::string& Text() {
  static const std::string text = [] {
    const std::string line = "<ITEM>value 12345; Lorem ipsum dolor sit amet, consectetur adipiscing elit</ITEM>\r\n";
    std::string t;
    while (t.size() < (1 << 20)) t += line;
    t.resize(1 << 20);
    return t;
  }();
  return text;
}

void BM_CompressString(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TvxStrings::CompressString(Text()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size()));
}
BENCHMARK(BM_CompressString);

void BM_DecompressString(benchmark::State& state) {
  const std::string packed = TvxStrings::CompressString(Text());
  for (auto _ : state) benchmark::DoNotOptimize(TvxStrings::DecompressString(packed));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size()));
}
BENCHMARK(BM_DecompressString);

}  // namespace
