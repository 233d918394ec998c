// Stop-word removal and stemming of a few MiB of English text through the
// system's routines, against libstemmer called directly on the same words.
#include <benchmark/benchmark.h>
#include <libstemmer.h>

#include <string>
#include <vector>

#include "core/vxStringsStem.h"
#include "platform/base/vxCodePage.h"

namespace {

constexpr size_t kWords = 600000;  // about 4 MiB of text

const char* const kVocabulary[] = {"the",       "running", "cats",    "and",      "of",       "connection",
                                   "happily",   "a",       "generous", "stemming", "is",       "networks",
                                   "to",        "jumped",  "quickly", "in",       "national", "organisations"};

const ustring& Text() {
  static const ustring text = [] {
    std::string s;
    unsigned x = 12345;
    for (size_t i = 0; i < kWords; ++i) {
      x = x * 1103515245u + 12345u;
      s += kVocabulary[(x >> 16) % std::size(kVocabulary)];
      s += ' ';
    }
    return AnsiToWide(s);
  }();
  return text;
}

// The words as UTF-8, split once, for the direct calls.
const std::vector<std::string>& Words() {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> w;
    const std::string s = WideToUtf8(Text());
    size_t b = 0;
    while (b < s.size()) {
      const size_t e = s.find(' ', b);
      w.push_back(s.substr(b, e - b));
      b = e + 1;
    }
    return w;
  }();
  return words;
}

const ustring kStopWords = u"the\r\nand\r\nof\r\na\r\nis\r\nto\r\nin";

void Stemming_Ours(benchmark::State& State, bool StopWords) {
  auto& cache = TvxStopwordCache::GetInstance();
  if (!cache.IsInCache(u"en")) cache.SetListForLanguage(kStopWords, u"en");
  for (auto _ : State) {
    TStringList list;
    TvxStrings::StemStringUseCacheW(Text(), u"en", true, false, 0, list, StopWords);
    benchmark::DoNotOptimize(list.Count());
  }
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * Text().size()));
}

void Stemming_Libstemmer(benchmark::State& State) {
  sb_stemmer* stemmer = sb_stemmer_new("english", "UTF_8");
  for (auto _ : State) {
    size_t total = 0;
    for (const auto& w : Words()) {
      sb_stemmer_stem(stemmer, reinterpret_cast<const sb_symbol*>(w.data()), static_cast<int>(w.size()));
      total += static_cast<size_t>(sb_stemmer_length(stemmer));
    }
    benchmark::DoNotOptimize(total);
  }
  sb_stemmer_delete(stemmer);
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * Text().size()));
}

}  // namespace

BENCHMARK_CAPTURE(Stemming_Ours, , false)->Name("Stemming:ours")->Unit(benchmark::kMillisecond);
BENCHMARK(Stemming_Libstemmer)->Name("Stemming:libstemmer")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stemming_Ours, , true)->Name("StopWordsAndStemming:ours")->Unit(benchmark::kMillisecond);
BENCHMARK(Stemming_Libstemmer)->Name("StopWordsAndStemming:libstemmer")->Unit(benchmark::kMillisecond);
