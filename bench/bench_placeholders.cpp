// The default placeholders on a 2 KiB mail body, as every export runs them.
#include <benchmark/benchmark.h>

#include "core/vxStringsIds.h"

namespace {

ustring Body(bool withPlaceholders) {
  const ustring line = withPlaceholders ? u"Dear customer, your order of %date (%id) was handled by %user on %host.\r\n"
                                        : u"Dear customer, your order was handled today by our team, thank you.\r\n";
  ustring body;
  while (body.size() < 2048) body += line;
  return body;
}

void BM_CheckDefaultPlaceHolders_None(benchmark::State& state) {
  const ustring body = Body(false);
  for (auto _ : state) benchmark::DoNotOptimize(TvxStrings::CheckDefaultPlaceHolders(body, u"", u""));
}
BENCHMARK(BM_CheckDefaultPlaceHolders_None);

void BM_CheckDefaultPlaceHolders_Some(benchmark::State& state) {
  const ustring body = Body(true);
  for (auto _ : state) benchmark::DoNotOptimize(TvxStrings::CheckDefaultPlaceHolders(body, u"", u""));
}
BENCHMARK(BM_CheckDefaultPlaceHolders_Some);

}  // namespace
