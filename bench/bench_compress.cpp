// The compressed text format on 1 MiB of text.
#include <benchmark/benchmark.h>
#include <zlib.h>

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
BENCHMARK(BM_CompressString)->Name("Compress:ours");

// The peer: zlib's one-call compression at its default level.
void BM_Compress2(benchmark::State& state) {
  for (auto _ : state) {
    std::string out(compressBound(static_cast<uLong>(Text().size())), '\0');
    uLongf size = static_cast<uLongf>(out.size());
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(Text().data()),
              static_cast<uLong>(Text().size()), Z_DEFAULT_COMPRESSION);
    out.resize(size);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size()));
}
BENCHMARK(BM_Compress2)->Name("Compress:zlib_compress2");

void BM_DecompressString(benchmark::State& state) {
  const std::string packed = TvxStrings::CompressString(Text());
  for (auto _ : state) benchmark::DoNotOptimize(TvxStrings::DecompressString(packed));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size()));
}
BENCHMARK(BM_DecompressString)->Name("Decompress:ours");

void BM_Uncompress(benchmark::State& state) {
  std::string packed(compressBound(static_cast<uLong>(Text().size())), '\0');
  uLongf packedSize = static_cast<uLongf>(packed.size());
  compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(Text().data()),
            static_cast<uLong>(Text().size()), Z_DEFAULT_COMPRESSION);
  for (auto _ : state) {
    std::string out(Text().size(), '\0');
    uLongf size = static_cast<uLongf>(out.size());
    uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(packed.data()), packedSize);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Text().size()));
}
BENCHMARK(BM_Uncompress)->Name("Decompress:zlib_uncompress");

}  // namespace
