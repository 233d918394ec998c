// Text primitives on a 1 MiB text.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unicode/ustring.h>

#include <string_view>
#include <vector>

#include "core/vxStrings.h"
#include "core/vxToolsEvo2.h"
#include "platform/base/vxCodePage.h"

namespace {

// The splits build lists of megabytes. By default the allocator hands such
// blocks back to the system when they are freed, and every iteration then
// pays for faulting fresh pages in: on a virtual machine that costs far more
// than the split itself and depends on what ran before (a benchmark that ran
// earlier may have raised the thresholds). Both sides of each pair therefore
// run with the freed memory kept in the process.
const bool kHeapKept = [] {
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  return true;
}();

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
BENCHMARK(BM_UpperStrW)->Name("UpperStrW:ours");

// The peer: ICU's full upper-casing into a fresh string of the same size.
void BM_UpperStrW_Icu(benchmark::State& state) {
  for (auto _ : state) {
    ustring out(Text().size(), u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = u_strToUpper(out.data(), static_cast<int32_t>(out.size()), Text().data(),
                                   static_cast<int32_t>(Text().size()), "", &status);
    out.resize(static_cast<size_t>(std::max(n, 0)));
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size() * 2));
}
BENCHMARK(BM_UpperStrW_Icu)->Name("UpperStrW:icu_u_strToUpper");

// A plain standard-library replace loop: find, append, repeat.
ustring StdReplace(const ustring& text, std::u16string_view from, std::u16string_view to) {
  ustring out;
  out.reserve(text.size());
  size_t start = 0;
  for (size_t p = text.find(from); p != ustring::npos; p = text.find(from, start)) {
    out.append(text, start, p - start);
    out.append(to);
    start = p + from.size();
  }
  out.append(text, start);
  return out;
}

void BM_StdReplace_Frequent(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(StdReplace(Text(), u" ", u"_"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size() * 2));
}
BENCHMARK(BM_StdReplace_Frequent)->Name("ReplaceW_Frequent:std_loop");

void BM_StdReplace_Longer(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(StdReplace(Text(), u" ", u"  "));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size() * 2));
}
BENCHMARK(BM_StdReplace_Longer)->Name("ReplaceW_Longer:std_loop");

void BM_StdReplace_Rare(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(StdReplace(Text(), u"ÄÖÜ", u"AOU"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size() * 2));
}
BENCHMARK(BM_StdReplace_Rare)->Name("ReplaceW_Rare:std_loop");

// The peer of the splits: pieces into a vector of strings.
template <class Ch>
std::vector<std::basic_string<Ch>> VectorSplit(std::basic_string_view<Ch> text, std::basic_string_view<Ch> at) {
  std::vector<std::basic_string<Ch>> pieces;
  size_t start = 0;
  for (size_t p = text.find(at); p != text.npos; p = text.find(at, start)) {
    pieces.emplace_back(text.substr(start, p - start));
    start = p + at.size();
  }
  pieces.emplace_back(text.substr(start));
  return pieces;
}

void BM_VectorSplit(benchmark::State& state) {
  const std::string text = WideToAnsi(Text());
  for (auto _ : state) benchmark::DoNotOptimize(VectorSplit<char>(text, " "));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_VectorSplit)->Name("SplitString:vector_split");

void BM_VectorSplitW(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(VectorSplit<char16_t>(Text(), u" "));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size() * 2));
}
BENCHMARK(BM_VectorSplitW)->Name("SplitStringW:vector_split");

// A comma text of 20,000 items, a quarter of them quoted (a blank or a
// doubled quote inside).
const std::string& CommaSource() {
  static const std::string text = [] {
    std::string t;
    for (int i = 0; i < 20000; ++i) {
      if (!t.empty()) t += ',';
      if (i % 4 == 0) t += "\"item " + std::to_string(i) + " \"\"q\"\"\"";
      else t += "item" + std::to_string(i);
    }
    return t;
  }();
  return text;
}

void BM_CommaTextSet(benchmark::State& state) {
  for (auto _ : state) {
    TAnsiStringList list;
    list.SetCommaText(CommaSource());
    benchmark::DoNotOptimize(list.Count());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(CommaSource().size()));
}
BENCHMARK(BM_CommaTextSet)->Name("CommaTextSet:ours");

// The same split with the same quoting into a vector: blanks around items
// skipped, a quoted item up to its closing quote with doubled quotes as one.
std::vector<std::string> VectorCommaSplit(std::string_view v) {
  std::vector<std::string> items;
  size_t i = 0;
  const size_t n = v.size();
  auto blanks = [&] {
    while (i < n && static_cast<unsigned char>(v[i]) <= ' ') ++i;
  };
  blanks();
  while (i < n) {
    std::string item;
    if (v[i] == '"') {
      ++i;
      for (;;) {
        const size_t q = v.find('"', i);
        if (q == v.npos) {
          item.append(v.substr(i));
          i = n;
          break;
        }
        item.append(v.substr(i, q - i));
        if (q + 1 < n && v[q + 1] == '"') {
          item += '"';
          i = q + 2;
        } else {
          i = q + 1;
          break;
        }
      }
    } else {
      const size_t start = i;
      while (i < n && static_cast<unsigned char>(v[i]) > ' ' && v[i] != ',') ++i;
      item.assign(v.substr(start, i - start));
    }
    items.push_back(std::move(item));
    blanks();
    if (i < n && v[i] == ',') {
      if (i + 1 == n) items.emplace_back();
      ++i;
      blanks();
    }
  }
  return items;
}

void BM_VectorCommaSplit(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(VectorCommaSplit(CommaSource()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(CommaSource().size()));
}
BENCHMARK(BM_VectorCommaSplit)->Name("CommaTextSet:vector_split");

// Ten blanks in each line of 74 characters.
void BM_ReplaceW_Frequent(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TvxStrings::ReplaceW(Text(), u" ", u"_"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size() * 2));
}
BENCHMARK(BM_ReplaceW_Frequent)->Name("ReplaceW_Frequent:ours");

// The same blanks, each made two: the replacement is longer than the text
// it replaces.
void BM_ReplaceW_Longer(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TvxStrings::ReplaceW(Text(), u" ", u"  "));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size() * 2));
}
BENCHMARK(BM_ReplaceW_Longer)->Name("ReplaceW_Longer:ours");

// Once in each line of 74 characters.
void BM_ReplaceW_Rare(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TvxStrings::ReplaceW(Text(), u"ÄÖÜ", u"AOU"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size() * 2));
}
BENCHMARK(BM_ReplaceW_Rare)->Name("ReplaceW_Rare:ours");

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
BENCHMARK(BM_SplitString)->Name("SplitString:ours");

void BM_SplitStringW(benchmark::State& state) {
  for (auto _ : state) {
    TStringList list;
    benchmark::DoNotOptimize(TvxStrings::SplitStringW(Text(), u" ", list));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size() * 2));
}
BENCHMARK(BM_SplitStringW)->Name("SplitStringW:ours");

// A mask whose first pieces recur in every line; its last piece occurs
// nowhere, so the search for it runs through the whole text.
void BM_EqualsExW_Mask(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(TvxStrings::EqualsExW(Text(), u"lorem*ips?m*d?lor*elit.*sit?amet!*", false, true, u"*", u"?"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size() * 2));
}
BENCHMARK(BM_EqualsExW_Mask);

}  // namespace
