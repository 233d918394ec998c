// Text primitives on a 1 MiB text.
#include <benchmark/benchmark.h>

#include "core/vxStrings.h"
#include "core/vxToolsEvo2.h"
#include "platform/base/vxCodePage.h"

namespace {

ustring MakeText(size_t size) {
  const ustring words = u"Lorem ipsum dolor sit amet, straße ÄÖÜ äöü; consectetur adipiscing elit.\r\n";
  ustring text;
  text.reserve(size + words.size());
  while (text.size() < size) text += words;
  text.resize(size);
  return text;
}

const ustring& Text() {
  static const ustring text = MakeText(1 << 20);
  return text;
}

void BM_UpperStrW(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(UpperStrW(Text()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size() * 2));
}
BENCHMARK(BM_UpperStrW);

// Ten blanks in each line of 74 characters.
void BM_ReplaceW_Frequent(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TvxStrings::ReplaceW(Text(), u" ", u"_"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size() * 2));
}
BENCHMARK(BM_ReplaceW_Frequent);

// Once in each line of 74 characters.
void BM_ReplaceW_Rare(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TvxStrings::ReplaceW(Text(), u"ÄÖÜ", u"AOU"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size() * 2));
}
BENCHMARK(BM_ReplaceW_Rare);

// Both splits cut the text at every blank into a fresh list (about 140,000
// items).
void BM_SplitString(benchmark::State& state) {
  const std::string text = WideToAnsi(Text());
  for (auto _ : state) {
    TAnsiStringList list;
    benchmark::DoNotOptimize(TvxStrings::SplitString(text, " ", list));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_SplitString);

void BM_SplitStringW(benchmark::State& state) {
  for (auto _ : state) {
    TStringList list;
    benchmark::DoNotOptimize(TvxStrings::SplitStringW(Text(), u" ", list));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size() * 2));
}
BENCHMARK(BM_SplitStringW);

// A mask whose first pieces recur in every line; its last piece occurs
// nowhere, so the search for it runs through the whole text.
void BM_EqualsExW_Mask(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(TvxStrings::EqualsExW(Text(), u"lorem*ips?m*d?lor*elit.*sit?amet!*", false, true, u"*", u"?"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size() * 2));
}
BENCHMARK(BM_EqualsExW_Mask);

}  // namespace
