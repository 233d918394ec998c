// The hashed string list under interleaved changes and lookups (each new key
// added, then looked up, as a cache keyed by name is used), beside a plain
// vector with an unordered_map of upper-cased keys doing the same.
#include <benchmark/benchmark.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/lists/vxHashedStringList.h"
#include "platform/text/vxCaseMap.h"

namespace {

ustring Key(int64_t i) {
  const std::string digits = std::to_string(i * 7919);
  return u"Stop-Word-List-" + ustring(digits.begin(), digits.end());
}

void BM_HashedAddFind(benchmark::State& state) {
  const int64_t pairs = state.range(0);
  for (auto _ : state) {
    THashedStringList list;
    int64_t found = 0;
    for (int64_t i = 0; i < pairs; ++i) {
      list.Add(Key(i));
      found += list.IndexOf(Key(i / 2)) >= 0;
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * pairs);
}
BENCHMARK(BM_HashedAddFind)->Name("HashedAddFind:ours")->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_MapAddFind(benchmark::State& state) {
  const int64_t pairs = state.range(0);
  for (auto _ : state) {
    std::vector<ustring> items;
    std::unordered_map<ustring, int32_t> index;
    int64_t found = 0;
    for (int64_t i = 0; i < pairs; ++i) {
      items.push_back(Key(i));
      index.try_emplace(vxCaseMap::Upper(items.back()), static_cast<int32_t>(items.size() - 1));
      found += index.count(vxCaseMap::Upper(Key(i / 2)));
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * pairs);
}
BENCHMARK(BM_MapAddFind)->Name("HashedAddFind:std_unordered_map")->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
