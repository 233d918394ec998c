// Base64 of 10 MiB: our encoder beside OpenSSL's EVP_EncodeBlock, in lines
// of 76 with CR LF as mail carries it (OpenSSL's block encoder makes no
// lines: its text is cut into lines by a copy, the usual way to get them)
// and on one line. Our lines are the goal: at least 1 GB/s.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <random>
#include <string>

#include "platform/text/vxBase64Codec.h"

namespace {

const std::string& Data() {
  static const std::string data = [] {
    std::mt19937_64 generator(5);
    std::string bytes(10 << 20, '\0');
    for (char& c : bytes) c = static_cast<char>(generator());
    return bytes;
  }();
  return data;
}

void Bytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Data().size()));
}

void BM_Lines(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(vxBase64Codec::EncodeLines(Data(), 76, true));
  Bytes(state);
}
BENCHMARK(BM_Lines)->Name("Base64Lines:ours")->Unit(benchmark::kMillisecond);

std::string OpensslFlat(const std::string& data) {
  std::string out((data.size() + 2) / 3 * 4 + 1, '\0');
  const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
  out.resize(static_cast<size_t>(n));
  return out;
}

void BM_LinesOpenssl(benchmark::State& state) {
  for (auto _ : state) {
    const std::string flat = OpensslFlat(Data());
    std::string out;
    out.reserve(flat.size() + flat.size() / 76 * 2 + 2);
    for (size_t i = 0; i < flat.size(); i += 76) {
      out.append(flat, i, 76);
      out += "\r\n";
    }
    benchmark::DoNotOptimize(out);
  }
  Bytes(state);
}
BENCHMARK(BM_LinesOpenssl)->Name("Base64Lines:openssl_EVP_EncodeBlock_and_wrap")->Unit(benchmark::kMillisecond);

// Their block encoder alone, without lines, against the lines of ours.
void BM_Openssl(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(OpensslFlat(Data()));
  Bytes(state);
}
BENCHMARK(BM_Openssl)->Name("Base64Lines:openssl_EVP_EncodeBlock_one_line")->Unit(benchmark::kMillisecond);

void BM_Flat(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(vxBase64Codec::Encode(Data()));
  Bytes(state);
}
BENCHMARK(BM_Flat)->Name("Base64OneLine:ours")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Openssl)->Name("Base64OneLine:openssl_EVP_EncodeBlock")->Unit(benchmark::kMillisecond);

}  // namespace
