// The request/answer string parser beside a plain standard-library split of
// the same text (tags cut at "<" and ">", items at "="), on a configuration
// string of 50 items and on one item of 1 MiB; and the compressed build.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/vxComTools.h"

namespace {

std::string ConfigString() {
  TComRes items;
  for (int i = 0; i < 50; ++i)
    TvxComTools::AddComParam("Key" + std::to_string(i), "value number " + std::to_string(i * 37), items);
  return TvxComTools::BuiltComString("CONFIG", false, false, items);
}

std::string LargeItemString() {
  TComRes items{"data=" + std::string(1 << 20, 'x')};
  return TvxComTools::BuiltComString("DATA", false, false, items);
}

// The peer: tags between "<" and ">", split at the first "=", no case folding.
std::vector<std::pair<std::string, std::string>> PlainSplit(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> items;
  size_t pos = 0;
  for (;;) {
    const size_t open = text.find('<', pos);
    if (open == std::string_view::npos) break;
    const size_t close = text.find('>', open + 1);
    if (close == std::string_view::npos) break;
    const std::string_view tag = text.substr(open + 1, close - open - 1);
    const size_t eq = tag.find('=');
    if (eq == std::string_view::npos) items.emplace_back(std::string(tag), std::string());
    else items.emplace_back(std::string(tag.substr(0, eq)), std::string(tag.substr(eq + 1)));
    pos = close + 1;
  }
  return items;
}

void Parse(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    std::string type;
    TComResExt list;
    benchmark::DoNotOptimize(TvxComTools::ParseComAnswer(text, type, list, true));
    benchmark::DoNotOptimize(list);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void Split(benchmark::State& state, const std::string& text) {
  for (auto _ : state) benchmark::DoNotOptimize(PlainSplit(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void ParseConfig50(benchmark::State& state) { Parse(state, ConfigString()); }
void SplitConfig50(benchmark::State& state) { Split(state, ConfigString()); }
void ParseItem1MiB(benchmark::State& state) { Parse(state, LargeItemString()); }
void SplitItem1MiB(benchmark::State& state) { Split(state, LargeItemString()); }
BENCHMARK(ParseConfig50)->Name("ParseConfig50:ours");
BENCHMARK(SplitConfig50)->Name("ParseConfig50:plain_split");
BENCHMARK(ParseItem1MiB)->Name("ParseItem1MiB:ours");
BENCHMARK(SplitItem1MiB)->Name("ParseItem1MiB:plain_split");

void BM_BuiltComString_Compressed50(benchmark::State& state) {
  TComRes items;
  for (int i = 0; i < 50; ++i) TvxComTools::AddComParam("Key" + std::to_string(i), "value " + std::to_string(i), items);
  for (auto _ : state) {
    TComRes copy = items;
    benchmark::DoNotOptimize(TvxComTools::BuiltComString("CONFIG", true, true, copy));
  }
}
BENCHMARK(BM_BuiltComString_Compressed50);

}  // namespace
