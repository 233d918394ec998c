// DES-CBC over 16 MiB: our table-driven cipher against OpenSSL's legacy
// DES, side by side (the shared main prints the ratio).
#define OPENSSL_SUPPRESS_DEPRECATED  // OpenSSL's DES is only the yardstick
#include <benchmark/benchmark.h>
#include <openssl/des.h>

#include <cstring>
#include <string>

#include "foundation/internal/vxDES.h"
#include "platform/files/vxStream.h"

namespace {

constexpr size_t Size = 16u << 20;
const std::string Key = "bench-k1";
const std::string IV = "bench-iv";

const std::string& Data() {
  static const std::string data = [] {
    std::string bytes(Size, '\0');
    for (size_t i = 0; i < Size; ++i) bytes[i] = static_cast<char>((i * 31 + 7) & 0xFF);
    return bytes;
  }();
  return data;
}

void SetBytes(benchmark::State& state) { state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * Size); }

void BM_TDES_CBC_EncString(benchmark::State& state) {
  vxInternal::TDES des;
  des.SetStringMode(vxInternal::smNormal);
  des.InitialiseString(Key);
  std::string out;
  for (auto _ : state) {
    des.LoadIVString(IV);
    des.EncString(Data(), out);
    benchmark::DoNotOptimize(out.data());
  }
  SetBytes(state);
}
BENCHMARK(BM_TDES_CBC_EncString)->Name("DesCbcString:ours")->Unit(benchmark::kMillisecond);

void BM_TDES_CBC_EncStream(benchmark::State& state) {
  vxInternal::TDES des;
  des.InitialiseString(Key);
  TMemoryStream in(Data());
  // One output stream, rewound by every run, so that its growth is not timed.
  TMemoryStream out;
  for (auto _ : state) {
    des.LoadIVString(IV);
    des.EncStream(in, out);
    benchmark::DoNotOptimize(out.DataString().data());
  }
  SetBytes(state);
}
BENCHMARK(BM_TDES_CBC_EncStream)->Name("DesCbcStream:ours")->Unit(benchmark::kMillisecond);

void BM_OpenSSL_DES_CBC(benchmark::State& state) {
  DES_cblock key, iv;
  memcpy(key, Key.data(), 8);
  DES_key_schedule schedule;
  DES_set_key_unchecked(&key, &schedule);
  std::string out(Size, '\0');
  for (auto _ : state) {
    memcpy(iv, IV.data(), 8);
    DES_ncbc_encrypt(reinterpret_cast<const unsigned char*>(Data().data()), reinterpret_cast<unsigned char*>(out.data()),
                     static_cast<long>(Size), &schedule, &iv, DES_ENCRYPT);
    benchmark::DoNotOptimize(out.data());
  }
  SetBytes(state);
}
// The same peer for both of our forms: a string at once and a stream in
// chunks of 4096 bytes.
BENCHMARK(BM_OpenSSL_DES_CBC)->Name("DesCbcString:OpenSSL")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSSL_DES_CBC)->Name("DesCbcStream:OpenSSL")->Unit(benchmark::kMillisecond);

}  // namespace
